// The record buffer and block writer against memcpy of the same bytes: a page of many
// small records, and one large record. Each iteration appends the records into the buffer
// (encoding every byte) and flushes them as 0xF5 blocks through a write callback that
// copies into a sink, as an output library would take them; the baseline copies the same
// bytes once from a source to the sink.
#include <benchmark/benchmark.h>

#include "cpu_clock.h"

#include <cstring>
#include <vector>

#include "device_heap.h"
#include "page_records.h"
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

// A device with its allocation list and a bound output, without engine or printer.
struct BenchDevice {
  BenchDevice() {
    std::memset(Sink().data(), 0, Sink().size());  // the sink's pages are in before any timing
    heap = CreateDeviceHeap();
    device = static_cast<RenderDevice*>(DeviceAlloc(heap, sizeof(RenderDevice)));
    std::memset(static_cast<void*>(device), 0, sizeof(RenderDevice));
    device->magic1 = device->magic2 = kRenderDeviceMagic;
    device->heap = heap;
    device->records.owner = device;
    device->records.outputModule = reinterpret_cast<HMODULE>(static_cast<std::uintptr_t>(0x1000));
    device->records.write = SinkWrite;
    ResetRecordBuffer(&device->records);
  }
  ~BenchDevice() { DestroyDeviceHeap(heap); }
  DeviceHeap* heap;
  RenderDevice* device;
};

constexpr DWORD kSmallRecord = 16;

// A page of n 16-byte records (the size of a page-start record), encoded field by field.
void BM_SmallRecords(benchmark::State& state) {
  BenchDevice bench;
  RecordBuffer* records = &bench.device->records;
  const auto n = static_cast<DWORD>(state.range(0));
  for (auto _ : state) {
    g_sinkAt = 0;  // into the same sink bytes as the memcpy it is compared with
    for (DWORD i = 0; i < n; ++i) {
      if (!EmitPageStart(records, i, i + 1, 600, 600)) state.SkipWithError("no room");
    }
    if (!FlushRecords(records)) state.SkipWithError("flush failed");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * n * kSmallRecord);
}
BENCHMARK(BM_SmallRecords)->Arg(1000)->Arg(100000);

void BM_SmallRecordsMemcpy(benchmark::State& state) {
  const std::size_t bytes = static_cast<std::size_t>(state.range(0)) * kSmallRecord;
  std::vector<BYTE> source(bytes, 0x60);
  for (auto _ : state) {
    g_sinkAt = 0;
    std::memcpy(Sink().data(), source.data(), bytes);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_SmallRecordsMemcpy)->Arg(1000)->Arg(100000);

// One record of n bytes (an image's rows): reserved once, filled by one copy, flushed.
void BM_LargeRecord(benchmark::State& state) {
  BenchDevice bench;
  RecordBuffer* records = &bench.device->records;
  const auto n = static_cast<DWORD>(state.range(0));
  std::vector<BYTE> source(n, 0x20);
  for (auto _ : state) {
    g_sinkAt = 0;
    BYTE* record = AllocRecord(records, n);
    if (!record) state.SkipWithError("no room");
    std::memcpy(record, source.data(), n);
    if (!FlushRecords(records)) state.SkipWithError("flush failed");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * n);
}
BENCHMARK(BM_LargeRecord)->Arg(64 << 10)->Arg(4 << 20);

// The same record handed over whole: it goes from the caller's bytes to the output.
void BM_LargeRecordWrittenThrough(benchmark::State& state) {
  BenchDevice bench;
  RecordBuffer* records = &bench.device->records;
  const auto n = static_cast<DWORD>(state.range(0));
  std::vector<BYTE> source(n, 0x20);
  for (auto _ : state) {
    g_sinkAt = 0;
    if (!WriteRecordAndFlush(records, source.data(), n)) state.SkipWithError("flush failed");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * n);
}
BENCHMARK(BM_LargeRecordWrittenThrough)->Arg(64 << 10)->Arg(4 << 20);

void BM_LargeRecordMemcpy(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  std::vector<BYTE> source(n, 0x20);
  for (auto _ : state) {
    g_sinkAt = 0;
    std::memcpy(Sink().data(), source.data(), n);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * n));
}
BENCHMARK(BM_LargeRecordMemcpy)->Arg(64 << 10)->Arg(4 << 20);

}  // namespace

namespace {

// The ratios of one run: buffering and flushing 100,000 16-byte records against one memcpy
// of their bytes, and one 4 MB record (handed over whole, and buffered) against a memcpy of
// it; the sink is written from its start on both sides.
void BM_RecordRatios(benchmark::State& state) {
  using kovabench::ThreadMicros;
  BenchDevice bench;
  RecordBuffer* records = &bench.device->records;
  constexpr DWORD kCount = 100000;
  constexpr DWORD kLarge = 4u << 20;
  std::vector<BYTE> smallSource(static_cast<std::size_t>(kCount) * kSmallRecord, 0x60);
  std::vector<BYTE> largeSource(kLarge, 0x20);
  double small = 0, smallCopy = 0, large = 0, largeCopy = 0, largeBuffered = 0;
  for (auto _ : state) {
    g_sinkAt = 0;
    const double t0 = ThreadMicros();
    for (DWORD i = 0; i < kCount; ++i)
      if (!EmitPageStart(records, i, i + 1, 600, 600)) state.SkipWithError("no room");
    if (!FlushRecords(records)) state.SkipWithError("flush failed");
    const double t1 = ThreadMicros();
    std::memcpy(Sink().data(), smallSource.data(), smallSource.size());
    benchmark::ClobberMemory();
    const double t2 = ThreadMicros();
    g_sinkAt = 0;
    if (!WriteRecordAndFlush(records, largeSource.data(), kLarge)) state.SkipWithError("flush failed");
    const double t3 = ThreadMicros();
    std::memcpy(Sink().data(), largeSource.data(), kLarge);
    benchmark::ClobberMemory();
    const double t4 = ThreadMicros();
    g_sinkAt = 0;
    BYTE* record = AllocRecord(records, kLarge);
    if (!record) state.SkipWithError("no room");
    std::memcpy(record, largeSource.data(), kLarge);
    if (!FlushRecords(records)) state.SkipWithError("flush failed");
    const double t5 = ThreadMicros();
    small += t1 - t0;
    smallCopy += t2 - t1;
    large += t3 - t2;
    largeCopy += t4 - t3;
    largeBuffered += t5 - t4;
  }
  state.counters["small_per_memcpy"] = smallCopy > 0 ? small / smallCopy : 0;
  // The large record handed over whole (written through), and reserved, filled and flushed.
  state.counters["large_per_memcpy"] = largeCopy > 0 ? large / largeCopy : 0;
  state.counters["large_buffered_per_memcpy"] = largeCopy > 0 ? largeBuffered / largeCopy : 0;
  state.counters["ns_per_small_record"] = small * 1000.0 / (static_cast<double>(state.iterations()) * kCount);
}
BENCHMARK(BM_RecordRatios)->Unit(benchmark::kMillisecond);

}  // namespace
