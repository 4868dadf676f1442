// Module start and stop of the settings API, and how its contexts are had and given back:
// every context is released and both context caches are emptied at once, so no context
// outlives the call or handle that held it.
#pragma once

#include "win/types.h"

struct DriverContext;

BOOL DoDllMain(HINSTANCE module, DWORD reason, LPVOID reserved);
HINSTANCE GetConstrixModule();

// A context of the given caller kind (0x100000 command base, 0x200000 item API) on a printer
// handle the caller opened; null when none can be made.
DriverContext* CreateApiContext(HANDLE printer, DWORD kind);
// Release to the cache, then evict every cached context.
void GiveContextBack(DriverContext* context);
