// The per-user copies of a printer's stored settings on a terminal server: each user keeps
// an own per-printer INI and own preset and quality files, created and refreshed after an
// install.
#pragma once

#include "win/spool.h"
#include "win/types.h"

// The preset ("ksd") and quality ("ksq") files of the common list copied into the user's
// data directory when their write times differ. 1 on success; 0 when a place cannot be
// formed, a listed name is not a plain file name, or an existing file could not be copied.
int CopyUserSettingFiles(HANDLE printer);
// Brings the user's copy up to the common install (state 1, 2 or 3). 1 on success.
int RefreshUserInstall(HANDLE printer, int state, const PRINTER_INFO_2W* printerInfo,
                       const DRIVER_INFO_3W* driverInfo);
// The batch defaults (default and batch settings files, presets, qualities) copied to the
// user. 0 when everything needed was copied (or there was nothing to copy), 1 when
// something failed: a place, a load, a name refused or a section that could not be copied.
int CopyBatchDefaultsToUser(HANDLE printer, const PRINTER_INFO_2W* printerInfo, const DRIVER_INFO_3W* driverInfo);
// "DrvDefJobMergePath" := <user data>\KMP, "DrvDefPreviewPath" := <user data>\PREVIEW in
// the user's per-printer INI. 1 on success.
int WriteUserDefaultPaths(HANDLE printer);
