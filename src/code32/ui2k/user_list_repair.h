// The free-size and stamp lists of a printer's per-printer INI mended after an install: a
// list with an entry that lacks its keys is rebuilt from the driver package's lists.
#pragma once

#include "win/types.h"

struct DriverContext;

// 1 (the lists are whole afterwards, or could not be read).
int RepairUserLists(DriverContext* context);
