// MulDiv: a product over a divisor, rounded, in 64 bits.
#include <cstdint>
#include <limits>

#include "win/kernel.h"

extern "C" {

int WINAPI MulDiv(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  const std::int64_t product = static_cast<std::int64_t>(number) * numerator;
  std::int64_t d = denominator;
  std::int64_t p = product;
  if (d < 0) {
    d = -d;
    p = -p;
  }
  // Halves round away from zero.
  const std::int64_t q = p >= 0 ? (p + d / 2) / d : -((-p + d / 2) / d);
  if (q > std::numeric_limits<int>::max() || q < std::numeric_limits<int>::min()) return -1;
  return static_cast<int>(q);
}

}  // extern "C"
