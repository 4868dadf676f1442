// The system's message texts (FormatMessageW).
//
// Our own declarations, written from the documented behaviour of FormatMessageW.
#pragma once

// Exported by the platform library (built with hidden visibility otherwise).
#pragma GCC visibility push(default)

#include <cstdarg>

#include "win/types.h"

constexpr DWORD FORMAT_MESSAGE_ALLOCATE_BUFFER = 0x00000100;
constexpr DWORD FORMAT_MESSAGE_IGNORE_INSERTS = 0x00000200;
constexpr DWORD FORMAT_MESSAGE_FROM_STRING = 0x00000400;
constexpr DWORD FORMAT_MESSAGE_FROM_HMODULE = 0x00000800;
constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x00001000;
constexpr DWORD FORMAT_MESSAGE_ARGUMENT_ARRAY = 0x00002000;
constexpr DWORD FORMAT_MESSAGE_MAX_WIDTH_MASK = 0x000000FF;

extern "C" {
// The text of a system error code (FORMAT_MESSAGE_FROM_SYSTEM), in English, ending in CR LF
// as Windows' texts do; or a message string (FORMAT_MESSAGE_FROM_STRING). Inserts %1 ... %99
// are filled from an argument array of wide strings (FORMAT_MESSAGE_ARGUMENT_ARRAY, with
// !s! or no format) or kept as they are (FORMAT_MESSAGE_IGNORE_INSERTS); %% %n %r %t %0
// as documented. With FORMAT_MESSAGE_ALLOCATE_BUFFER lpBuffer receives a LocalAlloc block
// (free it with LocalFree). Answers the characters written without the NUL; 0 with
// ERROR_MR_MID_NOT_FOUND for a code without a text, ERROR_INSUFFICIENT_BUFFER when nSize
// is too small, ERROR_INVALID_PARAMETER for inserts without arguments or a module's
// message table (none are kept).
KOVA_EXPORT DWORD WINAPI FormatMessageW(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD dwLanguageId,
                                        LPWSTR lpBuffer, DWORD nSize, va_list* Arguments);
}  // extern "C"

#pragma GCC visibility pop
