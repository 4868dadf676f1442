// A full job-item read through the job-control library of the driver package: bind, open,
// the eleven job items, close, unbind.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "context/context_cache.h"
#include "context/context_create.h"
#include "context/driver_context.h"
#include "context/driver_locks.h"
#include "outside/job_control.h"
#include "plat/spooler_setup.h"
#include "plat/system.h"
#include "win/files.h"
#include "win/spool.h"

namespace {

void WriteWinFile(const char16_t* path, const std::string& bytes) {
  HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

DriverContext* SetUpContext() {
  static DriverContext* context = [] {
    char pattern[] = "/tmp/kova-jobcontrol-bench-XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (!dir || !plat::SetSystemRoot(dir)) std::abort();
    static const std::string root = dir;
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(root, ignored);
    });
    CreateDirectoryW(u"C:\\drv", nullptr);
    WriteWinFile(u"C:\\drv\\KOVA.KPD", "*FileVersion: \"9.02\"\r\n");
    std::ifstream in(KOVA_JOBCORA_SO, std::ios::binary);
    std::stringstream library;
    library << in.rdbuf();
    WriteWinFile((plat::SystemDirectory() + u"\\Jobcora32.so").c_str(), library.str());
    plat::spooler::PrinterSetup setup;
    setup.name = u"Bench";
    setup.driver.name = u"KOVA Sample Driver";
    setup.driver.driverPath = u"C:\\drv\\Rendara.dll";
    setup.driver.configFile = u"C:\\drv\\Panelis.dll";
    setup.driver.dataFile = u"C:\\drv\\KOVA.KPD";
    if (plat::spooler::InstallPrinter(setup) != 0) std::abort();
    HANDLE h = nullptr;
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (!OpenPrinterW(const_cast<LPWSTR>(u"Bench"), &h, &defaults)) std::abort();
    InitDriverLocks();
    DriverContext* c = CreateContext(h, h, 0, 0, CTXK_INTERFACE, 0, nullptr, nullptr);
    if (!c || JobControlStart(c) != 0 || JobControlWriteMask(c, 0x3FFF) != 0) std::abort();
    return c;
  }();
  return context;
}

void BM_JobItemRead(benchmark::State& state) {
  DriverContext* context = SetUpContext();
  for (auto _ : state) benchmark::DoNotOptimize(JobControlReadMask(context, 0x38FF));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_JobItemRead);

}  // namespace
