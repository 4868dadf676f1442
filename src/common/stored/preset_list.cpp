// The preset list in the per-printer INI and its change cache.
#include "stored/preset_list.h"

#include <cstdio>
#include <cstring>

#include "fields/change_flags.h"
#include "base/deliverable.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "base/ini_files.h"
#include "base/memory.h"
#include "base/message_boxes.h"
#include "model/module_dispatch.h"
#include "base/paths_and_names.h"
#include "base/settings_dirs.h"
#include "stored/snapshot_ring.h"
#include "base/system_checks.h"
#include "base/wide_text.h"
#include "field_ids.h"
#include "stored/list_keys.h"
#include "stored/settings_file.h"
#include "stored/settings_load_save.h"
#include "stored/stamp_list.h"
#include "win/files.h"

namespace {

constexpr DWORD kPathChars = 261;
constexpr DWORD kCompanionChars = 1025;
constexpr DWORD kNameChars = 1025;
constexpr DWORD kReadonlyChars = 16;
constexpr DWORD kEventPresetApplied = 11;

// The key's value (kPathChars characters) into value; empty when the list is out of reach.
void ReadKey(DriverContext* context, const WCHAR* key, WCHAR* value, DWORD chars) {
  value[0] = 0;
  const WCHAR* ini = nullptr;
  const WCHAR* section = nullptr;
  if (!key || !UserListLocation(context, ini, section)) return;
  ReadIniString(section, key, u"", value, chars, ini);
}

void WriteKey(DriverContext* context, const WCHAR* key, const WCHAR* value) {
  const WCHAR* ini = nullptr;
  const WCHAR* section = nullptr;
  if (!key || !UserListLocation(context, ini, section)) return;
  WriteIniString(section, key, value, ini);
}

// The slot of the preset whose key this is, or -1.
int SlotOfKey(const WCHAR* key) {
  if (!key) return -1;
  WCHAR candidate[kPresetKeyChars];
  for (int n = 0; n < kMaxPresets; ++n) {
    MakePresetKey(candidate, n, PRESET_KEY_FILE);
    if (WideEquals(candidate, key)) return n;
  }
  return -1;
}

bool IsCachedField(const SettingField& field) {
  return MarkOf(field.marks, 1) != 0 || MarkOf(field.marks, 3) != 0;
}

// The name and comment keys of the preset key into the two text fields.
void LoadNameAndComment(DriverContext* context, const WCHAR* key) {
  WCHAR suffixed[kPresetKeyChars];
  WCHAR text[kNameChars];
  if (AppendKeySuffix(suffixed, kPresetKeyChars, key, u"Name")) {
    ReadKey(context, suffixed, text, kNameChars);
    if (SettingField* field = FindFieldById(context, fid::wdmPresetName)) SetFieldString(context, field, text);
  }
  if (AppendKeySuffix(suffixed, kPresetKeyChars, key, u"Comment")) {
    ReadKey(context, suffixed, text, kNameChars);
    if (SettingField* field = FindFieldById(context, fid::wdmPresetComment)) SetFieldString(context, field, text);
  }
}

// Keeps the stamp selection only when it names an entry of the stamp list.
void CheckStampSelection(DriverContext* context) {
  const DWORD stamp = ReadFieldRawById(context, fid::kdmWmID);
  const int count = GetStampCount(context);
  if (ReadFieldRawById(context, fid::kdmFuncSelectWaterMark) != 0 && count > 0 &&
      stamp < static_cast<DWORD>(count)) {
    const DWORD kind = ReadFieldRawById(context, fid::kdmWmKind);
    if (kind >= 1 && kind <= 3) {
      ApplyStamp(context, static_cast<int>(stamp));
      WriteFieldRawById(context, fid::kdmWmID, stamp);
    }
    return;
  }
  WriteFieldRawById(context, fid::kdmFuncSelectWaterMark, 0);
  WriteFieldRawById(context, fid::kdmWmID, 0);
}

// Steps after the values are in place: stamps, capture, event 11.
void FinishPresetApply(DriverContext* context, const WCHAR* key) {
  CheckStampSelection(context);
  UpdatePresetChangeCache(context, key, PCC_CAPTURE);
}

void FileOfPreset(DriverContext* context, int n, WCHAR* file) {
  WCHAR key[kPresetKeyChars];
  MakePresetKey(key, n, PRESET_KEY_FILE);
  ReadKey(context, key, file, kPathChars);
}

}  // namespace

int GetPresetCount(DriverContext* context) {
  const WCHAR* ini = nullptr;
  const WCHAR* section = nullptr;
  if (!UserListLocation(context, ini, section)) return 0;
  const int count = ReadIniInt(section, u"Count", 0, ini);
  return count < 0 ? 0 : count > kMaxPresets ? kMaxPresets : count;
}

void MakePresetKey(WCHAR* key, int n, int kind) {
  if (!key) return;
  char text[kPresetKeyChars];
  const char* suffix = kind == PRESET_KEY_NAME ? "Name" : kind == PRESET_KEY_COMMENT ? "Comment" : "";
  std::snprintf(text, sizeof text, "PresetList%d%s", n, suffix);
  int i = 0;
  for (; text[i]; ++i) key[i] = static_cast<WCHAR>(text[i]);
  key[i] = 0;
}

BYTE* GetPresetNameField(DriverContext* context) {
  return context ? GetFieldAddress(context, FindFieldById(context, fid::wdmPresetName)) : nullptr;
}

BYTE* GetPresetCommentField(DriverContext* context) {
  return context ? GetFieldAddress(context, FindFieldById(context, fid::wdmPresetComment)) : nullptr;
}

int UpdatePresetChangeCache(DriverContext* context, const WCHAR* key, int mode) {
  if (!context || !context->work) return 0;
  WorkArea* work = context->work;
  if (mode == PCC_FORGET || mode == PCC_FREE) {
    for (void*& slot : work->presetCache) {
      if (mode == PCC_FREE) FreeMem(slot);
      slot = nullptr;
    }
    return 0;
  }
  if (mode != PCC_APPLY && mode != PCC_CAPTURE) return 0;
  const int n = SlotOfKey(key);
  if (n < 0 || !context->settings || !context->fields.records) return 0;
  const SettingField* begin = context->fields.records;
  const SettingField* end = begin + (context->fields.count > 0 ? context->fields.count : 0);
  if (mode == PCC_CAPTURE) {
    if (!work->presetCache[n]) {
      std::size_t total = 0;
      for (const SettingField* f = begin; f != end; ++f)
        if (IsCachedField(*f)) total += FieldSizeOf(f->type);
      work->presetCache[n] = AllocMem(total ? total : 1);
      if (!work->presetCache[n]) return 0;
    }
    BYTE* block = static_cast<BYTE*>(work->presetCache[n]);
    for (const SettingField* f = begin; f != end; ++f) {
      if (!IsCachedField(*f)) continue;
      const DWORD size = FieldSizeOf(f->type);
      const BYTE* value = GetFieldAddress(context, f);
      if (value) std::memcpy(block, value, size);
      else std::memset(block, 0, size);
      block += size;
    }
    return 0;
  }
  const BYTE* block = static_cast<const BYTE*>(work->presetCache[n]);
  if (!block) return 0;
  for (const SettingField* f = begin; f != end; ++f) {
    if (!IsCachedField(*f)) continue;
    const DWORD size = FieldSizeOf(f->type);
    BYTE* value = GetFieldAddress(context, f);
    if (value) {
      const DWORD code = FieldCodeOf(f->type);
      if (IsBitFieldCode(code) && (size == 1 || size == 2 || size == 4)) {
        DWORD stored = 0;
        DWORD current = 0;
        std::memcpy(&stored, block, size);
        std::memcpy(&current, value, size);
        const DWORD bit = 1u << (code - FT_FIRST_BIT);
        current = (stored & bit) ? (current | bit) : (current & ~bit);
        std::memcpy(value, &current, size);
      } else {
        std::memcpy(value, block, size);
      }
    }
    block += size;
  }
  return 1;
}

void ApplyPresetByKey(DriverContext* context, const WCHAR* key) {
  if (!context || !context->work || !key) return;
  // The settings API loads the preset's file every time and leaves a refused file refused
  // (no fall-back to the first preset, no warning) and the preset name and comment as they are.
  const bool settingsApi = IsSettingsApiBuild();
  if (!settingsApi && UpdatePresetChangeCache(context, key, PCC_APPLY) == 1) return;
  WCHAR file[kPathChars];
  ReadKey(context, key, file, kPathChars);
  SetSettingsFileStatus(context, SFS_OK);
  WCHAR first[kPathChars];
  FileOfPreset(context, 0, first);
  LoadSettingsFile(context->hPrinter, file[0] ? file : first, SFT_PRESET | SFT_QUIET, context);
  bool warn = false;
  if (!settingsApi && GetSettingsFileStatus(context) != SFS_OK) {
    warn = true;
    WriteKey(context, key, u"");
    SetSettingsFileStatus(context, SFS_OK);
    LoadSettingsFile(context->hPrinter, first, SFT_PRESET, context);
  }
  if (!settingsApi) LoadNameAndComment(context, key);
  FinishPresetApply(context, key);
  if (warn) ShowWarningWithText(context, nullptr, MSG_SETTINGS_HEADER_MISMATCH, GetPrinterSectionName(context));
  NotifyModules(context, kEventPresetApplied, nullptr);
}

void ApplyPresetByIndex(DriverContext* context, int n) {
  if (!context) return;
  if (n < 0 || n >= kMaxPresets) {
    if (IsSettingsApiBuild()) return;  // the settings API leaves name and comment as they are
    static const WCHAR empty[] = u"";
    if (SettingField* field = FindFieldById(context, fid::wdmPresetName)) SetFieldString(context, field, empty);
    if (SettingField* field = FindFieldById(context, fid::wdmPresetComment)) SetFieldString(context, field, empty);
    return;
  }
  WCHAR key[kPresetKeyChars];
  MakePresetKey(key, n, PRESET_KEY_FILE);
  ApplyPresetByKey(context, key);
}

void ApplyShippedPreset(DriverContext* context, int n) {
  if (!context || !context->work || n < 0 || n >= kMaxPresets) return;
  WCHAR key[kPresetKeyChars];
  MakePresetKey(key, n, PRESET_KEY_FILE);
  WCHAR file[kPathChars];
  ReadKey(context, key, file, kPathChars);
  SetSettingsFileStatus(context, SFS_OK);
  if (!file[0]) return;
  // The file's own name, then its extension replaced by "ksd".
  const WCHAR* name = file;
  for (const WCHAR* p = file; *p; ++p)
    if (*p == u'\\' || *p == u'/') name = p + 1;
  const WCHAR* dot = nullptr;
  for (const WCHAR* p = name; *p; ++p)
    if (*p == u'.') dot = p;
  if (!dot) return;
  WCHAR companion[kCompanionChars];
  const DWORD dirChars = GetSettingsDir(companion, kCompanionChars, context);
  if (dirChars == 0 || dirChars >= kCompanionChars) return;
  std::size_t at = 0;
  while (companion[at]) ++at;
  const std::size_t stem = static_cast<std::size_t>(dot - name) + 1;
  if (at + 1 + stem + 3 + 1 > kCompanionChars) return;
  companion[at++] = u'\\';
  for (std::size_t i = 0; i < stem; ++i) companion[at++] = name[i];
  for (const WCHAR* ext = u"ksd"; *ext; ++ext) companion[at++] = *ext;
  companion[at] = 0;
  if (GetFileAttributesW(companion) == INVALID_FILE_ATTRIBUTES) return;
  if (UpdatePresetChangeCache(context, key, PCC_APPLY) == 1) return;

  WorkArea* work = context->work;
  WCHAR saved[kPathChars];
  std::memcpy(saved, work->printerName, sizeof saved);
  const WCHAR* language = GetLanguageCode(context);
  std::size_t i = 0;
  for (; language && language[i] && i + 1 < kPathChars; ++i) work->printerName[i] = language[i];
  work->printerName[i] = 0;
  LoadSettingsFile(context->hPrinter, companion, SFT_PRESET | SFT_QUIET, context);
  std::memcpy(work->printerName, saved, sizeof saved);

  LoadNameAndComment(context, key);
  FinishPresetApply(context, key);
  NotifyModules(context, kEventPresetApplied, nullptr);
}

void SavePresetByKey(DriverContext* context, const WCHAR* key) {
  if (!context || !context->work || !key) return;
  WCHAR file[kPathChars];
  ReadKey(context, key, file, kPathChars);
  SaveSettingsFile(context->hPrinter, file, SFT_PRESET, context);
  WCHAR suffixed[kPresetKeyChars];
  WCHAR text[kNameChars];
  SettingField* field = FindFieldById(context, fid::wdmPresetName);
  if (field && AppendKeySuffix(suffixed, kPresetKeyChars, key, u"Name") &&
      GetFieldString(context, field, text, kNameChars))
    WriteKey(context, suffixed, text);
  field = FindFieldById(context, fid::wdmPresetComment);
  if (field && AppendKeySuffix(suffixed, kPresetKeyChars, key, u"Comment") &&
      GetFieldString(context, field, text, kNameChars))
    WriteKey(context, suffixed, text);
  UpdatePresetChangeCache(context, nullptr, PCC_FREE);
}

void SavePresetByIndex(DriverContext* context, int n) {
  if (n < 0 || n >= kMaxPresets) return;
  WCHAR key[kPresetKeyChars];
  MakePresetKey(key, n, PRESET_KEY_FILE);
  SavePresetByKey(context, key);
}

void SavePresetFileByIndex(DriverContext* context, int n) {
  if (!context || !context->work || n < 0 || n >= kMaxPresets) return;
  WCHAR file[kPathChars];
  FileOfPreset(context, n, file);
  SaveSettingsFile(context->hPrinter, file, SFT_PRESET, context);
  UpdatePresetChangeCache(context, nullptr, PCC_FREE);
}

BOOL IsSettingFileWritable(DriverContext* context, const WCHAR* file) {
  if (!context || !context->work || !file) return TRUE;
  return ReadIniInt(GetPrinterSectionName(context), u"Readonly", 0, file) == 1 ? FALSE : TRUE;
}

BOOL IsPresetWritable(DriverContext* context, int n) {
  if (!context || !context->work || n < 0 || n >= kMaxPresets) return FALSE;
  WCHAR file[kPathChars];
  FileOfPreset(context, n, file);
  return IsSettingFileWritable(context, file);
}

void MakeNewUserSettingFileName(DriverContext* context, WCHAR* destination) {
  if (!destination) return;
  destination[0] = 0;
  if (!context || !context->work) return;
  WCHAR directory[kPathChars];
  const bool perUser = IsTerminalServer(context->hPrinter) && !(context->work->kind & CTXK_INSTALLING);
  const DWORD chars = perUser ? GetUserSettingsDir(directory, kPathChars, context)
                              : GetSettingsDir(directory, kPathChars, context);
  if (chars == 0 || chars >= kPathChars) return;
  std::size_t at = 0;
  while (directory[at]) ++at;
  constexpr std::size_t kNameLength = 13;  // "\user0000.kst"
  if (at + kNameLength + 1 > kPathChars) return;
  const WCHAR* section = GetPrinterSectionName(context);
  for (int number = 0; number <= 9999; ++number) {
    char name[16];
    std::snprintf(name, sizeof name, "\\user%04d.kst", number);
    std::size_t i = 0;
    for (; i < at; ++i) destination[i] = directory[i];
    for (std::size_t j = 0; name[j]; ++j) destination[i++] = static_cast<WCHAR>(name[j]);
    destination[i] = 0;
    WCHAR machine[8];
    if (ReadIniString(section, u"KstMachine", u"", machine, 8, destination) == 0) return;
  }
}

void EnsurePresetFileName(DriverContext* context, int n) {
  if (!context || !context->work || n < 0 || n >= kMaxPresets) return;
  WCHAR key[kPresetKeyChars];
  MakePresetKey(key, n, PRESET_KEY_FILE);
  WCHAR* file = context->work->scratchText;
  ReadKey(context, key, file, kPathChars);
  std::size_t length = 0;
  while (file[length]) ++length;
  const bool perUserCopy = length >= 3 && (file[length - 1] == u'r' || file[length - 1] == u'R');
  if (length != 0 && !perUserCopy) return;
  MakeNewUserSettingFileName(context, file);
  if (file[0]) WriteKey(context, key, file);
}

void RewritePresetFiles(DriverContext* context) {
  if (!context || !context->work || !context->settings) return;
  PushSettingsSnapshot(context);
  const int count = GetPresetCount(context);
  for (int i = 0; i < count && i < kMaxPresets; ++i) {
    WCHAR file[kPathChars];
    FileOfPreset(context, i, file);
    WCHAR readonly[kReadonlyChars] = {};
    bool remembered = false;
    if (file[0]) {
      ReadIniString(GetPrinterSectionName(context), u"Readonly", u"", readonly, kReadonlyChars, file);
      remembered = readonly[0] != 0;
    }
    ApplyShippedPreset(context, i);
    ApplyPresetByIndex(context, i);
    SavePresetByIndex(context, i);
    if (remembered) WriteIniString(GetPrinterSectionName(context), u"Readonly", readonly, file);
  }
  PopSettingsSnapshot(context, 1);
}

void ReadChapterLimits(DriverContext* context) {
  const WCHAR* ini = nullptr;
  const WCHAR* section = nullptr;
  if (!UserListLocation(context, ini, section) || !context->settings) return;
  WriteFieldRawById(context, fid::wdmChapterMax, static_cast<DWORD>(ReadIniInt(section, u"ChapterMax", 0, ini)));
  WriteFieldRawById(context, fid::wdmChapterTrayMax,
                    static_cast<DWORD>(ReadIniInt(section, u"ChapterTrayMax", 0, ini)));
}
