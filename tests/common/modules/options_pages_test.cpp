// The installable-options page: a click on an option line switches the printer-side
// settings of its row, and rebuilds the tray list where the row says so; the tray details
// write the selected tray's own settings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/dictionary_pages.h"
#include "base/driver_context.h"
#include "context/module_hooks.h"
#include "context/page_binding.h"
#include "field_ids.h"
#include "fields/field_access.h"
#include "modules/summary_module.h"
#include "modules/tray_tables.h"
#include "model_context.h"
#include "modules_fixture.h"
#include "win/commctrl.h"
#include "win/controls.h"
#include "win/window.h"

namespace kovatest {
namespace options_pages_test {
namespace {

constexpr WORD kPage = 1011;
constexpr WORD kOptionList = 2164;
constexpr WORD kTrayView = 2166;

class OptionsPage : public ModulesTest {
 protected:
  void SetUp() override {
    ModulesTest::SetUp();
    page_ = FindPageById(ctx_, kPage);
    ASSERT_NE(page_, nullptr);
    frame_ = CreateWindowExW(0, u"#32770", u"Options", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(frame_, nullptr);
    page_->window = frame_;
    HWND list = CreateWindowExW(0, u"ListBox", u"", WS_CHILD | LBS_HASSTRINGS, 0, 0, 200, 100, frame_,
                                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kOptionList)), nullptr, nullptr);
    HWND view = CreateWindowExW(0, u"SysListView32", u"", WS_CHILD | LVS_REPORT, 0, 100, 400, 100, frame_,
                                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kTrayView)), nullptr, nullptr);
    ASSERT_TRUE(list && view);
    Control(kPage, kOptionList)->window = list;
    Control(kPage, kTrayView)->window = view;
  }
  void TearDown() override {
    for (int i = 0; i < page_->controlCount; ++i) page_->controls[i].window = nullptr;
    page_->window = nullptr;
    if (frame_) DestroyWindow(frame_);
    ModulesTest::TearDown();
  }
  HWND List() { return Control(kPage, kOptionList)->window; }
  HWND View() { return Control(kPage, kTrayView)->window; }

  PageRecord* page_ = nullptr;
  HWND frame_ = nullptr;
};

// A click on a line switches it: on when it is off, off (with its off list) when it is on;
// the one-step lines rebuild the tray list. A greyed list changes nothing.
TEST_F(OptionsPage, ClickSwitchesTheSelectedLine) {
  struct Case {
    WORD line;
    bool on;                 // the line's settings before the click
    bool greyed;
    DWORD memoryType, printerMemory, oneStepCount;  // after the click
    bool rebuilt;
  } const cases[] = {
      {606, true, false, 254, 604, 0, false},
      {608, true, false, 254, 604, 0, false},
      {607, true, false, 254, 607, 0, false},
      {609, true, false, 254, 609, 0, false},
      {612, true, false, 254, 612, 0, false},
      {613, true, false, 254, 613, 0, false},
      {606, false, false, 254, 606, 0, false},
      {365, true, false, 0, 0, 2, true},
      {143, false, false, 0, 0, 1, true},
      {365, true, true, 0, 0, 3, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.line << (c.on ? " on" : " off") << (c.greyed ? " greyed" : ""));
    Set(fid::kdmMemoryType, 0);
    Set(fid::kdmPrinterMemory, 0);
    Set(fid::kdmSourceOptionType1Step, 0);
    Set(fid::kdm1StepOptionNum, 0);
    const TrayOptionRow* row = FindTrayRow(c.line, 0);
    ASSERT_NE(row, nullptr);
    if (c.on) {
      Set(row->fieldId, static_cast<DWORD>(row->value));
      Set(row->secondFieldId, static_cast<DWORD>(row->secondValue));
    }
    ControlRecord* list = Control(kPage, kOptionList);
    SetControlGreyed(list, c.greyed ? 1 : 0);
    SendMessageW(List(), LB_RESETCONTENT, 0, 0);
    SendMessageW(List(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"line"));
    SendMessageW(List(), LB_SETITEMDATA, 0, c.line);
    SendMessageW(List(), LB_SETCURSEL, 0, 0);
    // A tray listed before: a rebuild empties the list view and fills it from the model.
    SendMessageW(View(), LVM_DELETEALLITEMS, 0, 0);
    LVITEMW stale{};
    stale.mask = LVIF_TEXT | LVIF_PARAM;
    stale.pszText = const_cast<LPWSTR>(u"stale");
    stale.lParam = 999;
    SendMessageW(View(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&stale));

    EXPECT_EQ(OptionsModuleMessage(ctx_, page_, list, WM_LBUTTONUP, 0, 0, nullptr), 0);
    if (c.line >= 600) {
      EXPECT_EQ(Get(fid::kdmMemoryType), c.memoryType);
      EXPECT_EQ(Get(fid::kdmPrinterMemory), c.printerMemory);
    } else {
      EXPECT_EQ(Get(fid::kdm1StepOptionNum), c.oneStepCount);
    }
    bool stalePresent = false;
    const auto count = static_cast<int>(SendMessageW(View(), LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      LVITEMW item{};
      item.mask = LVIF_PARAM;
      item.iItem = i;
      SendMessageW(View(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
      stalePresent = stalePresent || item.lParam == 999;
    }
    EXPECT_EQ(!stalePresent, c.rebuilt);
  }
  SetControlGreyed(Control(kPage, kOptionList), 0);
  // A space switches as a click does; another character does nothing.
  Set(fid::kdmSourceOptionType1Step, 0);
  Set(fid::kdm1StepOptionNum, 0);
  SendMessageW(List(), LB_SETITEMDATA, 0, 143);
  EXPECT_EQ(OptionsModuleMessage(ctx_, page_, Control(kPage, kOptionList), WM_CHAR, u'x', 0, nullptr), 0);
  EXPECT_EQ(Get(fid::kdm1StepOptionNum), 0u);
  EXPECT_EQ(OptionsModuleMessage(ctx_, page_, Control(kPage, kOptionList), WM_CHAR, u' ', 0, nullptr), 0);
  EXPECT_EQ(Get(fid::kdm1StepOptionNum), 1u);
}

// A model whose tray list has three trays (value ids 2, 3 and 5: tray indexes 0, 1 and 2),
// the second disabled while duplex printing is on.
std::string TrayModel() {
  return PickOne("KPD_IDC_FUNCSELECTDUPLEX", {}, nullptr, "Boolean") +
         PickOne("KPD_IDC_OPTION_CHOICE_SOURCE", {"KDMSCALE_2", "KDMSCALE_3", "KDMSCALE_5"}, "KDMSCALE_2") +
         "*Judge 1=DuplexOn: KPD_IDC_FUNCSELECTDUPLEX == 1\r\n"
         "*Item 1=Trays: {{KDMSCALE_3 DuplexOn NULL NULL}}\r\n"
         "*Exclusive: {{KPD_IDC_OPTION_CHOICE_SOURCE NULL NULL Trays NULL NULL NULL NULL}}\r\n";
}

class TrayView : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(ModelContext::Id("KDMSCALE_3"), 3);
    ASSERT_TRUE(CopyBuiltInPageTable(mc_.ctx()->pages));
    page_ = FindPageById(mc_.ctx(), kPage);
    ASSERT_NE(page_, nullptr);
    frame_ = CreateWindowExW(0, u"#32770", u"Options", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
    view_ = CreateWindowExW(0, u"SysListView32", u"", WS_CHILD | LVS_REPORT, 0, 0, 400, 100, frame_,
                            reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kTrayView)), nullptr, nullptr);
    ASSERT_TRUE(frame_ && view_);
    page_->window = frame_;
    Control(kTrayView)->window = view_;
  }
  void TearDown() override {
    for (int i = 0; page_ && i < page_->controlCount; ++i) page_->controls[i].window = nullptr;
    if (frame_) DestroyWindow(frame_);
    FreePageTable(mc_.ctx()->pages);
  }
  ControlRecord* Control(WORD id) { return FindControlById(mc_.ctx(), page_, id); }
  std::int32_t Send(WORD id, DWORD message, WPARAM wParam, LPARAM lParam = 0) {
    return OptionsModuleMessage(mc_.ctx(), page_, Control(id), message, wParam, lParam, nullptr);
  }
  std::vector<LPARAM> Listed() {
    std::vector<LPARAM> values;
    const auto count = static_cast<int>(SendMessageW(view_, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      LVITEMW item{};
      item.mask = LVIF_PARAM;
      item.iItem = i;
      SendMessageW(view_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
      values.push_back(item.lParam);
    }
    return values;
  }

  ModelContext mc_{TrayModel()};
  PageRecord* page_ = nullptr;
  HWND frame_ = nullptr;
  HWND view_ = nullptr;
};

// Only the trays the rules allow are listed; a tray the rules disable is marked absent, the
// listed ones present; the first listed tray is selected and its details shown.
TEST_F(TrayView, ListsTheAllowedTraysAndMarksTheOthersAbsent) {
  struct Case {
    DWORD duplex;
    std::vector<LPARAM> listed;
    DWORD present1;
  } const cases[] = {{0, {2, 3, 5}, 1}, {1, {2, 5}, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.duplex);
    SendMessageW(view_, LVM_DELETEALLITEMS, 0, 0);
    mc_.SetRaw(fid::kdmFuncSelectDuplex, c.duplex);
    mc_.SetRaw(fid::kdmTrayField0, 0);
    mc_.SetRaw(fid::kdmTrayField0 + 1, 1);
    mc_.SetRaw(fid::kdmTrayField0 + 2, 0);
    mc_.SetRaw(fid::kdmTray1Paper, 9);
    EXPECT_EQ(Send(kTrayView, WM_INITDIALOG, 0), 1);
    EXPECT_EQ(Listed(), c.listed);
    EXPECT_EQ(mc_.Raw(fid::kdmTrayField0), 1u);
    EXPECT_EQ(mc_.Raw(fid::kdmTrayField0 + 1), c.present1);
    EXPECT_EQ(mc_.Raw(fid::kdmTrayField0 + 2), 1u);
    EXPECT_EQ(ReadFieldRaw(mc_.ctx(), GetControlField(mc_.ctx(), Control(kTrayView))), 2u);
    EXPECT_EQ(SendMessageW(view_, LVM_GETITEMSTATE, 0, LVIS_SELECTED), static_cast<LRESULT>(LVIS_SELECTED));
    EXPECT_EQ(ReadFieldRaw(mc_.ctx(), GetControlField(mc_.ctx(), Control(2168))), 9u);
  }
  // A list that holds trays is left as it is.
  mc_.SetRaw(fid::kdmFuncSelectDuplex, 0);
  EXPECT_EQ(Send(kTrayView, WM_INITDIALOG, 0), 1);
  EXPECT_EQ(Listed(), (std::vector<LPARAM>{2, 5}));
}

// Choosing a tray shows its settings; a detail control then writes the chosen tray's own
// field and no other.
TEST_F(TrayView, DetailsWriteTheSelectedTray) {
  ASSERT_EQ(Send(kTrayView, WM_INITDIALOG, 0), 1);
  mc_.SetRaw(fid::kdmTray1Paper + 2, 11);
  mc_.SetRaw(fid::kdmTrayOrient0 + 2, 1);
  NMLISTVIEW change{};
  change.hdr.hwndFrom = view_;
  change.hdr.idFrom = kTrayView;
  change.hdr.code = LVN_ITEMCHANGED;
  change.iItem = 2;
  change.uNewState = LVIS_SELECTED;
  change.lParam = 5;
  EXPECT_EQ(Send(kTrayView, WM_NOTIFY, kTrayView, reinterpret_cast<LPARAM>(&change)), 1);
  EXPECT_EQ(ReadFieldRaw(mc_.ctx(), GetControlField(mc_.ctx(), Control(kTrayView))), 5u);
  EXPECT_EQ(ReadFieldRaw(mc_.ctx(), GetControlField(mc_.ctx(), Control(2168))), 11u);
  EXPECT_EQ(ReadFieldRaw(mc_.ctx(), GetControlField(mc_.ctx(), Control(2173))), 2175u);

  struct Case {
    WORD control;
    WORD notification;
    WORD trayField;  // of tray index 2
    DWORD value;
  } const cases[] = {
      {2168, CBN_SELCHANGE, static_cast<WORD>(fid::kdmTray1Paper + 2), 13},
      {2170, CBN_SELCHANGE, static_cast<WORD>(fid::kdmTray1Paper + kPerTrayFields + 2), 4},
      {2551, BN_CLICKED, static_cast<WORD>(fid::kdmTrayLock0 + 2), 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.control);
    const DWORD tray0 = mc_.Raw(static_cast<WORD>(c.trayField - 2));
    WriteFieldRaw(mc_.ctx(), GetControlField(mc_.ctx(), Control(c.control)), c.value);
    EXPECT_EQ(Send(c.control, WM_COMMAND, MAKEWPARAM(c.control, c.notification)), 1);
    EXPECT_EQ(mc_.Raw(c.trayField), c.value);
    EXPECT_EQ(mc_.Raw(static_cast<WORD>(c.trayField - 2)), tray0);
  }
  // The portrait button turns the tray back.
  WriteFieldRaw(mc_.ctx(), GetControlField(mc_.ctx(), Control(2173)), 2173);
  EXPECT_EQ(Send(2173, WM_COMMAND, MAKEWPARAM(2173, BN_CLICKED)), 1);
  EXPECT_EQ(mc_.Raw(static_cast<WORD>(fid::kdmTrayOrient0 + 2)), 0u);
}

// The settings summary's tray block has a label line and four lines for each tray the
// rules allow, as the tray list view lists them.
TEST_F(TrayView, SummaryListsTheAllowedTrays) {
  static const SummaryEntry entries[] = {{13444, 0, 0}};
  SummaryList list{};
  list.type = 4;
  list.count = 1;
  list.entries = entries;
  ControlRecord edit{};
  edit.controlId = 2148;
  edit.extraData = &list;
  struct Case {
    DWORD duplex;
    int lines;
  } const cases[] = {{0, 1 + 3 * 4}, {1, 1 + 2 * 4}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.duplex);
    mc_.SetRaw(fid::kdmFuncSelectDuplex, c.duplex);
    std::vector<WCHAR> text(kSummaryChars);
    BuildSummaryText(mc_.ctx(), &edit, text.data(), kSummaryChars);
    int lines = 0;
    for (int i = 0; text[static_cast<std::size_t>(i)]; ++i) lines += text[static_cast<std::size_t>(i)] == u'\n';
    EXPECT_EQ(lines, c.lines);
  }
}

}  // namespace
}  // namespace options_pages_test
}  // namespace kovatest
