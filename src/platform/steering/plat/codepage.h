// Code pages of the platform: every ANSI and OEM code page iconv knows (1252, 932, 936,
// 949, 950, 850, 437, 1250-1258...), through tables built once per page, and UTF-8.
// The Win32 conversion calls (MultiByteToWideChar, WideCharToMultiByte, the Rtl forms)
// are built on these.
#pragma once

// Exported by the platform library (built with hidden visibility otherwise).
#pragma GCC visibility push(default)

#include <string>
#include <string_view>

#include "win/types.h"

namespace plat {

// True for the code pages this platform converts: UTF-8 (65001) and every page iconv knows
// under its Windows number.
bool IsSupportedCodePage(UINT cp);
// The code page that CP_ACP (0) stands for: the machine's ANSI code page.
UINT ResolveCodePage(UINT cp);
// Lead byte of a double-byte character in the code page (932, 936, 949, 950...).
bool IsLeadByte(UINT cp, BYTE b);
// Bytes to UTF-16. Undecodable bytes become the page's default character (U+30FB on the
// double-byte pages, '?' otherwise; UTF-8 gives U+FFFD; 1252 maps every byte); *invalid is
// set when any was met. A page the platform does not know converts as 1252.
std::u16string AnsiToWide(std::string_view bytes, UINT cp, bool* invalid = nullptr);
// UTF-16 to bytes. Characters without a mapping become '?'; *usedDefault is set when any did.
std::string WideToAnsi(std::u16string_view text, UINT cp, bool* usedDefault = nullptr);

}  // namespace plat

#pragma GCC visibility pop
