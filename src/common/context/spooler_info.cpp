#include "context/spooler_info.h"

#include "context/memory.h"
#include "win/errors.h"

namespace {

// Both fetches follow one protocol: a first call without a buffer must fail with
// ERROR_INSUFFICIENT_BUFFER and report a size; a second call fills a block of that size.
template <class Query>
void* FetchRecord(Query query) {
  DWORD needed = 0;
  if (query(nullptr, 0, &needed) || GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed == 0) return nullptr;
  auto* block = static_cast<BYTE*>(AllocMem(needed));
  if (!block) return nullptr;
  DWORD filled = 0;
  if (!query(block, needed, &filled)) {
    FreeMem(block);
    return nullptr;
  }
  return block;
}

}  // namespace

void* GetPrinterInfo(HANDLE printer, DWORD level) {
  return FetchRecord([&](LPBYTE buffer, DWORD size, LPDWORD needed) {
    return GetPrinterW(printer, level, buffer, size, needed);
  });
}

void* GetPrinterDriverInfo(HANDLE printer, DWORD level) {
  return FetchRecord([&](LPBYTE buffer, DWORD size, LPDWORD needed) {
    return GetPrinterDriverW(printer, nullptr, level, buffer, size, needed);
  });
}
