// Indexed name lookups into the shared dictionary.
#include "model/model_names.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "context/dictionary_pages.h"

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

const void* Lookup(const std::vector<NameRef>& index, const char* name) {
  if (!name || index.empty()) return nullptr;
  const NameRef key{name, 0, nullptr};
  auto it = std::lower_bound(index.begin(), index.end(), key, Less);
  if (it != index.end() && std::strcmp(it->name, name) == 0) return it->row;
  return nullptr;
}

const std::vector<NameRef>& FeatureIndex() {
  static const std::vector<NameRef> index = [] {
    std::vector<NameRef> v;
    const ControlNameTable* t = GetControlNameTable();
    for (DWORD i = 0; t && i < t->count; ++i) {
      if (t->entries[i].name) v.push_back({t->entries[i].name, i, &t->entries[i]});
    }
    std::sort(v.begin(), v.end(), Less);
    return v;
  }();
  return index;
}

const std::vector<NameRef>& ValueIndex() {
  static const std::vector<NameRef> index = [] {
    std::vector<NameRef> v;
    DWORD order = 0;
    for (const ValueNameTable* t : {GetValueNameTable(), GetIdsTable()}) {
      // The dictionary reads a table's count as a signed 16-bit number.
      const int n = t ? std::max(0, static_cast<int>(static_cast<std::int16_t>(t->count & 0xFFFF))) : 0;
      for (int i = 0; i < n; ++i) {
        if (t->entries[i].symbol) v.push_back({t->entries[i].symbol, order, &t->entries[i]});
        ++order;
      }
    }
    std::sort(v.begin(), v.end(), Less);
    return v;
  }();
  return index;
}

}  // namespace

const ControlNameEntry* FindFeatureByName(const char* name) {
  return static_cast<const ControlNameEntry*>(Lookup(FeatureIndex(), name));
}

bool FindValueIdByName(const char* name, WORD* valueId) {
  const auto* e = static_cast<const ValueNameEntry*>(Lookup(ValueIndex(), name));
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
