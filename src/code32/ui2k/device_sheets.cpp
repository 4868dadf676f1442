// Device property sheets and printer properties.
#include "device_sheets.h"

#include "context/context_create.h"
#include "fields/devmode_header.h"
#include "stored/devmode_merge.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "base/file_ops.h"
#include "base/ini_files.h"
#include "fields/locale_text.h"
#include "model/module_dispatch.h"
#include "base/paths_and_names.h"
#include "base/printer_data.h"
#include "base/system_checks.h"
#include "model/units.h"
#include "document_sheets.h"
#include "entry_frame.h"
#include "field_ids.h"
#include "install_check.h"
#include "context/module_events.h"
#include "stored/job_control.h"
#include "context/ui_plugins.h"
#include "context/user_codes.h"
#include "context/page_binding.h"
#include "config_server_ini.h"
#include "first_run_defaults.h"
#include "outside/bidi_cache.h"
#include "outside/bidi_query.h"
#include "outside/config_connector.h"
#include "printer_rename.h"
#include "sheet_entry_bodies.h"
#include "sheet_opening.h"
#include "context/device_output.h"
#include "stored/installed_presets.h"
#include "stored/bidi_cache_calls.h"
#include "stored/prn_section.h"

namespace {

constexpr DWORD kDeviceMergeFlags = 0x400000A;

void UpdateDirectoryService(HANDLE printer) {
  PRINTER_INFO_7W info{nullptr, DSPRINT_UPDATE};
  SetPrinterW(printer, 7, reinterpret_cast<LPBYTE>(&info), 0);
}

void ApplyFirstRunKeys(DriverContext* context) {
  WCHAR path[261] = {};
  MakeSettingsPath(path, 261, u"Fennic.ini", context);
  if (!path[0] || !PathExists(path)) return;
  const WCHAR* section = GetPrinterDisplayName(context);
  if (!section) return;
  const INT done = ReadIniInt(section, u"KovaInstDone", -1, path);
  if ((done & 0xFF) == 1)
    WriteFieldRawById(context, fid::kdmLanguageID, static_cast<DWORD>(ReadIniInt(section, u"DispLang", 0, path) & 0xFF));
  else if ((done & 0xFF) == 0)
    LoadInstallDefaults(section, context);
}

DriverContext* BuildDeviceContext(const DEVICEPROPERTYHEADER* header, EntryFrame& frame) {
  DriverContext* context = CreateContextWithInfos(header->hPrinter, header->hPrinter, 0, CTXK_INTERFACE,
                                                  frame.printerInfo(), frame.driverInfo());
  if (!context) return nullptr;
  if (!context->model) {
    ReleaseContext(context, CTXR_DESTROY);
    return nullptr;
  }
  CheckAndRepairDevmode(context);
  if (frame.renamed()) {
    HandlePrinterNameChange(context);
    if (CheckPendingInstallWork(context->hPrinter, 1, frame.printerInfo(), frame.driverInfo()) != 1) {
      ReleaseContext(context, CTXR_CACHE);
      return nullptr;
    }
  }
  ApplyFirstRunKeys(context);
  SetStateByte(context, fid::KPD_kdmTSE, IsTerminalServerFor(context->hPrinter, frame.driverInfo()) ? 1 : 0);
  SetStateByte(context, fid::KPD_kdmAdmin, IsUserAdminIfNeeded(context) ? 1 : 0);
  if (GetStateByte(context, fid::KPD_kdmServerClientMode) != 1 && IsBidiCacheIniSet(context)) LoadBidiCacheIni(context);
  // The modules are asked for a two-way query; the answer is not used.
  BidiQueryEventBlock bidiQuery{nullptr, 0};
  NotifyModules(context, MODEV_BIDI_QUERY, &bidiQuery);
  const DWORD noPermission = (header->Flags & DPS_NOPERMISSION) ? 1 : 0;
  SetStateByte(context, fid::KPD_kdmOSKind, IsNt5OrLater() ? 2 : 1);
  SetStateByte(context, fid::KPD_kdmCallSrc, 1);
  SetStateByte(context, fid::KPD_kdmPropertyType, 1);
  SetStateByte(context, fid::KPD_kdmNoPermission, noPermission);
  SetStateByte(context, fid::KPD_kdmJFInstalled, IsSuiteToolInstalled(2, context) ? 1 : 0);
  SetStateByte(context, fid::KPD_kdmPLInstalled, IsSuiteToolInstalled(8, context) ? 1 : 0);
  UserCodeSync(context);
  JobControlReadMask(context, 8192);
  if (noPermission == 0 && GetStateByte(context, fid::KPD_kdmBiDirect) == 0) RefreshPresetsAfterPackInstall(context, 2);
  if (!MergeDevmode(context, nullptr, kDeviceMergeFlags)) {
    ReleaseContext(context, CTXR_CACHE);
    return nullptr;
  }
  return context;
}

void DestroyDeviceSheet(DriverContext* context, PROPSHEETUI_INFO* info) {
  ReleaseToolbarUiPlugin(context);
  PageEngineState& sheet = context->work->sheet;
  if (sheet.accepted == 1) {
    ExchangeNetworkKey(context);
    // The derived fields completed and the device settings saved; only then are the preset
    // lists brought up to date.
    FinishDeviceSheet(context);
    if (IsSaveDeviceSetupEnabled(context)) {
      WriteInstallSettingsSection(context);
      SavePrnSection(nullptr, 8, context);
    }
    RefreshPresetsAfterPackInstall(context, 1);
    if (CanWriteBidiPrinterData(context)) ClearBidiCacheIni(context);
    info->Result = 1;
    if (auto pfn = reinterpret_cast<PFNCOMPROPSHEET>(sheet.pfnComPropSheet))
      pfn(sheet.hComPropSheet, CPSFUNC_SET_RESULT, 0, 1);
  } else {
    info->Result = 0;
  }
  // A cancelled sheet's context holds the device settings it was cancelled with: it is not
  // kept for the next call, which reads what the printer really has.
  const WORD release = sheet.accepted == 1 ? CTXR_CACHE : CTXR_DESTROY;
  sheet.sheetKind = 0;
  sheet.pfnComPropSheet = nullptr;
  sheet.hComPropSheet = nullptr;
  ReleaseContext(context, release);
}

}  // namespace

LONG DoDevicePropertySheets(PROPSHEETUI_INFO* info, LPARAM lParam) {
  if (!info || !info->lParamInit) return -1;
  auto* header = reinterpret_cast<DEVICEPROPERTYHEADER*>(info->lParamInit);
  EntryFrame frame;
  frame.Begin(header->hPrinter, info->Reason != PROPSHEETUI_REASON_DESTROY);
  DriverContext* context =
      OpenSheetContext(info, header->hPrinter, frame, [&] { return BuildDeviceContext(header, frame); });
  if (!context) return -1;
  UpdateDirectoryService(context->hPrinter);
  switch (info->Reason) {
    case PROPSHEETUI_REASON_INIT: {
      SetLocaleDefaults(context);
      SetStateByte(context, fid::KPD_kdmCallSrc, 1);
      SetStateByte(context, fid::KPD_kdmPropertyType, 1);
      const DWORD noPermission = (header->Flags & DPS_NOPERMISSION) ? 1 : 0;
      SetStateByte(context, fid::KPD_kdmNoPermission, noPermission);
      PageEngineState& sheet = context->work->sheet;
      sheet.writePermission = noPermission ? 0 : 1;
      sheet.pfnComPropSheet = reinterpret_cast<void*>(info->pfnComPropSheet);
      sheet.hComPropSheet = info->hComPropSheet;
      sheet.applied = 0;
      sheet.sheetKind = 2;
      if (AddPropertyPages(context, PGF_DEVICE) < 0) {
        ReleaseContext(context, CTXR_CACHE);
        info->UserData = 0;
        return -1;
      }
      AttachToolbarUiPlugin(context);
      return 1;
    }
    case PROPSHEETUI_REASON_GET_INFO_HEADER: return AnswerSheetInfoHeader(lParam, header->pszPrinterName);
    case PROPSHEETUI_REASON_DESTROY:
      DestroyDeviceSheet(context, info);
      info->UserData = 0;
      return 1;
    case PROPSHEETUI_REASON_SET_RESULT: return StoreSheetResult(info, lParam);
    case PROPSHEETUI_REASON_GET_ICON: return -1;
    default: return 1;
  }
}

BOOL DoPrinterProperties(HWND window, HANDLE printer) {
  DEVICEPROPERTYHEADER header{};
  header.cbSize = sizeof header;
  header.hPrinter = printer;
  DWORD one = 1;
  if (SetPrinterDataW(printer, const_cast<LPWSTR>(u"Permission"), 4, reinterpret_cast<BYTE*>(&one), 4) != 0)
    header.Flags = DPS_NOPERMISSION;
  // Preset to 1: without the common property-sheet host nothing writes over it.
  DWORD result = 1;
  RunCommonPropertySheet(window, &DoDevicePropertySheets, reinterpret_cast<LPARAM>(&header), &result);
  return result != 0 ? TRUE : FALSE;
}
