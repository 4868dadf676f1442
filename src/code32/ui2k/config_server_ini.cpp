// The merge of a configuration server's lists into the user's per-printer INI.
#include "config_server_ini.h"

#include <vector>

#include "base/driver_context.h"
#include "base/file_ops.h"
#include "base/ini_files.h"
#include "base/paths_and_names.h"
#include "base/printer_data.h"
#include "base/settings_dirs.h"
#include "base/wide_text.h"
#include "fields/field_table.h"
#include "fields/languages.h"
#include "install_check.h"
#include "model/free_size_list.h"
#include "outside/config_connector.h"
#include "stored/list_sections.h"
#include "stored/preset_list.h"
#include "stored/quality_list.h"
#include "stored/settings_load_save.h"
#include "stored/snapshot_ring.h"
#include "stored/stamp_list.h"

namespace {

constexpr DWORD kPathChars = 260;
constexpr DWORD kValueChars = 1024;
constexpr WCHAR kZeviveSection[] = u"zevive";
constexpr WCHAR kZeviveFlag[] = u"ZeviveFlg";
constexpr DWORD kLoadPresetFlags = 0x8004;
constexpr DWORD kLoadQualityFlags = 16;

bool EqualNoCase(const WCHAR* a, const WCHAR* b) {
  return WideLength(a) == WideLength(b) && StartsWithNoCase(a, b);
}

const WCHAR* FilePart(const WCHAR* path) {
  const WCHAR* part = nullptr;
  for (const WCHAR* p = path; p && *p; ++p)
    if (*p == u'\\') part = p + 1;
  return part;
}

// The key's value from one INI section into another, when the source has it (and, with
// skipEmpty, when it is not empty).
void CopyKey(const WCHAR* fromSection, const WCHAR* toSection, const WCHAR* key, const WCHAR* from, const WCHAR* to,
             bool skipEmpty = false) {
  if (!key || !key[0]) return;
  std::vector<WCHAR> value(kValueChars, 0);
  static constexpr WCHAR kMissing[] = u"\x1F";
  ReadIniString(fromSection, key, kMissing, value.data(), kValueChars, from);
  if (WideEquals(value.data(), kMissing) || (skipEmpty && !value[0])) return;
  WriteIniString(toSection, key, value.data(), to);
}

// A count key, held to 0..limit, written as decimal; the held count.
int CopyCount(const WCHAR* fromSection, const WCHAR* toSection, const WCHAR* key, int limit, const WCHAR* from,
              const WCHAR* to) {
  const INT raw = ReadIniInt(fromSection, key, 0, from);
  const int count = raw < 0 ? 0 : (raw > limit ? limit : raw);
  WCHAR digits[12] = {};
  int n = count, d = 0;
  WCHAR reversed[12] = {};
  do {
    reversed[d++] = static_cast<WCHAR>(u'0' + n % 10);
    n /= 10;
  } while (n);
  for (int i = 0; i < d; ++i) digits[i] = reversed[d - 1 - i];
  WriteIniString(toSection, key, digits, to);
  return count;
}

void CopyFieldKeys(DriverContext* context, const WCHAR* section, const std::vector<WORD>& ids, const WCHAR* from,
                   const WCHAR* to) {
  CopyKey(section, section, u"KstVersion", from, to, true);
  for (WORD id : ids) CopyKey(section, section, GetFieldName(context, id), from, to);
}

// A list key's path rewritten to the settings root + its file part; false for a path
// without any "\" (the entry is skipped) or one that does not fit.
bool RewriteListPath(const WCHAR* fromSection, const WCHAR* toSection, const WCHAR* key, const WCHAR* root,
                     const WCHAR* from, const WCHAR* to) {
  WCHAR path[kPathChars] = {};
  ReadIniString(fromSection, key, u"", path, kPathChars, from);
  const WCHAR* name = FilePart(path);
  WCHAR rewritten[kPathChars] = {};
  if (!name || !name[0] || !JoinPath(rewritten, kPathChars, root, name)) return false;
  WriteIniString(toSection, key, rewritten, to);
  return true;
}

// The fetched copy of an entry's file in the server folder: the folder + the file part of
// the entry's path in the user's INI; false when there is none.
bool FetchedEntryFile(const WCHAR* section, const WCHAR* key, const WCHAR* folder, const WCHAR* ini, WCHAR* out) {
  WCHAR path[kPathChars] = {};
  ReadIniString(section, key, u"", path, kPathChars, ini);
  const WCHAR* name = FilePart(path);
  return name && name[0] && JoinPath(out, kPathChars, folder, name) && PathExists(out);
}

// Each fetched file of a list loaded under the server printer's name and saved as the
// user's entry. A missing file or a refused load leaves the user's entry as it is.
void StoreFetchedFiles(DriverContext* context, const WCHAR* serverPrinter, const WCHAR* folder, const WCHAR* ini,
                       int count, bool presets) {
  const WCHAR* section = GetPrinterSectionName(context);
  for (int i = 0; i < count; ++i) {
    WCHAR key[kPresetKeyChars] = {};
    if (presets)
      MakePresetKey(key, i, PRESET_KEY_FILE);
    else
      MakeQualityKey(key, i);
    WCHAR fetched[kPathChars] = {};
    if (!FetchedEntryFile(section, key, folder, ini, fetched)) continue;
    int loaded = 0;
    {
      ScopedDisplayName server(context, serverPrinter);
      loaded = LoadSettingsFile(context->hPrinter, fetched, presets ? kLoadPresetFlags : kLoadQualityFlags, context);
    }
    if (loaded != 1) continue;
    if (presets)
      SavePresetFileByIndex(context, i);
    else
      SaveQualityFileByIndex(context, i);
  }
}

void WriteMarker(HANDLE printer, const char16_t* name, DWORD value) {
  SetPrinterDataBinary(printer, &value, sizeof value, name, 0);
}

// The printer-data marker, or 0 when absent.
DWORD ReadMarker(HANDLE printer, const char16_t* name) {
  DWORD value = 0;
  return GetPrinterDataValue(printer, &value, sizeof value, name, 0) ? value : 0;
}

}  // namespace

int MergeServerUserLists(DriverContext* context, const WCHAR* serverPrinter, const WCHAR* serverIni) {
  if (!context || !context->work || !serverPrinter || !serverPrinter[0] || !serverIni || !serverIni[0]) return 0;
  const WCHAR* userIni = GetUserIniPath(context);
  WCHAR root[kPathChars] = {};
  WCHAR rootIni[kPathChars] = {};
  const WCHAR* iniName = FilePart(userIni);
  if (!userIni || !userIni[0] || !iniName || !GetSettingsRoot(root, kPathChars, context) ||
      !JoinPath(rootIni, kPathChars, root, iniName) || EqualNoCase(userIni, rootIni))
    return 0;
  WCHAR folder[kPathChars] = {};
  if (!GetServerFolder(context, folder, kPathChars)) return 0;

  // Free sizes and stamps of the language section.
  const WCHAR* language = GetLanguageCodeCopy(context);
  const int freeSizes = CopyCount(language, language, u"FreeSizeCount", kFreeSizeEntries, serverIni, userIni);
  const std::vector<WORD> freeSizeIds = {915, 916, 917, 918, 919};
  for (int n = 0; n < freeSizes; ++n) {
    WCHAR section[kListSectionChars] = {};
    MakeFreeSizeSection(section, n, context);
    CopyFieldKeys(context, section, freeSizeIds, serverIni, userIni);
  }
  const int stamps = CopyCount(language, language, u"StampCount", kMaxStampCount, serverIni, userIni);
  std::vector<WORD> stampIds = {117};
  for (WORD id = 935; id <= 944; ++id) stampIds.push_back(id);
  stampIds.push_back(118);
  for (WORD id = 945; id <= 952; ++id) stampIds.push_back(id);
  for (WORD id = 929; id <= 933; ++id) stampIds.push_back(id);
  stampIds.push_back(1081);
  stampIds.push_back(1098);
  for (int n = 0; n < stamps; ++n) {
    WCHAR section[kListSectionChars] = {};
    MakeStampSection(section, n, context);
    CopyFieldKeys(context, section, stampIds, serverIni, userIni);
  }

  // The preset and quality lists of the server printer into the printer's own section.
  const WCHAR* own = GetPrinterSectionName(context);
  const int presets = CopyCount(serverPrinter, own, u"Count", kMaxPresets, serverIni, userIni);
  for (int i = 0; i < presets; ++i) {
    WCHAR key[kPresetKeyChars] = {};
    MakePresetKey(key, i, PRESET_KEY_FILE);
    if (!RewriteListPath(serverPrinter, own, key, root, serverIni, userIni)) continue;
    MakePresetKey(key, i, PRESET_KEY_NAME);
    CopyKey(serverPrinter, own, key, serverIni, userIni);
    MakePresetKey(key, i, PRESET_KEY_COMMENT);
    CopyKey(serverPrinter, own, key, serverIni, userIni);
  }
  const int qualities = CopyCount(serverPrinter, own, u"QualityCount", kMaxQualityEntries, serverIni, userIni);
  for (int i = 0; i < qualities; ++i) {
    WCHAR key[kListKeyChars] = {};
    MakeQualityKey(key, i);
    if (!RewriteListPath(serverPrinter, own, key, root, serverIni, userIni)) continue;
    WCHAR nameKey[kListKeyChars + 4] = {};
    CopyWide(nameKey, kListKeyChars + 4, key);
    const std::size_t n = WideLength(nameKey);
    CopyWide(nameKey + n, kListKeyChars + 4 - n, u"Name");
    CopyKey(serverPrinter, own, nameKey, serverIni, userIni);
  }

  // The fetched files become the user's entries; the settings are put back afterwards.
  if (!PushSettingsSnapshot(context)) return 0;
  StoreFetchedFiles(context, serverPrinter, folder, userIni, presets, true);
  StoreFetchedFiles(context, serverPrinter, folder, userIni, qualities, false);
  PopSettingsSnapshot(context, 1);
  return 1;
}

int SyncConfigServerIni(DriverContext* context, const PRINTER_INFO_2W* printerInfo, const DRIVER_INFO_3W* driverInfo) {
  if (!context || !context->work) return 0;
  HANDLE printer = context->hPrinter;
  int state = -1;
  if (!GetInstallTimeState(printer, &state, printerInfo)) return 0;
  const bool current = state == 0 || ((state == 1 || state == 5) &&
                                      CheckPendingInstallWork(printer, 0, printerInfo, driverInfo) == 1);
  if (!current || !IsConnectorAvailable(context)) return 0;
  WCHAR serverIni[kPathChars] = {};
  if (!GetServerFolderIni(context, serverIni, kPathChars)) return 0;
  const INT flag = ReadIniInt(kZeviveSection, kZeviveFlag, 0, serverIni);
  if (ReadMarker(printer, u"ZeviveConnection") != 1) {
    if (flag == 0) return 0;
    WriteMarker(printer, u"ZeviveConnection", 1);
    WriteMarker(printer, u"ZeviveIni", static_cast<DWORD>(flag));
    if (flag != 1) return 0;
  }
  if (ReadMarker(printer, u"ZeviveIni") == 0 && flag != 0) WriteMarker(printer, u"ZeviveIni", static_cast<DWORD>(flag));
  if (flag != 1) return 0;
  WCHAR serverPrinter[kPathChars] = {};
  if (!GetServerPrinterName(context, serverPrinter, kPathChars) ||
      !MergeServerUserLists(context, serverPrinter, serverIni))
    return 0;
  RunServerFileHandlersInServerFolder(context, serverPrinter);
  WriteMarker(printer, u"ZeviveIni", 2);
  WriteIniString(kZeviveSection, kZeviveFlag, u"2", serverIni);
  return 1;
}
