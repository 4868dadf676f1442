// Whether a stored setting is acceptable to the model: the field checks with their
// corrections, the option checks by option type, the N-up rule and the scale clamp.
//
// A value must be one of the option's values (or within a Numeric option's range) and not
// disabled by the rules; an invalid value is replaced by a default, never reported.
#pragma once

#include <cstdint>

#include "model/model_image.h"
#include "win/types.h"

struct DriverContext;
struct SettingField;

// Field status.
constexpr int FIELD_VALID = 1;         // valid, or corrected
constexpr int FIELD_UNDESCRIBED = 2;   // no field, or keyword id 0
constexpr int FIELD_NO_OPTION = 3;     // the model has no option for the field

// Option check results.
constexpr int OPTION_INVALID = 0;
constexpr int OPTION_VALID = 1;
constexpr int OPTION_DISABLED = 4;
constexpr int OPTION_HIDDEN = 5;   // counts as valid everywhere

// Merge flags read by the checks.
constexpr DWORD MERGE_KEEP_DISABLED = 0x80000;
constexpr DWORD MERGE_CLAMP_SCALE = 0x40000000;

// The model's values of kdmPresetNo are the preset number plus this base.
constexpr WORD kPresetValueBase = 119;

// Option types without the Identity and TypeUnknown marks.
constexpr WORD OPTTYPE_PICKONE = 0x0001;
constexpr WORD OPTTYPE_PICKMANY = 0x0002;
constexpr WORD OPTTYPE_BOOLEAN = 0x0004;
constexpr WORD OPTTYPE_NUMERIC = 0x0008;
constexpr WORD OPTTYPE_PICKPAGE = 0x0101;
constexpr WORD OPTTYPE_PICKSLOT = 0x0201;
constexpr WORD OPTTYPE_MARKS_OFF = 0xCFFF;
constexpr WORD OPTTYPE_UNKNOWN_ONLY = 0x2000;

// The type of an option record with the two marks off; 0 for none.
WORD OptionTypeOf(ImageRef option);
// The bounds of a Numeric option's value record; false (and nothing written) without one.
bool GetNumericBounds(ImageRef option, std::int32_t* minimum, std::int32_t* maximum);

// Field checks. CheckFieldValue corrects an invalid value (model default, or the scale
// clamp while the merge asks for it); the simple form has its own correction rule.
int CheckFieldValue(WORD id, DWORD value, DriverContext* context);
int CheckFieldValueSimple(WORD id, DWORD value, DriverContext* context);
// 2 or 3 as the status, else 1 when CheckOptionValueSimple gives 1 or 5 and 0 otherwise.
// Corrects nothing.
int IsFieldValueAcceptableSimple(WORD id, DWORD value, DriverContext* context);
// kdmScaleH and kdmScaleV with a Numeric option are clamped into its range; every other
// case gets the model default.
void ClampOrDefaultField(DriverContext* context, SettingField* field, WORD id, DWORD value);

// Option checks: 1, 0, 4 or 5 (the simple form 1 or 0).
int CheckOptionValue(SettingField* field, WORD id, DWORD value, DriverContext* context, ImageRef option);
int CheckOptionValueSimple(SettingField* field, WORD id, DWORD value, DriverContext* context);

// 1 when an item of the list has the value as its 16-bit value id.
int OptionListContains(ImageRef items, DWORD value);
int IsBooleanValue(DWORD value);
// minimum <= value <= maximum of a Numeric value record (signed); 0 without one.
int IsInNumericRange(ImageRef valueRecord, DWORD value);
// The N-up kind of a kdmNUPType value.
int MapNupTypeToKind(DWORD value);
// The preset number a kdmPresetNo byte stands for (119-134 are 0-15, 118 is 255).
DWORD PresetNumberOf(DWORD value);
