// The rule language: tokens, the compiler from infix text to postfix programs, the check
// every program passes, and the references between rule statements.
#pragma once

#include <cstdint>

#include "model/model_parse.h"
#include "model/model_reader.h"

constexpr int kTokenOther = 0;
constexpr int kTokenName = 1;
constexpr int kTokenNumber = 2;
constexpr int kTokenOperator = 3;
constexpr int kTokenBracket = 4;

struct RuleToken {
  int cls;
  DWORD length;
  bool tooLong;  // longer than kMaxTokenLength: the text is cut
  char text[kMaxTokenLength + 1];
};

// The next token of the text from its position; every byte taken is overwritten with a
// blank. At the end of the text: class 0 with an empty text.
void ScanRuleToken(TextBuffer& text, RuleToken* token);

// The operator code of an operator run (0 for an unknown run).
WORD RuleOperatorCode(const char* text);

// Compiles the text from its position into a program owned by the parse, ending with
// RETURN; null when a name is unknown, a bound is exceeded, brackets do not match or memory
// is short. *words receives the word count.
RuleWord* CompileRuleExpression(ModelParse* parse, TextBuffer& text, DWORD* words);
// True when the program leaves exactly one value for RETURN.
bool CheckRuleExpression(const RuleWord* program, DWORD words);

// kind << 16 | number for Judge, Item, Action, Transact, AlertAction, Alert; 0 for NULL;
// 0x70000 for a name. *ok is false when the number does not fit.
DWORD ResolveRuleReference(const char* text, bool* ok = nullptr);
// A reference stored in a record at a position that expects the kind of `names`: the
// kind's reference (kind << 16 | low 16 bits of the number), a named entry's number, or 0.
// False when the number does not fit (the statement is malformed).
bool ResolveReferenceFor(ModelParse* parse, int names, const char* text, DWORD* ref);

// Registers the name after the first '=' of an option word 1 for the statement number.
bool RegisterRuleName(ModelParse* parse, int names, const char* optionWord, DWORD number);
// The number of the first entry with that name in the kind's list, 0 when unknown.
DWORD LookupRuleName(const ModelParse* parse, int names, const char* name);
// The first Judge with that number, or null.
const JudgeEntry* FindParsedJudge(const ModelParse* parse, DWORD number);
