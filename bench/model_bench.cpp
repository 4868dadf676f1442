// Loading a model image three ways: parsing and building it, reading the cache file beside
// it (two opens, one mapping, one copy and the check), and finding it in the process list
// (what every context creation after the first costs). Argument 0 is the sample printer's
// model description (13 KB image), 1 a large generated one.
#include <benchmark/benchmark.h>

#include "call_counter.h"
#include "cpu_clock.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fields/dictionary_lookup.h"
#include "base/driver_context.h"
#include "model/driver_locks.h"
#include "base/memory.h"
#include "model/model_cache_file.h"
#include "model/model_image_build.h"
#include "model/model_load.h"
#include "model/model_parse.h"
#include "model/statement_dispatch.h"
#include "plat/spooler_setup.h"
#include "plat/system.h"
#include "win/files.h"
#include "win/spool.h"
#include "build_paths.h"

namespace {

constexpr const char16_t* kDataFile = u"C:\\drv\\KOVA1.KMD";
constexpr const char16_t* kLargeFile = u"C:\\drv\\LARGE1.KMD";

// The data file of a benchmark argument: 0 the sample model, 1 a large generated one.
const char16_t* DataFile(const benchmark::State& state) { return state.range(0) ? kLargeFile : kDataFile; }

// A large model description: a PickOne block for every feature of the dictionary with at
// least two named values, each with a Judge, an Item, a Transact and an Exclusive row.
std::string LargeModel() {
  std::string text = "*FileVersion: 9.02\r\n";
  const ControlNameTable* names = GetControlNameTable();
  const ValueNameTable* values = GetValueNameTable();
  int n = 0;
  for (DWORD i = 0; i < names->count; ++i) {
    const ControlNameEntry& f = names->entries[i];
    if (!f.fieldId) continue;
    std::vector<const char*> symbols;
    for (DWORD v = 0; v < values->count && symbols.size() < 8; ++v) {
      if (values->entries[v].fieldId == f.fieldId) symbols.push_back(values->entries[v].symbol);
    }
    if (symbols.size() < 2) continue;
    ++n;
    const std::string name = f.name, num = std::to_string(n);
    text += "*OpenUI *" + name + ": PickOne\r\n*Default" + name + ": " + symbols[0] + "\r\n";
    for (const char* v : symbols) text += "*" + name + " " + v + ": \"@PJL SET " + name + "=" + v + "\"\r\n";
    text += "*CloseUI\r\n";
    text += "*Judge " + num + ": " + name + " == " + symbols[1] + " || " + name + " == " + symbols[0] + "\r\n";
    text += "*Item " + num + ": {{" + symbols[1] + " Judge" + num + " NULL NULL}}\r\n";
    text += "*Action " + num + ": {{" + name + " " + symbols[0] + "}}\r\n";
    text += "*Transact " + num + ": {{Judge" + num + " Action" + num + "}}\r\n";
    text += "*Exclusive: {{" + name + " Judge" + num + " NULL Item" + num + " NULL Transact" + num + " NULL NULL}}\r\n";
  }
  return text;
}

void WriteText(const char16_t* path, const std::string& text) {
  HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

std::string SampleModel() {
  const auto path = std::filesystem::path(kovatest::SourceDir()) / "samples" / "KOVA1.KMD";
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
    WriteText(kDataFile, text);
    WriteText(kLargeFile, LargeModel());
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
    // Writes the cache files (the models' FileVersion is the driver's).
    for (const char16_t* path : {kDataFile, kLargeFile}) {
      ModelImage* image = BuildModelImage(nullptr, path, true);
      if (!image) std::abort();
      FreeMem(image);
    }
    return h;
  }();
  return printer;
}

void BM_LoadModel_ParseAndBuild(benchmark::State& state) {
  SetUp();
  for (auto _ : state) {
    ModelImage* image = BuildModelImage(nullptr, DataFile(state), false);
    benchmark::DoNotOptimize(image);
    FreeMem(image);
  }
}
BENCHMARK(BM_LoadModel_ParseAndBuild)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_LoadModel_CacheFile(benchmark::State& state) {
  SetUp();
  for (auto _ : state) {
    DWORD size = 0;
    BYTE* copy = ReadModelCacheFile(DataFile(state), &size);
    ModelImage* image = AdoptModelImageCopy(copy, size);
    if (!image) state.SkipWithError("the cache file was not taken");
    benchmark::DoNotOptimize(image);
    state.counters["image_bytes"] = size;
    FreeMem(image);
  }
}
BENCHMARK(BM_LoadModel_CacheFile)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_LoadModel_ProcessList(benchmark::State& state) {
  DriverContext context{};
  context.hPrinter = SetUp();
  if (!LoadModelImage(&context)) state.SkipWithError("no image");
  for (auto _ : state) benchmark::DoNotOptimize(LoadModelImage(&context));
  FreeLoadedModelImages();
}
BENCHMARK(BM_LoadModel_ProcessList)->Unit(benchmark::kMicrosecond);

}  // namespace

namespace {

// The parts of the cache road: the file work alone and the check alone.
void BM_CacheFileReadOnly(benchmark::State& state) {
  SetUp();
  for (auto _ : state) {
    DWORD size = 0;
    BYTE* copy = ReadModelCacheFile(DataFile(state), &size);
    benchmark::DoNotOptimize(copy);
    FreeMem(copy);
  }
}
BENCHMARK(BM_CacheFileReadOnly)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_CacheCheckOnly(benchmark::State& state) {
  SetUp();
  DWORD size = 0;
  BYTE* copy = ReadModelCacheFile(DataFile(state), &size);
  for (auto _ : state) benchmark::DoNotOptimize(CheckModelImage(copy, size));
  FreeMem(copy);
}
BENCHMARK(BM_CacheCheckOnly)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

namespace {

template <class F>
double MicrosPerCall(int calls, F f) {
  const double t0 = kovabench::ThreadMicros();
  for (int i = 0; i < calls; ++i) f();
  return (kovabench::ThreadMicros() - t0) / calls;
}

// The ratios of one run: parse and build against the cache-file load of the same model,
// and the parse of the model description from its path against the parse of its bytes.
void BM_ModelRatios(benchmark::State& state) {
  SetUp();
  const char16_t* path = DataFile(state);
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  std::string bytes(GetFileSize(file, nullptr), '\0');
  DWORD got = 0;
  ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
  CloseHandle(file);
  const int calls = state.range(0) ? 2 : 20;
  double build = 0, cache = 0, fromPath = 0, fromMemory = 0;
  std::uint64_t cacheCalls = 0;
  for (auto _ : state) {
    build += MicrosPerCall(calls, [&] { FreeMem(BuildModelImage(nullptr, path, false)); });
    const std::uint64_t c0 = kovabench::SystemCalls();
    cache += MicrosPerCall(calls * 10, [&] {
      DWORD size = 0;
      BYTE* copy = ReadModelCacheFile(path, &size);
      ModelImage* image = AdoptModelImageCopy(copy, size);
      if (!image) state.SkipWithError("the cache file was not taken");
      FreeMem(image);
    });
    cacheCalls += kovabench::SystemCalls() - c0;
    fromPath += MicrosPerCall(calls, [&] { FreeModelParse(ParseModelDescription(path)); });
    fromMemory += MicrosPerCall(calls, [&] {
      FreeModelParse(ParseModelBytes(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size())));
    });
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["build_us"] = build / n;
  state.counters["cache_us"] = cache / n;
  state.counters["build_per_cache"] = cache > 0 ? build / cache : 0;
  // System calls of one cache-file load.
  state.counters["cache_syscalls"] = static_cast<double>(cacheCalls) / (calls * 10) / n;
  state.counters["path_per_memory"] = fromMemory > 0 ? fromPath / fromMemory : 0;
  state.counters["model_bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_ModelRatios)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
