#include "context/wide_text.h"

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

DWORD WideLength(const WCHAR* text) { return static_cast<DWORD>(lstrlenW(text)); }

bool SameWideText(const WCHAR* a, const WCHAR* b) {
  while (*a && *a == *b) {
    ++a;
    ++b;
  }
  return *a == *b;
}
