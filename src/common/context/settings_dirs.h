// The settings directories of the driver: the settings root, the per-user settings
// directory and the user data directory.
#pragma once

#include "win/spool.h"
#include "win/types.h"

struct DriverContext;

// The drive of the system directory followed by "_kova" (C:\_kova); its length, or 0.
DWORD GetDefaultSettingsRoot(WCHAR* buffer, DWORD size);

// The settings directory of the context's printer; its length, or 0.
DWORD GetSettingsDirFor(DriverContext* context, WCHAR* buffer, DWORD size, const PRINTER_INFO_2W* printerInfo);
// The per-user settings directory of the context; its length, or 0.
DWORD GetUserSettingsDirFor(WCHAR* buffer, DWORD size, DriverContext* context, const PRINTER_INFO_2W* printerInfo);
