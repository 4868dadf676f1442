#include "model/field_checks.h"

#include "context/devmode_defaults.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "context/settings_api_rules.h"
#include "fields/value_maps.h"
#include "field_ids.h"
#include "model/option_lookup.h"
#include "model/rule_eval.h"

namespace {

// Items of one option are bounded by the reader; a list longer than this is a broken image.
constexpr DWORD kMaxListWalk = 65536;

bool IsListType(WORD t) {
  return t == OPTTYPE_PICKONE || t == OPTTYPE_PICKMANY || t == OPTTYPE_PICKPAGE || t == OPTTYPE_PICKSLOT;
}

DWORD MergeFlags(DriverContext* context) { return context && context->work ? context->work->mergeFlags : 0; }

// The switch setting that enables a value field, or 0.
WORD SwitchOf(WORD id) {
  switch (id) {
    case fid::kdmDuplexType: return fid::kdmFuncSelectDuplex;
    case fid::kdmPunchType: return fid::kdmFuncSelectPunch;
    case fid::kdmStapleType: return fid::kdmFuncSelectStaple;
    case fid::kdmFoldType: return fid::kdmFuncSelectFold;
    case fid::kdmCopyProtectTileMask: return fid::kdmCopyProtectFuncSelectMaskPattern;
    default: return 0;
  }
}

bool IsColorMatchingField(WORD id) {
  return id == fid::kdmColorMatchingMode || id == fid::wdmColorMatchingText || id == fid::wdmColorMatchingLine ||
         id == fid::wdmColorMatchingImage;
}

// The option of a setting is available: it exists and is neither disabled nor hidden.
bool IsOptionAvailable(ImageRef option, DriverContext* context) {
  return option && !IsItemDisabled(option, 0, context) && !IsItemHidden(option, 0, context);
}

// The N-up rule: kdmNUPPOSTKind follows the kind of the chosen kdmNUPType, and a disabled
// N-up type falls back to the kind's first layout.
void ApplyNupRule(DriverContext* context, ImageRef option, DWORD raw, DWORD checked) {
  ImageRef nupSwitch = GetOptionForFeature(fid::kdmFuncSelectNup, context);
  if (!IsOptionAvailable(nupSwitch, context) || ReadFieldRawById(context, fid::kdmFuncSelectNup) == 0) return;
  const DWORD h = ReadFieldRawById(context, fid::kdmNUPPOSTKind);
  const int k = MapNupTypeToKind(raw);
  const bool portrait = ReadFieldRawById(context, fid::dmOrientation) == 1;
  const DWORD o = portrait ? 1 : 3;
  auto disabled = [&] { return IsItemDisabled(option, static_cast<WORD>(checked), context) != 0; };
  auto otherKind = [&] {
    if (k == 0) return;
    WriteFieldRawById(context, fid::kdmNUPPOSTKind, static_cast<DWORD>(k));
    if (k == 1) WriteFieldRawById(context, fid::kdmNUPType, o);
  };
  switch (h) {
    case 1:
      if (static_cast<DWORD>(k) == h) {
        if (disabled()) WriteFieldRawById(context, fid::kdmNUPType, o);
      } else if (k != 0) {
        WriteFieldRawById(context, fid::kdmNUPPOSTKind, static_cast<DWORD>(k));
      }
      break;
    case 2:
    case 3:
    case 4:
    case 9:
      if (static_cast<DWORD>(k) != h) otherKind();
      break;
    case 10:
      if (static_cast<DWORD>(k) == h) {
        if (disabled()) WriteFieldRawById(context, fid::kdmNUPType, portrait ? 161 : 163);
      } else {
        otherKind();
      }
      break;
    case 11:
      if (static_cast<DWORD>(k) == h) {
        if (disabled()) WriteFieldRawById(context, fid::kdmNUPType, portrait ? 129 : 130);
      } else {
        otherKind();
      }
      break;
    default:
      break;
  }
}

// Step 3 of the field check for kdmPresetNo: a preset number of 0-127, or 255 in the low
// byte, stays; any other is reset to option value 0.
void CheckPresetNumber(DriverContext* context, DWORD value) {
  const DWORD number = PresetNumberOf(value);
  if (number <= 127 || (number & 0xFF) == 0xFF) return;
  SetFieldValueById(context, fid::kdmPresetNo, 0);
}

// The value checked against a list option: the option value through the field's map.
// False when the value is not acceptable to the map at all.
bool MapListValue(DriverContext* context, SettingField* field, DWORD value, DWORD* checked, DWORD* v) {
  if (GetActiveValueMap(context, field)) {
    *v = RawToOptionIndex(context, field, value);
    if (*v == value && !IsRawValueMapped(context, field, value)) return false;
    *checked = *v;
  } else {
    *checked = value;
    *v = 0;
  }
  return true;
}

}  // namespace

WORD OptionTypeOf(ImageRef option) { return option ? static_cast<WORD>(OptionRawType(option) & OPTTYPE_MARKS_OFF) : 0; }

bool GetNumericBounds(ImageRef option, std::int32_t* minimum, std::int32_t* maximum) {
  if (!option || OptionTypeOf(option) != OPTTYPE_NUMERIC) return false;
  ImageRef values = OptionValues(option);
  if (!values) return false;
  // The value record: six 16-bit numbers, then default, minimum and maximum (i32).
  if (minimum) *minimum = static_cast<std::int32_t>(values.U32(16));
  if (maximum) *maximum = static_cast<std::int32_t>(values.U32(20));
  return true;
}

int OptionListContains(ImageRef items, DWORD value) {
  DWORD walked = 0;
  for (ImageRef it = items; it && walked < kMaxListWalk; it = ItemNext(it), ++walked) {
    if (static_cast<DWORD>(ItemValueId(it)) == value) return 1;
  }
  return 0;
}

int IsBooleanValue(DWORD value) { return value <= 1 ? 1 : 0; }

int IsInNumericRange(ImageRef valueRecord, DWORD value) {
  if (!valueRecord) return 0;
  const auto minimum = static_cast<std::int32_t>(valueRecord.U32(16));
  const auto maximum = static_cast<std::int32_t>(valueRecord.U32(20));
  const auto v = static_cast<std::int32_t>(value);
  return minimum <= v && v <= maximum ? 1 : 0;
}

int MapNupTypeToKind(DWORD value) {
  switch (value) {
    case 1: case 2: case 3: return 1;
    case 33: case 34: case 37: case 38: return 2;
    case 65: case 66: case 69: case 70: return 3;
    case 97: case 98: case 101: case 102: return 4;
    case 32769: case 32770: case 32771: return 9;
    case 161: case 162: case 163: case 164: return 10;
    case 129: case 130: return 11;
    default: return 0;
  }
}

DWORD PresetNumberOf(DWORD value) {
  // kdmPresetNo is one signed byte; its value is the byte as stored, read without sign.
  const DWORD b = value & 0xFF;
  if (b >= kPresetValueBase && b <= kPresetValueBase + 15) return b - kPresetValueBase;
  if (b == kPresetValueBase - 1) return 255;
  return b;
}

int CheckOptionValue(SettingField* field, WORD id, DWORD value, DriverContext* context, ImageRef option) {
  if (IsSettingsApiOnlyValue(id, value)) return OPTION_VALID;
  const WORD t = OptionTypeOf(option);
  if (IsListType(t)) {
    DWORD checked = 0, v = 0;
    if (!MapListValue(context, field, value, &checked, &v)) return OPTION_INVALID;
    ImageRef items = option ? OptionValues(option) : ImageRef{};
    if (!option || !items) return v != 0 ? OPTION_VALID : OPTION_INVALID;
    if (!OptionListContains(items, checked)) return OPTION_INVALID;
    const WORD valueId = static_cast<WORD>(checked);
    if (id == fid::kdmNUPType) {
      ApplyNupRule(context, option, value, checked);
      return OPTION_VALID;
    }
    if (const WORD switchId = SwitchOf(id)) {
      ImageRef switchOption = GetOptionForFeature(switchId, context);
      if (!IsOptionAvailable(switchOption, context)) return OPTION_VALID;
      if (ReadFieldRawById(context, switchId) != 0 && IsItemDisabled(option, valueId, context)) return OPTION_DISABLED;
      return OPTION_VALID;
    }
    if (IsColorMatchingField(id) && value >= 200 && value <= 215) return OPTION_VALID;
    if (IsItemDisabled(option, valueId, context)) return OPTION_DISABLED;
    if (IsItemHidden(option, valueId, context)) return OPTION_HIDDEN;
    return OPTION_VALID;
  }
  if (t == OPTTYPE_BOOLEAN) return IsBooleanValue(value) ? OPTION_VALID : OPTION_INVALID;
  if (t == OPTTYPE_NUMERIC) return IsInNumericRange(OptionValues(option), value) ? OPTION_VALID : OPTION_INVALID;
  return OPTION_VALID;
}

int CheckOptionValueSimple(SettingField* field, WORD id, DWORD value, DriverContext* context) {
  ImageRef option = GetOptionForFeature(id, context);
  const WORD t = OptionTypeOf(option);
  if (IsListType(t)) {
    DWORD checked = 0, v = 0;
    if (!MapListValue(context, field, value, &checked, &v)) return OPTION_INVALID;
    ImageRef items = OptionValues(option);
    if (!option || !items) return v != 0 ? OPTION_VALID : OPTION_INVALID;
    if (!OptionListContains(items, checked)) return OPTION_INVALID;
    return IsItemDisabled(option, static_cast<WORD>(checked), context) ? OPTION_INVALID : OPTION_VALID;
  }
  if (t == OPTTYPE_BOOLEAN) return IsBooleanValue(value) ? OPTION_VALID : OPTION_INVALID;
  if (t == OPTTYPE_NUMERIC) return IsInNumericRange(OptionValues(option), value) ? OPTION_VALID : OPTION_INVALID;
  return OPTION_VALID;
}

int CheckFieldValue(WORD id, DWORD value, DriverContext* context) {
  SettingField* field = FindFieldById(context, id);
  if (!field || field->itemId == 0) return FIELD_UNDESCRIBED;
  ImageRef option = GetOptionForFeature(id, context);
  if (!option) return FIELD_NO_OPTION;
  const int r = CheckOptionValue(field, id, value, context, option);
  if (r == OPTION_VALID || r == OPTION_HIDDEN) return FIELD_VALID;
  if (id == fid::kdmPresetNo) {
    CheckPresetNumber(context, value);
    return FIELD_VALID;
  }
  const DWORD flags = MergeFlags(context);
  if (r == OPTION_DISABLED && (flags & MERGE_KEEP_DISABLED)) return FIELD_VALID;
  if (flags & MERGE_CLAMP_SCALE) {
    ClampOrDefaultField(context, field, id, value);
  } else {
    SetFieldToModelDefault(context, field);
  }
  return FIELD_VALID;
}

int CheckFieldValueSimple(WORD id, DWORD value, DriverContext* context) {
  SettingField* field = FindFieldById(context, id);
  if (!field || field->itemId == 0) return FIELD_UNDESCRIBED;
  ImageRef option = GetOptionForFeature(id, context);
  if (!option || OptionRawType(option) == OPTTYPE_UNKNOWN_ONLY) return FIELD_NO_OPTION;
  if (CheckOptionValueSimple(field, id, value, context) == OPTION_VALID) return FIELD_VALID;
  if (GetActiveValueMap(context, field) && (OptionRawType(option) & 0x3)) {
    return IsRawValueMapped(context, field, value) ? FIELD_VALID : 0;
  }
  if (id == fid::kdmPresetNo) {
    CheckPresetNumber(context, value);
  } else {
    SetFieldToModelDefault(context, field);
  }
  return FIELD_VALID;
}

int IsFieldValueAcceptableSimple(WORD id, DWORD value, DriverContext* context) {
  SettingField* field = FindFieldById(context, id);
  if (!field || field->itemId == 0) return FIELD_UNDESCRIBED;
  ImageRef option = GetOptionForFeature(id, context);
  if (!option || OptionRawType(option) == OPTTYPE_UNKNOWN_ONLY) return FIELD_NO_OPTION;
  const int r = CheckOptionValueSimple(field, id, value, context);
  return (r == OPTION_VALID || r == OPTION_HIDDEN) ? 1 : 0;
}

void ClampOrDefaultField(DriverContext* context, SettingField* field, WORD id, DWORD value) {
  if (!field) return;
  if (id == fid::kdmScaleH || id == fid::kdmScaleV) {
    std::int32_t minimum = 0, maximum = 0;
    if (GetNumericBounds(GetOptionForFeature(id, context), &minimum, &maximum)) {
      const auto v = static_cast<std::int32_t>(value);
      if (v < minimum) {
        SetFieldValue(context, field, static_cast<DWORD>(minimum));
        return;
      }
      if (v > maximum) {
        SetFieldValue(context, field, static_cast<DWORD>(maximum));
        return;
      }
    }
  }
  SetFieldToModelDefault(context, field);
}
