// Bit-block transfers in vector mode: a call either fills its rectangle with the call's
// brush and raster operation (a fill rectangle, or span lists for a complex clip) or
// places its source bitmap as an image.
#pragma once

#include "record_buffer.h"
#include "win/winddi.h"

namespace rendara {

struct RenderDevice;

// Enumerates the clip as rectangles and writes every row of each as a span {y, left,
// right - 1} in span records of at most 2000 entries; 12-byte entries when any coordinate
// of the target exceeds 32767, else 6-byte ones. FALSE when there are no spans or a
// record could not be written.
BOOL WriteSpans(RecordBuffer* buffer, CLIPOBJ* clip, const RECTL* target);

// The bodies of DrvBitBlt, DrvStretchBlt, DrvStretchBltROP and DrvCopyBits (each checks its device itself).
BOOL BitBlt(SURFOBJ* target, SURFOBJ* source, SURFOBJ* mask, CLIPOBJ* clip, XLATEOBJ* xlate, RECTL* targetRect,
            POINTL* sourcePoint, POINTL* maskPoint, BRUSHOBJ* brush, POINTL* brushOrigin, ROP4 rop4);
BOOL StretchBlt(SURFOBJ* target, SURFOBJ* source, SURFOBJ* mask, CLIPOBJ* clip, XLATEOBJ* xlate,
                COLORADJUSTMENT* adjustment, POINTL* halftoneOrigin, RECTL* targetRect, RECTL* sourceRect,
                POINTL* maskPoint, ULONG mode);
BOOL StretchBltRop(SURFOBJ* target, SURFOBJ* source, SURFOBJ* mask, CLIPOBJ* clip, XLATEOBJ* xlate,
                   COLORADJUSTMENT* adjustment, POINTL* halftoneOrigin, RECTL* targetRect, RECTL* sourceRect,
                   POINTL* maskPoint, ULONG mode, BRUSHOBJ* brush, DWORD rop4);
BOOL CopyBits(SURFOBJ* target, SURFOBJ* source, CLIPOBJ* clip, XLATEOBJ* xlate, RECTL* targetRect,
              POINTL* sourcePoint);

}  // namespace rendara
