// Files of the driver: presence, deletion, copying with normal attributes, directories and
// reads.
#pragma once

#include "win/types.h"

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
// CreateDirectoryW; an existing directory counts as success.
BOOL CreateDirectoryOk(const WCHAR* path);
// Reads n bytes; the count read, or -1 when the read fails.
INT ReadFileBytes(HANDLE file, void* buffer, DWORD n);
UINT GetSystemDir(WCHAR* buffer, UINT size);
