// The custom paper pages: the inch copies of the custom size kept within the input page's
// limits, the display unit switched on the unit page, and the free-size list edited entry by
// entry.
#include <gtest/gtest.h>

#include <string>

#include "base/dictionary_pages.h"
#include "base/driver_context.h"
#include "context_fixture.h"
#include "context/module_events.h"
#include "context/module_hooks.h"
#include "field_ids.h"
#include "fields/field_access.h"
#include "model/module_dispatch.h"
#include "model/units.h"
#include "modules_fixture.h"
#include "model/free_size_list.h"
#include "stored/module_services.h"
#include "win/controls.h"
#include "win/window.h"

namespace kovatest {
namespace custom_paper_pages_test {
namespace {

constexpr WORD kInputPage = 1041;
constexpr WORD kUnitPage = 1013;
constexpr WORD kFreeSizePage = 1017;
constexpr WORD kEntryList = 2364;

class CustomPaperPages : public ModulesTest {
 protected:
  void InchMode() {
    Set(fid::dmPaperSize, 256);
    Set(fid::kdmDspUnit, 1);
    Set(fid::wdmInputFreeSizeType, 1);
    Set(fid::kdmPaperFreeSizeTray, 1);
    Set(fid::kdmPaperFreeSizeOrient, 1);
  }
};

// The inch copies follow the custom size within the input page's edits' limits (tray 1,
// portrait: length 5.83-17.00 in, width 3.55-11.69 in), whichever page is open when the
// clamp runs.
TEST_F(CustomPaperPages, InchCopiesKeepTheInputPageLimitsFromAnyPage) {
  struct Case {
    const char* name;
    WORD openPage;
    DWORD length, width;              // 1200 dpi
    DWORD inchLength, inchWidth;      // 0.01 inch
  } const cases[] = {
      {"within the limits", kInputPage, 12000, 6000, 1000, 500},
      {"beyond both, on the input page", kInputPage, 24000, 3000, 1700, 355},
      {"beyond both, another page open", 1001, 24000, 3000, 1700, 355},
      {"no page open", 0, 24000, 3000, 1700, 355},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    InchMode();
    ctx_->pageId = c.openPage;
    Set(fid::kdmPaperFreeSizeLength, c.length);
    Set(fid::kdmPaperFreeSizeWidth, c.width);
    NotifyModules(ctx_, MODEV_CHANGE_REFUSED, nullptr);
    EXPECT_EQ(Get(fid::kdmPaperINCHLength), c.inchLength);
    EXPECT_EQ(Get(fid::kdmPaperINCHWidth), c.inchWidth);
  }
}

// The unit page's OK carries the custom size over to the new unit: to inches rounded down
// to 0.01 inch from what millimetres showed, back to millimetres rounded up to 0.1 mm, each
// within the input page's limits (tray 1, portrait).
TEST_F(CustomPaperPages, UnitSwitchRoundTrip) {
  PageRecord* page = FindPageById(ctx_, kUnitPage);
  ASSERT_NE(page, nullptr);
  struct Case {
    const char* name;
    DWORD length, width;            // 1200 dpi, in millimetres
    DWORD inchLength, inchWidth;    // after the switch to inches
    DWORD backLength, backWidth;    // after the switch back
  } const cases[] = {
      {"whole inches", 12000, 6000, 1000, 500, 12000, 6000},
      {"rounded down, then up", 9000, 8000, 750, 666, 9000, 7992},
      {"limited in inches", 24000, 3000, 1700, 355, 20400, 4260},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Set(fid::dmPaperSize, 256);
    Set(fid::wdmInputFreeSizeType, 1);
    Set(fid::kdmPaperFreeSizeTray, 1);
    Set(fid::kdmPaperFreeSizeOrient, 1);
    Set(fid::kdmDspUnit, 0);
    Set(fid::wdmDspUnit, 0);
    Set(fid::kdmPaperFreeSizeLength, c.length);
    Set(fid::kdmPaperFreeSizeWidth, c.width);
    Set(fid::kdmDspUnit, 1);
    EXPECT_EQ(CustomPaperModuleMessage(ctx_, page, nullptr, WM_COMMAND, IDOK, 0, nullptr), 0);
    EXPECT_EQ(Get(fid::wdmDspUnit), 1u);
    EXPECT_EQ(Get(fid::kdmPaperINCHLength), c.inchLength);
    EXPECT_EQ(Get(fid::kdmPaperINCHWidth), c.inchWidth);
    // OK again without a change of unit changes nothing.
    Set(fid::kdmPaperINCHLength, 1);
    EXPECT_EQ(CustomPaperModuleMessage(ctx_, page, nullptr, WM_COMMAND, IDOK, 0, nullptr), 0);
    EXPECT_EQ(Get(fid::kdmPaperINCHLength), 1u);
    Set(fid::kdmPaperINCHLength, c.inchLength);
    Set(fid::kdmDspUnit, 0);
    EXPECT_EQ(CustomPaperModuleMessage(ctx_, page, nullptr, WM_COMMAND, IDOK, 0, nullptr), 0);
    EXPECT_EQ(Get(fid::kdmPaperFreeSizeLength), c.backLength);
    EXPECT_EQ(Get(fid::kdmPaperFreeSizeWidth), c.backWidth);
  }
}

// A created context: its free-size list is stored in the per-printer INI.
class FreeSizePage : public ContextTest {
 protected:
  void SetUp() override {
    ContextTest::SetUp();
    root_.WriteFile(u"C:\\_kova\\keep.txt", "");
    StartContext(u"Office");
    page_ = FindPageById(ctx_, kFreeSizePage);
    ASSERT_NE(page_, nullptr);
    frame_ = CreateWindowExW(0, u"#32770", u"Free sizes", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr,
                             nullptr);
    ASSERT_NE(frame_, nullptr);
    page_->window = frame_;
    HWND list = CreateWindowExW(0, u"ListBox", u"", WS_CHILD | LBS_HASSTRINGS, 0, 0, 200, 100, frame_,
                                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kEntryList)), nullptr, nullptr);
    ASSERT_NE(list, nullptr);
    Control(kFreeSizePage, kEntryList)->window = list;
  }
  ControlRecord* Control(WORD page, WORD id) {
    PageRecord* p = FindPageById(ctx_, page);
    return p ? FindControlById(ctx_, p, id) : nullptr;
  }
  void Set(WORD id, DWORD value) { WriteFieldRawById(ctx_, id, value); }
  DWORD Get(WORD id) { return ReadFieldRawById(ctx_, id); }
  void TearDown() override {
    for (int i = 0; i < page_->controlCount; ++i) page_->controls[i].window = nullptr;
    page_->window = nullptr;
    if (frame_) DestroyWindow(frame_);
    ContextTest::TearDown();
  }
  std::int32_t Send(WORD control, DWORD message, WPARAM wParam) {
    return CustomPaperModuleMessage(ctx_, page_, Control(kFreeSizePage, control), message, wParam, 0, nullptr);
  }
  HWND List() { return Control(kFreeSizePage, kEntryList)->window; }

  PageRecord* page_ = nullptr;
  HWND frame_ = nullptr;
};

// Choosing another entry stores the one being edited and loads the chosen one.
TEST_F(FreeSizePage, ChoosingAnEntryStoresTheEditedOneAndLoadsTheChosen) {
  // Entry 3 as stored before the page opens.
  Set(fid::wdmFreeSizeWidth, 5000);
  Set(fid::wdmFreeSizeLength, 9000);
  Set(fid::wdmFreeSizeTray, 4);
  Set(fid::wdmFreeSizeOrient, 1);
  WriteFreeSizeSection(ctx_, 3);

  ASSERT_EQ(Send(kEntryList, WM_INITDIALOG, 0), 1);
  EXPECT_EQ(SendMessageW(List(), LB_GETCOUNT, 0, 0), 10);
  EXPECT_EQ(SendMessageW(List(), LB_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(SendMessageW(List(), LB_GETITEMDATA, 9, 0), 118);
  EXPECT_EQ(ctx_->work->freeSizeEditing, 0u);

  // Entry 0 edited, then entry 3 chosen.
  Set(fid::wdmFreeSizeWidth, 6000);
  Set(fid::wdmFreeSizeLength, 10000);
  Set(fid::wdmFreeSizeTray, 2);
  SendMessageW(List(), LB_SETCURSEL, 3, 0);
  EXPECT_EQ(Send(kEntryList, WM_COMMAND, MAKEWPARAM(kEntryList, LBN_SELCHANGE)), 1);
  EXPECT_EQ(ctx_->work->freeSizes[0].width, 6000u);
  EXPECT_EQ(ctx_->work->freeSizes[0].length, 10000u);
  EXPECT_EQ(ctx_->work->freeSizes[0].tray, 2);
  EXPECT_EQ(ctx_->work->freeSizeEditing, 3u);
  EXPECT_EQ(Get(fid::wdmFreeSizeWidth), 5000u);
  EXPECT_EQ(Get(fid::wdmFreeSizeLength), 9000u);
  EXPECT_EQ(Get(fid::wdmFreeSizeTray), 4u);

  // Back to entry 0: what was stored comes back.
  SendMessageW(List(), LB_SETCURSEL, 0, 0);
  EXPECT_EQ(Send(kEntryList, WM_COMMAND, MAKEWPARAM(kEntryList, LBN_SELCHANGE)), 1);
  EXPECT_EQ(Get(fid::wdmFreeSizeWidth), 6000u);
  EXPECT_EQ(Get(fid::wdmFreeSizeLength), 10000u);

  // The list taking the focus shows the entry being edited again; losing it changes nothing.
  SendMessageW(List(), LB_SETCURSEL, 5, 0);
  EXPECT_EQ(Send(kEntryList, WM_COMMAND, MAKEWPARAM(kEntryList, LBN_SETFOCUS)), 1);
  EXPECT_EQ(SendMessageW(List(), LB_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(Send(kEntryList, WM_COMMAND, MAKEWPARAM(kEntryList, LBN_KILLFOCUS)), 1);
  EXPECT_EQ(ctx_->work->freeSizeEditing, 0u);
}

}  // namespace
}  // namespace custom_paper_pages_test
}  // namespace kovatest
