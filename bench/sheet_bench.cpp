// The document property sheet of the sample printer opened and cancelled, as an application's
// printing dialog does it: the sheet is built with its pages, shown, and closed with Cancel.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/deliverable.h"
#include "bench_printer.h"
#include "build_paths.h"
#include "document_sheets.h"
#include "plat/ui_driver.h"
#include "sheet_entry_bodies.h"
#include "win/compstui.h"
#include "win/prsht.h"

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
  g_printer = bench::SetUpBenchPrinter("sheet", [] {
    bench::WriteWinFile(u"C:\\drv\\KOVA.KPD", ReadSource("samples/KOVA1.KMD"));
    bench::WriteWinFile(u"C:\\drv\\KOVAUIUS.rc", ReadSource("samples/KOVAUIus.rc"));
    bench::WriteWinFile(u"C:\\drv\\hand.cur", ReadSource("samples/hand.cur"));
    bench::WriteWinFile(u"C:\\drv\\hand_pressed.cur", ReadSource("samples/hand_pressed.cur"));
    bench::WriteWinFile(u"C:\\drv\\page_portrait.bmp", ReadSource("samples/page_portrait.bmp"));
    bench::WriteWinFile(u"C:\\drv\\page_landscape.bmp", ReadSource("samples/page_landscape.bmp"));
    bench::WriteWinFile(u"C:\\drv\\feed_short.bmp", ReadSource("samples/feed_short.bmp"));
    bench::WriteWinFile(u"C:\\drv\\feed_long.bmp", ReadSource("samples/feed_long.bmp"));
  });
  SetDeliverable(Deliverable::Interface);
  plat::ui::Reset();
}

// One opening: the sheet runs its message loop until the queued step presses Cancel.
LONG OpenAndCancel(std::vector<BYTE>& output) {
  DOCUMENTPROPERTYHEADER header{};
  header.cbSize = sizeof header;
  header.hPrinter = g_printer;
  header.pszPrinterName = const_cast<LPWSTR>(u"Bench");
  header.pdmOut = reinterpret_cast<DEVMODEW*>(output.data());
  header.fMode = DM_PROMPT | DM_COPY;
  plat::ui::QueueStep([] { plat::ui::PressSheetButton(plat::ui::ActiveModal(), PSBTN_CANCEL); });
  DWORD result = 0;
  return RunCommonPropertySheet(nullptr, &DoDocumentPropertySheets, reinterpret_cast<LPARAM>(&header), &result);
}

void BM_DocumentSheetOpenCancel(benchmark::State& state) {
  SetUpOnce();
  std::vector<BYTE> output(4096, 0);
  for (auto _ : state) {
    if (OpenAndCancel(output) != CPSUI_CANCEL || plat::ui::StalledLoops() != 0) {
      state.SkipWithError("the sheet did not open and cancel");
      break;
    }
  }
  state.counters["sheets_per_s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DocumentSheetOpenCancel)->Unit(benchmark::kMillisecond);

}  // namespace
