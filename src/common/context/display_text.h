// The display text of a setting's value, and whether the language writes a decimal comma.
#pragma once

#include <cstdint>

#include "win/types.h"

struct DriverContext;

// The control label table: option values whose value-map entry names a control show that
// control's string. Its 57 rows are ended by {0, 0}; count receives the rows before the end.
struct ControlLabel {
  WORD controlId;
  WORD stringId;
};
const ControlLabel* GetControlLabelTable(DWORD* count);
// The string of such a value; 0 when the table has none.
WORD FindControlLabel(WORD controlId);

// The string id a value id is shown with: its control label, or the value id itself.
DWORD SubstituteDisplayStringId(DWORD valueId);

// 1 when kdmLanguageID (169) is one of the language ids 2 to 15.
BOOL UsesDecimalComma(DriverContext* context);

// The text of the current value of the setting with that item id, by its option's type
// (a setting without an option shows "%d"). The buffer holds size characters.
void FormatFieldValueText(DriverContext* context, std::int16_t itemId, WCHAR* buffer, int size);
// The same for a known option type (kType... of the model description) and unit-label string id (the first word of a Numeric
// option's value record).
void FormatValueTextForOption(DriverContext* context, std::int16_t itemId, WORD optionType, DWORD unitLabelId,
                              WCHAR* buffer, int size);
