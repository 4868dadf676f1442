// Small text helpers of the modules: numbered INI keys and decimal texts in UTF-16.
#pragma once

#include <cstddef>

#include "base/wide_text.h"  // WideLength, WideEquals, CopyWide
#include "win/types.h"

// printf-style text of ASCII characters into a UTF-16 buffer of n characters (cut to fit).
void FormatWide(WCHAR* out, std::size_t n, const char* format, ...);
// Concatenation of a and b into out (n characters, cut to fit).
void JoinWide(WCHAR* out, std::size_t n, const WCHAR* a, const WCHAR* b);
