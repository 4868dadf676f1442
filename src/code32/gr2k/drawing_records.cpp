#include "drawing_records.h"

#include <cstring>
#include <limits>

#include "page_records.h"

namespace rendara {

namespace {

// A record of exactly n bytes, all zero but its opcode.
BYTE* NewRecord(RecordBuffer* buffer, DWORD n, BYTE opcode) {
  BYTE* record = AllocRecord(buffer, n);
  if (!record) return nullptr;
  std::memset(record, 0, n);
  record[0] = opcode;
  return record;
}

// A four-byte record {opcode, value, 0, 0}.
BYTE* ShortRecord(RecordBuffer* buffer, BYTE opcode, BYTE value) {
  BYTE* record = NewRecord(buffer, 4, opcode);
  if (record) record[1] = value;
  return record;
}

void PutColor(BYTE* p, DWORD color) {
  p[0] = static_cast<BYTE>(color);
  p[1] = static_cast<BYTE>(color >> 8);
  p[2] = static_cast<BYTE>(color >> 16);
}

void PutRect(BYTE* p, const RECTL& r) {
  PutU32(p, static_cast<DWORD>(r.left));
  PutU32(p + 4, static_cast<DWORD>(r.top));
  PutU32(p + 8, static_cast<DWORD>(r.right));
  PutU32(p + 12, static_cast<DWORD>(r.bottom));
}

bool FitsI16(std::int32_t v) {
  return v >= std::numeric_limits<std::int16_t>::min() && v <= std::numeric_limits<std::int16_t>::max();
}

}  // namespace

BYTE* EmitColor(RecordBuffer* buffer, const ColorDesc* desc) {
  if (!desc) return nullptr;
  const bool background = desc->backgroundMode == BKMODE_OPAQUE;
  const bool third = desc->thirdPresent != 0;
  const DWORD length = ColorRecordLength(1 + (background ? 1 : 0) + (third ? 1 : 0));
  BYTE* record = NewRecord(buffer, length, kOpColor);
  if (!record) return nullptr;
  record[1] = static_cast<BYTE>(length);
  BYTE flags = COLORREC_ALWAYS;
  if (background) flags |= COLORREC_BACKGROUND;
  if (third) flags |= COLORREC_THIRD;
  if (desc->drawingKind == DRAW_TEXT) flags |= COLORREC_TEXT;
  if (desc->hostMatched) flags |= COLORREC_HOST_MATCHED;
  record[2] = flags;
  PutColor(record + 4, desc->foregroundColor);
  DWORD at = 7;
  if (background) {
    PutColor(record + at, desc->backgroundColor);
    at += 3;
  }
  if (third) PutColor(record + at, desc->thirdColor);
  return record;
}

BYTE* EmitRop(RecordBuffer* buffer, BYTE rop) { return ShortRecord(buffer, kOpRop, rop == 0xF0 ? 0xCC : rop); }

BYTE* EmitPaintMode(RecordBuffer* buffer, BYTE mode) { return ShortRecord(buffer, kOpPaintMode, mode); }

BYTE* EmitPenShape(RecordBuffer* buffer, WORD width, DWORD mask, BYTE unit) {
  BYTE* record = NewRecord(buffer, 8, kOpPenShape);
  if (!record) return nullptr;
  record[1] = unit;
  PutU16(record + 2, width);
  PutU32(record + 4, mask);
  return record;
}

BYTE* EmitPenPhase(RecordBuffer* buffer, BYTE phase) { return ShortRecord(buffer, kOpPenPhase, phase); }

BYTE* EmitLineCap(RecordBuffer* buffer, BYTE cap) { return ShortRecord(buffer, kOpLineCap, cap); }

BYTE* EmitLineJoin(RecordBuffer* buffer, BYTE join, DWORD miter) {
  BYTE* record = NewRecord(buffer, 8, kOpLineJoin);
  if (!record) return nullptr;
  record[1] = join;
  PutU32(record + 4, miter);
  return record;
}

BYTE* EmitClipReset(RecordBuffer* buffer) { return ShortRecord(buffer, kOpClipReset, 0); }

BYTE* EmitBrush(RecordBuffer* buffer, const RealizedBrush* brush) {
  if (!brush) return nullptr;
  BYTE flags = brush->hostMatched ? BRUSHREC_HOST_MATCHED : 0;
  if (brush->kind == BRUSH_SOLID) {
    BYTE* record = NewRecord(buffer, BrushRecordLength(0), kOpBrush);
    if (!record) return nullptr;
    record[1] = flags;
    record[3] = 1;
    return record;
  }
  if (brush->kind != BRUSH_PATTERN_1BPP && brush->kind != BRUSH_PATTERN_24BPP) return nullptr;
  if (brush->bitsPerPixel != 1 && brush->bitsPerPixel != 24) return nullptr;
  const DWORD side = brush->side;
  if (side != 16 && side != 32 && side != 64) return nullptr;
  const DWORD dataLength = brush->bitsPerPixel == 1 ? side * side / 8 : side * side * 3;
  BYTE* record = NewRecord(buffer, BrushRecordLength(dataLength), kOpBrush);
  if (!record) return nullptr;
  flags |= BRUSHREC_PATTERN;
  if (brush->bitsPerPixel == 24) flags |= BRUSHREC_24BPP;
  record[1] = flags;
  record[2] = static_cast<BYTE>(side);
  record[3] = 1;
  PutU16(record + 4, static_cast<WORD>(dataLength));
  std::memcpy(record + 6, brush->Pattern(), dataLength);
  return record;
}

BYTE* EmitFillRect(RecordBuffer* buffer, const RECTL* rect, const RECTL* second, BYTE kind) {
  if (!rect || (kind != RECT_FILL && kind != RECT_CLIP) || (kind == RECT_FILL && !second)) return nullptr;
  const DWORD length = kind == RECT_FILL ? kFillRectLength : kClipRectLength;
  BYTE* record = NewRecord(buffer, length, kOpRect);
  if (!record) return nullptr;
  record[2] = kind;
  PutU32(record + 4, length);
  PutRect(record + 8, *rect);
  if (kind == RECT_FILL) PutRect(record + 24, *second);
  return record;
}

BYTE* EmitClipRect(RecordBuffer* buffer, const RECTL* rect) { return EmitFillRect(buffer, rect, nullptr, RECT_CLIP); }

void PutPathHeader(BYTE* record, bool curves, BYTE mode, DWORD length, const RECTFX& bounds, DWORD sizeWord) {
  if (!record) return;
  record[0] = curves ? kOpPathCurves : kOpPathLines;
  record[1] = 0;
  record[2] = mode;
  record[3] = 0;
  PutU32(record + 4, length);
  PutU32(record + 8, static_cast<DWORD>(bounds.xLeft >> 4));
  PutU32(record + 12, static_cast<DWORD>(bounds.yTop >> 4));
  PutU32(record + 16, static_cast<DWORD>(bounds.xRight >> 4));
  PutU32(record + 20, static_cast<DWORD>(bounds.yBottom >> 4));
  PutU32(record + 24, sizeWord);
}

BYTE* EmitSpans(RecordBuffer* buffer, DWORD entryBytes, BYTE flags, const RECTL* target, const BYTE* entries) {
  const DWORD entrySize = (flags & SPANS_WIDE) ? kSpanEntryWide : kSpanEntryNarrow;
  if (!target || !entries || entryBytes == 0 || entryBytes % entrySize != 0 ||
      entryBytes / entrySize > kSpansPerRecord)
    return nullptr;
  const DWORD length = SpanRecordLength(entryBytes);
  BYTE* record = NewRecord(buffer, length, kOpSpans);
  if (!record) return nullptr;
  record[2] = flags;
  PutU32(record + 4, length);
  PutRect(record + 8, *target);
  std::memcpy(record + kSpanHeaderLength, entries, entryBytes);
  return record;
}

BYTE* EmitSpanList(RecordBuffer* buffer, const RECTL* target, const Span* spans, DWORD count, bool wide) {
  if (!target || !spans || count == 0) return nullptr;
  if (!wide) {
    for (DWORD i = 0; i < count; ++i)
      if (!FitsI16(spans[i].y) || !FitsI16(spans[i].firstX) || !FitsI16(spans[i].lastX)) return nullptr;
  }
  const DWORD entrySize = wide ? kSpanEntryWide : kSpanEntryNarrow;
  const DWORD records = (count - 1) / kSpansPerRecord + 1;
  // Every record but the last holds 2000 entries; the sizes are bounded by the count,
  // which the caller's memory already holds.
  const std::uint64_t total = static_cast<std::uint64_t>(records - 1) * SpanRecordLength(kSpansPerRecord * entrySize) +
                              SpanRecordLength((count - (records - 1) * kSpansPerRecord) * entrySize);
  if (total > std::numeric_limits<DWORD>::max()) return nullptr;
  BYTE* first = AllocRecord(buffer, static_cast<DWORD>(total));
  if (!first) return nullptr;
  BYTE* record = first;
  for (DWORD r = 0; r < records; ++r) {
    const DWORD n = r + 1 < records ? kSpansPerRecord : count - r * kSpansPerRecord;
    const DWORD length = SpanRecordLength(n * entrySize);
    std::memset(record, 0, length);
    record[0] = kOpSpans;
    BYTE flags = records == 1 ? (SPANS_FIRST | SPANS_LAST)
                 : r == 0     ? SPANS_FIRST
                 : r + 1 < records ? SPANS_CONTINUED
                                   : (SPANS_CONTINUED | SPANS_LAST);
    if (wide) flags |= SPANS_WIDE;
    record[2] = flags;
    PutU32(record + 4, length);
    PutRect(record + 8, *target);
    BYTE* entry = record + kSpanHeaderLength;
    for (DWORD i = 0; i < n; ++i) {
      const Span& s = spans[r * kSpansPerRecord + i];
      if (wide) {
        PutU32(entry, static_cast<DWORD>(s.y));
        PutU32(entry + 4, static_cast<DWORD>(s.firstX));
        PutU32(entry + 8, static_cast<DWORD>(s.lastX));
      } else {
        PutU16(entry, static_cast<WORD>(s.y));
        PutU16(entry + 2, static_cast<WORD>(s.firstX));
        PutU16(entry + 4, static_cast<WORD>(s.lastX));
      }
      entry += entrySize;
    }
    record += length;
  }
  return first;
}

}  // namespace rendara
