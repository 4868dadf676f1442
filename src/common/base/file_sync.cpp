#include "base/file_sync.h"

#include <cstring>

#include "base/driver_context.h"
#include "base/file_names.h"
#include "base/file_ops.h"
#include "base/paths_and_names.h"
#include "base/wide_text.h"
#include "win/kernel.h"

namespace {

bool IsEmpty(const WCHAR* s) { return !s || !s[0]; }

bool IsAbsolute(const WCHAR* path) { return path && path[0] && path[1] == u':'; }

bool EqualNoCase(const WCHAR* a, const WCHAR* b) { return lstrcmpiW(a, b) == 0; }

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
  DWORD nameLen = static_cast<DWORD>(WideLength(name));
  DWORD firstLen = static_cast<DWORD>(WideLength(firstDir));
  DWORD secondLen = static_cast<DWORD>(WideLength(secondDir));
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
