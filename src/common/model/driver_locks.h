// The named driver mutex that serialises printer-data, settings-file, model-image and
// install work across processes, and the two critical sections of the context caches.
#pragma once

#include "win/types.h"

struct DriverContext;

// Name of the mutex shared by every deliverable and every process.
inline constexpr WCHAR kDriverMutexName[] = u"Global\\KovaMutexTse";

// Process attach: empties the context caches, initialises both cache locks (spin count
// 4000) and forgets the mutex handle.
void InitDriverLocks();
// Process detach, after the caches were emptied: deletes the ready cache locks and closes
// the mutex handle.
void DeleteDriverLocks();

// Cache lock n (1: device-capability cache, 2: the other one). A lock whose set-up failed
// is set up again here; while it is not ready, entering and leaving do nothing.
void EnterCacheLock(int n);
void LeaveCacheLock(int n);

// Creates (or opens) the named mutex with a null DACL so that every account can open it.
HANDLE CreateDriverMutex();
// Waits for the mutex without time-out, creating it first when needed. A context created
// without the mutex flag skips it; a null context always takes it.
void LockDriverMutex(const DriverContext* context);
void UnlockDriverMutex(const DriverContext* context);

// Test access to the process-wide lock state.
HANDLE DriverMutexHandle();
int CacheLockState(int n);
