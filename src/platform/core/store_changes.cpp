#include "store_changes.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <deque>
#include <mutex>
#include <string>

#include "plat/system.h"

namespace plat::changes {
namespace {

static_assert(std::atomic<std::uint64_t>::is_always_lock_free, "counters are shared between processes");

// The counter file: one 64-bit counter per store, each on its own cache line.
constexpr std::size_t kSlotStride = 64 / sizeof(std::uint64_t);
constexpr std::size_t kFileBytes = 4096;
static_assert(kStoreCount * kSlotStride * sizeof(std::uint64_t) <= kFileBytes);

std::atomic<std::uint64_t> g_rootGeneration{0};

struct Mapping {
  std::uint64_t root = 0;
  std::atomic<std::uint64_t>* counters = nullptr;  // null when the file could not be mapped
};

std::mutex g_mapLock;
std::atomic<const Mapping*> g_mapping{nullptr};
// A counter of this process only, used when the shared file cannot be mapped: every read
// then sees a new mark, so nothing stale is ever served.
std::atomic<std::uint64_t> g_unmapped{1};

const Mapping* MapRoot(std::uint64_t root) {
  std::lock_guard<std::mutex> g(g_mapLock);
  const Mapping* now = g_mapping.load(std::memory_order_acquire);
  if (now && now->root == root) return now;
  // Kept for the process, older ones too: a reader may still hold one of them.
  static auto* all = new std::deque<Mapping>;
  Mapping* m = &all->emplace_back();
  m->root = root;
  const std::string path = StoreFolder("changes") + "/counters";
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd >= 0) {
    struct stat st {};
    // Growing the file is safe while another process maps it: the new bytes are zeros.
    if (::fstat(fd, &st) == 0 && (st.st_size >= static_cast<off_t>(kFileBytes) || ::ftruncate(fd, kFileBytes) == 0)) {
      void* p = ::mmap(nullptr, kFileBytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
      if (p != MAP_FAILED) m->counters = static_cast<std::atomic<std::uint64_t>*>(p);
    }
    ::close(fd);
  }
  g_mapping.store(m, std::memory_order_release);
  return m;
}

const Mapping* CurrentMapping() {
  std::uint64_t root = g_rootGeneration.load(std::memory_order_acquire);
  if (root == 0) {
    SystemRoot();  // sets up the default root
    root = g_rootGeneration.load(std::memory_order_acquire);
  }
  const Mapping* m = g_mapping.load(std::memory_order_acquire);
  if (m && m->root == root) return m;
  return MapRoot(root);
}

}  // namespace

std::uint64_t RootGeneration() { return g_rootGeneration.load(std::memory_order_acquire); }

void NoteNewRoot() { g_rootGeneration.fetch_add(1, std::memory_order_acq_rel); }

Mark Current(Store store) {
  const Mapping* m = CurrentMapping();
  if (!m->counters) return Mark{m->root, g_unmapped.fetch_add(1) << 1 | 1};
  return Mark{m->root, m->counters[static_cast<unsigned>(store) * kSlotStride].load(std::memory_order_acquire) << 1};
}

Mark Bump(Store store) {
  const Mapping* m = CurrentMapping();
  if (!m->counters) return Mark{m->root, g_unmapped.fetch_add(1) << 1 | 1};
  const std::uint64_t n = m->counters[static_cast<unsigned>(store) * kSlotStride].fetch_add(1) + 1;
  return Mark{m->root, n << 1};
}

}  // namespace plat::changes

namespace plat {

void NoteStoreFilesChanged() {
  for (unsigned s = 0; s < changes::kStoreCount; ++s) changes::Bump(static_cast<changes::Store>(s));
}

void NoteFilesCreated() { changes::Bump(changes::Store::Files); }

}  // namespace plat
