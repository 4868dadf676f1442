#include "model/printable_area.h"

#include <cstddef>
#include <cstring>

#include "base/deliverable.h"
#include "stored/devmode_checks.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "model/module_dispatch.h"
#include "context/paper_sizes.h"
#include "model/free_size_list.h"
#include "model/paper_map.h"
#include "fields/product_record.h"
#include "model/units.h"
#include "fields/value_maps.h"
#include "field_ids.h"
#include "win/devmode.h"

namespace {

constexpr DWORD kSameAsSource = 1024;
constexpr DWORD kUserPaper256 = 256;

DWORD U(std::int32_t v) { return static_cast<DWORD>(v); }

// A public member of a device-mode: through the field engine when it is the context's own
// device-mode, else into the given buffer.
struct PublicFields {
  DriverContext* context;
  BYTE* devmode;

  bool Own() const { return devmode == GetContextDevmode(context); }

  SHORT ReadShort(WORD id, std::size_t offset) const {
    if (Own()) return static_cast<SHORT>(ReadFieldRawById(context, id));
    SHORT v = 0;
    if (devmode) std::memcpy(&v, devmode + offset, sizeof v);
    return v;
  }
  void WriteShort(WORD id, std::size_t offset, int value) const {
    if (Own()) {
      WriteFieldRawById(context, id, static_cast<DWORD>(value));
    } else if (devmode) {
      const auto v = static_cast<SHORT>(value);
      std::memcpy(devmode + offset, &v, sizeof v);
    }
  }
  DWORD Fields() const {
    if (Own()) return ReadFieldRawById(context, fid::dmFields);
    DWORD v = 0;
    if (devmode) std::memcpy(&v, devmode + offsetof(DEVMODEW, dmFields), sizeof v);
    return v;
  }
  void SetFields(DWORD set, DWORD clear) const {
    const DWORD v = (Fields() & ~clear) | set;
    if (Own()) {
      WriteFieldRawById(context, fid::dmFields, v);
    } else if (devmode) {
      std::memcpy(devmode + offsetof(DEVMODEW, dmFields), &v, sizeof v);
    }
  }
  SHORT PaperSize() const { return ReadShort(fid::dmPaperSize, offsetof(DEVMODEW, dmPaperSize)); }
  SHORT PaperLength() const { return ReadShort(fid::dmPaperLength, offsetof(DEVMODEW, dmPaperLength)); }
  SHORT PaperWidth() const { return ReadShort(fid::dmPaperWidth, offsetof(DEVMODEW, dmPaperWidth)); }
  void SetPaperLength(int v) const { WriteShort(fid::dmPaperLength, offsetof(DEVMODEW, dmPaperLength), v); }
  void SetPaperWidth(int v) const { WriteShort(fid::dmPaperWidth, offsetof(DEVMODEW, dmPaperWidth), v); }
};

void WriteRaw(DriverContext* context, WORD id, std::int32_t value) { WriteFieldRawById(context, id, U(value)); }

// The six fields of one side: length, width, printable length, printable width, x, y.
void WriteSide(DriverContext* context, WORD first, std::int32_t length, std::int32_t width, std::int32_t printLength,
               std::int32_t printWidth, std::int32_t x, std::int32_t y) {
  WriteRaw(context, first, length);
  WriteRaw(context, static_cast<WORD>(first + 1), width);
  WriteRaw(context, static_cast<WORD>(first + 2), printLength);
  WriteRaw(context, static_cast<WORD>(first + 3), printWidth);
  WriteRaw(context, static_cast<WORD>(first + 4), x);
  WriteRaw(context, static_cast<WORD>(first + 5), y);
}

// Length and width (1200 dpi) of a free-size record; false outside the twelve records.
bool RecordSize(DriverContext* context, int index, DWORD* length, DWORD* width) {
  if (!context->work || index < 0 || index >= kFreeSizeRecordCount) return false;
  *length = context->work->freeSizes[index].length;
  *width = context->work->freeSizes[index].width;
  return true;
}

// A 1200-dpi length held within the product's limits of the field, in the user's unit.
DWORD HoldWithinLimits(DriverContext* context, WORD limitField, DWORD dots) {
  int minimum = 0, maximum = 0;
  if (!GetFreeSizeLimits(context, limitField, &minimum, &maximum)) return dots;
  const int u = ToUserUnits(context, 0, static_cast<int>(dots));
  if (u < minimum) return static_cast<DWORD>(FromUserUnits(context, 0, minimum));
  if (u > maximum) return static_cast<DWORD>(FromUserUnits(context, 0, maximum));
  return dots;
}

bool Landscape(DriverContext* context) { return ReadFieldRawById(context, fid::dmOrientation) == 2; }

void DerivePaper(DWORD a, WORD b, DriverContext* context, BYTE* d, bool turn) {
  if (!context || !context->settings) return;
  const PublicFields pub{context, d};
  SettingField* field = FindFieldById(context, b);
  const DWORD v = field ? RawToOptionIndex(context, field, a) : a;
  RECTL rect{};
  POINTL size{};
  const int found = GetPaperImageableArea(context, &rect, &size, v);
  WriteFieldRawById(context, fid::kdmFuncSelectFreeShortOver, 0);

  if (IsFreeSizeListPaper(a, context)) {
    InitFreeSizes(context);
    const DWORD res = ReadFieldRawById(context, fid::kdmDstResolutionW);
    const int index = FreeSizeIndexFromPaperId(a, context);
    LoadUserPaperNames(context, a, index);
    FreeSizeRecordToCurrent(context, index);
    DWORD length = 0, width = 0;
    RecordSize(context, index, &length, &width);
    width = HoldWithinLimits(context, fid::wdmFreeSizeWidth, width);
    length = HoldWithinLimits(context, fid::wdmFreeSizeLength, length);
    // The settings API keeps the portrait length and width in the public fields.
    const DWORD publicLength = length, publicWidth = width;
    const bool portraitPublic = IsSettingsApiBuild();
    if (turn && Landscape(context)) {
      const DWORD t = length;
      length = width;
      width = t;
    }
    const DWORD over = (length > kFreeSizeShortLimit || width > kFreeSizeShortLimit) ? 1 : 0;
    WriteFieldRawById(context, fid::kdmFuncSelectFreeShortOver, over);
    const auto scaledLength = static_cast<std::int32_t>(ScaleDotsToResolution(length, res));
    const auto scaledWidth = static_cast<std::int32_t>(ScaleDotsToResolution(width, res));
    WriteSide(context, fid::kdmSrcPaperLengthDot, scaledLength, scaledWidth, scaledLength - 2 * rect.top,
              scaledWidth - 2 * rect.left, rect.left, rect.top);
    if (over == 0) {
      PaperSizeEventBlock block{d, 0};
      NotifyModules(context, kPaperSizeEvent, &block);
      if (!block.handled) {
        pub.SetPaperLength(
            DotsToUserUnits(kUnitTenthMm, static_cast<int>(portraitPublic ? publicLength : length), 1200));
        pub.SetPaperWidth(DotsToUserUnits(kUnitTenthMm, static_cast<int>(portraitPublic ? publicWidth : width), 1200));
      }
      pub.SetFields(DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH, 0);
      return;
    }
    pub.SetPaperLength(0);
    pub.SetPaperWidth(0);
  } else {
    if (!IsModelPaperSize(a, context) || !found) return;
    WriteSide(context, fid::kdmSrcPaperLengthDot, size.y, size.x, rect.bottom - rect.top, rect.right - rect.left, rect.left,
              rect.top);
    POINTL paper{};
    if (GetModelPaperSize(context, &paper, 0)) {
      pub.SetPaperLength(paper.y);
      pub.SetPaperWidth(paper.x);
    }
  }
  pub.SetFields(DM_PAPERSIZE, DM_PAPERLENGTH | DM_PAPERWIDTH);
}

void DeriveOutput(DWORD a, WORD b, DriverContext* context, BYTE* d, bool turn) {
  if (!context || !context->settings) return;
  const PublicFields pub{context, d};
  POINTL out{};
  if (GetOutputPaperSize(context, &out)) {
    WriteRaw(context, fid::kdmDstPaperLengthMM, out.y);
    WriteRaw(context, fid::kdmDstPaperWidthMM, out.x);
  }
  if (a == kSameAsSource && IsRenderingBuild()) {
    // The rendering build takes the source sizes as the output sizes at once, and for a
    // free-size list paper brings the list's record into the free-size fields; nothing more.
    for (WORD k = 0; k < 6; ++k) {
      WriteFieldRawById(context, static_cast<WORD>(fid::kdmDstPaperLengthDot + k),
                        ReadFieldRawById(context, static_cast<WORD>(fid::kdmSrcPaperLengthDot + k)));
    }
    const auto source = static_cast<DWORD>(static_cast<std::int32_t>(pub.PaperSize()));
    if (IsFreeSizeListPaper(source, context)) {
      InitFreeSizes(context);
      const int index = FreeSizeIndexFromPaperId(source, context);
      LoadUserPaperNames(context, source, index);
      FreeSizeRecordToFeatures(context, index);
    }
    return;
  }
  if (a == kSameAsSource) {
    a = static_cast<DWORD>(static_cast<std::int32_t>(pub.PaperSize()));
    if (IsFreeSizeListPaper(a, context)) {
      for (WORD k = 0; k < 6; ++k) {
        WriteFieldRawById(context, static_cast<WORD>(fid::kdmDstPaperLengthDot + k),
                          ReadFieldRawById(context, static_cast<WORD>(fid::kdmSrcPaperLengthDot + k)));
      }
      return;
    }
  }
  SettingField* field = FindFieldById(context, b);
  if (!field || !IsRawValueMapped(context, field, a)) field = FindFieldById(context, fid::dmPaperSize);
  const DWORD v = field ? RawToOptionIndex(context, field, a) : a;
  RECTL rect{};
  POINTL size{};
  const int found = GetPaperImageableArea(context, &rect, &size, v);

  if (IsFreeSizeListPaper(a, context)) {
    InitFreeSizes(context);
    const int index = FreeSizeIndexFromPaperId(a, context);
    LoadUserPaperNames(context, a, index);
    FreeSizeRecordToFeatures(context, index);
    const DWORD rw = ReadFieldRawById(context, fid::kdmDstResolutionW);
    const DWORD rh = ReadFieldRawById(context, fid::kdmDstResolutionH);
    DWORD length = 0, width = 0;
    RecordSize(context, index, &length, &width);
    // The rendering build turns the size by the record's own orientation.
    const bool recordLandscape = index >= 0 && index < kFreeSizeRecordCount && context->work &&
                                 context->work->freeSizes[index].orientation == 2;
    if (IsRenderingBuild() ? recordLandscape : (turn && Landscape(context))) {
      const DWORD t = length;
      length = width;
      width = t;
    }
    const auto scaledLength = static_cast<std::int32_t>(ScaleDotsToResolution(length, rh));
    const auto scaledWidth = static_cast<std::int32_t>(ScaleDotsToResolution(width, rw));
    WriteSide(context, fid::kdmDstPaperLengthDot, scaledLength, scaledWidth, scaledLength - 2 * rect.top,
              scaledWidth - 2 * rect.left, rect.left, rect.top);
    return;
  }
  if (!IsModelPaperSize(a, context) || !found) return;
  WriteSide(context, fid::kdmDstPaperLengthDot, size.y, size.x, rect.bottom - rect.top, rect.right - rect.left, rect.left,
            rect.top);
}

}  // namespace

void DerivePaperGeometry(DWORD paper, WORD fieldId, DriverContext* context, BYTE* devmode) {
  // The rendering build always swaps a free size in landscape.
  DerivePaper(paper, fieldId, context, devmode, IsRenderingBuild());
}

void DerivePaperGeometryOriented(DWORD paper, WORD fieldId, DriverContext* context, BYTE* devmode) {
  DerivePaper(paper, fieldId, context, devmode, true);
}

void DeriveImageableArea(DWORD paper, WORD fieldId, DriverContext* context, BYTE* devmode) {
  DeriveOutput(paper, fieldId, context, devmode, false);
}

void DeriveImageableAreaOriented(DWORD paper, WORD fieldId, DriverContext* context, BYTE* devmode) {
  DeriveOutput(paper, fieldId, context, devmode, true);
}

void ComputePrintableArea(BYTE* devmode, DriverContext* context) {
  if (!context || !context->settings) return;
  const PublicFields pub{context, devmode};
  const auto res = static_cast<std::int32_t>(ReadFieldRawById(context, fid::dmPrintQuality));
  SettingField* paperField = FindFieldById(context, fid::dmPaperSize);
  const DWORD v = paperField ? RawToOptionIndex(context, paperField, kUserPaper256) : kUserPaper256;
  RECTL rect{};
  GetPaperImageableArea(context, &rect, nullptr, v);
  const std::int32_t length = UserUnitsToDots(kUnitTenthMm, pub.PaperLength(), res);
  const std::int32_t width = UserUnitsToDots(kUnitTenthMm, pub.PaperWidth(), res);
  WriteSide(context, fid::kdmSrcPaperLengthDot, length, width, length - 2 * rect.top, width - 2 * rect.left, rect.left,
            rect.top);
}
