// Classes of the common controls library that the window system provides: the trackbar.
#include <algorithm>

#include "paint_internal.h"
#include "plat/ui_driver.h"
#include "ui_internal.h"
#include "win/commctrl.h"

namespace plat::ui {
namespace {

struct TrackbarState : ControlState {
  LONG min = 0;
  LONG max = 100;
  LONG pos = 0;
  LONG line = 1;
  LONG page = 20;
};

void Tell(HWND h, WORD code, LONG pos) {
  auto w = Find(h);
  if (!w || !w->parent) return;
  const UINT msg = (w->style & TBS_VERT) ? WM_VSCROLL : WM_HSCROLL;
  // The high word carries the position for the thumb codes only.
  const WORD high = (code == TB_THUMBTRACK || code == TB_THUMBPOSITION) ? static_cast<WORD>(pos) : 0;
  SendMessageW(w->parent, msg, MAKEWPARAM(code, high), reinterpret_cast<LPARAM>(h));
}

LRESULT TrackbarProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto s = StateOf<TrackbarState>(h);
  if (!s) return DefWindowProcW(h, msg, wParam, lParam);
  auto clamp = [&](LONG v) { return std::max(s->min, std::min(s->max, v)); };
  switch (msg) {
    case TBM_GETPOS: return s->pos;
    case TBM_GETRANGEMIN: return s->min;
    case TBM_GETRANGEMAX: return s->max;
    case TBM_SETPOS:
      s->pos = clamp(static_cast<LONG>(lParam));
      if (wParam) InvalidateRect(h, nullptr, TRUE);
      return 0;
    case TBM_SETRANGE:
      s->min = static_cast<SHORT>(LOWORD(static_cast<DWORD_PTR>(lParam)));
      s->max = static_cast<SHORT>(HIWORD(static_cast<DWORD_PTR>(lParam)));
      s->pos = clamp(s->pos);
      return 0;
    case TBM_SETRANGEMIN: s->min = static_cast<LONG>(lParam); s->pos = clamp(s->pos); return 0;
    case TBM_SETRANGEMAX: s->max = static_cast<LONG>(lParam); s->pos = clamp(s->pos); return 0;
    case TBM_SETTICFREQ: return 0;
    case TBM_SETPAGESIZE: {
      const LONG old = s->page;
      s->page = static_cast<LONG>(lParam);
      return old;
    }
    case TBM_GETPAGESIZE: return s->page;
    case TBM_SETLINESIZE: {
      const LONG old = s->line;
      s->line = static_cast<LONG>(lParam);
      return old;
    }
    case TBM_GETLINESIZE: return s->line;
    case WM_KEYDOWN: {
      WORD code;
      LONG to = s->pos;
      switch (wParam) {
        case VK_RIGHT:
        case VK_DOWN: code = TB_LINEDOWN; to += s->line; break;
        case VK_LEFT:
        case VK_UP: code = TB_LINEUP; to -= s->line; break;
        case VK_NEXT: code = TB_PAGEDOWN; to += s->page; break;
        case VK_PRIOR: code = TB_PAGEUP; to -= s->page; break;
        case VK_HOME: code = TB_TOP; to = s->min; break;
        case VK_END: code = TB_BOTTOM; to = s->max; break;
        default: return 0;
      }
      s->pos = clamp(to);
      InvalidateRect(h, nullptr, TRUE);
      Tell(h, code, s->pos);
      Tell(h, TB_ENDTRACK, s->pos);
      return 0;
    }
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case WM_LBUTTONDOWN: SetFocus(h); return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      RECT r;
      GetClientRect(h, &r);
      FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
      const LONG span = std::max<LONG>(1, s->max - s->min);
      const LONG x = (r.right - 8) * (s->pos - s->min) / span;
      RECT thumb{x, 0, x + 8, r.bottom};
      FillRect(dc, &thumb, GetSysColorBrush(COLOR_HIGHLIGHT));
      EndPaint(h, &ps);
      return 0;
    }
    case WM_ERASEBKGND: return 1;
    default: return DefWindowProcW(h, msg, wParam, lParam);
  }
}

}  // namespace

void RegisterCommonControlClasses() {
  RegisterSystemClass(TRACKBAR_CLASSW, &TrackbarProc, 0);
  RegisterTabControlClass();
  RegisterTreeViewClass();
  RegisterListViewClass();
}

bool DragSlider(HWND trackbar, int position) {
  auto s = StateOf<TrackbarState>(trackbar);
  if (!s || !IsWindowEnabled(trackbar) || !IsWindowVisible(trackbar)) return false;
  SetFocus(trackbar);
  s->pos = std::max(s->min, std::min(s->max, static_cast<LONG>(position)));
  InvalidateRect(trackbar, nullptr, TRUE);
  Tell(trackbar, TB_THUMBTRACK, s->pos);
  Tell(trackbar, TB_THUMBPOSITION, s->pos);
  Tell(trackbar, TB_ENDTRACK, s->pos);
  return true;
}

}  // namespace plat::ui
