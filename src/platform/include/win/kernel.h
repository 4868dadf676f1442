// Kernel services of the platform layer: memory, clock and process ids, version tests,
// system folders and names, locale, code pages and the string helpers the driver uses.
//
// Our own declarations, written from the documented behaviour of the Windows calls of the
// same names. Text is UTF-16 (char16_t); the "A" forms use the machine's ANSI code page.
#pragma once

// Exported by the platform library (built with hidden visibility otherwise).
#pragma GCC visibility push(default)

#include "win/errors.h"
#include "win/types.h"

// Error codes of this area that the shared list (win/errors.h) does not carry.
constexpr DWORD ERROR_NOT_LOCKED = 158;
constexpr DWORD ERROR_BAD_ARGUMENTS = 160;

// ---- memory -------------------------------------------------------------------------
constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GMEM_MODIFY = 0x0080;
constexpr UINT GMEM_DISCARDABLE = 0x0100;
constexpr UINT GPTR = GMEM_FIXED | GMEM_ZEROINIT;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
constexpr UINT LMEM_FIXED = 0x0000;
constexpr UINT LMEM_MOVEABLE = 0x0002;
constexpr UINT LMEM_ZEROINIT = 0x0040;
constexpr UINT LMEM_MODIFY = 0x0080;
constexpr UINT LPTR = LMEM_FIXED | LMEM_ZEROINIT;
constexpr UINT LHND = LMEM_MOVEABLE | LMEM_ZEROINIT;
constexpr DWORD HEAP_NO_SERIALIZE = 0x00000001;
constexpr DWORD HEAP_GENERATE_EXCEPTIONS = 0x00000004;
constexpr DWORD HEAP_ZERO_MEMORY = 0x00000008;
constexpr DWORD HEAP_REALLOC_IN_PLACE_ONLY = 0x00000010;

extern "C" {
KOVA_EXPORT HGLOBAL WINAPI GlobalAlloc(UINT uFlags, SIZE_T dwBytes);
KOVA_EXPORT HGLOBAL WINAPI GlobalReAlloc(HGLOBAL hMem, SIZE_T dwBytes, UINT uFlags);
// NULL on success; the handle itself when it is not a block of this heap.
KOVA_EXPORT HGLOBAL WINAPI GlobalFree(HGLOBAL hMem);
KOVA_EXPORT SIZE_T WINAPI GlobalSize(HGLOBAL hMem);
KOVA_EXPORT LPVOID WINAPI GlobalLock(HGLOBAL hMem);
KOVA_EXPORT BOOL WINAPI GlobalUnlock(HGLOBAL hMem);
KOVA_EXPORT HGLOBAL WINAPI GlobalHandle(LPCVOID pMem);
KOVA_EXPORT UINT WINAPI GlobalFlags(HGLOBAL hMem);
KOVA_EXPORT HLOCAL WINAPI LocalAlloc(UINT uFlags, SIZE_T uBytes);
KOVA_EXPORT HLOCAL WINAPI LocalReAlloc(HLOCAL hMem, SIZE_T uBytes, UINT uFlags);
KOVA_EXPORT HLOCAL WINAPI LocalFree(HLOCAL hMem);
KOVA_EXPORT SIZE_T WINAPI LocalSize(HLOCAL hMem);
KOVA_EXPORT LPVOID WINAPI LocalLock(HLOCAL hMem);
KOVA_EXPORT BOOL WINAPI LocalUnlock(HLOCAL hMem);
KOVA_EXPORT HANDLE WINAPI GetProcessHeap();
KOVA_EXPORT LPVOID WINAPI HeapAlloc(HANDLE hHeap, DWORD dwFlags, SIZE_T dwBytes);
KOVA_EXPORT LPVOID WINAPI HeapReAlloc(HANDLE hHeap, DWORD dwFlags, LPVOID lpMem, SIZE_T dwBytes);
KOVA_EXPORT BOOL WINAPI HeapFree(HANDLE hHeap, DWORD dwFlags, LPVOID lpMem);
KOVA_EXPORT SIZE_T WINAPI HeapSize(HANDLE hHeap, DWORD dwFlags, LPCVOID lpMem);
}  // extern "C"

// ---- clock, processes, threads -------------------------------------------------------
extern "C" {
KOVA_EXPORT DWORD WINAPI GetTickCount();
// number × numerator / denominator in 64 bits, halves rounded away from zero; -1 for a zero
// denominator or a result outside an int.
KOVA_EXPORT int WINAPI MulDiv(int nNumber, int nNumerator, int nDenominator);
KOVA_EXPORT ULONGLONG WINAPI GetTickCount64();
KOVA_EXPORT void WINAPI GetLocalTime(LPSYSTEMTIME lpSystemTime);
KOVA_EXPORT void WINAPI GetSystemTime(LPSYSTEMTIME lpSystemTime);
KOVA_EXPORT void WINAPI Sleep(DWORD dwMilliseconds);
KOVA_EXPORT DWORD WINAPI GetCurrentProcessId();
KOVA_EXPORT DWORD WINAPI GetCurrentThreadId();
// Pseudo handles: (HANDLE)-1 for the process, (HANDLE)-2 for the thread; never closed.
KOVA_EXPORT HANDLE WINAPI GetCurrentProcess();
KOVA_EXPORT HANDLE WINAPI GetCurrentThread();
}  // extern "C"

// ---- version -------------------------------------------------------------------------
constexpr DWORD VER_PLATFORM_WIN32s = 0;
constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

constexpr DWORD VER_MINORVERSION = 0x0000001;
constexpr DWORD VER_MAJORVERSION = 0x0000002;
constexpr DWORD VER_BUILDNUMBER = 0x0000004;
constexpr DWORD VER_PLATFORMID = 0x0000008;
constexpr DWORD VER_SERVICEPACKMINOR = 0x0000010;
constexpr DWORD VER_SERVICEPACKMAJOR = 0x0000020;
constexpr DWORD VER_SUITENAME = 0x0000040;
constexpr DWORD VER_PRODUCT_TYPE = 0x0000080;

constexpr BYTE VER_EQUAL = 1;
constexpr BYTE VER_GREATER = 2;
constexpr BYTE VER_GREATER_EQUAL = 3;
constexpr BYTE VER_LESS = 4;
constexpr BYTE VER_LESS_EQUAL = 5;
constexpr BYTE VER_AND = 6;
constexpr BYTE VER_OR = 7;

constexpr WORD VER_SUITE_SMALLBUSINESS = 0x0001;
constexpr WORD VER_SUITE_ENTERPRISE = 0x0002;
constexpr WORD VER_SUITE_BACKOFFICE = 0x0004;
constexpr WORD VER_SUITE_TERMINAL = 0x0010;
constexpr WORD VER_SUITE_DATACENTER = 0x0080;
constexpr WORD VER_SUITE_SINGLEUSERTS = 0x0100;
constexpr WORD VER_SUITE_PERSONAL = 0x0200;

constexpr BYTE VER_NT_WORKSTATION = 1;
constexpr BYTE VER_NT_DOMAIN_CONTROLLER = 2;
constexpr BYTE VER_NT_SERVER = 3;

struct OSVERSIONINFOW {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  WCHAR szCSDVersion[128];
};
using LPOSVERSIONINFOW = OSVERSIONINFOW*;

struct OSVERSIONINFOEXW {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  WCHAR szCSDVersion[128];
  WORD wServicePackMajor;
  WORD wServicePackMinor;
  WORD wSuiteMask;
  BYTE wProductType;
  BYTE wReserved;
};
using LPOSVERSIONINFOEXW = OSVERSIONINFOEXW*;

static_assert(sizeof(OSVERSIONINFOW) == 276);
static_assert(sizeof(OSVERSIONINFOEXW) == 284);
static_assert(offsetof(OSVERSIONINFOW, szCSDVersion) == 20);
static_assert(offsetof(OSVERSIONINFOEXW, wServicePackMajor) == 276);
static_assert(offsetof(OSVERSIONINFOEXW, wSuiteMask) == 280);
static_assert(offsetof(OSVERSIONINFOEXW, wProductType) == 282);

extern "C" {
// dwOSVersionInfoSize must be 276 or 284 (the EX fields are filled for 284).
KOVA_EXPORT BOOL WINAPI GetVersionExW(LPOSVERSIONINFOW lpVersionInformation);
// Low byte major, next byte minor, high word build (NT: bit 31 clear).
KOVA_EXPORT DWORD WINAPI GetVersion();
// TRUE when the machine meets every condition; FALSE with ERROR_OLD_WIN_VERSION when not,
// ERROR_BAD_ARGUMENTS when the masks are empty or a tested field has no condition.
KOVA_EXPORT BOOL WINAPI VerifyVersionInfoW(LPOSVERSIONINFOEXW lpVersionInformation, DWORD dwTypeMask,
                                           DWORDLONG dwlConditionMask);
KOVA_EXPORT ULONGLONG WINAPI VerSetConditionMask(ULONGLONG ConditionMask, DWORD TypeMask, BYTE Condition);
}  // extern "C"

// ---- system folders and names ----------------------------------------------------------
constexpr DWORD UNLEN = 256;
constexpr DWORD MAX_COMPUTERNAME_LENGTH = 15;

extern "C" {
// Length without the NUL on success; the size needed including the NUL when uSize is too
// small (the buffer is then left alone).
KOVA_EXPORT UINT WINAPI GetSystemDirectoryW(LPWSTR lpBuffer, UINT uSize);
KOVA_EXPORT UINT WINAPI GetSystemDirectoryA(LPSTR lpBuffer, UINT uSize);
KOVA_EXPORT UINT WINAPI GetWindowsDirectoryW(LPWSTR lpBuffer, UINT uSize);
KOVA_EXPORT UINT WINAPI GetWindowsDirectoryA(LPSTR lpBuffer, UINT uSize);
KOVA_EXPORT UINT WINAPI GetSystemWindowsDirectoryW(LPWSTR lpBuffer, UINT uSize);
// *pcbBuffer: characters in, characters written including the NUL out; too small:
// ERROR_INSUFFICIENT_BUFFER with the size needed including the NUL.
KOVA_EXPORT BOOL WINAPI GetUserNameW(LPWSTR lpBuffer, LPDWORD pcbBuffer);
KOVA_EXPORT BOOL WINAPI GetUserNameA(LPSTR lpBuffer, LPDWORD pcbBuffer);
// *nSize: characters in, characters copied without the NUL out; too small:
// ERROR_BUFFER_OVERFLOW with the size needed including the NUL.
KOVA_EXPORT BOOL WINAPI GetComputerNameW(LPWSTR lpBuffer, LPDWORD nSize);
KOVA_EXPORT BOOL WINAPI GetComputerNameA(LPSTR lpBuffer, LPDWORD nSize);
}  // extern "C"

// ---- locale -----------------------------------------------------------------------------
using LCTYPE = DWORD;

constexpr LCID LOCALE_NEUTRAL = 0x0000;
constexpr LCID LOCALE_INVARIANT = 0x007F;
constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;

constexpr LCTYPE LOCALE_NOUSEROVERRIDE = 0x80000000;
constexpr LCTYPE LOCALE_USE_CP_ACP = 0x40000000;
constexpr LCTYPE LOCALE_RETURN_NUMBER = 0x20000000;

constexpr LCTYPE LOCALE_ILANGUAGE = 0x0001;
constexpr LCTYPE LOCALE_SLANGUAGE = 0x0002;
constexpr LCTYPE LOCALE_SABBREVLANGNAME = 0x0003;
constexpr LCTYPE LOCALE_SNATIVELANGNAME = 0x0004;
constexpr LCTYPE LOCALE_ICOUNTRY = 0x0005;
constexpr LCTYPE LOCALE_SCOUNTRY = 0x0006;
constexpr LCTYPE LOCALE_SABBREVCTRYNAME = 0x0007;
constexpr LCTYPE LOCALE_SNATIVECTRYNAME = 0x0008;
constexpr LCTYPE LOCALE_IDEFAULTLANGUAGE = 0x0009;
constexpr LCTYPE LOCALE_IDEFAULTCOUNTRY = 0x000A;
constexpr LCTYPE LOCALE_IDEFAULTCODEPAGE = 0x000B;
constexpr LCTYPE LOCALE_SLIST = 0x000C;
constexpr LCTYPE LOCALE_IMEASURE = 0x000D;
constexpr LCTYPE LOCALE_SDECIMAL = 0x000E;
constexpr LCTYPE LOCALE_STHOUSAND = 0x000F;
constexpr LCTYPE LOCALE_SISO639LANGNAME = 0x0059;
constexpr LCTYPE LOCALE_SISO3166CTRYNAME = 0x005A;
constexpr LCTYPE LOCALE_SNAME = 0x005C;
constexpr LCTYPE LOCALE_SENGLANGUAGE = 0x1001;
constexpr LCTYPE LOCALE_SENGCOUNTRY = 0x1002;
constexpr LCTYPE LOCALE_IDEFAULTANSICODEPAGE = 0x1004;

inline constexpr WORD PRIMARYLANGID(WORD lgid) { return static_cast<WORD>(lgid & 0x3FF); }
inline constexpr WORD SUBLANGID(WORD lgid) { return static_cast<WORD>(lgid >> 10); }
inline constexpr WORD MAKELANGID(WORD p, WORD s) { return static_cast<WORD>((s << 10) | p); }
inline constexpr LANGID LANGIDFROMLCID(LCID lcid) { return static_cast<LANGID>(lcid & 0xFFFF); }
inline constexpr LCID MAKELCID(WORD lgid, WORD srtid) { return (static_cast<DWORD>(srtid) << 16) | lgid; }

extern "C" {
KOVA_EXPORT LCID WINAPI GetUserDefaultLCID();
KOVA_EXPORT LCID WINAPI GetSystemDefaultLCID();
KOVA_EXPORT LANGID WINAPI GetUserDefaultLangID();
KOVA_EXPORT LANGID WINAPI GetSystemDefaultLangID();
KOVA_EXPORT LANGID WINAPI GetUserDefaultUILanguage();
KOVA_EXPORT LANGID WINAPI GetSystemDefaultUILanguage();
KOVA_EXPORT LCID WINAPI GetThreadLocale();
KOVA_EXPORT BOOL WINAPI SetThreadLocale(LCID Locale);
KOVA_EXPORT BOOL WINAPI IsValidLocale(LCID Locale, DWORD dwFlags);
// cchData 0: the size needed including the NUL. Too small: 0 and ERROR_INSUFFICIENT_BUFFER.
// With LOCALE_RETURN_NUMBER a numeric type answers a DWORD in the buffer (2 characters).
KOVA_EXPORT int WINAPI GetLocaleInfoW(LCID Locale, LCTYPE LCType, LPWSTR lpLCData, int cchData);
// The same in bytes, text in the locale's ANSI code page (or the machine's with
// LOCALE_USE_CP_ACP).
KOVA_EXPORT int WINAPI GetLocaleInfoA(LCID Locale, LCTYPE LCType, LPSTR lpLCData, int cchData);
}  // extern "C"

// ---- code pages ---------------------------------------------------------------------------
constexpr UINT CP_ACP = 0;
constexpr UINT CP_OEMCP = 1;
constexpr UINT CP_MACCP = 2;
constexpr UINT CP_THREAD_ACP = 3;
constexpr UINT CP_UTF8 = 65001;

constexpr DWORD MB_PRECOMPOSED = 0x00000001;
constexpr DWORD MB_COMPOSITE = 0x00000002;
constexpr DWORD MB_USEGLYPHCHARS = 0x00000004;
constexpr DWORD MB_ERR_INVALID_CHARS = 0x00000008;
constexpr DWORD WC_COMPOSITECHECK = 0x00000200;
constexpr DWORD WC_DISCARDNS = 0x00000010;
constexpr DWORD WC_SEPCHARS = 0x00000020;
constexpr DWORD WC_DEFAULTCHAR = 0x00000040;
constexpr DWORD WC_ERR_INVALID_CHARS = 0x00000080;
constexpr DWORD WC_NO_BEST_FIT_CHARS = 0x00000400;

constexpr UINT MAX_LEADBYTES = 12;
constexpr UINT MAX_DEFAULTCHAR = 2;

struct CPINFO {
  UINT MaxCharSize;
  BYTE DefaultChar[MAX_DEFAULTCHAR];
  BYTE LeadByte[MAX_LEADBYTES];
};
using LPCPINFO = CPINFO*;

struct CPINFOEXW {
  UINT MaxCharSize;
  BYTE DefaultChar[MAX_DEFAULTCHAR];
  BYTE LeadByte[MAX_LEADBYTES];
  WCHAR UnicodeDefaultChar;
  UINT CodePage;
  WCHAR CodePageName[MAX_PATH];
};
using LPCPINFOEXW = CPINFOEXW*;

using NTSTATUS = LONG;
constexpr NTSTATUS STATUS_SUCCESS = 0;
constexpr NTSTATUS STATUS_BUFFER_OVERFLOW = static_cast<NTSTATUS>(0x80000005u);
constexpr NTSTATUS STATUS_INVALID_PARAMETER = static_cast<NTSTATUS>(0xC000000Du);
inline constexpr bool NT_SUCCESS(NTSTATUS s) { return s >= 0; }

extern "C" {
KOVA_EXPORT UINT WINAPI GetACP();
KOVA_EXPORT UINT WINAPI GetOEMCP();
KOVA_EXPORT BOOL WINAPI IsValidCodePage(UINT CodePage);
// An unknown code page, or CP_ACP and the like standing for one: FALSE and
// ERROR_INVALID_PARAMETER.
KOVA_EXPORT BOOL WINAPI GetCPInfo(UINT CodePage, LPCPINFO lpCPInfo);
// dwFlags is reserved (0). CodePage holds the page asked for, CP_ACP resolved.
KOVA_EXPORT BOOL WINAPI GetCPInfoExW(UINT CodePage, DWORD dwFlags, LPCPINFOEXW lpCPInfoEx);
KOVA_EXPORT BOOL WINAPI IsDBCSLeadByte(BYTE TestChar);
KOVA_EXPORT BOOL WINAPI IsDBCSLeadByteEx(UINT CodePage, BYTE TestChar);
// cbMultiByte -1: the string and its NUL. cchWideChar 0: the size needed. Too small: 0 and
// ERROR_INSUFFICIENT_BUFFER (the buffer may hold a partial result).
KOVA_EXPORT int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                                           LPWSTR lpWideCharStr, int cchWideChar);
KOVA_EXPORT int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                                           LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                                           LPBOOL lpUsedDefaultChar);
// ntdll forms: sizes in bytes, the ANSI code page, no NUL added; output beyond the
// destination's size is dropped (a double-byte character is never split).
KOVA_EXPORT NTSTATUS WINAPI RtlMultiByteToUnicodeN(WCHAR* UnicodeString, ULONG MaxBytesInUnicodeString,
                                                   ULONG* BytesInUnicodeString, const CHAR* MultiByteString,
                                                   ULONG BytesInMultiByteString);
KOVA_EXPORT NTSTATUS WINAPI RtlUnicodeToMultiByteN(CHAR* MultiByteString, ULONG MaxBytesInMultiByteString,
                                                   ULONG* BytesInMultiByteString, const WCHAR* UnicodeString,
                                                   ULONG BytesInUnicodeString);
KOVA_EXPORT NTSTATUS WINAPI RtlMultiByteToUnicodeSize(ULONG* BytesInUnicodeString, const CHAR* MultiByteString,
                                                      ULONG BytesInMultiByteString);
KOVA_EXPORT NTSTATUS WINAPI RtlUnicodeToMultiByteSize(ULONG* BytesInMultiByteString, const WCHAR* UnicodeString,
                                                      ULONG BytesInUnicodeString);
// Character steps in ANSI text of the machine's code page (double-byte aware).
KOVA_EXPORT LPSTR WINAPI CharNextA(LPCSTR lpsz);
KOVA_EXPORT LPSTR WINAPI CharPrevA(LPCSTR lpszStart, LPCSTR lpszCurrent);
KOVA_EXPORT LPSTR WINAPI CharNextExA(WORD CodePage, LPCSTR lpCurrentChar, DWORD dwFlags);
KOVA_EXPORT LPSTR WINAPI CharPrevExA(WORD CodePage, LPCSTR lpStart, LPCSTR lpCurrentChar, DWORD dwFlags);
}  // extern "C"

// ---- string helpers -------------------------------------------------------------------------
constexpr DWORD NORM_IGNORECASE = 0x00000001;
constexpr DWORD NORM_IGNORENONSPACE = 0x00000002;
constexpr DWORD NORM_IGNORESYMBOLS = 0x00000004;
constexpr DWORD LINGUISTIC_IGNORECASE = 0x00000010;
constexpr DWORD SORT_STRINGSORT = 0x00001000;
constexpr DWORD NORM_IGNOREKANATYPE = 0x00010000;
constexpr DWORD NORM_IGNOREWIDTH = 0x00020000;
constexpr int CSTR_LESS_THAN = 1;
constexpr int CSTR_EQUAL = 2;
constexpr int CSTR_GREATER_THAN = 3;

extern "C" {
KOVA_EXPORT int WINAPI lstrlenW(LPCWSTR lpString);
KOVA_EXPORT int WINAPI lstrlenA(LPCSTR lpString);
KOVA_EXPORT LPWSTR WINAPI lstrcpyW(LPWSTR lpString1, LPCWSTR lpString2);
KOVA_EXPORT LPSTR WINAPI lstrcpyA(LPSTR lpString1, LPCSTR lpString2);
// Copies at most iMaxLength - 1 characters and always ends the copy with a NUL.
KOVA_EXPORT LPWSTR WINAPI lstrcpynW(LPWSTR lpString1, LPCWSTR lpString2, int iMaxLength);
KOVA_EXPORT LPSTR WINAPI lstrcpynA(LPSTR lpString1, LPCSTR lpString2, int iMaxLength);
KOVA_EXPORT LPWSTR WINAPI lstrcatW(LPWSTR lpString1, LPCWSTR lpString2);
KOVA_EXPORT LPSTR WINAPI lstrcatA(LPSTR lpString1, LPCSTR lpString2);
// Word comparison of the user's locale: letters compare alphabetically first, and on a tie
// a lower-case letter sorts before its upper-case form. Answers -1, 0 or 1.
KOVA_EXPORT int WINAPI lstrcmpW(LPCWSTR lpString1, LPCWSTR lpString2);
KOVA_EXPORT int WINAPI lstrcmpiW(LPCWSTR lpString1, LPCWSTR lpString2);
KOVA_EXPORT int WINAPI lstrcmpA(LPCSTR lpString1, LPCSTR lpString2);
KOVA_EXPORT int WINAPI lstrcmpiA(LPCSTR lpString1, LPCSTR lpString2);
// CSTR_LESS_THAN / CSTR_EQUAL / CSTR_GREATER_THAN, or 0 with the error set.
KOVA_EXPORT int WINAPI CompareStringW(LCID Locale, DWORD dwCmpFlags, LPCWSTR lpString1, int cchCount1,
                                      LPCWSTR lpString2, int cchCount2);
KOVA_EXPORT int WINAPI CompareStringA(LCID Locale, DWORD dwCmpFlags, LPCSTR lpString1, int cchCount1,
                                      LPCSTR lpString2, int cchCount2);
// A pointer whose high bits are zero carries one character in its low word, which is
// converted and returned the same way; otherwise the string is converted in place.
KOVA_EXPORT LPWSTR WINAPI CharUpperW(LPWSTR lpsz);
KOVA_EXPORT LPWSTR WINAPI CharLowerW(LPWSTR lpsz);
KOVA_EXPORT DWORD WINAPI CharUpperBuffW(LPWSTR lpsz, DWORD cchLength);
KOVA_EXPORT DWORD WINAPI CharLowerBuffW(LPWSTR lpsz, DWORD cchLength);
}  // extern "C"

#pragma GCC visibility pop
