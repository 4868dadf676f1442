// The snapshot ring, the saved copy's font lists and what the context frees with them.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "fields/change_flags.h"
#include "fields/field_access.h"
#include "fields/field_handles.h"
#include "fields/field_table.h"
#include "base/memory.h"
#include "model/module_dispatch.h"
#include "fields/product_record.h"
#include "stored/snapshot_ring.h"
#include "context_fixture.h"
#include "field_ids.h"

namespace {

using kovatest::ContextTest;

constexpr WORD kMemory = fid::kdmPrinterMemory;  // u32
constexpr WORD kFontTable = fid::kdmFontTable;    // a handle
constexpr WORD kFontTableNum = fid::kdmFontTableNum;
constexpr WORD kDeviceFont = fid::kdmDeviceFont;
constexpr WORD kDeviceFontNum = fid::kdmDeviceFontNum;
constexpr WORD kOptionFont = fid::kdmOptionFont;
constexpr WORD kInstOptionFont = fid::kdmInstOptionFont;

std::vector<DWORD> g_events;
std::int32_t RecordEvent(DriverContext*, DWORD event, void*, void*) {
  g_events.push_back(event);
  return 0;
}

// A block of n bytes, each byte its fill, entered in the process's handle table.
DWORD NewBlock(DWORD n, BYTE fill) {
  void* block = AllocMem(n);
  std::memset(block, fill, n);
  return RegisterFieldBlock(block);
}

class SnapshotRing : public ContextTest {
 protected:
  void SetUp() override {
    ContextTest::SetUp();
    ctx_ = Create(Install(u"Ring"));
    ASSERT_NE(ctx_, nullptr);
    // The first module records the events; the others answer nothing anyway.
    ctx_->work->modules->records[0].eventHook = RecordEvent;
    g_events.clear();
  }
  void TearDown() override {
    // Every block any buffer named is gone with the context: none leaks into the table.
    std::vector<DWORD> seen = seen_;
    ReleaseContext(ctx_, CTXR_DESTROY);
    for (DWORD h : seen) EXPECT_EQ(ResolveFieldBlock(h), nullptr) << "handle " << h;
    ContextTest::TearDown();
  }
  DWORD Handle(WORD id) { return ReadFieldRawById(ctx_, id); }
  DWORD Put(WORD id, DWORD handle) {
    WriteFieldRawById(ctx_, id, handle);
    seen_.push_back(handle);
    return handle;
  }
  DWORD SlotValue(int slot, WORD id) {
    DWORD v = 0;
    std::memcpy(&v, GetFieldAddressInBuffer(ctx_->work->snapshots[slot], FindFieldById(ctx_, id)), 4);
    return v;
  }

  DriverContext* ctx_ = nullptr;
  std::vector<DWORD> seen_;
};

TEST_F(SnapshotRing, PopWithRestoreBringsBackEverything) {
  WriteFieldRawById(ctx_, kMemory, 64);
  const DWORD flagsBefore = ctx_->work->changeFlags;
  std::vector<BYTE> before(ctx_->settings, ctx_->settings + GetSettingsBufferSize());
  SettingField* memory = FindFieldById(ctx_, kMemory);
  memory->marks &= ~FIELD_MARK_CHANGED_MASK;

  PushSettingsSnapshot(ctx_);
  WriteFieldRawById(ctx_, kMemory, 128);
  ctx_->work->changeFlags |= 0x10000000;
  EXPECT_NE(memory->marks & FIELD_MARK_CHANGED_MASK, 0);
  EXPECT_EQ(ctx_->work->dirty, 1);
  PopSettingsSnapshot(ctx_, 1);

  EXPECT_EQ(std::memcmp(before.data(), ctx_->settings, before.size()), 0);
  EXPECT_EQ(ctx_->work->changeFlags, flagsBefore);
  EXPECT_EQ(ctx_->work->dirty, 0);
  for (int i = 0; i < ctx_->fields.count; ++i) EXPECT_EQ(ctx_->fields.records[i].marks & FIELD_MARK_CHANGED_MASK, 0);
  EXPECT_EQ(g_events, (std::vector<DWORD>{MODEV_SNAPSHOT_PUSH, MODEV_SNAPSHOT_RESTORE}));
}

TEST_F(SnapshotRing, PopWithoutRestoreKeepsTheEditsAndMovesTheRingBack) {
  WriteFieldRawById(ctx_, kMemory, 1);
  PushSettingsSnapshot(ctx_);
  WriteFieldRawById(ctx_, kMemory, 2);
  PushSettingsSnapshot(ctx_);
  WriteFieldRawById(ctx_, kMemory, 3);
  PopSettingsSnapshot(ctx_, 0);
  EXPECT_EQ(ReadFieldRawById(ctx_, kMemory), 3u);
  EXPECT_EQ(SlotValue(0, kMemory), 1u);  // the first push is on top again
  EXPECT_EQ(g_events, (std::vector<DWORD>{MODEV_SNAPSHOT_PUSH, MODEV_SNAPSHOT_PUSH}));
  PopSettingsSnapshot(ctx_, 1);
  EXPECT_EQ(ReadFieldRawById(ctx_, kMemory), 1u);
}

// The ring counts its depth: a fourth push keeps the oldest state aside, so every pop
// restores what its own push saved.
TEST_F(SnapshotRing, AFourthPushKeepsTheOldestState) {
  for (DWORD v = 1; v <= 4; ++v) {
    WriteFieldRawById(ctx_, kMemory, v);
    PushSettingsSnapshot(ctx_);
  }
  WriteFieldRawById(ctx_, kMemory, 5);
  const DWORD expected[] = {4, 3, 2, 1};
  for (DWORD e : expected) {
    PopSettingsSnapshot(ctx_, 1);
    EXPECT_EQ(ReadFieldRawById(ctx_, kMemory), e);
  }
}

TEST_F(SnapshotRing, FontTableEditUndoneByARestore) {
  const DWORD original = Put(kFontTable, NewBlock(128, 1));
  PushSettingsSnapshot(ctx_);
  // The font substitution page keeps the table from before the edit and edits a copy.
  ctx_->work->savedFontTable = original;
  const DWORD edited = Put(kFontTable, NewBlock(128, 2));
  PopSettingsSnapshot(ctx_, 1);
  EXPECT_EQ(Handle(kFontTable), original);
  EXPECT_NE(ResolveFieldBlock(original), nullptr);
  EXPECT_EQ(ResolveFieldBlock(edited), nullptr);  // freed: no buffer names it any more
  EXPECT_EQ(ctx_->work->savedFontTable, 0u);
}

TEST_F(SnapshotRing, FontTableEditKeptWithoutRestore) {
  const DWORD original = Put(kFontTable, NewBlock(128, 1));
  PushSettingsSnapshot(ctx_);
  ctx_->work->savedFontTable = original;
  const DWORD edited = Put(kFontTable, NewBlock(128, 2));
  PopSettingsSnapshot(ctx_, 0);
  EXPECT_EQ(Handle(kFontTable), edited);
  EXPECT_NE(ResolveFieldBlock(edited), nullptr);
  EXPECT_EQ(ResolveFieldBlock(original), nullptr);
  EXPECT_EQ(ctx_->work->savedFontTable, 0u);
}

TEST_F(SnapshotRing, AnOuterSnapshotKeepsItsTableAliveAfterAnInnerEditIsKept) {
  const DWORD original = Put(kFontTable, NewBlock(128, 1));
  PushSettingsSnapshot(ctx_);  // outer: names the original
  PushSettingsSnapshot(ctx_);  // inner
  ctx_->work->savedFontTable = original;
  const DWORD edited = Put(kFontTable, NewBlock(128, 2));
  PopSettingsSnapshot(ctx_, 0);  // the inner edit stays, but the outer state still names the original
  EXPECT_NE(ResolveFieldBlock(original), nullptr);
  PopSettingsSnapshot(ctx_, 1);  // the outer restore brings it back, alive
  EXPECT_EQ(Handle(kFontTable), original);
  EXPECT_NE(ResolveFieldBlock(original), nullptr);
  EXPECT_EQ(ResolveFieldBlock(edited), nullptr);
}

TEST_F(SnapshotRing, ListsReplacedDuringASubDialogAreFreedByTheRestore) {
  const DWORD before[] = {Put(kDeviceFont, NewBlock(68, 3)), Put(kOptionFont, NewBlock(68, 4)),
                          Put(kInstOptionFont, NewBlock(68, 5))};
  PushSettingsSnapshot(ctx_);
  const DWORD during[] = {Put(kDeviceFont, NewBlock(68, 6)), Put(kOptionFont, NewBlock(68, 7)),
                          Put(kInstOptionFont, NewBlock(68, 8))};
  PopSettingsSnapshot(ctx_, 1);
  for (DWORD h : before) EXPECT_NE(ResolveFieldBlock(h), nullptr);
  for (DWORD h : during) EXPECT_EQ(ResolveFieldBlock(h), nullptr);
}

TEST_F(SnapshotRing, SavedCopyHasItsOwnFontLists) {
  const DWORD live = Put(kDeviceFont, NewBlock(2 * 68, 0x5A));
  WriteFieldRawById(ctx_, kDeviceFontNum, 2);
  WriteFieldRawById(ctx_, kFontTableNum, 3);  // a count without a table: nothing to copy
  ASSERT_EQ(SaveSettingsCopy(ctx_), 1);
  const DWORD copy = ReadSnapshotRawById(ctx_, kDeviceFont);
  seen_.push_back(copy);
  EXPECT_NE(copy, 0u);
  EXPECT_NE(copy, live);
  EXPECT_EQ(ReadSnapshotRawById(ctx_, kDeviceFontNum), 2u);
  EXPECT_EQ(std::memcmp(ResolveFieldBlock(copy), ResolveFieldBlock(live), 2 * 68), 0);
  EXPECT_EQ(ReadSnapshotRawById(ctx_, kFontTable), 0u);
  EXPECT_EQ(ReadSnapshotRawById(ctx_, kFontTableNum), 0u);

  // A second copy frees the duplicates of the first.
  ASSERT_EQ(SaveSettingsCopy(ctx_), 1);
  const DWORD second = ReadSnapshotRawById(ctx_, kDeviceFont);
  seen_.push_back(second);
  EXPECT_EQ(ResolveFieldBlock(copy), nullptr);
  FreeSavedFontTables(ctx_);
  EXPECT_EQ(ResolveFieldBlock(second), nullptr);
  EXPECT_EQ(ReadSnapshotRawById(ctx_, kDeviceFont), 0u);
  FreeSavedFontTables(ctx_);  // nothing left to free
  EXPECT_NE(ResolveFieldBlock(live), nullptr);
}

TEST_F(SnapshotRing, ACountLargerThanItsBlockCopiesOnlyTheBlock) {
  Put(kDeviceFont, NewBlock(68, 0x11));
  WriteFieldRawById(ctx_, kDeviceFontNum, 50);
  ASSERT_EQ(SaveSettingsCopy(ctx_), 1);
  const DWORD copy = ReadSnapshotRawById(ctx_, kDeviceFont);
  seen_.push_back(copy);
  const BYTE* bytes = static_cast<const BYTE*>(ResolveFieldBlock(copy));
  ASSERT_NE(bytes, nullptr);
  EXPECT_EQ(bytes[67], 0x11);
  EXPECT_EQ(bytes[68], 0);
}

TEST_F(SnapshotRing, DestroyingFreesEveryBlockOnce) {
  Put(kFontTable, NewBlock(128, 1));
  Put(kDeviceFont, NewBlock(68, 1));
  WriteFieldRawById(ctx_, kDeviceFontNum, 1);
  PushSettingsSnapshot(ctx_);
  Put(kOptionFont, NewBlock(68, 2));
  Put(kInstOptionFont, NewBlock(68, 3));
  ctx_->work->savedFontTable = Put(kFontTable, NewBlock(128, 4));  // an edit still open
  ASSERT_EQ(SaveSettingsCopy(ctx_), 1);
  seen_.push_back(ReadSnapshotRawById(ctx_, kDeviceFont));
  PushSettingsSnapshot(ctx_);
  // TearDown destroys the context and checks every handle; ASan reports any double free.
}

}  // namespace
