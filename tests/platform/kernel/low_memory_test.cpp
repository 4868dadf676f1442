// Low memory: blocks below 2 GiB, zero-filled, with a live set that refuses unknown and
// repeated frees.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "plat/system.h"
#include "win/kernel.h"
#include "win/lowmem.h"

namespace {

TEST(LowMemory, BlocksFitA32BitSlotAndFreesAreChecked) {
  auto* block = static_cast<unsigned char*>(LowMemoryAlloc(100));
  ASSERT_NE(block, nullptr);
  EXPECT_LT(reinterpret_cast<std::uintptr_t>(block) + 100, 0x80000000u);
  EXPECT_EQ(LowMemoryFromSlot(LowMemoryToSlot(block)), block);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(block[i], 0);
  std::memset(block, 0xAB, 100);
  EXPECT_TRUE(IsLowMemoryBlock(block + 10, 90));
  EXPECT_FALSE(IsLowMemoryBlock(block + 10, 1u << 20));
  int onStack = 0;
  EXPECT_FALSE(IsLowMemoryBlock(&onStack, 1));

  EXPECT_FALSE(LowMemoryFree(block + 1));  // not a block's start
  EXPECT_EQ(GetLastError(), ERROR_INVALID_ADDRESS);
  EXPECT_FALSE(LowMemoryFree(&onStack));
  EXPECT_TRUE(LowMemoryFree(block));
  EXPECT_FALSE(LowMemoryFree(block));  // a second free frees nothing
  EXPECT_FALSE(IsLowMemoryBlock(block, 1));
  EXPECT_FALSE(LowMemoryFree(nullptr));
}

TEST(LowMemory, ZeroAndHugeSizesAreRefused) {
  EXPECT_EQ(LowMemoryAlloc(0), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(LowMemoryAlloc(static_cast<SIZE_T>(1) << 40), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
}

TEST(LowMemory, InjectedFailureOfASizeCoversLowBlocks) {
  plat::FailAllocationsOfSize(812);
  EXPECT_EQ(LowMemoryAlloc(812), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
  void* other = LowMemoryAlloc(813);  // only the size named fails
  EXPECT_NE(other, nullptr);
  plat::FailAllocationsOfSize(0);
  void* block = LowMemoryAlloc(812);
  EXPECT_NE(block, nullptr);
  EXPECT_TRUE(LowMemoryFree(block));
  EXPECT_TRUE(LowMemoryFree(other));
}

}  // namespace
