// Older private device-modes brought up to date by the model's conversion item, one version
// step at a time (tests/fixtures/model/convert.kmd read after the sample model), and the
// private duplex type reconciled with the public duplex on a model that offers every
// binding (tests/fixtures/model/duplex_types.kmd in place of the sample's duplex types).
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "context_fixture.h"
#include "model_test_util.h"
#include "stored/devmode_checks.h"
#include "fields/devmode_header.h"
#include "stored/devmode_merge.h"
#include "stored/devmode_upgrade.h"
#include "fields/dictionary_lookup.h"
#include "fields/field_access.h"
#include "base/memory.h"
#include "context/merge_public_fields.h"
#include "fields/product_record.h"
#include "model/model_image_build.h"
#include "win/devmode.h"

namespace kovatest {
namespace devmode_upgrade_test {
namespace {

constexpr DWORD kDocFlags = MERGE_IN_BUFFER | MERGE_DOCUMENT_ROAD;

constexpr WORD kConvertVersion = 1020;  // wdmConvertVersion
constexpr WORD kStandIn = 704;          // KPD_kdmJobfold, written in the rules in its place
constexpr WORD kOrientation = 7;        // dmOrientation
constexpr WORD kDuplex = 16;            // dmDuplex
constexpr WORD kFuncSelectDuplex = 58;  // kdmFuncSelectDuplex
constexpr WORD kDuplexType = 94;        // kdmDuplexType

std::string SampleModel() { return FixtureText(kPrinterModel); }

// The sample model with the block of `feature` left out.
std::string SampleWithout(const std::string& feature) {
  std::string text = SampleModel();
  const std::string open = "*OpenUI *" + feature + ":";
  const size_t begin = text.find(open);
  EXPECT_NE(begin, std::string::npos) << feature;
  const size_t close = text.find("*CloseUI", begin);
  EXPECT_NE(close, std::string::npos) << feature;
  if (begin == std::string::npos || close == std::string::npos) return text;
  return text.erase(begin, close + std::strlen("*CloseUI") - begin);
}

// A context of a printer whose data file holds `model`. Model images are kept per data
// file for the process, so each model text gets a data file of its own.
class SampleContextTest : public ContextTest {
 protected:
  void Start(const std::string& model, const std::u16string& name) {
    const std::u16string data = u"C:\\drv\\convert\\" + name + u".KMD";
    root_.WriteFile(data, model);
    ASSERT_NO_FATAL_FAILURE(StartContext(name, PrinterSpec::OwnDriver(u"KOVA " + name, data)));
    ASSERT_NE(ctx_->model, nullptr);
  }

  std::vector<BYTE> Own() const { return std::vector<BYTE>(ctx_->settings, ctx_->settings + GetTotalDevmodeSize()); }
  DWORD Raw(WORD id) { return ReadFieldRawById(ctx_, id); }
  void SetRaw(WORD id, DWORD v) { WriteFieldRawById(ctx_, id, v); }
  static void SetVersion(BYTE* devmode, DWORD version) { std::memcpy(devmode + kDmVersionPos, &version, 4); }
};

// ---------------------------------------------------------------------------------------
// Conversion.

// Points the conversion rules' stand-in field at wdmConvertVersion: the words of the
// Judges and the targets of the Actions numbered from 90 (the fixture's; the sample's
// own rules use lower numbers).
void PointAtConvertVersion(ModelParse* parse) {
  int judges = 0, actions = 0;
  for (JudgeEntry* j = parse->judges.first; j; j = j->next) {
    if (j->number < 90) continue;
    for (DWORD i = 0; i < j->size / sizeof(RuleWord); ++i) {
      if (j->program[i].kind == kRuleField && j->program[i].operand == kStandIn) {
        j->program[i].operand = kConvertVersion;
        ++judges;
      }
    }
  }
  for (auto* a = parse->actions.first; a; a = a->next) {
    if (a->number < 90) continue;
    for (ActionEntry* e = a->entries; e; e = e->next) {
      if (e->targetKind == 0 && e->targetId == kStandIn) {
        e->targetId = kConvertVersion;
        ++actions;
      }
    }
  }
  EXPECT_EQ(judges, 4);
  EXPECT_EQ(actions, 1);
}

class ConversionTest : public SampleContextTest {
 protected:
  // The sample printer's context works with the sample model and the conversion rules,
  // built from the edited parse.
  void SetUp() override {
    SampleContextTest::SetUp();
    Start(SampleModel(), u"Conversion Sample");
    ParsePtr parse = ParseText(SampleModel() + "\n" + ReadFixture("convert.kmd"));
    ASSERT_NE(parse, nullptr);
    PointAtConvertVersion(parse.get());
    image_ = CopyModelImage(parse.release());
    ASSERT_NE(image_, nullptr);
    sampleImage_ = ctx_->model;
    ctx_->model = image_;
    // The fields the steps change, at the values the steps move them from.
    SetRaw(Field("KPD_IDC_FUNCSELECTSORT"), 1);
    SetRaw(Field("KPD_IDC_STAPLETYPE"), 0);
    SetRaw(Field("KPD_IDC_PRESET_CHOICE_OUTPUT"), 0);
    SetRaw(Field("KPD_IDC_FUNCSELECTPUNCH"), 0);
  }
  void TearDown() override {
    if (ctx_) ctx_->model = sampleImage_;
    SampleContextTest::TearDown();
    FreeMem(image_);
  }

  static WORD Field(const char* name) {
    const ControlNameEntry* e = FindFeatureByName(name);
    EXPECT_NE(e, nullptr) << name;
    return e ? e->fieldId : 0;
  }
  // {collation, staple position, output tray} as the steps leave them.
  std::vector<DWORD> Changed() {
    return {Raw(Field("KPD_IDC_FUNCSELECTSORT")), Raw(Field("KPD_IDC_STAPLETYPE")),
            Raw(Field("KPD_IDC_PRESET_CHOICE_OUTPUT"))};
  }

  ModelImage* image_ = nullptr;
  const ModelImage* sampleImage_ = nullptr;
};

TEST(ConversionNames, TheStepSettingHasNoRuleName) {
  const ControlNameEntry* item = FindNameEntryByName("KPD_ConvertDevmode");
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->itemId, 90);
  EXPECT_EQ(item->fieldId, 0);
  const ControlNameTable* names = GetControlNameTable();
  for (DWORD i = 0; i < names->count; ++i) EXPECT_NE(names->entries[i].fieldId, kConvertVersion) << names->entries[i].name;
}

// A private device-mode of each older version, upgraded on the context as the merge does
// it: every step from the version after its own up to 322 runs the item's transacts.
TEST_F(ConversionTest, UpgradeRunsEveryStep) {
  struct Case {
    DWORD from;
    std::vector<DWORD> changed;  // collation, staple position, output tray
  } cases[] = {
      {315, {0, 2, 1}},  // steps 316 ... 322
      {321, {1, 0, 1}},  // step 322 alone
      {320, {1, 2, 1}},  // steps 321 and 322
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.from);
    SetRaw(Field("KPD_IDC_FUNCSELECTSORT"), 1);
    SetRaw(Field("KPD_IDC_STAPLETYPE"), 0);
    SetRaw(Field("KPD_IDC_PRESET_CHOICE_OUTPUT"), 0);
    SetVersion(ctx_->settings, c.from);
    EXPECT_EQ(CompareDevmodeVersion(ctx_->settings), VERSION_UPGRADE);
    EXPECT_EQ(UpgradeDevmodeIfOlder(ctx_->settings, ctx_), 1);
    EXPECT_EQ(Changed(), c.changed);
    EXPECT_EQ(Raw(kConvertVersion), 322u);
    EXPECT_EQ(ReadDevmodeVersion(ctx_->settings), 322u);
    EXPECT_EQ(CheckDevmodeVersion(ctx_->settings), 1);
  }
}

// A transact that sets the step setting to the target version ends the conversion after
// its step: with punching on, step 317 declares it done, and the steps after it never run.
// The rest of step 317's list already reads the new version, so the rule of step 322 that
// follows the one that ends it acts within that step.
TEST_F(ConversionTest, ATransactSettingTheVersionEndsTheConversion) {
  SetRaw(Field("KPD_IDC_FUNCSELECTPUNCH"), 1);
  EXPECT_EQ(RunDevmodeConversion(315, 322, ctx_), 1);
  EXPECT_EQ(Changed(), (std::vector<DWORD>{0, 0, 1}));  // step 321 never ran
  EXPECT_EQ(Raw(kConvertVersion), 322u);
  // From 317 on the rule that ends it is never reached.
  SetRaw(Field("KPD_IDC_FUNCSELECTSORT"), 1);
  EXPECT_EQ(RunDevmodeConversion(317, 322, ctx_), 1);
  EXPECT_EQ(Changed(), (std::vector<DWORD>{1, 2, 1}));
}

TEST_F(ConversionTest, NoStepsWithoutAGap) {
  for (DWORD from : {322u, 330u}) {
    SetRaw(kConvertVersion, 7);
    EXPECT_EQ(RunDevmodeConversion(from, 322, ctx_), 1);
    EXPECT_EQ(Changed(), (std::vector<DWORD>{1, 0, 0})) << from;
    EXPECT_EQ(Raw(kConvertVersion), 7u) << from;
  }
  // The current version is not upgraded at all.
  SetVersion(ctx_->settings, 322);
  EXPECT_EQ(UpgradeDevmodeIfOlder(ctx_->settings, ctx_), 0);
}

// Through the merge: an application's device-mode written by a 315 or a 321 driver keeps
// its private settings, brought up to date, and leaves the context at version 322.
TEST_F(ConversionTest, MergeUpgradesAnOlderPrivatePart) {
  struct Case {
    DWORD from;
    std::vector<DWORD> changed;
  } cases[] = {{315, {0, 2, 1}}, {321, {1, 0, 1}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.from);
    const std::vector<BYTE> fresh = Own();
    std::vector<BYTE> in = Own();
    SetVersion(in.data(), c.from);
    reinterpret_cast<DEVMODEW*>(in.data())->dmFields = 0;
    ASSERT_EQ(MergeDevmode(ctx_, reinterpret_cast<DEVMODEW*>(in.data()), kDocFlags), 1);
    EXPECT_EQ(Changed(), c.changed);
    EXPECT_EQ(ReadDevmodeVersion(ctx_->settings), 322u);
    EXPECT_EQ(CheckDevmodeVersion(ctx_->settings), 1);
    std::memcpy(ctx_->settings, fresh.data(), fresh.size());
  }
}

// The version word is read only from a private part that holds it: a device-mode of a
// public part alone (or a private part too short) has no version of this driver, whatever
// the bytes after it say.
TEST(DevmodeVersionRead, OnlyFromAPrivatePartThatHoldsIt) {
  struct Case {
    WORD size, extra;
    DWORD version;  // the word 137 bytes after dmSize, inside or past the device-mode
    int expected;
  };
  const Case cases[] = {
      {220, 1016, 321, VERSION_UPGRADE}, {220, 1016, 322, VERSION_ACCEPT}, {220, 1016, 200, VERSION_TOO_OLD},
      {220, 0, 321, -1},                 {220, 0, 200, -1},                {220, 140, 321, -1},
      {220, 141, 321, VERSION_UPGRADE},  {188, 0, 321, -1},                {188, 1016, 321, VERSION_UPGRADE},
      {200, 1016, 321, VERSION_TOO_OLD},
  };
  for (const Case& c : cases) {
    std::vector<BYTE> bytes(1300, 0);
    auto* dm = reinterpret_cast<DEVMODEW*>(bytes.data());
    dm->dmSpecVersion = DM_SPECVERSION;
    dm->dmSize = c.size;
    dm->dmDriverExtra = c.extra;
    std::memcpy(bytes.data() + c.size + 137, &c.version, sizeof c.version);
    EXPECT_EQ(CompareDevmodeVersion(bytes.data()), c.expected) << c.size << "+" << c.extra << " v" << c.version;
  }
}

// ---------------------------------------------------------------------------------------
// Duplex type against the public duplex.

class DuplexReconcileTest : public SampleContextTest {
 protected:
  void SetUp() override {
    SampleContextTest::SetUp();
    Start(SampleWithout("KPD_IDC_DUPLEXTYPE") + "\n" + ReadFixture("duplex_types.kmd"), u"Duplex Sample");
  }
};

TEST_F(DuplexReconcileTest, TypeFollowsTheBinding) {
  // Top binding: duplex 2 in landscape or 3 in portrait; side binding: the other two.
  struct Case {
    SHORT duplex, orientation;
    DWORD typeBefore, typeAfter;
  } cases[] = {
      // top binding
      {2, 2, 18, 17}, {3, 1, 18, 17}, {2, 2, 19, 17}, {2, 2, 21, 20}, {3, 1, 22, 20},
      {2, 2, 1, 1},   {3, 1, 17, 17}, {2, 2, 20, 20}, {3, 1, 2, 1},   {2, 2, 3, 1},
      // side binding
      {2, 1, 20, 22}, {3, 2, 20, 22}, {2, 1, 17, 19}, {3, 2, 17, 19}, {2, 1, 18, 18},
      {3, 2, 21, 21}, {2, 1, 2, 2},   {3, 2, 3, 3},   {2, 1, 1, 3},   {3, 2, 1, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "duplex " << c.duplex << " orientation " << c.orientation << " type "
                                    << c.typeBefore);
    SetRaw(kFuncSelectDuplex, 1);
    SetRaw(kDuplexType, c.typeBefore);
    SetRaw(kDuplex, static_cast<DWORD>(c.duplex));
    SetRaw(kOrientation, static_cast<DWORD>(c.orientation));
    SetRaw(6, Raw(6) | DM_DUPLEX | DM_ORIENTATION);
    std::vector<BYTE> in = Own();
    ReconcilePublicFields(ctx_->settings, in.data(), ctx_);
    EXPECT_EQ(Raw(kFuncSelectDuplex), 1u);
    EXPECT_EQ(Raw(kDuplexType), c.typeAfter);
  }
}

// With the duplex function off, a two-sided public duplex turns it on with the binding's
// first type.
TEST_F(DuplexReconcileTest, FunctionTurnedOnWithTheFirstType) {
  struct Case {
    SHORT duplex, orientation;
    DWORD typeAfter;
  } cases[] = {{2, 2, 1}, {3, 1, 1}, {2, 1, 3}, {3, 2, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "duplex " << c.duplex << " orientation " << c.orientation);
    SetRaw(kFuncSelectDuplex, 0);
    SetRaw(kDuplexType, 20);
    SetRaw(kDuplex, static_cast<DWORD>(c.duplex));
    SetRaw(kOrientation, static_cast<DWORD>(c.orientation));
    SetRaw(6, Raw(6) | DM_DUPLEX | DM_ORIENTATION);
    std::vector<BYTE> in = Own();
    ReconcilePublicFields(ctx_->settings, in.data(), ctx_);
    EXPECT_EQ(Raw(kFuncSelectDuplex), 1u);
    EXPECT_EQ(Raw(kDuplexType), c.typeAfter);
  }
}

// Through a whole merge: the application's public duplex and orientation come in, and the
// private type follows them.
TEST_F(DuplexReconcileTest, MergeOfThePublicDuplex) {
  struct Case {
    SHORT duplex, orientation;
    DWORD typeBefore, typeAfter;
  } cases[] = {{2, 2, 18, 17}, {2, 1, 20, 22}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "duplex " << c.duplex << " orientation " << c.orientation);
    SetRaw(kFuncSelectDuplex, 1);
    SetRaw(kDuplexType, c.typeBefore);
    std::vector<BYTE> in = Own();
    DEVMODEW* d = reinterpret_cast<DEVMODEW*>(in.data());
    d->dmFields = DM_DUPLEX | DM_ORIENTATION;
    d->dmDuplex = c.duplex;
    d->dmOrientation = c.orientation;
    ASSERT_EQ(MergeDevmode(ctx_, d, kDocFlags), 1);
    EXPECT_EQ(Raw(kDuplex), static_cast<DWORD>(c.duplex));
    EXPECT_EQ(Raw(kDuplexType), c.typeAfter);
  }
}

}  // namespace
}  // namespace devmode_upgrade_test
}  // namespace kovatest
