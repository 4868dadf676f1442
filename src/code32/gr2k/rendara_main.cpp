// The exports of Rendara.so: DllMain, DrvQueryDriverInfo, DrvEnableDriver and
// DrvDisableDriver, and the DDI table DrvEnableDriver hands to the graphics engine.
#include "context/context_cache.h"
#include "context/driver_locks.h"
#include "context/extension_modules.h"
#include "ddi.h"
#include "model/model_load.h"
#include "render_device.h"
#include "win/errors.h"
#include "win/loader.h"

namespace rendara {

namespace {

// The engine's version is older than the driver needs.
constexpr DWORD kErrorBadDriverLevel = 119;

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

KOVA_EXPORT BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID /*reserved*/) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      rendara::SetRendaraModule(module);
      InitDriverLocks();
      SelectModuleTable(ModuleTableKind::Rendering);
      break;
    case DLL_PROCESS_DETACH:
      FreeLoadedModelImages();
      EvictContextCache(1);
      DeleteDriverLocks();
      rendara::SetRendaraModule(nullptr);
      break;
    default:
      break;
  }
  return TRUE;
}

KOVA_EXPORT BOOL WINAPI DrvQueryDriverInfo(DWORD mode, PVOID buffer, DWORD size, PDWORD needed) {
  if (mode != DRVQUERY_USERMODE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (needed) *needed = sizeof(DWORD);
  if (!buffer || size < sizeof(DWORD)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  *static_cast<DWORD*>(buffer) = 1;
  return TRUE;
}

KOVA_EXPORT BOOL WINAPI DrvEnableDriver(ULONG engineVersion, ULONG size, DRVENABLEDATA* data) {
  if (engineVersion <= 0x1FFFF) {
    SetLastError(rendara::kErrorBadDriverLevel);
    return FALSE;
  }
  if (size <= 11 || !data) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // An engine record of 12 bytes is the 32-bit form: version, count and the table.
  data->iDriverVersion = DDI_DRIVER_VERSION_NT5;
  data->c = rendara::kDdiEntryCount;
  if (size >= sizeof(DRVENABLEDATA)) data->pdrvfn = const_cast<DRVFN*>(rendara::DdiTable());
  return TRUE;
}

KOVA_EXPORT void WINAPI DrvDisableDriver() {}
