// Value maps: stored values of a field and the model's option value ids.
#pragma once

#include "base/settings_field.h"

struct DriverContext;

// The map in force for the field: its first map, or the second (landscape) map of
// kdmNUPType and kdmDuplexType while dmOrientation is 2, and of kdmPunchType and
// kdmStapleType while PrintPaperOrient is 1. Null when the field has no map.
const ValueMapEntry* GetActiveValueMap(DriverContext* context, const SettingField* field);
// The second map of a map (the pairs behind the first terminator), or null when the field
// has no second map.
const ValueMapEntry* GetSecondValueMap(const SettingField* field);

DWORD RawToOptionIndex(DriverContext* context, const SettingField* field, DWORD raw);
DWORD OptionIndexToRaw(DriverContext* context, const SettingField* field, DWORD value);
int IsRawValueMapped(DriverContext* context, const SettingField* field, DWORD raw);

// Whether the sheet is printed landscape once N-up and booklet layouts are counted: 0 or 1.
// It is computed judge item 819 and lives with the computed items (model/judge_items.h).
int PrintPaperOrient(DriverContext* context);
