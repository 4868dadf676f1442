// The driver's formatted message boxes, read back from the platform's message-box record.
#include <filesystem>
#include <string>

#include "base/message_boxes.h"
#include "base/paths_and_names.h"
#include "base/progress_window.h"
#include "base/ui_strings.h"
#include "paths_fixture.h"
#include "plat/ui_driver.h"
#include "win/loader.h"
#include "win/msgbox.h"

namespace {

namespace ui = plat::ui;

class MessageBoxes : public kovatest::PathsTest {
 protected:
  void SetUp() override {
    PathsTest::SetUp();
    ui::Reset();
    root_.WriteFile(u"C:\\drv\\Boxes.rc",
                    "STRINGTABLE BEGIN\n"
                    "  7001 \"Reading %s failed.\"\n"
                    "  7002 \"%s then %s and %d\"\n"
                    "  7003 \"Numbers %d, %u, %04X, %5d|%-3d|\"\n"
                    "  7004 \"Plain text with 100%% and %z\"\n"
                    "  7005 \"Box caption\"\n"
                    "  7006 \"%d %d %d %d %d %d %d %d %d\"\n"
                    "END\n");
    ctx_ = Context(nullptr);
    ctx_->uiModule = LoadLibraryW(u"C:\\drv\\Boxes.dll");
    ASSERT_NE(ctx_->uiModule, nullptr);
  }
  void TearDown() override {
    FreeResourceModules(ctx_);
    ui::Reset();
    PathsTest::TearDown();
  }
  DriverContext* ctx_ = nullptr;
};

struct FormatCase {
  const char* name;
  MessageRequest request;
  const char16_t* text;  // null: refused, no box
};

const WORD kNumbers[9] = {1, 65535, 0xAB, 42, 7, 6, 5, 4, 3};

TEST_F(MessageBoxes, FormattedMessagesTable) {
  const FormatCase cases[] = {
      {"PlainNoArgument", {7004, 7005, MB_OK, 0, nullptr, 0, 0, nullptr, nullptr}, u"Plain text with 100%% and %z"},
      {"TextArgument", {7001, 7005, MB_ICONWARNING, 0, nullptr, MSGARG_TEXT, 0, u"C:\\a b.kst", nullptr},
       u"Reading C:\\a b.kst failed."},
      // A second text insert has no argument and stays; the text is never a format.
      {"TextInsertsBeyondTheArgument", {7002, 7005, MB_OK, 0, nullptr, MSGARG_TEXT, 0, u"one", nullptr},
       u"one then %s and %d"},
      {"UnknownConversionStays", {7004, 7005, MB_OK, 0, nullptr, MSGARG_TEXT, 0, u"x", nullptr},
       u"Plain text with 100% and %z"},
      {"Numbers", {7003, 7005, MB_OK, 0, nullptr, MSGARG_NUMBERS, 4, kNumbers, nullptr},
       u"Numbers 1, 65535, 00AB,    42|%-3d|"},
      {"CountNineTakesTheFirstOnly", {7006, 7005, MB_OK, 0, nullptr, MSGARG_NUMBERS, 9, kNumbers, nullptr},
       u"1 %d %d %d %d %d %d %d %d"},
      {"CountEightTakesEight", {7006, 7005, MB_OK, 0, nullptr, MSGARG_NUMBERS, 8, kNumbers, nullptr},
       u"1 65535 171 42 7 6 5 4 %d"},
      {"PrefixAndSuffix", {7001, 7005, MB_OK, 0, u"Before", MSGARG_TEXT, 0, u"f", u"After"},
       u"Before\r\n\r\nReading f failed.\r\n\r\nAfter\r\n\r\n"},
      {"ArgumentWithoutKind", {7001, 7005, MB_OK, 0, nullptr, 0, 0, u"f", nullptr}, nullptr},
      {"NumbersWithoutCount", {7003, 7005, MB_OK, 0, nullptr, MSGARG_NUMBERS, 0, kNumbers, nullptr}, nullptr},
      {"MissingStringIsEmpty", {9999, 7005, MB_OK, 0, u"P", 0, 0, nullptr, nullptr}, u"P\r\n\r\n"},
  };
  for (const FormatCase& c : cases) {
    ui::ClearMessageBoxes();
    const int answer = ShowFormattedMessage(ctx_, &c.request, nullptr);
    if (!c.text) {
      EXPECT_EQ(answer, 0) << c.name;
      EXPECT_TRUE(ui::MessageBoxes().empty()) << c.name;
      continue;
    }
    ASSERT_EQ(ui::MessageBoxes().size(), 1u) << c.name;
    EXPECT_EQ(answer, IDOK) << c.name;
    EXPECT_EQ(kovatest::U8(ui::MessageBoxes()[0].text), kovatest::U8(c.text)) << c.name;
    EXPECT_EQ(ui::MessageBoxes()[0].caption, u"Box caption") << c.name;
  }
  EXPECT_FALSE(ShowFormattedMessage(ctx_, nullptr, nullptr));
}

TEST_F(MessageBoxes, WrappersSetTheirBoxTypesAndCaptionTheBoxWithThePrinter) {
  ui::QueueMessageBoxAnswer(IDCANCEL);
  EXPECT_EQ(AskWarningOkCancel(ctx_, nullptr, 7004), IDCANCEL);
  EXPECT_EQ(ShowWarningBox(ctx_, nullptr, 7004), IDOK);
  ShowWarningWithText(ctx_, nullptr, 7001, u"file.kst");
  ShowMessageBoxFlags(ctx_, nullptr, 7004, MB_ICONINFORMATION, MB_TASKMODAL);
  const auto& boxes = ui::MessageBoxes();
  ASSERT_EQ(boxes.size(), 4u);
  EXPECT_EQ(boxes[0].type, MB_ICONWARNING | MB_OKCANCEL);
  EXPECT_EQ(boxes[1].type, MB_ICONWARNING | MB_OK);
  EXPECT_EQ(boxes[2].type, MB_ICONWARNING);
  EXPECT_EQ(boxes[2].text, u"Reading file.kst failed.");
  EXPECT_EQ(boxes[3].type, MB_ICONINFORMATION | MB_TASKMODAL);
  const WCHAR* printer = GetPrinterDisplayName(ctx_);
  for (const auto& b : boxes) EXPECT_EQ(b.caption, std::u16string(printer ? printer : u""));
}

TEST_F(MessageBoxes, NoOwnerMeansTheActiveWindow) {
  HWND active = CreateWindowExW(0, u"#32770", u"Sheet", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr,
                                nullptr, nullptr);
  ASSERT_EQ(GetActiveWindow(), active);
  AskWarningOkCancel(ctx_, nullptr, 7004);
  ASSERT_EQ(ui::MessageBoxes().size(), 1u);
  EXPECT_EQ(ui::MessageBoxes()[0].owner, active);
}

TEST_F(MessageBoxes, SystemErrorTextShowsTheSystemsTextOrNothing) {
  EXPECT_EQ(ShowSystemErrorText(ctx_, 5, nullptr), 1);
  ASSERT_EQ(ui::MessageBoxes().size(), 1u);
  EXPECT_EQ(ui::MessageBoxes()[0].text, u"Access is denied.\r\n");
  EXPECT_EQ(ui::MessageBoxes()[0].type, MB_ICONWARNING);
  EXPECT_EQ(ShowSystemErrorText(ctx_, 0x7FFF1234, nullptr), 1);
  EXPECT_EQ(ui::MessageBoxes().size(), 1u);
}

}  // namespace

namespace {

class ProgressWindow : public kovatest::PathsTest {
 protected:
  void SetUp() override {
    PathsTest::SetUp();
    ui::Reset();
    std::filesystem::create_directories(root_.HostPath(u"C:\\drv"));
    std::filesystem::copy_file(kovatest::FixturePath(kovatest::kPrinterUiScript),
                               root_.HostPath(u"C:\\drv\\KOVAUIus.rc"));
    kovatest::WritePrinterUiCursors(root_, u"C:\\drv\\");
    ctx_ = Context(nullptr);
  }
  void TearDown() override {
    FreeResourceModules(ctx_);
    ui::Reset();
    PathsTest::TearDown();
  }
  DriverContext* ctx_ = nullptr;
};

TEST_F(ProgressWindow, TheSampleTemplateShowsTheStringAndTheWindowCloses) {
  ctx_->uiModule = LoadLibraryW(u"C:\\drv\\KOVAUIus.DLL");
  ASSERT_NE(ctx_->uiModule, nullptr);
  HWND owner = CreateWindowExW(0, u"#32770", u"Owner", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr,
                               nullptr, nullptr);
  HWND progress = ShowProgressWindow(ctx_, nullptr, 7001);
  ASSERT_NE(progress, nullptr);
  EXPECT_EQ(GetWindow(progress, GW_OWNER), owner);  // the active window owns it
  EXPECT_TRUE(IsWindowEnabled(owner));              // and stays usable
  EXPECT_TRUE(ui::Visible(progress));
  EXPECT_EQ(ui::Text(progress), std::u16string(GetPrinterDisplayName(ctx_)));
  EXPECT_EQ(ui::Text(GetDlgItem(progress, IDC_PROGRESS_TEXT)), u"Reading the settings of the printer...");
  // Painting the window shows the text.
  ui::RunPendingMessages();
  bool painted = false;
  for (const auto& line : ui::PaintLog(GetDlgItem(progress, IDC_PROGRESS_TEXT)))
    painted = painted || line.find("Reading the settings") != std::string::npos;
  EXPECT_TRUE(painted);
  EXPECT_TRUE(CloseProgressWindow(progress));
  EXPECT_FALSE(IsWindow(progress));
}

TEST_F(ProgressWindow, WithoutTheResourceModuleThereIsNoWindow) {
  HWND progress = ShowProgressWindow(ctx_, nullptr, 7001);
  EXPECT_EQ(progress, nullptr);
  EXPECT_FALSE(CloseProgressWindow(progress));
}

}  // namespace
