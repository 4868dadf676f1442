// Paths and names the driver derives: the driver directory and the general path builders
// that join a directory and a file name inside a bounded buffer. A result that would not
// fit leaves an empty string, which callers treat as a missing file.
#pragma once

#include "win/spool.h"
#include "win/types.h"

// The directory part (with its last "\") of the driver path of the printer's driver
// record, into a buffer of MAX_PATH characters; without a record, the system directory
// followed by "\spool\drivers\w32x86\2\".
void GetDriverDirectoryCopy(HANDLE printer, WCHAR* buffer);
// The same from a given record; null reads the printer's.
void GetDriverDirectoryCopyFor(HANDLE printer, WCHAR* buffer, const DRIVER_INFO_3W* driverInfo);

// The directory part of the driver path followed by the name; the buffer is left unchanged
// when the record or its driver path is missing, and empty when the result would not fit.
void MakeDriverPath(WCHAR* buffer, DWORD size, const WCHAR* name, HANDLE printer);
void MakeDriverPathFor(WCHAR* buffer, DWORD size, const WCHAR* name, HANDLE printer, const DRIVER_INFO_3W* driverInfo);

// The Windows or the system directory, "\" and the name; empty when it would not fit.
void MakeWindowsPath(WCHAR* buffer, DWORD size, const WCHAR* name);
void MakeSystemPath(WCHAR* buffer, DWORD size, const WCHAR* name);

// Joins a directory and a name into the buffer: the directory's length + 1 + the name's
// length + 1 must not exceed the size, otherwise the buffer is left empty. Answers the
// result's length, 0 when it was left empty.
DWORD JoinPath(WCHAR* buffer, DWORD size, const WCHAR* directory, const WCHAR* name);

struct DriverContext;

// Printer and model names (the WorkArea fields, filled on first use).
const WCHAR* GetPrinterDisplayName(DriverContext* context);
const WCHAR* GetPrinterDisplayNameFor(DriverContext* context, const PRINTER_INFO_2W* printerInfo);
const WCHAR* GetPrinterSectionName(DriverContext* context);
const WCHAR* GetPrinterSectionNameOfContext(DriverContext* context);
const WCHAR* GetPrinterSectionNameFor(DriverContext* context, const PRINTER_INFO_2W* printerInfo);
// The normalised name into a caller buffer; a name that does not fit is not copied (0).
BOOL GetPrinterNameCopy(HANDLE printer, WCHAR* buffer, DWORD size);
BOOL GetPrinterNameCopyFor(HANDLE printer, WCHAR* buffer, DWORD size, const PRINTER_INFO_2W* printerInfo);
// On Vista and later, "\\server\printer" rebuilt from the "DsSpooler" short server name
// and printer name of a connection.
void NormalisePrinterName(HANDLE printer, WCHAR* name, DWORD size);
const WCHAR* GetRawPrinterName(DriverContext* context);
// The "\\server\printerName" form of a "\\CSR|" connection name; the buffer when the record
// has a pPrinterName, null otherwise.
WCHAR* BuildCsrPrinterName(HANDLE printer, WCHAR* buffer, DWORD size, const PRINTER_INFO_2W* printerInfo);
const WCHAR* GetCsrPrinterName(DriverContext* context);
void GetCsrPrinterNameCopy(HANDLE printer, WCHAR* buffer, DWORD size, const PRINTER_INFO_2W* printerInfo);
// At most 31 characters.
const WCHAR* GetModelName(DriverContext* context);
// Into a buffer of 32 characters.
void GetModelNameForPrinter(HANDLE printer, WCHAR* buffer);
const WCHAR* GetLanguageSectionName(DriverContext* context);
const WCHAR* GetLanguageCode(DriverContext* context);

// Directories and files of a context.
const WCHAR* GetDriverDirectory(DriverContext* context);
const WCHAR* GetDriverDirectoryFor(DriverContext* context, const DRIVER_INFO_3W* driverInfo);
const WCHAR* GetUserIniPath(DriverContext* context);
const WCHAR* GetUserIniPathFor(DriverContext* context, const PRINTER_INFO_2W* printerInfo,
                               const DRIVER_INFO_3W* driverInfo);
// Kind 1: the user data directory; others: the settings root or the system directory;
// then "\" and the model INI name. Its length, 0 when the directory cannot be found.
DWORD GetIniPathInSettingsDir(WCHAR* buffer, DWORD reserved, DWORD kind, HANDLE printer);
DWORD GetIniPathInSettingsDirFor(WCHAR* buffer, DWORD reserved, DWORD kind, HANDLE printer,
                                 const PRINTER_INFO_2W* printerInfo);
const WCHAR* GetSecondIniPath(DriverContext* context);
const WCHAR* GetSecondIniPathFor(DriverContext* context, const DRIVER_INFO_3W* driverInfo);
void GetSecondIniPathForPrinter(HANDLE printer, WCHAR* buffer);
const WCHAR* GetInstallIniPath(DriverContext* context);
const WCHAR* GetHelpFilePath(DriverContext* context);
const WCHAR* GetUiResourcePath(DriverContext* context);
const WCHAR* GetNeutralResourcePath(DriverContext* context);
BOOL IsJapaneseResourceDll(DriverContext* context);

// The driver directory, the UI resource DLL name and the language code joined into a
// buffer of MAX_PATH characters: the two characters before the last '.' of the name are
// replaced by the code (a name without two characters there is joined unchanged).
void BuildUiResourcePath(WCHAR* buffer, const WCHAR* driverDirectory, const WCHAR* dllName, const WCHAR* code);
// The same with the characters at length - 8, - 6 and - 5 replaced by 'C', 'X', 'X'; empty
// for a name shorter than 8 characters.
void BuildNeutralResourcePath(WCHAR* buffer, const WCHAR* driverDirectory, const WCHAR* dllName);

// General path builders: empty when the directory cannot be found or the result would not
// fit (directory + 1 + name + 1 above the size).
void MakeSettingsPath(WCHAR* buffer, DWORD size, const WCHAR* name, DriverContext* context);
void MakeSettingsPathFor(WCHAR* buffer, DWORD size, const WCHAR* name, DriverContext* context,
                         const PRINTER_INFO_2W* printerInfo);
void MakeUserDataPath(WCHAR* buffer, DWORD size, const WCHAR* name, HANDLE printer);
BOOL GetSystemWindowsDir(WCHAR* buffer, DWORD size);
// "..\..\x.ini" against the system directory; empty without a step, with more steps than
// the system directory has separators, or when the result would not fit.
void ResolveParentRelativePath(WCHAR* buffer, DWORD size, const WCHAR* path);
// A drive path is usable as it is; "%SYSTEMDRIVE%..." and "%SYSTEMROOT%..." are expanded
// in place. 1 when the result is not empty; other paths answer 0 unchanged.
BOOL ExpandSystemPathVariable(WCHAR* path, DWORD size, DriverContext* context);
