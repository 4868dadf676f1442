#include "base/wide_text.h"

#include <cstdint>

#include "win/kernel.h"

// CharUpperW and CharLowerW take a single character in the low word of a pointer whose
// high bits are zero, and answer it the same way.
WCHAR UpperOf(WCHAR c) {
  return static_cast<WCHAR>(reinterpret_cast<std::uintptr_t>(CharUpperW(reinterpret_cast<LPWSTR>(static_cast<std::uintptr_t>(c)))));
}

WCHAR LowerOf(WCHAR c) {
  return static_cast<WCHAR>(reinterpret_cast<std::uintptr_t>(CharLowerW(reinterpret_cast<LPWSTR>(static_cast<std::uintptr_t>(c)))));
}

bool StartsWithNoCase(const WCHAR* text, const WCHAR* prefix) {
  if (!prefix) return true;
  for (; *prefix; ++prefix) {
    if (!text || !*text || UpperOf(*text) != UpperOf(*prefix)) return false;
    ++text;
  }
  return true;
}

std::size_t WideLength(const WCHAR* s) {
  std::size_t n = 0;
  if (s)
    while (s[n]) ++n;
  return n;
}

void CopyWide(WCHAR* out, std::size_t n, const WCHAR* s) {
  if (!out || n == 0) return;
  std::size_t i = 0;
  if (s)
    for (; s[i] && i + 1 < n; ++i) out[i] = s[i];
  out[i] = 0;
}

bool WideEquals(const WCHAR* a, const WCHAR* b) {
  if (!a) a = u"";
  if (!b) b = u"";
  for (; *a && *a == *b; ++a, ++b) {
  }
  return *a == *b;
}
