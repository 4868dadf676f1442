// The lists a configuration server gave a printer, merged once into the user's own
// per-printer INI at the first document sheet after the printer was filled from its server.
//
// The printer's server folder INI (the fetched copy of the per-printer INI) keeps, in section
// "zevive", "ZeviveFlg": 1 = the server's files were fetched, 2 = its lists were merged.
// Printer data "ZeviveIni" (4 bytes) mirrors it.
#pragma once

#include "win/spool.h"
#include "win/types.h"

struct DriverContext;

// For a user whose install state is current (or brought up to date) on a printer whose
// connector is available: merges the server's lists once the files were fetched, then runs
// the fetched files' handlers and records the merge. 1 when the lists were merged.
int SyncConfigServerIni(DriverContext* context, const PRINTER_INFO_2W* printerInfo, const DRIVER_INFO_3W* driverInfo);

// The server folder INI's free sizes and stamps (language section) and its preset and
// quality lists (the server printer's section) into the user's per-printer INI, the lists'
// files rewritten to the settings root, and each fetched preset and quality file loaded under
// the server printer's name and saved as the user's entry. 0 (nothing done) when the user's
// per-printer INI is the one in the settings root, or the settings cannot be kept aside.
int MergeServerUserLists(DriverContext* context, const WCHAR* serverPrinter, const WCHAR* serverIni);
