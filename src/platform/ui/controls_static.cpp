// The static control: text, icon, bitmap, frames and rectangles, owner-drawn statics.
#include "paint_internal.h"
#include "ui_internal.h"
#include "win/resources.h"

namespace plat::ui {
namespace {

struct StaticState : ControlState {
  HANDLE image = nullptr;
};

void Paint(HWND h, StaticState& s) {
  auto w = Find(h);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(h, &ps);
  RECT r;
  GetClientRect(h, &r);
  const DWORD type = w->style & SS_TYPEMASK;
  switch (type) {
    case SS_OWNERDRAW: {
      DRAWITEMSTRUCT di{ODT_STATIC, static_cast<UINT>(w->id), 0, ODA_DRAWENTIRE,
                        (w->style & WS_DISABLED) ? static_cast<UINT>(ODS_DISABLED) : 0u, h, dc, r, 0};
      SendMessageW(w->parent, WM_DRAWITEM, static_cast<WPARAM>(w->id), reinterpret_cast<LPARAM>(&di));
      break;
    }
    case SS_ICON:
      if (s.image) DrawIcon(dc, 0, 0, static_cast<HICON>(s.image));
      break;
    case SS_BITMAP:
      if (s.image) {
        HDC mem = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(mem, s.image);
        BITMAP bm{};
        GetObjectW(s.image, sizeof bm, &bm);
        BitBlt(dc, 0, 0, bm.bmWidth, bm.bmHeight, mem, 0, 0, SRCCOPY);
        SelectObject(mem, old);
        DeleteDC(mem);
      }
      break;
    case SS_BLACKRECT: FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))); break;
    case SS_GRAYRECT: FillRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW)); break;
    case SS_WHITERECT: FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW)); break;
    case SS_BLACKFRAME: FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))); break;
    case SS_GRAYFRAME:
    case SS_ETCHEDFRAME:
    case SS_ETCHEDHORZ:
    case SS_ETCHEDVERT: FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW)); break;
    case SS_WHITEFRAME: FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOW)); break;
    default: {
      HBRUSH brush = reinterpret_cast<HBRUSH>(
          SendMessageW(w->parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(h)));
      FillRect(dc, &r, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
      const UINT align = type == SS_CENTER ? DT_CENTER : type == SS_RIGHT ? DT_RIGHT : DT_LEFT;
      DrawTextW(dc, w->text.c_str(), -1, &r, align | ((w->style & SS_NOPREFIX) ? DT_NOPREFIX : 0));
      break;
    }
  }
  EndPaint(h, &ps);
}

}  // namespace

LRESULT StaticProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto s = StateOf<StaticState>(h);
  auto w = Find(h);
  if (!s || !w) return DefWindowProcW(h, msg, wParam, lParam);
  const DWORD type = w->style & SS_TYPEMASK;
  switch (msg) {
    case WM_NCCREATE: {
      const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      if ((type == SS_ICON || type == SS_BITMAP) && cs && cs->lpszName) {
        // The name of the icon or bitmap: an ordinal pair 0xFFFF, id, or a resource name.
        LPCWSTR name = cs->lpszName;
        if (name[0] == 0xFFFF) name = MAKEINTRESOURCEW(name[1]);
        if (!IS_INTRESOURCE(name) && name[0] == 0) name = nullptr;
        if (name) {
          s->image = type == SS_ICON ? static_cast<HANDLE>(LoadIconW(cs->hInstance, name))
                                     : static_cast<HANDLE>(LoadBitmapW(cs->hInstance, name));
        }
        return TRUE;
      }
      return DefWindowProcW(h, msg, wParam, lParam);
    }
    case STM_SETICON:
    case STM_SETIMAGE: {
      HANDLE old = s->image;
      s->image = msg == STM_SETICON ? reinterpret_cast<HANDLE>(wParam) : reinterpret_cast<HANDLE>(lParam);
      InvalidateRect(h, nullptr, TRUE);
      return reinterpret_cast<LRESULT>(old);
    }
    case STM_GETICON:
    case STM_GETIMAGE: return reinterpret_cast<LRESULT>(s->image);
    case WM_GETDLGCODE: return DLGC_STATIC;
    // A static control lets the mouse through to what lies beneath, unless it reports clicks.
    case WM_NCHITTEST:
      return (w->style & SS_NOTIFY) ? DefWindowProcW(h, msg, wParam, lParam) : HTTRANSPARENT;
    case WM_LBUTTONUP:
      if (w->style & SS_NOTIFY) NotifyParent(h, STN_CLICKED);
      return 0;
    case WM_LBUTTONDBLCLK:
      if (w->style & SS_NOTIFY) NotifyParent(h, STN_DBLCLK);
      return 0;
    case WM_ENABLE: InvalidateRect(h, nullptr, TRUE); return 0;
    case WM_PAINT: Paint(h, *s); return 0;
    case WM_ERASEBKGND: return 1;
    default: return DefWindowProcW(h, msg, wParam, lParam);
  }
}

}  // namespace plat::ui
