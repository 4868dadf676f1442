// The default section and the install refresh of the per-printer lists.
#include "stored/default_section.h"

#include <cstring>

#include "base/driver_context.h"
#include "fields/field_access.h"
#include "model/field_checks.h"
#include "base/ini_files.h"
#include "base/install_services.h"
#include "base/memory.h"
#include "base/paths_and_names.h"
#include "fields/product_record.h"
#include "base/spooler_info.h"
#include "base/wide_text.h"
#include "stored/device_settings.h"
#include "model/free_size_list.h"
#include "stored/lock_data.h"
#include "stored/preset_list.h"
#include "stored/prn_section.h"
#include "stored/quality_list.h"
#include "stored/section_transfer.h"
#include "stored/settings_file.h"
#include "stored/stamp_list.h"

namespace {

constexpr DWORD kNameChars = 261;
constexpr WCHAR kDefaultSuffix[] = u".DefaultSection";

// Moves the settings through the default section: the plain transfer with the section's
// name as the cached printer name, then the printer-side fields key by key.
BOOL TransferDefaultSection(DriverContext* context, DWORD direction) {
  const WCHAR* ini = GetUserIniPath(context);
  if (!ini || !IsDriveLetterPath(ini)) return FALSE;
  WCHAR section[kNameChars];
  MakeDefaultSectionName(context, section);
  WCHAR saved[kNameChars];
  CopyWide(saved, kNameChars, context->work->printerName);
  CopyWide(context->work->printerName, kNameChars, section);
  TransferSettingsSection(context->hPrinter, ini, direction, context);
  CopyWide(context->work->printerName, kNameChars, saved);
  TransferPrnFields(ini, SFT_TEXTFILE | direction, context, section, 10001, 10434);
  TransferPrnFields(ini, SFT_TEXTFILE | direction, context, section, 1453, 1543);
  return TRUE;
}

bool InRange(WORD id, WORD first, WORD last) { return id >= first && id <= last; }

}  // namespace

void MakeDefaultSectionName(DriverContext* context, WCHAR* section) {
  if (!section) return;
  section[0] = 0;
  if (!context || !context->work) return;
  CopyWide(section, kNameChars, context->work->printerName);
  DWORD at = 0;
  while (section[at]) ++at;
  for (DWORD i = 0; kDefaultSuffix[i] && at + 1 < kNameChars; ++i) section[at++] = kDefaultSuffix[i];
  section[at] = 0;
  SanitizeIniSection(section);
}

int ReadDefaultSection(DriverContext* context) {
  if (!context || !context->work || !context->settings) return 0;
  const WCHAR* ini = GetUserIniPath(context);
  if (!ini || !IsDriveLetterPath(ini)) return 0;
  WCHAR section[kNameChars];
  MakeDefaultSectionName(context, section);
  WCHAR machine[16] = {};
  ReadIniString(section, u"kdmMachineID", u"", machine, 16, ini);
  if (!machine[0]) return 0;
  return TransferDefaultSection(context, SFT_LOAD) ? 1 : 0;
}

int WriteDefaultSection(DriverContext* context) {
  if (!context || !context->work || !context->settings) return 0;
  TransferDefaultSection(context, SFT_SAVE);
  return 1;
}

int SaveDefaultSettings(DriverContext* context) {
  if (!context || !context->work || !context->settings) return 0;
  const DWORD size = GetSettingsBufferSize();
  auto* saved = static_cast<BYTE*>(AllocMem(size));
  if (!saved) return 0;
  std::memcpy(saved, context->settings, size);
  if (!ReadDefaultSection(context)) {
    // Without stored locked defaults the current settings stand in for them rather than an
    // empty buffer.
    if (context->work->lockDefaults && LoadLockDefaultData(context->hPrinter, context))
      std::memcpy(context->settings, context->work->lockDefaults, size);
    for (int i = 0; i < context->fields.count; ++i) {
      const WORD id = context->fields.records[i].id;
      if (InRange(id, 35, 696) || InRange(id, 10001, 10434) || InRange(id, 1453, 1543))
        CheckFieldValue(id, ReadFieldRawById(context, id), context);
    }
  }
  if (context->work->lockDefaults) {
    std::memcpy(context->work->lockDefaults, context->settings, size);
    WriteLockDefaultData(context->hPrinter, context);
  }
  WriteDefaultSection(context);
  std::memcpy(context->settings, saved, size);
  FreeMem(saved);
  return 1;
}

int InitUserLists(HANDLE printer, DriverContext* context) {
  if (!context || !context->work) return 1;
  if (!IsPrinterConnection(context)) {
    SaveDeviceSettingsWithModelFonts(printer, context);
  }
  CopyPrinterIniKeys(context, 2, nullptr);
  RewritePresetFiles(context);
  RefreshQualityEntries(context);
  RewriteAllStamps(context);
  RewriteAllFreeSizes(context);
  return 1;
}
