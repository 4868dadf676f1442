// Same-size, same-paper, fold and custom media items.
#include <gtest/gtest.h>

#include "fields/field_access.h"
#include "judge_fixture.h"
#include "model/fold_items.h"
#include "model/media_items.h"
#include "model/paper_source_items.h"

namespace {

using kovatest::JudgeContext;

TEST(PaperSourceItems, SameSizeItemsAskTheirTray) {
  JudgeContext j;
  j.Paper(9);
  j.Set(fid::kdmTray2Paper, 9);  // tray code 3
  j.Set(fid::kdmTray1Paper, 8);
  j.Set(fid::kdmTray3Paper, 8);
  j.Set(fid::kdmTray4Paper, 8);
  j.Set(fid::kdmTray26PaperLCT1, 8);
  j.Set(fid::kdmTray29PaperMulti, 9);
  // 820 auto, 821 tray 1, 822 tray 2 (code 3), 823 tray 3, 824 tray 4, 825 LCT, 826 code 4.
  EXPECT_EQ(j.Item(820), 1u);
  EXPECT_EQ(j.Item(821), 0u);
  EXPECT_EQ(j.Item(822), 1u);
  EXPECT_EQ(j.Item(823), 0u);
  EXPECT_EQ(j.Item(826), 0u);  // neither manual nor multi-purpose tray installed
  j.Set(fid::kdmSourceOptionTypeMulti, 1);
  EXPECT_EQ(j.Item(826), 1u);
  j.Set(fid::kdmTrayLock1, 1);  // tray 2 out of automatic selection; the multi tray still holds it
  EXPECT_EQ(j.Item(820), 1u);
  j.Set(fid::kdmTrayLock28, 1);
  EXPECT_EQ(j.Item(820), 0u);
  EXPECT_EQ(j.Item(822), 1u);  // a lock matters only under automatic selection
  j.Set(fid::kdmTray26PaperLCT1, 9);
  EXPECT_EQ(j.Item(825), 1u);
}

TEST(PaperSourceItems, SamePaperComparesPaperAndOrientationWithTheMainSource) {
  struct Case {
    const char* what;
    WORD item, trayField;
    DWORD specialTray, mainSource;
    DWORD expected;
  } cases[] = {
      {"cover from tray 2, main tray 1", 836, fid::kdmCoverInputTray, 3, 1, 1},
      {"cover automatic", 836, fid::kdmCoverInputTray, 7, 7, 0},
      {"cover from unknown tray", 836, fid::kdmCoverInputTray, 99, 1, 0},
      {"inserted sheet", 837, fid::kdmMPInputTray, 3, 1, 1},
      {"back cover", 838, fid::kdmBackCoverInputTray, 3, 1, 1},
      {"chapter", 839, fid::wdmChapterTray, 3, 1, 1},
      {"reverse cover", 840, fid::kdmReverseCoverInputTray, 3, 1, 1},
      {"reverse cover from tray 3 (other size)", 840, fid::kdmReverseCoverInputTray, 2, 1, 0},
      {"external tray 286", 836, fid::kdmCoverInputTray, 286, 1, 1},
      {"main automatic finds tray 1", 836, fid::kdmCoverInputTray, 3, 7, 1},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(t.what);
    JudgeContext j;
    j.Set(fid::dmDefaultSource, t.mainSource);
    j.Set(fid::kdmTray1Paper, 9);
    j.Set(fid::kdmTrayOrient0, 1);
    j.Set(fid::kdmTray2Paper, 9);
    j.Set(fid::kdmTrayOrient1, 1);
    j.Set(fid::kdmTray3Paper, 8);
    j.Set(fid::kdmTray30PaperExt1, 9);
    j.Set(fid::kdmTrayOrient29, 1);
    j.Set(t.trayField, t.specialTray);
    EXPECT_EQ(j.Item(t.item), t.expected);
  }
  JudgeContext j;
  j.MainTray1(9, 0);
  j.Set(fid::kdmTray2Paper, 9);
  j.Set(fid::kdmTrayOrient1, 1);  // same paper, set the other way
  j.Set(fid::kdmCoverInputTray, 3);
  EXPECT_EQ(j.Item(836), 0u);
}

TEST(FoldItems, ClassesByMachine) {
  struct Case {
    DWORD machine, paper;
    int foldClass;
  } cases[] = {
      {144, 8, 1}, {144, 512, 0}, {162, 512, 1}, {158, 9, 2}, {186, 1, 2}, {144, 6, 3},
      {144, 384, 3}, {144, 393, 3}, {144, 394, 0}, {162, 448, 3}, {144, 2, 0}, {90, 8, 0}, {90, 9, 0},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(testing::Message() << t.machine << " " << t.paper);
    JudgeContext j;
    j.Set(fid::kdmMachineID, t.machine);
    j.Paper(t.paper);
    EXPECT_EQ(FoldClassOf(j.get(), static_cast<int>(t.paper)), t.foldClass);
    for (WORD id = 842; id <= 844; ++id) EXPECT_EQ(j.Item(id), t.foldClass == id - 841 ? 1u : 0u) << id;
  }
}

TEST(FoldItems, DirectionItemsNeedAFoldTraySetPortrait) {
  JudgeContext j;
  j.Set(fid::kdmMachineID, 144);
  j.Set(fid::dmOrientation, 2);  // d = 1
  j.Set(fid::dmDefaultSource, 1);
  j.Paper(8);                    // class 1
  j.Set(fid::kdmTray3Paper, 8);  // tray code 2, set portrait
  EXPECT_EQ(j.Item(845), 1u);
  EXPECT_EQ(j.Item(846), 0u);  // a differs from d
  j.Set(fid::kdmTrayOrient2, 1);
  EXPECT_EQ(j.Item(845), 0u);  // set landscape
  j.Set(fid::kdmTrayOrient2, 0);

  // Class 2 asked the other way: a class-1 paper in a fold tray.
  j.Paper(9);
  EXPECT_EQ(j.Item(846), 1u);
  EXPECT_EQ(j.Item(845), 0u);  // same direction: A4 itself must be in a fold tray
  j.Set(fid::kdmTray7Paper, 9);
  EXPECT_EQ(j.Item(845), 1u);

  // Class 3: class 1, else class 2 paper in a fold tray.
  j.Paper(6);
  EXPECT_EQ(j.Item(845), 1u);
  j.Set(fid::kdmTray3Paper, 11);
  EXPECT_EQ(j.Item(845), 1u);  // A4 in tray 7
  j.Set(fid::kdmTray7Paper, 11);
  EXPECT_EQ(j.Item(845), 0u);

  // The LCT is a fold tray of machine 158 but not of 144.
  j.Set(fid::kdmTray26PaperLCT1, 8);
  EXPECT_EQ(j.Item(845), 0u);
  j.Set(fid::kdmMachineID, 158);
  EXPECT_EQ(j.Item(845), 1u);
}

TEST(FoldItems, ManualFeedForbidsFolding) {
  struct Case {
    const char* what;
    WORD tray, function;
  } cases[] = {
      {"cover", fid::kdmCoverInputTray, fid::kdmFuncSelectCover},
      {"inserted sheet", fid::kdmMPInputTray, fid::kdmFuncSelectMark},
      {"back cover", fid::kdmBackCoverInputTray, fid::kdmFuncSelectBack},
      {"reverse cover", fid::kdmReverseCoverInputTray, fid::kdmFuncSelectReverseCover},
      {"chapter", fid::wdmChapterTray, fid::kdmFuncSelectChapter},
      {"chapter tray 7", fid::wdmChapterUseTray7, fid::kdmFuncSelectChapter},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(t.what);
    JudgeContext j;
    j.Set(fid::kdmMachineID, 158);
    j.Set(fid::dmOrientation, 2);
    j.Set(fid::dmDefaultSource, 1);
    j.Paper(8);
    j.Set(fid::kdmTray1Paper, 8);
    EXPECT_EQ(j.Item(845), 1u);
    j.Set(t.tray, 4);
    EXPECT_EQ(j.Item(845), 1u);  // the function is off
    j.Set(t.function, 1);
    EXPECT_EQ(j.Item(845), 0u);
  }
  JudgeContext j;
  j.Set(fid::kdmMachineID, 158);
  j.Set(fid::dmOrientation, 2);
  j.Paper(8);
  j.Set(fid::kdmTray1Paper, 8);
  j.Set(fid::dmDefaultSource, 4);
  EXPECT_EQ(j.Item(845), 0u);
}

TEST(MediaItems, CustomMediaStandsForItsMediaType) {
  JudgeContext j;
  j.Set(fid::kdmMediaType, 1027);
  j.Set(fid::wdmCustomMedia3Quot, 257);  // thick
  EXPECT_EQ(j.Item(883), 1u);
  EXPECT_EQ(j.Item(884), 1u);
  EXPECT_EQ(j.Item(853), 1u);
  EXPECT_EQ(j.Item(852), 0u);
  j.Set(fid::wdmCustomMedia3Quot, 264);  // colour: not two-sided only
  EXPECT_EQ(j.Item(883), 1u);
  EXPECT_EQ(j.Item(884), 0u);
  EXPECT_EQ(j.Item(885), 0u);  // the cover media is not custom
  j.Set(fid::kdmCoverMediaType, 1027);
  EXPECT_EQ(j.Item(885), 1u);
  j.Set(fid::wdmCustomMedia16Quot, 2);
  EXPECT_EQ(j.Item(866), 1u);
  for (DWORD m : {DWORD{1024}, DWORD{1041}, DWORD{257}}) {
    j.Set(fid::kdmMediaType, m);
    j.Set(fid::kdmCoverMediaType, m);
    EXPECT_EQ(j.Item(883), 0u) << m;
    EXPECT_EQ(j.Item(884), 0u) << m;
    EXPECT_EQ(j.Item(885), 0u) << m;
  }
  j.Set(fid::kdmMediaType, 1040);
  EXPECT_EQ(j.Item(884), 1u);  // custom media 16 is a transparency
}

TEST(MediaItems, LockedDefaultItemsReadTheSavedSettings) {
  JudgeContext j;
  SettingField* protect = j.base().field(fid::kdmFuncSelectCopyProtect);
  ASSERT_NE(protect, nullptr);
  j.Set(fid::kdmFuncSelectCopyProtect, 1);  // the current setting does not count
  EXPECT_EQ(j.Item(870), 0u);
  j.Set(fid::kdmLock000InfoBitDefault, 1);
  EXPECT_EQ(j.Item(870), 0u);
  // Place the value into the locked default settings by writing through a context whose
  // current buffer is that one.
  BYTE* current = j.get()->settings;
  j.get()->settings = j.base().locked();
  j.Set(fid::kdmFuncSelectCopyProtect, 1);
  j.get()->settings = current;
  EXPECT_EQ(j.Item(870), 1u);
  EXPECT_EQ(j.Item(871), 0u);
  j.Set(fid::kdmLock000InfoBitDefault, 0);
  EXPECT_EQ(j.Item(870), 0u);
}

}  // namespace
