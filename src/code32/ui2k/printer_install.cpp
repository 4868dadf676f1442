#include "printer_install.h"

#include <cstdio>
#include <initializer_list>
#include <cstring>

#include "context/context_create.h"
#include "stored/devmode_convert.h"
#include "base/driver_context.h"
#include "model/driver_locks.h"
#include "fields/field_access.h"
#include "base/ini_files.h"
#include "base/memory.h"
#include "base/paths_and_names.h"
#include "base/printer_data.h"
#include "fields/product_record.h"
#include "base/settings_dirs.h"
#include "base/spooler_info.h"
#include "base/system_checks.h"
#include "model/option_lookup.h"
#include "stored/device_settings.h"
#include "fields/devmode_header.h"
#include "fields/field_table.h"
#include "base/ini_files.h"
#include "base/install_services.h"
#include "model/module_dispatch.h"
#include "model/units.h"
#include "expand_files.h"
#include "field_ids.h"
#include "first_run_defaults.h"
#include "install_files.h"
#include "install_ini.h"
#include "context/module_events.h"
#include "stored/job_control.h"
#include "outside/print_notification.h"
#include "context/user_codes.h"
#include "config_server_ini.h"
#include "first_run_defaults.h"
#include "outside/bidi_cache.h"
#include "outside/bidi_query.h"
#include "outside/config_connector.h"
#include "printer_rename.h"
#include "stored/font_lists.h"
#include "stored/lock_data.h"
#include "stored/bidi_cache_calls.h"
#include "base/build_switches.h"
#include "user_list_repair.h"
#include "win/files.h"
#include "win/kernel.h"

namespace {

constexpr WORD kFieldCustomFunc1 = 1463;
// Module events of the install: 48 when a printer's settings are set up (no block), 49 for
// a connection with the block {type, 0}; a module that sets the second word asks for the
// model database entry.
constexpr DWORD kModuleEventInstallDone = 48;
constexpr DWORD kModuleEventConnectionInstall = 49;

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
  return ReadBatchInstallDoneValue(printer, &value) && value != 0 ? TRUE : FALSE;
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

namespace {

// The lock bytes of a printer connection into their fields, then the lock data.
void LoadConnectionLocks(HANDLE printer, DriverContext* context) {
  for (WORD first : {fid::kdmLock000InfoBitDefault, fid::kdmLock001InfoBitColor}) {
    BYTE bits = 0;
    if (!ReadLockInfoBits(printer, &bits, first)) continue;
    for (WORD bit = 0; bit < 8; ++bit) WriteFieldRawById(context, static_cast<WORD>(first + bit), (bits >> bit) & 1u);
  }
  if (SettingField* both = FindFieldById(context, fid::kdmLockDstResolutionBoth))
    ReadFieldByNameFromPrinterData(printer, context, both);
  LoadLockData(printer, context);
  NotifyModules(context, MODEV_LOCK_QUALITIES, nullptr);
  NotifyModules(context, MODEV_LOCK_PRESETS, nullptr);
}

// The package files, the batch or system install INI settings, user codes and the install
// keys. batch is cleared when the batch settings failed. True when the batch settings went
// through.
bool InstallPackageAndBatch(DriverContext* context, int type, bool connection, bool perUser, bool local, bool* batch,
                            const WCHAR* section, const WCHAR* ini) {
  if (!InstallPackageFiles(context, 0)) return false;
  JobControlStart(context);
  JobControlWriteMask(context, 0x0700);
  if (connection && !perUser) {
    JobControlOpen(context);
    JobControlResetItems(context, 0x009E);
    JobControlClose(context);
  }
  const bool open = HasBatchKeysInSystemIni(context) != FALSE;
  if (open) JobControlOpen(context);
  const int system = ApplySystemIniDefaults(context);
  const int applied = system ? ApplyBatchSettings(0, context, perUser ? 1 : 0) : 0;
  if (!system || !applied) {
    ApplyDefaultSettingsPackage(0, type, context);
    *batch = false;
  }
  InitUserCodeIni(context);
  CopyPrinterIniKeys(context, 0, nullptr);
  if (*batch && section[0] && ini[0]) WriteIniString(section, u"PackInstallDone", u"1", ini);
  if (connection && !perUser && section[0] && ini[0]) WriteIniString(section, u"DrvInstVersion", ProductVersionText(), ini);
  if (local) {
    if (!IsPrinterConnection(context)) WriteModelDatabaseEntry(context);
  } else {
    DWORD block[2] = {static_cast<DWORD>(type), 0};
    NotifyModules(context, kModuleEventConnectionInstall, block);
    if (block[1] == 1) WriteModelDatabaseEntry(context);
  }
  if (open) JobControlClose(context);
  return system && applied;
}

// The settings of a local printer into printer data.
void StoreLocalPrinterData(HANDLE printer, DriverContext* context) {
  QueryPrintNotification(context, 0);
  UserCodeSync(context);
  JobControlClearItems(context, 0x389F);
  if (GetConfigConnectorState(context) != 1) SaveDeviceSettings(printer, context, 2, 0);
  SaveFontTables(printer, context, 0);
  if (GetLockInfo(context) != 0 && GetFieldValueById(context, fid::kdmLock000InfoBitDefault) != 0 &&
      context->work->lockDefaults && context->settings) {
    std::memcpy(context->work->lockDefaults, context->settings, GetSettingsBufferSize());
    WriteLockDefaultData(printer, context);
  }
  StoreDriverFileNames(printer, context);
  WriteDword(printer, u"BidiFlag", 0);
  WriteDword(printer, u"BidiExFlag", 0);
  WriteDword(printer, u"BidiFunc", 0);
  WriteDword(printer, u"RCapability", 1);
}

}  // namespace

int InitializePrinterSettings(HANDLE printer, DEVMODEW* output, int type, const PRINTER_INFO_2W* printerInfo,
                              const DRIVER_INFO_3W* driverInfo, bool* batchApplied) {
  if (batchApplied) *batchApplied = false;
  const bool connection = IsConnectionType(type);
  const bool perUser = type == kInitUserConnection;
  const bool checkedConnection = type == kInitCheckConnection;
  const bool local = !connection;
  WORD flags = static_cast<WORD>((type == kInitCreated ? 3 : 1) | 0x300);
  if (type == kInitBatchAtUpgrade) flags |= 0x400;
  DriverContext* context = CreateContextWithFlags(printer, printer, 0, flags, 0x80000000u, printerInfo, driverInfo);
  if (!context) return 0;
  const bool batchAtUpgrade = type == kInitBatchAtUpgrade;
  if (batchAtUpgrade) type = kInitNewLocal;

  WCHAR section[261];
  InstallSectionName(printerInfo ? printerInfo : context->work->printerInfo, section);
  WCHAR ini[MAX_PATH + 1] = {};
  if (section[0]) GetIniPathInSettingsDirFor(ini, 0, 0, printer, printerInfo);
  if (section[0]) {
    ApplyDirectoryKeys(printer, section, GetSecondIniPath(context), printerInfo, 1);
    ApplyDirectoryKeys(printer, section, GetSystemKovaIniPath(context), printerInfo, 0);
  }
  if (IsNt5OrLater()) CreateSettingsRoot(printer);
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
  bool batch = IsBatchInstallPending(printer, printerInfo, driverInfo) != FALSE;
  RunExpandFiles(context);
  SetStateByte(context, fid::KPD_kdmOSKind, IsNt5OrLater() ? 2 : 1);
  if (local) StoreHelpFileName(context);
  if (section[0]) LoadInstallDefaults(section, context);
  CopyModelIniToPrinterIni(printer, kModelIniFull, context, printerInfo, driverInfo);
  if (local) {
    StorePrinterNameValue(printer, printerInfo);
    StoreDriverNameValue(printer, printerInfo);
    ReloadDefaultFontTables(printer, context);
  }
  ClearBidiCacheIni(context);
  const bool applied = InstallPackageAndBatch(context, type, connection, perUser, local, &batch, section, ini);
  if (batchApplied) *batchApplied = applied;
  RepairUserLists(context);
  NotifyModules(context, kModuleEventInstallDone, nullptr);
  if (local) StoreLocalPrinterData(printer, context);
  if (!perUser && local) StoreLogFileName(1, context);
  if (type == kInitNewLocal && output && context->settings && (applied || !batchAtUpgrade)) {
    // The output is a buffer of the calling road's own, of the driver's whole size; the road
    // hands it on to its caller in the shape and size the caller allows.
    CopyDevmodeShaped(reinterpret_cast<const DEVMODEW*>(context->settings), nullptr, output, GetTotalDevmodeSize(),
                      context);
  }
  PrepareSettingsDirs(context);
  if (!perUser) {
    if (type == kInitCreated)
      RunServerConnectorIfEnabled(7, 0, context);
    else if (connection && !checkedConnection && GetConfigConnectorState(context) == 1)
      CheckConfigServer(context);
  }
  if (connection && !perUser && InfoHasServerName(context->work->printerInfo)) LoadConnectionLocks(printer, context);
  ReleaseContext(context, 1);
  return 1;
}
