// The free-size list in the per-printer INI and its records in the work area.
#include "model/free_size_list.h"

#include <cstdio>
#include <cstring>

#include "fields/change_flags.h"
#include "base/deliverable.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "base/ini_files.h"
#include "fields/locale_text.h"
#include "base/paths_and_names.h"
#include "base/settings_field.h"
#include "stored/snapshot_ring.h"
#include "base/ui_strings.h"
#include "field_ids.h"
#include "stored/device_settings.h"
#include "stored/list_sections.h"
#include "stored/settings_file.h"

namespace {

constexpr WCHAR kFreeSizeCountKey[] = u"FreeSizeCount";
// UI string of entry 0's name; entries 1-9 follow.
constexpr DWORD kFirstFreeSizeString = 109;
constexpr int kRecordNameChars = 64;
// Shipped defaults of an entry the second model INI lacks: 210 x 297 mm in 1200 dpi.
constexpr int kDefaultWidth = 9921;
constexpr int kDefaultLength = 14031;
constexpr int kDefaultTray = 4;
constexpr int kDefaultOrientation = 1;

// The built-in free-size field table: {width, length, tray, orientation} of entries 0-9,
// followed by a row of zeros.
struct FreeSizeFieldRow {
  WORD width;
  WORD length;
  WORD tray;
  WORD orientation;
};
constexpr FreeSizeFieldRow kListFields[kFreeSizeEntries + 1] = {
    {fid::wdmFreeSize1Width, fid::wdmFreeSize1Length, fid::wdmFreeSize1Tray, fid::wdmFreeSize1Orient},
    {fid::wdmFreeSize2Width, fid::wdmFreeSize2Length, fid::wdmFreeSize2Tray, fid::wdmFreeSize2Orient},
    {fid::wdmFreeSize3Width, fid::wdmFreeSize3Length, fid::wdmFreeSize3Tray, fid::wdmFreeSize3Orient},
    {fid::wdmFreeSize4Width, fid::wdmFreeSize4Length, fid::wdmFreeSize4Tray, fid::wdmFreeSize4Orient},
    {fid::wdmFreeSize5Width, fid::wdmFreeSize5Length, fid::wdmFreeSize5Tray, fid::wdmFreeSize5Orient},
    {fid::wdmFreeSize6Width, fid::wdmFreeSize6Length, fid::wdmFreeSize6Tray, fid::wdmFreeSize6Orient},
    {fid::wdmFreeSize7Width, fid::wdmFreeSize7Length, fid::wdmFreeSize7Tray, fid::wdmFreeSize7Orient},
    {fid::wdmFreeSize8Width, fid::wdmFreeSize8Length, fid::wdmFreeSize8Tray, fid::wdmFreeSize8Orient},
    {fid::wdmFreeSize9Width, fid::wdmFreeSize9Length, fid::wdmFreeSize9Tray, fid::wdmFreeSize9Orient},
    {fid::wdmFreeSize10Width, fid::wdmFreeSize10Length, fid::wdmFreeSize10Tray, fid::wdmFreeSize10Orient},
    {0, 0, 0, 0},
};

bool IsEntry(int n) { return n >= 0 && n < kFreeSizeEntries; }

FreeSizeRecord* RecordAt(DriverContext* context, int n) {
  if (!context || !context->work || n < 0 || n >= kFreeSizeRecordCount) return nullptr;
  return &context->work->freeSizes[n];
}

// The five fields from `first` run name, width, length, tray, orientation: 915-919 for the
// features, 920-924 for the current paper.
void ClearFields(DriverContext* context, WORD first) {
  for (WORD id = first; id <= first + 4; ++id) WriteFieldRawById(context, id, 0);
}

void RecordToFields(DriverContext* context, int n, WORD first) {
  const FreeSizeRecord* record = RecordAt(context, n);
  if (!record || record->width == 0 || record->length == 0) return;
  char name[sizeof record->userName + 1] = {};
  std::memcpy(name, record->userName, sizeof record->userName);
  WCHAR wide[sizeof name] = {};
  AnsiToWide(wide, name, static_cast<int>(sizeof name));
  if (SettingField* field = FindFieldById(context, first)) SetFieldString(context, field, wide);
  SetFieldValueById(context, static_cast<WORD>(first + 1), record->width);
  SetFieldValueById(context, static_cast<WORD>(first + 2), record->length);
  WriteFieldRawById(context, static_cast<WORD>(first + 3), record->tray);
  WriteFieldRawById(context, static_cast<WORD>(first + 4), record->orientation);
}

void FieldsToRecord(DriverContext* context, int n, WORD first) {
  FreeSizeRecord* record = RecordAt(context, n);
  if (!record) return;
  const DWORD width = GetFieldValueById(context, static_cast<WORD>(first + 1));
  const DWORD length = GetFieldValueById(context, static_cast<WORD>(first + 2));
  if (width == 0 || length == 0) return;
  record->width = width;
  record->length = length;
  record->tray = static_cast<WORD>(ReadFieldRawById(context, static_cast<WORD>(first + 3)));
  record->orientation = static_cast<WORD>(ReadFieldRawById(context, static_cast<WORD>(first + 4)));
  WCHAR wide[kRecordNameChars] = {};
  if (SettingField* field = FindFieldById(context, first)) GetFieldString(context, field, wide, kRecordNameChars);
  WideToAnsi(record->userName, wide, kRecordNameChars);
  if (IsRenderingBuild() || !IsEntry(n)) {
    std::memcpy(record->displayName, record->userName, kRecordNameChars);
    std::memcpy(record->listName, record->userName, kRecordNameChars);
    return;
  }
  // The entry's text completed with its size reads the record just filled.
  WCHAR text[kRecordNameChars] = {};
  LoadUiString(context, kFirstFreeSizeString + static_cast<DWORD>(n), text, kRecordNameChars, 1);
  WideToAnsi(record->displayName, text, kRecordNameChars);
  std::memcpy(record->listName, record->displayName, kRecordNameChars);
}

const WCHAR* UserIni(DriverContext* context) { return context && context->work ? GetUserIniPath(context) : nullptr; }

// The five keys of an entry section are named by fields 915-919; the current fields
// 920-924 take their values from those keys.
void ReadEntryKeysIntoCurrent(DriverContext* context, const WCHAR* ini, const WCHAR* section) {
  for (WORD k = 0; k < 5; ++k) {
    SettingField* entry = FindFieldById(context, static_cast<WORD>(fid::wdmFreeSizeName + k));
    SettingField* current = FindFieldById(context, static_cast<WORD>(fid::wdmSrcFreeSizeName + k));
    if (!entry || !current || !entry->side || !entry->side->name) continue;
    const WCHAR* ownSection = current->section;
    const WCHAR* ownKey = current->key;
    current->section = section;
    current->key = entry->side->name;
    ReadFeatureFromIni(context, current, ini, nullptr, nullptr);
    current->section = ownSection;
    current->key = ownKey;
  }
}

bool FieldsHaveSize(DriverContext* context, WORD first) {
  return ReadFieldRawById(context, static_cast<WORD>(first + 1)) != 0 &&
         ReadFieldRawById(context, static_cast<WORD>(first + 2)) != 0;
}

}  // namespace

int GetFreeSizeCount(DriverContext*) { return kFreeSizeEntries; }

int GetFreeSizePaperMapCount(DriverContext*) { return kFreeSizeEntries + 2; }

void MakeFreeSizeSection(WCHAR* buffer, int n, DriverContext* context) { MakeListSection(buffer, "FreeSize", n, context); }

void ReadFreeSize(DriverContext* context, int n) {
  if (!context || !context->work || !IsEntry(n)) return;
  ClearFields(context, fid::wdmFreeSizeName);
  WCHAR section[kListSectionChars];
  MakeFreeSizeSection(section, n, context);
  LoadListSection(context, UserIni(context), section, SFT_FREESIZE);
  CopyFreeSizeToListFields(context, section);
}

void ReadCurrentFreeSize(DriverContext* context, int n) {
  if (!context || !context->work || !IsEntry(n)) return;
  ClearFields(context, fid::wdmSrcFreeSizeName);
  WCHAR section[kListSectionChars];
  MakeFreeSizeSection(section, n, context);
  const WCHAR* ini = UserIni(context);
  LoadListSection(context, ini, section, SFT_CURFREESIZE);
  // An entry section is written under the names of fields 915-919, never under those of
  // 920-924: without this step the current free size would always read as empty and a
  // saved file would carry no size for its paper.
  if (ini && ini[0]) ReadEntryKeysIntoCurrent(context, ini, section);
}

void WriteFreeSizeSection(DriverContext* context, int n) {
  if (!context || !context->work || !IsEntry(n)) return;
  WCHAR section[kListSectionChars];
  MakeFreeSizeSection(section, n, context);
  SaveListSection(context, UserIni(context), section, SFT_FREESIZE);
  CopyFreeSizeToListFields(context, section);
}

void CopyFreeSizeToListFields(DriverContext* context, const WCHAR* section) {
  if (!context || !context->work || !section) return;
  for (int i = 0; i < kFreeSizeEntries; ++i) {
    WCHAR name[kListSectionChars];
    MakeFreeSizeSection(name, i, context);
    int k = 0;
    while (name[k] && name[k] == section[k]) ++k;
    if (name[k] != section[k]) continue;
    const FreeSizeFieldRow& row = kListFields[i];
    WriteFieldRawById(context, row.width, ReadFieldRawById(context, fid::wdmFreeSizeWidth));
    WriteFieldRawById(context, row.length, ReadFieldRawById(context, fid::wdmFreeSizeLength));
    WriteFieldRawById(context, row.tray, ReadFieldRawById(context, fid::wdmFreeSizeTray));
    WriteFieldRawById(context, row.orientation, ReadFieldRawById(context, fid::wdmFreeSizeOrient));
    return;
  }
}

void LoadFreeSizeFeatures(DriverContext* context, int n) {
  const FreeSizeRecord* record = RecordAt(context, n);
  if (!record || !IsEntry(n)) return;
  const FreeSizeFieldRow& row = kListFields[n];
  WriteFieldRawById(context, row.width, record->width);
  WriteFieldRawById(context, row.length, record->length);
  WriteFieldRawById(context, row.tray, record->tray);
  WriteFieldRawById(context, row.orientation, record->orientation);
}

void FreeSizeRecordToFeatures(DriverContext* context, int n) { RecordToFields(context, n, fid::wdmFreeSizeName); }

void FreeSizeRecordToCurrent(DriverContext* context, int n) { RecordToFields(context, n, fid::wdmSrcFreeSizeName); }

void FeaturesToFreeSizeRecord(DriverContext* context, int n) { FieldsToRecord(context, n, fid::wdmFreeSizeName); }

void CurrentToFreeSizeRecord(DriverContext* context, int n) { FieldsToRecord(context, n, fid::wdmSrcFreeSizeName); }

void InitFreeSizes(DriverContext* context) {
  if (!context || !context->work) return;
  if (GetChangeFlags(context) & kFreeSizesLoadedFlag) return;
  PushSettingsSnapshot(context);
  for (int i = 0; i < kFreeSizeEntries; ++i) {
    ReadFreeSize(context, i);
    FeaturesToFreeSizeRecord(context, i);
  }
  PopSettingsSnapshot(context, 1);
  for (int i = 0; i < kFreeSizeEntries; ++i) LoadFreeSizeFeatures(context, i);
  SetChangeFlags(context, kFreeSizesLoadedFlag);
}

void WriteAllFreeSizes(DriverContext* context) {
  if (!context || !context->work) return;
  PushSettingsSnapshot(context);
  for (int i = 0; i < kFreeSizeEntries; ++i) {
    const FreeSizeRecord& record = context->work->freeSizes[i];
    // A record of no size would store whatever the fields held before.
    if (record.width == 0 || record.length == 0) continue;
    FreeSizeRecordToFeatures(context, i);
    WriteFreeSizeSection(context, i);
  }
  PopSettingsSnapshot(context, 1);
}

void RewriteAllFreeSizes(DriverContext* context) {
  if (!context || !context->work) return;
  PushSettingsSnapshot(context);
  for (int i = 0; i < kFreeSizeEntries; ++i) {
    ReadFreeSize(context, i);
    // An entry that is not stored is left out rather than written empty.
    if (FieldsHaveSize(context, fid::wdmFreeSizeName)) WriteFreeSizeSection(context, i);
  }
  PopSettingsSnapshot(context, 1);
}

void InitFreeSizeNames(DriverContext* context) {
  if (!context || !context->work) return;
  const WCHAR* shared = GetSecondIniPath(context);
  const WCHAR* keys[4] = {};
  for (WORD k = 0; k < 4; ++k) {
    SettingField* field = FindFieldById(context, static_cast<WORD>(fid::wdmFreeSizeWidth + k));
    keys[k] = field && field->side ? field->side->name : nullptr;
  }
  for (int i = 0; i < kFreeSizeEntries; ++i) {
    FreeSizeRecord& record = context->work->freeSizes[i];
    WCHAR section[kListSectionChars];
    MakeFreeSizeSection(section, i, context);
    auto read = [&](int k, int fallback) {
      return keys[k] && shared && shared[0] ? ReadIniInt(section, keys[k], fallback, shared) : fallback;
    };
    record.width = static_cast<DWORD>(read(0, kDefaultWidth));
    record.length = static_cast<DWORD>(read(1, kDefaultLength));
    record.tray = static_cast<WORD>(read(2, kDefaultTray));
    record.orientation = static_cast<WORD>(read(3, kDefaultOrientation));
    WCHAR text[kRecordNameChars] = {};
    LoadUiString(context, kFirstFreeSizeString + static_cast<DWORD>(i), text, kRecordNameChars, 0);
    WideToAnsi(record.userName, text, kRecordNameChars);
    std::memcpy(record.listName, record.userName, kRecordNameChars);
    LoadUiString(context, kFirstFreeSizeString + static_cast<DWORD>(i), text, kRecordNameChars, 1);
    WideToAnsi(record.displayName, text, kRecordNameChars);
  }
}

void ClearFreeSize(DriverContext* context, int n) {
  if (!context || !context->work || !IsEntry(n)) return;
  WriteFieldRawById(context, fid::wdmFreeSizeName, 0);
  WriteFieldRawById(context, fid::wdmFreeSizeWidth, 0);
  WriteFieldRawById(context, fid::wdmFreeSizeLength, 0);
  WCHAR section[kListSectionChars];
  MakeFreeSizeSection(section, n, context);
  LoadListSection(context, GetSecondIniPath(context), section, SFT_FREESIZE);
}

int GetSharedFreeSizeCount(DriverContext* context) {
  if (!context || !context->work) return 0;
  const WCHAR* shared = GetSecondIniPath(context);
  if (!shared || !shared[0]) return 0;
  return ReadIniInt(ListLanguageSection(context), kFreeSizeCountKey, 0, shared) == kFreeSizeEntries ? kFreeSizeEntries
                                                                                                     : 0;
}

void SetFreeSizeCount(DriverContext* context, int n) {
  const WCHAR* ini = UserIni(context);
  if (!ini || !ini[0]) return;
  if (n < 0) n = 0;
  if (n > kFreeSizeEntries) n = kFreeSizeEntries;
  char text[8];
  std::snprintf(text, sizeof text, "%d", n);
  WCHAR value[8] = {};
  for (int i = 0; text[i]; ++i) value[i] = static_cast<WCHAR>(text[i]);
  WriteIniString(ListLanguageSection(context), kFreeSizeCountKey, value, ini);
}

bool GetFreeSizeEntry(DriverContext* context, int n, WCHAR* name, int nameChars, int* width, int* length,
                      DWORD* tray, DWORD* orientation) {
  const FreeSizeRecord* record = RecordAt(context, n);
  if (!record || !IsEntry(n) || record->width == 0 || record->length == 0) return false;
  if (name && nameChars > 0) {
    char text[kRecordNameChars + 1] = {};
    std::memcpy(text, record->userName, kRecordNameChars);
    AnsiToWide(name, text, nameChars);
  }
  if (width) *width = static_cast<int>(record->width);
  if (length) *length = static_cast<int>(record->length);
  if (tray) *tray = record->tray;
  if (orientation) *orientation = record->orientation;
  return true;
}
