#include "install_files.h"

// PENDING: RegisterModelDatabase, the first-run defaults and per-printer install keys,
// writes the model database entry; until then nothing is registered (0).
int RegisterModelDatabase(DriverContext*) { return 0; }

// PENDING: InstallPackageFiles, the system install INI and package install INI, installs the
// package's settings files, presets, qualities, user codes and folders; until then nothing
// is installed (0).
int InstallPackageFiles(DriverContext*, DWORD) { return 0; }

// PENDING: CopyModelIniToPrinterIni, the first-run defaults and per-printer install keys,
// copies the model INI's key table into the printer's section; until then nothing is
// copied (0).
int CopyModelIniToPrinterIni(HANDLE, int, DriverContext*, const PRINTER_INFO_2W*, const DRIVER_INFO_3W*) { return 0; }

// PENDING: IsBatchInstallPending, the system install INI and package install INI, reads the
// batch keys of the printer's section; until then no batch install waits.
BOOL IsBatchInstallPending(HANDLE, const PRINTER_INFO_2W*, const DRIVER_INFO_3W*) { return FALSE; }

// PENDING: HasBatchSettingsForPrinter, the system install INI and package install INI;
// until then the system install INI holds no batch keys for any printer.
BOOL HasBatchSettingsForPrinter(HANDLE, const PRINTER_INFO_2W*, const DRIVER_INFO_3W*) { return FALSE; }
