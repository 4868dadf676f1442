// Mutexes. Inside the process a mutex is a state with an owner thread, a recursion count
// and a condition variable for waiting threads. A named mutex also has a lock file in the
// store folder "mutex" of the system root, shared by every process of that root:
//
//   byte 0  held (write lock) by the process while one of its threads owns the mutex
//   byte 1  read-locked by every process that has the mutex open (existence test)
//   byte 2  write-locked briefly while a process creates or opens the mutex
//
// The locks are open-file-description locks, released by the kernel when a process dies.
// While the mutex is owned the file holds an "owned" marker, cleared on release; an owner
// that finds the marker still set took over from an owner that died: WAIT_ABANDONED.
// An owner thread that ends while holding mutexes abandons them the same way.
#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "plat/codepage.h"
#include "core/handles.h"
#include "plat/system.h"
#include "plat/wstr.h"
#include "win/kernel.h"
#include "win/security.h"
#include "win/sync.h"

namespace {

using Clock = std::chrono::steady_clock;

// Bumped in a forked child: states inherited from the parent belong to the parent.
std::atomic<unsigned> g_generation{0};

struct MutexState {
  std::mutex m;
  std::condition_variable cv;
  DWORD owner = 0;  // owning thread id; 0 when free in this process
  DWORD recursion = 0;
  bool takingFile = false;  // a thread of this process is taking the file lock
  bool abandoned = false;   // the owner thread ended while holding it
  std::string path;         // lock file of a named mutex; empty for an unnamed one
  int fd = -1;
  const unsigned generation = g_generation.load();

  ~MutexState() {
    if (fd >= 0 && generation == g_generation.load()) ::close(fd);
  }
  bool Current() const { return generation == g_generation.load(); }
};

struct Marker {
  char tag[4];
  std::uint32_t owned;
  std::uint32_t pid;
  std::uint32_t tid;
};
static_assert(sizeof(Marker) == 16);

bool ReadOwnedMarker(int fd) {
  Marker mk{};
  if (::pread(fd, &mk, sizeof mk, 0) != static_cast<ssize_t>(sizeof mk)) return false;
  return std::memcmp(mk.tag, "KMX", 4) == 0 && mk.owned != 0;
}

void WriteMarker(int fd, bool owned) {
  Marker mk{{'K', 'M', 'X', 0}, owned ? 1u : 0u, owned ? static_cast<std::uint32_t>(::getpid()) : 0u,
            owned ? GetCurrentThreadId() : 0u};
  ssize_t n = ::pwrite(fd, &mk, sizeof mk, 0);
  (void)n;
}

int RangeLock(int fd, short type, off_t start, bool wait) {
  struct flock fl{};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = start;
  fl.l_len = 1;
  for (;;) {
    if (::fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &fl) == 0) return 0;
    if (errno == EINTR) continue;
    return errno;
  }
}

// True when another open file description holds a lock on the byte that conflicts with a
// write lock (for byte 1: another process has the mutex open).
bool RangeLockedElsewhere(int fd, off_t start) {
  struct flock fl{};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = start;
  fl.l_len = 1;
  if (::fcntl(fd, F_OFD_GETLK, &fl) != 0) return false;
  return fl.l_type != F_UNLCK;
}

// Takes the ownership byte: 0 taken, 1 timed out, -1 failed.
int TakeFileLock(int fd, DWORD ms, Clock::time_point deadline) {
  if (ms == INFINITE) return RangeLock(fd, F_WRLCK, 0, true) == 0 ? 0 : -1;
  auto pause = std::chrono::microseconds(500);
  for (;;) {
    const int err = RangeLock(fd, F_WRLCK, 0, false);
    if (err == 0) return 0;
    if (err != EAGAIN && err != EACCES) return -1;
    const auto now = Clock::now();
    if (now >= deadline) return 1;
    std::this_thread::sleep_for(std::min<Clock::duration>(pause, deadline - now));
    pause = std::min<std::chrono::microseconds>(pause * 2, std::chrono::milliseconds(10));
  }
}

void DropFileLock(int fd) { RangeLock(fd, F_UNLCK, 0, false); }

// ---- mutexes owned by the calling thread: abandoned when the thread ends ----------------

void AbandonOnThreadExit(const std::shared_ptr<MutexState>& s, DWORD tid) {
  if (!s->Current()) return;
  {
    std::lock_guard<std::mutex> g(s->m);
    if (s->owner != tid) return;
    s->owner = 0;
    s->recursion = 0;
    s->abandoned = true;
    if (s->fd >= 0) DropFileLock(s->fd);  // the marker stays set: other processes see it
  }
  s->cv.notify_all();
}

struct OwnedList {
  std::vector<std::shared_ptr<MutexState>> items;
  ~OwnedList() {
    const DWORD tid = GetCurrentThreadId();
    for (auto& s : items) AbandonOnThreadExit(s, tid);
  }
};

OwnedList& Owned() {
  thread_local OwnedList list;
  return list;
}

void NoteOwned(const std::shared_ptr<MutexState>& s) { Owned().items.push_back(s); }

void NoteReleased(const MutexState* s) {
  auto& v = Owned().items;
  v.erase(std::remove_if(v.begin(), v.end(), [s](const auto& p) { return p.get() == s; }), v.end());
}

// ---- waiting and releasing --------------------------------------------------------------

DWORD Acquire(const std::shared_ptr<MutexState>& s, DWORD ms) {
  if (!s->Current()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  const DWORD me = GetCurrentThreadId();
  const auto deadline = ms == INFINITE ? Clock::time_point::max() : Clock::now() + std::chrono::milliseconds(ms);
  std::unique_lock<std::mutex> lk(s->m);
  if (s->owner == me) {
    if (s->recursion == 0x7FFFFFFF) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);  // the recursion limit of a mutant
      return WAIT_FAILED;
    }
    ++s->recursion;
    return WAIT_OBJECT_0;
  }
  auto available = [&] { return s->owner == 0 && !s->takingFile; };
  if (ms == INFINITE) {
    s->cv.wait(lk, available);
  } else if (!s->cv.wait_until(lk, deadline, available)) {
    return WAIT_TIMEOUT;
  }
  bool abandoned = false;
  if (s->fd >= 0) {
    s->takingFile = true;
    lk.unlock();
    const int r = TakeFileLock(s->fd, ms, deadline);
    lk.lock();
    s->takingFile = false;
    if (r != 0) {
      lk.unlock();
      s->cv.notify_all();
      if (r > 0) return WAIT_TIMEOUT;
      SetLastError(ERROR_INVALID_HANDLE);
      return WAIT_FAILED;
    }
    abandoned = ReadOwnedMarker(s->fd);
    WriteMarker(s->fd, true);
  }
  if (s->abandoned) {
    abandoned = true;
    s->abandoned = false;
  }
  s->owner = me;
  s->recursion = 1;
  lk.unlock();
  NoteOwned(s);
  return abandoned ? WAIT_ABANDONED : WAIT_OBJECT_0;
}

BOOL Release(const std::shared_ptr<MutexState>& s) {
  if (!s->Current()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  const DWORD me = GetCurrentThreadId();
  {
    std::lock_guard<std::mutex> g(s->m);
    if (s->owner != me) {
      SetLastError(ERROR_NOT_OWNER);
      return FALSE;
    }
    if (--s->recursion > 0) return TRUE;
    if (s->fd >= 0) {
      WriteMarker(s->fd, false);
      DropFileLock(s->fd);
    }
    s->owner = 0;
  }
  s->cv.notify_all();
  NoteReleased(s.get());
  return TRUE;
}

class MutexObject final : public plat::KernelObject, public plat::Waitable {
 public:
  explicit MutexObject(std::shared_ptr<MutexState> s) : state(std::move(s)) {}
  plat::ObjectKind Kind() const override { return plat::ObjectKind::Mutex; }
  DWORD Wait(DWORD ms) override { return Acquire(state, ms); }
  std::shared_ptr<MutexState> state;
};

// ---- names ----------------------------------------------------------------------------------

struct Registry {
  std::mutex lock;
  std::map<std::string, std::weak_ptr<MutexState>> byPath;
};

Registry& registry() {
  static Registry* r = [] {
    auto* reg = new Registry;  // never destroyed: handles may be closed during exit
    pthread_atfork([] { registry().lock.lock(); }, [] { registry().lock.unlock(); },
                   [] {
                     // Only the forking thread lives on in the child; it holds the lock.
                     auto& x = registry();
                     x.byPath.clear();
                     x.lock.unlock();
                     g_generation.fetch_add(1);
                   });
    return reg;
  }();
  return *r;
}

std::uint64_t Fnv1a(const std::string& s) {
  std::uint64_t h = 1469598103934665603ull;
  for (unsigned char c : s) h = (h ^ c) * 1099511628211ull;
  return h;
}

// The lock file of a mutex name. Names are case-sensitive; "Global\" and "Local\" choose
// the namespace (no prefix: Local); any other backslash is a path that does not exist.
DWORD LockFilePath(std::u16string_view name, std::string& path) {
  if (name.size() >= MAX_PATH) return ERROR_FILENAME_EXCED_RANGE;
  std::string ns = "Local";
  const auto slash = name.find(u'\\');
  if (slash != std::u16string_view::npos) {
    const std::u16string_view prefix = name.substr(0, slash);
    if (plat::EqualNoCase(prefix, u"Global"))
      ns = "Global";
    else if (!plat::EqualNoCase(prefix, u"Local"))
      return ERROR_PATH_NOT_FOUND;
    name = name.substr(slash + 1);
    if (name.find(u'\\') != std::u16string_view::npos) return ERROR_PATH_NOT_FOUND;
  }
  const std::string utf8 = plat::ToUtf8(name);
  std::string file;
  for (unsigned char c : utf8) {
    if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '-' ||
        c == '.') {
      file.push_back(static_cast<char>(c));
    } else {
      static const char kHex[] = "0123456789ABCDEF";
      file.push_back('%');
      file.push_back(kHex[c >> 4]);
      file.push_back(kHex[c & 15]);
    }
  }
  if (file.size() > 160) {
    char hash[20];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(Fnv1a(utf8)));
    file = file.substr(0, 120) + "~" + hash;
  }
  path = plat::StoreFolder("mutex") + "/" + ns + "-" + file + ".lock";
  return ERROR_SUCCESS;
}

// Finds or makes the state of a named mutex. create: make it when nobody has it open.
// *existed: some thread of some process had it open. Errors are returned.
DWORD OpenNamed(std::u16string_view name, bool create, std::shared_ptr<MutexState>& out, bool& existed) {
  std::string path;
  if (DWORD err = LockFilePath(name, path)) return err;
  auto& reg = registry();
  std::lock_guard<std::mutex> g(reg.lock);
  auto it = reg.byPath.find(path);
  if (it != reg.byPath.end()) {
    if (auto alive = it->second.lock()) {
      out = alive;
      existed = true;
      return ERROR_SUCCESS;
    }
    reg.byPath.erase(it);
  }
  const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0), 0666);
  if (fd < 0) return errno == ENOENT ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED;
  if (RangeLock(fd, F_WRLCK, 2, true) != 0) {
    ::close(fd);
    return ERROR_ACCESS_DENIED;
  }
  existed = RangeLockedElsewhere(fd, 1);
  if (!existed && !create) {
    ::close(fd);
    return ERROR_FILE_NOT_FOUND;
  }
  if (RangeLock(fd, F_RDLCK, 1, false) != 0) {
    ::close(fd);
    return ERROR_ACCESS_DENIED;
  }
  // Nobody else has it open, so nobody owns it: a marker left by a process that died
  // belongs to an object that no longer exists.
  if (!existed) WriteMarker(fd, false);
  RangeLock(fd, F_UNLCK, 2, false);
  auto s = std::make_shared<MutexState>();
  s->path = path;
  s->fd = fd;
  reg.byPath[path] = s;
  out = std::move(s);
  return ERROR_SUCCESS;
}

HANDLE CreateMutexCommon(LPSECURITY_ATTRIBUTES sa, BOOL initialOwner, std::u16string_view name) {
  if (sa && sa->lpSecurityDescriptor && !IsValidSecurityDescriptor(sa->lpSecurityDescriptor)) {
    SetLastError(ERROR_INVALID_SECURITY_DESCR);
    return nullptr;
  }
  std::shared_ptr<MutexState> s;
  bool existed = false;
  if (!name.empty()) {
    if (DWORD err = OpenNamed(name, true, s, existed)) {
      SetLastError(err);
      return nullptr;
    }
  } else {
    s = std::make_shared<MutexState>();
  }
  HANDLE h = plat::InsertHandle(std::make_shared<MutexObject>(s));
  if (existed) {
    SetLastError(ERROR_ALREADY_EXISTS);
    return h;
  }
  if (initialOwner) Acquire(s, INFINITE);
  SetLastError(ERROR_SUCCESS);
  return h;
}

}  // namespace

extern "C" {

HANDLE WINAPI CreateMutexW(LPSECURITY_ATTRIBUTES lpMutexAttributes, BOOL bInitialOwner, LPCWSTR lpName) {
  try {
    return CreateMutexCommon(lpMutexAttributes, bInitialOwner, plat::View(lpName));
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
}

HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES lpMutexAttributes, BOOL bInitialOwner, LPCSTR lpName) {
  try {
    const std::u16string name = lpName ? plat::AnsiToWide(lpName, CP_ACP) : std::u16string();
    return CreateMutexCommon(lpMutexAttributes, bInitialOwner, name);
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
}

HANDLE WINAPI OpenMutexW(DWORD, BOOL, LPCWSTR lpName) {
  if (!lpName || !*lpName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  try {
    std::shared_ptr<MutexState> s;
    bool existed = false;
    if (DWORD err = OpenNamed(plat::View(lpName), false, s, existed)) {
      SetLastError(err);
      return nullptr;
    }
    return plat::InsertHandle(std::make_shared<MutexObject>(s));
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
}

BOOL WINAPI ReleaseMutex(HANDLE hMutex) {
  auto obj = plat::LookupHandleAs<MutexObject>(hMutex, plat::ObjectKind::Mutex);
  if (!obj) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return Release(obj->state);
}

DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
  auto obj = plat::LookupHandle(hHandle);
  auto* waitable = obj ? dynamic_cast<plat::Waitable*>(obj.get()) : nullptr;
  if (!waitable) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  try {
    return waitable->Wait(dwMilliseconds);
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return WAIT_FAILED;
  }
}

}  // extern "C"
