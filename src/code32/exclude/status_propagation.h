// What follows a status item's change: the model's rules react as they would on a property
// page, the device-mode is brought into line, the modules are told, and the caller learns in
// the changed-items bitmap which items it would now read differently.
#pragma once

#include <cstdint>

#include "win/types.h"

struct DriverContext;
struct StatusItem;

// The status items whose function a settings field switches on and off.
struct FunctionSelectRow {
  DWORD item;
  DWORD onOffField;  // low 16 bits used
  DWORD extra;       // 1: the item's other fields count only while the on/off option is usable;
                     // 2: the cover and mark types count only while the on/off field is set
};
// The on/off field of the item's row (the row through row when given), 0 without one.
WORD FindFunctionSelectField(DWORD item, const FunctionSelectRow** row = nullptr);

// The transacts of every option of the model whose feature id is the feature.
void ApplyFeatureTransacts(DriverContext* context, WORD feature);

// Runs only while the context has its change-detection copy; changed may be null.
void PropagateStatusChange(DriverContext* context, const StatusItem* row, const void* record, BYTE* changed);
