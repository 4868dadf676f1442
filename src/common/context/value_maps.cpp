// Value maps: the active map of a field and the translations both ways.
#include "context/value_maps.h"

#include "context/field_access.h"
#include "context/field_table.h"
#include "model/judge_items.h"

namespace {

constexpr WORD kNupType = 92;
constexpr WORD kDuplexType = 94;
constexpr WORD kPunchType = 120;
constexpr WORD kStapleType = 121;
constexpr WORD kOrientation = 7;
constexpr WORD kPrintPaperOrientItem = 819;

const ValueMapEntry* FirstMap(const SettingField* field) {
  return field && field->side ? field->side->valueMap : nullptr;
}

bool HasSecondMap(WORD id) {
  return id == kNupType || id == kDuplexType || id == kPunchType || id == kStapleType;
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
    case kNupType:
    case kDuplexType:
      if (ReadFieldRawById(context, kOrientation) == 2) return GetSecondValueMap(field);
      break;
    case kPunchType:
    case kStapleType:
      if (ComputeJudgeItem(context, kPrintPaperOrientItem) == 1) return GetSecondValueMap(field);
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
