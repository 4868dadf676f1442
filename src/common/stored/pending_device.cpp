// Later subsystems' operations with the least behaviour the device-settings store and the
// rendering library need.
#include "stored/pending_device.h"

// PENDING: the printer-communication module binds the configuration-server connector;
// until then no server value can be read.
BOOL CopyServerPrinterData(HANDLE, const WCHAR*, DWORD*, BYTE*, DWORD, DWORD*, DWORD, void*) { return FALSE; }
