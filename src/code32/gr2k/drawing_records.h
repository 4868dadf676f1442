// The state, shape and clip records of the drawing-record stream: colour (0x30), raster
// operation (0x31), background mode (0x32), the pen records (0x33 to 0x36), clip reset
// (0x37), brush (0x40), fill or clip rectangle (0x10) and span list (0x13). The page
// records are in page_records.h, the path record is written by the path writer.
//
// Every record starts with its opcode, is a whole number of 4-byte words long, and has
// its multi-byte fields little-endian; reserved bytes and padding are 0. Each encoder
// asks the record buffer for exactly its room and returns the record, or null when no
// room could be had; nothing is written then.
#pragma once

#include <cstdint>

#include "colour_state.h"
#include "realized_brush.h"
#include "record_buffer.h"
#include "win/devmode.h"
#include "win/types.h"
#include "win/winddi.h"

namespace rendara {

constexpr BYTE kOpRect = 0x10;
constexpr BYTE kOpPathCurves = 0x11;
constexpr BYTE kOpPathLines = 0x12;
constexpr BYTE kOpSpans = 0x13;
constexpr BYTE kOpColor = 0x30;
constexpr BYTE kOpRop = 0x31;
constexpr BYTE kOpPaintMode = 0x32;
constexpr BYTE kOpPenShape = 0x33;
constexpr BYTE kOpPenPhase = 0x34;
constexpr BYTE kOpLineCap = 0x35;
constexpr BYTE kOpLineJoin = 0x36;
constexpr BYTE kOpClipReset = 0x37;
constexpr BYTE kOpBrush = 0x40;

// Colour record flags.
constexpr BYTE COLORREC_ALWAYS = 0x01;
constexpr BYTE COLORREC_BACKGROUND = 0x08;
constexpr BYTE COLORREC_THIRD = 0x10;
constexpr BYTE COLORREC_TEXT = 0x40;
constexpr BYTE COLORREC_HOST_MATCHED = 0x80;

// Brush record flags.
constexpr BYTE BRUSHREC_24BPP = 0x01;
constexpr BYTE BRUSHREC_HOST_MATCHED = 0x40;
constexpr BYTE BRUSHREC_PATTERN = 0x80;

// Rectangle record kinds and lengths.
constexpr BYTE RECT_FILL = 1;
constexpr BYTE RECT_CLIP = 5;
constexpr DWORD kFillRectLength = 40;
constexpr DWORD kClipRectLength = 24;

// Span list flags, sizes and limits.
constexpr BYTE SPANS_FIRST = 0x02;
constexpr BYTE SPANS_CONTINUED = 0x04;
constexpr BYTE SPANS_LAST = 0x08;
constexpr BYTE SPANS_WIDE = 0x10;  // 32-bit entries
constexpr DWORD kSpanHeaderLength = 24;
constexpr DWORD kSpanEntryNarrow = 6;   // three i16
constexpr DWORD kSpanEntryWide = 12;    // three i32
constexpr DWORD kSpansPerRecord = 2000;

// Path records: mode values in bits 0 to 2 of byte 2, and its two flags.
constexpr BYTE PATH_STROKE = 0;
constexpr BYTE PATH_FILL_ALTERNATE = 1;
constexpr BYTE PATH_FILL_WINDING = 2;
constexpr BYTE PATH_STROKE_FILL_ALTERNATE = 3;
constexpr BYTE PATH_STROKE_FILL_WINDING = 4;
constexpr BYTE PATH_SET_CLIP = 5;
constexpr BYTE PATH_CLOSED = 0x08;    // at least one subpath is closed
constexpr BYTE PATH_SUBPATHS = 0x10;  // the record holds several subpaths
// Layout: a 28-byte header, then per subpath a u32 segment count and the start point
// (i32 x, i32 y), then its segments: straight {i32 0, x, y}, Bezier {i32 1, x1, y1, x2,
// y2, x3, y3}. Points are 28.4 fixed point; the bounds in the header are whole pixels.
constexpr DWORD kPathHeaderLength = 28;
constexpr DWORD kSubpathHeaderLength = 12;
constexpr DWORD kLineSegmentLength = 12;
constexpr DWORD kBezierSegmentLength = 28;
// The size word: 3 per straight segment, 7 per Bezier segment, 3 per subpath end that
// more path data follows, and 3; one more when there is such a subpath end.
constexpr DWORD PathSizeWord(DWORD straight, DWORD beziers, DWORD subpathEnds) {
  return 3 * straight + 7 * beziers + 3 * subpathEnds + 3 + (subpathEnds ? 1 : 0);
}
// Fills the 28-byte header of a path record whose subpaths are already in place behind
// it: opcode 0x11 with `curves` else 0x12, the mode byte (mode and flags), the length,
// the engine's fixed-point bounds shifted right by 4 and the size word.
void PutPathHeader(BYTE* record, bool curves, BYTE mode, DWORD length, const RECTFX& bounds, DWORD sizeWord);

// The length of a colour record with `colours` colours (1 to 3): 8, 12 or 16.
constexpr DWORD ColorRecordLength(DWORD colours) { return (3 * colours + 7) & ~3u; }
// The length of a brush record with `dataLength` pattern bytes.
constexpr DWORD BrushRecordLength(DWORD dataLength) { return (dataLength + 9) & ~3u; }
// The length of a span record with `entryBytes` bytes of entries.
constexpr DWORD SpanRecordLength(DWORD entryBytes) { return (entryBytes + 27) & ~3u; }

// The colour description's colours are written as they stand, each as its three low bytes
// lowest first: the description is expected to have been through SwapColorBytes. The
// background colour goes in when the background mode is opaque, the third colour when it
// is present; the text kind and the host-matched flag become flags.
BYTE* EmitColor(RecordBuffer* buffer, const ColorDesc* desc);
// A raster operation of 0xF0 is written as 0xCC.
BYTE* EmitRop(RecordBuffer* buffer, BYTE rop);
BYTE* EmitPaintMode(RecordBuffer* buffer, BYTE mode);
BYTE* EmitPenShape(RecordBuffer* buffer, WORD width, DWORD mask, BYTE unit);
BYTE* EmitPenPhase(RecordBuffer* buffer, BYTE phase);
BYTE* EmitLineCap(RecordBuffer* buffer, BYTE cap);
// `miter` is the miter limit x 256 (2560 for the default limit of 10).
BYTE* EmitLineJoin(RecordBuffer* buffer, BYTE join, DWORD miter);
BYTE* EmitClipReset(RecordBuffer* buffer);
// Null for a brush of another kind, a pattern of a depth other than 1 or 24 bits, or a
// pattern side other than 16, 32 or 64.
BYTE* EmitBrush(RecordBuffer* buffer, const RealizedBrush* brush);
// Kind RECT_FILL writes 40 bytes with both rectangles; RECT_CLIP writes 24 bytes with the
// first. Null for any other kind.
BYTE* EmitFillRect(RecordBuffer* buffer, const RECTL* rect, const RECTL* second, BYTE kind);
BYTE* EmitClipRect(RecordBuffer* buffer, const RECTL* rect);
// One span record of `entryBytes` bytes of entries (6 or, with SPANS_WIDE, 12 bytes
// each, already little-endian). Null when there are no entries, when the byte length is
// not a whole number of entries or when it holds more than 2000.
BYTE* EmitSpans(RecordBuffer* buffer, DWORD entryBytes, BYTE flags, const RECTL* target, const BYTE* entries);

// A span {y, first x, last x}, all inclusive.
struct Span {
  std::int32_t y;
  std::int32_t firstX;
  std::int32_t lastX;
};
// A whole span list: one record with flags 0x0A when it fits, else records of 2000
// entries (0x02, then 0x04) and a last one with the rest (0x0C); SPANS_WIDE is added to
// each with `wide`. The records are reserved together, so the list is written whole or
// not at all. Returns the first record, or null when there are no spans, when a span
// does not fit 16 bits without `wide`, or when no room could be had.
BYTE* EmitSpanList(RecordBuffer* buffer, const RECTL* target, const Span* spans, DWORD count, bool wide);

}  // namespace rendara
