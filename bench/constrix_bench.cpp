// The settings API's item handles: enable + disable of a handle (alone, and against creating
// a driver context cold in one run), and the current device-mode of an enabled handle, on the
// sample model with its interface library in the driver folder.
// The capability record built and given back, and capability 5 (media type names) asked as a
// caller asks it. The copies status item set and read. The command base: a base of 40 lines set, one line updated, and the PJL line parser.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "api_frame.h"
#include "command_base_apply.h"
#include "command_base_exports.h"
#include "command_base_parse.h"
#include "bench_printer.h"
#include "base/deliverable.h"
#include "fields/product_record.h"
#include "devmode_exports.h"
#include "build_paths.h"
#include "context/context_create.h"
#include "base/driver_context.h"
#include "cpu_clock.h"
#include "win/lowmem.h"

namespace {

std::string ReadSource(const std::string& relative) {
  std::ifstream in(kovatest::SourceDir() + "/" + relative, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

HANDLE g_printer = nullptr;

void SetUpOnce() {
  static bool done = false;
  if (done) return;
  done = true;
  g_printer = bench::SetUpBenchPrinter("constrix", [] {
    bench::WriteWinFile(u"C:\\drv\\KOVA.KPD", ReadSource("samples/KOVA1.KMD"));
    bench::WriteWinFile(u"C:\\drv\\KOVAUIUS.rc", ReadSource("samples/KOVAUIus.rc"));
    bench::WriteWinFile(u"C:\\drv\\hand.cur", ReadSource("samples/hand.cur"));
    bench::WriteWinFile(u"C:\\drv\\hand_pressed.cur", ReadSource("samples/hand_pressed.cur"));
    bench::WriteWinFile(u"C:\\drv\\page_portrait.bmp", ReadSource("samples/page_portrait.bmp"));
    bench::WriteWinFile(u"C:\\drv\\page_landscape.bmp", ReadSource("samples/page_landscape.bmp"));
    bench::WriteWinFile(u"C:\\drv\\feed_short.bmp", ReadSource("samples/feed_short.bmp"));
    bench::WriteWinFile(u"C:\\drv\\feed_long.bmp", ReadSource("samples/feed_long.bmp"));
    bench::WriteWinFile(u"C:\\drv\\Dorvale2.ini", "[KOVAAPI]\r\nKOVAAPIVer=16\r\n");
    std::ifstream panelis(kovatest::BuiltFile("Panelis"), std::ios::binary);
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

// Enable + disable of the settings API against creating the printer's driver context cold,
// in one run, so that their ratio is read off one line (the goal: within 10 times).
void BM_EnableDisableRatio(benchmark::State& state) {
  using kovabench::ThreadMicros;
  SetUpOnce();
  constexpr int kRounds = 10;
  double enable = 0, cold = 0;
  for (auto _ : state) {
    const double t0 = ThreadMicros();
    for (int i = 0; i < kRounds; ++i) {
      DriverContext* handle = DoEnable("Bench");
      if (!handle) {
        state.SkipWithError("the printer cannot be enabled");
        return;
      }
      DoDisable(handle);
    }
    const double t1 = ThreadMicros();
    for (int i = 0; i < kRounds; ++i) {
      DriverContext* context = CreateContext(g_printer, g_printer, 0, 0, CTXK_INTERFACE, 0, nullptr, nullptr);
      if (!context) {
        state.SkipWithError("no context");
        return;
      }
      ReleaseContext(context, CTXR_DESTROY);
    }
    const double t2 = ThreadMicros();
    enable += (t1 - t0) / kRounds;
    cold += (t2 - t1) / kRounds;
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["enable_disable_us"] = enable / n;
  state.counters["cold_context_us"] = cold / n;
  state.counters["enable_per_cold"] = cold > 0 ? enable / cold : 0;
}
BENCHMARK(BM_EnableDisableRatio)->Unit(benchmark::kMillisecond);

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

// An enabled handle at API version 16, or null with the benchmark marked.
DriverContext* EnableAt16(benchmark::State& state) {
  DriverContext* handle = DoEnable("Bench");
  if (!handle) {
    state.SkipWithError("the printer cannot be enabled");
    return nullptr;
  }
  const ApiInitInfo info{0, 16};
  DoInit(1, &info);
  return handle;
}

void BM_CapabilityRecord(benchmark::State& state) {
  SetUpOnce();
  DriverContext* handle = EnableAt16(state);
  if (!handle) return;
  for (auto _ : state) {
    const std::int32_t record = DoGetCaps(handle, 0x80000001u, nullptr);
    if (record == 0) {
      state.SkipWithError("no record");
      break;
    }
    DoGetCaps(handle, 0x80000002u, LowMemoryFromSlot(static_cast<DWORD>(record)));
  }
  DoDisable(handle);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CapabilityRecord)->Unit(benchmark::kMillisecond);

void BM_MediaTypeNames(benchmark::State& state) {
  SetUpOnce();
  DriverContext* handle = EnableAt16(state);
  if (!handle) return;
  std::vector<char> names;
  for (auto _ : state) {
    const std::int32_t count = DoGetCaps(handle, 5, nullptr);
    if (count <= 0) {
      state.SkipWithError("no media type names");
      break;
    }
    names.resize(static_cast<std::size_t>(count) * 64);
    benchmark::DoNotOptimize(DoGetCaps(handle, 5, names.data()));
  }
  DoDisable(handle);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MediaTypeNames)->Unit(benchmark::kMicrosecond);

// The copies item set (alternately 2 and 3, each with its propagation and bitmap) and read.
void BM_SetCopiesItem(benchmark::State& state) {
  SetUpOnce();
  DriverContext* handle = EnableAt16(state);
  if (!handle) return;
  DWORD record[8] = {1, 2};
  BYTE changed[64] = {};
  for (auto _ : state) {
    record[1] = record[1] == 2 ? 3 : 2;
    if (DoSetStatus(handle, 9, record, changed, 0) != 0) {
      state.SkipWithError("the copies item was refused");
      break;
    }
  }
  DoDisable(handle);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SetCopiesItem)->Unit(benchmark::kMillisecond);

void BM_GetCopiesItem(benchmark::State& state) {
  SetUpOnce();
  DriverContext* handle = EnableAt16(state);
  if (!handle) return;
  DWORD record[8] = {1};
  for (auto _ : state) {
    if (DoGetStatus(handle, 9, record, 1) != 32) {
      state.SkipWithError("the copies item was not read");
      break;
    }
  }
  DoDisable(handle);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GetCopiesItem)->Unit(benchmark::kMicrosecond);

// The sample's base of 40 lines (some of items the driver does not know), with CR LF.
std::string FortyLineBase() {
  const std::string plain = ReadSource("samples/command-base.txt");
  std::string text;
  for (char c : plain) {
    if (c == '\n') text += '\r';
    text += c;
  }
  return text;
}

void BM_SetCommandBase40(benchmark::State& state) {
  SetUpOnce();
  ExcBaseRecord* handle = DoExcGetExclusive("Bench");
  if (!handle) {
    state.SkipWithError("no command-base handle");
    return;
  }
  const std::string base = FortyLineBase();
  for (auto _ : state) {
    std::int32_t change = 0;
    if (DoExcSetCommandBase(handle, base.c_str(), &change) < 0) {
      state.SkipWithError("the base is refused");
      break;
    }
  }
  DoExcFreeExclusive(handle);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SetCommandBase40)->Unit(benchmark::kMillisecond);

void BM_UpdateCommand(benchmark::State& state) {
  SetUpOnce();
  ExcBaseRecord* handle = DoExcGetExclusive("Bench");
  std::int32_t change = 0;
  if (!handle || DoExcSetCommandBase(handle, FortyLineBase().c_str(), &change) < 0) {
    state.SkipWithError("no command base");
    DoExcFreeExclusive(handle);
    return;
  }
  const char* const lines[] = {"@PJL SET COPIES = 2 \r\n", "@PJL SET COPIES = 3 \r\n"};
  int n = 0;
  for (auto _ : state) {
    if (DoExcUpdateCommand(handle, lines[n ^= 1], &change) < 0) {
      state.SkipWithError("the update is refused");
      break;
    }
  }
  DoExcFreeExclusive(handle);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_UpdateCommand)->Unit(benchmark::kMicrosecond);

void BM_ParsePjlLines(benchmark::State& state) {
  std::string text;
  while (text.size() < (1u << 20)) text += FortyLineBase();
  char name[kPjlTokenBytes];
  char value[kPjlTokenBytes];
  for (auto _ : state) {
    std::size_t at = 0;
    int used = 0;
    while ((used = ParsePjlLine(text.c_str() + at, name, value)) > 0) at += static_cast<std::size_t>(used);
    benchmark::DoNotOptimize(at);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ParsePjlLines)->Unit(benchmark::kMillisecond);

}  // namespace
