// The allocation list of a rendering device.
//
// Every block a device allocates comes from its own list, so that destroying the device
// frees everything a failed call left behind. The list is a head cell that holds the first
// block; each block is one fixed global allocation whose first word links to the next
// block, and the caller gets the address after that header. New blocks go to the front.
//
// Blocks are not zero-filled: every user writes what it uses. In the sanitizer build they
// are filled with kDeviceFillByte instead, so that a byte nobody wrote shows in tests.
#pragma once

#include <cstddef>

#include "win/types.h"

namespace rendara {

struct DeviceHeap;

#ifdef KOVA_SANITIZE
constexpr BYTE kDeviceFillByte = 0xCD;
#endif

// A new, empty list, or null when the head cell cannot be allocated.
DeviceHeap* CreateDeviceHeap();
// Frees every block from the front, then the head cell; null does nothing.
void DestroyDeviceHeap(DeviceHeap* list);
// A block of n bytes (not zero-filled), or null for no list, a size that overflows or
// exhausted memory. The data address is aligned for any object.
void* DeviceAlloc(DeviceHeap* list, std::size_t n);
// Unlinks and frees the block whose data address is block; a block that is not on the
// list, and null, are ignored.
void DeviceFree(DeviceHeap* list, void* block);
// Number of blocks on the list (for tests and checks).
std::size_t DeviceBlockCount(const DeviceHeap* list);

}  // namespace rendara
