// Importing shipped settings files and their conditions.
#include "stored/setting_import.h"

#include <cstdio>
#include <cstring>

#include "fields/change_flags.h"
#include "fields/dictionary_lookup.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "base/file_ops.h"
#include "base/file_names.h"
#include "base/ini_files.h"
#include "base/ini_section_copy.h"
#include "fields/locale_text.h"
#include "base/memory.h"
#include "base/paths_and_names.h"
#include "fields/product_record.h"
#include "base/settings_dirs.h"
#include "stored/snapshot_ring.h"
#include "base/system_checks.h"
#include "base/wide_text.h"
#include "field_ids.h"
#include "model/model_names.h"
#include "model/option_lookup.h"
#include "model/rule_eval.h"
#include "stored/list_sections.h"
#include "stored/settings_file.h"
#include "stored/settings_load_save.h"
#include "win/kernel.h"
#include "win/profile.h"

namespace {

constexpr WCHAR kConditionSection[] = u"condition";
constexpr WCHAR kDisableSection[] = u"disable";
constexpr WCHAR kReadonlyKey[] = u"Readonly";
constexpr DWORD kSectionCopyChars = 30720;

// a + b + c into out (capacity characters); false and empty when it does not fit.
bool Concat(WCHAR* out, DWORD capacity, const WCHAR* a, const WCHAR* b, const WCHAR* c = u"") {
  const std::size_t la = WideLength(a), lb = WideLength(b), lc = WideLength(c);
  if (la + lb + lc + 1 > capacity) {
    if (capacity) out[0] = 0;
    return false;
  }
  WCHAR joined[MAX_PATH * 2];
  if (la + lb + lc + 1 > sizeof joined / sizeof joined[0]) {
    out[0] = 0;
    return false;
  }
  std::memcpy(joined, a, la * sizeof(WCHAR));
  std::memcpy(joined + la, b, lb * sizeof(WCHAR));
  std::memcpy(joined + la + lb, c, lc * sizeof(WCHAR));
  joined[la + lb + lc] = 0;
  std::memcpy(out, joined, (la + lb + lc + 1) * sizeof(WCHAR));
  return true;
}

bool StartsWithNoCase(const WCHAR* text, const char* prefix) {
  for (std::size_t i = 0; prefix[i]; ++i) {
    WCHAR c = text[i];
    if (c >= u'A' && c <= u'Z') c = static_cast<WCHAR>(c - u'A' + u'a');
    char p = prefix[i];
    if (p >= 'A' && p <= 'Z') p = static_cast<char>(p - 'A' + 'a');
    if (c != static_cast<WCHAR>(p)) return false;
  }
  return true;
}

// Replaces the target's section with the source's whole section (a source without one
// leaves the target without one). A section too large to copy whole leaves the target as it
// was and answers false.
bool ReplaceSection(const WCHAR* target, const WCHAR* source, const WCHAR* section) {
  const int copied = CopyIniSection(source, section, target, section, kSectionCopyChars);
  if (copied == kSectionAbsent) WriteIniString(section, nullptr, nullptr, target);
  return copied >= 0;
}

// The file's name with its extension replaced, joined to the directory.
bool CompanionPath(const WCHAR* directory, const WCHAR* file, const WCHAR* extension, WCHAR* destination) {
  destination[0] = 0;
  if (!directory || !directory[0] || !file || !file[0]) return false;
  WCHAR named[MAX_PATH] = {};
  if (!ChangeExtension(named, FindFileName(file), extension)) return false;
  return JoinPath(destination, MAX_PATH, directory, named) != 0;
}

bool PerUserSettings(DriverContext* context) {
  return IsTerminalServer(context->hPrinter) && !(context->work->kind & CTXK_INSTALLING);
}

// The settings section of a file: the printer section for a per-user copy, the language
// section for a shipped file.
const WCHAR* SettingsSectionOf(const WCHAR* file, DriverContext* context, bool* known) {
  INT length = 0;
  const WCHAR* extension = FindExtension(file, &length);
  *known = true;
  if (extension && length == 3 && StartsWithNoCase(extension, "ksr")) return GetPrinterSectionName(context);
  if (extension && length == 3 && StartsWithNoCase(extension, "ksd")) return ListLanguageSection(context);
  *known = false;
  return nullptr;
}

struct ModelConditions {
  DriverContext* context;
  ImageRef option;
};

int ModelTokenValue(const char* token, void* data) {
  auto* conditions = static_cast<ModelConditions*>(data);
  WORD valueId = 0;
  if (!FindValueIdByName(token, &valueId)) return -1;
  return IsItemDisabled(conditions->option, valueId, conditions->context) ? 1 : 0;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

int ImportSettingFile(const WCHAR* target, const WCHAR* source, DWORD flags, DriverContext* context) {
  if (!context || !context->work || !context->settings || !target || !target[0] || !source || !PathExists(source))
    return 0;
  if (!ReplaceSection(target, source, kConditionSection) || !ReplaceSection(target, source, kDisableSection))
    return 0;
  PushSettingsSnapshot(context);
  LoadSettingsFile(context->hPrinter, source, flags | SFT_IMPORT, context);
  const int result = SaveSettingsFile(context->hPrinter, target, flags | SFT_IMPORT, context);
  WCHAR readonly[16] = {};
  ReadIniString(ListLanguageSection(context), kReadonlyKey, u"", readonly, 16, source);
  if (readonly[0]) WriteIniString(GetPrinterSectionName(context), kReadonlyKey, readonly, target);
  PopSettingsSnapshot(context, 1);
  return result;
}

BOOL HasSettingFileVersion(const WCHAR* file, DriverContext* context) {
  if (!context || !context->work || !file || !file[0]) return FALSE;
  WCHAR value[16] = {};
  ReadIniString(GetPrinterSectionName(context), u"KstVersion", u"", value, 16, file);
  return value[0] ? TRUE : FALSE;
}

BOOL IsIniKeySet(const WCHAR* file, const WCHAR* section, const WCHAR* key) {
  if (!file || !section || !key) return FALSE;
  const INT value = ReadIniInt(section, key, 0x7FFF, file);
  return value != 0x7FFF && value != 0 ? TRUE : FALSE;
}

BOOL WriteIniInt(const WCHAR* file, const WCHAR* section, int value, const WCHAR* key) {
  if (!file || !section || !key) return FALSE;
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  WCHAR wide[16] = {};
  for (int i = 0; text[i]; ++i) wide[i] = static_cast<WCHAR>(text[i]);
  return WriteIniString(section, key, wide, file);
}

BOOL ExpandPathMacros(WCHAR* path, DWORD capacity, int mode, DriverContext* context) {
  if (!path || capacity == 0 || !context || !context->work) return FALSE;
  if (path[0] && path[1] == u':') return TRUE;
  const std::size_t length = WideLength(path);
  const bool windir = StartsWithNoCase(path, "%windir%");
  const bool sysdir = StartsWithNoCase(path, "%sysdir%");
  const bool parent = StartsWithNoCase(path, "..\\");
  const bool here = StartsWithNoCase(path, ".\\");
  if ((windir || sysdir || parent || here) && length >= MAX_PATH) {
    path[0] = 0;
    return FALSE;
  }
  WCHAR original[MAX_PATH * 2] = {};
  if (length + 1 > sizeof original / sizeof original[0]) {
    path[0] = 0;
    return FALSE;
  }
  std::memcpy(original, path, (length + 1) * sizeof(WCHAR));
  const bool settingsMode = mode == 1 && IsNt5OrLater();
  WCHAR directory[MAX_PATH] = {};
  if (parent) {
    WCHAR resolved[MAX_PATH] = {};
    ResolveParentRelativePath(resolved, MAX_PATH, original);
    Concat(path, capacity, resolved, u"");
  } else if (windir) {
    if (settingsMode) {
      Concat(path, capacity, GetDriverDirectory(context), original + 8);
    } else if (GetSystemWindowsDir(directory, MAX_PATH)) {
      Concat(path, capacity, directory, u"\\", original + 8);
    } else {
      path[0] = 0;
    }
  } else if (sysdir) {
    const DWORD got = settingsMode ? GetSettingsDir(directory, MAX_PATH, context) : GetSystemDir(directory, MAX_PATH);
    if (got && got < MAX_PATH) Concat(path, capacity, directory, u"\\", original + 8);
    else path[0] = 0;
  } else {
    const WCHAR* name = here ? original + 2 : original;
    if (settingsMode) {
      Concat(path, capacity, GetDriverDirectory(context), name);
    } else {
      const UINT got = GetSystemDir(directory, MAX_PATH);
      if (got && got < MAX_PATH) Concat(path, capacity, directory, u"\\", name);
      else path[0] = 0;
    }
  }
  return path[0] ? TRUE : FALSE;
}

BOOL ExpandAndCheckSettingFile(WCHAR* path, DWORD capacity, DriverContext* context) {
  if (!ExpandPathMacros(path, capacity, 1, context)) return FALSE;
  return HasShortExtension(path);
}

BOOL MakeUserCopyPath(const WCHAR* file, WCHAR* destination, DriverContext* context) {
  if (!destination) return FALSE;
  destination[0] = 0;
  if (!context || !context->work) return FALSE;
  WCHAR directory[MAX_PATH] = {};
  const DWORD got = PerUserSettings(context) ? GetUserSettingsDir(directory, MAX_PATH, context)
                                             : GetSettingsDir(directory, MAX_PATH, context);
  if (!got || got >= MAX_PATH) return FALSE;
  return CompanionPath(directory, file, u"ksr", destination) ? TRUE : FALSE;
}

BOOL MakeQualityFilePath(const WCHAR* file, WCHAR* destination, DriverContext* context) {
  if (!destination) return FALSE;
  destination[0] = 0;
  WCHAR root[MAX_PATH] = {};
  const DWORD got = context ? GetSettingsRoot(root, MAX_PATH, context) : 0;
  if (!got || got >= MAX_PATH) return FALSE;
  return CompanionPath(root, file, u"ksq", destination) ? TRUE : FALSE;
}

BOOL MakeDefaultFilePath(const WCHAR* file, WCHAR* destination, DriverContext* context) {
  if (!destination) return FALSE;
  destination[0] = 0;
  WCHAR root[MAX_PATH] = {};
  const DWORD got = context ? GetSettingsRoot(root, MAX_PATH, context) : 0;
  if (!got || got >= MAX_PATH) return FALSE;
  return CompanionPath(root, file, u"ksd", destination) ? TRUE : FALSE;
}

int NextConditionToken(const char* text, char* token, int tokenChars, bool* negate, char* connector, bool* tooLong) {
  int at = 0;
  *negate = false;
  *connector = 0;
  if (tooLong) *tooLong = false;
  if (tokenChars > 0) token[0] = 0;
  if (!text) return 0;
  while (IsBlank(text[at])) ++at;
  if (text[at] == '!') {
    *negate = true;
    ++at;
  }
  int n = 0;
  bool overflow = false;
  while (text[at] && !IsBlank(text[at]) && text[at] != '|' && text[at] != '&') {
    if (n + 1 < tokenChars) token[n++] = text[at];
    else overflow = true;
    ++at;
  }
  if (tokenChars > 0) token[overflow ? 0 : n] = 0;
  if (overflow && tooLong) *tooLong = true;
  while (IsBlank(text[at])) ++at;
  if (text[at] == '|' || text[at] == '&') *connector = text[at++];
  return at;
}

int EvaluateConditionExpression(const char* text, bool carried, ConditionTokenValueFn value, void* data) {
  if (!text || !value) return carried ? 1 : 0;
  bool result = carried;
  char previous = '&';
  int at = 0;
  char token[kConditionTextChars];
  for (int guard = 0; guard < kConditionTextChars; ++guard) {
    bool negate = false, tooLong = false;
    char connector = 0;
    const int used = NextConditionToken(text + at, token, kConditionTextChars, &negate, &connector, &tooLong);
    if (tooLong) return -1;
    if (!token[0]) break;
    at += used;
    if (!(result && previous == '|')) {
      const int v = value(token, data);
      if (v < 0) return -1;
      result = negate ? v == 0 : v != 0;
    }
    if (!result && connector == '&') return 0;
    previous = connector == '|' ? '|' : '&';
  }
  return result ? 1 : 0;
}

bool EvaluateConditionGroups(const WCHAR* file, ConditionTokenValueFn value, void* data) {
  bool result = true;
  for (int a = 0; a <= 9 && result; ++a) {
    for (int b = 0; b <= 9; ++b) {
      WCHAR key[32];
      char narrow[32];
      std::snprintf(narrow, sizeof narrow, "ConditionOption%d_%d", a, b);
      int i = 0;
      for (; narrow[i]; ++i) key[i] = static_cast<WCHAR>(narrow[i]);
      key[i] = 0;
      WCHAR wide[kConditionTextChars] = {};
      ReadIniString(kConditionSection, key, u"", wide, kConditionTextChars - 1, file);
      if (!wide[0]) break;
      char text[kConditionTextChars * 2] = {};
      WideToAnsi(text, wide, static_cast<int>(sizeof text));
      const int held = EvaluateConditionExpression(text, result, value, data);
      if (held < 0) return false;
      result = held == 1;
      if (result) break;
    }
  }
  return result;
}

BOOL EvaluateSettingFileConditions(const WCHAR* file, DriverContext* context) {
  if (!context || !file) return FALSE;
  const ControlNameEntry* entry = FindFeatureByName("KPD_ConditionOption");
  if (!entry) return TRUE;
  const ImageRef option = FindOptionByItemId(entry->itemId, context);
  if (!option) return TRUE;
  ModelConditions conditions{context, option};
  return EvaluateConditionGroups(file, ModelTokenValue, &conditions) ? TRUE : FALSE;
}

BOOL IsSettingFileEnabled(const WCHAR* file, DriverContext* context) {
  if (!context || !context->work || !file) return FALSE;
  return ReadIniInt(kDisableSection, GetModelName(context), 0, file) != 0 ? FALSE : TRUE;
}

BOOL IsSettingFileForThisModel(const WCHAR* file, DriverContext* context) {
  if (!context || !context->work || !file) return FALSE;
  if (ReadFieldRawById(context, fid::kdmFunc2SelectTintBlockUI) == 0) return TRUE;
  const WCHAR* name = FindFileName(file);
  const WCHAR* model = GetModelName(context);
  if (!name || !model) return FALSE;
  INT extensionLength = 0;
  const WCHAR* extension = FindExtension(file, &extensionLength);
  // Everything before the last '.', or the whole name when it has none.
  const INT length = extension == name ? static_cast<INT>(WideLength(name)) : static_cast<INT>(extension - 1 - name);
  if (length <= 0) return FALSE;
  INT i = 0;
  for (; i < length && model[i]; ++i)
    if (LowerOf(name[i]) != LowerOf(model[i])) return FALSE;
  return i == length && !model[i] ? TRUE : FALSE;
}

BOOL IsFileStampFreeUnderTintBlock(const WCHAR* file, DriverContext* context) {
  if (!context || !context->work || !file) return FALSE;
  if (ReadFieldRawById(context, fid::kdmFunc2SelectTintBlockUI) == 0) return TRUE;
  bool known = false;
  const WCHAR* section = SettingsSectionOf(file, context, &known);
  if (!known) return FALSE;
  WCHAR value[16] = {};
  ReadIniString(section, u"kdmFuncSelectWaterMark", u"", value, 16, file);
  return !value[0] || (value[0] == u'0' && value[1] == 0) ? TRUE : FALSE;
}

BOOL IsSettingsFileAcceptable(const WCHAR* file, DriverContext* context) {
  if (!context || !context->work || !context->settings || !file) return FALSE;
  const DWORD size = GetSettingsBufferSize();
  auto* saved = static_cast<BYTE*>(AllocMem(size));
  if (!saved) return FALSE;
  std::memcpy(saved, context->settings, size);
  LoadSettingsFile(context->hPrinter, file, SFT_PRESET | SFT_QUIET, context);
  BOOL acceptable = TRUE;
  if (!(GetSettingsFileStatus(context) & 1)) {
    const FieldPageControlEntry* entry = FindFieldPageControlEntry(fid::kdmPresetNo);
    SettingField* field = entry ? FindFieldById(context, entry->fieldId) : nullptr;
    const ImageRef option = field ? FindOptionByItemId(field->itemId, context) : ImageRef{};
    if (option && FindActiveAlert(option, context) != 0) acceptable = FALSE;
  }
  std::memcpy(context->settings, saved, size);
  FreeMem(saved);
  return acceptable;
}
