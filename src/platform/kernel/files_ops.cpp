// Operations on files by name: attributes, copy, move, delete, directories.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "kernel/attributes.h"
#include "plat/codepage.h"
#include "kernel/files_internal.h"
#include "plat/paths.h"
#include "plat/system.h"
#include "plat/wstr.h"
#include "../core/absent_paths.h"
#include "../core/store_changes.h"
#include "win/errors.h"

namespace plat {
namespace {

BOOL Fail(DWORD err) {
  SetLastError(err);
  return FALSE;
}

// The attribute query's failure: the error set and no attributes.
DWORD NoAttributes(DWORD err) {
  SetLastError(err);
  return INVALID_FILE_ATTRIBUTES;
}

// Maps a path and stats it. Answers ERROR_SUCCESS with *found false for a missing file
// whose folder exists (the caller decides), or the error of a bad or unreachable path.
DWORD MapAndStat(LPCWSTR path, std::string& host, struct stat& st, bool& found) {
  found = false;
  if (!path) return ERROR_INVALID_PARAMETER;
  DWORD err = MapPath(path, host);
  if (err != ERROR_SUCCESS) return err;
  if (::stat(host.c_str(), &st) == 0) {
    found = true;
    return ERROR_SUCCESS;
  }
  if (errno == ENOTDIR) return ERROR_PATH_NOT_FOUND;
  if (errno != ENOENT) return ErrnoToWin(errno);
  return MissingPathError(host) == ERROR_PATH_NOT_FOUND ? ERROR_PATH_NOT_FOUND : ERROR_SUCCESS;
}

DWORD OpenForDelete(LPCWSTR path, std::shared_ptr<FileObject>& holder) {
  return OpenFileObject(path, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                        FILE_FLAG_BACKUP_SEMANTICS, holder, nullptr);
}

bool HasAttribute(const std::string& host, const struct stat& st, DWORD bit) {
  return (StoredAttributes(host, st) & bit) != 0;
}

std::u16string Wide(LPCSTR s) { return AnsiToWide(s, 0); }

DWORD CopyContents(int from, int to) {
  std::vector<char> buf(1 << 16);
  if (::lseek(from, 0, SEEK_SET) < 0) return ErrnoToWin(errno);
  for (;;) {
    ssize_t n = ::read(from, buf.data(), buf.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return ERROR_READ_FAULT;
    if (n == 0) return ERROR_SUCCESS;
    ssize_t done = 0;
    while (done < n) {
      ssize_t w = ::write(to, buf.data() + done, static_cast<std::size_t>(n - done));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) return (w < 0 && errno != ENOSPC && errno != EDQUOT) ? ERROR_WRITE_FAULT : ERROR_DISK_FULL;
      done += w;
    }
  }
}

DWORD CopyFileImpl(LPCWSTR source, LPCWSTR target, bool failIfExists) {
  if (!source || !target) return ERROR_INVALID_PARAMETER;
  std::shared_ptr<FileObject> src;
  DWORD err = OpenFileObject(source, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, OPEN_EXISTING, 0, src, nullptr);
  if (err != ERROR_SUCCESS) return err;
  struct stat srcSt;
  if (::fstat(src->fd, &srcSt) != 0) return ErrnoToWin(errno);
  DWORD srcBits = StoredAttributes(src->hostPath, srcSt);

  std::string dstHost;
  struct stat dstSt;
  bool dstFound = false;
  err = MapAndStat(target, dstHost, dstSt, dstFound);
  if (err != ERROR_SUCCESS) return err;
  if (dstFound) {
    if (failIfExists) return ERROR_FILE_EXISTS;
    if (S_ISDIR(dstSt.st_mode)) return ERROR_ACCESS_DENIED;
    if (StoredAttributes(dstHost, dstSt) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN)) return ERROR_ACCESS_DENIED;
  }
  std::shared_ptr<FileObject> dst;
  err = OpenFileObject(target, GENERIC_WRITE, 0, failIfExists ? CREATE_NEW : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, dst,
                       nullptr);
  if (err != ERROR_SUCCESS) return err;
  err = CopyContents(src->fd, dst->fd);
  struct stat outSt;
  if (err == ERROR_SUCCESS) {
    // The copy keeps the source's last-write time; its last access is now.
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_NOW;
    times[1] = srcSt.st_mtim;
    if (::futimens(dst->fd, times) != 0) err = ErrnoToWin(errno);
  }
  if (err == ERROR_SUCCESS && ::fstat(dst->fd, &outSt) != 0) err = ErrnoToWin(errno);
  if (err == ERROR_SUCCESS && !StoreAttributes(dst->hostPath, outSt, srcBits)) err = ERROR_ACCESS_DENIED;
  if (err != ERROR_SUCCESS) {
    // A failed copy leaves no partial target behind.
    ::unlink(dst->hostPath.c_str());
    ForgetAttributes(dst->hostPath);
  }
  return err;
}

DWORD MoveFileImpl(LPCWSTR source, LPCWSTR target, DWORD flags) {
  if (!source || !target) return ERROR_INVALID_PARAMETER;
  if (flags & (MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_CREATE_HARDLINK)) return ERROR_INVALID_PARAMETER;
  std::string srcHost;
  struct stat srcSt;
  bool found = false;
  DWORD err = MapAndStat(source, srcHost, srcSt, found);
  if (err != ERROR_SUCCESS) return err;
  if (!found) return ERROR_FILE_NOT_FOUND;
  std::u16string srcFull, dstFull;
  if ((err = FullWindowsPath(source, srcFull)) != ERROR_SUCCESS) return err;
  if ((err = FullWindowsPath(target, dstFull)) != ERROR_SUCCESS) return err;
  bool isDir = S_ISDIR(srcSt.st_mode);
  if (srcFull.size() <= 3) return ERROR_ACCESS_DENIED;  // a drive's root
  if (FoldCase(srcFull[0]) != FoldCase(dstFull[0]) && (isDir || !(flags & MOVEFILE_COPY_ALLOWED)))
    return ERROR_NOT_SAME_DEVICE;

  std::string dstHost;
  struct stat dstSt;
  bool dstFound = false;
  err = MapAndStat(target, dstHost, dstSt, dstFound);
  if (err != ERROR_SUCCESS) return err;

  std::shared_ptr<FileObject> srcHold;
  if ((err = OpenForDelete(source, srcHold)) != ERROR_SUCCESS) return err;

  std::shared_ptr<FileObject> dstHold;
  if (dstFound && dstSt.st_dev == srcSt.st_dev && dstSt.st_ino == srcSt.st_ino) {
    // The same file under another spelling: only the case of the name changes.
    std::size_t cut = dstFull.rfind(u'\\');
    dstHost = HostParent(dstHost) + "/" + ToUtf8(dstFull.substr(cut + 1));
    if (dstHost == srcHost) return ERROR_SUCCESS;
  } else if (dstFound) {
    if (!(flags & MOVEFILE_REPLACE_EXISTING)) return ERROR_ALREADY_EXISTS;
    if (isDir || S_ISDIR(dstSt.st_mode)) return ERROR_ACCESS_DENIED;
    if (HasAttribute(dstHost, dstSt, FILE_ATTRIBUTE_READONLY)) return ERROR_ACCESS_DENIED;
    if ((err = OpenForDelete(target, dstHold)) != ERROR_SUCCESS) return err;
  }
  if (::rename(srcHost.c_str(), dstHost.c_str()) != 0) {
    int e = errno;
    if (e == EINVAL) return ERROR_SHARING_VIOLATION;  // a folder into its own subtree
    return ErrnoToWin(e);
  }
  RenameAttributes(srcHost, dstHost);
  plat::absent::NoteCreated();
  plat::changes::Bump(plat::changes::Store::FileWrites);
  return ERROR_SUCCESS;
}

DWORD DeleteFileImpl(LPCWSTR path) {
  std::string host;
  struct stat st;
  bool found = false;
  DWORD err = MapAndStat(path, host, st, found);
  if (err != ERROR_SUCCESS) return err;
  if (!found) return ERROR_FILE_NOT_FOUND;
  if (S_ISDIR(st.st_mode)) return ERROR_ACCESS_DENIED;
  if (HasAttribute(host, st, FILE_ATTRIBUTE_READONLY)) return ERROR_ACCESS_DENIED;
  if (IsFileMapped(st.st_dev, st.st_ino)) return ERROR_ACCESS_DENIED;
  std::shared_ptr<FileObject> hold;
  if ((err = OpenForDelete(path, hold)) != ERROR_SUCCESS) return err;
  if (::unlink(host.c_str()) != 0) return ErrnoToWin(errno);
  ForgetAttributes(host);
  plat::changes::Bump(plat::changes::Store::FileWrites);
  return ERROR_SUCCESS;
}

DWORD CreateDirectoryImpl(LPCWSTR path) {
  if (!path) return ERROR_INVALID_PARAMETER;
  std::string host;
  DWORD err = MapPath(path, host);
  if (err != ERROR_SUCCESS) return err;
  if (::mkdir(host.c_str(), 0777) != 0) {
    if (errno == EEXIST) return ERROR_ALREADY_EXISTS;
    if (errno == ENOENT || errno == ENOTDIR) return ERROR_PATH_NOT_FOUND;
    return ErrnoToWin(errno);
  }
  plat::absent::NoteCreated();
  return ERROR_SUCCESS;
}

DWORD RemoveDirectoryImpl(LPCWSTR path) {
  std::string host;
  struct stat st;
  bool found = false;
  DWORD err = MapAndStat(path, host, st, found);
  if (err != ERROR_SUCCESS) return err;
  if (!found) return ERROR_FILE_NOT_FOUND;
  if (!S_ISDIR(st.st_mode)) return ERROR_DIRECTORY;
  std::u16string full;
  if ((err = FullWindowsPath(path, full)) != ERROR_SUCCESS) return err;
  if (full.size() <= 3) return ERROR_ACCESS_DENIED;  // a drive's root
  if (HasAttribute(host, st, FILE_ATTRIBUTE_READONLY)) return ERROR_ACCESS_DENIED;
  std::string cwdHost;
  std::u16string cwd = CurrentDirectory();
  if (MapPath(cwd.c_str(), cwdHost) == ERROR_SUCCESS) {
    struct stat cst;
    if (::stat(cwdHost.c_str(), &cst) == 0 && cst.st_dev == st.st_dev && cst.st_ino == st.st_ino)
      return ERROR_SHARING_VIOLATION;  // the process keeps its current directory open
  }
  std::shared_ptr<FileObject> hold;
  if ((err = OpenForDelete(path, hold)) != ERROR_SUCCESS) return err;
  if (::rmdir(host.c_str()) != 0) return errno == ENOTEMPTY || errno == EEXIST ? ERROR_DIR_NOT_EMPTY : ErrnoToWin(errno);
  ForgetAttributes(host);
  return ERROR_SUCCESS;
}

template <class F>
BOOL Run(F body) {
  try {
    DWORD err = body();
    if (err != ERROR_SUCCESS) return Fail(err);
    return TRUE;
  } catch (...) {
    return Fail(ERROR_NOT_ENOUGH_MEMORY);
  }
}

}  // namespace
}  // namespace plat

using namespace plat;

KOVA_EXPORT DWORD GetFileAttributesW(LPCWSTR lpFileName) {
  try {
    std::string host;
    struct stat st;
    bool found = false;
    DWORD err = MapAndStat(lpFileName, host, st, found);
    if (err == ERROR_SUCCESS && !found) err = ERROR_FILE_NOT_FOUND;
    if (err != ERROR_SUCCESS) return NoAttributes(err);
    return ReportedAttributes(host, st);
  } catch (...) {
    return NoAttributes(ERROR_NOT_ENOUGH_MEMORY);
  }
}

KOVA_EXPORT DWORD GetFileAttributesA(LPCSTR lpFileName) {
  if (!lpFileName) return NoAttributes(ERROR_INVALID_PARAMETER);
  try {
    return GetFileAttributesW(Wide(lpFileName).c_str());
  } catch (...) {
    return NoAttributes(ERROR_NOT_ENOUGH_MEMORY);
  }
}

KOVA_EXPORT BOOL GetFileAttributesExW(LPCWSTR lpFileName, GET_FILEEX_INFO_LEVELS fInfoLevelId, LPVOID lpFileInformation) {
  return Run([&]() -> DWORD {
    if (fInfoLevelId != GetFileExInfoStandard || !lpFileInformation) return ERROR_INVALID_PARAMETER;
    if (!lpFileName) return ERROR_INVALID_PARAMETER;
    std::string host;
    // The path's stat and birth time come with its mapping: one system call when the path
    // exists as written.
    StatProbe probe;
    DWORD err = MapPathAndStat(lpFileName, host, probe);
    if (err != ERROR_SUCCESS) return err;
    struct stat& st = probe.st;
    struct timespec& birth = probe.birth;
    if (!probe.found && !StatWithBirth(host, st, birth)) {
      if (errno == ENOTDIR) return ERROR_PATH_NOT_FOUND;
      if (errno != ENOENT) return ErrnoToWin(errno);
      return MissingPathError(host) == ERROR_PATH_NOT_FOUND ? ERROR_PATH_NOT_FOUND : ERROR_FILE_NOT_FOUND;
    }
    WIN32_FILE_ATTRIBUTE_DATA data{};
    FillAttributeData(st, birth, data);
    data.dwFileAttributes = ReportedAttributes(host, st);
    *static_cast<WIN32_FILE_ATTRIBUTE_DATA*>(lpFileInformation) = data;
    return ERROR_SUCCESS;
  });
}

// FILE_ATTRIBUTE_NORMAL (or no bit) clears every attribute; otherwise the settable bits
// replace the old ones. A directory keeps FILE_ATTRIBUTE_DIRECTORY.
KOVA_EXPORT BOOL SetFileAttributesW(LPCWSTR lpFileName, DWORD dwFileAttributes) {
  return Run([&]() -> DWORD {
    std::string host;
    struct stat st;
    bool found = false;
    DWORD err = MapAndStat(lpFileName, host, st, found);
    if (err != ERROR_SUCCESS) return err;
    if (!found) return ERROR_FILE_NOT_FOUND;
    if (!StoreAttributes(host, st, dwFileAttributes & kStorableAttributes)) return ERROR_ACCESS_DENIED;
    return ERROR_SUCCESS;
  });
}

KOVA_EXPORT BOOL SetFileAttributesA(LPCSTR lpFileName, DWORD dwFileAttributes) {
  return Run([&]() -> DWORD {
    if (!lpFileName) return ERROR_INVALID_PARAMETER;
    if (!SetFileAttributesW(Wide(lpFileName).c_str(), dwFileAttributes)) return GetLastError();
    return ERROR_SUCCESS;
  });
}

KOVA_EXPORT BOOL CopyFileW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, BOOL bFailIfExists) {
  return Run([&] { return CopyFileImpl(lpExistingFileName, lpNewFileName, bFailIfExists != FALSE); });
}

KOVA_EXPORT BOOL CopyFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, BOOL bFailIfExists) {
  return Run([&]() -> DWORD {
    if (!lpExistingFileName || !lpNewFileName) return ERROR_INVALID_PARAMETER;
    return CopyFileImpl(Wide(lpExistingFileName).c_str(), Wide(lpNewFileName).c_str(), bFailIfExists != FALSE);
  });
}

KOVA_EXPORT BOOL MoveFileExW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, DWORD dwFlags) {
  return Run([&] { return MoveFileImpl(lpExistingFileName, lpNewFileName, dwFlags); });
}

KOVA_EXPORT BOOL MoveFileW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName) {
  return Run([&] { return MoveFileImpl(lpExistingFileName, lpNewFileName, MOVEFILE_COPY_ALLOWED); });
}

KOVA_EXPORT BOOL MoveFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName) {
  return Run([&]() -> DWORD {
    if (!lpExistingFileName || !lpNewFileName) return ERROR_INVALID_PARAMETER;
    return MoveFileImpl(Wide(lpExistingFileName).c_str(), Wide(lpNewFileName).c_str(), MOVEFILE_COPY_ALLOWED);
  });
}

KOVA_EXPORT BOOL DeleteFileW(LPCWSTR lpFileName) {
  return Run([&] { return DeleteFileImpl(lpFileName); });
}

KOVA_EXPORT BOOL DeleteFileA(LPCSTR lpFileName) {
  return Run([&]() -> DWORD {
    if (!lpFileName) return ERROR_INVALID_PARAMETER;
    return DeleteFileImpl(Wide(lpFileName).c_str());
  });
}

KOVA_EXPORT BOOL CreateDirectoryW(LPCWSTR lpPathName, LPSECURITY_ATTRIBUTES lpSecurityAttributes) {
  (void)lpSecurityAttributes;
  return Run([&] { return CreateDirectoryImpl(lpPathName); });
}

KOVA_EXPORT BOOL CreateDirectoryA(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES lpSecurityAttributes) {
  (void)lpSecurityAttributes;
  return Run([&]() -> DWORD {
    if (!lpPathName) return ERROR_INVALID_PARAMETER;
    return CreateDirectoryImpl(Wide(lpPathName).c_str());
  });
}

KOVA_EXPORT BOOL RemoveDirectoryW(LPCWSTR lpPathName) {
  return Run([&] { return RemoveDirectoryImpl(lpPathName); });
}

KOVA_EXPORT BOOL RemoveDirectoryA(LPCSTR lpPathName) {
  return Run([&]() -> DWORD {
    if (!lpPathName) return ERROR_INVALID_PARAMETER;
    return RemoveDirectoryImpl(Wide(lpPathName).c_str());
  });
}
