#include "stored/settings_file.h"

#include <cstdio>

#include "base/deliverable.h"
#include "stored/devmode_upgrade.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "base/ini_files.h"
#include "fields/languages.h"
#include "base/message_boxes.h"
#include "base/paths_and_names.h"
#include "fields/product_record.h"
#include "model/units.h"
#include "base/wide_text.h"
#include "field_ids.h"
#include "stored/ini_text.h"
#include "stored/lock_data.h"

namespace {

constexpr WORD kUnsetHeaderValue = 0xFFFF;
constexpr WCHAR kKeyVersion[] = u"KstVersion";
constexpr WCHAR kKeyMachine[] = u"KstMachine";
constexpr WCHAR kKeyLanguage[] = u"KstLanguage";
constexpr WCHAR kKeyOsKind[] = u"KstOSKind";

void FormatNumber(WCHAR* text, DWORD value) {
  char ansi[16] = {};
  std::snprintf(ansi, sizeof ansi, "%u", static_cast<unsigned>(value));
  int i = 0;
  for (; ansi[i]; ++i) text[i] = static_cast<WCHAR>(ansi[i]);
  text[i] = 0;
}

DWORD ParseDecimal(const WCHAR* text) {
  while (*text == u' ' || *text == u'\t') ++text;
  bool negative = false;
  if (*text == u'-' || *text == u'+') negative = *text++ == u'-';
  DWORD value = 0;
  for (; *text >= u'0' && *text <= u'9'; ++text) value = value * 10u + static_cast<DWORD>(*text - u'0');
  return negative ? 0u - value : value;
}

DWORD ReadHeaderValue(const WCHAR* key, const WCHAR* path, const WCHAR* section, const char* memorySection,
                      LONG* cursor) {
  const INT value = memorySection ? ReadIniIntFromMemory(key, kUnsetHeaderValue, memorySection, cursor)
                                  : ReadIniInt(section, key, kUnsetHeaderValue, path);
  return static_cast<DWORD>(value);
}

// Runs the device-mode conversion when the file's settings version is an older one of the
// product's series.
void UpgradeFromFileVersion(DriverContext* context, DWORD fileVersion) {
  if (!context->product) return;
  const DWORD own = context->product->devmodeVersion;
  if (fileVersion >= 300 && own >= 300 && CompareVersions(fileVersion, own) == VERSION_UPGRADE)
    RunDevmodeConversion(fileVersion, own, context);
}

}  // namespace

bool IsDriveLetterPath(const WCHAR* path) { return path && path[0] && path[1] == u':'; }

void ChooseTransferSection(DriverContext* context, DWORD flags, WCHAR* section) {
  if (!section) return;
  const bool load = flags & SFT_LOAD;
  const bool save = flags & SFT_SAVE;
  const WCHAR* name;
  if (((flags & SFT_IMPORT) && load) || (!(flags & SFT_IMPORT) && (flags & SFT_TEXTFILE) && load))
    name = GetLanguageCodeById(ReadFieldRawById(context, fid::kdmLanguageID));
  else if ((flags & SFT_IMPORT) && save)
    name = GetPrinterSectionName(context);
  else if (flags & SFT_KSDSECTION)
    name = kKsdSectionName;
  else
    name = GetPrinterSectionName(context);
  CopyWide(section, kSectionNameChars, name);
  SanitizeIniSection(section);
}

bool IsSameVersionSeries(DWORD a, DWORD b) {
  return static_cast<WORD>(a) / 100 == static_cast<WORD>(b) / 100;
}

BOOL WriteSettingsFileHeader(const WCHAR* path, char* textBuffer, DriverContext* context, const WCHAR* section,
                             LONG* offset, bool versionOnly) {
  if (!context || !context->product) return FALSE;
  struct {
    const WCHAR* key;
    DWORD value;
  } const keys[] = {
      {kKeyVersion, context->product->settingsFileVersion},
      {kKeyMachine, context->product->machineId},
      {kKeyLanguage, ReadFieldRawById(context, fid::kdmLanguageID)},
      {kKeyOsKind, ReadFieldRawById(context, fid::KPD_kdmOSKind)},
  };
  BOOL all = TRUE;
  for (const auto& key : keys) {
    WCHAR text[16];
    FormatNumber(text, key.value);
    const BOOL done = textBuffer ? AppendIniLine(offset, key.key, text, textBuffer)
                                 : WriteIniString(section, key.key, text, path);
    if (!done) all = FALSE;
    if (versionOnly) break;
  }
  return all;
}

BOOL CheckSettingsFileHeader(const WCHAR* path, const WCHAR* section, DWORD flags, bool showWarning,
                             DriverContext* context, const char* memorySection, char* textBuffer, LONG* cursor,
                             bool allowSameSeries) {
  if (!context || !context->product) return FALSE;
  const DWORD noFullHeader = SFT_STAMP | SFT_FREESIZE | SFT_CURFREESIZE | SFT_TEXTFILE;
  const bool load = flags & SFT_LOAD;
  const bool import = flags & SFT_IMPORT;
  if (!(flags & noFullHeader)) {
    if (import || !load) {
      if (!load) WriteSettingsFileHeader(path, textBuffer, context, section, cursor, false);
      return TRUE;
    }
    const DWORD version = ReadHeaderValue(kKeyVersion, path, section, memorySection, cursor);
    const DWORD machine = ReadHeaderValue(kKeyMachine, path, section, memorySection, cursor);
    const DWORD language = ReadHeaderValue(kKeyLanguage, path, section, memorySection, cursor);
    const DWORD own = context->product->settingsFileVersion;
    const bool versionOk = allowSameSeries ? IsSameVersionSeries(version, own) : version == own;
    const bool fails = version == kUnsetHeaderValue || machine == kUnsetHeaderValue ||
                       language == kUnsetHeaderValue || machine != context->product->machineId ||
                       language != ReadFieldRawById(context, fid::kdmLanguageID) || !versionOk;
    if (fails) {
      // The settings API never shows the warning.
      if (showWarning && !(flags & SFT_QUALITY) && !IsSettingsApiBuild())
        ShowWarningWithText(context, nullptr, MSG_SETTINGS_HEADER_MISMATCH, path);
      return FALSE;
    }
    UpgradeFromFileVersion(context, version);
    return TRUE;
  }
  if (flags & (SFT_STAMP | SFT_FREESIZE)) {
    if (load && !import) {
      UpgradeFromFileVersion(context, ReadHeaderValue(kKeyVersion, path, section, memorySection, cursor));
    } else if (!load) {
      WriteSettingsFileHeader(path, textBuffer, context, section, cursor, true);
    }
    return TRUE;
  }
  return TRUE;
}

BOOL CheckLockedFeatureValue(DriverContext* context, const WCHAR* path, const WCHAR* section, const WCHAR* key,
                             WORD fieldId) {
  bool locked = false;
  switch (fieldId) {
    case fid::dmDefaultSource: locked = IsTrayLocked(context); break;
    case fid::kdmMediaType: locked = IsMediaLocked(context); break;
    case fid::kdmFuncSelectNup:
    case fid::kdmNUPPOSTKind: locked = IsNupLocked(context); break;
    case fid::kdmPrnMethod: locked = IsPrintTypeLocked(context); break;
    case fid::kdmFuncSelectDuplex: locked = IsDuplexLocked(context); break;
    case fid::dmColor: locked = IsColorLocked(context); break;
    case fid::kdmDstResolutionW:
    case fid::kdmDstResolutionH: locked = IsResolutionLocked(context); break;
    case fid::kdmDstResolutionBoth:
      if (IsResolutionLocked(context)) {
        if (CheckFeature38Lock(context) < 0) return FALSE;
        locked = true;
      }
      break;
    default: break;
  }
  if (!locked) return TRUE;
  if (!key || !key[0]) return FALSE;
  WCHAR text[16] = {};
  if (ReadIniString(section, key, u"", text, 16, path) == 0 || !text[0]) return FALSE;
  const DWORD value = ParseDecimal(text);
  if (fieldId == fid::kdmNUPPOSTKind && IsNupAllLocked(context)) return value >= 1 && value <= 4;
  return value == ReadFieldRawById(context, fieldId);
}

BOOL CheckLockedFeatureValues(DriverContext* context, const WCHAR* path, const WCHAR* section, DWORD) {
  static constexpr WORD kLockedFields[] = {13, 54, 56, 91, 209, 58, 15, 152, 38, 39};
  for (WORD id : kLockedFields) {
    if (!CheckLockedFeatureValue(context, path, section, GetFieldName(context, id), id)) {
      ShowWarningWithText(context, nullptr, MSG_SETTINGS_LOCKED_VALUE, path);
      return FALSE;
    }
  }
  return TRUE;
}

DWORD SplitLinesToMultiString(WCHAR* text, DWORD length) {
  if (!text) return 0;
  DWORD out = 0;
  for (DWORD in = 0; in < length && text[in];) {
    if (text[in] == u'\r' || text[in] == u'\n') {
      while (in < length && (text[in] == u'\r' || text[in] == u'\n')) ++in;
      text[out++] = 0;
    } else {
      text[out++] = text[in++];
    }
  }
  // An unended last line gets its NUL; then the list's extra NUL.
  if (out > 0 && text[out - 1] != 0) text[out++] = 0;
  text[out] = 0;
  return out;
}
