// Offered resolutions by code, and the resolution limit applied.
#include "model/resolution_choices.h"

#include <cstdint>

#include "model/derived_fields.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "base/memory.h"
#include "model/printable_area.h"
#include "fields/product_record.h"
#include "field_ids.h"
#include "model/capability_lists.h"
#include "model/resolution_limit.h"
#include "model/resolution_table.h"

namespace {

std::int32_t Signed32(DriverContext* context, WORD field) {
  return static_cast<std::int32_t>(ReadFieldRawById(context, field));
}

}  // namespace

int ListResolutionChoices(DriverContext* context, DWORD* out, int mode) {
  if (!context) return -1;
  const int n = ListResolutions(context, nullptr);
  if (n <= 0) return -1;
  if (mode != kResolutionCodes) {
    if (!out) return n;
    return ListResolutions(context, reinterpret_cast<std::int32_t*>(out));
  }
  auto* pairs = static_cast<std::int32_t*>(AllocMem(static_cast<DWORD>(n) * 2 * sizeof(std::int32_t)));
  if (!pairs) return -1;
  const int got = ListResolutions(context, pairs);
  int count = 0;
  for (int i = 0; i < got && i < n; ++i) {
    const std::int32_t h = pairs[2 * i], v = pairs[2 * i + 1];
    if (h <= 0 || v <= 0) continue;
    const WORD code = FindResolutionCode(static_cast<DWORD>(h), static_cast<DWORD>(v));
    if (code == 0) continue;
    if (out) out[count] = code;
    ++count;
  }
  FreeMem(pairs);
  return count;
}

bool FitsLengthLimit30708(DriverContext* context) {
  if (!context || !context->settings) return false;
  return Signed32(context, fid::kdmDstPaperWidthDot) < kResolutionSideLimit &&
         Signed32(context, fid::kdmDstPaperLengthDot) < kResolutionSideLimit;
}

bool GetScaledPaperSize(DriverContext* context) {
  if (!context || !context->settings) return false;
  return ScaledSourceFits(context);
}

WORD ApplyResolutionLimit(DriverContext* context) {
  if (!context || !context->settings) return 0;
  const WORD limit = GetResolutionLimit(context);
  if (limit == 0) return 0;
  WriteFieldRawById(context, fid::dmPrintQuality, limit);
  BYTE* devmode = GetContextDevmode(context);
  if (!devmode) devmode = context->settings;
  SyncResolutionFromPublic(devmode, context);
  DerivePaperGeometry(ReadFieldRawById(context, fid::dmPaperSize), fid::dmPaperSize, context, devmode);
  DeriveImageableArea(ReadFieldRawById(context, fid::kdmOutPaperSize), fid::kdmOutPaperSize, context, devmode);
  return limit;
}
