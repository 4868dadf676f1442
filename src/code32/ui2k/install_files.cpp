#include "install_files.h"

#include <cstdio>

#include "base/driver_context.h"
#include "base/file_ops.h"
#include "base/file_sync.h"
#include "base/file_names.h"
#include "base/ini_files.h"
#include "base/ini_section_copy.h"
#include "base/install_services.h"
#include "base/paths_and_names.h"
#include "fields/product_record.h"
#include "base/system_checks.h"
#include "stored/installed_presets.h"
#include "stored/setting_import.h"
#include "user_copy_paths.h"

namespace {

constexpr DWORD kSectionCopyLimit = 30720;
constexpr int kMostListedFiles = 0xFFFE;

// The section of the combined file named prefix + the target's file name, copied into the
// target's section. A missing section is nothing to do; one too large is a failure.
bool CopyFromCombined(const WCHAR* combined, const WCHAR* target, const WCHAR* section) {
  WCHAR source[600];
  DWORD n = 0;
  for (; section[n] && n < 300; ++n) source[n] = section[n];
  for (const WCHAR* f = FindFileName(target); f && *f && n + 1 < 600; ++f) source[n++] = *f;
  source[n] = 0;
  return CopyIniSection(combined, source, target, section, kSectionCopyLimit) >= 0;
}

bool ExpandList(const WCHAR* package, const WCHAR* language, const char* listKey, const WCHAR* count,
                bool withConditions, DriverContext* context) {
  WCHAR key[64];
  ListKey(key, listKey, 0, nullptr);
  WCHAR combined[MAX_PATH + 1] = {};
  ReadIniString(language, key, u"", combined, MAX_PATH, package);
  if (!combined[0] || !ExpandSettingFileMacros(combined, MAX_PATH, context)) return true;
  const int n = ReadIniInt(language, count, 0, package);
  bool ok = true;
  for (int i = 1; i <= n && i <= kMostListedFiles; ++i) {
    ListKey(key, listKey, i, nullptr);
    WCHAR target[MAX_PATH + 1] = {};
    ReadIniString(language, key, u"", target, MAX_PATH, package);
    if (!target[0] || !ExpandSettingFileMacros(target, MAX_PATH, context) || !PathExists(target)) continue;
    if (withConditions) {
      ok = CopyFromCombined(combined, target, u"condition") && ok;
      ok = CopyFromCombined(combined, target, u"disable") && ok;
    }
    ok = CopyFromCombined(combined, target, language) && ok;
  }
  return ok;
}

// The second model INI where the install uses it: an absolute name in place (synchronised),
// else the driver directory's copy on Windows 2000 and later, before that a copy in the
// system directory.
bool PackageIniPath(DriverContext* context, WCHAR* path) {
  const WCHAR* name = GetProductString(GetProductRecord()->secondModelIniName);
  if (!name || !name[0]) return false;
  if (name[0] && name[1] == u':') {
    DWORD n = 0;
    for (; name[n] && n < MAX_PATH - 1; ++n) path[n] = name[n];
    path[n] = 0;
    SyncFile(path, FindFileName(name), 2, context);
    return true;
  }
  if (IsNt5OrLater()) {
    JoinPath(path, MAX_PATH, GetDriverDirectory(context), name);
    return path[0] != 0;
  }
  SyncWithDriverFile(name, name, 2, context);
  MakeSystemPath(path, MAX_PATH, name);
  return path[0] != 0;
}

}  // namespace

int ExpandDefaultSettingFiles(DriverContext* context) {
  if (!context || !context->work) return 0;
  WCHAR package[MAX_PATH + 1] = {};
  if (!ReadInstallDefaultKst(package, context)) return 1;
  ResolveDriverRelativePath(package, MAX_PATH, context);
  if (!PathExists(package)) return 1;
  const WCHAR* language = GetLanguageSectionName(context);
  const bool presets = ExpandList(package, language, "Deficonfiles", u"NumDeficonfiles", true, context);
  const bool qualities = ExpandList(package, language, "Defqualityfiles", u"NumDefqualityfiles", false, context);
  return presets && qualities ? 1 : 0;
}

int InstallListedFiles(const WCHAR* iniPath, const WCHAR* section, DriverContext* context) {
  if (!iniPath || !section) return 0;
  const int count = ReadIniInt(section, u"NumInstallfiles", 0xFFFF, iniPath);
  if (count == 0xFFFF || count <= 0) return 1;
  int ok = 1;
  for (int i = 1; i <= count && i <= kMostListedFiles; ++i) {
    WCHAR key[64];
    ListKey(key, "Installfiles", i, nullptr);
    WCHAR file[MAX_PATH + 1] = {};
    ReadIniString(section, key, u"", file, MAX_PATH, iniPath);
    if (!file[0] || !ExpandPathMacros(file, MAX_PATH, 0, context)) continue;
    if (!SyncFile(file, FindFileName(file), 2, context) && !PathExists(file)) ok = 0;
  }
  return ok;
}

int InstallPackageFiles(DriverContext* context, DWORD flags) {
  if (!context || !context->work) return 0;
  int ok = ExpandDefaultSettingFiles(context);
  const WCHAR* language = GetLanguageSectionName(context);
  WCHAR ini[MAX_PATH + 1] = {};
  if (PackageIniPath(context, ini)) {
    if (!InstallListedFiles(ini, language, context)) ok = 0;
    WCHAR package[MAX_PATH + 1] = {};
    ReadIniString(language, u"DefaultKst", u"", package, MAX_PATH, ini);
    if (package[0]) {
      ResolveDriverRelativePath(package, MAX_PATH, context);
      SyncFile(package, FindFileName(package), 2, context);
      if (!RegisterInstalledPresets(package, language, flags | RIP_COPY, context, 0, nullptr)) ok = 0;
      if (!InstallDefaultQualities(package, language, flags | 2, context)) ok = 0;
    }
  }
  // The companion library must be in the system directory when the package has one; the
  // settings-API library is brought along but does not count.
  const ProductRecord* product = GetProductRecord();
  if (const WCHAR* companion = GetProductString(product->companionDllName)) {
    if (companion[0]) {
      SyncWithDriverFile(companion, companion, 2, context);
      WCHAR shipped[MAX_PATH + 1] = {}, system[MAX_PATH + 1] = {};
      JoinPath(shipped, MAX_PATH, GetDriverDirectory(context), companion);
      MakeSystemPath(system, MAX_PATH, companion);
      if (PathExists(shipped) && !PathExists(system)) ok = 0;
    }
  }
  if (const WCHAR* api = GetProductString(product->settingsApiDllName))
    if (api[0]) SyncWithDriverFile(api, api, 2, context);
  return ok;
}
