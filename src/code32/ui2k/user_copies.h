// The per-user copies of a printer's stored settings on a terminal server.
#pragma once

#include "win/spool.h"
#include "win/types.h"

// Copies the printer's settings files and INI section to the calling user. 1 on success.
int CopyUserSettingFiles(HANDLE printer);
// Brings the user's copy up to the common install (state 1, 2 or 3). 1 on success.
int RefreshUserInstall(HANDLE printer, int state, const PRINTER_INFO_2W* printerInfo,
                       const DRIVER_INFO_3W* driverInfo);
// Copies the batch defaults (settings files, presets, qualities) to the user. 1 when a
// copy failed, 0 when everything needed was copied.
int CopyBatchDefaultsToUser(HANDLE printer, const PRINTER_INFO_2W* printerInfo, const DRIVER_INFO_3W* driverInfo);
