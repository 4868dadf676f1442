// Code pages: the Win32 and ntdll conversion calls, lead-byte tests and character steps,
// built on the platform's converters (plat/codepage.h) and the code pages' tables.
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "kernel/codepage_tables.h"
#include "plat/codepage.h"
#include "plat/system.h"
#include "plat/wstr.h"
#include "win/kernel.h"

namespace {

// Bytes to UTF-16 with every NUL byte kept as a NUL: no double-byte character runs across
// a NUL, so a lead byte right before one is a lone lead byte.
std::u16string Decode(std::string_view bytes, UINT cp, bool* invalid) {
  std::u16string out;
  out.reserve(bytes.size());
  bool bad = false;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= bytes.size(); ++i) {
    if (i == bytes.size() || bytes[i] == 0) {
      if (i > start) {
        bool segBad = false;
        out += plat::AnsiToWide(bytes.substr(start, i - start), cp, &segBad);
        bad = bad || segBad;
      }
      if (i < bytes.size()) out.push_back(0);
      start = i + 1;
    }
  }
  if (invalid) *invalid = bad;
  return out;
}

// One UTF-16 unit as bytes of the code page; false when it has no mapping.
bool EncodeChar(WCHAR c, UINT cp, std::string& bytes) {
  if (c == 0) {
    bytes.assign(1, '\0');
    return true;
  }
  bool used = false;
  bytes = plat::WideToAnsi(std::u16string_view(&c, 1), cp, &used);
  return !used;
}

bool HasLoneSurrogate(std::u16string_view s) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] >= 0xD800 && s[i] <= 0xDBFF) {
      if (i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
        ++i;
        continue;
      }
      return true;
    }
    if (s[i] >= 0xDC00 && s[i] <= 0xDFFF) return true;
  }
  return false;
}

// Encodes for WideCharToMultiByte: the default character replaces what has no mapping.
std::string Encode(std::u16string_view text, UINT cp, LPCSTR defaultChar, bool& usedDefault) {
  usedDefault = false;
  if (cp == CP_UTF8) return plat::ToUtf8(text);
  bool any = false;
  std::string whole = plat::WideToAnsi(text, cp, &any);
  if (!any || !defaultChar) {
    usedDefault = any;
    return whole;
  }
  std::string def(1, defaultChar[0]);
  if (plat::IsLeadByte(cp, static_cast<BYTE>(defaultChar[0])) && defaultChar[1]) def.push_back(defaultChar[1]);
  std::string out;
  std::string one;
  for (WCHAR c : text) {
    if (EncodeChar(c, cp, one)) {
      out += one;
    } else {
      out += def;
      usedDefault = true;
    }
  }
  return out;
}

UINT ValidCodePage(UINT cp) {
  const UINT r = plat::ResolveCodePage(cp);
  return plat::IsSupportedCodePage(r) ? r : 0;
}

}  // namespace

extern "C" {

UINT WINAPI GetACP() { return plat::Machine().ansiCodePage; }
UINT WINAPI GetOEMCP() { return plat::Machine().oemCodePage; }

BOOL WINAPI IsValidCodePage(UINT CodePage) {
  if (CodePage == CP_ACP || CodePage == CP_OEMCP || CodePage == CP_MACCP || CodePage == CP_THREAD_ACP)
    return FALSE;
  return plat::IsSupportedCodePage(CodePage) ? TRUE : FALSE;
}

BOOL WINAPI GetCPInfo(UINT CodePage, LPCPINFO info) {
  CPINFOEXW ex;
  if (!info || !GetCPInfoExW(CodePage, 0, &ex)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  info->MaxCharSize = ex.MaxCharSize;
  std::memcpy(info->DefaultChar, ex.DefaultChar, sizeof info->DefaultChar);
  std::memcpy(info->LeadByte, ex.LeadByte, sizeof info->LeadByte);
  return TRUE;
}

BOOL WINAPI GetCPInfoExW(UINT CodePage, DWORD dwFlags, LPCPINFOEXW info) {
  const UINT cp = ValidCodePage(CodePage);
  if (!cp || !info || dwFlags != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::memset(info, 0, sizeof *info);
  info->DefaultChar[0] = '?';
  info->CodePage = cp;
  std::u16string name;
  if (cp == CP_UTF8) {
    info->MaxCharSize = 4;
    info->UnicodeDefaultChar = u'\uFFFD';
    name = u"65001 (UTF-8)";
  } else {
    const plat::CodePageTable* t = plat::FindCodePageTable(cp);
    info->MaxCharSize = t->maxCharSize;
    info->UnicodeDefaultChar = t->unicodeDefault;
    std::size_t at = 0;
    for (const auto& r : t->leadRanges) {
      if (at + 2 >= MAX_LEADBYTES) break;  // two NUL bytes end the list
      info->LeadByte[at++] = r.first;
      info->LeadByte[at++] = r.second;
    }
    name = t->name;
  }
  name.resize(std::min<std::size_t>(name.size(), MAX_PATH - 1));
  std::memcpy(info->CodePageName, name.data(), name.size() * sizeof(WCHAR));
  return TRUE;
}

BOOL WINAPI IsDBCSLeadByte(BYTE TestChar) { return plat::IsLeadByte(CP_ACP, TestChar) ? TRUE : FALSE; }

BOOL WINAPI IsDBCSLeadByteEx(UINT CodePage, BYTE TestChar) {
  if (!ValidCodePage(CodePage)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return plat::IsLeadByte(CodePage, TestChar) ? TRUE : FALSE;
}

int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR src, int cbMultiByte, LPWSTR dst,
                               int cchWideChar) {
  if (!src || cbMultiByte == 0 || cbMultiByte < -1 || cchWideChar < 0 || (cchWideChar > 0 && !dst) ||
      (dst && static_cast<const void*>(dst) == static_cast<const void*>(src))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const UINT cp = ValidCodePage(CodePage);
  if (!cp) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const DWORD allowed =
      cp == CP_UTF8 ? MB_ERR_INVALID_CHARS : (MB_PRECOMPOSED | MB_COMPOSITE | MB_USEGLYPHCHARS | MB_ERR_INVALID_CHARS);
  if ((dwFlags & ~allowed) || ((dwFlags & MB_PRECOMPOSED) && (dwFlags & MB_COMPOSITE))) {
    SetLastError(ERROR_INVALID_FLAGS);
    return 0;
  }
  const std::size_t n = cbMultiByte == -1 ? std::strlen(src) + 1 : static_cast<std::size_t>(cbMultiByte);
  bool invalid = false;
  const std::u16string out = Decode(std::string_view(src, n), cp, &invalid);
  if (invalid && (dwFlags & MB_ERR_INVALID_CHARS)) {
    SetLastError(ERROR_NO_UNICODE_TRANSLATION);
    return 0;
  }
  if (out.size() > 0x7FFFFFFF) {
    SetLastError(ERROR_ARITHMETIC_OVERFLOW);
    return 0;
  }
  const int need = static_cast<int>(out.size());
  if (cchWideChar == 0) return need;
  if (need > cchWideChar) {
    std::memcpy(dst, out.data(), static_cast<std::size_t>(cchWideChar) * sizeof(WCHAR));
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(dst, out.data(), out.size() * sizeof(WCHAR));
  return need;
}

int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR src, int cchWideChar, LPSTR dst,
                               int cbMultiByte, LPCSTR lpDefaultChar, LPBOOL lpUsedDefaultChar) {
  if (!src || cchWideChar == 0 || cchWideChar < -1 || cbMultiByte < 0 || (cbMultiByte > 0 && !dst) ||
      (dst && static_cast<const void*>(dst) == static_cast<const void*>(src))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const UINT cp = ValidCodePage(CodePage);
  if (!cp) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (cp == CP_UTF8) {
    if (lpDefaultChar || lpUsedDefaultChar) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    if (dwFlags & ~WC_ERR_INVALID_CHARS) {
      SetLastError(ERROR_INVALID_FLAGS);
      return 0;
    }
  } else if (dwFlags & ~(WC_COMPOSITECHECK | WC_DISCARDNS | WC_SEPCHARS | WC_DEFAULTCHAR | WC_NO_BEST_FIT_CHARS)) {
    SetLastError(ERROR_INVALID_FLAGS);
    return 0;
  }
  const std::size_t n = cchWideChar == -1 ? plat::WLen(src) + 1 : static_cast<std::size_t>(cchWideChar);
  const std::u16string_view text(src, n);
  if (cp == CP_UTF8 && (dwFlags & WC_ERR_INVALID_CHARS) && HasLoneSurrogate(text)) {
    SetLastError(ERROR_NO_UNICODE_TRANSLATION);
    return 0;
  }
  bool used = false;
  const std::string out = Encode(text, cp, lpDefaultChar, used);
  if (out.size() > 0x7FFFFFFF) {
    SetLastError(ERROR_ARITHMETIC_OVERFLOW);
    return 0;
  }
  const int need = static_cast<int>(out.size());
  if (cbMultiByte == 0) {
    if (lpUsedDefaultChar) *lpUsedDefaultChar = used ? TRUE : FALSE;
    return need;
  }
  if (need > cbMultiByte) {
    std::memcpy(dst, out.data(), static_cast<std::size_t>(cbMultiByte));
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(dst, out.data(), out.size());
  if (lpUsedDefaultChar) *lpUsedDefaultChar = used ? TRUE : FALSE;
  return need;
}

NTSTATUS WINAPI RtlMultiByteToUnicodeN(WCHAR* dst, ULONG maxBytes, ULONG* bytesOut, const CHAR* src, ULONG srcBytes) {
  if ((!dst && maxBytes) || (!src && srcBytes)) return STATUS_INVALID_PARAMETER;
  const std::u16string out = srcBytes ? Decode(std::string_view(src, srcBytes), CP_ACP, nullptr) : std::u16string();
  const std::size_t chars = std::min<std::size_t>(out.size(), maxBytes / sizeof(WCHAR));
  if (chars) std::memcpy(dst, out.data(), chars * sizeof(WCHAR));
  if (bytesOut) *bytesOut = static_cast<ULONG>(chars * sizeof(WCHAR));
  return STATUS_SUCCESS;
}

NTSTATUS WINAPI RtlUnicodeToMultiByteN(CHAR* dst, ULONG maxBytes, ULONG* bytesOut, const WCHAR* src, ULONG srcBytes) {
  if ((!dst && maxBytes) || (!src && srcBytes >= sizeof(WCHAR))) return STATUS_INVALID_PARAMETER;
  const UINT cp = plat::ResolveCodePage(CP_ACP);
  const std::size_t chars = srcBytes / sizeof(WCHAR);
  std::size_t written = 0;
  std::string one;
  for (std::size_t i = 0; i < chars; ++i) {
    if (!EncodeChar(src[i], cp, one)) one.assign(1, '?');
    if (written + one.size() > maxBytes) break;  // never split a double-byte character
    std::memcpy(dst + written, one.data(), one.size());
    written += one.size();
  }
  if (bytesOut) *bytesOut = static_cast<ULONG>(written);
  return STATUS_SUCCESS;
}

NTSTATUS WINAPI RtlMultiByteToUnicodeSize(ULONG* bytesOut, const CHAR* src, ULONG srcBytes) {
  if (!bytesOut || (!src && srcBytes)) return STATUS_INVALID_PARAMETER;
  const std::u16string out = srcBytes ? Decode(std::string_view(src, srcBytes), CP_ACP, nullptr) : std::u16string();
  *bytesOut = static_cast<ULONG>(out.size() * sizeof(WCHAR));
  return STATUS_SUCCESS;
}

NTSTATUS WINAPI RtlUnicodeToMultiByteSize(ULONG* bytesOut, const WCHAR* src, ULONG srcBytes) {
  if (!bytesOut || (!src && srcBytes >= sizeof(WCHAR))) return STATUS_INVALID_PARAMETER;
  const std::size_t chars = srcBytes / sizeof(WCHAR);
  *bytesOut = chars ? static_cast<ULONG>(plat::WideToAnsi(std::u16string_view(src, chars), CP_ACP).size()) : 0;
  return STATUS_SUCCESS;
}

LPSTR WINAPI CharNextExA(WORD CodePage, LPCSTR p, DWORD) {
  if (!p || !*p) return const_cast<LPSTR>(p);
  if (plat::IsLeadByte(CodePage, static_cast<BYTE>(*p)) && p[1]) return const_cast<LPSTR>(p + 2);
  return const_cast<LPSTR>(p + 1);
}

LPSTR WINAPI CharNextA(LPCSTR lpsz) { return CharNextExA(CP_ACP, lpsz, 0); }

LPSTR WINAPI CharPrevExA(WORD CodePage, LPCSTR start, LPCSTR cur, DWORD) {
  if (!start || !cur || cur <= start) return const_cast<LPSTR>(start);
  LPCSTR q = start;
  for (;;) {
    LPCSTR next = CharNextExA(CodePage, q, 0);
    if (next >= cur || next == q) return const_cast<LPSTR>(q);
    q = next;
  }
}

LPSTR WINAPI CharPrevA(LPCSTR start, LPCSTR cur) { return CharPrevExA(CP_ACP, start, cur, 0); }

}  // extern "C"
