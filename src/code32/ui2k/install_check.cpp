#include "install_check.h"

#include "context/context_create.h"
#include "stored/devmode_upgrade.h"
#include "model/driver_locks.h"
#include "base/ini_files.h"
#include "base/install_services.h"
#include "base/memory.h"
#include "base/paths_and_names.h"
#include "base/settings_dirs.h"
#include "base/spooler_info.h"
#include "base/system_checks.h"
#include "model/units.h"
#include "csr_cleanup.h"
#include "install_files.h"
#include "stored/job_control.h"
#include "printer_install.h"
#include "stored/default_section.h"
#include "user_copies.h"
#include "user_ini_corrections.h"
#include "win/files.h"
#include "win/kernel.h"

namespace {

constexpr int kSettingsVersion = 322;
constexpr WORD kNoAdminTest = 0x200;

struct IniPlace {
  WCHAR ini[MAX_PATH + 1] = {};
  WCHAR section[261] = {};
  bool ok = false;
  IniPlace(HANDLE printer, const PRINTER_INFO_2W* info, DWORD kind) {
    InstallSectionName(info, section);
    ok = section[0] && GetIniPathInSettingsDirFor(ini, 0, kind, printer, info) != 0 && ini[0];
  }
};

bool SameTextNoCase(const WCHAR* a, const WCHAR* b) {
  for (;; ++a, ++b) {
    WCHAR x = *a, y = *b;
    if (x >= u'A' && x <= u'Z') x = static_cast<WCHAR>(x + 32);
    if (y >= u'A' && y <= u'Z') y = static_cast<WCHAR>(y + 32);
    if (x != y) return false;
    if (!x) return true;
  }
}

// The first 14 characters of two time stamps, compared as text.
int CompareStamps(const WCHAR* a, const WCHAR* b) {
  for (int i = 0; i < 14; ++i) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    if (!a[i]) return 0;
  }
  return 0;
}

void WriteVersionKeys(const WCHAR* section, const WCHAR* ini, bool settingsVersion) {
  if (settingsVersion) WriteIniString(section, u"KstVersion", u"322", ini);
  WriteIniString(section, u"DrvInstVersion", ProductVersionText(), ini);
}

// The per-user copies of a state: 1 the user has none, 2 or 3 the common install is newer.
int RunUserCopies(HANDLE printer, int state, const PRINTER_INFO_2W* pi, const DRIVER_INFO_3W* di) {
  if (state == 1) {
    if (!CopyUserSettingFiles(printer)) return 0;
    if (!RefreshUserInstall(printer, 1, pi, di)) return 0;
  } else if (state == 2 || state == 3) {
    if (!RefreshUserInstall(printer, state, pi, di)) return 0;
  } else {
    return 1;
  }
  return CopyBatchDefaultsToUser(printer, pi, di) == 1 ? 0 : 1;
}

// Strips the CSR sections of the model INI of a kind when they were never stripped. 0 when
// the strip failed.
int CorrectCsrSections(HANDLE printer, const PRINTER_INFO_2W* pi, int kind) {
  LockDriverMutex(nullptr);
  int ok = 1;
  if (NeedsCsrIniCorrection(printer, pi, kind) == 2 && StripCsrSectionsFromIniFiles(printer, pi, kind, 1) != 0) ok = 0;
  UnlockDriverMutex(nullptr);
  return ok;
}

int CheckConnection(HANDLE printer, const PRINTER_INFO_2W* pi, const DRIVER_INFO_3W* di) {
  IniPlace common(printer, pi, 0);
  if (!common.ok) return 1;
  if (ReadIniInt(common.section, u"BatchInstallDone", 0, common.ini) != 0) {
    WCHAR version[64] = {};
    ReadIniString(common.section, u"DrvInstVersion", u"", version, 64, common.ini);
    if (!SameTextNoCase(version, ProductVersionText())) {
      // Runs outside the driver mutex, by whichever user opened the connection: the
      // context takes the mutex itself and skips the administrator test.
      if (DriverContext* context = CreateContextWithFlags(printer, printer, 0, kNoAdminTest, 0x80000000u, pi, di)) {
        InstallPackageFiles(context, 4096);
        InitUserLists(printer, context);
        PrepareSettingsDirs(context);
        ReleaseContext(context, 0);
      }
      WriteVersionKeys(common.section, common.ini, false);
    }
    return 1;
  }
  if (IsTerminalServerCachedFor(printer, di)) {
    WriteIniString(common.section, u"BatchInstallDone", u"1", common.ini);
    WriteVersionKeys(common.section, common.ini, false);
    return 1;
  }
  int initialised = 0;
  {
    InstallInProgressScope installing;
    initialised = InitializePrinterSettings(printer, nullptr, kInitCheckConnection, pi, di);
  }
  if (!initialised) return 0;
  if (!StampInstallTime(printer, 1, 0, pi, di)) return 0;
  WriteVersionKeys(common.section, common.ini, false);
  return RunUserCopies(printer, 1, pi, di);
}

}  // namespace

int GetInstallTimeState(HANDLE printer, int* state, const PRINTER_INFO_2W* printerInfo) {
  if (!state) return 0;
  PRINTER_INFO_2W* owned = nullptr;
  if (!printerInfo) printerInfo = owned = static_cast<PRINTER_INFO_2W*>(GetPrinterInfo(printer, 2));
  IniPlace user(printer, printerInfo, 1);
  IniPlace common(printer, printerInfo, 0);
  FreeMem(owned);
  if (!common.ok) return 0;
  if (!user.ok || GetFileAttributesW(user.ini) == INVALID_FILE_ATTRIBUTES) {
    *state = 1;
    return 1;
  }
  LockDriverMutex(nullptr);
  WCHAR userTime[64] = {}, first[64] = {}, commonTime[64] = {};
  ReadIniString(user.section, u"DrvInstTime", u"", userTime, 64, user.ini);
  if (common.ok) {
    ReadIniString(common.section, u"DrvFirstInstTime", u"", first, 64, common.ini);
    ReadIniString(common.section, u"DrvInstTime", u"", commonTime, 64, common.ini);
  }
  UnlockDriverMutex(nullptr);
  if (!userTime[0] || CompareStamps(userTime, first) < 0) {
    *state = 1;
  } else if (commonTime[0] && CompareStamps(commonTime, userTime) > 0) {
    DWORD adminChange = 0;
    *state = GetAdminChange(printer, &adminChange) && adminChange ? 3 : 2;
  } else {
    *state = 0;
  }
  return 1;
}

int RefreshConnectionInstall(HANDLE printer, const WCHAR* iniPath, const WCHAR* sectionName,
                             const PRINTER_INFO_2W* printerInfo, const DRIVER_INFO_3W* driverInfo) {
  IniPlace place(printer, printerInfo, 0);
  const WCHAR* ini = iniPath ? iniPath : place.ini;
  const WCHAR* section = sectionName ? sectionName : place.section;
  if (!ini[0] || !section[0]) return 0;
  const int stored = ReadIniInt(section, u"KstVersion", 0xFFFF, ini);
  const int compare = stored == 0xFFFF ? 2 : CompareVersions(static_cast<DWORD>(stored), kSettingsVersion);
  if (compare == 0) {
    WCHAR version[64] = {};
    ReadIniString(section, u"DrvInstVersion", u"", version, 64, ini);
    if (SameTextNoCase(version, ProductVersionText())) return 1;
  }
  if (compare == 2 && !InitializePrinterSettings(printer, nullptr, kInitConnection, printerInfo, driverInfo)) return 0;
  DriverContext* context = CreateContextWithFlags(printer, printer, 0, 0x300, 0x80000000u, printerInfo, driverInfo);
  if (!context) return 0;
  JobControlLogon(context);
  if (compare != 2) {
    InstallPackageFiles(context, 4096);
    if (compare == 1) InitUserLists(printer, context);
    CopyModelIniToPrinterIni(printer, 1, context, printerInfo, driverInfo);
    if (compare == 1 && IsDefaultLocked(context)) SaveDefaultSettings(context);
  }
  WriteVersionKeys(section, ini, true);
  PrepareSettingsDirs(context);
  ReleaseContext(context, 0);
  return 1;
}

int CheckClientDirectory(HANDLE printer, const PRINTER_INFO_2W* printerInfo, const DRIVER_INFO_3W* driverInfo) {
  if (!IsNt5OrLater() || !InfoHasServerName(printerInfo)) return 1;
  WCHAR directory[MAX_PATH + 1] = {};
  const int found = ResolvePrinterDataPath(printer, kSettingsRootClientValue, directory, MAX_PATH, printerInfo);
  if (found == -1) return 0;
  if (found == 0) return 1;
  return RefreshConnectionInstall(printer, nullptr, nullptr, printerInfo, driverInfo);
}

int CheckPendingInstallWork(HANDLE printer, DWORD checkFlags, const PRINTER_INFO_2W* printerInfo,
                            const DRIVER_INFO_3W* driverInfo) {
  PRINTER_INFO_2W* ownPrinter = nullptr;
  DRIVER_INFO_3W* ownDriver = nullptr;
  if (!printerInfo) printerInfo = ownPrinter = static_cast<PRINTER_INFO_2W*>(GetPrinterInfo(printer, 2));
  if (!driverInfo) driverInfo = ownDriver = static_cast<DRIVER_INFO_3W*>(GetPrinterDriverInfo(printer, 3));
  int result = 1;
  if (IsNt6OrLater() && !CorrectCsrSections(printer, printerInfo, 0)) result = 0;
  if (result && (checkFlags & 1) && InfoHasServerName(printerInfo))
    result = CheckConnection(printer, printerInfo, driverInfo);
  if (result) {
    if (!IsTerminalServerCachedFor(printer, driverInfo)) {
      result = CheckClientDirectory(printer, printerInfo, driverInfo);
    } else {
      WCHAR profile[MAX_PATH + 1] = {};
      if (GetUserProfileDirNoFallback(profile, MAX_PATH, printer, printerInfo) != 0 && profile[0]) {
        if (IsNt6OrLater() && !CorrectCsrSections(printer, printerInfo, 1)) result = 0;
        if (result && IsNt6OrLater()) {
          LockDriverMutex(nullptr);
          result = CorrectLocalLowIni(printer, printerInfo);
          UnlockDriverMutex(nullptr);
        }
        bool forceFull = false;
        if (result) {
          LockDriverMutex(nullptr);
          int correction = NeedsTsIniCorrection(printer, printerInfo);
          if (correction == 2) correction = CorrectTsIni(printer, printerInfo);
          UnlockDriverMutex(nullptr);
          if (correction == 1) result = 0;
          forceFull = correction == 3;
        }
        int state = 0;
        if (result && !GetInstallTimeState(printer, &state, printerInfo)) result = 0;
        if (result && forceFull) state = 1;
        if (result) result = RunUserCopies(printer, state, printerInfo, driverInfo);
      }
    }
  }
  FreeMem(ownPrinter);
  FreeMem(ownDriver);
  return result;
}
