#include "capability_numbers.h"

#include "model/field_checks.h"
#include "field_ids.h"
#include "model/option_lookup.h"

namespace {

// The limits of one field's option, written only when the option is Numeric with its value
// record; 1 then, else 0.
int ReadFieldLimits(DriverContext* context, WORD field, std::int32_t* minimum, std::int32_t* maximum) {
  std::int32_t low = 0;
  std::int32_t high = 0;
  if (!context || !GetNumericBounds(GetOptionForFeature(field, context), &low, &high)) return 0;
  if (minimum) *minimum = low;
  if (maximum) *maximum = high;
  return 1;
}

// The shared form of the margin-limit pairs: the first field looked at only when one of its
// out values is asked for, the second likewise.
int GetMarginPairLimits(DriverContext* context, WORD first, WORD second, std::int32_t* minimumFirst,
                        std::int32_t* maximumFirst, std::int32_t* minimumSecond, std::int32_t* maximumSecond) {
  const bool askFirst = minimumFirst || maximumFirst;
  const bool askSecond = minimumSecond || maximumSecond;
  if (!askFirst && !askSecond) return 0;
  if (askFirst && !ReadFieldLimits(context, first, minimumFirst, maximumFirst)) return 0;
  if (askSecond && !ReadFieldLimits(context, second, minimumSecond, maximumSecond)) return 0;
  return 1;
}

}  // namespace

int GetShiftMarginLimits(DriverContext* context, std::int32_t* minimumX, std::int32_t* maximumX,
                         std::int32_t* minimumY, std::int32_t* maximumY) {
  return GetMarginPairLimits(context, fid::kdmShiftMarginX, fid::kdmShiftMarginY, minimumX, maximumX, minimumY,
                             maximumY);
}

std::int32_t CapabilityShiftMarginRange(DriverContext* context, DWORD, void*) {
  std::int32_t maximum = 0;
  return GetShiftMarginLimits(context, nullptr, nullptr, nullptr, &maximum);
}

int GetBindingMarginLimits(DriverContext* context, std::int32_t* minimumOdd, std::int32_t* maximumOdd,
                           std::int32_t* minimumEven, std::int32_t* maximumEven) {
  return GetMarginPairLimits(context, fid::kdmMarginOdd, fid::kdmMarginEven, minimumOdd, maximumOdd, minimumEven,
                             maximumEven);
}

int GetCreepMarginLimits(DriverContext* context, std::int32_t* minimumInside, std::int32_t* maximumInside,
                         std::int32_t* minimumOutside, std::int32_t* maximumOutside) {
  return GetMarginPairLimits(context, fid::kdmCreepMarginInside, fid::kdmCreepMarginOutside, minimumInside,
                             maximumInside, minimumOutside, maximumOutside);
}

int GetScaleLimits(DriverContext* context, WORD* minimum, WORD* maximum) {
  std::int32_t low[2] = {};
  std::int32_t high[2] = {};
  const int horizontal = ReadFieldLimits(context, fid::kdmScaleH, &low[0], &high[0]);
  const int vertical = ReadFieldLimits(context, fid::kdmScaleV, &low[1], &high[1]);
  if (!horizontal || !vertical) return 0;
  for (int i = 0; i < 2; ++i) {
    if (minimum) minimum[i] = static_cast<WORD>(low[i]);
    if (maximum) maximum[i] = static_cast<WORD>(high[i]);
  }
  return 1;
}
