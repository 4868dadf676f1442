// The stamp list in the per-printer INI.
#include "stored/stamp_list.h"

#include <cstdio>

#include "base/driver_context.h"
#include "fields/field_access.h"
#include "base/ini_files.h"
#include "base/paths_and_names.h"
#include "stored/snapshot_ring.h"
#include "field_ids.h"
#include "model/value_sets.h"
#include "stored/list_sections.h"
#include "stored/preset_list.h"
#include "stored/settings_file.h"

namespace {

constexpr WCHAR kStampCountKey[] = u"StampCount";

int HoldCount(int n) { return n < 0 ? 0 : n > kMaxStampCount ? kMaxStampCount : n; }

}  // namespace

bool IsStampIndex(int n) { return n >= 0 && n <= kSpareStampIndex; }

int ReadStampCount(const WCHAR* file, const WCHAR* section) {
  if (!file || !file[0] || !section) return 0;
  return HoldCount(ReadIniInt(section, kStampCountKey, 0, file));
}

int GetStampCount(DriverContext* context) {
  if (!context || !context->work) return 0;
  return ReadStampCount(GetUserIniPath(context), ListLanguageSection(context));
}

int GetSharedStampCount(DriverContext* context) {
  if (!context || !context->work) return 0;
  return ReadStampCount(GetSecondIniPath(context), ListLanguageSection(context));
}

void SetStampCount(DriverContext* context, int n) {
  if (!context || !context->work) return;
  const WCHAR* ini = GetUserIniPath(context);
  if (!ini || !ini[0]) return;
  char text[16];
  std::snprintf(text, sizeof text, "%d", HoldCount(n));
  WCHAR value[16] = {};
  for (int i = 0; text[i]; ++i) value[i] = static_cast<WCHAR>(text[i]);
  WriteIniString(ListLanguageSection(context), kStampCountKey, value, ini);
}

void MakeStampSection(WCHAR* buffer, int n, DriverContext* context) { MakeListSection(buffer, "Stamp", n, context); }

int LoadStampSection(DriverContext* context, const WCHAR* section) {
  if (!context || !context->work) return 0;
  return LoadListSection(context, GetUserIniPath(context), section, SFT_STAMP);
}

int SaveStampSection(DriverContext* context, const WCHAR* section) {
  if (!context || !context->work) return 0;
  const int result = SaveListSection(context, GetUserIniPath(context), section, SFT_STAMP);
  UpdatePresetChangeCache(context, nullptr, PCC_FREE);
  return result;
}

int LoadSharedStampSection(DriverContext* context, const WCHAR* section) {
  if (!context || !context->work) return 0;
  return LoadListSection(context, GetSecondIniPath(context), section, SFT_STAMP);
}

int LoadStampSectionFromFile(DriverContext* context, const WCHAR* file, const WCHAR* section) {
  return LoadListSection(context, file, section, SFT_STAMP);
}

void ApplyStamp(DriverContext* context, int n) {
  if (!context || !context->work || !IsStampIndex(n)) return;
  WCHAR section[kListSectionChars];
  MakeStampSection(section, n, context);
  LoadStampSection(context, section);
  SetFieldValueById(context, fid::kdmWmID, static_cast<DWORD>(n));
}

void SaveStamp(DriverContext* context, int n) {
  if (!context || !context->work || !IsStampIndex(n)) return;
  if (n != kSpareStampIndex && n >= GetStampCount(context)) SetStampCount(context, n + 1);
  SetFieldValueById(context, fid::kdmWmID, static_cast<DWORD>(n));
  WCHAR section[kListSectionChars];
  MakeStampSection(section, n, context);
  SaveStampSection(context, section);
}

void DeleteStamp(DriverContext* context, int n) {
  if (!context || !context->work) return;
  const int count = GetStampCount(context);
  if (n < 0 || n >= count) return;
  PushSettingsSnapshot(context);
  SetStampCount(context, 0);
  for (int b = n + 1; b < count; ++b) {
    ApplyStamp(context, b);
    SaveStamp(context, b - 1);
  }
  PopSettingsSnapshot(context, 1);
  // The former last entry's section stays in the file, beyond the count.
  SetStampCount(context, count - 1);
  UpdatePresetChangeCache(context, nullptr, PCC_FREE);
}

void RewriteAllStamps(DriverContext* context) {
  if (!context || !context->work) return;
  const int count = GetStampCount(context);
  PushSettingsSnapshot(context);
  for (int i = 0; i < count; ++i) {
    ApplyStamp(context, i);
    SaveStamp(context, i);
  }
  PopSettingsSnapshot(context, 1);
}

void ApplyCurrentStamp(DriverContext* context) {
  if (!context || !context->work) return;
  if (ReadFieldRawById(context, fid::kdmFuncSelectWaterMark) == 0) return;
  if (!IsValueAllowedForItem(fid::kdmWmKind, ReadFieldRawById(context, fid::kdmWmKind))) return;
  ApplyStamp(context, static_cast<int>(ReadFieldRawById(context, fid::kdmWmID)));
}

void CopyStampSectionToCurrent(DriverContext* context, int n) {
  if (!context || !context->work || !IsStampIndex(n)) return;
  WCHAR section[kListSectionChars];
  MakeStampSection(section, n, context);
  LoadSharedStampSection(context, section);
}

int LoadStampFromFile(const WCHAR* file, int n, DriverContext* context) {
  if (!context || !context->work || !IsStampIndex(n)) return 0;
  WCHAR section[kListSectionChars];
  MakeStampSection(section, n, context);
  return LoadStampSectionFromFile(context, file, section);
}
