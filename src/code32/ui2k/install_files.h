// The install work on files that the device-mode conversion, the printer events and the
// printer initialisation call: the model database entry, the package files, the model INI
// copied into the printer's section, and the batch-install keys of the install INI files.
#pragma once

#include "win/spool.h"
#include "win/types.h"

struct DriverContext;

// Registers the printer's model in the model database. 1 when done.
int RegisterModelDatabase(DriverContext* context);
// Installs the driver package's settings files, presets and folders for the context's
// printer (flags 4096: the upgrade road). 1 when done.
int InstallPackageFiles(DriverContext* context, DWORD flags);
// Copies the model INI's keys into the printer's section (mode 1: the upgrade road). 1
// when done.
int CopyModelIniToPrinterIni(HANDLE printer, int mode, DriverContext* context, const PRINTER_INFO_2W* printerInfo,
                             const DRIVER_INFO_3W* driverInfo);
// A batch install waits for the printer's section of the install INI files.
BOOL IsBatchInstallPending(HANDLE printer, const PRINTER_INFO_2W* printerInfo, const DRIVER_INFO_3W* driverInfo);
// The system install INI holds batch keys for the printer.
BOOL HasBatchSettingsForPrinter(HANDLE printer, const PRINTER_INFO_2W* printerInfo,
                                const DRIVER_INFO_3W* driverInfo);
