#include "install_ini.h"

#include <cstring>

#include "fields/devmode_header.h"
#include "base/driver_context.h"
#include "model/driver_locks.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "base/file_ops.h"
#include "base/file_times.h"
#include "base/file_sync.h"
#include "base/file_names.h"
#include "base/ini_files.h"
#include "base/ini_section_copy.h"
#include "base/install_services.h"
#include "base/memory.h"
#include "base/paths_and_names.h"
#include "base/printer_data.h"
#include "base/spooler_info.h"
#include "base/system_checks.h"
#include "field_ids.h"
#include "first_run_defaults.h"
#include "stored/job_control.h"
#include "printer_install.h"
#include "stored/installed_presets.h"
#include "stored/list_sections.h"
#include "stored/prn_section.h"
#include "stored/setting_import.h"
#include "stored/settings_file.h"
#include "fields/product_record.h"
#include "stored/settings_load_save.h"
#include "user_copy_paths.h"
#include "win/files.h"
#include "win/kernel.h"
#include "win/profile.h"

namespace {

constexpr WCHAR kDriverKey[] = u"SOFTWARE\\VANTE\\KovaDrv";
constexpr WCHAR kUnset[] = u"*";
constexpr DWORD kValueChars = 261;
constexpr DWORD kLongValueChars = 260;
constexpr DWORD kSectionCopyLimit = 30720;

// What the identity keys of the batch install set, for the package load that follows on
// the same thread: network key 1, 2, 4 (8 emptied), user name 1, 0x10 (0x20 emptied).
thread_local BYTE g_batchAuthentication = 0;

constexpr const WCHAR* kBatchKeys[] = {
    u"DefaultKst",          u"SetUserCode",         u"SetUserID",
    u"SetOwnerID",          u"SetAuthenticationMode", u"SetAuthenticationSecureMode",
    u"SetAuthenticationNetworkKey", u"SetAuthenticationUserName", u"KOVADirectory",
    u"KOVADirectoryClient"};

DWORD Length(const WCHAR* s) {
  DWORD n = 0;
  while (s[n]) ++n;
  return n;
}

bool Same(const WCHAR* a, const WCHAR* b) {
  for (; *a && *a == *b; ++a, ++b) {
  }
  return *a == *b;
}

// A key's value; "*" when the key is missing.
void ReadKey(const WCHAR* ini, const WCHAR* section, const WCHAR* key, WCHAR* value, DWORD chars) {
  ReadIniString(section, key, kUnset, value, chars, ini);
}

bool IsSet(const WCHAR* value) { return !Same(value, kUnset); }

bool AllDigits(const WCHAR* s) {
  if (!*s) return false;
  for (; *s; ++s)
    if (*s < u'0' || *s > u'9') return false;
  return true;
}

bool AllLettersOrDigits(const WCHAR* s) {
  for (; *s; ++s) {
    const WCHAR c = *s;
    if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'))) return false;
  }
  return true;
}

void SetText(DriverContext* context, WORD id, const WCHAR* text, DWORD chars) {
  if (SettingField* f = FindFieldById(context, id)) SetFieldString(context, f, text, chars);
}

void GetText(DriverContext* context, WORD id, WCHAR* text, DWORD chars) {
  text[0] = 0;
  if (SettingField* f = FindFieldById(context, id)) GetFieldString(context, f, text, chars);
  text[chars - 1] = 0;
}

// Expands a leading "%SYSTEMDRIVE%" (the Windows directory's drive) or "%SYSTEMROOT%".
void ExpandSystemPrefix(WCHAR* path, DWORD chars, bool withRoot) {
  WCHAR windows[kValueChars] = {};
  MakeWindowsPath(windows, kValueChars, u"");
  DWORD wl = Length(windows);
  while (wl > 0 && windows[wl - 1] == u'\\') windows[--wl] = 0;
  auto expand = [&](const WCHAR* macro, const WCHAR* with, DWORD withLength) {
    const DWORD ml = Length(macro);
    for (DWORD i = 0; i < ml; ++i) {
      WCHAR c = path[i];
      if (c >= u'a' && c <= u'z') c = static_cast<WCHAR>(c - 32);
      if (c != macro[i]) return false;
    }
    const DWORD rest = Length(path + ml);
    if (withLength + rest + 1 > chars) return true;
    std::memmove(path + withLength, path + ml, (rest + 1) * sizeof(WCHAR));
    std::memcpy(path, with, withLength * sizeof(WCHAR));
    return true;
  };
  if (wl >= 2 && expand(u"%SYSTEMDRIVE%", windows, 2)) return;
  if (withRoot && wl > 0) expand(u"%SYSTEMROOT%", windows, wl);
}

bool IsDirectory(const WCHAR* path) {
  const DWORD a = GetFileAttributesW(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

void DeleteKey(const WCHAR* ini, const WCHAR* section, const WCHAR* key, int keepTime) {
  if (keepTime)
    WriteIniKeepTime(section, key, nullptr, ini, 0);
  else
    WriteIniString(section, key, nullptr, ini);
}

// Reads a batch key and removes it from the section (the INI's write time kept when told);
// false, with nothing removed, when the key is not there ("*"). A secret is overwritten
// with a blank before it is removed.
bool TakeKey(const WCHAR* ini, const WCHAR* section, const WCHAR* key, WCHAR* value, DWORD chars, int keepTime = 0,
             bool secret = false) {
  ReadKey(ini, section, key, value, chars);
  if (!IsSet(value)) return false;
  if (secret) WriteIniString(section, key, u" ", ini);
  DeleteKey(ini, section, key, keepTime);
  return true;
}

// "0" or "1" into bit.
bool ZeroOrOne(const WCHAR* value, DWORD* bit) {
  if (!Same(value, u"0") && !Same(value, u"1")) return false;
  *bit = value[0] == u'1' ? 1 : 0;
  return true;
}

void WriteDriverValue(const WCHAR* name, const WCHAR* text) {
  WriteHklmValue(kDriverKey, name, text, (Length(text) + 1) * sizeof(WCHAR), 1 /* REG_SZ */, 0);
}

// A package that was read (read is the answer of a Read...DefaultKst), resolved against
// the driver directory.
bool Resolved(BOOL read, WCHAR* package, DriverContext* context) {
  if (!read) return false;
  ResolveDriverRelativePath(package, MAX_PATH, context);
  return true;
}

}  // namespace

BYTE BatchAuthenticationBits() { return g_batchAuthentication; }

BOOL HasNoBatchKeys(const WCHAR* iniPath, const WCHAR* section) {
  if (!iniPath || !section) return TRUE;
  for (const WCHAR* key : kBatchKeys) {
    WCHAR value[kValueChars];
    ReadKey(iniPath, section, key, value, kValueChars);
    if (IsSet(value)) return FALSE;
  }
  return TRUE;
}

namespace {

// The INI exists and the section (not empty) has batch keys.
bool HasBatchKeysIn(const WCHAR* ini, const WCHAR* section) {
  return section && section[0] && ini && ini[0] && PathExists(ini) && !HasNoBatchKeys(ini, section);
}

// The printer's section name (its record fetched when not given) and the system install
// INI's path, each in 261 characters.
void SystemIniPlace(HANDLE printer, const PRINTER_INFO_2W* printerInfo, WCHAR* section, WCHAR* ini) {
  PRINTER_INFO_2W* owned = nullptr;
  if (!printerInfo) printerInfo = owned = static_cast<PRINTER_INFO_2W*>(GetPrinterInfo(printer, 2));
  InstallSectionName(printerInfo, section);
  FreeMem(owned);
  ini[0] = 0;
  GetSystemKovaIniPathInto(ini, kValueChars);
}

}  // namespace

BOOL HasBatchKeysInSystemIni(DriverContext* context) {
  if (!context || !context->work) return FALSE;
  return HasBatchKeysIn(GetSystemKovaIniPath(context), GetPrinterSectionName(context)) ? TRUE : FALSE;
}

BOOL IsBatchInstallPending(HANDLE printer, const PRINTER_INFO_2W* printerInfo, const DRIVER_INFO_3W*) {
  WCHAR section[261], ini[kValueChars];
  SystemIniPlace(printer, printerInfo, section, ini);
  return HasBatchKeysIn(ini, section) ? TRUE : FALSE;
}

BOOL IsDriverIniBatchPending(const WCHAR* section, HANDLE printer) {
  if (!section || !section[0]) return FALSE;
  WCHAR ini[kValueChars] = {};
  GetSecondIniPathForPrinter(printer, ini);
  return HasBatchKeysIn(ini, section) ? TRUE : FALSE;
}

BOOL HasBatchSettingsForPrinter(HANDLE printer, const PRINTER_INFO_2W* printerInfo, const DRIVER_INFO_3W* driverInfo) {
  if (!IsBatchInstallPending(printer, printerInfo, driverInfo)) return FALSE;
  WCHAR section[261], ini[kValueChars];
  SystemIniPlace(printer, printerInfo, section, ini);
  WCHAR text[4] = {};
  return GetPrivateProfileSectionW(section, text, 4, ini) > 0 ? TRUE : FALSE;
}

BOOL SetBatchInstallDone(const WCHAR* iniPath, const WCHAR* section, int value) {
  if (!iniPath || !section) return FALSE;
  return WriteIniString(section, u"BatchInstallDone", value ? u"1" : u"0", iniPath);
}

void MarkBatchInstallDone(const WCHAR* iniPath, const WCHAR* section, int value, bool alsoPrinterData,
                          DriverContext* context) {
  SetBatchInstallDone(iniPath, section, value);
  if (alsoPrinterData && context) WriteBatchInstallDoneValue(context->hPrinter, value ? 1u : 0u);
}

BOOL ReadBatchInstallDoneValue(HANDLE printer, DWORD* value) {
  if (!value) return FALSE;
  *value = 0;
  DWORD word = 0;
  if (!GetPrinterDataValue(printer, &word, sizeof word, u"BatchInstallDone", 0)) return FALSE;
  *value = word;
  return TRUE;
}

BOOL WriteBatchInstallDoneValue(HANDLE printer, DWORD value) {
  return SetPrinterDataBinary(printer, &value, sizeof value, u"BatchInstallDone", 0);
}

void ApplyDirectoryKeys(HANDLE printer, const WCHAR* section, const WCHAR* iniPath,
                        const PRINTER_INFO_2W* printerInfo, int keepTime) {
  if (!section || !iniPath || !PathExists(iniPath)) return;
  LockDriverMutex(nullptr);
  WCHAR directory[kValueChars];
  // A missing key leaves the settings root where it is: the value is machine-wide and other
  // printers' settings live there. Only a key that names a directory, or an empty key, sets it.
  if (TakeKey(iniPath, section, u"KOVADirectory", directory, kValueChars, keepTime)) {
    if (!directory[0]) {
      WriteDriverValue(u"_KOVADirectory", u"");
    } else {
      ExpandSystemPrefix(directory, kValueChars, true);
      if (IsDirectory(directory)) {
        DWORD n = Length(directory);
        if (n > 0 && directory[n - 1] != u'\\' && n + 1 < kValueChars) {
          directory[n++] = u'\\';
          directory[n] = 0;
        }
        if (n + 5 < 214) {
          std::memcpy(directory + n, u"_kova", 6 * sizeof(WCHAR));
          WriteDriverValue(u"_KOVADirectory", directory);
        }
      }
    }
  }
  WCHAR client[kValueChars];
  if (InfoHasServerName(printerInfo) && TakeKey(iniPath, section, u"KOVADirectoryClient", client, kValueChars, keepTime))
    SetPrinterDataString(printer, client, (Length(client) + 1) * sizeof(WCHAR), u"_KOVADirectoryClient", 0);
  UnlockDriverMutex(nullptr);
}

void ApplySpoolDirectory(const WCHAR* iniPath, const WCHAR* section, DriverContext* context, int keepTime) {
  if (!iniPath || !section || !context || !PathExists(iniPath)) return;
  LockDriverMutex(nullptr);
  WCHAR directory[kValueChars], all[16];
  ReadKey(iniPath, section, u"SpoolDirectory", directory, kValueChars);
  ReadKey(iniPath, section, u"SpoolDirectoryAll", all, 16);
  const bool forAll = lstrcmpiW(all, u"ON") == 0;
  if (IsSet(directory)) {
    ExpandSystemPrefix(directory, kValueChars, false);
    if (IsDirectory(directory) && Length(directory) < 239) {
      if (forAll) {
        WriteDriverValue(u"SpoolDirectory", directory);
      } else {
        // The value keeps its fixed size of 260 characters, so readers of any size get a
        // terminated path.
        WCHAR padded[kLongValueChars] = {};
        std::memcpy(padded, directory, (Length(directory) + 1) * sizeof(WCHAR));
        SetPrinterDataTyped(context->hPrinter, padded, sizeof padded, 1 /* REG_SZ */, u"SpoolDirectory", 0);
      }
    }
  } else if (forAll) {
    WriteDriverValue(u"SpoolDirectory", u"");
  }
  DeleteKey(iniPath, section, u"SpoolDirectory", keepTime);
  DeleteKey(iniPath, section, u"SpoolDirectoryAll", keepTime);
  UnlockDriverMutex(nullptr);
}

void ApplyUserCodeBatchKey(const WCHAR* iniPath, const WCHAR* section, int* changed, DriverContext* context) {
  if (changed) *changed = 0;
  if (!iniPath || !section || !context) return;
  WCHAR code[9];
  if (!TakeKey(iniPath, section, u"SetUserCode", code, 9)) return;
  if (AllDigits(code)) {
    WriteFieldRawById(context, fid::kdmLogCodeUse, 1);
    SetText(context, fid::kdmLogCode, code, 9);
    SetText(context, fid::kdmUserCode, code, 9);
    SetStateByte(context, fid::KPD_kdmUserCodeFIX, 1);
  } else if (!code[0]) {
    SaveUserCodeFirstRunKeys(GetPrinterSectionName(context), 2, context);
    WriteFieldRawById(context, fid::kdmLogCodeUse, 0);
    SetStateByte(context, fid::KPD_kdmUserCodeFIX, 0);
    SetText(context, fid::kdmLogCode, u"", 9);
    SetText(context, fid::kdmUserCode, u"", 9);
  }
  if (changed) *changed = 1;
}

void ApplyIdentityBatchKeys(const WCHAR* iniPath, const WCHAR* section, DriverContext* context) {
  if (!iniPath || !section || !context || !context->work) return;
  BYTE& bits = g_batchAuthentication;
  bits = 0;
  DWORD mask = 0;
  WCHAR value[kValueChars];
  if (TakeKey(iniPath, section, u"SetUserID", value, kValueChars) && Length(value) <= 8 && AllLettersOrDigits(value)) {
    SetText(context, fid::kdmUserID, value, 9);
    mask |= 8;
  }
  if (TakeKey(iniPath, section, u"SetOwnerID", value, kValueChars) && Length(value) <= 16) {
    SetText(context, fid::kdmOwnerName, value, 17);
    mask |= 2;
  }
  bool clearedKey = false, clearedUser = false;
  if (CanOpenJobControlItems(context)) {
    // The network key is a secret: it is overwritten before it is removed.
    if (TakeKey(iniPath, section, u"SetAuthenticationNetworkKey", value, kValueChars, 0, true) &&
        Length(value) <= 32 && AllLettersOrDigits(value)) {
      SetText(context, fid::wdmAuthenticationNetworkKey, value, 33);
      WriteFieldRawById(context, fid::kdmPrnFuncAuthenticationMode, 1);
      WriteFieldRawById(context, fid::kdmPrnFuncAuthenticationSecureMode, 1);
      mask |= 0x2000;
      bits |= 1 | 2 | 4;
      if (!value[0]) {
        bits |= 8;
        clearedKey = true;
      }
    }
    DWORD on = 0;
    if (TakeKey(iniPath, section, u"SetAuthenticationSecureMode", value, kValueChars) && ZeroOrOne(value, &on)) {
      WriteFieldRawById(context, fid::kdmPrnFuncAuthenticationSecureMode, on);
      bits |= 1 | 2;
    }
    if (TakeKey(iniPath, section, u"SetAuthenticationUserName", value, kValueChars) && Length(value) <= 128 &&
        AllLettersOrDigits(value)) {
      SetText(context, fid::wdmAuthenticationUserName, value, 129);
      WriteFieldRawById(context, fid::kdmPrnFuncAuthenticationMode, 1);
      mask |= 0x800;
      bits |= 1 | 0x10;
      if (!value[0]) {
        bits |= 0x20;
        clearedUser = true;
      }
    }
    if (TakeKey(iniPath, section, u"SetAuthenticationMode", value, kValueChars) && ZeroOrOne(value, &on)) {
      WriteFieldRawById(context, fid::kdmPrnFuncAuthenticationMode, on);
      bits |= 1;
    }
  }
  if (mask == 0 && bits == 0) return;
  if (clearedKey) JobControlResetItems(context, 8192);
  if (clearedUser) NotifyJobControl(context, 9);
  JobControlWrite(context, mask);
  SaveJobControlItemsToPrinterData(context, mask);
  ClearReadOnly(iniPath);
  SetDrvInstSet(iniPath, section, 1);
}

int InstallDefaultQualities(const WCHAR* package, const WCHAR* section, DWORD flags, DriverContext* context) {
  if (!package || !section || !context || !context->work) return 0;
  if (flags & 1) ClearQualityList(context);
  const int count = ReadIniInt(section, u"NumDefqualityfiles", 0, package);
  if (count <= 0) return 1;
  const WCHAR* userIni = GetUserIniPath(context);
  if (!userIni || !userIni[0] || userIni[1] != u':') return 0;
  int ok = 1;
  for (int i = 1; i <= count && i < 0xFFFF; ++i) {
    WCHAR key[64];
    ListKey(key, "Defqualityfiles", i, nullptr);
    WCHAR source[MAX_PATH + 1] = {};
    ReadIniString(section, key, u"", source, MAX_PATH, package);
    if (!source[0] || !ExpandSettingFileMacros(source, MAX_PATH, context) || !PathExists(source)) continue;
    WCHAR copy[MAX_PATH + 1] = {};
    if (!MakeUserKsrPath(copy, source, MAX_PATH, context) || !copy[0]) {
      ok = 0;
      continue;
    }
    if (flags & 1) {
      WCHAR name[kValueChars] = {};
      ReadQualityName(source, section, name);
      RegisterQualityFile(context, copy, name);
      if (flags & 0x10) ImportSettingFile(copy, source, 0, context);
    }
    if (flags & 2) {
      SyncFile(source, FindFileName(source), 2, context);
      if (!PathExists(copy)) {
        if (!ImportSettingFile(copy, source, 0, context)) ok = 0;
      } else if (!(flags & 0x1000) && !HasSettingFileVersion(copy, context)) {
        ImportSettingFile(copy, source, 0, context);
      }
    }
    if (flags & 0x20) DeleteFileForce(copy);
  }
  if (!(flags & 0x100) && ok) WriteIniInt(package, section, 1, u"DrvInstQualityDone");
  return ok;
}

int LoadSettingsPackage(const WCHAR* package, const WCHAR* section, DWORD flags, DriverContext* context) {
  if (!package || !section || !context) return 0;
  LoadPrnSection(package, 8, context);
  const int presets = RegisterInstalledPresets(package, section, flags | 1, context, 0, nullptr);
  const int qualities = InstallDefaultQualities(package, section, flags | 1, context);
  return presets && qualities ? 1 : 0;
}

namespace {

// The package's list entries ("FreeSize<n><lang>" or "Stamp<n><lang>" with the count key of
// the language section) replace the printer's. A section too large to copy whole is left
// out and reported.
bool LoadBatchList(const WCHAR* package, const char* prefix, const WCHAR* countKey, DriverContext* context) {
  const WCHAR* ini = GetUserIniPath(context);
  const WCHAR* language = ListLanguageSection(context);
  WCHAR count[16];
  ReadKey(package, language, countKey, count, 16);
  if (!IsSet(count)) return true;
  WriteIniString(language, countKey, count, ini);
  bool ok = true;
  const int n = ReadIniInt(language, countKey, 0, package);
  for (int i = 0; i < n && i < 1000; ++i) {
    WCHAR section[kListSectionChars];
    MakeListSection(section, prefix, i, context);
    if (CopyIniSection(package, section, ini, section, kSectionCopyLimit) < 0) ok = false;
  }
  return ok;
}

bool LoadBatchFreeSizes(const WCHAR* package, DriverContext* context) {
  return LoadBatchList(package, "FreeSize", u"FreeSizeCount", context);
}

bool LoadBatchStamps(const WCHAR* package, DriverContext* context) {
  return LoadBatchList(package, "Stamp", u"StampCount", context);
}

// The end of a batch install that named a package: the package key is used up whether the
// install went through or not, so it is tried once, and its outcome is recorded as
// "BatchInstallDone" 1 (went through) or 0 (failed), with "DefaultKstName" naming the
// package. A 0 is never read as a batch still to run. The system install INI's record is
// written only when the package came from there (systemRecord): a per-user run that takes the
// package from the per-printer INI leaves the machine's record of its batch as it stands.
void EndBatchInstall(const WCHAR* ini, const WCHAR* section, const WCHAR* package, int succeeded, bool systemRecord,
                     DriverContext* context) {
  const int done = succeeded ? 1 : 0;
  if (systemRecord) {
    ClearReadOnly(ini);
    MarkBatchInstallDone(ini, section, done, false, context);
    WriteIniString(section, u"DefaultKstName", package, ini);
    WriteIniString(section, u"DefaultKst", nullptr, ini);
  }
  MarkBatchInstallDone(GetUserIniPath(context), section, done, true, context);
}

// The section's "DefaultKst" key is there (with any value, an empty one included).
bool NamesPackage(const WCHAR* ini, const WCHAR* section) {
  WCHAR value[kValueChars];
  ReadKey(ini, section, u"DefaultKst", value, kValueChars);
  return IsSet(value);
}

struct RememberedIdentity {
  WCHAR userId[9], owner[17], networkKey[33], userName[129];
  DWORD mode, secureMode;
  explicit RememberedIdentity(DriverContext* context) {
    GetText(context, fid::kdmUserID, userId, 9);
    GetText(context, fid::kdmOwnerName, owner, 17);
    GetText(context, fid::wdmAuthenticationNetworkKey, networkKey, 33);
    GetText(context, fid::wdmAuthenticationUserName, userName, 129);
    mode = ReadFieldRawById(context, fid::kdmPrnFuncAuthenticationMode);
    secureMode = ReadFieldRawById(context, fid::kdmPrnFuncAuthenticationSecureMode);
  }
};

}  // namespace

int ApplyBatchSettings(int mode, DriverContext* context, int perUser) {
  if (!context || !context->work) return 0;
  WCHAR ini[kValueChars] = {};
  GetSystemKovaIniPathInto(ini, kValueChars);
  const WCHAR* section = GetPrinterSectionName(context);
  if (!ini[0] || !section || !section[0] || !PathExists(ini)) return 0;
  const bool keys = !HasNoBatchKeys(ini, section);
  const bool terminal = IsTerminalServerCached(context->hPrinter) != FALSE;
  bool pending = keys;
  if (!pending && perUser && terminal) pending = ReadIniInt(section, u"BatchInstallDone", 0, ini) != 0;
  if (!pending) return 0;

  // Without batch keys the run is a terminal-server user's and takes the package the
  // printer's batch left in the per-printer INI.
  WCHAR package[MAX_PATH + 1] = {};
  const bool named = keys ? NamesPackage(ini, section)
                          : Resolved(ReadPrinterDefaultKst(package, context), package, context);
  if (keys) Resolved(ReadSystemIniDefaultKst(package, context), package, context);
  int result = 0;
  if (!package[0] || !IsUsableSettingsFile(package)) {
    CopyPrinterIniKeys(context, 4, nullptr);
  } else {
    const DWORD size = GetSettingsBufferSize();
    BYTE* saved = static_cast<BYTE*>(AllocMem(size));
    if (saved && context->settings) {
      std::memcpy(saved, context->settings, size);
      const RememberedIdentity before(context);
      const BYTE bits = BatchAuthenticationBits();
      LoadSettingsFile(context->hPrinter, package, SFT_LOAD | SFT_QUIET, context);
      if (before.userId[0]) SetText(context, fid::kdmUserID, before.userId, 9);
      if (before.owner[0]) SetText(context, fid::kdmOwnerName, before.owner, 17);
      if (bits & 4) SetText(context, fid::wdmAuthenticationNetworkKey, before.networkKey, 33);
      if (bits & 0x10) SetText(context, fid::wdmAuthenticationUserName, before.userName, 129);
      if (!LoadSettingsPackage(package, GetLanguageSectionName(context), static_cast<DWORD>(mode) | 0x100, context)) {
        std::memcpy(context->settings, saved, size);
      } else {
        if (bits & 1) WriteFieldRawById(context, fid::kdmPrnFuncAuthenticationMode, before.mode);
        if (bits & 2) WriteFieldRawById(context, fid::kdmPrnFuncAuthenticationSecureMode, before.secureMode);
        CopyPrinterIniKeys(context, 3, package);
        result = LoadBatchFreeSizes(package, context) && LoadBatchStamps(package, context) ? 1 : 0;
        DWORD mask = 14494;
        WCHAR code[9] = {};
        ReadKey(ini, section, u"SetUserCode", code, 9);
        WCHAR packaged[9] = {};
        ReadIniString(GetLanguageSectionName(context), u"kdmUserCode", u"", packaged, 9, package);
        const bool userCode = !IsSet(code) && AllDigits(packaged);
        if (userCode) {
          SetStateByte(context, fid::KPD_kdmUserCodeFIX, 1);
          mask |= 1;
        }
        JobControlWrite(context, mask);
        SaveJobControlItemsToPrinterData(context, mask);
        ClearReadOnly(ini);
        SetDrvInstSet(ini, section, 1);
        if (userCode) {
          WriteFieldByNameToPrinterData(context->hPrinter, context, FindFieldById(context, fid::kdmLogCodeUse));
          WriteFieldByNameToPrinterData(context->hPrinter, context, FindFieldById(context, fid::kdmLogCode));
        }
      }
    }
    FreeMem(saved);
  }
  // Batch keys without a package key (authentication values kept until a job-control
  // library can take them) name no batch to record: an earlier batch's record stays.
  if (named) EndBatchInstall(ini, section, package, result, keys, context);
  return result;
}

int ApplySystemIniDefaults(DriverContext* context) {
  if (!context || !context->work) return 0;
  WCHAR ini[kValueChars] = {};
  GetSystemKovaIniPathInto(ini, kValueChars);
  const WCHAR* section = GetPrinterSectionName(context);
  if (!ini[0] || !section || !section[0] || !PathExists(ini)) return 0;
  int result = 1;
  if (!HasNoBatchKeys(ini, section)) {
    WCHAR package[MAX_PATH + 1] = {};
    if (Resolved(ReadSystemIniDefaultKst(package, context), package, context)) {
      const WCHAR* language = GetLanguageSectionName(context);
      if (!RegisterInstalledPresets(package, language, RIP_REGISTER | RIP_COPY, context, 0, nullptr) ||
          !InstallDefaultQualities(package, language, 258, context)) {
        // The batch install does not follow a failure here: its package is used up now.
        EndBatchInstall(ini, section, package, 0, true, context);
        result = 0;
      }
    }
  }
  int changed = 0;
  ApplyUserCodeBatchKey(ini, section, &changed, context);
  ApplyIdentityBatchKeys(ini, section, context);
  context->work->userCodeInstalled = changed || ReadFieldRawById(context, fid::KPD_kdmPrintLog) ? 1 : 0;
  ApplySpoolDirectory(GetSecondIniPath(context), section, context, 1);
  ApplySpoolDirectory(ini, section, context, 0);
  return result;
}

int ApplyDefaultSettingsPackage(DWORD flags, int type, DriverContext* context) {
  if (!context || !context->work) return 0;
  const WCHAR* section = GetPrinterSectionName(context);
  const WCHAR* language = GetLanguageSectionName(context);
  WCHAR package[MAX_PATH + 1] = {};
  if (Resolved(ReadInstallDefaultKst(package, context), package, context) && IsSettingsPackage(package)) {
    const bool loaded = LoadSettingsPackage(package, language, flags, context) != 0;
    MarkBatchInstallDone(GetUserIniPath(context), section, loaded ? 1 : 0, type != 2, context);
    SetStateByte(context, fid::KPD_kdmBatchInst, loaded ? 1 : 0);
    CopyPrinterIniKeys(context, 1, package);
  }
  CopyPrinterIniKeys(context, 4, nullptr);
  WCHAR ini[kValueChars] = {};
  GetSystemKovaIniPathInto(ini, kValueChars);
  // The system install INI's record of a batch goes, so that no later run takes the
  // printer's batch for one still to apply; the record of a failed batch (0) is never
  // taken so and stays to tell which package failed.
  if (ini[0] && section && PathExists(ini)) {
    WCHAR done[16];
    ReadKey(ini, section, u"BatchInstallDone", done, 16);
    if (!Same(done, u"0")) {
      WriteIniString(section, u"DefaultKstName", nullptr, ini);
      WriteIniString(section, u"BatchInstallDone", nullptr, ini);
    }
  }
  return 1;
}
