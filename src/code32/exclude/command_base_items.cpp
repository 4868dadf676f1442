#include "command_base_items.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "api_printer.h"
#include "command_base_parse.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "field_ids.h"
#include "model/option_lookup.h"
#include "model/rule_apply.h"

namespace {

// The numeric items whose value list is offered only while the scale type is "paper
// scale": the table keeps an empty value list for them, the condition lives here.
struct GatedNumber {
  WORD field;
  WORD conditionField;
  DWORD conditionValue;
};
constexpr GatedNumber kGatedNumbers[] = {
    {fid::kdmScaleV, fid::kdmScaleType, 1},
    {fid::kdmScaleH, fid::kdmScaleType, 1},
};

// The option types of a model option, low byte.
constexpr WORD kLowPickOne = 0x01;
constexpr WORD kLowBoolean = 0x04;
constexpr WORD kLowNumeric = 0x08;

std::int64_t DestinationResolution(DriverContext* context) {
  return static_cast<std::int16_t>(ReadFieldRawById(context, fid::kdmDstResolutionW));
}

// The settings fields that hold lengths (1200-dpi units, shown in the user's unit): the shift
// and binding margins and the two creep margins.
struct FieldRange {
  WORD first;
  WORD last;
};
constexpr FieldRange kLengthFields[] = {{fid::kdmShiftMarginX, fid::kdmMarginEven},
                                           {fid::kdmCreepMarginInside, fid::kdmCreepMarginOutside}};

bool IsLengthOption(DriverContext* context, ImageRef option) {
  const SettingField* field = FindFieldByKeyword(context, static_cast<std::int16_t>(OptionItemId(option)));
  if (!field) return false;
  if (field->runtimeFlags & FRF_USER_UNITS) return true;
  for (const FieldRange& r : kLengthFields)
    if (field->id >= r.first && field->id <= r.last) return true;
  return false;
}

bool FitsInt32(std::int64_t v) {
  return v >= std::numeric_limits<std::int32_t>::min() && v <= std::numeric_limits<std::int32_t>::max();
}

}  // namespace

const PjlItem* FindPjlItem(DriverContext* context, const char* name, DWORD usageMask) {
  if (!name) return nullptr;
  const PrinterOptionTable* table = GetModelParamRecord(context);
  for (DWORD i = 0; table && i < table->count; ++i) {
    const PjlItem& item = table->records[i];
    if (!item.name || std::strcmp(item.name, name) != 0) continue;
    if ((item.classes & usageMask) == 0) return nullptr;
    if ((item.classes & kPjlOptionList) && item.conditions && !MatchCapabilityConditions(context, item.conditions)) {
      return nullptr;
    }
    return &item;
  }
  return nullptr;
}

const PjlItem* FindPjlItemById(DWORD fieldId, DWORD usageMask, DriverContext* context) {
  const PrinterOptionTable* table = GetModelParamRecord(context);
  for (DWORD i = 0; table && i < table->count; ++i) {
    const PjlItem& item = table->records[i];
    if (item.key == fieldId && (item.classes & usageMask) != 0) return &item;
  }
  return nullptr;
}

int ItemConditionHolds(DriverContext* context, const PjlItem* item) {
  if (!item) return 0;
  if (item->classes == kPjlValueQuery) {
    // A value-query item keeps its condition as a list of "field = value" terms, all of
    // which must hold.
    for (const OptionSettingNode* n = item->settings; n; n = n->next) {
      if (ReadFieldRawById(context, static_cast<WORD>(n->fieldId)) != n->value) return 0;
    }
    return 1;
  }
  for (const GatedNumber& g : kGatedNumbers) {
    if (g.field == item->key) return ReadFieldRawById(context, g.conditionField) == g.conditionValue ? 1 : 0;
  }
  return 1;
}

int IsPjlValueAllowed(DriverContext* context, const PjlItem*, const PjlValue* value) {
  if (!value) return 0;
  if ((value->flags & POV_ALIAS) && !value->condition) return 0;
  return EvaluateConditionList(context, value->condition);
}

ImageRef FindPjlOption(DriverContext* context, DWORD fieldId, DWORD instance) {
  const ModelImage* image = context ? context->model : nullptr;
  if (!image || fieldId == 0 || fieldId > 0xFFFF) return {};
  ImageRef first;
  ImageRef lastOfInstance;
  DWORD steps = ImageSize(image) / kOptionRecordSize + 1;
  for (ImageRef o = FirstModelOption(image); o && steps--; o = OptionNext(o)) {
    if (OptionFeatureId(o) != fieldId) continue;
    if (!first) first = o;
    if (OptionShareKey(o) != instance) continue;
    if (OptionCommands(o)) return o;
    lastOfInstance = o;
  }
  if (lastOfInstance) return lastOfInstance;
  if (first) return first;
  // The feature's own slot when the all-options list does not carry it.
  return FindOptionRecord(static_cast<WORD>(fieldId), context);
}

const char* PjlOptionCommand(ImageRef option, int second) {
  const ImageRef pair = OptionCommands(option);
  if (!pair) return "";
  const char* text = ImageText(option.image, pair.U32(second ? 4 : 0));
  return text ? text : "";
}

PjlNumbers ReadPjlNumbers(ImageRef option) {
  PjlNumbers n;
  if (!option || (OptionRawType(option) & 0xFF) != kLowNumeric) return n;
  const ImageRef v = OptionValues(option);
  if (!v) return n;
  n.present = true;
  n.sixth = static_cast<std::int16_t>(v.U16(6));
  n.multiplier = v.U16(8);
  n.divisor = v.U16(10);
  n.minimum = static_cast<std::int32_t>(v.U32(16));
  n.maximum = static_cast<std::int32_t>(v.U32(20));
  return n;
}

bool ScalePjlNumberIn(DriverContext* context, ImageRef option, const char* text, std::int32_t* value) {
  if (!text || !*text) return false;
  errno = 0;
  char* end = nullptr;
  const long long t = std::strtoll(text, &end, 10);
  if (errno != 0 || *end != '\0' || !FitsInt32(t)) return false;
  const PjlNumbers n = ReadPjlNumbers(option);
  std::int64_t v = t;
  if (n.present) {
    std::int64_t numerator = t * n.divisor;
    std::int64_t denominator = n.multiplier;
    if (IsLengthOption(context, option)) {
      numerator *= 1200;
      denominator *= DestinationResolution(context);
    }
    if (denominator == 0) return false;
    v = numerator / denominator;
    if (v == 0 && t != 0) v = 1;
  }
  if (!FitsInt32(v)) return false;
  *value = static_cast<std::int32_t>(v);
  return true;
}

std::int32_t ScalePjlNumberOut(DriverContext* context, ImageRef option, std::int32_t value) {
  const PjlNumbers n = ReadPjlNumbers(option);
  if (!n.present) return 0;
  std::int64_t numerator = static_cast<std::int64_t>(value) * n.multiplier;
  std::int64_t denominator = n.divisor;
  if (IsLengthOption(context, option)) {
    numerator *= DestinationResolution(context);
    denominator *= 1200;
  }
  if (denominator == 0) return 0;
  std::int64_t v = numerator / denominator;
  if (v == 0 && value != 0) v = 1;
  return FitsInt32(v) ? static_cast<std::int32_t>(v) : 0;
}

DWORD FindOptionItemByName(ImageRef option, const char* text) {
  if (!option || !text || (OptionRawType(option) & 0xFF) != kLowPickOne) return 0;
  DWORD steps = ImageSize(option.image) / kPickItemSize + 1;
  for (ImageRef i = OptionValues(option); i && steps--; i = ItemNext(i)) {
    const char* name = ImageText(option.image, i.U32(item::kCommand));
    if (name && std::strcmp(name, text) == 0) return ItemValueId(i);
  }
  return 0;
}

bool FormatOptionValue(PjlText& out, DriverContext* context, ImageRef option, DWORD fieldId, DWORD value,
                       DWORD kind) {
  const std::size_t before = out.Length();
  switch (kind) {
    case kPjlKindOption: {
      if (!option || (OptionRawType(option) & 0xFF) != kLowPickOne) return false;
      DWORD steps = ImageSize(option.image) / kPickItemSize + 1;
      for (ImageRef i = OptionValues(option); i && steps--; i = ItemNext(i)) {
        if (ItemValueId(i) != (value & 0xFFFFu)) continue;
        const char* name = ImageText(option.image, i.U32(item::kCommand));
        if (name && *name) out.Append(name);
        break;
      }
      break;
    }
    case kPjlKindBoolean: {
      if (!option || (OptionRawType(option) & 0xFF) != kLowBoolean) return false;
      const ImageRef v = OptionValues(option);
      const char* text = v ? ImageText(option.image, v.U32(value ? 4 : 8)) : nullptr;
      if (text && *text) out.Append(text);
      break;
    }
    case kPjlKindNumber: {
      const std::int32_t n = ScalePjlNumberOut(context, option, static_cast<std::int32_t>(value));
      char digits[16];
      std::snprintf(digits, sizeof digits, "%d", n);
      out.Append(digits);
      break;
    }
    case kPjlKindText: {
      SettingField* field = FindFieldById(context, static_cast<WORD>(fieldId));
      WCHAR wide[1026] = {};
      if (!field || !GetFieldString(context, field, wide, 1026) || !wide[0]) return false;
      char ansi[2052] = {};
      WideToAnsiText(wide, ansi, static_cast<int>(sizeof ansi));
      if (!ansi[0]) return false;
      out.AppendChar('"');
      out.Append(ansi);
      out.AppendChar('"');
      break;
    }
    default:
      return false;
  }
  return !out.Failed() && out.Length() > before;
}
