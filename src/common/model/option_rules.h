// Rule questions the settings API and the property pages ask of an option by feature id or
// by option ordinal: whether one value is disabled, the disable and hide rules of a
// condition block, and the short names under which the field checks and the capability
// lists answer the same questions.
#pragma once

#include "model/field_checks.h"
#include "model/printer_option_table.h"
#include "win/types.h"

struct DriverContext;

// Whether one value of the feature's option is disabled now: -1 when the feature has no
// option. Value 0 asks the option's own disable rule. Any other value without an entry of
// its own in the option's condition block counts as disabled (1); with an entry, its
// disable rule decides (0 or 1). In the settings API the feature needs a condition block
// (-1 without one) and the entry's own rule decides alone; the other deliverables also
// consult the rules of the media type a custom media entry is based on.
int IsOptionValueDisabled(DriverContext* context, WORD featureId, WORD valueId);

// The disable (resp. hide) rule of the condition block of the option with that ordinal:
// the block's own rule for item 0, else the rule of the item's entry (0 when the item has
// no entry). 1 true, 0 false, -1 when the model has no such block.
int IsConditionBlockDisabled(WORD optionOrdinal, WORD item, DriverContext* context);
int IsConditionBlockHidden(WORD optionOrdinal, WORD item, DriverContext* context);

// 1 when the field's option offers the value and the rules do not disable it (a hidden
// value counts as offered), 0 when not, FIELD_UNDESCRIBED or FIELD_NO_OPTION otherwise.
inline int IsFieldValueAcceptable(WORD id, DWORD value, DriverContext* context) {
  return IsFieldValueAcceptableSimple(id, value, context);
}
// OPTION_VALID, OPTION_INVALID, OPTION_DISABLED or OPTION_HIDDEN of a value for an option.
inline int ValidateFeatureValueByOption(SettingField* field, WORD id, DWORD value, DriverContext* context,
                                        ImageRef option) {
  return CheckOptionValue(field, id, value, context, option);
}
// 1 when the capability value list of the key has an available value that does not switch
// the function off.
inline int HasCapabilityValues(DriverContext* context, WORD key) { return HasCapabilityValue(context, key); }
