// Later subsystems' operations with the least behaviour the merge and the common settings
// block need now.
#include "context/pending_merge.h"

// PENDING: the tool-bar plug-in issue asks the plug-in list; until then no plug-in is
// assigned and its path is unknown.
BOOL IsVavavUiPluginAssigned(DriverContext*) { return FALSE; }
BOOL GetVavavUiPluginPath(DriverContext*, WCHAR* path, DWORD chars) {
  if (path && chars) path[0] = 0;
  return FALSE;
}
// PENDING: the UI plug-in issue binds the UI-control plug-ins; none is bound yet.
void QueryUiControlPlugins(DriverContext*) {}
// PENDING: the user-code issue reads the provider and Fennic.ini; until then the user-code
// fields stay as the device-mode has them.
void UserCodeSync(DriverContext*) {}
void UserCodeLoad(DriverContext*) {}
// PENDING: the job-control issue asks the bound library; no library is bound yet.
void JobControlReadMask(DriverContext*, DWORD) {}
// PENDING: the two-way issue runs the query through the bidirectional library; until then
// there is no library and the query fails.
int QueryPrinterBidiSilent(DriverContext*) { return 0; }
