#include "profile_io.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <mutex>
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

namespace plat::profile {
namespace {

constexpr DWORD kReadOnly = 0x01;  // FILE_ATTRIBUTE_READONLY
constexpr DWORD kArchive = 0x20;   // FILE_ATTRIBUTE_ARCHIVE

// Largest INI file the API reads; a bigger one is treated as unreadable.
constexpr off_t kMaxFileSize = 256 * 1024 * 1024;

std::atomic<unsigned> g_tempSerial{0};

DWORD ErrnoToWin(int e) {
  switch (e) {
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return ERROR_ACCESS_DENIED;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    default: return ERROR_WRITE_FAULT;
  }
}

std::string LockPathFor(const std::string& host) {
  // One lock file per INI file, named by a hash of its folded host path, kept in the
  // platform's store so that no extra file shows up beside the INI file.
  std::uint64_t h = 1469598103934665603ull;
  for (char c : host) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u >= 'A' && u <= 'Z') u = static_cast<unsigned char>(u - 'A' + 'a');
    h = (h ^ u) * 1099511628211ull;
  }
  char name[32];
  std::snprintf(name, sizeof name, "%016llx.lock", static_cast<unsigned long long>(h));
  return StoreFolder("profile") + "/" + name;
}

class FileLock {
 public:
  explicit FileLock(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0) return;
    while (::flock(fd_, LOCK_EX) != 0) {
      if (errno != EINTR) {
        ::close(fd_);
        fd_ = -1;
        return;
      }
    }
  }
  ~FileLock() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
  }
  bool ok() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

// What tells one version of a file from another without reading it. A file replaced by the
// profile calls is a new inode; a file rewritten in place changes its size, its last-write
// time or its change time.
struct Identity {
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = -1;
  struct timespec mtime {};
  struct timespec ctime {};
  bool operator==(const Identity& o) const {
    return dev == o.dev && ino == o.ino && size == o.size && mtime.tv_sec == o.mtime.tv_sec &&
           mtime.tv_nsec == o.mtime.tv_nsec && ctime.tv_sec == o.ctime.tv_sec && ctime.tv_nsec == o.ctime.tv_nsec;
  }
};

Identity IdentityOf(const struct stat& st) {
  return Identity{st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
}

// The file system stamps changes with the coarse clock (one tick is a few milliseconds), so
// two writes in one tick can leave a file with the same size and times. A version whose
// change time lies before the tick in which it was looked at can no longer be confused with
// a later one: any later change is stamped at that tick or after. `before` is the coarse
// clock read before the stat.
bool Settled(const Identity& id, const struct timespec& before) {
  return id.ctime.tv_sec < before.tv_sec || (id.ctime.tv_sec == before.tv_sec && id.ctime.tv_nsec < before.tv_nsec);
}

struct timespec CoarseNow() {
  struct timespec t {};
  ::clock_gettime(CLOCK_REALTIME_COARSE, &t);  // answered without entering the kernel
  return t;
}

// Reads a whole file; `id` gets the identity of what was read. `missing`, when given, is
// set when the file or one of its folders does not exist.
bool ReadAll(const std::string& host, std::string& bytes, Identity* id, bool* missing = nullptr) {
  int fd = ::open(host.c_str(), O_RDONLY | O_CLOEXEC);
  if (missing) *missing = fd < 0 && (errno == ENOENT || errno == ENOTDIR);
  if (fd < 0) return false;
  struct stat s {};
  if (::fstat(fd, &s) != 0 || !S_ISREG(s.st_mode) || s.st_size > kMaxFileSize) {
    ::close(fd);
    return false;
  }
  bytes.clear();
  bytes.resize(static_cast<std::size_t>(s.st_size));
  std::size_t got = 0;
  while (got < bytes.size()) {
    ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  bytes.resize(got);
  ::close(fd);
  if (id) *id = IdentityOf(s);
  // A file that grew or shrank while it was read is not the version the stat describes.
  if (id && got != static_cast<std::size_t>(s.st_size)) id->size = -1;
  return true;
}

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Writes the bytes into a new file in the folder and renames it over the target, so a
// reader sees either the old or the new file, never a part.
// keepMode is set when the target exists: the new file takes its mode and replaces it.
DWORD WriteTempAndRename(const std::string& folder, const std::string& target, const std::string& bytes,
                         bool keepMode, mode_t mode, bool* crossDevice) {
  *crossDevice = false;
  std::string temp = folder + "/.kvini-" + std::to_string(::getpid()) + "-" + std::to_string(++g_tempSerial);
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return ErrnoToWin(errno);
  bool ok = WriteAll(fd, bytes);
  int err = ok ? 0 : errno;
  if (ok && keepMode) (void)::fchmod(fd, mode);  // an existing file keeps its mode, best effort
  if (::close(fd) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (!ok) {
    ::unlink(temp.c_str());
    return ErrnoToWin(err ? err : EIO);
  }
  // Renaming over an existing file makes some file systems (ext4) push the new file's data
  // to disk before the rename returns: milliseconds per write. The two names are exchanged
  // instead and the old file, now under the temporary name, removed; readers still see the
  // old or the new file whole. What a call wrote is in the page cache when it returns, so a
  // process that dies afterwards loses nothing; nothing here is meant to survive a crash of
  // the machine itself, so nothing is synced. A file system without the exchange (or a
  // target removed meanwhile) takes the rename.
  if (keepMode && ::syscall(SYS_renameat2, AT_FDCWD, temp.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0) {
    ::unlink(temp.c_str());
    plat::changes::Bump(plat::changes::Store::FileWrites);
    return ERROR_SUCCESS;
  }
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    err = errno;
    ::unlink(temp.c_str());
    if (err == EXDEV) *crossDevice = true;
    return ErrnoToWin(err);
  }
  plat::changes::Bump(plat::changes::Store::FileWrites);
  return ERROR_SUCCESS;
}

// The documents of recently used files, each kept with the exact bytes and code page it
// came from and the identity of the file version those bytes are. A call whose stat of the
// file finds the identity of a settled version uses the document without reading the file;
// otherwise the file is read, and a document of equal bytes is reused without parsing.
class ParseCache {
 public:
  std::shared_ptr<const Document> FindVersion(const std::string& host, UINT cp, const Identity& id) {
    std::lock_guard<std::mutex> g(lock_);
    for (auto& e : entries_) {
      if (e.host == host && e.cp == cp && e.settled && e.id == id) {
        e.use = ++clock_;
        return e.doc;
      }
    }
    return nullptr;
  }
  std::shared_ptr<const Document> FindBytes(const std::string& host, const std::string& bytes, UINT cp) {
    std::lock_guard<std::mutex> g(lock_);
    for (auto& e : entries_) {
      if (e.host == host && e.cp == cp && e.bytes == bytes) {
        e.use = ++clock_;
        return e.doc;
      }
    }
    return nullptr;
  }
  void Put(const std::string& host, std::string bytes, UINT cp, std::shared_ptr<const Document> doc,
           const Identity& id, bool settled) {
    std::lock_guard<std::mutex> g(lock_);
    Entry* slot = nullptr;
    for (auto& e : entries_)
      if (e.host == host) slot = &e;
    if (bytes.size() > kMaxCachedFile) {
      if (slot) *slot = Entry{};  // an older version must not answer for this one
      return;
    }
    if (!slot && entries_.size() < kEntries) slot = &entries_.emplace_back();
    if (!slot) {
      slot = &entries_[0];
      for (auto& e : entries_)
        if (e.use < slot->use) slot = &e;
    }
    *slot = Entry{host, std::move(bytes), cp, std::move(doc), id, settled, ++clock_};
  }

 private:
  static constexpr std::size_t kEntries = 16;
  static constexpr std::size_t kMaxCachedFile = 1024 * 1024;
  struct Entry {
    std::string host;
    std::string bytes;
    UINT cp = 0;
    std::shared_ptr<const Document> doc;
    Identity id;
    bool settled = false;
    unsigned long long use = 0;
  };
  std::mutex lock_;
  std::vector<Entry> entries_;
  unsigned long long clock_ = 0;
};

ParseCache& Cache() {
  static ParseCache* cache = new ParseCache;  // used until the process ends
  return *cache;
}

std::string ParentOf(const std::string& host) {
  std::size_t slash = host.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return host.substr(0, slash);
}

// The full Windows name of an INI file: a null name is win.ini, a name without any folder
// lies in the Windows directory. False for an empty name.
bool FullIniName(const WCHAR* name, std::u16string& full) {
  if (!name) {
    full = WindowsDirectory() + u"\\win.ini";
    return true;
  }
  std::u16string_view n = View(name);
  if (n.empty()) return false;
  bool hasFolder = n.find_first_of(u"\\/:") != std::u16string_view::npos;
  full = hasFolder ? std::u16string(n) : WindowsDirectory() + u"\\" + std::u16string(n);
  return true;
}

}  // namespace

DWORD ResolveIniPath(const WCHAR* name, std::string& host) {
  std::u16string full;
  if (!FullIniName(name, full)) return ERROR_INVALID_PARAMETER;
  return MapPath(full.c_str(), host);
}

std::u16string IniMemoKey(const WCHAR* name) {
  std::u16string full;
  if (!FullIniName(name, full)) return {};
  return absent::KeyOf(full.c_str(), u'i');
}

DWORD ResolveIniPathAndStat(const WCHAR* name, std::string& host, StatProbe& probe) {
  probe.found = false;
  std::u16string full;
  if (!FullIniName(name, full)) return ERROR_INVALID_PARAMETER;
  return MapPathAndStat(full.c_str(), host, probe);
}

std::shared_ptr<const Document> ReadDocument(const std::string& host, const struct stat* st, bool* found,
                                             bool* missing) {
  if (found) *found = false;
  if (missing) *missing = false;
  const UINT cp = ResolveCodePage(0);
  if (st) {
    if (!S_ISREG(st->st_mode) || st->st_size > kMaxFileSize) return std::make_shared<const Document>();
    if (CheckShareOfMomentaryUse(st->st_dev, st->st_ino, false) != ERROR_SUCCESS)
      return std::make_shared<const Document>();
    if (auto doc = Cache().FindVersion(host, cp, IdentityOf(*st))) {
      if (found) *found = true;
      return doc;
    }
  }
  const struct timespec before = CoarseNow();
  std::string bytes;
  Identity id;
  if (!ReadAll(host, bytes, &id, missing)) return std::make_shared<const Document>();
  if (!st && CheckShareOfMomentaryUse(id.dev, id.ino, false) != ERROR_SUCCESS)
    return std::make_shared<const Document>();
  if (found) *found = true;
  auto doc = Cache().FindBytes(host, bytes, cp);
  if (!doc) doc = std::make_shared<const Document>(Document::Parse(bytes, cp));
  Cache().Put(host, std::move(bytes), cp, doc, id, Settled(id, before));
  return doc;
}

DWORD EditDocument(const std::string& host, bool createIfMissing, const std::function<void(Document&)>& edit) {
  FileLock lock(LockPathFor(host));
  if (!lock.ok()) return ERROR_ACCESS_DENIED;

  struct stat st {};
  bool exists = ::stat(host.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) return ERROR_ACCESS_DENIED;
  std::string folder = ParentOf(host);
  if (!exists) {
    struct stat ds {};
    if (::stat(folder.c_str(), &ds) != 0 || !S_ISDIR(ds.st_mode)) return ERROR_PATH_NOT_FOUND;
  }
  // The file's Windows attributes live in the platform's attribute store; a read-only
  // file is not written, and the others carry over to the replacing file.
  DWORD attributes = exists ? StoredAttributes(host, st) : 0;
  if (exists && ((attributes & kReadOnly) || (st.st_mode & S_IWUSR) == 0)) return ERROR_ACCESS_DENIED;

  if (exists) {
    DWORD rc = CheckShareOfMomentaryUse(st.st_dev, st.st_ino, true);
    if (rc != ERROR_SUCCESS) return rc;
  }
  const UINT cp = ResolveCodePage(0);
  Document doc;
  if (exists) {
    // The version this process wrote or read last, when the stat taken under the lock
    // shows the file is still that version; else the file as it is now.
    std::shared_ptr<const Document> known = Cache().FindVersion(host, cp, IdentityOf(st));
    if (!known) {
      std::string bytes;
      if (!ReadAll(host, bytes, nullptr)) return ERROR_ACCESS_DENIED;
      known = Cache().FindBytes(host, bytes, cp);
      if (!known) known = std::make_shared<const Document>(Document::Parse(bytes, cp));
    }
    doc = *known;
    doc.ClearChanged();
  }
  edit(doc);
  if (!doc.changed()) return ERROR_SUCCESS;
  if (!exists && !createIfMissing) return ERROR_SUCCESS;

  std::string out = doc.Serialize(cp);
  mode_t mode = st.st_mode & 07777;
  bool crossDevice = false;
  DWORD rc = WriteTempAndRename(StoreFolder("profile"), host, out, exists, mode, &crossDevice);
  if (rc != ERROR_SUCCESS && crossDevice) rc = WriteTempAndRename(folder, host, out, exists, mode, &crossDevice);
  if (rc == ERROR_SUCCESS && !exists) plat::absent::NoteCreated();
  if (rc != ERROR_SUCCESS) return rc;
  Identity written;  // unknown for a new file: the next call reads it
  bool settled = false;
  if (exists) {
    // A write marks the file for archiving, as any write does.
    const struct timespec before = CoarseNow();
    struct stat now {};
    if (::stat(host.c_str(), &now) == 0) {
      StoreAttributes(host, now, attributes | kArchive);
      if (now.st_size == static_cast<off_t>(out.size())) {
        written = IdentityOf(now);
        settled = Settled(written, before);
      }
    }
  }
  Cache().Put(host, std::move(out), cp, std::make_shared<const Document>(std::move(doc)), written, settled);
  return rc;
}

}  // namespace plat::profile
