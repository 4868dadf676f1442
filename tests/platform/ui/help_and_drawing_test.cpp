// The window system's help requests, context menus, shown pop-ups, top-level window search,
// class information and the drawing calls of arcs, focus rectangles and character widths.
#include <string>
#include <vector>

#include "ui_fixture.h"
#include "win/commdlg.h"
#include "win/paint.h"
#include "win/window.h"

namespace help_and_drawing_test {

struct Seen {
  std::vector<UINT> messages;
  HWND itemHandle = nullptr;
  WPARAM contextWindow = 0;
  LPARAM contextPoint = 0;
};
Seen g_seen;

LRESULT ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_HELP) {
    g_seen.messages.push_back(message);
    g_seen.itemHandle = static_cast<HWND>(reinterpret_cast<const HELPINFO*>(lParam)->hItemHandle);
    return TRUE;
  }
  if (message == WM_CONTEXTMENU) {
    g_seen.messages.push_back(message);
    g_seen.contextWindow = wParam;
    g_seen.contextPoint = lParam;
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

class HelpAndDrawingTest : public kovatest::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    g_seen = Seen{};
    WNDCLASSW parent{};
    parent.lpfnWndProc = &ParentProc;
    parent.lpszClassName = u"HelpParent";
    ASSERT_NE(RegisterClassW(&parent), 0);
  }
};

// F1 and right-clicks reach the parent of an unanswering child with the child and the
// screen point; a hidden window takes none.
TEST_F(HelpAndDrawingTest, HelpAndContextMenusReachTheParent) {
  HWND parent = CreateWindowExW(0, u"HelpParent", u"", WS_POPUP | WS_VISIBLE, 100, 50, 200, 100, nullptr, nullptr,
                                nullptr, nullptr);
  HWND child = CreateWindowExW(0, u"STATIC", u"", WS_CHILD | WS_VISIBLE, 10, 10, 50, 20, parent, nullptr, nullptr,
                               nullptr);
  HWND hidden = CreateWindowExW(0, u"STATIC", u"", WS_CHILD, 10, 40, 50, 20, parent, nullptr, nullptr, nullptr);
  struct Case {
    const char* name;
    bool help;
    HWND window;
    bool done;
  };
  for (const Case& c : {Case{"F1", true, child, true}, Case{"right-click", false, child, true},
                        Case{"hidden F1", true, hidden, false}, Case{"hidden right-click", false, hidden, false},
                        Case{"no window", true, nullptr, false}}) {
    SCOPED_TRACE(c.name);
    g_seen = Seen{};
    const bool done = c.help ? plat::ui::AskHelp(c.window) : plat::ui::OpenContextMenu(c.window, 5, 6);
    EXPECT_EQ(done, c.done);
    EXPECT_EQ(g_seen.messages.size(), c.done ? 1u : 0u);
    if (!c.done) continue;
    if (c.help) {
      EXPECT_EQ(g_seen.itemHandle, c.window);
      EXPECT_EQ(GetFocus(), c.window);
    } else {
      EXPECT_EQ(g_seen.contextWindow, reinterpret_cast<WPARAM>(c.window));
      EXPECT_EQ(g_seen.contextPoint, MAKELPARAM(100 + 10 + 5, 50 + 10 + 6));
    }
  }
  // WinHelp keeps the id pairs of the data it was given, up to their zero pair.
  DWORD ids[6] = {2001, 10101, 2002, 10102, 0, 0};
  WinHelpW(child, u"C:\\help.hlp", HELP_WM_HELP, reinterpret_cast<ULONG_PTR>(ids));
  ASSERT_FALSE(plat::ui::HelpRequests().empty());
  const auto& pairs = plat::ui::HelpRequests().back().ids;
  ASSERT_EQ(pairs.size(), 2u);
  EXPECT_EQ(pairs[1].first, 2002u);
  EXPECT_EQ(pairs[1].second, 10102u);
}

// Only shown, owned pop-ups are listed; FindWindowW finds top-level windows by class and
// title; GetClassInfoExW insists on its size.
TEST_F(HelpAndDrawingTest, PopupsWindowsAndClasses) {
  HWND owner = CreateWindowExW(0, u"HelpParent", u"Owner", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr,
                               nullptr, nullptr);
  HWND tip = CreateWindowExW(0, u"STATIC", u"tip", WS_POPUP | WS_BORDER, 0, 0, 10, 10, owner, nullptr, nullptr,
                             nullptr);
  EXPECT_TRUE(plat::ui::ShownPopups().empty());
  ShowWindow(tip, SW_SHOWNOACTIVATE);
  EXPECT_EQ(plat::ui::ShownPopups(), std::vector<HWND>{tip});
  struct Case {
    const char16_t* cls;
    const char16_t* title;
    HWND found;
  };
  for (const Case& c : {Case{u"HelpParent", nullptr, owner}, Case{u"helpparent", u"Owner", owner},
                        Case{nullptr, u"Owner", owner}, Case{u"HelpParent", u"Other", nullptr},
                        Case{u"NoSuchClass", nullptr, nullptr}}) {
    EXPECT_EQ(FindWindowW(c.cls, c.title), c.found);
  }
  WNDCLASSEXW info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetClassInfoExW(nullptr, u"HelpParent", &info));
  EXPECT_EQ(info.lpfnWndProc, &ParentProc);
  EXPECT_EQ(info.cbSize, sizeof info);
  info.cbSize = 0;
  EXPECT_FALSE(GetClassInfoExW(nullptr, u"HelpParent", &info));
  info.cbSize = sizeof info;
  EXPECT_FALSE(GetClassInfoExW(nullptr, u"NoSuchClass", &info));
}

// An arc with equal radials draws the whole ellipse's outline; the focus rectangle inverts
// every other pixel of its edge and twice leaves it as it was; each character's B width is
// its advance.
TEST_F(HelpAndDrawingTest, ArcFocusRectangleAndCharacterWidths) {
  HDC dc = CreateCompatibleDC(nullptr);
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 20, 20);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  RECT all{0, 0, 20, 20};
  HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
  FillRect(dc, &all, white);
  HPEN red = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
  HGDIOBJ oldPen = SelectObject(dc, red);
  ASSERT_TRUE(Arc(dc, 0, 0, 20, 10, 19, 5, 19, 5));
  struct Pixel {
    int x, y;
    COLORREF colour;
  };
  for (const Pixel& p : {Pixel{19, 5, RGB(255, 0, 0)}, Pixel{0, 5, RGB(255, 0, 0)}, Pixel{10, 0, RGB(255, 0, 0)},
                         Pixel{10, 9, RGB(255, 0, 0)}, Pixel{10, 5, RGB(255, 255, 255)},
                         Pixel{0, 0, RGB(255, 255, 255)}, Pixel{10, 15, RGB(255, 255, 255)}}) {
    SCOPED_TRACE(testing::Message() << p.x << "," << p.y);
    EXPECT_EQ(GetPixel(dc, p.x, p.y), p.colour);
  }
  FillRect(dc, &all, white);
  const RECT focus{2, 2, 12, 12};
  ASSERT_TRUE(DrawFocusRect(dc, &focus));
  EXPECT_EQ(GetPixel(dc, 2, 2), RGB(0, 0, 0));
  EXPECT_EQ(GetPixel(dc, 3, 2), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(dc, 6, 6), RGB(255, 255, 255));
  DrawFocusRect(dc, &focus);
  EXPECT_EQ(GetPixel(dc, 2, 2), RGB(255, 255, 255));
  ABC widths[2] = {};
  ASSERT_TRUE(GetCharABCWidthsW(dc, u'A', u'B', widths));
  SIZE a{};
  GetTextExtentPoint32W(dc, u"A", 1, &a);
  EXPECT_EQ(widths[0].abcA, 0);
  EXPECT_EQ(static_cast<LONG>(widths[0].abcB), a.cx);
  EXPECT_EQ(widths[0].abcC, 0);
  EXPECT_FALSE(GetCharABCWidthsW(dc, u'B', u'A', widths));
  EXPECT_FALSE(GetCharABCWidthsW(dc, u'A', u'A', nullptr));
  SelectObject(dc, oldPen);
  DeleteObject(red);
  DeleteObject(white);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

}  // namespace help_and_drawing_test
