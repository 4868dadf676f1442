// The installable-options page: a click on an option line switches the printer-side
// settings of its row, and rebuilds the tray list where the row says so; the tray details
// write the selected tray's own settings.
#include <gtest/gtest.h>

#include <string>

#include "base/dictionary_pages.h"
#include "base/driver_context.h"
#include "context/module_hooks.h"
#include "context/page_binding.h"
#include "field_ids.h"
#include "fields/field_access.h"
#include "modules/tray_tables.h"
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

}  // namespace
}  // namespace options_pages_test
}  // namespace kovatest
