// Low memory: blocks whose addresses fit a 32-bit slot of a record that crosses a caller
// boundary (the driver was laid out for a 32-bit build). Every address is below 2 GiB, so it
// also survives sign extension. The platform keeps the set of live blocks: freeing an
// address that is not a live block's start frees nothing and answers FALSE.
//
// Our own extension of the kernel services; nothing of Windows' own carries this name.
#pragma once

// Exported by the platform library (built with hidden visibility otherwise).
#pragma GCC visibility push(default)

#include "win/types.h"

// A zero-filled block of at least `bytes` bytes below 2 GiB, or null (ERROR_NOT_ENOUGH_MEMORY
// when the low window is exhausted, ERROR_INVALID_PARAMETER for 0 bytes).
KOVA_EXPORT LPVOID WINAPI LowMemoryAlloc(SIZE_T bytes);
// FALSE (ERROR_INVALID_ADDRESS) for an address that is no live block's start.
KOVA_EXPORT BOOL WINAPI LowMemoryFree(LPVOID block);
// TRUE when [address, address + bytes) lies inside one live block.
KOVA_EXPORT BOOL WINAPI IsLowMemoryBlock(LPCVOID address, SIZE_T bytes);
// A low address as the 32-bit slot value that records keep, and back.
inline DWORD LowMemoryToSlot(LPCVOID block) { return static_cast<DWORD>(reinterpret_cast<UINT_PTR>(block)); }
inline LPVOID LowMemoryFromSlot(DWORD slot) { return reinterpret_cast<LPVOID>(static_cast<UINT_PTR>(slot)); }

#pragma GCC visibility pop
