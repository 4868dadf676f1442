#include "api_tables.h"

#include <iterator>

#include "fields/field_access.h"
#include "field_ids.h"
#include "model/option_lookup.h"
#include "model/rule_eval.h"

namespace {

constexpr DWORD kPrintMethods[] = {1, 2, 3, 0x80};

constexpr WatermarkColour kWatermarkColours[] = {
    {0, 0, 0, 0}, {1, 255, 0, 0}, {2, 0, 255, 0}, {3, 0, 0, 255}, {4, 0, 255, 255}, {5, 255, 0, 255}, {6, 255, 255, 0},
};

LoadShareRow g_loadShare[] = {{0, 0x00, 0}, {0, 0x10, 0}, {1, 0x01, 0}, {1, 0x11, 0}, {2, 0x02, 0}, {3, 0x12, 0}};

// kdmLoadShare value -> the option item that stands for it.
WORD LoadShareItem(DWORD value) {
  switch (value) {
    case 0x00: return 2669;
    case 0x01: return 2670;
    case 0x02: return 2671;
    case 0x10: return 2672;
    case 0x11: return 2673;
    case 0x12: return 2674;
    default: return 0;
  }
}

constexpr DWORD kTrayIds[] = {1,     3,     2,     0x100, 0x105, 0x106, 0x107, 0, 0, 0,   0, 0, 0, 0x12A, 0x127, 0x128,
                              0x11F, 0x120, 0x121, 0x122, 0,     0,     0,     0, 0, 0xB, 0, 4, 4, 0x11E, 0,     0};
static_assert(std::size(kTrayIds) == 32);

struct AdjustRow {
  WORD base;
  WORD variant[3];
};
constexpr AdjustRow kAdjustRows[] = {
    {137, {967, 968, 969}},    {133, {961, 962, 963}}, {134, {964, 965, 966}}, {132, {958, 959, 960}},
    {163, {1043, 1059, 1075}}, {138, {970, 971, 972}}, {139, {973, 974, 975}}, {140, {976, 977, 978}},
    {141, {979, 980, 981}},    {142, {982, 983, 984}}, {143, {985, 986, 987}}, {138, {970, 971, 972}},
    {139, {973, 974, 975}},    {140, {976, 977, 978}}, {141, {979, 980, 981}}, {142, {982, 983, 984}},
    {143, {985, 986, 987}},    {0, {0, 0, 0}},
};

bool OptionHasItem(WORD feature, WORD itemId, DriverContext* context) {
  const int count = GetOptionItemCount(feature, context);
  ImageRef item = GetOptionItems(feature, context);
  for (int i = 0; item && i < count; ++i, item = ItemNext(item))
    if (ItemValueId(item) == itemId) return true;
  return false;
}

}  // namespace

const DWORD* GetPrintMethodValues(DWORD* count) {
  if (count) *count = static_cast<DWORD>(std::size(kPrintMethods));
  return kPrintMethods;
}

const WatermarkColour* FindWatermarkColour(DWORD index) {
  for (const WatermarkColour& row : kWatermarkColours)
    if (row.index == (index & 0xFFu)) return &row;
  return nullptr;
}

LoadShareRow* GetLoadShareTable(DWORD* count) {
  if (count) *count = static_cast<DWORD>(std::size(g_loadShare));
  return g_loadShare;
}

void MarkLoadShareRows(DriverContext* context) {
  const ImageRef option = GetOptionForFeature(fid::kdmLoadShare, context);
  if (!option) return;
  for (LoadShareRow& row : g_loadShare) {
    const WORD item = LoadShareItem(row.loadShareValue);
    if (item && OptionHasItem(fid::kdmLoadShare, item, context) && IsItemDisabled(option, item, context) == 0)
      row.offered = 1;
  }
}

const DWORD* GetTrayIdList(DWORD* count) {
  if (count) *count = static_cast<DWORD>(std::size(kTrayIds));
  return kTrayIds;
}

WORD AdjustTargetField(DriverContext* context, WORD field) {
  if (ReadFieldRawById(context, fid::kdmAdjustMode) != 1) return field;
  return AdjustVariantField(context, field, ReadFieldRawById(context, fid::kdmAdjustObject));
}

WORD AdjustVariantField(DriverContext*, WORD field, DWORD objectKind) {
  for (const AdjustRow& row : kAdjustRows) {
    if (row.base == 0) break;
    if (row.base != field) continue;
    return objectKind <= 2 ? row.variant[objectKind] : field;
  }
  return field;
}
