// The process environment of the platform: variables of Windows form (names compared
// without regard to case), kept by the platform layer rather than taken from the host
// process. Initially: PATH "C:\Windows\system32;C:\Windows", SystemRoot, windir,
// SystemDrive, USERNAME, USERPROFILE, TEMP, TMP, APPDATA, LOCALAPPDATA, COMPUTERNAME, OS.
#pragma once

// Exported by the platform library (built with hidden visibility otherwise).
#pragma GCC visibility push(default)

#include "win/types.h"

extern "C" {

// Copies the value of a variable. Answers the length without the NUL on success; when
// nSize is too small, the size needed including the NUL (the buffer is left alone); 0 with
// ERROR_ENVVAR_NOT_FOUND for a missing variable.
KOVA_EXPORT DWORD WINAPI GetEnvironmentVariableW(LPCWSTR lpName, LPWSTR lpBuffer, DWORD nSize);
// The same in the ANSI code page; sizes in bytes.
KOVA_EXPORT DWORD WINAPI GetEnvironmentVariableA(LPCSTR lpName, LPSTR lpBuffer, DWORD nSize);
// Sets a variable; a null value deletes it. A null or empty name, or one with '=' after its
// first character, fails with ERROR_INVALID_PARAMETER.
KOVA_EXPORT BOOL WINAPI SetEnvironmentVariableW(LPCWSTR lpName, LPCWSTR lpValue);
KOVA_EXPORT BOOL WINAPI SetEnvironmentVariableA(LPCSTR lpName, LPCSTR lpValue);
// Replaces each %NAME% of a defined variable (name without regard to case) by its value;
// other text, and references to undefined variables, stay as they are. Answers the size of
// the whole result including the NUL; the result is written only when it fits in nSize.
// 0 with ERROR_INVALID_PARAMETER for a null source.
KOVA_EXPORT DWORD WINAPI ExpandEnvironmentStringsW(LPCWSTR lpSrc, LPWSTR lpDst, DWORD nSize);
// The same in the ANSI code page; sizes in bytes.
KOVA_EXPORT DWORD WINAPI ExpandEnvironmentStringsA(LPCSTR lpSrc, LPSTR lpDst, DWORD nSize);
// A copy of the whole block: "NAME=value\0" entries and a final NUL. Freed with
// FreeEnvironmentStringsW.
KOVA_EXPORT LPWSTR WINAPI GetEnvironmentStringsW();
KOVA_EXPORT BOOL WINAPI FreeEnvironmentStringsW(LPWSTR penv);

}  // extern "C"

#pragma GCC visibility pop
