// Document property sheets and document properties.
#include "document_sheets.h"

#include <cstring>

#include "context/caller_devmode.h"
#include "context/context_create.h"
#include "stored/devmode_checks.h"
#include "context/devmode_defaults.h"
#include "fields/devmode_header.h"
#include "stored/devmode_merge.h"
#include "stored/devmode_upgrade.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "base/file_ops.h"
#include "base/ini_files.h"
#include "fields/locale_text.h"
#include "base/memory.h"
#include "base/paths_and_names.h"
#include "base/printer_data.h"
#include "fields/product_record.h"
#include "base/spooler_info.h"
#include "base/system_checks.h"
#include "base/ui_strings.h"
#include "model/units.h"
#include "entry_frame.h"
#include "field_ids.h"
#include "install_check.h"
#include "model/option_walk.h"
#include "stored/job_control.h"
#include "outside/print_notification.h"
#include "context/user_codes.h"
#include "context/page_binding.h"
#include "stored/page_opening.h"
#include "config_server_ini.h"
#include "first_run_defaults.h"
#include "outside/bidi_cache.h"
#include "outside/bidi_query.h"
#include "outside/config_connector.h"
#include "printer_rename.h"
#include "sheet_entry_bodies.h"
#include "sheet_opening.h"
#include "context/device_output.h"
#include "stored/device_settings.h"
#include "stored/font_lists.h"
#include "stored/installed_presets.h"
#include "stored/bidi_cache_calls.h"
#include "stored/prn_section.h"
#include "win/errors.h"
#include "win/loader.h"
#include "win/prsht.h"
#include "win/resources.h"

namespace {

constexpr ULONG_PTR kSheetIcon = 64082;
constexpr DWORD kMergeDocument = 0x2000000;
constexpr DWORD kMergeNotify = 0x2400000;
constexpr DWORD kNoSheetMergeFlags = 0x22000008;
constexpr DWORD kAdvancedMode = 22;  // DM_ADVANCED | DM_PROMPT | DM_COPY
constexpr DWORD kDmNoPermission = 0x20;
constexpr DWORD kDmUserDefault = 0x40;

struct TwoWay {
  int extended;
  int flag;
};

TwoWay TwoWayState(DriverContext* context) {
  TwoWay s{IsBidiExtended(context), 0};
  if (GetStateByte(context, fid::KPD_kdmServerClientMode) != 1 && HasBidiCacheIni(context))
    s.flag = IsBidiCacheIniSet(context) ? 1 : 0;
  else
    s.flag = IsBidiFlagSet(context->hPrinter, context);
  return s;
}

void FreeSnapshotBuffer(DriverContext* context) {
  FreeMem(context->work->sheet.snapshotBuffer);
  context->work->sheet.snapshotBuffer = nullptr;
}

// The first-run keys of Fennic.ini for this printer.
void ApplyFirstRunKeys(DriverContext* context) {
  WCHAR path[261] = {};
  MakeSettingsPath(path, 261, u"Fennic.ini", context);
  if (!path[0] || !PathExists(path)) return;
  const WCHAR* section = GetPrinterDisplayName(context);
  if (!section) return;
  const INT done = ReadIniInt(section, u"KovaInstDone", -1, path);
  switch (done & 0xFF) {
    case 1:
      WriteFieldRawById(context, fid::kdmLanguageID,
                        static_cast<DWORD>(ReadIniInt(section, u"DispLang", 0, path) & 0xFF));
      break;
    case 0: LoadInstallDefaults(section, context); break;
    default: break;
  }
}

void SetCallerStateBytes(DriverContext* context, DWORD mode) {
  if (IsWin2000BeforeSp4()) {
    SetStateByte(context, fid::KPD_kdmCallSrc, 1);
    SetStateByte(context, fid::KPD_kdmOSKind, 2);
  } else {
    DWORD callSrc = (mode & kDmUserDefault) ? 1 : 0;
    if (callSrc && IsWin2000Sp4() && !IsHostExplorer()) callSrc = 0;
    SetStateByte(context, fid::KPD_kdmCallSrc, callSrc);
    SetStateByte(context, fid::KPD_kdmOSKind, IsNt5OrLater() ? 2 : 1);
  }
}

// The caller's device-modes of a document-properties call as far as the driver may use
// them: the input when it may be read (otherwise none: it is not merged and does not shape
// the output, which gets the driver's own shape), the size the call gives for the output
// (0: none given), and whether an output that is to be written can take the device-mode.
struct CallerDevmodes {
  const DEVMODEW* input;
  DWORD outputSize;
  bool outputFits;
};

CallerDevmodes CheckCallerDevmodes(const DOCUMENTPROPERTYHEADER* header) {
  CallerDevmodes d{UsableCallerDevmode(header->pdmIn, kCallerSizeNotGiven), header->pdmOut ? header->cbOut : 0, true};
  if (header->pdmOut && (header->fMode & (DM_UPDATE | DM_COPY))) {
    const DWORD writable = WritableCallerDevmode(header->pdmOut, d.outputSize ? d.outputSize : kCallerSizeNotGiven);
    d.outputFits = writable >= ShapedDevmodeSize(d.input);
  }
  return d;
}

// The sheet's INIT: the context, the checks and the merge of the caller's device-mode.
DriverContext* BuildDocumentContext(const DOCUMENTPROPERTYHEADER* header, EntryFrame& frame) {
  const CallerDevmodes caller = CheckCallerDevmodes(header);
  if (!caller.outputFits) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return nullptr;
  }
  DriverContext* context = CreateContextWithInfos(header->hPrinter, header->hPrinter, 0, CTXK_INTERFACE,
                                                  frame.printerInfo(), frame.driverInfo());
  if (!context) return nullptr;
  if (!context->model) {
    ReleaseContext(context, CTXR_DESTROY);
    return nullptr;
  }
  CheckAndRepairDevmode(context);
  if (frame.renamed()) HandlePrinterNameChange(context);
  SyncConfigServerIni(context, frame.printerInfo(), frame.driverInfo());
  if (frame.renamed() && CheckPendingInstallWork(context->hPrinter, 1, frame.printerInfo(), frame.driverInfo()) != 1) {
    ReleaseContext(context, CTXR_CACHE);
    return nullptr;
  }
  ApplyFirstRunKeys(context);
  SetStateByte(context, fid::KPD_kdmTSE, IsTerminalServerFor(context->hPrinter, frame.driverInfo()) ? 1 : 0);
  SetStateByte(context, fid::KPD_kdmAdmin, IsUserAdminIfNeeded(context) ? 1 : 0);
  DWORD mergeFlags = kMergeDocument;
  if (GetStateByte(context, fid::KPD_kdmPresentUIMode) == 0) {
    QueryPrintNotification(context, 1);
    mergeFlags = kMergeNotify;
  }
  if (GetStateByte(context, fid::KPD_kdmServerClientMode) != 1 && IsBidiCacheIniSet(context)) LoadBidiCacheIni(context);
  RefreshBidiSettings(context, nullptr);
  const TwoWay twoWay = TwoWayState(context);
  if (!twoWay.extended && twoWay.flag) {
    CopyBidiTrayFeatures(context);
    context->work->sheet.snapshotBuffer = static_cast<BYTE*>(AllocMem(GetSettingsBufferSize()));
    if (!context->work->sheet.snapshotBuffer) {
      ReleaseContext(context, CTXR_CACHE);
      return nullptr;
    }
  }
  SetCallerStateBytes(context, header->fMode);
  SetStateByte(context, fid::KPD_kdmPropertyType, 0);
  SetStateByte(context, fid::KPD_kdmNoPermission, (header->fMode & kDmNoPermission) ? 1 : 0);
  const DWORD jf = IsSuiteToolInstalled(2, context) ? 1 : 0;
  const DWORD pl = IsSuiteToolInstalled(8, context) ? 1 : 0;
  SetStateByte(context, fid::KPD_kdmJFInstalled, jf);
  SetStateByte(context, fid::KPD_kdmPLInstalled, pl);
  UserCodeSync(context);
  const DWORD userCodeGet = GetStateByte(context, fid::KPD_kdmUserCodeGet);
  if (GetStateByte(context, fid::KPD_kdmCallSrc) == 1 && GetStateByte(context, fid::KPD_kdmNoPermission) == 0)
    RefreshPresetsAfterPackInstall(context, 0);
  if (!MergeDevmode(context, caller.input, mergeFlags | header->fMode)) {
    FreeSnapshotBuffer(context);
    ReleaseContext(context, CTXR_CACHE);
    return nullptr;
  }
  SetStateByte(context, fid::KPD_kdmJFInstalled, jf);
  SetStateByte(context, fid::KPD_kdmPLInstalled, pl);
  SetStateByte(context, fid::KPD_kdmUserCodeGet, userCodeGet == 1 ? 1 : 0);
  SetStateByte(context, fid::KPD_kdmUserCodeDLL, userCodeGet == 1 ? 1 : 0);
  return context;
}

void StoreSheetFields(DriverContext* context, const PROPSHEETUI_INFO* info, const DOCUMENTPROPERTYHEADER* header) {
  WorkArea* work = context->work;
  const CallerDevmodes caller = CheckCallerDevmodes(header);
  work->pdmIn = const_cast<DEVMODEW*>(caller.input);
  work->pdmOut = header->pdmOut;
  work->pdmOutSize = caller.outputSize;
  work->docPropMode = header->fMode;
  work->sheet.pfnComPropSheet = reinterpret_cast<void*>(info->pfnComPropSheet);
  work->sheet.hComPropSheet = info->hComPropSheet;
  work->sheet.applied = 0;
  work->sheet.sheetKind = 1;
}

void ReportResult(DriverContext* context, PROPSHEETUI_INFO* info) {
  info->Result = 1;
  if (auto pfn = reinterpret_cast<PFNCOMPROPSHEET>(context->work->sheet.pfnComPropSheet))
    pfn(context->work->sheet.hComPropSheet, CPSFUNC_SET_RESULT, 0, 1);
}

void DestroyDocumentSheet(DriverContext* context, PROPSHEETUI_INFO* info) {
  PageEngineState& sheet = context->work->sheet;
  const TwoWay twoWay = TwoWayState(context);
  if (sheet.accepted == 1) {
    JobControlOpen(context);
    JobControlWrite(context, 158);
    const DWORD flags = GetAuthenticationFlags(context, 3);
    if (!(flags & 1u)) {
      NotifyJobControl(context, 9);
      SetFieldString(context, FindFieldById(context, fid::wdmAuthenticationUserName), u"");
    }
    if (!(flags & 2u)) {
      SetFieldString(context, FindFieldById(context, fid::wdmAuthenticationPassword), u"");
      JobControlWrite(context, 4096);
    }
    JobControlRead(context, 1);
    JobControlClose(context);
    if (context->work->docPropMode & (DM_UPDATE | DM_COPY)) FinishDocumentSheet(context);
    if (!twoWay.extended && twoWay.flag) MarkBidiExtended(context);
    if (IsSaveDeviceSetupEnabled(context)) {
      WriteInstallSettingsSection(context);
      SavePrnSection(nullptr, 8, context);
    }
    ReportResult(context, info);
  } else if (sheet.applied && IsNt5OrLater()) {
    if (!twoWay.extended && twoWay.flag) MarkBidiExtended(context);
    ReportResult(context, info);
  } else if (!twoWay.extended && twoWay.flag) {
    if (sheet.snapshotBuffer) {
      std::memcpy(context->settings, sheet.snapshotBuffer, GetSettingsBufferSize());
      FreeSnapshotBuffer(context);
      FinishDocumentSheet(context);
    }
    MarkBidiExtended(context);
    ReportResult(context, info);
  } else {
    info->Result = 0;
  }
  // The sheet is over: its snapshot goes with it, also when the context stays cached.
  FreeSnapshotBuffer(context);
  sheet.sheetKind = 0;
  sheet.pfnComPropSheet = nullptr;
  sheet.hComPropSheet = nullptr;
  ReleaseContext(context, CTXR_CACHE);
}

}  // namespace

void CheckAndRepairDevmode(DriverContext* context) {
  if (!context || !context->settings) return;
  const auto* dm = reinterpret_cast<const DEVMODEW*>(context->settings);
  const bool sized = static_cast<DWORD>(dm->dmSize) + dm->dmDriverExtra == GetTotalDevmodeSize();
  if (sized && CheckDevmodeVersion(context->settings)) return;
  if (sized && CheckDevmodeVersionLoose(context->settings) && CompareDevmodeVersion(context->settings) == 1) {
    UpgradeDevmodeIfOlder(context->settings, context);
    return;
  }
  SetDevmodeDefaults(context);
  FreeDeviceSettingsBuffers(context);
  LoadDeviceSettingsWithBidiCache(context);
}

LONG AnswerSheetInfoHeader(LPARAM lParam, LPWSTR printerName) {
  auto* h = reinterpret_cast<PROPSHEETUI_INFO_HEADER*>(lParam);
  if (h) {
    h->Flags = PSUIHDRF_NOAPPLYNOW | PSUIHDRF_PROPTITLE;
    h->pTitle = printerName;
    h->hInst = GetPanelisModule();
    h->IconID = kSheetIcon;
  }
  return 1;
}

LONG StoreSheetResult(PROPSHEETUI_INFO* info, LPARAM lParam) {
  const auto* r = reinterpret_cast<const SETRESULT_INFO*>(lParam);
  if (info && r) info->Result = static_cast<ULONG_PTR>(r->Result);
  return 1;
}

LONG RunCommonPropertySheet(HWND window, PFNPROPSHEETUI callback, LPARAM lParam, DWORD* result) {
  // The caller's result is the host's to write: without the library or its function it
  // keeps whatever the caller preset.
  HMODULE library = LoadLibraryA("compstui.dll");
  if (!library) return -1;
  auto run = reinterpret_cast<PFNCOMMONPROPERTYSHEETUIW>(
      reinterpret_cast<void (*)()>(GetProcAddress(library, "CommonPropertySheetUIW")));
  const LONG answer = run ? run(window, callback, lParam, result) : -1;
  FreeLibrary(library);
  return answer;
}

int AddPropertyPages(DriverContext* context, DWORD mask) {
  if (!context || !context->work) return 0;
  PageEngineState& sheet = context->work->sheet;
  sheet.accepted = 0;
  auto pfn = reinterpret_cast<PFNCOMPROPSHEET>(sheet.pfnComPropSheet);
  if (!pfn || !sheet.hComPropSheet) return 0;
  HMODULE ui = GetUiResourceModule(context);
  int added = 0;
  for (int p = 0; p < context->pages.count; ++p) {
    PageRecord& page = context->pages.records[p];
    if (!(page.flags & mask) || IsOptionIdDisabled(context, page.optionId)) continue;
    PROPSHEETPAGEW psp{};
    psp.dwSize = sizeof(PROPSHEETPAGEW);
    psp.dwFlags = PSP_HASHELP;
    psp.hInstance = ui;
    psp.pszTemplate = MAKEINTRESOURCEW(page.pageId);
    psp.pfnDlgProc = &PropertySheetPageProc;
    psp.lParam = reinterpret_cast<LPARAM>(context);
    HPROPSHEETPAGE handle = CreatePropertySheetPageW(&psp);
    if (!handle) continue;
    if (pfn(sheet.hComPropSheet, CPSFUNC_ADD_HPROPSHEETPAGE, reinterpret_cast<LPARAM>(handle), 0)) ++added;
    else DestroyPropertySheetPage(handle);
  }
  return added;
}

LONG DocumentPropertiesNoSheet(DOCUMENTPROPERTYHEADER* header, const PRINTER_INFO_2W* printerInfo,
                               const DRIVER_INFO_3W* driverInfo, int renamed) {
  const CallerDevmodes caller = CheckCallerDevmodes(header);  // before cbOut is answered
  header->cbOut = kWholeDevmodeSize;
  if (header->fMode == 0 || !header->pdmOut) return kWholeDevmodeSize;
  if (!caller.outputFits) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return -1;
  }
  DriverContext* context = CreateContextWithMode(header->hPrinter, header->hPrinter, 0, CTXK_DOCUMENT_PROPERTIES,
                                                 header->fMode, printerInfo, driverInfo);
  if (!context) return -1;
  if (!context->model) {
    ReleaseContext(context, CTXR_DESTROY);
    return -1;
  }
  CheckAndRepairDevmode(context);
  context->work->pdmIn = const_cast<DEVMODEW*>(caller.input);
  context->work->pdmOut = header->pdmOut;
  context->work->pdmOutSize = caller.outputSize;
  context->work->docPropMode = header->fMode;
  if (renamed) HandlePrinterNameChange(context);
  SyncConfigServerIni(context, printerInfo, driverInfo);
  if (renamed && printerInfo && CheckPendingInstallWork(header->hPrinter, 1, printerInfo, driverInfo) != 1) {
    ReleaseContext(context, CTXR_CACHE);
    return -1;
  }
  SetCallerStateBytes(context, header->fMode);
  SetStateByte(context, fid::KPD_kdmNoPermission, (header->fMode & kDmNoPermission) ? 1 : 0);
  SetStateByte(context, fid::KPD_kdmServerClientMode, IsPrinterConnection(context) ? 1 : 0);
  const DWORD jf = IsSuiteToolInstalled(2, context) ? 1 : 0;
  const DWORD pl = IsSuiteToolInstalled(8, context) ? 1 : 0;
  SetStateByte(context, fid::KPD_kdmJFInstalled, jf);
  SetStateByte(context, fid::KPD_kdmPLInstalled, pl);
  UserCodeSync(context);
  const DWORD userCodeGet = GetStateByte(context, fid::KPD_kdmUserCodeGet);
  if ((header->fMode & DM_MODIFY) && caller.input) {
    if (!MergeDevmode(context, caller.input, header->fMode | kNoSheetMergeFlags)) {
      ReleaseContext(context, CTXR_CACHE);
      return -1;
    }
    SetStateByte(context, fid::KPD_kdmJFInstalled, jf);
    SetStateByte(context, fid::KPD_kdmPLInstalled, pl);
    SetStateByte(context, fid::KPD_kdmUserCodeGet, userCodeGet == 1 ? 1 : 0);
    SetStateByte(context, fid::KPD_kdmUserCodeDLL, userCodeGet == 1 ? 1 : 0);
  }
  // The output was found able to take the device-mode; a write that still fails is no success.
  const int written = (header->fMode & (DM_UPDATE | DM_COPY)) ? WriteOutputDevmode(context) : 1;
  ReleaseContext(context, CTXR_CACHE);
  if (!written) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return -1;
  }
  return 1;
}

LONG DoDocumentPropertySheets(PROPSHEETUI_INFO* info, LPARAM lParam) {
  auto* header = reinterpret_cast<DOCUMENTPROPERTYHEADER*>(info ? info->lParamInit : lParam);
  if (!header) return -1;
  if (!info) {
    // A call that carries no device-mode to fill only asks for the size: no frame.
    if (header->fMode == 0 || !header->pdmOut) {
      header->cbOut = kWholeDevmodeSize;
      return kWholeDevmodeSize;
    }
    EntryFrame frame;
    frame.Begin(header->hPrinter, true);
    if (!frame.renamed() &&
        CheckPendingInstallWork(header->hPrinter, 1, frame.printerInfo(), frame.driverInfo()) != 1)
      return -1;
    return DocumentPropertiesNoSheet(header, frame.printerInfo(), frame.driverInfo(), frame.renamed());
  }
  EntryFrame frame;
  frame.Begin(header->hPrinter, true);
  DriverContext* context =
      OpenSheetContext(info, header->hPrinter, frame, [&] { return BuildDocumentContext(header, frame); });
  if (!context) return -1;
  if ((header->fMode & DM_PROMPT) && ReadFieldRawById(context, fid::kdmPrnFuncAuthenticationMode) != 0)
    WriteFieldRawById(context, fid::kdmFuncSelectCardAuthentication, QueryCardAuthentication(context) ? 1 : 0);
  switch (info->Reason) {
    case PROPSHEETUI_REASON_INIT: {
      SetLocaleDefaults(context);
      const TwoWay twoWay = TwoWayState(context);
      if (!twoWay.extended && twoWay.flag) {
        CopyBidiTrayFeatures(context);
        if (context->work->sheet.snapshotBuffer)
          std::memcpy(context->work->sheet.snapshotBuffer, context->settings, GetSettingsBufferSize());
      }
      StoreSheetFields(context, info, header);
      if (AddPropertyPages(context, PGF_DOCUMENT) < 0) {
        FreeSnapshotBuffer(context);
        ReleaseContext(context, CTXR_CACHE);
        info->UserData = 0;
        return -1;
      }
      return 1;
    }
    case PROPSHEETUI_REASON_GET_INFO_HEADER: return AnswerSheetInfoHeader(lParam, header->pszPrinterName);
    case PROPSHEETUI_REASON_DESTROY:
      DestroyDocumentSheet(context, info);
      info->UserData = 0;
      return 1;
    case PROPSHEETUI_REASON_SET_RESULT: return StoreSheetResult(info, lParam);
    case PROPSHEETUI_REASON_GET_ICON: return -1;
    default: return 1;
  }
}

LONG RequestDocumentProperties(HWND window, HANDLE printer, LPCWSTR deviceName, DEVMODEW* output,
                               const DEVMODEW* input, DWORD mode, const PRINTER_INFO_2W* printerInfo,
                               const DRIVER_INFO_3W* driverInfo) {
  DOCUMENTPROPERTYHEADER header{};
  header.cbSize = sizeof header;
  header.hPrinter = printer;
  header.pszPrinterName = const_cast<LPWSTR>(deviceName);
  header.pdmIn = const_cast<DEVMODEW*>(input);
  header.pdmOut = output;
  header.fMode = mode;
  if (mode & DM_PROMPT) {
    DWORD result = 0;
    const LONG run = RunCommonPropertySheet(window, &DoDocumentPropertySheets, reinterpret_cast<LPARAM>(&header),
                                            &result);
    return run < 0 ? -1 : static_cast<LONG>(result);
  }
  return DocumentPropertiesNoSheet(&header, printerInfo, driverInfo, 1);
}

LONG DoDocumentProperties(HWND window, HANDLE printer, LPCWSTR deviceName, DEVMODEW* output, const DEVMODEW* input,
                          DWORD mode) {
  if (mode == 0 || !output) return kWholeDevmodeSize;
  EntryFrame frame;
  frame.Begin(printer, false);
  CheckPendingInstallWork(printer, 1, frame.printerInfo(), frame.driverInfo());
  const LONG value =
      RequestDocumentProperties(window, printer, deviceName, output, input, mode, frame.printerInfo(), frame.driverInfo());
  return value > 0 ? IDOK : value == 0 ? IDCANCEL : value;
}

LONG DoAdvancedDocumentProperties(HWND window, HANDLE printer, LPCWSTR deviceName, DEVMODEW* output,
                                  const DEVMODEW* input) {
  if (!output) return kWholeDevmodeSize;
  EntryFrame frame;
  frame.Begin(printer, false);
  CheckPendingInstallWork(printer, 1, frame.printerInfo(), frame.driverInfo());
  const LONG value = RequestDocumentProperties(window, printer, deviceName, output, input, kAdvancedMode,
                                               frame.printerInfo(), frame.driverInfo());
  return value > 0 ? 1 : 0;
}
