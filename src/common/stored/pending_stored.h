// Operations of the printer-communication code that the settings-file transfer calls. Each
// has its final name and signature and the least behaviour its callers need (see the .cpp).
#pragma once

#include "win/types.h"

struct DriverContext;

// True when the printer data value "BidiFlag" can be read and written back unchanged.
BOOL CanWriteBidiPrinterData(DriverContext* context);
