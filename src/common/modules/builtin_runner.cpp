#include "modules/builtin_runner.h"

#include "base/deliverable.h"
#include "model/module_dispatch.h"
#include "model/units.h"
#include "model/rule_apply.h"

void RunSettingsApiBuiltIn(DriverContext* context, WORD number) {
  if (!context) return;
  if (number == 1) {
    ApplyPaperChange(context, 1);
    return;
  }
  CallModuleItemHooks(context, number);
}

void RunBuiltInFunction(DriverContext* context, WORD number) {
  if (!context) return;
  switch (CurrentDeliverable()) {
    case Deliverable::Interface: ResetStateByType(context, number); return;
    case Deliverable::SettingsApi: RunSettingsApiBuiltIn(context, number); return;
    case Deliverable::Rendering: CallModuleItemHooks(context, number); return;
  }
}
