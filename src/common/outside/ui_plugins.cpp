#include "context/ui_plugins.h"

#include "win/compstui.h"

#include <cstring>
#include <string>

#include "fields/devmode_header.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/locale_text.h"
#include "base/paths_and_names.h"
#include "fields/product_record.h"
#include "field_ids.h"
#include "context/plugin_list.h"
#include "win/loader.h"
#include "win/lowmem.h"

namespace {

// The driver directory in ANSI without its trailing backslash.
bool DriverDirectoryAnsi(DriverContext* context, char* out, std::size_t size) {
  const WCHAR* folder = GetDriverDirectory(context);
  if (!folder || size == 0) return false;
  WideToAnsi(out, folder, static_cast<int>(size));
  out[size - 1] = 0;
  const std::size_t n = std::strlen(out);
  if (n > 0) out[n - 1] = 0;
  return true;
}

// Capability `capability` of one open plug-in; true when it answers a non-zero value.
bool Offers(const UiControlInterface* instance, HANDLE handle, DWORD capability) {
  DWORD value = 0;
  return instance->QueryCapability && instance->QueryCapability(handle, capability, &value) && value != 0;
}

}  // namespace

// The page goes to the device sheet through the common property-sheet host's callback that
// the sheet keeps; without an open device sheet nothing can take it.
int AddToolbarPageToSheet(DriverContext* context, void* page) {
  if (!context || !context->work || !page) return 0;
  const PageEngineState& sheet = context->work->sheet;
  auto pfn = reinterpret_cast<PFNCOMPROPSHEET>(sheet.pfnComPropSheet);
  if (sheet.sheetKind != 2 || !pfn || !sheet.hComPropSheet) return 0;
  return pfn(sheet.hComPropSheet, CPSFUNC_ADD_HPROPSHEETPAGE, reinterpret_cast<LPARAM>(page), 0) != 0 ? 1 : 0;
}

int QueryUiControlPlugins(DriverContext* context) {
  if (!context) return 1;
  bool copyGuard = false;
  bool watermark = false;
  char directory[MAX_PATH + 1] = {};
  PluginList* list = DriverDirectoryAnsi(context, directory, sizeof directory) ? BuildPluginList("UIControl", directory)
                                                                              : nullptr;
  for (DWORD i = 0; list && i < list->count; ++i) {
    const PluginEntry* entry = list->entries[i];
    if (!entry->installPath) continue;
    WCHAR path[MAX_PATH + 1] = {};
    AnsiToWide(path, entry->installPath, MAX_PATH + 1);
    path[MAX_PATH] = 0;
    HMODULE library = LoadLibraryW(path);
    if (!library) continue;
    auto get = ProcCast<UiControlGetInterfaceProc>(GetProcAddress(library, "UICTRLGetInterface"));
    auto dispose = ProcCast<UiControlDisposeInterfaceProc>(GetProcAddress(library, "UICTRLDisposeInterface"));
    UiControlInterface* instance = nullptr;
    if (get && dispose && get(kPluginInterfaceVersion, &instance) && instance) {
      HANDLE handle = nullptr;
      if (instance->Open && instance->Open(context->hPrinter, &handle) && handle) {
        if (!copyGuard) copyGuard = Offers(instance, handle, 1);
        if (!watermark) watermark = Offers(instance, handle, 2);
        if (instance->Close) instance->Close(handle);
      }
      dispose(instance);
    }
    FreeLibrary(library);
  }
  FreePluginList(list);
  WriteFieldRawById(context, fid::kdmFunc2SelectUICtrlCopyGuard, copyGuard ? 1 : 0);
  if (copyGuard) WriteFieldRawById(context, fid::kdmFuncSelectCopyProtect, 0);
  WriteFieldRawById(context, fid::kdmFunc2SelectUICtrlWaterMark, watermark ? 1 : 0);
  if (watermark) WriteFieldRawById(context, fid::kdmFuncSelectWaterMark, 0);
  return 1;
}

int AttachToolbarUiPlugin(DriverContext* context) {
  if (!context || !context->work) return 0;
  ToolbarUiPluginBinding& b = context->work->toolbarPlugin;
  // A binding still held is let go first, so that clearing it loses nothing.
  ReleaseToolbarUiPlugin(context);
  char path[260] = {};
  b.assigned = IsVavavUiPluginAssigned(context) ? 1 : 0;
  b.pathFound = GetVavavUiPluginPath(context, path) ? 1 : 0;
  if (!b.assigned || !b.pathFound) return 0;
  const DWORD assigned = b.assigned;
  const DWORD pathFound = b.pathFound;
  b = ToolbarUiPluginBinding{};
  b.assigned = assigned;
  b.pathFound = pathFound;

  WCHAR widePath[261] = {};
  AnsiToWide(widePath, path, 261);
  widePath[260] = 0;
  b.library = LoadLibraryW(widePath);
  const SpecialModelEntry* model = FindSpecialModel(context, GetModelName(context));
  ToolbarGetInterfaceProc get = nullptr;
  if (b.library) {
    get = ProcCast<ToolbarGetInterfaceProc>(GetProcAddress(b.library, "TBUIGetInterface"));
    b.getInterface = reinterpret_cast<void*>(get);
    b.disposeInterface = reinterpret_cast<void*>(
        ProcCast<ToolbarDisposeInterfaceProc>(GetProcAddress(b.library, "TBUIDisposeInterface")));
  }
  ToolbarInterface* instance = nullptr;
  if (!b.library || !model || !get || !b.disposeInterface || get(kPluginInterfaceVersion, &instance) != 0 ||
      !instance) {
    ReleaseToolbarUiPlugin(context);
    return 0;
  }
  b.instance = instance;
  DWORD handle = 0;
  if (!instance->Open || instance->Open(&handle) != 0 || handle == 0 || !instance->CreatePage) {
    b.handle = handle;
    ReleaseToolbarUiPlugin(context);
    return 0;
  }
  b.handle = handle;

  // The request's name slot is 4 bytes wide: request and name live in low memory. The
  // plug-in's page may read the request whenever it likes (its dialog's WM_INITDIALOG comes
  // long after CreatePage returns): the block stays with the binding until its release.
  const WCHAR* display = GetPrinterDisplayName(context);
  const std::size_t nameBytes = (display ? std::char_traits<char16_t>::length(display) + 1 : 1) * sizeof(WCHAR);
  auto* block = static_cast<BYTE*>(LowMemoryAlloc(sizeof(ToolbarPageRequest) + nameBytes));
  if (!block) {
    ReleaseToolbarUiPlugin(context);
    return 0;
  }
  b.pageRequest = block;
  auto* request = reinterpret_cast<ToolbarPageRequest*>(block);
  auto* name = reinterpret_cast<WCHAR*>(block + sizeof(ToolbarPageRequest));
  if (display) std::memcpy(name, display, nameBytes);
  request->size = sizeof(ToolbarPageRequest);
  request->printerName = LowMemoryToSlot(name);
  request->permitted = GetStateByte(context, fid::KPD_kdmNoPermission) == 0 ? 1 : 0;
  request->machineType = context->settings ? (ReadMachineTypeBits(context->settings) & 0x1) : 0;
  request->authenticationMode = ReadFieldRawById(context, fid::kdmPrnFuncAuthenticationMode);
  request->modelWord1 = model->word1;
  request->modelWord2 = model->word2;
  request->modelMask = static_cast<WORD>(model->mask & 0xFFFF);
  request->kind = 17;
  request->one = 1;
  void* page = nullptr;
  const DWORD created = instance->CreatePage(request, &page, handle);
  if (created != 0 || !page || !AddToolbarPageToSheet(context, page)) {
    ReleaseToolbarUiPlugin(context);
    return 0;
  }
  return 1;
}

void ReleaseToolbarUiPlugin(DriverContext* context) {
  if (!context || !context->work) return;
  ToolbarUiPluginBinding& b = context->work->toolbarPlugin;
  if (!b.assigned || !b.pathFound || !b.library) return;
  if (b.instance) {
    auto* instance = static_cast<ToolbarInterface*>(b.instance);
    if (b.handle && instance->Close) instance->Close(b.handle);
    b.handle = 0;
    if (b.disposeInterface) reinterpret_cast<ToolbarDisposeInterfaceProc>(b.disposeInterface)(instance);
    b.instance = nullptr;
  }
  // The plug-in is closed: nothing reads its page request any more.
  if (b.pageRequest) LowMemoryFree(b.pageRequest);
  b.pageRequest = nullptr;
  FreeLibrary(b.library);
  b.library = nullptr;
}
