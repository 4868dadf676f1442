// The user-quality list in the per-printer INI.
#include "stored/quality_list.h"

#include <cstdio>

#include "base/deliverable.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "base/ini_files.h"
#include "base/paths_and_names.h"
#include "base/settings_dirs.h"
#include "stored/snapshot_ring.h"
#include "base/system_checks.h"
#include "field_ids.h"
#include "stored/setting_import.h"
#include "stored/list_keys.h"
#include "stored/settings_file.h"
#include "stored/settings_load_save.h"
#include "win/files.h"
#include "win/kernel.h"

namespace {

constexpr DWORD kPathChars = 261;
constexpr DWORD kNameChars = 1025;

// The entry file named by the key; false when the context or the value is missing.
bool EntryFile(DriverContext* context, const WCHAR* key, WCHAR* file) {
  const WCHAR* ini = nullptr;
  const WCHAR* section = nullptr;
  if (!key || !UserListLocation(context, ini, section)) return false;
  file[0] = 0;
  ReadIniString(section, key, u"", file, kPathChars, ini);
  return file[0] != 0;
}

// Entry n's shipped companion into companion (kPathChars characters); false when the entry
// has no file, its name has no extension, the path does not fit or the file is missing.
bool ShippedCompanion(DriverContext* context, int n, WCHAR* companion) {
  WCHAR key[kListKeyChars];
  MakeQualityKey(key, n);
  WCHAR file[kPathChars];
  if (!EntryFile(context, key, file)) return false;
  const WCHAR* name = file;
  for (const WCHAR* p = file; *p; ++p)
    if (*p == u'\\' || *p == u'/') name = p + 1;
  const WCHAR* dot = nullptr;
  for (const WCHAR* p = name; *p; ++p)
    if (*p == u'.') dot = p;
  if (!dot) return false;
  const bool perUser = IsTerminalServer(context->hPrinter) && !(context->work->kind & CTXK_INSTALLING);
  const DWORD chars = perUser ? GetUserSettingsDir(companion, kPathChars, context)
                              : GetSettingsDir(companion, kPathChars, context);
  if (chars == 0 || chars >= kPathChars) return false;
  std::size_t at = 0;
  while (companion[at]) ++at;
  const std::size_t stem = static_cast<std::size_t>(dot - name) + 1;
  if (at + 1 + stem + 3 + 1 > kPathChars) return false;
  companion[at++] = u'\\';
  for (std::size_t i = 0; i < stem; ++i) companion[at++] = name[i];
  for (const WCHAR* ext = u"ksq"; *ext; ++ext) companion[at++] = *ext;
  companion[at] = 0;
  return GetFileAttributesW(companion) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

int GetQualityCount(DriverContext* context) {
  const WCHAR* ini = nullptr;
  const WCHAR* section = nullptr;
  if (!UserListLocation(context, ini, section)) return 0;
  const int count = ReadIniInt(section, u"QualityCount", 0, ini);
  return count < 0 ? 0 : count > kMaxQualityEntries ? kMaxQualityEntries : count;
}

void MakeQualityKey(WCHAR* key, int n) {
  if (!key) return;
  char text[kListKeyChars];
  std::snprintf(text, sizeof text, "QualityList%d", n);
  int i = 0;
  for (; text[i]; ++i) key[i] = static_cast<WCHAR>(text[i]);
  key[i] = 0;
}

void LoadQualityName(DriverContext* context, const WCHAR* key) {
  const WCHAR* ini = nullptr;
  const WCHAR* section = nullptr;
  WCHAR nameKey[kListKeyChars];
  if (!key || !UserListLocation(context, ini, section) || !AppendKeySuffix(nameKey, kListKeyChars, key, u"Name"))
    return;
  WCHAR name[kNameChars] = {};
  ReadIniString(section, nameKey, u"", name, kNameChars, ini);
  SettingField* field = FindFieldById(context, fid::wdmUserSetName);
  if (field) SetFieldString(context, field, name);
}

void ApplyQualityByKey(DriverContext* context, const WCHAR* key) {
  WCHAR file[kPathChars];
  if (!EntryFile(context, key, file)) return;
  LoadSettingsFile(context->hPrinter, file, SFT_QUALITY, context);
  LoadQualityName(context, key);
}

void ApplyQualityByIndex(DriverContext* context, int n) {
  WCHAR key[kListKeyChars];
  MakeQualityKey(key, n);
  ApplyQualityByKey(context, key);
}

void SaveQualityByKey(DriverContext* context, const WCHAR* key) {
  WCHAR file[kPathChars];
  if (!EntryFile(context, key, file)) return;
  SaveSettingsFile(context->hPrinter, file, SFT_QUALITY, context);
  WCHAR nameKey[kListKeyChars];
  SettingField* field = FindFieldById(context, fid::wdmUserSetName);
  if (!field || !AppendKeySuffix(nameKey, kListKeyChars, key, u"Name")) return;
  WCHAR name[kNameChars] = {};
  if (!GetFieldString(context, field, name, kNameChars)) return;
  WriteIniString(GetPrinterSectionName(context), nameKey, name, GetUserIniPath(context));
}

void SaveQualityEntry(DriverContext* context, int n) {
  // The settings API writes the entry's file only, not its name key.
  if (IsSettingsApiBuild()) {
    SaveQualityFileByIndex(context, n);
    return;
  }
  WCHAR key[kListKeyChars];
  MakeQualityKey(key, n);
  SaveQualityByKey(context, key);
}

void SaveQualityFileByIndex(DriverContext* context, int n) {
  WCHAR key[kListKeyChars];
  MakeQualityKey(key, n);
  WCHAR file[kPathChars];
  if (!EntryFile(context, key, file)) return;
  SaveSettingsFile(context->hPrinter, file, SFT_QUALITY, context);
}

bool CopyQualityEntryFile(DriverContext* context, int n) {
  if (n < 0 || n >= GetQualityCount(context)) return false;
  WCHAR key[kListKeyChars];
  MakeQualityKey(key, n);
  WCHAR file[kPathChars];
  WCHAR copy[kPathChars] = {};
  if (!EntryFile(context, key, file) || !MakeUserCopyPath(file, copy, context)) return false;
  if (lstrcmpiW(file, copy) == 0) return true;  // the entry's file is its user copy
  return CopyFileW(file, copy, FALSE) != FALSE;
}

void LoadShippedQualityValues(DriverContext* context, int n) {
  WCHAR companion[kPathChars];
  if (!ShippedCompanion(context, n, companion)) return;
  LoadSettingsFile(context->hPrinter, companion, SFT_QUALITY | SFT_IMPORT, context);
  WCHAR key[kListKeyChars];
  MakeQualityKey(key, n);
  LoadQualityName(context, key);
}

void LoadShippedQualityName(DriverContext* context, int n) {
  WCHAR companion[kPathChars];
  if (!ShippedCompanion(context, n, companion)) return;
  const WCHAR* language = GetLanguageCode(context);
  if (!language) return;
  WCHAR name[kNameChars] = {};
  ReadIniString(language, u"qualityname", u"", name, kNameChars, companion);
  SettingField* field = FindFieldById(context, fid::wdmUserSetName);
  if (field) SetFieldString(context, field, name);
}

void RefreshQualityEntries(DriverContext* context) {
  if (!context || !context->work || !context->settings) return;
  PushSettingsSnapshot(context);
  const int count = GetQualityCount(context);
  for (int i = 0; i < count; ++i) {
    LoadShippedQualityValues(context, i);
    ApplyQualityByIndex(context, i);
    SaveQualityEntry(context, i);
  }
  PopSettingsSnapshot(context, 1);
}
