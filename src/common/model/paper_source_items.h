// Paper-source items of the computed judge items: whether a tray holds the job's paper,
// and whether a special page's paper comes from the main source set the same way.
#pragma once

#include "win/types.h"

struct DriverContext;

// Items 820-826: the tray of the item (automatic, trays 1-4, LCT, multi-purpose) holds
// the effective paper.
int SameSizeInTray(DriverContext* context, WORD trayCode);
// Items 836-840: the main source holds the special page's tray paper with its orientation.
int SamePaperAsSpecialTray(DriverContext* context, WORD specialTrayCode);

// True when id is one of these items; its value (0 or 1) then goes to *value.
bool ComputePaperSourceItem(DriverContext* context, WORD id, DWORD* value);
