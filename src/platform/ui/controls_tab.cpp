// The tab control: a row of tabs, each with a text and an application value, one of them
// selected. A person's choice asks the parent first (TCN_SELCHANGING, which may refuse)
// and tells it afterwards (TCN_SELCHANGE); TCM_SETCURSEL changes the selection silently.
#include <algorithm>

#include "plat/wstr.h"
#include "ui_internal.h"
#include "win/commctrl.h"
#include "win/paint.h"

namespace plat::ui {
namespace {

constexpr LONG kRowHeight = 22;   // the row of tabs above the display area
constexpr LONG kCharWidth = 7;    // a tab is as wide as its text and a margin
constexpr LONG kTabMargin = 12;

struct Tab {
  std::u16string text;
  LPARAM param = 0;
  DWORD state = 0;
  int image = -1;
};

struct TabState : ControlState {
  std::vector<Tab> tabs;
  int current = -1;
  int focus = -1;
};

int Count(const TabState& s) { return static_cast<int>(s.tabs.size()); }

RECT TabRect(const TabState& s, int index) {
  LONG x = 2;
  for (int i = 0; i < index; ++i)
    x += kTabMargin + kCharWidth * static_cast<LONG>(s.tabs[static_cast<std::size_t>(i)].text.size());
  const LONG w = kTabMargin + kCharWidth * static_cast<LONG>(s.tabs[static_cast<std::size_t>(index)].text.size());
  return RECT{x, 2, x + w, kRowHeight};
}

void Apply(Tab& t, const TCITEMW& item) {
  if (item.mask & TCIF_TEXT) t.text = item.pszText ? std::u16string(item.pszText) : std::u16string();
  if (item.mask & TCIF_PARAM) t.param = item.lParam;
  if (item.mask & TCIF_IMAGE) t.image = item.iImage;
  if (item.mask & TCIF_STATE) t.state = (t.state & ~item.dwStateMask) | (item.dwState & item.dwStateMask);
}

BOOL Read(const Tab& t, TCITEMW& item) {
  if (item.mask & TCIF_TEXT) {
    if (!item.pszText || item.cchTextMax <= 0) return FALSE;
    CopyText(t.text, item.pszText, static_cast<WPARAM>(item.cchTextMax));
  }
  if (item.mask & TCIF_PARAM) item.lParam = t.param;
  if (item.mask & TCIF_IMAGE) item.iImage = t.image;
  if (item.mask & TCIF_STATE) item.dwState = t.state & item.dwStateMask;
  return TRUE;
}

// The selection a person makes: refused when the parent answers TCN_SELCHANGING nonzero.
bool Choose(HWND h, TabState& s, int index) {
  if (index < 0 || index >= Count(s)) return false;
  if (index == s.current) return true;
  NMHDR hdr{};
  if (SendNotify(h, TCN_SELCHANGING, &hdr)) return false;
  auto again = StateOf<TabState>(h);
  if (!again || index >= Count(*again)) return false;
  again->current = index;
  again->focus = index;
  InvalidateRect(h, nullptr, TRUE);
  NMHDR changed{};
  SendNotify(h, TCN_SELCHANGE, &changed);
  return true;
}

LRESULT TabProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto s = StateOf<TabState>(h);
  auto w = Find(h);
  if (!s || !w) return DefWindowProcW(h, msg, wParam, lParam);
  switch (msg) {
    case TCM_GETITEMCOUNT: return Count(*s);
    case TCM_INSERTITEMW: {
      const auto* item = reinterpret_cast<const TCITEMW*>(lParam);
      const auto at = static_cast<int>(wParam);
      if (!item || at < 0) return -1;
      const int index = std::min(at, Count(*s));
      Tab t;
      Apply(t, *item);
      s->tabs.insert(s->tabs.begin() + index, t);
      // The first tab is selected; later insertions keep the selected tab selected.
      if (s->current < 0) s->current = 0;
      else if (index <= s->current) ++s->current;
      if (s->focus >= index) ++s->focus;
      if (s->focus < 0) s->focus = s->current;
      InvalidateRect(h, nullptr, TRUE);
      return index;
    }
    case TCM_SETITEMW:
    case TCM_GETITEMW: {
      auto* item = reinterpret_cast<TCITEMW*>(lParam);
      const auto index = static_cast<int>(wParam);
      if (!item || index < 0 || index >= Count(*s)) return FALSE;
      Tab& t = s->tabs[static_cast<std::size_t>(index)];
      if (msg == TCM_GETITEMW) return Read(t, *item);
      Apply(t, *item);
      InvalidateRect(h, nullptr, TRUE);
      return TRUE;
    }
    case TCM_DELETEITEM: {
      const auto index = static_cast<int>(wParam);
      if (index < 0 || index >= Count(*s)) return FALSE;
      s->tabs.erase(s->tabs.begin() + index);
      if (s->current == index) s->current = -1;
      else if (s->current > index) --s->current;
      if (s->focus == index) s->focus = s->current;
      else if (s->focus > index) --s->focus;
      InvalidateRect(h, nullptr, TRUE);
      return TRUE;
    }
    case TCM_DELETEALLITEMS:
      s->tabs.clear();
      s->current = s->focus = -1;
      InvalidateRect(h, nullptr, TRUE);
      return TRUE;
    case TCM_GETCURSEL: return s->current;
    case TCM_SETCURSEL: {
      const auto index = static_cast<int>(wParam);
      if (index < 0 || index >= Count(*s)) return -1;
      const int old = s->current;
      s->current = s->focus = index;
      if (old != index) InvalidateRect(h, nullptr, TRUE);
      return old;
    }
    case TCM_GETCURFOCUS: return s->focus;
    case TCM_SETCURFOCUS: {
      const auto index = static_cast<int>(wParam);
      if (index >= 0 && index < Count(*s)) Choose(h, *s, index);
      return 0;
    }
    case TCM_GETROWCOUNT: return s->tabs.empty() ? 0 : 1;
    case TCM_GETITEMRECT: {
      auto* r = reinterpret_cast<RECT*>(lParam);
      const auto index = static_cast<int>(wParam);
      if (!r || index < 0 || index >= Count(*s)) return FALSE;
      *r = TabRect(*s, index);
      return TRUE;
    }
    case TCM_ADJUSTRECT: {
      // Display area from window area (FALSE) or window area from display area (TRUE).
      auto* r = reinterpret_cast<RECT*>(lParam);
      if (!r) return 0;
      const LONG sign = wParam ? -1 : 1;
      r->left += sign * 4;
      r->right -= sign * 4;
      r->top += sign * (kRowHeight + 4);
      r->bottom -= sign * 4;
      return 0;
    }
    case WM_LBUTTONDOWN: {
      SetFocus(h);
      const POINT p{static_cast<SHORT>(LOWORD(static_cast<DWORD_PTR>(lParam))),
                    static_cast<SHORT>(HIWORD(static_cast<DWORD_PTR>(lParam)))};
      for (int i = 0; i < Count(*s); ++i) {
        const RECT r = TabRect(*s, i);
        if (PtInRect(&r, p)) {
          Choose(h, *s, i);
          break;
        }
      }
      return 0;
    }
    case WM_KEYDOWN: {
      struct {
        NMHDR hdr;
        WORD key;
        UINT flags;
      } down{{}, static_cast<WORD>(wParam), 0};
      SendNotify(h, TCN_KEYDOWN, &down.hdr);
      if (wParam == VK_LEFT && s->current > 0) Choose(h, *s, s->current - 1);
      if (wParam == VK_RIGHT && s->current + 1 < Count(*s)) Choose(h, *s, s->current + 1);
      return 0;
    }
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      RECT client;
      GetClientRect(h, &client);
      FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
      SetBkMode(dc, TRANSPARENT);
      for (int i = 0; i < Count(*s); ++i) {
        RECT r = TabRect(*s, i);
        if (i == s->current) {
          r.top -= 2;
          FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
        }
        FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW));
        const auto& text = s->tabs[static_cast<std::size_t>(i)].text;
        SetTextColor(dc, GetSysColor((w->style & WS_DISABLED) ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
        TextOutW(dc, r.left + kTabMargin / 2, r.top + 3, text.c_str(), static_cast<int>(text.size()));
      }
      EndPaint(h, &ps);
      return 0;
    }
    case WM_ERASEBKGND: return 1;
    default: return DefWindowProcW(h, msg, wParam, lParam);
  }
}

}  // namespace

void RegisterTabControlClass() { RegisterSystemClass(WC_TABCONTROLW, &TabProc, 0); }

namespace {
std::shared_ptr<TabState> TabOf(HWND tab) {
  return HasClass(tab, WC_TABCONTROLW) ? StateOf<TabState>(tab) : nullptr;
}
}  // namespace

bool UserSelectTab(HWND tab, int index) {
  auto s = TabOf(tab);
  if (!s || index < 0 || index >= Count(*s)) return false;
  SetFocus(tab);
  return Choose(tab, *s, index);
}

std::vector<std::u16string> TabTexts(HWND tab) {
  std::vector<std::u16string> out;
  if (auto s = TabOf(tab))
    for (const auto& t : s->tabs) out.push_back(t.text);
  return out;
}

int TabSelection(HWND tab) {
  auto s = TabOf(tab);
  return s ? s->current : -1;
}

}  // namespace plat::ui
