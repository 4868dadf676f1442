// Rule evaluation on a context: operands and operators, the stack's bounds, the disable,
// hide and lock tests, alerts and transacts, on small models, the rule fixture and the
// sample printer's model.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fields/field_access.h"
#include "fields/field_table.h"
#include "field_ids.h"
#include "image_fixture.h"
#include "model/option_lookup.h"
#include "model/rule_apply.h"

namespace rule_eval_test {

namespace {

using namespace kovatest;

// An image that is only a header and one program at 7996, for programs the compiler would
// never write.
class RawProgram {
 public:
  explicit RawProgram(const std::vector<RuleWord>& words) {
    const DWORD size = kModelHeaderSize + static_cast<DWORD>(words.size()) * 4;
    bytes_.assign(size, 0);
    StoreU32(bytes_.data() + kHdrTotalSize, size);
    for (std::size_t i = 0; i < words.size(); ++i) {
      StoreU16(bytes_.data() + kModelHeaderSize + 4 * i, words[i].kind);
      StoreU16(bytes_.data() + kModelHeaderSize + 4 * i + 2, words[i].operand);
    }
  }
  const ModelImage* image() const { return reinterpret_cast<const ModelImage*>(bytes_.data()); }
  ImageRef program() const { return ImageRef{image(), kModelHeaderSize}; }

 private:
  std::vector<BYTE> bytes_;
};

RuleWord Field(WORD id) { return {kRuleField, id}; }
RuleWord Literal(WORD v) { return {kRuleLiteral, v}; }
RuleWord Op(WORD code) { return {kRuleOperator, code}; }

constexpr WORD kLogging = fid::kdmLogging;         // u32 without a value map
constexpr WORD kStepNum = fid::kdm1StepOptionNum;  // u32 without a value map
constexpr WORD kFontName = fid::kdmHFFontName;     // 32-byte text

TEST(RuleEval, OperatorsCompareUnsigned32Bit) {
  FieldContext fc;
  RawProgram dummy({});
  RuleContext rc(dummy.image());
  WriteFieldRawById(rc.get(), kLogging, 0xFFFFFFFFu);
  WriteFieldRawById(rc.get(), kStepNum, 2);
  struct Case {
    std::vector<RuleWord> words;
    DWORD expected;
  } cases[] = {
      {{Field(kStepNum), Literal(2), Op(1), Op(10)}, 1},
      {{Field(kStepNum), Literal(3), Op(2), Op(10)}, 1},
      {{Field(kLogging), Literal(65535), Op(1), Op(10)}, 0},   // literals are 16-bit
      {{Field(kLogging), Literal(65535), Op(6), Op(10)}, 1},   // unsigned: all ones is the largest
      {{Field(kLogging), Literal(0), Op(7), Op(10)}, 0},
      {{Literal(3), Literal(3), Op(8), Op(10)}, 1},
      {{Literal(2), Literal(3), Op(9), Op(10)}, 1},
      {{Literal(2), Literal(0), Op(3), Op(10)}, 0},
      {{Literal(0), Literal(5), Op(4), Op(10)}, 1},
      {{Literal(0), Op(5), Op(10)}, 1},
      {{Literal(7), Op(5), Op(10)}, 0},
      {{Field(kStepNum), Op(10)}, 2},                          // RETURN gives the value itself
      {{Literal(4), {9, 9}, Op(11), Op(10)}, 4},               // other kinds and codes passed over
      {{Field(kStepNum), Field(kStepNum), Op(1), Op(10)}, 1},  // the same field read again
  };
  for (const Case& c : cases) {
    RawProgram p(c.words);
    rc.get()->model = p.image();
    EXPECT_EQ(EvaluateRuleExpression(p.program(), rc.get()), c.expected);
    EXPECT_EQ(rc.work().evalStackDepth, 0);
  }
}

TEST(RuleEval, StringFieldsGiveTheirLength) {
  RawProgram p({Field(kFontName), Op(10)});
  RuleContext rc(p.image());
  EXPECT_EQ(EvaluateRuleExpression(p.program(), rc.get()), 0u);
  SetFieldString(rc.get(), FindFieldById(rc.get(), kFontName), u"Arial");
  EXPECT_EQ(EvaluateRuleExpression(p.program(), rc.get()), 5u);
}

TEST(RuleEval, BadProgramsGiveZeroAndLeaveTheStackAsTheyFoundIt) {
  std::vector<RuleWord> overflow(300, Literal(1));
  overflow.push_back(Op(10));
  std::vector<RuleWord> deep(255, Literal(1));  // 3 entries below: 258 would not fit
  for (int i = 0; i < 254; ++i) deep.push_back(Op(3));
  deep.push_back(Op(10));
  struct Case {
    const char* what;
    std::vector<RuleWord> words;
  } cases[] = {
      {"an id without a settings field", {Literal(1), Field(0), Op(1), Op(10)}},
      {"popping an empty stack", {Op(1), Op(10)}},
      {"one operand for two", {Literal(1), Op(1), Op(10)}},
      {"RETURN on an empty stack", {Op(10)}},
      {"no RETURN before the block ends", {Literal(1), Literal(1), Op(1)}},
      {"more pushes than entries", overflow},
      {"deeper than the entries left", deep},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RawProgram p(c.words);
    RuleContext rc(p.image());
    // An evaluation that starts above zero (inside another) puts the depth back there and
    // leaves the entries below untouched.
    rc.work().evalStack[0] = 111;
    rc.work().evalStack[1] = 222;
    rc.work().evalStack[2] = 333;
    rc.work().evalStackDepth = 3;
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(EvaluateRuleExpression(p.program(), rc.get()), 0u);
    EXPECT_EQ(rc.work().evalStackDepth, 3);
    EXPECT_EQ(rc.work().evalStack[0], 111);
    EXPECT_EQ(rc.work().evalStack[2], 333);
  }
}

TEST(RuleEval, NoProgramNoStackOrNoContextIsZero) {
  RawProgram p({Literal(1), Op(10)});
  RuleContext rc(p.image());
  EXPECT_EQ(EvaluateRuleExpression(ImageRef{}, rc.get()), 0u);
  EXPECT_EQ(EvaluateRuleExpression(p.program(), nullptr), 0u);
  DestroyEvalStack(rc.get());
  EXPECT_EQ(EvaluateRuleExpression(p.program(), rc.get()), 0u);
  EXPECT_EQ(CreateEvalStack(rc.get()), 0);
  EXPECT_EQ(EvaluateRuleExpression(p.program(), rc.get()), 1u);
}

TEST(RuleEval, ComputedItemsAndTheCoreJudgeHook) {
  RawProgram orient({Field(819), Op(10)});
  RawProgram core({Field(1420), Op(10)});
  RawProgram reserved({Field(1421), Op(10)});
  RawProgram uncomputed({Field(723), Op(10)});
  RuleContext rc(orient.image());
  WriteFieldRawById(rc.get(), 7, 2);  // landscape
  EXPECT_EQ(EvaluateRuleExpression(orient.program(), rc.get()), 1u);
  EXPECT_EQ(EvaluateRuleExpression(uncomputed.program(), rc.get()), 0u);
  EXPECT_EQ(EvaluateRuleExpression(core.program(), rc.get()), 0u);
  WriteFieldRawById(rc.get(), 348, 0x100);
  WriteFieldRawById(rc.get(), 601, 1);
  WriteFieldRawById(rc.get(), 705, 1);
  EXPECT_EQ(JudgeHookCore00(rc.get()), 1u);
  EXPECT_EQ(EvaluateRuleExpression(core.program(), rc.get()), 1u);
  WriteFieldRawById(rc.get(), 704, 1);  // the job-fold bit
  EXPECT_EQ(JudgeHookCore00(rc.get()), 0u);
  EXPECT_EQ(EvaluateRuleExpression(reserved.program(), rc.get()), 0u);
}

constexpr const char* kModel = R"(*FileVersion: 9.02
*OpenUI *KPD_RADIOLIST_1: PickOne
*KPD_RADIOLIST_1 KDMORIENTATION_1: "portrait"
*KPD_RADIOLIST_1 KDMORIENTATION_2: "landscape"
*CloseUI
*OpenUI *KPD_IDC_FUNCSELECTSTAPLE: Boolean
*CloseUI
*OpenUI *KPD_IDC_FUNCSELECTPUNCH: Boolean
*CloseUI
*Judge 1=Landscape: KPD_RADIOLIST_1 == KDMORIENTATION_2
*Judge 2=StapleOn: KPD_IDC_FUNCSELECTSTAPLE == 1
*Judge 3=PunchOn: KPD_IDC_FUNCSELECTPUNCH == 1
*Item 1: {{KDMORIENTATION_1 StapleOn PunchOn Landscape}}
*Action 1=StapleOff: {{KPD_IDC_FUNCSELECTSTAPLE 0}}
*Action 2=PunchOnNow: {{KPD_IDC_FUNCSELECTPUNCH 1}}
*Action 3=OpenFinish: {{KPD_IDD_FINISH 0} {KPD_IDC_FUNCSELECTPUNCH 1}}
*Transact 1=Off: {{Landscape StapleOff} {Landscape PunchOnNow}}
*Transact 2=Page: {{NULL PunchOnNow} {NULL OpenFinish} {NULL StapleOff}}
*AlertAction 1=Fix: {{KPD_RADIOLIST_1 Off KPD_IDD_PRESET KPD_IDC_PRESET_CHOICE_OUTPUT}}
*Alert 1=Warn: {{PunchOn KPD_DuplexOnMessage MB_ICONSTOP MB_OK AlertDialog Fix}}
*Exclusive: {
  {KPD_RADIOLIST_1 StapleOn PunchOn Item1 Warn Off Page Landscape}
}
)";

TEST(RuleApply, DisableHideLockOfTheFeatureAndItsValues) {
  auto image = BuildImage(kModel);
  ASSERT_NE(image, nullptr);
  RuleContext rc(image.get());
  const ImageRef radio = FindOptionRecord(7, rc.get());
  ASSERT_TRUE(radio);
  const WORD portrait = ValueId("KDMORIENTATION_1"), landscape = ValueId("KDMORIENTATION_2");
  struct Case {
    DWORD staple, punch, orientation;
    int disabled, hidden, locked, portraitDisabled, portraitHidden, portraitLocked;
  } cases[] = {
      {0, 0, 1, 0, 0, 0, 0, 0, 0},
      {1, 0, 1, 1, 0, 0, 1, 0, 0},
      {0, 1, 1, 0, 1, 0, 0, 1, 0},
      {0, 0, 2, 0, 0, 1, 0, 0, 1},
  };
  for (const Case& c : cases) {
    WriteFieldRawById(rc.get(), 63, c.staple);
    WriteFieldRawById(rc.get(), 62, c.punch);
    WriteFieldRawById(rc.get(), 7, c.orientation);
    EXPECT_EQ(IsItemDisabled(radio, 0, rc.get()), c.disabled);
    EXPECT_EQ(IsItemHidden(radio, 0, rc.get()), c.hidden);
    EXPECT_EQ(EvaluateLockCondition(radio, 0, rc.get()), c.locked);
    EXPECT_EQ(IsItemDisabled(radio, portrait, rc.get()), c.portraitDisabled);
    EXPECT_EQ(IsItemHidden(radio, portrait, rc.get()), c.portraitHidden);
    EXPECT_EQ(EvaluateLockCondition(radio, portrait, rc.get()), c.portraitLocked);
    // A value without an item condition is never disabled or hidden.
    EXPECT_EQ(IsItemDisabled(radio, landscape, rc.get()), 0);
    EXPECT_EQ(IsItemHidden(radio, landscape, rc.get()), 0);
  }
  // An option without a block is enabled and shown.
  const ImageRef staple = FindOptionRecord(63, rc.get());
  WriteFieldRawById(rc.get(), 63, 1);
  EXPECT_EQ(IsItemDisabled(staple, 0, rc.get()), 0);
  EXPECT_EQ(FindEnabledOption(7, rc.get(), kOptionNotDisabled), ImageRef{});
  EXPECT_EQ(FindEnabledOption(7, rc.get(), kOptionNotHidden), radio);
}

TEST(RuleApply, AlertsTransactsAndAlertActions) {
  auto image = BuildImage(kModel);
  RuleContext rc(image.get());
  const ImageRef radio = FindOptionRecord(7, rc.get());
  EXPECT_EQ(FindActiveAlert(radio, rc.get()), 0);
  WriteFieldRawById(rc.get(), 62, 1);
  WORD message = 0;
  ASSERT_TRUE(FindMessageIdByName("KPD_DuplexOnMessage", &message));
  EXPECT_EQ(FindActiveAlert(radio, rc.get()), message);

  // Transact Off: landscape turns staple off and punch on.
  WriteFieldRawById(rc.get(), 62, 0);
  WriteFieldRawById(rc.get(), 63, 1);
  WriteFieldRawById(rc.get(), 7, 1);
  EXPECT_EQ(ApplyOptionTransacts(radio, rc.get()), 0);
  EXPECT_EQ(ReadFieldRawById(rc.get(), 63), 1u);
  WriteFieldRawById(rc.get(), 7, 2);
  EXPECT_EQ(ApplyConditionBlockTransacts(OptionItemId(radio), rc.get()), 0);
  EXPECT_EQ(ReadFieldRawById(rc.get(), 63), 0u);
  EXPECT_EQ(ReadFieldRawById(rc.get(), 62), 1u);

  // The second list opens a page: what follows the page action is not applied.
  WORD finish = 0;
  ASSERT_TRUE(FindPageIdByName("KPD_IDD_FINISH", &finish));
  WriteFieldRawById(rc.get(), 62, 0);
  WriteFieldRawById(rc.get(), 63, 1);
  const ImageRef block = OptionCondition(radio);
  EXPECT_EQ(ApplyTransacts(block.Tagged(cond::kTransacts2), rc.get()), finish);
  EXPECT_EQ(ReadFieldRawById(rc.get(), 62), 1u);  // the first entry ran
  EXPECT_EQ(ReadFieldRawById(rc.get(), 63), 1u);  // the third did not

  // The alert action runs the transacts of the entry with that feature item id.
  const ImageRef alertEntry = block.Tagged(cond::kAlerts);
  const ImageRef actions = alertEntry.Tagged(alert::kAlertActions);
  WriteFieldRawById(rc.get(), 7, 2);
  WriteFieldRawById(rc.get(), 63, 1);
  EXPECT_EQ(RunAlertAction(actions, 1, rc.get()), 0);
  EXPECT_EQ(ReadFieldRawById(rc.get(), 63), 1u);
  EXPECT_EQ(RunAlertAction(actions, OptionItemId(radio), rc.get()), 0);
  EXPECT_EQ(ReadFieldRawById(rc.get(), 63), 0u);
  // The alert's action for an answer: the answer is the entry's key.
  WriteFieldRawById(rc.get(), 63, 1);
  EXPECT_EQ(RunAlertActionForControl(radio, alertEntry, 1, rc.get()), 0);
  EXPECT_EQ(ReadFieldRawById(rc.get(), 63), 1u);
  EXPECT_EQ(RunAlertActionForControl(radio, alertEntry, OptionItemId(radio), rc.get()), 0);
  EXPECT_EQ(ReadFieldRawById(rc.get(), 63), 0u);
  WriteFieldRawById(rc.get(), 63, 1);
  EXPECT_EQ(RunAlertActionForControl(radio, ImageRef{}, OptionItemId(radio), rc.get()), 0);
  EXPECT_EQ(ReadFieldRawById(rc.get(), 63), 1u);
  EXPECT_EQ(ApplyConditionBlockTransacts(9999, rc.get()), 0);
}

TEST(RuleApply, AFailedEntryIsNotEvaluatedAgainForTheSameProgram) {
  // Off's two entries share the program Landscape: the second is passed over when the
  // first did not hold, so PunchOnNow does not run in portrait.
  auto image = BuildImage(kModel);
  RuleContext rc(image.get());
  WriteFieldRawById(rc.get(), 7, 1);
  WriteFieldRawById(rc.get(), 62, 0);
  const ImageRef block = OptionCondition(FindOptionRecord(7, rc.get()));
  const ImageRef list = block.Tagged(cond::kTransacts);
  EXPECT_EQ(list.Tagged(transact::kProgram), list.Tagged(transact::kNext).Tagged(transact::kProgram));
  EXPECT_EQ(ApplyTransacts(list, rc.get()), 0);
  EXPECT_EQ(ReadFieldRawById(rc.get(), 62), 0u);
}

TEST(RuleApply, TheRuleFixtureDecides) {
  auto image = BuildFixtureImage("rules.kmd");
  ASSERT_NE(image, nullptr);
  RuleContext rc(image.get());
  const ImageRef color = FindOptionByItemId(Feature("KPD_IDC_PRESET_CHOICE_COLOR")->itemId, rc.get());
  ASSERT_TRUE(color);
  const WORD mono = ValueId("KDMCOLOR_1"), full = ValueId("KDMCOLOR_2");
  SetFieldValueById(rc.get(), 15, full);
  WriteFieldRawById(rc.get(), 63, 0);
  EXPECT_EQ(IsItemDisabled(color, 0, rc.get()), 0);  // Judge1: colour is mono
  SetFieldValueById(rc.get(), 15, mono);
  EXPECT_EQ(IsItemDisabled(color, 0, rc.get()), 1);
  EXPECT_EQ(IsItemDisabled(color, mono, rc.get()), 0);  // StapleOn
  WriteFieldRawById(rc.get(), 63, 1);
  EXPECT_EQ(IsItemDisabled(color, mono, rc.get()), 1);
  EXPECT_EQ(IsItemDisabled(color, full, rc.get()), 1);
  EXPECT_EQ(IsItemHidden(color, full, rc.get()), 0);  // the failed Judge gives no program
  EXPECT_EQ(EvaluateLockCondition(color, mono, rc.get()), 0);  // Judge7 does not exist
  // Judge3: IsMono && (StapleOn || punch).
  EXPECT_EQ(EvaluateLockCondition(color, 0, rc.get()), 1);
  // StapleAlert: Judge2 (staple on).
  WORD message = 0;
  ASSERT_TRUE(FindMessageIdByName("KPD_DuplexOnMessage", &message));
  EXPECT_EQ(FindActiveAlert(color, rc.get()), message);
  // MonoStaple: the entry whose Judge failed has no program and holds; StapleOff runs.
  EXPECT_EQ(ApplyOptionTransacts(color, rc.get()), 0);
  EXPECT_EQ(ReadFieldRawById(rc.get(), 63), 0u);
}

TEST(RuleApply, TheSampleModelDecides) {
  std::ifstream in(kovatest::FixturePath(kovatest::kPrinterModel), std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  auto image = BuildImage(ss.str());
  ASSERT_NE(image, nullptr);
  RuleContext rc(image.get());
  auto option = [&](const char* name) { return FindOptionByItemId(Feature(name)->itemId, rc.get()); };
  const ImageRef staple = option("KPD_IDC_FUNCSELECTSTAPLE");
  const ImageRef stapleType = option("KPD_IDC_STAPLETYPE");
  const ImageRef media = option("KPD_IDC_PRESET_CHOICE_MEDIATYPE");
  const ImageRef duplex = option("KPD_IDC_FUNCSELECTDUPLEX");
  ASSERT_TRUE(staple && stapleType && media && duplex);
  // No stapler installed: stapling is disabled; stapling off: its type is disabled.
  WriteFieldRawById(rc.get(), 10071, 0);
  EXPECT_EQ(IsItemDisabled(staple, 0, rc.get()), 1);
  EXPECT_EQ(IsItemHidden(stapleType, 0, rc.get()), 1);
  WriteFieldRawById(rc.get(), 10071, 1);
  EXPECT_EQ(IsItemDisabled(staple, 0, rc.get()), 0);
  WriteFieldRawById(rc.get(), 63, 0);
  EXPECT_EQ(IsItemDisabled(stapleType, 0, rc.get()), 1);
  WriteFieldRawById(rc.get(), 63, 1);
  EXPECT_EQ(IsItemDisabled(stapleType, 0, rc.get()), 0);
  // Transparencies: duplex raises the duplex alert, and the media's transacts turn the
  // finishing off.
  SetFieldValueById(rc.get(), 54, ValueId("KDMMEDIATYPE_2"));
  WORD message = 0;
  ASSERT_TRUE(FindMessageIdByName("KPD_DuplexOnMessage", &message));
  EXPECT_EQ(FindActiveAlert(duplex, rc.get()), message);
  WriteFieldRawById(rc.get(), 62, 1);
  EXPECT_EQ(ApplyOptionTransacts(media, rc.get()), 0);
  EXPECT_EQ(ReadFieldRawById(rc.get(), 63), 0u);
  EXPECT_EQ(ReadFieldRawById(rc.get(), 62), 0u);
  // Transparencies are not offered while duplex is on.
  WriteFieldRawById(rc.get(), 58, 1);
  EXPECT_EQ(IsItemDisabled(media, ValueId("KDMMEDIATYPE_2"), rc.get()), 1);
  WriteFieldRawById(rc.get(), 58, 0);
  EXPECT_EQ(IsItemDisabled(media, ValueId("KDMMEDIATYPE_2"), rc.get()), 0);
}

TEST(RuleApply, CustomMediaBeyondTheCountIsDisabled) {
  const std::string text = R"(*FileVersion: 9.02
*OpenUI *KPD_IDC_PRESET_CHOICE_MEDIATYPE: PickOne
*KPD_IDC_PRESET_CHOICE_MEDIATYPE KDMMEDIATYPE_1: "plain"
*KPD_IDC_PRESET_CHOICE_MEDIATYPE KDMMEDIATYPE_1025: "custom 1"
*KPD_IDC_PRESET_CHOICE_MEDIATYPE KDMMEDIATYPE_1026: "custom 2"
*CloseUI
*Judge 1: KPD_IDC_FUNCSELECTSTAPLE == 1
*Item 1: {{KDMMEDIATYPE_1025 NULL NULL NULL}}
*Exclusive: {{KPD_IDC_PRESET_CHOICE_MEDIATYPE NULL NULL Item1 NULL NULL NULL NULL}}
)";
  auto image = BuildImage(text);
  ASSERT_NE(image, nullptr);
  RuleContext rc(image.get());
  const ImageRef media = FindOptionRecord(54, rc.get());
  const WORD custom1 = ValueId("KDMMEDIATYPE_1025"), custom2 = ValueId("KDMMEDIATYPE_1026");
  ASSERT_EQ(custom1, 13708);
  WriteFieldRawById(rc.get(), 1495, 1);  // one custom media in use
  // Without the custom-media model mark the entries follow their own rules only.
  EXPECT_EQ(IsItemDisabled(media, custom1, rc.get()), 0);
  EXPECT_EQ(IsItemDisabled(media, custom2, rc.get()), 0);
  rc.work().specialModelMask = 1;
  EXPECT_EQ(IsItemDisabled(media, custom1, rc.get()), 0);
  EXPECT_EQ(IsItemDisabled(media, custom2, rc.get()), 1);  // entry 2 is not in use
  WriteFieldRawById(rc.get(), 1495, 0);
  EXPECT_EQ(IsItemDisabled(media, custom1, rc.get()), 1);
  WriteFieldRawById(rc.get(), 10420, 1);  // the media lock keeps a value that has its own rule
  EXPECT_EQ(IsItemDisabled(media, custom1, rc.get()), 0);
  EXPECT_EQ(IsItemDisabled(media, custom2, rc.get()), 1);
}

TEST(RuleApply, CapabilityConditions) {
  RawProgram dummy({});
  RuleContext rc(dummy.image());
  EXPECT_EQ(CapabilityFeature(10014), 244);
  EXPECT_EQ(CapabilityFeature(10045), 275);
  EXPECT_EQ(CapabilityFeature(10353), 510);
  EXPECT_EQ(CapabilityFeature(10110), 0);
  // 244 and 245 are one-bit fields of the device-mode.
  WriteFieldRawById(rc.get(), 244, 1);
  WriteFieldRawById(rc.get(), 245, 0);
  const CapabilityCondition unknown{nullptr, 0, 10200, 1};
  EXPECT_EQ(MatchCapabilityConditions(rc.get(), &unknown), 1);
  EXPECT_EQ(MatchCapabilityConditions(rc.get(), nullptr), 1);
  // Walks of the condition lists (244 reads 1, 245 reads 0).
  struct Case {
    const char* what;
    std::vector<CapabilityCondition> list;
    int expected;
  } cases[] = {
      {"equal, flags 0: met", {{nullptr, 0, 10014, 1}}, 1},
      {"not equal, flags 0", {{nullptr, 0, 10015, 1}}, 0},
      {"equal with flags 0 ends the walk", {{nullptr, 0, 10014, 1}, {nullptr, 0, 10015, 1}}, 1},
      {"equal with flags 1 goes on to the next", {{nullptr, 1, 10014, 1}, {nullptr, 0, 10015, 1}}, 0},
      {"equal with bit 1 goes on", {{nullptr, 2, 10014, 1}, {nullptr, 0, 10014, 1}}, 1},
      {"not equal skips the bit-1 run and the flags-0 one after it",
       {{nullptr, 2, 10015, 1}, {nullptr, 0, 10014, 1}}, 0},
      {"not equal and more to come: no", {{nullptr, 4, 10015, 1}, {nullptr, 0, 10014, 1}}, 0},
      {"codes in no range are passed over", {{nullptr, 4, 10200, 1}, {nullptr, 0, 10014, 1}}, 1},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (std::size_t i = 0; i + 1 < c.list.size(); ++i) c.list[i].next = &c.list[i + 1];
    EXPECT_EQ(MatchCapabilityConditions(rc.get(), c.list.data()), c.expected);
  }
}

}  // namespace

namespace {

using namespace kovatest;

TEST(RuleApply, FreeSizeOptionsAreTestedWithTheInputTypeSetToOne) {
  // No feature name reaches field 340 or 1019, so the image is patched: the orientation
  // option becomes feature 340, and its disable rule reads field 1019.
  auto image = BuildImage(R"(*FileVersion: 9.02
*Judge 1: KPD_Logging == 1
*OpenUI *KPD_RADIOLIST_1: PickOne
*KPD_RADIOLIST_1 KDMORIENTATION_1: "portrait"
*CloseUI
*Exclusive: {{KPD_RADIOLIST_1 Judge1 NULL NULL NULL NULL NULL NULL}}
)");
  ASSERT_NE(image, nullptr);
  RuleContext rc(image.get());
  const ImageRef option = FindOptionRecord(7, rc.get());
  ASSERT_TRUE(option);
  BYTE* bytes = const_cast<BYTE*>(ImageBytes(image.get()));
  ASSERT_EQ(LoadU16(bytes + kModelHeaderSize + 2), 10275);
  StoreU16(bytes + kModelHeaderSize + 2, 1019);
  StoreU16(bytes + option.offset + opt::kFeatureId, 340);
  StoreU32(bytes + kHdrSlots + 4 * 7, 0);
  StoreU32(bytes + kHdrSlots + 4 * 340, option.offset);

  SettingField* inputType = FindFieldById(rc.get(), 1019);
  ASSERT_NE(inputType, nullptr);
  WriteFieldRawById(rc.get(), 1019, 2);
  const WORD marks = inputType->marks;
  const DWORD flags = rc.work().changeFlags;
  // Disabled while 1019 reads 1: no enabled option; the field is as it was.
  EXPECT_FALSE(GetOptionForFeature(340, rc.get()));
  EXPECT_EQ(FindOptionRecord(340, rc.get()), option);
  EXPECT_EQ(ReadFieldRawById(rc.get(), 1019), 2u);
  EXPECT_EQ(inputType->marks, marks);
  EXPECT_EQ(rc.work().changeFlags, flags);
  // The rule turned round (1019 != 1): the option is enabled under the test.
  StoreU16(bytes + kModelHeaderSize + 10, 2);
  EXPECT_EQ(GetOptionForFeature(340, rc.get()), option);
  EXPECT_EQ(ReadFieldRawById(rc.get(), 1019), 2u);
  EXPECT_EQ(GetOptionForFeature(7, rc.get()), ImageRef{});
}

}  // namespace

}  // namespace rule_eval_test
