#include "device_heap.h"

#include <cstring>
#include <limits>

#include "win/kernel.h"

namespace rendara {

namespace {

// The header in front of every block: the link, padded so the data keeps the alignment
// that the global allocator gives.
struct alignas(alignof(std::max_align_t)) BlockHeader {
  BlockHeader* next;
};

}  // namespace

struct DeviceHeap {
  BlockHeader* first;
};

DeviceHeap* CreateDeviceHeap() {
  auto* list = static_cast<DeviceHeap*>(GlobalAlloc(GMEM_FIXED, sizeof(DeviceHeap)));
  if (list) list->first = nullptr;
  return list;
}

void DestroyDeviceHeap(DeviceHeap* list) {
  if (!list) return;
  BlockHeader* block = list->first;
  while (block) {
    BlockHeader* next = block->next;
    GlobalFree(block);
    block = next;
  }
  list->first = nullptr;
  GlobalFree(list);
}

void* DeviceAlloc(DeviceHeap* list, std::size_t n) {
  if (!list) return nullptr;
  if (n > std::numeric_limits<DWORD>::max() - sizeof(BlockHeader)) return nullptr;
  auto* block = static_cast<BlockHeader*>(GlobalAlloc(GMEM_FIXED, n + sizeof(BlockHeader)));
  if (!block) return nullptr;
  block->next = list->first;
  list->first = block;
  void* data = block + 1;
#ifdef KOVA_SANITIZE
  std::memset(data, kDeviceFillByte, n);
#endif
  return data;
}

void DeviceFree(DeviceHeap* list, void* data) {
  if (!list || !data) return;
  BlockHeader** link = &list->first;
  while (*link) {
    BlockHeader* block = *link;
    if (static_cast<void*>(block + 1) == data) {
      *link = block->next;
      GlobalFree(block);
      return;
    }
    link = &block->next;
  }
}

std::size_t DeviceBlockCount(const DeviceHeap* list) {
  std::size_t count = 0;
  if (list)
    for (const BlockHeader* block = list->first; block; block = block->next) ++count;
  return count;
}

}  // namespace rendara
