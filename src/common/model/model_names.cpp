// Indexed name lookups into the shared dictionary.
#include "model/model_names.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "base/dictionary_pages.h"
#include "base/memory.h"

namespace {

struct NameRef {
  const char* name;
  DWORD order;  // position in table order, so that equal names keep the first
  const void* row;
};

bool Less(const NameRef& a, const NameRef& b) {
  const int c = std::strcmp(a.name, b.name);
  return c < 0 || (c == 0 && a.order < b.order);
}

// A sorted index of one or two name tables, built once per process from AllocMem blocks.
// When the block cannot be had, `refs` stays null and the lookups fall back to the
// dictionary's own linear search.
struct NameIndex {
  NameRef* refs;
  DWORD count;
};

const void* Lookup(const NameIndex& index, const char* name) {
  if (!name || !index.refs) return nullptr;
  const NameRef key{name, 0, nullptr};
  const NameRef* begin = index.refs;
  const NameRef* end = begin + index.count;
  const NameRef* it = std::lower_bound(begin, end, key, Less);
  if (it != end && std::strcmp(it->name, name) == 0) return it->row;
  return nullptr;
}

// The dictionary reads a table's count as a signed 16-bit number.
DWORD UsableCount(DWORD count) {
  const auto n = static_cast<std::int16_t>(count & 0xFFFFu);
  return n > 0 ? static_cast<DWORD>(n) : 0;
}

const NameIndex& FeatureIndex() {
  static const NameIndex index = [] {
    const ControlNameTable* t = GetControlNameTable();
    NameIndex ix{nullptr, 0};
    if (!t || !t->count) return ix;
    ix.refs = static_cast<NameRef*>(AllocMem(t->count * static_cast<DWORD>(sizeof(NameRef))));
    if (!ix.refs) return ix;
    for (DWORD i = 0; i < t->count; ++i) {
      if (t->entries[i].name) ix.refs[ix.count++] = {t->entries[i].name, i, &t->entries[i]};
    }
    std::sort(ix.refs, ix.refs + ix.count, Less);
    return ix;
  }();
  return index;
}

const NameIndex& ValueIndex() {
  static const NameIndex index = [] {
    const ValueNameTable* tables[] = {GetValueNameTable(), GetIdsTable()};
    DWORD total = 0;
    for (const ValueNameTable* t : tables) total += t ? UsableCount(t->count) : 0;
    NameIndex ix{nullptr, 0};
    if (!total) return ix;
    ix.refs = static_cast<NameRef*>(AllocMem(total * static_cast<DWORD>(sizeof(NameRef))));
    if (!ix.refs) return ix;
    DWORD order = 0;
    for (const ValueNameTable* t : tables) {
      const DWORD n = t ? UsableCount(t->count) : 0;
      for (DWORD i = 0; i < n; ++i, ++order) {
        if (t->entries[i].symbol) ix.refs[ix.count++] = {t->entries[i].symbol, order, &t->entries[i]};
      }
    }
    std::sort(ix.refs, ix.refs + ix.count, Less);
    return ix;
  }();
  return index;
}

}  // namespace

const ControlNameEntry* FindFeatureByName(const char* name) {
  const NameIndex& index = FeatureIndex();
  if (!index.refs) return FindNameEntryByName(name);
  return static_cast<const ControlNameEntry*>(Lookup(index, name));
}

bool FindValueIdByName(const char* name, WORD* valueId) {
  const NameIndex& index = ValueIndex();
  const auto* e = index.refs ? static_cast<const ValueNameEntry*>(Lookup(index, name)) : FindValueSymbolByName(name);
  if (!e) return false;
  *valueId = static_cast<WORD>(e->value & 0xFFFF);
  return true;
}

bool FindPageIdByName(const char* name, WORD* pageId) {
  const PageRecord* page = FindPageByName(nullptr, name);
  if (!page) return false;
  *pageId = page->pageId;
  return true;
}

bool FindControlIdByName(const char* name, WORD* controlId) {
  const ControlNameEntry* entry = FindFeatureByName(name);
  const PageTable* pages = GetBuiltInPageTable();
  if (!entry || !pages) return false;
  for (int p = 0; p < pages->count; ++p) {
    const PageRecord& page = pages->records[p];
    for (int i = 0; page.controls && i < page.controlCount; ++i) {
      if (page.controls[i].itemId == entry->itemId) {
        *controlId = page.controls[i].controlId;
        return true;
      }
    }
  }
  return false;
}

bool FindMessageIdByName(const char* name, WORD* messageId) {
  const MessageEntry* e = FindMessageEntryByName(nullptr, name);
  if (!e) return false;
  *messageId = e->messageId;
  return true;
}
