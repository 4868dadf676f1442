// The drawing calls, escapes and colour transforms of the DDI table.
//
// Text and fonts are served in text_output.cpp and font_queries.cpp, the escapes in
// escapes.cpp. An invalid device gives ERROR_INVALID_PARAMETER first.
#include "bitblt.h"
#include "brush_realize.h"
#include "colour_transform.h"
#include "ddi.h"
#include "escapes.h"
#include "render_device.h"
#include "win/errors.h"

namespace rendara {

namespace {

RenderDevice* Checked(RenderDevice* device) {
  if (!IsValidRenderDevice(device)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return device;
}

RenderDevice* OfSurface(SURFOBJ* pso) { return Checked(pso ? reinterpret_cast<RenderDevice*>(pso->dhpdev) : nullptr); }
RenderDevice* OfHandle(DHPDEV dhpdev) { return Checked(reinterpret_cast<RenderDevice*>(dhpdev)); }

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

ULONG DrvDitherColor(DHPDEV, ULONG, ULONG, ULONG*) { return DCR_HALFTONE; }

BOOL DrvCopyBits(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo, RECTL* prclDest, POINTL* pptlSrc) {
  return CopyBits(psoDest, psoSrc, pco, pxlo, prclDest, pptlSrc);
}

// DrvQueryFont, DrvQueryFontData, DrvQueryFontTree, DrvQueryAdvanceWidths and
// DrvGetGlyphMode: font_queries.cpp. DrvTextOut: text_output.cpp.

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

}  // namespace rendara
