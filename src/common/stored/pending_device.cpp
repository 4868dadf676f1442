// Later subsystems' operations with the least behaviour the device-settings store needs.
#include "stored/pending_device.h"

// PENDING: LoadDeviceFontList, LoadOptionFontList and LoadFontTables (font_lists.h) are
// complete; this becomes the three of them (1 when all succeed) once the process's
// font-block table no longer outlives a driver module that is unloaded: a rendering
// module that enters a block into it is reported as leaking the table. Until then the
// font-list fields stay as they are.
int LoadFontLists(HANDLE, DriverContext*) { return 1; }


// PENDING: the printer-communication issue binds the configuration-server connector;
// until then no server value can be read.
BOOL CopyServerPrinterData(HANDLE, const WCHAR*, DWORD*, BYTE*, DWORD, DWORD*, DWORD, void*) { return FALSE; }
// PENDING: the printer-communication issue creates and reads the two-way INI cache; until
// then no cache exists, so none is flagged and there is nothing to load or clear.
BOOL IsBidiCacheIniSet(DriverContext*) { return FALSE; }
void LoadBidiCacheIni(DriverContext*) {}
void ClearBidiCacheIni(DriverContext*) {}
