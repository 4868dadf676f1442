// The kinds that edit a setting: numeric edits checked against their field and option,
// the check list's field array, radio buttons taking picture clicks, spin bars stepping
// their edit's setting, value lists selecting the current value and the preset list drawn
// without changing the settings.
#include "page_engine_fixture.h"

#include <cstring>
#include <vector>

#include "base/settings_field.h"
#include "context/module_events.h"
#include "model/module_dispatch.h"
#include "fields/product_record.h"
#include "pages/control_kinds.h"
#include "pages/edit_kinds.h"
#include "pages/list_kinds.h"
#include "pages/slider_kinds.h"
#include "plat/ui_driver.h"
#include "stored/snapshot_ring.h"
#include "win/controls.h"
#include "win/paint.h"

namespace value_kinds_test {

class ValueKindsTest : public kovatest::PageEngineTest {
 protected:
  void TearDown() override {
    for (auto& [control, saved] : saved_) *control = saved;
    for (auto& [field, type] : types_) field->type = type;
    for (PageRecord* page : pages_) {
      page->window = nullptr;
      for (int i = 0; i < page->controlCount; ++i) page->controls[i].window = nullptr;
    }
    for (HWND w : windows_) DestroyWindow(w);
    PageEngineTest::TearDown();
  }
  HWND OpenPage(DriverContext* context, PageRecord* page) {
    HWND window = CreateWindowExW(0, u"#32770", u"Page", WS_POPUP | WS_VISIBLE, 100, 100, 400, 300, nullptr, nullptr,
                                  nullptr, nullptr);
    SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(context));
    page->window = window;
    context->pageId = page->pageId;
    windows_.push_back(window);
    pages_.push_back(page);
    return window;
  }
  // A window of the class for the control on its page; the record is put back at the end.
  HWND Place(PageRecord* page, ControlRecord* control, const WCHAR* cls, DWORD style = 0, WORD kind = 0) {
    saved_.emplace_back(control, *control);
    if (kind) control->kind = kind;
    control->state = 0;
    control->window = CreateWindowExW(0, cls, u"", WS_CHILD | WS_VISIBLE | style, 0, 0, 120, 20, page->window,
                                      reinterpret_cast<HMENU>(static_cast<ULONG_PTR>(control->controlId)), nullptr,
                                      nullptr);
    return control->window;
  }
  void SetFieldCode(SettingField* field, DWORD code) {
    types_.emplace_back(field, field->type);
    field->type = MakeFieldType(FieldSizeOf(field->type), code, FieldAreaOf(field->type));
  }
  static std::u16string Text(HWND w) { return plat::ui::Text(w); }

  std::vector<std::pair<ControlRecord*, ControlRecord>> saved_;
  std::vector<std::pair<SettingField*, DWORD>> types_;
  std::vector<HWND> windows_;
  std::vector<PageRecord*> pages_;
};

// Typing into the copies edit: what the field's type or the option's range cannot hold is
// refused (the typed character is taken back) and the field keeps its value.
TEST_F(ValueKindsTest, NumericEditRefusesWhatTheFieldCannotHold) {
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  PageRecord* page = FindPageById(context, 1001);
  ControlRecord* copies = page ? FindControlById(context, page, 2029) : nullptr;
  ASSERT_NE(copies, nullptr);
  ASSERT_NE(GetControlField(context, copies), nullptr);
  OpenPage(context, page);
  struct Case {
    DWORD code;
    const char16_t* text;
    bool userUnits;
    bool inch;
    DWORD stored;  // 0: refused, the field keeps 5
  } cases[] = {
      {FT_S16, u"70000", false, false, 0},   {FT_S16, u"998", false, false, 998},
      {FT_U8, u"300", false, false, 0},      {FT_U8, u"200", false, false, 200},
      {FT_S8, u"200", false, false, 0},      {FT_S8, u"100", false, false, 100},
      {FT_S16, u"4294967297", false, false, 0},
      {FT_S32, u"1789570", true, true, 0},   {FT_S32, u"-1", true, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text)));
    HWND edit = Place(page, copies, u"Edit");
    if (c.userUnits) copies->flags |= CTLF_USER_UNITS;
    WriteFieldRawById(context, fid::kdmDspUnit, c.inch ? 1 : 0);
    SetFieldCode(copies->field, c.code);
    SetControlFieldValue(context, copies, 5);
    SetWindowTextW(edit, c.text);
    DispatchControlCommand(context, page, copies, MAKEWPARAM(2029, EN_CHANGE), reinterpret_cast<LPARAM>(edit));
    EXPECT_EQ(GetControlFieldValue(context, copies), c.stored ? c.stored : 5u);
    MSG msg{};
    const bool backspace = PeekMessageW(&msg, edit, WM_CHAR, WM_CHAR, PM_REMOVE) && msg.wParam == VK_BACK;
    EXPECT_EQ(backspace, c.stored == 0);
    copies->field->type = types_.back().second;
    types_.pop_back();
    *copies = saved_.back().second;
    saved_.pop_back();
    DestroyWindow(edit);
  }
}

// Leaving the edit takes the same test: a value the field cannot hold is not written and the
// field's value comes back; an emptied edit shows the field's value again.
TEST_F(ValueKindsTest, NumericEditLeftWithARefusedOrEmptyTextShowsTheField) {
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  PageRecord* page = FindPageById(context, 1001);
  ControlRecord* copies = page ? FindControlById(context, page, 2029) : nullptr;
  ASSERT_NE(copies, nullptr);
  OpenPage(context, page);
  HWND edit = Place(page, copies, u"Edit");
  for (const char16_t* typed : {u"70000", u"", u"0"}) {
    SCOPED_TRACE(std::string(typed, typed + std::char_traits<char16_t>::length(typed)));
    SetControlFieldValue(context, copies, 7);
    SetWindowTextW(edit, typed);
    OnNumericEditMessage(context, page, copies, WM_KILLFOCUS, 0, 0);
    EXPECT_EQ(GetControlFieldValue(context, copies), 7u);
    EXPECT_EQ(Text(edit).substr(0, 1), u"7");
  }
  SetWindowTextW(edit, u"12");
  OnNumericEditMessage(context, page, copies, WM_KILLFOCUS, 0, 0);
  EXPECT_EQ(GetControlFieldValue(context, copies), 12u);
}

// The check list's lines edit the fields of its id array, which ends with id 0: lines past
// it have no field and a click on them changes nothing.
TEST_F(ValueKindsTest, CheckListEditsOnlyTheFieldsOfItsArray) {
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  PageRecord* page = FindPageById(context, 1065);
  ControlRecord* list = page ? FindControlById(context, page, 2817) : nullptr;
  ASSERT_NE(list, nullptr);
  for (int line = 0; line < 12; ++line) EXPECT_EQ(CheckListLineField(list, line), 349 + line) << line;
  EXPECT_EQ(CheckListLineField(list, 12), 0);
  EXPECT_EQ(CheckListLineField(list, 40), 0);
  EXPECT_EQ(CheckListLineField(list, -1), 0);
  OpenPage(context, page);
  HWND box = Place(page, list, u"ListBox", LBS_NOTIFY);
  for (int i = 0; i < 20; ++i) {
    SendMessageW(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u""));
    SendMessageW(box, LB_SETITEMDATA, static_cast<WPARAM>(i), 100 + i);
  }
  struct Case {
    int selection;
    bool greyed;
    UINT message;
    WPARAM wParam;
    int toggled;  // field id that flips, 0 none
  } cases[] = {
      {3, false, WM_LBUTTONUP, 0, 352},    {3, false, WM_CHAR, u' ', 352}, {3, false, WM_CHAR, u'x', 0},
      {3, true, WM_LBUTTONUP, 0, 0},       {-1, false, WM_LBUTTONUP, 0, 0}, {11, false, WM_LBUTTONUP, 0, 360},
      {12, false, WM_LBUTTONUP, 0, 0},     {19, false, WM_CHAR, u' ', 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.selection);
    std::vector<DWORD> before;
    for (WORD id = 349; id <= 380; ++id) before.push_back(GetFieldValueById(context, id));
    SendMessageW(box, LB_SETCURSEL, static_cast<WPARAM>(c.selection), 0);
    SetControlGreyed(list, c.greyed ? 1 : 0);
    EXPECT_EQ(DrawCheckListItem(context, page, list, c.message, c.wParam, 0), 0);
    for (WORD id = 349; id <= 380; ++id) {
      const DWORD was = before[static_cast<std::size_t>(id - 349)];
      EXPECT_EQ(GetFieldValueById(context, id), id == c.toggled ? (was ? 0u : 1u) : was) << id;
    }
  }
}

// Radio buttons and check boxes take the clicks of the pictures linked to them.
TEST_F(ValueKindsTest, RadioButtonsAndCheckBoxesTakePictureClicks) {
  const ControlKind* radio = FindControlKind(41);
  const ControlKind* check = FindControlKind(22);
  ASSERT_TRUE(radio && check);
  EXPECT_EQ(radio->prefilter, &SelectRadioButton);
  EXPECT_EQ(check->prefilter, &ToggleCheckBox);
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  PageRecord* page = FindPageById(context, 1001);
  ControlRecord* portrait = page ? FindControlById(context, page, 2026) : nullptr;
  ControlRecord* landscape = page ? FindControlById(context, page, 2027) : nullptr;
  ASSERT_TRUE(portrait && landscape);
  OpenPage(context, page);
  HWND p = Place(page, portrait, u"Button", BS_AUTORADIOBUTTON);
  HWND l = Place(page, landscape, u"Button", BS_AUTORADIOBUTTON);
  for (ControlRecord* picked : {landscape, portrait, landscape}) {
    SCOPED_TRACE(picked->controlId);
    EXPECT_EQ(radio->prefilter(context, page, picked, WM_LBUTTONUP, 0, 0), 1);
    EXPECT_EQ(GetControlFieldValue(context, picked) & 0xFFFF, picked->controlId);
    UpdateControl(context, page, portrait);
    UpdateControl(context, page, landscape);
    EXPECT_EQ(SendMessageW(p, BM_GETCHECK, 0, 0), picked == portrait ? BST_CHECKED : BST_UNCHECKED);
    EXPECT_EQ(SendMessageW(l, BM_GETCHECK, 0, 0), picked == landscape ? BST_CHECKED : BST_UNCHECKED);
  }
  // A click on the button already checked changes nothing.
  const DWORD before = GetControlFieldValue(context, landscape);
  EXPECT_EQ(OnRadioCommand(context, page, landscape, MAKEWPARAM(2027, BN_CLICKED), 0), 0);
  EXPECT_EQ(GetControlFieldValue(context, landscape), before);
}

// The copies spin bar steps the setting of the edit it is linked to, within the option's range.
TEST_F(ValueKindsTest, SpinBarStepsItsEditsSetting) {
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  PageRecord* page = FindPageById(context, 1001);
  ControlRecord* spin = page ? FindControlById(context, page, 2030) : nullptr;
  ControlRecord* copies = page ? FindControlById(context, page, 2029) : nullptr;
  ASSERT_TRUE(spin && copies);
  OpenPage(context, page);
  HWND bar = Place(page, spin, u"ScrollBar", SBS_VERT);
  Place(page, copies, u"Edit");
  SetControlFieldValue(context, copies, 998);
  InitControl(context, page, spin);
  int low = 0, high = 0;
  SendMessageW(bar, SBM_GETRANGE, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
  EXPECT_EQ(low, 1);
  EXPECT_EQ(high, 999);
  EXPECT_EQ(SendMessageW(bar, SBM_GETPOS, 0, 0), 998);
  struct Step {
    WORD code;
    DWORD copies;
  } steps[] = {{SB_LINEUP, 999}, {SB_ENDSCROLL, 999}, {SB_LINEUP, 999}, {SB_LINEDOWN, 998}, {SB_ENDSCROLL, 998}};
  for (const Step& s : steps) {
    EXPECT_EQ(DispatchControlMessage(context, page, spin, WM_VSCROLL, MAKEWPARAM(s.code, 0), reinterpret_cast<LPARAM>(bar)),
              1);
    EXPECT_EQ(GetControlFieldValue(context, copies), s.copies);
  }
  // Another bar's scrolling is not this one's.
  EXPECT_EQ(DispatchControlMessage(context, page, spin, WM_VSCROLL, SB_LINEUP, 0), 0);
}

std::int32_t ReversedSlider(DriverContext*, DWORD event, void* block, void*) {
  if (event != MODEV_SLIDER_DIRECTION) return 0;
  static_cast<ControlValueEventBlock*>(block)->value = 1;
  return 1;
}

// A slider a module runs reversed shows maximum - value and stores maximum - position; the
// sign pop-up covers only the arrow boxes.
TEST_F(ValueKindsTest, ReversedSliderStoresMaximumLessPosition) {
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  ASSERT_TRUE(context->work && context->work->modules && context->work->modules->count > 0);
  PageRecord* page = FindPageById(context, 1001);
  ControlRecord* copies = page ? FindControlById(context, page, 2029) : nullptr;
  ASSERT_NE(copies, nullptr);
  OpenPage(context, page);
  HWND bar = Place(page, copies, u"ScrollBar", SBS_HORZ, 84);
  SetControlFieldValue(context, copies, 100);
  InitControl(context, page, copies);
  ExtensionModule& first = context->work->modules->records[0];
  const ModuleEventHook savedHook = first.eventHook;
  for (bool reversed : {false, true}) {
    SCOPED_TRACE(reversed);
    first.eventHook = reversed ? &ReversedSlider : savedHook;
    SetControlFieldValue(context, copies, 100);
    UpdateControl(context, page, copies);
    EXPECT_EQ(SendMessageW(bar, SBM_GETPOS, 0, 0), reversed ? 899 : 100);
    EXPECT_EQ(DispatchControlMessage(context, page, copies, WM_HSCROLL, SB_LINERIGHT, reinterpret_cast<LPARAM>(bar)), 1);
    EXPECT_EQ(GetControlFieldValue(context, copies), reversed ? 99u : 101u);
    EXPECT_EQ(DispatchControlMessage(context, page, copies, WM_HSCROLL, SB_ENDSCROLL, reinterpret_cast<LPARAM>(bar)),
              1);
    EXPECT_EQ(GetControlFieldValue(context, copies), reversed ? 99u : 101u);
  }
  first.eventHook = savedHook;
  HWND sign = ShowSliderSignPopup(context, page, copies, 2, 5);
  EXPECT_NE(sign, nullptr);
  if (sign) DestroyWindow(sign);
  EXPECT_EQ(ShowSliderSignPopup(context, page, copies, 60, 5), nullptr);
}

// A value list shows the current value selected from its start, the owner-drawn one too.
TEST_F(ValueKindsTest, ValueListsSelectTheCurrentValue) {
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  PageRecord* page = FindPageById(context, 1001);
  ControlRecord* media = page ? FindControlById(context, page, 2009) : nullptr;
  ASSERT_NE(media, nullptr);
  OpenPage(context, page);
  for (WORD kind : {WORD{42}, WORD{47}, WORD{43}}) {
    SCOPED_TRACE(kind);
    const bool combo = kind == 43;
    HWND w = Place(page, media, combo ? u"ComboBox" : u"ListBox", combo ? CBS_DROPDOWNLIST : LBS_NOTIFY, kind);
    InitControl(context, page, media);
    UpdateControl(context, page, media);
    const LRESULT count = SendMessageW(w, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
    ASSERT_GT(count, 1);
    const LRESULT at = SendMessageW(w, combo ? CB_GETCURSEL : LB_GETCURSEL, 0, 0);
    ASSERT_GE(at, 0);
    EXPECT_EQ(static_cast<DWORD>(SendMessageW(w, combo ? CB_GETITEMDATA : LB_GETITEMDATA, static_cast<WPARAM>(at), 0)),
              GetControlFieldValue(context, media));
    // Choosing another item writes it.
    const WPARAM other = at == 0 ? 1 : 0;
    const auto value = static_cast<DWORD>(SendMessageW(w, combo ? CB_GETITEMDATA : LB_GETITEMDATA, other, 0));
    SendMessageW(w, combo ? CB_SETCURSEL : LB_SETCURSEL, other, 0);
    EXPECT_EQ(DispatchControlCommand(context, page, media, MAKEWPARAM(2009, 1), reinterpret_cast<LPARAM>(w)), 1);
    EXPECT_EQ(GetControlFieldValue(context, media), value);
    *media = saved_.back().second;
    saved_.pop_back();
    DestroyWindow(w);
  }
}

// Drawing the preset list leaves the settings byte for byte as they were and opens nothing,
// also when no snapshot can be pushed; a choice that cannot be snapshotted is taken back.
TEST_F(ValueKindsTest, PresetListDrawsWithoutChangingTheSettings) {
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  PageRecord* page = FindPageById(context, 1001);
  ControlRecord* presets = page ? FindControlById(context, page, 2001) : nullptr;
  ASSERT_NE(presets, nullptr);
  ASSERT_NE(context->settings, nullptr);
  OpenPage(context, page);
  HWND list = Place(page, presets, u"ListBox", LBS_NOTIFY | LBS_OWNERDRAWFIXED);
  SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"PresetList0"));
  SendMessageW(list, LB_SETITEMDATA, 0, 120);
  SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"PresetList1-a-key-far-longer-than-a-key"));
  SendMessageW(list, LB_SETITEMDATA, 1, 121);
  SendMessageW(list, LB_SETCURSEL, 0, 0);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 120, 60);
  HGDIOBJ old = SelectObject(dc, bitmap);
  const DWORD size = GetSettingsBufferSize();
  const std::vector<BYTE> before(context->settings, context->settings + size);
  auto draw = [&](UINT item, UINT state) {
    DRAWITEMSTRUCT di{};
    di.CtlType = ODT_LISTBOX;
    di.CtlID = 2001;
    di.itemID = item;
    di.itemAction = ODA_DRAWENTIRE;
    di.itemState = state;
    di.hwndItem = list;
    di.hDC = dc;
    di.rcItem = RECT{0, 0, 120, 60};
    di.itemData = static_cast<ULONG_PTR>(SendMessageW(list, LB_GETITEMDATA, item, 0));
    return DispatchControlMessage(context, page, presets, WM_DRAWITEM, 2001, reinterpret_cast<LPARAM>(&di));
  };
  EXPECT_EQ(draw(0, ODS_SELECTED), 1);
  EXPECT_EQ(draw(1, 0), 1);
  EXPECT_EQ(std::memcmp(before.data(), context->settings, size), 0);
  EXPECT_EQ(plat::ui::ActiveModal(), nullptr);
  // The ring full: drawing shows the name only, a choice is taken back.
  int pushed = 0;
  while (PushSettingsSnapshot(context) && pushed < 64) ++pushed;
  const std::vector<BYTE> full(context->settings, context->settings + size);
  EXPECT_EQ(draw(0, 0), 1);
  SendMessageW(list, LB_SETCURSEL, 1, 0);
  EXPECT_EQ(DispatchControlCommand(context, page, presets, MAKEWPARAM(2001, LBN_SELCHANGE), 0), 1);
  EXPECT_EQ(std::memcmp(full.data(), context->settings, size), 0);
  EXPECT_NE(SendMessageW(list, LB_GETCURSEL, 0, 0), 1);
  while (pushed-- > 0) PopSettingsSnapshot(context, 1);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
}

}  // namespace value_kinds_test
