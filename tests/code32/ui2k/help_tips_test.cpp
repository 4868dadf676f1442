// Context help of the page controls: F1 and a right-click reach WinHelp with the control's
// id and help id; hidden controls and controls that keep their right-clicks ask for none.
#include "page_engine_fixture.h"
#include "pages/page_dialog.h"
#include "base/paths_and_names.h"
#include "pages/help_tips.h"
#include "modules/page_refresh.h"
#include "plat/system.h"
#include "stored/snapshot_ring.h"
#include "win/controls.h"
#include "win/commdlg.h"

namespace help_tips_test {

class HelpTipsTest : public kovatest::PageEngineTest {
 protected:
  void SetUp() override {
    PageEngineTest::SetUp();
    plat::ui::AdvanceClock(0);  // the tip timer runs on the test clock only
  }
  void TearDown() override {
    plat::UseRealClock();
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

  // Moves the test clock on and runs what is due; the page's timers reach its dialog
  // procedure as they do on a sheet.
  void Wait(DWORD ms) {
    plat::ui::AdvanceClock(ms);
    MSG m{};
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (page_ && m.hwnd == page_->window && m.message == WM_TIMER)
        PageDialogProc(m.hwnd, m.message, m.wParam, m.lParam);
      else
        DispatchMessageW(&m);
    }
  }
  // Drops a tip, also one still waiting for its timer (which a null control leaves alone).
  static void DropTip(DriverContext* context, HWND pageWindow) {
    KillTimer(pageWindow, kTipTimerId);
    context->work->sheet.tipTimerId = 0;
    SetTipPopup(context, nullptr, pageWindow, 0, 0);
  }
  static HWND TipWindow(DriverContext* context) { return context->work->sheet.tipWindow; }
  static bool TipShown(DriverContext* context) {
    HWND tip = TipWindow(context);
    return tip && IsWindow(tip) && IsWindowVisible(tip);
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

// The tip waits a second on the test clock, then shows while the pointer is still on its
// control and the focus is on the page; otherwise it stays hidden.
TEST_F(HelpTipsTest, TipShowsAfterASecondWhilePointerAndFocusStay) {
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  PageRecord* page = FindPageById(context, 1001);
  ASSERT_NE(page, nullptr);
  ASSERT_GE(page->controlCount, 2);
  HWND pageWindow = OpenPage(context, page);
  ControlRecord* control = &page->controls[0];
  HWND controlWindow = Place(control, 1, 0, 0, {10, 10, 110, 30});
  control->tipId = 2004;  // "This setting cannot be changed."
  HWND other = Place(&page->controls[1], 1, 0, 0, {10, 100, 110, 120});

  enum class Focus { OnPage, Nowhere };
  struct Case {
    const char* name;
    DWORD first, second;  // waits
    POINT pointer;        // page client point where the pointer is when the timer fires
    Focus focus;
    bool shownAfterFirst, shownAfterSecond;
  };
  const Case cases[] = {
      {"no tip before a second", 999, 1, {20, 20}, Focus::OnPage, false, true},
      {"shown at the second", 1000, 0, {20, 20}, Focus::OnPage, true, true},
      {"pointer elsewhere", 1000, 1000, {20, 110}, Focus::OnPage, false, false},
      {"focus off the page", 1000, 1000, {20, 20}, Focus::Nowhere, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DropTip(context, pageWindow);
    SetFocus(c.focus == Focus::OnPage ? other : nullptr);
    plat::ui::MoveMouse(pageWindow, c.pointer.x, c.pointer.y);
    SetTipPopup(context, control, pageWindow, 10, 34);
    ASSERT_NE(TipWindow(context), nullptr);
    EXPECT_EQ(plat::ui::Text(TipWindow(context)), u"This setting cannot be changed.");
    EXPECT_FALSE(TipShown(context));
    Wait(c.first);
    EXPECT_EQ(TipShown(context), c.shownAfterFirst);
    Wait(c.second);
    EXPECT_EQ(TipShown(context), c.shownAfterSecond);
    if (TipShown(context)) {
      // Black on light yellow, and the pointer staying on the control keeps the same tip.
      EXPECT_EQ(plat::ui::PixelAt(TipWindow(context), 1, 1), 0xFFFFD8u);
      HWND shown = TipWindow(context);
      SetTipPopup(context, control, pageWindow, 10, 34);
      EXPECT_EQ(TipWindow(context), shown);
      EXPECT_TRUE(TipShown(context));
    }
  }
  // A shown tip closes when the page is clicked elsewhere; a waiting one is not closed by a
  // move over empty page space.
  SetTipPopup(context, nullptr, pageWindow, 0, 0);
  EXPECT_EQ(TipWindow(context), nullptr);
  SetTipPopup(context, control, pageWindow, 10, 34);
  HWND waiting = TipWindow(context);
  PageDialogProc(pageWindow, WM_MOUSEMOVE, 0, MAKELPARAM(350, 250));
  EXPECT_EQ(TipWindow(context), waiting);
  (void)controlWindow;
}

// A value combo explains the item under the pointer (or its selection) with the value's tip
// string, else with the item's text, also for an item whose data is -1; a combo without a
// tip string and no item shows nothing.
TEST_F(HelpTipsTest, ValueComboTipsExplainTheItem) {
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  PageRecord* page = FindPageById(context, 1001);
  ASSERT_NE(page, nullptr);
  HWND pageWindow = OpenPage(context, page);
  ControlRecord* combo = &page->controls[0];
  saved_.emplace_back(combo, *combo);
  combo->kind = 43;
  combo->tipId = 0;
  combo->controlId = 2937;
  combo->window = CreateWindowExW(0, u"COMBOBOX", u"", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, 10, 10, 100, 80,
                                  pageWindow, nullptr, nullptr, nullptr);
  struct Item {
    const char16_t* text;
    DWORD data;
  };
  for (const Item& i : {Item{u"Fine", 13137}, Item{u"Unknown", 0xFFFFFFFF}, Item{u"Draft", 13140}}) {
    const LRESULT at = SendMessageW(combo->window, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(i.text));
    SendMessageW(combo->window, CB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(i.data));
  }
  struct Case {
    int selection;  // CB_SETCURSEL
    int item;       // the item asked about; -1 the selection
    const char16_t* tip;  // null: no tip
  };
  for (const Case& c : {Case{-1, 0, u"Fine"}, Case{-1, 1, u"Unknown"}, Case{2, -1, u"Draft"}, Case{-1, -1, nullptr}}) {
    SCOPED_TRACE(testing::Message() << c.selection << "/" << c.item);
    DropTip(context, pageWindow);
    SendMessageW(combo->window, CB_SETCURSEL, static_cast<WPARAM>(c.selection), 0);
    ShowTipPopup(context, combo, pageWindow, 10, 34, c.item);
    if (!c.tip) {
      EXPECT_EQ(TipWindow(context), nullptr);
      continue;
    }
    ASSERT_NE(TipWindow(context), nullptr);
    EXPECT_EQ(plat::ui::Text(TipWindow(context)), c.tip);
  }
  DropTip(context, pageWindow);
}

// The tip is kept on the screen and off a taskbar that lies along an edge.
TEST_F(HelpTipsTest, TipPositionIsClampedToTheScreenLessTheTaskbar) {
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  PageRecord* page = FindPageById(context, 1001);
  ASSERT_NE(page, nullptr);
  HWND pageWindow = OpenPage(context, page);  // at screen (100, 100)
  ControlRecord* control = &page->controls[0];
  Place(control, 1, 0, 0, {10, 10, 110, 30});
  control->tipId = 2004;
  WNDCLASSW tray{};
  tray.lpfnWndProc = &DefWindowProcW;
  tray.lpszClassName = u"Shell_TrayWnd";
  RegisterClassW(&tray);
  struct Case {
    const char* name;
    RECT taskbar;  // empty: none
    POINT client;  // in the page
    bool clampedX, clampedY;
  };
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  const Case cases[] = {
      {"inside", {}, {10, 34}, false, false},
      {"right edge", {}, {w - 120, 34}, true, false},
      {"bottom edge", {}, {10, h - 105}, false, true},
      {"above a bottom taskbar", {0, h - 40, w, h}, {10, h - 150}, false, true},
      {"left of a right taskbar", {w - 60, 0, w, h}, {w - 200, 34}, true, false},
      {"a top taskbar leaves the bottom alone", {0, 0, w, 40}, {10, 34}, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HWND bar = nullptr;
    if (c.taskbar.right > c.taskbar.left)
      bar = CreateWindowExW(0, u"Shell_TrayWnd", u"", WS_POPUP, c.taskbar.left, c.taskbar.top,
                            c.taskbar.right - c.taskbar.left, c.taskbar.bottom - c.taskbar.top, nullptr, nullptr,
                            nullptr, nullptr);
    SetTipPopup(context, control, pageWindow, c.client.x, c.client.y);
    HWND tip = TipWindow(context);
    ASSERT_NE(tip, nullptr);
    RECT r{};
    GetWindowRect(tip, &r);
    RECT limits{0, 0, w, h};
    if (bar && c.taskbar.top > h / 2) limits.bottom = c.taskbar.top;
    if (bar && c.taskbar.left > w / 2) limits.right = c.taskbar.left;
    if (bar && c.taskbar.bottom < h / 2) limits.top = c.taskbar.bottom;
    const int width = r.right - r.left - 8, height = r.bottom - r.top - 6;
    EXPECT_GT(width, 0);
    EXPECT_GT(height, 0);
    if (c.clampedX) EXPECT_EQ(r.left, limits.right - width - 16);
    else EXPECT_EQ(r.left, 100 + c.client.x);
    if (c.clampedY) EXPECT_EQ(r.top, limits.bottom - height - 12);
    else EXPECT_EQ(r.top, 100 + c.client.y);
    DropTip(context, pageWindow);
    if (bar) DestroyWindow(bar);
  }
  UnregisterClassW(u"Shell_TrayWnd", nullptr);
}

// The preset icons' tip reads a preset's comment with the settings kept aside; when no more
// snapshots can be kept it shows no tip and leaves the user's edit and the kept snapshots
// as they are.
TEST_F(HelpTipsTest, PresetIconTipKeepsTheSettingsWhenNoSnapshotCanBeKept) {
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  PageRecord* page = FindPageById(context, 1001);
  ASSERT_NE(page, nullptr);
  ControlRecord* icons = FindControlById(context, page, 2001);
  ASSERT_NE(icons, nullptr);
  HWND pageWindow = OpenPage(context, page);
  saved_.emplace_back(icons, *icons);
  icons->window = CreateWindowExW(0, u"LISTBOX", u"", WS_CHILD | WS_VISIBLE, 10, 10, 300, 100, pageWindow, nullptr,
                                  nullptr, nullptr);
  for (const char16_t* name : {u"One", u"Two", u"Three"})
    SendMessageW(icons->window, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
  icons->tipId = 0;
  struct Case {
    bool full;  // every snapshot slot is taken before the tip
    int depth;  // else the snapshots pushed before it
  };
  for (const Case& c : {Case{false, 0}, Case{false, 1}, Case{true, 0}}) {
    SCOPED_TRACE(testing::Message() << c.full << "/" << c.depth);
    const int before = SettingsSnapshotDepth(context);
    int pushed = 0;
    if (c.full) {
      while (pushed < 64 && PushSettingsSnapshot(context)) ++pushed;
      ASSERT_LT(pushed, 64);
    } else {
      for (; pushed < c.depth; ++pushed) ASSERT_EQ(PushSettingsSnapshot(context), 1);
    }
    WriteFieldRawById(context, fid::dmCopies, 100);
    DropTip(context, pageWindow);
    ShowTipPopup(context, icons, pageWindow, 20, 20, -1);
    EXPECT_EQ(Raw(context, fid::dmCopies), 100u) << "the user's edit stays";
    EXPECT_EQ(SettingsSnapshotDepth(context), before + pushed);
    if (c.full) {
      EXPECT_EQ(TipWindow(context), nullptr);
    }
    for (int i = 0; i < pushed; ++i) PopSettingsSnapshot(context, 0);
    DropTip(context, pageWindow);
  }
}

TEST_F(HelpTipsTest, FrameTextAndValuePictureTables) {
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  struct FrameCase {
    WORD controlId;
    WORD text;  // 0 "...", 0xFFFF none
    bool row;
  };
  const FrameCase frames[] = {{2003, 13187, true}, {2140, 13191, true},  {2143, 13189, true}, {2144, 13190, true},
                              {2502, 13192, true}, {2503, 13193, true},  {2792, 13194, true}, {2802, 13195, true},
                              {2803, 13196, true}, {2002, 0xFFFF, true}, {2037, 0xFFFF, true}, {3115, 0xFFFF, true},
                              {2999, 0, false},    {0, 0, false}};
  for (const FrameCase& c : frames) {
    SCOPED_TRACE(c.controlId);
    ControlRecord control{};
    control.controlId = c.controlId;
    context->work->sheet.frameTextId = 77;
    SetFrameTextByControl(context, &control);
    EXPECT_EQ(context->work->sheet.frameTextId, c.text);
    EXPECT_EQ(HasFrameTextRow(&control), c.row);
    ClearFrameText(context);
    EXPECT_EQ(context->work->sheet.frameTextId, 0);
  }
  struct PictureCase {
    WORD controlId;
    DWORD value;
    WORD state;  // bits 2-3 greyed
    WORD picture;
  };
  const PictureCase pictures[] = {{2937, 13137, 0, 7447}, {2937, 13138, 0, 7446}, {2937, 13139, 0, 7445},
                                  {2937, 13140, 0, 7448}, {2937, 13137, 4, 7451}, {2937, 13140, 4, 7452},
                                  {2937, 13141, 0, 0},    {2938, 13137, 0, 0}};
  for (const PictureCase& c : pictures) {
    SCOPED_TRACE(testing::Message() << c.controlId << "/" << c.value << "/" << c.state);
    ControlRecord control{};
    control.controlId = c.controlId;
    control.state = c.state;
    EXPECT_EQ(GetValuePicture(&control, c.value), c.picture);
    EXPECT_EQ(GetValueTipString(&control, c.value), 0);
  }
  EXPECT_EQ(GetValuePicture(nullptr, 13137), 0);
}

LRESULT HostSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

// While a host known to subclass the driver's controls runs, the controls get back their
// class's own window procedure; otherwise they keep what they have.
TEST_F(HelpTipsTest, HostWorkaroundRestoresClassProcedures) {
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  WNDCLASSW host{};
  host.lpfnWndProc = &DefWindowProcW;
  for (const char16_t* name : {u"CorelDRAW 8.0", u"CorelDRAW 9.0", u"OtherApp"}) {
    host.lpszClassName = name;
    RegisterClassW(&host);
  }
  WNDCLASSW edit{};
  ASSERT_TRUE(GetClassInfoW(nullptr, u"Edit", &edit));
  struct Case {
    const char16_t* hostClass;  // null: no host window
    bool restored;
  };
  for (const Case& c : {Case{nullptr, false}, Case{u"OtherApp", false}, Case{u"CorelDRAW 8.0", true},
                        Case{u"CorelDRAW 9.0", true}}) {
    SCOPED_TRACE(c.hostClass ? std::string(c.hostClass, c.hostClass + std::char_traits<char16_t>::length(c.hostClass))
                             : std::string("no host"));
    HWND hostWindow = c.hostClass ? CreateWindowExW(0, c.hostClass, u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                                    nullptr, nullptr)
                                  : nullptr;
    HWND dialog = CreateWindowExW(0, u"#32770", u"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    HWND child = CreateWindowExW(0, u"Edit", u"", WS_CHILD, 0, 0, 10, 10, dialog, nullptr, nullptr, nullptr);
    SetWindowLongPtrW(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HostSubclassProc));
    RestoreHostClassWindowProcs(context, dialog);
    const auto now = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(child, GWLP_WNDPROC));
    EXPECT_EQ(now == edit.lpfnWndProc, c.restored);
    EXPECT_EQ(now == &HostSubclassProc, !c.restored);
    DestroyWindow(dialog);
    if (hostWindow) DestroyWindow(hostWindow);
  }
  for (const char16_t* name : {u"CorelDRAW 8.0", u"CorelDRAW 9.0", u"OtherApp"}) UnregisterClassW(name, nullptr);
}

// A lock marker that takes the focus is painted again with a focus rectangle; painted again
// without a new focus, or after losing it, it has none.
TEST_F(HelpTipsTest, LockMarkerShowsItsFocus) {
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  PageRecord* page = FindPageById(context, 1001);
  ASSERT_NE(page, nullptr);
  HWND pageWindow = OpenPage(context, page);
  HWND other = Place(&page->controls[0], 1, 0, 0, {10, 10, 110, 30});
  HWND marker = CreateWindowExW(0, u"STATIC", u"", WS_CHILD | WS_VISIBLE, 150, 10, 20, 20, pageWindow, nullptr,
                                nullptr, nullptr);
  SetWindowLongPtrW(marker, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&page->controls[1]));
  SetWindowLongPtrW(marker, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LockMarkerProc));
  auto focusLines = [&] {
    int n = 0;
    for (const std::string& line : plat::ui::PaintLog(marker))
      if (line.rfind("focus ", 0) == 0) ++n;
    return n;
  };
  struct Case {
    const char* name;
    HWND focus;       // the window given the focus first, or null to keep it
    int focusRects;   // drawn so far
  };
  const Case cases[] = {
      {"focused", marker, 1},
      {"painted again", nullptr, 1},
      {"focus elsewhere", other, 1},
      {"focused again", marker, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.focus) SetFocus(c.focus);
    InvalidateRect(marker, nullptr, TRUE);
    UpdateWindow(marker);
    EXPECT_EQ(focusLines(), c.focusRects);
  }
  DestroyWindow(marker);
}

}  // namespace help_tips_test
