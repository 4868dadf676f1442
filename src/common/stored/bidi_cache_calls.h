// The two-way results cache as the device-settings store, the settings-file transfer and the
// rendering library ask for it (defined with the rest of the cache, on the floor of the
// outside libraries).
#pragma once

#include "win/types.h"

struct DriverContext;

// True when the printer's section of Fennicb.ini has a nonzero "BidiFlag".
BOOL IsBidiCacheIniSet(DriverContext* context);
// The settings cached in the printer's section, then kdmBidiFunc from its "BidiFunc";
// the settings-file transfer's answer.
int LoadBidiCacheIni(DriverContext* context);
// Deletes the printer's section; 1.
int ClearBidiCacheIni(DriverContext* context);
// True when the printer's section has a "BidiFlag" key; its value (0 or 1) into *flag.
bool ReadCachedBidiFlag(DriverContext* context, DWORD* flag);
// True when the printer data value "BidiFlag" can be read and written back unchanged.
BOOL CanWriteBidiPrinterData(DriverContext* context);
