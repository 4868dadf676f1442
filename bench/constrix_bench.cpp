// The settings API's item handles: enable + disable of a handle, and the current device-mode
// of an enabled handle, on the sample model with its interface library in the driver folder.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "api_frame.h"
#include "bench_printer.h"
#include "context/deliverable.h"
#include "context/product_record.h"
#include "devmode_exports.h"

namespace {

std::string ReadSource(const std::string& relative) {
  std::ifstream in(std::string(KOVA_SOURCE_DIR) + "/" + relative, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void SetUpOnce() {
  static bool done = false;
  if (done) return;
  done = true;
  bench::SetUpBenchPrinter("constrix", [] {
    bench::WriteWinFile(u"C:\\drv\\KOVA.KPD", ReadSource("samples/KOVA1.KMD"));
    bench::WriteWinFile(u"C:\\drv\\KOVAUIUS.rc", ReadSource("samples/KOVAUIus.rc"));
    bench::WriteWinFile(u"C:\\drv\\Dorvale2.ini", "[KOVAAPI]\r\nKOVAAPIVer=16\r\n");
    std::ifstream panelis(KOVA_PANELIS_SO, std::ios::binary);
    bench::WriteWinFile(u"C:\\drv\\Panelis.so", std::string(std::istreambuf_iterator<char>(panelis), {}));
  });
  SetDeliverable(Deliverable::SettingsApi);
}

void BM_EnableDisable(benchmark::State& state) {
  SetUpOnce();
  for (auto _ : state) {
    DriverContext* handle = DoEnable("Bench");
    if (!handle) {
      state.SkipWithError("the printer cannot be enabled");
      break;
    }
    DoDisable(handle);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EnableDisable)->Unit(benchmark::kMillisecond);

void BM_GetCurrentDevmode(benchmark::State& state) {
  SetUpOnce();
  DriverContext* handle = DoEnable("Bench");
  if (!handle) {
    state.SkipWithError("the printer cannot be enabled");
    return;
  }
  std::vector<BYTE> out(GetTotalDevmodeSize());
  for (auto _ : state) {
    if (DoGetDevmode(handle, 4, reinterpret_cast<DEVMODEW*>(out.data())) <= 0) {
      state.SkipWithError("no device-mode");
      break;
    }
  }
  DoDisable(handle);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GetCurrentDevmode)->Unit(benchmark::kMicrosecond);

}  // namespace
