// Whether a value of a named printer option may be set now: the value's condition, or a
// trial of the value on the settings, then the N-up lock.
#pragma once

#include "model/printer_option_table.h"
#include "win/types.h"

struct DriverContext;

// Kind bit of the options whose values are tried on the settings.
constexpr DWORD kTriedOptionKind = 0x8;

// 1 when the value may be set now, else 0. For an option of kind kTriedOptionKind the value
// is written into the option's field (unless it is an alias or the field is not part of
// the device-mode, above 722), then the option's implied settings and the value's implied
// settings, the transacts of the option's field run, and every field written must still
// hold what was written; the settings, the field states, the dirty word and the change
// flags are as they were afterwards. Any other option: the value's condition list. Either
// way a kdmNUPType value must agree with an N-up lock in force.
int TryCapabilityValue(DriverContext* context, const PrinterOptionRecord* record, const PrinterOptionValue* value);
