// The window table and the window classes: creation, destruction, the window words,
// text, rectangles, parents and children.
#include <algorithm>
#include <cstring>
#include <mutex>

#include "paint_internal.h"
#include "plat/wstr.h"
#include "ui_internal.h"
#include "win/errors.h"
#include "win/paint.h"

namespace plat::ui {
namespace {

constexpr DWORD ERROR_CANNOT_FIND_WND_CLASS_CODE = 1407;
constexpr DWORD ERROR_CLASS_ALREADY_EXISTS_CODE = 1410;

struct Table {
  std::recursive_mutex lock;
  std::map<std::uintptr_t, WindowPtr> windows;
  std::uintptr_t next = 0x10010;
  std::vector<WindowClass> classes;
  bool systemClasses = false;
};

Table& table() {
  static Table* t = new Table;  // never destroyed: windows may be destroyed during exit
  return *t;
}

bool IsAtom(LPCWSTR p) { return (reinterpret_cast<ULONG_PTR>(p) >> 16) == 0; }

// The class name of a CreateWindowExW argument: a name, or one of the documented atoms.
std::u16string ClassNameOf(LPCWSTR p) {
  if (!p) return {};
  if (!IsAtom(p)) return std::u16string(p);
  switch (reinterpret_cast<ULONG_PTR>(p)) {
    case 0x80: return u"Button";
    case 0x81: return u"Edit";
    case 0x82: return u"Static";
    case 0x83: return u"ListBox";
    case 0x84: return u"ScrollBar";
    case 0x85: return u"ComboBox";
    case 0x8002: return u"#32770";
    default: return {};
  }
}

}  // namespace

WindowPtr Find(HWND h) {
  if (!h) return nullptr;
  auto& t = table();
  std::lock_guard<std::recursive_mutex> g(t.lock);
  auto it = t.windows.find(reinterpret_cast<std::uintptr_t>(h));
  return it == t.windows.end() ? nullptr : it->second;
}

WindowPtr FindOrFail(HWND h) {
  auto w = Find(h);
  if (!w) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return w;
}

std::vector<HWND> AllWindows() {
  auto& t = table();
  std::lock_guard<std::recursive_mutex> g(t.lock);
  std::vector<HWND> out;
  for (const auto& [h, w] : t.windows) out.push_back(w->handle);
  return out;
}

void RegisterSystemClass(const std::u16string& name, WNDPROC proc, int wndExtra) {
  auto& t = table();
  std::lock_guard<std::recursive_mutex> g(t.lock);
  for (auto& c : t.classes)
    if (EqualNoCase(c.name, name)) return;
  WindowClass c;
  c.name = name;
  c.proc = proc;
  c.wndExtra = wndExtra;
  c.cursor = LoadCursorW(nullptr, EqualNoCase(name, u"Edit") ? IDC_IBEAM : IDC_ARROW);
  c.system = true;
  t.classes.push_back(c);
}

void EnsureSystemClasses() {
  auto& t = table();
  {
    std::lock_guard<std::recursive_mutex> g(t.lock);
    if (t.systemClasses) return;
    t.systemClasses = true;
  }
  RegisterSystemClass(u"Button", &ButtonProc, 0);
  RegisterSystemClass(u"Edit", &EditProc, 0);
  RegisterSystemClass(u"Static", &StaticProc, 0);
  RegisterSystemClass(u"ListBox", &ListBoxProc, 0);
  RegisterSystemClass(u"ComboBox", &ComboBoxProc, 0);
  RegisterSystemClass(u"ScrollBar", &ScrollBarProc, 0);
  RegisterSystemClass(u"#32770", &DefDlgProcW, 3 * static_cast<int>(sizeof(LONG_PTR)));
  RegisterCommonControlClasses();
}

const WindowClass* FindClass(const std::u16string& name) {
  EnsureSystemClasses();
  auto& t = table();
  std::lock_guard<std::recursive_mutex> g(t.lock);
  for (auto& c : t.classes)
    if (EqualNoCase(c.name, name)) return &c;
  return nullptr;
}

HWND ChildById(HWND parent, int id) {
  auto p = Find(parent);
  if (!p) return nullptr;
  for (HWND c : p->children) {
    auto w = Find(c);
    if (w && static_cast<int>(w->id) == id) return c;
  }
  return nullptr;
}

void NotifyParent(HWND control, WORD code) {
  auto w = Find(control);
  if (!w || !w->parent) return;
  SendMessageW(w->parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(w->id), code), reinterpret_cast<LPARAM>(control));
}

LRESULT NotifyParentHeader(HWND control, UINT code) {
  auto w = Find(control);
  if (!w || !w->parent) return 0;
  NMHDR hdr{control, static_cast<UINT_PTR>(w->id), code};
  return SendMessageW(w->parent, WM_NOTIFY, static_cast<WPARAM>(w->id), reinterpret_cast<LPARAM>(&hdr));
}

bool HasClass(HWND h, std::u16string_view name) {
  auto w = Find(h);
  return w && EqualNoCase(w->className, name);
}

LRESULT SendNotify(HWND control, UINT code, NMHDR* header) {
  auto w = Find(control);
  if (!w || !w->parent || !header) return 0;
  header->hwndFrom = control;
  header->idFrom = static_cast<UINT_PTR>(w->id);
  header->code = code;
  return SendMessageW(w->parent, WM_NOTIFY, static_cast<WPARAM>(w->id), reinterpret_cast<LPARAM>(header));
}

LRESULT CopyText(const std::u16string& text, LPWSTR buffer, WPARAM size) {
  if (!buffer || size == 0) return 0;
  const std::size_t n = std::min<std::size_t>(text.size(), size - 1);
  std::memcpy(buffer, text.data(), n * sizeof(WCHAR));
  buffer[n] = 0;
  return static_cast<LRESULT>(n);
}

void ResetWindows() {
  // Top-level windows first; their children go with them.
  for (HWND h : AllWindows()) {
    auto w = Find(h);
    if (w && !w->parent) DestroyWindow(h);
  }
  auto& t = table();
  std::lock_guard<std::recursive_mutex> g(t.lock);
  t.windows.clear();
  t.classes.erase(std::remove_if(t.classes.begin(), t.classes.end(), [](const WindowClass& c) { return !c.system; }),
                  t.classes.end());
}

}  // namespace plat::ui

using namespace plat::ui;

extern "C" {

ATOM WINAPI RegisterClassW(const WNDCLASSW* wc) {
  if (!wc || !wc->lpszClassName || !wc->lpfnWndProc || IsAtom(wc->lpszClassName)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  EnsureSystemClasses();
  auto& t = table();
  std::lock_guard<std::recursive_mutex> g(t.lock);
  for (const auto& c : t.classes) {
    if (!c.system && plat::EqualNoCase(c.name, wc->lpszClassName)) {
      SetLastError(ERROR_CLASS_ALREADY_EXISTS_CODE);
      return 0;
    }
  }
  WindowClass c;
  c.name = wc->lpszClassName;
  c.proc = wc->lpfnWndProc;
  c.style = wc->style;
  c.wndExtra = std::max(0, wc->cbWndExtra);
  c.instance = wc->hInstance;
  c.background = wc->hbrBackground;
  c.cursor = wc->hCursor;
  // A class of the application is found before a system class of the same name.
  t.classes.insert(t.classes.begin(), c);
  return static_cast<ATOM>(0xC000 + t.classes.size());
}

BOOL WINAPI UnregisterClassW(LPCWSTR name, HINSTANCE) {
  auto& t = table();
  std::lock_guard<std::recursive_mutex> g(t.lock);
  const std::u16string n = ClassNameOf(name);
  for (auto it = t.classes.begin(); it != t.classes.end(); ++it) {
    if (!it->system && plat::EqualNoCase(it->name, n)) {
      t.classes.erase(it);
      return TRUE;
    }
  }
  SetLastError(ERROR_CANNOT_FIND_WND_CLASS_CODE);
  return FALSE;
}

BOOL WINAPI GetClassInfoW(HINSTANCE, LPCWSTR name, WNDCLASSW* out) {
  const WindowClass* c = FindClass(ClassNameOf(name));
  if (!c || !out) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS_CODE);
    return FALSE;
  }
  *out = WNDCLASSW{};
  out->style = c->style;
  out->lpfnWndProc = c->proc;
  out->cbWndExtra = c->wndExtra;
  out->hInstance = c->instance;
  out->hbrBackground = c->background;
  out->lpszClassName = c->name.c_str();
  return TRUE;
}

BOOL WINAPI GetClassInfoExW(HINSTANCE instance, LPCWSTR name, WNDCLASSEXW* out) {
  if (!out || out->cbSize != sizeof(WNDCLASSEXW)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  WNDCLASSW plain{};
  if (!GetClassInfoW(instance, name, &plain)) return FALSE;
  const UINT size = out->cbSize;
  *out = WNDCLASSEXW{size,          plain.style,   plain.lpfnWndProc,    plain.cbClsExtra,
                     plain.cbWndExtra, plain.hInstance, plain.hIcon,      plain.hCursor,
                     plain.hbrBackground, plain.lpszMenuName, plain.lpszClassName, nullptr};
  return TRUE;
}

HWND WINAPI FindWindowW(LPCWSTR className, LPCWSTR windowName) {
  const std::u16string cls = className ? ClassNameOf(className) : std::u16string();
  for (HWND h : AllWindows()) {
    auto w = Find(h);
    if (!w || w->parent) continue;
    if (className && !plat::EqualNoCase(w->className, cls)) continue;
    if (windowName && w->text != windowName) continue;
    return h;
  }
  return nullptr;
}

int WINAPI GetClassNameW(HWND hWnd, LPWSTR buffer, int size) {
  auto w = FindOrFail(hWnd);
  if (!w || size <= 0) return 0;
  return static_cast<int>(CopyText(w->className, buffer, static_cast<WPARAM>(size)));
}

HWND WINAPI CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                            int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  const WindowClass* cls = FindClass(ClassNameOf(className));
  if (!cls) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS_CODE);
    return nullptr;
  }
  WindowPtr parentWindow;
  if (parent) {
    parentWindow = Find(parent);
    if (!parentWindow) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
  } else if (style & WS_CHILD) {
    SetLastError(1406);  // ERROR_TLW_WITH_WSCHILD
    return nullptr;
  }
  auto w = std::make_shared<Window>();
  w->className = cls->name;
  w->proc = cls->proc;
  w->style = style;
  w->exStyle = exStyle;
  w->instance = instance;
  w->thread = std::this_thread::get_id();
  w->extra.assign((cls->wndExtra + sizeof(LONG_PTR) - 1) / sizeof(LONG_PTR), 0);
  if (style & WS_CHILD) {
    w->parent = parent;
    w->id = static_cast<LONG_PTR>(reinterpret_cast<ULONG_PTR>(menu));
  } else if (parentWindow) {
    // The owner of a top-level window is the parent's top-level window.
    HWND o = parent;
    for (auto p = parentWindow; p && p->parent; p = Find(p->parent)) o = p->parent;
    w->owner = o;
  }
  w->rect = RECT{x, y, x + std::max(0, width), y + std::max(0, height)};
  {
    auto& t = table();
    std::lock_guard<std::recursive_mutex> g(t.lock);
    w->handle = reinterpret_cast<HWND>(t.next);
    t.next += 4;
    t.windows.emplace(reinterpret_cast<std::uintptr_t>(w->handle), w);
  }
  if (w->parent) parentWindow->children.push_back(w->handle);
  HWND h = w->handle;
  CREATESTRUCTW cs{param, instance, menu, parent, height, width, y, x, static_cast<LONG>(style), windowName,
                   className, exStyle};
  if (!SendMessageW(h, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
    DestroyWindow(h);
    return nullptr;
  }
  if (SendMessageW(h, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    DestroyWindow(h);
    return nullptr;
  }
  if (!IsWindow(h)) return nullptr;
  if (w->parent && !(exStyle & WS_EX_NOPARENTNOTIFY))
    SendMessageW(w->parent, WM_PARENTNOTIFY, MAKEWPARAM(WM_CREATE, static_cast<WORD>(w->id)),
                 reinterpret_cast<LPARAM>(h));
  if (IsWindow(h) && (w->style & WS_VISIBLE)) {
    SendMessageW(h, WM_SHOWWINDOW, TRUE, 0);
    InvalidateRect(h, nullptr, TRUE);
    // A visible top-level window becomes the active one.
    if (!w->parent) Thread().active = h;
  }
  return IsWindow(h) ? h : nullptr;
}

BOOL WINAPI DestroyWindow(HWND hWnd) {
  auto w = FindOrFail(hWnd);
  if (!w) return FALSE;
  if (w->destroying) return TRUE;
  w->destroying = true;
  // Owned top-level windows go first.
  for (HWND other : AllWindows()) {
    auto o = Find(other);
    if (o && o->owner == hWnd && !o->destroying) DestroyWindow(other);
  }
  auto& ts = Thread();
  if (ts.focus == hWnd || IsChild(hWnd, ts.focus)) ts.focus = nullptr;
  if (ts.capture == hWnd) ts.capture = nullptr;
  if (ts.active == hWnd) ts.active = w->owner;
  if (w->style & WS_VISIBLE) w->style &= ~WS_VISIBLE;
  // WM_DESTROY parents first, WM_NCDESTROY children first.
  std::function<void(HWND)> destroyDown = [&](HWND h) {
    SendMessageW(h, WM_DESTROY, 0, 0);
    auto x = Find(h);
    if (!x) return;
    const auto kids = x->children;
    for (HWND c : kids) {
      auto cw = Find(c);
      if (cw) cw->destroying = true;
      destroyDown(c);
    }
  };
  destroyDown(hWnd);
  std::function<void(HWND)> ncDestroy = [&](HWND h) {
    auto x = Find(h);
    if (!x) return;
    const auto kids = x->children;
    for (HWND c : kids) ncDestroy(c);
    SendMessageW(h, WM_NCDESTROY, 0, 0);
    ts.timers.erase(std::remove_if(ts.timers.begin(), ts.timers.end(), [&](const Timer& t) { return t.window == h; }),
                    ts.timers.end());
    if (x->surface) DeleteObject(x->surface);
    if (x->ownFont) DeleteObject(x->ownFont);
    DropPaintLog(h);
    auto& t = table();
    std::lock_guard<std::recursive_mutex> g(t.lock);
    t.windows.erase(reinterpret_cast<std::uintptr_t>(h));
  };
  if (w->parent) {
    if (auto p = Find(w->parent)) {
      if (!(w->exStyle & WS_EX_NOPARENTNOTIFY) && !p->destroying)
        SendMessageW(w->parent, WM_PARENTNOTIFY, MAKEWPARAM(WM_DESTROY, static_cast<WORD>(w->id)),
                     reinterpret_cast<LPARAM>(hWnd));
      auto& kids = p->children;
      kids.erase(std::remove(kids.begin(), kids.end(), hWnd), kids.end());
    }
  }
  ncDestroy(hWnd);
  return TRUE;
}

BOOL WINAPI IsWindow(HWND hWnd) { return Find(hWnd) ? TRUE : FALSE; }

BOOL WINAPI IsWindowVisible(HWND hWnd) {
  for (auto w = Find(hWnd); w; w = Find(w->parent))
    if (!(w->style & WS_VISIBLE)) return FALSE;
  return hWnd && Find(hWnd) ? TRUE : FALSE;
}

BOOL WINAPI IsWindowEnabled(HWND hWnd) {
  auto w = Find(hWnd);
  return w && !(w->style & WS_DISABLED) ? TRUE : FALSE;
}

BOOL WINAPI EnableWindow(HWND hWnd, BOOL enable) {
  auto w = FindOrFail(hWnd);
  if (!w) return FALSE;
  const BOOL wasDisabled = (w->style & WS_DISABLED) ? TRUE : FALSE;
  if (enable == !wasDisabled) return wasDisabled;
  if (enable) {
    w->style &= ~WS_DISABLED;
  } else {
    w->style |= WS_DISABLED;
    auto& ts = Thread();
    if (ts.focus == hWnd || IsChild(hWnd, ts.focus)) SetFocus(nullptr);
  }
  SendMessageW(hWnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
  InvalidateRect(hWnd, nullptr, TRUE);
  return wasDisabled;
}

BOOL WINAPI ShowWindow(HWND hWnd, int cmd) {
  auto w = FindOrFail(hWnd);
  if (!w) return FALSE;
  const BOOL wasVisible = (w->style & WS_VISIBLE) ? TRUE : FALSE;
  const bool show = cmd != SW_HIDE;
  if (show == static_cast<bool>(wasVisible)) return wasVisible;
  SendMessageW(hWnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
  if (!IsWindow(hWnd)) return wasVisible;
  if (show) {
    w->style |= WS_VISIBLE;
    InvalidateRect(hWnd, nullptr, TRUE);
    if (!w->parent && cmd != SW_SHOWNA) Thread().active = hWnd;
  } else {
    w->style &= ~WS_VISIBLE;
    auto& ts = Thread();
    if (ts.focus == hWnd || IsChild(hWnd, ts.focus)) ts.focus = nullptr;
    if (w->parent) InvalidateRect(w->parent, nullptr, TRUE);
  }
  return wasVisible;
}

BOOL WINAPI IsChild(HWND parent, HWND hWnd) {
  if (!parent || !hWnd) return FALSE;
  for (auto w = Find(hWnd); w && w->parent; w = Find(w->parent))
    if (w->parent == parent) return TRUE;
  return FALSE;
}

HWND WINAPI GetParent(HWND hWnd) {
  auto w = FindOrFail(hWnd);
  if (!w) return nullptr;
  return w->parent ? w->parent : w->owner;
}

HWND WINAPI SetParent(HWND child, HWND newParent) {
  auto w = FindOrFail(child);
  if (!w) return nullptr;
  HWND old = w->parent;
  if (old) {
    if (auto p = Find(old)) {
      auto& kids = p->children;
      kids.erase(std::remove(kids.begin(), kids.end(), child), kids.end());
    }
  }
  w->parent = newParent;
  if (auto np = Find(newParent)) np->children.push_back(child);
  return old ? old : GetDesktopWindow();
}

HWND WINAPI GetAncestor(HWND hWnd, UINT flags) {
  auto w = FindOrFail(hWnd);
  if (!w) return nullptr;
  if (flags == GA_PARENT) return w->parent ? w->parent : GetDesktopWindow();
  HWND h = hWnd;
  while (auto x = Find(h)) {
    if (!x->parent) break;
    h = x->parent;
  }
  return h;
}

HWND WINAPI GetWindow(HWND hWnd, UINT cmd) {
  auto w = FindOrFail(hWnd);
  if (!w) return nullptr;
  if (cmd == GW_CHILD) return w->children.empty() ? nullptr : w->children.front();
  if (cmd == GW_OWNER) return w->owner;
  auto p = Find(w->parent);
  if (!p) return nullptr;
  const auto& kids = p->children;
  auto it = std::find(kids.begin(), kids.end(), hWnd);
  switch (cmd) {
    case GW_HWNDFIRST: return kids.front();
    case GW_HWNDLAST: return kids.back();
    case GW_HWNDNEXT: return (it == kids.end() || it + 1 == kids.end()) ? nullptr : *(it + 1);
    case GW_HWNDPREV: return (it == kids.begin() || it == kids.end()) ? nullptr : *(it - 1);
    default: return nullptr;
  }
}

HWND WINAPI GetDesktopWindow() { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x10010 - 4)); }

BOOL WINAPI EnumChildWindows(HWND parent, WNDENUMPROC fn, LPARAM lParam) {
  if (!fn) return FALSE;
  // Every descendant, depth first, each child before its own children.
  std::function<bool(HWND)> walk = [&](HWND h) {
    auto w = Find(h);
    if (!w) return true;
    const auto kids = w->children;
    for (HWND c : kids) {
      if (!IsWindow(c)) continue;
      if (!fn(c, lParam)) return false;
      if (!walk(c)) return false;
    }
    return true;
  };
  if (!parent || parent == GetDesktopWindow()) {
    for (HWND h : AllWindows()) {
      auto w = Find(h);
      if (!w || w->parent) continue;
      if (!fn(h, lParam) || !walk(h)) return TRUE;
    }
    return TRUE;
  }
  walk(parent);
  return TRUE;
}

LONG_PTR WINAPI GetWindowLongPtrW(HWND hWnd, int index) {
  auto w = FindOrFail(hWnd);
  if (!w) return 0;
  switch (index) {
    case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
    case GWLP_HINSTANCE: return reinterpret_cast<LONG_PTR>(w->instance);
    case GWLP_HWNDPARENT: return reinterpret_cast<LONG_PTR>(w->parent ? w->parent : w->owner);
    case GWLP_ID: return w->id;
    case GWL_STYLE: return static_cast<LONG>(w->style);
    case GWL_EXSTYLE: return static_cast<LONG>(w->exStyle);
    case GWLP_USERDATA: return w->userData;
    default:
      if (index >= 0 && index % static_cast<int>(sizeof(LONG_PTR)) == 0 &&
          static_cast<std::size_t>(index) / sizeof(LONG_PTR) < w->extra.size())
        return w->extra[static_cast<std::size_t>(index) / sizeof(LONG_PTR)];
      SetLastError(1413);  // ERROR_INVALID_INDEX
      return 0;
  }
}

LONG_PTR WINAPI SetWindowLongPtrW(HWND hWnd, int index, LONG_PTR value) {
  auto w = FindOrFail(hWnd);
  if (!w) return 0;
  LONG_PTR old = GetWindowLongPtrW(hWnd, index);
  switch (index) {
    case GWLP_WNDPROC: w->proc = reinterpret_cast<WNDPROC>(value); break;
    case GWLP_HINSTANCE: w->instance = reinterpret_cast<HINSTANCE>(value); break;
    case GWLP_HWNDPARENT: w->owner = reinterpret_cast<HWND>(value); break;
    case GWLP_ID: w->id = value; break;
    case GWL_STYLE:
      w->style = static_cast<DWORD>(value);
      SendMessageW(hWnd, WM_STYLECHANGED, static_cast<WPARAM>(GWL_STYLE), 0);
      break;
    case GWL_EXSTYLE: w->exStyle = static_cast<DWORD>(value); break;
    case GWLP_USERDATA: w->userData = value; break;
    default:
      if (index >= 0 && index % static_cast<int>(sizeof(LONG_PTR)) == 0 &&
          static_cast<std::size_t>(index) / sizeof(LONG_PTR) < w->extra.size()) {
        w->extra[static_cast<std::size_t>(index) / sizeof(LONG_PTR)] = value;
        break;
      }
      SetLastError(1413);
      return 0;
  }
  return old;
}

LONG WINAPI GetWindowLongW(HWND hWnd, int index) { return static_cast<LONG>(GetWindowLongPtrW(hWnd, index)); }
LONG WINAPI SetWindowLongW(HWND hWnd, int index, LONG value) {
  return static_cast<LONG>(SetWindowLongPtrW(hWnd, index, value));
}

BOOL WINAPI SetPropW(HWND hWnd, LPCWSTR name, HANDLE data) {
  auto w = FindOrFail(hWnd);
  if (!w || !name) return FALSE;
  w->props[IsAtom(name) ? u"#" + plat::FromUtf8(std::to_string(reinterpret_cast<ULONG_PTR>(name))) : std::u16string(name)] =
      data;
  return TRUE;
}

HANDLE WINAPI GetPropW(HWND hWnd, LPCWSTR name) {
  auto w = Find(hWnd);
  if (!w || !name) return nullptr;
  auto key = IsAtom(name) ? u"#" + plat::FromUtf8(std::to_string(reinterpret_cast<ULONG_PTR>(name))) : std::u16string(name);
  auto it = w->props.find(key);
  return it == w->props.end() ? nullptr : it->second;
}

HANDLE WINAPI RemovePropW(HWND hWnd, LPCWSTR name) {
  HANDLE old = GetPropW(hWnd, name);
  auto w = Find(hWnd);
  if (w && name && !IsAtom(name)) w->props.erase(std::u16string(name));
  return old;
}

BOOL WINAPI SetWindowTextW(HWND hWnd, LPCWSTR text) {
  if (!FindOrFail(hWnd)) return FALSE;
  return SendMessageW(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : u"")) ? TRUE : FALSE;
}

int WINAPI GetWindowTextW(HWND hWnd, LPWSTR buffer, int size) {
  if (!buffer || size <= 0) return 0;
  buffer[0] = 0;
  if (!FindOrFail(hWnd)) return 0;
  return static_cast<int>(SendMessageW(hWnd, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(buffer)));
}

int WINAPI GetWindowTextLengthW(HWND hWnd) {
  if (!FindOrFail(hWnd)) return 0;
  return static_cast<int>(SendMessageW(hWnd, WM_GETTEXTLENGTH, 0, 0));
}

BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT out) {
  auto w = FindOrFail(hWnd);
  if (!w || !out) return FALSE;
  *out = w->rect;
  POINT origin{0, 0};
  if (w->parent) {
    ClientToScreen(w->parent, &origin);
    OffsetRect(out, origin.x, origin.y);
  }
  return TRUE;
}

BOOL WINAPI GetClientRect(HWND hWnd, LPRECT out) {
  auto w = FindOrFail(hWnd);
  if (!w || !out) return FALSE;
  // No frames are drawn: the client area is the whole window.
  *out = RECT{0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
  return TRUE;
}

BOOL WINAPI MoveWindow(HWND hWnd, int x, int y, int width, int height, BOOL repaint) {
  auto w = FindOrFail(hWnd);
  if (!w) return FALSE;
  const bool sized = (w->rect.right - w->rect.left) != width || (w->rect.bottom - w->rect.top) != height;
  const bool moved = w->rect.left != x || w->rect.top != y;
  w->rect = RECT{x, y, x + std::max(0, width), y + std::max(0, height)};
  if (w->surface && sized) {
    DeleteObject(w->surface);
    w->surface = nullptr;
  }
  if (moved) SendMessageW(hWnd, WM_MOVE, 0, MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
  if (sized) SendMessageW(hWnd, WM_SIZE, 0, MAKELPARAM(static_cast<WORD>(width), static_cast<WORD>(height)));
  if (repaint) InvalidateRect(hWnd, nullptr, TRUE);
  return TRUE;
}

BOOL WINAPI SetWindowPos(HWND hWnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  auto w = FindOrFail(hWnd);
  if (!w) return FALSE;
  // Z-order among the siblings: HWND_TOP (null) first, HWND_BOTTOM (1) last, a sibling's
  // handle just after that sibling.
  auto parent = Find(w->parent);
  if (!(flags & SWP_NOZORDER) && parent && insertAfter != hWnd) {
    auto& kids = parent->children;
    const auto at = std::find(kids.begin(), kids.end(), hWnd);
    const bool sibling = insertAfter && insertAfter != reinterpret_cast<HWND>(1) &&
                         std::find(kids.begin(), kids.end(), insertAfter) != kids.end();
    if (at != kids.end() && (sibling || !insertAfter || insertAfter == reinterpret_cast<HWND>(1))) {
      kids.erase(at);
      if (!insertAfter) kids.insert(kids.begin(), hWnd);
      else if (!sibling) kids.push_back(hWnd);
      else kids.insert(std::find(kids.begin(), kids.end(), insertAfter) + 1, hWnd);
    }
  }
  if (!(flags & SWP_NOMOVE) || !(flags & SWP_NOSIZE)) {
    const int nx = (flags & SWP_NOMOVE) ? w->rect.left : x;
    const int ny = (flags & SWP_NOMOVE) ? w->rect.top : y;
    const int nw = (flags & SWP_NOSIZE) ? w->rect.right - w->rect.left : cx;
    const int nh = (flags & SWP_NOSIZE) ? w->rect.bottom - w->rect.top : cy;
    MoveWindow(hWnd, nx, ny, nw, nh, TRUE);
  }
  if (flags & SWP_SHOWWINDOW) ShowWindow(hWnd, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
  if (flags & SWP_HIDEWINDOW) ShowWindow(hWnd, SW_HIDE);
  return TRUE;
}

BOOL WINAPI ClientToScreen(HWND hWnd, LPPOINT pt) {
  auto w = FindOrFail(hWnd);
  if (!w || !pt) return FALSE;
  for (; w; w = Find(w->parent)) {
    pt->x += w->rect.left;
    pt->y += w->rect.top;
  }
  return TRUE;
}

BOOL WINAPI ScreenToClient(HWND hWnd, LPPOINT pt) {
  if (!pt) return FALSE;
  POINT origin{0, 0};
  if (!ClientToScreen(hWnd, &origin)) return FALSE;
  pt->x -= origin.x;
  pt->y -= origin.y;
  return TRUE;
}

int WINAPI MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count) {
  POINT a{0, 0}, b{0, 0};
  if (from && !ClientToScreen(from, &a)) return 0;
  if (to && !ClientToScreen(to, &b)) return 0;
  const LONG dx = a.x - b.x, dy = a.y - b.y;
  for (UINT i = 0; points && i < count; ++i) {
    points[i].x += dx;
    points[i].y += dy;
  }
  SetLastError(0);
  return static_cast<int>(MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy)));
}

int WINAPI GetDlgCtrlID(HWND hWnd) {
  auto w = FindOrFail(hWnd);
  return w && w->parent ? static_cast<int>(w->id) : 0;
}

BOOL WINAPI SetRect(LPRECT r, int l, int t, int rt, int b) {
  if (!r) return FALSE;
  *r = RECT{l, t, rt, b};
  return TRUE;
}
BOOL WINAPI OffsetRect(LPRECT r, int dx, int dy) {
  if (!r) return FALSE;
  r->left += dx;
  r->right += dx;
  r->top += dy;
  r->bottom += dy;
  return TRUE;
}
BOOL WINAPI InflateRect(LPRECT r, int dx, int dy) {
  if (!r) return FALSE;
  r->left -= dx;
  r->right += dx;
  r->top -= dy;
  r->bottom += dy;
  return TRUE;
}
BOOL WINAPI PtInRect(const RECT* r, POINT p) {
  return r && p.x >= r->left && p.x < r->right && p.y >= r->top && p.y < r->bottom ? TRUE : FALSE;
}
BOOL WINAPI IsRectEmpty(const RECT* r) { return !r || r->right <= r->left || r->bottom <= r->top ? TRUE : FALSE; }
BOOL WINAPI IntersectRect(LPRECT out, const RECT* a, const RECT* b) {
  if (!out || !a || !b) return FALSE;
  RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
         std::min(a->bottom, b->bottom)};
  if (IsRectEmpty(&r)) {
    *out = RECT{0, 0, 0, 0};
    return FALSE;
  }
  *out = r;
  return TRUE;
}

}  // extern "C"
