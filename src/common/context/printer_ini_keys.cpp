// The per-printer install keys: one table of key names with the kind that says where each
// key's value comes from, copied into the printer's section of the per-printer INI.
#include <cstring>

#include "base/driver_context.h"
#include "base/ini_files.h"
#include "base/ini_key_batch.h"
#include "base/install_services.h"
#include "base/paths_and_names.h"
#include "base/printer_data.h"
#include "base/system_checks.h"
#include "stored/device_settings.h"

namespace {

struct PrinterIniKey {
  const WCHAR* name;
  int kind;  // 0 from the second model INI, 1 and 3/4 the caller's value, 2 the refresh mark
};

constexpr PrinterIniKey kPrinterIniKeyTable[] = {
    {u"MergeKey", 0},
    {u"MergeSubKey", 0},
    {u"MergeFilePath", 0},
    {u"MergeFileName", 0},
    {u"DrvDefJobMergeFileName", 0},
    {u"DrvDefJobMergeFileExt", 0},
    {u"DrvDefJobMergePath", 0},
    {u"APIJobMergeFileName", 0},
    {u"APIJobMergePath", 0},
    {u"APIUseFlag", 0},
    {u"DriverJobMergeFileName", 0},
    {u"DriverJobMergePath", 0},
    {u"SAVEPrnMethod", 0},
    {u"SAVEACT_FILEMERGEPRINT", 0},
    {u"APIAPLName", 0},
    {u"APIAPLInfo", 0},
    {u"DefaultKst", 1},
    {u"PresetRefresh", 2},
    {u"DefaultKst", 3},
    {u"BatchInstKst", 3},
    {u"BatchInstKst", 4},
    {u"DrvDefPreviewPath", 0},
};
static_assert(sizeof kPrinterIniKeyTable / sizeof kPrinterIniKeyTable[0] == 22, "22 per-printer install keys");

constexpr DWORD kValueChars = 261;

// The two path keys have their own names per system in the second model INI.
bool IsSystemSpecificKey(const WCHAR* name) {
  auto same = [](const WCHAR* a, const WCHAR* b) {
    for (; *a && *a == *b; ++a, ++b) {
    }
    return *a == *b;
  };
  return same(name, u"DrvDefJobMergePath") || same(name, u"DrvDefPreviewPath");
}

void SourceKeyName(const WCHAR* name, WCHAR* out, DWORD size) {
  DWORD n = 0;
  for (; name[n] && n + 3 < size; ++n) out[n] = name[n];
  if (IsSystemSpecificKey(name)) {
    const WCHAR* suffix = IsNt5OrLater() ? u"2k" : u"nt";
    out[n++] = suffix[0];
    out[n++] = suffix[1];
  }
  out[n] = 0;
}

}  // namespace

int CopyPrinterIniKeys(DriverContext* context, int mode, const WCHAR* value) {
  if (!context || !context->work || mode < 0 || mode > 4) return 0;
  const WCHAR* ini = GetUserIniPath(context);
  const WCHAR* section = GetPrinterDisplayName(context);
  if (!ini || !ini[0] || !section || !section[0]) return 0;
  // The keys of the printer's section are written with one write of the file.
  IniKeyBatch batch(ini, section);
  if (mode == 1 || mode == 3 || mode == 4) {
    for (const PrinterIniKey& key : kPrinterIniKeyTable)
      if (key.kind == mode) batch.Add(key.name, value);
    batch.Commit();
    return 1;
  }
  const WCHAR* source = GetSecondIniPath(context);
  const WCHAR* modelSection = GetLanguageSectionName(context);
  if (!source || !source[0] || !modelSection || !modelSection[0]) return 0;
  for (const PrinterIniKey& key : kPrinterIniKeyTable) {
    if (key.kind == 0) {
      WCHAR sourceKey[64];
      SourceKeyName(key.name, sourceKey, 64);
      WCHAR text[kValueChars] = {};
      ReadIniString(modelSection, sourceKey, u"", text, kValueChars, source);
      // Mode 2 only clears what the model INI leaves empty; a key it fills stays as the
      // printer has it.
      if (mode == 0 || !text[0]) batch.Add(key.name, text);
    } else if (key.kind == 2) {
      DWORD refresh = 0;
      const bool set = mode == 2 || (GetPrinterDataValue(context->hPrinter, &refresh, sizeof refresh, key.name, 0) &&
                                     refresh != 0);
      batch.Add(key.name, set ? u"1" : u"0");
    }
  }
  batch.Commit();
  SaveDeviceSettingsBoth(context->hPrinter, context);
  return 1;
}
