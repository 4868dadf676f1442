// The profile API: INI files read and written through section and key names.
//
// Files are text in the machine's ANSI code page (a file that starts with a UTF-16LE
// byte-order mark stays UTF-16). A file name without any folder is taken from the
// Windows directory. Every write lands on disk before the call returns (the file is
// replaced atomically, and writers from other threads and processes are serialised), so
// the all-null "flush" call has nothing left to do and readers in other processes see
// every write at once.
#pragma once

// Exported by the platform library (built with hidden visibility otherwise).
#pragma GCC visibility push(default)

#include "win/types.h"

extern "C" {

// The integer of a key's value; nDefault when the key (or the file) is missing or empty.
// The text is converted as Windows converts it: leading blanks, an optional sign, and a
// "0x" (hex), "0o" (octal) or "0b" (binary) prefix; the first other character ends it.
UINT GetPrivateProfileIntW(LPCWSTR lpAppName, LPCWSTR lpKeyName, INT nDefault, LPCWSTR lpFileName);
UINT GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault, LPCSTR lpFileName);

// A key's value (blanks around it and one pair of enclosing quotes removed), or with a
// null lpAppName the list of section names, or with a null lpKeyName the list of the
// section's keys (lists: strings each NUL-terminated, then a final NUL). Returns the
// characters copied without the final NUL; a value cut to fit returns nSize - 1, a list
// cut to fit nSize - 2 (GetLastError ERROR_MORE_DATA). A missing key gives lpDefault
// without its trailing blanks (GetLastError ERROR_FILE_NOT_FOUND).
DWORD GetPrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpDefault, LPWSTR lpReturnedString,
                               DWORD nSize, LPCWSTR lpFileName);
DWORD GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault, LPSTR lpReturnedString,
                               DWORD nSize, LPCSTR lpFileName);

// Sets a key (creating the file and the section when missing). A null lpString deletes
// the key, a null lpKeyName the whole section; all of lpAppName, lpKeyName and lpString
// null flushes the file (always TRUE here). The rest of the file is kept as it was.
BOOL WritePrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpString, LPCWSTR lpFileName);
BOOL WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString, LPCSTR lpFileName);

// The lines of a section ("key=value", comments too) as a NUL-separated list ending in
// an extra NUL; cut to fit returns nSize - 2.
DWORD GetPrivateProfileSectionW(LPCWSTR lpAppName, LPWSTR lpReturnedString, DWORD nSize, LPCWSTR lpFileName);
DWORD GetPrivateProfileSectionA(LPCSTR lpAppName, LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName);
// Replaces the content of a section by the lines of a NUL-separated list ending in an
// extra NUL (the section is added when missing); a null lpString deletes the section.
BOOL WritePrivateProfileSectionW(LPCWSTR lpAppName, LPCWSTR lpString, LPCWSTR lpFileName);
BOOL WritePrivateProfileSectionA(LPCSTR lpAppName, LPCSTR lpString, LPCSTR lpFileName);
// The section names of a file, as GetPrivateProfileStringW with a null lpAppName.
DWORD GetPrivateProfileSectionNamesW(LPWSTR lpszReturnBuffer, DWORD nSize, LPCWSTR lpFileName);

// The same on win.ini in the Windows directory.
UINT GetProfileIntW(LPCWSTR lpAppName, LPCWSTR lpKeyName, INT nDefault);
DWORD GetProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpDefault, LPWSTR lpReturnedString,
                        DWORD nSize);
BOOL WriteProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpString);

}  // extern "C"

#pragma GCC visibility pop
