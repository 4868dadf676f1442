// The DDI table DrvEnableDriver hands to the graphics engine: 30 entries, in this order.
#include "ddi.h"

namespace rendara {

namespace {

template <class F>
PFN Entry(F f) {
  return reinterpret_cast<PFN>(reinterpret_cast<void (*)()>(f));
}

const DRVFN kDdiTable[kDdiEntryCount] = {
    {INDEX_DrvEnablePDEV, Entry(DrvEnablePDEV)},
    {INDEX_DrvDisablePDEV, Entry(DrvDisablePDEV)},
    {INDEX_DrvCompletePDEV, Entry(DrvCompletePDEV)},
    {INDEX_DrvResetPDEV, Entry(DrvResetPDEV)},
    {INDEX_DrvEnableSurface, Entry(DrvEnableSurface)},
    {INDEX_DrvDisableSurface, Entry(DrvDisableSurface)},
    {INDEX_DrvStartPage, Entry(DrvStartPage)},
    {INDEX_DrvSendPage, Entry(DrvSendPage)},
    {INDEX_DrvStartDoc, Entry(DrvStartDoc)},
    {INDEX_DrvEndDoc, Entry(DrvEndDoc)},
    {INDEX_DrvStartBanding, Entry(DrvStartBanding)},
    {INDEX_DrvNextBand, Entry(DrvNextBand)},
    {INDEX_DrvBitBlt, Entry(DrvBitBlt)},
    {INDEX_DrvStretchBlt, Entry(DrvStretchBlt)},
    {INDEX_DrvStrokePath, Entry(DrvStrokePath)},
    {INDEX_DrvFillPath, Entry(DrvFillPath)},
    {INDEX_DrvStrokeAndFillPath, Entry(DrvStrokeAndFillPath)},
    {INDEX_DrvRealizeBrush, Entry(DrvRealizeBrush)},
    {INDEX_DrvEscape, Entry(DrvEscape)},
    {INDEX_DrvGetGlyphMode, Entry(DrvGetGlyphMode)},
    {INDEX_DrvDitherColor, Entry(DrvDitherColor)},
    {INDEX_DrvCopyBits, Entry(DrvCopyBits)},
    {INDEX_DrvQueryFont, Entry(DrvQueryFont)},
    {INDEX_DrvQueryFontData, Entry(DrvQueryFontData)},
    {INDEX_DrvQueryFontTree, Entry(DrvQueryFontTree)},
    {INDEX_DrvIcmCreateColorTransform, Entry(DrvIcmCreateColorTransform)},
    {INDEX_DrvIcmDeleteColorTransform, Entry(DrvIcmDeleteColorTransform)},
    {INDEX_DrvStretchBltROP, Entry(DrvStretchBltROP)},
    {INDEX_DrvQueryAdvanceWidths, Entry(DrvQueryAdvanceWidths)},
    {INDEX_DrvTextOut, Entry(DrvTextOut)},
};

}  // namespace

const DRVFN* DdiTable() { return kDdiTable; }

}  // namespace rendara
