// The context's copy of the page and control tables, and the page and control lookups.
#include "base/dictionary_pages.h"

#include <cstring>
#include <new>

#include "fields/dictionary_lookup.h"
#include "base/driver_context.h"

namespace {

bool SameName(const char* a, const char* b) { return a && b && std::strcmp(a, b) == 0; }

PageTable* PagesOf(DriverContext* context) {
  return context && context->pages.records ? &context->pages : nullptr;
}

template <typename Match>
ControlRecord* FindControl(DriverContext* context, PageRecord* page, Match match) {
  if (page) {
    for (int i = 0; i < page->controlCount; ++i) {
      if (page->controls && match(page->controls[i])) return &page->controls[i];
    }
    return nullptr;
  }
  PageTable* pages = PagesOf(context);
  if (!pages) return nullptr;
  for (int p = 0; p < pages->count; ++p) {
    PageRecord& pg = pages->records[p];
    for (int i = 0; i < pg.controlCount; ++i) {
      if (pg.controls && match(pg.controls[i])) return &pg.controls[i];
    }
  }
  return nullptr;
}

}  // namespace

bool CopyBuiltInPageTable(PageTable& table) {
  FreePageTable(table);
  const PageTable* src = GetBuiltInPageTable();
  auto* pages = new (std::nothrow) PageRecord[src->count];
  if (!pages) return false;
  for (int p = 0; p < src->count; ++p) {
    pages[p] = src->records[p];
    pages[p].controls = nullptr;
    pages[p].window = nullptr;
    pages[p].openFlag = 0;
  }
  for (int p = 0; p < src->count; ++p) {
    const PageRecord& from = src->records[p];
    if (from.controlCount == 0 || !from.controls) {
      pages[p].controlCount = 0;
      continue;
    }
    auto* controls = new (std::nothrow) ControlRecord[from.controlCount];
    if (!controls) {
      table = PageTable{static_cast<std::int16_t>(src->count), pages};
      FreePageTable(table);
      return false;
    }
    std::memcpy(static_cast<void*>(controls), from.controls, sizeof(ControlRecord) * from.controlCount);
    pages[p].controls = controls;
  }
  table = PageTable{static_cast<std::int16_t>(src->count), pages};
  return true;
}

void FreePageTable(PageTable& table) {
  if (table.records) {
    for (int p = 0; p < table.count; ++p) delete[] table.records[p].controls;
    delete[] table.records;
  }
  table.records = nullptr;
  table.count = 0;
}

PageRecord* FindPageById(DriverContext* context, WORD pageId) {
  PageTable* pages = PagesOf(context);
  if (!pages) return nullptr;
  for (int p = 0; p < pages->count; ++p) {
    if (pages->records[p].pageId == pageId) return &pages->records[p];
  }
  return nullptr;
}

PageRecord* FindPageByWindow(DriverContext* context, HWND window) {
  PageTable* pages = PagesOf(context);
  // A null window would match every page that is not shown.
  if (!pages || !window) return nullptr;
  for (int p = 0; p < pages->count; ++p) {
    if (pages->records[p].window == window) return &pages->records[p];
  }
  return nullptr;
}

const PageRecord* FindPageByName(DriverContext* context, const char* name) {
  if (!name) return nullptr;
  const PageTable* pages = context ? PagesOf(context) : GetBuiltInPageTable();
  if (!pages) return nullptr;
  for (int p = 0; p < pages->count; ++p) {
    if (SameName(pages->records[p].symbol, name)) return &pages->records[p];
  }
  return nullptr;
}

ControlRecord* GetPageControl(PageRecord* page, int n) {
  if (!page || !page->controls || n < 0 || n >= page->controlCount) return nullptr;
  return &page->controls[n];
}

ControlRecord* FindControlById(DriverContext* context, PageRecord* page, WORD controlId) {
  return FindControl(context, page, [controlId](const ControlRecord& c) { return c.controlId == controlId; });
}

ControlRecord* FindControlByWindow(DriverContext* context, PageRecord* page, HWND window) {
  if (!window) return nullptr;
  return FindControl(context, page, [window](const ControlRecord& c) { return c.window == window; });
}

ControlRecord* FindControlByItemId(DriverContext* context, PageRecord* page, WORD itemId) {
  return FindControl(context, page, [itemId](const ControlRecord& c) { return c.itemId == itemId; });
}

ControlRecord* FindControlByItemName(DriverContext* context, PageRecord* page, const char* name) {
  const ControlNameEntry* entry = FindNameEntryByName(name);
  return entry ? FindControlByItemId(context, page, entry->itemId) : nullptr;
}
