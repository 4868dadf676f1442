#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "base/driver_context.h"
#include "model/driver_locks.h"
#include "test_root.h"
#include "win/errors.h"
#include "win/sync.h"

namespace {

// From another thread: can the driver mutex be taken right now?
bool FreeForOtherThread() {
  bool free = false;
  std::thread t([&] {
    HANDLE h = OpenMutexW(SYNCHRONIZE, FALSE, kDriverMutexName);
    if (!h) {
      free = true;  // nobody created it: nobody holds it
      return;
    }
    DWORD r = WaitForSingleObject(h, 0);
    if (r == WAIT_OBJECT_0 || r == WAIT_ABANDONED) {
      free = true;
      ReleaseMutex(h);
    }
    CloseHandle(h);
  });
  t.join();
  return free;
}

class DriverLocks : public ::testing::Test {
 protected:
  void SetUp() override { InitDriverLocks(); }
  void TearDown() override { DeleteDriverLocks(); }
  kovatest::TempRoot root_;
};

TEST_F(DriverLocks, InitAndDeleteSetTheStates) {
  EXPECT_EQ(CacheLockState(1), 1);
  EXPECT_EQ(CacheLockState(2), 1);
  EXPECT_EQ(DriverMutexHandle(), nullptr);
  LockDriverMutex(nullptr);
  EXPECT_NE(DriverMutexHandle(), nullptr);
  UnlockDriverMutex(nullptr);
  DeleteDriverLocks();
  EXPECT_EQ(CacheLockState(1), 0);
  EXPECT_EQ(CacheLockState(2), 0);
  EXPECT_EQ(DriverMutexHandle(), nullptr);
  // A lock that is not ready is set up at its next use.
  EnterCacheLock(2);
  EXPECT_EQ(CacheLockState(2), 1);
  LeaveCacheLock(2);
  EnterCacheLock(3);  // no such lock: nothing happens
  LeaveCacheLock(0);
}

TEST_F(DriverLocks, CacheLocksExcludeOtherThreadsAndNest) {
  EnterCacheLock(1);
  EnterCacheLock(1);  // the owner may enter again
  std::atomic<bool> entered{false};
  std::thread other([&] {
    EnterCacheLock(1);
    entered = true;
    LeaveCacheLock(1);
  });
  LeaveCacheLock(1);
  std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_FALSE(entered.load());
  LeaveCacheLock(1);
  other.join();
  EXPECT_TRUE(entered.load());
}

TEST_F(DriverLocks, NullContextAlwaysTakesTheMutexAndNests) {
  LockDriverMutex(nullptr);
  LockDriverMutex(nullptr);
  EXPECT_FALSE(FreeForOtherThread());
  UnlockDriverMutex(nullptr);
  EXPECT_FALSE(FreeForOtherThread());  // still held once
  UnlockDriverMutex(nullptr);
  EXPECT_TRUE(FreeForOtherThread());
}

TEST_F(DriverLocks, ContextWithoutMutexSkipsIt) {
  WorkArea noMutex{};
  noMutex.useMutex = 0;
  DriverContext skipping{};
  skipping.work = &noMutex;
  LockDriverMutex(&skipping);
  EXPECT_EQ(DriverMutexHandle(), nullptr);  // not even created

  LockDriverMutex(nullptr);
  UnlockDriverMutex(&skipping);         // does not release what the null context took
  EXPECT_FALSE(FreeForOtherThread());
  UnlockDriverMutex(nullptr);
  EXPECT_TRUE(FreeForOtherThread());

  WorkArea withMutex{};
  withMutex.useMutex = 1;
  DriverContext taking{};
  taking.work = &withMutex;
  LockDriverMutex(&taking);
  EXPECT_FALSE(FreeForOtherThread());
  UnlockDriverMutex(&taking);
  EXPECT_TRUE(FreeForOtherThread());
}

TEST_F(DriverLocks, MutexExcludesAnotherProcess) {
  LockDriverMutex(nullptr);
  pid_t child = fork();
  if (child == 0) {
    HANDLE h = OpenMutexW(SYNCHRONIZE, FALSE, kDriverMutexName);
    DWORD r = h ? WaitForSingleObject(h, 50) : WAIT_FAILED;
    _exit(r == WAIT_TIMEOUT ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  UnlockDriverMutex(nullptr);

  child = fork();
  if (child == 0) {
    HANDLE h = OpenMutexW(SYNCHRONIZE, FALSE, kDriverMutexName);
    DWORD r = h ? WaitForSingleObject(h, 1000) : WAIT_FAILED;
    _exit(r == WAIT_OBJECT_0 ? 0 : 1);
  }
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
