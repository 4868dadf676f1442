// Repairs of per-user copies made by older driver versions on a terminal server: preset
// and quality files left in the common directory, and INI sections and files left in the
// old LocalAppDataLow location.
#pragma once

#include "win/spool.h"
#include "win/types.h"

// 0 nothing to do, 2 to do, 3 the user has no copy, 1 error.
int NeedsTsIniCorrection(HANDLE printer, const PRINTER_INFO_2W* printerInfo);
// The user's list entries that still point into the common directory moved to the user's
// data directory. 0 done, 3 an entry could not be moved, 1 error.
int CorrectTsIni(HANDLE printer, const PRINTER_INFO_2W* printerInfo);
// The printer's and the language's sections and files of the old location moved into the
// user's per-printer INI and its directory. 1 done or nothing to do, 0 error (no marker is
// then written).
int CorrectLocalLowIni(HANDLE printer, const PRINTER_INFO_2W* printerInfo);
