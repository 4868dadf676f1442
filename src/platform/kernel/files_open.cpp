// Opening files: CreateFileW/CreateFileA, the file object and the sharing registry.
//
// Sharing modes are enforced with open-file-description locks on one small lock file per
// host file (StoreFolder("sharing")/<device>-<inode>). Every open that asks for read,
// write or delete access takes shared locks on bytes saying what it has and what it denies
// to others; a new open checks the opposite bytes under an exclusive lock on a gate byte.
// Such locks belong to the open description, so they separate two handles of one process
// as well as handles of two processes, and they vanish with the descriptor when a process
// dies. An open that asks only for attributes (or no access) takes part in no check, as
// on Windows. Lock files stay once made (an empty file per file ever opened for data), so
// that an open neither creates nor removes a directory entry, and needs no check that its
// lock file was not removed under it: the common open is the lock file's open, the gate,
// one test over the bytes it must find free, one lock per run of bytes it marks, and the
// gate's release.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "kernel/attributes.h"
#include "plat/codepage.h"
#include "kernel/files_internal.h"
#include "plat/paths.h"
#include "plat/system.h"
#include "../core/absent_paths.h"
#include "win/errors.h"

namespace plat {
namespace {

// Bytes of a sharing lock file.
enum : off_t { kGate = 0, kHasRead = 1, kHasWrite = 2, kHasDelete = 3, kDenyRead = 4, kDenyWrite = 5, kDenyDelete = 6 };

constexpr DWORD kReadRights = FILE_READ_DATA | FILE_EXECUTE;
constexpr DWORD kWriteRights = FILE_WRITE_DATA | FILE_APPEND_DATA;

bool SetLock(int fd, short type, off_t start, off_t len, bool wait) {
  struct flock fl {};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = start;
  fl.l_len = len;
  for (;;) {
    if (::fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &fl) == 0) return true;
    if (errno != EINTR) return false;
  }
}

// True when another open description holds a lock on a byte of the range.
bool HeldByOther(int fd, off_t start, off_t len) {
  struct flock fl {};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = start;
  fl.l_len = len;
  if (::fcntl(fd, F_OFD_GETLK, &fl) != 0) return true;  // cannot tell: refuse rather than share wrongly
  return fl.l_type != F_UNLCK;
}

std::string SharePathOf(dev_t dev, ino_t ino) {
  char name[64];
  std::snprintf(name, sizeof name, "/%llx-%llx", static_cast<unsigned long long>(dev), static_cast<unsigned long long>(ino));
  return StoreFolder("sharing") + name;
}

}  // namespace

FileObject::~FileObject() {
  if ((flags & FILE_FLAG_DELETE_ON_CLOSE) && !hostPath.empty()) {
    struct stat st;
    if (::stat(hostPath.c_str(), &st) == 0 && st.st_dev == dev && st.st_ino == ino) {
      if (directory ? ::rmdir(hostPath.c_str()) == 0 : ::unlink(hostPath.c_str()) == 0) ForgetAttributes(hostPath);
    }
  }
  if (fd >= 0) ::close(fd);
  if (shareFd >= 0) ::close(shareFd);  // drops every lock of this open
}

DWORD MapGenericFileAccess(DWORD access) {
  DWORD out = access & ~(GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL | MAXIMUM_ALLOWED);
  if (access & GENERIC_READ) out |= FILE_GENERIC_READ;
  if (access & GENERIC_WRITE) out |= FILE_GENERIC_WRITE;
  if (access & GENERIC_EXECUTE) out |= FILE_GENERIC_EXECUTE;
  if (access & (GENERIC_ALL | MAXIMUM_ALLOWED)) out |= FILE_ALL_ACCESS;
  // Every handle may read the attributes, as CreateFile asks for them on each open.
  return out | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
}

DWORD AcquireShare(FileObject& file) {
  bool wantRead = file.access & kReadRights;
  bool wantWrite = file.access & kWriteRights;
  bool wantDelete = file.access & DELETE;
  if (!wantRead && !wantWrite && !wantDelete) return ERROR_SUCCESS;
  std::string path = SharePathOf(file.dev, file.ino);
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return ErrnoToWin(errno);
  if (!SetLock(fd, F_WRLCK, kGate, 1, true)) {
    ::close(fd);
    return ERROR_LOCK_VIOLATION;
  }
  // Bytes another open must not hold, and bytes this open marks (indexed by byte).
  bool test[7] = {};
  test[kDenyRead] = wantRead;
  test[kDenyWrite] = wantWrite;
  test[kDenyDelete] = wantDelete;
  test[kHasRead] = !(file.share & FILE_SHARE_READ);
  test[kHasWrite] = !(file.share & FILE_SHARE_WRITE);
  test[kHasDelete] = !(file.share & FILE_SHARE_DELETE);
  bool mark[7] = {};
  mark[kHasRead] = wantRead;
  mark[kHasWrite] = wantWrite;
  mark[kHasDelete] = wantDelete;
  mark[kDenyRead] = !(file.share & FILE_SHARE_READ);
  mark[kDenyWrite] = !(file.share & FILE_SHARE_WRITE);
  mark[kDenyDelete] = !(file.share & FILE_SHARE_DELETE);
  // One test over the span of the bytes to test; byte by byte only when something is held
  // there, since the span may cover bytes that do not matter to this open.
  off_t first = 7, last = 0;
  for (off_t b = 1; b < 7; ++b)
    if (test[b]) {
      if (first == 7) first = b;
      last = b;
    }
  bool conflict = false;
  if (first <= last && HeldByOther(fd, first, last - first + 1))
    for (off_t b = first; b <= last && !conflict; ++b) conflict = test[b] && HeldByOther(fd, b, 1);
  bool ok = !conflict;
  for (off_t b = 1; ok && b < 7; ++b) {
    if (!mark[b]) continue;
    off_t end = b;
    while (end + 1 < 7 && mark[end + 1]) ++end;
    if (!SetLock(fd, F_RDLCK, b, end - b + 1, false)) ok = false;
    b = end;
  }
  if (!ok) {
    ::close(fd);  // drops every lock taken above
    return conflict ? ERROR_SHARING_VIOLATION : ERROR_LOCK_VIOLATION;
  }
  SetLock(fd, F_UNLCK, kGate, 1, false);
  file.shareFd = fd;
  file.sharePath = path;
  return ERROR_SUCCESS;
}

DWORD CheckShareOfMomentaryUse(dev_t dev, ino_t ino, bool write) {
  // A file no open ever registered has no lock file: one failed open answers.
  int fd = ::open(SharePathOf(dev, ino).c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? ERROR_SUCCESS : ErrnoToWin(errno);
  // The use shares reading and writing but not deleting: it conflicts with an open that
  // holds delete access or denies reading (and writing, for a write).
  const bool conflict = HeldByOther(fd, kHasDelete, (write ? kDenyWrite : kDenyRead) - kHasDelete + 1);
  ::close(fd);
  return conflict ? ERROR_SHARING_VIOLATION : ERROR_SUCCESS;
}

std::shared_ptr<FileObject> FileFromHandle(HANDLE h) {
  auto f = LookupHandleAs<FileObject>(h, ObjectKind::File);
  if (!f) SetLastError(ERROR_INVALID_HANDLE);
  return f;
}

std::string HostParent(const std::string& hostPath) {
  std::size_t slash = hostPath.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return hostPath.substr(0, slash);
}

DWORD MissingPathError(const std::string& hostPath) {
  struct stat st;
  if (::stat(HostParent(hostPath).c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return ERROR_FILE_NOT_FOUND;
  return ERROR_PATH_NOT_FOUND;
}

DWORD ErrnoToWin(int err) {
  switch (err) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return ERROR_ACCESS_DENIED;
    case EEXIST: return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case EXDEV: return ERROR_NOT_SAME_DEVICE;
    case EBUSY: return ERROR_SHARING_VIOLATION;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EFBIG: return ERROR_FILE_TOO_LARGE;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    default: return ERROR_ACCESS_DENIED;
  }
}

DWORD OpenFileObject(const WCHAR* winPath, DWORD access, DWORD share, DWORD disposition, DWORD flagsAndAttributes,
                     std::shared_ptr<FileObject>& out, bool* existed) {
  out.reset();
  if (existed) *existed = false;
  if (!winPath) return ERROR_INVALID_PARAMETER;
  if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) return ERROR_INVALID_PARAMETER;
  if (share & ~(FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE)) return ERROR_INVALID_PARAMETER;
  DWORD granted = MapGenericFileAccess(access);
  if (flagsAndAttributes & FILE_FLAG_DELETE_ON_CLOSE) granted |= DELETE;
  if (disposition == TRUNCATE_EXISTING && !(granted & FILE_WRITE_DATA)) return ERROR_INVALID_PARAMETER;
  const DWORD newAttributes = (flagsAndAttributes & kStorableAttributes) | FILE_ATTRIBUTE_ARCHIVE;

  std::string host;
  DWORD err = MapPath(winPath, host);
  if (err != ERROR_SUCCESS) return err;

  auto file = std::make_shared<FileObject>();
  file->share = share;
  file->flags = flagsAndAttributes & 0xFFF00000u;
  file->hostPath = host;

  bool created = false;
  bool fileExisted = false;
  for (int attempt = 0;; ++attempt) {
    if (attempt > 10) return ERROR_ACCESS_DENIED;
    struct stat st;
    if (::stat(host.c_str(), &st) != 0) {
      if (errno != ENOENT) return errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : ErrnoToWin(errno);
      if (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING) return MissingPathError(host);
      DWORD missing = MissingPathError(host);
      if (missing == ERROR_PATH_NOT_FOUND) return missing;
      int flagsOpen = O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC;
      int fd = ::open(host.c_str(), flagsOpen, 0666);
      if (fd < 0) {
        if (errno == EEXIST) {
          if (disposition == CREATE_NEW) return ERROR_FILE_EXISTS;
          continue;  // created by someone else meanwhile: open it as an existing file
        }
        return ErrnoToWin(errno);
      }
      file->fd = fd;
      created = true;
      plat::absent::NoteCreated();
      if (::fstat(fd, &st) != 0) return ErrnoToWin(errno);
      file->dev = st.st_dev;
      file->ino = st.st_ino;
      file->access = granted;
      break;
    }
    fileExisted = true;
    if (S_ISDIR(st.st_mode)) {
      if (disposition == CREATE_NEW) return ERROR_FILE_EXISTS;
      if (!(flagsAndAttributes & FILE_FLAG_BACKUP_SEMANTICS)) return ERROR_ACCESS_DENIED;
      if (disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING) return ERROR_ACCESS_DENIED;
      int fd = ::open(host.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      if (fd < 0) return ErrnoToWin(errno);
      file->fd = fd;
      file->directory = true;
      if ((granted & DELETE) && (StoredAttributes(host, st) & FILE_ATTRIBUTE_READONLY) &&
          (flagsAndAttributes & FILE_FLAG_DELETE_ON_CLOSE))
        return ERROR_ACCESS_DENIED;
    } else {
      if (!S_ISREG(st.st_mode)) return ERROR_ACCESS_DENIED;
      if (disposition == CREATE_NEW) return ERROR_FILE_EXISTS;
      DWORD attrs = StoredAttributes(host, st);
      bool truncates = disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
      if (attrs & FILE_ATTRIBUTE_READONLY) {
        if (access & MAXIMUM_ALLOWED) granted &= ~(kWriteRights | FILE_WRITE_EA);
        if ((granted & kWriteRights) || truncates || (flagsAndAttributes & FILE_FLAG_DELETE_ON_CLOSE))
          return ERROR_ACCESS_DENIED;
      }
      // Overwriting a hidden or system file needs the same attributes in the request.
      if (disposition == CREATE_ALWAYS && (attrs & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM) & ~newAttributes))
        return ERROR_ACCESS_DENIED;
      bool writes = (granted & kWriteRights) || truncates;
      int fd = ::open(host.c_str(), (writes ? O_RDWR : O_RDONLY) | O_CLOEXEC);
      if (fd < 0) {
        if (errno == ENOENT) continue;  // removed meanwhile: look again
        return ErrnoToWin(errno);
      }
      file->fd = fd;
    }
    struct stat fst;
    if (::fstat(file->fd, &fst) != 0) return ErrnoToWin(errno);
    file->dev = fst.st_dev;
    file->ino = fst.st_ino;
    file->access = granted;
    break;
  }

  err = AcquireShare(*file);
  if (err != ERROR_SUCCESS) {
    if (created) {
      ::unlink(host.c_str());
      file->flags &= ~FILE_FLAG_DELETE_ON_CLOSE;
    }
    return err;
  }
  struct stat st;
  if (fileExisted && !file->directory && (disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING)) {
    if (IsFileMapped(file->dev, file->ino)) return ERROR_USER_MAPPED_FILE;
    if (::ftruncate(file->fd, 0) != 0) return ErrnoToWin(errno);
  }
  if ((created || (fileExisted && disposition == CREATE_ALWAYS)) && ::fstat(file->fd, &st) == 0) {
    if (!StoreAttributes(host, st, newAttributes) && created) {
      ::unlink(host.c_str());
      file->flags &= ~FILE_FLAG_DELETE_ON_CLOSE;
      return ERROR_ACCESS_DENIED;
    }
  }
  if (existed) *existed = fileExisted;
  out = std::move(file);
  return ERROR_SUCCESS;
}

}  // namespace plat

using namespace plat;

KOVA_EXPORT HANDLE CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                               LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                               DWORD dwFlagsAndAttributes, HANDLE hTemplateFile) {
  (void)lpSecurityAttributes;
  (void)hTemplateFile;  // attributes of a template apply only to new files; none are kept
  try {
    std::shared_ptr<FileObject> file;
    bool existed = false;
    DWORD err = OpenFileObject(lpFileName, dwDesiredAccess, dwShareMode, dwCreationDisposition, dwFlagsAndAttributes,
                               file, &existed);
    if (err != ERROR_SUCCESS) {
      SetLastError(err);
      return INVALID_HANDLE_VALUE;
    }
    HANDLE h = InsertHandle(file);
    if (dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == OPEN_ALWAYS)
      SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return h;
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return INVALID_HANDLE_VALUE;
  }
}

KOVA_EXPORT HANDLE CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                               LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                               DWORD dwFlagsAndAttributes, HANDLE hTemplateFile) {
  if (!lpFileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  try {
    std::u16string wide = AnsiToWide(lpFileName, 0);
    return CreateFileW(wide.c_str(), dwDesiredAccess, dwShareMode, lpSecurityAttributes, dwCreationDisposition,
                       dwFlagsAndAttributes, hTemplateFile);
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return INVALID_HANDLE_VALUE;
  }
}
