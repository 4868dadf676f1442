// The lines of the font substitution list: the TrueType face name padded with blanks to 31
// characters, " > " (characters 31-33), then the printer font from character 34.
#pragma once

#include <cstddef>

#include "win/types.h"

constexpr int kFontNameChars = 32;
constexpr int kFontLineChars = 34 + kFontNameChars + 1;

// The line of a face and its printer font (each cut to 31 characters) into out
// (kFontLineChars characters).
void MakeFontLine(const WCHAR* face, const WCHAR* printerFont, WCHAR* out);
// The name part: the first 32 characters without trailing blanks (kFontNameChars + 1).
void FontLineName(const WCHAR* line, WCHAR* out);
// The printer font part: the text from character 34 (kFontNameChars + 1); empty for a short
// line.
void FontLinePrinterFont(const WCHAR* line, WCHAR* out);
// The line with its printer font replaced (name part and " > " kept).
void ReplaceFontLinePrinterFont(WCHAR* line, const WCHAR* printerFont);
