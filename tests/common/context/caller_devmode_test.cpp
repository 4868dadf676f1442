// The two checks of a caller's device-mode: how much of one handed in may be read, and how
// much of an output may be written; and the size an output shaped like a caller's
// device-mode takes.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <memory>

#include "context/caller_devmode.h"
#include "base/system_checks.h"
#include "test_root.h"
#include "win/devmode.h"

namespace caller_devmode_test {
namespace {

constexpr DWORD kNotGiven = kCallerSizeNotGiven;

// A device-mode in a heap block of exactly `allocated` bytes, so that a read past the block
// is caught; the header words are written only where the block holds them.
struct Block {
  std::unique_ptr<BYTE[]> bytes;
  Block(WORD size, WORD extra, std::size_t allocated) : bytes(new BYTE[allocated]()) {
    Put(allocated, offsetof(DEVMODEW, dmSpecVersion), WORD{DM_SPECVERSION});
    Put(allocated, offsetof(DEVMODEW, dmSize), size);
    Put(allocated, offsetof(DEVMODEW, dmDriverExtra), extra);
  }
  void Put(std::size_t allocated, std::size_t offset, WORD value) {
    if (offset + sizeof value <= allocated) std::memcpy(bytes.get() + offset, &value, sizeof value);
  }
  const DEVMODEW* dm() const { return reinterpret_cast<const DEVMODEW*>(bytes.get()); }
};

// The block a device-mode of these sizes needs: at least its header through dmFields.
std::size_t Needed(WORD size, WORD extra) {
  const std::size_t n = static_cast<std::size_t>(size) + extra;
  return n < 76 ? 76 : n;
}

class CallerDevmodeTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetSystemTestCaches(); }
  void TearDown() override { ResetSystemTestCaches(); }
  kovatest::TempRoot root_;
};

TEST_F(CallerDevmodeTest, ReadableBytesOfADevmodeHandedIn) {
  struct Case {
    const char* what;
    WORD size, extra;
    std::size_t allocated;  // 0: what the device-mode says it takes
    DWORD callerSize;
    DWORD readable;
  };
  const Case cases[] = {
      {"dmSize 0", 0, 0, 0, kNotGiven, 0},
      {"dmSize 10", 10, 0, 0, kNotGiven, 0},
      {"dmSize 60", 60, 1016, 0, kNotGiven, 0},
      {"dmSize 71", 71, 0, 0, kNotGiven, 0},
      {"dmSize 148, the public part of an 8-bit device-mode", 148, 0, 0, kNotGiven, 0},
      {"dmSize 156", 156, 1016, 0, kNotGiven, 0},
      {"dmSize 186, short of version 0x320", 186, 0, 0, kNotGiven, 0},
      {"version 0x320 alone", 188, 0, 0, kNotGiven, 188},
      {"version 0x320 with the private part", 188, 1016, 0, kNotGiven, 1204},
      {"version 0x400 with the private part", 212, 1016, 0, kNotGiven, 1228},
      {"version 0x401 alone", 220, 0, 0, kNotGiven, 220},
      {"the driver's own", 220, 1016, 0, kNotGiven, 1236},
      {"another driver's private size", 220, 40, 0, kNotGiven, 260},
      {"a later public version", 300, 0, 0, kNotGiven, 300},
      {"a caller size that holds it exactly", 220, 1016, 0, 1236, 1236},
      {"a caller size larger than it", 220, 1016, 2000, 2000, 1236},
      {"a caller size one byte short of its private part", 220, 1016, 1235, 1235, 0},
      {"a caller size short of dmSize", 220, 1016, 219, 219, 0},
      {"a caller size short of dmSize, no private part", 220, 0, 200, 200, 0},
      {"a caller size short of the header", 220, 0, 60, 60, 0},
      {"a caller size of nothing", 220, 0, 1, 0, 0},
      {"a caller size that holds it, dmSize too small", 148, 0, 148, 148, 0},
  };
  for (const Case& c : cases) {
    Block b(c.size, c.extra, c.allocated ? c.allocated : Needed(c.size, c.extra));
    EXPECT_EQ(ReadableCallerDevmode(b.dm(), c.callerSize), c.readable) << c.what;
    EXPECT_EQ(UsableCallerDevmode(b.dm(), c.callerSize), c.readable ? b.dm() : nullptr) << c.what;
  }
  EXPECT_EQ(ReadableCallerDevmode(nullptr, kNotGiven), 0u);
  EXPECT_EQ(ReadableCallerDevmode(nullptr, 1236), 0u);
  EXPECT_EQ(UsableCallerDevmode(nullptr, kNotGiven), nullptr);
}

TEST_F(CallerDevmodeTest, WritableBytesOfAnOutput) {
  Block out(220, 1016, 1236);
  struct Case {
    const DEVMODEW* output;
    DWORD callerSize;
    DWORD writable;
  };
  const Case cases[] = {
      {out.dm(), kNotGiven, 1236}, {out.dm(), 220, 220}, {out.dm(), 5000, 5000},
      {out.dm(), 0, 0},            {nullptr, kNotGiven, 0}, {nullptr, 1236, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(WritableCallerDevmode(c.output, c.callerSize), c.writable) << c.callerSize;
}

// An output shaped like a caller's device-mode takes the smaller public and the smaller
// private part; a shape the driver may not read gives the driver's own whole device-mode.
TEST_F(CallerDevmodeTest, SizeOfAnOutputShapedLikeADevmode) {
  struct Case {
    WORD size, extra;
    DWORD shaped;
  };
  const Case cases[] = {
      {188, 0, 188}, {188, 1016, 1204}, {212, 100, 312}, {220, 0, 220},
      {220, 1016, 1236}, {220, 3000, 1236}, {300, 0, 220}, {10, 0, 1236}, {71, 0, 1236}, {148, 0, 1236},
  };
  for (const Case& c : cases) {
    Block b(c.size, c.extra, Needed(c.size, c.extra));
    EXPECT_EQ(ShapedDevmodeSize(b.dm()), c.shaped) << c.size << "+" << c.extra;
  }
  EXPECT_EQ(ShapedDevmodeSize(nullptr), 1236u);
}

}  // namespace
}  // namespace caller_devmode_test
