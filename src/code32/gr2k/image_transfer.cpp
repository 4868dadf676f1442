#include "image_transfer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "drawing_records.h"
#include "graphics_state.h"
#include "pending_render.h"
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
constexpr BYTE kOpImage = 0x20;
constexpr DWORD kImageHeaderLength = 56;
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

// The palette and host flag of a source, added to `flags`; the palette or null.
const BYTE* PaletteAndHost(ULONG format, XLATEOBJ* xlate, BYTE* room, DWORD* flags) {
  if (xlate && (xlate->flXlate & XO_HOST_ICM)) *flags |= IMAGE_HOST_MATCHED;
  return ImagePalette(format, xlate, room) ? room : nullptr;
}

// The mask step of a masked transfer at 1:1: the mask as a 1-bit image without a palette
// at the destination, ORed as 0xEE, then raster operation 0x88 for the colour image.
BOOL WriteMask(RenderDevice* device, SURFOBJ* mask, POINTL* maskPoint, ROP4 rop4, LONG x, LONG y, LONG width,
               LONG height) {
  WorkSurface work;
  if (!CreateWorkSurface(device, width, height, BMF_1BPP, &work)) return FALSE;
  RECTL all{0, 0, width, height};
  POINTL origin = maskPoint ? *maskPoint : POINTL{0, 0};
  BOOL ok = EngEraseSurface(work.surface, &all, 0xFFFFFFFFu) &&
            EngBitBlt(work.surface, mask, nullptr, nullptr, nullptr, &all, &origin, nullptr, nullptr, nullptr,
                      rop4 == kMaskTransparent ? kInvertMask : kCopySource);
  if (ok) ok = SendRop(device, kRopMaskOnto);
  if (ok)
    PlaceImage(device, x, y, width, height, 0, 0, static_cast<DWORD>(width), static_cast<DWORD>(height),
               IMAGE_1BPP | IMAGE_NO_PALETTE, work.surface, nullptr);
  DeleteWorkSurface(&work);
  return ok && SendRop(device, kRopAndOnto);
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
    if (masked && !WriteMask(device, mask, maskPoint, rop4, x, y, std::abs(width), std::abs(height))) return FALSE;
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
  const BYTE* palette = PaletteAndHost(imageFormat, convert && imageFormat != source->iBitmapFormat ? nullptr : xlate,
                                       room, &flags);
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
  const unsigned long long length = kImageHeaderLength + stride * static_cast<unsigned long long>(height);
  if (length > 0xFFFFFFFFull) return FALSE;
  BYTE* record = AllocRecord(&device->records, static_cast<DWORD>(length));
  if (!record) return FALSE;
  std::memset(record, 0, static_cast<std::size_t>(length));
  auto put = [record](DWORD at, DWORD v) {
    record[at] = static_cast<BYTE>(v);
    record[at + 1] = static_cast<BYTE>(v >> 8);
    record[at + 2] = static_cast<BYTE>(v >> 16);
    record[at + 3] = static_cast<BYTE>(v >> 24);
  };
  record[0] = kOpImage;
  record[1] = static_cast<BYTE>(kWindowFlags >> 16);
  record[2] = static_cast<BYTE>(kWindowFlags);
  record[3] = static_cast<BYTE>(kWindowFlags >> 8);
  put(4, static_cast<DWORD>(length));
  put(8, static_cast<DWORD>(x));
  put(12, static_cast<DWORD>(y));
  put(16, static_cast<DWORD>(x + width));
  put(20, static_cast<DWORD>(y + height));
  put(32, static_cast<DWORD>(width));
  put(36, static_cast<DWORD>(height));
  put(40, static_cast<DWORD>(x));
  put(44, static_cast<DWORD>(y));
  put(48, static_cast<DWORD>(width));
  put(52, static_cast<DWORD>(height));
  const BYTE* scan0 = static_cast<const BYTE*>(source->pvScan0);
  for (LONG r = 0; r < height; ++r) {
    const BYTE* row = scan0 + static_cast<std::ptrdiff_t>(from.y + r) * source->lDelta + from.x * 3;
    std::memcpy(record + kImageHeaderLength + r * stride, row, static_cast<std::size_t>(width) * 3);
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
  const BYTE* palette = PaletteAndHost(imageFormat, imageFormat != source->iBitmapFormat ? nullptr : xlate, room,
                                       &flags);
  if (!palette) flags |= IMAGE_NO_PALETTE;
  // The rows sent are those the source holds: a work surface reduced to the part of the
  // source beyond the source point is never read past its end.
  PlaceImage(device, x, y, width, height, 0, 0, static_cast<DWORD>(rowsWide), static_cast<DWORD>(rows), flags, image,
             palette);
  DeleteWorkSurface(&work);
  return TRUE;
}

}  // namespace rendara
