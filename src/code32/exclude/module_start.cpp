#include "module_start.h"

#include "context/context_cache.h"
#include "context/context_create.h"
#include "base/deliverable.h"
#include "context/library_start.h"
#include "model/driver_locks.h"
#include "model/model_load.h"
#include "api_frame.h"
#include "outside/bidi_query.h"
#include "win/loader.h"

namespace {
HINSTANCE g_module = nullptr;

// A failed call of the two-way library becomes the item API's last error.
void RecordTwoWayError(DriverContext* context, std::int32_t apiError) {
  if (ApiState* state = ApiStateOf(context)) state->lastError = apiError;
}
}  // namespace

HINSTANCE GetConstrixModule() { return g_module; }

BOOL DoDllMain(HINSTANCE module, DWORD reason, LPVOID) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      g_module = module;
      StartDriverLibrary(Deliverable::SettingsApi);
      SetBidiErrorSink(RecordTwoWayError);
      break;
    case DLL_PROCESS_DETACH:
      SetBidiErrorSink(nullptr);
      EndDriverLibrary();
      g_module = nullptr;
      break;
    default:
      break;
  }
  return TRUE;
}

DriverContext* CreateApiContext(HANDLE printer, DWORD kind) {
  if (!printer) return nullptr;
  return CreateContextForPrinter(printer, printer, 0, kind);
}

void GiveContextBack(DriverContext* context) {
  if (!context) return;
  ReleaseContextToCache(context);
  EvictContextCache(1);
}
