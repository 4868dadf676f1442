#include "base/settings_dirs.h"

#include <cstring>

#include "base/driver_context.h"
#include "base/file_ops.h"
#include "base/memory.h"
#include "base/paths_and_names.h"
#include "base/printer_data.h"
#include "base/spooler_info.h"
#include "base/system_checks.h"
#include "base/wide_text.h"
#include "win/files.h"
#include "win/kernel.h"
#include "win/loader.h"

namespace {

DWORD Length(const WCHAR* s) {
  DWORD n = 0;
  if (s)
    while (s[n]) ++n;
  return n;
}

// Copies a text when it fits (length + 1 <= size); its length, else 0 and an empty buffer.
DWORD CopyIfFits(WCHAR* buffer, DWORD size, const WCHAR* text) {
  if (!buffer || size == 0) return 0;
  const DWORD n = Length(text);
  if (n + 1 > size) {
    buffer[0] = 0;
    return 0;
  }
  std::memmove(buffer, text, (n + 1) * sizeof(WCHAR));
  return n;
}

// Appends "\" (unless the text ends with one) and a word; false when it would not fit.
bool AppendComponent(WCHAR* text, DWORD size, const WCHAR* word) {
  DWORD n = Length(text);
  const bool slash = n == 0 || text[n - 1] != u'\\';
  const DWORD wordLen = Length(word);
  if (n + (slash ? 1 : 0) + wordLen + 1 > size) return false;
  if (slash) text[n++] = u'\\';
  std::memcpy(text + n, word, (wordLen + 1) * sizeof(WCHAR));
  return true;
}

bool DirectoryExists(const WCHAR* path) {
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW(path, &data);
  if (h == INVALID_HANDLE_VALUE) return false;
  FindClose(h);
  return true;
}

// ResolvePrinterDataPath of "%USERPROFILE%" asks for the user data directory, whose
// profile fallback asks for the settings root again; a nested call stops there.
thread_local int g_resolveDepth = 0;

// Connection test of the "For" variants: the record's pServerName; without a record the
// context's copy, else the context's cached answer.
bool IsConnectionFor(DriverContext* context, const PRINTER_INFO_2W* info) {
  if (info) return info->pServerName != nullptr;
  if (context && context->work && context->work->printerInfo) return context->work->printerInfo->pServerName != nullptr;
  return IsPrinterConnection(context) != FALSE;
}

// Steps 2 and 3 of the settings root: the registry value, else the default root.
DWORD RegistryOrDefaultRoot(WCHAR* buffer, DWORD size) {
  buffer[0] = 0;
  if (ReadDriverRegistryValue(kSettingsRootRegistryValue, buffer, size * sizeof(WCHAR))) {
    buffer[size - 1] = 0;
    if (buffer[0]) return Length(buffer);
  }
  return GetDefaultSettingsRoot(buffer, size);
}

// The settings root; the printer-data step uses the given record (useRecord) or the
// handle form.
DWORD SettingsRoot(WCHAR* buffer, DWORD size, HANDLE printer, bool connection, bool useRecord,
                   const PRINTER_INFO_2W* info) {
  if (!buffer || size == 0) return 0;
  buffer[0] = 0;
  if (connection) {
    const int found = useRecord ? ResolvePrinterDataPath(printer, kSettingsRootClientValue, buffer, size, info)
                                : ResolvePrinterDataPathByHandle(printer, kSettingsRootClientValue, buffer, size);
    if (found == 1) return Length(buffer);
  }
  return RegistryOrDefaultRoot(buffer, size);
}

// The profile directory through UserEnv.dll; false when it cannot be read.
bool ReadProfileDirectory(WCHAR* buffer, DWORD size) {
  HMODULE userenv = LoadLibraryW(u"UserEnv.dll");
  if (!userenv) return false;
  HANDLE token = nullptr;
  bool haveToken = OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token) != FALSE;
  if (!haveToken && GetLastError() == ERROR_NO_TOKEN)
    haveToken = OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token) != FALSE;
  bool ok = false;
  using Fn = BOOL(WINAPI*)(HANDLE, LPWSTR, LPDWORD);
  Fn fn = ProcCast<Fn>(GetProcAddress(userenv, "GetUserProfileDirectoryW"));
  if (haveToken && fn) {
    DWORD chars = size;
    ok = fn(token, buffer, &chars) != FALSE;
  }
  if (haveToken) CloseHandle(token);
  FreeLibrary(userenv);
  if (!ok && size) buffer[0] = 0;
  return ok;
}

DWORD ProfileDir(WCHAR* buffer, DWORD size, HANDLE printer, const PRINTER_INFO_2W* info, bool useRecord,
                 bool fallback) {
  if (!buffer || size == 0) return 0;
  if (ReadProfileDirectory(buffer, size)) return Length(buffer);
  if (!fallback) return 0;
  return useRecord ? GetSettingsRootForPrinterFor(buffer, size, printer, info)
                   : GetSettingsRootForPrinter(buffer, size, printer);
}

// The per-user directory from the profile directory.
DWORD UserDirFromProfile(WCHAR* buffer, DWORD size, HANDLE printer, const PRINTER_INFO_2W* info, bool useRecord) {
  if (!buffer || size == 0) return 0;
  WCHAR profile[MAX_PATH] = {};
  if (!ProfileDir(profile, MAX_PATH, printer, info, useRecord, true)) {
    buffer[0] = 0;
    return 0;
  }
  WCHAR result[MAX_PATH] = {};
  if (IsNt5OrLater()) {
    if (!CopyIfFits(result, MAX_PATH, profile) || !AppendComponent(result, MAX_PATH, kSettingsDirWord)) {
      buffer[0] = 0;
      return 0;
    }
  } else {
    const WCHAR* last = profile;
    for (const WCHAR* p = profile; *p; ++p)
      if (*p == u'\\') last = p + 1;
    const UINT n = GetSystemDirectoryW(result, MAX_PATH);
    if (n == 0 || n >= MAX_PATH || !AppendComponent(result, MAX_PATH, u"vante") ||
        !AppendComponent(result, MAX_PATH, kSettingsDirWord) || !AppendComponent(result, MAX_PATH, last)) {
      buffer[0] = 0;
      return 0;
    }
  }
  return CopyIfFits(buffer, size, result);
}

DWORD UserSettingsDir(WCHAR* buffer, DWORD size, DriverContext* context, const PRINTER_INFO_2W* info,
                      bool useRecord) {
  if (!buffer || size == 0) return 0;
  buffer[0] = 0;
  if (context && context->work) {
    const WCHAR* ini = context->work->userIniPath;
    if (ini[0] && ini[1] == u':') {
      DWORD cut = 0;
      for (DWORD i = 0; ini[i]; ++i)
        if (ini[i] == u'\\') cut = i;
      if (cut + 1 > size) return 0;
      std::memmove(buffer, ini, cut * sizeof(WCHAR));
      buffer[cut] = 0;
      return cut;
    }
  }
  return UserDirFromProfile(buffer, size, context ? context->hPrinter : nullptr, info, useRecord);
}

bool ApplyDescriptor(const WCHAR* path, SECURITY_INFORMATION what, PSECURITY_DESCRIPTOR descriptor,
                     int onlyTheDirectory) {
  SetFileSecurityW(path, what, descriptor);
  if (onlyTheDirectory) return true;
  WCHAR pattern[MAX_PATH];
  if (!CopyIfFits(pattern, MAX_PATH, path) || !AppendComponent(pattern, MAX_PATH, u"*.*")) return true;
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW(pattern, &data);
  if (h == INVALID_HANDLE_VALUE) return true;
  do {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;  // also "." and ".."
    WCHAR file[MAX_PATH];
    if (!CopyIfFits(file, MAX_PATH, path) || !AppendComponent(file, MAX_PATH, data.cFileName)) continue;
    SetFileSecurityW(file, what, descriptor);  // a file that refuses is skipped
  } while (FindNextFileW(h, &data));
  FindClose(h);
  return true;
}

bool IsDotName(const WCHAR* name) {
  return name[0] == u'.' && (name[1] == 0 || (name[1] == u'.' && name[2] == 0));
}

}  // namespace

DWORD GetDefaultSettingsRoot(WCHAR* buffer, DWORD size) {
  if (!buffer || size == 0) return 0;
  buffer[0] = 0;
  WCHAR system[MAX_PATH];
  UINT n = GetSystemDirectoryW(system, MAX_PATH);
  if (n < 3 || n >= MAX_PATH) return 0;
  constexpr DWORD wordLen = sizeof kSettingsDirWord / sizeof(WCHAR) - 1;
  if (3 + wordLen + 1 > size) return 0;
  std::memcpy(buffer, system, 3 * sizeof(WCHAR));
  std::memcpy(buffer + 3, kSettingsDirWord, (wordLen + 1) * sizeof(WCHAR));
  return 3 + wordLen;
}

DWORD GetSettingsRoot(WCHAR* buffer, DWORD size, DriverContext* context) {
  return SettingsRoot(buffer, size, context ? context->hPrinter : nullptr, IsPrinterConnection(context) != FALSE,
                      false, nullptr);
}

DWORD GetSettingsRootFor(DriverContext* context, WCHAR* buffer, DWORD size, const PRINTER_INFO_2W* info) {
  return SettingsRoot(buffer, size, context ? context->hPrinter : nullptr, IsConnectionFor(context, info), true,
                      info);
}

DWORD GetSettingsRootForPrinter(WCHAR* buffer, DWORD size, HANDLE printer) {
  return SettingsRoot(buffer, size, printer, IsConnectionHandle(printer) != FALSE, false, nullptr);
}

DWORD GetSettingsRootForPrinterFor(WCHAR* buffer, DWORD size, HANDLE printer, const PRINTER_INFO_2W* info) {
  const bool connection = info ? info->pServerName != nullptr : IsConnectionHandle(printer) != FALSE;
  return SettingsRoot(buffer, size, printer, connection, true, info);
}

DWORD GetSettingsDir(WCHAR* buffer, DWORD size, DriverContext* context) {
  if (IsNt5OrLater()) return GetSettingsRoot(buffer, size, context);
  if (!buffer || size == 0) return 0;
  const UINT n = GetSystemDirectoryW(buffer, size);
  return n < size ? n : (buffer[0] = 0, 0);
}

DWORD GetSettingsDirFor(DriverContext* context, WCHAR* buffer, DWORD size, const PRINTER_INFO_2W* info) {
  if (IsNt5OrLater()) return GetSettingsRootFor(context, buffer, size, info);
  if (!buffer || size == 0) return 0;
  const UINT n = GetSystemDirectoryW(buffer, size);
  return n < size ? n : (buffer[0] = 0, 0);
}

DWORD GetSettingsRootOrSystemDir(WCHAR* buffer, DWORD size, HANDLE printer) {
  if (IsNt5OrLater()) return GetSettingsRootForPrinter(buffer, size, printer);
  if (!buffer || size == 0) return 0;
  const UINT n = GetSystemDirectoryW(buffer, size);
  return n < size ? n : (buffer[0] = 0, 0);
}

DWORD GetSettingsRootOrSystemDirFor(WCHAR* buffer, DWORD size, HANDLE printer, const PRINTER_INFO_2W* info) {
  if (IsNt5OrLater()) return GetSettingsRootForPrinterFor(buffer, size, printer, info);
  if (!buffer || size == 0) return 0;
  const UINT n = GetSystemDirectoryW(buffer, size);
  return n < size ? n : (buffer[0] = 0, 0);
}

DWORD GetUserSettingsDir(WCHAR* buffer, DWORD size, DriverContext* context) {
  return UserSettingsDir(buffer, size, context, nullptr, false);
}

DWORD GetUserSettingsDirFor(WCHAR* buffer, DWORD size, DriverContext* context, const PRINTER_INFO_2W* info) {
  return UserSettingsDir(buffer, size, context, info, true);
}

DWORD GetUserDataDir(WCHAR* buffer, DWORD size, HANDLE printer) {
  return UserDirFromProfile(buffer, size, printer, nullptr, false);
}

DWORD GetUserDataDirFor(WCHAR* buffer, DWORD size, HANDLE printer, const PRINTER_INFO_2W* info) {
  return UserDirFromProfile(buffer, size, printer, info, true);
}

DWORD GetUserProfileDir(WCHAR* buffer, DWORD size, HANDLE printer) {
  return ProfileDir(buffer, size, printer, nullptr, false, true);
}

DWORD GetUserProfileDirFor(WCHAR* buffer, DWORD size, HANDLE printer, const PRINTER_INFO_2W* info) {
  return ProfileDir(buffer, size, printer, info, true, true);
}

DWORD GetUserProfileDirNoFallback(WCHAR* buffer, DWORD size, HANDLE printer, const PRINTER_INFO_2W* info) {
  return ProfileDir(buffer, size, printer, info, true, false);
}

namespace {
int ResolvePath(HANDLE printer, const WCHAR* valueName, WCHAR* buffer, DWORD size, const PRINTER_INFO_2W* info,
                bool useRecord) {
  if (!buffer || size == 0) return 0;
  auto* value = static_cast<WCHAR*>(AllocMem(261 * sizeof(WCHAR)));
  auto* path = static_cast<WCHAR*>(AllocMem(MAX_PATH * sizeof(WCHAR)));
  int answer = 0;
  if (!value || !path) {
    answer = -1;
  } else if (GetPrinterDataValue(printer, value, 520, valueName, 0) && (value[260] = 0, value[0])) {
    const DWORD valueLen = Length(value);
    if (StartsWithNoCase(value, u"%SYSTEMROOT%")) {
      const WCHAR* rest = value + 12;
      const UINT n = GetWindowsDirectoryW(path, MAX_PATH);
      const DWORD total = n + Length(rest);
      if (n > 0 && n < MAX_PATH && total < MAX_PATH && total + 47 < 260) {
        std::memcpy(path + n, rest, (Length(rest) + 1) * sizeof(WCHAR));
        if (DirectoryExists(path) && AppendComponent(path, MAX_PATH, kSettingsDirWord)) answer = 1;
      }
    } else if (StartsWithNoCase(value, u"%USERPROFILE%")) {
      if (g_resolveDepth > 0) {
        answer = -1;
      } else {
        ++g_resolveDepth;
        const DWORD n = useRecord ? GetUserDataDirFor(path, MAX_PATH, printer, info)
                                  : GetUserDataDir(path, MAX_PATH, printer);
        --g_resolveDepth;
        if (n == 0) answer = -1;
        else if (n + 41 < 260) answer = 1;
      }
    } else if (valueLen + 47 < 260) {
      std::memcpy(path, value, (valueLen + 1) * sizeof(WCHAR));
      if (DirectoryExists(path) && AppendComponent(path, MAX_PATH, kSettingsDirWord)) answer = 1;
    }
    // A path that does not fit the caller's buffer is not copied, and is not reported as
    // found either.
    if (answer == 1 && !CopyIfFits(buffer, size, path)) answer = 0;
  }
  FreeMem(value);
  FreeMem(path);
  return answer;
}
}  // namespace

int ResolvePrinterDataPath(HANDLE printer, const WCHAR* valueName, WCHAR* buffer, DWORD size,
                           const PRINTER_INFO_2W* info) {
  return ResolvePath(printer, valueName, buffer, size, info, true);
}

int ResolvePrinterDataPathByHandle(HANDLE printer, const WCHAR* valueName, WCHAR* buffer, DWORD size) {
  return ResolvePath(printer, valueName, buffer, size, nullptr, false);
}

BOOL GetLocalAppDataLowDir(WCHAR* buffer, DWORD size) {
  if (!buffer || size == 0) return FALSE;
  HMODULE shell = LoadLibraryW(u"shell32.dll");
  HMODULE ole = LoadLibraryW(u"ole32.dll");
  BOOL ok = FALSE;
  if (shell && ole) {
    using GetPathFn = HRESULT(WINAPI*)(REFKNOWNFOLDERID, DWORD, HANDLE, PWSTR*);
    using FreeFn = void(WINAPI*)(LPVOID);
    auto getPath = ProcCast<GetPathFn>(GetProcAddress(shell, "SHGetKnownFolderPath"));
    auto freeMem = ProcCast<FreeFn>(GetProcAddress(ole, "CoTaskMemFree"));
    if (getPath && freeMem) {
      PWSTR path = nullptr;
      if (getPath(FOLDERID_LocalAppDataLow, 0, nullptr, &path) >= 0 && path && Length(path) < size) {
        std::memcpy(buffer, path, (Length(path) + 1) * sizeof(WCHAR));
        ok = TRUE;
      }
      if (path) freeMem(path);
    }
  }
  if (shell) FreeLibrary(shell);
  if (ole) FreeLibrary(ole);
  return ok;
}

BOOL CreateSettingsRoot(HANDLE printer) {
  WCHAR root[MAX_PATH];
  if (!GetSettingsRootForPrinter(root, MAX_PATH, printer)) return FALSE;
  const BOOL created = CreateDirectoryOk(root);
  SetFileAttributesW(root, FILE_ATTRIBUTE_HIDDEN);
  SetAdministratorsOwner(root, 1);
  SetEveryoneDacl(root, 1);
  return created;
}

BOOL CreateSettingsRootForPrinter(DriverContext* context) {
  return CreateSettingsRoot(context ? context->hPrinter : nullptr);
}

BOOL RemoveSettingsRoot(HANDLE printer) {
  // The default root is shared by every printer of the machine: only the printer's own
  // folder in it goes. Its name is the printer's name with the characters a folder name
  // cannot hold replaced by '_'.
  WCHAR name[261] = {};
  if (!GetPrinterNameCopyFor(printer, name, 261, nullptr) || !name[0]) return FALSE;
  for (WCHAR* p = name; *p; ++p)
    if (*p == u'\\' || *p == u'/' || *p == u':' || *p == u'*' || *p == u'?' || *p == u'"' || *p == u'<' ||
        *p == u'>' || *p == u'|')
      *p = u'_';
  if ((name[0] == u'.' && name[1] == 0) || (name[0] == u'.' && name[1] == u'.' && name[2] == 0)) return FALSE;
  WCHAR folder[MAX_PATH];
  if (!GetDefaultSettingsRoot(folder, MAX_PATH) || !AppendComponent(folder, MAX_PATH, name)) return FALSE;
  if (GetFileAttributesW(folder) == INVALID_FILE_ATTRIBUTES) return TRUE;
  if (!DeleteDirectoryContents(folder)) return FALSE;
  return RemoveDirectoryW(folder);
}

BOOL DeleteDirectoryContents(const WCHAR* directory) {
  if (!directory || !directory[0]) return FALSE;
  WCHAR pattern[MAX_PATH];
  if (!CopyIfFits(pattern, MAX_PATH, directory) || !AppendComponent(pattern, MAX_PATH, u"*.*")) return FALSE;
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW(pattern, &data);
  if (h == INVALID_HANDLE_VALUE) return FALSE;
  do {
    if (IsDotName(data.cFileName)) continue;
    WCHAR entry[MAX_PATH];
    if (!CopyIfFits(entry, MAX_PATH, directory) || !AppendComponent(entry, MAX_PATH, data.cFileName)) continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      DeleteDirectoryContents(entry);
      RemoveDirectoryW(entry);
    } else {
      DeleteFileW(entry);
    }
  } while (FindNextFileW(h, &data));
  FindClose(h);
  return TRUE;
}

void PrepareSettingsDirs(DriverContext* context) {
  if (!IsNt5OrLater()) {
    CreateBidiCacheIni(context);
    return;
  }
  WCHAR root[MAX_PATH];
  if (!GetSettingsRoot(root, MAX_PATH, context)) return;
  SetAdministratorsOwner(root, 0);
  SetEveryoneDacl(root, 0);
}

BOOL SetAdministratorsOwner(const WCHAR* path, int onlyTheDirectory) {
  if (!path) return FALSE;
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID admins = nullptr;
  if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                &admins))
    return FALSE;
  SECURITY_DESCRIPTOR descriptor{};
  BOOL ok = InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
            SetSecurityDescriptorOwner(&descriptor, admins, FALSE);
  if (ok) ApplyDescriptor(path, OWNER_SECURITY_INFORMATION, &descriptor, onlyTheDirectory);
  FreeSid(admins);
  return ok;
}

BOOL SetEveryoneDacl(const WCHAR* path, int onlyTheDirectory) {
  if (!path) return FALSE;
  PSECURITY_DESCRIPTOR descriptor = BuildEveryoneDescriptor();
  if (!descriptor) return FALSE;
  ApplyDescriptor(path, DACL_SECURITY_INFORMATION, descriptor, onlyTheDirectory);
  FreeEveryoneDescriptor(descriptor);
  return TRUE;
}

PSECURITY_DESCRIPTOR BuildEveryoneDescriptor() {
  SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
  PSID everyone = nullptr;
  if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone)) return nullptr;
  const DWORD aceSize = GetLengthSid(everyone) + 8;
  const DWORD aclSize = aceSize + 8;
  auto* acl = static_cast<PACL>(AllocMem(aclSize));
  auto* descriptor = static_cast<SECURITY_DESCRIPTOR*>(AllocMem(sizeof(SECURITY_DESCRIPTOR)));
  bool ok = acl && descriptor && InitializeAcl(acl, aclSize, ACL_REVISION) &&
            AddAccessAllowedAceEx(acl, ACL_REVISION, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, FILE_ALL_ACCESS,
                                  everyone) &&
            InitializeSecurityDescriptor(descriptor, SECURITY_DESCRIPTOR_REVISION) &&
            SetSecurityDescriptorDacl(descriptor, TRUE, acl, FALSE);
  FreeSid(everyone);
  if (!ok) {
    FreeMem(acl);
    FreeMem(descriptor);
    return nullptr;
  }
  return descriptor;
}

void FreeEveryoneDescriptor(PSECURITY_DESCRIPTOR descriptor) {
  if (!descriptor) return;
  BOOL present = FALSE, defaulted = FALSE;
  PACL acl = nullptr;
  if (GetSecurityDescriptorDacl(descriptor, &present, &acl, &defaulted) && present) FreeMem(acl);
  FreeMem(descriptor);
}
