// Small text helpers of the modules: numbered INI keys and decimal texts in UTF-16.
#pragma once

#include <cstddef>

#include "win/types.h"

// printf-style text of ASCII characters into a UTF-16 buffer of n characters (cut to fit).
void FormatWide(WCHAR* out, std::size_t n, const char* format, ...);
// Concatenation of a and b into out (n characters, cut to fit).
void JoinWide(WCHAR* out, std::size_t n, const WCHAR* a, const WCHAR* b);
// Length of a NUL-terminated UTF-16 text (0 for null).
std::size_t WideLength(const WCHAR* s);
// Exact, case-sensitive comparison (null equals only null or empty).
bool WideEquals(const WCHAR* a, const WCHAR* b);
// Copies at most n - 1 characters and a NUL.
void CopyWide(WCHAR* out, std::size_t n, const WCHAR* s);
