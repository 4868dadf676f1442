#include "base/file_ops.h"

#include <cstring>

#include "base/file_names.h"
#include "base/wide_text.h"
#include "win/errors.h"
#include "win/files.h"
#include "win/kernel.h"

namespace {

bool IsEmpty(const WCHAR* s) { return !s || !s[0]; }

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
    DWORD nameLen = static_cast<DWORD>(WideLength(data.cFileName));
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
