// Text output of a page of 5,000 characters in a downloaded TrueType face (glyphs from the
// font file through FreeType, defined once per page through the glyph cache and placed as
// strings), against the same page drawn as 5,000 filled rectangles. Each iteration is one
// page: the cache and the drawing state start empty, as after a page start.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "clip_records.h"
#include "ddi.h"
#include "device_heap.h"
#include "glyph_cache.h"
#include "graphics_state.h"
#include "plat/gdi_objects.h"
#include "plat/truetype.h"
#include "record_buffer.h"
#include "render_device.h"

namespace {

using namespace rendara;

std::vector<BYTE>& Sink() {
  static std::vector<BYTE> sink(64u << 20);
  return sink;
}
std::size_t g_sinkAt = 0;

BOOL SinkWrite(HANDLE, const void* bytes, DWORD length, DWORD* written) {
  std::vector<BYTE>& sink = Sink();
  if (g_sinkAt + length > sink.size()) g_sinkAt = 0;
  std::memcpy(sink.data() + g_sinkAt, bytes, length);
  g_sinkAt += length;
  *written = length;
  return TRUE;
}

struct BenchDevice {
  BenchDevice() {
    heap = CreateDeviceHeap();
    device = static_cast<RenderDevice*>(DeviceAlloc(heap, sizeof(RenderDevice)));
    std::memset(static_cast<void*>(device), 0, sizeof(RenderDevice));
    device->magic1 = device->magic2 = kRenderDeviceMagic;
    device->heap = heap;
    device->resolution = 600;
    device->textAsBitmap = 1;
    device->osVersion.dwMajorVersion = 10;
    device->records.owner = device;
    device->records.outputModule = reinterpret_cast<HMODULE>(static_cast<std::uintptr_t>(0x1000));
    device->records.write = SinkWrite;
    ResetRecordBuffer(&device->records);
    CreateClipCache(device);
    surface.dhpdev = reinterpret_cast<DHPDEV>(device);
    Sink();  // the sink's pages are touched before the timing starts
  }
  ~BenchDevice() { DestroyDeviceHeap(heap); }
  void NewPage() {
    FlushRecords(&device->records);
    ClearGlyphCache(device);
    InvalidateDrawingState(device);
    InvalidateClipCache(device);
  }
  DeviceHeap* heap;
  RenderDevice* device;
  SURFOBJ surface{};
};

constexpr int kLines = 50;
constexpr int kPerLine = 100;  // 5,000 characters a page

std::u16string LineText(int line) {
  static const std::u16string words =
      u"The quick brown fox jumps over the lazy dog; PACK MY BOX WITH FIVE DOZEN LIQUOR JUGS 0123456789! ";
  std::u16string text;
  for (int i = 0; i < kPerLine; ++i) text.push_back(words[(static_cast<std::size_t>(line) * 7 + i) % words.size()]);
  return text;
}

void BM_TextPageDownloaded(benchmark::State& state) {
  auto face = plat::gdi::TrueTypeFace::Open("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
  if (!face) {
    state.SkipWithError("DejaVuSans.ttf is missing (scripts/setup.sh installs it)");
    return;
  }
  BenchDevice bench;
  std::u16string all;
  for (int line = 0; line < kLines; ++line) all += LineText(line);
  auto realized = face->Realize(21, 50, all);
  std::vector<std::unique_ptr<plat::gdi::StringObject>> strings;
  for (int line = 0; line < kLines; ++line) {
    // Each line's string shares the one realized font.
    std::vector<GLYPHPOS> glyphs;
    LONG x = 100;
    for (int i = 0; i < kPerLine; ++i) {
      const std::size_t k = static_cast<std::size_t>(line * kPerLine + i);
      glyphs.push_back(GLYPHPOS{realized.glyphs[k], nullptr, POINTL{x, 200 + 120 * line}});
      x += realized.advances[k];
    }
    strings.push_back(std::make_unique<plat::gdi::StringObject>(
        LineText(line), std::move(glyphs), realized.font.get(), SO_HORIZONTAL, 0,
        RECTL{100, 200 + 120 * line - realized.ascent, x, 200 + 120 * line + realized.descent}, true));
  }
  plat::gdi::BrushObject black(0);
  DWORD distinct = 0;
  for (auto _ : state) {
    bench.NewPage();
    for (auto& s : strings)
      benchmark::DoNotOptimize(DrvTextOut(&bench.surface, s->get(), realized.font->get(), nullptr, nullptr, nullptr,
                                          black.get(), nullptr, nullptr, 0x0B0D));
    distinct = GlyphCacheSize(bench.device);
  }
  const double glyphs = static_cast<double>(kLines * kPerLine);
  state.SetItemsProcessed(state.iterations() * kLines * kPerLine);
  state.counters["glyphs/s"] = benchmark::Counter(glyphs, benchmark::Counter::kIsIterationInvariantRate);
  state.counters["glyphs sent"] = distinct;
  state.counters["cache hits"] = glyphs - distinct;
}
BENCHMARK(BM_TextPageDownloaded)->Unit(benchmark::kMillisecond);

void BM_RectanglePage(benchmark::State& state) {
  BenchDevice bench;
  plat::gdi::BrushObject black(0);
  std::vector<RECTL> rects;
  for (int line = 0; line < kLines; ++line)
    for (int i = 0; i < kPerLine; ++i)
      rects.push_back(RECTL{100 + 30 * i, 160 + 120 * line, 125 + 30 * i, 200 + 120 * line});
  for (auto _ : state) {
    bench.NewPage();
    for (RECTL& r : rects)
      benchmark::DoNotOptimize(DrvBitBlt(&bench.surface, nullptr, nullptr, nullptr, nullptr, &r, nullptr, nullptr,
                                         black.get(), nullptr, 0xF0F0));
  }
  state.SetItemsProcessed(state.iterations() * kLines * kPerLine);
  state.counters["rectangles/s"] =
      benchmark::Counter(static_cast<double>(kLines * kPerLine), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_RectanglePage)->Unit(benchmark::kMillisecond);

}  // namespace
