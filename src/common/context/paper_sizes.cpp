#include "context/paper_sizes.h"

#include "base/deliverable.h"
#include "stored/devmode_checks.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "model/free_size_list.h"
#include "model/paper_map.h"
#include "model/units.h"
#include "field_ids.h"
#include "model/option_lookup.h"

namespace {

constexpr DWORD kUserPaper256 = 256;
constexpr DWORD kUserPaper448 = 448;
// Page records of one item are bounded by the reader.
constexpr DWORD kMaxRecordWalk = 65536;

// A page value record: next, first key, second key, condition item and value, then
// x0, y0, w, h, px, py.
namespace pv {
constexpr DWORD kNext = 0, kFirstKey = 4, kSecondKey = 6, kConditionItem = 8, kConditionValue = 10, kNumbers = 12;
}

std::int32_t Number(ImageRef record, int n) { return static_cast<std::int32_t>(record.U32(pv::kNumbers + 4 * n)); }

ImageRef FindItem(ImageRef option, DWORD valueId) {
  DWORD walked = 0;
  for (ImageRef it = OptionValues(option); it && walked < kMaxRecordWalk; it = ItemNext(it), ++walked) {
    if (static_cast<DWORD>(ItemValueId(it)) == valueId) return it;
  }
  return ImageRef{};
}

bool ConditionHolds(DriverContext* context, ImageRef record) {
  const WORD item = record.U16(pv::kConditionItem);
  if (item == 0) return true;
  SettingField* field = FindFieldByKeyword(context, static_cast<std::int16_t>(item));
  if (!field) return false;
  return GetFieldValue(context, field) == record.U16(pv::kConditionValue);
}

// The free-size record of a list index, or null outside the twelve records.
const FreeSizeRecord* FreeSizeAt(DriverContext* context, int index) {
  if (!context || !context->work || index < 0 || index >= kFreeSizeRecordCount) return nullptr;
  return &context->work->freeSizes[index];
}

int TenthMmOf(DWORD dots) { return DotsToUserUnits(kUnitTenthMm, static_cast<int>(dots), 1200); }

bool FreeSizeFromRecord(DriverContext* context, int index, int* width, int* length) {
  const FreeSizeRecord* record = FreeSizeAt(context, index);
  if (!record) return false;
  *width = TenthMmOf(record->width);
  *length = TenthMmOf(record->length);
  return true;
}

void FreeSizeFromFields(DriverContext* context, int* width, int* length) {
  *width = TenthMmOf(GetFieldValueById(context, fid::wdmFreeSizeWidth));
  *length = TenthMmOf(GetFieldValueById(context, fid::wdmFreeSizeLength));
}

std::int32_t SignedRaw(DriverContext* context, WORD id) { return static_cast<std::int32_t>(ReadFieldRawById(context, id)); }

}  // namespace

DWORD ScaleDotsToResolution(DWORD value, DWORD resolution) {
  if (resolution == 0) return 0;
  return (value / 1200u) * resolution + ((value % 1200u) * resolution) / 1200u;
}

int GetPaperImageableArea(DriverContext* context, RECTL* rect, POINTL* size, DWORD paperValue) {
  if (rect) *rect = RECTL{};
  if (size) *size = POINTL{};
  if (!context || !context->model) return 0;
  ImageRef option = GetOptionForFeature(fid::dmPaperSize, context);
  if (!option) return 0;
  const DWORD r = GetFieldValueById(context, fid::kdmDstResolutionW);
  const DWORD o = GetFieldValueById(context, fid::dmOrientation);
  ImageRef paper = FindItem(option, paperValue);
  if (!paper) return 0;
  ImageRef first = paper.Plain(item::kPageValues);
  // Same orientation first, then a record of the other orientation, turned.
  for (int pass = 0; pass < 2; ++pass) {
    DWORD walked = 0;
    for (ImageRef rec = first; rec && walked < kMaxRecordWalk; rec = rec.Plain(pv::kNext), ++walked) {
      if (rec.U16(pv::kFirstKey) != r) continue;
      if (pass == 0 && rec.U16(pv::kSecondKey) != o) continue;
      if (!ConditionHolds(context, rec)) continue;
      const std::int32_t x0 = Number(rec, 0), y0 = Number(rec, 1), w = Number(rec, 2), h = Number(rec, 3);
      const std::int32_t px = Number(rec, 4), py = Number(rec, 5);
      RECTL area{};
      POINTL paperSize{};
      if (pass == 0) {
        area = RECTL{x0, y0, x0 + w, y0 + h};
        paperSize = POINTL{px, py};
      } else {
        area = RECTL{y0, x0, y0 + h, x0 + w};
        paperSize = POINTL{py, px};
      }
      if (rect) *rect = area;
      if (size) *size = paperSize;
      return 1;
    }
  }
  return 0;
}

int GetModelPaperSize(DriverContext* context, POINTL* out, WORD fieldId) {
  if (!context || !context->model || !out) return 0;
  ImageRef option = GetOptionForFeature(fid::dmPaperSize, context);
  if (!option) return 0;
  DWORD value = 0;
  if (fieldId != 0) {
    value = GetFieldValueById(context, fieldId);
  } else {
    SettingField* paperField = FindFieldByKeyword(context, static_cast<std::int16_t>(OptionItemId(option)));
    if (!paperField) return 0;
    value = GetFieldValue(context, paperField);
  }
  ImageRef paper = FindItem(option, value);
  if (!paper) return 0;
  const auto first = static_cast<std::int32_t>(paper.U32(item::kFirstSize));
  const auto second = static_cast<std::int32_t>(paper.U32(item::kSecondSize));
  if (ReadFieldRawById(context, fid::dmOrientation) == 2) {
    *out = POINTL{second, first};
  } else {
    *out = POINTL{first, second};
  }
  return 1;
}

int GetSourcePaperSize(DriverContext* context, POINTL* out) {
  if (!context || !context->model || !out) return 0;
  ImageRef option = GetOptionForFeature(fid::dmPaperSize, context);
  if (!option) return 0;
  SettingField* paperField = FindFieldByKeyword(context, static_cast<std::int16_t>(OptionItemId(option)));
  const DWORD p = paperField ? ReadFieldRaw(context, paperField) : ReadFieldRawById(context, fid::dmPaperSize);
  if (IsUserPaperCode(p)) return GetUserPaperSize(context, out, p, kUserPaperSource);
  return GetModelPaperSize(context, out, 0);
}

int GetOutputPaperSize(DriverContext* context, POINTL* out) {
  if (!context || !out) return 0;
  const DWORD p = ReadFieldRawById(context, fid::kdmOutPaperSize);
  if (IsSameAsSourcePaper(p)) return GetSourcePaperSize(context, out);
  if (IsUserPaperCode(p)) return GetUserPaperSize(context, out, p, kUserPaperOutput);
  const DWORD saved = ReadFieldRawById(context, fid::dmPaperSize);
  WriteFieldRawById(context, fid::dmPaperSize, p);
  const int found = GetSourcePaperSize(context, out);
  WriteFieldRawById(context, fid::dmPaperSize, saved);
  return found;
}

int GetUserPaperSize(DriverContext* context, POINTL* out, DWORD paperCode, int sourceSide) {
  if (!context || !out) return 0;
  const int index = FreeSizeIndexFromPaperId(paperCode, context);
  int width = 0, length = 0;
  bool publicSize = false;
  if (sourceSide) {
    const bool hasPaperSize = (ReadFieldRawById(context, fid::dmFields) & DM_PAPERSIZE) != 0;
    if (hasPaperSize && ReadFieldRawById(context, fid::dmPaperSize) != kUserPaper256) {
      LoadUserPaperNames(context, paperCode, index);
      ReadFreeSize(context, index);
      FreeSizeFromFields(context, &width, &length);
    } else if (ReadFieldRawById(context, fid::kdmFuncSelectFreeShortOver) == 1) {
      LoadUserPaperNames(context, paperCode, index);
      FreeSizeFromRecord(context, index, &width, &length);
    } else {
      width = SignedRaw(context, fid::dmPaperWidth);
      length = SignedRaw(context, fid::dmPaperLength);
      // The rendering build and the settings API return the public width and length as they are.
      publicSize = true;
    }
    if (ReadFieldRawById(context, fid::dmOrientation) == 2 && !(publicSize && !IsInterfaceBuild())) {
      const int t = width;
      width = length;
      length = t;
    }
  } else {
    if (paperCode == kUserPaper448) {
      LoadUserPaperNames(context, paperCode, index);
      FreeSizeFromRecord(context, index, &width, &length);
    } else {
      ReadFreeSize(context, index);
      FreeSizeFromFields(context, &width, &length);
    }
    // The rendering build turns the output size by the free-size record's own orientation.
    const FreeSizeRecord* record = IsRenderingBuild() ? FreeSizeAt(context, index) : nullptr;
    if (record && record->orientation == 2) {
      const int t = width;
      width = length;
      length = t;
    }
  }
  *out = POINTL{width, length};
  return 1;
}

DWORD GetUserPaperTray(DriverContext* context, DWORD paperCode, int mode) {
  if (!IsUserPaperCode(paperCode)) return 0;
  const int index = FreeSizeIndexFromPaperId(paperCode, context);
  LoadUserPaperNames(context, paperCode, index);
  const FreeSizeRecord* record = FreeSizeAt(context, index);
  const DWORD tray = record ? record->tray : 0;
  if (mode == 0) return tray;
  if (mode == 1) {
    WriteFieldRawById(context, fid::dmDefaultSource, tray);
    return 1;
  }
  return 0;
}
