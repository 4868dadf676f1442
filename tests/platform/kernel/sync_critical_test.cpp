#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "win/sync.h"

namespace {

TEST(SyncCriticalSection, RecursiveForTheOwner) {
  CRITICAL_SECTION cs;
  ASSERT_TRUE(InitializeCriticalSectionAndSpinCount(&cs, 4000));
  EXPECT_EQ(cs.SpinCount, 4000u);
  EnterCriticalSection(&cs);
  EnterCriticalSection(&cs);
  EXPECT_TRUE(TryEnterCriticalSection(&cs));
  EXPECT_EQ(cs.RecursionCount, 3);
  EXPECT_NE(cs.OwningThread, nullptr);
  // Another thread cannot enter while the owner holds it, however deeply.
  bool other = true;
  std::thread([&] { other = TryEnterCriticalSection(&cs); }).join();
  EXPECT_FALSE(other);
  LeaveCriticalSection(&cs);
  LeaveCriticalSection(&cs);
  std::thread([&] { other = TryEnterCriticalSection(&cs); }).join();
  EXPECT_FALSE(other);  // still held once
  LeaveCriticalSection(&cs);
  EXPECT_EQ(cs.OwningThread, nullptr);
  std::thread([&] {
    other = TryEnterCriticalSection(&cs);
    if (other) LeaveCriticalSection(&cs);
  }).join();
  EXPECT_TRUE(other);
  DeleteCriticalSection(&cs);
}

TEST(SyncCriticalSection, LeaveByANonOwnerIsIgnored) {
  CRITICAL_SECTION cs;
  InitializeCriticalSection(&cs);
  EnterCriticalSection(&cs);
  std::thread([&] { LeaveCriticalSection(&cs); }).join();
  EXPECT_EQ(cs.RecursionCount, 1);
  bool other = true;
  std::thread([&] { other = TryEnterCriticalSection(&cs); }).join();
  EXPECT_FALSE(other);
  LeaveCriticalSection(&cs);
  DeleteCriticalSection(&cs);
}

TEST(SyncCriticalSection, ExcludesThreads) {
  CRITICAL_SECTION cs;
  InitializeCriticalSection(&cs);
  long counter = 0;  // updated non-atomically under the section
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 2000; ++i) {
        EnterCriticalSection(&cs);
        EnterCriticalSection(&cs);
        const long v = counter;
        counter = v + 1;
        LeaveCriticalSection(&cs);
        LeaveCriticalSection(&cs);
      }
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(counter, 8000);
  DeleteCriticalSection(&cs);
}

TEST(SyncInterlocked, ReturnValues) {
  LONG v = 5;
  EXPECT_EQ(InterlockedIncrement(&v), 6);
  EXPECT_EQ(InterlockedDecrement(&v), 5);
  EXPECT_EQ(InterlockedExchange(&v, 9), 5);
  EXPECT_EQ(v, 9);
  EXPECT_EQ(InterlockedExchangeAdd(&v, 3), 9);
  EXPECT_EQ(v, 12);
  EXPECT_EQ(InterlockedCompareExchange(&v, 1, 7), 12);  // no match: unchanged
  EXPECT_EQ(v, 12);
  EXPECT_EQ(InterlockedCompareExchange(&v, 1, 12), 12);
  EXPECT_EQ(v, 1);
  int a = 0, b = 0;
  PVOID p = &a;
  EXPECT_EQ(InterlockedCompareExchangePointer(&p, &b, &b), &a);
  EXPECT_EQ(p, &a);
  EXPECT_EQ(InterlockedExchangePointer(&p, &b), &a);
  EXPECT_EQ(p, &b);
}

}  // namespace
