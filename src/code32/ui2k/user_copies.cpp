#include "user_copies.h"

#include <initializer_list>

#include "context/context_create.h"
#include "stored/devmode_upgrade.h"
#include "base/driver_context.h"
#include "model/driver_locks.h"
#include "base/file_ops.h"
#include "base/file_times.h"
#include "base/file_sync.h"
#include "base/file_names.h"
#include "base/ini_files.h"
#include "base/ini_section_copy.h"
#include "base/paths_and_names.h"
#include "base/settings_dirs.h"
#include "base/system_checks.h"
#include "model/units.h"
#include "install_files.h"
#include "model_ini_copy.h"
#include "stored/job_control.h"
#include "outside/print_notification.h"
#include "printer_install.h"
#include "stored/default_section.h"
#include "stored/device_settings.h"
#include "stored/settings_load_save.h"
#include "stored/settings_file.h"
#include "user_copy_paths.h"
#include "win/files.h"

namespace {

constexpr DWORD kSectionLimit = 61440;
constexpr int kMostEntries = 0x7FFF;

struct MutexHold {
  MutexHold() { LockDriverMutex(nullptr); }
  ~MutexHold() { UnlockDriverMutex(nullptr); }
  MutexHold(const MutexHold&) = delete;
  MutexHold& operator=(const MutexHold&) = delete;
};

// Calls visit(index, file key, file) for each entry of one list of the common INI that
// names a file; false when a visit answered false.
template <typename Visit>
bool ForEachListedFile(const UserCopyPlaces& places, const WCHAR* countKey, const char* prefix, Visit visit) {
  const int count = ReadIniInt(places.section, countKey, 0, places.commonIni);
  bool ok = true;
  for (int i = 0; i < count && i < kMostEntries; ++i) {
    WCHAR key[64];
    ListKey(key, prefix, i, nullptr);
    WCHAR file[MAX_PATH + 1] = {};
    ReadIniString(places.section, key, u"", file, MAX_PATH, places.commonIni);
    if (file[0]) ok = visit(i, key, file) && ok;
  }
  return ok;
}

// Copies the listed files of one list (the file key's path with its extension replaced)
// into the user's data directory. False when a name is refused or a copy failed.
bool CopyListedFiles(const UserCopyPlaces& places, const WCHAR* countKey, const char* prefix, const WCHAR* extension) {
  return ForEachListedFile(places, countKey, prefix, [&](int, const WCHAR*, const WCHAR* file) {
    WCHAR source[MAX_PATH + 1] = {};
    WCHAR target[MAX_PATH + 1] = {};
    if (!ChangeExtension(source, file, extension) || !PlaceInDirectory(target, places.userDir, source)) return false;
    return !PathExists(source) || CopyFileIfDifferent(target, source, 2);
  });
}

void CopyKey(const WCHAR* section, const WCHAR* key, const WCHAR* from, const WCHAR* to) {
  WCHAR value[1025] = {};
  ReadIniString(section, key, u"", value, 1025, from);
  WriteIniString(section, key, value, to);
}

// One settings file of a list moved into the user's data directory: the entry rewritten
// to the new path, the file's sections copied. False when its name is refused or a
// section could not be copied whole.
bool MoveListedFile(const UserCopyPlaces& places, const WCHAR* oldPath, const WCHAR* key, bool withConditions) {
  WCHAR target[MAX_PATH + 1] = {};
  if (!PlaceInDirectory(target, places.userDir, oldPath)) return false;
  WriteIniString(places.section, key, target, places.userIni);
  bool ok = CopyIniSection(oldPath, places.section, target, places.section, kSectionLimit) >= 0;
  if (withConditions) {
    ok = CopyIniSection(oldPath, u"condition", target, u"condition", kSectionLimit) >= 0 && ok;
    ok = CopyIniSection(oldPath, u"disable", target, u"disable", kSectionLimit) >= 0 && ok;
  }
  return ok;
}

// One list of the printer (its count key, "<prefix><n>" file keys and the texts stored
// under "<prefix><n><text>") moved into the user's copies. False when a file could not be
// moved whole.
bool MoveBatchList(const UserCopyPlaces& places, const WCHAR* countKey, const char* prefix, bool withConditions,
                   std::initializer_list<const WCHAR*> texts) {
  CopyKey(places.section, countKey, places.commonIni, places.userIni);
  return ForEachListedFile(places, countKey, prefix, [&](int i, const WCHAR* key, const WCHAR* file) {
    const bool moved = MoveListedFile(places, file, key, withConditions);
    for (const WCHAR* text : texts) {
      WCHAR textKey[64];
      ListKey(textKey, prefix, i, text);
      CopyKey(places.section, textKey, places.commonIni, places.userIni);
    }
    return moved;
  });
}

bool CopyBatchLists(const UserCopyPlaces& places) {
  const bool presets = MoveBatchList(places, u"Count", "PresetList", true, {u"Name", u"Comment"});
  const bool qualities = MoveBatchList(places, u"QualityCount", "QualityList", false, {u"Name"});
  return presets && qualities;
}

}  // namespace

int WriteUserDefaultPaths(HANDLE printer) {
  UserCopyPlaces places(printer, nullptr);
  if (!places.ok) return 0;
  WCHAR merge[MAX_PATH + 1] = {}, preview[MAX_PATH + 1] = {};
  if (!JoinPath(merge, MAX_PATH, places.userDir, u"KMP") || !JoinPath(preview, MAX_PATH, places.userDir, u"PREVIEW"))
    return 0;
  const bool ok = WriteIniString(places.section, u"DrvDefJobMergePath", merge, places.userIni) &&
                  WriteIniString(places.section, u"DrvDefPreviewPath", preview, places.userIni);
  return ok ? 1 : 0;
}

int CopyUserSettingFiles(HANDLE printer) {
  UserCopyPlaces places(printer, nullptr);
  if (!places.ok) return 0;
  if (!CreateFoldersFor(places.userIni)) return 0;
  CreateDirectoryW(places.userDir, nullptr);
  MutexHold hold;
  const bool presets = CopyListedFiles(places, u"Count", "PresetList", u"ksd");
  const bool qualities = CopyListedFiles(places, u"QualityCount", "QualityList", u"ksq");
  return presets && qualities ? 1 : 0;
}

int RefreshUserInstall(HANDLE printer, int state, const PRINTER_INFO_2W* printerInfo,
                       const DRIVER_INFO_3W* driverInfo) {
  DriverContext* context = CreateContextWithFlags(printer, printer, 0, 0x300, 0x80000000u, printerInfo, driverInfo);
  if (!context) return 0;
  int compare = VERSION_TOO_OLD;
  if (state != 1 && state != 3) {
    UserCopyPlaces places(printer, printerInfo);
    const WCHAR* language = GetLanguageSectionName(context);
    int user = 0xFFFF, common = 0xFFFF;
    if (places.ok) {
      MutexHold hold;
      user = ReadIniInt(language, u"KstVersion", 0xFFFF, places.userIni);
      common = ReadIniInt(language, u"KstVersion", 0xFFFF, places.commonIni);
    }
    if (user == 0xFFFF || common == 0xFFFF) {
      ReleaseContext(context, CTXR_CACHE);
      return 1;
    }
    compare = CompareVersions(static_cast<DWORD>(user), static_cast<DWORD>(common));
  }
  JobControlLogon(context);
  QueryPrintNotification(context, 1);
  int result = 1;
  if (compare == VERSION_UPGRADE) {
    InstallPackageFiles(context, 4096);
    InitUserLists(printer, context);
    CopyModelIniToPrinterIni(printer, kModelIniVersionOnly, context, printerInfo, driverInfo);
    if (IsDefaultLocked(context)) SaveDefaultSettings(context);
  } else if (compare == VERSION_TOO_OLD) {
    if (!InitializePrinterSettings(printer, nullptr, kInitUserConnection, printerInfo, driverInfo))
      result = 0;
    else
      CopyModelIniLocked(printer, kModelIniFull, context, 1, printerInfo, driverInfo);
  } else {
    InstallPackageFiles(context, 4096);
    CopyModelIniToPrinterIni(printer, kModelIniVersionOnly, context, printerInfo, driverInfo);
  }
  if (result) {
    WriteUserDefaultPaths(printer);
    if (StampInstallTime(printer, 1, 1, printerInfo, driverInfo))
      PrepareSettingsDirs(context);
    else
      result = 0;
  }
  ReleaseContext(context, CTXR_CACHE);
  return result;
}

int CopyBatchDefaultsToUser(HANDLE printer, const PRINTER_INFO_2W* printerInfo, const DRIVER_INFO_3W* driverInfo) {
  UserCopyPlaces places(printer, printerInfo);
  if (!places.ok) return 1;
  MutexHold hold;
  WCHAR defaultKst[MAX_PATH + 1] = {};
  ReadIniString(places.section, u"DefaultKst", u"", defaultKst, MAX_PATH, places.commonIni);
  if (!defaultKst[0]) return 0;
  if (!CreateFoldersFor(places.userIni)) return 1;
  bool ok = WriteIniString(places.section, u"DefaultKst", defaultKst, places.userIni) != FALSE;
  WCHAR batch[MAX_PATH + 1] = {};
  ReadIniString(places.section, u"BatchInstKst", u"", batch, MAX_PATH, places.commonIni);
  if (!batch[0]) return ok ? 0 : 1;
  ok = WriteIniString(places.section, u"BatchInstKst", batch, places.userIni) && ok;
  // The mutex is held: the context takes none of its own.
  DriverContext* context = CreateContextWithFlags(printer, printer, 0, 0x301, 0x80000000u, printerInfo, driverInfo);
  if (!context) return 1;
  if (!LoadSettingsFile(printer, batch, SFT_LOAD | SFT_QUIET, context)) ok = false;
  SaveDeviceSettings(printer, context, 3, 0);
  ok = CopyBatchLists(places) && ok;
  ReleaseContext(context, CTXR_DESTROY);
  return ok ? 0 : 1;
}
