// The mouse: the standard cursors and the cursor shown; a move of the pointer delivered as
// Windows delivers it (hit test, cursor request, move) to the window under the point,
// through transparent statics and group boxes, past disabled and hidden windows.
#include <cstdint>
#include <string>
#include <vector>

#include "ui_fixture.h"
#include "win/controls.h"
#include "win/errors.h"
#include "win/resources.h"

namespace {

using kovatest::UiTest;

using UiMouse = UiTest;

// Every standard cursor is one handle of its own, the same each time; a cursor of a module
// or an unknown id is not found. SetCursor answers the cursor it replaced.
TEST_F(UiMouse, StandardCursorsAndTheCursorShown) {
  const WORD ids[] = {32512, 32513, 32514, 32515, 32516, 32642, 32643, 32644, 32645, 32646, 32648, 32649, 32650, 32651};
  std::vector<HCURSOR> seen;
  for (WORD id : ids) {
    SCOPED_TRACE(id);
    const auto name = reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(id));
    HCURSOR cursor = LoadCursorW(nullptr, name);
    ASSERT_NE(cursor, nullptr);
    EXPECT_EQ(LoadCursorW(nullptr, name), cursor);
    for (HCURSOR other : seen) EXPECT_NE(other, cursor);
    seen.push_back(cursor);
  }
  EXPECT_EQ(LoadCursorW(nullptr, IDC_ARROW), seen[0]);
  EXPECT_EQ(LoadCursorW(nullptr, IDC_IBEAM), seen[1]);
  EXPECT_EQ(LoadCursorW(nullptr, IDC_HAND), seen[11]);
  struct Missing {
    HINSTANCE instance;
    ULONG_PTR id;
  };
  for (const Missing& m : {Missing{nullptr, 1}, Missing{nullptr, 32517}, Missing{nullptr, 0x10000},
                           Missing{reinterpret_cast<HINSTANCE>(0x400000), 32512}}) {
    SCOPED_TRACE(m.id);
    SetLastError(0);
    EXPECT_EQ(LoadCursorW(m.instance, reinterpret_cast<LPCWSTR>(m.id)), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
  }

  EXPECT_EQ(GetCursor(), nullptr);  // nothing is shown before the first SetCursor
  HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
  EXPECT_EQ(SetCursor(arrow), nullptr);
  EXPECT_EQ(GetCursor(), arrow);
  EXPECT_EQ(SetCursor(hand), arrow);
  EXPECT_EQ(SetCursor(hand), hand);
  EXPECT_EQ(SetCursor(nullptr), hand);
  EXPECT_EQ(GetCursor(), nullptr);
  SetCursor(hand);
  plat::ui::Reset();  // a fresh window system shows no cursor
  EXPECT_EQ(GetCursor(), nullptr);
}

// A .cur file of one 32 x 32 monochrome image with its hot spot at (x, y).
std::string CursorFile(WORD hotX, WORD hotY) {
  std::string f;
  auto put = [&f](std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) f.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  };
  const std::uint32_t imageSize = 40 + 8 + 128 + 128;
  put(0, 2), put(2, 2), put(1, 2);                                  // directory: a cursor, one image
  put(32, 1), put(32, 1), put(2, 1), put(0, 1), put(hotX, 2), put(hotY, 2), put(imageSize, 4), put(22, 4);
  put(40, 4), put(32, 4), put(64, 4), put(1, 2), put(1, 2), put(0, 4), put(256, 4);  // bitmap header
  put(0, 4), put(0, 4), put(2, 4), put(0, 4);
  put(0x000000, 4), put(0xFFFFFF, 4);                               // palette
  f.append(128, '\0');                                              // colour plane
  f.append(128, '\xFF');                                            // mask: transparent
  return f;
}

// A module's cursors come from its cursor groups: one handle per cursor, the same each time,
// none of them a standard cursor; a missing id, a missing module or a group whose image is
// gone answers null with the reason.
TEST_F(UiMouse, CursorsOfAModule) {
  root_.WriteFile(u"C:\\drv\\hand.cur", CursorFile(13, 0));
  root_.WriteFile(u"C:\\drv\\pressed.cur", CursorFile(13, 8));
  root_.WriteFile(u"C:\\drv\\CurUi.rc",
                  "8000 CURSOR \"hand.cur\"\n8001 CURSOR \"pressed.cur\"\nhandname CURSOR \"hand.cur\"\n"
                  "1 RCDATA { 1 }\n");
  HMODULE lib = LoadLibraryW(u"C:\\drv\\CurUi.dll");
  ASSERT_NE(lib, nullptr);
  HCURSOR hand = LoadCursorW(lib, MAKEINTRESOURCEW(8000));
  HCURSOR pressed = LoadCursorW(lib, MAKEINTRESOURCEW(8001));
  HCURSOR named = LoadCursorW(lib, u"HANDNAME");
  ASSERT_NE(hand, nullptr);
  ASSERT_NE(pressed, nullptr);
  ASSERT_NE(named, nullptr);
  EXPECT_NE(hand, pressed);
  EXPECT_NE(named, hand);
  EXPECT_EQ(LoadCursorW(lib, MAKEINTRESOURCEW(8000)), hand);
  EXPECT_EQ(LoadCursorW(lib, MAKEINTRESOURCEW(8001)), pressed);
  EXPECT_NE(hand, LoadCursorW(nullptr, IDC_HAND));
  EXPECT_NE(hand, LoadCursorW(nullptr, IDC_ARROW));
  EXPECT_EQ(SetCursor(hand), nullptr);
  EXPECT_EQ(SetCursor(pressed), hand);
  EXPECT_EQ(GetCursor(), pressed);

  struct Missing {
    HINSTANCE module;
    LPCWSTR name;
    DWORD error;
  };
  const Missing missing[] = {
      {lib, MAKEINTRESOURCEW(8002), ERROR_RESOURCE_NAME_NOT_FOUND},
      {lib, MAKEINTRESOURCEW(1), ERROR_RESOURCE_NAME_NOT_FOUND},  // data of another type is not a cursor
      {lib, u"NOSUCH", ERROR_RESOURCE_NAME_NOT_FOUND},
      {reinterpret_cast<HINSTANCE>(0x400000), MAKEINTRESOURCEW(8000), ERROR_RESOURCE_NAME_NOT_FOUND},
  };
  for (const Missing& m : missing) {
    SCOPED_TRACE(reinterpret_cast<ULONG_PTR>(m.name));
    SetLastError(0);
    EXPECT_EQ(LoadCursorW(m.module, m.name), nullptr);
    EXPECT_EQ(GetLastError(), m.error);
  }
  EXPECT_TRUE(FreeLibrary(lib));
}

struct Received {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<Received> g_received;
bool g_rootTakesCursor = false;

bool Noted(UINT message) {
  return message == WM_NCHITTEST || message == WM_SETCURSOR || message == WM_MOUSEMOVE || message == WM_NCMOUSEMOVE;
}

// A window that notes the mouse messages; its hit test answers GWLP_USERDATA - 100 when
// that is set, the default answer otherwise.
LRESULT NotingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (Noted(message)) g_received.push_back({window, message, wParam, lParam});
  if (message == WM_NCHITTEST) {
    const LONG_PTR code = GetWindowLongPtrW(window, GWLP_USERDATA);
    if (code) return code - 100;
  }
  if (message == WM_SETCURSOR && g_rootTakesCursor && !(GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD)) return TRUE;
  return DefWindowProcW(window, message, wParam, lParam);
}

class UiMouseMove : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    g_received.clear();
    g_rootTakesCursor = false;
    WNDCLASSW noting{};
    noting.lpfnWndProc = &NotingProc;
    noting.lpszClassName = u"Noting";
    noting.hCursor = LoadCursorW(nullptr, IDC_HAND);
    ASSERT_NE(RegisterClassW(&noting), 0);
    WNDCLASSW root{};
    root.lpfnWndProc = &NotingProc;
    root.lpszClassName = u"NotingRoot";
    root.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(32515)));
    ASSERT_NE(RegisterClassW(&root), 0);
    root_ = CreateWindowExW(0, u"NotingRoot", u"Root", WS_POPUP | WS_VISIBLE, 100, 100, 400, 300, nullptr, nullptr,
                            nullptr, nullptr);
  }
  HWND Child(const char16_t* cls, DWORD style, int x, int y, int w, int h, LONG_PTR code = 0) {
    HWND c = CreateWindowExW(0, cls, u"", WS_CHILD | WS_VISIBLE | style, x, y, w, h, root_, nullptr, nullptr, nullptr);
    if (code) SetWindowLongPtrW(c, GWLP_USERDATA, code + 100);
    return c;
  }
  std::vector<UINT> MessagesOf(HWND window) const {
    std::vector<UINT> out;
    for (const Received& r : g_received)
      if (r.window == window) out.push_back(r.message);
    return out;
  }
  HWND root_ = nullptr;
};

TEST_F(UiMouseMove, TheWindowUnderThePointGetsHitTestCursorAndMove) {
  HWND plain = Child(u"Noting", 0, 10, 10, 100, 50);
  HWND label = Child(u"Static", SS_LEFT, 150, 10, 100, 50);  // above the window beneath it
  HWND beneath = Child(u"Noting", 0, 140, 0, 120, 70);
  HWND notifying = Child(u"Static", SS_NOTIFY, 10, 100, 100, 50);
  HWND group = Child(u"Button", BS_GROUPBOX, 150, 100, 240, 190);
  HWND edit = Child(u"Edit", 0, 160, 120, 100, 30);
  HWND disabled = Child(u"Noting", WS_DISABLED, 10, 200, 100, 50);
  HWND hidden = CreateWindowExW(0, u"Noting", u"", WS_CHILD, 10, 260, 100, 30, root_, nullptr, nullptr, nullptr);
  HWND error = Child(u"Noting", 0, 300, 10, 90, 50, HTERROR);
  HWND border = Child(u"Noting", 0, 300, 70, 90, 20, 18);
  (void)label;
  (void)group;
  HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
  HCURSOR cross = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(32515)));
  HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  HCURSOR ibeam = LoadCursorW(nullptr, IDC_IBEAM);
  struct Case {
    const char* name;
    POINT point;  // of the root's client area (the root stands at 100, 100)
    HWND target;
    LRESULT code;
    HCURSOR cursor;
  };
  const Case cases[] = {
      {"a window", {20, 20}, plain, HTCLIENT, hand},
      {"through a plain static", {160, 20}, beneath, HTCLIENT, hand},
      {"beside the static", {145, 5}, beneath, HTCLIENT, hand},
      {"a static that notifies", {20, 110}, notifying, HTCLIENT, arrow},
      {"through a group box", {170, 130}, edit, HTCLIENT, ibeam},
      {"a group box's inside", {200, 200}, root_, HTCLIENT, cross},
      {"a disabled window", {20, 210}, root_, HTCLIENT, cross},
      {"a hidden window", {20, 270}, root_, HTCLIENT, cross},
      {"an error", {310, 20}, error, HTERROR, nullptr},
      {"a border", {310, 80}, border, 18, arrow},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    g_received.clear();
    SetCursor(nullptr);
    EXPECT_EQ(plat::ui::MoveMouse(root_, c.point.x, c.point.y), c.target);
    EXPECT_EQ(GetCursor(), c.cursor);
    POINT at{};
    EXPECT_TRUE(GetCursorPos(&at));
    EXPECT_EQ(at.x, 100 + c.point.x);
    EXPECT_EQ(at.y, 100 + c.point.y);
    // The cursor request reaches the root too (each window asks its parent first), naming
    // the window under the point, the hit-test code and the move.
    bool asked = false;
    for (const Received& r : g_received) {
      if (r.window != root_ || r.message != WM_SETCURSOR) continue;
      asked = true;
      EXPECT_EQ(reinterpret_cast<HWND>(r.wParam), c.target);
      EXPECT_EQ(static_cast<SHORT>(LOWORD(static_cast<DWORD>(r.lParam))), c.code);
      EXPECT_EQ(HIWORD(static_cast<DWORD>(r.lParam)), WM_MOUSEMOVE);
    }
    EXPECT_TRUE(asked);
    RECT r{};
    GetWindowRect(c.target, &r);
    std::vector<UINT> expected{WM_NCHITTEST, WM_SETCURSOR};
    if (c.code == HTCLIENT) expected.push_back(WM_MOUSEMOVE);
    if (c.code == 18) expected.push_back(WM_NCMOUSEMOVE);
    if (c.target == plain || c.target == beneath || c.target == error || c.target == border || c.target == root_) {
      EXPECT_EQ(MessagesOf(c.target), expected);
      for (const Received& m : g_received) {
        if (m.window != c.target) continue;
        const auto x = static_cast<SHORT>(LOWORD(static_cast<DWORD>(m.lParam)));
        const auto y = static_cast<SHORT>(HIWORD(static_cast<DWORD>(m.lParam)));
        if (m.message == WM_NCHITTEST || m.message == WM_NCMOUSEMOVE) {
          EXPECT_EQ(x, 100 + c.point.x);  // screen coordinates
          EXPECT_EQ(y, 100 + c.point.y);
        }
        if (m.message == WM_NCMOUSEMOVE) {
          EXPECT_EQ(m.wParam, static_cast<WPARAM>(18));
        }
        if (m.message == WM_MOUSEMOVE) {
          EXPECT_EQ(x, 100 + c.point.x - r.left);  // client coordinates
          EXPECT_EQ(y, 100 + c.point.y - r.top);
          EXPECT_EQ(m.wParam, 0u);
        }
      }
    }
    EXPECT_TRUE(MessagesOf(disabled).empty());
    EXPECT_TRUE(MessagesOf(hidden).empty());
  }
  // Outside the top-level window nothing is hit.
  g_received.clear();
  EXPECT_EQ(plat::ui::MoveMouse(root_, -5, 20), nullptr);
  EXPECT_TRUE(g_received.empty());
}

// A parent that answers the cursor request keeps its child's class cursor away; buttons
// held come with the move; a window holding the capture gets every move, without a cursor
// request.
TEST_F(UiMouseMove, ParentCursorHeldKeysAndCapture) {
  HWND plain = Child(u"Noting", 0, 10, 10, 100, 50);
  HWND other = Child(u"Noting", 0, 200, 10, 100, 50);
  g_rootTakesCursor = true;
  SetCursor(nullptr);
  EXPECT_EQ(plat::ui::MoveMouse(root_, 20, 20), plain);
  EXPECT_EQ(GetCursor(), nullptr);
  g_rootTakesCursor = false;

  plat::ui::SetKeyDown(VK_LBUTTON, true);
  plat::ui::SetKeyDown(VK_SHIFT, true);
  g_received.clear();
  plat::ui::MoveMouse(root_, 20, 20);
  ASSERT_FALSE(g_received.empty());
  EXPECT_EQ(g_received.back().message, WM_MOUSEMOVE);
  EXPECT_EQ(g_received.back().wParam, MK_LBUTTON | MK_SHIFT);
  plat::ui::SetKeyDown(VK_LBUTTON, false);
  plat::ui::SetKeyDown(VK_SHIFT, false);

  SetCapture(plain);
  g_received.clear();
  EXPECT_EQ(plat::ui::MoveMouse(root_, 210, 20), plain);
  EXPECT_EQ(MessagesOf(plain), (std::vector<UINT>{WM_NCHITTEST, WM_MOUSEMOVE}));
  EXPECT_TRUE(MessagesOf(other).empty());
  ASSERT_FALSE(g_received.empty());
  EXPECT_EQ(static_cast<SHORT>(LOWORD(static_cast<DWORD>(g_received.back().lParam))), 200);  // 210 - 10
  ReleaseCapture();
  g_received.clear();
  EXPECT_EQ(plat::ui::MoveMouse(root_, 210, 20), other);
}

}  // namespace
