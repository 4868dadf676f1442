#include "settings_snapshots.h"

#include <cstring>

#include "fields/devmode_header.h"
#include "base/driver_context.h"
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

// PENDING: ChapterListService, of the settings file, preset and chapter page items, runs the
// colour-profile operations (0 count, 1 select and name). Until it comes it fails (0), so
// the count is 0 and no profile is selected.
int ChapterListService(DriverContext*, DWORD, std::int32_t, void*) { return 0; }

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
