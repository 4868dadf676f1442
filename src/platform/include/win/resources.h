// Resources of modules: string tables and the raw resource calls.
//
// A module's resources come from its resource script (plat/rc_script.h): the resource
// module "X.rc" itself, or the "X.rc" beside a shared object "X.so".
#pragma once

// Exported by the platform library (built with hidden visibility otherwise).
#pragma GCC visibility push(default)

#include "win/kernel.h"
#include "win/types.h"

inline LPWSTR MAKEINTRESOURCEW(WORD id) { return reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(id)); }
inline LPSTR MAKEINTRESOURCEA(WORD id) { return reinterpret_cast<LPSTR>(static_cast<ULONG_PTR>(id)); }
inline bool IS_INTRESOURCE(const void* p) { return (reinterpret_cast<ULONG_PTR>(p) >> 16) == 0; }

// Standard resource types.
inline const LPCWSTR RT_CURSOR = MAKEINTRESOURCEW(1);
inline const LPCWSTR RT_BITMAP = MAKEINTRESOURCEW(2);
inline const LPCWSTR RT_ICON = MAKEINTRESOURCEW(3);
inline const LPCWSTR RT_MENU = MAKEINTRESOURCEW(4);
inline const LPCWSTR RT_DIALOG = MAKEINTRESOURCEW(5);
inline const LPCWSTR RT_STRING = MAKEINTRESOURCEW(6);
inline const LPCWSTR RT_FONTDIR = MAKEINTRESOURCEW(7);
inline const LPCWSTR RT_FONT = MAKEINTRESOURCEW(8);
inline const LPCWSTR RT_ACCELERATOR = MAKEINTRESOURCEW(9);
inline const LPCWSTR RT_RCDATA = MAKEINTRESOURCEW(10);
inline const LPCWSTR RT_MESSAGETABLE = MAKEINTRESOURCEW(11);
inline const LPCWSTR RT_GROUP_CURSOR = MAKEINTRESOURCEW(12);
inline const LPCWSTR RT_GROUP_ICON = MAKEINTRESOURCEW(14);
inline const LPCWSTR RT_VERSION = MAKEINTRESOURCEW(16);
inline const LPCWSTR RT_HTML = MAKEINTRESOURCEW(23);
inline const LPCWSTR RT_MANIFEST = MAKEINTRESOURCEW(24);

constexpr WORD LANG_NEUTRAL = 0x00;
constexpr WORD LANG_ENGLISH = 0x09;
constexpr WORD LANG_JAPANESE = 0x11;
constexpr WORD SUBLANG_NEUTRAL = 0x00;
constexpr WORD SUBLANG_DEFAULT = 0x01;

using ENUMRESNAMEPROCW = BOOL (*)(HMODULE hModule, LPCWSTR lpType, LPWSTR lpName, LONG_PTR lParam);

extern "C" {

// A string of a string table (the block (uID >> 4) + 1, entry uID & 15, in the language
// FindResourceW would pick). Answers its length in characters. nBufferMax 0: lpBuffer
// receives a read-only pointer to the text inside the resource (not NUL-terminated), valid
// while the module is loaded. Otherwise at most nBufferMax - 1 characters and a NUL are
// copied. 0 for a missing or empty string (the buffer then holds an empty string), for a
// null buffer, or an unknown module (ERROR_MOD_NOT_FOUND). hInstance NULL: the host
// executable's module.
KOVA_EXPORT int WINAPI LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int nBufferMax);
// The same in the ANSI code page: sizes in bytes; a double-byte character that does not fit
// whole is left out. nBufferMax 0 answers 0.
KOVA_EXPORT int WINAPI LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int nBufferMax);

// Finds a resource in the language Windows would choose (see plat::ResourceTable).
// Errors: ERROR_RESOURCE_DATA_NOT_FOUND (module without resources),
// ERROR_RESOURCE_TYPE_NOT_FOUND, ERROR_RESOURCE_NAME_NOT_FOUND, ERROR_MOD_NOT_FOUND.
KOVA_EXPORT HRSRC WINAPI FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType);
// The same in one language (note the order: type, then name); LANG_NEUTRAL with
// SUBLANG_NEUTRAL picks as FindResourceW does. ERROR_RESOURCE_LANG_NOT_FOUND when only
// other languages exist.
KOVA_EXPORT HRSRC WINAPI FindResourceExW(HMODULE hModule, LPCWSTR lpType, LPCWSTR lpName, WORD wLanguage);
// The resource's data: a pointer into the module, valid while it is loaded.
KOVA_EXPORT HGLOBAL WINAPI LoadResource(HMODULE hModule, HRSRC hResInfo);
KOVA_EXPORT LPVOID WINAPI LockResource(HGLOBAL hResData);
KOVA_EXPORT DWORD WINAPI SizeofResource(HMODULE hModule, HRSRC hResInfo);
// Obsolete; resources live as long as their module. Answers FALSE.
KOVA_EXPORT BOOL WINAPI FreeResource(HGLOBAL hResData);
// Calls lpEnumFunc for each name of a type, in script order, until it answers FALSE.
KOVA_EXPORT BOOL WINAPI EnumResourceNamesW(HMODULE hModule, LPCWSTR lpType, ENUMRESNAMEPROCW lpEnumFunc,
                                           LONG_PTR lParam);

}  // extern "C"

#pragma GCC visibility pop
