// Synchronisation: critical sections, mutexes (named ones shared between processes),
// waiting, and the interlocked operations.
#pragma once

// Exported by the platform library (built with hidden visibility otherwise).
#pragma GCC visibility push(default)

#include "win/errors.h"
#include "win/types.h"

constexpr DWORD WAIT_OBJECT_0 = 0x00000000;
constexpr DWORD WAIT_ABANDONED = 0x00000080;
constexpr DWORD WAIT_ABANDONED_0 = WAIT_ABANDONED;
constexpr DWORD WAIT_TIMEOUT = 0x00000102;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;

constexpr DWORD SYNCHRONIZE = 0x00100000;
constexpr DWORD MUTANT_QUERY_STATE = 0x0001;
constexpr DWORD MUTEX_MODIFY_STATE = MUTANT_QUERY_STATE;
constexpr DWORD MUTEX_ALL_ACCESS = 0x001F0001;

// Our own layout. The first members mirror what Windows shows (owner, recursion); the
// lock itself lives in the reserved storage and is only touched through the calls below.
struct CRITICAL_SECTION {
  void* DebugInfo;
  LONG LockCount;       // threads inside or waiting, minus one (-1 when free)
  LONG RecursionCount;  // nested entries of the owner
  HANDLE OwningThread;  // owner's thread id, as a handle-sized value; null when free
  HANDLE LockSemaphore;
  ULONG_PTR SpinCount;
  alignas(16) unsigned char Reserved[64];
};
using LPCRITICAL_SECTION = CRITICAL_SECTION*;
using PCRITICAL_SECTION = CRITICAL_SECTION*;

extern "C" {
KOVA_EXPORT void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION cs);
KOVA_EXPORT BOOL WINAPI InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION cs, DWORD dwSpinCount);
KOVA_EXPORT void WINAPI EnterCriticalSection(LPCRITICAL_SECTION cs);
KOVA_EXPORT BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION cs);
KOVA_EXPORT void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION cs);
KOVA_EXPORT void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION cs);

// A named mutex is one object for every process that uses the same system root. With a
// name that already exists the call opens it, ignores bInitialOwner and sets
// ERROR_ALREADY_EXISTS; otherwise the last error is 0.
KOVA_EXPORT HANDLE WINAPI CreateMutexW(LPSECURITY_ATTRIBUTES lpMutexAttributes, BOOL bInitialOwner, LPCWSTR lpName);
KOVA_EXPORT HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES lpMutexAttributes, BOOL bInitialOwner, LPCSTR lpName);
// ERROR_FILE_NOT_FOUND when no process has a mutex of that name open.
KOVA_EXPORT HANDLE WINAPI OpenMutexW(DWORD dwDesiredAccess, BOOL bInheritHandle, LPCWSTR lpName);
// ERROR_NOT_OWNER when the calling thread does not own the mutex.
KOVA_EXPORT BOOL WINAPI ReleaseMutex(HANDLE hMutex);
// WAIT_OBJECT_0, WAIT_ABANDONED (the owner died holding it; the caller now owns it),
// WAIT_TIMEOUT or WAIT_FAILED.
KOVA_EXPORT DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);

KOVA_EXPORT LONG WINAPI InterlockedIncrement(LONG volatile* Addend);
KOVA_EXPORT LONG WINAPI InterlockedDecrement(LONG volatile* Addend);
KOVA_EXPORT LONG WINAPI InterlockedExchange(LONG volatile* Target, LONG Value);
KOVA_EXPORT LONG WINAPI InterlockedExchangeAdd(LONG volatile* Addend, LONG Value);
KOVA_EXPORT LONG WINAPI InterlockedCompareExchange(LONG volatile* Destination, LONG Exchange, LONG Comparand);
KOVA_EXPORT PVOID WINAPI InterlockedExchangePointer(PVOID volatile* Target, PVOID Value);
KOVA_EXPORT PVOID WINAPI InterlockedCompareExchangePointer(PVOID volatile* Destination, PVOID Exchange,
                                                           PVOID Comparand);
}  // extern "C"

#pragma GCC visibility pop
