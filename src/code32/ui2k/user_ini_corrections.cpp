#include "user_ini_corrections.h"

#include <initializer_list>

#include "context/context_create.h"
#include "base/driver_context.h"
#include "base/file_ops.h"
#include "base/file_times.h"
#include "base/ini_files.h"
#include "base/ini_section_copy.h"
#include "base/paths_and_names.h"
#include "fields/product_record.h"
#include "base/settings_dirs.h"
#include "stored/list_sections.h"
#include "user_copies.h"
#include "user_copy_paths.h"
#include "win/files.h"

namespace {

constexpr DWORD kSectionLimit = 61440;
constexpr int kMostEntries = 0x7FFF;
constexpr WCHAR kDone[] = u"1";

bool HasKey(const WCHAR* ini, const WCHAR* section, const WCHAR* key) {
  WCHAR value[8] = {};
  ReadIniString(section, key, u"\x01", value, 8, ini);
  return !(value[0] == 1 && value[1] == 0);
}

// The entry of one list whose file lies in fromFolder rewritten to the same name in the
// user's data directory, the file's sections copied. 1 moved, 0 left (elsewhere), -1 failed,
// -2 refused: its name would leave the folder.
int MoveEntry(const UserCopyPlaces& places, const WCHAR* ini, const WCHAR* key, const WCHAR* fromFolder,
              const WCHAR* toFolder, bool withConditions) {
  WCHAR file[MAX_PATH + 1] = {};
  ReadIniString(places.section, key, u"", file, MAX_PATH, ini);
  if (!file[0]) return -1;
  WCHAR folder[MAX_PATH + 1];
  FolderOf(file, folder);
  if (!folder[0]) return -1;
  if (!SameFolder(folder, fromFolder)) return 0;
  WCHAR target[MAX_PATH + 1];
  if (!PlaceInDirectory(target, toFolder, file)) return -2;
  if (!WriteIniString(places.section, key, target, places.userIni)) return -1;
  bool ok = CopyIniSection(file, places.section, target, places.section, kSectionLimit) >= 0;
  if (withConditions) {
    ok = CopyIniSection(file, u"condition", target, u"condition", kSectionLimit) >= 0 && ok;
    ok = CopyIniSection(file, u"disable", target, u"disable", kSectionLimit) >= 0 && ok;
  }
  return ok ? 1 : -1;
}

// Every entry of a list; false when one failed (or, in nameCheck mode, was refused or has
// no name). Without nameCheck a refused entry is left as it is and nothing is copied.
bool MoveList(const UserCopyPlaces& places, const WCHAR* ini, const WCHAR* countKey, const char* prefix,
              const WCHAR* fromFolder, const WCHAR* toFolder, bool withConditions, bool nameCheck) {
  const int count = ReadIniInt(places.section, countKey, 0, ini);
  for (int i = 0; i < count && i < kMostEntries; ++i) {
    WCHAR key[64];
    ListKey(key, prefix, i, nullptr);
    const int moved = MoveEntry(places, ini, key, fromFolder, toFolder, withConditions);
    if (moved == -2 && !nameCheck) continue;
    if (moved < 0) return false;
    if (moved && nameCheck) {
      ListKey(key, prefix, i, u"Name");
      WCHAR name[8] = {};
      ReadIniString(places.section, key, u"", name, 8, places.userIni);
      if (!name[0]) return false;
    }
  }
  return true;
}

// "<prefix><n><language>" sections of the old INI, count from its language section.
bool CopyLanguageList(const WCHAR* old, const WCHAR* ini, const WCHAR* language, const char* prefix,
                      const WCHAR* countKey) {
  const int count = ReadIniInt(language, countKey, 0, old);
  bool ok = true;
  for (int i = 0; i < count && i < 1000; ++i) {
    WCHAR section[80];
    ListKey(section, prefix, i, language);
    ok = CopyIniSection(old, section, ini, section, kSectionLimit) >= 0 && ok;
  }
  return ok;
}

// The "%sysdir%" files a settings file names, copied from the old folder to the new. A
// name is the part after its last '%' and must be a plain file name.
bool CopyNamedFiles(const WCHAR* settingsFile, const WCHAR* section, const WCHAR* countKey, const char* prefix,
                    const WCHAR* oldFolder, const WCHAR* newFolder) {
  const int count = ReadIniInt(section, countKey, 0, settingsFile);
  bool ok = true;
  for (int i = 1; i <= count && i <= kMostEntries; ++i) {
    WCHAR key[64];
    ListKey(key, prefix, i, nullptr);
    WCHAR value[MAX_PATH + 1] = {};
    ReadIniString(section, key, u"", value, MAX_PATH, settingsFile);
    bool macro = false;
    const WCHAR* name = value;
    for (const WCHAR* p = value; *p; ++p) {
      if (p[0] == u'%' && (p[1] == u's' || p[1] == u'S')) {
        const WCHAR* m = u"%sysdir%";
        int k = 0;
        while (m[k] && (p[k] == m[k] || p[k] == m[k] - 32)) ++k;
        if (!m[k]) macro = true;
      }
      if (*p == u'%') name = p + 1;
    }
    if (!macro) continue;
    if (!IsPlainFileName(name)) continue;  // a name that would leave the folder is never copied
    WCHAR from[MAX_PATH + 1], to[MAX_PATH + 1];
    if (!JoinPath(from, MAX_PATH, oldFolder, name) || !JoinPath(to, MAX_PATH, newFolder, name)) {
      ok = false;
      continue;
    }
    if (PathExists(from) && !CopyFileW(from, to, FALSE)) ok = false;
  }
  return ok;
}

}  // namespace

int NeedsTsIniCorrection(HANDLE printer, const PRINTER_INFO_2W* printerInfo) {
  if (!printerInfo) return 0;
  UserCopyPlaces places(printer, printerInfo);
  if (!places.ok) return 1;
  if (!PathExists(places.userIni)) return 3;
  if (HasKey(places.userIni, places.section, u"TSIniCorrectDone")) return 0;
  return HasKey(places.userIni, places.section, u"Count") ? 2 : 3;
}

int CorrectTsIni(HANDLE printer, const PRINTER_INFO_2W* printerInfo) {
  UserCopyPlaces places(printer, printerInfo);
  if (!places.ok) return 1;
  WCHAR common[MAX_PATH + 1];
  FolderOf(places.commonIni, common);
  if (!MoveList(places, places.userIni, u"Count", "PresetList", common, places.userDir, true, true)) return 3;
  if (!MoveList(places, places.userIni, u"QualityCount", "QualityList", common, places.userDir, false, true)) return 3;
  if (!WriteUserDefaultPaths(printer)) return 3;
  WriteIniString(places.section, u"TSIniCorrectDone", kDone, places.userIni);
  return 0;
}

int CorrectLocalLowIni(HANDLE printer, const PRINTER_INFO_2W* printerInfo) {
  UserCopyPlaces places(printer, printerInfo);
  if (!places.ok) return 0;
  DriverContext* context = CreateContextWithFlags(printer, printer, 0, 0x100, 0x80000000u, printerInfo, nullptr);
  if (!context) return 0;
  WCHAR language[32] = {};
  const WCHAR* code = GetLanguageSectionName(context);
  for (int i = 0; code && code[i] && i < 31; ++i) language[i] = code[i];
  ReleaseContext(context, CTXR_CACHE);
  if (!language[0]) return 0;
  const bool printerDone = ReadIniInt(places.section, u"LocalLowCorrectDone", 0, places.userIni) != 0;
  const bool languageDone = ReadIniInt(language, u"LocalLowCorrectDone", 0, places.userIni) != 0;
  if (printerDone && languageDone) return 1;
  WCHAR low[MAX_PATH + 1] = {};
  if (!GetLocalAppDataLowDir(low, MAX_PATH) || !low[0]) return 1;
  WCHAR oldFolder[MAX_PATH + 1], old[MAX_PATH + 1];
  const WCHAR* iniName = GetProductString(GetProductRecord()->modelIniName);
  if (!JoinPath(oldFolder, MAX_PATH, low, u"_kova") || !iniName || !JoinPath(old, MAX_PATH, oldFolder, iniName))
    return 0;
  if (!CreateFoldersFor(places.userIni)) return 0;
  WCHAR newFolder[MAX_PATH + 1];
  FolderOf(places.userIni, newFolder);
  bool ok = true;
  if (!printerDone) {
    ok = CopyIniSection(old, places.section, places.userIni, places.section, kSectionLimit) >= 0;
    ok = MoveList(places, places.userIni, u"Count", "PresetList", oldFolder, newFolder, true, false) && ok;
    ok = MoveList(places, places.userIni, u"QualityCount", "QualityList", oldFolder, newFolder, false, false) && ok;
    for (const WCHAR* key : {u"DrvDefJobMergePath", u"DrvDefPreviewPath"}) {
      WCHAR path[MAX_PATH + 1] = {};
      ReadIniString(places.section, key, u"", path, MAX_PATH, places.userIni);
      WCHAR folder[MAX_PATH + 1];
      FolderOf(path, folder);
      WCHAR rebased[MAX_PATH + 1];
      if (path[0] && SameFolder(folder, oldFolder)) {
        if (PlaceInDirectory(rebased, newFolder, path))
          WriteIniString(places.section, key, rebased, places.userIni);
        else
          ok = false;
      }
    }
  }
  if (!languageDone) {
    ok = CopyIniSection(old, language, places.userIni, language, kSectionLimit) >= 0 && ok;
    ok = CopyIniSection(old, u"PrinterInformation", places.userIni, u"PrinterInformation", kSectionLimit) >= 0 && ok;
    ok = CopyLanguageList(old, places.userIni, language, "Stamp", u"StampCount") && ok;
    ok = CopyLanguageList(old, places.userIni, language, "FreeSize", u"FreeSizeCount") && ok;
    ok = CopyLanguageList(old, places.userIni, language, "ColorMatching", u"CmmCount") && ok;
    WCHAR defaultKst[MAX_PATH + 1] = {};
    ReadIniString(places.section, u"DefaultKst", u"", defaultKst, MAX_PATH, places.userIni);
    if (defaultKst[0]) {
      ok = CopyNamedFiles(defaultKst, language, u"NumDeficonfiles", "Deficonfiles", oldFolder, newFolder) && ok;
      ok = CopyNamedFiles(defaultKst, language, u"NumDefqualityfiles", "Defqualityfiles", oldFolder, newFolder) && ok;
    }
  }
  if (!ok) return 0;
  if (!printerDone) WriteIniString(places.section, u"LocalLowCorrectDone", kDone, places.userIni);
  if (!languageDone) WriteIniString(language, u"LocalLowCorrectDone", kDone, places.userIni);
  return 1;
}
