// The printer's graphics state as the drawing calls set it: the cached drawing state that
// keeps records from being repeated on a page, the mapping of the engine's mix and
// raster-operation codes to the printer's raster operation, and the brush lookup.
//
// Every part of the cached state has its own valid flag; all of them are cleared when a
// page starts, so the first drawing of a page sends its whole state again. A record that
// could not be written leaves its cache as it was.
#pragma once

#include <cstdint>

#include "colour_state.h"
#include "realized_brush.h"
#include "win/winddi.h"

namespace rendara {

struct RenderDevice;

// The pen part: what the last pen records said.
struct PenState {
  BOOL valid;
  WORD width;
  DWORD mask;
  BYTE unit;
  BYTE phase;
  BYTE cap;
  BYTE join;
  DWORD miter;  // miter limit x 256
};

// The font part: what the last font record selected.
struct FontState {
  BOOL valid;
  std::uintptr_t identity;  // the engine's unique value of the font object
  DWORD glyphIndexFlag;     // 3 for glyph-index text, else 2
};

struct DrawingState {
  PenState pen;
  BOOL ropValid;
  BYTE rop;
  BOOL paintModeValid;
  BYTE paintMode;
  BOOL brushValid;
  WORD brushKind;  // BRUSH_SOLID, BRUSH_PATTERN_1BPP or BRUSH_PATTERN_24BPP
  ColorState color;
  FontState font;
};

// The printer's raster operation for a mix (its low byte, 0 to 16); an index above 16
// gives 0xCC. Mixes 2 to 15 keep their truth table; black (1) gives 0xFF, white (16) 0x00.
BYTE MixToRop(ULONG mix);
// The mix of a four-operand raster code without a source: its low byte gives the mix's
// low byte and its high byte the mix's high byte, each one of the sixteen
// pattern-and-destination codes (mixes 1 to 16) or 0.
ULONG RopToMix(ULONG rop4);
// The operation byte of a constant raster code such as 0x00CC0020.
constexpr BYTE RopOfRasterCode(DWORD code) { return static_cast<BYTE>((code >> 16) & 0xFF); }

// Clears every valid flag of the cached drawing state (the clip cache is separate).
void InvalidateDrawingState(RenderDevice* device);

// Writes the raster-operation record unless the cache holds the same operation.
BOOL SendRop(RenderDevice* device, BYTE rop);
// Writes the background-mode record unless the cache holds the same mode.
BOOL SendPaintMode(RenderDevice* device, BYTE mode);
// Writes a brush record: a pattern brush every time, a solid brush only when the cached
// kind is not valid or not solid. FALSE without a brush or when the record could not be
// written.
BOOL SendBrush(RenderDevice* device, const RealizedBrush* brush);
// Sets the raster operation of a constant raster code (the band start's SRCCOPY).
BOOL SelectRop(RenderDevice* device, DWORD rasterCode);

// The realized brush of a call: none without a brush; for a pattern brush (solid colour
// 0xFFFFFFFF) the engine's realized brush, which the engine realizes through the driver
// when it needs to (none when it has none); for a solid brush the device's solid brush
// with the brush's colour. The host-matched flag and the brush origin are filled in.
RealizedBrush* LookupBrush(RenderDevice* device, SURFOBJ* surface, BRUSHOBJ* brush, const POINTL* origin);

}  // namespace rendara
