// What the settings API does differently from the other deliverables where it needs its
// own operations: the two stored values it accepts whatever the model offers, its
// operating-system state byte and the Windows 98 test.
#pragma once

#include "win/types.h"

struct DriverContext;

// In the settings API: kdmUserPrintMacro 160 and kdmColorMode 255 are accepted by the
// option check whatever the model says. False in the other deliverables.
bool IsSettingsApiOnlyValue(WORD fieldId, DWORD value);

// The settings fields whose value the settings API keeps, instead of the model default,
// while their lock is in force: dmDefaultSource (tray lock), kdmMediaType (media),
// kdmNUPPOSTKind (N-up), kdmFuncSelectDuplex (duplex), the print type (689), the resolution
// lock value (10434) and dmColor (colour). The locks are read once, when the set is made;
// empty in the other deliverables.
struct LockedDefaults {
  WORD ids[7];
  int count;
  bool Contains(WORD id) const;
};
LockedDefaults LockedFieldsKeptByDefaults(DriverContext* context);

// In the settings API on Windows 9x the device name (field 1) and the form name (field 20)
// hold 8-bit text: their stored size in the context's field table becomes half the size of
// the built-in row (so a second call changes nothing). Nothing elsewhere.
void HalveNameFieldSizesOnWin9x(DriverContext* context);

// kdmOSKind (707) := 0, resp. 3 (the settings API's operating-system state setup).
void SetStateByte707To0(DriverContext* context);
void SetStateByte707To3(DriverContext* context);

// Windows 9x with a minor version other than 0.
BOOL IsWin98();
