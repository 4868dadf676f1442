// Settings packages and their list files.
#include "stored/settings_package.h"

#include <cstdio>
#include <cstring>

#include "base/driver_context.h"
#include "base/file_ops.h"
#include "base/file_names.h"
#include "base/ini_files.h"
#include "base/memory.h"
#include "model/module_dispatch.h"
#include "base/paths_and_names.h"
#include "fields/product_record.h"
#include "base/settings_dirs.h"
#include "model/units.h"
#include "base/wide_text.h"
#include "model/free_size_list.h"
#include "stored/list_sections.h"
#include "stored/preset_list.h"
#include "stored/prn_section.h"
#include "stored/quality_list.h"
#include "stored/setting_import.h"
#include "stored/settings_file.h"
#include "stored/stamp_list.h"
#include "win/files.h"
#include "win/profile.h"

namespace {

constexpr WCHAR kPackageSection[] = u"ScenarioInstallData";
constexpr DWORD kSerialRange = 36u * 36u * 36u * 36u * 36u * 36u;
constexpr DWORD kSectionChars = 32767;
// The settings root, "\kova\", 14 digits, "\", "Kxxxxxx1.ksb" and the NUL.
constexpr std::size_t kPackagePathOverhead = 34;
constexpr DWORD MODEV_PACKAGE_PRESETS = 63;
constexpr DWORD MODEV_PACKAGE_QUALITIES = 64;
// Codes '0'-'9', 'A'-'Z' name the package files of one kind.
constexpr int kMostPackageFiles = 36;

WCHAR Lower(WCHAR c) { return c >= u'A' && c <= u'Z' ? static_cast<WCHAR>(c - u'A' + u'a') : c; }

void Widen(WCHAR* out, const char* text) {
  int i = 0;
  for (; text[i]; ++i) out[i] = static_cast<WCHAR>(text[i]);
  out[i] = 0;
}

bool Append(WCHAR* out, std::size_t capacity, const WCHAR* text) {
  std::size_t at = WideLength(out);
  const std::size_t n = WideLength(text);
  if (at + n + 1 > capacity) return false;
  std::memcpy(out + at, text, n * sizeof(WCHAR));
  out[at + n] = 0;
  return true;
}

WCHAR SerialDigit(DWORD v) { return static_cast<WCHAR>(v < 10 ? u'0' + v : u'A' + (v - 10)); }

// The package root "<settings root>\kova" into root; false without a settings root.
bool PackageRoot(DriverContext* context, WCHAR* root) {
  root[0] = 0;
  const DWORD got = context ? GetSettingsRoot(root, MAX_PATH, context) : 0;
  if (!got || got >= MAX_PATH) {
    root[0] = 0;
    return false;
  }
  if (!Append(root, MAX_PATH, u"\\kova")) {
    root[0] = 0;
    return false;
  }
  return true;
}

// The part of path after "<root>\" when path starts with it (case-insensitive), else null.
const WCHAR* Below(const WCHAR* path, const WCHAR* root) {
  std::size_t i = 0;
  for (; root[i]; ++i)
    if (Lower(path[i]) != Lower(root[i])) return nullptr;
  return path[i] == u'\\' ? path + i + 1 : nullptr;
}

// "<directory>\<name>" with exactly one separator, no "..", no ':' or '/', names not empty.
bool IsOneLevelName(const WCHAR* rest, int levels) {
  if (!rest || !rest[0]) return false;
  int separators = 0;
  std::size_t start = 0;
  for (std::size_t i = 0;; ++i) {
    const WCHAR c = rest[i];
    if (c == u':' || c == u'/') return false;
    if (c == u'\\' || c == 0) {
      const std::size_t n = i - start;
      if (n == 0) return false;
      if (rest[start] == u'.' && (n == 1 || (n == 2 && rest[start + 1] == u'.'))) return false;
      if (c == 0) break;
      ++separators;
      start = i + 1;
    }
  }
  return separators == levels;
}

// Copies one whole section of one file into another section of another.
bool CopySection(const WCHAR* source, const WCHAR* sourceSection, const WCHAR* target, const WCHAR* targetSection,
                 bool mustExist) {
  auto* text = static_cast<WCHAR*>(AllocMem((kSectionChars + 2) * sizeof(WCHAR)));
  if (!text) return false;
  const DWORD n = GetPrivateProfileSectionW(sourceSection, text, kSectionChars, source);
  bool ok = true;
  if (n == 0) {
    ok = !mustExist;
  } else if (n >= kSectionChars - 2) {
    ok = false;  // a section that does not fit would be copied cut
  } else {
    text[n] = 0;
    text[n + 1] = 0;
    ok = WritePrivateProfileSectionW(targetSection, text, target) != FALSE;
  }
  FreeMem(text);
  return ok;
}

bool WriteKey(const WCHAR* file, const WCHAR* section, const WCHAR* key, const WCHAR* value) {
  return WriteIniString(section, key, value, file) != FALSE;
}

bool WriteNumberedKey(const WCHAR* file, const WCHAR* section, const char* format, int n, const WCHAR* value) {
  char narrow[40];
  std::snprintf(narrow, sizeof narrow, format, n);
  WCHAR key[40];
  Widen(key, narrow);
  return WriteKey(file, section, key, value);
}

bool WritePackageKeys(const WCHAR* file, DriverContext* context) {
  const WCHAR* version = context->product ? GetProductString(context->product->driverVersionString) : u"";
  return WriteKey(file, kPackageSection, u"DriverType", u"KOVA") &&
         WriteKey(file, kPackageSection, u"KstFileOSVersion", u"1") &&
         WriteKey(file, kPackageSection, u"DriverVersion", version ? version : u"") &&
         WriteKey(file, kPackageSection, u"DrvInst", GetModelName(context));
}

// The main package path with the character before the '.' replaced by the code and the
// extension replaced; false when the name has no such character.
bool PackageFilePath(const WCHAR* main, int code, const WCHAR* extension, WCHAR* out) {
  if (code < 0 || code >= kMostPackageFiles) return false;
  WCHAR changed[MAX_PATH] = {};
  if (!ChangeExtension(changed, main, extension)) return false;
  const WCHAR* name = FindFileName(changed);
  const WCHAR* dot = nullptr;
  for (const WCHAR* p = name; *p; ++p)
    if (*p == u'.') dot = p;
  if (!dot || dot == name) return false;
  std::memcpy(out, changed, (WideLength(changed) + 1) * sizeof(WCHAR));
  out[dot - changed - 1] = SerialDigit(static_cast<DWORD>(code));
  return true;
}

// The serial of a main package path in place: the six characters after its "K".
WCHAR* SerialOf(WCHAR* path) {
  WCHAR* name = const_cast<WCHAR*>(FindFileName(path));
  if (WideLength(name) < 1 + kPackageSerialChars + 1) return nullptr;
  return name + 1;
}

bool ExportMainFile(const WCHAR* userFile, const WCHAR* main, const WCHAR* mainForQualities, int presets,
                    int qualities, DriverContext* context) {
  const WCHAR* language = ListLanguageSection(context);
  WCHAR value[MAX_PATH + 16];
  WCHAR number[16];
  char narrow[16];
  std::snprintf(narrow, sizeof narrow, "%d", presets);
  Widen(number, narrow);
  if (!WriteKey(main, language, u"NumDeficonfiles", number)) return false;
  for (int i = 0; i < presets; ++i) {
    WCHAR file[MAX_PATH] = {};
    if (!PackageFilePath(main, i, u"ksd", file)) return false;
    value[0] = 0;
    Append(value, sizeof value / sizeof value[0], u"%sysdir%");
    Append(value, sizeof value / sizeof value[0], FindFileName(file));
    if (!WriteNumberedKey(main, language, "Deficonfiles%u", i + 1, value)) return false;
  }
  std::snprintf(narrow, sizeof narrow, "%d", qualities);
  Widen(number, narrow);
  if (!WriteKey(main, language, u"NumDefqualityfiles", number)) return false;
  for (int i = 0; i < qualities; ++i) {
    WCHAR file[MAX_PATH] = {};
    if (!PackageFilePath(mainForQualities, i, u"ksq", file)) return false;
    value[0] = 0;
    Append(value, sizeof value / sizeof value[0], u"%sysdir%");
    Append(value, sizeof value / sizeof value[0], FindFileName(file));
    if (!WriteNumberedKey(main, language, "Defqualityfiles%u", i + 1, value)) return false;
  }
  if (!WriteSettingsFileHeader(main, nullptr, context, language, nullptr, false)) return false;
  // The printer-side walk answers 0 for the fields that have no text form (they are never
  // written); the fields that have one are written.
  TransferPrnFields(main, SFT_TEXTFILE | SFT_SAVE, context, language, 10001, 10434);
  TransferPrnFields(main, SFT_TEXTFILE | SFT_SAVE, context, language, 1453, 1543);
  const WCHAR* ini = GetUserIniPath(context);
  if (!WriteKey(main, language, u"FreeSizeCount", u"10")) return false;
  for (int i = 0; i < kFreeSizeEntries; ++i) {
    WCHAR section[kListSectionChars];
    MakeFreeSizeSection(section, i, context);
    if (!CopySection(ini, section, main, section, true)) return false;
  }
  const int stamps = GetStampCount(context);
  std::snprintf(narrow, sizeof narrow, "%d", stamps);
  Widen(number, narrow);
  if (!WriteKey(main, language, u"StampCount", number)) return false;
  for (int i = 0; i < stamps; ++i) {
    WCHAR section[kListSectionChars];
    MakeStampSection(section, i, context);
    if (!CopySection(ini, section, main, section, true)) return false;
  }
  return WritePackageKeys(main, context) && WriteKey(main, kPackageSection, u"DefaultKstName", userFile);
}

bool ExportPresetFile(const WCHAR* main, int i, DriverContext* context) {
  const WCHAR* ini = GetUserIniPath(context);
  const WCHAR* printerSection = GetPrinterSectionName(context);
  WCHAR key[kPresetKeyChars];
  MakePresetKey(key, i, PRESET_KEY_FILE);
  WCHAR presetFile[MAX_PATH] = {};
  ReadIniString(printerSection, key, u"", presetFile, MAX_PATH, ini);
  WCHAR file[MAX_PATH] = {};
  if (!presetFile[0] || !PackageFilePath(main, i, u"ksd", file)) return false;
  const WCHAR* language = ListLanguageSection(context);
  if (!CopySection(presetFile, printerSection, file, language, true)) return false;
  auto* text = static_cast<WCHAR*>(AllocMem((kSectionChars + 1) * sizeof(WCHAR)));
  if (!text) return false;
  bool ok = true;
  MakePresetKey(key, i, PRESET_KEY_NAME);
  ReadIniString(printerSection, key, u"", text, kSectionChars, ini);
  ok = ok && WriteKey(file, language, u"setname", text);
  MakePresetKey(key, i, PRESET_KEY_COMMENT);
  ReadIniString(printerSection, key, u"", text, kSectionChars, ini);
  ok = ok && WriteKey(file, language, u"setcomment", text);
  FreeMem(text);
  return ok && CopySection(presetFile, u"condition", file, u"condition", false) &&
         CopySection(presetFile, u"disable", file, u"disable", false) && WritePackageKeys(file, context);
}

bool ExportQualityFile(const WCHAR* mainForQualities, int i, DriverContext* context) {
  const WCHAR* ini = GetUserIniPath(context);
  const WCHAR* printerSection = GetPrinterSectionName(context);
  WCHAR key[kListKeyChars];
  MakeQualityKey(key, i);
  WCHAR qualityFile[MAX_PATH] = {};
  ReadIniString(printerSection, key, u"", qualityFile, MAX_PATH, ini);
  WCHAR file[MAX_PATH] = {};
  if (!qualityFile[0] || !PackageFilePath(mainForQualities, i, u"ksq", file)) return false;
  const WCHAR* language = ListLanguageSection(context);
  if (!CopySection(qualityFile, printerSection, file, language, true)) return false;
  WCHAR nameKey[kListKeyChars + 8];
  nameKey[0] = 0;
  Append(nameKey, kListKeyChars + 8, key);
  Append(nameKey, kListKeyChars + 8, u"Name");
  WCHAR name[MAX_PATH] = {};
  ReadIniString(printerSection, nameKey, u"", name, MAX_PATH, ini);
  return WriteKey(file, language, u"qualityname", name) && WritePackageKeys(file, context);
}

bool ExportListFile(const WCHAR* userFile, const WCHAR* main, const WCHAR* mainForQualities, int presets,
                    int qualities, DriverContext* context) {
  WCHAR list[MAX_PATH] = {};
  if (!ChangeExtension(list, userFile, u"lst")) return false;
  if (!WriteKey(list, kPackageSection, u"VANTEKOVADriverFileList", u"1") ||
      !WriteKey(list, kPackageSection, u"DefaultKst", main))
    return false;
  int n = 1;
  for (int i = 0; i < presets; ++i) {
    WCHAR file[MAX_PATH] = {};
    if (!PackageFilePath(main, i, u"ksd", file) || !WriteNumberedKey(list, kPackageSection, "OtherFiles%d", n++, file))
      return false;
  }
  for (int i = 0; i < qualities; ++i) {
    WCHAR file[MAX_PATH] = {};
    if (!PackageFilePath(mainForQualities, i, u"ksq", file) ||
        !WriteNumberedKey(list, kPackageSection, "OtherFiles%d", n++, file))
      return false;
  }
  return WritePackageKeys(list, context);
}

}  // namespace

DWORD PackageTimeValue(const SYSTEMTIME& t) {
  const DWORD hours = static_cast<DWORD>(t.wYear) * 8928u + static_cast<DWORD>(t.wMonth) * 744u +
                      static_cast<DWORD>(t.wDay) * 24u + static_cast<DWORD>(t.wHour) - 17588928u;
  return (hours * 60u + t.wMinute) * 60u + t.wSecond;
}

void MakePackageSerial(DWORD value, WCHAR* serial) {
  if (!serial) return;
  value %= kSerialRange;
  for (int i = kPackageSerialChars - 1; i >= 0; --i) {
    serial[i] = SerialDigit(value % 36u);
    value /= 36u;
  }
}

void AdvancePackageSerial(WCHAR* serial) {
  if (!serial) return;
  for (int i = kPackageSerialChars - 1; i >= 0; --i) {
    WCHAR& c = serial[i];
    if (c == u'9') { c = u'A'; return; }
    if (c == u'Z') { c = u'0'; continue; }  // carries to the left; the first wraps
    if ((c >= u'0' && c < u'9') || (c >= u'A' && c < u'Z')) { ++c; return; }
    c = u'0';  // not a serial digit: the digit restarts
    return;
  }
}

void RetreatPackageSerial(WCHAR* serial) {
  if (!serial) return;
  for (int i = kPackageSerialChars - 1; i >= 0; --i) {
    WCHAR& c = serial[i];
    if (c == u'A') { c = u'9'; return; }
    if (c == u'0') { c = u'Z'; continue; }
    if ((c > u'0' && c <= u'9') || (c > u'A' && c <= u'Z')) { --c; return; }
    c = u'0';
    return;
  }
}

int MakePackageFileName(const WCHAR* userFile, WCHAR* destination, DriverContext* context) {
  if (!userFile || !destination || !context || !context->work) return 0;
  WCHAR settingsRoot[MAX_PATH] = {};
  const DWORD rootChars = GetSettingsRoot(settingsRoot, MAX_PATH, context);
  WCHAR root[MAX_PATH] = {};
  if (!rootChars || rootChars >= MAX_PATH || !PackageRoot(context, root)) return 0;
  // The user file's name without its extension, cut to what the path leaves room for.
  const WCHAR* name = FindFileName(userFile);
  std::size_t nameChars = WideLength(name);
  for (std::size_t i = nameChars; i > 0; --i)
    if (name[i - 1] == u'.') {
      nameChars = i - 1;
      break;
    }
  const std::size_t room = MAX_PATH > rootChars + kPackagePathOverhead ? MAX_PATH - rootChars - kPackagePathOverhead : 0;
  if (nameChars > room) nameChars = room;
  SYSTEMTIME now{};
  GetLocalTime(&now);
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%04u%02u%02u%02u%02u%02u", now.wYear % 10000u, now.wMonth % 100u,
                now.wDay % 100u, now.wHour % 100u, now.wMinute % 100u, now.wSecond % 100u);
  WCHAR path[MAX_PATH] = {};
  Append(path, MAX_PATH, root);
  Append(path, MAX_PATH, u"\\");
  WCHAR wideStamp[32];
  Widen(wideStamp, stamp);
  Append(path, MAX_PATH, wideStamp);
  std::size_t at = WideLength(path);
  if (at + nameChars + 1 > MAX_PATH) return 0;
  std::memcpy(path + at, name, nameChars * sizeof(WCHAR));
  path[at + nameChars] = 0;
  WCHAR directory[MAX_PATH] = {};
  std::memcpy(directory, path, (WideLength(path) + 1) * sizeof(WCHAR));
  WCHAR file[16] = u"K";
  MakePackageSerial(PackageTimeValue(now), file + 1);
  file[1 + kPackageSerialChars] = 0;
  Append(file, 16, u"1.ksb");
  if (!Append(path, MAX_PATH, u"\\") || !Append(path, MAX_PATH, file)) return 0;
  std::memcpy(destination, path, (WideLength(path) + 1) * sizeof(WCHAR));
  if (!CreateSettingsRootForPrinter(context)) return 0;
  if (!CreateDirectoryOk(root) || !CreateDirectoryOk(directory)) return 0;
  return 1;
}

int ExportSettingsPackage(const WCHAR* userFile, const WCHAR* mainPackage, DriverContext* context) {
  if (!userFile || !mainPackage || !context || !context->work) return 0;
  const int presets = GetPresetCount(context);
  const int qualities = GetQualityCount(context);
  if (presets < 0 || presets > kMaxPresets || qualities < 0 || qualities > kMostPackageFiles) return 0;
  WCHAR main[MAX_PATH] = {};
  WCHAR forQualities[MAX_PATH] = {};
  if (WideLength(mainPackage) + 1 > MAX_PATH) return 0;
  std::memcpy(main, mainPackage, (WideLength(mainPackage) + 1) * sizeof(WCHAR));
  std::memcpy(forQualities, main, sizeof main);
  WCHAR* serial = SerialOf(forQualities);
  if (!serial) return 0;
  AdvancePackageSerial(serial);
  if (!WritePackageKeys(userFile, context)) return 0;
  if (!ExportMainFile(userFile, main, forQualities, presets, qualities, context)) return 0;
  for (int i = 0; i < presets; ++i)
    if (!ExportPresetFile(main, i, context)) return 0;
  // The modules take the main package path itself: its companions are named from it.
  if (AnyLockBitSet(context)) NotifyModules(context, MODEV_PACKAGE_PRESETS, main);
  for (int i = 0; i < qualities; ++i)
    if (!ExportQualityFile(forQualities, i, context)) return 0;
  if (AnyLockBitSet(context)) NotifyModules(context, MODEV_PACKAGE_QUALITIES, main);
  return ExportListFile(userFile, main, forQualities, presets, qualities, context) ? 1 : 0;
}

int ReadPackageFileNames(const WCHAR* listFile, WCHAR (*names)[MAX_PATH], int count, DriverContext* context) {
  if (!listFile || !names || count <= 0) return 0;
  WCHAR root[MAX_PATH] = {};
  if (!PackageRoot(context, root)) return 0;
  ReadIniString(kPackageSection, u"DefaultKst", u"", names[0], MAX_PATH, listFile);
  if (!IsOneLevelName(Below(names[0], root), 1)) {
    names[0][0] = 0;
    return 0;
  }
  const std::size_t dirChars = static_cast<std::size_t>(FindFileName(names[0]) - names[0]) - 1;
  WCHAR directory[MAX_PATH] = {};
  std::memcpy(directory, names[0], dirChars * sizeof(WCHAR));
  int stored = 1;
  for (int n = 1; stored < count && n <= 0x7FFF; ++n) {
    char narrow[32];
    std::snprintf(narrow, sizeof narrow, "OtherFiles%d", n);
    WCHAR key[32];
    Widen(key, narrow);
    WCHAR name[MAX_PATH] = {};
    ReadIniString(kPackageSection, key, u"", name, MAX_PATH, listFile);
    if (!name[0]) break;
    if (!IsOneLevelName(Below(name, directory), 0)) continue;
    std::memcpy(names[stored++], name, sizeof name);
  }
  return stored;
}

BOOL RemoveDirectoryTree(const WCHAR* path) {
  if (!path || !path[0]) return FALSE;
  const WCHAR* name = FindFileName(path);
  const std::size_t dirChars = static_cast<std::size_t>(name - path);
  if (dirChars < 2) return FALSE;
  WCHAR pattern[MAX_PATH] = {};
  if (dirChars + 2 > MAX_PATH) return FALSE;
  std::memcpy(pattern, path, dirChars * sizeof(WCHAR));
  pattern[dirChars] = u'*';
  DeleteFilesInDir(pattern);
  WCHAR directory[MAX_PATH] = {};
  std::memcpy(directory, path, (dirChars - 1) * sizeof(WCHAR));
  return RemoveDirectoryW(directory);
}

int DeletePackage(const WCHAR* userFile, DriverContext* context) {
  if (!userFile) return 0;
  WCHAR list[MAX_PATH] = {};
  if (!ChangeExtension(list, userFile, u"lst") || !PathExists(list)) return 1;
  auto* names = static_cast<WCHAR(*)[MAX_PATH]>(AllocMem(sizeof(WCHAR[MAX_PATH])));
  if (!names) return 0;
  if (ReadPackageFileNames(list, names, 1, context) == 1) RemoveDirectoryTree(names[0]);
  FreeMem(names);
  DeleteFileForce(list);
  return 1;
}

BOOL CopyPrinterInformation(const WCHAR* source, const WCHAR* target) {
  if (!source || !target) return FALSE;
  WCHAR value[1025] = {};
  ReadIniString(u"PrinterInformation", u"VANTEINFO", u"", value, 1025, source);
  return WriteIniString(u"PrinterInformation", u"VANTEINFO", value, target);
}

const WCHAR* GetModelDatabaseEntry(DriverContext* context) {
  if (!context || !context->work) return nullptr;
  WCHAR* entry = context->work->modelDatabaseEntry;
  entry[0] = 0;
  const WCHAR* shared = GetSecondIniPath(context);
  if (shared && shared[0]) ReadIniString(u"Models", GetModelName(context), u"", entry, 33, shared);
  return entry[0] ? entry : nullptr;
}
