// Context help of the page controls: F1 and a right-click reach WinHelp with the control's
// id and help id; hidden controls and controls that keep their right-clicks ask for none.
#include "page_engine_fixture.h"
#include "pages/page_dialog.h"
#include "base/paths_and_names.h"
#include "win/commdlg.h"

namespace help_tips_test {

class HelpTipsTest : public kovatest::PageEngineTest {
 protected:
  void TearDown() override {
    for (auto& [control, saved] : saved_) *control = saved;
    if (page_ && page_->window) DestroyWindow(page_->window);
    if (page_) {
      page_->window = nullptr;
      for (int i = 0; i < page_->controlCount; ++i) page_->controls[i].window = nullptr;
    }
    PageEngineTest::TearDown();
  }

  // The page's window at screen (100, 100), carrying the context as a page does.
  HWND OpenPage(DriverContext* context, PageRecord* page) {
    HWND window = CreateWindowExW(0, u"#32770", u"Page", WS_POPUP | WS_VISIBLE, 100, 100, 400, 300, nullptr, nullptr,
                                  nullptr, nullptr);
    SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(context));
    page->window = window;
    page_ = page;
    return window;
  }
  // The control's own window on the page at (x, y), with the kind, help id and flags given;
  // the record is put back as it was at the end.
  HWND Place(ControlRecord* control, WORD kind, WORD helpId, DWORD flags, RECT at) {
    saved_.emplace_back(control, *control);
    control->kind = kind;
    control->helpId = helpId;
    control->flags = flags;
    control->state = 0;
    control->window = CreateWindowExW(0, u"STATIC", u"", WS_CHILD | WS_VISIBLE, at.left, at.top,
                                      at.right - at.left, at.bottom - at.top, page_->window, nullptr, nullptr,
                                      nullptr);
    return control->window;
  }
  static void Help(HWND page, HWND item) {
    HELPINFO info{};
    info.cbSize = sizeof info;
    info.iContextType = HELPINFO_WINDOW;
    info.hItemHandle = item;
    PageDialogProc(page, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
  }
  static void ContextMenu(HWND page, HWND on, int screenX, int screenY) {
    PageDialogProc(page, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(on),
                   MAKELPARAM(static_cast<WORD>(screenX), static_cast<WORD>(screenY)));
  }

  PageRecord* page_ = nullptr;
  std::vector<std::pair<ControlRecord*, ControlRecord>> saved_;
};

TEST_F(HelpTipsTest, HelpRequestsCarryTheControlIdAndHelpId) {
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  PageRecord* page = FindPageById(context, 1001);
  ASSERT_NE(page, nullptr);
  ASSERT_GE(page->controlCount, 4);
  HWND pageWindow = OpenPage(context, page);
  ControlRecord* combo = &page->controls[0];
  ControlRecord* group = &page->controls[1];
  ControlRecord* hidden = &page->controls[2];
  ControlRecord* keeps = &page->controls[3];
  HWND comboWindow = Place(combo, 43, 501, 0, {10, 10, 110, 30});
  HWND groupWindow = Place(group, 4, 502, 0, {10, 40, 200, 140});
  HWND hiddenWindow = Place(hidden, 1, 503, 0, {250, 10, 300, 30});
  Place(keeps, 2, 504, CTLF_HIDDEN_FUNCTION, {250, 200, 300, 250});
  hidden->state = 1;

  enum class How { F1, RightClickOnControl, RightClickOnPage };
  struct Case {
    const char* name;
    How how;
    HWND item;      // F1 and a click on a control: the control's window
    POINT client;   // a click on the page: the point in the page's client area
    bool asks;
    UINT command;
    HWND window;    // the window WinHelp is given
    DWORD id;
    DWORD helpId;
  };
  const Case cases[] = {
      {"F1 on a combo", How::F1, comboWindow, {}, true, HELP_WM_HELP, comboWindow, combo->controlId, 501},
      {"F1 on a group box", How::F1, groupWindow, {}, true, HELP_WM_HELP, groupWindow, group->controlId, 502},
      {"right-click on a combo", How::RightClickOnControl, comboWindow, {}, true, HELP_CONTEXTMENU, comboWindow,
       combo->controlId, 501},
      {"right-click on a group box", How::RightClickOnControl, groupWindow, {}, true, HELP_CONTEXTMENU, pageWindow,
       group->controlId, 502},
      {"right-click on the page over the combo", How::RightClickOnPage, nullptr, {20, 20}, true, HELP_CONTEXTMENU,
       comboWindow, combo->controlId, 501},
      {"F1 on a hidden control", How::F1, hiddenWindow, {}, false, 0, nullptr, 0, 0},
      {"right-click on a hidden control", How::RightClickOnControl, hiddenWindow, {}, false, 0, nullptr, 0, 0},
      {"right-click on the page over a hidden control", How::RightClickOnPage, nullptr, {260, 20}, false, 0, nullptr,
       0, 0},
      {"right-click on the page over a control that keeps its clicks", How::RightClickOnPage, nullptr, {260, 210},
       false, 0, nullptr, 0, 0},
      {"right-click on empty page space", How::RightClickOnPage, nullptr, {350, 150}, false, 0, nullptr, 0, 0},
      {"F1 on the page itself", How::F1, pageWindow, {}, false, 0, nullptr, 0, 0},
      {"F1 without an item", How::F1, nullptr, {}, false, 0, nullptr, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::size_t before = plat::ui::HelpRequests().size();
    switch (c.how) {
      case How::F1: Help(pageWindow, c.item); break;
      case How::RightClickOnControl: ContextMenu(pageWindow, c.item, 0, 0); break;
      case How::RightClickOnPage: {
        POINT p = c.client;
        ClientToScreen(pageWindow, &p);
        ContextMenu(pageWindow, pageWindow, p.x, p.y);
        break;
      }
    }
    const auto& requests = plat::ui::HelpRequests();
    ASSERT_EQ(requests.size(), before + (c.asks ? 1 : 0));
    if (!c.asks) continue;
    const plat::ui::HelpRecord& r = requests.back();
    EXPECT_EQ(r.command, c.command);
    EXPECT_EQ(r.window, c.window);
    EXPECT_EQ(r.file, std::u16string(GetHelpFilePath(context)));
    ASSERT_EQ(r.ids.size(), 1u);
    EXPECT_EQ(r.ids[0].first, c.id);
    EXPECT_EQ(r.ids[0].second, c.helpId);
  }
}

}  // namespace help_tips_test
