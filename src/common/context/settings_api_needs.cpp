#include "context/settings_api_needs.h"

#include <cstdint>

#include "context/deliverable.h"
#include "context/devmode_defaults.h"
#include "context/devmode_header.h"
#include "context/field_access.h"
#include "field_ids.h"
#include "model/resolution_limit.h"

void SetStateDefaults(DriverContext* context) {
  SetEnvironmentStateBytes(context);
  if (IsSettingsApiBuild()) {
    SetStateByte(context, 717, 0);
    SetStateByte(context, 705, 0);
  }
}

int FitsLengthLimit30708(DriverContext* context) {
  const auto width = static_cast<std::int32_t>(ReadFieldRawById(context, fid::kdmDstPaperWidthDot));
  const auto length = static_cast<std::int32_t>(ReadFieldRawById(context, fid::kdmDstPaperLengthDot));
  return width < kResolutionSideLimit && length < kResolutionSideLimit ? 1 : 0;
}

int GetScaledPaperSize(DriverContext* context) { return ScaledSourceFits(context) ? 1 : 0; }
