// The button control: push buttons, check boxes, radio buttons, group boxes and
// owner-drawn buttons.
#include <algorithm>

#include "paint_internal.h"
#include "ui_internal.h"

namespace plat::ui {
namespace {

struct ButtonState : ControlState {
  UINT check = BST_UNCHECKED;
  bool pushed = false;
  bool focused = false;
  HANDLE image = nullptr;
  UINT imageType = IMAGE_BITMAP;
};

DWORD TypeOf(HWND h) { return static_cast<DWORD>(GetWindowLongPtrW(h, GWL_STYLE)) & BS_TYPEMASK; }

bool IsCheckType(DWORD t) {
  return t == BS_CHECKBOX || t == BS_AUTOCHECKBOX || t == BS_3STATE || t == BS_AUTO3STATE || t == BS_RADIOBUTTON ||
         t == BS_AUTORADIOBUTTON;
}

bool IsNotifying(HWND h) {
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(h, GWL_STYLE));
  return (style & BS_NOTIFY) != 0 || (style & BS_TYPEMASK) == BS_OWNERDRAW;
}

// The other automatic radio buttons of the group: from the previous WS_GROUP sibling up
// to the next one.
void UncheckGroup(HWND button) {
  auto w = Find(button);
  auto p = w ? Find(w->parent) : nullptr;
  if (!p) return;
  const auto& kids = p->children;
  auto at = std::find(kids.begin(), kids.end(), button);
  if (at == kids.end()) return;
  auto first = at;
  while (first != kids.begin()) {
    auto fw = Find(*first);
    if (fw && (fw->style & WS_GROUP)) break;
    --first;
  }
  for (auto it = first; it != kids.end(); ++it) {
    auto x = Find(*it);
    if (!x) continue;
    if (it != first && (x->style & WS_GROUP)) break;
    if (*it != button && x->className == u"Button" && (x->style & BS_TYPEMASK) == BS_AUTORADIOBUTTON)
      SendMessageW(*it, BM_SETCHECK, BST_UNCHECKED, 0);
  }
}

void Paint(HWND h, ButtonState& s) {
  auto w = Find(h);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(h, &ps);
  RECT r;
  GetClientRect(h, &r);
  const DWORD type = w->style & BS_TYPEMASK;
  if (type == BS_OWNERDRAW) {
    UINT state = 0;
    if (s.pushed) state |= ODS_SELECTED;
    if (s.focused) state |= ODS_FOCUS;
    if (w->style & WS_DISABLED) state |= ODS_DISABLED;
    DRAWITEMSTRUCT di{ODT_BUTTON, static_cast<UINT>(w->id), 0, ODA_DRAWENTIRE, state, h, dc, r, 0};
    SendMessageW(w->parent, WM_DRAWITEM, static_cast<WPARAM>(w->id), reinterpret_cast<LPARAM>(&di));
  } else {
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    if (IsCheckType(type)) {
      RECT box{0, (r.bottom - 13) / 2, 13, (r.bottom - 13) / 2 + 13};
      FillRect(dc, &box, GetSysColorBrush(COLOR_WINDOW));
      FrameRect(dc, &box, GetSysColorBrush(COLOR_WINDOWTEXT));
      if (s.check == BST_CHECKED) {
        RECT mark{3, box.top + 3, 10, box.top + 10};
        FillRect(dc, &mark, GetSysColorBrush(COLOR_WINDOWTEXT));
      } else if (s.check == BST_INDETERMINATE) {
        RECT mark{3, box.top + 3, 10, box.top + 10};
        FillRect(dc, &mark, GetSysColorBrush(COLOR_GRAYTEXT));
      }
      r.left += 17;
    } else if (type != BS_GROUPBOX) {
      FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW));
    }
    SetTextColor(dc, GetSysColor((w->style & WS_DISABLED) ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    SetBkMode(dc, TRANSPARENT);
    if (s.image && s.imageType == IMAGE_ICON) DrawIcon(dc, r.left, r.top, static_cast<HICON>(s.image));
    DrawTextW(dc, w->text.c_str(), -1, &r,
              DT_SINGLELINE | DT_VCENTER | (IsCheckType(type) || type == BS_GROUPBOX ? DT_LEFT : DT_CENTER));
  }
  EndPaint(h, &ps);
}

void Click(HWND h, ButtonState& s) {
  const DWORD type = TypeOf(h);
  switch (type) {
    case BS_AUTOCHECKBOX: SendMessageW(h, BM_SETCHECK, s.check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED, 0); break;
    case BS_AUTO3STATE:
      SendMessageW(h, BM_SETCHECK, s.check == BST_UNCHECKED ? BST_CHECKED : s.check == BST_CHECKED ? BST_INDETERMINATE : BST_UNCHECKED, 0);
      break;
    case BS_AUTORADIOBUTTON:
      UncheckGroup(h);
      SendMessageW(h, BM_SETCHECK, BST_CHECKED, 0);
      break;
    default: break;
  }
  if (type != BS_GROUPBOX) NotifyParent(h, BN_CLICKED);
}

}  // namespace

LRESULT ButtonProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto s = StateOf<ButtonState>(h);
  if (!s) return DefWindowProcW(h, msg, wParam, lParam);
  const DWORD type = TypeOf(h);
  switch (msg) {
    case WM_GETDLGCODE:
      if (type == BS_PUSHBUTTON) return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
      if (type == BS_DEFPUSHBUTTON) return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
      if (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) return DLGC_BUTTON | DLGC_RADIOBUTTON;
      if (type == BS_GROUPBOX) return DLGC_STATIC;
      return DLGC_BUTTON;
    // A group box frames other controls and lets the mouse through to them.
    case WM_NCHITTEST:
      if (type == BS_GROUPBOX) return HTTRANSPARENT;
      return DefWindowProcW(h, msg, wParam, lParam);
    case BM_GETCHECK: return IsCheckType(type) ? s->check : 0;
    case BM_SETCHECK: {
      if (!IsCheckType(type)) return 0;
      UINT v = static_cast<UINT>(wParam) & 3;
      if (v == BST_INDETERMINATE && type != BS_3STATE && type != BS_AUTO3STATE) v = BST_CHECKED;
      if (v != s->check) {
        s->check = v;
        InvalidateRect(h, nullptr, FALSE);
      }
      return 0;
    }
    case BM_GETSTATE:
      return (IsCheckType(type) ? s->check : 0) | (s->pushed ? BST_PUSHED : 0) | (s->focused ? BST_FOCUS : 0);
    case BM_SETSTATE:
      s->pushed = wParam != 0;
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case BM_SETSTYLE: {
      auto w = Find(h);
      w->style = (w->style & ~BS_TYPEMASK) | (static_cast<DWORD>(wParam) & BS_TYPEMASK);
      InvalidateRect(h, nullptr, TRUE);
      return 0;
    }
    case BM_SETIMAGE: {
      HANDLE old = s->image;
      s->image = reinterpret_cast<HANDLE>(lParam);
      s->imageType = static_cast<UINT>(wParam);
      InvalidateRect(h, nullptr, TRUE);
      return reinterpret_cast<LRESULT>(old);
    }
    case BM_GETIMAGE: return reinterpret_cast<LRESULT>(s->image);
    case BM_CLICK:
      if (!IsWindowEnabled(h)) return 0;
      SendMessageW(h, WM_LBUTTONDOWN, 1, 0);
      SendMessageW(h, WM_LBUTTONUP, 0, 0);
      return 0;
    case WM_LBUTTONDOWN:
      if (type == BS_GROUPBOX) return 0;
      SetFocus(h);
      SetCapture(h);
      s->pushed = true;
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_LBUTTONUP: {
      if (!s->pushed) return 0;
      s->pushed = false;
      if (GetCapture() == h) ReleaseCapture();
      InvalidateRect(h, nullptr, FALSE);
      Click(h, *s);
      return 0;
    }
    case WM_LBUTTONDBLCLK:
      if (IsNotifying(h)) NotifyParent(h, BN_DOUBLECLICKED);
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_SPACE && IsWindowEnabled(h)) {
        s->pushed = true;
        Click(h, *s);
        s->pushed = false;
      }
      return 0;
    case WM_SETFOCUS:
      s->focused = true;
      if (IsNotifying(h)) NotifyParent(h, BN_SETFOCUS);
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_KILLFOCUS:
      s->focused = false;
      s->pushed = false;
      if (IsNotifying(h)) NotifyParent(h, BN_KILLFOCUS);
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_ENABLE: InvalidateRect(h, nullptr, TRUE); return 0;
    case WM_PAINT: Paint(h, *s); return 0;
    case WM_ERASEBKGND: return 1;
    default: return DefWindowProcW(h, msg, wParam, lParam);
  }
}

}  // namespace plat::ui
