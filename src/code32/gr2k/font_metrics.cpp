#include "font_metrics.h"

#include <cmath>
#include <cstdlib>

namespace rendara {

XFORML FontTransform(FONTOBJ* font) {
  XFORML m{1, 0, 0, 1, 0, 0};
  if (font) XFORMOBJ_iGetXform(FONTOBJ_pxoGetXform(font), &m);
  return m;
}

FixVector TransformToFix(const XFORML& m, std::int64_t x, std::int64_t y) {
  const double fx = (static_cast<double>(x) * m.eM11 + static_cast<double>(y) * m.eM21) * 16.0;
  const double fy = (static_cast<double>(x) * m.eM12 + static_cast<double>(y) * m.eM22) * 16.0;
  auto clamp = [](double v) -> std::int64_t {
    if (!(v > -9.0e15 && v < 9.0e15)) return v > 0 ? static_cast<std::int64_t>(9.0e15) : static_cast<std::int64_t>(-9.0e15);
    return std::llround(v);
  };
  return {clamp(fx), clamp(fy)};
}

std::int64_t Hypot64(std::int64_t a, std::int64_t b) {
  const std::int64_t x = std::llabs(a);
  const std::int64_t y = std::llabs(b);
  const std::int64_t hi = x > y ? x : y;
  const std::int64_t lo = x > y ? y : x;
  if (lo == 0) return hi;
  // An estimate from the floating-point root, then corrected to the exact answer.
  const long double sum = static_cast<long double>(hi) * hi + static_cast<long double>(lo) * lo;
  std::int64_t r = static_cast<std::int64_t>(std::sqrt(sum));
  if (r < hi) r = hi;
  auto square = [](std::int64_t v) { return static_cast<long double>(v) * v; };
  while (r > hi && square(r - 1) >= sum) --r;
  while (square(r) < sum) ++r;
  return r;
}

}  // namespace rendara
