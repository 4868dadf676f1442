// The extension modules: the grey-state query (event 3) walking the ten modules for one
// control, and the chapter page parser on a 512-page list.
#include <benchmark/benchmark.h>

#include "bench_printer.h"

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "context/context_create.h"
#include "base/dictionary_pages.h"
#include "base/driver_context.h"
#include "model/driver_locks.h"
#include "model/module_dispatch.h"
#include "context/chapter_list.h"
#include "context/module_events.h"
#include "plat/spooler_setup.h"
#include "plat/system.h"
#include "win/files.h"
#include "win/spool.h"

namespace {

DriverContext* SetUpContext() {
  static DriverContext* context = [] {
    HANDLE h = bench::SetUpBenchPrinter("modules");
    DriverContext* c = CreateContext(h, h, 0, 0, CTXK_INTERFACE, 0, nullptr, nullptr);
    if (!c) std::abort();
    return c;
  }();
  return context;
}

// A control no module owns: the query walks all ten modules.
void BM_GreyQueryAllModules(benchmark::State& state) {
  DriverContext* context = SetUpContext();
  ControlRecord control{};
  control.controlId = 2001;
  for (auto _ : state) {
    GreyStateEventBlock block{&control, nullptr, 0, 0, nullptr};
    NotifyModules(context, MODEV_GREY_STATE, &block);
    benchmark::DoNotOptimize(block.answered);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GreyQueryAllModules);

// A preset maintenance button: the first module answers from the preset list in the INI.
void BM_GreyQueryPresetButton(benchmark::State& state) {
  DriverContext* context = SetUpContext();
  ControlRecord control{};
  control.controlId = 2143;
  for (auto _ : state) {
    GreyStateEventBlock block{&control, nullptr, 0, 0, nullptr};
    NotifyModules(context, MODEV_GREY_STATE, &block);
    benchmark::DoNotOptimize(block.grey);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GreyQueryPresetButton);

void BM_ParseChapterText512(benchmark::State& state) {
  std::u16string text;
  for (int i = 512; i >= 1; --i) {
    const std::string n = std::to_string(i * 3);
    text += std::u16string(n.begin(), n.end());
    if (i > 1) text += u",";
  }
  auto parse = std::make_unique<ChapterParse>();
  for (auto _ : state) {
    const WORD refused = ParseChapterText(text.c_str(), 0, kChapterWorkEntries, parse.get());
    benchmark::DoNotOptimize(refused);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ParseChapterText512);

void BM_ParseChapterRange512(benchmark::State& state) {
  auto parse = std::make_unique<ChapterParse>();
  for (auto _ : state) {
    const WORD refused = ParseChapterText(u"1-512", 0, kChapterWorkEntries, parse.get());
    benchmark::DoNotOptimize(refused);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ParseChapterRange512);

}  // namespace
