// The rule compiler: programs as postfix words, the check, references and the rule
// statements' records.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "base/dictionary_pages.h"
#include "model/rule_compiler.h"
#include "model/rule_statements.h"
#include "model_test_util.h"

namespace rule_compiler_test {

namespace {

using kovatest::ValueId;

// A program as text: F<field> for kind 1, L<literal> for kind 2, the operator's text for
// kind 3 (RET for RETURN).
std::string Render(const RuleWord* p, DWORD words) {
  static const char* kOps[] = {"?", "==", "!=", "&&", "||", "!", ">", "<", ">=", "<=", "RET"};
  std::ostringstream os;
  for (DWORD i = 0; i < words; ++i) {
    if (i) os << ' ';
    if (p[i].kind == kRuleField) os << 'F' << p[i].operand;
    else if (p[i].kind == kRuleLiteral) os << 'L' << p[i].operand;
    else if (p[i].kind == kRuleOperator && p[i].operand <= 10) os << kOps[p[i].operand];
    else os << "?" << p[i].kind;
  }
  return os.str();
}

class RuleCompiler : public ::testing::Test {
 protected:
  void SetUp() override {
    parse_ = CreateModelParse();
    ASSERT_NE(parse_, nullptr);
    ASSERT_TRUE(InitTextBuffer(text_));
  }
  void TearDown() override {
    FreeTextBuffer(text_);
    FreeModelParse(parse_);
  }
  // The rendered program, "FAIL" when it does not compile; *valid from the check.
  std::string Compile(const std::string& rule, bool* valid = nullptr) {
    EXPECT_TRUE(SetTextBuffer(text_, rule.data(), static_cast<DWORD>(rule.size())));
    DWORD words = 0;
    const RuleWord* p = CompileRuleExpression(parse_, text_, &words);
    if (valid) *valid = p && CheckRuleExpression(p, words);
    return p ? Render(p, words) : "FAIL";
  }

  kovatest::TempRoot root_;
  ModelParse* parse_ = nullptr;
  TextBuffer text_{};
};

// Names used below: COLOR is field 15 (KDMCOLOR_1 = 39, KDMCOLOR_2 = 38), STAPLE field 63,
// PUNCH field 62.
#define COLOR "KPD_IDC_PRESET_CHOICE_COLOR"
#define STAPLE "KPD_IDC_FUNCSELECTSTAPLE"
#define PUNCH "KPD_IDC_FUNCSELECTPUNCH"

TEST_F(RuleCompiler, ProgramsAreLeftToRightWithOnePendingOperator) {
  struct Case {
    std::string rule;
    std::string program;
    bool valid;
  };
  const Case cases[] = {
      {COLOR " == KDMCOLOR_2 && " STAPLE, "F15 L38 == F63 && RET", true},
      {COLOR " && (" STAPLE " || " PUNCH ")", "F15 F63 F62 || && RET", true},
      {COLOR " || " STAPLE " && " PUNCH, "F15 F63 || F62 && RET", true},
      {"!" COLOR, "F15 ! RET", true},
      {"!(" COLOR ")", "F15 ! RET", true},
      {"((" COLOR "))", "F15 RET", true},
      // No precedence: ((COLOR >= 3) && COLOR) <= 9.
      {COLOR " >= 3 && " COLOR " <= 9", "F15 L3 >= F15 && L9 <= RET", true},
      {COLOR " != 1", "F15 L1 != RET", true},
      {COLOR "\n ==\r\n 2", "F15 L2 == RET", true},
      {COLOR " " STAPLE, "F15 F63 RET", false},
      {COLOR " ==", "F15 == RET", false},
      {COLOR " = " STAPLE, "F15 F63 RET", false},  // '=' is no operator: two values remain
      {"(" COLOR ") !" STAPLE, "F15 F63 ! RET", false},
      {COLOR " == -1", "F15 == RET", false},          // '-' ends the rule
      {COLOR " == 70000", "F15 L4464 == RET", true},  // literals keep their low 16 bits
      {COLOR " == 5 } " STAPLE, "F15 L5 == RET", true},
      {COLOR " == 5 ; " STAPLE, "F15 L5 == RET", true},
      {COLOR " === 5", "F15 L5 RET", false},
      {"", "RET", false},
      {"(" COLOR " == 1", "FAIL", false},             // '(' never closed
      {COLOR ")", "FAIL", false},                     // ')' without '('
      {"(" COLOR " }", "FAIL", false},
      {"NoSuchName == 1", "FAIL", false},
      {"12abc == 1", "FAIL", false},                  // digits followed by letters: a name
      {COLOR " == 99999999999", "FAIL", false},       // beyond 32 bits
  };
  for (const Case& c : cases) {
    bool valid = false;
    EXPECT_EQ(Compile(c.rule, &valid), c.program) << c.rule;
    EXPECT_EQ(valid, c.valid) << c.rule;
  }
}

TEST_F(RuleCompiler, NestingAndLengthAreBounded) {
  const std::string open32(32, '('), close32(32, ')');
  EXPECT_EQ(Compile(open32 + COLOR + close32), "F15 RET");
  EXPECT_EQ(Compile("(" + open32 + COLOR + close32 + ")"), "FAIL");
  std::string longRule = COLOR;
  for (int i = 0; i < 1100; ++i) longRule += " && " COLOR;
  EXPECT_EQ(Compile(longRule), "FAIL");  // more words than a program may hold
}

TEST_F(RuleCompiler, CheckCountsTheStack) {
  std::vector<RuleWord> p;
  for (int i = 0; i < 127; ++i) p.push_back({kRuleLiteral, 1});
  for (int i = 0; i < 126; ++i) p.push_back({kRuleOperator, 3});
  p.push_back({kRuleOperator, kOpReturn});
  EXPECT_TRUE(CheckRuleExpression(p.data(), static_cast<DWORD>(p.size())));
  p.insert(p.begin(), RuleWord{kRuleLiteral, 1});
  p.insert(p.end() - 1, RuleWord{kRuleOperator, 3});
  EXPECT_FALSE(CheckRuleExpression(p.data(), static_cast<DWORD>(p.size())));  // 128 deep
  const RuleWord bad[] = {{kRuleLiteral, 1}, {4, 0}, {kRuleOperator, kOpReturn}};
  EXPECT_FALSE(CheckRuleExpression(bad, 3));
  const RuleWord noReturn[] = {{kRuleLiteral, 1}};
  EXPECT_FALSE(CheckRuleExpression(noReturn, 1));
  const RuleWord notAlone[] = {{kRuleOperator, 5}, {kRuleOperator, kOpReturn}};
  EXPECT_FALSE(CheckRuleExpression(notAlone, 2));
}

TEST_F(RuleCompiler, TokensBlankWhatTheyTake) {
  ASSERT_TRUE(SetTextBuffer(text_, " 12abc 34 (>=!x", 15));
  RuleToken t;
  const std::pair<int, std::string> expected[] = {
      {kTokenName, "12abc"}, {kTokenNumber, "34"}, {kTokenBracket, "("},
      {kTokenOperator, ">=!"}, {kTokenName, "x"},  {kTokenOther, ""}};
  for (const auto& e : expected) {
    ScanRuleToken(text_, &t);
    EXPECT_EQ(t.cls, e.first);
    EXPECT_EQ(std::string(t.text), e.second);
  }
  EXPECT_EQ(std::string(text_.bytes, text_.length), std::string(15, ' '));
}

TEST_F(RuleCompiler, References) {
  struct Case {
    const char* text;
    DWORD ref;
  };
  const Case cases[] = {{"Transact12", 0x4000C}, {"Judge5", 0x10005},       {"Item7", 0x20007},
                        {"Action2", 0x30002},    {"AlertAction3", 0x60003}, {"Alert3", 0x50003},
                        {"NULL", 0},             {"JudgeX", 0x10000},       {"SomeName", kRefName}};
  for (const Case& c : cases) EXPECT_EQ(ResolveRuleReference(c.text), c.ref) << c.text;
  bool ok = true;
  ResolveRuleReference("Judge99999999999", &ok);
  EXPECT_FALSE(ok);
}

class RuleStatements : public ::testing::Test {
 protected:
  kovatest::TempRoot root_;
};

template <typename T>
std::vector<T*> Entries(T* first) {
  std::vector<T*> out;
  for (T* e = first; e; e = e->next) out.push_back(e);
  return out;
}

TEST_F(RuleStatements, JudgesCompileInlineByName) {
  auto parse = kovatest::ParseFixture("rules.kmd");
  ASSERT_NE(parse, nullptr);
  const auto judges = Entries(parse->judges.first);
  ASSERT_EQ(judges.size(), 4u);
  const std::pair<DWORD, std::string> expected[] = {
      {1, "F15 L39 == RET"},
      {2, "F63 L1 == RET"},
      {3, "F15 L39 == F63 L1 == F62 || && RET"},
      {6, "F63 L1 == ! RET"},
  };
  for (size_t i = 0; i < judges.size(); ++i) {
    EXPECT_EQ(judges[i]->number, expected[i].first);
    EXPECT_EQ(Render(judges[i]->program, judges[i]->size / 4), expected[i].second);
  }
}

TEST_F(RuleStatements, ListStatementRecords) {
  auto parse = kovatest::ParseFixture("rules.kmd");
  ASSERT_NE(parse, nullptr);

  const auto items = Entries(parse->items.first);
  ASSERT_EQ(items.size(), 1u);  // Item 0 is refused
  EXPECT_EQ(items[0]->number, 1u);
  const auto conds = Entries(items[0]->entries);
  ASSERT_EQ(conds.size(), 2u);
  EXPECT_EQ(conds[0]->valueId, 39);
  EXPECT_EQ(conds[0]->disableJudge, 0x10002u);
  EXPECT_EQ(conds[0]->hideJudge, 0u);
  EXPECT_EQ(conds[0]->lockJudge, 0x10007u);  // a forward number stays for the image build
  EXPECT_EQ(conds[1]->valueId, 38);
  EXPECT_EQ(conds[1]->disableJudge, 2u);  // by name: the plain number
  EXPECT_EQ(conds[1]->hideJudge, 4u);     // the failed Judge's name stays registered

  const auto actions = Entries(parse->actions.first);
  ASSERT_EQ(actions.size(), 2u);
  const auto a1 = Entries(actions[0]->entries);
  ASSERT_EQ(a1.size(), 1u);
  EXPECT_EQ(a1[0]->targetId, 63);
  EXPECT_EQ(a1[0]->value, 0u);
  const auto a2 = Entries(actions[1]->entries);
  ASSERT_EQ(a2.size(), 4u);
  EXPECT_EQ(a2[0]->targetId, 15);
  EXPECT_EQ(a2[0]->value, 38u);  // "Default": the colour option's default value
  EXPECT_EQ(a2[1]->targetId, 7);
  EXPECT_EQ(a2[1]->value, 2027u);
  const PageRecord* finish = FindPageByName(nullptr, "KPD_IDD_FINISH");
  ASSERT_NE(finish, nullptr);
  EXPECT_EQ(a2[2]->targetKind, 1);
  EXPECT_EQ(a2[2]->targetId, finish->pageId);
  EXPECT_EQ(a2[3]->targetId, 0);
  EXPECT_EQ(a2[3]->targetKind, 0);
  EXPECT_EQ(a2[3]->value, 7u);

  const auto transacts = Entries(parse->transacts.first);
  ASSERT_EQ(transacts.size(), 2u);  // Transact 9 without braces is refused
  const auto t3 = Entries(transacts[0]->entries);
  ASSERT_EQ(t3.size(), 2u);
  EXPECT_EQ(t3[0]->judge, 0x10005u);
  EXPECT_EQ(t3[0]->action, 0x30007u);
  EXPECT_EQ(t3[1]->judge, 0u);
  EXPECT_EQ(t3[1]->action, 1u);
  const auto t4 = Entries(transacts[1]->entries);
  ASSERT_EQ(t4.size(), 2u);
  EXPECT_EQ(t4[0]->judge, 1u);
  EXPECT_EQ(t4[0]->action, 0x30002u);
  EXPECT_EQ(t4[1]->judge, 0u);  // references of the wrong kind
  EXPECT_EQ(t4[1]->action, 0u);

  const auto alertActions = Entries(parse->alertActions.first);
  ASSERT_EQ(alertActions.size(), 1u);
  const AlertActionEntry* aa = alertActions[0]->entries;
  ASSERT_NE(aa, nullptr);
  EXPECT_EQ(aa->featureItemId, 647);
  EXPECT_EQ(aa->transact, 3u);
  WORD presetPage = 0, outputControl = 0;
  ASSERT_TRUE(FindPageIdByName("KPD_IDD_PRESET", &presetPage));
  ASSERT_TRUE(FindControlIdByName("KPD_IDC_PRESET_CHOICE_OUTPUT", &outputControl));
  EXPECT_EQ(aa->pageId, presetPage);
  EXPECT_EQ(aa->controlId, outputControl);
  EXPECT_NE(outputControl, 0);

  const auto alerts = Entries(parse->alerts.first);
  ASSERT_EQ(alerts.size(), 2u);
  const AlertEntry* al = alerts[0]->entries;
  WORD message = 0;
  ASSERT_TRUE(FindMessageIdByName("KPD_DuplexOnMessage", &message));
  EXPECT_EQ(al->judge, 0x10002u);
  EXPECT_EQ(al->messageId, message);
  EXPECT_EQ(al->icon, 0x10);
  EXPECT_EQ(al->buttons, 4);
  EXPECT_EQ(al->timing, 3);
  EXPECT_EQ(al->alertAction, 0x60001u);
  const AlertEntry* unknown = alerts[1]->entries;
  EXPECT_EQ(unknown->messageId, 0);
  EXPECT_EQ(unknown->icon, 0xFFFF);
  EXPECT_EQ(unknown->buttons, 0);
  EXPECT_EQ(unknown->timing, 0xFFFF);

  const auto rows = Entries(parse->exclusives.first);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0]->featureItemId, 647);
  EXPECT_EQ(rows[0]->disableJudge, 0x10001u);
  EXPECT_EQ(rows[0]->hideJudge, 0u);
  EXPECT_EQ(rows[0]->item, 1u);
  EXPECT_EQ(rows[0]->alert, 2u);
  EXPECT_EQ(rows[0]->transact, 3u);
  EXPECT_EQ(rows[0]->transact2, 0x40004u);
  EXPECT_EQ(rows[0]->lockJudge, 0x10003u);
  EXPECT_EQ(rows[1]->featureItemId, 680);
  EXPECT_EQ(rows[1]->hideJudge, 1u);
}

TEST_F(RuleStatements, BoundsAndBrokenLists) {
  std::string many = "*Action 1: {";
  for (DWORD i = 0; i <= kMaxListEntries; ++i) many += "{KPD_IDC_FUNCSELECTSTAPLE 1}";
  many += "}\n*Action 2: {{KPD_IDC_FUNCSELECTSTAPLE 1 KPD_IDC_FUNCSELECTPUNCH}}\n";
  many += "*Action 3: {{KPD_IDC_FUNCSELECTSTAPLE 99999999999}}\n*Action 4: {{KPD_IDC_FUNCSELECTSTAPLE 5}}\n";
  auto parse = kovatest::ParseText(many);
  ASSERT_NE(parse, nullptr);
  const auto actions = Entries(parse->actions.first);
  ASSERT_EQ(actions.size(), 2u);  // too many entries and a number out of range are malformed
  EXPECT_EQ(actions[0]->number, 2u);
  const auto a2 = Entries(actions[0]->entries);
  ASSERT_EQ(a2.size(), 2u);  // a field left over starts a second entry
  EXPECT_EQ(a2[1]->targetId, 62);
  EXPECT_EQ(actions[1]->number, 4u);
}

TEST_F(RuleStatements, JudgeInliningIsBounded) {
  std::string text = "*Judge 1=J1: KPD_IDC_FUNCSELECTSTAPLE\n";
  for (int i = 2; i <= 14; ++i) {
    text += "*Judge " + std::to_string(i) + "=J" + std::to_string(i) + ": J" + std::to_string(i - 1) + " && J" +
            std::to_string(i - 1) + "\n";
  }
  auto parse = kovatest::ParseText(text);
  ASSERT_NE(parse, nullptr);
  DWORD count = 0, largest = 0;
  for (const JudgeEntry* j = parse->judges.first; j; j = j->next) {
    ++count;
    largest = std::max(largest, j->size / 4);
  }
  EXPECT_LT(count, 14u);  // the doubling Judges stop at the word bound
  EXPECT_LE(largest, kMaxRuleWords);
}

}  // namespace

}  // namespace rule_compiler_test

#undef COLOR
#undef STAPLE
#undef PUNCH
