// The settings API's own rules.
#include "context/settings_api_rules.h"

#include "context/deliverable.h"
#include "context/devmode_header.h"
#include "context/system_tests.h"
#include "field_ids.h"
#include "win/kernel.h"

bool IsSettingsApiOnlyValue(WORD fieldId, DWORD value) {
  if (!IsSettingsApiBuild()) return false;
  return (fieldId == fid::kdmUserPrintMacro && value == 160) || (fieldId == fid::kdmColorMode && value == 255);
}

void SetStateByte707To0(DriverContext* context) { SetStateByte(context, fid::KPD_kdmOSKind, 0); }
void SetStateByte707To3(DriverContext* context) { SetStateByte(context, fid::KPD_kdmOSKind, 3); }

BOOL IsWin98() {
  if (!IsWin9x()) return FALSE;
  return ((GetVersion() >> 8) & 0xFF) != 0 ? TRUE : FALSE;
}
