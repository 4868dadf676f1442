// Global, local and process-heap memory.
//
// Every block is known to a registry of the process, so a pointer or handle that is not a
// live block is answered with ERROR_INVALID_HANDLE instead of freeing foreign memory.
// Fixed blocks are their own handles (the address of the first byte). A moveable block has
// a separate handle (the address of its record here) and is reached through GlobalLock.
#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "plat/system.h"
#include "win/kernel.h"

namespace {

struct Block {
  // malloc'd. A fixed zero-size block has one byte behind it; a moveable one of zero size is
  // "discarded" and has none (GlobalLock answers NULL for it).
  void* data = nullptr;
  SIZE_T size = 0;
  bool moveable = false;
  UINT lockCount = 0;
};

struct Registry {
  std::mutex lock;
  std::unordered_map<std::uintptr_t, Block*> byHandle;  // handle -> block
  std::unordered_map<std::uintptr_t, Block*> byData;    // data address -> block
};

Registry& registry() {
  static Registry* r = new Registry;  // never destroyed: blocks may be freed during exit
  return *r;
}

std::uintptr_t Key(const void* p) { return reinterpret_cast<std::uintptr_t>(p); }

// The process heap's pseudo handle.
HANDLE const kProcessHeap = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(0x7FFE0000));

std::atomic<SIZE_T> g_failSize{0};

HGLOBAL Allocate(UINT flags, SIZE_T bytes) {
  const SIZE_T failSize = g_failSize.load(std::memory_order_relaxed);
  if (bytes > (SIZE_T{1} << 40) || (failSize != 0 && bytes == failSize)) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  const bool discarded = (flags & GMEM_MOVEABLE) && bytes == 0;
  void* data = nullptr;
  if (!discarded)
    data = (flags & GMEM_ZEROINIT) ? std::calloc(bytes ? bytes : 1, 1) : std::malloc(bytes ? bytes : 1);
  if (!data && !discarded) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  auto* b = new Block{data, bytes, (flags & GMEM_MOVEABLE) != 0, 0};
  auto& r = registry();
  std::lock_guard<std::mutex> g(r.lock);
  HGLOBAL h = b->moveable ? static_cast<HGLOBAL>(b) : data;
  r.byHandle.emplace(Key(h), b);
  if (data) r.byData.emplace(Key(data), b);
  return h;
}

// The block behind a handle; with the registry lock held.
Block* Find(Registry& r, HGLOBAL h) {
  auto it = r.byHandle.find(Key(h));
  return it == r.byHandle.end() ? nullptr : it->second;
}

HGLOBAL Free(HGLOBAL h) {
  if (!h) return nullptr;
  auto& r = registry();
  Block* b = nullptr;
  {
    std::lock_guard<std::mutex> g(r.lock);
    b = Find(r, h);
    if (!b) {
      SetLastError(ERROR_INVALID_HANDLE);
      return h;
    }
    r.byHandle.erase(Key(h));
    if (b->data) r.byData.erase(Key(b->data));
  }
  std::free(b->data);
  delete b;
  return nullptr;
}

SIZE_T Size(HGLOBAL h) {
  auto& r = registry();
  std::lock_guard<std::mutex> g(r.lock);
  Block* b = Find(r, h);
  if (!b) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return b->size;
}

LPVOID Lock(HGLOBAL h) {
  auto& r = registry();
  std::lock_guard<std::mutex> g(r.lock);
  Block* b = Find(r, h);
  if (!b) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (!b->data) return nullptr;  // discarded
  if (b->moveable && b->lockCount < 0xFF) ++b->lockCount;
  return b->data;
}

BOOL Unlock(HGLOBAL h) {
  auto& r = registry();
  std::lock_guard<std::mutex> g(r.lock);
  Block* b = Find(r, h);
  if (!b) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (!b->moveable) return TRUE;  // fixed blocks are never "locked"; the call is a no-op
  if (b->lockCount == 0) {
    SetLastError(ERROR_NOT_LOCKED);
    return FALSE;
  }
  if (--b->lockCount > 0) return TRUE;
  SetLastError(NO_ERROR);
  return FALSE;
}

// Reallocation. A fixed block, or a locked moveable one, may only change in place unless
// GMEM_MOVEABLE is given for a fixed block; an unlocked moveable block may move.
HGLOBAL ReAlloc(HGLOBAL h, SIZE_T bytes, UINT flags) {
  if (bytes > (SIZE_T{1} << 40)) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  auto& r = registry();
  std::lock_guard<std::mutex> g(r.lock);
  Block* b = Find(r, h);
  if (!b) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (flags & GMEM_MODIFY) {
    // Only the attributes change; turning a fixed block moveable is not supported and
    // leaves it as it is, as Windows does for fixed memory.
    return h;
  }
  const SIZE_T old = b->size;
  const SIZE_T usable = b->data ? malloc_usable_size(b->data) : 0;
  const bool mayMove = b->moveable ? b->lockCount == 0 : (flags & GMEM_MOVEABLE) != 0;
  void* data = b->data;
  if (b->moveable && bytes == 0 && b->lockCount == 0) {
    // An unlocked moveable block shrunk to nothing is discarded; the handle stays valid.
    if (b->data) r.byData.erase(Key(b->data));
    std::free(b->data);
    b->data = nullptr;
    b->size = 0;
    return h;
  }
  if (b->data && bytes <= usable) {
    // in place
  } else if (!mayMove) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  } else {
    data = std::realloc(b->data, bytes);
    if (!data) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
  }
  if ((flags & GMEM_ZEROINIT) && bytes > old) std::memset(static_cast<char*>(data) + old, 0, bytes - old);
  if (data != b->data) {
    if (b->data) r.byData.erase(Key(b->data));
    r.byData.emplace(Key(data), b);
    if (!b->moveable) {
      r.byHandle.erase(Key(h));
      r.byHandle.emplace(Key(data), b);
    }
    b->data = data;
  }
  b->size = bytes;
  return b->moveable ? h : static_cast<HGLOBAL>(data);
}

}  // namespace

extern "C" {

HGLOBAL WINAPI GlobalAlloc(UINT uFlags, SIZE_T dwBytes) { return Allocate(uFlags, dwBytes); }
HGLOBAL WINAPI GlobalReAlloc(HGLOBAL hMem, SIZE_T dwBytes, UINT uFlags) { return ReAlloc(hMem, dwBytes, uFlags); }
HGLOBAL WINAPI GlobalFree(HGLOBAL hMem) { return Free(hMem); }
SIZE_T WINAPI GlobalSize(HGLOBAL hMem) { return Size(hMem); }
LPVOID WINAPI GlobalLock(HGLOBAL hMem) { return Lock(hMem); }
BOOL WINAPI GlobalUnlock(HGLOBAL hMem) { return Unlock(hMem); }

HGLOBAL WINAPI GlobalHandle(LPCVOID pMem) {
  auto& r = registry();
  std::lock_guard<std::mutex> g(r.lock);
  auto it = r.byData.find(Key(pMem));
  if (it == r.byData.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  Block* b = it->second;
  return b->moveable ? static_cast<HGLOBAL>(b) : b->data;
}

UINT WINAPI GlobalFlags(HGLOBAL hMem) {
  auto& r = registry();
  std::lock_guard<std::mutex> g(r.lock);
  Block* b = Find(r, hMem);
  if (!b) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0x8000;  // GMEM_INVALID_HANDLE
  }
  return (b->lockCount & 0xFF) | (b->moveable && !b->data ? 0x4000u /* GMEM_DISCARDED */ : 0u);
}

HLOCAL WINAPI LocalAlloc(UINT uFlags, SIZE_T uBytes) { return Allocate(uFlags, uBytes); }
HLOCAL WINAPI LocalReAlloc(HLOCAL hMem, SIZE_T uBytes, UINT uFlags) { return ReAlloc(hMem, uBytes, uFlags); }
HLOCAL WINAPI LocalFree(HLOCAL hMem) { return Free(hMem); }
SIZE_T WINAPI LocalSize(HLOCAL hMem) { return Size(hMem); }
LPVOID WINAPI LocalLock(HLOCAL hMem) { return Lock(hMem); }
BOOL WINAPI LocalUnlock(HLOCAL hMem) { return Unlock(hMem); }

HANDLE WINAPI GetProcessHeap() { return kProcessHeap; }

LPVOID WINAPI HeapAlloc(HANDLE hHeap, DWORD dwFlags, SIZE_T dwBytes) {
  if (hHeap != kProcessHeap) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return Allocate((dwFlags & HEAP_ZERO_MEMORY) ? GMEM_ZEROINIT : 0, dwBytes);
}

LPVOID WINAPI HeapReAlloc(HANDLE hHeap, DWORD dwFlags, LPVOID lpMem, SIZE_T dwBytes) {
  if (hHeap != kProcessHeap) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  UINT flags = (dwFlags & HEAP_ZERO_MEMORY) ? GMEM_ZEROINIT : 0;
  if (!(dwFlags & HEAP_REALLOC_IN_PLACE_ONLY)) flags |= GMEM_MOVEABLE;
  return ReAlloc(lpMem, dwBytes, flags);
}

BOOL WINAPI HeapFree(HANDLE hHeap, DWORD, LPVOID lpMem) {
  if (hHeap != kProcessHeap) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (!lpMem) return TRUE;
  return Free(lpMem) == nullptr ? TRUE : FALSE;
}

SIZE_T WINAPI HeapSize(HANDLE hHeap, DWORD, LPCVOID lpMem) {
  if (hHeap != kProcessHeap) {
    SetLastError(ERROR_INVALID_HANDLE);
    return static_cast<SIZE_T>(-1);
  }
  auto& r = registry();
  std::lock_guard<std::mutex> g(r.lock);
  Block* b = Find(r, const_cast<LPVOID>(lpMem));
  if (!b) {
    SetLastError(ERROR_INVALID_HANDLE);
    return static_cast<SIZE_T>(-1);
  }
  return b->size;
}

}  // extern "C"

void plat::FailAllocationsOfSize(SIZE_T bytes) { g_failSize.store(bytes); }
bool plat::IsAllocationFailureInjected(SIZE_T bytes) {
  const SIZE_T failSize = g_failSize.load(std::memory_order_relaxed);
  return failSize != 0 && bytes == failSize;
}
