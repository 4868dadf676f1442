// WM_MEASUREITEM of the page dialog: it comes while the dialog's controls are made, before
// the dialog knows its context, and the control size table answers it for owner-drawn
// controls; any other control is left to its default.
#include <gtest/gtest.h>

#include <string>

#include "pages/page_dialog.h"
#include "plat/ui_driver.h"
#include "test_root.h"
#include "win/controls.h"
#include "win/loader.h"
#include "win/resources.h"
#include "win/window.h"

namespace {

class PageDialogMeasure : public ::testing::Test {
 protected:
  void SetUp() override { plat::ui::Reset(); }
  void TearDown() override {
    plat::ui::Reset();
    if (module_) FreeLibrary(module_);
  }
  kovatest::TempRoot root_;
  HMODULE module_ = nullptr;
};

TEST_F(PageDialogMeasure, TableRowsSizeItemsAndOtherIdsAreLeftAlone) {
  struct Case {
    WPARAM id;
    UINT width, height;  // before
    INT_PTR answer;
    UINT wantWidth, wantHeight;
  };
  const Case cases[] = {
      {2001, 0, 16, TRUE, 72, 93},    // preset icon list: both sizes
      {2164, 50, 16, TRUE, 50, 24},   // owner-drawn list: width 0 keeps the control's
      {2009, 0, 16, TRUE, 0, 24},     // owner-drawn combo
      {2003, 9, 16, FALSE, 9, 16},    // owner-drawn button: not in the table
      {4999, 9, 16, FALSE, 9, 16},    // unknown id
      {0x10000 + 2001, 9, 16, TRUE, 72, 93},  // the id is the low word
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    MEASUREITEMSTRUCT item{ODT_LISTBOX, static_cast<UINT>(c.id & 0xFFFF), 0, c.width, c.height, 0};
    EXPECT_EQ(PageDialogProc(nullptr, WM_MEASUREITEM, c.id, reinterpret_cast<LPARAM>(&item)), c.answer);
    EXPECT_EQ(item.itemWidth, c.wantWidth);
    EXPECT_EQ(item.itemHeight, c.wantHeight);
  }
}

TEST_F(PageDialogMeasure, ControlsOfATemplateGetTheirItemHeightWhileTheDialogIsMade) {
  root_.WriteFile(u"C:\\ui\\pages.rc",
                  "1001 DIALOGEX 0, 0, 240, 160\n"
                  "STYLE WS_POPUP\n"
                  "BEGIN\n"
                  "    CONTROL \"\", 2164, \"ListBox\", LBS_OWNERDRAWFIXED | WS_CHILD | WS_VISIBLE, 7, 7, 96, 36\n"
                  "    CONTROL \"\", 2009, \"ComboBox\", CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | "
                  "WS_CHILD | WS_VISIBLE, 111, 7, 96, 60\n"
                  "    CONTROL \"\", 3999, \"ListBox\", LBS_OWNERDRAWFIXED | WS_CHILD | WS_VISIBLE, 7, 60, 96, 36\n"
                  "END\n");
  module_ = LoadLibraryW(u"C:\\ui\\pages.dll");
  ASSERT_NE(module_, nullptr);
  // No context: the dialog refuses to start, but its controls exist and were measured.
  HWND dialog = CreateDialogParamW(module_, MAKEINTRESOURCEW(1001), nullptr, &PageDialogProc, 0);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(SendDlgItemMessageW(dialog, 2164, LB_GETITEMHEIGHT, 0, 0), 24);
  EXPECT_EQ(SendDlgItemMessageW(dialog, 2009, CB_GETITEMHEIGHT, 0, 0), 24);
  EXPECT_EQ(SendDlgItemMessageW(dialog, 3999, LB_GETITEMHEIGHT, 0, 0), 16);
  DestroyWindow(dialog);
}

}  // namespace
