// The DDI functions of Rendara: the 30 entries of the table DrvEnableDriver hands out.
#pragma once

#include "win/winddi.h"

namespace rendara {

// The table, in its order, with the engine's function indexes.
constexpr ULONG kDdiEntryCount = 30;
const DRVFN* DdiTable();

// Device life.
DHPDEV DrvEnablePDEV(DEVMODEW* pdm, LPWSTR logAddress, ULONG patternCount, HSURF* patterns, ULONG gdiInfoSize,
                     ULONG* gdiInfo, ULONG devInfoSize, DEVINFO* devInfo, HDEV hdev, LPWSTR deviceName,
                     HANDLE printer);
void DrvCompletePDEV(DHPDEV dhpdev, HDEV hdev);
BOOL DrvResetPDEV(DHPDEV oldDevice, DHPDEV newDevice);
void DrvDisablePDEV(DHPDEV dhpdev);
HSURF DrvEnableSurface(DHPDEV dhpdev);
void DrvDisableSurface(DHPDEV dhpdev);
BOOL DrvStartBanding(SURFOBJ* pso, POINTL* origin);
BOOL DrvNextBand(SURFOBJ* pso, POINTL* origin);

// Document and page road.
BOOL DrvStartDoc(SURFOBJ* pso, LPWSTR documentName, DWORD jobId);
BOOL DrvStartPage(SURFOBJ* pso);
BOOL DrvSendPage(SURFOBJ* pso);
BOOL DrvEndDoc(SURFOBJ* pso, FLONG flags);
struct RenderDevice;
// The 37-byte notification line of the first page as one 0xF3 block: the job events the
// printer offers and the user chose, "0x%02x".
BOOL WriteNotificationBlock(RenderDevice* device);

// Drawing calls, escapes, fonts and colour transforms.
BOOL DrvBitBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo, RECTL* prclTrg,
               POINTL* pptlSrc, POINTL* pptlMask, BRUSHOBJ* pbo, POINTL* pptlBrush, ROP4 rop4);
BOOL DrvStretchBlt(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                   COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest, RECTL* prclSrc, POINTL* pptlMask,
                   ULONG iMode);
BOOL DrvStrokePath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pbo, POINTL* pptlBrushOrg,
                   LINEATTRS* plineattrs, MIX mix);
BOOL DrvFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, BRUSHOBJ* pbo, POINTL* pptlBrushOrg, MIX mix,
                 FLONG flOptions);
BOOL DrvStrokeAndFillPath(SURFOBJ* pso, PATHOBJ* ppo, CLIPOBJ* pco, XFORMOBJ* pxo, BRUSHOBJ* pboStroke,
                          LINEATTRS* plineattrs, BRUSHOBJ* pboFill, POINTL* pptlBrushOrg, MIX mixFill,
                          FLONG flOptions);
BOOL DrvRealizeBrush(BRUSHOBJ* pbo, SURFOBJ* psoTarget, SURFOBJ* psoPattern, SURFOBJ* psoMask, XLATEOBJ* pxlo,
                     ULONG iHatch);
ULONG DrvEscape(SURFOBJ* pso, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut, PVOID pvOut);
ULONG DrvGetGlyphMode(DHPDEV dhpdev, FONTOBJ* pfo);
ULONG DrvDitherColor(DHPDEV dhpdev, ULONG iMode, ULONG rgb, ULONG* pul);
BOOL DrvCopyBits(SURFOBJ* psoDest, SURFOBJ* psoSrc, CLIPOBJ* pco, XLATEOBJ* pxlo, RECTL* prclDest,
                 POINTL* pptlSrc);
PIFIMETRICS DrvQueryFont(DHPDEV dhpdev, ULONG_PTR iFile, ULONG iFace, ULONG_PTR* pid);
LONG DrvQueryFontData(DHPDEV dhpdev, FONTOBJ* pfo, ULONG iMode, HGLYPH hg, GLYPHDATA* pgd, PVOID pv,
                      ULONG cjSize);
PVOID DrvQueryFontTree(DHPDEV dhpdev, ULONG_PTR iFile, ULONG iFace, ULONG iMode, ULONG_PTR* pid);
HANDLE DrvIcmCreateColorTransform(DHPDEV dhpdev, LOGCOLORSPACEW* pLogColorSpace, PVOID pvSourceProfile,
                                  ULONG cjSourceProfile, PVOID pvDestProfile, ULONG cjDestProfile,
                                  PVOID pvTargetProfile, ULONG cjTargetProfile, DWORD dwReserved);
BOOL DrvIcmDeleteColorTransform(DHPDEV dhpdev, HANDLE hcmXform);
BOOL DrvStretchBltROP(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                      COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest, RECTL* prclSrc, POINTL* pptlMask,
                      ULONG iMode, BRUSHOBJ* pbo, DWORD rop4);
BOOL DrvQueryAdvanceWidths(DHPDEV dhpdev, FONTOBJ* pfo, ULONG iMode, HGLYPH* phg, PVOID pvWidths, ULONG cGlyphs);
BOOL DrvTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra, RECTL* prclOpaque,
                BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg, MIX mix);

}  // namespace rendara
