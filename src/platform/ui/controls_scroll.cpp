// The scroll bar control and the scroll bars of windows (SetScrollInfo and relatives).
#include <algorithm>

#include "plat/ui_driver.h"
#include "ui_internal.h"

namespace plat::ui {
namespace {

struct ScrollState : ControlState {
  SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL, 0, 100, 0, 0, 0};
  UINT disabledArrows = 0;  // ESB_DISABLE_LTUP, ESB_DISABLE_RTDN
  bool dragging = false;    // the thumb follows the mouse until the button comes up
  int grab = 0;             // where on the thumb it was taken
};

// The parts of a bar along its length: an arrow box at each end, the thumb between.
struct BarGeometry {
  bool vertical;
  int length;
  int arrow;
  int thumbStart;
  int thumbSize;
};

int Span(const SCROLLINFO& i) { return i.nMax - std::max(0, static_cast<int>(i.nPage) - 1) - i.nMin; }

BarGeometry GeometryOf(HWND h, DWORD style, const SCROLLINFO& info) {
  RECT r{};
  GetClientRect(h, &r);
  BarGeometry g{};
  g.vertical = (style & SBS_VERT) != 0;
  g.length = g.vertical ? r.bottom - r.top : r.right - r.left;
  g.arrow = std::min(GetSystemMetrics(SM_CXHSCROLL), g.length / 2);
  const int track = g.length - 2 * g.arrow;
  g.thumbSize = std::min(g.arrow, track);
  const int span = Span(info);
  g.thumbStart = g.arrow + (span > 0 ? (track - g.thumbSize) * (info.nPos - info.nMin) / span : 0);
  return g;
}

int PositionAt(const BarGeometry& g, const SCROLLINFO& info, int thumbStart) {
  const int room = g.length - 2 * g.arrow - g.thumbSize;
  if (room <= 0) return info.nPos;
  const int pos = info.nMin + ((thumbStart - g.arrow) * Span(info) + room / 2) / room;
  return std::max(info.nMin, std::min(pos, info.nMin + std::max(0, Span(info))));
}

int Along(const BarGeometry& g, LPARAM lParam) {
  return g.vertical ? static_cast<std::int16_t>(HIWORD(static_cast<DWORD>(lParam)))
                    : static_cast<std::int16_t>(LOWORD(static_cast<DWORD>(lParam)));
}

int Clamp(const SCROLLINFO& i, int pos) {
  const int maxPos = i.nMax - std::max(0, static_cast<int>(i.nPage) - 1);
  return std::max(i.nMin, std::min(pos, std::max(i.nMin, maxPos)));
}

void Apply(SCROLLINFO& to, const SCROLLINFO& from) {
  if (from.fMask & SIF_RANGE) {
    to.nMin = from.nMin;
    to.nMax = from.nMax;
  }
  if (from.fMask & SIF_PAGE) to.nPage = from.nPage;
  if (from.fMask & SIF_POS) to.nPos = from.nPos;
  to.nPos = Clamp(to, to.nPos);
}

void Copy(SCROLLINFO& out, const SCROLLINFO& from) {
  if (out.fMask & SIF_RANGE) {
    out.nMin = from.nMin;
    out.nMax = from.nMax;
  }
  if (out.fMask & SIF_PAGE) out.nPage = from.nPage;
  if (out.fMask & SIF_POS) out.nPos = from.nPos;
  if (out.fMask & SIF_TRACKPOS) out.nTrackPos = from.nTrackPos;
}

SCROLLINFO* BarOf(HWND h, int bar) {
  auto w = Find(h);
  if (!w || (bar != SB_HORZ && bar != SB_VERT)) return nullptr;
  return &w->bars[bar];
}

}  // namespace

LRESULT ScrollBarProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto s = StateOf<ScrollState>(h);
  auto w = Find(h);
  if (!s || !w) return DefWindowProcW(h, msg, wParam, lParam);
  auto notify = [&](WORD code, int pos) {
    const UINT m = (w->style & SBS_VERT) ? WM_VSCROLL : WM_HSCROLL;
    SendMessageW(w->parent, m, MAKEWPARAM(code, static_cast<WORD>(pos)), reinterpret_cast<LPARAM>(h));
  };
  switch (msg) {
    case SBM_SETPOS: {
      const int old = s->info.nPos;
      s->info.nPos = Clamp(s->info, static_cast<int>(wParam));
      if (lParam) InvalidateRect(h, nullptr, TRUE);
      return old;
    }
    case SBM_GETPOS: return s->info.nPos;
    case SBM_SETRANGE:
      s->info.nMin = static_cast<int>(wParam);
      s->info.nMax = static_cast<int>(lParam);
      s->info.nPos = Clamp(s->info, s->info.nPos);
      return s->info.nPos;
    case SBM_GETRANGE:
      if (wParam) *reinterpret_cast<int*>(wParam) = s->info.nMin;
      if (lParam) *reinterpret_cast<int*>(lParam) = s->info.nMax;
      return 0;
    case SBM_SETSCROLLINFO:
      if (lParam) Apply(s->info, *reinterpret_cast<const SCROLLINFO*>(lParam));
      if (wParam) InvalidateRect(h, nullptr, TRUE);
      return s->info.nPos;
    case SBM_GETSCROLLINFO:
      if (!lParam) return FALSE;
      Copy(*reinterpret_cast<SCROLLINFO*>(lParam), s->info);
      return TRUE;
    case WM_KEYDOWN:
      // The bar tells its parent; the parent moves the thumb (SBM_SETPOS), as in Windows.
      if (wParam == VK_DOWN || wParam == VK_RIGHT) notify(SB_LINEDOWN, 0);
      else if (wParam == VK_UP || wParam == VK_LEFT) notify(SB_LINEUP, 0);
      else if (wParam == VK_NEXT) notify(SB_PAGEDOWN, 0);
      else if (wParam == VK_PRIOR) notify(SB_PAGEUP, 0);
      else return 0;
      notify(SB_ENDSCROLL, 0);
      return 0;
    case SBM_ENABLE_ARROWS:
      s->disabledArrows = static_cast<UINT>(wParam) & ESB_DISABLE_BOTH;
      InvalidateRect(h, nullptr, TRUE);
      return TRUE;
    case WM_LBUTTONDOWN: {
      // As in Windows: an arrow steps a line, the track beside the thumb a page, each
      // followed by SB_ENDSCROLL; the thumb is dragged until the button comes up.
      if (!IsWindowEnabled(h)) return 0;
      const BarGeometry g = GeometryOf(h, w->style, s->info);
      const int at = Along(g, lParam);
      if (at < g.arrow) {
        if (s->disabledArrows & ESB_DISABLE_LTUP) return 0;
        notify(SB_LINEUP, 0);
      } else if (at >= g.length - g.arrow) {
        if (s->disabledArrows & ESB_DISABLE_RTDN) return 0;
        notify(SB_LINEDOWN, 0);
      } else if (at >= g.thumbStart && at < g.thumbStart + g.thumbSize) {
        s->dragging = true;
        s->grab = at - g.thumbStart;
        s->info.nTrackPos = s->info.nPos;
        SetCapture(h);
        return 0;
      } else {
        notify(at < g.thumbStart ? SB_PAGEUP : SB_PAGEDOWN, 0);
      }
      notify(SB_ENDSCROLL, 0);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (s->dragging) {
        const BarGeometry g = GeometryOf(h, w->style, s->info);
        s->info.nTrackPos = PositionAt(g, s->info, Along(g, lParam) - s->grab);
        notify(SB_THUMBTRACK, s->info.nTrackPos);
      }
      return 0;
    case WM_LBUTTONUP:
      if (s->dragging) {
        s->dragging = false;
        if (GetCapture() == h) ReleaseCapture();
        notify(SB_THUMBPOSITION, s->info.nTrackPos);
        notify(SB_ENDSCROLL, 0);
      }
      return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    default: return DefWindowProcW(h, msg, wParam, lParam);
  }
}

bool ClickScrollBar(HWND bar, WORD code, int position) {
  auto s = StateOf<ScrollState>(bar);
  auto w = Find(bar);
  if (!s || !w || !IsWindowVisible(bar) || !IsWindowEnabled(bar)) return false;
  const BarGeometry g = GeometryOf(bar, w->style, s->info);
  RECT r{};
  GetClientRect(bar, &r);
  const int across = g.vertical ? (r.right - r.left) / 2 : (r.bottom - r.top) / 2;
  auto point = [&](int along) {
    return g.vertical ? MAKELPARAM(static_cast<WORD>(across), static_cast<WORD>(along))
                      : MAKELPARAM(static_cast<WORD>(along), static_cast<WORD>(across));
  };
  int along = 0;
  switch (code) {
    case SB_LINEUP: along = 0; break;
    case SB_LINEDOWN: along = g.length - 1; break;
    case SB_PAGEUP:
      if (g.thumbStart <= g.arrow) return false;
      along = g.thumbStart - 1;
      break;
    case SB_PAGEDOWN:
      if (g.thumbStart + g.thumbSize >= g.length - g.arrow) return false;
      along = g.thumbStart + g.thumbSize;
      break;
    case SB_THUMBPOSITION: {
      if (g.thumbSize <= 0) return false;
      const int grab = g.thumbSize / 2;
      SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, point(g.thumbStart + grab));
      const int room = g.length - 2 * g.arrow - g.thumbSize;
      const int span = Span(s->info);
      const int clamped = std::max(s->info.nMin, std::min(position, s->info.nMin + std::max(0, span)));
      const int start = g.arrow + (span > 0 && room > 0 ? room * (clamped - s->info.nMin) / span : 0);
      SendMessageW(bar, WM_MOUSEMOVE, MK_LBUTTON, point(start + grab));
      SendMessageW(bar, WM_LBUTTONUP, 0, point(start + grab));
      return true;
    }
    default: return false;
  }
  SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, point(along));
  SendMessageW(bar, WM_LBUTTONUP, 0, point(along));
  return true;
}

}  // namespace plat::ui

using namespace plat::ui;

extern "C" {

int WINAPI SetScrollInfo(HWND h, int bar, const SCROLLINFO* si, BOOL redraw) {
  if (!si || !FindOrFail(h)) return 0;
  if (bar == SB_CTL) return static_cast<int>(SendMessageW(h, SBM_SETSCROLLINFO, redraw, reinterpret_cast<LPARAM>(si)));
  SCROLLINFO* b = BarOf(h, bar);
  if (!b) return 0;
  Apply(*b, *si);
  return b->nPos;
}

BOOL WINAPI GetScrollInfo(HWND h, int bar, LPSCROLLINFO si) {
  if (!si || !FindOrFail(h)) return FALSE;
  if (bar == SB_CTL) return static_cast<BOOL>(SendMessageW(h, SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(si)));
  SCROLLINFO* b = BarOf(h, bar);
  if (!b) return FALSE;
  Copy(*si, *b);
  return TRUE;
}

int WINAPI SetScrollPos(HWND h, int bar, int pos, BOOL redraw) {
  SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, pos, 0};
  SCROLLINFO old{sizeof old, SIF_POS, 0, 0, 0, 0, 0};
  GetScrollInfo(h, bar, &old);
  SetScrollInfo(h, bar, &si, redraw);
  return old.nPos;
}

int WINAPI GetScrollPos(HWND h, int bar) {
  SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, 0, 0};
  return GetScrollInfo(h, bar, &si) ? si.nPos : 0;
}

BOOL WINAPI EnableScrollBar(HWND h, UINT bar, UINT arrows) {
  if (!FindOrFail(h) || bar != SB_CTL) return FALSE;
  return static_cast<BOOL>(SendMessageW(h, SBM_ENABLE_ARROWS, arrows, 0));
}

BOOL WINAPI SetScrollRange(HWND h, int bar, int lo, int hi, BOOL redraw) {
  SCROLLINFO si{sizeof si, SIF_RANGE, lo, hi, 0, 0, 0};
  if (!FindOrFail(h)) return FALSE;
  SetScrollInfo(h, bar, &si, redraw);
  return TRUE;
}

}  // extern "C"
