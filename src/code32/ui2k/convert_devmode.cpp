// DrvConvertDevMode's body: the conversion, and the printer's life that hangs on it (the
// first driver default of a new printer, the upgrade of an installed one).
#include <cstring>
#include <vector>

#include "context/caller_devmode.h"
#include "context/context_create.h"
#include "stored/devmode_convert.h"
#include "context/devmode_defaults.h"
#include "stored/devmode_merge.h"
#include "stored/devmode_upgrade.h"
#include "base/driver_context.h"
#include "model/driver_locks.h"
#include "fields/field_access.h"
#include "base/install_services.h"
#include "base/memory.h"
#include "model/module_dispatch.h"
#include "base/paths_and_names.h"
#include "base/printer_data.h"
#include "fields/product_record.h"
#include "base/settings_dirs.h"
#include "base/spooler_info.h"
#include "base/system_checks.h"
#include "model/units.h"
#include "csr_cleanup.h"
#include "entry_frame.h"
#include "install_files.h"
#include "model/option_lookup.h"
#include "stored/job_control.h"
#include "outside/print_notification.h"
#include "printer_install.h"
#include "outside/config_connector.h"
#include "printer_lifecycle.h"
#include "stored/default_section.h"
#include "stored/device_settings.h"
#include "win/errors.h"
#include "win/files.h"
#include "win/kernel.h"

namespace {

constexpr DWORD kWholeDevmode = 1236;
constexpr WORD kFieldCustomFunc1 = 1463;
constexpr DWORD kAccessRead = 0x20008;
constexpr DWORD kAccessAll = 0xF000C;

HANDLE OpenWith(LPCWSTR name, DWORD access) {
  HANDLE printer = nullptr;
  PRINTER_DEFAULTSW defaults{nullptr, nullptr, access};
  if (!OpenPrinterW(const_cast<LPWSTR>(name), &printer, &defaults)) return nullptr;
  return printer;
}

bool NameHasClientPart(LPCWSTR name) {
  static constexpr WCHAR kClient[] = u"\\Client";
  const DWORD n = sizeof kClient / sizeof(WCHAR) - 1;
  for (const WCHAR* p = name; p && *p; ++p) {
    DWORD i = 0;
    while (i < n && p[i] == kClient[i]) ++i;
    if (i == n) return true;
  }
  return false;
}

// The caller's output of a conversion: the buffer and the size the call gave for it. The
// driver's device-mode is built in a buffer of the road's own and written into the output
// only here: whole on the driver-default road, in the output's own shape on the converting
// road (the conversion checked that shape against the size and converted into it).
struct CallerOutput {
  DEVMODEW* devmode;
  LONG size;
  bool shaped;
  // 1 written or no output; 0 when the output cannot take it (nothing written).
  int Write(const BYTE* own, DriverContext* context) const {
    if (!devmode || !own) return 1;
    const DWORD writable = WritableCallerDevmode(devmode, size > 0 ? static_cast<DWORD>(size) : 0);
    if (CopyDevmodeShaped(reinterpret_cast<const DEVMODEW*>(own), shaped ? devmode : nullptr, devmode, writable,
                          context) == 1)
      return 1;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
};

// The spooler records of the open printer (both freed by the holder).
struct Records {
  PRINTER_INFO_2W* printer = nullptr;
  DRIVER_INFO_3W* driver = nullptr;
  void Fetch(HANDLE handle) {
    Free();
    printer = static_cast<PRINTER_INFO_2W*>(GetPrinterInfo(handle, 2));
    driver = static_cast<DRIVER_INFO_3W*>(GetPrinterDriverInfo(handle, 3));
  }
  void Free() {
    FreeMem(printer);
    FreeMem(driver);
    printer = nullptr;
    driver = nullptr;
  }
  ~Records() { Free(); }
};

// The driver-default road: 1 done, 0 failed.
int DriverDefaultRoad(LPCWSTR name, const CallerOutput& output, HANDLE& printer, Records& records,
                      InstallInProgressScope& installing) {
  printer = OpenWith(name, kAccessRead);
  if (!printer) return 0;
  records.Fetch(printer);
  if (!records.printer) return 0;
  if (!InfoHasServerName(records.printer)) {
    ClosePrinter(printer);
    printer = OpenWith(name, kAccessAll);
    if (!printer) return 0;
    records.Fetch(printer);
    if (!records.printer) return 0;
  }
  installing.Set();
  const bool connection = InfoHasServerName(records.printer);
  if (connection || (IsBatchInstallDone(printer) && HasPrinterDevmode(records.printer))) {
    DriverContext* context =
        CreateContextWithFlags(printer, printer, 0, 0x1B00, 0x80000000u, records.printer, records.driver);
    if (!context) return 0;
    SetDevmodeDefaults(context);
    const int written = output.Write(context->settings, context);
    ReleaseContext(context, 0);
    return written;
  }
  std::vector<BYTE> built(GetTotalDevmodeSize(), 0);
  LockDriverMutex(nullptr);
  const int initialised = InitializePrinterSettings(printer, reinterpret_cast<DEVMODEW*>(built.data()), kInitNewLocal,
                                                    records.printer, records.driver);
  UnlockDriverMutex(nullptr);
  if (!initialised) return 0;
  installing.Clear();
  if (!output.Write(built.data(), nullptr)) return 0;

  std::vector<BYTE> server(kWholeDevmode, 0);
  DriverContext* context =
      CreateContextWithFlags(printer, printer, 0, 0x300, 0x80000000u, records.printer, records.driver);
  if (!context) return 0;
  BYTE serverType = 0;
  const bool delivered = GetServerDevmode(context, server.data(), &serverType) != FALSE;
  int written = 1;
  if (!delivered && context->settings) {
    // Without a server the default is that of a context of the printer as now stored:
    // its device settings (the installed options) are part of it.
    written = output.Write(context->settings, context);
  } else if (delivered && CompareDevmodeVersion(server.data()) == 1 && context->settings) {
    // An older device-mode of the server is brought to this version; one that is not a
    // device-mode of this driver (or is no device-mode at all) is never handed on.
    LONG size = static_cast<LONG>(kWholeDevmode);
    if (ConvertDevmodeCore(name, reinterpret_cast<DEVMODEW*>(server.data()),
                           reinterpret_cast<DEVMODEW*>(context->settings), &size, CDM_CONVERT) == CONVERT_DONE) {
      UpgradeDevmodeIfOlder(server.data(), context);
      MergeDevmode(context, nullptr, 0x4000008);
      written = output.Write(context->settings, context);
    }
  }
  ReleaseContext(context, 0);
  if (!written) return 0;
  // The server type the device-mode fetch was answered (17: a server that fills the printer).
  const int iniKind = NameHasClientPart(name) || serverType == 17 ? 0 : 2;
  return StampInstallTime(printer, 1, iniKind, records.printer, records.driver);
}

// The upgrade road of a conversion: 1 done, 0 failed.
int UpgradeRoad(LPCWSTR name, const DEVMODEW* input, const CallerOutput& output, HANDLE& printer,
                Records& records, InstallInProgressScope& installing) {
  const int version = CompareDevmodeVersion(reinterpret_cast<const BYTE*>(input));
  bool connection = false;
  if (HANDLE probe = OpenWith(name, kAccessRead)) {
    auto* info = static_cast<PRINTER_INFO_2W*>(GetPrinterInfo(probe, 2));
    connection = info && InfoHasServerName(info);
    FreeMem(info);
    if (connection) printer = probe;
    else ClosePrinter(probe);
  }
  if (!printer) printer = OpenWith(name, kAccessAll);
  if (!printer) return 0;
  records.Fetch(printer);

  WCHAR ini[MAX_PATH + 1] = {};
  if (GetIniPathInSettingsDirFor(ini, 0, 0, printer, records.printer) != 0 && ini[0] &&
      GetFileAttributesW(ini) == INVALID_FILE_ATTRIBUTES)
    return 1;  // a printer this driver never set up: the conversion is all

  installing.Set();
  DriverContext* context =
      CreateContextWithFlags(printer, printer, 0, 0x300, 0x80000000u, records.printer, records.driver);
  if (!context) return 0;
  JobControlLogon(context);
  StorePrinterNameValue(printer, records.printer);

  int stampKind = 2;
  int status = 1;
  WCHAR section[261];
  InstallSectionName(records.printer, section);
  std::vector<BYTE> built(GetTotalDevmodeSize(), 0);
  auto* builtDevmode = reinterpret_cast<DEVMODEW*>(built.data());
  // A batch install that does not go through leaves the caller's device-mode to the roads
  // below, as if none had been pending.
  bool batched = false;
  if (IsBatchInstallPending(printer, records.printer, records.driver) || IsDriverIniBatchPending(section, printer)) {
    if (!InitializePrinterSettings(printer, builtDevmode, kInitBatchAtUpgrade, records.printer, records.driver,
                                   &batched))
      status = 0;
  }
  if (batched) {
    if (!output.Write(built.data(), nullptr)) status = 0;
    stampKind = 3;
  } else if (status == 0) {
    // no context for the initialisation: nothing more
  } else if (version == 1) {
    if (!connection) RegisterModelDatabase(context);
    if (output.devmode && context->settings) {
      // The output, already converted, comes into the context's device-mode part by part,
      // each cut to the smaller size: the context keeps its own sizes.
      auto* own = reinterpret_cast<DEVMODEW*>(context->settings);
      CopyDevmodePublicPart(output.devmode, own, GetDevmodeSpecVersion(own));
      CopyDevmodePrivatePart(output.devmode, own);
    }
    InstallPackageFiles(context, 4096);
    QueryModulesYesNo(context);
    SetFieldValueById(context, kFieldCustomFunc1, GetOptionDefaultValue(kFieldCustomFunc1, context));
    SaveDeviceSettings(printer, context, 2, 0x80000004);
    UpgradeDevmodeIfOlder(reinterpret_cast<const BYTE*>(input), context);
    QueryPrintNotification(context, 1);
    MergeDevmode(context, nullptr, 0x4000008);
    InitUserLists(printer, context);
    if (!output.Write(context->settings, context)) status = 0;
    CopyModelIniToPrinterIni(printer, 1, context, records.printer, records.driver);
    PrepareSettingsDirs(context);
    if (GetLockInfo(context) != 0 && IsDefaultLocked(context)) SaveDefaultSettings(context);
  } else if (version == 2) {
    if (!InitializePrinterSettings(printer, builtDevmode, kInitCreated, records.printer, records.driver)) {
      status = 0;
    } else if (output.devmode && context->settings) {
      SetDevmodeDefaults(context);
      QueryPrintNotification(context, 0);
      if (!output.Write(context->settings, context)) status = 0;
    }
    stampKind = 1;
  } else {
    if (!connection) RegisterModelDatabase(context);
    InstallPackageFiles(context, 4096);
    CopyModelIniToPrinterIni(printer, 1, context, records.printer, records.driver);
    SetFieldValueById(context, kFieldCustomFunc1, GetOptionDefaultValue(kFieldCustomFunc1, context));
    SaveDeviceSettings(printer, context, 2, 0x80000004);
    PrepareSettingsDirs(context);
  }
  if (status == 1) {
    installing.Clear();
    if (!StampInstallTime(printer, stampKind, 0, records.printer, records.driver)) status = 0;
  }
  ReleaseContext(context, 0);
  return status;
}

}  // namespace

BOOL DoConvertDevMode(LPCWSTR printerName, const DEVMODEW* input, DEVMODEW* output, LONG* size, DWORD mode) {
  InstallInProgressScope installing;
  installing.Clear();
  const LONG outputSize = size ? *size : 0;
  int status = ConvertDevmodeCore(printerName, input, output, size, mode);
  HANDLE printer = nullptr;
  Records records;
  if (status == CONVERT_CALLER_COMPLETES && mode == CDM_DRIVER_DEFAULT)
    status = DriverDefaultRoad(printerName, CallerOutput{output, outputSize, false}, printer, records, installing);
  else if (status == CONVERT_DONE && mode == CDM_CONVERT && input)
    status = UpgradeRoad(printerName, input, CallerOutput{output, outputSize, true}, printer, records, installing);
  else if (status == CONVERT_CALLER_COMPLETES)
    status = 0, SetLastError(ERROR_INVALID_PARAMETER);  // an unknown mode: nothing to fill in

  if (printer && IsNt6OrLater()) {
    if (LacksSpoolerPrinterName(printer)) {
      LockDriverMutex(nullptr);
      RemoveCsrLeftovers(printer, records.printer, 0, kCsrCleanupConvert);
      UnlockDriverMutex(nullptr);
    } else if (IsCsrPrinter(printer, records.printer)) {
      RemoveCsrLeftovers(printer, records.printer, 0, kCsrCleanupPrinterValues);
    }
  }
  records.Free();
  if (printer) ClosePrinter(printer);
  return status == 1 ? TRUE : FALSE;
}
