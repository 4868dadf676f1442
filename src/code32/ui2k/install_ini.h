// The install INI files that hand a new printer its settings: the system install INI
// (KOVA.ini in the system directory, one section per printer with a settings package, user
// code, identity and authentication values, settings and spool directories) and the
// second model INI of the driver package. Each key is removed once it has been applied.
#pragma once

#include "win/spool.h"
#include "win/types.h"

struct DriverContext;

// The section has none of the batch keys ("*" counts as absent).
BOOL HasNoBatchKeys(const WCHAR* iniPath, const WCHAR* section);
// The system install INI exists and has batch keys for the context's printer.
BOOL HasBatchKeysInSystemIni(DriverContext* context);
// The same for a printer by its records.
BOOL IsBatchInstallPending(HANDLE printer, const PRINTER_INFO_2W* printerInfo, const DRIVER_INFO_3W* driverInfo);
// The second model INI in the printer's driver directory exists and its printer section has
// batch keys.
BOOL IsDriverIniBatchPending(const WCHAR* section, HANDLE printer);
// As IsBatchInstallPending, and the printer's section is not empty.
BOOL HasBatchSettingsForPrinter(HANDLE printer, const PRINTER_INFO_2W* printerInfo,
                                const DRIVER_INFO_3W* driverInfo);

// "BatchInstallDone" := value in the INI's section; with alsoPrinterData also the printer
// data value of that name (4 bytes).
BOOL SetBatchInstallDone(const WCHAR* iniPath, const WCHAR* section, int value);
void MarkBatchInstallDone(const WCHAR* iniPath, const WCHAR* section, int value, bool alsoPrinterData,
                          DriverContext* context);
// The printer data "BatchInstallDone" (4 bytes): read into value (0 when it cannot be read,
// FALSE then) and written.
BOOL ReadBatchInstallDoneValue(HANDLE printer, DWORD* value);
BOOL WriteBatchInstallDoneValue(HANDLE printer, DWORD value);

// "KOVADirectory" into the driver's registry value "_KOVADirectory" and, for a printer
// connection, "KOVADirectoryClient" into printer data; both keys removed.
void ApplyDirectoryKeys(HANDLE printer, const WCHAR* section, const WCHAR* iniPath,
                        const PRINTER_INFO_2W* printerInfo, int keepTime);
// "SpoolDirectory" (and "SpoolDirectoryAll") into the registry or printer data; removed.
void ApplySpoolDirectory(const WCHAR* iniPath, const WCHAR* section, DriverContext* context, int keepTime);

// "SetUserCode": digits only are applied; changed := 1 for any value but "*". Removed.
void ApplyUserCodeBatchKey(const WCHAR* iniPath, const WCHAR* section, int* changed, DriverContext* context);
// User id, owner and the authentication values; each removed after reading.
void ApplyIdentityBatchKeys(const WCHAR* iniPath, const WCHAR* section, DriverContext* context);
// What the last ApplyIdentityBatchKeys of this thread set: bit 4 the network key, 0x10 the
// user name, 1 and 2 the authentication and secure modes.
BYTE BatchAuthenticationBits();

// The system install INI's package, presets, qualities, user code, identity and spool
// directory for the printer. 0 when there is no system install INI or its package failed;
// a failed package is used up then and recorded as failed ("BatchInstallDone" 0).
int ApplySystemIniDefaults(DriverContext* context);
// The batch install: the printer's package loaded with its presets and qualities. 0 when
// nothing was pending or the package could not be used or loaded. A package named is used
// up either way and its outcome recorded ("BatchInstallDone" 1 or 0, "DefaultKstName").
int ApplyBatchSettings(int mode, DriverContext* context, int perUser);
// The driver package's default settings package loaded; the system install INI's record of
// the printer's batch removed unless it records a failure. Always 1.
int ApplyDefaultSettingsPackage(DWORD flags, int type, DriverContext* context);
// The package's printer section, presets and qualities. 1 when all succeeded.
int LoadSettingsPackage(const WCHAR* package, const WCHAR* section, DWORD flags, DriverContext* context);
// The package's default quality files registered, copied or imported as the flags say.
int InstallDefaultQualities(const WCHAR* package, const WCHAR* section, DWORD flags, DriverContext* context);
