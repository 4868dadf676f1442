// Inside the file services: the file object behind a file handle, the sharing-mode
// registry, and conversions shared by the file, find and mapping sources.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <memory>
#include <string>

#include "core/handles.h"
#include "win/files.h"

namespace plat {

// An open file or directory (ObjectKind::File). Owns its descriptor and its entry in the
// sharing registry; both are released when the last reference goes (CloseHandle).
class FileObject : public KernelObject {
 public:
  FileObject() = default;
  FileObject(const FileObject&) = delete;
  FileObject& operator=(const FileObject&) = delete;
  ~FileObject() override;
  ObjectKind Kind() const override { return ObjectKind::File; }

  int fd = -1;
  int shareFd = -1;          // descriptor of the sharing lock file; -1 when not registered
  std::string sharePath;     // host path of that lock file
  DWORD access = 0;          // granted access, generic rights mapped to file rights
  DWORD share = 0;           // FILE_SHARE_* of this open
  DWORD flags = 0;           // FILE_FLAG_* given at open
  bool directory = false;
  bool archiveChecked = false;  // the archive bit was made sure of after a first write
  std::string hostPath;      // host path at open time
  dev_t dev = 0;
  ino_t ino = 0;

  bool CanRead() const { return (access & FILE_READ_DATA) != 0; }
  bool CanWrite() const { return (access & (FILE_WRITE_DATA | FILE_APPEND_DATA)) != 0; }
};

// Generic rights (GENERIC_READ...) mapped to the specific rights of a file.
DWORD MapGenericFileAccess(DWORD access);

// Opens a Windows path with CreateFileW's semantics. On success *existed tells whether the
// file was there before. Answers a Windows error code.
DWORD OpenFileObject(const WCHAR* winPath, DWORD access, DWORD share, DWORD disposition, DWORD flagsAndAttributes,
                     std::shared_ptr<FileObject>& out, bool* existed);
// Registers an open of an existing host file in the sharing registry (shared by every
// process of the root). ERROR_SHARING_VIOLATION when it conflicts with another open.
DWORD AcquireShare(FileObject& file);

// Whether a use of an existing file that lasts one call (reading or writing it with
// FILE_SHARE_READ | FILE_SHARE_WRITE) conflicts with an open that holds the file now, without
// registering the use: ERROR_SHARING_VIOLATION when it does. Such a use blocks no later open.
DWORD CheckShareOfMomentaryUse(dev_t dev, ino_t ino, bool write);

// True while a mapping object or view of this process maps the file (it cannot then be
// cut shorter: ERROR_USER_MAPPED_FILE).
bool IsFileMapped(dev_t dev, ino_t ino);

// The file object of a handle; sets ERROR_INVALID_HANDLE and answers null otherwise.
std::shared_ptr<FileObject> FileFromHandle(HANDLE h);

// Error of a missing host path: ERROR_FILE_NOT_FOUND when its folder exists,
// ERROR_PATH_NOT_FOUND otherwise.
DWORD MissingPathError(const std::string& hostPath);
// errno of a host call as a Windows error code.
DWORD ErrnoToWin(int err);
// Host folder of a host path (the part before the last '/').
std::string HostParent(const std::string& hostPath);

// FILETIME (100 ns since 1601-01-01 UTC) and host times.
constexpr LONGLONG kFileTimeUnixEpoch = 116444736000000000LL;
FILETIME ToFileTime(const struct timespec& ts);
ULONGLONG FileTimeValue(const FILETIME& ft);
FILETIME MakeFileTime(ULONGLONG value);
struct timespec FileTimeToTimespec(const FILETIME& ft);
// Creation time of a host file: its birth time where the file system keeps one, else
// its last-write time.
struct timespec CreationTimeOf(int fd, const std::string& hostPath, const struct stat& st);

// Attributes, times and size of a host file in the shape of WIN32_FILE_ATTRIBUTE_DATA.
void FillAttributeData(const std::string& hostPath, const struct stat& st, int fd, WIN32_FILE_ATTRIBUTE_DATA& out);
// Stats a host path in one call, birth time included (the last-write time where the file
// system keeps none). False with errno set when the path cannot be stat'ed.
bool StatWithBirth(const std::string& hostPath, struct stat& st, struct timespec& birth);
// FillAttributeData with a creation time already known.
void FillAttributeData(const struct stat& st, const struct timespec& birth, WIN32_FILE_ATTRIBUTE_DATA& out);

// A stat taken while a path is mapped: found tells whether the mapped path could be
// stat'ed there; when not, the caller asks again (the path may still exist under another
// case, or be a link whose target is gone).
struct StatProbe {
  bool found = false;
  struct stat st {};
  struct timespec birth {};
};
// MapPath that stats the path as written on the way (one system call when it exists).
DWORD MapPathAndStat(const WCHAR* winPath, std::string& hostPath, StatProbe& probe);

}  // namespace plat
