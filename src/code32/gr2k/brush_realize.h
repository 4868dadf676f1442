// Realizing pattern and hatch brushes into the 32 x 32 patterns the brush record carries.
//
// A hatch brush and any pattern that holds at most two colours becomes a one-bit pattern
// (a 1 bit drawn in the first colour, a 0 bit in the second); every other pattern becomes
// a 24-bit pattern. The realized pattern is always in visual order, top row first. Solid
// colours are never realized: the device's solid brush stands for them.
#pragma once

#include "realized_brush.h"
#include "win/winddi.h"

namespace rendara {

struct RenderDevice;

// The answers of DrvDitherColor.
constexpr ULONG DCR_SOLID = 0;
constexpr ULONG DCR_DRIVER = 1;
constexpr ULONG DCR_HALFTONE = 2;

constexpr DWORD kPattern1bppBytes = 128;    // 32 rows of 4 bytes
constexpr DWORD kPattern24bppBytes = 3072;  // 32 rows of 96 bytes
constexpr DWORD kPattern24bppRow = 96;

// The engine's six hatch styles, 8 rows of 8 pixels, most significant bit leftmost.
constexpr ULONG kHatchStyles = 6;
extern const BYTE kHatchRows[kHatchStyles][8];

// Walks the 64 pixels of a 24-bit 8 x 8 pattern (rows of 24 bytes, pixels read as
// little-endian 24-bit values) and keeps the distinct values: TRUE with the first two in
// `colours` (the second 0 for a single-colour pattern), FALSE at a third distinct value.
BOOL TwoColorCheck(const BYTE* pattern, DWORD colours[2]);

// Stretches a pattern that is not 8 x 8 onto a square 24-bit engine bitmap (side 4, 8, 16
// or 32 by the pattern's width) through the translation, and tiles the square to 32 x 32
// in `out` (3072 bytes, top row first). FALSE for an 8 x 8 pattern or when the engine
// cannot make or fill the bitmap.
BOOL StretchPatternTo32(RenderDevice* device, SURFOBJ* pattern, XLATEOBJ* xlate, BYTE* out);

// The body of DrvRealizeBrush once the device is known: builds the realized brush in a
// block the engine allocates for the brush object and attaches it. A hatch index of 6 or
// more with a pattern surface is a pattern brush; 0 to 5 is a hatch brush.
BOOL RealizeBrush(RenderDevice* device, BRUSHOBJ* brush, SURFOBJ* pattern, XLATEOBJ* xlate, ULONG hatch);

}  // namespace rendara
