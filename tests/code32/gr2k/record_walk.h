// A rendering device with a clip cache, whose buffered drawing records are read back one
// record at a time, for the pen, path and path-call tests.
#pragma once

#include <cstring>
#include <vector>

#include "buffer_fixture.h"
#include "clip_records.h"

namespace rendara::test {

// The length of the record at s[at], from its opcode and length fields.
inline std::size_t RecordLength(const std::vector<BYTE>& s, std::size_t at) {
  DWORD len = 4;
  switch (s[at]) {
    case 0x30: len = s[at + 1]; break;
    case 0x33: case 0x36: len = 8; break;
    case 0x40: len = ((s[at + 4] | s[at + 5] << 8) + 9) & ~3u; break;
    case 0x10: case 0x11: case 0x12: case 0x13: case 0x20: std::memcpy(&len, &s[at + 4], 4); break;
    case 0x51: case 0x52: case 0x53: case 0x54: case 0x55: case 0x57: std::memcpy(&len, &s[at + 4], 4); break;
    case 0x50: case 0x56: len = s[at + 14] | s[at + 15] << 8; break;
  }
  return len;
}

inline DWORD U32(const std::vector<BYTE>& r, std::size_t at) {
  DWORD v = 0;
  std::memcpy(&v, &r[at], 4);
  return v;
}

class RecordsTest : public BufferTest {
 protected:
  void SetUp() override {
    BufferTest::SetUp();
    ASSERT_TRUE(CreateClipCache(device_));
  }
  // The records written since the last call, each as its bytes.
  std::vector<std::vector<BYTE>> Written() {
    EXPECT_TRUE(FlushRecords(&records()));
    std::vector<BYTE> s;
    for (const auto& b : ParseBlocks(log_.Bytes())) s.insert(s.end(), b.payload.begin(), b.payload.end());
    log_.pieces.clear();
    std::vector<std::vector<BYTE>> out;
    std::size_t at = 0;
    while (at < s.size()) {
      const std::size_t len = RecordLength(s, at);
      if (len == 0 || len % 4 != 0 || s.size() - at < len) {
        ADD_FAILURE() << "bad record at " << at;
        break;
      }
      out.emplace_back(s.begin() + at, s.begin() + at + len);
      at += len;
    }
    return out;
  }
  std::vector<BYTE> Opcodes() {
    std::vector<BYTE> ops;
    for (const auto& r : Written()) ops.push_back(r[0]);
    return ops;
  }
  // Makes the next record fail: the flush is refused and the tail is full.
  void StarveBuffer() {
    if (log_.refuseAt < 0) log_.refuseAt = static_cast<int>(log_.pieces.size());
    records().bytesBuffered = kFlushThreshold + 1;
    records().tail->position = records().tail->end - 1;
  }
};

}  // namespace rendara::test
