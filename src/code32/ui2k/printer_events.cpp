// DrvPrinterEvent's and DrvUpgradePrinter's bodies: a printer or connection created,
// deleted or refreshed, and the driver files upgraded.
#include <cstring>

#include "context/context_create.h"
#include "base/driver_context.h"
#include "model/driver_locks.h"
#include "fields/field_access.h"
#include "base/file_sync.h"
#include "base/ini_files.h"
#include "base/install_services.h"
#include "base/memory.h"
#include "base/paths_and_names.h"
#include "base/printer_data.h"
#include "fields/product_record.h"
#include "base/spooler_info.h"
#include "base/system_checks.h"
#include "csr_cleanup.h"
#include "entry_frame.h"
#include "install_check.h"
#include "install_files.h"
#include "stored/job_control.h"
#include "printer_install.h"
#include "printer_lifecycle.h"
#include "user_copies.h"
#include "win/errors.h"
#include "win/kernel.h"
#include "win/printer_interface.h"

namespace {

constexpr DWORD kAccessAll = 0xF000C;
constexpr DWORD kAccessRead = 0x20008;
constexpr DWORD kRemovalAccess[] = {0xF000C, 0xF0003, 8};
constexpr DWORD kConnectionItems[] = {2, 3, 4, 5, 8, 9, 10};
constexpr DWORD kPrinterItems[] = {256, 257, 258};
constexpr WORD kFieldUserCode = 203;

// The driver package's companion files: kind 2 are copied into the system folder on a
// cache refresh, kind 1 stay in the driver folder.
struct PackageFile {
  DWORD kind;
  const WCHAR* name;
};
constexpr PackageFile kPackageFiles[] = {
    {2, u"Kovaport.dll"}, {2, u"Kovamon.dll"},  {2, u"Kovajob.dll"},  {2, u"Kovaauth.dll"}, {2, u"Kovabidi.dll"},
    {2, u"Kovastat.dll"}, {2, u"Kovalang.dll"}, {2, u"Kovacode.dll"}, {2, u"Kovanet.dll"},  {2, u"Kovamsg.dll"},
    {2, u"Kovalog.dll"},  {2, u"Kovacfg.dll"},  {2, u"Kovaprev.dll"}, {2, u"Kovafont.dll"}, {2, u"Kovautil.dll"},
    {1, u"Kovasetup.exe"}, {1, u"Kovaedit.exe"}, {1, u"Kovaview.exe"}, {1, u"Kovatool.exe"}, {1, u"Kovastat.exe"},
    {1, u"Kovainst.exe"}, {1, u"Kovaupd.exe"},  {1, u"Kovaconf.exe"}, {1, u"Kovaprof.exe"}, {1, u"Kovaqual.exe"},
    {1, u"Kovapres.exe"}, {1, u"Kovauser.exe"}, {1, u"Kovafold.exe"}, {1, u"Kovadiag.exe"}, {1, u"Kovahelp.exe"},
};

HANDLE OpenTrying(LPCWSTR name, const DWORD* access, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, access[i]};
    if (OpenPrinterW(const_cast<LPWSTR>(name), &printer, &defaults)) return printer;
  }
  return nullptr;
}

struct Records {
  PRINTER_INFO_2W* printer = nullptr;
  DRIVER_INFO_3W* driver = nullptr;
  explicit Records(HANDLE handle)
      : printer(static_cast<PRINTER_INFO_2W*>(GetPrinterInfo(handle, 2))),
        driver(static_cast<DRIVER_INFO_3W*>(GetPrinterDriverInfo(handle, 3))) {}
  ~Records() {
    FreeMem(printer);
    FreeMem(driver);
  }
  Records(const Records&) = delete;
  Records& operator=(const Records&) = delete;
};

void CsrCleanup(HANDLE printer, const PRINTER_INFO_2W* info, int type) {
  if (!IsNt6OrLater()) return;
  LockDriverMutex(nullptr);
  RemoveCsrLeftovers(printer, info, 0, type);
  UnlockDriverMutex(nullptr);
}

void NotifyItems(DriverContext* context, const DWORD* items, std::size_t count) {
  JobControlOpen(context);
  for (std::size_t i = 0; i < count; ++i) NotifyJobControl(context, items[i]);
  JobControlClose(context);
}

bool SyncInto(const WCHAR* name, const WCHAR* driverDir, const WCHAR* systemDir, BOOL& last) {
  if (!name || !name[0]) return false;
  last = SyncFileBetweenDirs(name, driverDir, systemDir, 2);
  return true;
}

}  // namespace

BOOL OnAddConnection(LPCWSTR name) {
  const DWORD access[] = {kAccessAll, kAccessRead};
  HANDLE printer = OpenTrying(name, access, 2);
  if (!printer) return FALSE;
  BOOL result = TRUE;
  {
    Records records(printer);
    {
      InstallInProgressScope installing;
      LockDriverMutex(nullptr);
      if (!InitializePrinterSettings(printer, nullptr, kInitConnection, records.printer, records.driver)) result = FALSE;
      UnlockDriverMutex(nullptr);
    }
    if (!StampInstallTime(printer, 1, 0, records.printer, records.driver)) result = FALSE;
    if (result) {
      result = CopyUserSettingFiles(printer) ? TRUE : FALSE;
      if (result) result = RefreshUserInstall(printer, 1, records.printer, records.driver) ? TRUE : FALSE;
      if (result && CopyBatchDefaultsToUser(printer, records.printer, records.driver) == 1) result = FALSE;
    }
    CsrCleanup(printer, records.printer, kCsrCleanupAddConnection);
  }
  ClosePrinter(printer);
  return result;
}

BOOL OnDeleteConnection(LPCWSTR name) {
  HANDLE printer = OpenTrying(name, kRemovalAccess, 3);
  if (!printer) return FALSE;
  if (DriverContext* context = CreateContextForPrinter(printer, printer, 0, 0x80000000u)) {
    JobControlOpen(context);
    SettingField* userCode = nullptr;
    ReadFieldRawById(context, kFieldUserCode, &userCode);
    if (userCode) SetFieldString(context, userCode, u"");
    for (DWORD item : kConnectionItems) NotifyJobControl(context, item);
    JobControlClose(context);
    const WCHAR* ini = GetUserIniPath(context);
    const WCHAR* section = GetPrinterSectionName(context);
    if (ini && ini[0] && section && section[0]) {
      WriteIniString(section, u"BatchInstallDone", u"0", ini);
      WriteIniString(section, u"DrvInstVersion", u"", ini);
    }
    ReleaseContext(context, 0);
  }
  ClosePrinter(printer);
  return TRUE;
}

BOOL OnInitializePrinter(LPCWSTR name) {
  const DWORD access[] = {kAccessAll};
  HANDLE printer = OpenTrying(name, access, 1);
  if (!printer) return FALSE;
  BOOL result = TRUE;
  {
    Records records(printer);
    HANDLE token = RevertToSpooler();
    InstallInProgressScope installing;
    if (!IsBatchInstallDone(printer)) {
      if (!IsNt5OrLater()) {
        if (!InitializePrinterSettings(printer, nullptr, kInitCreated, records.printer, records.driver)) result = FALSE;
        installing.Clear();
        if (!StampInstallTime(printer, 1, 0, records.printer, records.driver)) result = FALSE;
      } else if (!HasBatchSettingsForPrinter(printer, records.printer, records.driver)) {
        LockDriverMutex(nullptr);
        if (!InitializePrinterSettings(printer, nullptr, kInitCreated, records.printer, records.driver)) result = FALSE;
        UnlockDriverMutex(nullptr);
        installing.Clear();
        if (!StampInstallTime(printer, 1, 0, records.printer, records.driver)) result = FALSE;
      }
    }
    CsrCleanup(printer, records.printer, kCsrCleanupInitialize);
    ReimpersonateClient(token);
  }
  ClosePrinter(printer);
  return result;
}

BOOL OnDeletePrinter(LPCWSTR name) {
  HANDLE printer = OpenTrying(name, kRemovalAccess, 3);
  if (!printer) return FALSE;
  HANDLE token = RevertToSpooler();
  if (DriverContext* context = CreateContextForPrinter(printer, printer, 0, 0x80000000u)) {
    NotifyItems(context, kPrinterItems, sizeof kPrinterItems / sizeof kPrinterItems[0]);
    ReleaseContext(context, 0);
  }
  ReimpersonateClient(token);
  ClosePrinter(printer);
  return TRUE;
}

BOOL OnCacheRefresh(LPCWSTR name) {
  HANDLE printer = OpenTrying(name, kRemovalAccess, 3);
  if (!printer) return FALSE;
  RefreshDriverFilesInSystemDir(printer);
  ClosePrinter(printer);
  return TRUE;
}

BOOL RefreshDriverFilesInSystemDir(HANDLE printer) {
  auto* driver = static_cast<DRIVER_INFO_3W*>(GetPrinterDriverInfo(printer, 3));
  if (!driver || !driver->pDriverPath) {
    FreeMem(driver);
    return FALSE;
  }
  WCHAR driverDir[MAX_PATH + 1] = {};
  DWORD n = 0;
  for (; driver->pDriverPath[n] && n < MAX_PATH; ++n) driverDir[n] = driver->pDriverPath[n];
  driverDir[n] = 0;
  while (n > 0 && driverDir[n - 1] != u'\\') driverDir[--n] = 0;
  FreeMem(driver);
  WCHAR systemDir[MAX_PATH + 2] = {};
  const UINT length = GetSystemDirectoryW(systemDir, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return FALSE;
  systemDir[length] = u'\\';
  systemDir[length + 1] = 0;

  HANDLE token = RevertToSpooler();
  BOOL last = TRUE;
  for (const auto& file : kPackageFiles)
    if (file.kind == 2) SyncInto(file.name, driverDir, systemDir, last);
  if (const ProductRecord* product = GetProductRecord()) {
    SyncInto(GetProductString(product->companionDllName), driverDir, systemDir, last);
    SyncInto(GetProductString(product->settingsApiDllName), driverDir, systemDir, last);
  }
  ReimpersonateClient(token);
  return last;
}

BOOL DoPrinterEvent(LPCWSTR printerName, int event, DWORD, LPARAM) {
  switch (event) {
    case PRINTER_EVENT_ADD_CONNECTION: {
      HANDLE token = RevertToSpooler();
      const BOOL result = OnAddConnection(printerName);
      ReimpersonateClient(token);
      return result;
    }
    case PRINTER_EVENT_DELETE_CONNECTION: {
      HANDLE token = RevertToSpooler();
      OnDeleteConnection(printerName);
      ReimpersonateClient(token);
      return TRUE;
    }
    case PRINTER_EVENT_INITIALIZE:
      return OnInitializePrinter(printerName);
    case PRINTER_EVENT_DELETE:
      OnDeletePrinter(printerName);
      return TRUE;
    case PRINTER_EVENT_CACHE_REFRESH:
      return OnCacheRefresh(printerName);
    default:
      return TRUE;
  }
}

BOOL DoUpgradePrinter(DWORD level, LPBYTE data) {
  const auto* upgrade = reinterpret_cast<const DRIVER_UPGRADE_INFO_1W*>(data);
  if (level != 1 || !upgrade || !upgrade->pPrinterName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  HANDLE printer = nullptr;
  PRINTER_DEFAULTSW defaults{nullptr, nullptr, kAccessAll};
  if (!OpenPrinterW(upgrade->pPrinterName, &printer, &defaults)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  BOOL result = FALSE;
  {
    Records records(printer);
    if (CheckPendingInstallWork(printer, 1, records.printer, records.driver) == 1) {
      if (DriverContext* context =
              CreateContextWithInfos(printer, printer, 0, 0x80000000u, records.printer, records.driver)) {
        result = StoreDriverFileNames(printer, context) ? TRUE : FALSE;
        ReleaseContext(context, 0);
      }
    }
    CsrCleanup(printer, records.printer, kCsrCleanupUpgrade);
  }
  ClosePrinter(printer);
  return result;
}
