// Operations on a context's work area that belong to no other subsystem: the saved field
// states, the custom function fields and the sort-type question.
#pragma once

#include <cstdint>

#include "base/settings_field.h"
#include "win/types.h"

struct DriverContext;

// {header copy of the context's field table, a copy of all its records}; the side records
// are shared with the context, not copied.
struct FieldStateBlock {
  FieldTable header;  // header.records points at the copies below, in the same block
  SettingField records[1];
};

// A new block, or null (no context, no field table or no memory).
FieldStateBlock* SaveFieldStates(DriverContext* context);
// Copies the saved records back over the context's field table, then frees the block.
// A null block does nothing; a block of another count restores only the records both have.
void RestoreFieldStates(DriverContext* context, FieldStateBlock* saved);

// The raw value of wdmCustomFunc0 to wdmCustomFunc31 (fields 1462-1493); 0 for other ids,
// without reading the settings.
DWORD GetCustomFuncField(DriverContext* context, WORD id);

// 1 when kdmSortType (119) offers a choice: more than one value, or one value other than 0.
int HasSortTypeChoices(DriverContext* context);
