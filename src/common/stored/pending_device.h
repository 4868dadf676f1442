// Operations of the printer-communication code that the device-settings store calls. Each
// has its final name and signature and the least behaviour its callers need now (see the
// .cpp).
#pragma once

#include "win/types.h"

struct DriverContext;

// A printer-data value of the configuration server, copied locally; nonzero on success.
BOOL CopyServerPrinterData(HANDLE printer, const WCHAR* valueName, DWORD* type, BYTE* buffer, DWORD size,
                           DWORD* needed, DWORD registryType, void* server);
