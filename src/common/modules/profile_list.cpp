#include "modules/profile_list.h"

#include "base/dictionary_pages.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "base/ini_files.h"
#include "fields/languages.h"
#include "stored/module_services.h"
#include "base/paths_and_names.h"
#include "field_ids.h"
#include "model/option_lookup.h"
#include "modules/module_text.h"
#include "win/files.h"

namespace {

constexpr WORD kColorMatchingCombo = 2256;
constexpr int kHeaderBytes = 52;

const WCHAR* IniOf(DriverContext* context) {
  if (!context || !context->work) return nullptr;
  const WCHAR* ini = GetUserIniPath(context);
  return ini && ini[0] ? ini : nullptr;
}

const WCHAR* LanguageOf(DriverContext* context) {
  const WCHAR* code = GetLanguageCodeOfSetting(context);
  return code && code[0] ? code : u"us";
}

void ProfileSection(DriverContext* context, int i, WCHAR* section) {
  WCHAR number[16];
  FormatWide(number, 16, "ColorMatching%d", i);
  JoinWide(section, 64, number, LanguageOf(context));
}

int ReadCountKey(DriverContext* context, const WCHAR* key, int fallback) {
  const WCHAR* ini = IniOf(context);
  if (!ini) return fallback;
  return ReadIniInt(LanguageOf(context), key, fallback, ini);
}

void WriteShown(DriverContext* context, const WCHAR* name, const WCHAR* path) {
  CopyWide(context->work->profileName, kProfileTextChars, name);
  CopyWide(context->work->profilePath, kProfileTextChars, path);
}

}  // namespace

int GetProfileCount(DriverContext* context) {
  const int n = ReadCountKey(context, u"CmmCount", 0);
  return n < 0 ? 0 : (n > kMaxProfiles ? kMaxProfiles : n);
}

void SetProfileCount(DriverContext* context, int count) {
  const WCHAR* ini = IniOf(context);
  if (!ini) return;
  WCHAR text[16];
  FormatWide(text, 16, "%d", count);
  WriteIniString(LanguageOf(context), u"CmmCount", text, ini);
}

int GetProfileDefaultCount(DriverContext* context) { return ReadCountKey(context, u"CmmDefault", 4); }

int GetProfileMax(DriverContext* context) {
  const int n = ReadCountKey(context, u"CmmMax", kMaxProfiles);
  return n < 0 ? 0 : (n > kMaxProfiles ? kMaxProfiles : n);
}

void ShowProfile(DriverContext* context, int i) {
  if (!context || !context->work) return;
  if (i >= GetProfileCount(context)) i = 0;
  const WCHAR* ini = IniOf(context);
  if (i < 0 || !ini) {
    WriteShown(context, u"", u"");
    return;
  }
  WCHAR section[64], name[kProfileTextChars], path[kProfileTextChars];
  ProfileSection(context, i, section);
  ReadIniString(section, u"kdmColorMatchingMode", u"", name, kProfileTextChars, ini);
  ReadIniString(section, u"wdmColorProfilePath", u"", path, kProfileTextChars, ini);
  WriteShown(context, name, path);
}

// The shown texts belong to the context, not to a bound page, so both forms are one.
void ShowProfileInControls(DriverContext* context, int i) { ShowProfile(context, i); }

void StoreProfile(DriverContext* context, int i) {
  const WCHAR* ini = IniOf(context);
  if (!ini || i < 0 || i >= GetProfileCount(context)) return;
  WCHAR section[64];
  ProfileSection(context, i, section);
  WriteIniString(section, u"kdmColorMatchingMode", context->work->profileName, ini);
  WriteIniString(section, u"wdmColorProfilePath", context->work->profilePath, ini);
}

bool DeleteProfile(DriverContext* context, int i) {
  const int n = GetProfileCount(context);
  // -1 (no profile selected) and indexes past the list name nothing to delete.
  if (!IniOf(context) || i < 0 || i >= n) return false;
  for (int j = i; j + 1 < n; ++j) {
    ShowProfile(context, j + 1);
    StoreProfile(context, j);
  }
  SetProfileCount(context, n - 1);
  return true;
}

int ProfileIndexOfValue(DriverContext* context, DWORD value) {
  if (value < kFirstProfileValue) return -1;
  const DWORD i = value - kFirstProfileValue;
  return i < static_cast<DWORD>(GetProfileCount(context)) ? static_cast<int>(i) : -1;
}

int ProfileIndexOfField(DriverContext* context, WORD fieldId) {
  if (!FindFieldById(context, fieldId)) return -1;
  return ProfileIndexOfValue(context, ReadFieldRawById(context, fieldId));
}

// The combo's field: the one bound to it, or before the binding of the user-quality pages
// the colour-matching field that kdmAdjustMode and kdmAdjustObject make current.
SettingField* ComboField(DriverContext* context) {
  ControlRecord* combo = FindControlById(context, nullptr, kColorMatchingCombo);
  if (!combo) return nullptr;
  if (SettingField* bound = GetControlField(context, combo)) return bound;
  const WORD id = CurrentColorMatchingField(context);
  return id ? FindFieldById(context, id) : nullptr;
}

int SelectedProfileIndex(DriverContext* context) {
  SettingField* field = ComboField(context);
  if (!field) return -1;
  return ProfileIndexOfValue(context, ReadFieldRaw(context, field));
}

void SelectProfile(DriverContext* context, int i) {
  SettingField* field = ComboField(context);
  if (!field) return;
  if (i >= 0 && i < GetProfileCount(context)) {
    WriteFieldRaw(context, field, kFirstProfileValue + static_cast<DWORD>(i));
    return;
  }
  // The combo's first entry is the option's first value, which is its model default.
  SetFieldValue(context, field, GetOptionDefaultValue(field->itemId, context));
}

int IsValidProfileFile(const WCHAR* path) {
  if (!path || !path[0]) return 0;
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  BYTE header[kHeaderBytes] = {};
  DWORD read = 0;
  const BOOL ok = ReadFile(file, header, kHeaderBytes, &read, nullptr);
  CloseHandle(file);
  if (!ok || read < kHeaderBytes) return 0;
  static const struct {
    int offset;
    const char* text;
  } kChecks[] = {{4, "KCMS"}, {12, "prtr"}, {20, "RGB "}, {36, "acsp"}, {48, "VANT"}};
  for (const auto& c : kChecks)
    for (int k = 0; k < 4; ++k)
      if (header[c.offset + k] != static_cast<BYTE>(c.text[k])) return 0;
  return 1;
}

WORD CurrentColorMatchingField(DriverContext* context) {
  if (ReadFieldRawById(context, fid::kdmAdjustMode) == 0) return fid::kdmColorMatchingMode;
  switch (ReadFieldRawById(context, fid::kdmAdjustObject)) {
    case 0: return fid::wdmColorMatchingText;
    case 1: return fid::wdmColorMatchingLine;
    case 2: return fid::wdmColorMatchingImage;
    default: return 0;
  }
}

void SaveColorMatchingState(DriverContext* context) {
  if (!context || !context->work) return;
  const WORD field = CurrentColorMatchingField(context);
  static const WORD kFields[4] = {fid::kdmColorMatchingMode, fid::wdmColorMatchingText, fid::wdmColorMatchingLine,
                                  fid::wdmColorMatchingImage};
  for (int k = 0; k < 4; ++k) {
    if (kFields[k] != field) continue;
    context->work->colorMatchingMask |= static_cast<BYTE>(1u << k);
    context->work->colorMatchingValues[k] = static_cast<BYTE>(ReadFieldRawById(context, field));
  }
}

int GetShownProfilePath(DriverContext* context, WCHAR* out, int n) {
  if (!out || n <= 0) return 0;
  out[0] = 0;
  if (!context || !context->work) return 0;
  CopyWide(out, static_cast<std::size_t>(n), context->work->profilePath);
  return static_cast<int>(WideLength(out));
}

std::int32_t ComputeProfileJudgeHook(DriverContext* context, WORD id) {
  switch (id) {
    case fid::wdmJudgeHookUcf20: return SelectedProfileIndex(context) < GetProfileDefaultCount(context) ? 1 : 0;
    case fid::wdmJudgeHookUcf21: return GetProfileCount(context) >= GetProfileMax(context) ? 1 : 0;
    case fid::wdmJudgeHookUcf22: {
      if (!FindProfilePathControl(context)) return 0;
      WCHAR path[kProfileTextChars];
      GetShownProfilePath(context, path, kProfileTextChars);
      return IsValidProfileFile(path);
    }
    default: return 0;
  }
}
