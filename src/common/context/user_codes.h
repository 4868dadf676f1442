// User codes: who prints, for the printer's accounting. The code lives in kdmLogCodeUse
// and kdmLogCode, is remembered per printer and user in the shared Fennic.ini, may be
// imposed by a server through printer data, or may come from a user-code provider library
// named in the registry. The provider road runs only while the provider switch is on
// (it is off in this product: UserCodeLoad, UserCodeSync, InitUserCodeIni and
// SaveUserCodeOnRelease then return at once).
#pragma once

#include "win/types.h"

struct DriverContext;

// The provider's exports (ANSI), as called.
using VucOpenProc = DWORD (*)(DWORD, DWORD, DWORD, DWORD* data);
using VucCloseProc = DWORD (*)(DWORD data, DWORD);
using VucGetCodeProc = DWORD (*)(DWORD data, DWORD, DWORD, DWORD, char* buffer, DWORD* size);
constexpr DWORD VUC_NO_CODE = 232;

// 0 for a printer connection; else 1 after loading the code from printer data (when the
// server imposes it) or from Fennic.ini.
int LoadLocalUserCode(DriverContext* context);
// 1; 0 when it cannot allocate its buffers.
int LoadUserCodeFromIni(DriverContext* context);
// Called by the device-mode merge; 1.
int UserCodeLoad(DriverContext* context);
// The provider's code into the settings, its outcome into printer data and states 716/719.
void UserCodeSync(DriverContext* context);
// Printer initialisation: the Fennic.ini keys of the printer; 1.
int InitUserCodeIni(DriverContext* context);
// When device settings are written back: the code into Fennic.ini, the provider's code in
// place for the moment of the save.
void SaveUserCodeOnRelease(DriverContext* context);
// The settings into Fennic.ini for a local printer or a connection without a server code; 1.
int SaveUserCodeToIni(DriverContext* context);

// 0 when bound, 2 when the registry, the library or one of its exports is missing.
int BindUserCodeProvider(DriverContext* context);
// 1 when the provider answered; the code is then in kdmLogCode and kdmDllLogCode.
int FetchProviderUserCode(DriverContext* context);
void InitUserCodeKeys(DriverContext* context);
