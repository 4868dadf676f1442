// Computed judge items: the dispatch, the printed orientation, the tray table lookups and
// the cached setting getters.
#include <gtest/gtest.h>

#include "field_fixture.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "fields/value_maps.h"
#include "field_ids.h"
#include "fields/judge_items.h"
#include "model/setting_getters.h"

namespace judge_items_test {

namespace {

using kovatest::FieldContext;

constexpr WORD kOrientation = fid::dmOrientation, kSource = fid::dmDefaultSource, kNup = fid::kdmFuncSelectNup,
               kNupType = fid::kdmNUPType, kDuplex = fid::kdmFuncSelectDuplex, kDuplexType = fid::kdmDuplexType;

TEST(JudgeItems, PrintPaperOrientAtItsTableEdges) {
  FieldContext fc;
  DriverContext* c = fc.get();
  struct Case {
    DWORD orientation, nup, nupType, duplex, duplexType;
    int expected;
  } cases[] = {
      {1, 0, 0, 0, 0, 0}, {2, 0, 0, 0, 0, 1},
      {1, 1, 2, 0, 0, 1}, {1, 1, 19, 0, 0, 0}, {2, 1, 2, 0, 0, 0},
      {1, 1, 1, 0, 0, 1}, {1, 1, 18, 0, 0, 1}, {1, 1, 0, 0, 0, 0},
      {1, 1, 128, 0, 0, 0}, {1, 1, 129, 0, 0, 1}, {1, 1, 130, 0, 0, 1}, {1, 1, 131, 0, 0, 0},
      {1, 1, 160, 0, 0, 0}, {1, 1, 161, 0, 0, 1}, {1, 1, 164, 0, 0, 1}, {1, 1, 165, 0, 0, 0},
      {2, 0, 0, 1, 17, 0}, {1, 0, 0, 1, 17, 1}, {1, 0, 0, 1, 16, 0}, {2, 0, 0, 1, 16, 1},
  };
  for (const Case& t : cases) {
    WriteFieldRawById(c, kOrientation, t.orientation);
    WriteFieldRawById(c, kNup, t.nup);
    WriteFieldRawById(c, kNupType, t.nupType);
    WriteFieldRawById(c, kDuplex, t.duplex);
    WriteFieldRawById(c, kDuplexType, t.duplexType);
    SCOPED_TRACE(testing::Message() << t.orientation << " " << t.nup << " " << t.nupType << " " << t.duplex << " "
                                    << t.duplexType);
    EXPECT_EQ(PrintPaperOrient(c), t.expected);
    EXPECT_EQ(ComputeJudgeItem(c, 819), static_cast<DWORD>(t.expected));
  }
}

TEST(JudgeItems, IdsWithoutAComputationGiveZero) {
  FieldContext fc;
  WriteFieldRawById(fc.get(), kOrientation, 2);
  for (WORD id : {WORD{723}, WORD{914}, WORD{818}, WORD{829}, WORD{0}}) EXPECT_EQ(ComputeJudgeItem(fc.get(), id), 0u) << id;
  EXPECT_EQ(ComputeJudgeItem(nullptr, 819), 0u);
}

// Tray fields: papers 10175.., orientation flags 10143.., locks 10239...
struct Tray {
  WORD code, paper, orient, lock;
};
constexpr Tray kTrays[] = {{1, 10175, 10143, 10239},   {3, 10176, 10144, 10240},   {2, 10177, 10145, 10241},
                           {256, 10178, 10146, 10242}, {261, 10179, 10147, 10243}, {262, 10180, 10148, 10244},
                           {263, 10181, 10149, 10245}, {11, 10200, 10168, 10264}};

TEST(JudgeItems, SingleTraysHoldAndFeedTheirPaper) {
  FieldContext fc;
  DriverContext* c = fc.get();
  for (const Tray& t : kTrays) {
    SCOPED_TRACE(t.code);
    WriteFieldRawById(c, t.paper, 9);
    WriteFieldRawById(c, t.orient, 1);
    WriteFieldRawById(c, t.lock, 1);  // a lock matters only under automatic selection
    EXPECT_EQ(TrayHoldsPaper(c, t.code, 9), 1);
    EXPECT_EQ(TrayHoldsPaper(c, t.code, 8), 0);
    EXPECT_EQ(TrayHoldsPaper(c, t.code, 0x10009), 1);  // 16-bit compare
    EXPECT_EQ(TrayFeedMatches(c, t.code, 9, 1), 1);
    EXPECT_EQ(TrayFeedMatches(c, t.code, 9, 0), 0);
    WriteFieldRawById(c, kSource, t.code);
    EXPECT_EQ(MainTrayFeedFlags(c, 9), 2u);
    EXPECT_EQ(MainTrayFeedMatches(c, 9, 1), 1);
    WriteFieldRawById(c, t.orient, 0);
    EXPECT_EQ(MainTrayFeedFlags(c, 9), 1u);
    DWORD paper = 0, orientation = 7;
    EXPECT_TRUE(GetTrayPaperAndOrient(c, t.code, &paper, &orientation));
    EXPECT_EQ(paper, 9u);
    EXPECT_EQ(orientation, 0u);
    WriteFieldRawById(c, t.paper, 0);
  }
  // Tray 286 is known only to GetTrayPaperAndOrient; 5 and 7 to none of the single lookups.
  WriteFieldRawById(c, 10204, 12);
  WriteFieldRawById(c, 10172, 1);
  DWORD paper = 0, orientation = 0;
  EXPECT_TRUE(GetTrayPaperAndOrient(c, 286, &paper, &orientation));
  EXPECT_EQ(paper, 12u);
  EXPECT_EQ(orientation, 1u);
  EXPECT_EQ(TrayHoldsPaper(c, 286, 12), 0);
  EXPECT_FALSE(GetTrayPaperAndOrient(c, 7, &paper, &orientation));
  EXPECT_FALSE(GetTrayPaperAndOrient(c, 5, &paper, &orientation));
}

TEST(JudgeItems, TrayFourIsTheManualOrTheMultiPurposeTray) {
  FieldContext fc;
  DriverContext* c = fc.get();
  WriteFieldRawById(c, 10202, 9);   // manual paper
  WriteFieldRawById(c, 10203, 11);  // multi-purpose paper
  WriteFieldRawById(c, kSource, 4);
  // Neither installed: the main tray holds no paper.
  EXPECT_EQ(TrayHoldsPaper(c, 4, 9), 0);
  EXPECT_EQ(TrayHoldsPaper(c, 4, 11), 0);
  EXPECT_EQ(MainTrayFeedFlags(c, 9), 0u);
  DWORD paper = 0, orientation = 0;
  EXPECT_FALSE(GetTrayPaperAndOrient(c, 4, &paper, &orientation));
  WriteFieldRawById(c, 10022, 1);  // multi-purpose installed
  EXPECT_EQ(TrayHoldsPaper(c, 4, 11), 1);
  WriteFieldRawById(c, 10021, 1);  // manual installed: it wins
  EXPECT_EQ(TrayHoldsPaper(c, 4, 11), 0);
  EXPECT_EQ(TrayHoldsPaper(c, 4, 9), 1);
}

TEST(JudgeItems, AutomaticSelectionSkipsLockedAndMissingTrays) {
  FieldContext fc;
  DriverContext* c = fc.get();
  WriteFieldRawById(c, kSource, 7);
  for (const Tray& t : kTrays) {
    WriteFieldRawById(c, t.paper, 9);
    WriteFieldRawById(c, t.lock, 1);
  }
  WriteFieldRawById(c, 10202, 9);
  WriteFieldRawById(c, 10203, 9);
  WriteFieldRawById(c, 10021, 1);
  WriteFieldRawById(c, 10022, 1);
  WriteFieldRawById(c, 10018, 1);
  WriteFieldRawById(c, 10266, 1);
  WriteFieldRawById(c, 10267, 1);
  // Every tray locked: nothing holds any paper.
  EXPECT_EQ(TrayHoldsPaper(c, 7, 9), 0);
  EXPECT_EQ(MainTrayFeedFlags(c, 9), 0u);
  // The LCT unlocked but not installed is still out.
  WriteFieldRawById(c, 10264, 0);
  WriteFieldRawById(c, 10018, 0);
  EXPECT_EQ(TrayHoldsPaper(c, 7, 9), 0);
  WriteFieldRawById(c, 10018, 1);
  WriteFieldRawById(c, 10168, 1);
  EXPECT_EQ(TrayHoldsPaper(c, 7, 9), 1);
  EXPECT_EQ(MainTrayFeedFlags(c, 9), 2u);
  // The flags are the OR over the trays: tray 1 unlocked and set portrait adds bit 1.
  WriteFieldRawById(c, 10239, 0);
  EXPECT_EQ(MainTrayFeedFlags(c, 9), 3u);
  EXPECT_EQ(TrayFeedMatches(c, 7, 9, 0), 1);
  EXPECT_EQ(TrayFeedMatches(c, 7, 8, 0), 0);
}

TEST(SettingGetters, SlotsKeepWhereTheFieldIsNotItsValue) {
  FieldContext fc;
  DriverContext* c = fc.get();
  for (int s = 0; s < kGetterSlotCount; ++s) {
    ASSERT_NE(FindFieldById(c, GetterFieldId(static_cast<GetterSlot>(s))), nullptr) << s;
  }
  EXPECT_EQ(fc.work().getterCache[kGetDefaultSource], 0u);
  WriteFieldRawById(c, kSource, 4);
  EXPECT_EQ(GetCachedSetting(c, kGetDefaultSource), 4u);
  const DWORD slot = fc.work().getterCache[kGetDefaultSource];
  ASSERT_NE(slot, 0u);
  EXPECT_EQ(c->fields.records[slot - 1].id, kSource);
  WriteFieldRawById(c, kSource, 7);  // a change is seen at the next call
  EXPECT_EQ(GetCachedSetting(c, kGetDefaultSource), 7u);
  EXPECT_EQ(fc.work().getterCache[kGetDefaultSource], slot);
  // Fields read by two groups have a slot each.
  WriteFieldRawById(c, 10090, 1);
  EXPECT_EQ(GetCachedSetting(c, kGetFin2NA), 1u);
  EXPECT_EQ(GetCachedSetting(c, kGetFin2NAEx), 1u);
  EXPECT_NE(fc.work().getterCache[kGetFin2NA], 0u);
  EXPECT_NE(fc.work().getterCache[kGetFin2NAEx], 0u);
}

TEST(SettingGetters, AFieldTheTableLacksReadsZeroAndKeepsTheSlotEmpty) {
  FieldContext fc;
  DriverContext* c = fc.get();
  WriteFieldRawById(c, kSource, 4);
  // A table that ends before the field (ids are sorted): the lookup fails.
  const std::int16_t count = c->fields.count;
  c->fields.count = 10;
  EXPECT_EQ(GetCachedSetting(c, kGetDefaultSource), 0u);
  EXPECT_EQ(GetCachedSetting(c, kGetDefaultSource), 0u);
  EXPECT_EQ(fc.work().getterCache[kGetDefaultSource], 0u);
  c->fields.count = count;
  EXPECT_EQ(GetCachedSetting(c, kGetDefaultSource), 4u);
}

TEST(SettingGetters, GroupsAreAnyOfTheirMembers) {
  FieldContext fc;
  DriverContext* c = fc.get();
  struct Case {
    WORD field;
    FinisherGroup group;
  } cases[] = {{10102, kGroupFinMF}, {10101, kGroupFinMF},  {10083, kGroupFin50},   {10093, kGroupFin50},
               {10084, kGroupFin100}, {10097, kGroupFin100}, {10091, kGroupFin100Ex}, {10082, kGroupFinMFGroup},
               {10089, kGroupFinMFGroup}, {10103, kGroupDom}, {10098, kGroupDom},   {10058, kGroupFin2000},
               {10077, kGroupFin2000}, {10050, kGroupFin3000}, {10081, kGroupFin3000}, {10074, kGroupFin2000Or3000},
               {10078, kGroupFin2000Or3000}};
  for (const Case& t : cases) {
    SCOPED_TRACE(t.field);
    EXPECT_EQ(IsFinisherGroupInstalled(c, t.group), 0);
    WriteFieldRawById(c, t.field, 1);
    EXPECT_EQ(IsFinisherGroupInstalled(c, t.group), 1);
    WriteFieldRawById(c, t.field, 0);
  }
  // Fin50 alone is not in the Fin100Ex group.
  WriteFieldRawById(c, 10083, 1);
  EXPECT_EQ(IsFinisherGroupInstalled(c, kGroupFin100Ex), 0);
}

TEST(SettingGetters, ValueMapsFollowThePrintedOrientation) {
  // The punch and staple maps switch with item 819 (the value maps ask the computed item).
  FieldContext fc;
  DriverContext* c = fc.get();
  SettingField* punch = fc.field(120);
  WriteFieldRawById(c, kOrientation, 1);
  const ValueMapEntry* portrait = GetActiveValueMap(c, punch);
  WriteFieldRawById(c, kOrientation, 2);
  EXPECT_EQ(GetActiveValueMap(c, punch), GetSecondValueMap(punch));
  EXPECT_NE(portrait, GetSecondValueMap(punch));
}

}  // namespace

}  // namespace judge_items_test
