// Steps of particular pages: the save-preset commands, the closing checks of the sub-dialogs,
// the labels set at WM_INITDIALOG and the re-initialisation of the preset lists.
#include <string>
#include <vector>

#include "base/paths_and_names.h"
#include "context/page_wiring.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "modules/change_handling.h"
#include "page_engine_fixture.h"
#include "stored/preset_list.h"
#include "win/files.h"
#include "win/msgbox.h"
#include "win/profile.h"

namespace kovatest {
namespace page_wiring_test {
namespace {

constexpr DWORD kNoPreset = 118;
constexpr DWORD kPreset0 = 119;

std::u16string PresetFile(int n) { return u"C:\\Users\\me\\p" + std::u16string(1, static_cast<char16_t>(u'a' + n)) + u".kst"; }
std::u16string PresetName(int n) { return u"Preset " + std::u16string(1, static_cast<char16_t>(u'a' + n)); }

class PageWiringTest : public PageEngineTest {
 protected:
  void SetUp() override {
    PageEngineTest::SetUp();
    root_.WriteFile(u"C:\\drv\\KOVAUIUS.rc",
                    ReadFixtureFile("pages/page_engine.rc") + "\n" + ReadFixtureFile("pages/page_wiring.rc"));
    root_.WriteFile(u"C:\\Users\\me\\keep.txt", "");
    root_.WriteFile(u"C:\\_kova\\keep.txt", "");
  }
  void TearDown() override {
    for (PageRecord* page : opened_) {
      if (page->window) DestroyWindow(page->window);
      page->window = nullptr;
      for (int i = 0; i < page->controlCount; ++i) page->controls[i].window = nullptr;
    }
    if (!ini_.empty()) SetFileAttributesW(ini_.c_str(), FILE_ATTRIBUTE_NORMAL);
    PageEngineTest::TearDown();
  }

  DriverContext* Start(const std::u16string& printer = u"Page Printer") {
    DriverContext* context = Bound(printer);
    if (!context) return nullptr;
    ini_ = GetUserIniPath(context);
    section_ = GetPrinterSectionName(context);
    return context;
  }

  // A page window carrying the context, with child windows of the given ids.
  HWND OpenPage(DriverContext* context, PageRecord* page, std::vector<WORD> ids, const char16_t* cls = u"Button") {
    HWND window = CreateWindowExW(0, u"#32770", u"Page", WS_POPUP | WS_VISIBLE, 100, 100, 400, 300, nullptr, nullptr,
                                  nullptr, nullptr);
    SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(context));
    page->window = window;
    opened_.push_back(page);
    int y = 0;
    for (WORD id : ids) {
      CreateWindowExW(0, cls, u"", WS_CHILD | WS_VISIBLE, 0, y, 80, 20, window,
                      reinterpret_cast<HMENU>(static_cast<ULONG_PTR>(id)), nullptr, nullptr);
      y += 22;
    }
    return window;
  }

  void Key(const std::u16string& key, const std::u16string& value) {
    ASSERT_TRUE(WritePrivateProfileStringW(section_.c_str(), key.c_str(), value.c_str(), ini_.c_str()));
  }
  std::u16string ReadKey(const std::u16string& key) {
    WCHAR value[300] = {};
    GetPrivateProfileStringW(section_.c_str(), key.c_str(), u"", value, 300, ini_.c_str());
    return value;
  }
  // `count` presets, each with a file name and a name; none of the files exists yet.
  void SetPresets(int count) {
    Key(u"Count", Number(count));
    for (int n = 0; n < count; ++n) {
      Key(u"PresetList" + Number(n), PresetFile(n));
      Key(u"PresetList" + Number(n) + u"Name", PresetName(n));
    }
  }
  static std::u16string Number(int n) {
    std::string s = std::to_string(n);
    return std::u16string(s.begin(), s.end());
  }
  static bool Exists(const std::u16string& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
  static std::u16string Text(DriverContext* context, WORD id) {
    WCHAR value[1100] = {};
    GetFieldString(context, FindFieldById(context, id), value, 1100);
    return value;
  }
  static void SetText(DriverContext* context, WORD id, const char16_t* text) {
    SetFieldString(context, FindFieldById(context, id), text);
  }
  static std::vector<std::u16string> BoxTexts() {
    std::vector<std::u16string> texts;
    for (const auto& box : plat::ui::MessageBoxes()) texts.push_back(box.text);
    return texts;
  }

  std::u16string ini_;
  std::u16string section_;
  std::vector<PageRecord*> opened_;
};

const char16_t* const kCannotSave = u"The settings cannot be saved under this name.";
const char16_t* const kNameEmpty = u"Type a name for the preset.";
const char16_t* const kOverwrite = u"A preset with this name exists. Save the settings into it?";

TEST_F(PageWiringTest, SavePresetCommands) {
  struct Case {
    const char* name;
    int presets;
    DWORD selected;             // kdmPresetNo before
    WORD command;               // 11111 save as preset, 22222 save into the named preset
    const char16_t* typed;      // the preset-name field for 22222
    int answer;                 // the answer to a question, 0: none asked
    bool readOnlyIni;
    int count;                  // "Count" after
    DWORD presetNo;             // kdmPresetNo after
    int written;                // the preset whose file was written, -1 none
    std::vector<std::u16string> boxes;
  };
  const Case cases[] = {
      {"new preset after five", 5, kNoPreset, 11111, nullptr, 0, false, 6, kPreset0 + 5, 5, {}},
      {"first preset is never written", 0, kNoPreset, 11111, nullptr, 0, false, 1, kPreset0, -1, {}},
      {"sixteen presets refuse a new one", 16, kNoPreset, 11111, nullptr, 0, false, 16, kNoPreset, -1, {kCannotSave}},
      {"failed append saves nothing", 5, kNoPreset, 11111, nullptr, 0, true, 5, kNoPreset, -1, {kCannotSave}},
      {"selected preset saved in place", 5, kPreset0 + 2, 11111, nullptr, 0, false, 5, kPreset0 + 2, 2, {}},
      {"selected preset 0 is not written", 5, kPreset0, 11111, nullptr, 0, false, 5, kPreset0, -1, {}},
      {"sixteen presets, selected one saved", 16, kPreset0 + 15, 11111, nullptr, 0, false, 16, kPreset0 + 15, 15, {}},
      {"into: empty name", 5, kPreset0 + 2, 22222, u"", 0, false, 5, kPreset0 + 2, -1, {kNameEmpty}},
      {"into: preset 0's name", 5, kPreset0 + 2, 22222, u"Preset a", 0, false, 5, kPreset0 + 2, -1, {kCannotSave}},
      {"into: another's name, yes", 5, kPreset0 + 2, 22222, u"Preset d", IDYES, false, 5, kPreset0 + 3, 3, {kOverwrite}},
      {"into: another's name, no", 5, kPreset0 + 2, 22222, u"Preset d", IDNO, false, 5, kPreset0 + 2, -1, {kOverwrite}},
      {"into: own name", 5, kPreset0 + 2, 22222, u"Preset c", 0, false, 5, kPreset0 + 2, 2, {}},
      {"into: new name appends", 5, kNoPreset, 22222, u"Fresh", 0, false, 6, kPreset0 + 5, 5, {}},
      {"into: new name, sixteen presets", 16, kNoPreset, 22222, u"Fresh", 0, false, 16, kNoPreset, -1, {kCannotSave}},
  };
  int index = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DriverContext* context = Start(u"Preset Printer " + Number(index++));
    ASSERT_NE(context, nullptr);
    SetPresets(c.presets);
    plat::ui::ClearMessageBoxes();
    PageRecord* page = FindPageById(context, 1002);
    ASSERT_NE(page, nullptr);
    HWND window = OpenPage(context, page, {});
    SetFieldValueById(context, fid::kdmPresetNo, c.selected);
    if (c.typed) SetText(context, fid::wdmPresetName, c.typed);
    if (c.answer) plat::ui::QueueMessageBoxAnswer(c.answer);
    if (c.command == 11111) {
      plat::ui::QueueStep([] {
        HWND dialog = plat::ui::ActiveModal();
        ASSERT_NE(dialog, nullptr);
        SendMessageW(dialog, WM_COMMAND, IDOK, 0);
      });
    }
    if (c.readOnlyIni) {
      ASSERT_TRUE(SetFileAttributesW(ini_.c_str(), FILE_ATTRIBUTE_READONLY));
    }
    RunSavePresetCommand(context, page, c.command, c.command);
    SetFileAttributesW(ini_.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(plat::ui::PendingSteps(), 0u);
    EXPECT_EQ(GetPresetCount(context), c.count);
    EXPECT_EQ(Value(context, fid::kdmPresetNo), c.presetNo);
    EXPECT_EQ(BoxTexts(), c.boxes);
    for (int n = 0; n < c.count; ++n) {
      SCOPED_TRACE(n);
      const std::u16string file = ReadKey(u"PresetList" + Number(n));
      EXPECT_EQ(!file.empty() && Exists(file), n == c.written);
    }
    // A save pressed the sheet's OK; a refused one did not.
    MSG posted{};
    const bool pressed = PeekMessageW(&posted, window, WM_COMMAND, WM_COMMAND, PM_REMOVE) &&
                         LOWORD(static_cast<DWORD>(posted.wParam)) == PAGEMSG_PRESS_OK;
    EXPECT_EQ(pressed, c.boxes.empty() || c.answer == IDYES);
    // Each case from no preset files.
    for (int n = 0; n < 17; ++n) {
      const std::u16string file = ReadKey(u"PresetList" + Number(n));
      if (!file.empty()) DeleteFileW(file.c_str());
    }
    DestroyWindow(window);
    page->window = nullptr;
  }
}

}  // namespace
}  // namespace page_wiring_test
}  // namespace kovatest
