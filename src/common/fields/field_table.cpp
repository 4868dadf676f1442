// The per-context field table, lookups by id and keyword, and field addresses.
#include "fields/field_table.h"

#include <atomic>
#include <new>

#include "fields/dictionary_lookup.h"
#include "base/driver_context.h"
#include "fields/product_record.h"

namespace {

// Gap between the two id runs of the table; 0 until the first lookup above 10000.
std::atomic<int> g_idGap{0};

int ComputeGap(const FieldTable& table) {
  for (int i = 1; i < table.count; ++i) {
    if (table.records[i].id != static_cast<WORD>(table.records[i - 1].id + 1)) return i;
  }
  return table.count;
}

// The settings buffer size of a Windows 9x system, the smaller of the two.
constexpr DWORD kSmallestSettingsBufferSize = 10016;

WORD ReadU16(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }

BYTE* AddressIn(BYTE* buffer, const SettingField* field) {
  if (!buffer || !field) return nullptr;
  const DWORD area = FieldAreaOf(field->type);
  if (area == 0) return nullptr;
  const DWORD start = ReadU16(buffer + kAreaOffsetPositions[area - 1]);
  // A bit field needs the byte that holds its bit; the word size covers it. Every buffer
  // holds at least the smaller of the two sizes, so only a field reaching beyond it needs
  // the size of this system (asked here, not on every access).
  const DWORD end = start + field->offset + FieldSizeOf(field->type);
  if (end > kSmallestSettingsBufferSize && end > GetSettingsBufferSize()) return nullptr;
  return buffer + start + field->offset;
}

}  // namespace

bool CopyBuiltInFieldTable(FieldTable& table) {
  FreeFieldTable(table);
  const SettingFieldDef* defs = GetBuiltInFields();
  auto* records = new (std::nothrow) SettingField[kBuiltInFieldCount];
  auto* sides = new (std::nothrow) FieldSideRecord[kBuiltInFieldCount];
  if (!records || !sides) {
    delete[] records;
    delete[] sides;
    return false;
  }
  for (int i = 0; i < kBuiltInFieldCount; ++i) {
    const SettingFieldDef& d = defs[i];
    sides[i] = FieldSideRecord{d.valueMap, d.name};
    SettingField& f = records[i];
    f.id = d.id;
    f.itemId = d.itemId;
    f.type = d.type;
    f.offset = d.offset;
    f.storeKind = d.storeKind;
    f.section = d.section;
    f.key = d.key;
    f.handling = d.handling;
    f.marks = 0;
    for (int m = 0; m < 5; ++m) f.marks |= static_cast<WORD>(MarkOf(d.marks, m) << (2 * m));
    f.side = &sides[i];
    f.runtimeFlags = 0;
  }
  table.count = static_cast<std::int16_t>(kBuiltInFieldCount);
  table.records = records;
  return true;
}

void FreeFieldTable(FieldTable& table) {
  if (table.records) {
    // The side records were allocated as one array behind the first record's pointer.
    delete[] table.records[0].side;
    delete[] table.records;
  }
  table.records = nullptr;
  table.count = 0;
}

int GetFieldIdGap() { return g_idGap.load(); }

SettingField* FindFieldById(DriverContext* context, WORD id) {
  if (!context || !context->fields.records || context->fields.count <= 0 || id == 0) return nullptr;
  const FieldTable& table = context->fields;
  const int count = table.count;
  WORD index1 = id;  // 1-based index candidate
  if (id > 10000) {
    int gap = g_idGap.load();
    if (gap == 0) {
      gap = ComputeGap(table);
      int expected = 0;
      g_idGap.compare_exchange_strong(expected, gap);
      gap = g_idGap.load();
    }
    index1 = static_cast<WORD>(id + gap - 10000);
  }
  if (index1 >= 1 && index1 <= count && table.records[index1 - 1].id == id) return &table.records[index1 - 1];
  SettingField* r = table.records;
  if (r[0].id == id) return &r[0];
  if (r[count - 1].id == id) return &r[count - 1];
  int lo = 0, hi = count - 1;
  while (lo + 1 < hi) {
    const int mid = (lo + hi) / 2;
    if (r[mid].id == id) return &r[mid];
    if (r[mid].id < id) lo = mid; else hi = mid;
  }
  for (int i = count - 1; i >= 0; --i) {
    if (r[i].id == id) return &r[i];
  }
  return nullptr;
}

SettingField* FindFieldByKeyword(DriverContext* context, std::int16_t itemId) {
  // Key 0 is "no item id": it would otherwise find the first field without one.
  if (!context || !context->fields.records || itemId == 0) return nullptr;
  const WORD key = static_cast<WORD>(itemId);
  for (int i = 0; i < context->fields.count; ++i) {
    if (context->fields.records[i].itemId == key) return &context->fields.records[i];
  }
  const ControlNameEntry* entry = FindNameEntryByKey(key);
  return entry ? FindFieldById(context, entry->fieldId) : nullptr;
}

const WCHAR* GetFieldName(DriverContext* context, WORD id) {
  const SettingField* f = FindFieldById(context, id);
  return f && f->side ? f->side->name : nullptr;
}

BYTE* GetFieldAddressInBuffer(BYTE* buffer, const SettingField* field) { return AddressIn(buffer, field); }

BYTE* GetFieldAddress(DriverContext* context, const SettingField* field) {
  return context ? AddressIn(context->settings, field) : nullptr;
}

BYTE* GetFieldAddressInSnapshot(DriverContext* context, const SettingField* field) {
  return context && context->work ? AddressIn(context->work->savedSettings, field) : nullptr;
}

BYTE* GetFieldAddressInLockDefaults(DriverContext* context, const SettingField* field) {
  return context && context->work ? AddressIn(context->work->lockDefaults, field) : nullptr;
}
