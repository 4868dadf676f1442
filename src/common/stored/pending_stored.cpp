// Later subsystems' operations with the least behaviour the settings-file transfer needs.
#include "stored/pending_stored.h"

// PENDING: the printer-communication code replaces this; until then the printer data is
// taken as writable.
BOOL CanWriteBidiPrinterData(DriverContext* context) { return context ? TRUE : FALSE; }
