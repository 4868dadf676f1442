// What the modules do on the open pages through the page engine: a summary edit shows its
// summary, the alert of the control that sent the last command, the hidden-function page.
#include "fields/devmode_header.h"
#include "model/module_dispatch.h"
#include "context/module_events.h"
#include "modules/summary_module.h"
#include "page_engine_fixture.h"
#include "win/msgbox.h"

namespace kovatest {
namespace module_pages_test {

class ModulePagesTest : public PageEngineTest {};

std::u16string TextOf(HWND window) {
  std::u16string text(4096, u'\0');
  const int n = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(n > 0 ? n : 0));
  return text;
}

// The status page's edit shows the summary of the quality settings on every update, whatever
// was typed into it: one line per entry of its list that passes, the label's text followed
// by the value's, the last line without a line break; an edit with neither a list nor a
// field keeps what it shows.
TEST_F(ModulePagesTest, SummaryEditShowsTheSummary) {
  // Texts for most of the labels and for the resolution's value (600 dpi).
  root_.WriteFile(u"C:\\drv\\KOVAUIUS.rc",
                  Replaced(ReadFixtureFile("pages/page_engine.rc"), "  10 \"Plain paper\"",
                           "  240 \"Resolution: \"\n"
                           "  86 \"600 dpi\"\n"
                           "  388 \"Smoothing: \"\n"
                           "  241 \"Border: \"\n"
                           "  1101 \"Black characters: \"\n"
                           "  242 \"TrueType fonts: \"\n"
                           "  1105 \"Image printing: \"\n"
                           "  1106 \"Colour process: \"\n"
                           "  1149 \"Toner save: \"\n"
                           "  13041 \"Text as bitmap: \"\n"
                           "  244 \"Dithering: \"\n"
                           "  1114 \"Brightness: \"\n"
                           "  1115 \"Contrast: \"\n"
                           "  1121 \"Colour adjustment\"\n"
                           "  1122 \"Text\"\n"
                           "  1123 \"Line art\"\n"
                           "  1124 \"Image\"\n"
                           "  10 \"Plain paper\""));
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  PageRecord* page = FindPageById(context, 1020);
  ControlRecord* status = page ? FindControlById(context, page, 2248) : nullptr;
  ASSERT_NE(status, nullptr);
  HWND frame = CreateWindowExW(0, u"#32770", u"Status", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
  HWND edit = CreateWindowExW(0, u"Edit", u"", WS_CHILD | ES_MULTILINE, 0, 0, 200, 100, frame, nullptr, nullptr, nullptr);
  HWND other = CreateWindowExW(0, u"Edit", u"kept", WS_CHILD, 0, 0, 50, 12, frame, nullptr, nullptr, nullptr);
  ASSERT_TRUE(frame && edit && other);
  status->window = edit;
  // Values without a text of their own show as numbers (value ids of the settings the model
  // has no option for); entries without a label text show their value alone, and those
  // with neither are empty lines.
  const std::u16string expected =
      u"Resolution: 600 dpi\r\n"
      u"Smoothing: 21728\r\n"
      u"Border: 21664\r\n"
      u"Black characters: 0\r\n"
      u"0\r\n"
      u"TrueType fonts: 21601\r\n"
      u"Image printing: 0\r\n"
      u"Colour process: 0\r\n"
      u"Toner save: 21792\r\n"
      u"Text as bitmap: 0\r\n"
      u"\r\n"
      u"\r\n"
      u"Dithering: 21216\r\n"
      u"Brightness: 0\r\n"
      u"Contrast: 0\r\n"
      u"Colour adjustment\r\n"
      u"Text\r\n"
      u"Dithering: 23584\r\n"
      u"Brightness: 0\r\n"
      u"Contrast: 0\r\n"
      u"Line art\r\n"
      u"Dithering: 23648\r\n"
      u"Brightness: 0\r\n"
      u"Contrast: 0\r\n"
      u"Image\r\n"
      u"Dithering: 23712\r\n"
      u"Brightness: 0\r\n"
      u"Contrast: 0";
  for (const char16_t* typed : {u"", u"typed over"}) {
    SCOPED_TRACE(std::string(typed, typed + std::char_traits<char16_t>::length(typed)));
    SetWindowTextW(edit, typed);
    UpdateSummaryText(context, page, status);
    EXPECT_EQ(TextOf(edit), expected);
  }
  ControlRecord plain{};
  plain.controlId = 3561;
  plain.kind = 61;
  plain.window = other;
  UpdateSummaryText(context, page, &plain);
  EXPECT_EQ(TextOf(other), u"kept");
  status->window = nullptr;
  DestroyWindow(frame);
}

// Built-in 324: the option of the control that last sent the open page a command asks its
// alert, which only the transparency raises for duplex.
TEST_F(ModulePagesTest, AlertOfTheLastCommandIsAsked) {
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  struct Case {
    const char* name;
    WORD page;
    WORD lastCommand;
    DWORD media;  // raw kdmMediaType; 2 = transparency
    bool box;
  };
  const Case cases[] = {
      {"duplex on transparency", 1004, 2105, 2, true},
      {"duplex on plain paper", 1004, 2105, 1, false},
      {"a control without an alert", 1004, 2103, 2, false},
      {"no open page", 0, 2105, 2, false},
      {"a command no control sent", 1004, 1, 2, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    plat::ui::ClearMessageBoxes();
    WriteFieldRawById(context, fid::kdmMediaType, c.media);
    context->pageId = c.page;
    context->work->sheet.lastCommand = c.lastCommand;
    plat::ui::QueueMessageBoxAnswer(IDOK);
    CallModuleItemHooks(context, 324);
    ASSERT_EQ(plat::ui::MessageBoxes().size(), c.box ? 1u : 0u);
    if (c.box) {
      EXPECT_EQ(plat::ui::MessageBoxes()[0].text, u"Duplex cannot be used with transparencies.");
      EXPECT_EQ(plat::ui::MessageBoxes()[0].type & 0xF, static_cast<UINT>(MB_OKCANCEL));
    }
  }
  context->pageId = 0;
}

// Event 14 (Ctrl+Shift+right double-click on the hidden spot) opens the hidden-function page
// only when the caller allows it.
TEST_F(ModulePagesTest, HiddenSpotOpensTheHiddenFunctionPage) {
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  PageRecord* page = FindPageById(context, 1001);
  ASSERT_NE(page, nullptr);
  for (DWORD callSource : {0u, 1u}) {
    SCOPED_TRACE(callSource);
    SetStateByte(context, fid::KPD_kdmCallSrc, callSource);
    WORD shown = 0;
    plat::ui::QueueStep([&] {
      shown = context->pageId;
      EXPECT_TRUE(plat::ui::ClickId(plat::ui::ActiveModal(), IDOK));
    });
    PageControlEventBlock block{page, nullptr};
    NotifyModules(context, MODEV_HIDDEN_SPOT, &block);
    EXPECT_EQ(shown, callSource == 1 ? 1065 : 0);
    EXPECT_EQ(plat::ui::PendingSteps(), callSource == 1 ? 0u : 1u);
    plat::ui::Reset();
  }
}

}  // namespace module_pages_test
}  // namespace kovatest
