// Transacts, alert actions, built-in function requests and capability conditions.
#include "model/rule_apply.h"

#include "fields/change_flags.h"
#include "base/deliverable.h"
#include "base/dictionary_pages.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "model/module_dispatch.h"
#include "model/units.h"
#include "field_ids.h"
#include "model/option_lookup.h"
#include "model/rule_eval.h"
#include "win/window.h"

namespace {

constexpr WORD kTargetPage = 1;

}  // namespace

void ResetStateByType(DriverContext* context, WORD number) {
  if (!context) return;
  switch (number) {
    case 1:
    case 3:
    case 4:
      ApplyPaperChange(context, number);
      break;
    case 2:
      SetChangeFlags(context, 0x10000000u);
      break;
    default:
      CallModuleItemHooks(context, number);
      break;
  }
}

WORD ApplyTransacts(ImageRef transactList, DriverContext* context) {
  if (!transactList || !context) return 0;
  DWORD steps = ImageSize(transactList.image) / kTransactEntrySize + 1;
  bool first = true, previousHeld = true;
  ImageRef previousProgram;
  for (ImageRef t = transactList; t && steps--; t = t.Tagged(transact::kNext)) {
    const ImageRef program = t.Tagged(transact::kProgram);
    bool holds;
    if (!program) holds = true;
    else if (!first && program == previousProgram && !previousHeld) holds = false;
    else holds = EvaluateRuleExpression(program, context) != 0;
    first = false;
    previousProgram = program;
    previousHeld = holds;
    if (!holds) continue;
    DWORD actionSteps = ImageSize(t.image) / kActionEntrySize + 1;
    for (ImageRef a = t.Tagged(transact::kActions); a && actionSteps--; a = a.Tagged(action::kNext)) {
      const WORD target = a.U16(action::kTargetId);
      const DWORD value = a.U32(action::kValue);
      if (a.U16(action::kTargetKind) == kTargetPage) return target;
      // Only the printer interface DLL runs a built-in function from a rule; the rendering
      // DLL and the settings API store the number.
      if (target == fid::wdmBuiltInFunc && CurrentDeliverable() == Deliverable::Interface)
        ResetStateByType(context, static_cast<WORD>(value));
      else SetFieldValueOrStringById(context, target, value);
    }
  }
  return 0;
}

WORD ApplyOptionTransacts(ImageRef option, DriverContext* context) {
  const ImageRef block = option ? OptionCondition(option) : ImageRef{};
  return block ? ApplyTransacts(block.Tagged(cond::kTransacts), context) : 0;
}

WORD ApplyConditionBlockTransacts(WORD featureItemId, DriverContext* context) {
  const ImageRef block = FindConditionBlock(featureItemId, context);
  return block ? ApplyTransacts(block.Tagged(cond::kTransacts), context) : 0;
}

WORD RunAlertAction(ImageRef alertActionList, WORD key, DriverContext* context) {
  DWORD steps = ImageSize(alertActionList.image) / kAlertActionEntrySize + 1;
  for (ImageRef a = alertActionList; a && steps--; a = a.Tagged(alertaction::kNext)) {
    if (a.U16(alertaction::kFeatureItemId) != key) continue;
    const WORD pageId = ApplyTransacts(a.Tagged(alertaction::kTransacts), context);
    PageRecord* page = context ? FindPageById(context, a.U16(alertaction::kPageId)) : nullptr;
    ControlRecord* control = page && page->window ? FindControlById(context, page, a.U16(alertaction::kControlId)) : nullptr;
    if (control && control->window && IsWindow(control->window)) SetFocus(control->window);
    return pageId;
  }
  return 0;
}

WORD RunAlertActionForControl(ImageRef option, ImageRef alert, WORD answer, DriverContext* context) {
  (void)option;  // the alert is one of the option's; the answer selects its action
  return alert ? RunAlertAction(alert.Tagged(alert::kAlertActions), answer, context) : 0;
}

WORD CapabilityFeature(DWORD code) {
  struct Range {
    DWORD first;
    WORD feature;
  };
  static constexpr Range kRanges[] = {{10014, 244}, {10046, 276}, {10078, 308}, {10290, 412}, {10322, 479}};
  for (const Range& r : kRanges) {
    if (code >= r.first && code < r.first + 32) return static_cast<WORD>(r.feature + (code - r.first));
  }
  return 0;
}

int MatchCapabilityConditions(DriverContext* context, const CapabilityCondition* list) {
  int result = 1;
  const CapabilityCondition* c = list;
  while (c) {
    const WORD feature = CapabilityFeature(c->code);
    if (!feature) {
      c = c->next;
      continue;
    }
    if (ReadFieldRawById(context, feature) == c->value) {
      result = 1;
      if (c->flags & 2u) {
        c = c->next;
        continue;
      }
      const CapabilityCondition* d = c;
      while (d && !(d->flags != 0 && !(d->flags & 2u))) d = d->next;
      if (!d) return 1;
      c = d->next;
    } else {
      result = 0;
      const CapabilityCondition* d = c;
      while (d && (d->flags & 2u)) d = d->next;
      if (!d) return 0;
      if (d->flags != 0) return 0;
      c = d->next;
    }
  }
  return result;
}
