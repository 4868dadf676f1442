// Low memory (win/lowmem.h): anonymous mappings placed in the first 2 GiB (MAP_32BIT), one
// per block, and the set of live blocks, so that a record's 32-bit address slot can hold
// them and a free of an unknown or repeated address is refused.
#include "win/lowmem.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <map>
#include <mutex>

#include "win/errors.h"
#include "plat/system.h"
#include "win/kernel.h"

namespace {

struct Live {
  std::mutex lock;
  std::map<std::uintptr_t, std::size_t> blocks;  // start -> mapped length
};

Live& L() {
  static Live live;
  return live;
}

std::size_t PageRounded(std::size_t bytes) {
  const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  return (bytes + page - 1) / page * page;
}

constexpr std::uintptr_t kLimit = 0x80000000u;

}  // namespace

LPVOID WINAPI LowMemoryAlloc(SIZE_T bytes) {
  if (bytes == 0 || bytes > kLimit || plat::IsAllocationFailureInjected(bytes)) {
    SetLastError(bytes == 0 ? ERROR_INVALID_PARAMETER : ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  const std::size_t length = PageRounded(bytes);
  void* p = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_32BIT, -1, 0);
  if (p == MAP_FAILED) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  const auto start = reinterpret_cast<std::uintptr_t>(p);
  if (start + length > kLimit) {
    ::munmap(p, length);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  std::lock_guard<std::mutex> guard(L().lock);
  L().blocks[start] = length;
  return p;
}

BOOL WINAPI LowMemoryFree(LPVOID block) {
  std::size_t length = 0;
  {
    std::lock_guard<std::mutex> guard(L().lock);
    auto it = L().blocks.find(reinterpret_cast<std::uintptr_t>(block));
    if (!block || it == L().blocks.end()) {
      SetLastError(ERROR_INVALID_ADDRESS);
      return FALSE;
    }
    length = it->second;
    L().blocks.erase(it);
  }
  ::munmap(block, length);
  return TRUE;
}

BOOL WINAPI IsLowMemoryBlock(LPCVOID address, SIZE_T bytes) {
  const auto a = reinterpret_cast<std::uintptr_t>(address);
  std::lock_guard<std::mutex> guard(L().lock);
  auto it = L().blocks.upper_bound(a);
  if (!address || it == L().blocks.begin()) return FALSE;
  --it;
  return a >= it->first && bytes <= it->second && a - it->first <= it->second - bytes ? TRUE : FALSE;
}
