// The per-process table of blocks behind the font-table fields' handles.
#include "fields/field_handles.h"

#include <cstring>
#include <mutex>
#include <unordered_map>

#include "fields/field_access.h"
#include "fields/field_table.h"
#include "base/memory.h"
#include "field_ids.h"

namespace {

constexpr WORD kHandleFields[] = {fid::kdmFontTable, fid::kdmDeviceFont, fid::kdmOptionFont, fid::kdmInstOptionFont};
constexpr DWORD kMaxEntries = 0x100000;

struct HandleTable {
  std::mutex lock;
  std::unordered_map<DWORD, void*> blocks;
  DWORD next = 1;
  // The table goes with the module that holds this copy of the common code (a driver
  // library the engine unloads, or the process); blocks still entered go with it.
  ~HandleTable() {
    for (auto& entry : blocks) FreeMem(entry.second);
  }
};

HandleTable& Table() {
  static HandleTable table;
  return table;
}

const SettingFieldDef* BuiltInRow(WORD id) {
  // Rows 10001 upward follow 1555 consecutive rows.
  const SettingFieldDef* row = &GetBuiltInFields()[1555 + (id - 10001)];
  return row->id == id ? row : nullptr;
}

}  // namespace

bool IsFieldHandleField(WORD id) {
  for (WORD f : kHandleFields) {
    if (f == id) return true;
  }
  return false;
}

DWORD RegisterFieldBlock(void* block) {
  if (!block) return 0;
  HandleTable& t = Table();
  std::lock_guard<std::mutex> guard(t.lock);
  if (t.blocks.size() >= kMaxEntries) return 0;
  DWORD handle;
  do {
    handle = t.next++;
    if (t.next == 0) t.next = 1;
  } while (handle == 0 || t.blocks.count(handle));
  t.blocks.emplace(handle, block);
  return handle;
}

void* ResolveFieldBlock(DWORD handle) {
  if (handle == 0) return nullptr;
  HandleTable& t = Table();
  std::lock_guard<std::mutex> guard(t.lock);
  auto it = t.blocks.find(handle);
  return it == t.blocks.end() ? nullptr : it->second;
}

void* ReleaseFieldBlock(DWORD handle) {
  if (handle == 0) return nullptr;
  HandleTable& t = Table();
  std::lock_guard<std::mutex> guard(t.lock);
  auto it = t.blocks.find(handle);
  if (it == t.blocks.end()) return nullptr;
  void* block = it->second;
  t.blocks.erase(it);
  return block;
}

void* GetFieldBlockById(DriverContext* context, WORD id) {
  if (!IsFieldHandleField(id)) return nullptr;
  return ResolveFieldBlock(ReadFieldRawById(context, id));
}

bool SetFieldBlockById(DriverContext* context, WORD id, void* block) {
  if (!IsFieldHandleField(id)) return false;
  SettingField* field = FindFieldById(context, id);
  if (!field) return false;
  DWORD handle = 0;
  if (block) {
    handle = RegisterFieldBlock(block);
    if (handle == 0) return false;
  }
  WriteFieldRaw(context, field, handle);
  return true;
}

void ClearFieldHandlesInBuffer(BYTE* buffer) {
  if (!buffer) return;
  for (WORD id : kHandleFields) {
    const SettingFieldDef* row = BuiltInRow(id);
    if (!row) continue;
    SettingField f{};
    f.id = row->id;
    f.type = row->type;
    f.offset = row->offset;
    if (BYTE* at = GetFieldAddressInBuffer(buffer, &f)) std::memset(at, 0, FieldSizeOf(row->type));
  }
}
