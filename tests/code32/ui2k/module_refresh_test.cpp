// A module's request to refresh the open page: the pages that have their window show the
// settings as they are now; a context without an open page is left alone.
#include "field_ids.h"
#include "modules/module_ui.h"
#include "page_engine_fixture.h"

namespace kovatest {
namespace module_refresh_test {
namespace {

class ModuleRefreshTest : public PageEngineTest {};

std::u16string TextOf(HWND window) {
  WCHAR text[32] = {};
  GetWindowTextW(window, text, 32);
  return std::u16string(reinterpret_cast<const char16_t*>(text));
}

TEST_F(ModuleRefreshTest, TheOpenPageShowsTheSettingsAsTheyAreNow) {
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  PageRecord* page = FindPageById(context, 1001);
  ControlRecord* copies = page ? FindControlById(context, page, 2029) : nullptr;
  ASSERT_NE(copies, nullptr);
  HWND frame = CreateWindowExW(0, u"#32770", u"Page", WS_POPUP | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr,
                               nullptr, nullptr);
  HWND edit = CreateWindowExW(0, u"Edit", u"", WS_CHILD | WS_VISIBLE, 10, 10, 40, 12, frame,
                              reinterpret_cast<HMENU>(static_cast<UINT_PTR>(2029)), nullptr, nullptr);
  ASSERT_TRUE(frame && edit);
  copies->window = edit;

  // The page is not open: nothing is shown.
  WriteFieldRawById(context, fid::dmCopies, 7);
  RefreshOpenPage(context);
  EXPECT_EQ(TextOf(edit), u"");

  // Open: the edit shows the copies.
  page->window = frame;
  RefreshOpenPage(context);
  EXPECT_EQ(TextOf(edit), u"7");
  WriteFieldRawById(context, fid::dmCopies, 12);
  RefreshOpenPage(context);
  EXPECT_EQ(TextOf(edit), u"12");

  page->window = nullptr;
  copies->window = nullptr;
  DestroyWindow(frame);
}

}  // namespace
}  // namespace module_refresh_test
}  // namespace kovatest
