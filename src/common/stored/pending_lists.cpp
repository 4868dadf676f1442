// Later subsystems' operations with the least behaviour the settings-file load and save need.
#include "stored/pending_lists.h"

// PENDING: the job-control issue hands the requests to its dispatcher and the bound
// library; no library is bound yet, so nothing is reported.
void JobControlOpen(DriverContext*) {}
void JobControlClose(DriverContext*) {}
void JobControlRead(DriverContext*, DWORD) {}
void JobControlWrite(DriverContext*, DWORD) {}
// PENDING: the job-control issue clears the items in the bound library; no library is
// bound yet.
void JobControlClearItems(DriverContext*, DWORD) {}
// PENDING: the user-code issue stores the user code with the provider; until then nothing
// is stored.
void UserCodeStore(DriverContext*) {}
