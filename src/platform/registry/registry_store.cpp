// The hive files: one text file per hive in the root's store, kept in memory by each
// process and read again only when a writer (of any process) marked the hive changed;
// replaced atomically under a lock file on every change.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <memory>
#include <mutex>

#include "core/handles.h"
#include "plat/system.h"
#include "../core/store_changes.h"
#include "registry_internal.h"
#include "win/errors.h"

namespace plat::registry {
namespace {

constexpr off_t kMaxHiveSize = 512 * 1024 * 1024;

class HiveStore {
 public:
  explicit HiveStore(Hive hive) : hive_(hive) {}

  LONG Read(const std::function<LONG(Key&)>& f) {
    std::lock_guard<std::mutex> g(lock_);
    Refresh();
    return f(root_);
  }

  LONG Write(const std::function<LONG(Key&, bool&)>& f) {
    std::lock_guard<std::mutex> g(lock_);
    Refresh();
    int fd = ::open((folder_ + "/" + BaseName() + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return static_cast<LONG>(ERROR_CANTWRITE);
    while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
    Refresh();  // another process may have written while we waited
    bool changed = false;
    LONG rc = f(root_, changed);
    if (rc == static_cast<LONG>(ERROR_SUCCESS) && changed) rc = Save();
    if (rc != static_cast<LONG>(ERROR_SUCCESS)) mark_ = changes::kNeverRead;  // the tree may be ahead of the file: re-read
    ::close(fd);
    return rc;
  }

  void Reset() {
    std::lock_guard<std::mutex> g(lock_);
    Refresh();
    int fd = ::open((folder_ + "/" + BaseName() + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd >= 0) while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
      }
    ::unlink(FilePath().c_str());
    root_ = Key{};
    mark_ = changes::Bump(StoreOf());
    if (fd >= 0) ::close(fd);
  }

  std::string FilePath() const { return folder_ + "/" + BaseName() + ".reg"; }

 private:
  std::string BaseName() const { return hive_ == Hive::Machine ? "machine" : "users"; }
  changes::Store StoreOf() const {
    return hive_ == Hive::Machine ? changes::Store::MachineHive : changes::Store::UsersHive;
  }

  // Follows the root (tests change it) and re-reads the file when a writer marked the
  // hive changed since it was read; otherwise the tree in memory is current.
  void Refresh() {
    const changes::Mark now = changes::Current(StoreOf());
    if (now == mark_) return;
    if (now.root != mark_.root) folder_ = StoreFolder("registry");
    mark_ = now;  // taken before the read: a write meanwhile shows as a newer mark
    root_ = Key{};
    int fd = ::open(FilePath().c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;  // no file yet: an empty hive
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_size > kMaxHiveSize) {
      ::close(fd);
      mark_ = changes::kNeverRead;
      return;
    }
    std::string text(static_cast<std::size_t>(st.st_size), '\0');
    std::size_t got = 0;
    while (got < text.size()) {
      ssize_t n = ::read(fd, text.data() + got, text.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    text.resize(got);
    ParseHive(text, root_);
  }

  LONG Save() {
    static std::atomic<unsigned> serial{0};
    AssignKeyIds(root_);
    std::string text = SerializeHive(root_);
    std::string temp = folder_ + "/.hive-" + std::to_string(::getpid()) + "-" + std::to_string(++serial);
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return static_cast<LONG>(ERROR_CANTWRITE);
    std::size_t done = 0;
    bool ok = true;
    while (done < text.size()) {
      ssize_t n = ::write(fd, text.data() + done, text.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        ok = false;
        break;
      }
      done += static_cast<std::size_t>(n);
    }
    ok = ::close(fd) == 0 && ok;
    if (!ok || ::rename(temp.c_str(), FilePath().c_str()) != 0) {
      ::unlink(temp.c_str());
      return static_cast<LONG>(ERROR_CANTWRITE);
    }
    mark_ = changes::Bump(StoreOf());  // under the hive's lock: no other writer bumped meanwhile
    return static_cast<LONG>(ERROR_SUCCESS);
  }

  Hive hive_;
  std::mutex lock_;
  std::string folder_;
  Key root_;
  changes::Mark mark_ = changes::kNeverRead;
};

HiveStore& Store(Hive hive) {
  static HiveStore* stores[2] = {new HiveStore(Hive::Machine), new HiveStore(Hive::Users)};
  return *stores[hive == Hive::Machine ? 0 : 1];
}

class KeyObject : public KernelObject {
 public:
  explicit KeyObject(KeyRef r) : ref(std::move(r)) {}
  ObjectKind Kind() const override { return ObjectKind::Key; }
  KeyRef ref;
};

constexpr REGSAM kAllAccess = 0x000F003F;

bool Predefined(HKEY h, KeyRef& out) {
  auto v = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(h));
  if ((reinterpret_cast<std::uintptr_t>(h) >> 32) != 0xFFFFFFFFu && (reinterpret_cast<std::uintptr_t>(h) >> 32) != 0)
    return false;
  out = KeyRef{};
  out.access = kAllAccess;
  out.rootAlias = true;
  switch (v) {
    case 0x80000000u:  // HKEY_CLASSES_ROOT
      out.hive = Hive::Machine;
      out.path = {u"SOFTWARE", u"Classes"};
      return true;
    case 0x80000001u:  // HKEY_CURRENT_USER
      out.hive = Hive::Users;
      out.path = {CurrentUserKeyName()};
      return true;
    case 0x80000002u:  // HKEY_LOCAL_MACHINE
      out.hive = Hive::Machine;
      return true;
    case 0x80000003u:  // HKEY_USERS
      out.hive = Hive::Users;
      return true;
    default:
      return false;
  }
}

}  // namespace

bool ResolveKey(HKEY h, KeyRef& out) {
  if (!h) return false;
  if (Predefined(h, out)) return true;
  auto obj = LookupHandleAs<KeyObject>(static_cast<HANDLE>(h), ObjectKind::Key);
  if (!obj) return false;
  out = obj->ref;
  return true;
}

HKEY NewKeyHandle(const KeyRef& ref) {
  return static_cast<HKEY>(InsertHandle(std::make_shared<KeyObject>(ref)));
}

bool CloseKeyHandle(HKEY h) {
  if (!LookupHandleAs<KeyObject>(static_cast<HANDLE>(h), ObjectKind::Key)) return false;
  return RemoveHandle(static_cast<HANDLE>(h));
}

LONG ReadHive(Hive hive, const std::function<LONG(Key&)>& f) { return Store(hive).Read(f); }
LONG WriteHive(Hive hive, const std::function<LONG(Key&, bool&)>& f) { return Store(hive).Write(f); }

std::string HiveFilePath(Hive hive) {
  StoreFolder("registry");
  LONG unused = ReadHive(hive, [](Key&) { return static_cast<LONG>(ERROR_SUCCESS); });
  (void)unused;
  return Store(hive).FilePath();
}

std::u16string CurrentUserKeyName() { return u"S-1-5-21-1004336348-1177238915-682003330-1001"; }

void ResetRegistry() {
  Store(Hive::Machine).Reset();
  Store(Hive::Users).Reset();
}

std::string DumpKey(HKEY root, std::u16string_view subKey) {
  KeyRef ref;
  if (!ResolveKey(root, ref)) return {};
  std::vector<std::u16string> path = ref.path;
  std::size_t start = 0;
  while (start < subKey.size()) {
    std::size_t sep = subKey.find(u'\\', start);
    if (sep == std::u16string_view::npos) sep = subKey.size();
    if (sep > start) path.emplace_back(subKey.substr(start, sep - start));
    start = sep + 1;
  }
  std::string out;
  ReadHive(ref.hive, [&](Key& hiveRoot) {
    Key* k = FindKey(hiveRoot, path);
    if (!k) return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
    std::u16string text;
    // The path in its stored case.
    Key* walk = &hiveRoot;
    for (const auto& name : path) {
      walk = walk->Child(name);
      if (!text.empty()) text += u"\\";
      text += walk->name;
    }
    SerializeSubtree(*k, text, out, false);
    return static_cast<LONG>(ERROR_SUCCESS);
  });
  return out;
}

}  // namespace plat::registry
