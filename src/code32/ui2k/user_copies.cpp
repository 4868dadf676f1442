#include "user_copies.h"

#include "context/system_checks.h"

// PENDING: CopyUserSettingFiles, RefreshUserInstall and CopyBatchDefaultsToUser, the
// per-user install copies, give each user of a terminal server its own copies. Until they
// come a workstation (one set of settings for everyone) needs none and succeeds; a terminal
// server, whose users would be left without copies, is answered as a failure.
int CopyUserSettingFiles(HANDLE printer) { return IsTerminalServerCached(printer) ? 0 : 1; }

int RefreshUserInstall(HANDLE printer, int, const PRINTER_INFO_2W*, const DRIVER_INFO_3W* driverInfo) {
  return IsTerminalServerCachedFor(printer, driverInfo) ? 0 : 1;
}

int CopyBatchDefaultsToUser(HANDLE printer, const PRINTER_INFO_2W*, const DRIVER_INFO_3W* driverInfo) {
  return IsTerminalServerCachedFor(printer, driverInfo) ? 1 : 0;
}
