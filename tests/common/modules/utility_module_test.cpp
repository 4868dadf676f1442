// The utility module's answers to the settings code: the copies rule item, the hidden
// controls of page 1003, the user-changed mark and the colour-matching memory of the
// user-quality pages.
#include <gtest/gtest.h>

#include "stored/module_services.h"
#include "field_ids.h"
#include "context/module_events.h"
#include "modules_fixture.h"

namespace {

using Utility = kovatest::ModulesTest;

TEST_F(Utility, CopiesBelowTheSeparationCycle) {
  struct Case {
    DWORD copies, cycle;
    std::int32_t value;
  } cases[] = {{1, 2, 1}, {2, 2, 0}, {3, 2, 0}, {0xFFFF, 1, 1}, {5, 0xFFFF, 0}};  // signed 16-bit
  for (const Case& c : cases) {
    Set(fid::dmCopies, c.copies);
    Set(fid::kdmSeparationSheetCycle, c.cycle);
    EXPECT_EQ(ComputeCopiesJudgeHook(ctx_, fid::wdmJudgeHookUcf90), c.value) << c.copies << " " << c.cycle;
  }
  EXPECT_EQ(ComputeCopiesJudgeHook(ctx_, fid::wdmJudgeHookUcf90 + 1), 0);
  Set(fid::dmCopies, 0);
  Set(fid::kdmSeparationSheetCycle, 4);
  CallModuleItemHooks(ctx_, 901);
  EXPECT_EQ(Get(fid::kdmSeparationSheetCycle), 4u);  // no copies: the cycle stays
}

TEST_F(Utility, HiddenControlsOfTheEditPageAndTheUserMark) {
  PageRecord* edit = FindPageById(ctx_, 1003);
  ASSERT_NE(edit, nullptr);
  ControlRecord* stampCheck = Control(1003, 2088);
  ASSERT_NE(stampCheck, nullptr);
  for (DWORD on : {0u, 1u}) {
    stampCheck->state = 0;
    Set(fid::kdmFunc2SelectUICtrlWaterMark, on);
    PageControlEventBlock block{edit, stampCheck};
    NotifyModules(ctx_, MODEV_HIDDEN_STATE, &block);
    EXPECT_EQ(stampCheck->state & 3u, on);
  }
  NotifyModules(ctx_, MODEV_USER_PICKED, stampCheck);
  EXPECT_EQ(stampCheck->runtimeMarks & 2u, 2u);
}

TEST_F(Utility, ACancelledUserQualityPagePutsTheRememberedMatchingBack) {
  PageRecord page{};
  page.pageId = 1021;
  page.flags = 0x20;
  ctx_->work->colorMatchingMask = 0x02;
  ctx_->work->colorMatchingValues[1] = 201;
  Set(fid::wdmColorMatchingText, 1);
  Set(fid::kdmColorMatchingMode, 3);
  NotifyModules(ctx_, MODEV_PAGE_CANCELLED, &page);
  EXPECT_EQ(Get(fid::wdmColorMatchingText), 201u);
  EXPECT_EQ(Get(fid::kdmColorMatchingMode), 3u);  // not remembered: unchanged
  EXPECT_EQ(ctx_->work->colorMatchingMask, 0);    // event 35 forgot the memory
  // A page outside the group neither restores nor forgets.
  ctx_->work->colorMatchingMask = 0x01;
  page.flags = 0;
  NotifyModules(ctx_, MODEV_PAGE_CONFIRMED, &page);
  EXPECT_EQ(ctx_->work->colorMatchingMask, 0x01);
}

}  // namespace
