// The document and page road: which blocks go out, in which order, and what a raw job
// skips.
#include <cstdio>
#include <cstring>

#include "stored/devmode_merge.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "base/ini_files.h"
#include "base/paths_and_names.h"
#include "fields/product_record.h"
#include "ddi.h"
#include "model/model_parse.h"
#include "model/option_lookup.h"
#include "model/rule_eval.h"
#include "output_binding.h"
#include "page_records.h"
#include "render_common.h"
#include "job_settings.h"
#include "paper_substitution.h"
#include "render_device.h"
#include "render_fields.h"
#include "win/errors.h"
#include "win/spool.h"

namespace rendara {

BOOL IsOptionValueEnabled(DriverContext* context, WORD featureId, DWORD value) {
  if (!context || !context->model) return FALSE;
  const ImageRef option = FindOptionRecord(featureId, context);
  if (!option || (OptionRawType(option) & kTypeUnknown)) return FALSE;
  return IsItemDisabled(option, static_cast<WORD>(value), context) ? FALSE : TRUE;
}

namespace {

constexpr DWORD kMergeFlagsJob = 0x20008;
constexpr char kJobNamePrefix[] = "@PJL SET JOBNAME = \"";
constexpr DWORD kJobNamePrefixLength = 20;
constexpr DWORD kJobNameMax = 232;
constexpr DWORD kNotificationLength = 37;

static_assert(sizeof kJobNamePrefix - 1 == kJobNamePrefixLength);

RenderDevice* CheckedSurface(SURFOBJ* pso) {
  RenderDevice* device = DeviceOfSurface(pso);
  if (!device) SetLastError(ERROR_INVALID_PARAMETER);
  return device;
}

DWORD Field(RenderDevice* device, WORD id) { return ReadFieldRawById(device->context, id); }

void FreeJobName(RenderDevice* device) {
  if (device->jobName) DeviceFree(device->heap, device->jobName);
  device->jobName = nullptr;
  device->jobNameLength = 0;
}

// The stored print method of the per-printer settings INI differs from the context's.
bool PrintMethodChanged(RenderDevice* device) {
  DriverContext* context = device->context;
  SettingField* field = nullptr;
  const DWORD method = ReadFieldRawById(context, fid::kdmPrnMethod, &field);
  if (!field || !field->key) return false;
  const WCHAR* section = GetPrinterDisplayName(context);
  const WCHAR* file = GetUserIniPath(context);
  if (!section || !file || !file[0]) return false;
  return static_cast<DWORD>(ReadIniInt(section, field->key, 0, file)) != method;
}

void ReadJobName(RenderDevice* device, LPWSTR documentName) {
  const WCHAR* source = documentName;
  BYTE* jobInfo = nullptr;
  if (device->metafileSpooling) {
    DWORD needed = 0;
    GetJobW(device->printer, device->jobId, 2, nullptr, 0, &needed);
    if (needed >= sizeof(JOB_INFO_2W)) {
      jobInfo = static_cast<BYTE*>(DeviceAlloc(device->heap, needed));
      if (jobInfo && GetJobW(device->printer, device->jobId, 2, jobInfo, needed, &needed)) {
        const WCHAR* document = reinterpret_cast<JOB_INFO_2W*>(jobInfo)->pDocument;
        if (document && document[0]) source = document;
      }
    }
  }
  if (source && source[0]) device->jobName = DevicePrinterText(device, source, &device->jobNameLength);
  if (jobInfo) DeviceFree(device->heap, jobInfo);
}

BOOL WriteJobNameBlock(RenderDevice* device) {
  RecordBuffer* records = &device->records;
  auto* name = static_cast<BYTE*>(DeviceAlloc(device->heap, kJobNameMax));
  if (!name) return FALSE;
  const BYTE* from = reinterpret_cast<const BYTE*>(device->jobName);
  const DWORD length = static_cast<DWORD>(device->jobNameLength);
  DWORD n = 0;
  for (DWORD i = 0; i < length && n < kJobNameMax; ++i) {
    const BYTE c = from[i];
    if (IsDBCSLeadByte(c)) {
      // A lead byte goes only together with its trail byte.
      if (i + 1 >= length || n + 2 > kJobNameMax) break;
      name[n++] = c;
      name[n++] = from[++i];
    } else {
      // A quotation mark would end the quoted name, and CR, LF or the escape byte the line:
      // none of them reaches the printer.
      name[n++] = c == '"' ? '\'' : (c < 0x20 || c == 0x7F) ? ' ' : c;
    }
  }
  static const char kSuffix[3] = {'"', '\r', '\n'};
  BOOL result = WriteBlockHeader(records, kBlockJobText, kJobNamePrefixLength + n + 3);
  if (result) {
    WriteOutput(records, kJobNamePrefix, kJobNamePrefixLength);
    WriteOutput(records, name, n);
    WriteOutput(records, kSuffix, sizeof kSuffix);
  }
  DeviceFree(device->heap, name);
  return result;
}

}  // namespace

BOOL WriteNotificationBlock(RenderDevice* device) {
  const DWORD supported = (Field(device, fid::kdmSupportFunc2SelectJobComplete) & 1) +
                          2 * (Field(device, fid::kdmSupportFunc2SelectJobErr) & 1);
  const DWORD selected =
      (Field(device, fid::kdmFunc2SelectJobComplete) & 1) + 2 * (Field(device, fid::kdmFunc2SelectJobErr) & 1);
  char line[kNotificationLength + 1];
  std::snprintf(line, sizeof line, "@PJL COMMENT NOTIFICATION = \"0x%02x\" \r\n", (supported & selected) & 0xFF);
  if (!WriteBlockHeader(&device->records, kBlockJobText, kNotificationLength)) return FALSE;
  WriteOutput(&device->records, line, kNotificationLength);
  return TRUE;
}

namespace {

BOOL WriteSettingsRecordBlock(RenderDevice* device) {
  DriverContext* context = device->context;
  const BYTE* devmode = GetContextDevmode(context);
  if (!devmode) return FALSE;
  DEVMODEW header;
  std::memcpy(&header, devmode, sizeof header);
  DWORD length = static_cast<DWORD>(header.dmSize) + header.dmDriverExtra;
  if (length < GetTotalDevmodeSize()) length = GetTotalDevmodeSize();
  // Never past the settings buffer that holds the device-mode.
  const std::size_t room = GetSettingsBufferSize() - static_cast<std::size_t>(devmode - context->settings);
  if (length > room) length = static_cast<DWORD>(room);
  UndoJobPaperSubstitution(device);
  BOOL result = WriteBlockHeader(&device->records, kBlockSettings, length);
  if (result) WriteOutput(&device->records, devmode, length);
  RedoJobPaperSubstitution(device);
  return result;
}

}  // namespace

BOOL DrvStartDoc(SURFOBJ* pso, LPWSTR documentName, DWORD jobId) {
  RenderDevice* device = CheckedSurface(pso);
  if (!device) return FALSE;
  if (jobId != 0) device->jobId = jobId;
  ApplyJobSettings(device->context, device->jobDevmode, kMergeFlagsJob, device->printer, device->jobId);
  device->apiUseFlag = Field(device, fid::kdmAPIUseFlag);
  device->settingsRecordWanted = JudgeHookCore00(device->context);
  if (device->apiUseFlag || device->settingsRecordWanted) device->stretchImage = 0;
  if (PrintMethodChanged(device) && !MergeDevmode(device->context, nullptr, kMergeFlagsJob)) return FALSE;

  const bool carried = (device->jobFlags & JOB_CARRIED_OVER) != 0;
  if (!carried) {
    if (!BindOutput(device)) return FALSE;
    if (!OutputStartDoc(device, jobId)) return FALSE;
  }
  device->jobFlags |= JOB_DOC_STARTED;
  if (!carried) {
    device->pageCount = 0;
    device->jobFlags &= ~JOB_PAGE_OPEN;
    FreeJobName(device);
  }
  if (!device->jobName) ReadJobName(device, documentName);
  return TRUE;
}

BOOL DrvStartPage(SURFOBJ* pso) {
  RenderDevice* device = CheckedSurface(pso);
  if (!device) return FALSE;
  device->pageStartSeen = 1;
  OutputStartPage(device);
  if (device->jobFlags & JOB_OUTPUT_FAILED) return FALSE;
  if (device->jobFlags & JOB_PAGE_OPEN) return TRUE;
  device->jobFlags |= JOB_PAGE_OPEN;
  ++device->pageCount;

  RecordBuffer* records = &device->records;
  DriverContext* context = device->context;
  if (device->pageCount == 1 || (device->jobFlags & JOB_CARRIED_OVER)) {
    device->jobFlags &= ~JOB_CARRIED_OVER;
    FreeChunks(records);
    ResetRecordBuffer(records);
    if (!WriteJobHeaderBlock(records, context)) return FALSE;
    if (device->pageCount == 1) {
      if (device->jobName && device->jobNameLength > 0 && !WriteJobNameBlock(device)) return FALSE;
      if ((IsOptionValueEnabled(context, fid::kdmFunc2SelectJobComplete, 0) ||
           IsOptionValueEnabled(context, fid::kdmFunc2SelectJobErr, 0)) &&
          !WriteNotificationBlock(device))
        return FALSE;
      if (device->settingsRecordWanted && !WriteSettingsRecordBlock(device)) return FALSE;
    }
  }
  const bool rawFirstPage = OnRawFirstPage(device);
  if (!rawFirstPage && !WritePageHeaderBlocks(records, context)) return FALSE;
  InvalidateClipCache(device);
  InvalidateDrawingState(device);
  if (!rawFirstPage && !EmitPageStart(records, static_cast<DWORD>(device->surfaceWidth),
                                      static_cast<DWORD>(device->surfaceHeight), device->resolution,
                                      device->resolution))
    return FALSE;
  return TRUE;
}

BOOL DrvSendPage(SURFOBJ* pso) {
  RenderDevice* device = CheckedSurface(pso);
  if (!device) return FALSE;
  ClearGlyphCache(device);
  if (!OutputEndPage(device)) return FALSE;
  const bool rawFirstPage = OnRawFirstPage(device);
  RecordBuffer* records = &device->records;
  if (!rawFirstPage && !EmitPageEnd(records)) return FALSE;
  if (!FlushRecords(records)) return FALSE;
  if (!rawFirstPage && !WritePageTrailerBlock(records, device->context)) return FALSE;
  if (!(device->jobFlags & JOB_PAGE_OPEN)) ++device->pageCount;
  device->jobFlags &= ~JOB_PAGE_OPEN;
  return TRUE;
}

BOOL DrvEndDoc(SURFOBJ* pso, FLONG /*flags*/) {
  RenderDevice* device = CheckedSurface(pso);
  if (!device) return FALSE;
  OutputEndDoc(device);
  FreeJobName(device);
  device->jobFlags &= ~(JOB_DOC_STARTED | JOB_CARRIED_OVER);
  return TRUE;
}

}  // namespace rendara
