// Creating, releasing and destroying a driver context.
#include "context/context_create.h"

#include <cstring>

#include "context/context_cache.h"
#include "context/field_defaults_memo.h"
#include "context/kept_devmode.h"
#include "base/deliverable.h"
#include "context/devmode_defaults.h"
#include "fields/dictionary_copy.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_handles.h"
#include "fields/field_table.h"
#include "base/install_services.h"
#include "fields/languages.h"
#include "base/memory.h"
#include "model/module_dispatch.h"
#include "base/paths_and_names.h"
#include "base/printer_data.h"
#include "fields/product_record.h"
#include "stored/snapshot_ring.h"
#include "base/spooler_info.h"
#include "context/ui_picture_paint.h"
#include "base/ui_strings.h"
#include "field_ids.h"
#include "model/model_load.h"
#include "model/rule_eval.h"
#include "stored/job_control.h"
#include "context/page_binding.h"
#include "stored/device_settings.h"
#include "stored/font_lists.h"
#include "win/kernel.h"

namespace {

constexpr DWORD kInstallJobItems = 0x389E;  // owner, password, user id, document, stored password, authentication
constexpr DWORD kUserCodeItem = 0x1;

// The three font lists of the saved copy: {list field, count field, entry size}.
struct FontList {
  WORD listField;
  WORD countField;
  DWORD entrySize;
};
constexpr FontList kFontLists[] = {
    {10007, 10006, 68},   // kdmDeviceFont, kdmDeviceFontNum
    {10009, 10008, 68},   // kdmOptionFont, kdmOptionFontNum
    {10005, 10004, 128},  // kdmFontTable, kdmFontTableNum
};

WCHAR* DupText(const WCHAR* text, bool* failed) {
  if (!text) return nullptr;
  std::size_t n = 0;
  while (text[n]) ++n;
  auto* copy = static_cast<WCHAR*>(AllocMem(static_cast<DWORD>((n + 1) * sizeof(WCHAR))));
  if (!copy) {
    *failed = true;
    return nullptr;
  }
  std::memcpy(copy, text, n * sizeof(WCHAR));
  return copy;
}

// The caller's DRIVER_INFO_3 with own copies of pDriverPath and pHelpFile.
DRIVER_INFO_3W* CopyDriverInfo(const DRIVER_INFO_3W* source, bool* failed) {
  auto* copy = static_cast<DRIVER_INFO_3W*>(AllocMem(sizeof(DRIVER_INFO_3W)));
  if (!copy) {
    *failed = true;
    return nullptr;
  }
  copy->cVersion = source->cVersion;
  copy->pDriverPath = DupText(source->pDriverPath, failed);
  copy->pHelpFile = DupText(source->pHelpFile, failed);
  return copy;
}

void FreeDriverInfo(DRIVER_INFO_3W* info) {
  if (!info) return;
  FreeMem(info->pDriverPath);
  FreeMem(info->pHelpFile);
  FreeMem(info);
}

// The caller's PRINTER_INFO_2 with own copies of the server, printer, share and driver
// names and of its device-mode in a block of the driver's device-mode size. The caller's
// device-mode is read only as far as its own sizes reach.
PRINTER_INFO_2W* CopyPrinterInfo(const PRINTER_INFO_2W* source, bool* failed) {
  auto* copy = static_cast<PRINTER_INFO_2W*>(AllocMem(sizeof(PRINTER_INFO_2W)));
  if (!copy) {
    *failed = true;
    return nullptr;
  }
  *copy = *source;
  copy->pServerName = copy->pPrinterName = copy->pShareName = copy->pPortName = copy->pDriverName = nullptr;
  copy->pComment = copy->pLocation = copy->pSepFile = copy->pPrintProcessor = nullptr;
  copy->pDatatype = copy->pParameters = nullptr;
  copy->pDevMode = nullptr;
  copy->pSecurityDescriptor = nullptr;
  copy->pServerName = DupText(source->pServerName, failed);
  copy->pPrinterName = DupText(source->pPrinterName, failed);
  copy->pShareName = DupText(source->pShareName, failed);
  copy->pDriverName = DupText(source->pDriverName, failed);
  if (source->pDevMode) {
    const DWORD total = GetTotalDevmodeSize();
    auto* devmode = static_cast<BYTE*>(AllocMem(total));
    if (devmode) {
      DWORD available = static_cast<DWORD>(source->pDevMode->dmSize) + source->pDevMode->dmDriverExtra;
      if (available > total) available = total;
      std::memcpy(devmode, source->pDevMode, available);
      copy->pDevMode = reinterpret_cast<DEVMODEW*>(devmode);
    } else {
      *failed = true;
    }
  }
  return copy;
}

void FreePrinterInfo(PRINTER_INFO_2W* info) {
  if (!info) return;
  FreeMem(info->pServerName);
  FreeMem(info->pPrinterName);
  FreeMem(info->pShareName);
  FreeMem(info->pDriverName);
  FreeMem(info->pDevMode);
  FreeMem(info);
}

// Step 8.4 in mode 0: a printer the installer marked has its job items read again from
// printer data and reported to the job-control library; then the mark is cleared.
void ApplyInstallMark(DriverContext* context) {
  const WCHAR* iniPath = GetSystemKovaIniPath(context);
  const WCHAR* printerName = GetPrinterSectionName(context);
  if (!iniPath || !printerName || !GetDrvInstSet(iniPath, printerName)) return;
  LoadJobControlItemsFromPrinterData(context, kInstallJobItems);
  JobControlWriteMask(context, kInstallJobItems);
  if (SettingField* userCode = FindFieldById(context, fid::kdmUserCode)) {
    if (ReadFieldByNameFromPrinterData(context->hPrinter, context, userCode)) JobControlWriteMask(context, kUserCodeItem);
  }
  SetDrvInstSet(iniPath, printerName, 0);
}

bool ModulesComplete(const WorkArea* work) {
  const ModuleList* list = work->modules;
  if (!list || !list->records || list->count <= 0) return false;
  for (std::int32_t i = 0; i < list->count; ++i) {
    if (list->records[i].privateSize > 0 && !list->records[i].privateData) return false;
  }
  return true;
}

// Everything but the model and the settings buffer (steps 3 to 7).
DriverContext* BuildContextShell(HANDLE printer, HANDLE printer2, WORD flags, DWORD kind,
                                 const PRINTER_INFO_2W* printerInfo, const PRINTER_INFO_2W* callerPrinterInfo,
                                 const DRIVER_INFO_3W* driverInfo) {
  auto* context = static_cast<DriverContext*>(AllocMem(sizeof(DriverContext)));
  if (!context) return nullptr;
  context->hPrinter = printer;
  context->hPrinter2 = printer2;
  context->pageId = 0;
  if (!AttachDictionary(context)) {
    DestroyContext(context);
    return nullptr;
  }
  context->product = static_cast<ProductRecord*>(AllocMem(sizeof(ProductRecord)));
  context->work = static_cast<WorkArea*>(AllocMem(sizeof(WorkArea)));
  if (!context->product || !context->work) {
    DestroyContext(context);
    return nullptr;
  }
  std::memcpy(context->product, GetProductRecord(), sizeof(ProductRecord));

  WorkArea* work = context->work;
  bool failed = false;
  CachePrinterInfo(printerInfo, context);
  if (driverInfo) work->driverInfo = CopyDriverInfo(driverInfo, &failed);
  if (callerPrinterInfo) work->printerInfo = CopyPrinterInfo(callerPrinterInfo, &failed);
  const DWORD bufferSize = GetSettingsBufferSize();
  for (BYTE*& slot : work->snapshots) {
    slot = static_cast<BYTE*>(AllocMem(bufferSize));
    if (!slot) failed = true;
  }
  if (failed) {
    DestroyContext(context);
    return nullptr;
  }
  const WORD mode = static_cast<WORD>(flags & CTXF_MODE_MASK);
  work->useMutex = (flags & CTXF_NO_MUTEX) ? 0 : 1;
  work->adminTest = (flags & CTXF_NO_ADMIN_TEST) ? 0 : 1;
  work->mode = mode;
  work->kind = kind;
  if (mode == 0 || mode == 1 || mode == 3) GetModelName(context);
  const SpecialModelEntry* special = FindSpecialModel(context, work->modelName);
  work->specialModelMask = special ? special->mask : 0;
  SetContextLanguageCode(context);
  work->savedSettings = static_cast<BYTE*>(AllocMem(bufferSize));
  work->lockDefaults = static_cast<BYTE*>(AllocMem(bufferSize));
  if (!work->savedSettings || !work->lockDefaults) {
    DestroyContext(context);
    return nullptr;
  }
  LoadExtensionModules(context);
  if (!ModulesComplete(work)) {
    DestroyContext(context);
    return nullptr;
  }
  return context;
}

}  // namespace

DriverContext* CreateContext(HANDLE printer, HANDLE printer2, DWORD reserved, WORD flags, DWORD kind,
                             DWORD docPropMode, const PRINTER_INFO_2W* printerInfo,
                             const DRIVER_INFO_3W* driverInfo) {
  if (InstallInProgress == 1) kind |= CTXK_INSTALLING;
  PRINTER_INFO_2W* readInfo = nullptr;
  const PRINTER_INFO_2W* info = printerInfo;
  if (!info) info = readInfo = static_cast<PRINTER_INFO_2W*>(GetPrinterInfo(printer, 2));
  if (kind == CTXK_RENDERING_REQUEST) kind = CTXK_RENDERING;

  if (DriverContext* cached = FindCachedContext(printer, printer2, reserved, flags, kind, docPropMode, info)) {
    // For a printer without a stored device-mode the information read here is not handed
    // on: the rebuild then may copy back its kept default build, and reads the printer
    // itself when that no longer holds.
    const PRINTER_INFO_2W* refreshInfo = printerInfo ? printerInfo : (info && info->pDevMode ? info : nullptr);
    if (RefreshCachedContext(cached, flags, kind, refreshInfo)) {
      cached->work->docPropMode = docPropMode;
      FreeMem(readInfo);
      return cached;
    }
    ReleaseContext(cached, CTXR_DESTROY);
  }

  DriverContext* context = BuildContextShell(printer, printer2, flags, kind, info, printerInfo, driverInfo);
  if (context) {
    WorkArea* work = context->work;
    work->docPropMode = docPropMode;
    const WORD mode = work->mode;
    if (mode <= 3) {
      context->model = LoadModelImage(context);
      if (!context->model) {
        context->settings = nullptr;
        ReleaseContext(context, CTXR_DESTROY);
        context = nullptr;
      } else if (CreateEvalStack(context) != 0 ||
                 !(context->settings = BuildDefaultDevmode(context, mode, info, 0))) {
        ReleaseContext(context, CTXR_DESTROY);
        context = nullptr;
      } else {
        if (mode == 0 || (flags & CTXF_LOAD_DEVICE_SETTINGS)) LoadDeviceSettingsWithBidiCache(context);
        if (mode == 0 && IsInterfaceBuild()) ApplyInstallMark(context);
        SaveSettingsCopy(context);
      }
    }
  }
  FreeMem(readInfo);
  return context;
}

DriverContext* CreateContextForPrinter(HANDLE printer, HANDLE printer2, DWORD reserved, DWORD kind) {
  return CreateContextNoDriverInfo(printer, printer2, reserved, 0, kind, 0, nullptr);
}

DriverContext* CreateContextWithInfo(HANDLE printer, HANDLE printer2, DWORD reserved, DWORD kind,
                                     const PRINTER_INFO_2W* printerInfo) {
  return CreateContextNoDriverInfo(printer, printer2, reserved, 0, kind, 0, printerInfo);
}

DriverContext* CreateContextWithInfos(HANDLE printer, HANDLE printer2, DWORD reserved, DWORD kind,
                                      const PRINTER_INFO_2W* printerInfo, const DRIVER_INFO_3W* driverInfo) {
  return CreateContext(printer, printer2, reserved, 0, kind, 0, printerInfo, driverInfo);
}

DriverContext* CreateContextWithFlags(HANDLE printer, HANDLE printer2, DWORD reserved, WORD flags, DWORD kind,
                                      const PRINTER_INFO_2W* printerInfo, const DRIVER_INFO_3W* driverInfo) {
  return CreateContext(printer, printer2, reserved, flags, kind, 0, printerInfo, driverInfo);
}

DriverContext* CreateContextWithMode(HANDLE printer, HANDLE printer2, DWORD reserved, DWORD kind, DWORD docPropMode,
                                     const PRINTER_INFO_2W* printerInfo, const DRIVER_INFO_3W* driverInfo) {
  return CreateContext(printer, printer2, reserved, 0, kind, docPropMode, printerInfo, driverInfo);
}

DriverContext* CreateContextNoDriverInfo(HANDLE printer, HANDLE printer2, DWORD reserved, WORD flags, DWORD kind,
                                         DWORD docPropMode, const PRINTER_INFO_2W* printerInfo) {
  return CreateContext(printer, printer2, reserved, flags, kind, docPropMode, printerInfo, nullptr);
}

void ReleaseContext(DriverContext* context, WORD type) {
  if (!context) return;
  if (type == CTXR_CACHE || type == CTXR_CACHE_CAPS) {
    DestroyContext(ReturnContextToCache(context, type));
    return;
  }
  DestroyContext(context);
}

void ReleaseContextToCache(DriverContext* context) { ReleaseContext(context, CTXR_CACHE); }

void ReleaseContextWithType(DriverContext* context, WORD type) { ReleaseContext(context, type); }

void DestroyContext(DriverContext* context) {
  if (!context) return;
  WorkArea* work = context->work;
  // Every font-list block any buffer of the context names, taken before the buffers go.
  ContextHandleSet handles;
  CollectContextHandles(context, &handles);

  if (work) {
    FreeSavedFontTables(context);
    FreeMem(work->savedSettings);
    work->savedSettings = nullptr;
    FreeMem(work->lockDefaults);
    work->lockDefaults = nullptr;
  }
  FreeDeviceSettingsBuffers(context);
  FreeResourceModules(context);
  if (context->model || (work && work->evalStack)) DestroyEvalStack(context);
  DetachDictionary(context);
  FreeMem(context->product);
  context->product = nullptr;
  FreeMem(context->settings);
  context->settings = nullptr;
  FreeFieldDefaultsMemo(context->defaultsMemo);
  context->defaultsMemo = nullptr;
  FreeKeptDevmode(context->keptDevmode);
  context->keptDevmode = nullptr;

  if (work) {
    for (BYTE*& slot : work->snapshots) {
      FreeMem(slot);
      slot = nullptr;
    }
    FreeExtraSnapshots(context);
    FreeMem(work->sheet.snapshotBuffer);
    work->sheet.snapshotBuffer = nullptr;
    work->savedFontTable = 0;
    FreeExtensionModules(context);
    ReleasePicturePaint(context);
    DeleteDialogBrush(work->faceBrush);
    DeleteDialogBrush(work->whiteBrush);
    work->faceBrush = work->whiteBrush = nullptr;
    FreeDriverInfo(work->driverInfo);
    work->driverInfo = nullptr;
    FreePrinterInfo(work->printerInfo);
    work->printerInfo = nullptr;
  }
  // Blocks that the steps above did not free (the open font-table edit, the lists that only
  // a snapshot still named, kdmInstOptionFont); blocks freed already are skipped.
  ReleaseAllHandles(handles);
  FreeMem(work);
  FreeMem(context);
}

int SaveSettingsCopy(DriverContext* context) {
  if (!context || !context->work || !context->work->savedSettings || !context->settings) return 0;
  FreeSavedFontTables(context);
  std::memcpy(context->work->savedSettings, context->settings, GetSettingsBufferSize());
  for (const FontList& list : kFontLists) {
    const auto count = static_cast<std::int32_t>(ReadFieldRawById(context, list.countField));
    void* source = ResolveFieldBlock(ReadFieldRawById(context, list.listField));
    DWORD handle = 0;
    if (count > 0 && source) {
      const DWORD wanted = static_cast<DWORD>(count) * list.entrySize;
      if (void* copy = AllocMem(wanted)) {
        // A source block shorter than its count says is copied as far as it reaches.
        const SIZE_T available = GlobalSize(source);
        std::memcpy(copy, source, available < wanted ? available : wanted);
        handle = RegisterFieldBlock(copy);
        if (handle == 0) FreeMem(copy);
      }
    }
    WriteSnapshotRawById(context, list.countField, handle ? static_cast<DWORD>(count) : 0);
    WriteSnapshotRawById(context, list.listField, handle);
  }
  return 1;
}

void FreeSavedFontTables(DriverContext* context) {
  if (!context || !context->work || !context->work->savedSettings) return;
  for (const FontList& list : kFontLists) {
    const DWORD handle = ReadSnapshotRawById(context, list.listField);
    if (handle == 0) continue;
    FreeMem(ReleaseFieldBlock(handle));
    WriteSnapshotRawById(context, list.listField, 0);
  }
}
