// The second model INI of the driver package copied into a printer's per-printer INI (the
// common one or the user's copy): the free sizes, stamps and language keys of a full copy,
// the settings version of a version-only copy, the printer information and the free sizes
// of the package's default settings file.
#pragma once

#include "win/spool.h"
#include "win/types.h"

struct DriverContext;

// The product's settings version, compared as major * 100 + minor.
constexpr int kProductSettingsVersion = 322;

// Copy modes.
constexpr int kModelIniFull = 0;
constexpr int kModelIniVersionOnly = 1;

// Under the driver mutex, copies the second model INI into the per-user INI (iniKind 1) or
// the common per-printer INI (iniKind 0). Without a context one is made for the call,
// except that a version-only copy is skipped when the second model INI is already marked
// "BatchInstallDone". 1 on success.
int CopyModelIniLocked(HANDLE printer, int mode, DriverContext* context, int iniKind,
                       const PRINTER_INFO_2W* printerInfo, const DRIVER_INFO_3W* driverInfo);
// CopyModelIniLocked into the common per-printer INI.
int CopyModelIniToPrinterIni(HANDLE printer, int mode, DriverContext* context, const PRINTER_INFO_2W* printerInfo,
                             const DRIVER_INFO_3W* driverInfo);
// 1 when the INI's "KstVersion" of the language section is absent (absent := 1) or of
// another hundreds series than the product's settings version.
int IsSettingsVersionOtherSeries(const WCHAR* iniPath, const WCHAR* sourcePath, int* absent, DriverContext* context);
