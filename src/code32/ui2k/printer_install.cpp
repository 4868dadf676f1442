#include "printer_install.h"

#include <cstdio>
#include <cstring>

#include "context/context_create.h"
#include "context/driver_context.h"
#include "context/driver_locks.h"
#include "context/field_access.h"
#include "context/ini_files.h"
#include "context/memory.h"
#include "context/paths_and_names.h"
#include "context/printer_data.h"
#include "context/product_record.h"
#include "context/settings_dirs.h"
#include "context/spooler_info.h"
#include "context/system_checks.h"
#include "model/option_lookup.h"
#include "stored/device_settings.h"
#include "win/files.h"
#include "win/kernel.h"

namespace {

constexpr WORD kFieldCustomFunc1 = 1463;
constexpr DWORD kWholeDevmode = 1236;

bool IsConnectionType(int type) { return type == kInitConnection || type == kInitUserConnection || type == kInitCheckConnection; }

BOOL WriteDword(HANDLE printer, const WCHAR* name, DWORD value) {
  return SetPrinterDataTyped(printer, &value, sizeof value, 4 /* REG_DWORD */, name, 0);
}

}  // namespace

const WCHAR* ProductVersionText() {
  const ProductRecord* product = GetProductRecord();
  const WCHAR* text = product ? GetProductString(product->driverVersionString) : nullptr;
  return text ? text : u"";
}

void FormatInstallTime(WCHAR* buffer) {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  char text[32];
  std::snprintf(text, sizeof text, "%04u%02u%02u%02u%02u%02u", unsigned{now.wYear}, unsigned{now.wMonth},
                unsigned{now.wDay}, unsigned{now.wHour}, unsigned{now.wMinute}, unsigned{now.wSecond});
  int i = 0;
  for (; text[i] && i < 14; ++i) buffer[i] = static_cast<WCHAR>(text[i]);
  buffer[i] = 0;
}

void InstallSectionName(const PRINTER_INFO_2W* printerInfo, WCHAR* section) {
  section[0] = 0;
  if (!printerInfo || !printerInfo->pPrinterName) return;
  DWORD n = 0;
  for (; printerInfo->pPrinterName[n] && n < 260; ++n) section[n] = printerInfo->pPrinterName[n];
  section[n] = 0;
  SanitizeIniSection(section);
}

BOOL IsBatchInstallDone(HANDLE printer) {
  DWORD value = 0;
  if (!GetPrinterDataValue(printer, &value, sizeof value, u"BatchInstallDone", 0)) return FALSE;
  return value != 0 ? TRUE : FALSE;
}

BOOL HasPrinterDevmode(const PRINTER_INFO_2W* printerInfo) {
  return printerInfo && printerInfo->pDevMode && printerInfo->pDevMode->dmSize != 0 ? TRUE : FALSE;
}

int StampInstallTime(HANDLE printer, int stampKind, int iniKind, const PRINTER_INFO_2W* printerInfo,
                     const DRIVER_INFO_3W* driverInfo) {
  if (!IsTerminalServerCachedFor(printer, driverInfo)) return 1;
  PRINTER_INFO_2W* owned = nullptr;
  if (!printerInfo) printerInfo = owned = static_cast<PRINTER_INFO_2W*>(GetPrinterInfo(printer, 2));
  WCHAR ini[MAX_PATH + 1] = {};
  WCHAR section[261];
  InstallSectionName(printerInfo, section);
  int result = 0;
  LockDriverMutex(nullptr);
  if (section[0] && GetIniPathInSettingsDirFor(ini, 0, iniKind == 1 ? 1 : 0, printer, printerInfo) != 0 && ini[0]) {
    WCHAR now[15];
    FormatInstallTime(now);
    WCHAR kind[16];
    char text[16];
    std::snprintf(text, sizeof text, "%d", stampKind);
    int i = 0;
    for (; text[i]; ++i) kind[i] = static_cast<WCHAR>(text[i]);
    kind[i] = 0;
    bool ok = WriteIniString(section, u"DrvInstTime", now, ini) != FALSE;
    if (iniKind == 2) ok = WriteIniString(section, u"DrvFirstInstTime", now, ini) != FALSE && ok;
    ok = WriteIniString(section, u"DrvInstType", kind, ini) != FALSE && ok;
    ok = WriteIniString(section, u"DrvInstVersion", ProductVersionText(), ini) != FALSE && ok;
    result = ok ? 1 : 0;
  }
  UnlockDriverMutex(nullptr);
  FreeMem(owned);
  return result;
}

int InitializePrinterSettings(HANDLE printer, DEVMODEW* output, int type, const PRINTER_INFO_2W* printerInfo,
                              const DRIVER_INFO_3W* driverInfo) {
  const bool connection = IsConnectionType(type);
  const bool perUser = type == kInitUserConnection;
  const bool local = !connection;
  WORD flags = static_cast<WORD>((type == kInitCreated ? 3 : 1) | 0x300);
  if (type == kInitBatchAtUpgrade) flags |= 0x400;
  DriverContext* context = CreateContextWithFlags(printer, printer, 0, flags, 0x80000000u, printerInfo, driverInfo);
  if (!context) return 0;

  if (IsNt5OrLater()) CreateSettingsRoot(printer);
  // PENDING: ApplyDirectoryKeys, RunExpandFiles, LoadInstallDefaults, ClearBidiCacheIni,
  // the package files with their job-control bookkeeping, batch settings and user codes,
  // and RepairUserLists come with the install INI files and the first-run defaults; until
  // then the printer starts from the model's defaults.
  SetFieldValueById(context, kFieldCustomFunc1, GetOptionDefaultValue(kFieldCustomFunc1, context));
  SaveDeviceSettings(printer, context, 2, 4);
  if (IsNt5OrLater() && (GetFieldValueById(context, kFieldCustomFunc1) != 0 || GetFieldValueById(context, 454) != 0)) {
    // A printer whose settings live in a directory of their own leaves the default root.
    WCHAR directory[MAX_PATH + 1] = {};
    bool elsewhere = false;
    if (connection && !perUser) {
      elsewhere = GetPrinterDataValue(printer, directory, sizeof directory - sizeof(WCHAR), kSettingsRootClientValue, 0) &&
                  directory[0] && GetFileAttributesW(directory) != INVALID_FILE_ATTRIBUTES;
    } else if (type == kInitNewLocal) {
      elsewhere = ReadHklmValue(u"SOFTWARE\\VANTE\\KovaDrv", kSettingsRootRegistryValue, directory,
                                sizeof directory - sizeof(WCHAR), 0) != FALSE;
    }
    if (elsewhere) RemoveSettingsRoot(printer);
  }

  if (local) {
    StoreHelpFileName(context);
    StorePrinterNameValue(printer, printerInfo);
    StoreDriverNameValue(printer, printerInfo);
  }
  if (connection && !perUser) {
    WCHAR ini[MAX_PATH + 1] = {};
    WCHAR section[261];
    InstallSectionName(printerInfo, section);
    if (section[0] && GetIniPathInSettingsDirFor(ini, 0, 0, printer, printerInfo) != 0 && ini[0])
      WriteIniString(section, u"DrvInstVersion", ProductVersionText(), ini);
  }
  if (local) {
    StoreDriverFileNames(printer, context);
    WriteDword(printer, u"BidiFlag", 0);
    WriteDword(printer, u"BidiExFlag", 0);
    WriteDword(printer, u"BidiFunc", 0);
    WriteDword(printer, u"RCapability", 1);
  }
  if (!perUser && local) StoreLogFileName(1, context);
  if ((type == kInitNewLocal || type == kInitBatchAtUpgrade) && output && context->settings)
    std::memcpy(output, context->settings, kWholeDevmode);
  PrepareSettingsDirs(context);
  ReleaseContext(context, 1);
  return 1;
}
