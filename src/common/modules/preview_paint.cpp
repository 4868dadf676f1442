// The watermark and copy-guard previews.
#include "modules/preview_paint.h"

#include <algorithm>
#include <cstdint>

#include "base/driver_context.h"
#include "context/page_binding.h"
#include "context/ui_picture_paint.h"
#include "context/ui_pictures.h"
#include "field_ids.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "model/option_lookup.h"
#include "modules/preview_geometry.h"
#include "win/window.h"

namespace {

constexpr WORD kPreviewDataType = 8;
constexpr WORD kSwatchControl = 2931;
constexpr WORD kPatternControl = 2943;
constexpr int kTextChars = 261;

// Words 1 to 13 of the preview control's type-8 data.
enum WatermarkWord {
  kText = 1, kFontName, kFontStyle, kEffect, kColour, kDensity, kAngle, kPoints, kImagePath, kImageScale,
  kPosition, kTiling, kOpaque,
};

std::int32_t Value(DriverContext* context, WORD fieldId) {
  // The stored numbers: the colour codes 1-6, densities, angles and sizes as the settings
  // hold them (not the value ids a list shows).
  return fieldId ? static_cast<std::int32_t>(ReadFieldRawById(context, fieldId)) : 0;
}

void Text(DriverContext* context, WORD fieldId, WCHAR* out, int size) {
  out[0] = 0;
  if (SettingField* field = fieldId ? FindFieldById(context, fieldId) : nullptr)
    GetFieldString(context, field, out, size);
  out[size - 1] = 0;
}

// The drawing surface: the memory picture of the paint state, else the given DC.
HDC Target(DriverContext* context, HDC dc) {
  PicturePaintState* paint = GetPaintState(context);
  return paint && paint->memoryDc ? paint->memoryDc : dc;
}

// The paper's short side in dots and the resolution.
void PaperScale(DriverContext* context, std::int64_t* shortSide, std::int64_t* resolution) {
  const std::int64_t width = Value(context, fid::kdmDstPaperWidthDot);
  const std::int64_t length = Value(context, fid::kdmDstPaperLengthDot);
  *shortSide = std::min(width, length);
  *resolution = Value(context, fid::kdmDstResolutionW);
}

// The font of the previews: the page's dialog font with the face, style, height and angle.
HFONT PreviewFont(ControlRecord* control, const WCHAR* face, std::int32_t style, int height, std::int64_t degrees) {
  LOGFONTW font{};
  HWND page = control && control->window ? GetParent(control->window) : nullptr;
  if (auto base = reinterpret_cast<HFONT>(page ? SendMessageW(page, WM_GETFONT, 0, 0) : 0))
    GetObjectW(base, sizeof font, &font);
  font.lfCharSet = 1;
  font.lfPitchAndFamily = 0;
  int i = 0;
  for (; face && face[i] && i < LF_FACESIZE - 1; ++i) font.lfFaceName[i] = face[i];
  font.lfFaceName[i] = 0;
  font.lfHeight = height;
  font.lfWidth = 0;
  font.lfEscapement = static_cast<LONG>((((degrees % 360) + 360) % 360) * 10);
  font.lfOrientation = font.lfEscapement;
  font.lfWeight = style == 1 || style == 3 ? 700 : 400;
  font.lfItalic = style == 2 || style == 3 ? 1 : 0;
  return CreateFontIndirectW(&font);
}

// The placement of the w × h drawing area in the rectangle.
POINT Placement(const RECT& r, int w, int h, bool watermark) {
  const int x0 = (r.left + r.right) / 2 - w / 2, y0 = (r.top + r.bottom) / 2 - h / 2;
  if (watermark) return w < h ? POINT{x0 - 1, y0 - 2} : POINT{x0 - 1, y0 - 3};
  return w < h ? POINT{x0 - 2, y0 - 2} : POINT{x0 - 2, y0 - 1};
}

// A memory picture of w × h compatible with the target, selected into its own DC.
struct Scratch {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ previous = nullptr;
  Scratch(HDC target, int w, int h) {
    dc = CreateCompatibleDC(target);
    bitmap = dc ? CreateCompatibleBitmap(target, w, h) : nullptr;
    if (bitmap) previous = SelectObject(dc, bitmap);
  }
  ~Scratch() {
    if (previous) SelectObject(dc, previous);
    if (bitmap) DeleteObject(bitmap);
    if (dc) DeleteDC(dc);
  }
  bool ok() const { return dc && bitmap; }
};

void Fill(HDC dc, int w, int h, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  RECT all{0, 0, w, h};
  FillRect(dc, &all, brush);
  DeleteObject(brush);
}

// The text's extent, widened to the sum of its characters' A, B and C widths with the
// overhang of a negative A width of the first character and a negative C width of the last
// (a one-character text counts only its A width).
SIZE MeasureText(HDC dc, const WCHAR* text) {
  SIZE size{};
  int n = 0;
  while (text[n]) ++n;
  if (!n || !GetTextExtentPoint32W(dc, text, n, &size)) return size;
  std::int64_t sum = 0, overhang = 0;
  for (int i = 0; i < n; ++i) {
    ABC abc{};
    if (!GetCharABCWidthsW(dc, text[i], text[i], &abc)) return size;
    sum += static_cast<std::int64_t>(abc.abcA) + abc.abcB + abc.abcC;
    if (i == 0 && abc.abcA < 0) overhang -= abc.abcA;
    if (i == n - 1 && n > 1 && abc.abcC < 0) overhang -= abc.abcC;
  }
  const std::int64_t width = std::min<std::int64_t>(sum + overhang, 0x7FFF);
  if (width > size.cx) size.cx = static_cast<LONG>(width);
  return size;
}

int Length(const WCHAR* text) {
  int n = 0;
  while (text[n]) ++n;
  return n;
}

void Outline(HDC dc, const PreviewBox& box, int x, int y) {
  MoveToEx(dc, x + box.corners[0].x, y + box.corners[0].y, nullptr);
  for (int i = 1; i <= 4; ++i) LineTo(dc, x + box.corners[i % 4].x, y + box.corners[i % 4].y);
}

}  // namespace

void PaintWatermarkPreview(DriverContext* context, ControlRecord* control, int width, int height, HDC dc,
                           const RECT* rect) {
  const auto* words = static_cast<const WORD*>(GetControlExtraData(control, kPreviewDataType));
  if (!context || !words || !Value(context, fid::kdmFuncSelectWaterMark)) return;
  HDC target = Target(context, dc);
  const int w = width - 2, h = height - 2;
  if (!target || w <= 0 || h <= 0) return;
  const RECT area = rect ? *rect : RECT{0, 0, width, height};
  const POINT at = Placement(area, w, h, true);
  Scratch scratch(target, w, h);
  if (!scratch.ok()) return;
  const bool opaque = Value(context, words[kOpaque]) != 0;
  if (opaque) BitBlt(scratch.dc, 0, 0, w, h, target, at.x, at.y, SRCCOPY);
  else Fill(scratch.dc, w, h, RGB(255, 255, 255));
  std::int64_t shortSide = 0, resolution = 0;
  PaperScale(context, &shortSide, &resolution);
  const bool tiled = Value(context, words[kTiling]) == 1;
  const std::int32_t position = Value(context, words[kPosition]);

  const std::int32_t kind = Value(context, fid::kdmWmKind);
  if (kind == 1) {
    WCHAR text[kTextChars], face[kTextChars];
    Text(context, words[kText], text, kTextChars);
    Text(context, words[kFontName], face, kTextChars);
    const std::int64_t degrees = Value(context, words[kAngle]);
    const int angle = PreviewAngleIndex(degrees);
    const int fontHeight = PreviewFontHeight(Value(context, words[kPoints]), shortSide, resolution, angle != 0);
    const std::int32_t effect = Value(context, words[kEffect]);
    const COLORREF colour = PreviewColour(Value(context, words[kDensity]), 100, Value(context, words[kColour]));
    if (fontHeight > 0 && text[0]) {
      HFONT font = PreviewFont(control, face, Value(context, words[kFontStyle]), fontHeight, degrees);
      HGDIOBJ oldFont = SelectObject(scratch.dc, font);
      HPEN pen = CreatePen(PS_SOLID, 1, colour);
      HGDIOBJ oldPen = SelectObject(scratch.dc, pen);
      SetTextColor(scratch.dc, colour);
      SetBkMode(scratch.dc, TRANSPARENT);
      const SIZE size = MeasureText(scratch.dc, text);
      if (size.cx > 0 && size.cy > 0) {
        const PreviewBox box = LayoutPreviewText(size.cx, size.cy, angle, true, effect == 2);
        auto copy = [&](int x, int y) {
          TextOutW(scratch.dc, x + box.originX, y + box.originY, text, Length(text));
          if (effect == 1) Outline(scratch.dc, box, x, y);
          if (effect == 2) {
            // A full ellipse inside the box: start and end at the middle of its right edge.
            const int right = x + box.width, middle = y + box.height / 2;
            Arc(scratch.dc, x, y, x + box.width, y + box.height, right, middle, right, middle);
          }
        };
        // The outline effect gathers the copies into a path and strokes its outline.
        const bool outline = effect == 3 && BeginPath(scratch.dc);
        if (tiled) {
          for (int y = 0; y < h; y += box.height + 1)
            for (int x = 0; x < w; x += box.width + 1) copy(x, y);
        } else {
          int x = 0, y = 0;
          PreviewPosition(position, w, h, box.width, box.height, &x, &y);
          copy(x, y);
        }
        if (outline && EndPath(scratch.dc)) StrokePath(scratch.dc);
      }
      SelectObject(scratch.dc, oldPen);
      DeleteObject(pen);
      SelectObject(scratch.dc, oldFont);
      DeleteObject(font);
    }
  } else if (kind == 2 && words[kImagePath]) {
    WCHAR path[kTextChars];
    Text(context, words[kImagePath], path, kTextChars);
    int iw = 0, ih = 0;
    HBITMAP image = path[0] ? LoadDibFile(path, &iw, &ih) : nullptr;
    const std::int32_t scale = Value(context, words[kImageScale]);
    const int pw = PreviewImageSize(iw, scale, resolution, shortSide);
    const int ph = PreviewImageSize(ih, scale, resolution, shortSide);
    if (image && pw > 0 && ph > 0) {
      HDC source = CreateCompatibleDC(scratch.dc);
      HGDIOBJ old = SelectObject(source, image);
      if (tiled) {
        for (int y = 0; y < h; y += ph)
          for (int x = 0; x < w; x += pw) StretchBlt(scratch.dc, x, y, pw, ph, source, 0, 0, iw, ih, SRCCOPY);
      } else {
        int x = 0, y = 0;
        PreviewPosition(position, w, h, pw, ph, &x, &y);
        StretchBlt(scratch.dc, x, y, pw, ph, source, 0, 0, iw, ih, SRCCOPY);
      }
      SelectObject(source, old);
      DeleteDC(source);
    }
    if (image) DeleteObject(image);
  }
  BitBlt(target, at.x, at.y, w, h, scratch.dc, 0, 0, opaque ? SRCCOPY : SRCAND);
}

void PaintDensityPreview(DriverContext* context, ControlRecord* control, int width, int height, HDC dc,
                         const RECT* rect) {
  if (!context || !control) return;
  if (control->controlId != kSwatchControl && control->controlId != kPatternControl) return;
  if (!Value(context, fid::kdmFuncSelectCopyProtect)) return;
  HDC target = Target(context, dc);
  const int w = width - 2, h = height - 2;
  if (!target || w <= 0 || h <= 0) return;
  const RECT area = rect ? *rect : RECT{0, 0, width, height};
  const POINT at = Placement(area, w, h, false);
  Scratch scratch(target, w, h);
  if (!scratch.ok()) return;
  BitBlt(scratch.dc, 0, 0, w, h, target, at.x, at.y, SRCCOPY);
  const bool guard = Value(context, fid::kdmCopyProtectFuncSelectCopyGuard) != 0;
  std::int64_t density = Value(context, fid::kdmCopyProtectDensity);
  if (control->controlId == kPatternControl && guard)
    density = GetOptionDefaultValue(fid::kdmCopyProtectDensity, context);
  const COLORREF colour = PreviewColour(density, 5, Value(context, fid::kdmCopyProtectColor));
  if (control->controlId == kSwatchControl) {
    Fill(scratch.dc, w, h, colour);
  } else {
    if (guard) Fill(scratch.dc, w, h, colour);
    WCHAR text[kTextChars], face[kTextChars];
    Text(context, fid::kdmCopyProtectChar, text, kTextChars);
    Text(context, fid::kdmCopyProtectFontName, face, kTextChars);
    std::int64_t shortSide = 0, resolution = 0;
    PaperScale(context, &shortSide, &resolution);
    const std::int64_t degrees = Value(context, fid::kdmCopyProtectAngle);
    const int angle = PreviewAngleIndex(degrees);
    const int fontHeight =
        PreviewFontHeight(Value(context, fid::kdmCopyProtectFontPoint), shortSide, resolution, angle != 0);
    if (fontHeight > 0 && text[0]) {
      const std::int32_t style = Value(context, fid::kdmCopyProtectFontStyle);
      HFONT font = PreviewFont(control, face, style, fontHeight, degrees);
      HFONT turnedFont = PreviewFont(control, face, style, fontHeight, degrees + 180);
      HGDIOBJ oldFont = SelectObject(scratch.dc, font);
      SetTextColor(scratch.dc, colour);
      SetBkMode(scratch.dc, TRANSPARENT);
      const SIZE size = MeasureText(scratch.dc, text);
      const int n = Length(text);
      if (size.cx > 0 && size.cy > 0) {
        const PreviewBox box = LayoutPreviewText(size.cx, size.cy, angle, false, false);
        const PreviewBox turned = LayoutPreviewText(size.cx, size.cy, PreviewAngleIndex(degrees + 180), false, false);
        const bool reverse = Value(context, fid::kdmCopyProtectFuncSelectReverse) != 0;
        HPEN pen = CreatePen(PS_SOLID, 1, colour);
        HGDIOBJ oldPen = SelectObject(scratch.dc, pen);
        const bool outline = Value(context, fid::kdmCopyProtectFuncSelectOutline) != 0 && BeginPath(scratch.dc);
        if (Value(context, fid::kdmCopyProtectFuncSelectRepeat)) {
          const int step = std::max(1, box.height + CopyGuardLineGap(Value(context, fid::kdmCopyProtectLinePitch)));
          int row = 0;
          for (int y = 0; y < h; y += step, ++row) {
            if (reverse && row % 2 == 1) {
              SelectObject(scratch.dc, turnedFont);
              for (int x = w; x > -turned.width; x -= turned.width + 1)
                TextOutW(scratch.dc, x - box.originX, y + turned.originY, text, n);
              SelectObject(scratch.dc, font);
            } else {
              for (int x = 0; x < w; x += box.width + 1)
                TextOutW(scratch.dc, x + box.originX, y + box.originY, text, n);
            }
          }
        } else {
          int x = 0, y = 0;
          PreviewPosition(Value(context, fid::kdmCopyProtectPosi), w, h, box.width, box.height, &x, &y);
          TextOutW(scratch.dc, x + box.originX, y + box.originY, text, n);
        }
        if (outline && EndPath(scratch.dc)) StrokePath(scratch.dc);
        SelectObject(scratch.dc, oldPen);
        DeleteObject(pen);
      }
      SelectObject(scratch.dc, oldFont);
      DeleteObject(font);
      DeleteObject(turnedFont);
    }
  }
  BitBlt(target, at.x, at.y, w, h, scratch.dc, 0, 0, SRCCOPY);
}
