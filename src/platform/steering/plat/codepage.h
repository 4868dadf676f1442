// ANSI code pages of the platform: 1252 (Western) and 932 (Japanese, double-byte).
// The Win32 conversion calls (MultiByteToWideChar, WideCharToMultiByte, the Rtl forms)
// are built on these.
#pragma once

// Exported by the platform library (built with hidden visibility otherwise).
#pragma GCC visibility push(default)

#include <string>
#include <string_view>

#include "win/types.h"

namespace plat {

// True for the code pages this platform converts (1252, 932, and 65001 for UTF-8).
bool IsSupportedCodePage(UINT cp);
// The code page that CP_ACP (0) stands for: the machine's ANSI code page.
UINT ResolveCodePage(UINT cp);
// Lead byte of a double-byte character in the code page (932 only).
bool IsLeadByte(UINT cp, BYTE b);
// Bytes to UTF-16. Undecodable bytes become U+FFFD (1252 maps every byte); *invalid is
// set when any was met.
std::u16string AnsiToWide(std::string_view bytes, UINT cp, bool* invalid = nullptr);
// UTF-16 to bytes. Characters without a mapping become '?'; *usedDefault is set when any did.
std::string WideToAnsi(std::u16string_view text, UINT cp, bool* usedDefault = nullptr);

}  // namespace plat

#pragma GCC visibility pop
