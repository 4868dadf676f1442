// A realized brush: the form in which the driver keeps a brush between drawing calls.
//
// Pattern and hatch brushes are realized into a 32 x 32 pattern held in a block that the
// engine allocates and owns; every solid-colour brush is stood for by the device's own
// solid brush (kind 0, no pattern). The pattern rows follow the record, top row first:
// 4 bytes per row at 1 bit per pixel (most significant bit leftmost), 96 bytes per row at
// 24 bits per pixel.
#pragma once

#include <cstddef>

#include "win/types.h"

namespace rendara {

// Brush kinds.
constexpr WORD BRUSH_SOLID = 0;
constexpr WORD BRUSH_PATTERN_1BPP = 2;
constexpr WORD BRUSH_PATTERN_24BPP = 3;

constexpr WORD kRealizedPatternSide = 32;

struct RealizedBrush {
  WORD kind;
  WORD originX;  // filled by the brush lookup; not sent
  WORD originY;
  DWORD firstColor;   // engine colour value: the colour record's foreground
  DWORD secondColor;  // engine colour value: the colour record's background
  WORD bitsPerPixel;  // 1 or 24 (pattern brushes)
  WORD side;          // pattern side in pixels
  DWORD hostMatched;  // the engine's host colour-matching bit of the brush
  // The pattern rows, in the same block after the record.
  BYTE* Pattern() { return reinterpret_cast<BYTE*>(this + 1); }
  const BYTE* Pattern() const { return reinterpret_cast<const BYTE*>(this + 1); }
};
static_assert(offsetof(RealizedBrush, firstColor) == 8 && offsetof(RealizedBrush, hostMatched) == 20 &&
                  sizeof(RealizedBrush) == 24,
              "the pattern rows follow the 24-byte brush record");

}  // namespace rendara
