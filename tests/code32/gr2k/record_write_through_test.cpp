// A record handed over whole and flushed (WriteRecordAndFlush) against the buffered road
// (AllocRecord, a copy, FlushRecords): the same output, byte for byte, the same pieces,
// answer, flush count and buffer state, whichever road the record takes.
#include <gtest/gtest.h>

#include "buffer_fixture.h"
#include "device_heap.h"

namespace rendara::test {
namespace {

struct Outcome {
  BOOL result;
  std::vector<std::vector<BYTE>> pieces;
  DWORD flushes;
  DWORD bytesBuffered;
  bool tailIsHead;
  bool failed;
};

struct Case {
  const char* name;
  std::vector<DWORD> before;  // records buffered before the one handed over
  DWORD record;
  int rawFirstPage;           // the device is on the first page of a raw job
  int refuseAt;               // the write piece the output refuses, or -1
};

class WriteThroughTest : public BufferTest {
 protected:
  std::vector<BYTE> Bytes(DWORD n, BYTE seed) {
    std::vector<BYTE> bytes(n);
    for (DWORD i = 0; i < n; ++i) bytes[i] = static_cast<BYTE>(seed + i * 13 + (i >> 12));
    return bytes;
  }

  // Starts the case from an empty buffer and a fresh output, with its records buffered.
  void Start(const Case& c) {
    FreeChunks(&records());
    ResetRecordBuffer(&records());
    records().flushes = 0;
    device_->jobFlags = 0;
    device_->rawMode = c.rawFirstPage ? 1 : 0;
    device_->pageCount = 1;
    log_ = WriteLog{};
    BYTE seed = 1;
    for (DWORD n : c.before) ASSERT_NE(Record(n, seed++), nullptr);
    log_.refuseAt = c.refuseAt < 0 ? -1 : static_cast<int>(log_.pieces.size()) + c.refuseAt;
  }

  Outcome Finish(BOOL result) {
    return {result,
            log_.pieces,
            records().flushes,
            records().bytesBuffered,
            records().tail == records().head,
            (device_->jobFlags & JOB_OUTPUT_FAILED) != 0};
  }
};

TEST_F(WriteThroughTest, HandedOverRecordLeavesWhatTheBufferedRoadLeaves) {
  const DWORD big = 4u << 20;
  const Case cases[] = {
      {"small record into the tail", {}, 16, 0, -1},
      {"small record after others", {100, 200}, 3000, 0, -1},
      {"record that would reach the tail's last byte", {kChunkDataBytes - 16}, 16, 0, -1},
      {"first record of a whole chunk", {}, kChunkDataBytes, 0, -1},
      {"first record larger than a chunk", {}, 12000, 0, -1},
      {"large record after small ones", {40, 4000, 8}, 70001, 0, -1},
      {"large record behind a chunk of its own", {30000}, 20480, 0, -1},
      {"4 MB record", {16}, big, 0, -1},
      {"large record after more than the flush threshold", {kFlushThreshold / 2, kFlushThreshold / 2 + 8}, 50000, 0, -1},
      {"small record after more than the flush threshold", {kFlushThreshold + 8}, 8, 0, -1},
      {"raw first page, large record", {64}, 30000, 1, -1},
      {"raw first page, small record", {}, 64, 1, -1},
      {"output refuses the record's header", {}, 30000, 0, 2},
      {"output refuses a piece of the record", {}, 30000, 0, 4},
      {"output refuses an earlier chunk", {5000}, 30000, 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<BYTE> bytes = Bytes(c.record, static_cast<BYTE>(c.record));

    Start(c);
    BYTE* record = AllocRecord(&records(), c.record);
    ASSERT_NE(record, nullptr);
    std::memcpy(record, bytes.data(), c.record);
    const Outcome buffered = Finish(FlushRecords(&records()));

    Start(c);
    const Outcome through = Finish(WriteRecordAndFlush(&records(), bytes.data(), c.record));

    EXPECT_EQ(through.result, buffered.result);
    EXPECT_EQ(through.pieces.size(), buffered.pieces.size());
    EXPECT_TRUE(through.pieces == buffered.pieces);
    EXPECT_EQ(through.flushes, buffered.flushes);
    EXPECT_EQ(through.bytesBuffered, 0u);
    EXPECT_EQ(buffered.bytesBuffered, 0u);
    EXPECT_EQ(through.tailIsHead, buffered.tailIsHead);
    EXPECT_EQ(through.failed, buffered.failed);
  }
}

TEST_F(WriteThroughTest, LargeRecordGoesOutAsItsOwnBlockAfterTheBufferedOnes) {
  ASSERT_NE(Record(24, 0x11), nullptr);
  const std::vector<BYTE> bytes = Bytes(3 * kWritePiece + 5, 7);
  ASSERT_TRUE(WriteRecordAndFlush(&records(), bytes.data(), static_cast<DWORD>(bytes.size())));
  const auto blocks = ParseBlocks(log_.Bytes());
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[0].payload, std::vector<BYTE>(24, 0x11));
  EXPECT_EQ(blocks[1].type, kBlockRecords);
  EXPECT_EQ(blocks[1].payload, bytes);
  // Header, the buffered chunk, header, then the record in pieces of at most 4096 bytes.
  ASSERT_EQ(log_.pieces.size(), 7u);
  EXPECT_EQ(log_.pieces.back().size(), 5u);
}

TEST_F(WriteThroughTest, NothingOrNoBytesIsRefusedWithoutOutput) {
  const BYTE one = 1;
  EXPECT_FALSE(WriteRecordAndFlush(&records(), &one, 0));
  EXPECT_FALSE(WriteRecordAndFlush(&records(), nullptr, 40000));
  EXPECT_TRUE(log_.pieces.empty());
  EXPECT_EQ(records().flushes, 0u);
}

}  // namespace
}  // namespace rendara::test
