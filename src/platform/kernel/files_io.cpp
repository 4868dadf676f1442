// Reading and writing through file handles: transfers, the file pointer, the end of file,
// sizes, the information record and the times of an open file.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>

#include "kernel/attributes.h"
#include "kernel/files_internal.h"
#include "core/store_changes.h"
#include "win/errors.h"

namespace plat {
namespace {

// A write sets the archive attribute, as on Windows; the store is consulted once per handle.
void MarkArchived(FileObject& f) {
  if (f.archiveChecked) return;
  f.archiveChecked = true;
  struct stat st;
  if (::fstat(f.fd, &st) != 0) return;
  DWORD bits = StoredAttributes(f.hostPath, st);
  if (!(bits & FILE_ATTRIBUTE_ARCHIVE)) StoreAttributes(f.hostPath, st, bits | FILE_ATTRIBUTE_ARCHIVE);
}

// Moves the pointer of an open file; answers a Windows error code and the new position.
DWORD Seek(FileObject& f, LONGLONG distance, DWORD method, LONGLONG& newPos, bool limit32) {
  LONGLONG base = 0;
  switch (method) {
    case FILE_BEGIN: base = 0; break;
    case FILE_CURRENT: {
      off_t cur = ::lseek(f.fd, 0, SEEK_CUR);
      if (cur < 0) return ErrnoToWin(errno);
      base = cur;
      break;
    }
    case FILE_END: {
      struct stat st;
      if (::fstat(f.fd, &st) != 0) return ErrnoToWin(errno);
      base = st.st_size;
      break;
    }
    default: return ERROR_INVALID_PARAMETER;
  }
  if ((distance > 0 && base > std::numeric_limits<LONGLONG>::max() - distance)) return ERROR_INVALID_PARAMETER;
  LONGLONG pos = base + distance;
  if (pos < 0) return ERROR_NEGATIVE_SEEK;
  if (limit32 && pos > 0xFFFFFFFFLL) return ERROR_INVALID_PARAMETER;
  if (f.directory) {
    newPos = pos;
    return ERROR_SUCCESS;
  }
  if (::lseek(f.fd, static_cast<off_t>(pos), SEEK_SET) < 0) return ErrnoToWin(errno);
  newPos = pos;
  return ERROR_SUCCESS;
}

BOOL Fail(DWORD err) {
  SetLastError(err);
  return FALSE;
}

}  // namespace
}  // namespace plat

using namespace plat;

KOVA_EXPORT BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
                          LPOVERLAPPED lpOverlapped) {
  try {
    if (lpNumberOfBytesRead) *lpNumberOfBytesRead = 0;
    auto f = FileFromHandle(hFile);
    if (!f) return FALSE;
    if (!lpNumberOfBytesRead && !lpOverlapped) return Fail(ERROR_INVALID_PARAMETER);
    if (!lpBuffer && nNumberOfBytesToRead) return Fail(ERROR_INVALID_PARAMETER);
    if (f->directory) return Fail(ERROR_INVALID_FUNCTION);
    if (!f->CanRead()) return Fail(ERROR_ACCESS_DENIED);
    if (lpOverlapped) {
      ULONGLONG off = (static_cast<ULONGLONG>(lpOverlapped->u.s.OffsetHigh) << 32) | lpOverlapped->u.s.Offset;
      if (off > static_cast<ULONGLONG>(std::numeric_limits<off_t>::max())) return Fail(ERROR_INVALID_PARAMETER);
      if (::lseek(f->fd, static_cast<off_t>(off), SEEK_SET) < 0) return Fail(ErrnoToWin(errno));
    }
    auto* p = static_cast<char*>(lpBuffer);
    DWORD done = 0;
    while (done < nNumberOfBytesToRead) {
      ssize_t n = ::read(f->fd, p + done, nNumberOfBytesToRead - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        if (lpNumberOfBytesRead) *lpNumberOfBytesRead = done;
        return Fail(errno == EISDIR ? ERROR_INVALID_FUNCTION : ERROR_READ_FAULT);
      }
      if (n == 0) break;
      done += static_cast<DWORD>(n);
    }
    if (lpNumberOfBytesRead) *lpNumberOfBytesRead = done;
    if (lpOverlapped) lpOverlapped->InternalHigh = done;
    return TRUE;
  } catch (...) {
    return Fail(ERROR_NOT_ENOUGH_MEMORY);
  }
}

KOVA_EXPORT BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
                           LPOVERLAPPED lpOverlapped) {
  try {
    if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = 0;
    auto f = FileFromHandle(hFile);
    if (!f) return FALSE;
    if (!lpNumberOfBytesWritten && !lpOverlapped) return Fail(ERROR_INVALID_PARAMETER);
    if (!lpBuffer && nNumberOfBytesToWrite) return Fail(ERROR_INVALID_PARAMETER);
    if (f->directory) return Fail(ERROR_INVALID_FUNCTION);
    if (!f->CanWrite()) return Fail(ERROR_ACCESS_DENIED);
    if (!(f->access & FILE_WRITE_DATA)) {
      if (::lseek(f->fd, 0, SEEK_END) < 0) return Fail(ErrnoToWin(errno));  // append-only handle
    } else if (lpOverlapped) {
      ULONGLONG off = (static_cast<ULONGLONG>(lpOverlapped->u.s.OffsetHigh) << 32) | lpOverlapped->u.s.Offset;
      if (off == 0xFFFFFFFFFFFFFFFFull) {
        if (::lseek(f->fd, 0, SEEK_END) < 0) return Fail(ErrnoToWin(errno));
      } else {
        if (off > static_cast<ULONGLONG>(std::numeric_limits<off_t>::max())) return Fail(ERROR_INVALID_PARAMETER);
        if (::lseek(f->fd, static_cast<off_t>(off), SEEK_SET) < 0) return Fail(ErrnoToWin(errno));
      }
    }
    const auto* p = static_cast<const char*>(lpBuffer);
    DWORD done = 0;
    while (done < nNumberOfBytesToWrite) {
      ssize_t n = ::write(f->fd, p + done, nNumberOfBytesToWrite - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        int e = n < 0 ? errno : ENOSPC;
        if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = done;
        return Fail(e == ENOSPC || e == EDQUOT ? ERROR_DISK_FULL : e == EFBIG ? ERROR_FILE_TOO_LARGE : ERROR_WRITE_FAULT);
      }
      done += static_cast<DWORD>(n);
    }
    if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = done;
    if (lpOverlapped) lpOverlapped->InternalHigh = done;
    if (done) MarkArchived(*f);
    plat::changes::Bump(plat::changes::Store::FileWrites);
    return TRUE;
  } catch (...) {
    return Fail(ERROR_NOT_ENOUGH_MEMORY);
  }
}

KOVA_EXPORT DWORD SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh, DWORD dwMoveMethod) {
  auto f = FileFromHandle(hFile);
  if (!f) return INVALID_SET_FILE_POINTER;
  LONGLONG distance = lDistanceToMove;
  if (lpDistanceToMoveHigh)
    distance = static_cast<LONGLONG>((static_cast<ULONGLONG>(static_cast<DWORD>(*lpDistanceToMoveHigh)) << 32) |
                                     static_cast<DWORD>(lDistanceToMove));
  LONGLONG pos = 0;
  DWORD err = Seek(*f, distance, dwMoveMethod, pos, lpDistanceToMoveHigh == nullptr);
  if (err != ERROR_SUCCESS) {
    SetLastError(err);
    return INVALID_SET_FILE_POINTER;
  }
  if (lpDistanceToMoveHigh) *lpDistanceToMoveHigh = static_cast<LONG>(static_cast<ULONGLONG>(pos) >> 32);
  DWORD low = static_cast<DWORD>(pos & 0xFFFFFFFF);
  if (low == INVALID_SET_FILE_POINTER) SetLastError(NO_ERROR);  // tells a real position from a failure
  return low;
}

KOVA_EXPORT BOOL SetFilePointerEx(HANDLE hFile, LARGE_INTEGER liDistanceToMove, PLARGE_INTEGER lpNewFilePointer,
                                  DWORD dwMoveMethod) {
  auto f = FileFromHandle(hFile);
  if (!f) return FALSE;
  LONGLONG pos = 0;
  DWORD err = Seek(*f, liDistanceToMove.QuadPart, dwMoveMethod, pos, false);
  if (err != ERROR_SUCCESS) return Fail(err);
  if (lpNewFilePointer) lpNewFilePointer->QuadPart = pos;
  return TRUE;
}

KOVA_EXPORT BOOL SetEndOfFile(HANDLE hFile) {
  auto f = FileFromHandle(hFile);
  if (!f) return FALSE;
  if (f->directory) return Fail(ERROR_INVALID_FUNCTION);
  if (!(f->access & FILE_WRITE_DATA)) return Fail(ERROR_ACCESS_DENIED);
  off_t cur = ::lseek(f->fd, 0, SEEK_CUR);
  if (cur < 0) return Fail(ErrnoToWin(errno));
  struct stat st;
  if (::fstat(f->fd, &st) != 0) return Fail(ErrnoToWin(errno));
  if (cur < st.st_size && IsFileMapped(f->dev, f->ino)) return Fail(ERROR_USER_MAPPED_FILE);
  if (::ftruncate(f->fd, cur) != 0) return Fail(errno == ENOSPC ? ERROR_DISK_FULL : ErrnoToWin(errno));
  MarkArchived(*f);
  return TRUE;
}

KOVA_EXPORT BOOL FlushFileBuffers(HANDLE hFile) {
  auto f = FileFromHandle(hFile);
  if (!f) return FALSE;
  if (!f->CanWrite()) return Fail(ERROR_ACCESS_DENIED);
  if (::fdatasync(f->fd) != 0 && errno != EINVAL) return Fail(ErrnoToWin(errno));
  return TRUE;
}

KOVA_EXPORT DWORD GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh) {
  auto f = FileFromHandle(hFile);
  if (!f) return INVALID_FILE_SIZE;
  struct stat st;
  if (::fstat(f->fd, &st) != 0) {
    SetLastError(ErrnoToWin(errno));
    return INVALID_FILE_SIZE;
  }
  ULONGLONG size = f->directory ? 0 : static_cast<ULONGLONG>(st.st_size);
  if (lpFileSizeHigh) *lpFileSizeHigh = static_cast<DWORD>(size >> 32);
  DWORD low = static_cast<DWORD>(size & 0xFFFFFFFF);
  if (low == INVALID_FILE_SIZE) SetLastError(NO_ERROR);
  return low;
}

KOVA_EXPORT BOOL GetFileSizeEx(HANDLE hFile, PLARGE_INTEGER lpFileSize) {
  auto f = FileFromHandle(hFile);
  if (!f) return FALSE;
  if (!lpFileSize) return Fail(ERROR_INVALID_PARAMETER);
  struct stat st;
  if (::fstat(f->fd, &st) != 0) return Fail(ErrnoToWin(errno));
  lpFileSize->QuadPart = f->directory ? 0 : static_cast<LONGLONG>(st.st_size);
  return TRUE;
}

KOVA_EXPORT DWORD GetFileType(HANDLE hFile) {
  auto obj = LookupHandle(hFile);
  if (!obj) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FILE_TYPE_UNKNOWN;
  }
  if (obj->Kind() == ObjectKind::File) return FILE_TYPE_DISK;
  SetLastError(NO_ERROR);
  return FILE_TYPE_UNKNOWN;
}

KOVA_EXPORT BOOL GetFileInformationByHandle(HANDLE hFile, LPBY_HANDLE_FILE_INFORMATION lpFileInformation) {
  try {
    auto f = FileFromHandle(hFile);
    if (!f) return FALSE;
    if (!lpFileInformation) return Fail(ERROR_INVALID_PARAMETER);
    struct stat st;
    if (::fstat(f->fd, &st) != 0) return Fail(ErrnoToWin(errno));
    WIN32_FILE_ATTRIBUTE_DATA data{};
    FillAttributeData(f->hostPath, st, f->fd, data);
    BY_HANDLE_FILE_INFORMATION info{};
    info.dwFileAttributes = ReportedAttributes(f->hostPath, st);
    info.ftCreationTime = data.ftCreationTime;
    info.ftLastAccessTime = data.ftLastAccessTime;
    info.ftLastWriteTime = data.ftLastWriteTime;
    ULONGLONG dev = st.st_dev;
    info.dwVolumeSerialNumber = static_cast<DWORD>(dev ^ (dev >> 32));
    info.nFileSizeHigh = data.nFileSizeHigh;
    info.nFileSizeLow = data.nFileSizeLow;
    info.nNumberOfLinks = static_cast<DWORD>(st.st_nlink);
    ULONGLONG ino = st.st_ino;
    info.nFileIndexHigh = static_cast<DWORD>(ino >> 32);
    info.nFileIndexLow = static_cast<DWORD>(ino & 0xFFFFFFFF);
    *lpFileInformation = info;
    return TRUE;
  } catch (...) {
    return Fail(ERROR_NOT_ENOUGH_MEMORY);
  }
}

KOVA_EXPORT BOOL GetFileTime(HANDLE hFile, LPFILETIME lpCreationTime, LPFILETIME lpLastAccessTime,
                             LPFILETIME lpLastWriteTime) {
  auto f = FileFromHandle(hFile);
  if (!f) return FALSE;
  struct stat st;
  if (::fstat(f->fd, &st) != 0) return Fail(ErrnoToWin(errno));
  if (lpCreationTime) *lpCreationTime = ToFileTime(CreationTimeOf(f->fd, f->hostPath, st));
  if (lpLastAccessTime) *lpLastAccessTime = ToFileTime(st.st_atim);
  if (lpLastWriteTime) *lpLastWriteTime = ToFileTime(st.st_mtim);
  return TRUE;
}

// The creation time cannot be set on the host file system; it is accepted and left as it
// is. A time of 0 or of all ones leaves that time unchanged, as Windows does.
KOVA_EXPORT BOOL SetFileTime(HANDLE hFile, const FILETIME* lpCreationTime, const FILETIME* lpLastAccessTime,
                             const FILETIME* lpLastWriteTime) {
  auto f = FileFromHandle(hFile);
  if (!f) return FALSE;
  if (!(f->access & FILE_WRITE_ATTRIBUTES)) return Fail(ERROR_ACCESS_DENIED);
  auto convert = [](const FILETIME* ft, struct timespec& ts) {
    ts.tv_sec = 0;
    ts.tv_nsec = UTIME_OMIT;
    if (!ft) return true;
    ULONGLONG v = FileTimeValue(*ft);
    if (v == 0 || v == 0xFFFFFFFFFFFFFFFFull) return true;
    if (v > 0x7FFFFFFFFFFFFFFFull) return false;
    ts = FileTimeToTimespec(*ft);
    return true;
  };
  struct timespec times[2];
  struct timespec ignored;
  if (!convert(lpCreationTime, ignored) || !convert(lpLastAccessTime, times[0]) || !convert(lpLastWriteTime, times[1]))
    return Fail(ERROR_INVALID_PARAMETER);
  if (times[0].tv_nsec == UTIME_OMIT && times[1].tv_nsec == UTIME_OMIT) return TRUE;
  if (::futimens(f->fd, times) != 0) return Fail(ErrnoToWin(errno));
  return TRUE;
}
