#include <gtest/gtest.h>

#include <cstring>

#include "win/kernel.h"

namespace {

TEST(KernelMemory, FixedBlockIsItsOwnHandleAndZeroFilledOnRequest) {
  auto* p = static_cast<unsigned char*>(GlobalAlloc(GPTR, 64));
  ASSERT_NE(p, nullptr);
  for (int i = 0; i < 64; ++i) ASSERT_EQ(p[i], 0) << i;
  EXPECT_EQ(GlobalSize(p), 64u);
  EXPECT_EQ(GlobalLock(p), p);
  EXPECT_EQ(GlobalHandle(p), p);
  EXPECT_EQ(GlobalFree(p), nullptr);  // NULL is success
}

TEST(KernelMemory, MoveableBlockIsReachedThroughLock) {
  HGLOBAL h = GlobalAlloc(GHND, 16);
  ASSERT_NE(h, nullptr);
  auto* p = static_cast<char*>(GlobalLock(h));
  ASSERT_NE(p, nullptr);
  EXPECT_NE(static_cast<void*>(p), h);
  EXPECT_EQ(GlobalHandle(p), h);
  EXPECT_EQ(GlobalFlags(h), 1u);
  EXPECT_NE(GlobalLock(h), nullptr);
  EXPECT_TRUE(GlobalUnlock(h));  // still locked once
  SetLastError(1234);
  EXPECT_FALSE(GlobalUnlock(h));  // now unlocked: FALSE with NO_ERROR
  EXPECT_EQ(GetLastError(), NO_ERROR);
  EXPECT_FALSE(GlobalUnlock(h));
  EXPECT_EQ(GetLastError(), ERROR_NOT_LOCKED);
  // An unlocked moveable block may move when it grows; the handle stays.
  EXPECT_EQ(GlobalReAlloc(h, 4096, GMEM_MOVEABLE | GMEM_ZEROINIT), h);
  auto* q = static_cast<char*>(GlobalLock(h));
  EXPECT_EQ(q[4095], 0);
  GlobalUnlock(h);
  EXPECT_EQ(GlobalSize(h), 4096u);
  EXPECT_EQ(GlobalFree(h), nullptr);
}

TEST(KernelMemory, FixedBlockGrowsOnlyWhenAllowedToMove) {
  auto* p = static_cast<char*>(GlobalAlloc(GMEM_FIXED, 8));
  std::memcpy(p, "abcdefg", 8);
  EXPECT_EQ(GlobalReAlloc(p, 1 << 20, GMEM_FIXED), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(GlobalSize(p), 8u);
  auto* q = static_cast<char*>(GlobalReAlloc(p, 1 << 20, GMEM_MOVEABLE | GMEM_ZEROINIT));
  ASSERT_NE(q, nullptr);
  EXPECT_STREQ(q, "abcdefg");
  EXPECT_EQ(q[(1 << 20) - 1], 0);
  EXPECT_EQ(GlobalReAlloc(q, 4, GMEM_FIXED), q);  // shrinking stays in place
  EXPECT_EQ(GlobalSize(q), 4u);
  EXPECT_EQ(GlobalFree(q), nullptr);
}

TEST(KernelMemory, ZeroSizeMoveableBlockIsDiscarded) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, 0);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(GlobalLock(h), nullptr);
  EXPECT_EQ(GlobalSize(h), 0u);
  EXPECT_EQ(GlobalFlags(h), 0x4000u);  // GMEM_DISCARDED
  // Reallocating brings it back.
  EXPECT_EQ(GlobalReAlloc(h, 8, GMEM_MOVEABLE | GMEM_ZEROINIT), h);
  auto* p = static_cast<unsigned char*>(GlobalLock(h));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p[7], 0);
  EXPECT_FALSE(GlobalUnlock(h));
  EXPECT_EQ(GlobalReAlloc(h, 0, GMEM_MOVEABLE), h);
  EXPECT_EQ(GlobalLock(h), nullptr);
  EXPECT_EQ(GlobalFree(h), nullptr);
  // A fixed block of zero bytes is a real, unique pointer.
  void* f = GlobalAlloc(GMEM_FIXED, 0);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(GlobalSize(f), 0u);
  EXPECT_EQ(GlobalFree(f), nullptr);
}

TEST(KernelMemory, UnknownHandlesAreRefused) {
  int local = 0;
  SetLastError(0);
  EXPECT_EQ(GlobalFree(&local), &local);  // failure answers the handle
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(GlobalSize(&local), 0u);
  EXPECT_EQ(GlobalLock(&local), nullptr);
  EXPECT_EQ(GlobalFree(nullptr), nullptr);
  void* p = GlobalAlloc(GMEM_FIXED, 4);
  EXPECT_EQ(GlobalFree(p), nullptr);
  EXPECT_EQ(GlobalFree(p), p);  // a second free is caught
  EXPECT_EQ(LocalFree(&local), &local);
}

TEST(KernelMemory, LocalAndHeapShareTheRules) {
  auto* p = static_cast<unsigned char*>(LocalAlloc(LPTR, 10));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p[9], 0);
  EXPECT_EQ(LocalSize(p), 10u);
  EXPECT_EQ(LocalFree(p), nullptr);

  HANDLE heap = GetProcessHeap();
  auto* h = static_cast<unsigned char*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, 32));
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(h[31], 0);
  EXPECT_EQ(HeapSize(heap, 0, h), 32u);
  h = static_cast<unsigned char*>(HeapReAlloc(heap, HEAP_ZERO_MEMORY, h, 100000));
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(h[99999], 0);
  EXPECT_TRUE(HeapFree(heap, 0, h));
  EXPECT_FALSE(HeapFree(heap, 0, h));
  EXPECT_EQ(HeapSize(heap, 0, h), static_cast<SIZE_T>(-1));
  EXPECT_EQ(HeapAlloc(reinterpret_cast<HANDLE>(0x1234), 0, 4), nullptr);
}

}  // namespace
