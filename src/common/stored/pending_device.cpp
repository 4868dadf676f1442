// Later subsystems' operations with the least behaviour the device-settings store needs.
#include "stored/pending_device.h"

// PENDING: the font-list issue reads the font list values of printer data; until then the
// font-list fields stay as they are.
int LoadFontLists(HANDLE, DriverContext*) { return 1; }
// PENDING: the font-list issue writes changed font lists; until then nothing is written.
int SaveFontListsIfChanged(HANDLE, DriverContext*) { return 1; }
// PENDING: the font-list issue writes the model's font lists; until then nothing is written.
int SaveModelFontLists(HANDLE, DriverContext*) { return 1; }
// PENDING: the lock-data issue reads "LockDefaultData"; until then no copy is loaded.
int LoadLockDefaultData(HANDLE, DriverContext*) { return 1; }
// PENDING: the user-information issue reads the user information file; until then the
// special fields stay as they are.
int LoadUserInformation(DriverContext*) { return 1; }
// PENDING: the custom-media issue reads and writes "CustomMediaDataNum" and
// "CustomMediaData"; until then the custom media fields stay as they are.
int LoadCustomMedia(HANDLE, DriverContext*) { return 1; }
int SaveCustomMedia(HANDLE, DriverContext*) { return 1; }

// PENDING: the printer-communication issue binds the configuration-server connector;
// until then no server value can be read.
BOOL CopyServerPrinterData(HANDLE, const WCHAR*, DWORD*, BYTE*, DWORD, DWORD*, DWORD, void*) { return FALSE; }
// PENDING: the printer-communication issue creates and reads the two-way INI cache; until
// then no cache exists, so none is flagged and there is nothing to load or clear.
BOOL IsBidiCacheIniSet(DriverContext*) { return FALSE; }
void LoadBidiCacheIni(DriverContext*) {}
void ClearBidiCacheIni(DriverContext*) {}
