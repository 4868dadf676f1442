// What the modules' settings logic asks of the property pages: a warning box and a refresh
// of the open page. Only the printer interface DLL has pages; elsewhere both do nothing.
#pragma once

#include "win/types.h"

struct DriverContext;

// Shows the warning whose text is the UI string (a warning box, with OK and Cancel when
// asked) and answers the button pressed; IDOK outside the printer interface DLL.
int ShowModuleWarning(DriverContext* context, WORD stringId, bool askOkCancel);
// Refreshes every page of the context that is open (has its window), all settings counted
// as changed.
void RefreshOpenPage(DriverContext* context);
