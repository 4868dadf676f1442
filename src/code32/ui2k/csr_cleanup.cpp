#include "csr_cleanup.h"

#include <cstring>
#include <vector>

#include "model/driver_locks.h"
#include "base/file_names.h"
#include "fields/locale_text.h"
#include "base/memory.h"
#include "base/paths_and_names.h"
#include "base/settings_dirs.h"
#include "base/spooler_info.h"
#include "win/files.h"
#include "win/kernel.h"
#include "win/profile.h"
#include "win/registry.h"

namespace {

constexpr char kCsrPrefixBytes[] = "\\\\CSR|";
constexpr size_t kCsrPrefixLength = 6;

constexpr const WCHAR* kUserJobCodeKeys[] = {u"JCBillingCode", u"JCDocBoxPassword", u"JCInfo1",   u"JCJobID",
                                             u"JCOwnerID",     u"JCPrintPassword",  u"JCUserID", u"JCUserName"};
constexpr const WCHAR* kMachineJobCodeKeys[] = {u"JCDriverLanguage", u"JCDriverPDL", u"JCDriverVersion"};

bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

bool StartsLine(const std::string& text, size_t i) { return i == 0 || text[i - 1] == '\n' || text[i - 1] == '\r'; }

bool IsCsrHeader(const std::string& text, size_t i) {
  return text[i] == '[' && StartsLine(text, i) && text.compare(i + 1, kCsrPrefixLength, kCsrPrefixBytes) == 0;
}

bool ReadWholeFile(const WCHAR* path, std::string& out) {
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = false;
  DWORD high = 0;
  const DWORD size = GetFileSize(file, &high);
  if (size != 0xFFFFFFFFu && high == 0) {
    out.assign(size, '\0');
    DWORD read = 0;
    ok = size == 0 || (ReadFile(file, out.data(), size, &read, nullptr) && read == size);
  }
  CloseHandle(file);
  return ok;
}

// Writes the bytes to a temporary file beside the target and moves it over the target, so
// that a failure leaves the old file whole.
bool ReplaceWholeFile(const WCHAR* path, const std::string& bytes) {
  const int length = lstrlenW(path);
  static constexpr WCHAR kSuffix[] = u".csrtmp";
  constexpr int kSuffixChars = 7;
  if (length <= 0 || length + kSuffixChars >= static_cast<int>(MAX_PATH)) return false;
  WCHAR temp[MAX_PATH] = {};
  std::memcpy(temp, path, sizeof(WCHAR) * static_cast<size_t>(length));
  std::memcpy(temp + length, kSuffix, sizeof(kSuffix));
  HANDLE file = CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = bytes.empty() || (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                              written == bytes.size());
  ok = FlushFileBuffers(file) && ok;
  ok = CloseHandle(file) && ok;
  if (ok) ok = MoveFileExW(temp, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  if (!ok) DeleteFileW(temp);
  return ok;
}

// The directory of a kind with "\" appended; false when it cannot be had or would not fit.
bool KindDirectory(HANDLE printer, const PRINTER_INFO_2W* printerInfo, int kind, WCHAR* buffer) {
  const DWORD n = kind == 1 ? GetUserDataDirFor(buffer, MAX_PATH, printer, printerInfo)
                            : GetSettingsRootForPrinterFor(buffer, MAX_PATH, printer, printerInfo);
  if (n == 0 || n + 1 >= MAX_PATH) return false;
  if (buffer[n - 1] != u'\\') {
    buffer[n] = u'\\';
    buffer[n + 1] = 0;
  }
  return true;
}

void DeleteNamedValue(HKEY root, const WCHAR* keyName, const WCHAR* valueName) {
  WCHAR path[MAX_PATH] = {};
  if (!JoinPath(path, MAX_PATH, u"SOFTWARE\\VANTE\\JOBCODE", keyName)) return;
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  RegDeleteValueW(key, valueName);
  RegCloseKey(key);
}

template <size_t N>
void DeleteCsrValuesInKeys(HKEY root, const WCHAR* const (&keys)[N]) {
  for (const WCHAR* name : keys) {
    WCHAR path[MAX_PATH] = {};
    if (!JoinPath(path, MAX_PATH, u"SOFTWARE\\VANTE\\JOBCODE", name)) continue;
    // A key that cannot be opened leaves the keys after it to be walked all the same.
    DeleteCsrValuesInKey(path, root);
  }
}

void MachineKeys() { DeleteCsrValuesInKeys(HKEY_LOCAL_MACHINE, kMachineJobCodeKeys); }
void UserKeys() { DeleteCsrValuesInKeys(HKEY_CURRENT_USER, kUserJobCodeKeys); }

}  // namespace

std::string StripCsrSectionText(const std::string& text, bool* dropped) {
  std::string kept;
  kept.reserve(text.size());
  bool any = false;
  size_t i = 0;
  while (i < text.size()) {
    if (IsCsrHeader(text, i)) {
      any = true;
      // Skip to the next line that starts a section; double-byte characters whole.
      ++i;
      while (i < text.size() && !(text[i] == '[' && StartsLine(text, i))) {
        i += IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
      }
      continue;
    }
    if (IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) {
      kept.append(text, i, 2);
      i += 2;
    } else {
      kept.push_back(text[i]);
      ++i;
    }
  }
  if (dropped) *dropped = any;
  return kept;
}

int StripCsrSections(const WCHAR* file) {
  if (!file || !file[0]) return 0;
  try {
    std::string text;
    if (!ReadWholeFile(file, text)) return 0;
    bool dropped = false;
    std::string kept = StripCsrSectionText(text, &dropped);
    if (dropped && !ReplaceWholeFile(file, kept)) return 0;
    return 1;
  } catch (...) {
    return 0;
  }
}

int StripCsrSectionsFromIniFiles(HANDLE printer, const PRINTER_INFO_2W* printerInfo, int kind, int mark) {
  WCHAR ini[MAX_PATH] = {};
  WCHAR directory[MAX_PATH] = {};
  if (!GetIniPathInSettingsDirFor(ini, 0, static_cast<DWORD>(kind), printer, printerInfo) || !ini[0]) return 1;
  if (!KindDirectory(printer, printerInfo, kind, directory)) return 1;
  const DWORD iniAttributes = GetFileAttributesW(ini);
  const DWORD dirAttributes = GetFileAttributesW(directory);
  if (iniAttributes == INVALID_FILE_ATTRIBUTES || dirAttributes == INVALID_FILE_ATTRIBUTES ||
      !(dirAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return 1;
  // A file that cannot be read or rewritten stops the work without failing the caller: the
  // leftovers belong to other queues, the old file stays whole, and the marker stays unset,
  // so a later call tries again.
  if (!StripCsrSections(ini)) return 0;

  // The companions: the directory, the first four characters of the INI's name, "*.ksr".
  const WCHAR* name = FindFileName(ini);
  WCHAR stem[5] = {};
  for (int i = 0; i < 4 && name && name[i]; ++i) stem[i] = name[i];
  WCHAR pattern[MAX_PATH] = {};
  const int dirChars = lstrlenW(directory);
  if (dirChars + 4 + 6 >= static_cast<int>(MAX_PATH)) return 1;
  lstrcpynW(pattern, directory, MAX_PATH);
  lstrcpynW(pattern + dirChars, stem, 5);
  lstrcpynW(pattern + lstrlenW(pattern), u"*.ksr", 6);
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  bool all = true;
  do {
    WCHAR path[MAX_PATH] = {};
    if (!JoinPath(path, MAX_PATH, directory, found.cFileName) || !StripCsrSections(path)) {
      all = false;
      break;
    }
  } while (FindNextFileW(search, &found));
  FindClose(search);
  if (!all) return 0;
  WritePrivateProfileStringW(u"COMMON", u"CSRIniCorrectDone", mark ? u"1" : nullptr, ini);
  return 0;
}

int NeedsCsrIniCorrection(HANDLE printer, const PRINTER_INFO_2W* printerInfo, int kind) {
  if (!printerInfo) return 0;
  WCHAR ini[MAX_PATH] = {};
  if (!GetIniPathInSettingsDirFor(ini, 0, static_cast<DWORD>(kind), printer, printerInfo) || !ini[0]) return 1;
  if (GetFileAttributesW(ini) == INVALID_FILE_ATTRIBUTES) return 0;
  WCHAR done[8] = {};
  GetPrivateProfileStringW(u"COMMON", u"CSRIniCorrectDone", u"", done, 8, ini);
  return done[0] ? 0 : 2;
}

int StripCsrSectionsFromSharedIni(HANDLE printer, const PRINTER_INFO_2W* printerInfo, int which) {
  WCHAR directory[MAX_PATH] = {};
  WCHAR path[MAX_PATH] = {};
  if (which == 1) {
    if (!GetSystemDirectoryW(directory, MAX_PATH)) return 0;
    if (!JoinPath(path, MAX_PATH, directory, u"KOVA.ini")) return 0;
  } else {
    if (!GetSettingsRootForPrinterFor(directory, MAX_PATH, printer, printerInfo)) return 0;
    if (!JoinPath(path, MAX_PATH, directory, u"Fennic.ini")) return 0;
  }
  return StripCsrSections(path);
}

int DeleteCsrValuesInKey(const WCHAR* keyPath, HKEY root) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, keyPath, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return 0;
  DWORD longest = 0;
  if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longest, nullptr, nullptr,
                       nullptr) != ERROR_SUCCESS) {
    longest = 0;
  }
  std::vector<WCHAR> name(static_cast<size_t>(longest) + 2);
  std::vector<char> ansi(2 * (static_cast<size_t>(longest) + 2));
  bool deleted = true;
  while (deleted) {
    deleted = false;
    for (DWORD index = 0;; ++index) {
      DWORD chars = static_cast<DWORD>(name.size());
      std::fill(name.begin(), name.end(), 0);
      if (RegEnumValueW(key, index, name.data(), &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      WideToAnsi(ansi.data(), name.data(), static_cast<int>(ansi.size()));
      if (std::strncmp(ansi.data(), kCsrPrefixBytes, kCsrPrefixLength) == 0) {
        // Start again from the first value: the indexes moved.
        deleted = RegDeleteValueW(key, name.data()) == ERROR_SUCCESS;
        break;
      }
    }
  }
  RegCloseKey(key);
  return 1;
}

int DeletePrinterJobCodeValuesUser(const WCHAR* printerName) {
  if (!printerName) return 0;
  for (const WCHAR* key : kUserJobCodeKeys) DeleteNamedValue(HKEY_CURRENT_USER, key, printerName);
  return 1;
}

int DeletePrinterJobCodeValuesMachine(const WCHAR* printerName) {
  if (!printerName) return 0;
  for (const WCHAR* key : kMachineJobCodeKeys) DeleteNamedValue(HKEY_LOCAL_MACHINE, key, printerName);
  return 1;
}

int RemoveCsrLeftovers(HANDLE printer, const PRINTER_INFO_2W* printerInfo, int mark, int type) {
  PRINTER_INFO_2W* own = nullptr;
  if (!printerInfo) {
    own = static_cast<PRINTER_INFO_2W*>(GetPrinterInfo(printer, 2));
    printerInfo = own;
  }
  if (!printerInfo || !printerInfo->pPrinterName) {
    FreeMem(own);
    return 1;
  }
  switch (type) {
    case kCsrCleanupInitialize:
      StripCsrSectionsFromIniFiles(printer, printerInfo, 0, mark);
      StripCsrSectionsFromSharedIni(printer, printerInfo, 0);
      StripCsrSectionsFromSharedIni(printer, printerInfo, 1);
      MachineKeys();
      break;
    case kCsrCleanupAddConnection:
      StripCsrSectionsFromIniFiles(printer, printerInfo, 0, mark);
      StripCsrSectionsFromIniFiles(printer, printerInfo, 1, mark);
      MachineKeys();
      UserKeys();
      break;
    case kCsrCleanupUpgrade:
    case kCsrCleanupConvert:
    case kCsrCleanupEntry:
      StripCsrSectionsFromIniFiles(printer, printerInfo, 0, mark);
      StripCsrSectionsFromIniFiles(printer, printerInfo, 1, mark);
      StripCsrSectionsFromSharedIni(printer, printerInfo, 0);
      StripCsrSectionsFromSharedIni(printer, printerInfo, 1);
      MachineKeys();
      UserKeys();
      break;
    case kCsrCleanupPrinterValues:
      DeletePrinterJobCodeValuesMachine(printerInfo->pPrinterName);
      DeletePrinterJobCodeValuesUser(printerInfo->pPrinterName);
      break;
    default:
      break;
  }
  FreeMem(own);
  return 0;
}

int RemoveCsrLeftoversLocked(HANDLE printer, const PRINTER_INFO_2W* printerInfo) {
  LockDriverMutex(nullptr);
  const int result = RemoveCsrLeftovers(printer, printerInfo, 0, kCsrCleanupEntry);
  UnlockDriverMutex(nullptr);
  return result;
}

int RemovePrinterJobCodeValues(HANDLE printer, const PRINTER_INFO_2W* printerInfo) {
  return RemoveCsrLeftovers(printer, printerInfo, 0, kCsrCleanupPrinterValues);
}
