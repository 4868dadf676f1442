// Operations of the font-list, lock-data, user-information and custom-media store and of
// the printer-communication code that the device-settings store calls. Each has its final
// name and signature and the least behaviour the device-settings store needs now.
#pragma once

#include "stored/custom_media.h"
#include "stored/font_lists.h"
#include "stored/lock_data.h"
#include "stored/user_info.h"
#include "win/types.h"

struct DriverContext;

// ---- printer communication ------------------------------------------------------------
// A printer-data value of the configuration server, copied locally; nonzero on success.
BOOL CopyServerPrinterData(HANDLE printer, const WCHAR* valueName, DWORD* type, BYTE* buffer, DWORD size,
                           DWORD* needed, DWORD registryType, void* server);
// True when the printer's section of the two-way INI cache has a nonzero "BidiFlag".
BOOL IsBidiCacheIniSet(DriverContext* context);
// Loads the settings cached in the two-way INI cache; deletes the printer's section.
void LoadBidiCacheIni(DriverContext* context);
void ClearBidiCacheIni(DriverContext* context);
