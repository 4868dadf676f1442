// Locale defaults, unit conversions between hundredths of an inch and tenths of a
// millimetre, scaled numbers, ANSI <-> UTF-16 text and the bitmap-file test.
#pragma once

#include "win/types.h"

struct DriverContext;

// The user's country code when it starts with 1, 2 or 5 (that digit alone), else 0.
int GetLocaleCountryCode(DriverContext* context);
// Country 1, 2 or 5: inches and Letter; otherwise millimetres and A4. Then kdmLocaleID
// (field 172) := the country code.
void SetLocaleDefaults(DriverContext* context);

// dmPaperSize is 256 (a user-defined size) and the display unit is inches / millimetres.
BOOL IsCustomPaperInInches(DriverContext* context);
BOOL IsCustomPaperInMillimetres(DriverContext* context);

// value x 254 / 100, raised until converting back gives at least the value.
DWORD HundredthInchToTenthMm(DWORD value);
// value x 100 / 254.
DWORD TenthMmToHundredthInch(DWORD value);

// Room FormatScaledNumber needs at most, in characters with the NUL.
constexpr DWORD kScaledNumberChars = 32;
// A scaled integer with as many decimals as the scale has powers of ten (1 to 4), else as
// a plain integer; a decimal-comma language gets commas. The buffer holds at least
// kScaledNumberChars characters.
void FormatScaledNumber(WCHAR* buffer, int scale, int value, DriverContext* context);
// The number a person typed, scaled: as many decimals as the scale has powers of ten are
// read after the language's decimal mark (',' in a decimal-comma language, else '.'), the
// missing ones counted as zeros; a '-' before the first digit makes it negative, anything
// else before it and everything after the number is ignored. No digit gives 0. A number
// beyond the 32-bit range gives 0 and sets *overflow (when given) to 1, else 0.
int ParseScaledNumber(const WCHAR* text, int scale, DriverContext* context, BOOL* overflow = nullptr);
// Every '.' from the end back to the first '(' met (or the start) becomes ','. Answers the
// last character examined; an empty or null text answers 0.
WCHAR ReplaceDecimalPoint(WCHAR* text);

// ANSI (system code page) to UTF-16 with the terminator, at most size characters; the last
// character of the target is always 0. A size of 0 or less means the source's length + 1.
void AnsiToWide(WCHAR* target, const char* source, int size);
// UTF-16 to ANSI with the terminator into at most size bytes, the target zero-filled
// first. A size below 1 means the source's length + 1.
void WideToAnsi(char* target, const WCHAR* source, int size);

// 1 and the open file in *file when the file is a Windows bitmap with a BITMAPINFOHEADER
// (the 32-bit value at offset 14 is 40); the caller closes it. Otherwise 0 and the file
// closed.
BOOL OpenBitmapFile(const WCHAR* path, HANDLE* file);
