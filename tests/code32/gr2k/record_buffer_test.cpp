// The record buffer: chunks, the flush threshold, the block writers and the write pieces.
#include <gtest/gtest.h>

#include "buffer_fixture.h"
#include "device_heap.h"
#include "page_records.h"

namespace rendara::test {
namespace {

RecordChunk* Tail(RecordBuffer& b) { return b.tail; }
std::size_t Capacity(RecordChunk* c) { return static_cast<std::size_t>(c->end - c->Data()); }
std::size_t Used(RecordChunk* c) { return static_cast<std::size_t>(c->position - c->Data()); }

TEST_F(BufferTest, RecordThatWouldFillTheChunkExactlyGoesToANewChunk) {
  ASSERT_NE(Record(kChunkDataBytes - 16, 1), nullptr);
  EXPECT_EQ(Tail(records()), records().head);
  // 16 bytes are left: a 16-byte record would end on the chunk's last byte.
  ASSERT_NE(Record(16, 2), nullptr);
  ASSERT_NE(Tail(records()), records().head);
  EXPECT_EQ(Used(records().head), kChunkDataBytes - 16);
  EXPECT_EQ(Used(Tail(records())), 16u);
  EXPECT_EQ(Capacity(Tail(records())), kChunkDataBytes);
  EXPECT_EQ(records().bytesBuffered, kChunkDataBytes);
}

TEST_F(BufferTest, NewChunksHoldWholeMultiplesOfTheChunkSize) {
  struct Case {
    DWORD request;
    std::size_t capacity;
  } cases[] = {{10240, 10240}, {10241, 20480}, {20480, 20480}, {30000, 30720}};
  for (const Case& c : cases) {
    ResetRecordBuffer(&records());
    ASSERT_NE(Record(c.request, 3), nullptr) << c.request;
    EXPECT_EQ(Capacity(Tail(records())), c.capacity) << c.request;
    FreeChunks(&records());
  }
}

TEST_F(BufferTest, LargeFirstRecordLeavesAnEmptyBlockBeforeIt) {
  ASSERT_NE(Record(12000, 0x5A), nullptr);
  ASSERT_TRUE(FlushRecords(&records()));
  auto blocks = ParseBlocks(log_.Bytes());
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[0].type, kBlockRecords);
  EXPECT_TRUE(blocks[0].payload.empty());
  EXPECT_EQ(blocks[1].type, kBlockRecords);
  EXPECT_EQ(blocks[1].payload, std::vector<BYTE>(12000, 0x5A));
  // The flush dropped everything: the buffer is the empty embedded chunk again.
  EXPECT_EQ(records().bytesBuffered, 0u);
  EXPECT_EQ(records().head->next, nullptr);
}

TEST_F(BufferTest, FlushOfAnEmptyBufferWritesNothing) {
  EXPECT_TRUE(FlushRecords(&records()));
  EXPECT_TRUE(log_.pieces.empty());
}

TEST_F(BufferTest, RawFirstPageWritesNoRecordsButDropsThem) {
  device_->rawMode = 1;
  device_->pageCount = 1;
  ASSERT_NE(Record(64, 1), nullptr);
  EXPECT_TRUE(FlushRecords(&records()));
  EXPECT_TRUE(log_.pieces.empty());
  EXPECT_EQ(records().bytesBuffered, 0u);
  // The second page of the raw job writes its records.
  device_->pageCount = 2;
  ASSERT_NE(Record(8, 2), nullptr);
  EXPECT_TRUE(FlushRecords(&records()));
  EXPECT_EQ(Types(ParseBlocks(log_.Bytes())), std::vector<DWORD>{kBlockRecords});
}

TEST_F(BufferTest, WithoutABoundOutputEveryWriteSucceedsSilently) {
  for (int unbind = 0; unbind < 2; ++unbind) {
    Bind();
    if (unbind == 0) records().outputModule = nullptr;
    else records().write = nullptr;
    ASSERT_NE(Record(40, 1), nullptr);
    EXPECT_TRUE(FlushRecords(&records()));
    EXPECT_TRUE(WriteBlockHeader(&records(), kBlockEmpty, 0));
  }
  EXPECT_TRUE(log_.pieces.empty());
  EXPECT_EQ(device_->jobFlags & JOB_OUTPUT_FAILED, 0u);
}

TEST_F(BufferTest, ShortOrRefusedWriteFailsTheJobAndNothingFollows) {
  for (int refuse = 0; refuse < 2; ++refuse) {
    log_ = WriteLog{};
    device_->jobFlags = 0;
    (refuse ? log_.refuseAt : log_.shortAt) = 1;
    ASSERT_NE(Record(6000, 1), nullptr);
    EXPECT_FALSE(FlushRecords(&records()));
    EXPECT_NE(device_->jobFlags & JOB_OUTPUT_FAILED, 0u);
    // Header, then the first 4096-byte piece that failed; the rest never went out.
    ASSERT_EQ(log_.pieces.size(), 2u);
    EXPECT_EQ(log_.pieces[1].size(), kWritePiece);
    // After the failure nothing reaches the output any more.
    EXPECT_FALSE(WriteBlockHeader(&records(), kBlockEmpty, 0));
    ASSERT_NE(Record(8, 1), nullptr);
    EXPECT_FALSE(FlushRecords(&records()));
    EXPECT_EQ(log_.pieces.size(), 2u);
    EXPECT_EQ(records().bytesBuffered, 0u);
  }
}

TEST_F(BufferTest, WritesGoOutInPiecesOfAtMost4096Bytes) {
  std::vector<BYTE> data(4096 * 2 + 1816);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<BYTE>(i * 7);
  ASSERT_TRUE(WriteOutput(&records(), data.data(), static_cast<DWORD>(data.size())));
  ASSERT_EQ(log_.pieces.size(), 3u);
  EXPECT_EQ(log_.pieces[0].size(), 4096u);
  EXPECT_EQ(log_.pieces[1].size(), 4096u);
  EXPECT_EQ(log_.pieces[2].size(), 1816u);
  EXPECT_EQ(log_.Bytes(), data);
  EXPECT_EQ(log_.lastHandle, records().outputHandle);
  // Nothing to write calls nothing.
  ASSERT_TRUE(WriteOutput(&records(), data.data(), 0));
  EXPECT_EQ(log_.pieces.size(), 3u);
}

// A text source of a chosen size and fill; a chosen step fails.
DWORD g_textSize = 0;
int g_failOn = 0;  // 1: the size query fails, 2: the fill fails
std::int32_t TestSource(DriverContext*, DWORD size, BYTE* buffer, DWORD* count) {
  if (!buffer) {
    *count = g_textSize;
    return g_failOn == 1 ? -1 : 0;
  }
  if (g_failOn == 2) return -1;
  for (DWORD i = 0; i < size; ++i) buffer[i] = static_cast<BYTE>('a' + i % 26);
  *count = size;
  return 0;
}

TEST_F(BufferTest, TextBlockOf10000BytesGoesOutInThreePieces) {
  g_textSize = 10000;
  g_failOn = 0;
  ASSERT_TRUE(WriteTextBlock(&records(), nullptr, kBlockJobText, TestSource));
  ASSERT_EQ(log_.pieces.size(), 3u);
  EXPECT_EQ(log_.pieces[0].size(), 4096u);
  EXPECT_EQ(log_.pieces[1].size(), 4096u);
  EXPECT_EQ(log_.pieces[2].size(), 1816u);
  const auto blocks = ParseBlocks(log_.Bytes());
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(blocks[0].type, kBlockJobText);
  ASSERT_EQ(blocks[0].payload.size(), 10000u);
  EXPECT_EQ(blocks[0].payload[27], 'b');
  // The temporary block went back to the device's list.
  EXPECT_EQ(DeviceBlockCount(heap_), 1u);
}

TEST_F(BufferTest, FailedTextSourceWritesNoPartialBlock) {
  for (int fail : {1, 2}) {
    g_textSize = 100;
    g_failOn = fail;
    EXPECT_FALSE(WriteTextBlock(&records(), nullptr, kBlockPageHeader, TestSource));
    EXPECT_TRUE(log_.pieces.empty()) << fail;
    EXPECT_EQ(DeviceBlockCount(heap_), 1u);
  }
  g_failOn = 0;
}

TEST_F(BufferTest, MoreThanOneMegabyteBufferedIsFlushedAtTheNextChunk) {
  // 4-byte records: a chunk takes 2559 of them (its last byte stays free).
  const DWORD perChunk = (kChunkDataBytes - 1) / 4;
  DWORD appended = 0;
  while (log_.pieces.empty()) {
    ASSERT_NE(Record(4, static_cast<BYTE>(appended)), nullptr);
    ++appended;
    ASSERT_LT(appended, 400000u);
  }
  // The flush came with the first chunk started after the threshold was passed.
  const DWORD chunksBefore = (kFlushThreshold / 4) / perChunk + 1;
  EXPECT_EQ(appended, chunksBefore * perChunk + 1);
  // What was flushed is the records before the one that asked for a new chunk.
  auto blocks = ParseBlocks(log_.Bytes());
  std::size_t flushed = 0;
  for (const auto& b : blocks) {
    EXPECT_EQ(b.type, kBlockRecords);
    flushed += b.payload.size();
  }
  EXPECT_EQ(flushed, static_cast<std::size_t>(appended - 1) * 4);
  // The new record sits in a chunk behind the emptied embedded one.
  EXPECT_EQ(records().bytesBuffered, 4u);
  EXPECT_EQ(Used(records().head), 0u);
  ASSERT_TRUE(FlushRecords(&records()));
  blocks = ParseBlocks(log_.Bytes());
  ASSERT_GE(blocks.size(), 2u);
  EXPECT_TRUE(blocks[blocks.size() - 2].payload.empty());
  EXPECT_EQ(blocks.back().payload.size(), 4u);
}

TEST_F(BufferTest, SetRecordEndGivesBackRoomRoundedUpToFour) {
  BYTE* r = AllocRecord(&records(), 40);
  ASSERT_NE(r, nullptr);
  SetRecordEnd(&records(), r + 13);
  EXPECT_EQ(Used(Tail(records())), 16u);
  SetRecordEnd(&records(), r);  // dropped
  EXPECT_EQ(Used(Tail(records())), 0u);
  EXPECT_EQ(records().bytesBuffered, 40u);
}

TEST_F(BufferTest, PageRecordsAreWrittenByteForByte) {
  ASSERT_NE(EmitPageStart(&records(), 4960, 7016, 600, 600), nullptr);
  ASSERT_NE(EmitPageEnd(&records()), nullptr);
  ASSERT_TRUE(FlushRecords(&records()));
  const auto blocks = ParseBlocks(log_.Bytes());
  ASSERT_EQ(blocks.size(), 1u);
  const std::vector<BYTE> expected = {0x60, 0, 0, 0, 0x60, 0x13, 0, 0, 0x68, 0x1B, 0, 0, 0x58, 0x02, 0x58, 0x02,
                                      0x61, 0, 0, 0};
  EXPECT_EQ(blocks[0].payload, expected);
}

#ifdef KOVA_SANITIZE
TEST_F(BufferTest, UnwrittenBytesShowTheFillPattern) {
  BYTE* r = AllocRecord(&records(), 12000);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r[0], kDeviceFillByte);
  EXPECT_EQ(r[11999], kDeviceFillByte);
}
#endif

TEST(DeviceHeap, BlocksAreFreedSinglyOrWithTheList) {
  DeviceHeap* heap = CreateDeviceHeap();
  ASSERT_NE(heap, nullptr);
  void* a = DeviceAlloc(heap, 10);
  void* b = DeviceAlloc(heap, 0);
  void* c = DeviceAlloc(heap, 100);
  ASSERT_TRUE(a && b && c);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(c) % alignof(std::max_align_t), 0u);
  EXPECT_EQ(DeviceBlockCount(heap), 3u);
  DeviceFree(heap, b);
  int notOnList = 0;
  DeviceFree(heap, &notOnList);
  DeviceFree(heap, nullptr);
  EXPECT_EQ(DeviceBlockCount(heap), 2u);
  EXPECT_EQ(DeviceAlloc(heap, 0xFFFFFFFFu), nullptr);
  EXPECT_EQ(DeviceAlloc(nullptr, 4), nullptr);
  DestroyDeviceHeap(heap);  // frees a and c
  DestroyDeviceHeap(nullptr);
}

}  // namespace
}  // namespace rendara::test
