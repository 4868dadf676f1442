// The lines of the font substitution list: the TrueType face name padded with blanks to 31
// characters, " > " (characters 31-33), then the printer font from character 34.
#pragma once

#include <cstddef>

#include "win/paint.h"
#include "win/types.h"

struct ControlRecord;
struct DriverContext;

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

// What AddFontFamilyLine works with: the context, the TrueType font list's control record
// and a line buffer of kFontLineChars characters.
struct FontFamilyWalk {
  DriverContext* context;
  ControlRecord* list;
  WCHAR* line;
};

// EnumFontFamiliesW callback (lParam a FontFamilyWalk): adds the line of a TrueType family
// with its printer font to the list; families without font data, raster and device families
// and vertical ('@') families are passed over. Always 1: the enumeration goes on.
int AddFontFamilyLine(const LOGFONTW* font, const TEXTMETRICW* metrics, DWORD fontType, LPARAM walk);
// Stores the substitutions the lines of the TrueType font list show: one record for each
// line whose printer font is not the default (printer font 0); no such line leaves an empty
// table. False, with the table as it was, when the list cannot be read or the records
// cannot be allocated.
bool SaveFontSubstitutions(DriverContext* context, HWND list);
