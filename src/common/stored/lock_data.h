// Values that setting locks force and the locked-defaults copy, in printer data.
#pragma once

#include "win/types.h"

struct DriverContext;

// For each lock that is set, in this order, the "Lock...Data" value into its fields (tray,
// media, print type, colour, N-up with its switch on, duplex with its switch on), then the
// locked resolution's code and sizes; then the modules' built-in function 312. 1, or 0 at
// the first value that cannot be read or a locked resolution without an option or row.
int LoadLockData(HANDLE printer, DriverContext* context);
// For each lock that is set, the field's current raw value as 4 bytes ("LockTrayData",
// "LockMediaData", "LockPrnMethodData", "LockColorData", "LockNUPPOSTKindData" and
// "LockNUPTypeData", "LockDuplexTypeData"); 1, or 0 at the first failed write.
int SaveLockData(HANDLE printer, DriverContext* context);
// -1 when the resolution option (feature 38) is absent, neither PickOne nor Numeric, a
// PickOne without items or a Numeric whose current value is 0; 1 Numeric; 0 PickOne.
int CheckFeature38Lock(DriverContext* context);
// "LockDefaultData" into or out of the work area's locked-defaults copy (one settings
// buffer); 0 when the context has no copy or the value is missing or of another size.
int LoadLockDefaultData(HANDLE printer, DriverContext* context);
int WriteLockDefaultData(HANDLE printer, DriverContext* context);
// One packed lock byte: id 10418 "kdmLock000InfoBit", id 10426 "kdmLock001InfoBit"; 0
// for another id, no destination or a missing value.
int ReadLockInfoBits(HANDLE printer, BYTE* destination, WORD id);
// "AuthenticationMode" (4 bytes) into destination; 0 when missing.
int ReadAuthenticationMode(HANDLE printer, DWORD* destination);
