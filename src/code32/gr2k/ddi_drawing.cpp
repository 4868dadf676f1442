// The drawing calls, escapes, device-font queries and colour transforms of the DDI table.
//
// PENDING: text output, the device fonts and the glyph cache give the font and text
// calls their bodies. Until then each answers as a device that draws
// nothing: a valid device's drawing call succeeds without writing (FALSE once an output
// write of the job has failed), no device
// font exists. An invalid device gives
// ERROR_INVALID_PARAMETER first. The escapes are served in escapes.cpp.
#include "bitblt.h"
#include "brush_realize.h"
#include "colour_transform.h"
#include "ddi.h"
#include "escapes.h"
#include "render_device.h"
#include "win/errors.h"

namespace rendara {

namespace {

constexpr LONG kFontDataError = -1;

RenderDevice* Checked(RenderDevice* device) {
  if (!IsValidRenderDevice(device)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return device;
}

RenderDevice* OfSurface(SURFOBJ* pso) { return Checked(pso ? reinterpret_cast<RenderDevice*>(pso->dhpdev) : nullptr); }
RenderDevice* OfHandle(DHPDEV dhpdev) { return Checked(reinterpret_cast<RenderDevice*>(dhpdev)); }

// A drawing call on a device that draws nothing.
BOOL DrawNothing(SURFOBJ* pso) {
  RenderDevice* device = OfSurface(pso);
  if (!device) return FALSE;
  return (device->jobFlags & JOB_OUTPUT_FAILED) ? FALSE : TRUE;
}

}  // namespace

BOOL DrvBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo, RECTL* prclTrg,
               POINTL* pptlSrc, POINTL* pptlMask, BRUSHOBJ* pbo, POINTL* pptlBrush, ROP4 rop4) {
  return BitBlt(psoTrg, psoSrc, psoMask, pco, pxlo, prclTrg, pptlSrc, pptlMask, pbo, pptlBrush, rop4);
}

BOOL DrvStretchBlt(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                   COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest, RECTL* prclSrc, POINTL* pptlMask,
                   ULONG iMode) {
  return StretchBlt(psoDest, psoSrc, psoMask, pco, pxlo, pca, pptlHTOrg, prclDest, prclSrc, pptlMask, iMode);
}

// DrvStrokePath, DrvFillPath and DrvStrokeAndFillPath: path_drawing.cpp.

BOOL DrvRealizeBrush(BRUSHOBJ* pbo, SURFOBJ* psoTarget, SURFOBJ* psoPattern, SURFOBJ*, XLATEOBJ* pxlo, ULONG iHatch) {
  RenderDevice* device = OfSurface(psoTarget);
  if (!device) return FALSE;
  return RealizeBrush(device, pbo, psoPattern, pxlo, iHatch);
}

ULONG DrvEscape(SURFOBJ* pso, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut, PVOID pvOut) {
  RenderDevice* device = OfSurface(pso);
  if (!device) return 0;
  return DeviceEscape(device, iEsc, cjIn, pvIn, cjOut, pvOut);
}

ULONG DrvGetGlyphMode(DHPDEV dhpdev, FONTOBJ*) {
  OfHandle(dhpdev);
  return FO_GLYPHBITS;
}

ULONG DrvDitherColor(DHPDEV, ULONG, ULONG, ULONG*) { return DCR_HALFTONE; }

BOOL DrvCopyBits(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo, RECTL* prclDest, POINTL* pptlSrc) {
  return CopyBits(psoDest, psoSrc, pco, pxlo, prclDest, pptlSrc);
}

PIFIMETRICS DrvQueryFont(DHPDEV dhpdev, ULONG_PTR, ULONG, ULONG_PTR* pid) {
  OfHandle(dhpdev);
  if (pid) *pid = 0;
  return nullptr;
}

LONG DrvQueryFontData(DHPDEV dhpdev, FONTOBJ*, ULONG, HGLYPH, GLYPHDATA*, PVOID, ULONG) {
  OfHandle(dhpdev);
  return kFontDataError;
}

PVOID DrvQueryFontTree(DHPDEV dhpdev, ULONG_PTR, ULONG, ULONG, ULONG_PTR* pid) {
  OfHandle(dhpdev);
  if (pid) *pid = 0;
  return nullptr;
}

HANDLE DrvIcmCreateColorTransform(DHPDEV dhpdev, LOGCOLORSPACEW* pLogColorSpace, PVOID, ULONG,
                                   PVOID pvDestColorProfile, ULONG cjDestColorProfile, PVOID, ULONG, DWORD) {
  RenderDevice* device = OfHandle(dhpdev);
  if (!device) return nullptr;
  return CreateDeviceColorTransform(device, pLogColorSpace, pvDestColorProfile, cjDestColorProfile);
}

BOOL DrvIcmDeleteColorTransform(DHPDEV dhpdev, HANDLE) {
  RenderDevice* device = OfHandle(dhpdev);
  if (!device) return FALSE;
  return DeleteDeviceColorTransform(device);
}

BOOL DrvStretchBltROP(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                      COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest, RECTL* prclSrc, POINTL* pptlMask,
                      ULONG iMode, BRUSHOBJ* pbo, DWORD rop4) {
  return StretchBltRop(psoDest, psoSrc, psoMask, pco, pxlo, pca, pptlHTOrg, prclDest, prclSrc, pptlMask, iMode, pbo,
                       rop4);
}

BOOL DrvQueryAdvanceWidths(DHPDEV dhpdev, FONTOBJ*, ULONG, HGLYPH*, PVOID, ULONG) {
  OfHandle(dhpdev);
  return FALSE;
}

// PENDING: text output (device fonts, downloaded glyphs and the glyph cache) replaces this.
// Until then the driver draws no text: on a banding bitmap the engine draws it into the
// band, and on the vector surface the call is declined rather than reported as drawn.
BOOL DrvTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra, RECTL* prclOpaque,
                BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg, MIX mix) {
  if (!DrawNothing(pso)) return FALSE;
  if (!pso->pvBits) return FALSE;
  return EngTextOut(pso, pstro, pfo, pco, prclExtra, prclOpaque, pboFore, pboOpaque, pptlOrg, mix);
}

}  // namespace rendara
