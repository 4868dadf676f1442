// Applying the rules: transact lists, alert actions, the built-in function requests of
// rule actions, and the capability conditions of the printer option table.
#pragma once

#include "model/model_image.h"

struct ControlRecord;
struct DriverContext;

// Runs the transact entries whose rules hold and their actions: a page target ends the run
// and gives its page id; field 1018 runs a built-in function; any other target sets its
// settings field. 0 when the list ends.
WORD ApplyTransacts(ImageRef transactList, DriverContext* context);
// ApplyTransacts of the first transact list of the option's condition block (0 without).
WORD ApplyOptionTransacts(ImageRef option, DriverContext* context);
// The same for the block of a feature item id (0 when there is none).
WORD ApplyConditionBlockTransacts(WORD featureItemId, DriverContext* context);
// ApplyTransacts of the first alert-action entry whose key is `key`, 0 when none; then,
// when the entry names a page of the context's page table that has a window and a control
// of that page that has one, the keyboard focus moves to that control.
WORD RunAlertAction(ImageRef alertActionList, WORD key, DriverContext* context);
// The action of an alert (an entry of the option's alert list) for the user's answer: the
// page id its transacts gave, or 0.
WORD RunAlertActionForControl(ImageRef option, ImageRef alert, WORD answer, DriverContext* context);

// The built-in function a rule action asks for through wdmBuiltInFunc: 1, 3 and 4 the
// paper change of that kind, 2 change flag 0x10000000, any other number offered to the
// extension modules' item hooks. A null context does nothing.
void ResetStateByType(DriverContext* context, WORD number);

// One condition of a printer option table record.
struct CapabilityCondition {
  const CapabilityCondition* next;
  DWORD flags;
  DWORD code;   // capability code
  DWORD value;
};
// The feature id of a capability code (five ranges of 32 codes), or 0.
WORD CapabilityFeature(DWORD code);
// 1 or 0: the condition test of a printer option table record.
int MatchCapabilityConditions(DriverContext* context, const CapabilityCondition* list);
