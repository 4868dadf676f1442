// Steps of particular pages: the save-preset commands, the closing checks of the sub-dialogs,
// the labels set at WM_INITDIALOG and the re-initialisation of the preset lists.
#include <algorithm>
#include <string>
#include <vector>

#include "base/paths_and_names.h"
#include "context/page_wiring.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "fields/value_maps.h"
#include "context/module_events.h"
#include "model/module_dispatch.h"
#include "modules/change_handling.h"
#include "page_engine_fixture.h"
#include "stored/preset_list.h"
#include "win/controls.h"
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
  HWND OpenPage(DriverContext* context, PageRecord* page, std::vector<WORD> ids, const char16_t* cls = u"Button",
                int width = 80) {
    HWND window = CreateWindowExW(0, u"#32770", u"Page", WS_POPUP | WS_VISIBLE, 100, 100, 400, 300, nullptr, nullptr,
                                  nullptr, nullptr);
    SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(context));
    page->window = window;
    opened_.push_back(page);
    int y = 0;
    for (WORD id : ids) {
      CreateWindowExW(0, cls, u"", WS_CHILD | WS_VISIBLE, 0, y, width, 20, window,
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
      {"the first preset of an empty list gets its file", 0, kNoPreset, 11111, nullptr, 0, false, 1, kPreset0, 0, {}},
      {"a selection beyond an empty list appends", 0, kPreset0, 11111, nullptr, 0, false, 1, kPreset0, 0, {}},
      {"a selection beyond the list appends", 5, kPreset0 + 7, 11111, nullptr, 0, false, 6, kPreset0 + 5, 5, {}},
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

TEST_F(PageWiringTest, InitDialogLabelsOfTheStampAndOptionsPages) {
  DriverContext* context = Start();
  ASSERT_NE(context, nullptr);
  struct Case {
    const char* name;
    WORD pageId;
    std::vector<WORD> ids;
    DWORD feed;
    bool withControl;  // the message carries a control: page-level steps do not run
    std::vector<std::pair<WORD, std::u16string>> texts;
  };
  const Case cases[] = {
      {"options page, long-edge feed", 1011, {2173, 2175}, 0, false,
       {{2173, u"Long edge first"}, {2175, u"Short edge first"}}},
      {"options page, short-edge feed", 1011, {2173, 2175}, 1, false,
       {{2173, u"Short edge first"}, {2175, u"Long edge first"}}},
      {"options page, one radio only", 1011, {2175}, 1, false, {{2175, u"Long edge first"}}},
      {"options page, control message", 1011, {2173, 2175}, 0, true, {{2173, u""}, {2175, u""}}},
      {"stamp page with the overlay button", 1003, {2407, 2088}, 0, false, {{2088, u"Stamp / overlay"}}},
      {"stamp page without the overlay button", 1003, {2088}, 0, false, {{2088, u""}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PageRecord* page = FindPageById(context, c.pageId);
    ASSERT_NE(page, nullptr);
    HWND window = OpenPage(context, page, c.ids);
    WriteFieldRawById(context, fid::kdmMachineTypeFeed, c.feed);
    ControlRecord* control = c.withControl ? FindControlById(context, page, c.ids[0]) : nullptr;
    if (c.withControl) {
      ASSERT_NE(control, nullptr);
    }
    EXPECT_EQ(HandleKnownPageMessage(context, page, control, WM_INITDIALOG, 0, 0), 0);
    for (const auto& [id, text] : c.texts) {
      SCOPED_TRACE(id);
      EXPECT_EQ(plat::ui::Text(GetDlgItem(window, id)), text);
    }
    DestroyWindow(window);
    page->window = nullptr;
  }
}

std::string Bitmap() {
  std::string bytes(58, '\0');
  bytes[0] = 'B';
  bytes[1] = 'M';
  bytes[14] = 40;  // BITMAPINFOHEADER
  return bytes;
}

TEST_F(PageWiringTest, ClosingChecksOfTheSubDialogs) {
  root_.WriteFile(u"C:\\Users\\me\\stamp.bmp", Bitmap());
  root_.WriteFile(u"C:\\Users\\me\\stamp.txt", "plain text");
  root_.WriteFile(u"C:\\Users\\me\\form.kpo", "overlay");
  root_.WriteFile(u"C:\\Users\\me\\form.txt", "overlay");
  struct Case {
    const char* name;
    WORD pageId;
    WORD command;
    DWORD biDirect;
    WORD fileControl;        // the control whose field names the file; 0 none
    const char16_t* file;
    int closes;              // RunPageClosingCheck's answer
    std::int32_t result;     // the sheet result after it (0 before)
    std::vector<std::u16string> boxes;
  };
  const char16_t* unusable = u"The file cannot be used.";
  const Case cases[] = {
      {"options OK", 1011, 1, 0, 0, nullptr, 1, 1, {}},
      {"options Cancel", 1011, 2, 0, 0, nullptr, 1, 0, {}},
      {"options Cancel with two-way communication keeps the changes", 1011, 2, 1, 0, nullptr, 1, 1, {}},
      {"stamp image, a bitmap", 1023, 1, 0, 2341, u"C:\\Users\\me\\stamp.bmp", 1, 0, {}},
      {"stamp image, not a bitmap", 1023, 1, 0, 2341, u"C:\\Users\\me\\stamp.txt", 0, 0, {unusable}},
      {"stamp image, missing", 1023, 1, 0, 2341, u"C:\\Users\\me\\none.bmp", 0, 0, {unusable}},
      {"stamp image, Cancel", 1023, 2, 0, 2341, u"C:\\Users\\me\\stamp.txt", 1, 0, {}},
      {"overlay, an overlay file", 1037, 1, 0, 2586, u"C:\\Users\\me\\form.kpo", 1, 0, {}},
      {"overlay, another extension", 1037, 1, 0, 2586, u"C:\\Users\\me\\form.txt", 0, 0, {unusable}},
      {"overlay, missing", 1037, 1, 0, 2586, u"C:\\Users\\me\\gone.kpo", 0, 0, {unusable}},
      {"overlay, empty", 1037, 1, 0, 2586, u"", 0, 0, {unusable}},
  };
  DriverContext* context = Start();
  ASSERT_NE(context, nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    plat::ui::ClearMessageBoxes();
    PageRecord* page = FindPageById(context, c.pageId);
    ASSERT_NE(page, nullptr);
    HWND window = OpenPage(context, page, {c.fileControl}, u"Edit");
    WriteFieldRawById(context, fid::KPD_kdmBiDirect, c.biDirect);
    if (c.fileControl) {
      // The name is in the control's field, or typed into it when it has none.
      ControlRecord* named = FindControlById(context, page, c.fileControl);
      ASSERT_NE(named, nullptr);
      if (named->field) {
        SetFieldString(context, named->field, c.file);
      } else {
        SetWindowTextW(GetDlgItem(window, c.fileControl), c.file);
      }
    }
    context->work->sheet.sheetResult = 0;
    EXPECT_EQ(RunPageClosingCheck(context, page, nullptr, c.command), c.closes);
    EXPECT_EQ(context->work->sheet.sheetResult, c.result);
    EXPECT_EQ(BoxTexts(), c.boxes);
    DestroyWindow(window);
    page->window = nullptr;
  }
  WriteFieldRawById(context, fid::KPD_kdmBiDirect, 0);
}

TEST_F(PageWiringTest, PresetMaintenanceStaysOpenWhileTwoPresetsShareAName) {
  struct Case {
    const char* name;
    std::vector<std::u16string> names;
    int closes;
    int selected;  // the preset the list then selects; -1: no selection posted
  };
  const Case cases[] = {
      {"unique names", {u"Standard", u"Draft", u"Photo"}, 1, -1},
      {"a repeated name", {u"Standard", u"Draft", u"Photo", u"Draft"}, 0, 3},
      {"preset 0's name repeated", {u"Standard", u"Standard"}, 0, 1},
  };
  int index = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DriverContext* context = Start(u"Maintenance " + Number(index++));
    ASSERT_NE(context, nullptr);
    Key(u"Count", Number(static_cast<int>(c.names.size())));
    for (std::size_t n = 0; n < c.names.size(); ++n) {
      Key(u"PresetList" + Number(static_cast<int>(n)), PresetFile(static_cast<int>(n)));
      Key(u"PresetList" + Number(static_cast<int>(n)) + u"Name", c.names[n]);
    }
    PageRecord* page = FindPageById(context, 1007);
    ASSERT_NE(page, nullptr);
    HWND window = OpenPage(context, page, {8});
    context->work->sheet.sheetResult = 1;
    EXPECT_EQ(RunPageClosingCheck(context, page, nullptr, 8), c.closes);
    MSG posted{};
    const bool selection = PeekMessageW(&posted, window, PAGEMSG_PRESET_SELECT, PAGEMSG_PRESET_SELECT, PM_REMOVE);
    EXPECT_EQ(selection, c.selected >= 0);
    if (selection) {
      EXPECT_EQ(static_cast<int>(posted.wParam), c.selected);
    }
    if (c.selected >= 0) {
      EXPECT_EQ(context->work->sheet.sheetResult, 0);
      ControlRecord* list = FindControlById(context, page, 2139);
      ASSERT_NE(list, nullptr);
      EXPECT_EQ(GetControlFieldValue(context, list), kPreset0 + static_cast<DWORD>(c.selected));
      EXPECT_EQ(Text(context, fid::wdmPresetName), c.names[static_cast<std::size_t>(c.selected)]);
    }
    DestroyWindow(window);
    page->window = nullptr;
  }
}

TEST_F(PageWiringTest, PresetListsFallBackToTheFirstPresetWhenTheSelectedOneIsGone) {
  struct Case {
    const char* name;
    int presets;
    DWORD selected;
    DWORD after;
  };
  const Case cases[] = {
      {"preset 7 of five", 5, kPreset0 + 7, kPreset0},
      {"preset 5 of five", 5, kPreset0 + 5, kPreset0},
      {"preset 4 of five", 5, kPreset0 + 4, kPreset0 + 4},
      {"no preset", 5, kNoPreset, kNoPreset},
  };
  int index = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DriverContext* context = Start(u"Lists " + Number(index++));
    ASSERT_NE(context, nullptr);
    SetPresets(c.presets);
    struct Open {
      WORD pageId, controlId;
    };
    std::vector<ControlRecord*> lists;
    for (Open o : {Open{1001, 2001}, Open{1007, 2139}}) {
      PageRecord* page = FindPageById(context, o.pageId);
      ASSERT_NE(page, nullptr);
      HWND window = OpenPage(context, page, {o.controlId}, u"ListBox");
      ControlRecord* list = FindControlById(context, page, o.controlId);
      ASSERT_NE(list, nullptr);
      ASSERT_NE(list->field, nullptr);
      list->window = GetDlgItem(window, o.controlId);
      SetControlFieldValue(context, list, c.selected);
      lists.push_back(list);
    }
    ReinitPresetNameControls(context, nullptr);
    for (ControlRecord* list : lists) {
      SCOPED_TRACE(list->controlId);
      EXPECT_EQ(GetControlFieldValue(context, list), c.after);
    }
  }
}

// The texts a window's painting drew, in order.
std::vector<std::string> DrawnTexts(HWND window) {
  std::vector<std::string> texts;
  for (const std::string& line : plat::ui::PaintLog(window)) {
    if (line.rfind("text ", 0) != 0) continue;
    const std::size_t at = line.find(' ', 5);
    texts.push_back(at == std::string::npos ? std::string() : line.substr(at + 1));
  }
  return texts;
}

TEST_F(PageWiringTest, TrayStatusLabelsShowWhatLiesInTheTray) {
  DriverContext* context = Start();
  ASSERT_NE(context, nullptr);
  PageRecord* page = FindPageById(context, 1010);
  ASSERT_NE(page, nullptr);
  HWND window = OpenPage(context, page, {2410, 2809, 2999}, u"Static", 300);
  struct Case {
    const char* name;
    WORD labelId;
    const char16_t* labelText;
    WORD tray;
    int mode;
    std::vector<std::string> texts;
  };
  // Paper 9 is "A4" and media 10 "Plain paper" in the test strings.
  const Case cases[] = {
      {"mode 0: name, paper, orientation, media", 2410, u"Tray 1", 0, 0, {"Tray 1: ", "A4", "/", "Plain paper"}},
      {"mode 1: name, paper, orientation", 2410, u"Tray 1", 0, 1, {"Tray 1: ", "A4"}},
      {"mode 2: the name only", 2410, u"Tray 1", 0, 2, {"Tray 1"}},
      {"external tray: no orientation, no media", 2809, u"External", 29, 0, {"External: ", "A4"}},
  };
  // A label of another page (the cover page) without a settings field shows its own text.
  PageRecord* cover = FindPageById(context, 1030);
  ASSERT_NE(cover, nullptr);
  HWND coverWindow = OpenPage(context, cover, {2458}, u"Static", 300);
  SetWindowTextW(GetDlgItem(coverWindow, 2458), u"Cover tray");
  ControlRecord coverLabel{};
  coverLabel.controlId = 2458;
  coverLabel.window = GetDlgItem(coverWindow, 2458);
  EXPECT_EQ(PaintTrayStatusLabel(context, cover, &coverLabel, WM_PAINT, 0, 2), 1);
  EXPECT_EQ(DrawnTexts(coverLabel.window), std::vector<std::string>{"Cover tray"});
  for (WORD t : {WORD{0}, WORD{29}}) {
    WriteFieldRawById(context, static_cast<WORD>(fid::kdmTray1Paper + t), 9);
    WriteFieldRawById(context, static_cast<WORD>(fid::kdmTray1Media + t), 10);
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HWND labelWindow = GetDlgItem(window, c.labelId);
    ASSERT_NE(labelWindow, nullptr);
    SetWindowTextW(labelWindow, c.labelText);
    ControlRecord label{};
    label.controlId = c.labelId;
    label.window = labelWindow;
    const std::size_t before = DrawnTexts(labelWindow).size();
    EXPECT_EQ(PaintTrayStatusLabel(context, page, &label, WM_PAINT, c.tray, c.mode), 1);
    std::vector<std::string> drawn = DrawnTexts(labelWindow);
    drawn.erase(drawn.begin(), drawn.begin() + static_cast<std::ptrdiff_t>(before));
    EXPECT_EQ(drawn, c.texts);
  }
  // By id: the table names the tray; a control it does not name, or a hidden label, is not
  // painted; other messages are not handled.
  struct ById {
    const char* name;
    WORD labelId;
    WORD state;
    UINT message;
    int handled;
  };
  const ById byId[] = {
      {"a label of the table", 2410, 0, WM_PAINT, 1},
      {"the external tray's label", 2809, 0, WM_PAINT, 1},
      {"a hidden label", 2410, 1, WM_PAINT, 0},
      {"a control the table does not name", 2999, 0, WM_PAINT, 0},
      {"another message", 2410, 0, WM_MOUSEMOVE, 0},
  };
  for (const ById& c : byId) {
    SCOPED_TRACE(c.name);
    ControlRecord label{};
    label.controlId = c.labelId;
    label.state = c.state;
    label.window = GetDlgItem(window, c.labelId);
    EXPECT_EQ(PaintTrayStatusById(context, page, &label, c.message), c.handled);
  }
}

TEST_F(PageWiringTest, TrayOrientationPictureFollowsTheTrayAndTheFeed) {
  DriverContext* context = Start();
  ASSERT_NE(context, nullptr);
  struct Case {
    WORD tray;
    DWORD orientation;
    DWORD feed;
    WORD picture;
  };
  const Case cases[] = {
      {0, 0, 0, 6194}, {0, 1, 0, 6193}, {0, 0, 1, 6193}, {0, 1, 1, 6194},
      {25, 1, 1, 6194}, {28, 0, 0, 6194}, {29, 1, 1, 0}, {29, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "tray " << c.tray << " orientation " << c.orientation << " feed " << c.feed);
    WriteFieldRawById(context, static_cast<WORD>(fid::kdmTrayOrient0 + c.tray), c.orientation);
    WriteFieldRawById(context, fid::kdmMachineTypeFeed, c.feed);
    EXPECT_EQ(TrayOrientationPicture(context, c.tray), c.picture);
  }
  EXPECT_EQ(TrayOfStatusLabel(2410), 0);
  EXPECT_EQ(TrayOfStatusLabel(2811), 29);
  EXPECT_EQ(TrayOfStatusLabel(2566), 25);
  EXPECT_EQ(TrayOfStatusLabel(2999), -1);
}

struct FollowUpSeen {
  WORD pageId;
  WORD controlId;
  std::int32_t confirmed;
};
std::vector<FollowUpSeen> g_followUps;

std::int32_t RecordFollowUps(DriverContext*, DWORD event, void* block, void*) {
  if (event == MODEV_FOLLOW_UP_PAGE && block) {
    const auto* b = static_cast<const FollowUpEventBlock*>(block);
    g_followUps.push_back({b->page ? b->page->pageId : WORD{0}, b->control ? b->control->controlId : WORD{0},
                           b->confirmed});
  }
  return 0;
}

TEST_F(PageWiringTest, TheCustomSizePageTellsTheModulesWhichChoiceOpenedIt) {
  struct Case {
    const char* name;
    WORD command;
    WORD opener;  // the paper-size choice of page 1001 that opened the page
    std::vector<FollowUpSeen> confirmed;
  };
  const Case cases[] = {
      {"OK after the paper size", 1, 2017, {{1017, 2017, 1}}},
      {"OK after the output paper size", 1, 2023, {{1017, 2023, 1}}},
      {"Cancel", 2, 2017, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DriverContext* context = Start();
    ASSERT_NE(context, nullptr);
    ModuleEventHook saved = context->work->modules->records[0].eventHook;
    context->work->modules->records[0].eventHook = RecordFollowUps;
    g_followUps.clear();
    PageRecord* page = FindPageById(context, 1017);
    ASSERT_NE(page, nullptr);
    context->work->sheet.freeSizeOpener = FindControlById(context, FindPageById(context, 1001), c.opener);
    ASSERT_NE(context->work->sheet.freeSizeOpener, nullptr);
    EXPECT_EQ(RunPageClosingCheck(context, page, nullptr, c.command), 1);
    std::vector<FollowUpSeen> confirmed;
    for (const FollowUpSeen& f : g_followUps)
      if (f.confirmed) confirmed.push_back(f);
    ASSERT_EQ(confirmed.size(), c.confirmed.size());
    for (std::size_t i = 0; i < confirmed.size(); ++i) {
      EXPECT_EQ(confirmed[i].pageId, c.confirmed[i].pageId);
      EXPECT_EQ(confirmed[i].controlId, c.confirmed[i].controlId);
    }
    context->work->modules->records[0].eventHook = saved;
    g_followUps.clear();
  }
}

TEST_F(PageWiringTest, TheWatermarkChoiceIsRefilledOnlyWhileAWatermarkIsSelected) {
  struct Case {
    const char* name;
    DWORD watermarkOn;
    bool emptied;  // the stale entries are gone
  };
  const Case cases[] = {{"a watermark selected", 1, true}, {"no watermark", 0, false}};
  DriverContext* context = Start();
  ASSERT_NE(context, nullptr);
  PageRecord* page = FindPageById(context, 1003);
  ASSERT_NE(page, nullptr);
  ControlRecord* combo = FindControlById(context, page, 2089);
  ASSERT_NE(combo, nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HWND window = OpenPage(context, page, {2089}, u"ComboBox");
    HWND box = GetDlgItem(window, 2089);
    combo->window = box;
    SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"stale"));
    WriteFieldRawById(context, fid::kdmFuncSelectWaterMark, c.watermarkOn);
    WriteFieldRawById(context, fid::kdmWmID, 0);
    ReinitWatermarkChoice(context);
    const std::vector<std::u16string> items = plat::ui::Items(box);
    const bool stale = std::find(items.begin(), items.end(), u"stale") != items.end();
    EXPECT_EQ(stale, !c.emptied);
    combo->window = nullptr;
    DestroyWindow(window);
    page->window = nullptr;
  }
}

}  // namespace
}  // namespace page_wiring_test
}  // namespace kovatest
