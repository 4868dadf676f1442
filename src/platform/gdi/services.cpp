// Engine services around the driver: resources of driver modules, local time, printer
// output and printer data, code pages, memory.
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

#include "gdi_internal.h"
#include "plat/engine.h"
#include "plat/system.h"
#include "plat/wstr.h"
#include "win/errors.h"
#include "win/files.h"
#include "win/kernel.h"
#include "win/resources.h"
#include "win/security.h"
#include "win/spool.h"

namespace plat {
namespace {

struct ResourceRegistry {
  std::mutex lock;
  std::map<HMODULE, std::vector<EngineResource>> tables;
};

ResourceRegistry& Registry() {
  static ResourceRegistry* r = new ResourceRegistry;
  return *r;
}

}  // namespace

bool RegisterEngineResources(HMODULE module, const EngineResource* table, std::size_t count) {
  if (!module || (!table && count != 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  for (std::size_t i = 0; i < count; ++i) {
    if (!table[i].data && table[i].size != 0) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return false;
    }
  }
  std::lock_guard<std::mutex> g(Registry().lock);
  Registry().tables[module].assign(table, table + count);
  return true;
}

bool UnregisterEngineResources(HMODULE module) {
  std::lock_guard<std::mutex> g(Registry().lock);
  return Registry().tables.erase(module) != 0;
}

}  // namespace plat

BOOL WINAPI EngRegisterModuleResources(HMODULE hModule, const ENGRESOURCE* pTable, ULONG cEntries) {
  std::vector<plat::EngineResource> table;
  table.reserve(cEntries);
  for (ULONG i = 0; pTable && i < cEntries; ++i) {
    table.push_back({pTable[i].iType, pTable[i].iName, pTable[i].pvData, pTable[i].cjSize});
  }
  if (!pTable && cEntries != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return plat::RegisterEngineResources(hModule, table.data(), table.size()) ? TRUE : FALSE;
}

BOOL WINAPI EngUnregisterModuleResources(HMODULE hModule) {
  return plat::UnregisterEngineResources(hModule) ? TRUE : FALSE;
}

namespace {

// The port file of a printer handle: PRINTER_INFO_2's port name.
bool PortOf(HANDLE printer, std::u16string& port) {
  DWORD needed = 0;
  GetPrinterW(printer, 2, nullptr, 0, &needed);
  if (needed < sizeof(PRINTER_INFO_2W)) return false;
  std::vector<BYTE> buf(needed);
  if (!GetPrinterW(printer, 2, buf.data(), needed, &needed)) return false;
  const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buf.data());
  if (!info->pPortName || !info->pPortName[0]) return false;
  port = info->pPortName;
  return true;
}

// Creates the folder of a port file when it is missing (a file port acts as a local file).
void EnsureParentFolder(const std::u16string& path) {
  const std::size_t cut = path.find_last_of(u'\\');
  if (cut == std::u16string::npos || cut < 3) return;
  std::u16string parent = path.substr(0, cut);
  // Create each missing level from the drive down.
  for (std::size_t pos = 3; pos <= parent.size(); ++pos) {
    if (pos == parent.size() || parent[pos] == u'\\') {
      const std::u16string part = parent.substr(0, pos);
      CreateDirectoryW(part.c_str(), nullptr);
    }
  }
}

}  // namespace

using plat::gdi::NoThrow;

extern "C" {

PVOID WINAPI EngFindResource(HANDLE h, int iName, int iType, PULONG pulSize) {
  return NoThrow<PVOID>(nullptr, [&]() -> PVOID {
    if (pulSize) *pulSize = 0;
    if (!h || iName <= 0 || iName > 0xFFFF || iType <= 0 || iType > 0xFFFF) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    const HMODULE module = static_cast<HMODULE>(h);
    {
      auto& reg = plat::Registry();
      std::lock_guard<std::mutex> g(reg.lock);
      auto it = reg.tables.find(module);
      if (it != reg.tables.end()) {
        bool typeSeen = false;
        for (const auto& r : it->second) {
          if (r.type != iType) continue;
          typeSeen = true;
          if (r.id != iName) continue;
          if (pulSize) *pulSize = r.size;
          return const_cast<void*>(r.data);
        }
        SetLastError(typeSeen ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
        return nullptr;
      }
    }
    HRSRC res = FindResourceW(module, MAKEINTRESOURCEW(static_cast<WORD>(iName)),
                              MAKEINTRESOURCEW(static_cast<WORD>(iType)));
    if (!res) return nullptr;
    HGLOBAL data = LoadResource(module, res);
    void* p = data ? LockResource(data) : nullptr;
    if (!p) return nullptr;
    if (pulSize) *pulSize = SizeofResource(module, res);
    return p;
  });
}

void WINAPI EngQueryLocalTime(PENG_TIME_FIELDS ptf) {
  if (!ptf) return;
  const SYSTEMTIME t = plat::CurrentLocalTime();
  ptf->usYear = t.wYear;
  ptf->usMonth = t.wMonth;
  ptf->usDay = t.wDay;
  ptf->usHour = t.wHour;
  ptf->usMinute = t.wMinute;
  ptf->usSecond = t.wSecond;
  ptf->usMilliseconds = t.wMilliseconds;
  ptf->usWeekday = t.wDayOfWeek;
}

BOOL WINAPI EngWritePrinter(HANDLE hPrinter, LPVOID pBuf, DWORD cbBuf, LPDWORD pcWritten) {
  return NoThrow<BOOL>(FALSE, [&]() -> BOOL {
    if (pcWritten) *pcWritten = 0;
    if (!pcWritten || (!pBuf && cbBuf != 0)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    std::u16string port;
    if (!PortOf(hPrinter, port)) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    EnsureParentFolder(port);
    HANDLE f = CreateFileW(port.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (f == INVALID_HANDLE_VALUE) return FALSE;
    SetFilePointer(f, 0, nullptr, FILE_END);
    DWORD written = 0;
    const BOOL ok = cbBuf == 0 ? TRUE : WriteFile(f, pBuf, cbBuf, &written, nullptr);
    const DWORD err = GetLastError();
    CloseHandle(f);
    *pcWritten = written;
    if (!ok) SetLastError(err);
    return ok;
  });
}

DWORD WINAPI EngGetPrinterData(HANDLE hPrinter, LPWSTR pValueName, LPDWORD pType, LPBYTE pData, DWORD nSize,
                               LPDWORD pcbNeeded) {
  return GetPrinterDataW(hPrinter, pValueName, pType, pData, nSize, pcbNeeded);
}

DWORD WINAPI EngSetPrinterData(HANDLE hPrinter, LPWSTR pValueName, DWORD Type, LPBYTE pData, DWORD cbData) {
  return SetPrinterDataW(hPrinter, pValueName, Type, pData, cbData);
}

void WINAPI EngGetCurrentCodePage(PUSHORT OemCodePage, PUSHORT AnsiCodePage) {
  if (OemCodePage) *OemCodePage = static_cast<USHORT>(GetOEMCP());
  if (AnsiCodePage) *AnsiCodePage = static_cast<USHORT>(GetACP());
}

void WINAPI EngMultiByteToUnicodeN(LPWSTR UnicodeString, ULONG MaxBytesInUnicodeString, ULONG* BytesInUnicodeString,
                                   PCHAR MultiByteString, ULONG BytesInMultiByteString) {
  if (BytesInUnicodeString) *BytesInUnicodeString = 0;
  if (!UnicodeString || (!MultiByteString && BytesInMultiByteString != 0)) return;
  RtlMultiByteToUnicodeN(UnicodeString, MaxBytesInUnicodeString, BytesInUnicodeString, MultiByteString,
                         BytesInMultiByteString);
}

void WINAPI EngUnicodeToMultiByteN(PCHAR MultiByteString, ULONG MaxBytesInMultiByteString,
                                   ULONG* BytesInMultiByteString, LPWSTR UnicodeString, ULONG BytesInUnicodeString) {
  if (BytesInMultiByteString) *BytesInMultiByteString = 0;
  if (!MultiByteString || (!UnicodeString && BytesInUnicodeString != 0)) return;
  RtlUnicodeToMultiByteN(MultiByteString, MaxBytesInMultiByteString, BytesInMultiByteString, UnicodeString,
                         BytesInUnicodeString);
}

PVOID WINAPI EngAllocMem(ULONG Flags, ULONG MemSize, ULONG /*Tag*/) {
  const std::size_t n = MemSize == 0 ? 1 : MemSize;
  void* p = (Flags & FL_ZERO_MEMORY) ? std::calloc(1, n) : std::malloc(n);
  if (!p) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return p;
}

void WINAPI EngFreeMem(PVOID Mem) { std::free(Mem); }

}  // extern "C"
