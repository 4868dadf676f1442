// Visual styles: the library "UxTheme.dll", found by its Windows name, with theme handles
// of the window classes the system draws and the backgrounds of their parts as solid
// colours, so that themed drawing can be read back by its pixels. Tests turn visual
// styles off to see the flat look (plat::ui::SetVisualStylesActive).
#include <atomic>
#include <map>
#include <mutex>
#include <string>

#include "paint_internal.h"
#include "plat/builtin_modules.h"
#include "plat/ui_driver.h"
#include "plat/wstr.h"
#include "ui_internal.h"
#include "win/errors.h"
#include "win/uxtheme.h"

namespace plat::ui {
namespace {

struct ThemeClass {
  const char16_t* name;
  COLORREF body;  // the background of every part
};

// The body of a tab page is a lighter face than the dialog's.
constexpr ThemeClass kClasses[] = {
    {u"TAB", RGB(252, 252, 252)},
    {u"BUTTON", RGB(225, 225, 225)},
    {u"WINDOW", RGB(255, 255, 255)},
};

struct Themes {
  std::mutex lock;
  std::map<HTHEME, const ThemeClass*> open;
  std::uintptr_t next = 0x7E000;
  std::map<HWND, bool> windowsOff;  // windows whose styles SetWindowTheme turned off
};

Themes& themes() {
  static Themes* t = new Themes;
  return *t;
}

std::atomic<bool> active{true};

}  // namespace

void SetVisualStylesActive(bool on) { active = on; }

void ResetVisualStyles() {
  active = true;
  auto& t = themes();
  std::lock_guard<std::mutex> g(t.lock);
  t.open.clear();
  t.windowsOff.clear();
}

}  // namespace plat::ui

using namespace plat::ui;

extern "C" {

BOOL WINAPI IsThemeActive() { return active ? TRUE : FALSE; }

HTHEME WINAPI OpenThemeData(HWND hwnd, LPCWSTR classList) {
  if (!active || !classList) return nullptr;
  auto& t = themes();
  std::lock_guard<std::mutex> g(t.lock);
  if (hwnd && t.windowsOff.count(hwnd)) return nullptr;
  const std::u16string names = plat::UpperCase(plat::View(classList));
  std::size_t start = 0;
  while (start <= names.size()) {
    std::size_t end = names.find(u';', start);
    if (end == std::u16string::npos) end = names.size();
    const std::u16string one = names.substr(start, end - start);
    for (const ThemeClass& c : kClasses) {
      if (one != c.name) continue;
      auto h = reinterpret_cast<HTHEME>(t.next);
      t.next += 4;
      t.open.emplace(h, &c);
      return h;
    }
    start = end + 1;
  }
  return nullptr;
}

HRESULT WINAPI CloseThemeData(HTHEME theme) {
  auto& t = themes();
  std::lock_guard<std::mutex> g(t.lock);
  return t.open.erase(theme) ? S_OK : E_INVALIDARG;
}

HRESULT WINAPI DrawThemeBackground(HTHEME theme, HDC hdc, int, int, LPCRECT rect, LPCRECT clip) {
  COLORREF colour;
  {
    auto& t = themes();
    std::lock_guard<std::mutex> g(t.lock);
    auto it = t.open.find(theme);
    if (it == t.open.end() || !rect || !DcOf(hdc)) return E_INVALIDARG;
    colour = it->second->body;
  }
  RECT r = *rect;
  if (clip && !IntersectRect(&r, rect, clip)) return S_OK;
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(hdc, &r, brush);
  DeleteObject(brush);
  return S_OK;
}

HRESULT WINAPI SetWindowTheme(HWND hwnd, LPCWSTR appName, LPCWSTR) {
  if (!IsWindow(hwnd)) return E_INVALIDARG;
  auto& t = themes();
  std::lock_guard<std::mutex> g(t.lock);
  if (appName && !*appName) t.windowsOff[hwnd] = true;
  else t.windowsOff.erase(hwnd);
  return S_OK;
}

}  // extern "C"

namespace {

struct RegisterThemeLibrary {
  RegisterThemeLibrary() {
    using plat::AsFarProc;
    plat::RegisterBuiltinModule(u"UxTheme.dll", {{"IsThemeActive", AsFarProc(&IsThemeActive)},
                                                 {"OpenThemeData", AsFarProc(&OpenThemeData)},
                                                 {"CloseThemeData", AsFarProc(&CloseThemeData)},
                                                 {"DrawThemeBackground", AsFarProc(&DrawThemeBackground)},
                                                 {"SetWindowTheme", AsFarProc(&SetWindowTheme)}});
  }
} registerThemeLibrary;

}  // namespace
