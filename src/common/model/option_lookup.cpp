// Option lookups into the context's model image.
#include "model/option_lookup.h"

#include <cstddef>
#include <cstdint>

#include "base/driver_context.h"
#include "fields/field_table.h"
#include "fields/field_access.h"
#include "base/memory.h"
#include "field_ids.h"
#include "model/model_parse.h"
#include "model/rule_eval.h"
#include "win/kernel.h"

namespace {

const ModelImage* ImageOf(DriverContext* context) { return context ? context->model : nullptr; }

// Steps bounded by the number of records the block could hold, so that no walk runs on.
DWORD StepLimit(const ModelImage* image, DWORD recordSize) { return ImageSize(image) / recordSize + 1; }

void AnsiToWide31(const char* text, WCHAR out[32]) {
  for (int i = 0; i < 32; ++i) out[i] = 0;
  if (!text || !text[0]) return;
  WCHAR buffer[260] = {};
  int n = MultiByteToWideChar(CP_ACP, 0, text, -1, buffer, 259);
  if (n <= 0) {
    // Too long for the buffer: convert a prefix (at most 31 characters are kept anyway).
    char prefix[64] = {};
    int k = 0;
    while (k < 62 && text[k]) prefix[k] = text[k], ++k;
    n = MultiByteToWideChar(CP_ACP, 0, prefix, -1, buffer, 259);
    if (n <= 0) return;
  }
  for (int i = 0; i < 31 && buffer[i]; ++i) out[i] = buffer[i];
}

// A zero-filled array of count records of size bytes, sized in 64 bits; null for a count
// beyond the longest list a model holds.
void* AllocRecords(DWORD count, std::size_t size) {
  const std::uint64_t bytes = static_cast<std::uint64_t>(count) * size;
  if (count > kMaxListEntries || bytes > 0xFFFFFFFFu) return nullptr;
  return AllocMem(static_cast<DWORD>(bytes));
}

FontListRecord* ExportFonts(DriverContext* context, DWORD* count, DWORD countAt, DWORD arrayAt) {
  const ModelImage* image = ImageOf(context);
  if (!image) return nullptr;
  const DWORD n = HeaderU32(image, countAt);
  const ImageRef array = HeaderRef(image, arrayAt);
  if (n == 0 || !array || n > ImageSize(image) / 4) {
    if (count) *count = 0;
    return nullptr;
  }
  auto* records = static_cast<FontListRecord*>(AllocRecords(n, sizeof(FontListRecord)));
  if (!records) {
    if (count) *count = 0;
    return nullptr;
  }
  for (DWORD i = 0; i < n; ++i) {
    const ImageRef entry = array.Plain(4 * i);
    if (!entry) continue;
    records[i].id = entry.U32(0);
    AnsiToWide31(ImageText(image, entry.U32(4)), records[i].name);
  }
  if (count) *count = n;
  return records;
}

}  // namespace

ImageRef FirstModelOption(const ModelImage* image) { return HeaderRef(image, kHdrSlots); }

ImageRef FindOptionRecord(WORD featureId, DriverContext* context) {
  const ModelImage* image = ImageOf(context);
  if (!image || featureId == 0) return {};
  if (const int slot = kImageSlotOfFeature(featureId)) return HeaderRef(image, kHdrSlots + 4 * slot);
  DWORD steps = StepLimit(image, kOptionRecordSize);
  for (ImageRef o = FirstModelOption(image); o && steps--; o = OptionNext(o)) {
    if (OptionFeatureId(o) == featureId) return o;
  }
  return {};
}

WORD GetOptionType(WORD featureId, DriverContext* context) {
  return static_cast<WORD>(GetOptionRawType(featureId, context) & kTypeMask);
}

WORD GetOptionRawType(WORD featureId, DriverContext* context) {
  const ImageRef o = FindOptionRecord(featureId, context);
  return o ? OptionRawType(o) : 0;
}

DWORD GetOptionDefaultValue(WORD featureId, DriverContext* context) {
  const ImageRef o = FindOptionRecord(featureId, context);
  const ImageRef values = o ? OptionValues(o) : ImageRef{};
  if (!values) return 0;
  switch (OptionRawType(o) & 0xFF) {
    case 0x01: {
      ImageRef it = values;
      DWORD steps = StepLimit(o.image, kPickItemSize);
      for (WORD i = 0; it && i < OptionDefault(o) && steps--; ++i) it = ItemNext(it);
      return it ? ItemValueId(it) : 0;
    }
    case 0x04:
      return values.U32(0);
    case 0x08:
      return values.U32(12);
    case 0x10:
      return values.U16(0);
    default:
      return 0;
  }
}

ImageRef GetOptionItems(WORD featureId, DriverContext* context, DWORD* defaultIndex) {
  const ImageRef o = FindOptionRecord(featureId, context);
  if (!o) return {};
  if (defaultIndex && (OptionRawType(o) & 1)) *defaultIndex = OptionDefault(o);
  return OptionValues(o);
}

int GetOptionItemCount(WORD featureId, DriverContext* context) {
  const ImageRef o = FindOptionRecord(featureId, context);
  if (!o) return -1;
  const WORD type = OptionRawType(o) & kTypeMask;
  if (type == kTypeBoolean || type == kTypeNumeric || type == kTypeString) return 0;
  int n = 0;
  DWORD steps = StepLimit(o.image, kPickItemSize);
  for (ImageRef it = OptionValues(o); it && steps--; it = ItemNext(it)) ++n;
  return n;
}

ImageRef GetOptionForFeature(WORD featureId, DriverContext* context) {
  if (featureId != 340 && featureId != 341) return FindOptionRecord(featureId, context);
  // The field is put to 1 and back in place, so that the test leaves no change mark.
  SettingField* field = context ? FindFieldById(context, fid::wdmInputFreeSizeType) : nullptr;
  BYTE* at = field ? GetFieldAddress(context, field) : nullptr;
  const DWORD size = field ? FieldSizeOf(field->type) : 0;
  const bool plain = at && field && IsNumberFieldCode(FieldCodeOf(field->type)) && (size == 1 || size == 2 || size == 4);
  BYTE saved[4] = {};
  if (plain) {
    for (DWORD i = 0; i < size; ++i) saved[i] = at[i];
    for (DWORD i = 0; i < size; ++i) at[i] = i == 0 ? 1 : 0;
  }
  const ImageRef o = FindEnabledOption(featureId, context, kOptionNotDisabled);
  if (plain) {
    for (DWORD i = 0; i < size; ++i) at[i] = saved[i];
  }
  return o;
}

ImageRef FindEnabledOption(WORD featureId, DriverContext* context, DWORD tests) {
  const ImageRef slot = FindOptionRecord(featureId, context);
  if (tests == 0) return slot;
  auto passes = [&](ImageRef o) {
    if ((tests & kOptionNotDisabled) && IsItemDisabled(o, 0, context)) return false;
    if ((tests & kOptionNotHidden) && IsItemHidden(o, 0, context)) return false;
    return true;
  };
  if (slot && passes(slot)) return slot;
  const ModelImage* image = ImageOf(context);
  DWORD steps = StepLimit(image, kOptionRecordSize);
  for (ImageRef o = FirstModelOption(image); o && steps--; o = OptionNext(o)) {
    if (OptionFeatureId(o) == featureId && OptionShareKey(o) == 0 && passes(o)) return o;
  }
  return {};
}

ImageRef GetOptionForFieldIndex(DriverContext* context, int index) {
  if (!context || index < 0 || index >= context->fields.count || !context->fields.records) return {};
  return GetOptionForFeature(context->fields.records[index].id, context);
}

ImageRef FindOptionByItemId(WORD itemId, DriverContext* context) {
  const ModelImage* image = ImageOf(context);
  DWORD steps = StepLimit(image, kOptionRecordSize);
  for (ImageRef o = FirstModelOption(image); o && steps--; o = OptionNext(o)) {
    if (OptionItemId(o) == itemId) return o;
  }
  return {};
}

ImageRef LookupOptionByOrdinal(WORD itemId, DriverContext* context) { return FindOptionByItemId(itemId, context); }

ImageRef FindConditionBlock(WORD featureItemId, DriverContext* context) {
  const ModelImage* image = ImageOf(context);
  DWORD steps = StepLimit(image, kConditionBlockSize);
  for (ImageRef b = HeaderRef(image, kHdrConditionBlocks); b && steps--; b = b.Plain(cond::kNext)) {
    if (b.U16(cond::kFeatureItemId) == featureItemId) return b;
  }
  return {};
}

ImageRef FindItemCondition(ImageRef block, WORD valueId) {
  if (!block) return {};
  DWORD steps = StepLimit(block.image, kItemConditionSize);
  for (ImageRef c = block.Tagged(cond::kItems); c && steps--; c = c.Tagged(itemcond::kNext)) {
    if (c.U16(itemcond::kValueId) == valueId) return c;
  }
  return {};
}

const WCHAR* GetUIResDLLName(DriverContext* context) { return ImageUIResDLLName(ImageOf(context)); }

const OptionRecord* OptionRecordAddress(ImageRef option) {
  return reinterpret_cast<const OptionRecord*>(option.Bytes());
}

ImageRef OptionFromAddress(const ModelImage* image, const OptionRecord* address) {
  if (!image || !address) return {};
  const auto p = reinterpret_cast<std::uintptr_t>(address);
  const auto base = reinterpret_cast<std::uintptr_t>(ImageBytes(image));
  if (p < base + kModelHeaderSize || p - base > ImageSize(image) - kOptionRecordSize) return {};
  return ImageRef{image, static_cast<DWORD>(p - base)};
}

FontListRecord* ExportDeviceFontList(DriverContext* context, DWORD* count) {
  return ExportFonts(context, count, kHdrDeviceFontCount, kHdrDeviceFonts);
}

FontListRecord* ExportFontCartridgeList(DriverContext* context, DWORD* count) {
  return ExportFonts(context, count, kHdrFontCartridgeCount, kHdrFontCartridges);
}

FontSubstitutionRecord* ExportFontSubstitutionTable(DriverContext* context, DWORD* count) {
  const ModelImage* image = ImageOf(context);
  if (!image) return nullptr;
  DWORD steps = StepLimit(image, kOptionRecordSize);
  ImageRef o = FirstModelOption(image);
  for (; o && steps--; o = OptionNext(o)) {
    if (OptionRawType(o) == kTypeFontTbl) break;
  }
  if (!o) return nullptr;
  steps = StepLimit(image, kFontItemSize);
  for (ImageRef it = OptionValues(o); it && steps--; it = ItemNext(it)) {
    const DWORD pairs = it.U32(item::kPairCount);
    if (pairs == 0) continue;
    if (pairs > ImageSize(image) / 4) return nullptr;
    auto* records = static_cast<FontSubstitutionRecord*>(AllocRecords(pairs, sizeof(FontSubstitutionRecord)));
    if (!records) return nullptr;
    const ImageRef tt = it.Plain(item::kTrueTypeNames), dev = it.Plain(item::kDeviceNames);
    for (DWORD k = 0; k < pairs; ++k) {
      AnsiToWide31(tt ? ImageText(image, tt.U32(4 * k)) : nullptr, records[k].trueTypeName);
      AnsiToWide31(dev ? ImageText(image, dev.U32(4 * k)) : nullptr, records[k].deviceFontName);
    }
    if (count) *count = pairs;
    return records;
  }
  return nullptr;
}
