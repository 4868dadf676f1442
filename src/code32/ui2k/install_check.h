// The install-state check every body runs before its work: CSR sections stripped from the
// common and per-user INI, a connection's first set-up or version refresh, the client
// directory of a connection, and on a terminal server the user's copies brought up to the
// common install.
#pragma once

#include "win/spool.h"
#include "win/types.h"

// Makes sure the printer's stored settings are ready for use (install bookkeeping,
// connection refresh, INI corrections). checkFlags 1 also runs the connection branch.
// 1 when the call may go on.
int CheckPendingInstallWork(HANDLE printer, DWORD checkFlags, const PRINTER_INFO_2W* printerInfo,
                            const DRIVER_INFO_3W* driverInfo);

// The user's install state: 0 up to date, 1 no copy or one older than the first install,
// 2 the common install is newer, 3 the same with "AdminChange" set. 1 when computed.
int GetInstallTimeState(HANDLE printer, int* state, const PRINTER_INFO_2W* printerInfo);
// A connection with a client directory: refreshed by its settings version. 1 or 0.
int RefreshConnectionInstall(HANDLE printer, const WCHAR* iniPath, const WCHAR* sectionName,
                             const PRINTER_INFO_2W* printerInfo, const DRIVER_INFO_3W* driverInfo);
// On Windows 2000 and later, for a printer connection with a client directory, the
// refresh; 1 when there is nothing to do.
int CheckClientDirectory(HANDLE printer, const PRINTER_INFO_2W* printerInfo, const DRIVER_INFO_3W* driverInfo);

// RunJobControlForDocument: the job-control check of a document of a printer that
// authenticates users.
#include "stored/job_control.h"
