// A full job-item read through the job-control library of the driver package: bind, open,
// the eleven job items, close, unbind.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "bench_printer.h"
#include "context/context_cache.h"
#include "context/context_create.h"
#include "base/driver_context.h"
#include "model/driver_locks.h"
#include "stored/job_control.h"
#include "plat/spooler_setup.h"
#include "plat/system.h"
#include "win/files.h"
#include "win/spool.h"
#include "build_paths.h"

namespace {

DriverContext* SetUpContext() {
  static DriverContext* context = [] {
    HANDLE h = bench::SetUpBenchPrinter("jobcontrol", [] {
      std::ifstream in(kovatest::BuiltFile("Jobcora32"), std::ios::binary);
      std::stringstream library;
      library << in.rdbuf();
      bench::WriteWinFile((plat::SystemDirectory() + u"\\Jobcora32.so").c_str(), library.str());
    });
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
