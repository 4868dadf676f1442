#include "context/file_utils.h"

#include <atomic>
#include <cstring>

#include "context/driver_context.h"
#include "context/paths_and_names.h"
#include "context/settings_dirs.h"
#include "context/system_checks.h"
#include "win/errors.h"
#include "win/files.h"
#include "win/kernel.h"
#include "win/sync.h"

namespace {

constexpr DWORD kRetryWaitMs = 100;
constexpr int kRetryLimit = 1000;

void DefaultWait(DWORD ms) { Sleep(ms); }
std::atomic<RetryWaitFn> g_retryWait{&DefaultWait};

HANDLE DefaultTimesOpen(const WCHAR* path) {
  return CreateFileW(path, 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
}
std::atomic<TimesOpenFn> g_timesOpen{&DefaultTimesOpen};

DWORD Length(const WCHAR* s) {
  DWORD n = 0;
  if (s)
    while (s[n]) ++n;
  return n;
}

bool IsEmpty(const WCHAR* s) { return !s || !s[0]; }

bool IsAbsolute(const WCHAR* path) { return path && path[0] && path[1] == u':'; }

bool EqualNoCase(const WCHAR* a, const WCHAR* b) { return lstrcmpiW(a, b) == 0; }

// Opens a file for no access with read sharing, retrying while another handle blocks it.
HANDLE OpenForTimes(const WCHAR* path) {
  for (int tries = 0;; ++tries) {
    HANDLE h = g_timesOpen.load()(path);
    if (h != INVALID_HANDLE_VALUE) return h;
    if (GetLastError() != ERROR_SHARING_VIOLATION || tries >= kRetryLimit) return INVALID_HANDLE_VALUE;
    g_retryWait.load()(kRetryWaitMs);
  }
}

// The rule the five synchronising operations share.
BOOL SyncPaths(const WCHAR* source, const WCHAR* target, DWORD mode, DWORD timeMode) {
  if (IsEmpty(source) || IsEmpty(target)) return FALSE;
  if (EqualNoCase(source, target)) return TRUE;
  if (mode == kCopyWhenMissing) {
    if (!PathExists(source)) return FALSE;
    if (PathExists(target)) return TRUE;
    return CopyFileNormal(source, target, FALSE);
  }
  if (PathExists(source) && !CompareFileTimes(source, target, timeMode)) {
    DeleteFileForce(target);
    return CopyFileNormal(source, target, FALSE);
  }
  return FALSE;
}

const DRIVER_INFO_3W* DriverInfoOf(const DriverContext* context) {
  return context && context->work ? context->work->driverInfo : nullptr;
}

HANDLE PrinterOf(const DriverContext* context) { return context ? context->hPrinter : nullptr; }

// The driver directory + name, in a MAX_PATH buffer; empty when it cannot be made.
void DriverSidePath(WCHAR* buffer, const WCHAR* name, const DriverContext* context) {
  buffer[0] = 0;
  if (!context) return;
  MakeDriverPathFor(buffer, MAX_PATH, name, PrinterOf(context), DriverInfoOf(context));
}

BOOL SyncToTarget(const WCHAR* target, const WCHAR* driverName, DWORD mode, DriverContext* context, DWORD timeMode) {
  if (IsEmpty(target)) return FALSE;
  if (!IsAbsolute(target)) return SyncWithDriverFile(target, driverName, mode, context);
  WCHAR source[MAX_PATH];
  DriverSidePath(source, driverName ? driverName : FindFileName(target), context);
  return SyncPaths(source, target, mode, timeMode);
}

}  // namespace

BOOL PathExists(const WCHAR* path) {
  if (!path) return FALSE;
  HANDLE h = CreateFileW(path, 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    DWORD err = GetLastError();
    return (err == ERROR_PATH_NOT_FOUND || err == ERROR_FILE_NOT_FOUND) ? FALSE : TRUE;
  }
  CloseHandle(h);
  return TRUE;
}

BOOL DeleteFileChecked(const WCHAR* path) {
  if (!path || !SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL)) return FALSE;
  return DeleteFileW(path) ? TRUE : FALSE;
}

BOOL DeleteFileForce(const WCHAR* path) {
  if (!path || !SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL)) return FALSE;
  DeleteFileW(path);  // the outcome is left in the last error; callers go by the answer 1
  return TRUE;
}

BOOL DeleteFilesInDir(const WCHAR* pattern) {
  if (IsEmpty(pattern)) return FALSE;
  const WCHAR* filePart = FindFileName(pattern);
  DWORD dirLen = static_cast<DWORD>(filePart - pattern);
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(pattern, &data);
  if (find == INVALID_HANDLE_VALUE) return FALSE;
  BOOL prepared = FALSE;
  WCHAR path[MAX_PATH];
  do {
    if (lstrcmpW(data.cFileName, u".") == 0 || lstrcmpW(data.cFileName, u"..") == 0) continue;
    // Subdirectories are not files of the pattern: their attributes are left alone.
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    DWORD nameLen = Length(data.cFileName);
    if (dirLen + nameLen + 1 > MAX_PATH) continue;
    std::memcpy(path, pattern, dirLen * sizeof(WCHAR));
    std::memcpy(path + dirLen, data.cFileName, (nameLen + 1) * sizeof(WCHAR));
    if (SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL)) {
      prepared = TRUE;
      DeleteFileW(path);
    }
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return prepared;
}

BOOL CopyFileNormal(const WCHAR* source, const WCHAR* target, BOOL failIfExists) {
  if (!CopyFileW(source, target, failIfExists)) return FALSE;
  if (!SetFileAttributesW(target, FILE_ATTRIBUTE_NORMAL)) return FALSE;
  return SetFileAttributesW(target, FILE_ATTRIBUTE_ARCHIVE) ? TRUE : FALSE;
}

BOOL ClearReadOnly(const WCHAR* path) {
  DWORD attributes = GetFileAttributesW(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    SetFileAttributesW(path, attributes & ~FILE_ATTRIBUTE_READONLY);
  return TRUE;
}

BOOL CompareFileTimes(const WCHAR* first, const WCHAR* second, DWORD timeMode) {
  if (!first || !second) return FALSE;
  HANDLE a = OpenForTimes(first);
  if (a == INVALID_HANDLE_VALUE) return FALSE;
  HANDLE b = OpenForTimes(second);
  if (b == INVALID_HANDLE_VALUE) {
    CloseHandle(a);
    return FALSE;
  }
  BOOL answer = FALSE;
  BY_HANDLE_FILE_INFORMATION infoA, infoB;
  if (GetFileInformationByHandle(a, &infoA) && GetFileInformationByHandle(b, &infoB)) {
    const FILETIME& ta = infoA.ftLastWriteTime;
    const FILETIME& tb = infoB.ftLastWriteTime;
    if (timeMode == kTimesEqual) {
      answer = ta.dwHighDateTime == tb.dwHighDateTime && ta.dwLowDateTime == tb.dwLowDateTime;
    } else if (timeMode == kFirstNotLater) {
      answer = ta.dwHighDateTime < tb.dwHighDateTime ||
               (ta.dwHighDateTime == tb.dwHighDateTime && ta.dwLowDateTime <= tb.dwLowDateTime);
    }
  }
  CloseHandle(a);
  CloseHandle(b);
  return answer;
}

BOOL CreateDirectoryOk(const WCHAR* path) {
  if (CreateDirectoryW(path, nullptr)) return TRUE;
  return GetLastError() == ERROR_ALREADY_EXISTS;
}

INT ReadFileBytes(HANDLE file, void* buffer, DWORD n) {
  DWORD read = 0;
  if (!ReadFile(file, buffer, n, &read, nullptr)) return -1;
  return static_cast<INT>(read);
}

UINT GetSystemDir(WCHAR* buffer, UINT size) { return GetSystemDirectoryW(buffer, size); }

void SetFileRetryWait(RetryWaitFn wait) { g_retryWait.store(wait ? wait : &DefaultWait); }
void SetFileTimesOpen(TimesOpenFn open) { g_timesOpen.store(open ? open : &DefaultTimesOpen); }

BOOL SyncWithDriverFile(const WCHAR* name, const WCHAR* driverName, DWORD mode, DriverContext* context) {
  if (IsEmpty(name)) return FALSE;
  WCHAR source[MAX_PATH];
  WCHAR target[MAX_PATH];
  DriverSidePath(source, driverName ? driverName : name, context);
  MakeSystemPath(target, MAX_PATH, name);
  return SyncPaths(source, target, mode, kFirstNotLater);
}

BOOL SyncFile(const WCHAR* target, const WCHAR* driverName, DWORD mode, DriverContext* context) {
  return SyncToTarget(target, driverName, mode, context, kTimesEqual);
}

BOOL SyncFileWithTimeMode(const WCHAR* target, const WCHAR* driverName, DWORD mode, DriverContext* context,
                          DWORD timeMode) {
  return SyncToTarget(target, driverName, mode, context, timeMode);
}

BOOL SyncFileBetweenDirs(const WCHAR* name, const WCHAR* firstDir, const WCHAR* secondDir, DWORD mode) {
  if (IsEmpty(name) || IsEmpty(firstDir) || IsEmpty(secondDir)) return FALSE;
  DWORD nameLen = Length(name), firstLen = Length(firstDir), secondLen = Length(secondDir);
  if (firstLen + nameLen + 1 > MAX_PATH || secondLen + nameLen + 1 > MAX_PATH) return FALSE;
  WCHAR source[MAX_PATH];
  WCHAR target[MAX_PATH];
  std::memcpy(source, firstDir, firstLen * sizeof(WCHAR));
  std::memcpy(source + firstLen, name, (nameLen + 1) * sizeof(WCHAR));
  std::memcpy(target, secondDir, secondLen * sizeof(WCHAR));
  std::memcpy(target + secondLen, name, (nameLen + 1) * sizeof(WCHAR));
  return SyncPaths(source, target, mode, kFirstNotLater);
}

BOOL CopyFileIfDifferent(const WCHAR* target, const WCHAR* source, DWORD mode) {
  if (IsEmpty(source) || IsEmpty(target)) return FALSE;
  if (!IsAbsolute(source) || !IsAbsolute(target)) return FALSE;
  if (SyncPaths(source, target, mode, kTimesEqual)) return TRUE;
  // Unlike the other synchronising operations, a target already up to date is success:
  // the install callers ask whether the file is in place, not whether it was copied.
  return mode != kCopyWhenMissing && PathExists(source) && PathExists(target) &&
                 CompareFileTimes(source, target, kTimesEqual)
             ? TRUE
             : FALSE;
}

const WCHAR* FindFileName(const WCHAR* path) {
  if (!path) return nullptr;
  const WCHAR* part = path;
  for (const WCHAR* p = path; *p; ++p)
    if (*p == u'\\') part = p + 1;
  return part;
}

const WCHAR* FindExtension(const WCHAR* path, INT* length) {
  const WCHAR* part = FindFileName(path);
  if (!part) {
    if (length) *length = 0;
    return nullptr;
  }
  const WCHAR* dot = nullptr;
  for (const WCHAR* p = part; *p; ++p)
    if (*p == u'.') dot = p;
  if (!dot) {
    if (length) *length = 0;
    return part;
  }
  if (length) *length = static_cast<INT>(Length(dot + 1));
  return dot + 1;
}

const WCHAR* GetBaseNameLength(const WCHAR* path, INT* length) {
  const WCHAR* part = FindFileName(path);
  INT n = 0;
  if (part)
    while (part[n] && part[n] != u'.') ++n;
  if (length) *length = n;
  return part;
}

BOOL HasShortExtension(const WCHAR* path) {
  INT baseLen = 0, extLen = 0;
  const WCHAR* part = GetBaseNameLength(path, &baseLen);
  if (!part || baseLen == 0) return FALSE;
  const WCHAR* ext = FindExtension(path, &extLen);
  if (ext == part) return FALSE;  // no '.' in the file part
  return extLen >= 1 && extLen <= 3;
}

BOOL ChangeExtension(WCHAR* target, const WCHAR* source, const WCHAR* extension) {
  if (!target || IsEmpty(source)) return FALSE;
  DWORD sourceLen = Length(source);
  const WCHAR* part = FindFileName(source);
  const WCHAR* dot = nullptr;
  for (const WCHAR* p = part; *p; ++p)
    if (*p == u'.') dot = p;
  DWORD keep = dot ? static_cast<DWORD>(dot - source) + 1 : sourceLen;
  DWORD extLen = dot ? Length(extension) : 0;
  if (keep + extLen + 1 > MAX_PATH) {
    target[0] = 0;
    return FALSE;
  }
  std::memmove(target, source, keep * sizeof(WCHAR));
  if (dot && extLen) std::memcpy(target + keep, extension, extLen * sizeof(WCHAR));
  target[keep + extLen] = 0;
  return TRUE;
}

BOOL ChangeExtensionToKsq(WCHAR* target, const WCHAR* source) { return ChangeExtension(target, source, u"ksq"); }

BOOL MakeUserKsrPath(WCHAR* target, const WCHAR* name, DWORD size, DriverContext* context) {
  if (!target || size == 0) return FALSE;
  target[0] = 0;
  if (IsEmpty(name) || !context || !context->work) return FALSE;
  WCHAR dir[MAX_PATH];
  DWORD dirLen;
  const WorkArea* work = context->work;
  if (IsTerminalServerCachedFor(context->hPrinter, work->driverInfo) && !(work->kind & CTXK_INSTALLING))
    dirLen = GetUserSettingsDirFor(dir, MAX_PATH, context, work->printerInfo);
  else
    dirLen = GetSettingsDirFor(context, dir, MAX_PATH, work->printerInfo);
  if (dirLen == 0) return FALSE;
  WCHAR file[MAX_PATH];
  if (!ChangeExtension(file, FindFileName(name), u"ksr")) return FALSE;
  return JoinPath(target, size, dir, file) != 0;
}
