// Printer data and HKEY_LOCAL_MACHINE values: thin wrappers and the named values the
// install and upgrade work records for a printer. Every REG_SZ value is written with its
// terminating NUL; every wrapper answers 0 on failure and writes nothing else.
#pragma once

#include "win/spool.h"
#include "win/types.h"

struct DriverContext;
struct SettingField;

// Printer data.
BOOL GetPrinterDataValue(HANDLE printer, void* buffer, DWORD size, const WCHAR* valueName, DWORD reserved);
BOOL SetPrinterDataBinary(HANDLE printer, const void* data, DWORD size, const WCHAR* valueName, DWORD reserved);
BOOL SetPrinterDataTyped(HANDLE printer, const void* data, DWORD size, DWORD type, const WCHAR* valueName,
                         DWORD reserved);
BOOL SetPrinterDataString(HANDLE printer, const WCHAR* text, DWORD size, const WCHAR* valueName, DWORD reserved);
// Writes a text as REG_SZ with its NUL (2 x (length + 1) bytes).
BOOL SetPrinterDataText(HANDLE printer, const WCHAR* text, const WCHAR* valueName);

BOOL ReadFieldByNameFromPrinterData(HANDLE printer, DriverContext* context, SettingField* field);
BOOL WriteFieldByNameToPrinterData(HANDLE printer, DriverContext* context, SettingField* field);

BOOL StoreDriverFileNames(HANDLE printer, DriverContext* context);
BOOL StoreDriverGRFileName(DriverContext* context);
BOOL StoreDriverEDFileName(DriverContext* context);
BOOL StoreHelpFileName(DriverContext* context);
// The file part of pDriverPath / pHelpFile of the printer's driver record (size in
// characters); 0 when the record or member is missing, the path has no '\' or the name
// does not fit.
BOOL GetDriverFileName(const WCHAR* modelName, WCHAR* buffer, DWORD size, DriverContext* context);
BOOL GetHelpFileName(const WCHAR* modelName, WCHAR* buffer, DWORD size, DriverContext* context);
// "HelpFileName" into a buffer of size bytes.
BOOL ReadHelpFileNameValue(WCHAR* buffer, DWORD size, DriverContext* context);
BOOL ReadHelpFileNameValueOfPrinter(HANDLE printer, WCHAR* buffer, DWORD size);
BOOL StorePrinterNameValue(HANDLE printer, const PRINTER_INFO_2W* printerInfo);
// Into the buffer (261 characters) or, when null, into the context's printerName.
BOOL ReadPrinterNameValue(HANDLE printer, WCHAR* buffer, DriverContext* context);
BOOL ReadPrinterNameValueInto(HANDLE printer, WCHAR* buffer);
BOOL StoreDriverNameValue(HANDLE printer, const PRINTER_INFO_2W* printerInfo);
BOOL SetPermissionValue(HANDLE printer, const void* data, DWORD size);
BOOL StoreLogFileName(int write, DriverContext* context);

// Registry under HKEY_LOCAL_MACHINE.
BOOL ReadHklmValue(const WCHAR* key, const WCHAR* valueName, void* buffer, DWORD size, DWORD reserved);
BOOL ReadHklmValueNoReserved(const WCHAR* key, const WCHAR* valueName, void* buffer, DWORD size);
BOOL WriteHklmValue(const WCHAR* key, const WCHAR* valueName, const void* data, DWORD size, DWORD type,
                    DWORD reserved);
BOOL ReadDriverRegistryValue(const WCHAR* valueName, void* buffer, DWORD size);
BOOL WriteDriverRegistryValue(const WCHAR* valueName, const WCHAR* text, DWORD size);
BOOL EnsureLogSettings(DriverContext* context);
BOOL IsSaveDeviceSetupEnabled(DriverContext* context);
BOOL IsSuiteToolInstalled(int kind, DriverContext* context);

inline constexpr WCHAR kDriverRegistryKey[] = u"SOFTWARE\\VANTE\\KovaDrv";
inline constexpr WCHAR kPrintLogKey[] = u"Software\\VANTE\\PrintLog";
