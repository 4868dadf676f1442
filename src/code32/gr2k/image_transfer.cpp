#include "image_transfer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "drawing_records.h"
#include "graphics_state.h"
#include "image_records.h"
#include "page_records.h"
#include "render_device.h"
#include "win/errors.h"

namespace rendara {

namespace {

constexpr ROP4 kMaskKeepsSource = 0xAACC;   // source where the mask is set
constexpr ROP4 kMaskTransparent = 0xCCAA;   // source where the mask is clear
constexpr ROP4 kInvertMask = 0x6666;
constexpr ROP4 kCopySource = 0xCCCC;
constexpr BYTE kRopMaskOnto = 0xEE;
constexpr BYTE kRopAndOnto = 0x88;
constexpr DWORD kWindowFlags = IMAGE_24BPP | IMAGE_NO_PALETTE;

ULONG BitsOf(ULONG format) {
  switch (format) {
    case BMF_1BPP: return 1;
    case BMF_4BPP: return 4;
    case BMF_8BPP: return 8;
    case BMF_16BPP: return 16;
    case BMF_24BPP: return 24;
    case BMF_32BPP: return 32;
    default: return 0;
  }
}

ULONG PaletteEntries(ULONG format) {
  return format == BMF_1BPP ? 2 : format == BMF_4BPP ? 16 : format == BMF_8BPP ? 256 : 0;
}

ULONG Translate(XLATEOBJ* xlate, ULONG index) { return xlate ? XLATEOBJ_iXlate(xlate, index) : index; }

bool MaskCode(ROP4 rop4, SURFOBJ* mask) { return mask && (rop4 == kMaskKeepsSource || rop4 == kMaskTransparent); }

bool SizeOf(const SURFOBJ* s, LONG w, LONG h) { return s->sizlBitmap.cx == w && s->sizlBitmap.cy == h; }

// Writes the image, or its row-by-row form when the record cannot be had whole; a failure
// of both does not fail the call.
void PlaceImage(RenderDevice* device, LONG x, LONG y, LONG width, LONG height, LONG sourceX, LONG sourceY,
                DWORD pixelsPerRow, DWORD rows, DWORD flags, SURFOBJ* source, const BYTE* palette) {
  const BYTE* firstRow = static_cast<const BYTE*>(source->pvScan0);
  const BOOL bottomUp = (source->fjBitmap & BMF_TOPDOWN) ? FALSE : TRUE;
  if (EmitImage(&device->records, x, y, width, height, sourceX, sourceY, pixelsPerRow, rows, flags, firstRow, palette,
                bottomUp))
    return;
  EmitImageRows(&device->records, x, y, width, height, sourceX, sourceY, pixelsPerRow, rows, flags, firstRow,
                palette, bottomUp);
}

// The host flag of the call's translation added to `flags` (the colours were matched by
// the host whether or not the source went through a work surface), and the palette of the
// image sent: from the call's translation when the source goes as it is, none for a
// converted source. The palette or null.
const BYTE* PaletteAndHost(ULONG format, XLATEOBJ* xlate, bool converted, BYTE* room, DWORD* flags) {
  if (xlate && (xlate->flXlate & XO_HOST_ICM)) *flags |= IMAGE_HOST_MATCHED;
  if (converted) return nullptr;
  return ImagePalette(format, xlate, room) ? room : nullptr;
}

// The mask step of a masked transfer at 1:1: the mask as a 1-bit image without a palette
// at the destination, ORed as 0xEE, then raster operation 0x88 for the colour image.
BOOL WriteMask(RenderDevice* device, SURFOBJ* mask, POINTL* maskPoint, ROP4 rop4, LONG x, LONG y, LONG width,
               LONG height, LONG destWidth, LONG destHeight) {
  WorkSurface work;
  if (!CreateWorkSurface(device, width, height, BMF_1BPP, &work)) return FALSE;
  RECTL all{0, 0, width, height};
  POINTL origin = maskPoint ? *maskPoint : POINTL{0, 0};
  BOOL ok = EngEraseSurface(work.surface, &all, 0xFFFFFFFFu) &&
            EngBitBlt(work.surface, mask, nullptr, nullptr, nullptr, &all, &origin, nullptr, nullptr, nullptr,
                      rop4 == kMaskTransparent ? kInvertMask : kCopySource);
  if (ok) ok = SendRop(device, kRopMaskOnto);
  if (ok)
    PlaceImage(device, x, y, destWidth, destHeight, 0, 0, static_cast<DWORD>(width), static_cast<DWORD>(height),
               IMAGE_1BPP | IMAGE_NO_PALETTE, work.surface, nullptr);
  DeleteWorkSurface(&work);
  return ok && SendRop(device, kRopAndOnto);
}

// The 56-byte image record header.
void PutImageHeader(BYTE* record, DWORD flags, DWORD length, LONG x, LONG y, LONG width, LONG height, LONG sourceX,
                    LONG sourceY, DWORD pixelsPerRow, DWORD rows) {
  std::memset(record, 0, kImageRecordHeaderLength);
  record[0] = kOpImage;
  record[1] = static_cast<BYTE>(flags >> 16);
  record[2] = static_cast<BYTE>(flags);
  record[3] = static_cast<BYTE>(flags >> 8);
  PutU32(record + 4, length);
  PutU32(record + 8, static_cast<DWORD>(x));
  PutU32(record + 12, static_cast<DWORD>(y));
  PutU32(record + 16, static_cast<DWORD>(x + width));
  PutU32(record + 20, static_cast<DWORD>(y + height));
  PutU32(record + 24, static_cast<DWORD>(sourceX));
  PutU32(record + 28, static_cast<DWORD>(sourceY));
  PutU32(record + 32, pixelsPerRow);
  PutU32(record + 36, rows);
  PutU32(record + 40, static_cast<DWORD>(x));
  PutU32(record + 44, static_cast<DWORD>(y));
  PutU32(record + 48, static_cast<DWORD>(width));
  PutU32(record + 52, static_cast<DWORD>(height));
}

// Limits one axis of a source rectangle to the bitmap's extent, in either direction.
void ClampAxis(LONG* low, LONG* high, LONG extent) {
  if (*high > *low && (*high > 0 || *low < extent)) {
    *high = std::min(*high, extent);
    *low = std::max<LONG>(*low, 0);
  } else if (*low > *high && (*low > 0 || *high < extent)) {
    *low = std::min(*low, extent);
    *high = std::max<LONG>(*high, 0);
  }
}

}  // namespace

ImageFormat ImageFormatOf(ULONG bitmapFormat) {
  switch (bitmapFormat) {
    case BMF_1BPP: return {IMAGE_1BPP, BMF_1BPP, false};
    case BMF_4BPP: return {IMAGE_4BPP, BMF_4BPP, false};
    case BMF_8BPP: return {IMAGE_8BPP, BMF_8BPP, false};
    case BMF_24BPP: return {IMAGE_24BPP, BMF_24BPP, false};
    default: return {IMAGE_24BPP, BMF_24BPP, true};
  }
}

BOOL CreateWorkSurface(RenderDevice* device, LONG width, LONG height, ULONG format, WorkSurface* out) {
  if (!device || !out || width <= 0 || height <= 0 || BitsOf(format) == 0) return FALSE;
  const long long bits = static_cast<long long>(width) * BitsOf(format);
  const long long stride = format == BMF_32BPP ? 4LL * width : ((bits + 7) / 8 + 3) / 4 * 4;
  if (stride > 0x7FFFFFFF) return FALSE;
  HBITMAP bitmap = EngCreateBitmap(SIZEL{width, height}, static_cast<LONG>(stride), format,
                                   BMF_TOPDOWN | BMF_NOZEROINIT, nullptr);
  if (!bitmap) return FALSE;
  out->handle = reinterpret_cast<HSURF>(bitmap);
  if (device->engineDevice) EngAssociateSurface(out->handle, device->engineDevice, 0);
  out->surface = EngLockSurface(out->handle);
  if (!out->surface) {
    EngDeleteSurface(out->handle);
    out->handle = nullptr;
    return FALSE;
  }
  return TRUE;
}

void DeleteWorkSurface(WorkSurface* work) {
  if (!work) return;
  if (work->surface) EngUnlockSurface(work->surface);
  if (work->handle) EngDeleteSurface(work->handle);
  work->surface = nullptr;
  work->handle = nullptr;
}

bool IsIdentityGrey(ULONG bitmapFormat, XLATEOBJ* xlate) {
  const ULONG count = PaletteEntries(bitmapFormat);
  if (!count || !xlate || xlate->cEntries != count) return false;
  for (ULONG i = 0; i < count; ++i) {
    const ULONG g = i * 255 / (count - 1);
    if (Translate(xlate, i) != g * 0x010101u) return false;
  }
  return true;
}

DWORD ImagePalette(ULONG bitmapFormat, XLATEOBJ* xlate, BYTE* out) {
  const ULONG count = PaletteEntries(bitmapFormat);
  if (!count || !xlate || !out || IsIdentityGrey(bitmapFormat, xlate)) return 0;
  for (ULONG i = 0; i < count; ++i) {
    const ULONG c = Translate(xlate, i);
    out[3 * i] = static_cast<BYTE>(c);
    out[3 * i + 1] = static_cast<BYTE>(c >> 8);
    out[3 * i + 2] = static_cast<BYTE>(c >> 16);
  }
  return count * 3;
}

BOOL ImageBlt(RenderDevice* device, XLATEOBJ* xlate, SURFOBJ* source, POINTL* sourcePoint, RECTL* targetRect,
              SURFOBJ* mask, POINTL* maskPoint, ROP4 rop4) {
  if (!device || !source || !targetRect) return FALSE;
  const ImageFormat format = ImageFormatOf(source->iBitmapFormat);
  const LONG x = targetRect->left;
  const LONG y = targetRect->top;
  const LONG width = targetRect->right - targetRect->left;
  const LONG height = targetRect->bottom - targetRect->top;
  POINTL from = sourcePoint ? *sourcePoint : POINTL{0, 0};
  const bool masked = MaskCode(rop4, mask);
  const bool convert = format.convert || masked || !SizeOf(source, width, height);

  SURFOBJ* image = source;
  ULONG imageFormat = source->iBitmapFormat;
  WorkSurface work;
  if (convert) {
    if (masked && !WriteMask(device, mask, maskPoint, rop4, x, y, std::abs(width), std::abs(height), std::abs(width),
                             std::abs(height)))
      return FALSE;
    if (!CreateWorkSurface(device, std::abs(width), std::abs(height), format.workFormat, &work)) return FALSE;
    RECTL all{0, 0, std::abs(width), std::abs(height)};
    XLATEOBJ* through = format.workFormat != source->iBitmapFormat ? xlate : nullptr;
    BOOL ok = TRUE;
    if (masked) {
      ok = EngEraseSurface(work.surface, &all, 0xFFFFFFFFu) &&
           EngBitBlt(work.surface, source, mask, nullptr, through, &all, &from, maskPoint, nullptr, nullptr, rop4);
    } else {
      ok = EngBitBlt(work.surface, source, nullptr, nullptr, through, &all, &from, nullptr, nullptr, nullptr,
                     kCopySource);
    }
    if (!ok) {
      DeleteWorkSurface(&work);
      return FALSE;
    }
    image = work.surface;
    imageFormat = format.workFormat;
    from = POINTL{0, 0};
  }
  BYTE room[768];
  DWORD flags = format.nibble | IMAGE_FROM_BLT;
  const BYTE* palette =
      PaletteAndHost(imageFormat, xlate, convert && imageFormat != source->iBitmapFormat, room, &flags);
  if (!palette) flags |= IMAGE_NO_PALETTE;
  PlaceImage(device, x, y, width, height, from.x, from.y, static_cast<DWORD>(std::abs(width)),
             static_cast<DWORD>(std::abs(height)), flags, image, palette);
  DeleteWorkSurface(&work);
  return TRUE;
}

BOOL ImageCopyWindow(RenderDevice* device, SURFOBJ* source, POINTL* sourcePoint, RECTL* targetRect) {
  if (!device || !source || !targetRect || source->iBitmapFormat != BMF_24BPP || !source->pvScan0) return FALSE;
  const LONG x = std::min(targetRect->left, targetRect->right);
  const LONG y = std::min(targetRect->top, targetRect->bottom);
  const LONG width = std::abs(targetRect->right - targetRect->left);
  const LONG height = std::abs(targetRect->bottom - targetRect->top);
  const POINTL from = sourcePoint ? *sourcePoint : POINTL{0, 0};
  if (width <= 0 || height <= 0 || from.x < 0 || from.y < 0 ||
      static_cast<long long>(from.x) + width > source->sizlBitmap.cx ||
      static_cast<long long>(from.y) + height > source->sizlBitmap.cy)
    return FALSE;
  const unsigned long long stride = (static_cast<unsigned long long>(width) * 3 + 3) / 4 * 4;
  const unsigned long long length = kImageRecordHeaderLength + stride * static_cast<unsigned long long>(height);
  if (length > 0xFFFFFFFFull) return FALSE;
  BYTE* record = AllocRecord(&device->records, static_cast<DWORD>(length));
  if (!record) return FALSE;
  std::memset(record, 0, static_cast<std::size_t>(length));
  PutImageHeader(record, kWindowFlags, static_cast<DWORD>(length), x, y, width, height, 0, 0,
                 static_cast<DWORD>(width), static_cast<DWORD>(height));
  const BYTE* scan0 = static_cast<const BYTE*>(source->pvScan0);
  for (LONG r = 0; r < height; ++r) {
    const BYTE* row = scan0 + static_cast<std::ptrdiff_t>(from.y + r) * source->lDelta + from.x * 3;
    std::memcpy(record + kImageRecordHeaderLength + r * stride, row, static_cast<std::size_t>(width) * 3);
  }
  return TRUE;
}

BOOL ImageCopy(RenderDevice* device, XLATEOBJ* xlate, SURFOBJ* source, POINTL* sourcePoint, RECTL* targetRect) {
  if (!device || !source || !targetRect) return FALSE;
  const LONG x = std::min(targetRect->left, targetRect->right);
  const LONG y = std::min(targetRect->top, targetRect->bottom);
  const LONG width = std::abs(targetRect->right - targetRect->left);
  const LONG height = std::abs(targetRect->bottom - targetRect->top);
  const ImageFormat format = ImageFormatOf(source->iBitmapFormat);
  POINTL from = sourcePoint ? *sourcePoint : POINTL{0, 0};
  bool convert = format.convert || targetRect->right < targetRect->left;
  if (!SizeOf(source, width, height)) {
    if (source->iBitmapFormat == BMF_24BPP && width > 0 && height > 0 &&
        ImageCopyWindow(device, source, sourcePoint, targetRect))
      return TRUE;
    convert = true;
  }
  SURFOBJ* image = source;
  ULONG imageFormat = source->iBitmapFormat;
  LONG rowsWide = width;
  LONG rows = height;
  WorkSurface work;
  if (convert) {
    rowsWide = std::min<LONG>(width, source->sizlBitmap.cx - from.x);
    rows = std::min<LONG>(height, source->sizlBitmap.cy - from.y);
    if (!CreateWorkSurface(device, rowsWide, rows, format.workFormat, &work)) return FALSE;
    RECTL all{0, 0, rowsWide, rows};
    XLATEOBJ* through = format.workFormat != source->iBitmapFormat ? xlate : nullptr;
    if (!EngCopyBits(work.surface, source, nullptr, through, &all, &from)) {
      DeleteWorkSurface(&work);
      return FALSE;
    }
    image = work.surface;
    imageFormat = format.workFormat;
    from = POINTL{0, 0};
  }
  BYTE room[768];
  DWORD flags = format.nibble;
  const BYTE* palette = PaletteAndHost(imageFormat, xlate, imageFormat != source->iBitmapFormat, room, &flags);
  if (!palette) flags |= IMAGE_NO_PALETTE;
  // The rows sent are those the source holds: a work surface reduced to the part of the
  // source beyond the source point is never read past its end.
  PlaceImage(device, x, y, width, height, 0, 0, static_cast<DWORD>(rowsWide), static_cast<DWORD>(rows), flags, image,
             palette);
  DeleteWorkSurface(&work);
  return TRUE;
}

BOOL ImageStretch(RenderDevice* device, XLATEOBJ* xlate, SURFOBJ* source, COLORADJUSTMENT* adjustment,
                  POINTL* halftoneOrigin, RECTL* targetRect, RECTL* sourceRect, SURFOBJ* mask, POINTL* maskPoint,
                  ROP4 rop4) {
  if (!device || !source || !targetRect || !sourceRect) return FALSE;
  RECTL src = *sourceRect;
  ClampAxis(&src.left, &src.right, source->sizlBitmap.cx);
  ClampAxis(&src.top, &src.bottom, source->sizlBitmap.cy);
  const LONG x = std::min(targetRect->left, targetRect->right);
  const LONG y = std::min(targetRect->top, targetRect->bottom);
  const LONG width = targetRect->right - targetRect->left;
  const LONG height = targetRect->bottom - targetRect->top;
  LONG fromX = src.left;
  LONG fromY = src.top;
  const LONG sourceWidth = src.right - src.left;
  const LONG sourceHeight = src.bottom - src.top;

  const ImageFormat format = ImageFormatOf(source->iBitmapFormat);
  bool convert = format.convert || !SizeOf(source, sourceWidth, sourceHeight) || width < 0 || height < 0;
  LONG workWidth = std::abs(sourceWidth);
  LONG workHeight = std::abs(sourceHeight);
  const bool trueColour = source->iBitmapFormat == BMF_24BPP || source->iBitmapFormat == BMF_32BPP;
  if (device->stretchImage && device->drawing.ropValid && device->drawing.rop == 0xCC && trueColour && width &&
      height && sourceWidth && sourceHeight &&
      (std::abs(width) < std::abs(sourceWidth) || std::abs(height) < std::abs(sourceHeight))) {
    convert = true;
    workWidth = std::abs(width);
    workHeight = std::abs(height);
  }
  const bool masked = MaskCode(rop4, mask);
  if (masked) {
    convert = true;
    fromX = fromY = 0;
    if (!WriteMask(device, mask, maskPoint, rop4, x, y, std::abs(sourceWidth), std::abs(sourceHeight), std::abs(width),
                   std::abs(height)))
      return FALSE;
  }

  SURFOBJ* image = source;
  ULONG imageFormat = source->iBitmapFormat;
  DWORD flags = format.nibble;
  WorkSurface work;
  if (convert) {
    if (!CreateWorkSurface(device, workWidth, workHeight, format.workFormat, &work)) {
      const ULONG f = source->iBitmapFormat;
      if ((f == BMF_8BPP || f == BMF_24BPP || f == BMF_32BPP) && sourceWidth > 0 && sourceHeight > 0)
        return ImageScaledRows(device, source, targetRect, &src, xlate, adjustment, halftoneOrigin,
                               IsIdentityGrey(f, xlate));
      bool made = false;
      for (LONG divisor = 2; divisor <= 5 && !made; ++divisor) {
        const LONG w = workWidth / divisor;
        const LONG h = workHeight / divisor;
        if (w == 0 || h == 0) return FALSE;
        made = CreateWorkSurface(device, w, h, format.workFormat, &work) != FALSE;
        if (made) {
          workWidth = w;
          workHeight = h;
        }
      }
      if (!made) return FALSE;
      flags |= IMAGE_REDUCED;
    }
    // A mirrored destination mirrors the work surface.
    RECTL all{width < 0 ? workWidth : 0, height < 0 ? workHeight : 0, width < 0 ? 0 : workWidth,
              height < 0 ? 0 : workHeight};
    XLATEOBJ* through = format.workFormat != source->iBitmapFormat ? xlate : nullptr;
    BOOL ok;
    if (masked) {
      RECTL whole{0, 0, workWidth, workHeight};
      ok = EngEraseSurface(work.surface, &whole, 0xFFFFFFFFu) &&
           EngStretchBltROP(work.surface, source, mask, nullptr, through, adjustment, halftoneOrigin, &all, &src,
                            maskPoint, COLORONCOLOR, nullptr, rop4);
    } else {
      ok = EngStretchBlt(work.surface, source, nullptr, nullptr, through, adjustment, halftoneOrigin, &all, &src,
                         nullptr, COLORONCOLOR);
    }
    if (!ok) {
      DeleteWorkSurface(&work);
      return FALSE;
    }
    image = work.surface;
    imageFormat = format.workFormat;
    fromX = fromY = 0;
  }
  BYTE room[768];
  const BYTE* palette = PaletteAndHost(imageFormat, xlate, imageFormat != source->iBitmapFormat, room, &flags);
  if (!palette) flags |= IMAGE_NO_PALETTE;
  PlaceImage(device, x, y, std::abs(width), std::abs(height), fromX, fromY,
             static_cast<DWORD>(convert ? workWidth : std::abs(sourceWidth)),
             static_cast<DWORD>(convert ? workHeight : std::abs(sourceHeight)), flags, image, palette);
  DeleteWorkSurface(&work);
  return TRUE;
}

BOOL ImageScaledRows(RenderDevice* device, SURFOBJ* source, RECTL* targetRect, RECTL* sourceRect, XLATEOBJ* xlate,
                     COLORADJUSTMENT* adjustment, POINTL* halftoneOrigin, bool identityGrey) {
  if (!device || !source || !targetRect || !sourceRect || !source->pvScan0) return FALSE;
  const ULONG format = source->iBitmapFormat;
  DWORD bytesIn = 0;
  DWORD bytesOut = 0;
  DWORD flags = IMAGE_24BPP | IMAGE_NO_PALETTE;
  BYTE room[768];
  const BYTE* palette = nullptr;
  if (format == BMF_24BPP) {
    bytesIn = bytesOut = 3;
  } else if (format == BMF_32BPP) {
    bytesIn = 4;
    bytesOut = 3;
  } else if (format == BMF_8BPP) {
    bytesIn = bytesOut = 1;
    flags = IMAGE_8BPP;
    if (!identityGrey && ImagePalette(format, xlate, room)) palette = room;
    else flags |= IMAGE_NO_PALETTE;
  } else {
    return FALSE;
  }
  const LONG sx = sourceRect->left;
  const LONG sy = sourceRect->top;
  LONG columns = sourceRect->right - sourceRect->left;
  LONG rows = sourceRect->bottom - sourceRect->top;
  if (columns <= 0 || rows <= 0 || sx < 0 || sy < 0 || static_cast<long long>(sx) + columns > source->sizlBitmap.cx ||
      static_cast<long long>(sy) + rows > source->sizlBitmap.cy)
    return FALSE;
  const LONG width = std::abs(targetRect->right - targetRect->left);
  const LONG height = std::abs(targetRect->bottom - targetRect->top);
  const LONG x = std::min(targetRect->left, targetRect->right);
  const LONG y = std::min(targetRect->top, targetRect->bottom);
  LONG step = 1;
  if (format == BMF_32BPP && ((width < columns && height < rows) ||
                              static_cast<long long>(columns) * rows * 3 > 0xA00000LL)) {
    step = 2;
    flags |= IMAGE_REDUCED;
    columns /= 2;
    rows /= 2;
    if (columns == 0 || rows == 0) return FALSE;
  }
  const DWORD rowLength = (static_cast<DWORD>(columns) * bytesOut + 3) / 4 * 4;
  const DWORD paletteLength = palette ? 768 : 0;
  const unsigned long long length =
      kImageRecordHeaderLength + paletteLength + static_cast<unsigned long long>(rowLength) * static_cast<DWORD>(rows);
  if (length > 0xFFFFFFFFull) return FALSE;

  WorkSurface line;
  if (format == BMF_32BPP && !CreateWorkSurface(device, columns * step, 1, BMF_24BPP, &line)) return FALSE;
  // A row that cannot be had takes the whole record out again: a header whose length
  // promises rows that never follow would swallow the records behind it.
  const RecordMark mark = MarkRecords(&device->records);
  BYTE* header = AllocRecord(&device->records, kImageRecordHeaderLength + paletteLength);
  if (!header) {
    DeleteWorkSurface(&line);
    return FALSE;
  }
  PutImageHeader(header, flags, static_cast<DWORD>(length), x, y, width, height, 0, 0, static_cast<DWORD>(columns),
                 static_cast<DWORD>(rows));
  if (palette) std::memcpy(header + kImageRecordHeaderLength, palette, paletteLength);

  const BYTE* scan0 = static_cast<const BYTE*>(source->pvScan0);
  BOOL ok = TRUE;
  for (LONG r = 0; r < rows && ok; ++r) {
    const LONG sourceRow = sy + r * step;
    BYTE* out = AllocRecord(&device->records, rowLength);
    if (!out) {
      ok = FALSE;
      break;
    }
    std::memset(out, 0, rowLength);
    if (format == BMF_32BPP) {
      RECTL one{0, 0, columns * step, 1};
      RECTL from{sx, sourceRow, sx + columns * step, sourceRow + 1};
      if (!EngStretchBlt(line.surface, source, nullptr, nullptr, xlate, adjustment, halftoneOrigin, &one, &from,
                         nullptr, COLORONCOLOR)) {
        ok = FALSE;
        break;
      }
      const BYTE* in = static_cast<const BYTE*>(line.surface->pvScan0);
      for (LONG c = 0; c < columns; ++c) std::memcpy(out + c * 3, in + c * step * 3, 3);
    } else {
      const BYTE* in = scan0 + static_cast<std::ptrdiff_t>(sourceRow) * source->lDelta + sx * bytesIn;
      std::memcpy(out, in, static_cast<std::size_t>(columns) * bytesIn);
    }
  }
  DeleteWorkSurface(&line);
  if (!ok) DropToMark(&device->records, mark);
  return ok;
}

}  // namespace rendara
