// Placing a source bitmap on the page as an image record: the pixel format the printer
// takes, the palette of an indexed source, and the conversion of a source the printer
// cannot take as it is (another pixel format, another size, a mask) through a work
// surface of the engine.
#pragma once

#include "win/winddi.h"

namespace rendara {

struct RenderDevice;

// Image flags: the format nibble and the flags of bytes 2, 3 and 1 of the image record.
constexpr DWORD IMAGE_1BPP = 0;
constexpr DWORD IMAGE_4BPP = 1;
constexpr DWORD IMAGE_8BPP = 2;
constexpr DWORD IMAGE_24BPP = 4;
constexpr DWORD IMAGE_NO_PALETTE = 0x20;
constexpr DWORD IMAGE_FROM_BLT = 0x80;
constexpr DWORD IMAGE_HOST_MATCHED = 0x800;
constexpr DWORD IMAGE_REDUCED = 0x20000;

// What the printer takes of a source format: the image format nibble, the engine format of
// a work surface, and whether the source must be converted to it.
struct ImageFormat {
  DWORD nibble;
  ULONG workFormat;
  bool convert;
};
ImageFormat ImageFormatOf(ULONG bitmapFormat);

// An engine bitmap made for one call: top-down, not zero-filled, associated with the
// device and locked.
struct WorkSurface {
  HSURF handle = nullptr;
  SURFOBJ* surface = nullptr;
};
// Rows of (width x bits + 7) / 8 bytes rounded up to 4 (width x 4 at 32 bits). FALSE when
// the engine cannot make it.
BOOL CreateWorkSurface(RenderDevice* device, LONG width, LONG height, ULONG format, WorkSurface* out);
void DeleteWorkSurface(WorkSurface* work);

// An indexed source whose translation maps entry i of its 2, 16 or 256 entries exactly to
// the grey i x 255 / (count - 1).
bool IsIdentityGrey(ULONG bitmapFormat, XLATEOBJ* xlate);
// The image palette of an indexed source (three low bytes of each translated entry, lowest
// first) into `out` (768 bytes of room): its length, 0 when none is sent.
DWORD ImagePalette(ULONG bitmapFormat, XLATEOBJ* xlate, BYTE* out);

// The image path of DrvBitBlt: the source at the source point, 1:1 into the target
// rectangle; a mask code (0xAACC, 0xCCAA with a mask) first writes the mask image.
BOOL ImageBlt(RenderDevice* device, XLATEOBJ* xlate, SURFOBJ* source, POINTL* sourcePoint, RECTL* targetRect,
              SURFOBJ* mask, POINTL* maskPoint, ROP4 rop4);
// The image path of DrvCopyBits.
BOOL ImageCopy(RenderDevice* device, XLATEOBJ* xlate, SURFOBJ* source, POINTL* sourcePoint, RECTL* targetRect);
// A 24-bit window of the source at the source point written as one image record whose rows
// are copied from the source. FALSE when the source is not 24 bits, does not hold the whole
// window, or no room could be had.
BOOL ImageCopyWindow(RenderDevice* device, SURFOBJ* source, POINTL* sourcePoint, RECTL* targetRect);

// The image path of the stretch calls: the source rectangle (clamped to the bitmap) into
// the target rectangle; a mask code first writes the mask image. A source the printer
// cannot take as it is goes through a work surface: of the destination size when a true
// colour source is reduced, else of the source size; when none can be had, rows are sent
// one by one (8, 24 and 32 bits) or the source is reduced to a half up to a fifth.
BOOL ImageStretch(RenderDevice* device, XLATEOBJ* xlate, SURFOBJ* source, COLORADJUSTMENT* adjustment,
                  POINTL* halftoneOrigin, RECTL* targetRect, RECTL* sourceRect, SURFOBJ* mask, POINTL* maskPoint,
                  ROP4 rop4);
// The image of an 8-, 24- or 32-bit source written row by row without a work surface: the
// header first, then each row of the source rectangle as a request of its own (32-bit
// rows through a one-row 24-bit surface, halved when the image is reduced or very large).
BOOL ImageScaledRows(RenderDevice* device, SURFOBJ* source, RECTL* targetRect, RECTL* sourceRect, XLATEOBJ* xlate,
                     COLORADJUSTMENT* adjustment, POINTL* halftoneOrigin, bool identityGrey);

}  // namespace rendara
