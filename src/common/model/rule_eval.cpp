// Evaluation of rule programs on the context's stack, and the disable, hide and lock tests.
#include "model/rule_eval.h"

#include "base/build_switches.h"
#include "fields/dictionary_lookup.h"
#include "base/dictionary_pages.h"
#include <initializer_list>

#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "base/memory.h"
#include "model/module_dispatch.h"
#include "field_ids.h"
#include "fields/judge_items.h"
#include "model/model_parse.h"
#include "model/option_lookup.h"

namespace {

constexpr WORD kCustomMediaValueBase = 13707;  // + row: the custom media values of the media type
constexpr int kCustomMediaRows = 16;

// Value type codes of text kept in other forms than the plain ANSI and wide texts; a rule
// reads every text field as its length.
constexpr DWORD kTextCodeA = 7;
constexpr DWORD kTextCodeB = 8;
constexpr DWORD kTextCodeFirstExtra = 13;
constexpr DWORD kTextCodeLastExtra = 15;

bool IsStringCode(DWORD code) {
  return code == kTextCodeA || code == kTextCodeB || code == FT_ANSI_TEXT || code == FT_WIDE_TEXT ||
         (code >= kTextCodeFirstExtra && code <= kTextCodeLastExtra);
}

// Operand ids that are no settings field of their own.
constexpr WORD kJudgeItemFirst = 723;  // computed judge items (judge_items)
constexpr WORD kJudgeItemLast = 914;
constexpr WORD kJudgeHookFirst = 1260;  // the modules' judge hooks
constexpr WORD kJudgeHookLast = 1419;
constexpr WORD kJudgeHookCore00 = 1420;  // wdmJudgeHookCore00
constexpr WORD kUnusedJudgeFirst = 1421;  // ids without a hook: always 0
constexpr WORD kUnusedJudgeLast = 1451;

// Length in characters of a text field's value.
DWORD TextLength(DriverContext* context, const SettingField* field) {
  const DWORD chars = FieldSizeOf(field->type) + 1;
  auto* buffer = static_cast<WCHAR*>(AllocMem(chars * static_cast<DWORD>(sizeof(WCHAR))));
  if (!buffer) return 0;
  DWORD n = 0;
  if (GetFieldString(context, field, buffer, chars)) {
    while (n < chars && buffer[n]) ++n;
  }
  FreeMem(buffer);
  return n;
}

DWORD OperandValue(DriverContext* context, WORD id, SettingField* field) {
  if (id >= kJudgeItemFirst && id <= kJudgeItemLast) return ComputeJudgeItem(context, id);
  if (id >= kJudgeHookFirst && id <= kJudgeHookLast) return static_cast<DWORD>(EvaluateJudgeHook(context, id));
  if (id == kJudgeHookCore00) return JudgeHookCore00(context);
  if (id >= kUnusedJudgeFirst && id <= kUnusedJudgeLast) return 0;
  if (IsStringCode(FieldCodeOf(field->type))) return TextLength(context, field);
  return GetFieldValue(context, field);
}

// The custom-media row (1-16) of a value id, or 0.
int CustomMediaRow(WORD valueId) {
  const int row = static_cast<int>(valueId) - kCustomMediaValueBase;
  return row >= 1 && row <= kCustomMediaRows ? row : 0;
}

bool CustomMediaHandling(DriverContext* context) {
  return IsBuildFeatureEnabled(12) && context->work && (context->work->specialModelMask & 1u);
}

// The disable program of the media type a custom media entry is based on, in the same
// block; none when there is no such rule.
ImageRef AlternativeRule(DriverContext* context, ImageRef block, int row) {
  ControlRecord* control = FindControlByItemId(context, nullptr, block.U16(cond::kFeatureItemId));
  if (!control) return {};
  const ImageRef option = OptionFromAddress(context->model, control->option);
  if (!option) return {};
  const DWORD based = ReadFieldRawById(context, static_cast<WORD>(fid::wdmCustomMediaDataNum + row));
  const WORD feature = OptionFeatureId(option), itemId = OptionItemId(option);
  const ValueNameEntry* found = nullptr;
  for (const ValueNameTable* table : {GetValueNameTable(), GetIdsTable()}) {
    for (DWORD i = 0; table && i < table->count && !found; ++i) {
      const ValueNameEntry& e = table->entries[i];
      if (e.fieldId == feature && e.itemId == itemId && e.number == based) found = &e;
    }
    if (found) break;
  }
  if (!found) return {};
  const WORD valueId = static_cast<WORD>(found->value);
  DWORD steps = ImageSize(option.image) / kPickItemSize + 1;
  for (ImageRef it = OptionValues(option); it && steps--; it = ItemNext(it)) {
    if (ItemValueId(it) == valueId) {
      const ImageRef c = FindItemCondition(block, valueId);
      return c ? c.Tagged(itemcond::kDisable) : ImageRef{};
    }
  }
  return {};
}

}  // namespace

int CreateEvalStack(DriverContext* context) {
  if (!context || !context->work) return -1;
  WorkArea* work = context->work;
  FreeMem(work->evalStack);
  work->evalStack = static_cast<std::int32_t*>(AllocMem(kEvalStackEntries * sizeof(std::int32_t)));
  work->evalStackDepth = 0;
  return work->evalStack ? 0 : -1;
}

void DestroyEvalStack(DriverContext* context) {
  if (!context || !context->work) return;
  FreeMem(context->work->evalStack);
  context->work->evalStack = nullptr;
  context->work->evalStackDepth = 0;
}

DWORD EvaluateRuleExpression(ImageRef program, DriverContext* context) {
  if (!program || !context || !context->work || !context->work->evalStack) return 0;
  WorkArea* work = context->work;
  const WORD base = work->evalStackDepth;
  if (base > kEvalStackEntries) return 0;
  auto* stack = reinterpret_cast<DWORD*>(work->evalStack);
  WORD depth = base;
  auto finish = [&](DWORD result) {
    work->evalStackDepth = base;
    return result;
  };
  bool haveLast = false;
  WORD lastId = 0;
  DWORD lastValue = 0;
  const DWORD size = ImageSize(program.image);
  for (DWORD at = program.offset; at >= kModelHeaderSize && at <= size && size - at >= 4; at += 4) {
    const BYTE* w = ImageBytes(program.image) + at;
    const WORD kind = LoadU16(w), operand = LoadU16(w + 2);
    if (kind == kRuleField || kind == kRuleLiteral) {
      DWORD value = operand;
      if (kind == kRuleField) {
        if (haveLast && operand == lastId) {
          value = lastValue;
        } else {
          SettingField* field = FindFieldById(context, operand);
          if (!field) return finish(0);
          value = OperandValue(context, operand, field);
          haveLast = true;
          lastId = operand;
          lastValue = value;
        }
      }
      if (depth >= kEvalStackEntries) return finish(0);
      stack[depth++] = value;
      work->evalStackDepth = depth;
      continue;
    }
    if (kind != kRuleOperator || operand < 1 || operand > kOpReturn) continue;
    if (depth <= base) return finish(0);
    const DWORD r = stack[--depth];
    if (operand == kOpReturn) return finish(r);
    if (operand == 5) {
      stack[depth++] = r == 0 ? 1 : 0;
      continue;
    }
    if (depth <= base) return finish(0);
    const DWORD l = stack[--depth];
    DWORD v = 0;
    switch (operand) {
      case 1: v = l == r; break;
      case 2: v = l != r; break;
      case 3: v = l != 0 && r != 0; break;
      case 4: v = l != 0 || r != 0; break;
      case 6: v = l > r; break;
      case 7: v = l < r; break;
      case 8: v = l >= r; break;
      case 9: v = l <= r; break;
      default: break;
    }
    stack[depth++] = v;
    work->evalStackDepth = depth;
  }
  return finish(0);
}

DWORD JudgeHookCore00(DriverContext* context) {
  return (ReadFieldRawById(context, fid::kdmFrontFunc) & 0x100u) && ReadFieldRawById(context, fid::kdmAPIUseFlag) == 0 &&
                 !(ReadFieldRawById(context, fid::KPD_kdmJobfold) & 1u) && (ReadFieldRawById(context, fid::kdmPreviewPrint) & 0xFFu) &&
                 (ReadFieldRawById(context, fid::KPD_kdmPLInstalled) & 0xFFu)
             ? 1
             : 0;
}

int IsConditionDisabled(ImageRef block, WORD valueId, DriverContext* context) {
  if (!block || !context) return 0;
  if (valueId == 0) return EvaluateRuleExpression(block.Tagged(cond::kDisable), context) ? 1 : 0;
  const ImageRef condition = FindItemCondition(block, valueId);
  const int row = CustomMediaHandling(context) ? CustomMediaRow(valueId) : 0;
  if (condition) {
    ImageRef rule = condition.Tagged(itemcond::kDisable);
    if (row) {
      if (EvaluateRuleExpression(rule, context) != 0) return 1;
      if (ReadFieldRawById(context, fid::kdmLock000InfoBitMedia) != 0) return 0;
      if (ReadFieldRawById(context, fid::wdmCustomMediaDataNum) < static_cast<DWORD>(row)) return 1;
      if (const ImageRef alternative = AlternativeRule(context, block, row)) rule = alternative;
    }
    return EvaluateRuleExpression(rule, context) ? 1 : 0;
  }
  if (!row) return 0;
  if (ReadFieldRawById(context, fid::wdmCustomMediaDataNum) < static_cast<DWORD>(row)) return 1;
  return EvaluateRuleExpression(AlternativeRule(context, block, row), context) ? 1 : 0;
}

int IsConditionHidden(ImageRef block, WORD valueId, DriverContext* context) {
  if (!block) return 0;
  if (valueId == 0) return EvaluateRuleExpression(block.Tagged(cond::kHide), context) ? 1 : 0;
  const ImageRef condition = FindItemCondition(block, valueId);
  return condition && EvaluateRuleExpression(condition.Tagged(itemcond::kHide), context) ? 1 : 0;
}

int IsConditionLocked(ImageRef block, WORD valueId, DriverContext* context) {
  if (!block) return 0;
  if (valueId == 0) return EvaluateRuleExpression(block.Tagged(cond::kLock), context) ? 1 : 0;
  const ImageRef condition = FindItemCondition(block, valueId);
  return condition && EvaluateRuleExpression(condition.Tagged(itemcond::kLock), context) ? 1 : 0;
}

int IsItemDisabled(ImageRef option, WORD valueId, DriverContext* context) {
  return option ? IsConditionDisabled(OptionCondition(option), valueId, context) : 0;
}

int IsItemHidden(ImageRef option, WORD valueId, DriverContext* context) {
  return option ? IsConditionHidden(OptionCondition(option), valueId, context) : 0;
}

int EvaluateLockCondition(ImageRef option, WORD valueId, DriverContext* context) {
  return option ? IsConditionLocked(OptionCondition(option), valueId, context) : 0;
}

ImageRef FindActiveAlertEntry(ImageRef alertList, DriverContext* context) {
  DWORD steps = ImageSize(alertList.image) / kAlertEntrySize + 1;
  for (ImageRef a = alertList; a && steps--; a = a.Tagged(alert::kNext)) {
    if (EvaluateRuleExpression(a.Tagged(alert::kProgram), context) != 0) return a;
  }
  return {};
}

WORD FindActiveAlert(ImageRef option, DriverContext* context) {
  const ImageRef block = option ? OptionCondition(option) : ImageRef{};
  if (!block) return 0;
  const ImageRef a = FindActiveAlertEntry(block.Tagged(cond::kAlerts), context);
  return a ? a.U16(alert::kMessageId) : 0;
}
