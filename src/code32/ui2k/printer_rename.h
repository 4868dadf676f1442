// A local printer renamed in the spooler: its install keys, first-run keys and lists are
// brought to the new name, and the new name recorded.
#pragma once

#include "win/types.h"

struct DriverContext;

// For a local printer whose recorded "KOVAPrinterName" differs from its name: under the
// driver mutex the settings follow the new name and it is recorded. 1 when moved and
// stamped; 0 for a connection, when nothing changed, or when a section could not be moved
// whole (the name then stays unrecorded).
int HandlePrinterNameChange(DriverContext* context);
