// Creating a driver context cold against taking a cached one. A cached context costs only
// the rebuild of its 1236-byte device-mode part; a cold one copies the field and page
// tables, finds the model, loads the modules and builds its settings.
#include <benchmark/benchmark.h>

#include "bench_printer.h"
#include "call_counter.h"
#include "cpu_clock.h"

#include <cstdlib>
#include <vector>

#include "context/context_cache.h"
#include "context/context_create.h"
#include "base/driver_context.h"
#include "model/driver_locks.h"
#include "plat/system.h"
#include "win/spool.h"

namespace {

// A system root of its own with one printer whose data file exists.
HANDLE SetUpPrinter() {
  static HANDLE printer = [] {
    HANDLE h = bench::SetUpBenchPrinter("context");
    plat::SetTestTickCount(1000);  // the clock stands still: a cached context never expires
    return h;
  }();
  return printer;
}

// A second printer of the same driver in that root whose stored default device-mode is
// the driver's own (as a printer has once its settings were saved): taking its cached
// context starts from that device-mode instead of building every field's default.
HANDLE SetUpPrinterWithDevmode() {
  static HANDLE printer = [] {
    SetUpPrinter();
    HANDLE h = bench::InstallBenchPrinter(u"Bench Stored");
    DriverContext* context = CreateContext(h, h, 0, 0, CTXK_INTERFACE, 0, nullptr, nullptr);
    if (!context) std::abort();
    DWORD needed = 0;
    GetPrinterW(h, 2, nullptr, 0, &needed);
    std::vector<BYTE> info(needed);
    if (!GetPrinterW(h, 2, info.data(), needed, &needed)) std::abort();
    auto* info2 = reinterpret_cast<PRINTER_INFO_2W*>(info.data());
    info2->pDevMode = reinterpret_cast<DEVMODEW*>(context->settings);
    info2->pSecurityDescriptor = nullptr;
    if (!SetPrinterW(h, 2, info.data(), 0)) std::abort();
    ReleaseContext(context, CTXR_DESTROY);
    return h;
  }();
  return printer;
}

// The printer of a benchmark's argument: 0 without, 1 with a stored default device-mode.
HANDLE PrinterOf(const benchmark::State& state) {
  return state.range(0) ? SetUpPrinterWithDevmode() : SetUpPrinter();
}

void BM_CreateContextCold(benchmark::State& state) {
  HANDLE printer = SetUpPrinter();
  for (auto _ : state) {
    DriverContext* context = CreateContext(printer, printer, 0, 0, CTXK_INTERFACE, 0, nullptr, nullptr);
    if (!context) {
      state.SkipWithError("no context");
      break;
    }
    ReleaseContext(context, CTXR_DESTROY);
  }
}
BENCHMARK(BM_CreateContextCold);

void BM_TakeCachedContext(benchmark::State& state) {
  HANDLE printer = PrinterOf(state);
  ReleaseContextToCache(CreateContext(printer, printer, 0, 0, CTXK_INTERFACE, 0, nullptr, nullptr));
  const std::uint64_t calls = kovabench::SystemCalls();
  for (auto _ : state) {
    DriverContext* context = CreateContext(printer, printer, 0, 0, CTXK_INTERFACE, 0, nullptr, nullptr);
    if (!context) {
      state.SkipWithError("no context");
      break;
    }
    ReleaseContextToCache(context);
  }
  // Calls into the system per take of the cached context; none is the goal.
  state.counters["syscalls"] = benchmark::Counter(static_cast<double>(kovabench::SystemCalls() - calls),
                                                  benchmark::Counter::kAvgIterations);
  EvictContextCache(1);
}
BENCHMARK(BM_TakeCachedContext)->Arg(0)->Arg(1);

// Both roads in one run, so that their ratio is read off one line: each iteration times a
// few cold creations and many takes of the cached context. Argument: the printer (0 without,
// 1 with a stored default device-mode).
void BM_ContextRatio(benchmark::State& state) {
  using kovabench::ThreadMicros;
  HANDLE printer = PrinterOf(state);
  constexpr int kCold = 10, kWarm = 100;
  double cold = 0, warm = 0;
  std::uint64_t coldCalls = 0, warmCalls = 0;
  for (auto _ : state) {
    const std::uint64_t c0 = kovabench::SystemCalls();
    const double t0 = ThreadMicros();
    for (int i = 0; i < kCold; ++i)
      ReleaseContext(CreateContext(printer, printer, 0, 0, CTXK_INTERFACE, 0, nullptr, nullptr), CTXR_DESTROY);
    const double t1 = ThreadMicros();
    const std::uint64_t c1 = kovabench::SystemCalls();
    ReleaseContextToCache(CreateContext(printer, printer, 0, 0, CTXK_INTERFACE, 0, nullptr, nullptr));
    const std::uint64_t c2 = kovabench::SystemCalls();
    const double t2 = ThreadMicros();
    for (int i = 0; i < kWarm; ++i)
      ReleaseContextToCache(CreateContext(printer, printer, 0, 0, CTXK_INTERFACE, 0, nullptr, nullptr));
    const double t3 = ThreadMicros();
    const std::uint64_t c3 = kovabench::SystemCalls();
    coldCalls += c1 - c0;
    warmCalls += c3 - c2;
    EvictContextCache(1);
    cold += (t1 - t0) / kCold;
    warm += (t3 - t2) / kWarm;
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["cold_us"] = cold / n;
  state.counters["cached_us"] = warm / n;
  state.counters["cold_per_cached"] = warm > 0 ? cold / warm : 0;
  // System calls per cold creation and per take of the cached context.
  state.counters["cold_syscalls"] = static_cast<double>(coldCalls) / kCold / n;
  state.counters["cached_syscalls"] = static_cast<double>(warmCalls) / kWarm / n;
}
BENCHMARK(BM_ContextRatio)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
