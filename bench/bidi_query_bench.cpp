// A full two-way query against the library that answers from a file: bind, open, model
// check, trays with their paper, media and attributes, options, memory, versions, apply and
// save, close, unbind.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "base/driver_context.h"
#include "base/paths_and_names.h"
#include "bench_printer.h"
#include "build_paths.h"
#include "context/context_create.h"
#include "outside/bidi_query.h"
#include "plat/system.h"
#include "win/files.h"
#include "win/kernel.h"
#include "win/profile.h"
#include "win/spool.h"

namespace {

DriverContext* SetUpContext() {
  static DriverContext* context = [] {
    HANDLE h = bench::SetUpBenchPrinter("bidiquery", [] {
      std::ifstream in(kovatest::BuiltFile("Bidiman4NT"), std::ios::binary);
      std::stringstream library;
      library << in.rdbuf();
      bench::WriteWinFile((plat::SystemDirectory() + u"\\Bidiman4NT.so").c_str(), library.str());
      WCHAR folder[MAX_PATH] = {};
      GetWindowsDirectoryW(folder, MAX_PATH);
      const std::u16string answers = std::u16string(folder) + u"\\Bidiman4NT.ini";
      const char16_t* lines[][2] = {{u"Model", u"KOVA Sample"}, {u"Kind1", u"3 4 5 6"},    {u"Kind20", u"23 21 20 5"},
                                    {u"Kind21", u"1 1 0 3"},    {u"Kind23", u"1 4 8 0"},   {u"Kind2", u"1 3 16"},
                                    {u"Kind11", u"268435456"},  {u"Kind8", u"System 1.10"}, {u"Sub258", u"1"},
                                    {u"Sub2", u"PCL 2.3"}};
      for (auto& line : lines) WritePrivateProfileStringW(u"Bench", line[0], line[1], answers.c_str());
    });
    DriverContext* c = CreateContext(h, h, 0, 0, CTXK_INTERFACE, 0, nullptr, nullptr);
    if (!c) std::abort();
    c->work->attributes |= PRINTER_ATTRIBUTE_ENABLE_BIDI;
    c->work->attributesKnown = 1;
    WritePrivateProfileStringW(u"Models", GetModelName(c), u"KOVA Sample", GetSecondIniPath(c));
    if (QueryPrinterBidiSilent(c) != 1) std::abort();
    return c;
  }();
  return context;
}

void BM_FullTwoWayQuery(benchmark::State& state) {
  DriverContext* context = SetUpContext();
  for (auto _ : state) benchmark::DoNotOptimize(QueryPrinterBidiSilent(context));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FullTwoWayQuery);

}  // namespace
