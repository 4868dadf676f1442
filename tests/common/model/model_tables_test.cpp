// Built-in value sets, the small model tables, the setting updates and option list walking.
#include <gtest/gtest.h>

#include <set>

#include "fields/field_access.h"
#include "fields/field_table.h"
#include "image_fixture.h"
#include "model/model_tables.h"
#include "model/option_lookup.h"
#include "model/option_walk.h"
#include "model/value_sets.h"

namespace model_tables_test {

namespace {

using namespace kovatest;

TEST(ValueSets, TableShapeAndOrder) {
  const ValueSetRow* table = GetValueSetTable();
  int rows = 0;
  std::set<DWORD> ids;
  for (const ValueSetRow* r = table; r->fieldId != 0; ++r, ++rows) {
    EXPECT_TRUE(ids.insert(r->fieldId).second) << r->fieldId;
    ASSERT_GT(r->count, 0u);
    for (DWORD i = 1; i < r->count; ++i) ASSERT_LT(r->values[i - 1], r->values[i]) << r->fieldId;
  }
  EXPECT_EQ(rows, kValueSetCount);
  EXPECT_EQ(table[kValueSetCount].values, nullptr);
  // Not sorted: the printer-side rows stand between 696 and 918, the last rows are 1496-1511.
  EXPECT_EQ(table[0].fieldId, 8u);
  EXPECT_EQ(table[kValueSetCount - 1].fieldId, 1511u);
  const ValueSetRow* tray1 = FindValueSet(10175);
  const ValueSetRow* f918 = FindValueSet(918);
  ASSERT_TRUE(tray1 && f918);
  EXPECT_LT(tray1, f918);
  // Rows that share a set share its array.
  EXPECT_EQ(FindValueSet(14)->values, FindValueSet(39)->values);
  EXPECT_EQ(FindValueSet(1018)->count, 4u + 25 + 6 + 1 + 28 + 2 + 1977);
}

TEST(ValueSets, Membership) {
  struct Case {
    DWORD field, value;
    int expected;
  } cases[] = {
      {92, 32769, 1}, {92, 32773, 0}, {92, 19, 0}, {92, 0, 1}, {300, 0, 0}, {300, 1, 0},
      {8, 256, 1},    {8, 516, 0},    {8, 562, 1}, {8, 563, 0}, {14, 1200, 1}, {14, 1199, 0},
      {1018, 10000, 1}, {1018, 11976, 1}, {1018, 11977, 0}, {1018, 0x10000 + 1, 0}, {0, 0, 0},
      {10238, 1040, 1}, {1496, 3, 1}, {1496, 4, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(IsValueAllowedForItem(c.field, c.value), c.expected) << c.field << " " << c.value;
}

TEST(ValueSets, IndexedSets) {
  const ValueSetRow* twelve = GetValueSetByIndex(12);
  ASSERT_NE(twelve, nullptr);
  EXPECT_EQ(twelve->fieldId, 0xFFFFu);
  ASSERT_EQ(twelve->count, 1u);
  EXPECT_EQ(twelve->values[0], 20u);
  EXPECT_EQ(GetValueSetByIndex(13), nullptr);
  EXPECT_EQ(GetValueSetByIndex(-1), nullptr);
  EXPECT_EQ(GetIndexedSetTable()[13].fieldId, 0u);
  EXPECT_EQ(GetValueSetByIndex(7)->count, 128u);
  EXPECT_EQ(IsValueAllowedByIndex(5, 10355), 1);
  EXPECT_EQ(IsValueAllowedByIndex(5, 10012), 0);
  EXPECT_EQ(IsValueAllowedByIndex(13, 20), 0);
}

TEST(ModelTables, FinisherCodes) {
  int rows = 0;
  for (const FinisherCodeRow* r = GetFinisherCodeTable(); r->fieldId != 0xFFFF; ++r) ++rows;
  EXPECT_EQ(rows, 35);
  EXPECT_EQ(IsValueInPairList(33, ' '), 1);   // second code of the FIN4 and Dom rows
  EXPECT_EQ(IsValueInPairList(33, 'x'), 1);   // first code of the FinBF row
  EXPECT_EQ(IsValueInPairList(5, 'x'), 0);
  EXPECT_EQ(IsValueInPairList(5, ' '), 1);
  EXPECT_EQ(IsValueInPairList(0, ' '), 0);    // the terminating row is not searched
  FieldContext fc;
  EXPECT_EQ(FindFirstSetItem(fc.get())->fieldId, 0xFFFF);
  WriteFieldRawById(fc.get(), 10092, 1);
  WriteFieldRawById(fc.get(), 10102, 1);
  const FinisherCodeRow* first = FindFirstSetItem(fc.get());
  EXPECT_EQ(first->fieldId, 10092);
  EXPECT_EQ(first->firstCode, 42);
  EXPECT_EQ(first->secondCode, 43);
}

TEST(ModelTables, FixedTables) {
  EXPECT_EQ(GetFieldControlTable()[3].fieldId, 8);
  EXPECT_EQ(GetFieldControlTable()[kFieldControlRowCount - 1].controlId, 2001);
  EXPECT_EQ(GetPagesPerSheetList()[3].pages, 9u);
  EXPECT_EQ(GetTwoWayQueryCodes()[7], 145u);
  EXPECT_EQ(GetFitPaperList()[0], 0u);
  FieldContext fc;
  EXPECT_EQ(IsPaperSizeInList(fc.get(), 9), 0);
  EXPECT_EQ(IsNotPage1020Or1025(1020), 0);
  EXPECT_EQ(IsNotPage1020Or1025(1025), 0);
  EXPECT_EQ(IsNotPage1020Or1025(1021), 1);
  EXPECT_EQ(IsBuildFlagOn(), 1);
  EXPECT_EQ(IsBuildFlagOff(), 0);
  EXPECT_EQ(GetPaperValueTable()[0].value, 0);
  // The tray papers' two-way table, as written out.
  const CodePair papers[] = {{10175, 3}, {10176, 4},   {10176, 12},  {10177, 5}, {10178, 6}, {10180, 8}, {10181, 9},
                             {10200, 7}, {10200, 11}, {10202, 1}, {10203, 2}, {10204, 101}, {10188, 70}, {0, 0}};
  const CodePair* table = GetTwoWayTrayTable(kTrayTablePapers);
  for (const CodePair& p : papers) {
    EXPECT_EQ(table->first, p.first);
    EXPECT_EQ(table->second, p.second);
    ++table;
  }
  EXPECT_EQ(GetTwoWayTrayTable(kTrayTableLocks)[0].first, 10239u);
  EXPECT_EQ(GetTwoWayTrayTable(kTrayTableMedia)[0].first, 10207u);
  EXPECT_EQ(GetTwoWayTrayCodeTable()[12].first, 298u);
  EXPECT_EQ(GetTwoWayOptionCodeTable()[4].second, 105u);
}

TEST(ModelTables, DependencyRows) {
  const OptionDependencyRow* rows = GetTrayDependencyTable(90);
  EXPECT_EQ(rows, GetTrayDependencyTable(0));
  int n = 0;
  for (const OptionDependencyRow* r = rows; r->itemId != 0; ++r, ++n) {
    EXPECT_EQ(r->notSwitchedWhile, nullptr);
    EXPECT_EQ(r->companions, nullptr);
    EXPECT_EQ(r->writtenWhenOn, nullptr);
  }
  EXPECT_EQ(n, 12);
  // 606 and 608 write 604, not their own value, when switched off.
  for (int i : {7, 8}) {
    ASSERT_NE(rows[i].writtenWhenOff, nullptr);
    EXPECT_EQ(rows[i].writtenWhenOff[1].value, 604u);
  }
  EXPECT_EQ(rows[10].itemId, 365);
  EXPECT_EQ(rows[10].writtenWhenOff[0].value, 2u);
}

TEST(ModelTables, QualityFromResolution) {
  FieldContext fc;
  DriverContext* c = fc.get();
  struct Case {
    DWORD resolution, expected;
  } cases[] = {{200, 17}, {300, 17}, {400, 17}, {600, 17}, {1200, 18}, {150, 18}};
  for (const Case& t : cases) {
    UpdateQualityFromResolution(t.resolution, c);
    EXPECT_EQ(ReadFieldRawById(c, 178), t.expected) << t.resolution;
  }
  WriteFieldRawById(c, 178, 5);
  WriteFieldRawById(c, 10425, 1);  // resolution locked
  UpdateQualityFromResolution(1200, c);
  EXPECT_EQ(ReadFieldRawById(c, 178), 5u);
  WriteFieldRawById(c, 10425, 0);
  WriteFieldRawById(c, 176, 1);  // user macro
  UpdateQualityFromResolution(1200, c);
  EXPECT_EQ(ReadFieldRawById(c, 178), 5u);
}

TEST(ModelTables, Item10110FromTwoWayAnswers) {
  FieldContext fc;
  DriverContext* c = fc.get();
  struct Case {
    DWORD addressType, code, previous, expected;  // expected 0: nothing changes
  } cases[] = {
      {1, 105, 0, 1}, {1, 105, 1, 0}, {1, 106, 0, 2}, {1, 106, 1, 2}, {1, 106, 2, 0},
      {0, 105, 0, 3}, {0, 105, 1, 3}, {0, 105, 3, 0}, {0, 106, 3, 4}, {0, 106, 2, 0}, {0, 107, 0, 0},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(testing::Message() << t.addressType << " " << t.code << " " << t.previous);
    WriteFieldRawById(c, 229, t.addressType);
    WriteFieldRawById(c, 10110, 99);
    DWORD previous = t.previous;
    UpdateItem10110(10023, t.code, &previous, c);
    EXPECT_EQ(ReadFieldRawById(c, 10110), t.expected ? t.expected : 99u);
    EXPECT_EQ(previous, t.expected ? t.expected : t.previous);
  }
  DWORD previous = 0;
  UpdateItem10110(10024, 105, &previous, c);
  EXPECT_EQ(previous, 0u);
}

TEST(ModelTables, DeviceStringOfTheModel) {
  FieldContext fc;
  DriverContext* c = fc.get();
  SettingField* other = fc.field(10274);
  SetModelDeviceString(c);
  WCHAR text[40] = {};
  ASSERT_TRUE(GetFieldString(c, other, text, 40));
  EXPECT_EQ(std::u16string(text), u"KOVA-DRV-90200");
  std::u16string model = u"KOVA Pro C9600";
  std::copy(model.begin(), model.end(), fc.work().modelName);
  SetModelDeviceString(c);
  ASSERT_TRUE(GetFieldString(c, other, text, 40));
  EXPECT_EQ(std::u16string(text), u"KOVA-PRO-C9600");
}

TEST(OptionWalk, ItemsValuesAndConditions) {
  auto image = BuildImage(R"(*FileVersion: 9.02
*OpenUI *KPD_RADIOLIST_1: PickOne
*KPD_RADIOLIST_1 KDMORIENTATION_1: "portrait"
*KPD_RADIOLIST_1 KDMORIENTATION_2: "landscape"
*CloseUI
*OpenUI *KPD_IDC_HFFONTNAME: String
*StringValue: 31 ASCII
*DefaultKPD_IDC_HFFONTNAME: IDS_DUPLEXONMESSAGE
*CloseUI
*OpenUI *KPD_IDC_FUNCSELECTSTAPLE: Boolean
*CloseUI
*Judge 1: KPD_IDC_FUNCSELECTSTAPLE == 1
*Item 1: {{KDMORIENTATION_1 Judge1 NULL NULL}}
*Exclusive: {{KPD_RADIOLIST_1 Judge1 NULL Item1 NULL NULL NULL NULL}}
)");
  ASSERT_NE(image, nullptr);
  RuleContext rc(image.get());
  DriverContext* c = rc.get();
  const WORD radioItem = Feature("KPD_RADIOLIST_1")->itemId;
  const ImageRef radio = GetOptionNode(c, radioItem);
  ASSERT_TRUE(radio);
  EXPECT_EQ(IsOptionIdDisabled(c, 0), 0);
  EXPECT_EQ(IsOptionIdDisabled(c, 9999), 0);
  EXPECT_EQ(IsOptionIdDisabled(c, radioItem), 0);
  WriteFieldRawById(c, 63, 1);
  EXPECT_EQ(IsOptionIdDisabled(c, radioItem), 1);

  ImageRef conditions;
  const ImageRef first = OptionValues(radio);
  EXPECT_EQ(NextOptionValue(radio, first, &conditions), ValueId("KDMORIENTATION_1"));
  EXPECT_TRUE(conditions);
  const ImageRef second = NextOptionNode(radio, first);
  EXPECT_EQ(NextOptionValue(radio, second, &conditions), ValueId("KDMORIENTATION_2"));
  EXPECT_FALSE(NextOptionNode(radio, second));

  const ImageRef font = GetOptionNode(c, Feature("KPD_IDC_HFFONTNAME")->itemId);
  const ImageRef fontValues = OptionValues(font);
  EXPECT_FALSE(NextOptionNode(font, fontValues));
  EXPECT_EQ(NextOptionValue(font, fontValues, &conditions), GetOptionDefaultValue(115, c));
  EXPECT_NE(GetOptionDefaultValue(115, c), 0u);
  EXPECT_FALSE(conditions);  // no condition block
  const ImageRef staple = GetOptionNode(c, Feature("KPD_IDC_FUNCSELECTSTAPLE")->itemId);
  EXPECT_EQ(NextOptionValue(staple, OptionValues(staple), &conditions), 0u);
}

}  // namespace

}  // namespace model_tables_test
