// Loading a model image three ways, on the sample printer's model description: parsing and
// building it, reading the cache file beside it (one mapping, one copy and the check), and
// finding it in the process list (what every context creation after the first costs).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "context/driver_context.h"
#include "context/driver_locks.h"
#include "context/memory.h"
#include "model/model_cache_file.h"
#include "model/model_image_build.h"
#include "model/model_load.h"
#include "plat/spooler_setup.h"
#include "plat/system.h"
#include "win/files.h"
#include "win/spool.h"

namespace {

constexpr const char16_t* kDataFile = u"C:\\drv\\KOVA1.KMD";

std::string SampleModel() {
  const auto path = std::filesystem::path(__FILE__).parent_path().parent_path() / "samples" / "KOVA1.KMD";
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// A system root of its own with the sample model, its cache file and a printer using it.
HANDLE SetUp() {
  static HANDLE printer = [] {
    char pattern[] = "/tmp/kova-model-bench-XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (!dir || !plat::SetSystemRoot(dir)) std::abort();
    static const std::string root = dir;
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(root, ignored);
    });
    CreateDirectoryW(u"C:\\drv", nullptr);
    const std::string text = SampleModel();
    if (text.empty()) std::abort();
    HANDLE file = CreateFileW(kDataFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    plat::spooler::PrinterSetup setup;
    setup.name = u"Bench";
    setup.driver.name = u"KOVA Sample Driver";
    setup.driver.driverPath = u"C:\\drv\\Rendara.dll";
    setup.driver.configFile = u"C:\\drv\\Panelis.dll";
    setup.driver.dataFile = kDataFile;
    if (plat::spooler::InstallPrinter(setup) != 0) std::abort();
    HANDLE h = nullptr;
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (!OpenPrinterW(const_cast<LPWSTR>(u"Bench"), &h, &defaults)) std::abort();
    InitDriverLocks();
    // Writes the cache file (the sample's FileVersion is the driver's).
    ModelImage* image = BuildModelImage(nullptr, kDataFile, true);
    if (!image) std::abort();
    FreeMem(image);
    return h;
  }();
  return printer;
}

void BM_LoadModel_ParseAndBuild(benchmark::State& state) {
  SetUp();
  for (auto _ : state) {
    ModelImage* image = BuildModelImage(nullptr, kDataFile, false);
    benchmark::DoNotOptimize(image);
    FreeMem(image);
  }
}
BENCHMARK(BM_LoadModel_ParseAndBuild)->Unit(benchmark::kMicrosecond);

void BM_LoadModel_CacheFile(benchmark::State& state) {
  SetUp();
  for (auto _ : state) {
    DWORD size = 0;
    BYTE* copy = ReadModelCacheFile(kDataFile, &size);
    ModelImage* image = AdoptModelImageCopy(copy, size);
    if (!image) state.SkipWithError("the cache file was not taken");
    benchmark::DoNotOptimize(image);
    FreeMem(image);
  }
}
BENCHMARK(BM_LoadModel_CacheFile)->Unit(benchmark::kMicrosecond);

void BM_LoadModel_ProcessList(benchmark::State& state) {
  DriverContext context{};
  context.hPrinter = SetUp();
  if (!LoadModelImage(&context)) state.SkipWithError("no image");
  for (auto _ : state) benchmark::DoNotOptimize(LoadModelImage(&context));
  FreeLoadedModelImages();
}
BENCHMARK(BM_LoadModel_ProcessList)->Unit(benchmark::kMicrosecond);

}  // namespace
