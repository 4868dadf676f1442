#include <gtest/gtest.h>

#include "model_context.h"
#include "base/deliverable.h"
#include "field_ids.h"
#include "model/option_lookup.h"
#include "model/option_rules.h"

namespace kovatest {
namespace option_rules_test {
namespace {

// The bin 257 is disabled while duplex is on and hidden while sorting is on; the
// resolution option as a whole is disabled while duplex is on; the duplex switch has no
// condition block.
const char kModel[] = R"(*FileVersion: "9.02"
*OpenUI *KPD_IDC_FUNCSELECTDUPLEX: Boolean
*DefaultKPD_IDC_FUNCSELECTDUPLEX: False
*CloseUI
*OpenUI *KPD_IDC_FUNCSELECTSORT: Boolean
*DefaultKPD_IDC_FUNCSELECTSORT: False
*CloseUI
*OpenUI *KPD_IDC_PRESET_CHOICE_SOURCETRAY: PickSlot
*DefaultKPD_IDC_PRESET_CHOICE_SOURCETRAY: KDMDEFAULTSOURCE_7
*KPD_IDC_PRESET_CHOICE_SOURCETRAY KDMDEFAULTSOURCE_7: "auto"
*KPD_IDC_PRESET_CHOICE_SOURCETRAY KDMDEFAULTSOURCE_4: "manual"
*KPD_IDC_PRESET_CHOICE_SOURCETRAY KDMDEFAULTSOURCE_257: "tray1"
*CloseUI
*OpenUI *KPD_IDC_DSTRESOLUTIONW: PickOne
*DefaultKPD_IDC_DSTRESOLUTIONW: KDMDSTRESOLUTIONW_600
*KPD_IDC_DSTRESOLUTIONW KDMDSTRESOLUTIONW_600: "600"
*KPD_IDC_DSTRESOLUTIONW KDMDSTRESOLUTIONW_1200: "1200"
*CloseUI
*Judge 1=DuplexOn: KPD_IDC_FUNCSELECTDUPLEX == 1
*Judge 2=SortOn: KPD_IDC_FUNCSELECTSORT == 1
*Item 1=TrayItems: {
  {KDMDEFAULTSOURCE_257 DuplexOn SortOn NULL}
  {KDMDEFAULTSOURCE_4 NULL NULL NULL}
}
*Exclusive: {
  {KPD_IDC_PRESET_CHOICE_SOURCETRAY NULL NULL TrayItems NULL NULL NULL NULL}
  {KPD_IDC_DSTRESOLUTIONW DuplexOn SortOn NULL NULL NULL NULL NULL}
}
)";

class OptionRules : public ::testing::Test {
 protected:
  void TearDown() override { SetDeliverable(Deliverable::Interface); }
  ModelContext mc{kModel};
  WORD Ordinal(WORD feature) { return OptionItemId(FindOptionRecord(feature, mc.ctx())); }
};

struct DisabledCase {
  const char* what;
  Deliverable deliverable;
  WORD feature;
  const char* value;  // null: value id 0
  DWORD duplex;
  int expected;
};

TEST_F(OptionRules, IsOptionValueDisabledByDeliverable) {
  const DisabledCase cases[] = {
      {"entry whose rule is false", Deliverable::Interface, fid::dmDefaultSource, "KDMDEFAULTSOURCE_257", 0, 0},
      {"entry whose rule holds", Deliverable::Interface, fid::dmDefaultSource, "KDMDEFAULTSOURCE_257", 1, 1},
      {"entry without a rule", Deliverable::Interface, fid::dmDefaultSource, "KDMDEFAULTSOURCE_4", 1, 0},
      {"value without an entry", Deliverable::Interface, fid::dmDefaultSource, "KDMDEFAULTSOURCE_7", 0, 1},
      {"option's own rule", Deliverable::Interface, fid::kdmDstResolutionW, nullptr, 1, 1},
      {"option's own rule false", Deliverable::Interface, fid::kdmDstResolutionW, nullptr, 0, 0},
      {"option without a block, value 0", Deliverable::Interface, fid::kdmFuncSelectDuplex, nullptr, 0, 0},
      {"option without a block, a value", Deliverable::Interface, fid::kdmFuncSelectDuplex, "KDMDEFAULTSOURCE_4", 0, 1},
      {"feature without an option", Deliverable::Interface, fid::dmPaperSize, nullptr, 0, -1},
      {"api: entry whose rule holds", Deliverable::SettingsApi, fid::dmDefaultSource, "KDMDEFAULTSOURCE_257", 1, 1},
      {"api: entry whose rule is false", Deliverable::SettingsApi, fid::dmDefaultSource, "KDMDEFAULTSOURCE_257", 0, 0},
      {"api: value without an entry", Deliverable::SettingsApi, fid::dmDefaultSource, "KDMDEFAULTSOURCE_7", 0, 1},
      {"api: option's own rule", Deliverable::SettingsApi, fid::kdmDstResolutionW, nullptr, 1, 1},
      {"api: option without a block", Deliverable::SettingsApi, fid::kdmFuncSelectDuplex, nullptr, 0, -1},
      {"api: feature without an option", Deliverable::SettingsApi, fid::dmPaperSize, nullptr, 0, -1},
  };
  for (const DisabledCase& c : cases) {
    SetDeliverable(c.deliverable);
    mc.SetRaw(fid::kdmFuncSelectDuplex, c.duplex);
    const WORD valueId = c.value ? ModelContext::Id(c.value) : 0;
    EXPECT_EQ(IsOptionValueDisabled(mc.ctx(), c.feature, valueId), c.expected) << c.what;
  }
}

TEST_F(OptionRules, ConditionBlockRulesByOrdinal) {
  const WORD tray = Ordinal(fid::dmDefaultSource);
  const WORD resolution = Ordinal(fid::kdmDstResolutionW);
  const WORD duplex = Ordinal(fid::kdmFuncSelectDuplex);
  const WORD tray257 = ModelContext::Id("KDMDEFAULTSOURCE_257");
  ASSERT_NE(tray, 0);
  ASSERT_NE(resolution, 0);
  struct Case {
    WORD ordinal, item;
    DWORD duplex, sort;
    int disabled, hidden;
  } cases[] = {
      {tray, 0, 1, 1, 0, 0},               // the block's own rules are empty
      {tray, tray257, 0, 0, 0, 0},
      {tray, tray257, 1, 0, 1, 0},
      {tray, tray257, 0, 1, 0, 1},
      {tray, ModelContext::Id("KDMDEFAULTSOURCE_7"), 1, 1, 0, 0},  // no entry: no rule
      {resolution, 0, 1, 0, 1, 0},
      {resolution, 0, 0, 1, 0, 1},
      {duplex, 0, 1, 1, -1, -1},           // no block
      {0, 0, 1, 1, -1, -1},
  };
  for (const Case& c : cases) {
    mc.SetRaw(fid::kdmFuncSelectDuplex, c.duplex);
    mc.SetRaw(fid::kdmFuncSelectSort, c.sort);
    EXPECT_EQ(IsConditionBlockDisabled(c.ordinal, c.item, mc.ctx()), c.disabled) << c.ordinal << "/" << c.item;
    EXPECT_EQ(IsConditionBlockHidden(c.ordinal, c.item, mc.ctx()), c.hidden) << c.ordinal << "/" << c.item;
  }
}

TEST(OptionRulesNoModel, EveryQuestionIsUnanswerable) {
  ModelContext none;
  EXPECT_EQ(IsOptionValueDisabled(none.ctx(), fid::dmDefaultSource, 1), -1);
  EXPECT_EQ(IsConditionBlockDisabled(1, 0, none.ctx()), -1);
  EXPECT_EQ(IsConditionBlockHidden(1, 0, none.ctx()), -1);
  EXPECT_EQ(IsOptionValueDisabled(nullptr, fid::dmDefaultSource, 1), -1);
}

}  // namespace
}  // namespace option_rules_test
}  // namespace kovatest
