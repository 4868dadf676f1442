// What a device reset in the middle of a job carries from the old device to the new one:
// the job-control settings, and, when the job asks for it and the two device-mode copies
// have the same output settings, the old device-mode with the reset's page and colour
// choices put back into it.
#pragma once

#include "win/devmode.h"
#include "win/types.h"

struct DriverContext;

namespace rendara {

struct RenderDevice;

// Copies the job strings (user code, owner, job password, user id, document name, telephone
// number and line, stored password) and, with feature kind 0, the three authentication
// settings from the old context to the new one.
void CarryJobControlSettings(DriverContext* newContext, DriverContext* oldContext);

// Equal dmPrintQuality, equal dmColor and the same duplex switch.
BOOL HasSameOutputSettings(const DEVMODEW* oldCopy, const DEVMODEW* newCopy);
// Each carried field whose value in saved (the reset's own device-mode) differs is written
// into copy; copy and saved hold size bytes. 1.
int TakeResetSettings(DEVMODEW* copy, const BYTE* saved, DWORD size);
// The old copy over the new one with the reset's settings put back; FALSE, and the new copy
// left as it was, when either is missing, their sizes differ, their output settings differ
// or memory runs out.
BOOL CarryChosenSettings(const DEVMODEW* oldCopy, DEVMODEW* newCopy);
// Whether the settings of the two devices' device-mode copies are carried (and then
// carries them into the new device's copy).
BOOL CanCarryJobSettings(RenderDevice* oldDevice, RenderDevice* newDevice);

}  // namespace rendara
