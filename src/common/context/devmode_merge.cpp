#include "stored/devmode_merge.h"

#include <cstring>

#include "base/build_switches.h"
#include "context/common_settings_block.h"
#include "base/deliverable.h"
#include "model/derived_fields.h"
#include "stored/devmode_checks.h"
#include "stored/devmode_convert.h"
#include "fields/devmode_header.h"
#include "context/devmode_import.h"
#include "stored/devmode_upgrade.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "fields/locale_text.h"
#include "base/memory.h"
#include "context/merge_public_fields.h"
#include "model/module_dispatch.h"
#include "model/printable_area.h"
#include "base/printer_data.h"
#include "fields/product_record.h"
#include "base/spooler_info.h"
#include "base/system_checks.h"
#include "model/units.h"
#include "field_ids.h"
#include "model/option_lookup.h"
#include "stored/job_control.h"
#include "context/plugin_list.h"
#include "context/ui_plugins.h"
#include "context/user_codes.h"
#include "stored/device_settings.h"
#include "model/free_size_list.h"
#include "stored/lock_data.h"
#include "model/paper_map.h"
#include "win/kernel.h"

namespace {

constexpr WORD kKeptStateBytes[] = {706, 707, 708, 709, 710, 711, 714, 718, 720, 721, 722};
constexpr WORD kQualityTextBitmapBit = 0x2000;
constexpr DWORD kHidden2Func7Bit = 0x80;
constexpr DWORD kOutPaperSameAsSource = 1024;
constexpr DWORD kJobControlItems = 0x389F;
constexpr DWORD kEventLockData1 = 60;
constexpr DWORD kEventLockData2 = 59;

enum Verdict { kTakeAsIs = 0, kUpgrade = 1, kPublicOnly = 2 };

struct TextField {
  WORD id;
  WORD size;
};
constexpr TextField kTextFields[] = {
    {114, 33}, {115, 32}, {202, 9},  {203, 9},  {204, 17}, {205, 65}, {206, 17}, {207, 9},
    {208, 9},  {524, 65}, {525, 32}, {598, 21}, {700, 8},  {702, 32}, {703, 32},
};

// Whether the private block of the working copy may be kept (after the import).
Verdict Judge(const BYTE* copy, const DEVMODEW* in, int imported, DriverContext* context) {
  // A private block that came in must also name its areas inside the settings buffer.
  if (imported > 0 && !AreIncomingAreaOffsetsInside(in)) return kPublicOnly;
  if (!IsDevmodeWellFormed(copy, context)) return kPublicOnly;
  if (CheckDevmodeVersion(copy)) return kTakeAsIs;
  if (CheckDevmodeVersionLoose(copy)) {
    const int c = CompareDevmodeVersion(copy);
    return c == VERSION_UPGRADE ? kUpgrade : c == VERSION_ACCEPT ? kTakeAsIs : kPublicOnly;
  }
  return kPublicOnly;
}

// Takes the copy's private block over the context's, keeping the environment bytes.
void TakePrivateBlock(DriverContext* context, const BYTE* copy, DWORD flags) {
  BYTE* own = context->settings;
  DWORD kept[sizeof kKeptStateBytes / sizeof kKeptStateBytes[0]];
  for (size_t i = 0; i < sizeof kKeptStateBytes / sizeof kKeptStateBytes[0]; ++i) {
    kept[i] = ReadStateByte(own, kKeptStateBytes[i]);
  }
  const BYTE lockPrnMethod = ReadLockPrnMethod(own);
  const DWORD frontFunc = ReadFrontFunc(own);
  const DWORD jobSelections = ReadSupportFunc2Bits(own);

  std::memcpy(own + kDevmodePublicSize, copy + kDevmodePublicSize, GetPrivateDevmodeSize());

  for (size_t i = 0; i < sizeof kKeptStateBytes / sizeof kKeptStateBytes[0]; ++i) {
    WriteStateByte(own, kKeptStateBytes[i], kept[i]);
  }
  WriteFrontFunc(own, frontFunc);
  if (IsPrintTypeLocked(context) && ReadFieldRawById(context, fid::kdmFunc2SelectPreviewFlag) == 0 &&
      !(flags & MERGE_KEEP_PRINT_METHOD)) {
    WriteLockPrnMethod(own, lockPrnMethod);
  }
  if (flags & MERGE_KEEP_JOB_SELECTIONS) {
    WriteJobCompleteSelect(own, jobSelections);
    WriteJobErrorSelect(own, jobSelections);
  }
}

void ApplyModelSwitches(DriverContext* context) {
  BYTE* own = context->settings;
  WORD quality = ReadQualityFuncBits(own);
  if (GetOptionDefaultValue(fid::kdmQualityFuncTextBitmapSupport, context) != 0) {
    quality = static_cast<WORD>(quality | kQualityTextBitmapBit);
  } else {
    quality = static_cast<WORD>(quality & ~kQualityTextBitmapBit);
  }
  WriteQualityFuncBits(own, quality);
  if (GetOptionDefaultValue(fid::wdmCustomFunc1, context) != 0) {
    WriteHidden2FuncBits(own, ReadHidden2FuncBits(own) | kHidden2Func7Bit);
  }
}

void CheckToolbarPlugin(DriverContext* context) {
  WorkArea* work = context->work;
  const BOOL assigned = IsVavavUiPluginAssigned(context);
  char path[260] = {};
  const BOOL located = GetVavavUiPluginPath(context, path);
  AnsiToWide(work->pluginText, path, 261);
  work->pluginWords[0] = assigned ? 1 : 0;
  work->pluginWords[1] = located ? 1 : 0;
  if (!assigned || !located) {
    WriteFieldRawById(context, fid::kdmFunc2SelectTintBlockUI, 0);
    return;
  }
  WriteFieldRawById(context, fid::kdmFunc2SelectTintBlockUI, 1);
  WriteFieldRawById(context, fid::kdmFuncSelectCopyProtect, 1);
  WriteFieldRawById(context, fid::kdmFuncSelectWaterMark, 0);
  WriteFieldRawById(context, fid::kdmFuncSelectTonerSave, 0);
  const DWORD kind = ReadFieldRawById(context, fid::kdmNUPPOSTKind);
  if (kind == 10 || kind == 11) {
    WriteFieldRawById(context, fid::kdmFuncSelectNup, 0);
    WriteFieldRawById(context, fid::kdmNUPPOSTKind, 1);
    WriteFieldRawById(context, fid::kdmNUPType, ReadFieldRawById(context, fid::dmOrientation) == 1 ? 1 : 3);
  }
}

}  // namespace

int MergeDevmode(DriverContext* context, const DEVMODEW* in, DWORD flags) {
  if (!(flags & (MERGE_IN_BUFFER | MERGE_DOCUMENT_ROAD))) return 1;
  if (!context || !context->settings || !context->work) return 1;
  if (in && !IsKnownPublicSize(in->dmSize)) in = nullptr;
  WorkArea* work = context->work;
  work->mergeFlags = flags;
  if (!(flags & MERGE_LOADING_SETTINGS_FILE)) {
    WriteFieldRawById(context, fid::wdmCtrlWorkPrompt, (flags & MERGE_IN_PROMPT) ? 1 : 0);
  }

  const DWORD total = GetTotalDevmodeSize();
  BYTE* own = context->settings;
  BYTE* copy = static_cast<BYTE*>(AllocMem(total));
  if (!copy) return 0;
  std::memcpy(copy, own, total);

  if (in) {
    const int imported = ImportDevmode(in, reinterpret_cast<DEVMODEW*>(copy));
    switch (Judge(copy, in, imported, context)) {
      case kUpgrade: {
        BYTE* kept = static_cast<BYTE*>(AllocMem(total));
        if (!kept) {
          FreeMem(copy);
          return 0;
        }
        std::memcpy(kept, own, total);
        std::memcpy(own, copy, total);
        UpgradeDevmodeIfOlder(own, context);
        std::memcpy(copy, own, total);
        std::memcpy(own, kept, total);
        FreeMem(kept);
        break;
      }
      case kPublicOnly:
        std::memcpy(copy + kDevmodePublicSize, own + kDevmodePublicSize, GetPrivateDevmodeSize());
        break;
      case kTakeAsIs:
        break;
    }
  }

  // The rendering build neither applies the common-settings block, nor sets the suite-tool
  // state bytes, nor syncs user codes or asks the job-control library: the rendering DLL
  // reads the job's items itself at document start. The settings API applies no
  // common-settings block, syncs no user codes and asks no job-control library either, and
  // on Windows 9x reads no lock data from printer data.
  const bool rendering = IsRenderingBuild();
  const bool settingsApi = IsSettingsApiBuild();
  if (!rendering && !settingsApi) ApplyCommonSettings(context, copy);
  if (work->mergeFlags & MERGE_COMMON_BLOCK_APPLIED) flags |= MERGE_COMMON_BLOCK_APPLIED;

  TakePrivateBlock(context, copy, flags);
  ApplyModelSwitches(context);

  if ((flags & MERGE_IMAGE_FORM_JOB) && ReadFieldRawById(context, fid::wdmImageFormJob) != 0) {
    WriteFieldRawById(context, fid::kdmFuncSelectScale, 0);
    WriteFieldRawById(context, fid::kdmOutPaperSize, kOutPaperSameAsSource);
    WriteFieldRawById(context, fid::kdmExtOutput2A4Fit, 0);
  }
  if (IsBuildFeatureEnabled(8) && (flags & MERGE_TOOLBAR_CHECK_BITS)) CheckToolbarPlugin(context);
  if ((flags & MERGE_PRINTER_DATA_BITS) && !(settingsApi && IsWin9x())) {
    if (IsPrinterConnection(context)) {
      LoadLockData(context->hPrinter, context);
      NotifyModules(context, kEventLockData1, nullptr);
      NotifyModules(context, kEventLockData2, nullptr);
    } else {
      LoadLockData(context->hPrinter, context);
    }
  }

  MergePublicFields(own, copy, context);

  if (!rendering) {
    SetStateByte(context, 717, IsSuiteToolInstalled(2, context) ? 1 : 0);
    SetStateByte(context, 705, IsSuiteToolInstalled(8, context) ? 1 : 0);
    if (!settingsApi) {
      UserCodeSync(context);
      if (flags & MERGE_IN_PROMPT) JobControlReadMask(context, kJobControlItems);
    }
  }
  if (!(flags & MERGE_LOADING_SETTINGS_FILE) && (flags & MERGE_PRINTER_DATA_BITS)) {
    LoadDeviceSettingsKind(context->hPrinter, context, 1, 0);
  }
  UserCodeLoad(context);
  if (IsBuildFeatureEnabled(10) && (flags & MERGE_UI_PLUGIN_BITS)) QueryUiControlPlugins(context);

  SanitizeAllFields(context);
  ReconcilePublicFields(own, copy, context);

  NotifyModules(context, kMergeDoneEvent, &flags);
  WriteFieldRawById(context, fid::wdmUIStart, 0);
  if (flags & MERGE_RULE_REFRESH_BITS) RefreshAllOptionStates(context);

  if (work->mergeFlags & (MERGE_COMMON_BLOCK_APPLIED | MERGE_IN_PROMPT)) {
    ApplyDerivedFields(own, context, 2);
  } else {
    const DWORD paper = ReadFieldRawById(context, fid::dmPaperSize);
    if (IsFreeSizeListPaper(paper, context)) {
      InitFreeSizes(context);
      const int index = FreeSizeIndexFromPaperId(paper, context);
      LoadUserPaperNames(context, paper, index);
      FreeSizeRecordToCurrent(context, index);
    }
    DeriveImageableArea(ReadFieldRawById(context, fid::kdmOutPaperSize), fid::kdmOutPaperSize, context, own);
  }

  FreeMem(copy);
  return 1;
}

int MergeDevmodeFromBuffer(DriverContext* context, const void* in, DWORD size, DWORD flags) {
  const DEVMODEW* readable = in && IsIncomingDevmodeReadable(in, size) ? static_cast<const DEVMODEW*>(in) : nullptr;
  return MergeDevmode(context, readable, flags);
}

int SanitizeStringField(WORD id, DriverContext* context) {
  DWORD size = 0;
  for (const TextField& t : kTextFields) {
    if (t.id == id) size = t.size;
  }
  SettingField* field = FindFieldById(context, id);
  BYTE* text = field ? GetFieldAddress(context, field) : nullptr;
  if (size == 0 || !text) return 0;
  if (FieldSizeOf(field->type) < size) size = FieldSizeOf(field->type);
  if (size == 0) return 0;
  if (text[0] == 0) return 1;
  BYTE* clean = static_cast<BYTE*>(AllocMem(size));
  if (!clean) return 0;
  const UINT codePage = GetACP();
  DWORD out = 0;
  for (DWORD i = 0; i < size - 1;) {
    const BYTE c = text[i];
    if (c == 0) break;
    if (IsDBCSLeadByteEx(codePage, c)) {
      // The pair stays whole, or the text ends before it.
      if (i + 1 >= size - 1 || text[i + 1] == 0 || out + 1 >= size - 1) break;
      clean[out++] = c;
      clean[out++] = text[i + 1];
      i += 2;
      continue;
    }
    if ((c >= 1 && c <= 8) || (c >= 10 && c <= 31) || c == 127) {
      ++i;
      continue;
    }
    clean[out++] = c;
    ++i;
  }
  clean[out < size ? out : size - 1] = 0;
  if (std::memcmp(clean, text, size) != 0) WriteFieldBlock(context, field, clean);
  FreeMem(clean);
  return 1;
}

void SanitizeAllFields(DriverContext* context) {
  if (!context || !context->settings) return;
  for (const TextField& t : kTextFields) SanitizeStringField(t.id, context);
}
