#include "devmode_exports.h"

#include <cstring>
#include <vector>

#include "api_frame.h"
#include "api_printer.h"
#include "context/caller_devmode.h"
#include "fields/change_flags.h"
#include "context/context_create.h"
#include "model/derived_fields.h"
#include "stored/devmode_convert.h"
#include "context/devmode_defaults.h"
#include "fields/devmode_header.h"
#include "stored/devmode_merge.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "base/install_services.h"
#include "fields/locale_text.h"
#include "base/memory.h"
#include "fields/neighbour_tables.h"
#include "context/bidi_requests.h"
#include "model/printable_area.h"
#include "fields/product_record.h"
#include "base/settings_field.h"
#include "stored/snapshot_ring.h"
#include "base/system_checks.h"
#include "model/units.h"
#include "field_ids.h"
#include "job_control_once.h"
#include "model/capability_lists.h"
#include "fields/judge_items.h"
#include "model/resolution_choices.h"
#include "model/rule_apply.h"
#include "model/rule_eval.h"
#include "module_start.h"
#include "option_services.h"
#include "outside/print_notification.h"
#include "stored/default_section.h"
#include "stored/device_settings.h"
#include "stored/font_lists.h"
#include "stored/installed_presets.h"
#include "stored/lock_data.h"
#include "stored/bidi_cache_calls.h"
#include "stored/quality_list.h"
#include "win/spool.h"

namespace {

constexpr DWORD kJobItemsMask = 0x389F;
constexpr int kQualityEntryOfApi = 128;

DWORD Raw(DriverContext* context, WORD id) { return ReadFieldRawById(context, id); }
void Put(DriverContext* context, WORD id, DWORD value) { WriteFieldRawById(context, id, value); }

std::int32_t SelectedMode(std::int32_t mode) {
  if (mode & kDevmodeDefaults) return kDevmodeDefaults;
  if (mode & kDevmodeRebuilt) return kDevmodeRebuilt;
  if (mode & kDevmodeCurrent) return kDevmodeCurrent;
  return 0;
}

void ApplyExtraBits(DriverContext* context, std::int32_t mode, std::int32_t selected) {
  if ((mode & kDevmodeBidiRefresh) && (selected == kDevmodeDefaults || selected == kDevmodeRebuilt)) {
    if (IsBidiCacheIniSet(context)) LoadBidiCacheIni(context);
    if (QueryPrinterBidiSilent(context) && !GetBatchInstKst(context)) {
      Put(context, fid::kdmCoverInputTray, Raw(context, fid::kdmCoverDefTray));
      Put(context, fid::kdmBackCoverInputTray, Raw(context, fid::kdmCoverDefTray));
      Put(context, fid::kdmMPInputTray, Raw(context, fid::kdmMPDefTray));
      Put(context, fid::kdmReverseCoverInputTray, Raw(context, fid::kdmReverseCoverDefTray));
      Put(context, fid::wdmChapterTray, Raw(context, fid::kdmChapterDefTray1));
    }
  }
  if ((mode & kDevmodeNotificationRefresh) && GetApiVersion() > 9) QueryPrintNotification(context, 0);
  if ((mode & kDevmodePresetRefresh) && GetApiVersion() > 10) InstallDefaultPresets(context, 0);
}

// Header fix-up of the printer defaults (the Windows 9x parts of it are not built).
void FixDefaultsHeader(DriverContext* context) { SetOsStateBytes(context); }

// Replaces the context's settings buffer with one built from the printer's stored settings
// or the defaults; the old buffer stays when no new one can be had.
void RebuildSettingsBuffer(DriverContext* context) {
  BYTE* fresh = BuildDefaultDevmode(context, context->work ? context->work->mode : 0, nullptr, 0);
  if (!fresh) return;
  FreeMem(context->settings);
  context->settings = fresh;
}

// The paper geometry the resolution checks look at.
void DerivePaperForChecks(DriverContext* context) {
  BYTE* dm = context->settings;
  SyncResolutionFromPrivate(dm, context);
  const auto* pub = reinterpret_cast<const DEVMODEW*>(dm);
  if ((pub->dmFields & DM_PAPERWIDTH) && (pub->dmFields & DM_PAPERLENGTH))
    ComputePrintableArea(dm, context);
  else
    DerivePaperGeometry(Raw(context, fid::dmPaperSize), fid::dmPaperSize, context, dm);
  DeriveImageableArea(Raw(context, fid::kdmOutPaperSize), fid::kdmOutPaperSize, context, dm);
}

// The end of a handled mode: kdmUIModeChange back, the size, the copy. The caller's buffer
// holds the size the export answers (it carries no size of its own): the whole device-mode.
std::int32_t FinishDevmode(DriverContext* context, DWORD uiModeChange, DEVMODEW* out) {
  Put(context, fid::kdmUIModeChange, uiModeChange);
  const DWORD size = GetTotalDevmodeSize();
  CopyDevmodeShaped(reinterpret_cast<const DEVMODEW*>(context->settings), nullptr, out,
                    WritableCallerDevmode(out, kCallerSizeNotGiven), context);
  return static_cast<std::int32_t>(size);
}

}  // namespace

void PrepareDevmodeForMode(DriverContext* context, std::int32_t mode) {
  Put(context, fid::kdmUIModeChange, 0);
  SetStateByte(context, 712, 0);
  ClearChangeFlags(context, 0x4000000);
  if (!(mode & kDevmodeCurrent)) {
    if (mode & kDevmodeDefaults) {
      Put(context, fid::kdmUseUserMacro, 0);
      Put(context, fid::kdmUserPrintMacro, 0);
    } else if ((mode & kDevmodeRebuilt) && GetApiVersion() < 6) {
      TakeUserMacroPlanes(context);
    }
  }
  ApplyPaperChange(context, 1);
}

void TakeUserMacroPlanes(DriverContext* context) {
  const DWORD macro = Raw(context, fid::kdmUserPrintMacro);
  if (Raw(context, fid::kdmUseUserMacro) != 1 || macro < 32 || macro > 39) return;
  PushSettingsSnapshot(context);
  ApplyQualityByIndex(context, static_cast<int>(macro - 32));
  const DWORD planes[4] = {Raw(context, fid::kdmPlaneUseCMYKCyan), Raw(context, fid::kdmPlaneUseCMYKMagenta),
                           Raw(context, fid::kdmPlaneUseCMYKYellow), Raw(context, fid::kdmPlaneUseCMYKBlack)};
  PopSettingsSnapshot(context, 1);
  Put(context, fid::kdmPlaneUseCMYKCyan, planes[0]);
  Put(context, fid::kdmPlaneUseCMYKMagenta, planes[1]);
  Put(context, fid::kdmPlaneUseCMYKYellow, planes[2]);
  Put(context, fid::kdmPlaneUseCMYKBlack, planes[3]);
}

int PaperFitsHighResolution(DriverContext* context) {
  if (!context || !context->settings) return 0;
  DerivePaperForChecks(context);
  if (static_cast<std::int16_t>(Raw(context, fid::dmPrintQuality)) == 600) return 1;
  return FitsLengthLimit30708(context) && GetScaledPaperSize(context) ? 1 : 0;
}

int CheckPaperAgainstModel(DriverContext* context) {
  if (!context || !context->settings) return 0;
  DerivePaperForChecks(context);
  return ComputeJudgeItem(context, 863) != 0 ? 1 : 0;
}

int IsHighResolutionRefused(DriverContext* context) {
  if (Raw(context, fid::kdmMachineID) != 130) return 0;
  const DWORD memory =
      Raw(context, fid::kdmOutOptionSupportCFUnit) && Raw(context, fid::kdmOutputOptionTypeCFUnit) ? 160 : 32;
  if (!PaperFitsHighResolution(context)) return 1;
  if (!HasDuplexUnit(context) || Raw(context, fid::kdmFuncSelectDuplex) == 0) return 0;
  return Raw(context, fid::kdmPrinterMemory) == memory && Raw(context, fid::kdmDstResolutionBoth) == 4 ? 1 : 0;
}

void RefreshPublicDevmode(DriverContext* context, const DEVMODEW* in) {
  if (!context || !context->settings) return;
  std::vector<BYTE> copy;
  const DEVMODEW* source = in;
  DWORD flags = 0x2220000A;
  if (!source) {
    copy.assign(context->settings, context->settings + GetTotalDevmodeSize());
    source = reinterpret_cast<const DEVMODEW*>(copy.data());
    flags = 0x2260000A;
  }
  const bool keepSize = (source->dmFields & DM_PAPERWIDTH) && (source->dmFields & DM_PAPERLENGTH) &&
                        source->dmPaperWidth != 0 && source->dmPaperLength != 0;
  const short width = source->dmPaperWidth;
  const short length = source->dmPaperLength;
  MergeDevmode(context, source, flags);
  if (keepSize) {
    auto* dm = reinterpret_cast<DEVMODEW*>(context->settings);
    dm->dmFields = (dm->dmFields | DM_PAPERWIDTH | DM_PAPERLENGTH) & ~DM_PAPERSIZE;
    dm->dmPaperWidth = width;
    dm->dmPaperLength = length;
  }
  if (FindSpecialCaseEntry(fid::kdmMediaType)) {
    const ImageRef option = FindFieldOption(fid::kdmMediaType, context);
    if (option) ApplyOptionTransacts(option, context);
  }
}

void ReconcileApiDevmode(DriverContext* context, const DEVMODEW* in) {
  struct Function {
    WORD field;
    WORD sub;
  };
  constexpr Function kFunctions[] = {{fid::kdmFuncSelectDuplex, fid::kdmDuplexType},
                                     {fid::kdmFuncSelectStaple, fid::kdmStapleType},
                                     {fid::kdmFuncSelectPunch, fid::kdmPunchType},
                                     {fid::kdmFuncSelectFold, fid::kdmFoldType}};
  bool hidden[4] = {};
  DWORD kept[4] = {};
  for (int i = 0; i < 4; ++i) {
    const ImageRef option = FindFieldOption(kFunctions[i].field, context);
    if (option && IsItemHidden(option, 0, context)) {
      hidden[i] = true;
      kept[i] = Raw(context, kFunctions[i].sub);
    }
  }
  const bool adjust = Raw(context, fid::kdmAdjustMode) == 1;
  if (adjust) Put(context, fid::kdmAdjustMode, 0);
  RefreshPublicDevmode(context, in);
  if (adjust) Put(context, fid::kdmAdjustMode, 1);
  for (int i = 0; i < 4; ++i) {
    if (!hidden[i]) continue;
    const ImageRef option = FindFieldOption(kFunctions[i].field, context);
    if (option && IsItemHidden(option, 0, context)) Put(context, kFunctions[i].sub, kept[i]);
  }
  Put(context, fid::dmCollate, Raw(context, fid::kdmFuncSelectSort) != 0 ? 1 : 0);
}

std::int32_t DoGetDevmode(DriverContext* handle, std::int32_t mode, DEVMODEW* out) {
  if (!handle || !handle->work) return -1;
  ItemPrinterHandles saved;
  HANDLE printer = nullptr;
  if (!OpenItemPrinter(handle, &printer, nullptr, &saved)) {
    SetApiError(handle, API_INTERNAL);
    return -1;
  }
  const DWORD uiModeChange = Raw(handle, fid::kdmUIModeChange);
  handle->work->chapterDataLoaded = 0;
  std::int32_t answer = -1;
  const std::int32_t selected = SelectedMode(mode);
  if (selected == kDevmodeDefaults) {
    SetApiError(handle, API_OK);
    const bool locked = IsDefaultLocked(handle) != 0;
    if (locked) {
      SaveDefaultSettings(handle);
    } else {
      SetDevmodeDefaults(handle);
      FixDefaultsHeader(handle);
      PrepareDevmodeForMode(handle, mode);
      FreeDeviceSettingsBuffers(handle);
      LoadDeviceSettingsWithBidiCache(handle);
    }
    ApplyExtraBits(handle, mode, selected);
    if (!locked) {
      LoadDeviceSettingsByKind(printer, handle, 1);
      ReadJobControlItemsForApi(handle, kJobItemsMask);
      SetLocaleDefaults(handle);
      ReconcileApiDevmode(handle, nullptr);
    }
    answer = FinishDevmode(handle, uiModeChange, out);
  } else if (selected == kDevmodeRebuilt) {
    SetApiError(handle, API_OK);
    FreeDeviceSettingsBuffers(handle);
    RebuildSettingsBuffer(handle);
    LoadDeviceSettingsWithBidiCache(handle);
    PrepareDevmodeForMode(handle, mode);
    ApplyExtraBits(handle, mode, selected);
    ResetShiftFieldsUnlessRanged(handle);
    if (Raw(handle, fid::kdmFuncSelectMargin) == 0) ResetMarginFields(handle);
    ReadJobControlItemsForApi(handle, kJobItemsMask);
    SetStateByte(handle, 720, IsTerminalServer(printer) ? 1 : 0);
    SetStateByte(handle, 721, IsUserAdmin() ? 1 : 0);
    ReconcileApiDevmode(handle, nullptr);
    answer = FinishDevmode(handle, uiModeChange, out);
  } else if (selected == kDevmodeCurrent) {
    PrepareDevmodeForMode(handle, mode);
    ApplyExtraBits(handle, mode, selected);
    if (CheckFeature38Lock(handle) == 1) ApplyResolutionTransacts(handle);
    if (IsHighResolutionRefused(handle)) {
      Put(handle, fid::kdmDstResolutionW, 600);
      Put(handle, fid::kdmDstResolutionH, 600);
      Put(handle, fid::kdmDstResolutionBoth, 3);
      ApplyDerivedFields(handle->settings, handle, 3);
    }
    ReconcileApiDevmode(handle, nullptr);
    if (Raw(handle, fid::kdmUseUserMacro) == 1 && Raw(handle, fid::kdmUserPrintMacro) == 160)
      SaveQualityEntry(handle, kQualityEntryOfApi);
    answer = FinishDevmode(handle, uiModeChange, out);
  } else {
    SetApiError(handle, API_UNKNOWN_MODE);
  }
  CloseItemPrinter(handle, printer, &saved);
  return answer;
}

std::int32_t DoGetDevmodeEx(DriverContext* handle, std::int32_t mode, DEVMODEW* out, const DEVMODEW* in) {
  if (SelectedMode(mode)) return DoGetDevmode(handle, mode, out);
  if (!handle || !handle->work) return -1;
  ItemPrinterHandles saved;
  HANDLE printer = nullptr;
  if (!OpenItemPrinter(handle, &printer, nullptr, &saved)) {
    SetApiError(handle, API_INTERNAL);
    return -1;
  }
  handle->work->chapterDataLoaded = 0;
  std::int32_t answer = -1;
  if (mode & kDevmodeMerge) {
    // A device-mode the driver may not read is as none: nothing of it is read.
    in = UsableCallerDevmode(in, kCallerSizeNotGiven);
    if (!in) {
      SetApiError(handle, API_MISSING_INPUT);
    } else {
      ReconcileApiDevmode(handle, in);
      const DWORD uiModeChange = Raw(handle, fid::kdmUIModeChange);
      PrepareDevmodeForMode(handle, kDevmodeMerge);
      ResetShiftFieldsUnlessRanged(handle);
      if (Raw(handle, fid::kdmFuncSelectMargin) == 0) ResetMarginFields(handle);
      ReadJobControlItemsForApi(handle, kJobItemsMask);
      ReconcileApiDevmode(handle, nullptr);
      answer = FinishDevmode(handle, uiModeChange, out);
    }
  } else {
    SetApiError(handle, API_UNKNOWN_MODE);
  }
  CloseItemPrinter(handle, printer, &saved);
  return answer;
}

std::int32_t DoGetDriverDevmode(const char* printerName, std::int32_t mode, std::int32_t bufferSize, BYTE* out,
                                std::int32_t* needed) {
  const DWORD total = GetTotalDevmodeSize();
  const auto need = static_cast<std::int32_t>(total - kAnsiDevmodeShrink);
  if (needed) *needed = need;
  if (!out || bufferSize < need) return 1;
  if (mode != 1) return -1;
  if (!printerName || !printerName[0]) return -1;
  WCHAR name[261] = {};
  AnsiToWide(printerName, name, 261);
  HANDLE printer = nullptr;
  if (!OpenPrinterW(name, &printer, nullptr) || !printer) return -1;
  std::int32_t answer = -1;
  DriverContext* context = CreateApiContext(printer, CTXK_COMMAND_API);
  // The whole wide device-mode goes into a buffer of its own size; only the converted form
  // reaches the caller's buffer, which was asked for 64 bytes less.
  std::vector<BYTE> wide(total);
  if (context && context->work) {
    std::memcpy(context->work->printerName, name, sizeof name);
    if (DoGetDevmode(context, 1, reinterpret_cast<DEVMODEW*>(wide.data())) > 0) {
      auto* dm = reinterpret_cast<DEVMODEW*>(wide.data());
      const DWORD publicSize = dm->dmSize;
      const DWORD extra = dm->dmDriverExtra;
      constexpr DWORD kWideLogPixels = 166;   // offset of dmLogPixels in the wide form
      constexpr DWORD kAnsiLogPixels = 102;   // and in the ANSI form
      if (publicSize >= kWideLogPixels && publicSize + extra <= total) {
        std::memset(out, 0, static_cast<std::size_t>(need));
        dm->dmSize = static_cast<WORD>(publicSize - kAnsiDevmodeShrink);
        std::memcpy(out + 32, wide.data() + 64, 38);  // dmSpecVersion .. dmCollate
        WCHAR form[33] = {};
        std::memcpy(form, dm->dmFormName, sizeof(WCHAR) * 32);
        WideToAnsiText(form, reinterpret_cast<char*>(out + 70), 32);
        const DWORD tail = publicSize + extra - kWideLogPixels;
        std::memcpy(out + kAnsiLogPixels, wide.data() + kWideLogPixels, tail);
        char device[32] = {};
        WideToAnsiText(name, device, 32);  // at most 31 bytes, never half a character
        std::memcpy(out, device, 32);
        answer = 0;
      }
    }
  }
  if (context) GiveContextBack(context);
  ClosePrinter(printer);
  return answer;
}

std::int32_t DoSaveQualityData(DriverContext* handle) {
  ApiState* state = ApiStateOf(handle);
  if (!handle || !state || !state->qualitySave || !handle->settings) return 0;
  const DWORD size = GetSettingsBufferSize();
  std::memcpy(state->qualitySave, handle->settings, size < state->qualitySaveSize ? size : state->qualitySaveSize);
  return 1;
}

std::int32_t DoRestoreQualityData(DriverContext* handle) {
  ApiState* state = ApiStateOf(handle);
  if (!handle || !state || !state->qualitySave || state->qualitySaveSize < GetSettingsBufferSize()) return 0;
  for (int i = 0; i < handle->fields.count; ++i) {
    SettingField* field = &handle->fields.records[i];
    if (MarkOf(field->marks, 2) == 0) continue;
    WriteFieldRaw(handle, field, ReadFieldFromBuffer(handle, field, state->qualitySave));
  }
  for (WORD id : {fid::kdmPrintMacro, fid::kdmBalanceMacro, fid::kdmUseUserMacro}) {
    SettingField* field = nullptr;
    ReadFieldRawById(handle, id, &field);
    if (field) WriteFieldRaw(handle, field, ReadFieldFromBuffer(handle, field, state->qualitySave));
  }
  return 1;
}
