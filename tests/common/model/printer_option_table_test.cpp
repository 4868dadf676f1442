#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "model_context.h"
#include "fields/product_record.h"
#include "field_ids.h"
#include "model/printer_option_table.h"

namespace kovatest {
namespace {

class PrinterOptions : public ::testing::Test {
 protected:
  DriverContext* ctx() { return mc_.ctx(); }
  void Set(WORD id, DWORD value) { mc_.SetRaw(id, value); }
  void Model(const char16_t* name) {
    std::memset(mc_.work().modelName, 0, sizeof(mc_.work().modelName));
    std::char_traits<char16_t>::copy(mc_.work().modelName, name, std::char_traits<char16_t>::length(name));
  }
  // The values of a key as GetCapabilityValues gives them, sized by a first call.
  std::vector<std::int32_t> Values(WORD key) {
    DWORD count = 99;
    const int first = GetCapabilityValues(ctx(), key, 0, nullptr, &count);
    if (first == CAPS_OK) {
      EXPECT_EQ(count, 0u);
      return {};
    }
    EXPECT_EQ(first, CAPS_MORE);
    std::vector<std::int32_t> v(count, -7);
    DWORD got = 0;
    EXPECT_EQ(GetCapabilityValues(ctx(), key, count, v.data(), &got), CAPS_OK);
    EXPECT_EQ(got, count);
    return v;
  }
  ModelContext mc_;
};

using V = std::vector<std::int32_t>;

const PrinterOptionRecord* ByName(const PrinterOptionTable* t, const char* name) {
  for (DWORD i = 0; i < t->count; ++i) {
    if (std::strcmp(t->records[i].name, name) == 0) return &t->records[i];
  }
  return nullptr;
}

TEST(PrinterOptionTables, RecordCountsAndOrder) {
  const PrinterOptionTable* d = GetPrinterOptionTable(0);
  const PrinterOptionTable* a = GetPrinterOptionTable(1);
  const PrinterOptionTable* b = GetPrinterOptionTable(2);
  ASSERT_TRUE(d && a && b);
  EXPECT_EQ(GetPrinterOptionTable(3), nullptr);
  EXPECT_EQ(d->count, 39u);
  EXPECT_EQ(a->count, 39u);
  EXPECT_EQ(b->count, 42u);
  EXPECT_STREQ(d->records[0].name, "COLLATE");
  EXPECT_STREQ(d->records[38].name, "BOOKLET");
  std::vector<std::string> names;
  for (DWORD i = 0; i < b->count; ++i) names.emplace_back(b->records[i].name);
  auto at = [&](const char* n) { return std::find(names.begin(), names.end(), n) - names.begin(); };
  EXPECT_EQ(at("TRAYPAPER4"), at("TRAYPAPER3") + 1);
  EXPECT_EQ(at("TRAYPAPERORIENT4"), at("TRAYPAPERORIENT3") + 1);
  EXPECT_EQ(at("TRAYPAPERMEDIA4"), at("TRAYPAPERMEDIA3") + 1);
  // Spot checks of the records' columns.
  const PrinterOptionRecord* binding = ByName(d, "BINDING");
  ASSERT_TRUE(binding);
  EXPECT_EQ(binding->key, fid::kdmDuplexType);
  EXPECT_EQ(binding->typeBits, 0x10801u);
  ASSERT_EQ(binding->values->count, 9u);
  EXPECT_EQ(binding->values->values[3].value, 19u);
  EXPECT_STREQ(binding->values->values[3].name, "LEFT");
  EXPECT_EQ(binding->values->values[3].flags, POV_ALIAS);
  EXPECT_EQ(ByName(d, "PAPER")->values->count, 25u);
  EXPECT_EQ(ByName(d, "MULTIPAPER")->values->values[9].value, 88u);  // JISB6 after JISB5
  EXPECT_EQ(ByName(d, "PAPERSCALEH")->values->count, 0u);
  EXPECT_EQ(ByName(d, "COPIES")->values, nullptr);
  const PrinterOptionRecord* user = ByName(d, "USERCODE");
  ASSERT_TRUE(user->settings);
  EXPECT_EQ(user->settings->fieldId, fid::kdmLogCodeUse);
  EXPECT_EQ(user->settings->value, 1u);
  // The flag word of the implied settings: 1 only on the N-up kind and balance macro.
  const PrinterOptionValue& nup1 = ByName(d, "NUP")->values->values[0];
  EXPECT_EQ(nup1.settings->flags, 1u);
  EXPECT_EQ(nup1.settings->next->flags, 0u);
  EXPECT_EQ(ByName(d, "DSTRESOLUTIONW")->values->values[1].settings->value, 18u);
  EXPECT_EQ(ByName(b, "TRAYPAPER2")->values->count, 14u);  // P1 in variant B
  EXPECT_EQ(ByName(d, "TRAYPAPER2")->values->count, 10u);
  EXPECT_EQ(ByName(d, "FORCEFEED")->key, 0u);
}

TEST_F(PrinterOptions, VariantByExactModelName) {
  EXPECT_EQ(GetModelParamRecord(nullptr), GetPrinterOptionTable(0));
  Model(kPrinterOptionModelA);
  EXPECT_EQ(GetModelParamRecord(ctx()), GetPrinterOptionTable(1));
  Model(kPrinterOptionModelB);
  EXPECT_EQ(GetModelParamRecord(ctx()), GetPrinterOptionTable(2));
  Model(u"kova pro c9600");  // case matters
  EXPECT_EQ(GetModelParamRecord(ctx()), GetPrinterOptionTable(0));
}

TEST(PrinterOptionTables, VariantsBelongToTheProductsSpecialModels) {
  const SpecialModelList* list = GetSpecialModelList(GetProductRecord());
  ASSERT_TRUE(list);
  ASSERT_EQ(list->count, 2u);
  EXPECT_EQ(std::u16string(GetProductString(list->entries[0].modelName)), kPrinterOptionModelA);
  EXPECT_EQ(std::u16string(GetProductString(list->entries[1].modelName)), kPrinterOptionModelB);
}

TEST_F(PrinterOptions, CollateNeedsTheDiskOrEnoughMemory) {
  struct Case {
    const char16_t* model;
    DWORD hdd, memory;
    V values;
  } cases[] = {
      {u"", 0, 128, {0}},          {u"", 0, 160, {1, 0}},        {u"", 0, 352, {1, 0}},
      {u"", 1, 0, {1, 0}},         {u"", 0, 192, {0}},           {kPrinterOptionModelA, 0, 160, {0}},
      {kPrinterOptionModelA, 0, 384, {1, 0}}, {kPrinterOptionModelA, 1, 0, {1, 0}},
  };
  for (const Case& c : cases) {
    Model(c.model);
    Set(fid::kdmOutputOptionTypeHDD, c.hdd);
    Set(fid::kdmPrinterMemory, c.memory);
    EXPECT_EQ(Values(fid::kdmSortType), c.values) << c.hdd << " " << c.memory;
  }
}

TEST_F(PrinterOptions, StatusAndCountOfTheTwoCalls) {
  Set(fid::kdmPrinterMemory, 160);
  DWORD count = 0;
  EXPECT_EQ(GetCapabilityValues(ctx(), fid::kdmSortType, 0, nullptr, &count), CAPS_MORE);
  EXPECT_EQ(count, 2u);
  std::int32_t one[1] = {-1};
  EXPECT_EQ(GetCapabilityValues(ctx(), fid::kdmSortType, 1, one, &count), CAPS_MORE);  // too small
  EXPECT_EQ(one[0], -1);
  EXPECT_EQ(GetCapabilityValues(ctx(), fid::kdmSortType, 5, nullptr, &count), CAPS_MORE);  // no buffer
  std::int32_t two[2] = {};
  EXPECT_EQ(GetCapabilityValues(ctx(), fid::kdmSortType, 2, two, &count), CAPS_OK);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(two[0], 1);
  EXPECT_EQ(two[1], 0);
  // Not found through class 1, unknown keys and key 0.
  for (WORD key : {fid::kdmTray1Paper, fid::kdmPrinterMemory, WORD(121), WORD(0)}) {
    count = 5;
    EXPECT_EQ(GetCapabilityValues(ctx(), key, 0, nullptr, &count), CAPS_OK) << key;
    EXPECT_EQ(count, 0u);
  }
  // A record with an empty list or without one.
  EXPECT_EQ(GetCapabilityValues(ctx(), fid::kdmScaleV, 0, nullptr, &count), CAPS_OK);
  EXPECT_EQ(GetCapabilityValues(ctx(), fid::dmCopies, 0, nullptr, &count), CAPS_OK);
}

TEST_F(PrinterOptions, RecordLookupByClass) {
  EXPECT_EQ(FindPrinterOptionRecord(ctx(), fid::kdmTray1Paper, 1), nullptr);
  const PrinterOptionRecord* r = FindPrinterOptionRecord(ctx(), fid::kdmTray1Paper, 4);
  ASSERT_TRUE(r);
  EXPECT_STREQ(r->name, "TRAYPAPER1");
  EXPECT_STREQ(FindPrinterOptionRecord(ctx(), 724, 1)->name, "BOOKLET");
  EXPECT_EQ(FindPrinterOptionRecord(ctx(), 0, 0xFFFFFFFF), nullptr);  // FORCEFEED is never found
}

TEST_F(PrinterOptions, TrayValuesFollowTheOptionalTrays) {
  EXPECT_EQ(Values(fid::dmDefaultSource), (V{7, 1, 4}));
  Set(fid::kdmSourceOptionType1Step, 1);
  Set(fid::kdm1StepOptionNum, 1);
  EXPECT_EQ(Values(fid::dmDefaultSource), (V{7, 1, 3, 4}));
  Set(fid::kdm1StepOptionNum, 2);
  EXPECT_EQ(Values(fid::dmDefaultSource), (V{7, 1, 3, 2, 4}));
  Model(kPrinterOptionModelB);
  Set(fid::kdm1StepOptionNum, 4);
  EXPECT_EQ(Values(fid::dmDefaultSource), (V{7, 1, 3, 2, 256, 4}));
}

TEST_F(PrinterOptions, LockedValueIsTheOnlyValueWhenTheListHasIt) {
  Set(fid::kdmLock000InfoBitTray, 1);
  Set(fid::wdmLock001Info, 1);
  EXPECT_EQ(Values(fid::dmDefaultSource), (V{1}));
  Set(fid::wdmLock001Info, 5);  // not a value of the list: the available list
  EXPECT_EQ(Values(fid::dmDefaultSource), (V{7, 1, 4}));
  Set(fid::wdmLock001Info, 3);  // a value of the list, locked although not available now
  EXPECT_EQ(Values(fid::dmDefaultSource), (V{3}));
  Set(fid::kdmLock000InfoBitTray, 0);
  EXPECT_EQ(Values(fid::dmDefaultSource), (V{7, 1, 4}));
  // The colour lock keeps dmColor to its locked value.
  Set(fid::kdmLock001InfoBitColor, 1);
  Set(fid::wdmLock008Info, 1);
  EXPECT_EQ(Values(fid::dmColor), (V{1}));
}

TEST_F(PrinterOptions, NupLockNarrowsTheNupValues) {
  const V all = {1, 2, 3, 33, 37, 34, 38, 65, 69, 66, 70, 97, 101, 98, 102, 0};
  EXPECT_EQ(Values(fid::kdmNUPType), all);
  Set(fid::kdmLock000InfoBitNupKind, 1);
  Set(fid::wdmLock003Info, 2);
  EXPECT_EQ(Values(fid::kdmNUPType), (V{33, 37, 34, 38}));
  Set(fid::kdmLock000InfoBitNupKindAll, 1);
  V withoutOff(all.begin(), all.end() - 1);
  EXPECT_EQ(Values(fid::kdmNUPType), withoutOff);
}

TEST_F(PrinterOptions, ValuesWithConditionsOnDuplex) {
  EXPECT_EQ(Values(fid::kdmDuplexType), V{});
  EXPECT_EQ(Values(fid::kdmShiftDir), (V{3, 2, 1, 4}));
  EXPECT_EQ(Values(724), (V{0}));
  Set(fid::kdmFuncSelectDuplex, 1);
  EXPECT_EQ(Values(fid::kdmDuplexType), (V{3, 2, 1, 19, 18, 17, 22, 21, 20}));
  EXPECT_EQ(Values(fid::kdmShiftDir), V{});
  EXPECT_EQ(Values(724), (V{2, 1, 0}));
}

TEST_F(PrinterOptions, HasCapabilityValueSkipsTheOffValue) {
  EXPECT_EQ(HasCapabilityValue(ctx(), fid::kdmFuncSelectDuplex), 1);
  EXPECT_EQ(HasCapabilityValue(ctx(), 121), 0);
  Set(fid::kdmPrinterMemory, 128);
  EXPECT_EQ(HasCapabilityValue(ctx(), fid::kdmSortType), 0);  // only "OFF" is available
  Set(fid::kdmPrinterMemory, 224);
  EXPECT_EQ(HasCapabilityValue(ctx(), fid::kdmSortType), 1);
  EXPECT_EQ(HasCapabilityValue(ctx(), fid::kdmNUPLine), 0);  // N-up off
}

// Condition lists on three settable fields.
TEST_F(PrinterOptions, ConditionListEvaluation) {
  const WORD a = fid::kdmFuncSelectDuplex, b = fid::kdmFuncSelectSort, c = fid::kdmFuncSelectNup;
  struct Case {
    std::vector<DWORD> links;  // per node; the nodes test a=1, b=1, c=1 in order
    DWORD va, vb, vc;
    int result;
  } cases[] = {
      {{1, 0}, 1, 1, 0, 1},        {{1, 0}, 1, 0, 0, 0},       {{1, 0}, 0, 1, 0, 0},
      {{0, 0, 0}, 0, 0, 1, 1},     {{0, 0, 0}, 0, 0, 0, 0},    {{0, 0, 0}, 1, 0, 0, 1},
      {{0, 1, 0}, 0, 1, 1, 1},     {{0, 1, 0}, 1, 0, 0, 0},    // (a OR b) AND c
      {{1, 0, 0}, 0, 0, 1, 0},     {{1, 0, 0}, 1, 0, 1, 1},    // a AND (b OR c)
      {{2, 1, 0}, 0, 1, 1, 0},     {{2, 1, 0}, 1, 1, 1, 1},
  };
  for (const Case& k : cases) {
    std::vector<OptionConditionNode> nodes(k.links.size());
    const WORD fields[] = {a, b, c};
    for (size_t i = 0; i < nodes.size(); ++i) {
      nodes[i] = {i + 1 < nodes.size() ? &nodes[i + 1] : nullptr, k.links[i], fields[i], 1};
    }
    Set(a, k.va);
    Set(b, k.vb);
    Set(c, k.vc);
    EXPECT_EQ(EvaluateConditionList(ctx(), nodes.data()), k.result)
        << k.links.size() << " nodes " << k.va << k.vb << k.vc << " first link " << k.links[0];
  }
  EXPECT_EQ(EvaluateConditionList(ctx(), nullptr), 1);
}

}  // namespace
}  // namespace kovatest
