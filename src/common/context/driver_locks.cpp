#include "model/driver_locks.h"

#include <mutex>

#include "context/context_cache.h"
#include "base/driver_context.h"
#include "win/security.h"
#include "win/sync.h"

namespace {

constexpr DWORD kSpinCount = 4000;

struct CacheLock {
  CRITICAL_SECTION section;
  int state;  // 0 not initialised, 1 ready
};

CacheLock g_cacheLocks[2];
HANDLE g_mutex = nullptr;

// Guards the first creation of the mutex handle and the late set-up of a cache lock, so
// that two threads arriving together make one handle and one initialisation.
std::mutex& SetupGuard() {
  static std::mutex m;
  return m;
}

CacheLock* LockFor(int n) { return (n == 1 || n == 2) ? &g_cacheLocks[n - 1] : nullptr; }

// Lock and unlock use one test, so that every lock is paired with its unlock: a null
// context always takes the mutex, a context only when its work area says so.
bool TakesMutex(const DriverContext* context) {
  return !context || (context->work && context->work->useMutex != 0);
}

}  // namespace

void InitDriverLocks() {
  ClearContextCaches();
  for (auto& lock : g_cacheLocks) lock.state = InitializeCriticalSectionAndSpinCount(&lock.section, kSpinCount) ? 1 : 0;
  g_mutex = nullptr;
}

void DeleteDriverLocks() {
  for (auto& lock : g_cacheLocks) {
    if (lock.state == 1) {
      DeleteCriticalSection(&lock.section);
      lock.state = 0;
    }
  }
  if (g_mutex) {
    CloseHandle(g_mutex);
    g_mutex = nullptr;
  }
}

void EnterCacheLock(int n) {
  CacheLock* lock = LockFor(n);
  if (!lock) return;
  if (lock->state == 0) {
    std::lock_guard<std::mutex> g(SetupGuard());
    if (lock->state == 0) lock->state = InitializeCriticalSectionAndSpinCount(&lock->section, kSpinCount) ? 1 : 0;
  }
  if (lock->state == 1) EnterCriticalSection(&lock->section);
}

void LeaveCacheLock(int n) {
  CacheLock* lock = LockFor(n);
  if (lock && lock->state == 1) LeaveCriticalSection(&lock->section);
}

HANDLE CreateDriverMutex() {
  SECURITY_DESCRIPTOR descriptor;
  if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION)) return nullptr;
  if (!SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE)) return nullptr;
  SECURITY_ATTRIBUTES attributes;
  attributes.nLength = 12;  // the size the 32-bit record has; the platform accepts it
  attributes.lpSecurityDescriptor = &descriptor;
  attributes.bInheritHandle = FALSE;
  return CreateMutexW(&attributes, FALSE, kDriverMutexName);
}

void LockDriverMutex(const DriverContext* context) {
  if (!TakesMutex(context)) return;
  HANDLE mutex;
  {
    std::lock_guard<std::mutex> g(SetupGuard());
    if (!g_mutex) g_mutex = CreateDriverMutex();
    mutex = g_mutex;
  }
  // WAIT_ABANDONED (an owner that died) counts as acquired; the result is not examined.
  if (mutex) WaitForSingleObject(mutex, INFINITE);
}

void UnlockDriverMutex(const DriverContext* context) {
  if (!TakesMutex(context)) return;
  HANDLE mutex;
  {
    std::lock_guard<std::mutex> g(SetupGuard());
    mutex = g_mutex;
  }
  if (mutex) ReleaseMutex(mutex);
}

HANDLE DriverMutexHandle() { return g_mutex; }

int CacheLockState(int n) {
  CacheLock* lock = LockFor(n);
  return lock ? lock->state : 0;
}
