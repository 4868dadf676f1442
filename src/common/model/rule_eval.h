// Rule evaluation on a context: the context's evaluation stack, the evaluation of a
// compiled rule program and the disable, hide and lock tests of options and their values.
#pragma once

#include "model/model_image.h"

struct DriverContext;

// The context's stack of kEvalStackEntries 32-bit entries: 0, or -1 when it cannot be
// allocated; the depth is 0 afterwards. DestroyEvalStack frees it.
int CreateEvalStack(DriverContext* context);
void DestroyEvalStack(DriverContext* context);

// The value the program returns (unsigned comparisons); 0 for no program, for a program
// that reads an id without a settings field, and for one that would leave the stack's
// bounds or runs past the block without RETURN. The stack depth is as it was afterwards.
DWORD EvaluateRuleExpression(ImageRef program, DriverContext* context);

// Item 1420, wdmJudgeHookCore00.
DWORD JudgeHookCore00(DriverContext* context);

// The option's disable, hide and lock rules (value id 0: the feature itself), from the
// option's condition block: 0 or 1.
int IsItemDisabled(ImageRef option, WORD valueId, DriverContext* context);
int IsItemHidden(ImageRef option, WORD valueId, DriverContext* context);
int EvaluateLockCondition(ImageRef option, WORD valueId, DriverContext* context);
// The same on a condition block.
int IsConditionDisabled(ImageRef block, WORD valueId, DriverContext* context);
int IsConditionHidden(ImageRef block, WORD valueId, DriverContext* context);
int IsConditionLocked(ImageRef block, WORD valueId, DriverContext* context);

// The message id of the first alert of the option's block whose rule holds, else 0.
WORD FindActiveAlert(ImageRef option, DriverContext* context);
// That alert entry of an alert list, or none.
ImageRef FindActiveAlertEntry(ImageRef alertList, DriverContext* context);
