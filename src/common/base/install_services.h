// What the common code uses of the install and printer-lifecycle work: the system install
// INI, the "DrvInstSet" key, the client-name and connector tests, driver-relative paths,
// the install-default settings file, the per-printer key copy and the default presets.
#pragma once

#include <cstdint>

#include "win/spool.h"
#include "win/types.h"

struct DriverContext;


// 1 while the install, upgrade or connection work of this thread runs: contexts made by
// other threads in the meantime are not install contexts.
extern thread_local std::int32_t InstallInProgress;

// Sets InstallInProgress for its lifetime (or until Clear) and resets it on every way out.
class InstallInProgressScope {
 public:
  InstallInProgressScope() { InstallInProgress = 1; }
  ~InstallInProgressScope() { InstallInProgress = 0; }
  InstallInProgressScope(const InstallInProgressScope&) = delete;
  InstallInProgressScope& operator=(const InstallInProgressScope&) = delete;
  void Set() { InstallInProgress = 1; }
  void Clear() { InstallInProgress = 0; }
};

// The name of the system install INI (in the system directory).
const WCHAR* GetSystemKovaIniName();
// The system directory, "\" and the system install INI's name, in the work area field
// systemIniPath.
const WCHAR* GetSystemKovaIniPath(DriverContext* context);
// The same path into a buffer of at least 260 characters; a smaller buffer (or none) is left
// untouched and gives FALSE.
BOOL GetSystemKovaIniPathInto(WCHAR* buffer, DWORD size);
// The section of the second model INI that marks the driver package as installed.
const WCHAR* GetBatchInstallDoneSection();
BOOL GetDrvInstSet(const WCHAR* iniPath, const WCHAR* printerName);
BOOL SetDrvInstSet(const WCHAR* iniPath, const WCHAR* printerName, int value);
// 1 when the printer data "ClientName" can be read (at most 520 bytes) and is not empty.
BOOL HasClientName(HANDLE printer);
// The configuration server's type for the printer into *type (17, 18, 19 or another value);
// TRUE when the connector answered it (defined with the connector, on the floor of the
// outside libraries).
BOOL GetConfigServerType(HANDLE printer, const WCHAR* printerName, BYTE* type);
// A drive path stays; any other is replaced by the driver directory joined with it when
// that fits in 260 characters (and in the capacity), else left unchanged. The For form
// takes the driver directory from the given driver record.
WCHAR* ResolveDriverRelativePath(WCHAR* path, DWORD capacity, DriverContext* context);
WCHAR* ResolveDriverRelativePathFor(WCHAR* path, DWORD capacity, DriverContext* context,
                                    const DRIVER_INFO_3W* driverInfo);
// A leading "%windir%" or "%sysdir%" of a settings file's path expanded as the settings
// files of the package are (ExpandPathMacros in its settings mode). FALSE (and an empty
// path) when the result does not fit.
BOOL ExpandSettingFileMacros(WCHAR* path, DWORD length, DriverContext* context);
// A file part with a base name and an extension of 1-3 characters, and the file exists.
BOOL IsUsableSettingsFile(const WCHAR* path);
// The same with the extension "ksb" (any case): a settings package.
BOOL IsSettingsPackage(const WCHAR* path);

// The settings package named by "DefaultKst" into 260 characters; TRUE when one is named
// (a value of "*" names none). Each reads its own INI:
// - ReadSystemIniDefaultKst(For): the printer's section of the system install INI;
// - ReadInstallDefaultKst(For): the language section of the second model INI, whose path
//   must have a drive letter (there is no value without a language code);
// - ReadPrinterDefaultKst: the printer's section of the per-printer INI.
BOOL ReadSystemIniDefaultKst(WCHAR* destination, DriverContext* context);
BOOL ReadSystemIniDefaultKstFor(WCHAR* destination, DriverContext* context, const PRINTER_INFO_2W* printerInfo);
BOOL ReadInstallDefaultKst(WCHAR* destination, DriverContext* context);
BOOL ReadInstallDefaultKstFor(WCHAR* destination, DriverContext* context, const DRIVER_INFO_3W* driverInfo);
BOOL ReadPrinterDefaultKst(WCHAR* destination, DriverContext* context);
// The printer's section of the per-printer INI has a non-empty "BatchInstKst": its settings
// came from a batch install.
BOOL GetBatchInstKst(DriverContext* context);
// Copies the per-printer install keys between the model and printer sections of the
// per-printer INI; mode 0-4 selects the keys and the direction, value (or null) is the
// text the kind-1, -3 and -4 keys take. 1 when done, 0 when the INI path, the printer name
// or the model section cannot be had.
int CopyPrinterIniKeys(DriverContext* context, int mode, const WCHAR* value);
// InstallDefaultPresets.
