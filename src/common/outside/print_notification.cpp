#include "outside/print_notification.h"

#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/locale_text.h"
#include "base/paths_and_names.h"
#include "field_ids.h"
#include "win/kernel.h"
#include "win/loader.h"

namespace {

void ClearCapabilities(DriverContext* context) {
  WriteFieldRawById(context, fid::kdmSupportFunc2SelectJobComplete, 0);
  WriteFieldRawById(context, fid::kdmSupportFunc2SelectJobErr, 0);
}

}  // namespace

void QueryPrintNotification(DriverContext* context, DWORD flags) {
  if (!context) return;
  WCHAR path[261] = {};
  const UINT n = GetSystemDirectoryW(path, 261);
  static const WCHAR kName[] = u"\\Notifinf.dll";
  constexpr UINT kNameChars = sizeof kName / sizeof(WCHAR);
  if (n == 0 || n + kNameChars > 261) {
    ClearCapabilities(context);
    return;
  }
  for (UINT i = 0; i < kNameChars; ++i) path[n + i] = kName[i];
  HMODULE library = LoadLibraryW(path);
  if (!library) {
    ClearCapabilities(context);
    return;
  }
  auto capability = ProcCast<PrintNotificationCapabilityProc>(GetProcAddress(library, "RMGetPrintNotificationCapability"));
  auto value = ProcCast<PrintNotificationValueProc>(GetProcAddress(library, "RMGetPrintNotificationValue"));
  DWORD capabilities = 0;
  char name[260] = {};
  const WCHAR* display = GetPrinterDisplayName(context);
  if (display) WideToAnsi(name, display, sizeof name);
  name[sizeof name - 1] = 0;
  if (!capability || !value || capability(name, &capabilities) != 0) {
    ClearCapabilities(context);
    FreeLibrary(library);
    return;
  }
  WriteFieldRawById(context, fid::kdmSupportFunc2SelectJobComplete, capabilities & 0x1);
  WriteFieldRawById(context, fid::kdmSupportFunc2SelectJobErr, (capabilities >> 1) & 0x1);
  if (!(flags & PNQ_CAPABILITIES_ONLY)) {
    DWORD bits = 0;
    if (value(&bits) == 0) {
      WriteFieldRawById(context, fid::kdmFunc2SelectJobComplete, bits & 0x1);
      WriteFieldRawById(context, fid::kdmFunc2SelectJobErr, (bits >> 1) & 0x1);
    }
  }
  FreeLibrary(library);
}
