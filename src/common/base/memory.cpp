#include "base/memory.h"

#include <cstring>

#include "win/kernel.h"

void* AllocMem(DWORD n) {
  // GMEM_ZEROINIT hands the block out zero-filled.
  return GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, n);
}

void FreeMem(void* block) {
  if (block) GlobalFree(block);
}
