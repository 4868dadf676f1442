// Operations of the printer-communication code that the device-settings store and the
// rendering library call. Each has its final name and signature and the least behaviour
// its callers need now (see the .cpp).
#pragma once

#include "win/types.h"

struct DriverContext;

// A printer-data value of the configuration server, copied locally; nonzero on success.
BOOL CopyServerPrinterData(HANDLE printer, const WCHAR* valueName, DWORD* type, BYTE* buffer, DWORD size,
                           DWORD* needed, DWORD registryType, void* server);
// True when the printer's section of the two-way INI cache has a nonzero "BidiFlag".
BOOL IsBidiCacheIniSet(DriverContext* context);
// Loads the settings cached in the two-way INI cache; deletes the printer's section.
void LoadBidiCacheIni(DriverContext* context);
void ClearBidiCacheIni(DriverContext* context);
// The cached two-way flag of the printer, when the two-way cache file holds a result for
// it.
bool ReadCachedBidiFlag(DriverContext* context, DWORD* flag);
