// The display text of a setting's value, and whether the language writes a decimal comma.
#pragma once

#include <cstdint>

#include "win/types.h"

struct DriverContext;

// Option types of the model description (the type word without its marks).
constexpr WORD OPT_PICK_ONE = 0x0001;
constexpr WORD OPT_PICK_MANY = 0x0002;
constexpr WORD OPT_BOOLEAN = 0x0004;
constexpr WORD OPT_NUMERIC = 0x0008;
constexpr WORD OPT_STRING = 0x0010;
constexpr WORD OPT_PICK_PAGE = 0x0101;
constexpr WORD OPT_PICK_SLOT = 0x0201;
constexpr WORD OPT_FONT_TABLE = 0x0401;

// The string id a value id is shown with: the paired id of the substitution table (57
// rows), or the value id itself.
DWORD SubstituteDisplayStringId(DWORD valueId);

// 1 when kdmLanguageID (169) is one of the language ids 2 to 15.
BOOL UsesDecimalComma(DriverContext* context);

// The text of the current value of the setting with that item id, by its option's type
// (a setting without an option shows "%d"). The buffer holds size characters.
void FormatFieldValueText(DriverContext* context, std::int16_t itemId, WCHAR* buffer, int size);
// The same for a known option type and unit-label string id (the first word of a Numeric
// option's value record).
void FormatValueTextForOption(DriverContext* context, std::int16_t itemId, WORD optionType, DWORD unitLabelId,
                              WCHAR* buffer, int size);
