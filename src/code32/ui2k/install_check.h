// The install-state check every body runs before its work, and the job-control check of a
// document: operations whose own modules come later (see the .cpp).
#pragma once

#include "win/spool.h"
#include "win/types.h"

// Makes sure the printer's stored settings are ready for use (install bookkeeping,
// connection refresh, INI corrections). checkFlags 1 also runs the connection branch.
// 1 when the call may go on.
int CheckPendingInstallWork(HANDLE printer, DWORD checkFlags, const PRINTER_INFO_2W* printerInfo,
                            const DRIVER_INFO_3W* driverInfo);

// RunJobControlForDocument: the job-control check of a document of a printer that
// authenticates users.
#include "outside/job_control.h"
