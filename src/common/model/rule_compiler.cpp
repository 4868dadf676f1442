// The rule compiler: strictly left to right, no precedence, one pending operator, and a
// recursion for each parenthesised group.
#include "model/rule_compiler.h"

#include <cstring>

#include "base/memory.h"
#include "model/model_names.h"
#include "model/value_scanners.h"

namespace {

bool IsOperatorChar(BYTE c) { return c == '=' || c == '!' || c == '&' || c == '|' || c == '>' || c == '<'; }

void Take(TextBuffer& t, RuleToken* token) {
  const BYTE c = PeekByte(t);
  if (token->length < kMaxTokenLength) token->text[token->length++] = static_cast<char>(c);
  else token->tooLong = true;
  t.bytes[t.position++] = ' ';
}

}  // namespace

void ScanRuleToken(TextBuffer& t, RuleToken* token) {
  token->cls = kTokenOther;
  token->length = 0;
  token->tooLong = false;
  token->text[0] = 0;
  SkipBlanksIn(t, true);
  const BYTE c = PeekByte(t);
  if (c == 0) return;
  if (IsDigit(c)) {
    DWORD end = t.position;
    while (IsDigit(static_cast<BYTE>(end < t.length ? t.bytes[end] : 0))) ++end;
    const BYTE after = end < t.length ? static_cast<BYTE>(t.bytes[end]) : 0;
    if (!IsKeywordChar(after)) {
      while (t.position < end) Take(t, token);
      token->cls = kTokenNumber;
      token->text[token->length] = 0;
      return;
    }
  }
  if (IsKeywordChar(c)) {
    while (IsKeywordChar(PeekByte(t))) Take(t, token);
    token->cls = kTokenName;
  } else if (c == '(' || c == ')' || c == '{' || c == '}') {
    Take(t, token);
    token->cls = kTokenBracket;
  } else if (!IsOperatorChar(c)) {
    Take(t, token);
    token->cls = kTokenOther;
  } else {
    while (IsOperatorChar(PeekByte(t))) Take(t, token);
    token->cls = kTokenOperator;
  }
  token->text[token->length] = 0;
}

WORD RuleOperatorCode(const char* s) {
  static constexpr struct {
    const char* text;
    WORD code;
  } kOps[] = {{"==", 1}, {"!=", 2}, {"&&", 3}, {"||", 4}, {"!", 5}, {">", 6}, {"<", 7}, {">=", 8}, {"<=", 9}};
  for (const auto& op : kOps) {
    if (std::strcmp(op.text, s) == 0) return op.code;
  }
  return 0;
}

namespace {

struct WordBuffer {
  DWORD count;
  RuleWord words[kMaxRuleWords];
};

bool Append(WordBuffer& b, WORD kind, WORD operand) {
  if (b.count >= kMaxRuleWords) return false;
  b.words[b.count++] = RuleWord{kind, operand};
  return true;
}

bool Flush(WordBuffer& b, WORD& pending) {
  if (!pending) return true;
  const WORD op = pending;
  pending = 0;
  return Append(b, kRuleOperator, op);
}

enum class GroupEnd { Failed, Returned, Closed };

bool AppendName(const ModelParse* parse, WordBuffer& b, const char* name) {
  if (const ControlNameEntry* f = FindFeatureByName(name)) return Append(b, kRuleField, f->fieldId);
  WORD valueId = 0;
  if (FindValueIdByName(name, &valueId)) return Append(b, kRuleLiteral, valueId);
  const DWORD number = LookupRuleName(parse, kNamesJudge, name);
  const JudgeEntry* judge = number ? FindParsedJudge(parse, number) : nullptr;
  if (!judge || !judge->program || judge->size < sizeof(RuleWord)) return false;
  const DWORD words = judge->size / sizeof(RuleWord) - 1;  // without its RETURN
  if (words > kMaxRuleWords - b.count) return false;
  std::memcpy(&b.words[b.count], judge->program, words * sizeof(RuleWord));
  b.count += words;
  return true;
}

GroupEnd CompileGroup(const ModelParse* parse, TextBuffer& text, WordBuffer& b, int depth) {
  WORD pending = 0;
  RuleToken token;
  for (;;) {
    ScanRuleToken(text, &token);
    switch (token.cls) {
      case kTokenName:
        if (token.tooLong || !AppendName(parse, b, token.text) || !Flush(b, pending)) return GroupEnd::Failed;
        break;
      case kTokenNumber: {
        std::int32_t n = 0;
        if (token.tooLong || !ParseRuleNumber(token.text, &n)) return GroupEnd::Failed;
        if (!Append(b, kRuleLiteral, static_cast<WORD>(n & 0xFFFF)) || !Flush(b, pending)) return GroupEnd::Failed;
        break;
      }
      case kTokenOperator:
        if (!Flush(b, pending)) return GroupEnd::Failed;
        pending = token.tooLong ? 0 : RuleOperatorCode(token.text);
        break;
      case kTokenBracket:
        if (token.text[0] == '(') {
          if (depth + 1 > kMaxRuleNesting) return GroupEnd::Failed;
          if (CompileGroup(parse, text, b, depth + 1) != GroupEnd::Closed) return GroupEnd::Failed;
          break;
        }
        if (token.text[0] == ')') {
          // A ')' without its '(' leaves a group end in the program, which no check passes.
          if (!Flush(b, pending) || depth == 0) return GroupEnd::Failed;
          return GroupEnd::Closed;
        }
        [[fallthrough]];
      default:
        // '{', '}', any other byte or the end of the text ends the rule; inside a group the
        // '(' was never closed.
        if (!Flush(b, pending) || depth > 0) return GroupEnd::Failed;
        if (!Append(b, kRuleOperator, kOpReturn)) return GroupEnd::Failed;
        return GroupEnd::Returned;
    }
  }
}

}  // namespace

RuleWord* CompileRuleExpression(ModelParse* parse, TextBuffer& text, DWORD* words) {
  auto* b = static_cast<WordBuffer*>(AllocMem(sizeof(WordBuffer)));
  if (!b) return nullptr;
  RuleWord* program = nullptr;
  if (CompileGroup(parse, text, *b, 0) == GroupEnd::Returned) {
    program = static_cast<RuleWord*>(ParseAlloc(parse, b->count * sizeof(RuleWord)));
    if (program) {
      std::memcpy(program, b->words, b->count * sizeof(RuleWord));
      if (words) *words = b->count;
    }
  }
  FreeMem(b);
  return program;
}

bool CheckRuleExpression(const RuleWord* program, DWORD words) {
  if (!program) return false;
  int depth = 0;
  for (DWORD i = 0; i < words; ++i) {
    const RuleWord w = program[i];
    if (w.kind == kRuleField || w.kind == kRuleLiteral) {
      if (++depth >= 128) return false;
    } else if (w.kind == kRuleOperator) {
      if (w.operand == kOpReturn) return depth == 1;
      if (w.operand == 5) {
        if (depth < 1) return false;
      } else {
        if (depth < 2) return false;
        --depth;
      }
    } else {
      return false;
    }
  }
  return false;  // no RETURN
}

namespace {

struct Prefix {
  const char* text;
  DWORD kind;
  int names;
};
constexpr Prefix kPrefixes[] = {
    {"Judge", kRefJudge, kNamesJudge},           {"Item", kRefItem, kNamesItem},
    {"Action", kRefAction, kNamesAction},        {"Transact", kRefTransact, kNamesTransact},
    {"AlertAction", kRefAlertAction, kNamesAlertAction}, {"Alert", kRefAlert, kNamesAlert},
    {"NULL", 0, -1},
};

}  // namespace

DWORD ResolveRuleReference(const char* text, bool* ok) {
  if (ok) *ok = true;
  if (!text) return 0;
  for (const Prefix& p : kPrefixes) {
    if (std::strncmp(text, p.text, std::strlen(p.text)) != 0) continue;
    if (p.kind == 0) return 0;
    std::int32_t n = 0;
    if (!ParseRuleNumber(text, &n) && ok) *ok = false;
    return p.kind | (static_cast<DWORD>(n) & 0xFFFFu);
  }
  return kRefName;
}

bool ResolveReferenceFor(ModelParse* parse, int names, const char* text, DWORD* ref) {
  *ref = 0;
  bool ok = true;
  const DWORD r = ResolveRuleReference(text, &ok);
  if (!ok) return false;
  if (r == kRefName) {
    *ref = LookupRuleName(parse, names, text);
    return true;
  }
  for (const Prefix& p : kPrefixes) {
    if (p.names == names && p.kind == (r & 0xFFFF0000u)) {
      *ref = r;
      break;
    }
  }
  return true;
}

bool RegisterRuleName(ModelParse* parse, int names, const char* optionWord, DWORD number) {
  if (!optionWord || names < 0 || names >= kNameKinds) return true;
  const char* eq = std::strchr(optionWord, '=');
  if (!eq || !eq[1]) return true;
  auto* entry = ParseNew<RuleName>(parse);
  char* name = entry ? ParseCopyText(parse, eq + 1, std::strlen(eq + 1)) : nullptr;
  if (!name) return false;
  entry->name = name;
  entry->number = number;
  parse->ruleNames[names].Append(entry);
  return true;
}

DWORD LookupRuleName(const ModelParse* parse, int names, const char* name) {
  if (!parse || !name || names < 0 || names >= kNameKinds) return 0;
  for (const RuleName* e = parse->ruleNames[names].first; e; e = e->next) {
    if (std::strcmp(e->name, name) == 0) return e->number;
  }
  return 0;
}

const JudgeEntry* FindParsedJudge(const ModelParse* parse, DWORD number) {
  for (const JudgeEntry* j = parse ? parse->judges.first : nullptr; j; j = j->next) {
    if (j->number == number) return j;
  }
  return nullptr;
}
