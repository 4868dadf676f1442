#include "profile_io.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
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

// Takes part in the sharing registry of the file services for the time of one call, as
// the open of the file would on Windows: reads and writes of the profile calls share
// reading and writing with others, so they fail only against an open that denies them.
DWORD JoinSharing(const std::string& host, const struct stat& st, bool write, std::unique_ptr<FileObject>& hold) {
  hold = std::make_unique<FileObject>();
  hold->access = FILE_READ_DATA | (write ? FILE_WRITE_DATA : 0);
  hold->share = FILE_SHARE_READ | FILE_SHARE_WRITE;
  hold->hostPath = host;
  hold->dev = st.st_dev;
  hold->ino = st.st_ino;
  return AcquireShare(*hold);
}

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

// `missing`, when given, is set when the file or one of its folders does not exist.
bool ReadAll(const std::string& host, std::string& bytes, struct stat* st, bool joinSharing, bool* missing = nullptr) {
  int fd = ::open(host.c_str(), O_RDONLY | O_CLOEXEC);
  if (missing) *missing = fd < 0 && (errno == ENOENT || errno == ENOTDIR);
  if (fd < 0) return false;
  struct stat s {};
  if (::fstat(fd, &s) != 0 || !S_ISREG(s.st_mode) || s.st_size > kMaxFileSize) {
    ::close(fd);
    return false;
  }
  std::unique_ptr<FileObject> share;
  if (joinSharing && JoinSharing(host, s, false, share) != ERROR_SUCCESS) {
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
  if (st) *st = s;
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
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    err = errno;
    ::unlink(temp.c_str());
    if (err == EXDEV) *crossDevice = true;
    return ErrnoToWin(err);
  }
  plat::changes::Bump(plat::changes::Store::FileWrites);
  return ERROR_SUCCESS;
}

// Parses of recently read files, each with the exact bytes and code page it came from,
// so that a file read many times in a row is parsed once. A hit needs equal bytes: the
// file is still read on every call, so other processes' writes are always seen.
class ParseCache {
 public:
  std::shared_ptr<const Document> Find(const std::string& host, const std::string& bytes, UINT cp) {
    std::lock_guard<std::mutex> g(lock_);
    for (auto& e : entries_) {
      if (e.host == host && e.cp == cp && e.bytes == bytes) {
        e.use = ++clock_;
        return e.doc;
      }
    }
    return nullptr;
  }
  void Put(const std::string& host, std::string bytes, UINT cp, std::shared_ptr<const Document> doc) {
    if (bytes.size() > kMaxCachedFile) return;
    std::lock_guard<std::mutex> g(lock_);
    Entry* slot = nullptr;
    for (auto& e : entries_)
      if (e.host == host) slot = &e;
    if (!slot && entries_.size() < kEntries) slot = &entries_.emplace_back();
    if (!slot) {
      slot = &entries_[0];
      for (auto& e : entries_)
        if (e.use < slot->use) slot = &e;
    }
    *slot = Entry{host, std::move(bytes), cp, std::move(doc), ++clock_};
  }

 private:
  static constexpr std::size_t kEntries = 16;
  static constexpr std::size_t kMaxCachedFile = 1024 * 1024;
  struct Entry {
    std::string host;
    std::string bytes;
    UINT cp = 0;
    std::shared_ptr<const Document> doc;
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

}  // namespace

DWORD ResolveIniPath(const WCHAR* name, std::string& host) {
  std::u16string full;
  if (!name) {
    full = WindowsDirectory() + u"\\win.ini";
  } else {
    std::u16string_view n = View(name);
    if (n.empty()) return ERROR_INVALID_PARAMETER;
    bool hasFolder = n.find_first_of(u"\\/:") != std::u16string_view::npos;
    full = hasFolder ? std::u16string(n) : WindowsDirectory() + u"\\" + std::u16string(n);
  }
  return MapPath(full.c_str(), host);
}

std::u16string IniMemoKey(const WCHAR* name) {
  std::u16string full;
  if (!name) {
    full = WindowsDirectory() + u"\\win.ini";
  } else {
    std::u16string_view n = View(name);
    if (n.empty()) return {};
    bool hasFolder = n.find_first_of(u"\\/:") != std::u16string_view::npos;
    full = hasFolder ? std::u16string(n) : WindowsDirectory() + u"\\" + std::u16string(n);
  }
  return absent::KeyOf(full.c_str(), u'i');
}

std::shared_ptr<const Document> ReadDocument(const std::string& host, bool* found, bool* missing) {
  std::string bytes;
  bool ok = ReadAll(host, bytes, nullptr, true, missing);
  if (found) *found = ok;
  if (!ok) return std::make_shared<const Document>();
  UINT cp = ResolveCodePage(0);
  if (auto doc = Cache().Find(host, bytes, cp)) return doc;
  auto doc = std::make_shared<const Document>(Document::Parse(bytes, cp));
  Cache().Put(host, std::move(bytes), cp, doc);
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

  std::unique_ptr<FileObject> share;
  if (exists) {
    DWORD rc = JoinSharing(host, st, true, share);
    if (rc != ERROR_SUCCESS) return rc;
  }
  std::string bytes;
  if (exists && !ReadAll(host, bytes, &st, false)) return ERROR_ACCESS_DENIED;
  UINT cp = ResolveCodePage(0);
  Document doc = Document::Parse(bytes, cp);
  edit(doc);
  if (!doc.changed()) return ERROR_SUCCESS;
  if (!exists && !createIfMissing) return ERROR_SUCCESS;

  std::string out = doc.Serialize(cp);
  mode_t mode = st.st_mode & 07777;
  bool crossDevice = false;
  DWORD rc = WriteTempAndRename(StoreFolder("profile"), host, out, exists, mode, &crossDevice);
  if (rc != ERROR_SUCCESS && crossDevice) rc = WriteTempAndRename(folder, host, out, exists, mode, &crossDevice);
  if (rc == ERROR_SUCCESS && !exists) plat::absent::NoteCreated();
  if (rc == ERROR_SUCCESS) Cache().Put(host, std::move(out), cp, std::make_shared<const Document>(std::move(doc)));
  if (rc == ERROR_SUCCESS && exists) {
    // A write marks the file for archiving, as any write does.
    struct stat now {};
    if (::stat(host.c_str(), &now) == 0) StoreAttributes(host, now, attributes | kArchive);
  }
  return rc;
}

}  // namespace plat::profile
