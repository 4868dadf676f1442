// The scroll bar control and the scroll bars of windows (SetScrollInfo and relatives).
#include <algorithm>

#include "ui_internal.h"

namespace plat::ui {
namespace {

struct ScrollState : ControlState {
  SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL, 0, 100, 0, 0, 0};
};

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
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    default: return DefWindowProcW(h, msg, wParam, lParam);
  }
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

BOOL WINAPI SetScrollRange(HWND h, int bar, int lo, int hi, BOOL redraw) {
  SCROLLINFO si{sizeof si, SIF_RANGE, lo, hi, 0, 0, 0};
  if (!FindOrFail(h)) return FALSE;
  SetScrollInfo(h, bar, &si, redraw);
  return TRUE;
}

}  // extern "C"
