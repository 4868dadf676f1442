// The end of a device-mode road.
#include "context/device_output.h"

#include "context/caller_devmode.h"
#include "context/common_settings_block.h"
#include "context/context_create.h"
#include "model/derived_fields.h"
#include "stored/devmode_checks.h"
#include "stored/devmode_convert.h"
#include "fields/devmode_header.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "base/system_checks.h"
#include "model/units.h"
#include "field_ids.h"
#include "stored/job_control.h"
#include "context/user_codes.h"
#include "stored/device_settings.h"
#include "stored/installed_presets.h"
#include "win/compstui.h"
#include "win/devmode.h"
#include "win/spool.h"
#include "win/window.h"

namespace {

constexpr DWORD kJobControlClearMask = 14495;
constexpr DWORD kNetworkKeyItems = 8192;
constexpr DWORD kDocumentItems = 6302;
constexpr WORD kAdvancedPage = 4019;
constexpr WORD kNetworkKeyEdit = 2988;

// The collate bits of `target` from the sort setting and the capability; an input that
// already asked for collation keeps the output as it is on Windows 2000 before service
// pack 4 or when the call did not come from the application road.
void ApplyCollateRule(DriverContext* context, DEVMODEW* target, const DEVMODEW* input) {
  if (!target) return;
  if (IsCollateSupported(context)) {
    const bool inputCollates = input && (input->dmFields & DM_COLLATE);
    if (inputCollates && (IsWin2000BeforeSp4() || GetStateByte(context, fid::KPD_kdmCallSrc) != 1)) return;
    target->dmFields |= DM_COLLATE;
    target->dmCollate = ReadFieldRawById(context, fid::kdmFuncSelectSort) ? 1 : 0;
  } else {
    target->dmFields &= ~DM_COLLATE;
    target->dmCollate = 0;
  }
}

}  // namespace

int WriteOutputDevmode(DriverContext* context) {
  if (!context || !context->work || !context->settings) return 1;
  WorkArea* work = context->work;
  const DWORD mode = work->docPropMode;
  if (!(mode & (DOCMODE_UPDATE | DOCMODE_COPY))) return 1;
  if (mode & DOCMODE_COPY) FillCommonCapabilities(context);
  JobControlClearItems(context, kJobControlClearMask);
  auto* own = reinterpret_cast<DEVMODEW*>(context->settings);
  // The caller's input shapes the output only when it may be read at all; the output takes
  // what its size allows.
  const DEVMODEW* shape = UsableCallerDevmode(work->pdmIn, kCallerSizeNotGiven);
  const DWORD writable = WritableCallerDevmode(work->pdmOut, work->pdmOutSize ? work->pdmOutSize : kCallerSizeNotGiven);
  int written = 1;
  if ((mode & DOCMODE_COPY) || (work->kind & CTXK_DOCUMENT_PROPERTIES)) {
    if (work->pdmOut) {
      written = CopyDevmodeShaped(own, shape, work->pdmOut, writable, context);
      if (written == 1) ApplyCollateRule(context, work->pdmOut, shape);
    }
    return written == 1 ? 1 : 0;
  }
  if (work->pdmOut) written = CopyDevmodeShaped(own, shape, work->pdmOut, writable, context);
  ApplyCollateRule(context, own, shape);
  return written == 1 ? 1 : 0;
}

int DeriveAndSaveArea2(DriverContext* context, DWORD kind) {
  if (!context) return 0;
  SaveUserCodeOnRelease(context);
  ApplyDerivedFields(context->settings, context, kind);
  return SaveDeviceSettingsArea2(context->hPrinter, context);
}

int WriteOutputAndSaveDevice(DriverContext* context) {
  if (!context) return 0;
  WriteOutputDevmode(context);
  return SaveDeviceSettingsBoth(context->hPrinter, context);
}

int FinishDevmode(DriverContext* context, DWORD kind) {
  if (!context) return 0;
  ApplyDerivedFields(context->settings, context, kind);
  return WriteOutputAndSaveDevice(context);
}

int FinishDocumentSheet(DriverContext* context) { return FinishDevmode(context, 3); }

int FinishDeviceSheet(DriverContext* context) { return DeriveAndSaveArea2(context, 3); }

int ApplyDeviceSheetChanges(DriverContext* context) {
  if (!context || !context->work) return 0;
  WorkArea* work = context->work;
  const DWORD presentMode = GetStateByte(context, fid::KPD_kdmPresentUIMode);
  work->sheet.applied = 1;
  ApplyDeviceSettings(context);
  FreeSavedFontTables(context);
  SaveSettingsCopy(context);
  JobControlReadMask(context, kJobControlClearMask);
  SetStateByte(context, fid::KPD_kdmPresentUIMode, presentMode);
  auto pfn = reinterpret_cast<PFNCOMPROPSHEET>(work->sheet.pfnComPropSheet);
  if (!pfn) return 1;
  if (work->sheet.sheetKind == 2) {
    PRINTER_INFO_7W info{nullptr, DSPRINT_UPDATE};
    SetPrinterW(context->hPrinter, 7, reinterpret_cast<LPBYTE>(&info), 0);
    pfn(work->sheet.hComPropSheet, CPSFUNC_SET_RESULT, 0, CPSUI_OK);
  } else if (work->docPropMode & (DOCMODE_UPDATE | DOCMODE_COPY)) {
    pfn(work->sheet.hComPropSheet, CPSFUNC_SET_RESULT, 0, CPSUI_OK);
  }
  return 1;
}

void ExchangeNetworkKey(DriverContext* context) {
  if (!context || !context->work) return;
  JobControlOpen(context);
  if (!(GetAuthenticationFlags(context, 4) & 4u)) {
    SetFieldString(context, FindFieldById(context, fid::wdmAuthenticationNetworkKey), u"");
    // The network key's edit box on the advanced page shows the cleared key.
    if (ControlRecord* edit = FindControlById(context, FindPageById(context, kAdvancedPage), kNetworkKeyEdit))
      if (edit->window) SetWindowTextW(edit->window, u"");
  }
  JobControlWrite(context, kNetworkKeyItems);
  if (ReadFieldRawById(context, fid::kdmPrnFuncAuthenticationMode) == 0)
    WriteFieldRawById(context, fid::kdmPrnFuncAuthenticationSecureMode, 0);
  JobControlClose(context);
}

int ApplyDeviceSettings(DriverContext* context) {
  if (!context || !context->work) return 0;
  if (context->work->sheet.sheetKind == 2) {
    ExchangeNetworkKey(context);
    RefreshPresetsAfterPackInstall(context, 1);
    return FinishDeviceSheet(context);
  }
  JobControlOpen(context);
  JobControlWrite(context, kDocumentItems);
  JobControlRead(context, 1);
  JobControlClose(context);
  return FinishDevmode(context, 4);
}
