// Clock, sleep and the ids of the calling process and thread.
#include <sys/syscall.h>
#include <unistd.h>

#include <pthread.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "plat/system.h"
#include "win/kernel.h"

namespace {

// A forked child is a new process with new thread ids: the per-thread cache of the id is
// only trusted for the fork epoch it was taken in.
std::atomic<unsigned> g_forkEpoch{0};

struct ForkWatch {
  ForkWatch() { pthread_atfork(nullptr, nullptr, [] { g_forkEpoch.fetch_add(1); }); }
};
const ForkWatch g_forkWatch;

struct ThreadIdCache {
  unsigned epoch = ~0u;
  DWORD tid = 0;
};

}  // namespace

extern "C" {

DWORD WINAPI GetTickCount() { return plat::CurrentTickCount(); }

ULONGLONG WINAPI GetTickCount64() { return plat::CurrentTickCount64(); }

void WINAPI GetLocalTime(LPSYSTEMTIME lpSystemTime) {
  if (lpSystemTime) *lpSystemTime = plat::CurrentLocalTime();
}

void WINAPI GetSystemTime(LPSYSTEMTIME lpSystemTime) {
  if (lpSystemTime) *lpSystemTime = plat::CurrentSystemTime();
}

void WINAPI Sleep(DWORD dwMilliseconds) {
  if (dwMilliseconds == 0) {
    std::this_thread::yield();
    return;
  }
  if (dwMilliseconds == INFINITE) {
    for (;;) std::this_thread::sleep_for(std::chrono::hours(24));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(dwMilliseconds));
}

DWORD WINAPI GetCurrentProcessId() { return static_cast<DWORD>(::getpid()); }

DWORD WINAPI GetCurrentThreadId() {
  thread_local ThreadIdCache cache;
  const unsigned epoch = g_forkEpoch.load(std::memory_order_relaxed);
  if (cache.epoch != epoch) {
    cache.tid = static_cast<DWORD>(::syscall(SYS_gettid));
    cache.epoch = epoch;
  }
  return cache.tid;
}

HANDLE WINAPI GetCurrentProcess() { return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1)); }

HANDLE WINAPI GetCurrentThread() { return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-2)); }

}  // extern "C"
