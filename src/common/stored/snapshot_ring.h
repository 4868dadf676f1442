// The settings snapshot ring of a context: three copies of the whole settings buffer with
// their change flags, pushed before temporary changes (a sub-dialog, module work) and
// popped after them.
//
// The font-list fields (10005, 10007, 10009, 10011) hold handles of blocks, and every copy
// of the buffer copies the handles, not the blocks. The live buffer, the three slots, the
// saved copy and the work area's savedFontTable together name the blocks of a context:
// a block stays while any of them names it and is freed when a push or a pop drops its
// last name, so a restore never brings back a freed block and no block is freed twice.
#pragma once

#include "win/types.h"

struct DriverContext;

// Slot 1 to 2, slot 0 to 1, the live buffer and change flags to slot 0; event 26. The
// ring counts its depth: a push that would drop slot 2 while it still holds a snapshot
// keeps that slot in an extra slot instead (up to kMaxExtraSnapshots of them), so every pop
// restores the state its own push saved. Beyond that the push is refused: 0 and nothing
// changes. 1 when pushed.
constexpr int kMaxExtraSnapshots = 13;
int PushSettingsSnapshot(DriverContext* context);
// Snapshots pushed and not yet popped.
int SettingsSnapshotDepth(DriverContext* context);
// Frees the extra slots (the context's end).
void FreeExtraSnapshots(DriverContext* context);
// With restore nonzero the live buffer, change flags and field change states go back to
// slot 0 (dirty 0, event 27); with 0 the edits stay. Then slot 1 to 0 and slot 2 to 1.
void PopSettingsSnapshot(DriverContext* context, int restore);

// Every block handle that the context's buffers and savedFontTable name.
struct ContextHandleSet {
  static constexpr int kCapacity = 4 * (5 + 13) + 1;
  DWORD handles[kCapacity];
  int count;
};
void CollectContextHandles(DriverContext* context, ContextHandleSet* set);
// Frees the blocks of the handles in before that after no longer has.
void ReleaseDroppedHandles(const ContextHandleSet& before, const ContextHandleSet& after);
// Frees the blocks of every handle of the set (stale handles are skipped).
void ReleaseAllHandles(const ContextHandleSet& set);
