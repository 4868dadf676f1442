// The frame and caption painter of the owner-drawn buttons.
#include "pages/frame_paint.h"

#include <algorithm>

#include "base/driver_context.h"
#include "base/ui_strings.h"
#include "context/page_binding.h"
#include "context/ui_picture_paint.h"
#include "model/option_lookup.h"
#include "model/option_walk.h"
#include "model/rule_eval.h"
#include "pages/help_tips.h"
#include "pages/static_kinds.h"
#include "win/controls.h"
#include "win/resources.h"

namespace {

constexpr int kColorMenuText = 7;

void Ring(HDC dc, const RECT& r, COLORREF topLeft, COLORREF bottomRight) {
  HPEN light = CreatePen(PS_SOLID, 1, topLeft), dark = CreatePen(PS_SOLID, 1, bottomRight);
  HGDIOBJ old = SelectObject(dc, light);
  MoveToEx(dc, r.left, r.bottom - 1, nullptr);
  LineTo(dc, r.left, r.top);
  LineTo(dc, r.right - 1, r.top);
  SelectObject(dc, dark);
  LineTo(dc, r.right - 1, r.bottom - 1);
  LineTo(dc, r.left - 1, r.bottom - 1);
  SelectObject(dc, old);
  DeleteObject(light);
  DeleteObject(dark);
}

// A triangle pointing left or right in a square centred on the rectangle, filled row by row
// and outlined in the text colour.
void Triangle(HDC dc, const RECT& r, bool left) {
  const int side = std::max(2, std::min(r.right - r.left, r.bottom - r.top) / 2);
  const int x0 = (r.left + r.right - side) / 2, y0 = (r.top + r.bottom - side) / 2;
  HPEN fill = CreatePen(PS_SOLID, 1, GetSysColor(kColorMenuText));
  HPEN edge = CreatePen(PS_SOLID, 1, GetTextColor(dc));
  HGDIOBJ old = SelectObject(dc, fill);
  const int half = side / 2;
  for (int i = 0; i <= half; ++i) {
    // The column at distance i from the point spans 2i + 1 rows.
    const int x = left ? x0 + i : x0 + side - 1 - i;
    MoveToEx(dc, x, y0 + half - i, nullptr);
    LineTo(dc, x, y0 + half + i + 1);
  }
  SelectObject(dc, edge);
  const int tipX = left ? x0 : x0 + side - 1, baseX = left ? x0 + half : x0 + side - 1 - half;
  MoveToEx(dc, tipX, y0 + half, nullptr);
  LineTo(dc, baseX, y0);
  LineTo(dc, baseX, y0 + 2 * half);
  LineTo(dc, tipX, y0 + half);
  SelectObject(dc, old);
  DeleteObject(fill);
  DeleteObject(edge);
}

void Caption(DriverContext* context, WCHAR* text, int size) {
  text[0] = 0;
  const WORD id = context && context->work ? context->work->sheet.frameTextId : 0;
  if (id == kNoFrameText) return;
  if (id == 0) {
    text[0] = u'.', text[1] = u'.', text[2] = u'.', text[3] = 0;
    return;
  }
  LoadUiString(context, id, text, size, 1);
}

}  // namespace

void FillRectangle(HDC dc, const RECT* rect, COLORREF colour) {
  if (!dc || !rect) return;
  HBRUSH brush = CreateSolidBrush(colour);
  HPEN pen = CreatePen(PS_SOLID, 1, colour);
  HGDIOBJ oldBrush = SelectObject(dc, brush), oldPen = SelectObject(dc, pen);
  Rectangle(dc, rect->left, rect->top, rect->right, rect->bottom);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(brush);
  DeleteObject(pen);
}

void MeasureText(HDC dc, const WCHAR* text, SIZE* size) {
  if (!size) return;
  *size = SIZE{};
  if (!dc) return;
  if (text) {
    int n = 0;
    while (text[n]) ++n;
    GetTextExtentPoint32W(dc, text, n, size);
    return;
  }
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  size->cx = tm.tmAveCharWidth;
  size->cy = tm.tmHeight;
}

HDC GetControlPaintDC(DriverContext* context, HWND window) {
  if (context && context->work && context->work->sheet.paintDc) return context->work->sheet.paintDc;
  // A window's own DC draws only into its client area.
  return window ? GetDC(window) : nullptr;
}

void ReleaseControlPaintDC(DriverContext* context, HWND window, HDC dc) {
  if (!dc || (context && context->work && context->work->sheet.paintDc == dc)) return;
  ReleaseDC(window, dc);
}

int PaintFrame3D(DriverContext* context, PageRecord* page, ControlRecord* control, HWND textWindow, HDC dc,
                 RECT rect, DWORD style, bool pressed, bool focused) {
  if (!dc) return 0;
  HBRUSH face = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
  HGDIOBJ oldBrush = SelectObject(dc, face);
  Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
  SelectObject(dc, oldBrush);
  DeleteObject(face);
  if (focused) InflateRect(&rect, -1, -1);
  if ((style & 0xF) == 2) {
    const COLORREF hi = GetSysColor(COLOR_BTNHIGHLIGHT), dk = GetSysColor(COLOR_3DDKSHADOW),
                   fc = GetSysColor(COLOR_BTNFACE), sh = GetSysColor(COLOR_BTNSHADOW);
    Ring(dc, rect, pressed ? sh : hi, pressed ? fc : dk);
    RECT inner = rect;
    InflateRect(&inner, -1, -1);
    Ring(dc, inner, pressed ? dk : fc, pressed ? hi : sh);
    InflateRect(&rect, -1, -1);
  } else if ((style & 0xF) == 4) {
    auto leftPicture = [](DWORD bits) { return bits == 0x10 ? 220 : bits == 0x20 ? 221 : bits == 0x30 ? 222 : 0; };
    auto rightPicture = [](DWORD bits) { return bits == 0x40 ? 222 : bits == 0x80 ? 221 : bits == 0xC0 ? 220 : 0; };
    const int midX = (rect.left + rect.right) / 2, midY = (rect.top + rect.bottom) / 2;
    const int left = leftPicture(style & 0x30), right = rightPicture(style & 0xC0);
    // Each half as its top and bottom quarters, mirrored as its place needs.
    const RECT quarters[4] = {{rect.left, rect.top, midX, midY}, {rect.left, midY, midX, rect.bottom},
                              {midX, rect.top, rect.right, midY}, {midX, midY, rect.right, rect.bottom}};
    const DWORD mirrors[4] = {4, 132, 36, 164};
    for (int q = 0; q < 4; ++q) {
      const int picture = q < 2 ? left : right;
      if (picture)
        DrawPicture(context, page, control, dc, &quarters[q], quarters[q].left, quarters[q].top,
                    MAKEINTRESOURCEW(static_cast<WORD>(picture)), mirrors[q], FALSE);
    }
    rect.left += 4, rect.right -= 4, rect.top += 2, rect.bottom -= 2;
  }
  int textWidth = 0;
  if (textWindow) {
    WCHAR text[261];
    Caption(context, text, 261);
    const auto font = reinterpret_cast<HFONT>(SendMessageW(textWindow, WM_GETFONT, 0, 0));
    HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    if (text[0] && !text[1] && (text[0] == u'<' || text[0] == u'>')) {
      Triangle(dc, rect, text[0] == u'<');
    } else if (text[0]) {
      SIZE size{};
      MeasureText(dc, text, &size);
      textWidth = size.cx;
      RECT box = rect;
      const int free = (rect.bottom - rect.top) - size.cy;
      if (free > 0) box.top += free / 2;
      const UINT format = DT_EXPANDTABS | DT_WORDBREAK | DT_CENTER;
      if (!IsWindowEnabled(textWindow)) {
        RECT shadow = box;
        OffsetRect(&shadow, 1, 1);
        const COLORREF old = SetTextColor(dc, RGB(255, 255, 255));
        DrawTextW(dc, text, -1, &shadow, format);
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        DrawTextW(dc, text, -1, &box, format);
        SetTextColor(dc, old);
      } else {
        DrawTextW(dc, text, -1, &box, format);
      }
    }
    if (oldFont) SelectObject(dc, oldFont);
  }
  if (focused) {
    InflateRect(&rect, -2, -2);
    DrawFocusRect(dc, &rect);
  }
  return textWidth;
}

LRESULT DrawSubDialogButton(DriverContext* context, PageRecord* page, ControlRecord* control, UINT message, WPARAM,
                            LPARAM lParam) {
  if (!control || !lParam) return 0;
  if (message == WM_MEASUREITEM) {
    auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    RECT client{};
    if (control->window) GetClientRect(control->window, &client);
    item->itemWidth = static_cast<UINT>(client.right - client.left);
    item->itemHeight = static_cast<UINT>(client.bottom - client.top);
    return 1;
  }
  if (message != WM_DRAWITEM) return 0;
  auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
  if (item->hwndItem != control->window || !item->hDC) return 0;
  HDC dc = item->hDC;
  const RECT r = item->rcItem;
  const bool pressed = (item->itemState & ODS_SELECTED) != 0;
  const bool focused = (item->itemAction & ODA_FOCUS) || (item->itemState & ODS_FOCUS);
  const auto* twoPart = static_cast<const TwoPartCaption*>(GetControlExtraData(control, 9));
  SetFrameTextByControl(context, control);
  const bool hasRow = HasFrameTextRow(control);
  int textWidth = 0;
  if (twoPart) {
    context->work->sheet.frameTextId = kNoFrameText;
    PaintFrame3D(context, page, control, nullptr, dc, r, 2, pressed, focused);
    HWND pageWindow = GetParent(control->window);
    const auto font = reinterpret_cast<HFONT>(pageWindow ? SendMessageW(pageWindow, WM_GETFONT, 0, 0) : 0);
    HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    const int square = r.bottom - r.top;
    RECT area{r.left + square, r.top + 8, r.right - 8, r.bottom - 8};
    WCHAR first[261], second[261];
    LoadUiString(context, twoPart->first, first, 261, 1);
    LoadUiString(context, twoPart->second, second, 261, 1);
    RECT measure = area;
    DrawTextW(dc, first, -1, &measure, DT_WORDBREAK | DT_CALCRECT);
    const int firstHeight = measure.bottom - measure.top;
    RECT secondArea = area;
    secondArea.top += firstHeight + 7;
    const bool disabled = !IsWindowEnabled(control->window);
    auto draw = [&](int dx, COLORREF colour) {
      SetTextColor(dc, colour);
      RECT a = area, b = secondArea;
      OffsetRect(&a, dx, dx);
      OffsetRect(&b, dx, dx);
      DrawTextW(dc, first, -1, &a, DT_WORDBREAK);
      DrawTextW(dc, second, -1, &b, DT_WORDBREAK);
      if (twoPart->separator) {
        HPEN pen = CreatePen(PS_SOLID, 1, colour);
        HGDIOBJ old = SelectObject(dc, pen);
        MoveToEx(dc, area.left + dx, secondArea.top - 4 + dx, nullptr);
        LineTo(dc, area.right + dx, secondArea.top - 4 + dx);
        SelectObject(dc, old);
        DeleteObject(pen);
      }
    };
    if (disabled) {
      draw(1, RGB(255, 255, 255));
      draw(0, GetSysColor(COLOR_GRAYTEXT));
    } else {
      draw(0, GetSysColor(COLOR_WINDOWTEXT));
    }
    if (oldFont) SelectObject(dc, oldFont);
  } else {
    textWidth = PaintFrame3D(context, page, control, control->window, dc, r, 2, pressed, focused);
  }
  // The pictures of the option's values.
  const ImageRef option = ControlOption(context, control);
  if (option) {
    const ImageRef block = OptionCondition(option);
    DWORD steps = ImageSize(option.image) / 8 + 1;
    for (ImageRef node = OptionValues(option); node && steps--; node = NextOptionNode(option, node)) {
      const DWORD value = NextOptionValue(option, node, nullptr);
      if (value == 0 || (block && IsItemDisabled(option, static_cast<WORD>(value), context))) continue;
      const WCHAR* picture = MAKEINTRESOURCEW(static_cast<WORD>(value));
      if (twoPart) {
        const int square = r.bottom - r.top;
        const RECT left{r.left, r.top, r.left + square, r.bottom};
        DrawPicture(context, page, control, dc, &left, left.left + square / 2, left.top + square / 2, picture, 0x51,
                    FALSE);
      } else {
        const WORD id = context->work->sheet.frameTextId;
        const bool noText = hasRow && id == kNoFrameText;
        if (noText || textWidth == 0) {
          DrawPicture(context, page, control, dc, &r, (r.left + r.right) / 2, (r.top + r.bottom) / 2, picture, 0x51,
                      FALSE);
        } else {
          const int x = (r.left + r.right) / 2 - textWidth / 2;
          DrawPicture(context, page, control, dc, &r, x, r.top + 2, picture, 0x21, FALSE);
        }
      }
    }
  }
  ClearFrameText(context);
  return 1;
}
