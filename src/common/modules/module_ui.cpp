#include "modules/module_ui.h"

// PENDING: the message boxes of the pages (formatted messages) and the page refresh come with
// the page engine; until then no box is shown (the answer is OK, as when no page is open) and
// no page is refreshed.
int ShowModuleWarning(DriverContext*, WORD, bool) { return 1; }

void RefreshOpenPage(DriverContext*) {}
