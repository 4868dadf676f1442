// Spoolane: the spooler-side output library. A document opens the printer's port file
// (the port name of its spooler record, a Windows path such as C:\KovaPort\KovaSample.prn),
// every write appends to it, and the end of the document closes it. Pages are not marked:
// the stream is written exactly as it comes.
//
// The output handle is a small session number (1 and up), never 0, so that it survives
// callers that keep it in 32 bits.
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "win/errors.h"
#include "win/files.h"
#include "win/security.h"
#include "win/spool.h"

namespace {

struct Session {
  HANDLE file = INVALID_HANDLE_VALUE;
};

struct Sessions {
  std::mutex lock;
  std::map<std::uintptr_t, Session> open;
  std::uintptr_t next = 0;
};

Sessions& S() {
  static Sessions s;
  return s;
}

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

// A file port's folder is made when it is missing, as for a local file.
void MakeFolders(const std::u16string& path) {
  const std::size_t cut = path.find_last_of(u'\\');
  if (cut == std::u16string::npos) return;
  for (std::size_t pos = 3; pos <= cut; ++pos) {
    if (pos == cut || path[pos] == u'\\') CreateDirectoryW(path.substr(0, pos).c_str(), nullptr);
  }
}

HANDLE StartDoc(HANDLE printer) {
  std::u16string port;
  if (!PortOf(printer, port)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  MakeFolders(port);
  HANDLE f = CreateFileW(port.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  if (f == INVALID_HANDLE_VALUE) return nullptr;
  std::lock_guard<std::mutex> g(S().lock);
  const std::uintptr_t id = ++S().next;
  S().open[id].file = f;
  return reinterpret_cast<HANDLE>(id);
}

HANDLE FileOf(HANDLE output) {
  std::lock_guard<std::mutex> g(S().lock);
  auto it = S().open.find(reinterpret_cast<std::uintptr_t>(output));
  return it == S().open.end() ? INVALID_HANDLE_VALUE : it->second.file;
}

void CloseSession(HANDLE output) {
  HANDLE f = INVALID_HANDLE_VALUE;
  {
    std::lock_guard<std::mutex> g(S().lock);
    auto it = S().open.find(reinterpret_cast<std::uintptr_t>(output));
    if (it == S().open.end()) return;
    f = it->second.file;
    S().open.erase(it);
  }
  if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
}

// No exception leaves an export: running out of memory while opening is a refusal.
HANDLE StartDocNoThrow(HANDLE printer) noexcept {
  try {
    return StartDoc(printer);
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
}

}  // namespace

KOVA_EXPORT HANDLE DrvSplStartDocEx(HANDLE hPrinter, DWORD /*JobId*/) { return StartDocNoThrow(hPrinter); }

KOVA_EXPORT HANDLE DrvSplStartDoc(HANDLE hPrinter, DWORD /*JobId*/) { return StartDocNoThrow(hPrinter); }

KOVA_EXPORT BOOL DrvSplWritePrinter(HANDLE hDriver, LPVOID pBuf, DWORD cbBuf, LPDWORD pcWritten) {
  if (pcWritten) *pcWritten = 0;
  if (!pcWritten || (!pBuf && cbBuf != 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  HANDLE f = FileOf(hDriver);
  if (f == INVALID_HANDLE_VALUE) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (cbBuf == 0) return TRUE;
  return WriteFile(f, pBuf, cbBuf, pcWritten, nullptr);
}

KOVA_EXPORT BOOL DrvSplStartPage(HANDLE hDriver) { return FileOf(hDriver) != INVALID_HANDLE_VALUE; }

KOVA_EXPORT BOOL DrvSplEndPage(HANDLE hDriver) { return FileOf(hDriver) != INVALID_HANDLE_VALUE; }

// The document's end closes the port file; DrvSplClose afterwards finds nothing more to do.
KOVA_EXPORT BOOL DrvSplEndDoc(HANDLE hDriver) {
  const bool known = FileOf(hDriver) != INVALID_HANDLE_VALUE;
  CloseSession(hDriver);
  return known ? TRUE : FALSE;
}

KOVA_EXPORT void DrvSplClose(HANDLE hDriver) { CloseSession(hDriver); }
