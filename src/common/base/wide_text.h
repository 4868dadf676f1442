// Wide-text helpers the driver shares, built on the Windows string calls.
#pragma once

#include <cstddef>

#include "win/types.h"

// One character upper- or lower-cased as CharUpperW/CharLowerW map it.
WCHAR UpperOf(WCHAR c);
WCHAR LowerOf(WCHAR c);
// Whether text begins with prefix, letters compared without regard to case. A null text
// begins with nothing but the empty prefix.
bool StartsWithNoCase(const WCHAR* text, const WCHAR* prefix);
// Length of a NUL-terminated UTF-16 text (0 for null).
std::size_t WideLength(const WCHAR* s);
// Exact, case-sensitive comparison (null equals only null or empty).
bool WideEquals(const WCHAR* a, const WCHAR* b);
// Copies at most n - 1 characters and a NUL.
void CopyWide(WCHAR* out, std::size_t n, const WCHAR* s);
