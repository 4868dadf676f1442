#include "bitblt.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "clip_records.h"
#include "colour_state.h"
#include "drawing_records.h"
#include "graphics_state.h"
#include "image_transfer.h"
#include "path_records.h"
#include "render_device.h"
#include "win/errors.h"

namespace rendara {

namespace {

constexpr ROP4 kLeaveDestination = 0xAAAA;
constexpr ROP4 kSourceCopyMasked = 0xCCAA;
constexpr LONG kNarrowLimit = 32767;

// The prologue every transfer starts with: false when the call is already answered.
bool Begin(SURFOBJ* target, RenderDevice** device, BOOL* answer) {
  *device = DeviceOfSurface(target);
  if (!*device) {
    SetLastError(ERROR_INVALID_PARAMETER);
    *answer = FALSE;
    return false;
  }
  if ((*device)->hiddenFunc18) {  // drawing suppressed
    *answer = TRUE;
    return false;
  }
  if ((*device)->jobFlags & JOB_OUTPUT_FAILED) {
    *answer = FALSE;
    return false;
  }
  return true;
}

// The device's solid brush in a colour.
RealizedBrush* SolidBrush(RenderDevice* device, DWORD colour) {
  RealizedBrush* b = &device->solidBrush;
  b->kind = BRUSH_SOLID;
  b->firstColor = colour;
  b->secondColor = 0xFFFFFF;
  b->hostMatched = 0;
  return b;
}

// Spans gathered for one record, in the record's byte form.
class SpanWriter {
 public:
  SpanWriter(RecordBuffer* buffer, const RECTL* target, bool wide)
      : buffer_(buffer), target_(target), wide_(wide), entrySize_(wide ? kSpanEntryWide : kSpanEntryNarrow) {
    bytes_.reserve(kSpansPerRecord * entrySize_);
  }
  bool Add(LONG y, LONG first, LONG last) {
    if (held_ == kSpansPerRecord && !Write(written_ ? SPANS_CONTINUED : SPANS_FIRST)) return false;
    const LONG v[3] = {y, first, last};
    for (LONG value : v) {
      const DWORD u = static_cast<DWORD>(value);
      bytes_.push_back(static_cast<BYTE>(u));
      bytes_.push_back(static_cast<BYTE>(u >> 8));
      if (wide_) {
        bytes_.push_back(static_cast<BYTE>(u >> 16));
        bytes_.push_back(static_cast<BYTE>(u >> 24));
      }
    }
    ++held_;
    return true;
  }
  bool Finish() { return held_ != 0 && Write(static_cast<BYTE>((written_ ? SPANS_CONTINUED : SPANS_FIRST) | SPANS_LAST)); }

 private:
  bool Write(BYTE flags) {
    if (wide_) flags |= SPANS_WIDE;
    if (!EmitSpans(buffer_, held_ * entrySize_, flags, target_, bytes_.data())) return false;
    written_ = true;
    held_ = 0;
    bytes_.clear();
    return true;
  }
  RecordBuffer* buffer_;
  const RECTL* target_;
  bool wide_;
  DWORD entrySize_;
  std::vector<BYTE> bytes_;
  DWORD held_ = 0;
  bool written_ = false;
};

// The fill path of DrvBitBlt: the brush, colour, background mode and raster operation of
// the call, then its rectangle.
BOOL FillBlt(RenderDevice* device, SURFOBJ* target, CLIPOBJ* clip, RECTL* targetRect, BRUSHOBJ* brush,
             POINTL* brushOrigin, ROP4 rop4) {
  const BYTE code = static_cast<BYTE>(rop4 & 0xFF);
  RealizedBrush* realized = nullptr;
  if (code == 0x00)
    realized = SolidBrush(device, 0);
  else if (code == 0xFF || (code == 0x55 && !brush))
    realized = SolidBrush(device, 0xFFFFFF);
  else
    realized = LookupBrush(device, target, brush, brushOrigin);
  if (!SendBrush(device, realized)) return FALSE;

  ColorDesc desc{};
  MakeColorDesc(device, RopToMix(rop4), &desc, 0);
  desc.foregroundColor = realized->firstColor;
  desc.backgroundColor = realized->secondColor;
  desc.drawingKind = DRAW_FILL_PATH;  // SendColor puts the bytes in the record's order
  desc.hostMatched = realized->hostMatched;
  if (!SendColor(device, &desc)) return FALSE;
  if (!SendPaintMode(device, static_cast<BYTE>(desc.backgroundMode))) return FALSE;
  if (!SendRop(device, MixToRop(RopToMix(code) & 0xFF))) return FALSE;

  if (device->hidden2Func11 && clip && clip->iDComplexity == DC_COMPLEX) {
    if (PATHOBJ* path = CLIPOBJ_ppoGetPath(clip)) {
      const bool spans = PathTooComplex(device, path) && RemoveClip(device) &&
                         WriteSpans(&device->records, clip, targetRect);
      EngDeletePath(path);
      if (spans) return TRUE;
    }
  }
  if (SetClip(device, clip) == kClipFailed) return FALSE;
  return EmitFillRect(&device->records, targetRect, targetRect, RECT_FILL) ? TRUE : FALSE;
}

// The image path of DrvBitBlt: the colours of the brush (or white), the background mode
// and raster operation of the call, then the source as an image.
BOOL ImageBltPath(RenderDevice* device, SURFOBJ* target, SURFOBJ* source, SURFOBJ* mask, CLIPOBJ* clip,
                  XLATEOBJ* xlate, RECTL* targetRect, POINTL* sourcePoint, POINTL* maskPoint, BRUSHOBJ* brush,
                  POINTL* brushOrigin, ROP4 rop4) {
  const BYTE code = static_cast<BYTE>(rop4 & 0xFF);
  ColorDesc desc{};
  desc.foregroundMix = 11;
  desc.foregroundColor = desc.backgroundColor = 0xFFFFFF;
  if (brush) {
    RealizedBrush* realized = LookupBrush(device, target, brush, brushOrigin);
    if (!SendBrush(device, realized)) return FALSE;
    desc.foregroundColor = realized->firstColor;
    desc.backgroundColor = realized->secondColor;
    desc.hostMatched = realized->hostMatched;
  }
  const BYTE mode = ((rop4 >> 8) & 0xFF) == 0xAA ? BKMODE_TRANSPARENT : BKMODE_OPAQUE;
  if (!SendPaintMode(device, mode)) return FALSE;
  if (!SendRop(device, (rop4 == kSourceCopyMasked && !mask) ? 0xCC : code)) return FALSE;
  desc.drawingKind = DRAW_BITBLT;  // SendColor puts the bytes in the record's order
  if (!SendColor(device, &desc)) return FALSE;
  if (SetClip(device, clip) == kClipFailed) return FALSE;
  return ImageBlt(device, xlate, source, sourcePoint, targetRect, mask, maskPoint, rop4);
}

}  // namespace

BOOL WriteSpans(RecordBuffer* buffer, CLIPOBJ* clip, const RECTL* target) {
  if (!buffer || !clip || !target) return FALSE;
  const bool wide = target->left > kNarrowLimit || target->top > kNarrowLimit || target->right > kNarrowLimit ||
                    target->bottom > kNarrowLimit;
  // A list that cannot be finished is taken out whole, so that the caller's fill of the
  // rectangle is not drawn over a part of it.
  const RecordMark mark = MarkRecords(buffer);
  SpanWriter writer(buffer, target, wide);
  CLIPOBJ_cEnumStart(clip, FALSE, CT_RECTANGLES, CD_ANY, 0);
  struct {
    ULONG c;
    RECTL rect;
  } one{};
  BOOL more = TRUE;
  while (more) {
    one.c = 0;
    more = CLIPOBJ_bEnum(clip, sizeof one, reinterpret_cast<ULONG*>(&one));
    if (one.c == 0) continue;
    const LONG left = std::min(one.rect.left, one.rect.right);
    const LONG right = std::max(one.rect.left, one.rect.right);
    const LONG top = std::min(one.rect.top, one.rect.bottom);
    const LONG bottom = std::max(one.rect.top, one.rect.bottom);
    const LONG lastRow = std::max<LONG>(bottom - 1, 0);
    const LONG lastColumn = std::max<LONG>(right - 1, 0);
    for (LONG y = top; y <= lastRow; ++y) {
      if (!writer.Add(y, left, lastColumn)) {
        DropToMark(buffer, mark);
        return FALSE;
      }
    }
  }
  if (writer.Finish()) return TRUE;
  DropToMark(buffer, mark);
  return FALSE;
}

BOOL BitBlt(SURFOBJ* target, SURFOBJ* source, SURFOBJ* mask, CLIPOBJ* clip, XLATEOBJ* xlate, RECTL* targetRect,
            POINTL* sourcePoint, POINTL* maskPoint, BRUSHOBJ* brush, POINTL* brushOrigin, ROP4 rop4) {
  RenderDevice* device = nullptr;
  BOOL answer = FALSE;
  if (!Begin(target, &device, &answer)) return answer;
  if (device->rasterMode)
    return EngBitBlt(target, source, mask, clip, xlate, targetRect, sourcePoint, maskPoint, brush, brushOrigin, rop4);
  if (rop4 == kLeaveDestination) return TRUE;
  if (!targetRect) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const BYTE code = static_cast<BYTE>(rop4 & 0xFF);
  if (source && code != 0x00 && code != 0xFF)
    return ImageBltPath(device, target, source, mask, clip, xlate, targetRect, sourcePoint, maskPoint, brush,
                        brushOrigin, rop4);
  return FillBlt(device, target, clip, targetRect, brush, brushOrigin, rop4);
}

BOOL StretchBlt(SURFOBJ* target, SURFOBJ* source, SURFOBJ* mask, CLIPOBJ* clip, XLATEOBJ* xlate,
                COLORADJUSTMENT* adjustment, POINTL* halftoneOrigin, RECTL* targetRect, RECTL* sourceRect,
                POINTL* maskPoint, ULONG mode) {
  RenderDevice* device = nullptr;
  BOOL answer = FALSE;
  if (!Begin(target, &device, &answer)) return answer;
  const bool monochrome = device->colorProcess == 1 && device->color == 1;
  if (device->rasterMode)
    return EngStretchBlt(target, source, mask, clip, xlate, adjustment, halftoneOrigin, targetRect, sourceRect,
                         maskPoint, monochrome ? HALFTONE : mode);
  if (!source || source->iType != STYPE_BITMAP) return FALSE;
  if (device->hiddenFunc30 && monochrome) {
    COLORADJUSTMENT standard{sizeof(COLORADJUSTMENT), 0, 0, 10000, 10000, 10000, 0, 10000, 0, 0, 0, 0};
    return EngStretchBlt(target, source, mask, clip, xlate, adjustment ? adjustment : &standard, halftoneOrigin,
                         targetRect, sourceRect, maskPoint, HALFTONE);
  }
  if (SetClip(device, clip) == kClipFailed) return FALSE;
  if (!SendRop(device, 0xCC)) return FALSE;
  return ImageStretch(device, xlate, source, adjustment, halftoneOrigin, targetRect, sourceRect, mask, maskPoint,
                      mask ? kSourceCopyMasked : 0xCCCC);
}

BOOL StretchBltRop(SURFOBJ* target, SURFOBJ* source, SURFOBJ* mask, CLIPOBJ* clip, XLATEOBJ* xlate,
                   COLORADJUSTMENT* adjustment, POINTL* halftoneOrigin, RECTL* targetRect, RECTL* sourceRect,
                   POINTL* maskPoint, ULONG, BRUSHOBJ* brush, DWORD rop4) {
  RenderDevice* device = nullptr;
  BOOL answer = FALSE;
  if (!Begin(target, &device, &answer)) return answer;
  if (!source || source->iType != STYPE_BITMAP) return FALSE;
  ColorDesc desc{};
  desc.backgroundMode = ((rop4 >> 8) & 0xFF) == 0xAA ? BKMODE_TRANSPARENT : BKMODE_OPAQUE;
  if (!SendPaintMode(device, static_cast<BYTE>(desc.backgroundMode))) return FALSE;
  desc.foregroundColor = desc.backgroundColor = 0xFFFFFF;
  if (brush) {
    RealizedBrush* realized = LookupBrush(device, target, brush, nullptr);
    if (!SendBrush(device, realized)) return FALSE;
    desc.foregroundColor = realized->firstColor;
    desc.backgroundColor = realized->secondColor;
    desc.hostMatched = realized->hostMatched;
  }
  desc.drawingKind = DRAW_BITBLT;  // SendColor puts the bytes in the record's order
  if (!SendColor(device, &desc)) return FALSE;
  if (!SendRop(device, (rop4 == kSourceCopyMasked && !mask) ? 0xCC : static_cast<BYTE>(rop4 & 0xFF))) return FALSE;
  if (SetClip(device, clip) == kClipFailed) return FALSE;
  return ImageStretch(device, xlate, source, adjustment, halftoneOrigin, targetRect, sourceRect, mask, maskPoint,
                      rop4);
}

BOOL CopyBits(SURFOBJ* target, SURFOBJ* source, CLIPOBJ* clip, XLATEOBJ* xlate, RECTL* targetRect,
              POINTL* sourcePoint) {
  if (source && source->iType != STYPE_BITMAP)  // a device surface cannot be read back
    return EngEraseSurface(target, targetRect, 0xFFFFFFFFu);
  if (!target || target->iType != STYPE_DEVICE) return FALSE;
  RenderDevice* device = nullptr;
  BOOL answer = FALSE;
  if (!Begin(target, &device, &answer)) return answer;
  if (!source || !targetRect) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!SendRop(device, 0xCC)) return FALSE;
  if (SetClip(device, clip) == kClipFailed) return FALSE;
  return ImageCopy(device, xlate, source, sourcePoint, targetRect);
}

}  // namespace rendara
