// The device fonts a printer offers and the TrueType-to-device font substitution table,
// as loaded into the printer-side settings of a context.
#pragma once

#include "win/types.h"

struct DriverContext;
struct FontSubstitutionRecord;

// How many fonts the printer offers: its device fonts and the fonts of installed font
// options together; 0 for a null context.
int GetDeviceFontCount(DriverContext* context);
// The face name of font n, counting the device fonts first and then the option fonts,
// copied into destination (32 characters with the terminator); an empty name for n beyond
// both lists.
void GetDeviceFontName(DriverContext* context, int n, WCHAR* destination);
// The device font that replaces a TrueType face: the device-font name of the first
// substitution row whose TrueType name equals face (case-sensitive), else font 0's name.
void FindSubstituteFont(DriverContext* context, const WCHAR* face, WCHAR* destination);
// Swaps in an edited substitution table. The first call of a context remembers the
// loaded table (handle and count) in the work area and detaches it from the settings.
// With a table (a block from AllocMem): the settings own it afterwards, count rows, and
// the table they held before is freed unless something else still names it. With null:
// the table is loaded again from printer data.
void SetFontTable(DriverContext* context, int count, FontSubstitutionRecord* table);
// The default font face: "ＭＳ Ｐゴシック" with the Japanese UI resource DLL, else "Arial".
// The destination holds 32 characters.
void GetDefaultFontName(DriverContext* context, WCHAR* destination);
