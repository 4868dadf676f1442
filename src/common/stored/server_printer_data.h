// The configuration-server connector as the device-settings store asks it (defined with the
// rest of the connector, on the floor of the outside libraries).
#pragma once

#include "win/types.h"

struct DriverContext;

// A printer-data value of the configuration server (the connector's session), copied
// locally and into buffer when the server's size equals size; nonzero when fetched.
BOOL CopyServerPrinterData(HANDLE printer, const WCHAR* valueName, DWORD* type, BYTE* buffer, DWORD size,
                           DWORD* needed, DWORD registryType, void* server);
