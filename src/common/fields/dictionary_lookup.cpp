// Lookups into the shared dictionary's name tables: linear, first match in table order.
#include "fields/dictionary_lookup.h"

#include <cstring>

#include "base/driver_context.h"

namespace {

constexpr FieldPageControlEntry kFieldPageControls[] = {
    {13, 1002, 2007}, {54, 1002, 2064}, {53, 1002, 2066},  {8, 1002, 2017},
    {46, 1002, 2053}, {209, 1002, 2041}, {65, 1042, 2071}, {64, 1042, 2073},
    {128, 1038, 2633}, {129, 1038, 2635}, {37, 1001, 2001},
};

// The count's low 16 bits read as a signed number: at most 32767 entries.
int UsableCount(DWORD count) {
  const auto n = static_cast<std::int16_t>(count & 0xFFFFu);
  return n > 0 ? n : 0;
}

bool SameName(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

const ValueNameEntry* FindValueIn(const ValueNameTable* table, WORD fieldId, DWORD value) {
  if (!table || !table->entries) return nullptr;
  const int n = UsableCount(table->count);
  for (int i = 0; i < n; ++i) {
    const ValueNameEntry& e = table->entries[i];
    if (e.fieldId == fieldId && (e.value & 0xFFFFu) == (value & 0xFFFFu)) return &e;
  }
  return nullptr;
}

const ValueNameEntry* FindSymbolIn(const ValueNameTable* table, const char* symbol) {
  if (!table || !table->entries || !symbol) return nullptr;
  const int n = UsableCount(table->count);
  for (int i = 0; i < n; ++i) {
    if (SameName(table->entries[i].symbol, symbol)) return &table->entries[i];
  }
  return nullptr;
}

const MessageTable* MessagesOf(DriverContext* context) {
  return context && context->messages ? context->messages : GetMessageTable();
}

}  // namespace

const ControlNameEntry* FindNameEntryByKey(WORD itemId) {
  const ControlNameTable* t = GetControlNameTable();
  for (DWORD i = 0; i < t->count; ++i) {
    if (t->entries[i].itemId == itemId) return &t->entries[i];
  }
  return nullptr;
}

const ControlNameEntry* FindNameEntryByName(const char* name) {
  if (!name) return nullptr;
  const ControlNameTable* t = GetControlNameTable();
  for (DWORD i = 0; i < t->count; ++i) {
    if (SameName(t->entries[i].name, name)) return &t->entries[i];
  }
  return nullptr;
}

const ValueNameEntry* FindValueSymbol(WORD fieldId, DWORD value) {
  if (const ValueNameEntry* e = FindValueIn(GetValueNameTable(), fieldId, value)) return e;
  return FindValueIn(GetIdsTable(), fieldId, value);
}

const ValueNameEntry* FindValueSymbolByName(const char* symbol) {
  if (const ValueNameEntry* e = FindSymbolIn(GetValueNameTable(), symbol)) return e;
  return FindSymbolIn(GetIdsTable(), symbol);
}

WORD GetMessageCount(DriverContext* context) { return MessagesOf(context)->count; }

const MessageEntry* GetMessageEntry(DriverContext* context, int index) {
  const MessageTable* t = MessagesOf(context);
  // Callers keep the index below the count; an index outside it finds nothing.
  if (index < 0 || index >= t->count) return nullptr;
  return &t->entries[index];
}

const MessageEntry* FindMessageEntry(DriverContext* context, WORD messageId) {
  const MessageTable* t = MessagesOf(context);
  for (WORD i = 0; i < t->count; ++i) {
    if (t->entries[i].messageId == messageId) return &t->entries[i];
  }
  return nullptr;
}

const MessageEntry* FindMessageEntryByName(DriverContext* context, const char* name) {
  if (!name) return nullptr;
  const MessageTable* t = MessagesOf(context);
  for (WORD i = 0; i < t->count; ++i) {
    if (SameName(t->entries[i].name, name)) return &t->entries[i];
  }
  return nullptr;
}

const FieldPageControlEntry* FindFieldPageControlEntry(WORD fieldId) {
  for (const FieldPageControlEntry& e : kFieldPageControls) {
    if (e.fieldId == fieldId) return &e;
  }
  return nullptr;
}
