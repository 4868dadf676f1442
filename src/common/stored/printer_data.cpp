#include "base/printer_data.h"

#include <cstring>

#include "base/driver_context.h"
#include "fields/field_table.h"
#include "base/file_names.h"
#include "base/ini_files.h"
#include "base/memory.h"
#include "base/paths_and_names.h"
#include "fields/product_record.h"
#include "base/spooler_info.h"
#include "base/wide_text.h"
#include "stored/device_settings.h"
#include "win/kernel.h"
#include "win/registry.h"

namespace {

LPWSTR Mutable(const WCHAR* s) { return const_cast<LPWSTR>(s); }

HANDLE PrinterOf(DriverContext* context) { return context ? context->hPrinter : nullptr; }

// The context's driver record, or one read now (then *owned holds it for FreeMem).
const DRIVER_INFO_3W* DriverInfoOf(DriverContext* context, DRIVER_INFO_3W** owned) {
  *owned = nullptr;
  if (!context) return nullptr;
  if (context->work && context->work->driverInfo) return context->work->driverInfo;
  *owned = static_cast<DRIVER_INFO_3W*>(GetPrinterDriverInfo(context->hPrinter, 3));
  return *owned;
}

// The part after the last '\' into the buffer; 0 without a '\' or when it does not fit.
BOOL CopyFilePart(const WCHAR* path, WCHAR* buffer, DWORD size) {
  if (!path || !buffer || size == 0) return FALSE;
  const WCHAR* slash = nullptr;
  for (const WCHAR* p = path; *p; ++p)
    if (*p == u'\\') slash = p;
  if (!slash) return FALSE;
  const DWORD n = static_cast<DWORD>(WideLength(slash + 1));
  if (n + 1 > size) return FALSE;
  std::memcpy(buffer, slash + 1, (n + 1) * sizeof(WCHAR));
  return TRUE;
}

BOOL FileNameOfDriverRecord(DriverContext* context, WCHAR* buffer, DWORD size, bool help) {
  if (!buffer || size == 0) return FALSE;
  buffer[0] = 0;
  DRIVER_INFO_3W* owned = nullptr;
  const DRIVER_INFO_3W* info = DriverInfoOf(context, &owned);
  BOOL ok = FALSE;
  if (info) ok = CopyFilePart(help ? info->pHelpFile : info->pDriverPath, buffer, size);
  FreeMem(owned);
  return ok;
}

template <class Op>
BOOL WithNameAsKey(DriverContext* context, SettingField* field, Op op) {
  if (!context || !field) return FALSE;
  const WCHAR* name = GetFieldName(context, field->id);
  if (!name || !name[0]) return FALSE;
  const WCHAR* key = field->key;
  field->key = name;
  const BOOL result = op();
  field->key = key;
  return result;
}

}  // namespace

BOOL GetPrinterDataValue(HANDLE printer, void* buffer, DWORD size, const WCHAR* valueName, DWORD) {
  if (!buffer || size == 0 || !valueName) return FALSE;
  DWORD type = 0, needed = 0;
  return GetPrinterDataW(printer, Mutable(valueName), &type, static_cast<LPBYTE>(buffer), size, &needed) ==
                 ERROR_SUCCESS
             ? TRUE
             : FALSE;
}

BOOL SetPrinterDataTyped(HANDLE printer, const void* data, DWORD size, DWORD type, const WCHAR* valueName, DWORD) {
  if (!data || size == 0 || !valueName) return FALSE;
  return SetPrinterDataW(printer, Mutable(valueName), type,
                         static_cast<LPBYTE>(const_cast<void*>(data)), size) == ERROR_SUCCESS
             ? TRUE
             : FALSE;
}

BOOL SetPrinterDataBinary(HANDLE printer, const void* data, DWORD size, const WCHAR* valueName, DWORD reserved) {
  return SetPrinterDataTyped(printer, data, size, REG_BINARY, valueName, reserved);
}

BOOL SetPrinterDataString(HANDLE printer, const WCHAR* text, DWORD size, const WCHAR* valueName, DWORD reserved) {
  return SetPrinterDataTyped(printer, text, size, REG_SZ, valueName, reserved);
}

BOOL SetPrinterDataText(HANDLE printer, const WCHAR* text, const WCHAR* valueName) {
  if (!text) return FALSE;
  return SetPrinterDataString(printer, text, (WideLength(text) + 1) * sizeof(WCHAR), valueName, 0);
}

BOOL ReadFieldByNameFromPrinterData(HANDLE printer, DriverContext* context, SettingField* field) {
  return WithNameAsKey(context, field, [&] { return ReadFeatureFromPrinterData(printer, context, field, 0, nullptr) ? TRUE : FALSE; });
}

BOOL WriteFieldByNameToPrinterData(HANDLE printer, DriverContext* context, SettingField* field) {
  return WithNameAsKey(context, field, [&] { return WriteFeatureToPrinterData(printer, context, field) ? TRUE : FALSE; });
}

BOOL StoreDriverFileNames(HANDLE printer, DriverContext* context) {
  const ProductRecord* product = ProductOf(context);
  BOOL ok = TRUE;
  const WCHAR* output = GetProductString(product->outputDllName);
  if (output && output[0]) ok = SetPrinterDataText(printer, output, u"SPLUserModePrinterDriver") && ok;
  const WCHAR* ini = GetProductString(product->modelIniName);
  if (ini && ini[0]) ok = SetPrinterDataText(printer, ini, u"DriverIniFileName") && ok;
  StoreDriverGRFileName(context);
  StoreDriverEDFileName(context);
  return ok;
}

BOOL StoreDriverGRFileName(DriverContext* context) {
  if (!context || !context->work) return FALSE;
  WCHAR* text = context->work->scratchText;
  if (!GetDriverFileName(nullptr, text, 1025, context)) return FALSE;
  return SetPrinterDataText(PrinterOf(context), text, u"DriverGRFileName");
}

BOOL StoreDriverEDFileName(DriverContext* context) {
  if (!context || !context->work) return FALSE;
  WCHAR* text = context->work->scratchText;
  text[0] = 0;
  const WCHAR* ini = GetSecondIniPath(context);
  if (ini && ini[0]) ReadIniString(u"DriversFileName", u"DriverEDFileName", u"", text, 26, ini);
  const BOOL found = text[0] != 0;
  const BOOL written = SetPrinterDataText(PrinterOf(context), text, u"DriverEDFileName");
  return found && written ? TRUE : FALSE;
}

BOOL StoreHelpFileName(DriverContext* context) {
  if (!context || !context->work) return FALSE;
  WCHAR* text = context->work->scratchText;
  if (!GetHelpFileName(nullptr, text, 1025, context)) return FALSE;
  return SetPrinterDataText(PrinterOf(context), text, u"HelpFileName");
}

BOOL GetDriverFileName(const WCHAR*, WCHAR* buffer, DWORD size, DriverContext* context) {
  return FileNameOfDriverRecord(context, buffer, size, false);
}

BOOL GetHelpFileName(const WCHAR*, WCHAR* buffer, DWORD size, DriverContext* context) {
  return FileNameOfDriverRecord(context, buffer, size, true);
}

BOOL ReadHelpFileNameValue(WCHAR* buffer, DWORD size, DriverContext* context) {
  return ReadHelpFileNameValueOfPrinter(PrinterOf(context), buffer, size);
}

BOOL ReadHelpFileNameValueOfPrinter(HANDLE printer, WCHAR* buffer, DWORD size) {
  return GetPrinterDataValue(printer, buffer, size, u"HelpFileName", 0);
}

BOOL StorePrinterNameValue(HANDLE printer, const PRINTER_INFO_2W* printerInfo) {
  PRINTER_INFO_2W* owned = nullptr;
  if (!printerInfo) printerInfo = owned = static_cast<PRINTER_INFO_2W*>(GetPrinterInfo(printer, 2));
  BOOL ok = FALSE;
  if (printerInfo && printerInfo->pPrinterName)
    ok = SetPrinterDataText(printer, printerInfo->pPrinterName, u"KOVAPrinterName");
  FreeMem(owned);
  return ok;
}

BOOL ReadPrinterNameValue(HANDLE printer, WCHAR* buffer, DriverContext* context) {
  if (!buffer) {
    if (!context || !context->work) return FALSE;
    buffer = context->work->printerName;
  }
  return ReadPrinterNameValueInto(printer, buffer);
}

BOOL ReadPrinterNameValueInto(HANDLE printer, WCHAR* buffer) {
  if (!buffer) return FALSE;
  const BOOL ok = GetPrinterDataValue(printer, buffer, 522, u"KOVAPrinterName", 0);
  buffer[260] = 0;
  return ok;
}

BOOL StoreDriverNameValue(HANDLE printer, const PRINTER_INFO_2W* printerInfo) {
  PRINTER_INFO_2W* owned = nullptr;
  if (!printerInfo) printerInfo = owned = static_cast<PRINTER_INFO_2W*>(GetPrinterInfo(printer, 2));
  BOOL ok = FALSE;
  if (printerInfo && printerInfo->pDriverName)
    ok = SetPrinterDataText(printer, printerInfo->pDriverName, u"DriverName");
  FreeMem(owned);
  return ok;
}

BOOL SetPermissionValue(HANDLE printer, const void* data, DWORD size) {
  return SetPrinterDataTyped(printer, data, size, REG_DWORD, u"Permission", 0);
}

BOOL StoreLogFileName(int write, DriverContext* context) {
  EnsureLogSettings(context);
  if (!write) return TRUE;
  auto* name = static_cast<WCHAR*>(AllocMem(MAX_PATH * sizeof(WCHAR)));
  auto* log = static_cast<WCHAR*>(AllocMem(MAX_PATH * sizeof(WCHAR)));
  BOOL ok = FALSE;
  if (name && log && GetDriverFileName(nullptr, name, MAX_PATH, context) && ChangeExtension(log, name, u"log"))
    ok = SetPrinterDataText(PrinterOf(context), log, u"LogFileName");
  FreeMem(name);
  FreeMem(log);
  return ok;
}

BOOL ReadHklmValue(const WCHAR* key, const WCHAR* valueName, void* buffer, DWORD size, DWORD) {
  HKEY h = nullptr;
  if (RegOpenKeyW(HKEY_LOCAL_MACHINE, key, &h) != ERROR_SUCCESS) return FALSE;
  DWORD type = 0, bytes = size;
  const LONG rc = RegQueryValueExW(h, valueName, nullptr, &type, static_cast<LPBYTE>(buffer), &bytes);
  RegCloseKey(h);
  return rc == ERROR_SUCCESS ? TRUE : FALSE;
}

BOOL ReadHklmValueNoReserved(const WCHAR* key, const WCHAR* valueName, void* buffer, DWORD size) {
  return ReadHklmValue(key, valueName, buffer, size, 0);
}

BOOL WriteHklmValue(const WCHAR* key, const WCHAR* valueName, const void* data, DWORD size, DWORD type, DWORD) {
  HKEY h = nullptr;
  if (RegCreateKeyW(HKEY_LOCAL_MACHINE, key, &h) != ERROR_SUCCESS) return FALSE;
  const LONG rc = RegSetValueExW(h, valueName, 0, type, static_cast<const BYTE*>(data), size);
  RegCloseKey(h);
  return rc == ERROR_SUCCESS ? TRUE : FALSE;
}

BOOL ReadDriverRegistryValue(const WCHAR* valueName, void* buffer, DWORD size) {
  return ReadHklmValue(kDriverRegistryKey, valueName, buffer, size, 0);
}

BOOL WriteDriverRegistryValue(const WCHAR* valueName, const WCHAR* text, DWORD size) {
  return WriteHklmValue(kDriverRegistryKey, valueName, text, size, REG_SZ, 0);
}

BOOL EnsureLogSettings(DriverContext*) {
  WCHAR directory[MAX_PATH] = {};
  if (!ReadHklmValue(kPrintLogKey, u"LogFileDirectory", directory, sizeof directory - sizeof(WCHAR), 0) ||
      !directory[0]) {
    WCHAR path[MAX_PATH] = {};
    MakeWindowsPath(path, MAX_PATH, u"temp\\PrintLog");
    if (path[0]) WriteHklmValue(kPrintLogKey, u"LogFileDirectory", path, (WideLength(path) + 1) * sizeof(WCHAR), REG_SZ, 0);
  }
  DWORD size = 0;
  if (!ReadHklmValue(kPrintLogKey, u"MaxLogFileSize", &size, sizeof size, 0)) {
    const DWORD defaultSize = 64;
    WriteHklmValue(kPrintLogKey, u"MaxLogFileSize", &defaultSize, sizeof defaultSize, REG_DWORD, 0);
  }
  return TRUE;
}

BOOL IsSaveDeviceSetupEnabled(DriverContext*) {
  BYTE value[520] = {};
  if (!ReadHklmValue(u"Software\\VANTE\\KovaDrvCustomSetup", u"SaveDeviceSetup", value, sizeof value, 0))
    return FALSE;
  return value[0] == 1 && value[1] == 0 ? TRUE : FALSE;
}

BOOL IsSuiteToolInstalled(int kind, DriverContext*) {
  const WCHAR* key = nullptr;
  const WCHAR* name = nullptr;
  if (kind == 2) {
    key = u"Software\\VANTE\\Suitemix\\Jobfold";
    name = u"INSTALL_COUNT";
  } else if (kind == 8) {
    key = u"Software\\VANTE\\Suitemix\\Preview";
    name = u"VERSION";
  } else {
    return FALSE;
  }
  DWORD value = 0;
  return ReadHklmValue(key, name, &value, sizeof value, 0) && value != 0 ? TRUE : FALSE;
}
