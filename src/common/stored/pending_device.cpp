// Later subsystems' operations with the least behaviour the device-settings store and the
// rendering library need.
#include "stored/pending_device.h"

// PENDING: the printer-communication module binds the configuration-server connector;
// until then no server value can be read.
BOOL CopyServerPrinterData(HANDLE, const WCHAR*, DWORD*, BYTE*, DWORD, DWORD*, DWORD, void*) { return FALSE; }
// PENDING: the printer-communication module creates and reads the two-way INI cache; until
// then no cache exists, so none is flagged and there is nothing to load or clear.
BOOL IsBidiCacheIniSet(DriverContext*) { return FALSE; }
void LoadBidiCacheIni(DriverContext*) {}
void ClearBidiCacheIni(DriverContext*) {}
// PENDING: the printer-communication module reads the cached "BidiFlag" of Fennicb.ini;
// until then no result is cached (false).
bool ReadCachedBidiFlag(DriverContext*, DWORD* flag) {
  if (flag) *flag = 0;
  return false;
}
