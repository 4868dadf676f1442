// Finisher items: paper lists, tray orientation, staple and punch positions, feed direction.
#include <gtest/gtest.h>

#include "judge_fixture.h"
#include "model/finisher_items.h"

namespace {

using kovatest::JudgeContext;

// Item ids of the Fin50 family.
constexpr WORD kFin50PortSet = 759, kFin50LandSet = 760, kFin50StapleSize = 761, kFin50PunchType = 762,
               kFin50StapleType = 763, kFin50PunchSize = 764, kFin50Naeu = 765;

TEST(FinisherItems, PortAndLandSetFollowTheTrayOrientationAndLargePaper) {
  JudgeContext j;
  j.Set(fid::kdmOutputOption2TypeFin50, 1);
  j.Paper(9);
  j.MainTray1(9, 1);
  EXPECT_EQ(j.Item(kFin50LandSet), 1u);
  EXPECT_EQ(j.Item(kFin50PortSet), 0u);
  j.Paper(8);
  j.MainTray1(8, 1);
  EXPECT_EQ(j.Item(kFin50LandSet), 0u);  // A3 is large paper
  EXPECT_EQ(j.Item(kFin50PortSet), 0u);  // set landscape
  j.MainTray1(8, 0);
  EXPECT_EQ(j.Item(kFin50PortSet), 1u);
  j.Set(fid::kdmOutputOption2TypeFin50, 0);
  EXPECT_EQ(j.Item(kFin50PortSet), 0u);  // no finisher
  // The other families answer through their own group.
  j.Set(fid::kdmOutputOption2TypeFin100, 1);
  EXPECT_EQ(j.Item(795), 1u);
  EXPECT_EQ(j.Item(730), 0u);
  EXPECT_EQ(j.Item(811), 0u);
  j.Set(fid::kdmOutputOption2TypeFIN4NE, 1);
  EXPECT_EQ(j.Item(730), 1u);
  j.Set(fid::kdmOutputOption2TypeFIN2EU, 1);
  EXPECT_EQ(j.Item(811), 1u);
}

TEST(FinisherItems, SupportSizesAndTheirExtensions) {
  JudgeContext j;
  struct Case {
    DWORD paper, fin50;
    DWORD stapleSize, punchSize, naeu, finMfPunchSize, finMfNaeu809;
  } cases[] = {
      {11, 0, 0, 1, 0, 1, 0},   // A5: extension only, in both exclusion lists
      {6, 0, 0, 0, 0, 1, 0},    // Statement: Fin50 extension needs the group; FinMF's does not
      {6, 1, 0, 1, 0, 1, 0},
      {8, 0, 1, 1, 1, 1, 1},    // A3: in the list, not excluded
      {512, 0, 0, 0, 1, 1, 1},  // wide A3: only the FinMF list
      {93, 0, 1, 1, 0, 0, 0},   // 93: the standard lists only
      {2, 0, 0, 0, 1, 0, 1},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(testing::Message() << t.paper << " fin50 " << t.fin50);
    j.Paper(t.paper);
    j.Set(fid::kdmOutputOption2TypeFin50, t.fin50);
    EXPECT_EQ(j.Item(kFin50StapleSize), t.stapleSize);
    EXPECT_EQ(j.Item(kFin50PunchSize), t.punchSize);
    EXPECT_EQ(j.Item(kFin50Naeu), t.naeu);
    EXPECT_EQ(j.Item(735), t.finMfPunchSize);
    EXPECT_EQ(j.Item(809), t.finMfNaeu809);
  }
}

TEST(FinisherItems, StapleTypeSupportByPosition) {
  JudgeContext j;
  j.Paper(9);
  j.Set(fid::dmOrientation, 1);  // b = 0
  struct Case {
    WORD item;
    DWORD group, stapleType, trayOrient, finBF;
    DWORD expected;
  } cases[] = {
      {kFin50StapleType, fid::kdmOutputOption2TypeFin50, 49, 0, 0, 1},
      {kFin50StapleType, fid::kdmOutputOption2TypeFin50, 49, 1, 0, 1},
      {kFin50StapleType, fid::kdmOutputOption2TypeFin50, 33, 0, 0, 1},
      {kFin50StapleType, fid::kdmOutputOption2TypeFin50, 33, 1, 0, 0},
      {kFin50StapleType, fid::kdmOutputOption2TypeFin50, 34, 1, 0, 1},
      {kFin50StapleType, fid::kdmOutputOption2TypeFin50, 67, 0, 0, 0},
      {kFin50StapleType, fid::kdmOutputOption2TypeFin50, 68, 0, 0, 0},
      {kFin50StapleType, fid::kdmOutputOption2TypeFin50, 1, 0, 0, 0},
      {734, fid::kdmOutputOption2TypeFin1Dom, 68, 0, 0, 1},
      {734, fid::kdmOutputOption2TypeFin1Dom, 68, 1, 0, 0},
      {799, fid::kdmOutputOption2TypeFin100, 68, 0, 0, 0},
      {799, fid::kdmOutputOption2TypeFin100, 68, 0, 1, 1},
      {815, fid::kdmOutputOption2TypeFIN2NA, 68, 0, 1, 1},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(testing::Message() << t.item << " staple " << t.stapleType << " tray " << t.trayOrient);
    JudgeContext k;
    k.Paper(9);
    k.Set(fid::dmOrientation, 1);
    k.Set(t.group, 1);
    k.Set(fid::kdmStapleType, t.stapleType);
    k.Set(fid::kdmOutputOptionTypeFinBF, t.finBF);
    k.MainTray1(9, t.trayOrient);
    EXPECT_EQ(k.Item(t.item), t.expected);
  }
  // Paper not in the main tray, or the group missing: 0 for every position.
  j.Set(fid::kdmOutputOption2TypeFin50, 1);
  j.Set(fid::kdmStapleType, 49);
  j.MainTray1(8, 0);
  EXPECT_EQ(j.Item(kFin50StapleType), 0u);
  j.MainTray1(9, 0);
  EXPECT_EQ(j.Item(kFin50StapleType), 1u);
  j.Paper(11);  // A5 is not in the list without extension
  j.MainTray1(11, 0);
  EXPECT_EQ(j.Item(kFin50StapleType), 0u);
}

TEST(FinisherItems, PunchTypeSupportGatesAndVariants) {
  struct Case {
    const char* what;
    WORD item;
    WORD fields[3];
    DWORD paper, punchType, trayOrient, orientation;
    DWORD expected;
  } cases[] = {
      {"fin50 top portrait", kFin50PunchType, {fid::kdmOutputOption2TypeFin50}, 9, 1, 0, 1, 1},
      {"fin50 side portrait", kFin50PunchType, {fid::kdmOutputOption2TypeFin50}, 9, 2, 0, 1, 0},
      {"fin50 side landscape", kFin50PunchType, {fid::kdmOutputOption2TypeFin50}, 9, 3, 0, 2, 1},
      {"fin50 restricts to 1-3", kFin50PunchType, {fid::kdmOutputOption2TypeFin50}, 9, 17, 1, 1, 0},
      {"no punch", kFin50PunchType, {fid::kdmOutputOption2TypeFin50, fid::kdmOutputOption2TypeFIN2NoPunch}, 9, 1, 0,
       1, 0},
      {"NA allows 17", kFin50PunchType, {fid::kdmOutputOption2TypeFIN2NA}, 9, 17, 1, 2, 1},
      {"17 excluded paper", kFin50PunchType, {fid::kdmOutputOption2TypeFIN2NA}, 9, 17, 0, 1, 0},
      {"17 allowed paper", kFin50PunchType, {fid::kdmOutputOption2TypeFIN2NA}, 8, 17, 0, 1, 1},
      {"18 landscape feed", kFin50PunchType, {fid::kdmOutputOption2TypeFIN2NA}, 9, 18, 1, 1, 1},
      {"NE restricts to 49-51", kFin50PunchType, {fid::kdmOutputOption2TypeFIN2NE}, 9, 1, 0, 1, 0},
      {"NE 49", kFin50PunchType, {fid::kdmOutputOption2TypeFIN2NE}, 9, 49, 0, 1, 1},
      {"FinMF no-punch field", 733, {fid::kdmOutputOption2TypeFin1Dom, fid::kdmOutputOption2TypeFIN4NoPunch}, 9, 1, 0, 1, 0},
      {"FinMF Dom top", 733, {fid::kdmOutputOption2TypeFin1Dom}, 9, 1, 0, 1, 1},
      {"fin100 and punch unit, Letter", 798, {fid::kdmOutputOption2TypeFin100, fid::kdmOutputOptionTypePunch}, 1, 1,
       0, 1, 0},
      {"fin100 and punch unit, A4 landscape", 798,
       {fid::kdmOutputOption2TypeFin100, fid::kdmOutputOptionTypePunch}, 9, 1, 1, 2, 1},
      {"fin100Ex NA 1-3", 814, {fid::kdmOutputOption2TypeFIN2NA}, 9, 1, 0, 1, 1},
      {"fin100Ex EU 17-19", 814, {fid::kdmOutputOption2TypeFIN2EU}, 9, 1, 0, 1, 0},
      {"fin100Ex no 49", 814, {fid::kdmOutputOption2TypeFIN2NoPunch}, 9, 49, 0, 1, 0},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(t.what);
    JudgeContext j;
    for (WORD f : t.fields)
      if (f) j.Set(f, 1);
    j.Paper(t.paper);
    j.MainTray1(t.paper, t.trayOrient);
    j.Set(fid::dmOrientation, t.orientation);
    j.Set(fid::kdmPunchType, t.punchType);
    EXPECT_EQ(j.Item(t.item), t.expected);
  }
}

TEST(FinisherItems, ForceFeedDirectionByDecidingEntry) {
  struct Case {
    const char* what;
    WORD fields[2];
    DWORD paper, staple, stapleType, punch, punchType, orientation;
    int expected;
  } cases[] = {
      {"nothing installed", {}, 9, 0, 0, 0, 0, 1, 0},
      {"fin50, staple and punch off", {fid::kdmOutputOption2TypeFin50}, 9, 0, 0, 0, 0, 1, 3},
      {"fin50, paper not in list", {fid::kdmOutputOption2TypeFin50}, 2, 0, 0, 0, 0, 1, 0},
      {"FIN2EU only: entry 7, punch 17", {fid::kdmOutputOption2TypeFIN2EU}, 9, 0, 0, 1, 17, 1, 1},
      {"entry 7 knows no 49", {fid::kdmOutputOption2TypeFIN2EU}, 9, 0, 0, 1, 49, 1, 3},
      {"entry 7 punch off by FIN3NoPunch",
       {fid::kdmOutputOption2TypeFIN2EU, fid::kdmOutputOption2TypeFIN3NoPunch}, 9, 1, 33, 1, 17, 2, 2},
      {"fin50 staple 34 landscape", {fid::kdmOutputOption2TypeFin50}, 9, 1, 34, 0, 0, 2, 1},
      {"fin50 staple 68 (S1)", {fid::kdmOutputOption2TypeFin50}, 9, 1, 68, 0, 0, 1, 0},
      {"fin100 punch 65 landscape", {fid::kdmOutputOption2TypeFin100}, 9, 0, 0, 1, 65, 2, 2},
      {"fin100 punch 66 portrait", {fid::kdmOutputOption2TypeFin100}, 9, 0, 0, 1, 66, 1, 1},
      {"fin100 staple 68 (S6)", {fid::kdmOutputOption2TypeFin100}, 9, 1, 68, 0, 0, 1, 1},
      {"fin2000 before fin1000", {fid::kdmOutputOptionTypeFin2000, fid::kdmOutputOptionTypeFin1000}, 6, 0, 0, 0, 0, 1,
       3},
      {"fin1000 ignores punch", {fid::kdmOutputOptionTypeFin1000}, 9, 1, 49, 1, 1, 1, 0},
      {"fin1000 staple 33", {fid::kdmOutputOptionTypeFin1000}, 9, 1, 33, 0, 0, 1, 1},
      {"finBF staple 68", {fid::kdmOutputOptionTypeFinBF}, 9, 1, 68, 0, 0, 2, 1},
      {"type 14 staple 50", {fid::kdmOutputOptionType14}, 9, 1, 50, 0, 0, 1, 2},
      {"type 15 staple 49", {fid::kdmOutputOptionType15}, 512, 1, 49, 0, 0, 1, 3},
      {"dom group, statement", {fid::kdmOutputOption2TypeFin2Dom}, 6, 0, 0, 0, 0, 1, 3},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(t.what);
    JudgeContext j;
    for (WORD f : t.fields)
      if (f) j.Set(f, 1);
    j.Paper(t.paper);
    j.Set(fid::dmOrientation, t.orientation);
    j.Set(fid::kdmFuncSelectStaple, t.staple);
    j.Set(fid::kdmStapleType, t.stapleType);
    j.Set(fid::kdmFuncSelectPunch, t.punch);
    j.Set(fid::kdmPunchType, t.punchType);
    EXPECT_EQ(ForceFeedDirection(j.get()), t.expected);
    EXPECT_EQ(j.Item(827), t.expected == 1 ? 1u : 0u);
    EXPECT_EQ(j.Item(828), t.expected == 2 ? 1u : 0u);
  }
}

}  // namespace
