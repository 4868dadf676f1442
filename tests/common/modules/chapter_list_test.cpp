// The chapter list: the typed page list, the merge into the list and its storage.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "stored/module_services.h"
#include "stored/snapshot_ring.h"
#include "field_ids.h"
#include "context/chapter_list.h"
#include "context/module_events.h"
#include "modules_fixture.h"
#include "stored/device_settings.h"
#include "win/profile.h"

namespace chapter_list_test {

using kovatest::ModulesTest;

struct ParseCase {
  const char16_t* text;
  int kind;
  WORD refused;                 // 0 accepted
  std::vector<DWORD> pages;     // when accepted
  std::vector<std::u16string> texts;  // kind 3 only
};

TEST(ChapterParser, TypedPageLists) {
  const ParseCase cases[] = {
      {u"3-1", 0, 0, {1, 2, 3}, {}},
      {u"5,3-4,5", 0, 0, {3, 4, 5}, {}},
      {u"7,2,7,", 0, 0, {2, 7}, {}},
      {u"", 0, 0, {}, {}},
      {u"2-4,9", 3, 0, {2, 9}, {u"2-4", u"9"}},
      {u"6-6", 3, 0, {6}, {u"6"}},
      {u"-3", 0, 10073, {}, {}},
      {u"3-", 0, 10073, {}, {}},
      {u"3--4", 0, 10073, {}, {}},
      {u"3-4-5", 0, 10073, {}, {}},
      {u"3-,4", 0, 10073, {}, {}},
      {u",3-4", 0, 10073, {}, {}},
      {u"0", 0, 10073, {}, {}},
      {u"30001", 0, 10073, {}, {}},
      {u"1,,2", 0, 10073, {}, {}},
      {u"99999999999999999999", 0, 10073, {}, {}},  // saturates, never wraps into range
      {u"4294967297", 0, 10073, {}, {}},             // 2^32 + 1 would wrap to page 1
      {u"1-99999999999999", 0, 10073, {}, {}},
      {u"1 2", 0, 12049, {}, {}},
      {u"a", 0, 12049, {}, {}},
      {u"1-20", 0, 10065, {}, {}},  // 20 pages against a maximum of 10
  };
  auto parse = std::make_unique<ChapterParse>();
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text)));
    EXPECT_EQ(ParseChapterText(c.text, c.kind, 10, parse.get()), c.refused);
    if (c.refused) continue;
    ASSERT_EQ(parse->count, static_cast<int>(c.pages.size()));
    for (int i = 0; i < parse->count; ++i) {
      EXPECT_EQ(parse->pages[i], c.pages[i]);
      if (!c.texts.empty()) {
        EXPECT_EQ(std::u16string(parse->texts[i]), c.texts[i]);
      }
    }
  }
}

TEST(ChapterParser, ALongListStaysWithinTheWorkLists) {
  auto parse = std::make_unique<ChapterParse>();
  // 1000 pages against a maximum beyond the 512 the work lists hold.
  EXPECT_EQ(ParseChapterText(u"1-1000", 0, 5000, parse.get()), 10065);
  std::u16string text;
  for (int i = 1; i <= 600; ++i) {
    const std::string n = std::to_string(i);
    text += std::u16string(n.begin(), n.end()) + u",";
  }
  EXPECT_EQ(ParseChapterText(text.c_str(), 0, 5000, parse.get()), 0);
  EXPECT_EQ(parse->count, kChapterWorkEntries);
}

class ChapterList : public ModulesTest {
 protected:
  void SetUp() override {
    ModulesTest::SetUp();
    Set(fid::wdmChapterMax, 8);
    Set(fid::wdmChapterTrayMax, 2);
  }
  WORD Merge(const char16_t* text, int kind, DWORD tray = 7, DWORD print = 0) {
    Set(fid::wdmChapterKind, static_cast<DWORD>(kind));
    Set(fid::wdmChapterTray, tray);
    Set(fid::wdmChapterPrint, print);
    auto parse = std::make_unique<ChapterParse>();
    const WORD w = ParseChapterText(text, kind, ChapterMaxOf(ctx_), parse.get());
    return w ? w : MergeChapterPages(ctx_, parse.get());
  }
  std::vector<int> Pages() {
    std::vector<int> pages;
    for (int i = 0; ChapterEntry* e = GetChapterEntry(ctx_, i); ++i) pages.push_back(e->pageNumber);
    return pages;
  }
};

TEST_F(ChapterList, MergeKeepsOrderAndRefusesWithoutChange) {
  EXPECT_EQ(Merge(u"5,2", 0), 0);
  EXPECT_EQ(Pages(), (std::vector<int>{2, 5}));
  EXPECT_EQ(Merge(u"4-8", 3), 12045);  // the range covers page 5
  EXPECT_EQ(Pages(), (std::vector<int>{2, 5}));
  EXPECT_EQ(Merge(u"9-12", 3), 0);
  EXPECT_EQ(Merge(u"10", 0), 12045);  // inside the range 9-12
  EXPECT_EQ(Merge(u"1,3,4,6,7,8", 0), 10065);  // 8 entries at most
  EXPECT_EQ(Pages(), (std::vector<int>{2, 5, 9}));
  // A front cover that is printed refuses a range from page 1.
  Set(fid::kdmFuncSelectCover, 1);
  Set(fid::kdmCoverType, 2);
  EXPECT_EQ(Merge(u"1-1", 3), 12046);
  // A third tray against a tray maximum of 2; then two print modes on one tray.
  EXPECT_EQ(Merge(u"20", 0, 3), 0);
  EXPECT_EQ(Get(fid::wdmChapterTrayNum), 2u);
  EXPECT_EQ(Merge(u"21", 0, 5), 10066);
  EXPECT_EQ(Merge(u"22", 0, 3, 1), 0);
  EXPECT_EQ(Merge(u"23", 0, 3, 2), 10068);
  EXPECT_EQ(Pages(), (std::vector<int>{2, 5, 9, 20, 22}));
}

TEST_F(ChapterList, AnExistingRangeRefusesAnOverlappingRange) {
  EXPECT_EQ(Merge(u"4-8", 3), 0);
  EXPECT_EQ(Merge(u"2-6", 3), 12045);
  EXPECT_EQ(Merge(u"1-3", 3), 0);
}

TEST_F(ChapterList, StoredAndLoadedThroughTheDeviceSettingsEvents) {
  EXPECT_EQ(Merge(u"3,8-9", 3), 0);
  DeviceWalkEvent walk{3, DSL_INI_MODE};
  NotifyModules(ctx_, MODEV_DEVICE_SAVED, &walk);
  for (int i = 0; i < 2; ++i) *GetChapterEntry(ctx_, i) = ChapterEntry{};
  NotifyModules(ctx_, MODEV_DEVICE_LOADED, &walk);
  EXPECT_EQ(Pages(), (std::vector<int>{3, 8}));
  EXPECT_EQ(std::u16string(GetChapterEntry(ctx_, 1)->rangeText), u"8-9");
  // With no chapter the list is left as it is.
  Set(fid::wdmChapterNum, 0);
  EXPECT_EQ(LoadChapterList(ctx_, nullptr, 0), 0);
}

TEST_F(ChapterList, AMaximumThatGrowsGetsALargerListAndKeepsTheEntries) {
  EXPECT_EQ(Merge(u"2,4", 0), 0);
  ChapterEntry* before = GetChapterEntry(ctx_, 0);
  ASSERT_NE(before, nullptr);
  Set(fid::wdmChapterMax, 40);
  EXPECT_EQ(Merge(u"30-39", 0), 0);
  EXPECT_EQ(Pages().size(), 12u);
  EXPECT_EQ(Pages().front(), 2);
  // An unbounded "ChapterMax" is held to the lists' size.
  Set(fid::wdmChapterMax, 60000);
  EXPECT_EQ(ChapterMaxOf(ctx_), kChapterWorkEntries);
  Set(fid::wdmChapterTrayMax, 200);
  EXPECT_EQ(ChapterTrayMaxOf(ctx_), kChapterUseTrays);
}

TEST_F(ChapterList, SnapshotsCarryTheListAndThePageCancelPutsTheCountBack) {
  EXPECT_EQ(Merge(u"2,4,6", 0), 0);
  NotifyModules(ctx_, 26, nullptr);
  EXPECT_EQ(DeleteChapterEntry(ctx_, 2), 1);
  EXPECT_EQ(Get(fid::wdmChapterNum), 2u);
  NotifyModules(ctx_, 27, nullptr);
  PageClosedEventBlock closed{FindPageById(ctx_, 1044), nullptr, 2};
  NotifyModules(ctx_, MODEV_PAGE_CLOSED, &closed);
  EXPECT_EQ(Pages(), (std::vector<int>{2, 4, 6}));
}

// Each settings snapshot restores the chapter list its own push saved, however the
// snapshots nest (past the ring's three slots too) and whether the inner ones were
// accepted or cancelled. Steps: a number deletes that entry, '+' pushes, 'c' pops and
// restores (Cancel), 'a' pops and keeps (OK).
TEST_F(ChapterList, EverySnapshotRestoresItsOwnList) {
  struct Case {
    const char* steps;
    std::vector<int> pages;
  };
  const Case cases[] = {
      {"+0c", {2, 4, 6, 8, 10}},
      {"+0+c", {4, 6, 8, 10}},
      {"+0+cc", {2, 4, 6, 8, 10}},
      {"+0+0ac", {2, 4, 6, 8, 10}},
      {"+0+0ca", {4, 6, 8, 10}},
      {"+0+0a", {6, 8, 10}},
      {"+0+0+0+0+c", {10}},
      {"+0+0+0+0+cc", {8, 10}},
      {"+0+0+0+0+ccc", {6, 8, 10}},
      {"+0+0+0+0+cccc", {4, 6, 8, 10}},
      {"+0+0+0+0+ccccc", {2, 4, 6, 8, 10}},
      {"+0+0+0+0+cacac", {2, 4, 6, 8, 10}},
      {"+2+1c", {2, 4, 8, 10}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.steps);
    Set(fid::wdmChapterNum, 0);
    ASSERT_EQ(Merge(u"2,4,6,8,10", 0), 0);
    for (const char* s = c.steps; *s; ++s) {
      if (*s == '+') {
        ASSERT_EQ(PushSettingsSnapshot(ctx_), 1);
      } else if (*s == 'c' || *s == 'a') {
        PopSettingsSnapshot(ctx_, *s == 'c' ? 1 : 0);
      } else {
        ASSERT_GE(DeleteChapterEntry(ctx_, *s - '0'), 0);
      }
    }
    EXPECT_EQ(Pages(), c.pages);
    EXPECT_EQ(Get(fid::wdmChapterNum), c.pages.size());
    while (SettingsSnapshotDepth(ctx_) > 0) PopSettingsSnapshot(ctx_, 0);
    ctx_->work->chapterSavedCount = 0;
  }
}

TEST_F(ChapterList, MediaCopiesAndTrayFlags) {
  Set(fid::kdmChapterMediaType, 5);
  CallModuleItemHooks(ctx_, 306);
  for (WORD f : {fid::kdmCoverMediaType, fid::kdmBackCoverMediaType, fid::kdmMPInputMediaType,
                 fid::kdmReverseCoverMediaType})
    EXPECT_EQ(Get(f), 5u) << f;
  struct Case {
    DWORD flags, query;
    WORD answer;
  } cases[] = {{0x40, 0, 1}, {0x40, 1, 0}, {0x40, 2, 1}, {0x80, 3, 1}, {0x10, 0, 0}, {0xE0, 4, 0}};
  for (const Case& c : cases) {
    TrayFlagEventBlock b{c.flags, c.query, 9};
    NotifyModules(ctx_, MODEV_TRAY_FLAG_TEST, &b);
    EXPECT_EQ(b.answer, c.answer) << c.flags << " " << c.query;
  }
  BYTE mask = 0;
  TrayReportedEventBlock reported{0x40, 4, &mask};
  NotifyModules(ctx_, MODEV_TRAY_REPORTED, &reported);
  EXPECT_EQ(Get(fid::kdmChapterDefTray2), 4u);
  EXPECT_EQ(mask, 8);
}

}  // namespace chapter_list_test
