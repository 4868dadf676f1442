#include "command_base_text.h"

#include <cstdio>
#include <cstring>
#include <iterator>

#include "command_base_apply.h"
#include "command_base_parse.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "base/memory.h"
#include "fields/product_record.h"
#include "field_ids.h"
#include "model/capability_trial.h"
#include "model/option_lookup.h"
#include "model/resolution_choices.h"

namespace {

// Rows of a watermark block: which kinds they serve (0 text, 1 image, 0x10 both), how many
// rows a row skips, the format of the value and the field.
struct WatermarkRow {
  DWORD kind;
  DWORD skip;
  DWORD format;
  DWORD field;
};
constexpr DWORD kFixedLine = 0x100;
constexpr WatermarkRow kWatermarkRows[18] = {
    {0, 0, 0x10, fid::wdmWmChar},       {1, 0, 0x10, fid::wdmWmImage},     {0x10, 2, 4, fid::wdmWmPage},
    {0x10, 0, 8, fid::wdmWmStartPage},  {0x10, 0, 8, fid::wdmWmEndPage},   {0x10, 0, kFixedLine, 0},
    {0x10, 0, 1, fid::wdmWmPosi},       {0x10, 0, 4, fid::wdmWmOpaque},    {0, 0, 8, fid::wdmWmDensity},
    {1, 0, 8, fid::wdmWmFontScale},     {0, 0, 1, fid::wdmWmEffect},       {0, 0, 8, fid::wdmWmAngle},
    {0, 0, 0x10, fid::wdmWmFontName},   {0, 0, 8, fid::wdmWmFontPoint},    {0, 0, 1, fid::wdmWmFontStyle},
    {0, 0, 8, fid::wdmWmColorR},        {0, 0, 8, fid::wdmWmColorG},       {0, 0, 8, fid::wdmWmColorB},
};
constexpr const char kWatermarkOrderLine[] = "@PJL SET WMKORDER = PAPER \r\n";

const char* const kForceFeedValues[] = {"SEF", "LEF", "ALL"};

bool Listed(const PjlText& out, const char* name) {
  const char* p = out.Data();
  const char* end = p + out.Length();
  while (p < end) {
    if (std::strcmp(p, name) == 0) return true;
    p += std::strlen(p) + 1;
  }
  return false;
}

bool AddName(PjlText& out, const char* name) {
  if (!name || Listed(out, name)) return true;
  return out.Append(name) && out.AppendChar('\0');
}

// The value the settings take for a number of the option: written on the settings, the
// resolution limit applied, read back; the settings are put back.
std::int32_t ClampToSettings(DriverContext* context, WORD field, std::int32_t value) {
  const DWORD size = GetSettingsBufferSize();
  auto* copy = static_cast<BYTE*>(AllocMem(size));
  if (!copy || !context->settings) {
    FreeMem(copy);
    return value;
  }
  std::memcpy(copy, context->settings, size);
  SetFieldValueById(context, field, static_cast<DWORD>(value));
  ApplyResolutionLimit(context);
  const auto taken = static_cast<std::int32_t>(GetFieldValueById(context, field));
  std::memcpy(context->settings, copy, size);
  FreeMem(copy);
  return taken;
}

bool AddNumber(PjlText& out, DriverContext* context, ImageRef option, std::int32_t value) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%d", ScalePjlNumberOut(context, option, value));
  return out.Append(digits) && out.AppendChar('\0');
}

bool ListModelOption(ExcBaseRecord* handle, const PjlItem* item, int onlySettable, PjlText& out) {
  DriverContext* context = handle->context;
  const ImageRef option = FindPjlOption(context, item->key, item->reserved);
  if (!option) return true;
  if (item->kindBits == kPjlKindOption) {
    if ((OptionRawType(option) & 0xFF) != 0x01) return true;
    DWORD steps = ImageSize(option.image) / kPickItemSize + 1;
    for (ImageRef i = OptionValues(option); i && steps--; i = ItemNext(i)) {
      const char* name = ImageText(option.image, i.U32(item::kCommand));
      if (!name || !*name) continue;
      if (onlySettable && !WouldBeClean(handle, item, name)) continue;
      if (!AddName(out, name)) return false;
    }
    return true;
  }
  if (item->kindBits != kPjlKindNumber) return true;
  if (onlySettable && !ItemConditionHolds(context, item)) return true;
  const PjlNumbers n = ReadPjlNumbers(option);
  if (!n.present) return true;
  std::int32_t minimum = n.minimum;
  std::int32_t maximum = n.maximum;
  if (onlySettable) {
    minimum = ClampToSettings(context, static_cast<WORD>(item->key), minimum);
    maximum = ClampToSettings(context, static_cast<WORD>(item->key), maximum);
  }
  return AddNumber(out, context, option, minimum) && AddNumber(out, context, option, maximum) &&
         AddNumber(out, context, option, n.sixth);
}

bool ListTableValues(ExcBaseRecord* handle, const PjlItem* item, int onlySettable, PjlText& out) {
  for (DWORD i = 0; i < item->values->count; ++i) {
    const PjlValue& v = item->values->values[i];
    if (onlySettable) {
      if ((v.flags & POV_ALIAS) && !v.condition) continue;
      if (!IsPjlValueAllowed(handle->context, item, &v) || !WouldBeClean(handle, item, v.name)) continue;
    } else if (v.flags & POV_ALIAS) {
      continue;
    }
    if (!AddName(out, v.name)) return false;
  }
  return true;
}

}  // namespace

bool ListItemValues(ExcBaseRecord* handle, const PjlItem* item, int onlySettable, PjlText& out) {
  if (!handle || !handle->context || !item) return true;
  bool ok = true;
  if (IsForceFeedItem(item)) {
    if (!onlySettable)
      for (const char* name : kForceFeedValues) ok = ok && AddName(out, name);
  } else if (IsModelOptionItem(item)) {
    ok = ListModelOption(handle, item, onlySettable, out);
  } else if (IsValueTableItem(item) && item->kindBits == kPjlKindOption) {
    ok = ListTableValues(handle, item, onlySettable, out);
  }
  if (ok && out.Length() > 0) ok = out.Finish();
  return ok && !out.Failed();
}

std::int32_t FormatPrinterValue(const PjlItem* item, DriverContext* context, std::int32_t size, char* buffer) {
  if (!item || !context || !ItemConditionHolds(context, item)) return 0;
  PjlText text;
  if (IsModelOptionItem(item)) {
    const ImageRef option = FindPjlOption(context, item->key, item->reserved);
    if (!option && item->kindBits != kPjlKindText) return 0;
    const DWORD value = item->kindBits == kPjlKindText ? 0 : GetFieldValueById(context, static_cast<WORD>(item->key));
    if (!FormatOptionValue(text, context, option, item->key, value, item->kindBits)) return 0;
  } else if (IsValueTableItem(item)) {
    const DWORD raw = ReadFieldRawById(context, static_cast<WORD>(item->key));
    for (DWORD i = 0; i < item->values->count; ++i) {
      const PjlValue& v = item->values->values[i];
      if (v.value == raw || (v.flags & POV_OFF)) {
        text.Append(v.name);
        break;
      }
    }
  }
  if (text.Length() == 0 || !text.Finish()) return 0;
  const auto needed = static_cast<std::int32_t>(text.Length());
  if (buffer && size >= needed) std::memcpy(buffer, text.Data(), text.Length());
  return needed;
}

std::int32_t WatermarkToPjl(PjlText& out, DriverContext* context, std::int32_t kind) {
  const std::size_t start = out.Length();
  const DWORD asked = static_cast<DWORD>(kind);
  for (std::size_t r = 0; r < std::size(kWatermarkRows); ++r) {
    const WatermarkRow& row = kWatermarkRows[r];
    if (row.kind != asked && (row.kind & 0xF0u) == 0) continue;
    if (row.format == kFixedLine) {
      out.Append(kWatermarkOrderLine);
    } else if (const ImageRef option = FindPjlOption(context, row.field, 0)) {
      const std::size_t before = out.Length();
      const char* first = PjlOptionCommand(option, 0);
      std::size_t firstLength = std::strlen(first);
      if (firstLength > 0 && first[firstLength - 1] == '"') --firstLength;
      out.Append(first, firstLength);
      const DWORD value = row.format == kPjlKindText ? 0 : GetFieldValueById(context, static_cast<WORD>(row.field));
      if (!FormatOptionValue(out, context, option, row.field, value, row.format)) {
        out.Truncate(before);
      } else {
        const char* second = PjlOptionCommand(option, 1);
        out.Append(second[0] == '"' ? second + 1 : second);
      }
    }
    if (out.Failed()) return -1;
    if (row.skip && !(row.field == fid::wdmWmPage && ReadFieldRawById(context, fid::wdmWmPage) != 0)) r += row.skip;
  }
  if (out.Length() > start && !out.Finish()) return -1;
  return out.Failed() ? -1 : 0;
}

std::int32_t ListAllowedPjlValuesById(DriverContext* context, DWORD fieldId, std::int32_t size, char* buffer,
                                      std::int32_t* needed) {
  if (needed) *needed = 0;
  const PjlItem* item = FindPjlItemById(fieldId, kPjlCommand | kPjlOptionList, context);
  if (item && (item->classes & kPjlOptionList) && item->conditions &&
      !MatchCapabilityConditions(context, item->conditions)) {
    item = nullptr;
  }
  if (!item || !IsValueTableItem(item)) return 0;
  PjlText out;
  for (DWORD i = 0; i < item->values->count; ++i) {
    const PjlValue& v = item->values->values[i];
    if (!TryCapabilityValue(context, item, &v)) continue;
    if (!out.Append(v.name ? v.name : "") || !out.AppendChar('\0')) return -1;
  }
  if (out.Length() == 0) return 0;
  if (!out.Finish()) return -1;
  return GiveText(out.Data(), static_cast<std::int32_t>(out.Length()), size, buffer, needed);
}

std::int32_t GiveText(const char* text, std::int32_t length, std::int32_t size, char* buffer, std::int32_t* needed) {
  if (needed) *needed = length;
  if (length <= 0) return 0;
  if (!buffer || size < length) return 1;
  std::memcpy(buffer, text, static_cast<std::size_t>(length));
  return 0;
}
