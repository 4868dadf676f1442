// File utilities of the driver: presence, deletion, copying with one rule for being up to
// date (the last-write time), synchronising copies of driver files, and cutting names.
#pragma once

#include "win/types.h"

struct DriverContext;

// Time modes of CompareFileTimes.
constexpr DWORD kTimesEqual = 0;       // the two last-write times are equal
constexpr DWORD kFirstNotLater = 1;    // the first's time is earlier than or equal to the second's

// Copy modes of the synchronising operations.
constexpr DWORD kCopyWhenMissing = 1;  // any other mode refreshes an out-of-date target

// Present unless opening fails with "path not found" or "file not found" (a file another
// process holds exclusively counts as present); a null path is absent.
BOOL PathExists(const WCHAR* path);
// Clears the attributes and deletes. Answers 1 once the attributes could be cleared, also
// when the delete itself fails: callers rely on that. DeleteFileChecked tells the outcome.
BOOL DeleteFileForce(const WCHAR* path);
// As DeleteFileForce, answering 1 only when the file is really gone.
BOOL DeleteFileChecked(const WCHAR* path);
// Deletes every file matching "<dir>\<wildcard>"; 1 when at least one could be prepared.
BOOL DeleteFilesInDir(const WCHAR* pattern);
// CopyFileW, then the target's attributes NORMAL and then ARCHIVE; 1 when all three succeed.
BOOL CopyFileNormal(const WCHAR* source, const WCHAR* target, BOOL failIfExists);
// Removes the read-only attribute when set; always 1.
BOOL ClearReadOnly(const WCHAR* path);
// 1 when both files open and their last-write times meet the time mode. A file held by
// another process is retried every 100 ms, at most 1000 times.
BOOL CompareFileTimes(const WCHAR* first, const WCHAR* second, DWORD timeMode);
// CreateDirectoryW; an existing directory counts as success.
BOOL CreateDirectoryOk(const WCHAR* path);
// Reads n bytes; the count read, or -1 when the read fails.
INT ReadFileBytes(HANDLE file, void* buffer, DWORD n);
UINT GetSystemDir(WCHAR* buffer, UINT size);

// The wait between two tries of a sharing-violation retry (Sleep by default; tests put
// their own in so that they don't wait). Null restores the default.
using RetryWaitFn = void (*)(DWORD milliseconds);
void SetFileRetryWait(RetryWaitFn wait);
// The open that CompareFileTimes retries (CreateFileW for no access, read sharing,
// OPEN_EXISTING by default). An open for no access meets no sharing violation on a plain
// file, so tests put their own in to exercise the retry. Null restores the default.
using TimesOpenFn = HANDLE (*)(const WCHAR* path);
void SetFileTimesOpen(TimesOpenFn open);

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

// Names.
const WCHAR* FindFileName(const WCHAR* path);
const WCHAR* FindExtension(const WCHAR* path, INT* length);
const WCHAR* GetBaseNameLength(const WCHAR* path, INT* length);
BOOL HasShortExtension(const WCHAR* path);
// Copies the source into the target (MAX_PATH characters) with the characters after the
// last '.' of its file part replaced by the extension; 0 for a null or empty source or a
// result that would not fit.
BOOL ChangeExtension(WCHAR* target, const WCHAR* source, const WCHAR* extension);
BOOL ChangeExtensionToKsq(WCHAR* target, const WCHAR* source);
// The directory of the context's per-printer files, "\" and the name's file part with the
// extension "ksr".
BOOL MakeUserKsrPath(WCHAR* target, const WCHAR* name, DWORD size, DriverContext* context);
