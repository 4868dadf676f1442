// The picture painter: named pictures, pictures by flags, the masked preview, buffered
// painting and the palette.
#include "context/ui_picture_paint.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <mutex>
#include <vector>

#include "base/driver_context.h"
#include "fields/field_access.h"
#include "context/ui_picture_sources.h"
#include "context/ui_pictures.h"
#include "field_ids.h"
#include "model/ui_tables.h"
#include "win/resources.h"

namespace {

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

// The memory picture of buffered painting, made on first use from what `dc` shows in
// `rect`.
HDC MemoryTarget(PicturePaintState& ps, HDC dc, const RECT& rect) {
  if (ps.memoryDc) return reinterpret_cast<HDC>(ps.memoryDc);
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, std::max(1, Width(rect)), std::max(1, Height(rect)));
  if (!memory || !bitmap) {
    if (memory) DeleteDC(memory);
    if (bitmap) DeleteObject(bitmap);
    return nullptr;
  }
  ps.previousBitmap = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, Width(rect), Height(rect), dc, rect.left, rect.top, SRCCOPY);
  ps.memoryDc = memory;
  ps.memoryBitmap = bitmap;
  return memory;
}

void FreeMemory(PicturePaintState& ps) {
  if (ps.memoryDc) {
    SelectObject(reinterpret_cast<HDC>(ps.memoryDc), ps.previousBitmap);
    DeleteDC(reinterpret_cast<HDC>(ps.memoryDc));
  }
  if (ps.memoryBitmap) DeleteObject(reinterpret_cast<HBITMAP>(ps.memoryBitmap));
  ps.memoryDc = nullptr;
  ps.memoryBitmap = nullptr;
  ps.previousBitmap = nullptr;
}

// A device context with a new bitmap of a size, optionally filled with a colour.
struct Surface {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  Surface(HDC like, int w, int h) {
    dc = CreateCompatibleDC(like);
    bitmap = CreateCompatibleBitmap(like, std::max(1, w), std::max(1, h));
    if (dc && bitmap) old = SelectObject(dc, bitmap);
  }
  Surface(HDC like, HBITMAP owned) : bitmap(owned) {
    dc = CreateCompatibleDC(like);
    if (dc && bitmap) old = SelectObject(dc, bitmap);
  }
  bool ok() const { return dc && bitmap; }
  void Fill(int w, int h, COLORREF c) {
    HBRUSH b = CreateSolidBrush(c);
    RECT r{0, 0, w, h};
    FillRect(dc, &r, b);
    DeleteObject(b);
  }
  ~Surface() {
    if (dc) {
      if (old) SelectObject(dc, old);
      DeleteDC(dc);
    }
    if (bitmap) DeleteObject(bitmap);
  }
};

// A picture's own device context (the picture stays owned by the LoadedPicture).
struct PictureDc {
  HDC dc = nullptr;
  HGDIOBJ old = nullptr;
  PictureDc(HDC like, HBITMAP b) {
    if (!b) return;
    dc = CreateCompatibleDC(like);
    if (dc) old = SelectObject(dc, b);
  }
  ~PictureDc() {
    if (dc) {
      SelectObject(dc, old);
      DeleteDC(dc);
    }
  }
};

bool Grey(DriverContext* context) { return GetFieldValueById(context, fid::kdmMachineTypeColor) == 0; }

// The picture with its transparent pixels cut out (black) and a background whose pixels
// under the picture's solid part are black, combined with SRCPAINT at (px, py). The masks
// come from `pic` as loaded (`maskDc`); what is drawn is `pictureDc` (the same picture, or
// its colour-adjusted copy).
bool CombineMasked(HDC composition, int px, int py, const LoadedPicture& pic, HDC maskDc, HDC pictureDc) {
  Surface mask(maskDc, MakePictureMask(maskDc, pic, false));
  Surface inverse(maskDc, MakePictureMask(maskDc, pic, true));
  if (!mask.ok() || !inverse.ok()) return false;
  BitBlt(pictureDc, 0, 0, pic.width, pic.height, mask.dc, 0, 0, SRCAND);
  BitBlt(composition, px, py, pic.width, pic.height, inverse.dc, 0, 0, SRCAND);
  BitBlt(composition, px, py, pic.width, pic.height, pictureDc, 0, 0, SRCPAINT);
  return true;
}

}  // namespace

PicturePaintState* GetPaintState(DriverContext* context) {
  if (!context || !context->work) return nullptr;
  PicturePaintState& ps = context->work->paint;
  if (!ps.ready) {
    for (std::int32_t& a : ps.adjust) a = 50;
    ps.background = GetSysColor(COLOR_BTNFACE);
    ps.ready = 1;
  }
  return &ps;
}

void BeginBufferedPaint(DriverContext* context) {
  PicturePaintState* ps = GetPaintState(context);
  if (!ps) return;
  FreeMemory(*ps);
  ps->buffered = 1;
  ps->stretchPending = 0;
  ps->sourceWidth = ps->sourceHeight = 0;
}

void EndBufferedPaint(DriverContext* context, HWND window, const RECT* rect) {
  PicturePaintState* ps = GetPaintState(context);
  if (!ps || !ps->buffered) return;
  ps->buffered = 0;
  HDC memory = reinterpret_cast<HDC>(ps->memoryDc);
  if (memory && (window || rect)) {
    RECT target{};
    if (rect) target = *rect;
    else GetClientRect(window, &target);
    HDC dc = ps->overrideDc ? reinterpret_cast<HDC>(ps->overrideDc) : (window ? GetDC(window) : nullptr);
    if (dc) {
      if (ps->stretchPending)
        StretchBlt(dc, target.left, target.top, Width(target), Height(target), memory, 0, 0, ps->sourceWidth,
                   ps->sourceHeight, SRCCOPY);
      else
        BitBlt(dc, target.left, target.top, Width(target), Height(target), memory, 0, 0, SRCCOPY);
      if (!ps->overrideDc) ReleaseDC(window, dc);
    }
  }
  ps->stretchPending = 0;
  FreeMemory(*ps);
}

void DrawPicture(DriverContext* context, PageRecord* page, ControlRecord* control, HDC dc, const RECT* rect, int x,
                 int y, const WCHAR* picture, DWORD flags, BOOL noTheme) {
  PicturePaintState* ps = GetPaintState(context);
  if (!ps || !dc || !rect) return;
  const bool grey = Grey(context);
  RECT r = *rect;
  HDC target = dc;
  if (ps->buffered) {
    target = MemoryTarget(*ps, dc, r);
    if (!target) return;
    x -= r.left;
    y -= r.top;
    OffsetRect(&r, -r.left, -r.top);
  }
  LoadedPicture pic;
  if (!LoadPicture(context, picture, (flags & kPictureStretch) != 0, grey, pic)) return;
  PictureDc source(target, pic.bitmap);
  if (!source.dc) return;
  if (flags & kPictureStretch) {
    if (pic.file) {
      StretchBlt(target, r.left, r.top, Width(r), Height(r), source.dc, 0, 0, pic.width, pic.height, SRCCOPY);
      return;
    }
    // At its own size to the top left; the end of buffered painting stretches it.
    HPALETTE old = nullptr;
    if (pic.bits <= 8) {
      for (std::size_t i = 0; i < pic.colours.size(); ++i) PaletteSlot(target, static_cast<int>(i), pic.colours[i]);
      old = PaletteSlot(target, -1, 0);
    }
    BitBlt(target, 0, 0, pic.width, pic.height, source.dc, 0, 0, SRCCOPY);
    if (old) DeleteObject(SelectPalette(target, old, FALSE));
    ps->stretchPending = 1;
    ps->sourceWidth = pic.width;
    ps->sourceHeight = pic.height;
    return;
  }
  if (ps->stretchPending) {
    r.right = r.left + ps->sourceWidth;
    r.bottom = r.top + ps->sourceHeight;
  }
  if (flags & kPictureRight) x -= pic.width;
  else if (flags & kPictureCentreX) x -= pic.width / 2;
  if (flags & kPictureBottom) y -= pic.height;
  else if (flags & kPictureCentreY) y -= pic.height / 2;
  const int w = Width(r), h = Height(r);
  Surface composition(target, w, h);
  if (!composition.ok()) return;
  const int px = x - r.left, py = y - r.top;
  if (pic.file || (flags & (kPictureOpaque | kPictureOverlay | kPictureAnd | kPictureMergePaint))) {
    BitBlt(composition.dc, 0, 0, w, h, target, r.left, r.top, SRCCOPY);
    const DWORD rop = (flags & kPictureOpaque)       ? SRCCOPY
                      : (flags & kPictureAnd)        ? SRCAND
                      : (flags & kPictureMergePaint) ? MERGEPAINT
                                                     : SRCPAINT;
    BitBlt(composition.dc, px, py, pic.width, pic.height, source.dc, 0, 0, rop);
  } else {
    // The background the transparent pixels show: the destination, the tab-page body of
    // the visual style, or the background colour.
    const POINT origin{rect->left, rect->top};
    if (flags & kPictureTransparent)
      BitBlt(composition.dc, 0, 0, w, h, target, r.left, r.top, SRCCOPY);
    else if (!DrawTabPageBackground(page, control, composition.dc, SIZE{w, h}, origin, noTheme, ps->background))
      composition.Fill(w, h, ps->background);
    if (!CombineMasked(composition.dc, px, py, pic, source.dc, source.dc)) return;
  }
  BitBlt(target, r.left, r.top, w, h, composition.dc, 0, 0, SRCCOPY);
}

void DrawMaskedPicture(DriverContext* context, HDC dc, const RECT* rect, int, int, DWORD pictureId, DWORD flags) {
  PicturePaintState* ps = GetPaintState(context);
  if (!ps || !dc || !flags) return;
  const WCHAR* id = MAKEINTRESOURCEW(static_cast<WORD>(pictureId));
  LoadedPicture pic, adjusted;
  if (!LoadPicture(context, id, false, false, pic)) return;
  // The mask is the picture's own; with the stretch flag the colour-adjusted copy is drawn.
  const bool adjust = (flags & kPictureStretch) != 0;
  if (adjust && !LoadPicture(context, id, true, Grey(context), adjusted)) return;
  HDC target = dc;
  if (ps->buffered) {
    const RECT area = rect ? *rect : RECT{0, 0, pic.width, pic.height};
    target = MemoryTarget(*ps, dc, area);
    if (!target) return;
  }
  ps->stretchPending = 1;
  ps->sourceWidth = pic.width;
  ps->sourceHeight = pic.height;
  PictureDc source(target, pic.bitmap);
  PictureDc drawn(target, adjust ? adjusted.bitmap : nullptr);
  Surface composition(target, pic.width, pic.height);
  if (!source.dc || (adjust && !drawn.dc) || !composition.ok()) return;
  // The destination shows through the picture's transparent pixels.
  BitBlt(composition.dc, 0, 0, pic.width, pic.height, target, 0, 0, SRCCOPY);
  if (!CombineMasked(composition.dc, 0, 0, pic, source.dc, adjust ? drawn.dc : source.dc)) return;
  BitBlt(target, 0, 0, pic.width, pic.height, composition.dc, 0, 0, SRCCOPY);
}

void DrawNamedPicture(DriverContext* context, PageRecord* page, ControlRecord* control, HWND window, const RECT* rect,
                      DWORD pictureId, DWORD flags, BOOL noTheme) {
  PicturePaintState* ps = GetPaintState(context);
  if (!ps) return;
  const DWORD savedBackground = ps->background;
  RECT target{};
  if (rect) {
    target = *rect;
    flags |= kPictureCentreX | kPictureCentreY;
  } else if (!window || !GetClientRect(window, &target)) {
    return;
  }
  int x = target.left, y = target.top;
  // The first row of the picture in the picture table moves it and adds its flags.
  const PictureRow* row = FindPictureRow(GetPictureTable(), pictureId);
  if (row) {
    x += row->x;
    y += row->y;
    flags |= row->flags;
  }
  if (flags & kPictureStretch) {
    HBITMAP b = LoadPictureBitmap(context, pictureId);
    BITMAP info{};
    if (b && GetObjectW(b, sizeof info, &info)) target = RECT{0, 0, info.bmWidth, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight};
    if (b) DeleteObject(b);
  }
  if (flags & kPictureRight) x += Width(target);
  else if (flags & kPictureCentreX) x += Width(target) / 2;
  if (flags & kPictureCentreY) y += Height(target) / 2;
  else if (flags & kPictureBottom) y += Height(target);
  HDC dc = ps->overrideDc ? reinterpret_cast<HDC>(ps->overrideDc) : (window ? GetDC(window) : nullptr);
  if (!dc) return;
  if (row) {
    if (row->backgroundKind == kPictureRowBackground) ps->background = row->background;
    if (row->overlayId) {
      const DWORD overlayFlags = flags | ((flags & kPictureOverlay) ? kPictureAnd : kPictureMergePaint);
      DrawPicture(context, page, control, dc, &target, x, y, MAKEINTRESOURCEW(row->overlayId), overlayFlags, noTheme);
      flags |= (flags & kPictureOverlay) ? kPictureTransparent : (kPictureAnd | kPictureTransparent);
    }
  }
  if (ps->maskedPreview) {
    DrawMaskedPicture(context, dc, &target, x, y, pictureId, flags);
    ps->maskedPreview = 0;
  } else {
    DrawPicture(context, page, control, dc, &target, x, y, MAKEINTRESOURCEW(static_cast<WORD>(pictureId)), flags,
                noTheme);
  }
  if (!ps->overrideDc) ReleaseDC(window, dc);
  ps->background = savedBackground;
}

HPALETTE PaletteSlot(HDC dc, int index, COLORREF colour) {
  static std::mutex lock;
  static int palettised = -1;  // decided once per process
  static PALETTEENTRY entries[256];
  std::lock_guard<std::mutex> g(lock);
  if (palettised < 0) {
    HDC display = CreateDCW(u"DISPLAY", nullptr, nullptr, nullptr);
    palettised = display && GetNearestColor(display, RGB(51, 51, 255)) != RGB(51, 51, 255) ? 1 : 0;
    if (display) DeleteDC(display);
  }
  if (!dc) return palettised ? reinterpret_cast<HPALETTE>(static_cast<ULONG_PTR>(1)) : nullptr;
  if (!palettised) return nullptr;
  if (index == -1) {
    std::vector<BYTE> block(sizeof(LOGPALETTE) + 255 * sizeof(PALETTEENTRY));
    auto* log = reinterpret_cast<LOGPALETTE*>(block.data());
    log->palVersion = 0x300;
    log->palNumEntries = 256;
    std::memcpy(block.data() + offsetof(LOGPALETTE, palPalEntry), entries, sizeof entries);
    HPALETTE made = CreatePalette(log);
    if (!made) return nullptr;
    HPALETTE previous = SelectPalette(dc, made, FALSE);
    RealizePalette(dc);
    return previous;
  }
  if (index >= 0 && index < 256)
    entries[index] = PALETTEENTRY{GetRValue(colour), GetGValue(colour), GetBValue(colour), 0};
  return nullptr;
}

void ReleasePicturePaint(DriverContext* context) {
  if (!context || !context->work) return;
  PicturePaintState& ps = context->work->paint;
  FreeMemory(ps);
  if (ps.heldBitmap) DeleteObject(reinterpret_cast<HBITMAP>(ps.heldBitmap));
  ps.heldBitmap = nullptr;
  ps.buffered = ps.stretchPending = 0;
  ps.overrideDc = nullptr;
}
