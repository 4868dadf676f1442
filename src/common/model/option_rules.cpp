// Rule questions by feature id and by option ordinal.
#include "model/option_rules.h"

#include "base/deliverable.h"
#include "base/driver_context.h"
#include "model/option_lookup.h"
#include "model/rule_eval.h"

namespace {

// The condition block of an option: its own, else the block keyed by its ordinal.
ImageRef BlockOfOption(ImageRef option, DriverContext* context) {
  if (!option) return {};
  if (const ImageRef block = OptionCondition(option)) return block;
  return FindConditionBlock(OptionItemId(option), context);
}

ImageRef BlockOfOrdinal(WORD ordinal, DriverContext* context) {
  if (ordinal == 0) return {};
  if (const ImageRef block = BlockOfOption(LookupOptionByOrdinal(ordinal, context), context)) return block;
  return FindConditionBlock(ordinal, context);
}

int RuleHolds(ImageRef program, DriverContext* context) { return EvaluateRuleExpression(program, context) ? 1 : 0; }

}  // namespace

int IsOptionValueDisabled(DriverContext* context, WORD featureId, WORD valueId) {
  if (!context || !context->model) return -1;
  const ImageRef option = FindOptionRecord(featureId, context);
  if (!option) return -1;
  const ImageRef block = BlockOfOption(option, context);
  if (IsSettingsApiBuild()) {
    if (!block) return -1;
    if (valueId == 0) return RuleHolds(block.Tagged(cond::kDisable), context);
    const ImageRef entry = FindItemCondition(block, valueId);
    return entry ? RuleHolds(entry.Tagged(itemcond::kDisable), context) : 1;
  }
  if (valueId == 0) return block ? IsConditionDisabled(block, 0, context) : 0;
  if (!block || !FindItemCondition(block, valueId)) return 1;
  return IsConditionDisabled(block, valueId, context);
}

int IsConditionBlockDisabled(WORD optionOrdinal, WORD item, DriverContext* context) {
  if (!context || !context->model) return -1;
  const ImageRef block = BlockOfOrdinal(optionOrdinal, context);
  if (!block) return -1;
  if (item == 0) return RuleHolds(block.Tagged(cond::kDisable), context);
  const ImageRef entry = FindItemCondition(block, item);
  return entry ? RuleHolds(entry.Tagged(itemcond::kDisable), context) : 0;
}

int IsConditionBlockHidden(WORD optionOrdinal, WORD item, DriverContext* context) {
  if (!context || !context->model) return -1;
  const ImageRef block = BlockOfOrdinal(optionOrdinal, context);
  if (!block) return -1;
  return IsConditionHidden(block, item, context);
}
