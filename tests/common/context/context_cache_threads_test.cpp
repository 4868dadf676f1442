// Many threads creating and releasing contexts at once: a context is never handed to two
// callers, the caches stay consistent and nothing leaks (run under the sanitizer build).
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "fields/field_access.h"
#include "context_fixture.h"

namespace {

using kovatest::ContextTest;

class ContextThreads : public ContextTest {};

TEST_F(ContextThreads, CreateAndReleaseFromManyThreads) {
  HANDLE printers[2] = {Install(u"T1"), Install(u"T2")};
  constexpr int kThreads = 6;
  constexpr int kRounds = 40;
  std::mutex inUseLock;
  std::set<DriverContext*> inUse;
  std::atomic<int> failures{0}, shared{0}, reused{0};

  auto worker = [&](int t) {
    for (int i = 0; i < kRounds; ++i) {
      const bool caps = (i + t) % 3 == 0;
      HANDLE printer = printers[(i + t) % 2];
      DriverContext* ctx = Create(printer, caps ? CTXK_DEVICE_CAPS : CTXK_INTERFACE);
      if (!ctx) {
        ++failures;
        continue;
      }
      {
        std::lock_guard<std::mutex> g(inUseLock);
        if (!inUse.insert(ctx).second) ++shared;
      }
      if (TagOf(ctx) != 0) ++reused;
      Tag(ctx, 1);
      // Work on the context as a caller would.
      WriteFieldRawById(ctx, 10012, static_cast<DWORD>(t * 1000 + i));
      if (ReadFieldRawById(ctx, 10012) != static_cast<DWORD>(t * 1000 + i)) ++failures;
      {
        std::lock_guard<std::mutex> g(inUseLock);
        inUse.erase(ctx);
      }
      const WORD type = i % 7 == 6 ? CTXR_DESTROY : caps ? CTXR_CACHE_CAPS : CTXR_CACHE;
      ReleaseContext(ctx, type);
      if (t == 0 && i % 10 == 9) plat::AdvanceTestClock(501);  // let the cached ones expire now and then
    }
  };
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) threads.emplace_back(worker, t);
  for (auto& th : threads) th.join();

  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(shared.load(), 0);
  EXPECT_GT(reused.load(), 0);
  EXPECT_LE(Occupied(1), 2);
  EXPECT_LE(Occupied(2), 2);
  EvictContextCache(1);
  EXPECT_EQ(Occupied(1) + Occupied(2), 0);
}

}  // namespace

namespace {

// Called from a module's event hook while a context is being destroyed: both cache locks
// must be free, which another thread proves by taking them (a critical section is
// recursive, so the destroying thread itself could not tell).
std::atomic<int> g_destroyChecks{0}, g_lockedDuringDestroy{0};

bool LocksFreeForAnotherThread() {
  // A lock held by this thread would keep the other one waiting, and the test would hang
  // until its time-out.
  bool done = false;
  std::thread([&done] {
    PeekContextCacheSlot(1, 0, nullptr);
    PeekContextCacheSlot(2, 0, nullptr);
    done = true;
  }).join();
  return done;
}

std::int32_t CheckLocksOnFree(DriverContext*, DWORD event, void*, void*) {
  if (event == 2) {
    ++g_destroyChecks;
    if (!LocksFreeForAnotherThread()) ++g_lockedDuringDestroy;
  }
  return 0;
}

TEST_F(ContextThreads, ContextsAreDestroyedOutsideBothCacheLocks) {
  HANDLE h = Install(u"Locks");
  auto create = [&](DWORD kind) {
    DriverContext* ctx = CreateContext(h, h, 0, 0x800, kind, 0, nullptr, nullptr);
    EXPECT_NE(ctx, nullptr);
    ctx->work->modules->records[0].eventHook = CheckLocksOnFree;
    return ctx;
  };
  g_destroyChecks = 0;
  g_lockedDuringDestroy = 0;
  // Displacement from a full cache 2.
  DriverContext* a = create(CTXK_INTERFACE);
  DriverContext* b = create(CTXK_INTERFACE);
  DriverContext* c = create(CTXK_INTERFACE);
  ReleaseContextToCache(a);
  ReleaseContextToCache(b);
  ReleaseContextToCache(c);
  EXPECT_EQ(g_destroyChecks.load(), 1);
  // Eviction by a lookup, from both caches.
  ReleaseContext(create(CTXK_DEVICE_CAPS), CTXR_CACHE_CAPS);
  plat::AdvanceTestClock(501);
  EvictContextCache(0);
  EXPECT_EQ(g_destroyChecks.load(), 4);
  EXPECT_EQ(g_lockedDuringDestroy.load(), 0);
}

}  // namespace
