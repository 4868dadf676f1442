#include "job_settings.h"

#include <cstring>

#include "stored/devmode_merge.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "job_control_items.h"
#include "job_text.h"
#include "paper_substitution.h"
#include "render_common.h"
#include "render_fields.h"
#include "stored/device_settings.h"
#include "stored/bidi_cache_calls.h"

namespace rendara {

namespace {

// The job strings kept across the re-merge, each only when its length is within its limit.
struct KeptString {
  WORD field;
  std::size_t limit;
};
constexpr KeptString kKeptStrings[] = {
    {fid::kdmUserID, 8},        {fid::kdmUserCode, 8},       {fid::kdmOwnerName, 16}, {fid::kdmDocumentName, 16},
    {fid::kdmJOBPassword, 8},   {fid::kdmStoredPassword, 8}, {fid::kdmTelNo, 64},
};
constexpr std::size_t kKeptCount = sizeof kKeptStrings / sizeof kKeptStrings[0];
constexpr std::size_t kKeptMax = 64;

struct KeptValues {
  char text[kKeptCount][kKeptMax + 1];
  DWORD telLine;
};

void Keep(DriverContext* context, KeptValues& kept) {
  std::memset(&kept, 0, sizeof kept);
  for (std::size_t i = 0; i < kKeptCount; ++i) {
    SettingField* field = FindFieldById(context, kKeptStrings[i].field);
    const BYTE* value = field ? GetFieldAddress(context, field) : nullptr;
    if (!value) continue;
    const std::size_t size = FieldSizeOf(field->type);
    std::size_t n = 0;
    while (n < size && value[n]) ++n;
    if (n <= kKeptStrings[i].limit) std::memcpy(kept.text[i], value, n);
  }
  kept.telLine = ReadFieldRawById(context, fid::kdmTelLine);
}

void WriteBack(DriverContext* context, const KeptValues& kept) {
  for (std::size_t i = 0; i < kKeptCount; ++i)
    if (kept.text[i][0]) StoreJobText(context, kKeptStrings[i].field, kept.text[i], kKeptMax);
  WriteFieldRawById(context, fid::kdmTelLine, kept.telLine);
}

}  // namespace

int ApplyJobSettings(DriverContext* context, const DEVMODEW* jobDevmode, DWORD flags, HANDLE printer, DWORD jobId) {
  if (!context || !context->work || !context->settings) return 1;
  KeptValues kept;
  Keep(context, kept);
  context->work->kind = CTXK_RENDERING_JOB;
  LoadDeviceSettingsKind(printer, context, -1, 0);
  LoadDeviceSettingsKind(printer, context, 3, DSL_INI_MODE);
  if (IsBidiCacheIniSet(context)) LoadBidiCacheIni(context);
  MergeDevmode(context, jobDevmode, flags);
  ApplyJobTimeAdjustments(context);
  UpdateBiDirectState(context);
  WriteBack(context, kept);
  RunJobControlAtStartDoc(context, printer, jobId);
  WriteFieldRawById(context, fid::kdmFunc2SelectPreviewFlag, 1);
  return 1;
}

}  // namespace rendara
