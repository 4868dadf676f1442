#include "model/capability_lists.h"

#include <cstring>

#include "fields/devmode_header.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "model/field_checks.h"
#include "fields/field_table.h"
#include "fields/dictionary_lookup.h"
#include "fields/locale_text.h"
#include "model/module_dispatch.h"
#include "model/free_size_list.h"
#include "model/paper_map.h"
#include "fields/product_record.h"
#include "base/ui_strings.h"
#include "model/units.h"
#include "fields/value_maps.h"
#include "field_ids.h"
#include "model/option_lookup.h"
#include "model/resolution_table.h"
#include "model/rule_eval.h"

namespace {

constexpr DWORD kEventAllResolutions = 30;
constexpr DWORD kEventAllBins = 33;
constexpr WORD kFeatureResolutionBoth = 152;  // kdmDstResolutionBoth
constexpr DWORD kFreeInputPaper = 256;
// A model's item list is walked at most this far, so that a damaged list cannot loop.
constexpr int kItemLimit = 4096;

bool ModulesListAll(DriverContext* context, DWORD event) {
  std::int32_t answer = 0;
  NotifyModules(context, event, &answer);
  return answer != 0;
}

// The option of a feature when it has the type and a non-empty item list; none otherwise.
ImageRef OptionWithItems(DriverContext* context, WORD featureId, WORD type, int* itemCount) {
  const ImageRef option = FindOptionRecord(featureId, context);
  if (!option || OptionTypeOf(option) != type) return ImageRef{};
  const int n = GetOptionItemCount(featureId, context);
  if (n <= 0 || !OptionValues(option)) return ImageRef{};
  *itemCount = n < kItemLimit ? n : kItemLimit;
  return option;
}

void FillName(WCHAR* slot, int chars, DriverContext* context, DWORD stringId) {
  std::memset(slot, 0, sizeof(WCHAR) * static_cast<size_t>(chars));
  LoadUiString(context, stringId, slot, chars, 0);
}

// Loads the free size of a paper code into its record; null when the record index is
// outside the work area's records.
const FreeSizeRecord* LoadFreeSize(DriverContext* context, DWORD paperCode) {
  const int r = FreeSizeIndexFromPaperId(paperCode, context);
  if (r < 0 || r >= kFreeSizeRecordCount || !context->work) return nullptr;
  LoadUserPaperNames(context, paperCode, r);
  return &context->work->freeSizes[r];
}

bool IsUserFreeSize(DWORD code) { return code >= 384 && code <= 393; }

void WritePair(std::int32_t* buffer, int index, std::int32_t a, std::int32_t b) {
  if (!buffer) return;
  buffer[2 * index] = a;
  buffer[2 * index + 1] = b;
}

int ResolutionFallback(DriverContext* context, std::int32_t* buffer) {
  const std::int32_t d = static_cast<std::int32_t>(ProductOf(context)->defaultResolution);
  WritePair(buffer, 0, d, d);
  return 1;
}

// Feature 152: resolution codes through the table, square resolutions only, each dpi once
// in a row; or the Numeric value. -1 when the list cannot be built.
int ListResolutionsBoth(DriverContext* context, std::int32_t* buffer, bool all) {
  const ImageRef option = GetOptionForFeature(kFeatureResolutionBoth, context);
  if (!option) return -1;
  const WORD type = OptionTypeOf(option);
  const DWORD v = ReadFieldRawById(context, fid::kdmDstResolutionW);
  if (type == OPTTYPE_NUMERIC) {
    if (v == 0) return -1;
    WritePair(buffer, 0, static_cast<std::int32_t>(v), static_cast<std::int32_t>(v));
    return 1;
  }
  if (type != OPTTYPE_PICKONE) return -1;
  const int n = GetOptionItemCount(kFeatureResolutionBoth, context);
  if (n <= 0 || !OptionValues(option)) return -1;
  int count = 0;
  DWORD previous = 0;
  int i = 0;
  for (ImageRef item = OptionValues(option); item && i < n && i < kItemLimit; item = ItemNext(item), ++i) {
    const WORD valueId = ItemValueId(item);
    const ValueSymbol s = LookupValueSymbol(context, kFeatureResolutionBoth, valueId);
    if (!s.exists) return -1;
    if (!all && IsItemDisabled(option, valueId, context)) continue;
    const ResolutionRecord* row = s.usable ? FindResolutionRecord(static_cast<WORD>(s.setting)) : nullptr;
    if (!row) return -1;
    if (row->horizontal != row->vertical) continue;
    if (count > 0 && row->horizontal == previous) continue;
    WritePair(buffer, count++, row->horizontal, row->vertical);
    previous = row->horizontal;
  }
  return count > 0 ? count : -1;
}

}  // namespace

ValueSymbol LookupValueSymbol(DriverContext* context, WORD fieldId, WORD valueId) {
  ValueSymbol s;
  if (!FindValueSymbol(fieldId, valueId)) return s;
  s.exists = true;
  const SettingField* field = FindFieldById(context, fieldId);
  const ValueMapEntry* map = field ? GetActiveValueMap(context, field) : nullptr;
  for (int i = 0; map && map[i].valueId != 0 && i < kItemLimit; ++i) {
    if (map[i].valueId == valueId) {
      s.usable = true;
      s.setting = map[i].stored;
      break;
    }
  }
  return s;
}

int ListBins(DriverContext* context, WORD* buffer) {
  int n = 0;
  const ImageRef option = OptionWithItems(context, fid::dmDefaultSource, OPTTYPE_PICKSLOT, &n);
  if (!option) return -1;
  const bool all = ModulesListAll(context, kEventAllBins);
  int count = 0;
  int i = 0;
  for (ImageRef item = OptionValues(option); item && i < n; item = ItemNext(item), ++i) {
    const WORD valueId = ItemValueId(item);
    const ValueSymbol s = LookupValueSymbol(context, fid::dmDefaultSource, valueId);
    if (!s.usable) return -1;
    if (!all && IsItemDisabled(option, valueId, context)) continue;
    if (buffer) buffer[count] = static_cast<WORD>(s.setting);
    ++count;
  }
  return count > 0 ? count : -1;
}

int ListBinNames(DriverContext* context, WCHAR* buffer, int slotChars) {
  int n = 0;
  const ImageRef option = OptionWithItems(context, fid::dmDefaultSource, OPTTYPE_PICKSLOT, &n);
  if (!option || slotChars <= 0) return -1;
  const bool all = ModulesListAll(context, kEventAllBins);
  int count = 0;
  int i = 0;
  for (ImageRef item = OptionValues(option); item && i < n; item = ItemNext(item), ++i) {
    const WORD valueId = ItemValueId(item);
    if (!all && IsItemDisabled(option, valueId, context)) continue;
    if (buffer) FillName(buffer + static_cast<size_t>(count) * slotChars, slotChars, context, valueId);
    ++count;
  }
  return count > 0 ? count : -1;
}

int ListPaperCodes(DriverContext* context, WORD* buffer) {
  int n = 0;
  const ImageRef option = OptionWithItems(context, fid::dmPaperSize, OPTTYPE_PICKPAGE, &n);
  if (!option) return -1;
  int count = 0;
  int i = 0;
  for (ImageRef item = OptionValues(option); item && i < n; item = ItemNext(item), ++i) {
    const WORD valueId = ItemValueId(item);
    const ValueSymbol s = LookupValueSymbol(context, fid::dmPaperSize, valueId);
    if (!s.usable) return -1;
    if (IsItemDisabled(option, valueId, context) == 1) continue;
    if (buffer) buffer[count] = static_cast<WORD>(s.setting);
    ++count;
  }
  return count > 0 ? count : -1;
}

int ListPaperNames(DriverContext* context, WCHAR* buffer, int slotChars) {
  int n = 0;
  const ImageRef option = OptionWithItems(context, fid::dmPaperSize, OPTTYPE_PICKPAGE, &n);
  if (!option || slotChars <= 0) return -1;
  InitFreeSizes(context);
  int count = 0;
  int i = 0;
  for (ImageRef item = OptionValues(option); item && i < n; item = ItemNext(item), ++i) {
    const WORD valueId = ItemValueId(item);
    if (IsItemDisabled(option, valueId, context)) continue;
    if (buffer) {
      WCHAR* slot = buffer + static_cast<size_t>(count) * slotChars;
      const ValueSymbol s = LookupValueSymbol(context, fid::dmPaperSize, valueId);
      const FreeSizeRecord* free = s.usable && IsUserFreeSize(s.setting) ? LoadFreeSize(context, s.setting) : nullptr;
      if (free) {
        std::memset(slot, 0, sizeof(WCHAR) * static_cast<size_t>(slotChars));
        char name[sizeof(free->listName) + 1] = {};
        std::memcpy(name, free->listName, sizeof(free->listName));
        AnsiToWide(slot, name, slotChars);
      } else {
        FillName(slot, slotChars, context, valueId);
      }
    }
    ++count;
  }
  return count > 0 ? count : -1;
}

int ListPaperSizes(DriverContext* context, std::int32_t* buffer) {
  int n = 0;
  const ImageRef option = OptionWithItems(context, fid::dmPaperSize, OPTTYPE_PICKPAGE, &n);
  if (!option) return -1;
  InitFreeSizes(context);
  int count = 0;
  int i = 0;
  for (ImageRef item = OptionValues(option); item && i < n; item = ItemNext(item), ++i) {
    const WORD valueId = ItemValueId(item);
    if (IsItemDisabled(option, valueId, context)) continue;
    if (buffer) {
      const ValueSymbol s = LookupValueSymbol(context, fid::dmPaperSize, valueId);
      const bool freeSize = s.usable && (IsUserFreeSize(s.setting) || s.setting == kFreeInputPaper);
      const FreeSizeRecord* free = freeSize ? LoadFreeSize(context, s.setting) : nullptr;
      if (free) {
        WritePair(buffer, count, DotsToUserUnits(kUnitTenthMm, static_cast<int>(free->width), 1200),
                  DotsToUserUnits(kUnitTenthMm, static_cast<int>(free->length), 1200));
      } else {
        WritePair(buffer, count, static_cast<std::int32_t>(item.U32(item::kFirstSize)),
                  static_cast<std::int32_t>(item.U32(item::kSecondSize)));
      }
    }
    ++count;
  }
  return count > 0 ? count : -1;
}

DWORD GetPaperExtent(const DriverContext* holder, WORD* buffer, int which) {
  if (which != kExtentMin && which != kExtentMax) return 0;
  const ProductRecord* product = ProductOf(holder);
  const bool minimum = which == kExtentMin;
  int width = DotsToUserUnits(kUnitTenthMm,
                              static_cast<int>(minimum ? product->userPaperWidthMin : product->userPaperWidthMax), 1200);
  int length = DotsToUserUnits(
      kUnitTenthMm, static_cast<int>(minimum ? product->userPaperLengthMin : product->userPaperLengthMax), 1200);
  // The limits in 0.1 mm: a context without settings shows metric units.
  int lo = 0, hi = 0;
  if (GetFreeSizeLimits(nullptr, fid::wdmFreeSizeWidth, &lo, &hi)) width = width < lo ? lo : (width > hi ? hi : width);
  if (GetFreeSizeLimits(nullptr, fid::wdmFreeSizeLength, &lo, &hi)) {
    length = length < lo ? lo : (length > hi ? hi : length);
  }
  const WORD w = static_cast<WORD>(width);
  const WORD l = static_cast<WORD>(length);
  if (buffer) {
    buffer[0] = w;
    buffer[1] = l;
  }
  return (static_cast<DWORD>(l) << 16) | w;
}

int ListResolutions(DriverContext* context, std::int32_t* buffer) {
  const bool all = ModulesListAll(context, kEventAllResolutions);
  const ImageRef option = GetOptionForFeature(fid::kdmDstResolutionW, context);
  if (!option) return ResolutionFallback(context, buffer);
  const WORD type = OptionTypeOf(option);
  const int n = GetOptionItemCount(fid::kdmDstResolutionW, context);
  const DWORD v = ReadFieldRawById(context, fid::kdmDstResolutionW);
  if (type == OPTTYPE_PICKONE) {
    if (n <= 0 || !OptionValues(option)) return ResolutionFallback(context, buffer);
    int count = 0;
    int i = 0;
    for (ImageRef item = OptionValues(option); item && i < n && i < kItemLimit; item = ItemNext(item), ++i) {
      const WORD valueId = ItemValueId(item);
      const ValueSymbol s = LookupValueSymbol(context, fid::kdmDstResolutionW, valueId);
      if (!s.usable) return ResolutionFallback(context, buffer);
      if (!all && IsItemDisabled(option, valueId, context)) continue;
      WritePair(buffer, count++, static_cast<std::int32_t>(s.setting), static_cast<std::int32_t>(s.setting));
    }
    return count > 0 ? count : ResolutionFallback(context, buffer);
  }
  if (type != OPTTYPE_NUMERIC || v == 0) return ResolutionFallback(context, buffer);
  if (n == 0) {
    const int count = ListResolutionsBoth(context, buffer, all);
    return count > 0 ? count : ResolutionFallback(context, buffer);
  }
  // A Numeric option always has an item count of 0; any other count has no list to give.
  return ResolutionFallback(context, buffer);
}

DWORD GetLandscapeAngle(const DriverContext* holder) { return ProductOf(holder)->landscapeAngle; }

int IsColorDevice(DWORD lockBits, const BYTE* devmode) {
  if (!devmode) return 0;
  if ((ReadMachineTypeBits(devmode) & 1u) == 0) return 0;
  if ((lockBits & 1u) && ReadPublicColor(devmode) == DMCOLOR_MONOCHROME) return 0;
  return 1;
}

int HasDuplexUnit(DriverContext* context) {
  return ReadFieldRawById(context, fid::kdmSourceOptionTypeDuplex) != 0 ? 1 : 0;
}
