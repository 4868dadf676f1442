#include "settings_snapshots.h"

#include <cstring>

#include "fields/devmode_header.h"
#include "base/dictionary_pages.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "modules/profile_list.h"
#include "fields/field_table.h"
#include "base/memory.h"
#include "base/paths_and_names.h"
#include "fields/product_record.h"
#include "base/system_checks.h"
#include "field_ids.h"
#include "stored/stamp_list.h"
#include "win/profile.h"

namespace {

// The offset of area 3 in the settings buffer when the whole area lies inside it, else 0.
DWORD WorkFieldsOffset(DriverContext* context) {
  if (!context || !context->settings) return 0;
  WORD offset = 0;
  std::memcpy(&offset, context->settings + kAreaOffsetPositions[2], 2);
  if (offset == 0 || offset + kWorkFieldsBytes > GetSettingsBufferSize()) return 0;
  return offset;
}

// The colour profiles of the profile module as the API reaches them: operation 0 writes the
// count into the first word of `out`; operation 1 selects profile `index` into the
// colour-matching fields and copies its name (the text of the field of control 2823 on page
// 4011) into `out`, which receives at most kProfileNameChars characters and their NUL, zeroed
// first. 1 when the operation ran.
// PENDING: the chapter-list operations 2 to 6 (insert, delete, clear, read an entry, compare
// lists) come with the chapter page items; until then they answer 0 and change nothing.
int ChapterListService(DriverContext* context, DWORD operation, std::int32_t index, void* out) {
  if (!context || !out) return 0;
  if (operation == 0) {
    const int count = GetProfileCount(context);
    auto* words = static_cast<WORD*>(out);
    words[0] = static_cast<WORD>(count < 0 ? 0 : (count > kMaxProfiles ? kMaxProfiles : count));
    return 1;
  }
  if (operation != 1) return 0;
  auto* name = static_cast<WCHAR*>(out);
  std::memset(name, 0, (kProfileNameChars + 1) * sizeof(WCHAR));
  ShowProfileInControls(context, index);
  PageRecord* page = FindPageById(context, 4011);
  ControlRecord* control = page ? FindControlById(context, page, 2823) : nullptr;
  if (!control || !control->field) return 1;
  WCHAR text[kProfileTextChars] = {};
  if (GetFieldString(context, control->field, text, kProfileTextChars))
    for (int i = 0; i < kProfileNameChars && text[i]; ++i) name[i] = text[i];
  return 1;
}

}  // namespace

BYTE* SnapshotDevmode(DriverContext* context) {
  if (!context || !context->settings) return nullptr;
  const DWORD size = GetTotalDevmodeSize();
  auto* copy = static_cast<BYTE*>(AllocMem(size));
  if (copy) std::memcpy(copy, context->settings, size);
  return copy;
}

void RestoreDevmodeSnapshot(DriverContext* context, BYTE* copy, int putBack) {
  if (copy && putBack && context && context->settings) std::memcpy(context->settings, copy, GetTotalDevmodeSize());
  FreeMem(copy);
}

BYTE* SnapshotWorkFields(DriverContext* context) {
  const DWORD offset = WorkFieldsOffset(context);
  if (!offset) return nullptr;
  auto* copy = static_cast<BYTE*>(AllocMem(kWorkFieldsBytes));
  if (copy) std::memcpy(copy, context->settings + offset, kWorkFieldsBytes);
  return copy;
}

void RestoreWorkFieldsSnapshot(DriverContext* context, BYTE* copy, int putBack) {
  const DWORD offset = copy && putBack ? WorkFieldsOffset(context) : 0;
  if (offset) std::memcpy(context->settings + offset, copy, kWorkFieldsBytes);
  FreeMem(copy);
}

int IsTerminalServerRestricted(DriverContext* context) {
  return !IsWin9x() && GetStateByte(context, 720) != 0 ? 1 : 0;
}

int IsRestrictedNonAdmin(DriverContext* context) {
  return IsTerminalServerRestricted(context) && GetStateByte(context, 721) == 0 ? 1 : 0;
}

std::int32_t GetProfileCountForApi(DriverContext* context) {
  WORD words[8] = {};
  if (!ChapterListService(context, 0, 0, words)) return 0;
  return words[0];
}

int GetProfileNameForApi(DriverContext* context, std::int32_t index, WCHAR* buffer) {
  return ChapterListService(context, 1, index, buffer) ? 1 : 0;
}

int HasWatermarkText(DriverContext* context) {
  if (!context) return 0;
  WCHAR section[261] = {};
  MakeStampSection(section, 256, context);
  const WCHAR* key = GetFieldName(context, fid::kdmWmKind);
  WCHAR value[8] = {};
  if (!key || !section[0]) return 0;
  GetPrivateProfileStringW(section, key, u"", value, 8, GetUserIniPath(context));
  return value[0] ? 1 : 0;
}
