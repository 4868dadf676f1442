// A context's own copies of the field and page tables and its shared table pointers.
#include "fields/dictionary_copy.h"

#include "base/deliverable.h"
#include "fields/dictionary_lookup.h"
#include "base/dictionary_pages.h"
#include "base/driver_context.h"
#include "fields/field_table.h"

bool AttachDictionary(DriverContext* context) {
  if (!context) return false;
  // The rendering build has no property pages: its contexts keep no page table.
  if (!CopyBuiltInFieldTable(context->fields) || (!IsRenderingBuild() && !CopyBuiltInPageTable(context->pages))) {
    DetachDictionary(context);
    return false;
  }
  context->controlNames = GetControlNameTable();
  context->valueNames = GetValueNameTable();
  context->stringIds = GetIdsTable();
  context->messages = GetMessageTable();
  return true;
}

void DetachDictionary(DriverContext* context) {
  if (!context) return;
  FreeFieldTable(context->fields);
  FreePageTable(context->pages);
  context->controlNames = nullptr;
  context->valueNames = nullptr;
  context->stringIds = nullptr;
  context->messages = nullptr;
}
