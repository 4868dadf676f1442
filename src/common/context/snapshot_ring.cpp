// The settings snapshot ring.
#include "stored/snapshot_ring.h"

#include <cstring>

#include "fields/change_flags.h"
#include "base/driver_context.h"
#include "fields/field_handles.h"
#include "fields/field_table.h"
#include "base/memory.h"
#include "model/module_dispatch.h"
#include "fields/product_record.h"
#include "field_ids.h"

namespace {

constexpr WORD kHandleFieldIds[] = {fid::kdmFontTable, fid::kdmDeviceFont, fid::kdmOptionFont, fid::kdmInstOptionFont};

DWORD ReadHandleIn(BYTE* buffer, const SettingField* field) {
  BYTE* at = buffer && field ? GetFieldAddressInBuffer(buffer, field) : nullptr;
  if (!at) return 0;
  DWORD value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

void Add(ContextHandleSet* set, DWORD handle) {
  if (handle == 0) return;
  for (int i = 0; i < set->count; ++i) {
    if (set->handles[i] == handle) return;
  }
  if (set->count < ContextHandleSet::kCapacity) set->handles[set->count++] = handle;
}

bool Contains(const ContextHandleSet& set, DWORD handle) {
  for (int i = 0; i < set.count; ++i) {
    if (set.handles[i] == handle) return true;
  }
  return false;
}

// The ring can move: the context has its settings buffer and all three slots.
bool RingReady(DriverContext* context) {
  if (!context || !context->work || !context->settings) return false;
  for (BYTE* slot : context->work->snapshots) {
    if (!slot) return false;
  }
  return true;
}

void CopySlot(WorkArea* work, int from, int to, DWORD size) {
  std::memcpy(work->snapshots[to], work->snapshots[from], size);
  work->snapshotChangeFlags[to] = work->snapshotChangeFlags[from];
}

}  // namespace

void CollectContextHandles(DriverContext* context, ContextHandleSet* set) {
  set->count = 0;
  if (!context || !context->work) return;
  WorkArea* work = context->work;
  BYTE* buffers[] = {context->settings, work->snapshots[0], work->snapshots[1], work->snapshots[2],
                     work->savedSettings};
  for (WORD id : kHandleFieldIds) {
    const SettingField* field = FindFieldById(context, id);
    if (!field) continue;
    for (BYTE* buffer : buffers) Add(set, ReadHandleIn(buffer, field));
    for (BYTE* extra : work->sheet.extraSnapshots) Add(set, ReadHandleIn(extra, field));
  }
  Add(set, work->savedFontTable);
}

void ReleaseDroppedHandles(const ContextHandleSet& before, const ContextHandleSet& after) {
  for (int i = 0; i < before.count; ++i) {
    if (!Contains(after, before.handles[i])) FreeMem(ReleaseFieldBlock(before.handles[i]));
  }
}

void ReleaseAllHandles(const ContextHandleSet& set) {
  for (int i = 0; i < set.count; ++i) FreeMem(ReleaseFieldBlock(set.handles[i]));
}

int SettingsSnapshotDepth(DriverContext* context) {
  return context && context->work ? context->work->sheet.snapshotDepth : 0;
}

void FreeExtraSnapshots(DriverContext* context) {
  if (!context || !context->work) return;
  PageEngineState& sheet = context->work->sheet;
  for (BYTE*& extra : sheet.extraSnapshots) {
    FreeMem(extra);
    extra = nullptr;
  }
  if (sheet.snapshotDepth > 3) sheet.snapshotDepth = 3;
}

int PushSettingsSnapshot(DriverContext* context) {
  if (!RingReady(context)) return 0;
  WorkArea* work = context->work;
  PageEngineState& sheet = work->sheet;
  const DWORD size = GetSettingsBufferSize();
  if (sheet.snapshotDepth < 0) sheet.snapshotDepth = 0;
  // Slot 2 still holds a snapshot that a later pop restores: keep it aside.
  if (sheet.snapshotDepth >= 3) {
    const int extra = sheet.snapshotDepth - 3;
    if (extra >= kMaxExtraSnapshots) return 0;
    BYTE* copy = static_cast<BYTE*>(AllocMem(size));
    if (!copy) return 0;
    std::memcpy(copy, work->snapshots[2], size);
    sheet.extraSnapshots[extra] = copy;
    sheet.extraChangeFlags[extra] = work->snapshotChangeFlags[2];
  }
  ContextHandleSet before, after;
  CollectContextHandles(context, &before);
  CopySlot(work, 1, 2, size);
  CopySlot(work, 0, 1, size);
  std::memcpy(work->snapshots[0], context->settings, size);
  work->snapshotChangeFlags[0] = work->changeFlags;
  ++sheet.snapshotDepth;
  CollectContextHandles(context, &after);
  ReleaseDroppedHandles(before, after);
  NotifyModules(context, MODEV_SNAPSHOT_PUSH, nullptr);
  return 1;
}

void PopSettingsSnapshot(DriverContext* context, int restore) {
  if (!RingReady(context)) return;
  WorkArea* work = context->work;
  const DWORD size = GetSettingsBufferSize();
  ContextHandleSet before, after;
  CollectContextHandles(context, &before);
  if (restore) {
    // An edit of the font substitution table that began after the push ends here: the
    // table from before the edit comes back with slot 0 and the edited one is dropped.
    const SettingField* fontTable = FindFieldById(context, fid::kdmFontTable);
    if (work->savedFontTable != 0 && work->savedFontTable == ReadHandleIn(work->snapshots[0], fontTable)) {
      work->savedFontTable = 0;
    }
    std::memcpy(context->settings, work->snapshots[0], size);
    work->changeFlags = work->snapshotChangeFlags[0];
    work->dirty = 0;
    for (int i = 0; i < context->fields.count && context->fields.records; ++i) {
      context->fields.records[i].marks = static_cast<WORD>(context->fields.records[i].marks & ~FIELD_MARK_CHANGED_MASK);
    }
    NoteFieldChangeMarksWritten();
    NotifyModules(context, MODEV_SNAPSHOT_RESTORE, nullptr);
  } else {
    // The edits stay: the table from before an open font-table edit is no longer needed.
    work->savedFontTable = 0;
  }
  CopySlot(work, 1, 0, size);
  CopySlot(work, 2, 1, size);
  PageEngineState& sheet = work->sheet;
  // The snapshot kept aside by the deepest push comes back into slot 2.
  if (sheet.snapshotDepth > 3) {
    const int extra = sheet.snapshotDepth - 4;
    if (BYTE* kept = sheet.extraSnapshots[extra]) {
      std::memcpy(work->snapshots[2], kept, size);
      work->snapshotChangeFlags[2] = sheet.extraChangeFlags[extra];
      FreeMem(kept);
      sheet.extraSnapshots[extra] = nullptr;
    }
  }
  if (sheet.snapshotDepth > 0) --sheet.snapshotDepth;
  CollectContextHandles(context, &after);
  ReleaseDroppedHandles(before, after);
}
