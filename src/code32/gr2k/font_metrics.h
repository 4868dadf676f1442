// Measures of a realized font: its transform from font units to 28.4 device fixed point,
// and lengths of transformed vectors, all in 64 bits so that large sizes at high
// resolutions cannot overflow.
#pragma once

#include <cstdint>

#include "win/winddi.h"

namespace rendara {

struct FixVector {
  std::int64_t x;
  std::int64_t y;
};

// The font transform of a font object (identity when the engine gives none).
XFORML FontTransform(FONTOBJ* font);
// X(p): the point p in font units through the transform, in sixteenths of a pixel.
FixVector TransformToFix(const XFORML& m, std::int64_t x, std::int64_t y);
// The smallest integer r >= max(|a|, |b|) with r * r >= a * a + b * b, in 64 bits.
std::int64_t Hypot64(std::int64_t a, std::int64_t b);
inline std::int64_t LengthOf(const FixVector& v) { return Hypot64(v.x, v.y); }
// Rounded to a whole pixel: (v + 8) & ~0xF.
inline std::int64_t RoundFixToPixel(std::int64_t v) { return (v + 8) & ~static_cast<std::int64_t>(0xF); }

}  // namespace rendara
