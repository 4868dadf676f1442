// Small built-in tables and tests that the interface, page and settings-API code share:
// the N-up kinds, the custom paper codes, the absolute-path form and the controls that
// stand for a field on the special pages.
#pragma once

#include "base/path_forms.h"
#include "win/types.h"

// One N-up kind and its pages per sheet.
struct NupKindRow {
  DWORD kind;
  DWORD pages;
};
// The five built-in rows {0, 1}, {1, 2}, {2, 4}, {3, 9}, {4, 16}; count receives 5.
const NupKindRow* GetFixedList5(DWORD* count);

// IsCustomPaperId: stored/paper_map.h (the paper map of the free-size list).

// IsAbsolutePath: base/path_forms.h.

// The page and control that stand for a field whose option is bound to a special control.
struct SpecialCaseEntry {
  WORD fieldId;
  WORD pageId;
  WORD controlId;
};
// The row of the field, or null.
const SpecialCaseEntry* FindSpecialCaseEntry(WORD fieldId);
