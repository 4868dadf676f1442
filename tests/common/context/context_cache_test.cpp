// The two context caches: reuse, lifetime, displacement, match rules and release types.
#include <gtest/gtest.h>

#include <cstring>

#include "fields/field_access.h"
#include "base/install_services.h"
#include "fields/product_record.h"
#include "context_fixture.h"

namespace {

using kovatest::ContextTest;

class ContextCache : public ContextTest {};

TEST_F(ContextCache, ReusableUpToTheLifetimeAndDestroyedByAnyLaterLookup) {
  HANDLE p1 = Install(u"P1");
  HANDLE p2 = Install(u"P2");
  DriverContext* a = Create(p1);
  ASSERT_NE(a, nullptr);
  Tag(a, 11);
  ReleaseContextToCache(a);  // tick 1000
  EXPECT_EQ(Slot(2, 0), a);

  plat::SetTestTickCount(1500);  // T + 500: still reusable
  DriverContext* again = Create(p1);
  ASSERT_EQ(again, a);
  EXPECT_EQ(TagOf(again), 11u);
  EXPECT_EQ(Occupied(2), 0);  // taken out of its slot while in use

  ReleaseContextToCache(again);  // tick 1500
  plat::SetTestTickCount(2001);  // T + 501: a lookup for another printer destroys it
  DriverContext* other = Create(p2);
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(Occupied(2), 0);
  ReleaseContext(other, CTXR_DESTROY);
}

TEST_F(ContextCache, LifetimeIsMeasuredAcrossTheTickWrap) {
  HANDLE p1 = Install(u"P1");
  plat::SetTestTickCount(0xFFFFFF00u);
  DriverContext* a = Create(p1);
  ASSERT_NE(a, nullptr);
  Tag(a, 5);
  ReleaseContextToCache(a);
  plat::SetTestTickCount(0xF4);  // 500 ms later, after the wrap
  DriverContext* again = Create(p1);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(TagOf(again), 5u);
  ReleaseContextToCache(again);  // tick 0xF4
  plat::SetTestTickCount(0xF4 + 501);
  EvictContextCache(0);
  EXPECT_EQ(Occupied(2), 0);
}

TEST_F(ContextCache, AFullCacheDisplacesTheOldestReleaseFirstSlotOnEqualTicks) {
  for (int equal = 0; equal < 2; ++equal) {
    SCOPED_TRACE(equal ? "equal ticks" : "ticks 10, 20, 30");
    HANDLE p = Install(equal ? u"Equal" : u"Rising");
    DriverContext* c[3];
    for (int i = 0; i < 3; ++i) {
      c[i] = CreateContext(p, p, 0, 0x800, CTXK_INTERFACE, 0, nullptr, nullptr);
      ASSERT_NE(c[i], nullptr);
      Tag(c[i], 100 + i);
    }
    // The second and third creations found nothing cached: all three are distinct.
    for (int i = 0; i < 3; ++i) {
      plat::SetTestTickCount(equal ? 10 : 10 * (i + 1));
      ReleaseContextToCache(c[i]);
    }
    DWORD t0 = 0, t1 = 0;
    ASSERT_NE(Slot(2, 0, &t0), nullptr);
    ASSERT_NE(Slot(2, 1, &t1), nullptr);
    EXPECT_EQ(TagOf(Slot(2, 0)), 102u);  // the third took slot 0 from the first
    EXPECT_EQ(TagOf(Slot(2, 1)), 101u);
    EXPECT_EQ(t0, equal ? 10u : 30u);
    EXPECT_EQ(t1, equal ? 10u : 20u);
    EvictContextCache(1);
    EXPECT_EQ(Occupied(2), 0);
  }
}

TEST_F(ContextCache, FlagsDecideWhetherACachedContextMayBeReused) {
  HANDLE h1 = Install(u"Shared");
  HANDLE h2 = Open(u"Shared");
  DriverContext* a = Create(h1);
  ASSERT_NE(a, nullptr);
  Tag(a, 7);
  ReleaseContextToCache(a);

  // 0x300 (no mutex, no administrator test) without the allow bit: never reused.
  DriverContext* b = CreateContextWithFlags(h1, h1, 0, 0x300, CTXK_INTERFACE, nullptr, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(TagOf(b), 0u);
  EXPECT_EQ(b->work->useMutex, 0);
  EXPECT_EQ(b->work->adminTest, 0);
  EXPECT_EQ(Slot(2, 0), a);
  ReleaseContext(b, CTXR_DESTROY);

  // Another handle of the same printer: not without CTXF_ANY_HANDLE...
  DriverContext* c = Create(h2);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(TagOf(c), 0u);
  ReleaseContext(c, CTXR_DESTROY);

  // ...but 0x1B00 may reuse it and takes over the caller's handles and flags.
  DriverContext* d = CreateContextWithFlags(h2, h2, 0, 0x1B00, CTXK_INTERFACE, nullptr, nullptr);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(TagOf(d), 7u);
  EXPECT_EQ(d->hPrinter, h2);
  EXPECT_EQ(d->hPrinter2, h2);
  EXPECT_EQ(d->work->useMutex, 0);
  EXPECT_EQ(d->work->adminTest, 0);
  EXPECT_EQ(d->work->mode, 0);
  ReleaseContext(d, CTXR_DESTROY);
}

TEST_F(ContextCache, PrinterNamesAreComparedCaseSensitively) {
  HANDLE h = Install(u"Office");
  PRINTER_INFO_2W upper{};
  upper.pPrinterName = const_cast<LPWSTR>(u"Office");
  upper.pDriverName = const_cast<LPWSTR>(u"KOVA Sample Driver");
  PRINTER_INFO_2W lower = upper;
  lower.pPrinterName = const_cast<LPWSTR>(u"office");

  DriverContext* a = CreateContextWithInfo(h, h, 0, CTXK_INTERFACE, &upper);
  ASSERT_NE(a, nullptr);
  Tag(a, 3);
  ReleaseContextToCache(a);
  DriverContext* b = CreateContextWithInfo(h, h, 0, CTXK_INTERFACE, &lower);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(TagOf(b), 0u);
  EXPECT_EQ(Slot(2, 0), a);
  ReleaseContext(b, CTXR_DESTROY);
  DriverContext* c = CreateContextWithInfo(h, h, 0, CTXK_INTERFACE, &upper);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(TagOf(c), 3u);
  ReleaseContext(c, CTXR_DESTROY);
}

TEST_F(ContextCache, DocumentPropertiesMode2ReusesOnlyAMode2Context) {
  HANDLE h = Install(u"Doc");
  DriverContext* a = CreateContextWithMode(h, h, 0, CTXK_DOCUMENT_PROPERTIES, 1, nullptr, nullptr);
  ASSERT_NE(a, nullptr);
  Tag(a, 1);
  ReleaseContextToCache(a);
  DriverContext* b = CreateContextWithMode(h, h, 0, CTXK_DOCUMENT_PROPERTIES, 2, nullptr, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(TagOf(b), 0u);  // a was last used with mode 1
  EXPECT_EQ(b->work->docPropMode, 2u);
  Tag(b, 2);
  ReleaseContextToCache(b);  // slots: a, b

  DriverContext* c = CreateContextWithMode(h, h, 0, CTXK_DOCUMENT_PROPERTIES, 2, nullptr, nullptr);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(TagOf(c), 2u);  // skips a in slot 0
  ReleaseContextToCache(c);
  // Any other mode takes the first match in slot order.
  DriverContext* d = CreateContextWithMode(h, h, 0, CTXK_DOCUMENT_PROPERTIES, 4, nullptr, nullptr);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(TagOf(d), 1u);
  EXPECT_EQ(d->work->docPropMode, 4u);
  ReleaseContext(d, CTXR_DESTROY);
}

TEST_F(ContextCache, DeviceCapabilityContextsKeepToTheirOwnCache) {
  HANDLE h = Install(u"Caps");
  DriverContext* caps = Create(h, CTXK_DEVICE_CAPS);
  ASSERT_NE(caps, nullptr);
  Tag(caps, 9);
  ReleaseContext(caps, CTXR_CACHE_CAPS);
  EXPECT_EQ(Slot(1, 0), caps);
  EXPECT_EQ(Occupied(2), 0);

  DriverContext* ui = Create(h, CTXK_INTERFACE);  // another kind: not served from cache 1
  ASSERT_NE(ui, nullptr);
  EXPECT_EQ(TagOf(ui), 0u);
  Tag(ui, 4);
  ReleaseContextToCache(ui);
  DriverContext* caps2 = Create(h, CTXK_DEVICE_CAPS);  // not served from cache 2
  ASSERT_NE(caps2, nullptr);
  EXPECT_EQ(TagOf(caps2), 9u);
  // Released with type 0 it lands in cache 2, where no device-capability request looks.
  ReleaseContextToCache(caps2);
  EXPECT_EQ(Occupied(1), 0);
  EXPECT_EQ(Occupied(2), 2);
  DriverContext* caps3 = Create(h, CTXK_DEVICE_CAPS);
  ASSERT_NE(caps3, nullptr);
  EXPECT_EQ(TagOf(caps3), 0u);
  EXPECT_EQ(Occupied(2), 2);
  ReleaseContext(caps3, CTXR_DESTROY);
}

TEST_F(ContextCache, ReleaseTypesAndTheNoCacheField) {
  HANDLE h = Install(u"Release");
  struct Case {
    WORD type;
    bool noCache;
    int cached;  // cache that keeps it, 0 when destroyed
  } cases[] = {{CTXR_CACHE, false, 2}, {CTXR_CACHE_CAPS, false, 1}, {CTXR_DESTROY, false, 0},
               {1, false, 0}, {CTXR_CACHE, true, 0}, {CTXR_CACHE_CAPS, true, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << c.type << (c.noCache ? " with 704 bit 0" : ""));
    DriverContext* ctx = Create(h);
    ASSERT_NE(ctx, nullptr);
    if (c.noCache) WriteFieldRawById(ctx, 704, 1);
    ReleaseContext(ctx, c.type);
    EXPECT_EQ(Occupied(1), c.cached == 1 ? 1 : 0);
    EXPECT_EQ(Occupied(2), c.cached == 2 ? 1 : 0);
    EvictContextCache(1);
  }
  ReleaseContext(nullptr, CTXR_CACHE);
  ReleaseContext(nullptr, CTXR_DESTROY);
  ReleaseContextToCache(nullptr);
  EXPECT_EQ(Occupied(1) + Occupied(2), 0);
}

TEST_F(ContextCache, NoModelNoContextAndTheCachesStayAsTheyWere) {
  HANDLE good = Install(u"Good");
  HANDLE bad = Install(u"NoModel", false);
  DriverContext* a = Create(good);
  ASSERT_NE(a, nullptr);
  ReleaseContextToCache(a);
  EXPECT_EQ(Create(bad), nullptr);
  EXPECT_EQ(Create(bad, CTXK_DEVICE_CAPS), nullptr);
  EXPECT_EQ(Slot(2, 0), a);
  EXPECT_EQ(Occupied(1), 0);
  // Modes of 4 and above build no model: the context exists without settings or model.
  DriverContext* bare = CreateContextWithFlags(bad, bad, 0, 4, CTXK_INTERFACE, nullptr, nullptr);
  ASSERT_NE(bare, nullptr);
  EXPECT_EQ(bare->model, nullptr);
  EXPECT_EQ(bare->settings, nullptr);
  EXPECT_EQ(bare->work->mode, 4);
  ReleaseContext(bare, CTXR_DESTROY);
}

TEST_F(ContextCache, ACachedContextWithoutSettingsIsReplacedNotReused) {
  HANDLE h = Install(u"Bare");
  DriverContext* bare = CreateContextWithFlags(h, h, 0, 0x804, CTXK_INTERFACE, nullptr, nullptr);
  ASSERT_NE(bare, nullptr);
  Tag(bare, 8);
  ReleaseContextToCache(bare);
  EXPECT_EQ(Occupied(2), 1);
  // Found, but its refresh fails: it is destroyed and a new one built.
  DriverContext* next = CreateContextWithFlags(h, h, 0, 0x804, CTXK_INTERFACE, nullptr, nullptr);
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(TagOf(next), 0u);
  EXPECT_EQ(Occupied(2), 0);
  ReleaseContext(next, CTXR_DESTROY);
}

TEST_F(ContextCache, ReuseRebuildsOnlyTheDeviceModePart) {
  HANDLE h = Install(u"Refresh");
  DriverContext* a = Create(h);
  ASSERT_NE(a, nullptr);
  const DWORD devmodeSize = GetTotalDevmodeSize();
  ASSERT_EQ(devmodeSize, 1236u);
  a->settings[100] = 0xAB;               // public device-mode
  a->settings[devmodeSize - 1] = 0xCD;   // last byte of the private part
  a->settings[devmodeSize] = 0xEF;       // first byte of area 2
  a->settings[GetSettingsBufferSize() - 1] = 0x12;  // end of area 3
  std::memcpy(a->work->pluginText, u"kept", 10);
  ReleaseContextToCache(a);
  DriverContext* b = CreateContextWithFlags(h, h, 0, 0x801, CTXK_INTERFACE, nullptr, nullptr);
  ASSERT_EQ(b, a);
  EXPECT_EQ(b->settings[100], 0);
  EXPECT_EQ(b->settings[devmodeSize - 1], 0);
  EXPECT_EQ(b->settings[devmodeSize], 0xEF);
  EXPECT_EQ(b->settings[GetSettingsBufferSize() - 1], 0x12);
  EXPECT_EQ(std::u16string(b->work->pluginText), u"kept");
  EXPECT_EQ(b->work->mode, 1);
  ReleaseContext(b, CTXR_DESTROY);
}

TEST_F(ContextCache, KindsAsStored) {
  HANDLE h = Install(u"Kinds");
  struct Case {
    DWORD requested;
    int installing;
    DWORD stored;
  } cases[] = {{0x10000, 0, CTXK_RENDERING},
               {0x10000, 1, 0x50000},
               {CTXK_INTERFACE, 1, CTXK_INTERFACE | CTXK_INSTALLING},
               {CTXK_ITEM_API, 0, CTXK_ITEM_API}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.requested << " installing " << c.installing);
    InstallInProgress = c.installing;
    DriverContext* ctx = Create(h, c.requested);
    InstallInProgress = 0;
    ASSERT_NE(ctx, nullptr);
    EXPECT_EQ(ctx->work->kind, c.stored);
    ReleaseContext(ctx, CTXR_DESTROY);
  }
}

TEST_F(ContextCache, EvictionOfEverythingEmptiesBothCaches) {
  HANDLE h = Install(u"Evict");
  DriverContext* a = Create(h);
  DriverContext* b = Create(h, CTXK_DEVICE_CAPS);
  ASSERT_TRUE(a && b);
  ReleaseContextToCache(a);
  ReleaseContext(b, CTXR_CACHE_CAPS);
  EvictContextCache(0);  // nothing is old yet
  EXPECT_EQ(Occupied(1) + Occupied(2), 2);
  EvictContextCache(1);
  EXPECT_EQ(Occupied(1) + Occupied(2), 0);
}

}  // namespace
