// The resolution limit and the resolution judge item.
#include "model/resolution_limit.h"

#include <cstdint>

#include "base/build_switches.h"
#include "model/derived_fields.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "model/printable_area.h"
#include "fields/product_record.h"
#include "base/system_checks.h"
#include "model/units.h"
#include "field_ids.h"
#include "model/resolution_table.h"
#include "win/devmode.h"

namespace {

std::int64_t Signed32(DriverContext* context, WORD field) {
  return static_cast<std::int32_t>(ReadFieldRawById(context, field));
}

std::int64_t Signed16(DriverContext* context, WORD field) {
  return static_cast<std::int16_t>(ReadFieldRawById(context, field));
}

bool SidesBelow(std::int64_t a, std::int64_t b, std::int64_t limit) { return a < limit && b < limit; }
bool SidesAtMost(std::int64_t a, std::int64_t b, std::int64_t limit) { return a <= limit && b <= limit; }

bool PaperFits(DriverContext* context) {
  if (Signed16(context, fid::dmPrintQuality) <= 600) return true;
  const DWORD loadShare = ReadFieldRawById(context, fid::kdmLoadShare) & 0xFF;
  const std::int64_t srcW = Signed32(context, fid::kdmSrcPaperWidthDot);
  const std::int64_t srcL = Signed32(context, fid::kdmSrcPaperLengthDot);
  const std::int64_t dstW = Signed32(context, fid::kdmDstPaperWidthDot);
  const std::int64_t dstL = Signed32(context, fid::kdmDstPaperLengthDot);
  if (loadShare <= 2) {
    if (IsWin9x())
      return SidesBelow(srcW, srcL, kResolutionSideLimit) && SidesAtMost(dstW, dstL, kResolutionSideLimitWide);
    if (static_cast<WORD>(ReadFieldRawById(context, fid::kdmOutPaperSize)) == 1024)
      return SidesAtMost(srcW, srcL, kResolutionSideLimitWide);
    return SidesAtMost(dstW, dstL, kResolutionSideLimitWide);
  }
  return SidesBelow(dstW, dstL, kResolutionSideLimit) && ScaledSourceFits(context);
}

}  // namespace

bool ScaledSourceFits(DriverContext* context) {
  // Products of a 32-bit size and a 16-bit factor are kept in 64 bits.
  std::int64_t w = Signed32(context, fid::kdmSrcPaperWidthDot);
  std::int64_t l = Signed32(context, fid::kdmSrcPaperLengthDot);
  const DWORD scaleType = ReadFieldRawById(context, fid::kdmScaleType);
  if (ReadFieldRawById(context, fid::kdmFuncSelectScale) != 0 && scaleType != 2) {
    const std::int64_t h = Signed16(context, fid::kdmScaleH);
    const std::int64_t v = scaleType == 1 ? h : Signed16(context, fid::kdmScaleV);
    w = h * w / 100;
    l = v * l / 100;
  } else if (ReadFieldRawById(context, fid::kdmFuncSelectNup) != 0 && ReadFieldRawById(context, fid::kdmNUPPOSTKind) == 9) {
    const DWORD n = static_cast<WORD>(ReadFieldRawById(context, fid::kdmNUPType));
    if (n >= 32769) {
      const std::int64_t k = static_cast<std::int64_t>(n) - 32768;
      if (k == 1) {
        if (w < l)
          w *= 2;
        else
          l *= 2;
      } else {
        w *= k;
        l *= k;
      }
    }
  }
  return SidesBelow(w, l, kResolutionSideLimit);
}

WORD ComputeResolutionLimit(DriverContext* context, int privateMode, int compareMode) {
  if (!context || !context->settings) return 0;
  const bool fromPrivate = privateMode != 0;
  if (!fromPrivate && IsBuildFeatureEnabled(8) && ReadFieldRawById(context, fid::kdmFunc2SelectTintBlockUI) != 0 &&
      Signed16(context, fid::dmPrintQuality) == 200)
    return 600;

  // A lock whose code has no row in the resolution table has no resolution to put in
  // place; it is then treated as no lock.
  const WORD resolutionField = fromPrivate ? fid::kdmDstResolutionW : fid::dmPrintQuality;
  const ResolutionRecord* locked = nullptr;
  std::int64_t previous = 0;
  if (IsResolutionLocked(context)) {
    locked = FindResolutionRecord(static_cast<WORD>(ReadFieldRawById(context, fid::kdmLockDstResolutionBoth)));
    if (locked) {
      previous = Signed16(context, resolutionField);
      WriteFieldRawById(context, resolutionField, locked->horizontal);
    }
  }

  BYTE* devmode = GetContextDevmode(context);
  if (!devmode) devmode = context->settings;
  if (fromPrivate)
    SyncResolutionFromPrivate(devmode, context);
  else
    SyncResolutionFromPublic(devmode, context);

  const DWORD fields = ReadFieldRawById(context, fid::dmFields);
  if (!fromPrivate && (fields & DM_PAPERLENGTH) != 0 && (fields & DM_PAPERWIDTH) != 0)
    ComputePrintableArea(devmode, context);
  else
    DerivePaperGeometry(ReadFieldRawById(context, fid::dmPaperSize), fid::dmPaperSize, context, devmode);
  DeriveImageableArea(ReadFieldRawById(context, fid::kdmOutPaperSize), fid::kdmOutPaperSize, context, devmode);

  std::int64_t r = PaperFits(context) ? 0 : 600;
  if (locked) {
    const std::int64_t lockedDpi = locked->horizontal;
    if ((compareMode == 1 && previous <= r) || (compareMode == 0 && previous == r))
      r = 0;
    else if (lockedDpi < r)
      r = lockedDpi;
  }
  return static_cast<WORD>(r);
}

WORD GetResolutionLimit(DriverContext* context) { return ComputeResolutionLimit(context, 0, 0); }

DWORD ResolutionOverCheckItem(DriverContext* context) { return ComputeResolutionLimit(context, 1, 1) == 0 ? 1 : 0; }
