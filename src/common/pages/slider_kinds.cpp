// Spin bars, sliders and trackbars: the field's value as a scroll position.
#include "pages/slider_kinds.h"

#include "base/driver_context.h"
#include "context/module_events.h"
#include "context/page_binding.h"
#include "context/ui_picture_paint.h"
#include "fields/field_access.h"
#include "model/model_image.h"
#include "model/model_parse.h"
#include "model/module_dispatch.h"
#include "model/option_lookup.h"
#include "model/units.h"
#include "modules/change_handling.h"
#include "modules/page_refresh.h"
#include "pages/control_kinds.h"
#include "pages/frame_paint.h"
#include "win/commctrl.h"
#include "win/controls.h"
#include "win/loader.h"
#include "win/paint.h"
#include "win/prsht.h"
#include "win/uxtheme.h"

namespace {

struct SliderExtra {
  WORD type;
  WORD line;
  WORD page;
  WORD picture;
};

const SliderExtra* ExtraOf(const ControlRecord* control) {
  return static_cast<const SliderExtra*>(GetControlExtraData(control, 3));
}

// Line and page steps: the extra data's, when it names a track picture.
void Steps(const ControlRecord* control, int defaultPage, int* line, int* page) {
  *line = 1;
  *page = defaultPage;
  const SliderExtra* extra = ExtraOf(control);
  if (extra && extra->picture) {
    *line = extra->line;
    *page = extra->page;
  }
}

bool Usable(DriverContext* context, ControlRecord* control) {
  return context && control && control->window && GetControlField(context, control);
}

ImageRef NumericRecord(DriverContext* context, const ControlRecord* control) {
  const ImageRef option = ControlOption(context, control);
  if (!option || (OptionRawType(option) & 0xFF) != kTypeNumeric) return {};
  return OptionValues(option);
}

bool InUserUnits(const ControlRecord* control) { return (control->flags & CTLF_USER_UNITS) != 0; }

void Range(HWND w, int* low, int* high) {
  *low = *high = 0;
  SendMessageW(w, SBM_GETRANGE, reinterpret_cast<WPARAM>(low), reinterpret_cast<LPARAM>(high));
}

int Clamp(int v, int low, int high) { return v < low ? low : v > high ? high : v; }

bool Reversed(DriverContext* context, ControlRecord* control) {
  ControlValueEventBlock block{control, 0};
  NotifyModules(context, MODEV_SLIDER_DIRECTION, &block);
  return block.value != 0;
}

void DisableWhenGreyed(ControlRecord* control) {
  if (ControlGreyed(control) && IsWindowEnabled(control->window)) EnableWindow(control->window, FALSE);
}

// A bar of `thickness` across the middle of `box` (minus), and a vertical one with `plus`.
void DrawSign(HDC dc, const RECT& box, bool plus, COLORREF colour, int insetX, int insetY) {
  HBRUSH brush = CreateSolidBrush(colour);
  const int midY = (box.top + box.bottom) / 2, midX = (box.left + box.right) / 2;
  const RECT across{box.left + insetX, midY - 1, box.right - insetX, midY + 1};
  FillRect(dc, &across, brush);
  if (plus) {
    const RECT down{midX - 1, box.top + insetY, midX + 1, box.bottom - insetY};
    FillRect(dc, &down, brush);
  }
  DeleteObject(brush);
}

}  // namespace

// ---- spin bars -----------------------------------------------------------------------------

namespace {
// The control whose setting a spin bar steps: its own, or, for a spin bar without a field
// of its own, that of the edit it is linked to.
ControlRecord* SpinTarget(DriverContext* context, PageRecord* page, ControlRecord* control) {
  if (!context || !control || !control->window) return nullptr;
  if (GetControlField(context, control)) return control;
  if (!control->linkedId || !page) return nullptr;
  ControlRecord* buddy = FindControlById(context, page, control->linkedId);
  return buddy && GetControlField(context, buddy) ? buddy : nullptr;
}
}  // namespace

void InitSpinBar(DriverContext* context, PageRecord* page, ControlRecord* control) {
  ControlRecord* target = SpinTarget(context, page, control);
  if (!target) return;
  int maximum = 100, minimum = -100;
  if (InUserUnits(target)) {
    GetControlUnitRange(context, target, &minimum, &maximum);
  } else if (const ImageRef record = NumericRecord(context, target)) {
    minimum = static_cast<std::int32_t>(record.U32(16));
    maximum = static_cast<std::int32_t>(record.U32(20));
  }
  SpinRangeEventBlock block{control, maximum, minimum, 0};
  NotifyModules(context, MODEV_SPIN_RANGE, &block);
  if (block.answered == 1) {
    maximum = block.maximum;
    minimum = block.minimum;
  }
  SendMessageW(control->window, SBM_SETRANGE, static_cast<WPARAM>(minimum), maximum);
  UpdateControl(context, page, control);
}

void UpdateSpinBar(DriverContext* context, PageRecord* page, ControlRecord* control) {
  ControlRecord* target = SpinTarget(context, page, control);
  if (!target) return;
  int v = static_cast<int>(GetControlFieldValue(context, target));
  if (InUserUnits(target)) {
    int minimum = 0, maximum = 0, low = 0, high = 0;
    GetControlUnitRange(context, target, &minimum, &maximum);
    Range(control->window, &low, &high);
    if (low != minimum || high != maximum)
      SendMessageW(control->window, SBM_SETRANGE, static_cast<WPARAM>(minimum), maximum);
    v = ToUserUnits(context, 0, v);
  }
  SendMessageW(control->window, SBM_SETPOS, static_cast<WPARAM>(v), TRUE);
  DisableWhenGreyed(control);
}

LRESULT OnSpinBarScroll(DriverContext* context, PageRecord* page, ControlRecord* control, UINT message,
                        WPARAM wParam, LPARAM lParam) {
  ControlRecord* target = SpinTarget(context, page, control);
  if (message != WM_VSCROLL || !target || reinterpret_cast<HWND>(lParam) != control->window ||
      ControlGreyed(control))
    return 0;
  int pos = static_cast<int>(SendMessageW(control->window, SBM_GETPOS, 0, 0));
  const SliderExtra* extra = ExtraOf(control);
  const int pageStep = extra ? extra->page : 0;
  switch (LOWORD(static_cast<DWORD>(wParam))) {
    case SB_LINEUP: pos += 1; break;
    case SB_LINEDOWN: pos -= 1; break;
    case SB_PAGEUP: pos += pageStep; break;
    case SB_PAGEDOWN: pos -= pageStep; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: pos = static_cast<std::int16_t>(HIWORD(static_cast<DWORD>(wParam))); break;
    default: break;
  }
  int low = 0, high = 0;
  Range(control->window, &low, &high);
  pos = Clamp(pos, low, high);
  // The bar shows the new place at once, so the notification that ends the scrolling
  // (which keeps the place) writes the same value again rather than the old one.
  SendMessageW(control->window, SBM_SETPOS, static_cast<WPARAM>(pos), TRUE);
  if (InUserUnits(target)) {
    ControlValueEventBlock block{control, pos};
    NotifyModules(context, MODEV_SPIN_STEP, &block);
    pos = FromUserUnits(context, 0, pos);
  }
  SetControlFieldValue(context, target, static_cast<DWORD>(pos));
  if (control->linkedId && page && page->window)
    if (HWND linked = GetDlgItem(page->window, control->linkedId)) PostMessageW(linked, WM_PAINT, 0, 0);
  if (page && page->window)
    SendMessageW(GetParent(page->window), PSM_CHANGED, reinterpret_cast<WPARAM>(page->window), 0);
  return 1;
}

// ---- sliders ---------------------------------------------------------------------------------

void InitSlider(DriverContext* context, PageRecord*, ControlRecord* control) {
  if (!Usable(context, control)) return;
  int minimum = 0, maximum = 200, pageStep = 20;
  if (const ImageRef record = NumericRecord(context, control)) {
    minimum = static_cast<std::int32_t>(record.U32(16));
    maximum = static_cast<std::int32_t>(record.U32(20));
    pageStep = record.U16(6);
  }
  const int value = static_cast<int>(GetControlFieldValue(context, control));
  SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE, minimum, maximum, static_cast<UINT>(pageStep), value, value};
  SendMessageW(control->window, SBM_SETSCROLLINFO, TRUE, reinterpret_cast<LPARAM>(&info));
  SendMessageW(control->window, SBM_ENABLE_ARROWS, ESB_ENABLE_BOTH, 0);
  if (control->kind == 84) {
    // The driver paints this slider itself: no visual style for it.
    if (HMODULE theme = LoadLibraryW(u"UxTheme.dll")) {
      using SetThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
      if (auto setTheme = ProcCast<SetThemeFn>(GetProcAddress(theme, "SetWindowTheme")))
        setTheme(control->window, u" ", u" ");
      FreeLibrary(theme);
    }
  }
}

void UpdateSlider(DriverContext* context, PageRecord*, ControlRecord* control) {
  if (!Usable(context, control)) return;
  SendMessageW(control->window, SBM_SETPOS, GetControlFieldValue(context, control), TRUE);
  DisableWhenGreyed(control);
}

void UpdateSliderCustom(DriverContext* context, PageRecord* page, ControlRecord* control) {
  if (!Usable(context, control)) return;
  int v = static_cast<int>(GetControlFieldValue(context, control));
  const bool reversed = Reversed(context, control);
  if (reversed) {
    int low = 0, high = 0;
    Range(control->window, &low, &high);
    v = Clamp(high - v, low, high);
  }
  SendMessageW(control->window, SBM_SETPOS, static_cast<WPARAM>(v), TRUE);
  DisableWhenGreyed(control);
  PaintSliderTrack(context, page, control, reversed ? 1 : 0);
}

LRESULT OnSliderMessage(DriverContext* context, PageRecord* page, ControlRecord* control, UINT message, WPARAM wParam,
                        LPARAM lParam) {
  if (!Usable(context, control)) return 0;
  if (message == WM_HSCROLL) {
    if (reinterpret_cast<HWND>(lParam) != control->window || ControlGreyed(control)) return 0;
    int line = 1, pageStep = 10;
    Steps(control, 10, &line, &pageStep);
    int pos = static_cast<int>(SendMessageW(control->window, SBM_GETPOS, 0, 0));
    switch (LOWORD(static_cast<DWORD>(wParam))) {
      case SB_LINELEFT: pos -= line; break;
      case SB_LINERIGHT: pos += line; break;
      case SB_PAGELEFT: pos -= pageStep; break;
      case SB_PAGERIGHT: pos += pageStep; break;
      case SB_LEFT: pos -= 1; break;
      case SB_RIGHT: pos += 1; break;
      case SB_THUMBPOSITION:
      case SB_THUMBTRACK: pos = static_cast<std::int16_t>(HIWORD(static_cast<DWORD>(wParam))); break;
      default: break;
    }
    int low = 0, high = 0;
    Range(control->window, &low, &high);
    pos = Clamp(pos, low, high);
    SendMessageW(control->window, SBM_SETPOS, static_cast<WPARAM>(pos), TRUE);
    if (Reversed(context, control)) pos = high - pos;
    SetControlValueAndApply(context, page, control, static_cast<DWORD>(pos));
    RefreshPage(context, page, 0);
    return 1;
  }
  if (message == WM_CTLCOLORSCROLLBAR) {
    const SliderExtra* extra = ExtraOf(control);
    if (control->kind != 84 || !extra || !extra->picture || reinterpret_cast<HWND>(lParam) != control->window)
      return 0;
    if (page && page->window)
      SetWindowLongPtrW(page->window, DWLP_MSGRESULT, reinterpret_cast<LONG_PTR>(GetStockObject(NULL_BRUSH)));
    return 1;
  }
  return 0;
}

HWND ShowSliderSignPopup(DriverContext* context, PageRecord* page, ControlRecord* control, int x, int) {
  if (!Usable(context, control) || control->kind != 84) return nullptr;
  RECT client{};
  GetClientRect(control->window, &client);
  const int arrow = GetSystemMetrics(SM_CXHSCROLL);
  const bool left = x <= client.left + arrow;
  const bool right = x >= client.right - arrow;
  if (!left && !right) return nullptr;
  RECT box = left ? RECT{client.left, client.top, client.left + arrow, client.bottom}
                  : RECT{client.right - arrow, client.top, client.right, client.bottom};
  POINT corner{box.left, box.top};
  ClientToScreen(control->window, &corner);
  HWND owner = page && page->window ? page->window : GetParent(control->window);
  HWND popup = CreateWindowExW(0, u"STATIC", u"", WS_POPUP, corner.x, corner.y, box.right - box.left,
                               box.bottom - box.top, owner, nullptr, nullptr, nullptr);
  if (!popup) return nullptr;
  ShowWindow(popup, SW_SHOWNOACTIVATE);
  const bool plus = Reversed(context, control) ? left : right;
  HDC dc = GetDC(popup);
  if (dc) {
    const RECT face{0, 0, box.right - box.left, box.bottom - box.top};
    PaintFrame3D(context, page, control, nullptr, dc, face, 2, true, false);
    DrawSign(dc, face, plus, RGB(0, 0, 0), 4, 4);
    ReleaseDC(popup, dc);
  }
  return popup;
}

void PaintSliderTrack(DriverContext* context, PageRecord* page, ControlRecord* control, int mode) {
  if (!context || !control || !control->window) return;
  int low = 0, high = 0;
  Range(control->window, &low, &high);
  const int range = high - low;
  if (range <= 0) return;
  const int p = static_cast<int>(SendMessageW(control->window, SBM_GETPOS, 0, 0)) - low;
  RECT client{};
  GetClientRect(control->window, &client);
  const int a = GetSystemMetrics(SM_CXHSCROLL);
  const int width = client.right - client.left;
  const int thumbLeft = static_cast<int>(static_cast<long long>(width - 3 * a) * p / range) + client.left + a;
  HDC dc = GetDC(control->window);
  if (!dc) return;
  const RECT track{client.left + a, client.top, client.right - a, client.bottom};
  HBRUSH trackBrush = GetSysColorBrush(COLOR_SCROLLBAR);
  const SliderExtra* extra = ExtraOf(control);
  if (extra && extra->picture) {
    FillRect(dc, &track, trackBrush);
    if (!PaletteSlot(nullptr, 0, 0)) {
      PicturePaintState* ps = GetPaintState(context);
      HDC__* savedDc = ps ? ps->overrideDc : nullptr;
      if (ps) ps->overrideDc = dc;
      DrawNamedPicture(context, page, control, control->window, nullptr, extra->picture, kPictureStretch, FALSE);
      if (ps) ps->overrideDc = savedDc;
    }
  } else {
    const RECT before{track.left, track.top, thumbLeft, track.bottom};
    const RECT after{thumbLeft + a, track.top, track.right, track.bottom};
    FillRect(dc, &before, trackBrush);
    FillRect(dc, &after, trackBrush);
  }
  const RECT leftBox{client.left, client.top, client.left + a, client.bottom};
  const RECT rightBox{client.right - a, client.top, client.right, client.bottom};
  PaintFrame3D(context, page, control, nullptr, dc, leftBox, 2, false, false);
  PaintFrame3D(context, page, control, nullptr, dc, rightBox, 2, false, false);
  const COLORREF sign = GetSysColor(COLOR_MENUTEXT);
  DrawSign(dc, leftBox, mode == 1, sign, 3, 4);
  DrawSign(dc, rightBox, mode != 1, sign, 3, 4);
  const RECT thumb{thumbLeft, client.top, thumbLeft + a, client.bottom};
  PaintFrame3D(context, page, control, nullptr, dc, thumb, 2, GetFocus() == control->window, false);
  ReleaseDC(control->window, dc);
}

// ---- trackbars -------------------------------------------------------------------------------

void InitTrackbar(DriverContext* context, PageRecord*, ControlRecord* control) {
  if (!Usable(context, control)) return;
  int minimum = 0, maximum = 200;
  if (const ImageRef record = NumericRecord(context, control)) {
    minimum = static_cast<std::int32_t>(record.U32(16));
    maximum = static_cast<std::int32_t>(record.U32(20));
  }
  SendMessageW(control->window, TBM_SETRANGE, FALSE, static_cast<LPARAM>((minimum & 0xFFFF) | ((maximum & 0xFFFF) << 16)));
  SendMessageW(control->window, TBM_SETPOS, TRUE, static_cast<LPARAM>(GetControlFieldValue(context, control)));
}

void UpdateTrackbar(DriverContext* context, PageRecord*, ControlRecord* control) {
  if (!Usable(context, control)) return;
  SendMessageW(control->window, TBM_SETPOS, TRUE, static_cast<LPARAM>(GetControlFieldValue(context, control)));
}

LRESULT OnTrackbarScroll(DriverContext* context, PageRecord*, ControlRecord* control, UINT message, WPARAM,
                         LPARAM lParam) {
  if (message != WM_HSCROLL || !Usable(context, control) || reinterpret_cast<HWND>(lParam) != control->window) return 0;
  SetControlFieldValue(context, control, static_cast<DWORD>(SendMessageW(control->window, TBM_GETPOS, 0, 0)));
  return 1;
}
