// The exports of Rendara.so: DllMain, DrvQueryDriverInfo, DrvEnableDriver and
// DrvDisableDriver.
#include "context/context_cache.h"
#include "model/driver_locks.h"
#include "context/extension_modules.h"
#include "base/deliverable.h"
#include "context/library_start.h"
#include "ddi.h"
#include "device_font_data.h"
#include "model/model_load.h"
#include "render_device.h"
#include "win/errors.h"
#include "win/loader.h"

namespace rendara {

namespace {

// The engine's version is older than the driver needs.
constexpr DWORD kErrorBadDriverLevel = 119;

}  // namespace

}  // namespace rendara

KOVA_EXPORT BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID /*reserved*/) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      rendara::SetRendaraModule(module);
      rendara::RegisterFontResources(module);
      StartDriverLibrary(Deliverable::Rendering);
      break;
    case DLL_PROCESS_DETACH:
      EndDriverLibrary();
      rendara::UnregisterFontResources(module);
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
