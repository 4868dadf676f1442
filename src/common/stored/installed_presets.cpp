// Registering the shipped presets and qualities of the driver package.
#include "stored/installed_presets.h"

#include <cstdio>
#include <string>
#include <vector>

#include "fields/devmode_header.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "base/install_services.h"
#include "base/file_ops.h"
#include "base/file_sync.h"
#include "base/file_names.h"
#include "base/ini_files.h"
#include "base/message_boxes.h"
#include "stored/module_services.h"
#include "base/paths_and_names.h"
#include "base/printer_data.h"
#include "fields/product_record.h"
#include "base/system_checks.h"
#include "base/wide_text.h"
#include "field_ids.h"
#include "stored/page_opening.h"
#include "stored/device_settings.h"
#include "stored/list_sections.h"
#include "stored/preset_list.h"
#include "stored/quality_list.h"
#include "stored/setting_import.h"
#include "stored/settings_file.h"
#include "win/kernel.h"

namespace {

constexpr DWORD kTitleChars = 260;
constexpr int kNoCount = 0xFFFF;
constexpr int kMostFiles = 0xFFFE;
constexpr DWORD MSG_PRESETS_REFRESHED = 7004;
constexpr WORD kFirstUseOptionsPage = 1011;

void Widen(WCHAR* out, const char* text) {
  int i = 0;
  for (; text[i]; ++i) out[i] = static_cast<WCHAR>(text[i]);
  out[i] = 0;
}

// Same file name: the first 8 characters compared without regard to case.
bool SameShortName(const WCHAR* a, const WCHAR* b) {
  a = FindFileName(a);
  b = FindFileName(b);
  for (int i = 0; i < 8; ++i) {
    if (LowerOf(a[i]) != LowerOf(b[i])) return false;
    if (!a[i]) return true;
  }
  return true;
}

bool IsKnown(const WCHAR* file, int count, const KnownPresetEntry* known) {
  if (!known || count <= 0) return false;
  for (int i = 0; i < count; ++i) {
    WCHAR path[261] = {};
    for (int k = 0; k < 260 && known[i].filePath[k]; ++k) path[k] = known[i].filePath[k];
    if (path[0] && SameShortName(file, path)) return true;
  }
  return false;
}

// The copy's header is exactly this product's: version, machine and language.
bool HasExactHeader(const WCHAR* file, DriverContext* context) {
  const WCHAR* section = GetPrinterSectionName(context);
  const INT version = ReadIniInt(section, u"KstVersion", 0xFFFF, file);
  const INT machine = ReadIniInt(section, u"KstMachine", 0xFFFF, file);
  const INT language = ReadIniInt(section, u"KstLanguage", 0xFFFF, file);
  return context->product && static_cast<DWORD>(version) == context->product->settingsFileVersion &&
         static_cast<DWORD>(machine) == context->product->machineId &&
         static_cast<DWORD>(language) == ReadFieldRawById(context, fid::kdmLanguageID);
}

// A shipped preset that applies here. The model test keeps the refresh of InstallDefaultPresets
// from adding back at once a preset it has just dropped as not for this model.
bool PassesConditions(const WCHAR* file, DriverContext* context) {
  return IsSettingFileEnabled(file, context) && EvaluateSettingFileConditions(file, context) &&
         IsSettingFileForThisModel(file, context) && IsFileStampFreeUnderTintBlock(file, context);
}

bool IsWorkstation() {
  OSVERSIONINFOEXW info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) return false;
  return info.wProductType == VER_NT_WORKSTATION;
}

}  // namespace

void ReadPresetTitle(const WCHAR* file, const WCHAR* section, WCHAR* name, WCHAR* comment) {
  if (name) name[0] = 0;
  if (comment) comment[0] = 0;
  if (!file || !section) return;
  if (name) ReadIniString(section, u"setname", u"", name, kTitleChars, file);
  if (comment) ReadIniString(section, u"setcomment", u"", comment, kTitleChars, file);
}

int RegisterPresetEntry(const WCHAR* userIni, const WCHAR* copy, const WCHAR* name, const WCHAR* comment, DWORD flags,
                        DriverContext* context) {
  if (!context || !context->work || !copy || !copy[0] || !userIni || !IsDriveLetterPath(userIni)) return 0;
  if ((flags & RIP_CONDITIONS) && PathExists(copy) && !PassesConditions(copy, context)) return 0;
  const int count = GetPresetCount(context);
  if (count < 0 || count >= kInstalledPresetLimit) return 0;
  const WCHAR* section = GetPrinterSectionName(context);
  for (int i = 0; i < count; ++i) {
    WCHAR key[kPresetKeyChars];
    MakePresetKey(key, i, PRESET_KEY_FILE);
    WCHAR listed[MAX_PATH] = {};
    ReadIniString(section, key, u"", listed, MAX_PATH, userIni);
    if (listed[0] && lstrcmpiW(listed, copy) == 0) return 0;
  }
  return AppendPreset(context, copy, name && name[0] ? name : u"NoName", comment ? comment : u"") ? 1 : 0;
}

int RegisterInstalledPresets(const WCHAR* installIni, const WCHAR* section, DWORD flags, DriverContext* context,
                             int knownCount, const KnownPresetEntry* known) {
  if (!context || !context->work || !installIni || !section) return 0;
  const bool reg = flags & RIP_REGISTER;
  if (reg && !(flags & RIP_ADD) && !((flags & RIP_INSTALL) && (flags & RIP_CONDITIONS))) ResetPresetCount(context);
  int n = GetPresetCount(context);
  int count = ReadIniInt(section, u"NumDeficonfiles", kNoCount, installIni);
  if (count == kNoCount || count <= 0) return 1;
  if (count > kMostFiles) count = kMostFiles;
  const WCHAR* userIni = GetUserIniPath(context);
  if (!userIni || !IsDriveLetterPath(userIni)) return 0;
  int result = 1;
  for (int c = 1; c <= count; ++c) {
    WCHAR key[32];
    char narrow[32];
    std::snprintf(narrow, sizeof narrow, "Deficonfiles%u", static_cast<unsigned>(c));
    Widen(key, narrow);
    WCHAR file[MAX_PATH] = {};
    ReadIniString(section, key, u"", file, MAX_PATH, installIni);
    if (!file[0]) continue;
    // The name as listed (the driver directory's copy has this file part).
    WCHAR listedName[MAX_PATH] = {};
    for (DWORD i = 0; file[i] && i + 1 < MAX_PATH; ++i) listedName[i] = file[i];
    if (!ExpandAndCheckSettingFile(file, MAX_PATH, context)) continue;
    WCHAR copy[MAX_PATH] = {};
    if (!MakeUserCopyPath(file, copy, context)) continue;
    if (reg) {
      WCHAR name[kTitleChars] = {}, comment[kTitleChars] = {};
      ReadPresetTitle(file, ListLanguageSection(context), name, comment);
      if (flags & RIP_CONDITIONS) {
        if (PassesConditions(file, context)) {
          bool registered = false;
          if (flags & RIP_INSTALL) {
            if (n + 1 > kInstalledPresetLimit) break;
            registered = RegisterPresetEntry(userIni, copy, name, comment, 0, context) == 1;
          } else if (!IsKnown(file, knownCount, known) && c != 1 && (flags & RIP_ADD)) {
            if (n + 1 > kInstalledPresetLimit) break;
            registered = RegisterPresetEntry(userIni, copy, name, comment, 0, context) == 1;
          }
          if (registered) {
            ++n;
            if (!PathExists(copy) || !HasExactHeader(copy, context)) ImportSettingFile(copy, file, SFT_PRESET, context);
          }
        }
      } else if (IsSettingFileEnabled(file, context)) {
        if (n + 1 > kInstalledPresetLimit) break;
        if (RegisterPresetEntry(userIni, copy, name, comment, 0, context) == 1) ++n;
      }
      if (flags & RIP_IMPORT) ImportSettingFile(copy, file, SFT_PRESET, context);
    }
    if (flags & RIP_COPY) {
      const WCHAR* driverName = FindFileName(listedName);
      if (!SyncFile(file, driverName, 2, context) && (flags & RIP_INSTALL)) SyncFile(file, driverName, 2, context);
      if (PathExists(copy)) {
        if (!(flags & RIP_KEEP_COPIES)) ImportSettingFile(copy, file, SFT_PRESET, context);
      } else if (flags & RIP_INSTALL) {
        CopyFileNormal(file, copy, TRUE);
        if (!HasSettingFileVersion(copy, context)) ImportSettingFile(copy, file, SFT_PRESET, context);
      }
      result = 1;
    }
    if (flags & RIP_DELETE_COPY) DeleteFileForce(copy);
  }
  if ((flags & RIP_INSTALL) && result) WriteIniInt(installIni, section, 1, u"DrvInstPresetDone");
  return result;
}

void MakeQualityListKey(WCHAR* buffer, int n, bool withName) {
  if (!buffer) return;
  char narrow[40];
  std::snprintf(narrow, sizeof narrow, "QualityList%d%s", n, withName ? "Name" : "");
  Widen(buffer, narrow);
}

void AppendQualityEntry(DriverContext* context, const WCHAR* file, const WCHAR* name) {
  if (!context || !context->work) return;
  const WCHAR* ini = GetUserIniPath(context);
  const WCHAR* section = GetPrinterSectionName(context);
  if (!ini || !IsDriveLetterPath(ini) || !section) return;
  const int n = GetQualityCount(context);
  // A count from the file that is negative or beyond any list names no entry.
  if (n < 0 || n >= 0x7FFF) return;
  WCHAR key[kListKeyChars];
  MakeQualityListKey(key, n, false);
  WriteIniString(section, key, file ? file : u"", ini);
  MakeQualityListKey(key, n, true);
  WriteIniString(section, key, name ? name : u"", ini);
  WriteIniInt(ini, section, n + 1, u"QualityCount");
}

void RegisterQualityFile(DriverContext* context, const WCHAR* file, const WCHAR* name) {
  AppendQualityEntry(context, file, name ? name : u"NoName");
}

void ReadQualityName(const WCHAR* file, const WCHAR* section, WCHAR* name) {
  if (!name) return;
  name[0] = 0;
  if (file && section) ReadIniString(section, u"qualityname", u"", name, kTitleChars, file);
}

void ClearQualityList(DriverContext* context) {
  if (!context || !context->work) return;
  const WCHAR* ini = GetUserIniPath(context);
  if (ini && IsDriveLetterPath(ini)) WriteIniString(GetPrinterSectionName(context), u"QualityCount", u"0", ini);
}

namespace {

constexpr DWORD MSG_PRESETS_DROPPED = 10017;
constexpr DWORD kRefreshFlags = RIP_REGISTER | RIP_CONDITIONS | RIP_ADD;
static_assert(kRefreshFlags == 193, "the refresh registers with conditions, adding to the list");

bool HasExtension(const WCHAR* file, const WCHAR* extension) {
  const WCHAR* name = FindFileName(file);
  const WCHAR* dot = nullptr;
  for (const WCHAR* p = name; *p; ++p)
    if (*p == u'.') dot = p;
  if (!dot) return false;
  if (!extension) return dot[1] != 0;
  return lstrcmpiW(dot + 1, extension) == 0;
}

// The shipped file whose name (without folder and extension) is the preset's, or null.
const WCHAR* MatchingShippedFile(const WCHAR* preset, const std::vector<std::u16string>& shipped) {
  const WCHAR* name = FindFileName(preset);
  for (const std::u16string& file : shipped) {
    const WCHAR* other = FindFileName(file.c_str());
    int i = 0;
    for (; name[i] && name[i] != u'.' && other[i] && other[i] != u'.'; ++i)
      if (LowerOf(name[i]) != LowerOf(other[i])) break;
    const bool nameEnds = !name[i] || name[i] == u'.';
    const bool otherEnds = !other[i] || other[i] == u'.';
    if (nameEnds && otherEnds) return file.c_str();
  }
  return nullptr;
}

void CopyText(WCHAR* out, int capacity, const WCHAR* text) {
  int i = 0;
  for (; text && text[i] && i + 1 < capacity; ++i) out[i] = text[i];
  out[i] = 0;
}

}  // namespace

int InstallDefaultPresets(DriverContext* context, DWORD flags) {
  if (!context || !context->work) return 0;
  const WCHAR* ini = GetUserIniPath(context);
  if (!ini || !IsDriveLetterPath(ini)) return 0;
  const WCHAR* section = GetPrinterSectionName(context);

  // The printer's list as it stands.
  std::vector<KnownPresetEntry> current;
  const int count = GetPresetCount(context);
  for (int i = 0; i < count && i < kInstalledPresetLimit; ++i) {
    KnownPresetEntry entry{};
    WCHAR key[kPresetKeyChars];
    MakePresetKey(key, i, PRESET_KEY_FILE);
    ReadIniString(section, key, u"", entry.filePath, 260, ini);
    MakePresetKey(key, i, PRESET_KEY_NAME);
    ReadIniString(section, key, u"", entry.name, 513, ini);
    MakePresetKey(key, i, PRESET_KEY_COMMENT);
    ReadIniString(section, key, u"", entry.comment, 513, ini);
    current.push_back(entry);
  }

  // The printer's package and its shipped preset files; any one missing changes nothing.
  WCHAR package[MAX_PATH] = {};
  if (!ReadPrinterDefaultKst(package, context) || !IsUsableSettingsFile(package)) return 0;
  const WCHAR* list = ListLanguageSection(context);
  const int files = ReadIniInt(list, u"NumDeficonfiles", kNoCount, package);
  if (files == kNoCount || files <= 0) return 0;
  std::vector<std::u16string> shipped;
  for (int c = 1; c <= files && c <= kMostFiles; ++c) {
    char narrow[32];
    std::snprintf(narrow, sizeof narrow, "Deficonfiles%u", static_cast<unsigned>(c));
    WCHAR key[32];
    Widen(key, narrow);
    WCHAR file[MAX_PATH] = {};
    ReadIniString(list, key, u"", file, MAX_PATH, package);
    if (!file[0] || !ExpandAndCheckSettingFile(file, MAX_PATH, context) || !PathExists(file)) return 0;
    shipped.emplace_back(file);
  }

  // Which presets stay.
  std::vector<KnownPresetEntry> kept;
  bool dropped = false;
  for (const KnownPresetEntry& entry : current) {
    bool keep = true;
    if (HasExtension(entry.filePath, u"ksr")) {
      if (const WCHAR* source = MatchingShippedFile(entry.filePath, shipped))
        keep = IsSettingFileEnabled(source, context) && EvaluateSettingFileConditions(source, context) &&
               IsSettingFileForThisModel(source, context);
    } else if (HasExtension(entry.filePath, nullptr) && PathExists(entry.filePath)) {
      keep = IsSettingsFileAcceptable(entry.filePath, context);
    }
    if (keep) {
      kept.push_back(entry);
    } else {
      dropped = true;
    }
  }
  if (dropped && (flags & IDP_ASK) && AskWarningOkCancel(context, nullptr, MSG_PRESETS_DROPPED) != IDOK) return 0;

  ResetPresetCount(context);
  for (KnownPresetEntry& entry : kept) {
    AppendPreset(context, entry.filePath, entry.name, entry.comment);
    if (const WCHAR* source = MatchingShippedFile(entry.filePath, shipped))
      CopyText(entry.shippedPath, 260, source);
  }
  // Adds the package's presets that are neither listed nor its first (the default) file.
  RegisterInstalledPresets(package, ListLanguageSection(context), kRefreshFlags, context,
                           static_cast<int>(kept.size()), kept.empty() ? nullptr : kept.data());
  return GetPresetCount(context);
}

int RefreshPresetsAfterPackInstall(DriverContext* context, int kind) {
  if (!context || !context->work) return 1;
  const WCHAR* ini = GetUserIniPath(context);
  if (!ini || !IsDriveLetterPath(ini)) return 1;
  const WCHAR* section = GetPrinterSectionName(context);
  const INT done = ReadIniInt(section, u"PackInstallDone", 0, ini);
  if (kind == 2 && done == 1) return 1;
  if (kind == 0 && (GetStateByte(context, 710) == 1 || done == 1)) kind = 1;
  if (ReadIniInt(section, u"PresetRefresh", 0, ini) != 0) return 1;
  const bool terminal = IsTerminalServer(context->hPrinter) != 0;
  if (kind == 0 && !terminal) {
    ShowInformationMessage(context, MSG_PRESETS_REFRESHED);
    context->work->sheet.optionsCheckShowing = 1;
    const int shown = ShowPage(context, 4, kFirstUseOptionsPage, nullptr);
    context->work->sheet.optionsCheckShowing = 0;
    if (shown != 1) return 1;
    SaveDeviceSettingsBoth(context->hPrinter, context);
  } else if (kind == 1) {
  } else if (kind == 2 && IsWorkstation() && !terminal) {
    ShowInformationMessage(context, MSG_PRESETS_REFRESHED);
  } else {
    return 1;
  }
  InstallDefaultPresets(context, 0);
  WriteIniString(section, u"PresetRefresh", u"1", ini);
  const DWORD one = 1;
  SetPrinterDataBinary(context->hPrinter, &one, sizeof one, u"PresetRefresh", 0);
  return 1;
}
