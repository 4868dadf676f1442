// The two process-wide caches of released contexts: cache 1 (device capabilities) under
// cache lock 1, cache 2 (every other kind) under cache lock 2, two slots each. A released
// context is reused by the next matching request within 500 ms of its release.
//
// Locks: a cache is read and changed only inside its own lock, the two locks are never held
// together, and contexts are destroyed, refreshed and built only with neither held. The
// driver mutex may be held around these calls, never taken inside them.
#pragma once

#include "win/spool.h"
#include "win/types.h"

struct DriverContext;

// Milliseconds a released context stays reusable.
constexpr DWORD kContextCacheLifetime = 500;
constexpr int kContextCacheSlots = 2;

// Empties both caches without destroying anything (process attach).
void ClearContextCaches();

// Takes a matching context out of its cache (after the eviction every lookup does), or
// null. With CTXF_ANY_HANDLE the context takes over the caller's two handles.
DriverContext* FindCachedContext(HANDLE printer, HANDLE printer2, DWORD reserved, WORD flags, DWORD kind,
                                 DWORD docPropMode, const PRINTER_INFO_2W* printerInfo);
// Sets the call's mode, mutex and administrator flags and kind, and rebuilds the
// device-mode part of the settings buffer. 1 on success, 0 otherwise.
int RefreshCachedContext(DriverContext* context, WORD flags, DWORD kind, const PRINTER_INFO_2W* printerInfo);
// Puts a context released with type 0 (cache 2) or 4 (cache 1) into its cache. Answers
// the context that must now be destroyed: the context itself when it is not cached (field
// 704 bit 0, another type), the one it displaced from a full cache, or null.
DriverContext* ReturnContextToCache(DriverContext* context, WORD type);
// Takes out of both caches every context released more than 500 ms ago, or every context
// when all is nonzero, and destroys them after leaving the locks.
void EvictContextCache(int all);

// What a slot holds (for tests and diagnostics): the context, or null, and its release tick.
DriverContext* PeekContextCacheSlot(int cache, int slot, DWORD* releaseTick);
