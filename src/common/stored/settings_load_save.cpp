// Loading and saving settings files.
#include "stored/settings_load_save.h"

#include <cstring>
#include <mutex>
#include <unordered_map>

#include "fields/change_flags.h"
#include "base/deliverable.h"
#include "model/derived_fields.h"
#include "stored/devmode_checks.h"
#include "fields/devmode_header.h"
#include "stored/devmode_merge.h"
#include "base/driver_context.h"
#include "model/driver_locks.h"
#include "fields/field_access.h"
#include "base/file_names.h"
#include "fields/languages.h"
#include "fields/locale_text.h"
#include "base/memory.h"
#include "model/module_dispatch.h"
#include "base/paths_and_names.h"
#include "fields/product_record.h"
#include "base/settings_dirs.h"
#include "base/wide_text.h"
#include "field_ids.h"
#include "model/option_lookup.h"
#include "stored/job_control.h"
#include "model/free_size_list.h"
#include "model/paper_map.h"
#include "stored/prn_section.h"
#include "stored/quality_list.h"
#include "stored/section_transfer.h"
#include "stored/setting_import.h"
#include "stored/settings_file.h"
#include "stored/stamp_list.h"
#include "win/devmode.h"
#include "win/profile.h"

namespace {

constexpr DWORD kNameChars = 261;
constexpr DWORD kJobControlReadItems = 1;
constexpr DWORD kJobControlWriteItems = 0x389E;
constexpr DWORD kMergeAfterSettingsFile = 0x10000008;
constexpr DWORD kExtendedFirst = 10001;
constexpr DWORD kExtendedLast = 10434;
constexpr DWORD kDerivedFieldsType = 3;

bool IsPlainLoad(DWORD flags) { return (flags & ~(SFT_LOAD | SFT_QUIET)) == 0; }
bool IsPlainSave(DWORD flags) { return (flags & ~(SFT_SAVE | SFT_QUIET)) == 0; }
bool IsFreeSizePaper(DWORD paperId) { return IsCustomPaperId(paperId); }
// The width field and the length field after it both hold a size.
bool HasFreeSize(DriverContext* context, WORD widthId) {
  return ReadFieldRawById(context, widthId) != 0 && ReadFieldRawById(context, static_cast<WORD>(widthId + 1)) != 0;
}

// The three name buffers of a call: the cached printer name, the model name and the name
// the call puts in its place.
struct NameBuffers {
  WCHAR* saved = static_cast<WCHAR*>(AllocMem(kNameChars * sizeof(WCHAR)));
  WCHAR* model = static_cast<WCHAR*>(AllocMem(kNameChars * sizeof(WCHAR)));
  WCHAR* probe = static_cast<WCHAR*>(AllocMem(kNameChars * sizeof(WCHAR)));
  NameBuffers() = default;
  NameBuffers(const NameBuffers&) = delete;
  NameBuffers& operator=(const NameBuffers&) = delete;
  ~NameBuffers() {
    FreeMem(saved);
    FreeMem(model);
    FreeMem(probe);
  }
  bool ok() const { return saved && model && probe; }
};

// The custom-media substitution of a running save, per context.
struct MediaRow {
  DWORD saved;
  DWORD replaced;
  WORD fieldId;
  DWORD replacement;
};
constexpr int kMediaRows = 7;
constexpr MediaRow kMediaRowTable[kMediaRows] = {
    {0, 0, 29, 1}, {0, 0, 54, 1}, {0, 0, 404, 1}, {0, 0, 405, 1}, {0, 0, 406, 1}, {0, 0, 407, 1}, {0, 0, 409, 1},
};
std::mutex& MediaGuard() {
  static std::mutex guard;
  return guard;
}
std::unordered_map<const DriverContext*, MediaRow*>& MediaBlocks() {
  static std::unordered_map<const DriverContext*, MediaRow*> blocks;
  return blocks;
}

bool CustomMediaApplies(DriverContext* context, DWORD flags) {
  return context->work && (context->work->specialModelMask & 1u) && ((flags & SFT_LANGSECTION) || flags == 0) &&
         ReadFieldRawById(context, fid::kdmHidden2Func21) == 0;
}

// Follow-up of a plain load whose status is not 3 (steps in the order of the load).
void BringInStep(HANDLE printer, DriverContext* context, const DWORD (&special)[16], DWORD osKind, bool redirected,
                 const WCHAR* realName) {
  WorkArea* work = context->work;
  for (WORD i = 0; i < 16; ++i) WriteFieldRawById(context, static_cast<WORD>(1169 + i), special[i]);

  // A file that carries no size for its free-size paper leaves the printer's entry as it
  // is: storing the fields would write another paper's size (or none) into it.
  const DWORD outPaper = ReadFieldRawById(context, fid::kdmOutPaperSize);
  if (IsFreeSizePaper(outPaper) && HasFreeSize(context, fid::wdmFreeSizeWidth)) {
    const int i = FreeSizeIndexFromPaperId(outPaper, context);
    WriteFreeSizeSection(context, i);
    FeaturesToFreeSizeRecord(context, i);
  }
  const DWORD paper = ReadFieldRawById(context, fid::dmPaperSize);
  if (IsFreeSizePaper(paper) && HasFreeSize(context, fid::wdmSrcFreeSizeWidth)) {
    const int i = FreeSizeIndexFromPaperId(paper, context);
    CurrentToFreeSizeRecord(context, i);
    FreeSizeRecordToFeatures(context, i);
    WriteFreeSizeSection(context, i);
  }
  std::int32_t stamp = GetWatermarkIdIfEnabled(context);
  if (stamp != -1) {
    const std::int32_t count = GetStampCount(context);
    if (stamp >= count) {
      stamp = count;
      WriteFieldRawById(context, fid::kdmWmID, static_cast<DWORD>(count));
    }
    SaveStamp(context, stamp);
  }
  if (osKind == 0 || osKind == 1) {
    WriteFieldRawById(context, fid::dmICMMethod, 1);
    WriteFieldRawById(context, fid::dmICMIntent, 1);
    WriteFieldRawById(context, fid::dmFields,
                      ReadFieldRawById(context, fid::dmFields) & ~(DM_ICMMETHOD | DM_ICMINTENT));
    WriteFieldRawById(context, fid::kdmColorMatching, 0);
    SetFieldValueById(context, fid::kdmICMType, GetOptionDefaultValue(fid::kdmICMType, context));
    SetFieldValueById(context, fid::kdmICMIntent, GetOptionDefaultValue(fid::kdmICMIntent, context));
  }
  DWORD fields = ReadFieldRawById(context, fid::dmFields);
  fields = (osKind == 0 || osKind == 3) ? (fields | DM_MEDIATYPE) : (fields & ~DM_MEDIATYPE);
  WriteFieldRawById(context, fid::dmFields, fields);
  SetStateByte(context, 707, osKind);

  const std::int32_t quality = GetUserMacroIndex(context);
  if (quality != -1) {
    WCHAR current[kNameChars];
    CopyWide(current, kNameChars, work->printerName);
    if (redirected) CopyWide(work->printerName, kNameChars, realName);
    SaveQualityEntry(context, quality);
    CopyWide(work->printerName, kNameChars, current);
  }
  WriteFieldRawById(context, fid::kdmPresetNo, 255);
  const bool uiModeChange = ReadFieldRawById(context, fid::kdmUIModeChange) == 1;
  if (uiModeChange) WriteFieldRawById(context, fid::kdmUIModeChange, 0);
  SetLocaleDefaults(context);
  // Neither the rendering build nor the settings API tells the job-control library.
  if (!IsRenderingBuild() && !IsSettingsApiBuild()) {
    WCHAR current[kNameChars];
    CopyWide(current, kNameChars, work->printerName);
    if (redirected) CopyWide(work->printerName, kNameChars, realName);
    JobControlOpen(context);
    JobControlRead(context, kJobControlReadItems);
    JobControlWrite(context, kJobControlWriteItems);
    JobControlClose(context);
    CopyWide(work->printerName, kNameChars, current);
  }
  // The settings API merges with kdmAdjustMode off and turns it on again afterwards.
  const bool adjustMode = IsSettingsApiBuild() && ReadFieldRawById(context, fid::kdmAdjustMode) == 1;
  if (adjustMode) WriteFieldRawById(context, fid::kdmAdjustMode, 0);
  MergeDevmode(context, nullptr, kMergeAfterSettingsFile);
  if (adjustMode) WriteFieldRawById(context, fid::kdmAdjustMode, 1);
  SendModuleEvent11(context);
  if (uiModeChange) WriteFieldRawById(context, fid::kdmUIModeChange, 1);
  (void)printer;
}

}  // namespace

int LoadSettingsFile(HANDLE printer, const WCHAR* path, DWORD flags, DriverContext* context) {
  if (!context || !context->work || !context->settings || !path) return 0;
  NameBuffers names;
  if (!names.ok()) return 0;
  WorkArea* work = context->work;
  LockDriverMutex(context);
  CopyWide(names.saved, kNameChars, work->printerName);
  CopyWide(names.model, kNameChars, GetModelName(context));

  const bool plain = IsPlainLoad(flags);
  bool redirected = false;
  if (plain || (flags & SFT_PRESETSAVE)) {
    GetPrivateProfileStringW(names.model, u"KstVersion", u"*", names.probe, kNameChars - 1, path);
    if (!(names.probe[0] == u'*' && names.probe[1] == 0)) {
      CopyWide(work->printerName, kNameChars, names.model);
      redirected = true;
    }
  }
  DWORD osKind = 0;
  DWORD special[16] = {};
  if (plain) {
    osKind = GetStateByte(context, 707);
    for (WORD i = 0; i < 16; ++i) special[i] = ReadFieldRawById(context, static_cast<WORD>(1169 + i));
  }

  int result = TransferSettingsSection(printer, path, flags | SFT_LOAD, context) ? 1 : 0;
  const std::int32_t status = GetSettingsFileStatus(context);
  BOOL extended = TRUE;
  if (status != SFS_LOCKED_VALUE_DIFFERS)
    extended = TransferExtendedSettings(path, flags | SFT_LOAD, context, kExtendedFirst, kExtendedLast);
  if (result == 1) {
    if (!extended) {
      result = 0;
    } else if (status == SFS_HEADER_MISMATCH && (flags & SFT_QUALITY)) {
      WCHAR root[MAX_PATH] = {};
      WCHAR named[MAX_PATH] = {};
      WCHAR companion[MAX_PATH] = {};
      if (GetSettingsDir(root, MAX_PATH, context) && ChangeExtension(named, FindFileName(path), u"ksq") &&
          JoinPath(companion, MAX_PATH, root, named))
        ImportSettingFile(path, companion, SFT_QUALITY, context);
      result = 1;
    }
  }
  if (plain && status != SFS_LOCKED_VALUE_DIFFERS) BringInStep(printer, context, special, osKind, redirected, names.saved);
  SetSettingsFileStatus(context, status);
  UnlockDriverMutex(context);
  CopyWide(work->printerName, kNameChars, names.saved);
  return result;
}

int SaveSettingsFile(HANDLE printer, const WCHAR* path, DWORD flags, DriverContext* context) {
  if (!context || !context->work || !context->settings || !path) return 0;
  const bool protect = CustomMediaApplies(context, flags);
  if (protect && !ProtectCustomMediaValues(context)) return 0;
  NameBuffers names;
  if (!names.ok()) {
    if (protect) RestoreCustomMediaValues(context);
    return 0;
  }
  // The pre-save work below runs on the live settings and is undone from this copy, so
  // the copy is taken before anything is touched: without it nothing is saved.
  const bool preSave = (flags & ~(SFT_LANGSECTION | SFT_SAVE | SFT_PRESET | SFT_QUIET)) == 0;
  const DWORD size = GetSettingsBufferSize();
  BYTE* copy = preSave ? static_cast<BYTE*>(AllocMem(size)) : nullptr;
  if (preSave && !copy) {
    if (protect) RestoreCustomMediaValues(context);
    return 0;
  }
  WorkArea* work = context->work;
  CopyWide(names.saved, kNameChars, work->printerName);
  if (flags & SFT_LANGSECTION) {
    CopyWide(names.probe, kNameChars, GetLanguageCodeById(ReadFieldRawById(context, fid::kdmLanguageID)));
    flags &= ~SFT_LANGSECTION;
  } else if (IsPlainSave(flags)) {
    CopyWide(names.probe, kNameChars, GetModelName(context));
  } else {
    CopyWide(names.probe, kNameChars, work->printerName);
  }
  CopyWide(work->printerName, kNameChars, names.probe);
  LockDriverMutex(context);

  if (copy) {
    std::memcpy(copy, context->settings, size);
    const DWORD paper = ReadFieldRawById(context, fid::dmPaperSize);
    if (IsFreeSizePaper(paper)) ReadCurrentFreeSize(context, FreeSizeIndexFromPaperId(paper, context));
    const DWORD outPaper = ReadFieldRawById(context, fid::kdmOutPaperSize);
    if (IsFreeSizePaper(outPaper)) ReadFreeSize(context, FreeSizeIndexFromPaperId(outPaper, context));
    if (GetWatermarkIdIfEnabled(context) != -1)
      ApplyStamp(context, static_cast<int>(ReadFieldRawById(context, fid::kdmWmID)));
    CopyWide(work->printerName, kNameChars, names.saved);
    const std::int32_t quality = GetUserMacroIndex(context);
    if (quality != -1) ApplyQualityByIndex(context, quality);
    CopyWide(work->printerName, kNameChars, names.probe);
    QueryModulesYesNo(context);
    ApplyDerivedFields(context->settings, context, kDerivedFieldsType);
  }
  const BOOL section = TransferSettingsSection(printer, path, flags | SFT_SAVE, context);
  const BOOL extended = TransferExtendedSettings(path, flags | SFT_SAVE, context, kExtendedFirst, kExtendedLast);
  const int result = section && extended ? 1 : 0;
  if (copy) {
    std::memcpy(context->settings, copy, size);
    FreeMem(copy);
  }
  UnlockDriverMutex(context);
  CopyWide(work->printerName, kNameChars, names.saved);
  if (protect) RestoreCustomMediaValues(context);
  return result;
}

int ProtectCustomMediaValues(DriverContext* context) {
  if (!context) return 0;
  auto* rows = static_cast<MediaRow*>(AllocMem(sizeof kMediaRowTable));
  if (!rows) return 0;
  std::memcpy(rows, kMediaRowTable, sizeof kMediaRowTable);
  for (int i = 0; i < kMediaRows; ++i) {
    MediaRow& row = rows[i];
    row.saved = ReadFieldRawById(context, row.fieldId);
    row.replaced = row.saved >= 1025 && row.saved <= 1040 ? 1 : 0;
    if (row.replaced) SetFieldValueById(context, row.fieldId, row.replacement);
  }
  std::lock_guard<std::mutex> guard(MediaGuard());
  MediaRow*& slot = MediaBlocks()[context];
  FreeMem(slot);
  slot = rows;
  return 1;
}

void RestoreCustomMediaValues(DriverContext* context) {
  MediaRow* rows = nullptr;
  {
    std::lock_guard<std::mutex> guard(MediaGuard());
    auto found = MediaBlocks().find(context);
    if (found == MediaBlocks().end()) return;
    rows = found->second;
    MediaBlocks().erase(found);
  }
  for (int i = 0; i < kMediaRows; ++i)
    if (rows[i].replaced) SetFieldValueById(context, rows[i].fieldId, rows[i].saved);
  FreeMem(rows);
}
