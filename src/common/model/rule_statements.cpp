// Rule statements: the Judge programs and the lists built around them.
#include "model/rule_statements.h"

#include <cstring>
#include <iterator>

#include "model/model_names.h"
#include "model/rule_compiler.h"
#include "model/value_scanners.h"

namespace {

// The statement number of option word 1 (and its name registered); false refuses.
bool StatementNumber(ModelParse* parse, Statement* s, int names, DWORD* number) {
  std::int32_t n = 0;
  if (!ParseRuleNumber(s->option1.bytes, &n) || n == 0) return false;
  *number = static_cast<DWORD>(n);
  return RegisterRuleName(parse, names, s->option1.bytes, *number);
}

enum class ScanResult { Complete, Refused };

// Scans the value's tokens: braces only count; every other token fills the next field of
// the current entry, a new entry being started whenever the first field is due. `start`
// makes an entry (false: memory is short); `fill` fills one field (false: malformed).
template <typename Start, typename Fill>
ScanResult ScanEntries(TextBuffer& value, DWORD fields, Start start, Fill fill) {
  DWORD depth = 0;
  DWORD field = 0;
  DWORD entries = 0;
  RuleToken token;
  value.position = 0;
  for (;;) {
    ScanRuleToken(value, &token);
    if (token.cls == kTokenBracket && token.text[0] == '{') {
      ++depth;
      continue;
    }
    if (token.cls == kTokenBracket && token.text[0] == '}') {
      if (depth == 0) return ScanResult::Refused;
      if (--depth == 0) return ScanResult::Complete;
      continue;
    }
    if (token.length == 0) return ScanResult::Refused;  // the end of the text
    if (field == 0) {
      if (++entries > kMaxListEntries || !start()) return ScanResult::Refused;
    }
    if (token.tooLong || !fill(field, token.text)) return ScanResult::Refused;
    field = (field + 1) % fields;
  }
}

template <typename Entry>
int ListStatement(ModelParse* parse, Statement* s, int names, ParseList<RuleStatement<Entry>>& list, DWORD fields,
                  bool (*fill)(ModelParse*, Entry*, DWORD, const char*)) {
  DWORD number = 0;
  if (!StatementNumber(parse, s, names, &number)) return 0;
  auto* header = ParseNew<RuleStatement<Entry>>(parse);
  if (!header) return 0;
  header->number = number;
  ParseList<Entry> entries;
  Entry* current = nullptr;
  const ScanResult r = ScanEntries(
      s->value, fields,
      [&] {
        current = ParseNew<Entry>(parse);
        if (current) entries.Append(current);
        return current != nullptr;
      },
      [&](DWORD field, const char* text) { return fill(parse, current, field, text); });
  if (r != ScanResult::Complete) return 0;
  header->entries = entries.first;
  list.Append(header);
  return 1;
}

WORD ValueIdOf(const char* name) {
  WORD id = 0;
  return FindValueIdByName(name, &id) ? id : 0;
}

WORD FeatureItemOf(const char* name) {
  const ControlNameEntry* e = FindFeatureByName(name);
  return e ? e->itemId : 0;
}

bool FillItem(ModelParse* parse, ItemCondition* e, DWORD field, const char* text) {
  switch (field) {
    case 0: e->valueId = ValueIdOf(text); return true;
    case 1: return ResolveReferenceFor(parse, kNamesJudge, text, &e->disableJudge);
    case 2: return ResolveReferenceFor(parse, kNamesJudge, text, &e->hideJudge);
    default: return ResolveReferenceFor(parse, kNamesJudge, text, &e->lockJudge);
  }
}

bool FillAction(ModelParse* parse, ActionEntry* e, DWORD field, const char* text) {
  if (field == 0) {
    WORD pageId = 0;
    if (FindPageIdByName(text, &pageId)) {
      e->targetKind = 1;
      e->targetId = pageId;
    } else if (const ControlNameEntry* f = FindFeatureByName(text)) {
      e->targetId = f->fieldId;
    }
    return true;
  }
  if (text[0] && IsAllDigits(text)) {
    std::int32_t n = 0;
    if (!ParseRuleNumber(text, &n)) return false;
    e->value = static_cast<DWORD>(n);
  } else if (std::strcmp(text, "Default") == 0) {
    e->value = e->targetKind == 0 ? GetDefaultFromParsedHeader(e->targetId, &parse->header) : 0;
  } else {
    e->value = ValueIdOf(text);
  }
  return true;
}

bool FillTransact(ModelParse* parse, TransactEntry* e, DWORD field, const char* text) {
  return field == 0 ? ResolveReferenceFor(parse, kNamesJudge, text, &e->judge)
                    : ResolveReferenceFor(parse, kNamesAction, text, &e->action);
}

bool FillAlertAction(ModelParse* parse, AlertActionEntry* e, DWORD field, const char* text) {
  switch (field) {
    case 0: e->featureItemId = FeatureItemOf(text); return true;
    case 1: return ResolveReferenceFor(parse, kNamesTransact, text, &e->transact);
    case 2: FindPageIdByName(text, &e->pageId); return true;
    default: FindControlIdByName(text, &e->controlId); return true;
  }
}

bool FillAlert(ModelParse* parse, AlertEntry* e, DWORD field, const char* text) {
  switch (field) {
    case 0: return ResolveReferenceFor(parse, kNamesJudge, text, &e->judge);
    case 1: FindMessageIdByName(text, &e->messageId); return true;
    case 2: e->icon = AlertIconWord(text); return true;
    case 3: e->buttons = AlertButtonsWord(text); return true;
    case 4: e->timing = AlertTimingWord(text); return true;
    default: return ResolveReferenceFor(parse, kNamesAlertAction, text, &e->alertAction);
  }
}

bool FillExclusive(ModelParse* parse, ConditionBlock* e, DWORD field, const char* text) {
  switch (field) {
    case 0: e->featureItemId = FeatureItemOf(text); return true;
    case 1: return ResolveReferenceFor(parse, kNamesJudge, text, &e->disableJudge);
    case 2: return ResolveReferenceFor(parse, kNamesJudge, text, &e->hideJudge);
    case 3: return ResolveReferenceFor(parse, kNamesItem, text, &e->item);
    case 4: return ResolveReferenceFor(parse, kNamesAlert, text, &e->alert);
    case 5: return ResolveReferenceFor(parse, kNamesTransact, text, &e->transact);
    case 6: return ResolveReferenceFor(parse, kNamesTransact, text, &e->transact2);
    default: return ResolveReferenceFor(parse, kNamesJudge, text, &e->lockJudge);
  }
}

struct WordValue {
  const char* word;
  WORD value;
};

WORD LookupWord(const WordValue* table, std::size_t n, const char* word) {
  for (std::size_t i = 0; i < n; ++i) {
    if (std::strcmp(table[i].word, word) == 0) return table[i].value;
  }
  return 0xFFFF;
}

}  // namespace

WORD AlertIconWord(const char* word) {
  static constexpr WordValue kIcons[] = {{"MB_ICONEXCLAMATION", 0x30},
                                         {"MB_ICONINFORMATION", 0x40},
                                         {"MB_ICONQUESTION", 0x20},
                                         {"MB_ICONSTOP", 0x10}};
  return LookupWord(kIcons, std::size(kIcons), word);
}

WORD AlertButtonsWord(const char* word) {
  static constexpr WordValue kButtons[] = {{"MB_ABORTRETRYIGNORE", 2}, {"MB_OK", 0},    {"MB_OKCANCEL", 1},
                                           {"MB_RETRYCANCEL", 5},      {"MB_YESNO", 4}, {"MB_YESNOCANCEL", 3}};
  return LookupWord(kButtons, std::size(kButtons), word);
}

WORD AlertTimingWord(const char* word) {
  static constexpr WordValue kTimings[] = {
      {"AlertAtOnce", 0}, {"AlertProperty", 1}, {"AlertOkApply", 2}, {"AlertDialog", 3}};
  return LookupWord(kTimings, std::size(kTimings), word);
}

int HandleJudge(ModelParse* parse, Statement* s) {
  DWORD number = 0;
  if (!StatementNumber(parse, s, kNamesJudge, &number)) return 0;
  s->value.position = 0;
  DWORD words = 0;
  RuleWord* program = CompileRuleExpression(parse, s->value, &words);
  if (!program || !CheckRuleExpression(program, words)) return 0;
  auto* judge = ParseNew<JudgeEntry>(parse);
  if (!judge) return 0;
  judge->number = number;
  judge->size = words * static_cast<DWORD>(sizeof(RuleWord));
  judge->program = program;
  parse->judges.Append(judge);
  return 1;
}

int HandleItem(ModelParse* parse, Statement* s) {
  return ListStatement<ItemCondition>(parse, s, kNamesItem, parse->items, 4, FillItem);
}

int HandleAction(ModelParse* parse, Statement* s) {
  return ListStatement<ActionEntry>(parse, s, kNamesAction, parse->actions, 2, FillAction);
}

int HandleTransact(ModelParse* parse, Statement* s) {
  return ListStatement<TransactEntry>(parse, s, kNamesTransact, parse->transacts, 2, FillTransact);
}

int HandleAlertAction(ModelParse* parse, Statement* s) {
  return ListStatement<AlertActionEntry>(parse, s, kNamesAlertAction, parse->alertActions, 4, FillAlertAction);
}

int HandleAlert(ModelParse* parse, Statement* s) {
  return ListStatement<AlertEntry>(parse, s, kNamesAlert, parse->alerts, 6, FillAlert);
}

int HandleExclusive(ModelParse* parse, Statement* s) {
  // Rows join the one list of Exclusive rows as soon as they are started.
  ConditionBlock* current = nullptr;
  bool outOfMemory = false;
  const ScanResult r = ScanEntries(
      s->value, 8,
      [&] {
        current = ParseNew<ConditionBlock>(parse);
        if (!current) {
          outOfMemory = true;
          return false;
        }
        parse->exclusives.Append(current);
        return true;
      },
      [&](DWORD field, const char* text) { return FillExclusive(parse, current, field, text); });
  if (outOfMemory) parse->exclusives = ParseList<ConditionBlock>{};
  return r == ScanResult::Complete ? 1 : 0;
}
