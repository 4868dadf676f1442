// The print spooler's records and calls (winspool), with their documented 64-bit layouts.
//
// Every call that fills a caller buffer follows the spooler's size protocol: the record
// and every string and device-mode it points to are packed into the same buffer; when
// cbBuf is too small the call fails with ERROR_INSUFFICIENT_BUFFER (BOOL calls) or
// answers ERROR_MORE_DATA (printer-data calls) and *pcbNeeded gets the full size.
//
// Access: a handle opened without PRINTER_DEFAULTSW (or with DesiredAccess 0) has
// PRINTER_ACCESS_USE, as on Windows; calls that change the printer (printer data,
// SetPrinterW) need PRINTER_ACCESS_ADMINISTER and otherwise fail with ERROR_ACCESS_DENIED.
// Asking for administration on a machine whose user is not an administrator
// (plat::Machine().administrator) fails in OpenPrinterW with ERROR_ACCESS_DENIED.
//
// The printer-data value types are the registry's (REG_SZ 1, REG_BINARY 3, REG_DWORD 4...).
#pragma once

// Exported by the platform library (built with hidden visibility otherwise).
#pragma GCC visibility push(default)

#include <cstddef>

#include "win/devmode.h"
#include "win/types.h"

// Printer attributes (PRINTER_INFO_2W::Attributes).
constexpr DWORD PRINTER_ATTRIBUTE_QUEUED = 0x00000001;
constexpr DWORD PRINTER_ATTRIBUTE_DIRECT = 0x00000002;
constexpr DWORD PRINTER_ATTRIBUTE_DEFAULT = 0x00000004;
constexpr DWORD PRINTER_ATTRIBUTE_SHARED = 0x00000008;
constexpr DWORD PRINTER_ATTRIBUTE_NETWORK = 0x00000010;
constexpr DWORD PRINTER_ATTRIBUTE_HIDDEN = 0x00000020;
constexpr DWORD PRINTER_ATTRIBUTE_LOCAL = 0x00000040;
constexpr DWORD PRINTER_ATTRIBUTE_ENABLE_DEVQ = 0x00000080;
constexpr DWORD PRINTER_ATTRIBUTE_KEEPPRINTEDJOBS = 0x00000100;
constexpr DWORD PRINTER_ATTRIBUTE_DO_COMPLETE_FIRST = 0x00000200;
constexpr DWORD PRINTER_ATTRIBUTE_WORK_OFFLINE = 0x00000400;
constexpr DWORD PRINTER_ATTRIBUTE_ENABLE_BIDI = 0x00000800;
constexpr DWORD PRINTER_ATTRIBUTE_RAW_ONLY = 0x00001000;
constexpr DWORD PRINTER_ATTRIBUTE_PUBLISHED = 0x00002000;
constexpr DWORD PRINTER_ATTRIBUTE_FAX = 0x00004000;
constexpr DWORD PRINTER_ATTRIBUTE_TS = 0x00008000;

// Access rights (PRINTER_DEFAULTSW::DesiredAccess).
constexpr ACCESS_MASK DELETE_ACCESS = 0x00010000;
constexpr ACCESS_MASK READ_CONTROL_ACCESS = 0x00020000;
constexpr ACCESS_MASK WRITE_DAC_ACCESS = 0x00040000;
constexpr ACCESS_MASK WRITE_OWNER_ACCESS = 0x00080000;
constexpr ACCESS_MASK STANDARD_RIGHTS_REQUIRED_ACCESS = 0x000F0000;
constexpr ACCESS_MASK MAXIMUM_ALLOWED_ACCESS = 0x02000000;
constexpr ACCESS_MASK SERVER_ACCESS_ADMINISTER = 0x00000001;
constexpr ACCESS_MASK SERVER_ACCESS_ENUMERATE = 0x00000002;
constexpr ACCESS_MASK PRINTER_ACCESS_ADMINISTER = 0x00000004;
constexpr ACCESS_MASK PRINTER_ACCESS_USE = 0x00000008;
constexpr ACCESS_MASK PRINTER_ACCESS_MANAGE_LIMITED = 0x00000040;
constexpr ACCESS_MASK PRINTER_ALL_ACCESS = STANDARD_RIGHTS_REQUIRED_ACCESS | PRINTER_ACCESS_ADMINISTER | PRINTER_ACCESS_USE;
constexpr ACCESS_MASK SERVER_ALL_ACCESS = STANDARD_RIGHTS_REQUIRED_ACCESS | SERVER_ACCESS_ADMINISTER | SERVER_ACCESS_ENUMERATE;
constexpr ACCESS_MASK PRINTER_READ = READ_CONTROL_ACCESS | PRINTER_ACCESS_USE;
constexpr ACCESS_MASK PRINTER_WRITE = READ_CONTROL_ACCESS | PRINTER_ACCESS_USE;
constexpr ACCESS_MASK PRINTER_EXECUTE = READ_CONTROL_ACCESS | PRINTER_ACCESS_USE;

// Printer status bits (PRINTER_INFO_2W::Status).
constexpr DWORD PRINTER_STATUS_PAUSED = 0x00000001;
constexpr DWORD PRINTER_STATUS_ERROR = 0x00000002;
constexpr DWORD PRINTER_STATUS_PENDING_DELETION = 0x00000004;

// SetPrinterW level-0 commands.
constexpr DWORD PRINTER_CONTROL_PAUSE = 1;
constexpr DWORD PRINTER_CONTROL_RESUME = 2;
constexpr DWORD PRINTER_CONTROL_PURGE = 3;
constexpr DWORD PRINTER_CONTROL_SET_STATUS = 4;

// Directory-service actions (PRINTER_INFO_7W::dwAction).
constexpr DWORD DSPRINT_PUBLISH = 0x00000001;
constexpr DWORD DSPRINT_UPDATE = 0x00000002;
constexpr DWORD DSPRINT_UNPUBLISH = 0x00000004;
constexpr DWORD DSPRINT_REPUBLISH = 0x00000008;
constexpr DWORD DSPRINT_PENDING = 0x80000000;

// EnumPrintersW flags.
constexpr DWORD PRINTER_ENUM_DEFAULT = 0x00000001;
constexpr DWORD PRINTER_ENUM_LOCAL = 0x00000002;
constexpr DWORD PRINTER_ENUM_CONNECTIONS = 0x00000004;
constexpr DWORD PRINTER_ENUM_NAME = 0x00000008;

// Form flags (FORM_INFO_1W::Flags).
constexpr DWORD FORM_USER = 0x00000000;
constexpr DWORD FORM_BUILTIN = 0x00000001;
constexpr DWORD FORM_PRINTER = 0x00000002;

// Job status bits (JOB_INFO_1W::Status).
constexpr DWORD JOB_STATUS_PAUSED = 0x00000001;
constexpr DWORD JOB_STATUS_ERROR = 0x00000002;
constexpr DWORD JOB_STATUS_DELETING = 0x00000004;
constexpr DWORD JOB_STATUS_SPOOLING = 0x00000008;
constexpr DWORD JOB_STATUS_PRINTING = 0x00000010;
constexpr DWORD JOB_STATUS_OFFLINE = 0x00000020;
constexpr DWORD JOB_STATUS_PAPEROUT = 0x00000040;
constexpr DWORD JOB_STATUS_PRINTED = 0x00000080;

// The printer-data key that GetPrinterDataW and SetPrinterDataW address, and the key
// whose values the spooler builds from the printer's record.
inline constexpr const WCHAR* SPLDS_DRIVER_DATA_KEY = u"PrinterDriverData";
inline constexpr const WCHAR* SPLDS_SPOOLER_KEY = u"DsSpooler";

struct PRINTER_DEFAULTSW {
  LPWSTR pDatatype;
  DEVMODEW* pDevMode;
  ACCESS_MASK DesiredAccess;
};
using LPPRINTER_DEFAULTSW = PRINTER_DEFAULTSW*;

struct PRINTER_INFO_1W {
  DWORD Flags;
  LPWSTR pDescription;
  LPWSTR pName;
  LPWSTR pComment;
};

struct PRINTER_INFO_2W {
  LPWSTR pServerName;
  LPWSTR pPrinterName;
  LPWSTR pShareName;
  LPWSTR pPortName;
  LPWSTR pDriverName;
  LPWSTR pComment;
  LPWSTR pLocation;
  DEVMODEW* pDevMode;
  LPWSTR pSepFile;
  LPWSTR pPrintProcessor;
  LPWSTR pDatatype;
  LPWSTR pParameters;
  PSECURITY_DESCRIPTOR pSecurityDescriptor;
  DWORD Attributes;
  DWORD Priority;
  DWORD DefaultPriority;
  DWORD StartTime;
  DWORD UntilTime;
  DWORD Status;
  DWORD cJobs;
  DWORD AveragePPM;
};
using PPRINTER_INFO_2W = PRINTER_INFO_2W*;

struct PRINTER_INFO_4W {
  LPWSTR pPrinterName;
  LPWSTR pServerName;
  DWORD Attributes;
};

struct PRINTER_INFO_7W {
  LPWSTR pszObjectGUID;
  DWORD dwAction;
};
using PPRINTER_INFO_7W = PRINTER_INFO_7W*;

struct PRINTER_INFO_8W {
  DEVMODEW* pDevMode;
};
struct PRINTER_INFO_9W {
  DEVMODEW* pDevMode;
};

struct DRIVER_INFO_1W {
  LPWSTR pName;
};

struct DRIVER_INFO_2W {
  DWORD cVersion;
  LPWSTR pName;
  LPWSTR pEnvironment;
  LPWSTR pDriverPath;
  LPWSTR pDataFile;
  LPWSTR pConfigFile;
};
using PDRIVER_INFO_2W = DRIVER_INFO_2W*;

struct DRIVER_INFO_3W {
  DWORD cVersion;
  LPWSTR pName;
  LPWSTR pEnvironment;
  LPWSTR pDriverPath;
  LPWSTR pDataFile;
  LPWSTR pConfigFile;
  LPWSTR pHelpFile;
  LPWSTR pDependentFiles;  // a list of names, each ended by NUL, the list by another NUL
  LPWSTR pMonitorName;
  LPWSTR pDefaultDataType;
};
using PDRIVER_INFO_3W = DRIVER_INFO_3W*;

struct FORM_INFO_1W {
  DWORD Flags;
  LPWSTR pName;
  SIZEL Size;           // thousandths of a millimetre
  RECTL ImageableArea;  // thousandths of a millimetre
};
using PFORM_INFO_1W = FORM_INFO_1W*;

struct JOB_INFO_1W {
  DWORD JobId;
  LPWSTR pPrinterName;
  LPWSTR pMachineName;
  LPWSTR pUserName;
  LPWSTR pDocument;
  LPWSTR pDatatype;
  LPWSTR pStatus;
  DWORD Status;
  DWORD Priority;
  DWORD Position;
  DWORD TotalPages;
  DWORD PagesPrinted;
  SYSTEMTIME Submitted;
};

struct JOB_INFO_2W {
  DWORD JobId;
  LPWSTR pPrinterName;
  LPWSTR pMachineName;
  LPWSTR pUserName;
  LPWSTR pDocument;
  LPWSTR pNotifyName;
  LPWSTR pDatatype;
  LPWSTR pPrintProcessor;
  LPWSTR pParameters;
  LPWSTR pDriverName;
  DEVMODEW* pDevMode;
  LPWSTR pStatus;
  PSECURITY_DESCRIPTOR pSecurityDescriptor;
  DWORD Status;
  DWORD Priority;
  DWORD Position;
  DWORD StartTime;
  DWORD UntilTime;
  DWORD TotalPages;
  DWORD Size;
  SYSTEMTIME Submitted;
  DWORD Time;
  DWORD PagesPrinted;
};

// The 64-bit layouts.
static_assert(sizeof(void*) == 8, "the spooler records are declared for 64-bit builds");
static_assert(sizeof(PRINTER_DEFAULTSW) == 24 && offsetof(PRINTER_DEFAULTSW, DesiredAccess) == 16);
static_assert(sizeof(PRINTER_INFO_1W) == 32 && offsetof(PRINTER_INFO_1W, pDescription) == 8 &&
              offsetof(PRINTER_INFO_1W, pComment) == 24);
static_assert(sizeof(PRINTER_INFO_2W) == 136);
static_assert(offsetof(PRINTER_INFO_2W, pPrinterName) == 8 && offsetof(PRINTER_INFO_2W, pDriverName) == 32 &&
              offsetof(PRINTER_INFO_2W, pDevMode) == 56 && offsetof(PRINTER_INFO_2W, pSecurityDescriptor) == 96 &&
              offsetof(PRINTER_INFO_2W, Attributes) == 104 && offsetof(PRINTER_INFO_2W, Status) == 124 &&
              offsetof(PRINTER_INFO_2W, AveragePPM) == 132);
static_assert(sizeof(PRINTER_INFO_4W) == 24 && offsetof(PRINTER_INFO_4W, Attributes) == 16);
static_assert(sizeof(PRINTER_INFO_7W) == 16 && offsetof(PRINTER_INFO_7W, dwAction) == 8);
static_assert(sizeof(PRINTER_INFO_8W) == 8 && sizeof(PRINTER_INFO_9W) == 8);
static_assert(sizeof(DRIVER_INFO_1W) == 8);
static_assert(sizeof(DRIVER_INFO_2W) == 48 && offsetof(DRIVER_INFO_2W, pName) == 8 &&
              offsetof(DRIVER_INFO_2W, pDriverPath) == 24 && offsetof(DRIVER_INFO_2W, pConfigFile) == 40);
static_assert(sizeof(DRIVER_INFO_3W) == 80 && offsetof(DRIVER_INFO_3W, pHelpFile) == 48 &&
              offsetof(DRIVER_INFO_3W, pDependentFiles) == 56 && offsetof(DRIVER_INFO_3W, pDefaultDataType) == 72);
static_assert(sizeof(FORM_INFO_1W) == 40 && offsetof(FORM_INFO_1W, pName) == 8 && offsetof(FORM_INFO_1W, Size) == 16 &&
              offsetof(FORM_INFO_1W, ImageableArea) == 24);
static_assert(sizeof(JOB_INFO_1W) == 96 && offsetof(JOB_INFO_1W, pStatus) == 48 && offsetof(JOB_INFO_1W, Status) == 56 &&
              offsetof(JOB_INFO_1W, PagesPrinted) == 72 && offsetof(JOB_INFO_1W, Submitted) == 76);
static_assert(sizeof(JOB_INFO_2W) == 160 && offsetof(JOB_INFO_2W, pDevMode) == 80 &&
              offsetof(JOB_INFO_2W, pSecurityDescriptor) == 96 && offsetof(JOB_INFO_2W, Status) == 104 &&
              offsetof(JOB_INFO_2W, Size) == 128 && offsetof(JOB_INFO_2W, Submitted) == 132 &&
              offsetof(JOB_INFO_2W, Time) == 148 && offsetof(JOB_INFO_2W, PagesPrinted) == 152);

// Printers. OpenPrinterW with a null name opens the local print server (a handle for
// EnumFormsW, GetPrinterDriverDirectoryW and the server's printer data); names are matched
// without regard to case; "\\<this computer>\<printer>" names a local printer too.
KOVA_EXPORT BOOL WINAPI OpenPrinterW(LPWSTR pPrinterName, HANDLE* phPrinter, PRINTER_DEFAULTSW* pDefault);
KOVA_EXPORT BOOL WINAPI ClosePrinter(HANDLE hPrinter);
// Levels 1, 2, 4, 7, 8 and 9.
KOVA_EXPORT BOOL WINAPI GetPrinterW(HANDLE hPrinter, DWORD Level, LPBYTE pPrinter, DWORD cbBuf, LPDWORD pcbNeeded);
// Level 0 with a command; level 2 (share name, port, comment, location, attributes,
// priorities and, when given, the device-mode); level 7 (recorded); level 8 (the global
// device-mode) and level 9 (the user's device-mode).
KOVA_EXPORT BOOL WINAPI SetPrinterW(HANDLE hPrinter, DWORD Level, LPBYTE pPrinter, DWORD Command);
// Levels 1, 2 and 4. Flags PRINTER_ENUM_LOCAL and PRINTER_ENUM_CONNECTIONS (either or both;
// PRINTER_ENUM_DEFAULT and PRINTER_ENUM_NAME with a null name count as local).
KOVA_EXPORT BOOL WINAPI EnumPrintersW(DWORD Flags, LPWSTR Name, DWORD Level, LPBYTE pPrinterEnum, DWORD cbBuf,
                                      LPDWORD pcbNeeded, LPDWORD pcReturned);

// Drivers. Environment null or "Windows x64"; levels 1, 2 and 3.
KOVA_EXPORT BOOL WINAPI GetPrinterDriverW(HANDLE hPrinter, LPWSTR pEnvironment, DWORD Level, LPBYTE pDriverInfo,
                                          DWORD cbBuf, LPDWORD pcbNeeded);
// Level 1: the driver directory of the environment (sizes in bytes, with the NUL).
KOVA_EXPORT BOOL WINAPI GetPrinterDriverDirectoryW(LPWSTR pName, LPWSTR pEnvironment, DWORD Level,
                                                   LPBYTE pDriverDirectory, DWORD cbBuf, LPDWORD pcbNeeded);

// Printer data. These answer an error code (ERROR_SUCCESS, ERROR_FILE_NOT_FOUND for a
// missing value, ERROR_MORE_DATA with *pcbNeeded when nSize is too small, ERROR_INVALID_HANDLE,
// ERROR_ACCESS_DENIED, ERROR_INVALID_PARAMETER). The type is returned also with
// ERROR_MORE_DATA. Values keep the exact bytes and type they were set with.
KOVA_EXPORT DWORD WINAPI GetPrinterDataW(HANDLE hPrinter, LPWSTR pValueName, LPDWORD pType, LPBYTE pData, DWORD nSize,
                                         LPDWORD pcbNeeded);
KOVA_EXPORT DWORD WINAPI GetPrinterDataExW(HANDLE hPrinter, LPCWSTR pKeyName, LPCWSTR pValueName, LPDWORD pType,
                                           LPBYTE pData, DWORD nSize, LPDWORD pcbNeeded);
KOVA_EXPORT DWORD WINAPI SetPrinterDataW(HANDLE hPrinter, LPWSTR pValueName, DWORD Type, LPBYTE pData, DWORD cbData);
KOVA_EXPORT DWORD WINAPI SetPrinterDataExW(HANDLE hPrinter, LPCWSTR pKeyName, LPCWSTR pValueName, DWORD Type,
                                           LPBYTE pData, DWORD cbData);
KOVA_EXPORT DWORD WINAPI DeletePrinterDataW(HANDLE hPrinter, LPWSTR pValueName);
KOVA_EXPORT DWORD WINAPI DeletePrinterDataExW(HANDLE hPrinter, LPCWSTR pKeyName, LPCWSTR pValueName);
// The values of "PrinterDriverData" by index. With cbValueName and cbData both 0 the call
// answers the largest name size (bytes, with the NUL) and data size of the key; past the
// last value it answers ERROR_NO_MORE_ITEMS. pData may be null when only names are wanted.
KOVA_EXPORT DWORD WINAPI EnumPrinterDataW(HANDLE hPrinter, DWORD dwIndex, LPWSTR pValueName, DWORD cbValueName,
                                          LPDWORD pcbValueName, LPDWORD pType, LPBYTE pData, DWORD cbData,
                                          LPDWORD pcbData);

// Forms (server-wide; a printer handle or a server handle). Level 1.
KOVA_EXPORT BOOL WINAPI EnumFormsW(HANDLE hPrinter, DWORD Level, LPBYTE pForm, DWORD cbBuf, LPDWORD pcbNeeded,
                                   LPDWORD pcReturned);
KOVA_EXPORT BOOL WINAPI GetFormW(HANDLE hPrinter, LPWSTR pFormName, DWORD Level, LPBYTE pForm, DWORD cbBuf,
                                 LPDWORD pcbNeeded);

// Jobs. Levels 1 and 2; an unknown job answers ERROR_INVALID_PARAMETER.
KOVA_EXPORT BOOL WINAPI GetJobW(HANDLE hPrinter, DWORD JobId, DWORD Level, LPBYTE pJob, DWORD cbBuf, LPDWORD pcbNeeded);

// IsValidDevmodeW: the public members of a device-mode checked against the size of the
// caller's buffer (DevmodeSize bytes; the private part that follows dmSize is not looked
// at). Structural faults answer FALSE: a null device-mode or a buffer too short for the
// header through dmFields (ERROR_INVALID_PARAMETER, ERROR_INSUFFICIENT_BUFFER); a dmSize
// below that header or not a whole number of wide characters (ERROR_INVALID_DATA); and
// dmSize + dmDriverExtra beyond DevmodeSize (ERROR_INSUFFICIENT_BUFFER). Minor faults are
// repaired in place, within dmSize, and answer TRUE: dmFields loses the bits of members that
// do not lie wholly within dmSize, and dmDeviceName and dmFormName (when within dmSize) end
// in a NUL at their last character when they hold none.
KOVA_EXPORT BOOL WINAPI IsValidDevmodeW(DEVMODEW* pDevmode, std::size_t DevmodeSize);

// The spooler's identity around work that must not run as the calling client:
// RevertToPrinterSelf answers a token of the client (null on failure), which
// ImpersonatePrinterClient takes back (and closes); an unknown token answers FALSE with
// ERROR_INVALID_HANDLE.
KOVA_EXPORT HANDLE WINAPI RevertToPrinterSelf();
KOVA_EXPORT BOOL WINAPI ImpersonatePrinterClient(HANDLE hToken);

// The printer's device-mode through its interface library (the driver's configuration file):
// fMode 0 answers the size of the whole device-mode; DM_OUT_BUFFER fills pDevModeOutput.
// Answers below 0 on failure (the library cannot be loaded or has no
// DrvDocumentPropertySheets).
struct HWND__;
using HWND = HWND__*;
KOVA_EXPORT LONG WINAPI DocumentPropertiesW(HWND hWnd, HANDLE hPrinter, LPWSTR pDeviceName, DEVMODEW* pDevModeOutput,
                                            DEVMODEW* pDevModeInput, DWORD fMode);
#pragma GCC visibility pop
