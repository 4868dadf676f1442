// The filter plug-in double: IKOVAGetInterface hands out the eight-slot interface; every
// operation is recorded, and can be refused on request (see filter_double.h).
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "filter_double.h"
#include "filter_interface.h"
#include "win/loader.h"

namespace {

using HandleProc = HANDLE (*)(HANDLE, DWORD);
using WriteProc = BOOL (*)(HANDLE, LPVOID, DWORD, LPDWORD);
using OneProc = BOOL (*)(HANDLE);
using CloseProc = void (*)(HANDLE);

struct State {
  std::recursive_mutex lock;
  std::string log;
  std::vector<BYTE> bytes;
  FilterDoubleConfig config{};
  DWORD writes = 0;
  std::string outputPath;  // the last path of the list
  HMODULE output = nullptr;
  HANDLE outputHandle = nullptr;
};

State& S() {
  static State s;
  return s;
}

void Line(const std::string& text) {
  S().log += text;
  S().log += '\n';
}

std::string Hex(const void* p) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%#" PRIxPTR, reinterpret_cast<std::uintptr_t>(p));
  return buf;
}

template <class F>
F Out(const char* name) {
  return S().output ? ProcCast<F>(GetProcAddress(S().output, name)) : nullptr;
}

BOOL Open(HANDLE* outputHandle, char** paths) {
  std::lock_guard<std::recursive_mutex> g(S().lock);
  std::string list;
  S().outputPath.clear();
  for (char** p = paths; p && *p; ++p) {
    if (!list.empty()) list += '|';
    list += *p;
    S().outputPath = *p;
  }
  const BOOL ok = S().config.refuseOpen ? FALSE : TRUE;
  if (outputHandle) *outputHandle = ok ? reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(kFilterDoubleHandle)) : nullptr;
  Line("Open paths=" + list + " -> " + (ok ? "TRUE" : "FALSE") + " handle=" +
       Hex(outputHandle ? *outputHandle : nullptr));
  return ok;
}

void Close(HANDLE h) {
  std::lock_guard<std::recursive_mutex> g(S().lock);
  Line("Close handle=" + Hex(h));
  if (auto close = Out<CloseProc>("DrvSplClose")) close(S().outputHandle);
  if (S().output) FreeLibrary(S().output);
  S().output = nullptr;
  S().outputHandle = nullptr;
}

void StartDoc(HANDLE h, HANDLE printer, DWORD job) {
  std::lock_guard<std::recursive_mutex> g(S().lock);
  Line("StartDoc handle=" + Hex(h) + " printer=" + Hex(printer) + " job=" + std::to_string(job));
  if (S().config.passOn && !S().outputPath.empty() && !S().output) {
    S().output = LoadLibraryA(S().outputPath.c_str());
    auto start = Out<HandleProc>("DrvSplStartDocEx");
    if (!start) start = Out<HandleProc>("DrvSplStartDoc");
    if (start) S().outputHandle = start(printer, job);
  }
}

void EndDoc(HANDLE h) {
  std::lock_guard<std::recursive_mutex> g(S().lock);
  Line("EndDoc handle=" + Hex(h));
  if (auto end = Out<OneProc>("DrvSplEndDoc")) end(S().outputHandle);
}

void StartPage(HANDLE h) {
  std::lock_guard<std::recursive_mutex> g(S().lock);
  Line("StartPage handle=" + Hex(h));
  if (auto start = Out<OneProc>("DrvSplStartPage")) start(S().outputHandle);
}

BOOL EndPage(HANDLE h) {
  std::lock_guard<std::recursive_mutex> g(S().lock);
  const BOOL ok = S().config.refuseEndPage ? FALSE : TRUE;
  Line("EndPage handle=" + Hex(h) + " -> " + (ok ? "TRUE" : "FALSE"));
  if (auto end = Out<OneProc>("DrvSplEndPage")) end(S().outputHandle);
  return ok;
}

BOOL Write(HANDLE h, const void* bytes, DWORD length, DWORD* written) {
  std::lock_guard<std::recursive_mutex> g(S().lock);
  const DWORD call = ++S().writes;
  BOOL ok = (written && (bytes || length == 0) && call != S().config.failWriteAt) ? TRUE : FALSE;
  DWORD taken = ok ? length : 0;
  if (ok && S().output) {
    if (auto write = Out<WriteProc>("DrvSplWritePrinter")) {
      DWORD passed = 0;
      ok = write(S().outputHandle, const_cast<void*>(bytes), length, &passed);
      taken = ok ? passed : 0;
    }
  }
  if (taken) {
    const auto* p = static_cast<const BYTE*>(bytes);
    S().bytes.insert(S().bytes.end(), p, p + taken);
  }
  if (written) *written = taken;
  Line("Write handle=" + Hex(h) + " length=" + std::to_string(length) + " -> " + std::to_string(taken) +
       (ok ? " TRUE" : " FALSE"));
  return ok;
}

rendara::FilterInterface g_interface{nullptr, Open, Close, StartDoc, EndDoc, StartPage, EndPage, Write};

}  // namespace

#if !defined(FILTER_DOUBLE_NO_INTERFACE)
KOVA_EXPORT BOOL IKOVAGetInterface(DWORD version, rendara::FilterInterface** out) {
  std::lock_guard<std::recursive_mutex> g(S().lock);
  const BOOL ok = (!S().config.refuseInterface && out && version == rendara::kFilterInterfaceVersion) ? TRUE : FALSE;
  if (out) *out = ok ? &g_interface : nullptr;
  Line("GetInterface version=" + std::to_string(version) + " -> " + (ok ? "TRUE" : "FALSE"));
  return ok;
}
#endif

#if !defined(FILTER_DOUBLE_NO_DISPOSE)
KOVA_EXPORT void IKOVADisposeInterface(rendara::FilterInterface* iface) {
  std::lock_guard<std::recursive_mutex> g(S().lock);
  Line(iface == &g_interface ? "Dispose" : "Dispose foreign=" + Hex(iface));
}
#endif

KOVA_EXPORT void FilterDoubleReset() {
  std::lock_guard<std::recursive_mutex> g(S().lock);
  S().log.clear();
  S().bytes.clear();
  S().config = FilterDoubleConfig{};
  S().writes = 0;
}

KOVA_EXPORT void FilterDoubleConfigure(const FilterDoubleConfig* config) {
  std::lock_guard<std::recursive_mutex> g(S().lock);
  S().config = config ? *config : FilterDoubleConfig{};
  S().writes = 0;
}

KOVA_EXPORT DWORD FilterDoubleLog(char* buffer, DWORD size) {
  std::lock_guard<std::recursive_mutex> g(S().lock);
  const DWORD need = static_cast<DWORD>(S().log.size() + 1);
  if (buffer && size >= need) std::memcpy(buffer, S().log.c_str(), need);
  return need;
}

KOVA_EXPORT DWORD FilterDoubleBytes(BYTE* buffer, DWORD size) {
  std::lock_guard<std::recursive_mutex> g(S().lock);
  const DWORD n = static_cast<DWORD>(S().bytes.size());
  if (buffer && size >= n && n) std::memcpy(buffer, S().bytes.data(), n);
  return n;
}
