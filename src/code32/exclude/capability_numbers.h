// Numbers that capability items answer from the model: the Numeric limits of settings
// fields, and the capability handlers built on them.
#pragma once

#include <cstdint>

#include "win/types.h"

struct DriverContext;

// The Numeric limits of kdmShiftMarginX (first field) and kdmShiftMarginY (second field):
// the minimum and maximum of the field's option when it is Numeric and has its value record.
// At least one out value must be asked for (else 0); a field is looked at only when one of
// its out values is asked for. 1 when every field looked at has its limits, else 0; the out
// values of a field are written only when it has them.
int GetShiftMarginLimits(DriverContext* context, std::int32_t* minimumX, std::int32_t* maximumX,
                         std::int32_t* minimumY, std::int32_t* maximumY);

// Capability 34, the shift-margin range: 1 when kdmShiftMarginY has its Numeric limits,
// else 0. The buffer is not used.
std::int32_t CapabilityShiftMarginRange(DriverContext* context, DWORD id, void* buffer);
