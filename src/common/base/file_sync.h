// Synchronising copies of driver files with the driver directory's copy or between two
// directories.
#pragma once

#include "base/file_times.h"
#include "win/types.h"

struct DriverContext;

// Copy modes of the synchronising operations.
constexpr DWORD kCopyWhenMissing = 1;  // any other mode refreshes an out-of-date target

// Bringing a file in line with the driver directory's copy. Answers: 0 for an empty path;
// 1 for equal paths; mode 1 copies a missing target; other modes copy when the source is
// not up to date with respect to the target (deleting the old target first) and answer the
// copy's result, or 0 when nothing was copied.
BOOL SyncWithDriverFile(const WCHAR* name, const WCHAR* driverName, DWORD mode, DriverContext* context);
BOOL SyncFile(const WCHAR* target, const WCHAR* driverName, DWORD mode, DriverContext* context);
BOOL SyncFileWithTimeMode(const WCHAR* target, const WCHAR* driverName, DWORD mode, DriverContext* context,
                          DWORD timeMode);
BOOL SyncFileBetweenDirs(const WCHAR* name, const WCHAR* firstDir, const WCHAR* secondDir, DWORD mode);
// Both paths absolute: as SyncFileBetweenDirs for the two files, but a target that is
// already up to date with an existing source answers 1 (nothing was needed).
BOOL CopyFileIfDifferent(const WCHAR* target, const WCHAR* source, DWORD mode);
