// The mouse: the standard cursors, the cursors of modules and the one shown, the pointer's place, and a move of the
// pointer delivered as Windows delivers it: the hit test to the window under the point
// (passing through windows that answer HTTRANSPARENT), the cursor request with the hit-test
// code, then the move itself.
#include <map>
#include <memory>
#include <mutex>

#include "plat/ui_driver.h"
#include "ui_internal.h"
#include "win/errors.h"
#include "win/resources.h"

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
  // The cursors of modules: one handle per cursor image resource, never dereferenced.
  std::map<const void*, std::unique_ptr<unsigned char>> moduleCursors;
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

WORD Get16(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }

// A module's cursor: its RT_GROUP_CURSOR names the images; the first is the one shown.
HCURSOR ModuleCursor(HINSTANCE inst, LPCWSTR name) {
  HRSRC group = FindResourceW(inst, name, RT_GROUP_CURSOR);
  if (!group) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  const auto* dir = static_cast<const BYTE*>(LockResource(LoadResource(inst, group)));
  const DWORD dirSize = SizeofResource(inst, group);
  if (!dir || dirSize < 6 + 14 || Get16(dir + 2) != 2 || Get16(dir + 4) == 0) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return nullptr;
  }
  const WORD imageId = Get16(dir + 6 + 12);
  HRSRC image = FindResourceW(inst, MAKEINTRESOURCEW(imageId), RT_CURSOR);
  if (!image) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return nullptr;
  }
  // The image is its hot spot (two WORDs) and a bitmap header at least.
  if (SizeofResource(inst, image) < 4 + 40) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return nullptr;
  }
  auto& m = mouse();
  std::lock_guard<std::mutex> g(m.lock);
  auto& cell = m.moduleCursors[image];
  if (!cell) cell = std::make_unique<unsigned char>(0);
  return reinterpret_cast<HCURSOR>(cell.get());
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
  if (inst) return ModuleCursor(inst, name);
  const auto id = reinterpret_cast<ULONG_PTR>(name);
  if (id > 0xFFFF) {
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
