// The mouse: the standard cursors and the one shown, the pointer's place, and a move of the
// pointer delivered as Windows delivers it: the hit test to the window under the point
// (passing through windows that answer HTTRANSPARENT), the cursor request with the hit-test
// code, then the move itself.
#include <mutex>

#include "plat/ui_driver.h"
#include "ui_internal.h"
#include "win/errors.h"

namespace plat::ui {
namespace {

// The standard cursors: one handle per id, never dereferenced.
constexpr WORD kCursorIds[] = {32512, 32513, 32514, 32515, 32516, 32642, 32643,
                               32644, 32645, 32646, 32648, 32649, 32650, 32651};
unsigned char g_cursorCells[sizeof(kCursorIds) / sizeof(kCursorIds[0])];

struct Mouse {
  std::mutex lock;
  HCURSOR cursor = nullptr;
  POINT at{0, 0};
};

Mouse& mouse() {
  static Mouse* m = new Mouse;
  return *m;
}

bool Shown(HWND h) { return (GetWindowLongPtrW(h, GWL_STYLE) & WS_VISIBLE) != 0; }

bool Contains(HWND h, POINT screen) {
  RECT r{};
  GetWindowRect(h, &r);
  return screen.x >= r.left && screen.x < r.right && screen.y >= r.top && screen.y < r.bottom;
}

LPARAM Packed(POINT p) { return MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y)); }

// The window of `parent`'s children (top of the z-order first, then their own children)
// that takes the point, with its hit-test code; null when every window there is transparent.
// A disabled child takes nothing: its parent has the point.
HWND HitChild(HWND parent, POINT screen, LRESULT* code) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!Shown(child) || !Contains(child, screen)) continue;
    if (!IsWindowEnabled(child)) return nullptr;
    if (HWND inner = HitChild(child, screen, code)) return inner;
    const LRESULT hit = SendMessageW(child, WM_NCHITTEST, 0, Packed(screen));
    if (hit == HTTRANSPARENT) continue;
    *code = hit;
    return child;
  }
  return nullptr;
}

WPARAM KeyFlags() {
  WPARAM flags = 0;
  if (GetKeyState(VK_LBUTTON) < 0) flags |= MK_LBUTTON;
  if (GetKeyState(VK_RBUTTON) < 0) flags |= MK_RBUTTON;
  if (GetKeyState(VK_MBUTTON) < 0) flags |= MK_MBUTTON;
  if (GetKeyState(VK_SHIFT) < 0) flags |= MK_SHIFT;
  if (GetKeyState(VK_CONTROL) < 0) flags |= MK_CONTROL;
  return flags;
}

}  // namespace

void ResetMouse() {
  auto& m = mouse();
  std::lock_guard<std::mutex> g(m.lock);
  m.cursor = nullptr;
  m.at = POINT{0, 0};
}

HWND MoveMouse(HWND over, int x, int y) {
  if (!IsWindow(over)) return nullptr;
  POINT screen{x, y};
  ClientToScreen(over, &screen);
  {
    auto& m = mouse();
    std::lock_guard<std::mutex> g(m.lock);
    m.at = screen;
  }
  const WPARAM keys = KeyFlags();
  // With the mouse captured the move goes to the capturing window, without a cursor request.
  if (HWND capture = GetCapture()) {
    SendMessageW(capture, WM_NCHITTEST, 0, Packed(screen));
    POINT client = screen;
    ScreenToClient(capture, &client);
    SendMessageW(capture, WM_MOUSEMOVE, keys, Packed(client));
    return capture;
  }
  HWND root = GetAncestor(over, GA_ROOT);
  if (!root || !Shown(root) || !Contains(root, screen)) return nullptr;
  LRESULT code = HTNOWHERE;
  HWND target = IsWindowEnabled(root) ? HitChild(root, screen, &code) : nullptr;
  if (!target) {
    target = root;
    code = SendMessageW(root, WM_NCHITTEST, 0, Packed(screen));
    if (code == HTTRANSPARENT) return nullptr;
  }
  SendMessageW(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target),
               MAKELPARAM(static_cast<WORD>(code), static_cast<WORD>(WM_MOUSEMOVE)));
  if (code == HTCLIENT) {
    POINT client = screen;
    ScreenToClient(target, &client);
    SendMessageW(target, WM_MOUSEMOVE, keys, Packed(client));
  } else if (code != HTERROR && code != HTNOWHERE) {
    SendMessageW(target, WM_NCMOUSEMOVE, static_cast<WPARAM>(code), Packed(screen));
  }
  return target;
}

}  // namespace plat::ui

using namespace plat::ui;

extern "C" {

BOOL WINAPI GetCursorPos(LPPOINT p) {
  if (!p) return FALSE;
  auto& m = mouse();
  std::lock_guard<std::mutex> g(m.lock);
  *p = m.at;
  return TRUE;
}

HCURSOR WINAPI LoadCursorW(HINSTANCE inst, LPCWSTR name) {
  const auto id = reinterpret_cast<ULONG_PTR>(name);
  if (inst || id > 0xFFFF) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  for (std::size_t i = 0; i < sizeof(kCursorIds) / sizeof(kCursorIds[0]); ++i)
    if (kCursorIds[i] == id) return reinterpret_cast<HCURSOR>(&g_cursorCells[i]);
  SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
  return nullptr;
}

HCURSOR WINAPI SetCursor(HCURSOR cursor) {
  auto& m = mouse();
  std::lock_guard<std::mutex> g(m.lock);
  HCURSOR previous = m.cursor;
  m.cursor = cursor;
  return previous;
}

HCURSOR WINAPI GetCursor() {
  auto& m = mouse();
  std::lock_guard<std::mutex> g(m.lock);
  return m.cursor;
}

}  // extern "C"
