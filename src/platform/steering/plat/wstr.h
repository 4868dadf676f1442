// UTF-16 / UTF-8 helpers for the platform layer and the host.
#pragma once

// Exported by the platform library (built with hidden visibility otherwise).
#pragma GCC visibility push(default)

#include <string>
#include <string_view>

#include "win/types.h"

namespace plat {

std::string ToUtf8(std::u16string_view s);
std::u16string FromUtf8(std::string_view s);
std::u16string_view View(const WCHAR* s);  // null gives an empty view
std::size_t WLen(const WCHAR* s);
// Copies s and a NUL into out; the caller has checked that s.size() + 1 characters fit.
void CopyWithNul(std::u16string_view s, WCHAR* out);
// Simple case folding as Windows compares names: ASCII and Latin-1 letters.
WCHAR FoldCase(WCHAR c);
int CompareNoCase(std::u16string_view a, std::u16string_view b);
bool EqualNoCase(std::u16string_view a, std::u16string_view b);
std::u16string UpperCase(std::u16string_view s);
// Simple (one to one) case mappings of UTF-16 code units, as CharUpperW/CharLowerW use.
WCHAR UpperChar(WCHAR c);
WCHAR LowerChar(WCHAR c);

}  // namespace plat

#pragma GCC visibility pop
