#include "context/memory.h"

#include <cstring>

#include "win/kernel.h"

void* AllocMem(DWORD n) {
  void* p = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, n);
  if (p) std::memset(p, 0, n);
  return p;
}

void FreeMem(void* block) {
  if (block) GlobalFree(block);
}
