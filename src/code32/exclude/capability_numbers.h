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

// The same form for kdmMarginOdd / kdmMarginEven and for kdmCreepMarginInside /
// kdmCreepMarginOutside.
int GetBindingMarginLimits(DriverContext* context, std::int32_t* minimumOdd, std::int32_t* maximumOdd,
                           std::int32_t* minimumEven, std::int32_t* maximumEven);
int GetCreepMarginLimits(DriverContext* context, std::int32_t* minimumInside, std::int32_t* maximumInside,
                         std::int32_t* minimumOutside, std::int32_t* maximumOutside);
// The limits of kdmScaleH and kdmScaleV (the low 16 bits of each), both fields always looked
// at: minimum = {horizontal, vertical}, maximum likewise; either may be null. 1 when both
// fields have Numeric options with their value records, else 0 with nothing written.
int GetScaleLimits(DriverContext* context, WORD* minimum, WORD* maximum);
