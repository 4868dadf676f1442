// Critical sections (recursive for their owner thread) and the interlocked operations.
#include <pthread.h>

#include <cstring>
#include <new>

#include "win/kernel.h"
#include "win/sync.h"

namespace {

static_assert(sizeof(pthread_mutex_t) <= sizeof(CRITICAL_SECTION::Reserved));
static_assert(alignof(pthread_mutex_t) <= 16);

pthread_mutex_t* Lock(LPCRITICAL_SECTION cs) { return reinterpret_cast<pthread_mutex_t*>(cs->Reserved); }

HANDLE Me() { return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(GetCurrentThreadId())); }

HANDLE Owner(LPCRITICAL_SECTION cs) { return __atomic_load_n(&cs->OwningThread, __ATOMIC_ACQUIRE); }

void Entered(LPCRITICAL_SECTION cs) {
  if (++cs->RecursionCount == 1) __atomic_store_n(&cs->OwningThread, Me(), __ATOMIC_RELEASE);
}

}  // namespace

extern "C" {

void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION cs) { InitializeCriticalSectionAndSpinCount(cs, 0); }

BOOL WINAPI InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION cs, DWORD dwSpinCount) {
  if (!cs) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::memset(cs, 0, sizeof *cs);
  cs->LockCount = -1;
  cs->SpinCount = dwSpinCount & 0x00FFFFFF;
  pthread_mutexattr_t attr;
  pthread_mutexattr_init(&attr);
  pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
  const int rc = pthread_mutex_init(Lock(cs), &attr);
  pthread_mutexattr_destroy(&attr);
  if (rc != 0) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
  return TRUE;
}

void WINAPI EnterCriticalSection(LPCRITICAL_SECTION cs) {
  if (!cs) return;
  __atomic_add_fetch(&cs->LockCount, 1, __ATOMIC_ACQ_REL);
  pthread_mutex_lock(Lock(cs));
  Entered(cs);
}

BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION cs) {
  if (!cs) return FALSE;
  if (pthread_mutex_trylock(Lock(cs)) != 0) return FALSE;
  __atomic_add_fetch(&cs->LockCount, 1, __ATOMIC_ACQ_REL);
  Entered(cs);
  return TRUE;
}

void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION cs) {
  // Leaving a section the thread does not hold is a caller's fault; it is ignored rather
  // than corrupting the owner's state.
  if (!cs || Owner(cs) != Me()) return;
  if (--cs->RecursionCount == 0) __atomic_store_n(&cs->OwningThread, HANDLE{}, __ATOMIC_RELEASE);
  __atomic_sub_fetch(&cs->LockCount, 1, __ATOMIC_ACQ_REL);
  pthread_mutex_unlock(Lock(cs));
}

void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION cs) {
  if (!cs) return;
  pthread_mutex_destroy(Lock(cs));
  std::memset(cs, 0, sizeof *cs);
}

LONG WINAPI InterlockedIncrement(LONG volatile* p) { return __atomic_add_fetch(p, 1, __ATOMIC_SEQ_CST); }
LONG WINAPI InterlockedDecrement(LONG volatile* p) { return __atomic_sub_fetch(p, 1, __ATOMIC_SEQ_CST); }
LONG WINAPI InterlockedExchange(LONG volatile* p, LONG v) { return __atomic_exchange_n(p, v, __ATOMIC_SEQ_CST); }
LONG WINAPI InterlockedExchangeAdd(LONG volatile* p, LONG v) { return __atomic_fetch_add(p, v, __ATOMIC_SEQ_CST); }

LONG WINAPI InterlockedCompareExchange(LONG volatile* p, LONG exchange, LONG comparand) {
  __atomic_compare_exchange_n(p, &comparand, exchange, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
  return comparand;  // the initial value, whether or not it was replaced
}

PVOID WINAPI InterlockedExchangePointer(PVOID volatile* p, PVOID v) {
  return __atomic_exchange_n(p, v, __ATOMIC_SEQ_CST);
}

PVOID WINAPI InterlockedCompareExchangePointer(PVOID volatile* p, PVOID exchange, PVOID comparand) {
  __atomic_compare_exchange_n(p, &comparand, exchange, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
  return comparand;
}

}  // extern "C"
