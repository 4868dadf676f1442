// The output library double: records every DrvSpl* call and the bytes written, and can
// refuse the document or fail or shorten a write on request (see output_double.h).
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "output_double.h"

namespace {

DWORD EnvNumber(const char* name) {
  const char* v = std::getenv(name);
  return v ? static_cast<DWORD>(std::strtoul(v, nullptr, 0)) : 0;
}

struct State {
  State() {
    // A double loaded by another process (drvhost) is steered by the host environment.
    config.refuseStartDoc = std::getenv("KOVA_OUTPUTDOUBLE_REFUSE") ? TRUE : FALSE;
    config.failWriteAt = EnvNumber("KOVA_OUTPUTDOUBLE_FAIL_WRITE");
    config.shortWriteAt = EnvNumber("KOVA_OUTPUTDOUBLE_SHORT_WRITE");
  }
  std::mutex lock;
  std::string log;
  std::vector<BYTE> bytes;
  OutputDoubleConfig config{};
  DWORD writes = 0;
  std::uintptr_t nextHandle = kOutputDoubleFirstHandle;
};

State& S() {
  static State s;
  return s;
}

void Line(const std::string& text) {
  S().log += text;
  S().log += '\n';
  if (const char* file = std::getenv("KOVA_OUTPUTDOUBLE_LOG")) {
    if (std::FILE* f = std::fopen(file, "a")) {
      std::fprintf(f, "%s\n", text.c_str());
      std::fclose(f);
    }
  }
}

std::string Hex(const void* p) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%#" PRIxPTR, reinterpret_cast<std::uintptr_t>(p));
  return buf;
}

[[maybe_unused]] HANDLE StartDoc(const char* name, HANDLE printer, DWORD job) {
  std::lock_guard<std::mutex> g(S().lock);
  HANDLE h = S().config.refuseStartDoc ? nullptr : reinterpret_cast<HANDLE>(S().nextHandle++);
  Line(std::string(name) + " printer=" + Hex(printer) + " job=" + std::to_string(job) + " -> " + Hex(h));
  return h;
}

void Simple(const char* name, HANDLE h) {
  std::lock_guard<std::mutex> g(S().lock);
  Line(std::string(name) + " handle=" + Hex(h));
}

}  // namespace

#if !defined(OUTPUT_DOUBLE_NO_START)
#if !defined(OUTPUT_DOUBLE_NO_START_EX)
KOVA_EXPORT HANDLE DrvSplStartDocEx(HANDLE hPrinter, DWORD JobId) { return StartDoc("StartDocEx", hPrinter, JobId); }
#endif
KOVA_EXPORT HANDLE DrvSplStartDoc(HANDLE hPrinter, DWORD JobId) { return StartDoc("StartDoc", hPrinter, JobId); }
#endif

#if !defined(OUTPUT_DOUBLE_NO_WRITE)
KOVA_EXPORT BOOL DrvSplWritePrinter(HANDLE hDriver, LPVOID pBuf, DWORD cbBuf, LPDWORD pcWritten) {
  std::lock_guard<std::mutex> g(S().lock);
  const DWORD call = ++S().writes;
  DWORD taken = cbBuf;
  BOOL ok = TRUE;
  if (!pcWritten || (!pBuf && cbBuf != 0)) {
    ok = FALSE;
    taken = 0;
  } else if (call == S().config.failWriteAt) {
    ok = FALSE;
    taken = 0;
  } else if (call == S().config.shortWriteAt && cbBuf > 0) {
    taken = cbBuf - 1;
  }
  if (taken) {
    const auto* p = static_cast<const BYTE*>(pBuf);
    S().bytes.insert(S().bytes.end(), p, p + taken);
    if (const char* file = std::getenv("KOVA_OUTPUTDOUBLE_BYTES")) {
      if (std::FILE* f = std::fopen(file, "ab")) {
        std::fwrite(p, 1, taken, f);
        std::fclose(f);
      }
    }
  }
  if (pcWritten) *pcWritten = taken;
  Line("Write handle=" + Hex(hDriver) + " length=" + std::to_string(cbBuf) + " -> " + std::to_string(taken) +
       (ok ? " TRUE" : " FALSE"));
  return ok;
}
#endif

KOVA_EXPORT BOOL DrvSplStartPage(HANDLE hDriver) {
  Simple("StartPage", hDriver);
  return TRUE;
}

KOVA_EXPORT BOOL DrvSplEndPage(HANDLE hDriver) {
  Simple("EndPage", hDriver);
  return TRUE;
}

KOVA_EXPORT BOOL DrvSplEndDoc(HANDLE hDriver) {
  Simple("EndDoc", hDriver);
  return TRUE;
}

KOVA_EXPORT void DrvSplClose(HANDLE hDriver) { Simple("Close", hDriver); }

KOVA_EXPORT void OutputDoubleReset() {
  std::lock_guard<std::mutex> g(S().lock);
  S().log.clear();
  S().bytes.clear();
  S().config = OutputDoubleConfig{};
  S().writes = 0;
  S().nextHandle = kOutputDoubleFirstHandle;
}

KOVA_EXPORT void OutputDoubleConfigure(const OutputDoubleConfig* config) {
  std::lock_guard<std::mutex> g(S().lock);
  S().config = config ? *config : OutputDoubleConfig{};
  S().writes = 0;
}

KOVA_EXPORT DWORD OutputDoubleLog(char* buffer, DWORD size) {
  std::lock_guard<std::mutex> g(S().lock);
  const DWORD need = static_cast<DWORD>(S().log.size() + 1);
  if (buffer && size >= need) std::memcpy(buffer, S().log.c_str(), need);
  return need;
}

KOVA_EXPORT DWORD OutputDoubleBytes(BYTE* buffer, DWORD size) {
  std::lock_guard<std::mutex> g(S().lock);
  const DWORD n = static_cast<DWORD>(S().bytes.size());
  if (buffer && size >= n && n) std::memcpy(buffer, S().bytes.data(), n);
  return n;
}
