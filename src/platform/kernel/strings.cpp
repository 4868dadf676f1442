// The string helpers of the Windows API: lstr*, CompareString and the case mappings.
#include <cstring>
#include <string>
#include <string_view>

#include "plat/codepage.h"
#include "plat/wstr.h"
#include "win/kernel.h"

namespace plat {

WCHAR UpperChar(WCHAR c) {
  if (c < 0x80) return (c >= u'a' && c <= u'z') ? static_cast<WCHAR>(c - 32) : c;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<WCHAR>(c - 32);
  if (c == 0xFF) return 0x178;
  if (c == 0x131) return u'I';
  if (c == 0x130) return c;
  if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return static_cast<WCHAR>(c & ~1);
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c : static_cast<WCHAR>(c - 1);
  if ((c >= 0x3B1 && c <= 0x3C1) || (c >= 0x3C3 && c <= 0x3CB)) return static_cast<WCHAR>(c - 32);
  if (c == 0x3C2) return 0x3A3;
  if (c == 0x3AC) return 0x386;
  if (c >= 0x3AD && c <= 0x3AF) return static_cast<WCHAR>(c - 37);
  if (c == 0x3CC) return 0x38C;
  if (c == 0x3CD || c == 0x3CE) return static_cast<WCHAR>(c - 63);
  if (c >= 0x430 && c <= 0x44F) return static_cast<WCHAR>(c - 32);
  if (c >= 0x450 && c <= 0x45F) return static_cast<WCHAR>(c - 80);
  if (c >= 0xFF41 && c <= 0xFF5A) return static_cast<WCHAR>(c - 32);
  return c;
}

WCHAR LowerChar(WCHAR c) {
  if (c < 0x80) return (c >= u'A' && c <= u'Z') ? static_cast<WCHAR>(c + 32) : c;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<WCHAR>(c + 32);
  if (c == 0x178) return 0xFF;
  if (c == 0x130) return u'i';
  if (c == 0x131) return c;
  if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return static_cast<WCHAR>(c | 1);
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? static_cast<WCHAR>(c + 1) : c;
  if ((c >= 0x391 && c <= 0x3A1) || (c >= 0x3A3 && c <= 0x3AB)) return static_cast<WCHAR>(c + 32);
  if (c == 0x386) return 0x3AC;
  if (c >= 0x388 && c <= 0x38A) return static_cast<WCHAR>(c + 37);
  if (c == 0x38C) return 0x3CC;
  if (c == 0x38E || c == 0x38F) return static_cast<WCHAR>(c + 63);
  if (c >= 0x410 && c <= 0x42F) return static_cast<WCHAR>(c + 32);
  if (c >= 0x400 && c <= 0x40F) return static_cast<WCHAR>(c + 80);
  if (c >= 0xFF21 && c <= 0xFF3A) return static_cast<WCHAR>(c + 32);
  return c;
}

}  // namespace plat

namespace {

using plat::LowerChar;

// Latin-1 letters with a diacritic to their base letter (NORM_IGNORENONSPACE).
WCHAR BaseLetter(WCHAR c) {
  static const char kBase[] =  // 0xC0..0xFF
      "AAAAAAACEEEEIIII"
      "DNOOOOO*OUUUUYTs"
      "aaaaaaaceeeeiiii"
      "dnooooo/ouuuuyty";
  if (c >= 0xC0 && c <= 0xFF && c != 0xC6 && c != 0xE6 && c != 0xD7 && c != 0xF7 && c != 0xDE && c != 0xFE &&
      c != 0xDF)
    return static_cast<WCHAR>(static_cast<unsigned char>(kBase[c - 0xC0]));
  return c;
}

bool IsSymbol(WCHAR c) {
  if (c < 0x80) return !((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'));
  return (c >= 0xA0 && c <= 0xBF) || c == 0xD7 || c == 0xF7 || (c >= 0x2000 && c <= 0x206F) ||
         (c >= 0x3000 && c <= 0x3003);
}

// The normalised form of a string for comparison under the given flags (case kept).
std::u16string Normalise(std::u16string_view s, DWORD flags) {
  std::u16string out;
  out.reserve(s.size());
  for (WCHAR c : s) {
    if ((flags & NORM_IGNORESYMBOLS) && IsSymbol(c)) continue;
    if ((flags & NORM_IGNOREWIDTH) && c >= 0xFF01 && c <= 0xFF5E) c = static_cast<WCHAR>(c - 0xFF01 + 0x21);
    if ((flags & NORM_IGNOREWIDTH) && c == 0x3000) c = u' ';
    if ((flags & NORM_IGNOREKANATYPE) && c >= 0x30A1 && c <= 0x30F6) c = static_cast<WCHAR>(c - 0x60);
    if (flags & NORM_IGNORENONSPACE) c = BaseLetter(c);
    out.push_back(c);
  }
  return out;
}

// Word comparison: alphabetic order first (letters compared as lower case), then, for
// strings equal but for case, the first case difference: lower case sorts first.
// Answers -1, 0, 1.
int WordCompare(std::u16string_view a, std::u16string_view b, bool ignoreCase) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const WCHAR x = LowerChar(a[i]), y = LowerChar(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  if (ignoreCase) return 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (a[i] == b[i]) continue;
    const bool aLower = a[i] == LowerChar(a[i]);
    return aLower ? -1 : 1;
  }
  return 0;
}

std::u16string_view ViewN(const WCHAR* s, int n) {
  if (n < 0) return plat::View(s);
  return std::u16string_view(s, static_cast<std::size_t>(n));
}

std::u16string FromAnsi(const char* s, int n) {
  if (!s) return {};
  const std::size_t len = n < 0 ? std::strlen(s) : static_cast<std::size_t>(n);
  return plat::AnsiToWide(std::string_view(s, len), CP_ACP);
}

constexpr DWORD kCompareFlags = NORM_IGNORECASE | NORM_IGNORENONSPACE | NORM_IGNORESYMBOLS | LINGUISTIC_IGNORECASE |
                                0x20 /* LINGUISTIC_IGNOREDIACRITIC */ | SORT_STRINGSORT | NORM_IGNOREKANATYPE |
                                NORM_IGNOREWIDTH | 0x08000000 /* NORM_LINGUISTIC_CASING */;

}  // namespace

extern "C" {

int WINAPI lstrlenW(LPCWSTR s) { return s ? static_cast<int>(plat::WLen(s)) : 0; }
int WINAPI lstrlenA(LPCSTR s) { return s ? static_cast<int>(std::strlen(s)) : 0; }

LPWSTR WINAPI lstrcpyW(LPWSTR dst, LPCWSTR src) {
  if (!dst || !src) return nullptr;
  std::memmove(dst, src, (plat::WLen(src) + 1) * sizeof(WCHAR));
  return dst;
}

LPSTR WINAPI lstrcpyA(LPSTR dst, LPCSTR src) {
  if (!dst || !src) return nullptr;
  std::memmove(dst, src, std::strlen(src) + 1);
  return dst;
}

LPWSTR WINAPI lstrcpynW(LPWSTR dst, LPCWSTR src, int n) {
  if (!dst) return nullptr;
  if (n <= 0) return dst;
  int i = 0;
  if (src)
    for (; i < n - 1 && src[i]; ++i) dst[i] = src[i];
  dst[i] = 0;
  return dst;
}

LPSTR WINAPI lstrcpynA(LPSTR dst, LPCSTR src, int n) {
  if (!dst) return nullptr;
  if (n <= 0) return dst;
  int i = 0;
  if (src)
    for (; i < n - 1 && src[i]; ++i) dst[i] = src[i];
  dst[i] = 0;
  return dst;
}

LPWSTR WINAPI lstrcatW(LPWSTR dst, LPCWSTR src) {
  if (!dst || !src) return nullptr;
  std::memmove(dst + plat::WLen(dst), src, (plat::WLen(src) + 1) * sizeof(WCHAR));
  return dst;
}

LPSTR WINAPI lstrcatA(LPSTR dst, LPCSTR src) {
  if (!dst || !src) return nullptr;
  std::memmove(dst + std::strlen(dst), src, std::strlen(src) + 1);
  return dst;
}

int WINAPI lstrcmpW(LPCWSTR a, LPCWSTR b) {
  if (!a || !b) return a == b ? 0 : (a ? 1 : -1);
  return WordCompare(plat::View(a), plat::View(b), false);
}

int WINAPI lstrcmpiW(LPCWSTR a, LPCWSTR b) {
  if (!a || !b) return a == b ? 0 : (a ? 1 : -1);
  return WordCompare(plat::View(a), plat::View(b), true);
}

int WINAPI lstrcmpA(LPCSTR a, LPCSTR b) {
  if (!a || !b) return a == b ? 0 : (a ? 1 : -1);
  return WordCompare(FromAnsi(a, -1), FromAnsi(b, -1), false);
}

int WINAPI lstrcmpiA(LPCSTR a, LPCSTR b) {
  if (!a || !b) return a == b ? 0 : (a ? 1 : -1);
  return WordCompare(FromAnsi(a, -1), FromAnsi(b, -1), true);
}

int WINAPI CompareStringW(LCID, DWORD flags, LPCWSTR s1, int c1, LPCWSTR s2, int c2) {
  if (!s1 || !s2) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (flags & ~kCompareFlags) {
    SetLastError(ERROR_INVALID_FLAGS);
    return 0;
  }
  const bool ignoreCase = (flags & (NORM_IGNORECASE | LINGUISTIC_IGNORECASE)) != 0;
  const int r = WordCompare(Normalise(ViewN(s1, c1), flags), Normalise(ViewN(s2, c2), flags), ignoreCase);
  return CSTR_EQUAL + r;
}

int WINAPI CompareStringA(LCID Locale, DWORD flags, LPCSTR s1, int c1, LPCSTR s2, int c2) {
  if (!s1 || !s2) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const std::u16string w1 = FromAnsi(s1, c1), w2 = FromAnsi(s2, c2);
  return CompareStringW(Locale, flags, w1.c_str(), static_cast<int>(w1.size()), w2.c_str(),
                        static_cast<int>(w2.size()));
}

LPWSTR WINAPI CharUpperW(LPWSTR s) {
  const auto v = reinterpret_cast<std::uintptr_t>(s);
  if ((v >> 16) == 0) return reinterpret_cast<LPWSTR>(static_cast<std::uintptr_t>(plat::UpperChar(static_cast<WCHAR>(v))));
  for (WCHAR* p = s; *p; ++p) *p = plat::UpperChar(*p);
  return s;
}

LPWSTR WINAPI CharLowerW(LPWSTR s) {
  const auto v = reinterpret_cast<std::uintptr_t>(s);
  if ((v >> 16) == 0) return reinterpret_cast<LPWSTR>(static_cast<std::uintptr_t>(plat::LowerChar(static_cast<WCHAR>(v))));
  for (WCHAR* p = s; *p; ++p) *p = plat::LowerChar(*p);
  return s;
}

DWORD WINAPI CharUpperBuffW(LPWSTR s, DWORD n) {
  if (!s) return 0;
  for (DWORD i = 0; i < n; ++i) s[i] = plat::UpperChar(s[i]);
  return n;
}

DWORD WINAPI CharLowerBuffW(LPWSTR s, DWORD n) {
  if (!s) return 0;
  for (DWORD i = 0; i < n; ++i) s[i] = plat::LowerChar(s[i]);
  return n;
}

}  // extern "C"
