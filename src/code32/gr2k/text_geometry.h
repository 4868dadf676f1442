// Integer and fixed-point geometry of the text code, and the conversion of UTF-16 text to
// the 8-bit text the printer receives.
#pragma once

#include <cstdint>

#include "win/types.h"

namespace rendara {

// n * x in single precision, truncated toward zero.
std::int32_t ScaleTrunc(float x, std::int32_t n);
// The smallest integer r >= max(|a|, |b|) with r * r >= a * a + b * b.
std::int32_t Hypot(std::int32_t a, std::int32_t b);
// The angle of the vector (x, y) in whole degrees, -180 to 180.
std::int32_t EscapementOf(std::int16_t x, std::int16_t y);
// Sine and cosine of n whole degrees (n >= 0), times 16384.
std::int32_t SinQ(std::int32_t n);
std::int32_t CosQ(std::int32_t n);

// The tables behind them: sin(i degrees) * 16384 for i = 0..90, and tan(i / 10 degrees) *
// 32767 for i = 0..449.
constexpr int kSineEntries = 91;
constexpr int kTangentEntries = 450;
extern const std::int32_t kSineTable[kSineEntries];
extern const std::int16_t kTangentTable[kTangentEntries];

// a * b / c rounded to the nearest integer (halves away from zero), computed in 64 bits;
// -1 when c is 0 or the result does not fit in 32 bits.
std::int32_t MulDivRound(std::int32_t a, std::int32_t b, std::int32_t c);

// Converts textBytes bytes of UTF-16 text to printer text in out: each value below 0x81 is
// that byte, every other value goes through the system code page (at most 2 bytes). At
// most capacity bytes are written, and a converted character that does not fit whole is
// not written. Answers the number of bytes written; an odd byte count ignores the last
// byte.
DWORD ConvertToPrinterText(BYTE* out, DWORD capacity, const WCHAR* text, DWORD textBytes);

}  // namespace rendara
