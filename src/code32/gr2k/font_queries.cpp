// The engine's questions about the device fonts: DrvQueryFont, DrvQueryFontTree,
// DrvQueryFontData and DrvQueryAdvanceWidths.
#include <cstring>

#include "ddi.h"
#include "device_fonts.h"
#include "font_metrics.h"
#include "render_device.h"
#include "win/errors.h"

namespace rendara {

namespace {

constexpr LONG kFontDataError = -1;
constexpr LONG kDeviceMetricsSize = sizeof(FD_DEVICEMETRICS);
static_assert(kDeviceMetricsSize == 124);

// The empty kerning-pair list: one zero pair ends it.
struct KerningPair {
  WCHAR first;
  WCHAR second;
  FWORD adjust;
};
const KerningPair kNoKerningPairs[1] = {{0, 0, 0}};

RenderDevice* Checked(DHPDEV dhpdev) {
  auto* device = reinterpret_cast<RenderDevice*>(dhpdev);
  if (!IsValidRenderDevice(device)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return device;
}

// The face of a font object on a device with device fonts, or null.
IFIMETRICS* FaceMetrics(RenderDevice* device, FONTOBJ* font) {
  IFIMETRICS* metrics = font ? MetricsOfFace(device, font->iFace) : nullptr;
  if (!metrics) SetLastError(ERROR_INVALID_PARAMETER);
  return metrics;
}

LONG ToLong(std::int64_t v) {
  if (v > 0x7FFFFFFF) return 0x7FFFFFFF;
  if (v < -0x7FFFFFFF - 1) return -0x7FFFFFFF - 1;
  return static_cast<LONG>(v);
}

// The length of X(0, v), negated for a negative v, rounded to a whole pixel.
std::int64_t SignedHeight(const XFORML& m, LONG v) {
  const std::int64_t length = LengthOf(TransformToFix(m, 0, v));
  return RoundFixToPixel(v < 0 ? -length : length);
}

// A point through the transform in whole device units.
POINTL DevicePoint(const XFORML& m, LONG x, LONG y) {
  const FixVector v = TransformToFix(m, x, y);
  return POINTL{ToLong((v.x + 8) >> 4), ToLong((v.y + 8) >> 4)};
}

// A whole value in the high half of a 64-bit component, the low half 0.
LONGLONG HighHalf(std::int64_t v) {
  return static_cast<LONGLONG>(static_cast<std::uint64_t>(static_cast<std::int64_t>(ToLong(v))) << 32);
}

POINTE Direction(const FixVector& v) {
  const double length = static_cast<double>(LengthOf(v));
  if (length == 0) return POINTE{0, 0};
  return POINTE{static_cast<FLOATL>(v.x / length), static_cast<FLOATL>(v.y / length)};
}

}  // namespace

PIFIMETRICS DrvQueryFont(DHPDEV dhpdev, ULONG_PTR, ULONG iFace, ULONG_PTR* pid) {
  if (pid) *pid = 0;
  RenderDevice* device = Checked(dhpdev);
  if (!device) return nullptr;
  IFIMETRICS* metrics = MetricsOfFace(device, iFace);
  if (!metrics) SetLastError(ERROR_INVALID_PARAMETER);
  return metrics;
}

PVOID DrvQueryFontTree(DHPDEV dhpdev, ULONG_PTR, ULONG iFace, ULONG iMode, ULONG_PTR* pid) {
  if (pid) *pid = 0;
  RenderDevice* device = Checked(dhpdev);
  if (!device) return nullptr;
  if (!MetricsOfFace(device, iFace)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (iMode == QFT_KERNPAIRS) return const_cast<KerningPair*>(kNoKerningPairs);
  if (iMode == QFT_GLYPHSET) {
    FD_GLYPHSET* set = GlyphSetOfFace(device, iFace);
    if (!set) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return set;
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return nullptr;
}

LONG DrvQueryFontData(DHPDEV dhpdev, FONTOBJ* pfo, ULONG iMode, HGLYPH hg, GLYPHDATA* pgd, PVOID pv, ULONG cjSize) {
  RenderDevice* device = Checked(dhpdev);
  if (!device) return kFontDataError;
  const IFIMETRICS* font = FaceMetrics(device, pfo);
  if (!font) return kFontDataError;
  const XFORML m = FontTransform(pfo);
  const RECTL& box = font->rclFontBox;

  if (iMode == QFD_GLYPHANDBITMAP) {
    if (!pgd) return 0;
    const std::int64_t w = GlyphWidth(font, hg);
    const std::int64_t descent = SignedHeight(m, box.bottom);
    const std::int64_t ascent = SignedHeight(m, box.top);
    const FixVector base = TransformToFix(m, 4096, 0);
    const std::int64_t advance = RoundFixToPixel((w * LengthOf(base)) >> 12);
    std::memset(static_cast<void*>(pgd), 0, sizeof *pgd);
    pgd->hg = hg;
    pgd->fxD = ToLong(advance);
    pgd->fxA = 0;
    pgd->fxAB = ToLong(advance);
    pgd->fxInkTop = ToLong(ascent);
    pgd->fxInkBottom = ToLong(descent);
    pgd->ptqD.x.QuadPart = HighHalf(RoundFixToPixel((base.x * w) >> 12));
    pgd->ptqD.y.QuadPart = HighHalf(RoundFixToPixel((base.y * w) >> 12));
    return 0;
  }
  if (iMode == QFD_MAXEXTENTS) {
    if (!pv) return kDeviceMetricsSize;
    if (cjSize < static_cast<ULONG>(kDeviceMetricsSize)) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return kFontDataError;
    }
    FD_DEVICEMETRICS dm{};
    dm.flRealizedType = 0;
    dm.pteBase = Direction(TransformToFix(m, 1000, 0));
    dm.pteSide = Direction(TransformToFix(m, 0, -1000));
    const std::int64_t maxAdvance = (LengthOf(TransformToFix(m, font->fwdMaxCharInc, 0)) + 8) >> 4;
    dm.cxMax = static_cast<ULONG>(ToLong(maxAdvance));
    dm.lD = (font->flInfo & FM_INFO_CONSTANT_WIDTH) ? ToLong(maxAdvance) : 0;
    dm.fxMaxAscender = ToLong(RoundFixToPixel(LengthOf(TransformToFix(m, 0, box.top))));
    std::int64_t d = box.bottom < 0 ? -static_cast<std::int64_t>(box.bottom) : box.bottom;
    if ((font->jWinPitchAndFamily & 1) && !(font->flInfo & FM_INFO_DBCS_FIXED_PITCH)) {
      d -= static_cast<std::int64_t>(box.top) - box.bottom - 1000;
      if (d < 0) d = 0;
    }
    dm.fxMaxDescender = ToLong(RoundFixToPixel(LengthOf(TransformToFix(m, 0, d))));
    dm.ptlUnderline1 = DevicePoint(m, 0, -font->fwdUnderscorePosition);
    dm.ptlStrikeOut = DevicePoint(m, 0, -font->fwdStrikeoutPosition);
    dm.ptlULThickness = DevicePoint(m, 0, font->fwdUnderscoreSize);
    dm.ptlSOThickness = dm.ptlULThickness;
    std::memcpy(pv, &dm, sizeof dm);
    return kDeviceMetricsSize;
  }
  return kFontDataError;
}

BOOL DrvQueryAdvanceWidths(DHPDEV dhpdev, FONTOBJ* pfo, ULONG iMode, HGLYPH* phg, PVOID pvWidths, ULONG cGlyphs) {
  RenderDevice* device = Checked(dhpdev);
  if (!device) return FALSE;
  const IFIMETRICS* font = FaceMetrics(device, pfo);
  if (!font) return FALSE;
  if (iMode != QAW_GETWIDTHS && iMode != QAW_GETEASYWIDTHS) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (cGlyphs == 0) return TRUE;
  if (!phg || !pvWidths) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::int64_t s = LengthOf(TransformToFix(FontTransform(pfo), 4096, 0));
  auto* widths = static_cast<USHORT*>(pvWidths);
  BOOL all = TRUE;
  for (ULONG i = 0; i < cGlyphs; ++i) {
    const std::int64_t width = (((GlyphWidth(font, phg[i]) * s) >> 12) + 8) & ~static_cast<std::int64_t>(0xF);
    // A width too large for its 16-bit slot is not wrapped: the answer says the widths
    // are not all had, and the engine asks for the glyph's metrics instead.
    if (width > 0xFFFF) {
      widths[i] = 0xFFF0;
      all = FALSE;
      continue;
    }
    widths[i] = static_cast<USHORT>(width);
  }
  return all;
}

ULONG DrvGetGlyphMode(DHPDEV dhpdev, FONTOBJ*) {
  Checked(dhpdev);
  return FO_GLYPHBITS;
}

}  // namespace rendara
