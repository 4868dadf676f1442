// Value maps: the active map of a field and the translations both ways.
#include "fields/value_maps.h"

#include "fields/field_access.h"
#include "fields/field_table.h"
#include "field_ids.h"
#include "fields/judge_items.h"

namespace {

const ValueMapEntry* FirstMap(const SettingField* field) {
  return field && field->side ? field->side->valueMap : nullptr;
}

bool HasSecondMap(WORD id) {
  return id == fid::kdmNUPType || id == fid::kdmDuplexType || id == fid::kdmPunchType || id == fid::kdmStapleType;
}

}  // namespace

const ValueMapEntry* GetSecondValueMap(const SettingField* field) {
  const ValueMapEntry* map = FirstMap(field);
  if (!map || !HasSecondMap(field->id)) return nullptr;
  while (map->valueId != 0) ++map;
  return map + 1;
}

const ValueMapEntry* GetActiveValueMap(DriverContext* context, const SettingField* field) {
  const ValueMapEntry* map = FirstMap(field);
  if (!map) return nullptr;
  switch (field->id) {
    case fid::kdmNUPType:
    case fid::kdmDuplexType:
      if (ReadFieldRawById(context, fid::dmOrientation) == 2) return GetSecondValueMap(field);
      break;
    case fid::kdmPunchType:
    case fid::kdmStapleType:
      if (ComputeJudgeItem(context, fid::KPD_PrintPaperOrient) == 1) return GetSecondValueMap(field);
      break;
    default:
      break;
  }
  return map;
}

DWORD RawToOptionIndex(DriverContext* context, const SettingField* field, DWORD raw) {
  const ValueMapEntry* map = GetActiveValueMap(context, field);
  if (!map) return raw;
  for (; map->valueId != 0; ++map) {
    if (map->stored == raw && map->valueId != VALUE_NOT_OFFERED) return map->valueId;
  }
  return raw;
}

DWORD OptionIndexToRaw(DriverContext* context, const SettingField* field, DWORD value) {
  const ValueMapEntry* map = GetActiveValueMap(context, field);
  if (!map) return value;
  for (; map->valueId != 0; ++map) {
    if (static_cast<WORD>(map->valueId) == static_cast<WORD>(value)) return map->stored;
  }
  return value;
}

int IsRawValueMapped(DriverContext* context, const SettingField* field, DWORD raw) {
  const ValueMapEntry* map = GetActiveValueMap(context, field);
  if (!map) return 0;
  for (; map->valueId != 0; ++map) {
    if (map->stored == raw && map->valueId != VALUE_NOT_OFFERED) return 1;
  }
  return 0;
}
