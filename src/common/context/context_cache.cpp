// The two context caches.
#include "context/context_cache.h"

#include <cstring>

#include "context/context_create.h"
#include "context/devmode_defaults.h"
#include "base/driver_context.h"
#include "model/driver_locks.h"
#include "fields/field_access.h"
#include "context/kept_devmode.h"
#include "base/memory.h"
#include "base/paths_and_names.h"
#include "fields/product_record.h"
#include "base/spooler_info.h"
#include "base/system_checks.h"
#include "base/wide_text.h"
#include "field_ids.h"
#include "win/kernel.h"

namespace {

constexpr DWORD kNameChars = 261;

struct CacheSlot {
  DriverContext* context;
  DWORD tick;
};

// [0] cache 1 (device capabilities), [1] cache 2.
CacheSlot g_caches[2][kContextCacheSlots];

int CacheForKind(DWORD kind) { return kind == CTXK_DEVICE_CAPS ? 1 : 2; }

// The release is older than the lifetime. The difference is taken modulo 2^32, so a tick
// count that wrapped between the release and now still measures the time between them.
bool Expired(DWORD releaseTick, DWORD now) { return static_cast<DWORD>(now - releaseTick) > kContextCacheLifetime; }

// Copies a name into the buffer; false when it does not fit (then nothing is matched).
bool CopyWholeName(WCHAR* buffer, const WCHAR* name) {
  if (!name || WideLength(name) >= kNameChars) return false;
  CopyWide(buffer, kNameChars, name);
  return true;
}

// The printer name a cached context must carry to serve the request.
bool RequestPrinterName(HANDLE printer, const PRINTER_INFO_2W* printerInfo, WCHAR* name) {
  PRINTER_INFO_2W* read = nullptr;
  const PRINTER_INFO_2W* info = printerInfo;
  if (!info) info = read = static_cast<PRINTER_INFO_2W*>(GetPrinterInfo(printer, 2));
  const bool found = info && info->pPrinterName && info->pPrinterName[0] && CopyWholeName(name, info->pPrinterName);
  FreeMem(read);
  if (!found) return false;
  if (IsNt6OrLater()) NormalisePrinterName(printer, name, kNameChars);
  return name[0] != 0;
}

bool SameText(const WCHAR* a, const WCHAR* b) {
  while (*a && *a == *b) {
    ++a;
    ++b;
  }
  return *a == *b;
}

bool Matches(const DriverContext* context, HANDLE printer, WORD flags, DWORD kind, DWORD docPropMode,
             const WCHAR* name) {
  if (!context || !context->work) return false;
  const WorkArea* work = context->work;
  if (!(flags & CTXF_ANY_HANDLE) && context->hPrinter != printer) return false;
  if (flags != 0 && !(flags & CTXF_ALLOW_CACHED)) return false;
  if (work->kind != kind) return false;
  if (!SameText(work->printerName, name)) return false;
  if (kind == CTXK_DOCUMENT_PROPERTIES && docPropMode == 2 && work->docPropMode != 2) return false;
  return true;
}

}  // namespace

void ClearContextCaches() { std::memset(g_caches, 0, sizeof g_caches); }

DriverContext* FindCachedContext(HANDLE printer, HANDLE printer2, DWORD, WORD flags, DWORD kind, DWORD docPropMode,
                                 const PRINTER_INFO_2W* printerInfo) {
  EvictContextCache(0);
  // A request that may not reuse anything needs no name and no lock.
  if (flags != 0 && !(flags & CTXF_ALLOW_CACHED)) return nullptr;
  WCHAR name[kNameChars] = {};
  if (!RequestPrinterName(printer, printerInfo, name)) return nullptr;

  const int n = CacheForKind(kind);
  DriverContext* found = nullptr;
  EnterCacheLock(n);
  for (CacheSlot& slot : g_caches[n - 1]) {
    if (Matches(slot.context, printer, flags, kind, docPropMode, name)) {
      found = slot.context;
      slot.context = nullptr;
      slot.tick = 0;
      break;
    }
  }
  LeaveCacheLock(n);
  if (found && (flags & CTXF_ANY_HANDLE)) {
    found->hPrinter = printer;
    found->hPrinter2 = printer2;
  }
  return found;
}

int RefreshCachedContext(DriverContext* context, WORD flags, DWORD kind, const PRINTER_INFO_2W* printerInfo) {
  if (!context || !context->work || !context->settings) return 0;
  WorkArea* work = context->work;
  work->mode = static_cast<WORD>(flags & CTXF_MODE_MASK);
  work->useMutex = (flags & CTXF_NO_MUTEX) ? 0 : 1;
  work->adminTest = (flags & CTXF_NO_ADMIN_TEST) ? 0 : 1;
  work->kind = kind;
  // The kept outcome of an earlier rebuild goes straight into the context's buffer.
  if (ReplayKeptDevmode(context, work->mode, printerInfo, 1)) return 1;
  BYTE* fresh = BuildDefaultDevmode(context, work->mode, printerInfo, 1);
  if (!fresh) return 0;
  std::memcpy(context->settings, fresh, GetTotalDevmodeSize());
  FreeMem(fresh);
  return 1;
}

DriverContext* ReturnContextToCache(DriverContext* context, WORD type) {
  if (!context) return nullptr;
  if (type != CTXR_CACHE && type != CTXR_CACHE_CAPS) return context;
  if (ReadFieldRawById(context, fid::KPD_kdmJobfold) & 1u) return context;
  const DWORD tick = GetTickCount();
  const int n = type == CTXR_CACHE_CAPS ? 1 : 2;
  DriverContext* displaced = nullptr;
  EnterCacheLock(n);
  CacheSlot* slots = g_caches[n - 1];
  CacheSlot* target = nullptr;
  for (int i = 0; i < kContextCacheSlots && !target; ++i) {
    if (!slots[i].context) target = &slots[i];
  }
  if (!target) {
    target = &slots[0];
    for (int i = 1; i < kContextCacheSlots; ++i) {
      if (slots[i].tick < target->tick) target = &slots[i];
    }
    displaced = target->context;
  }
  target->context = context;
  target->tick = tick;
  LeaveCacheLock(n);
  return displaced;
}

void EvictContextCache(int all) {
  const DWORD now = GetTickCount();
  DriverContext* victims[2 * kContextCacheSlots] = {};
  int count = 0;
  for (int n = 1; n <= 2; ++n) {
    EnterCacheLock(n);
    for (CacheSlot& slot : g_caches[n - 1]) {
      if (slot.context && (all || Expired(slot.tick, now))) {
        victims[count++] = slot.context;
        slot.context = nullptr;
        slot.tick = 0;
      }
    }
    LeaveCacheLock(n);
  }
  for (int i = 0; i < count; ++i) DestroyContext(victims[i]);
}

DriverContext* PeekContextCacheSlot(int cache, int slot, DWORD* releaseTick) {
  if (cache < 1 || cache > 2 || slot < 0 || slot >= kContextCacheSlots) return nullptr;
  EnterCacheLock(cache);
  const CacheSlot s = g_caches[cache - 1][slot];
  LeaveCacheLock(cache);
  if (releaseTick) *releaseTick = s.tick;
  return s.context;
}
