// The module dispatchers with recording modules, the built-in module tables and the
// answers the modules give today.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "fields/field_access.h"
#include "base/memory.h"
#include "model/module_dispatch.h"
#include "stored/module_services.h"
#include "context/module_hooks.h"
#include "context_fixture.h"

namespace {

using kovatest::ContextTest;

// What each recording module saw, in order: {module, what, private data}.
struct Seen {
  int module;
  DWORD what;
  void* data;
  bool operator==(const Seen&) const = default;
};
std::vector<Seen> g_seen;
std::int32_t g_answer[5];

template <int N>
std::int32_t Item(DriverContext*, WORD number, void* data) {
  g_seen.push_back({N, number, data});
  return g_answer[N];
}
template <int N>
std::int32_t Message(DriverContext*, PageRecord*, ControlRecord*, DWORD message, WPARAM, LPARAM, void* data) {
  g_seen.push_back({N, message, data});
  return g_answer[N];
}
template <int N>
std::int32_t Event(DriverContext*, DWORD event, void* block, void* data) {
  g_seen.push_back({N, event, data});
  if (event == MODEV_QUERY_YES_NO && g_answer[N] < 0) *static_cast<std::int32_t*>(block) = 0;
  return g_answer[N] > 0 ? g_answer[N] : 0;
}

// A context whose module list holds five recording modules; module 2 has no hooks.
class RecordingModules : public ::testing::Test {
 protected:
  RecordingModules() {
    records_[0] = {0, &data_[0], Item<0>, Message<0>, Event<0>};
    records_[1] = {0, &data_[1], Item<1>, Message<1>, Event<1>};
    records_[2] = {0, &data_[2], nullptr, nullptr, nullptr};
    records_[3] = {0, &data_[3], Item<3>, Message<3>, Event<3>};
    records_[4] = {0, &data_[4], Item<4>, Message<4>, Event<4>};
    list_ = {5, records_};
    work_->modules = &list_;
    ctx_.work = work_.get();
    g_seen.clear();
    for (auto& a : g_answer) a = 0;
  }
  std::vector<int> Order() const {
    std::vector<int> order;
    for (const Seen& s : g_seen) order.push_back(s.module);
    return order;
  }

  int data_[5] = {};
  ExtensionModule records_[5];
  ModuleList list_;
  std::unique_ptr<WorkArea> work_ = std::make_unique<WorkArea>();
  DriverContext ctx_{};
};

TEST_F(RecordingModules, EventsWalkInTableOrderUntilTheFirstAnswer) {
  struct Case {
    int answering;  // module that answers nonzero, -1 none
    std::vector<int> seen;
  } cases[] = {{-1, {0, 1, 3, 4}}, {0, {0}}, {1, {0, 1}}, {3, {0, 1, 3}}, {4, {0, 1, 3, 4}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answering);
    g_seen.clear();
    for (int i = 0; i < 5; ++i) g_answer[i] = i == c.answering ? 1 : 0;
    NotifyModules(&ctx_, 44, nullptr);
    EXPECT_EQ(Order(), c.seen);
    for (const Seen& s : g_seen) {
      EXPECT_EQ(s.what, 44u);
      EXPECT_EQ(s.data, &data_[s.module]);  // each hook gets its own record's private data
    }
  }
}

TEST_F(RecordingModules, ItemHooksStopAtTheFirstTakerAndUnknownNumbersPassQuietly) {
  g_answer[3] = 1;
  CallModuleItemHooks(&ctx_, 312);
  EXPECT_EQ(Order(), (std::vector<int>{0, 1, 3}));
  g_seen.clear();
  g_answer[3] = 0;
  CallModuleItemHooks(&ctx_, 999);
  EXPECT_EQ(Order(), (std::vector<int>{0, 1, 3, 4}));
  CallModuleItemHooks(nullptr, 312);
}

TEST_F(RecordingModules, MessagesReturnTheAnswerThatEndedTheWalk) {
  g_answer[1] = 7;
  EXPECT_EQ(DispatchModuleMessage(&ctx_, nullptr, nullptr, 0x111, 1, 2), 7);
  EXPECT_EQ(Order(), (std::vector<int>{0, 1}));
  g_seen.clear();
  g_answer[1] = 0;
  EXPECT_EQ(DispatchModuleMessage(&ctx_, nullptr, nullptr, 0x111, 1, 2), 0);
  EXPECT_EQ(Order(), (std::vector<int>{0, 1, 3, 4}));
  g_seen.clear();
  // Without a context the page code's own answer is all there is.
  EXPECT_EQ(DispatchModuleMessage(nullptr, nullptr, nullptr, 0x110, 0, 0), 0);
  EXPECT_TRUE(g_seen.empty());
}

TEST_F(RecordingModules, YesNoQuestion) {
  EXPECT_EQ(QueryModulesYesNo(&ctx_), 1);
  EXPECT_EQ(g_seen.front().what, MODEV_QUERY_YES_NO);
  g_answer[3] = -1;  // module 3 says no but lets the walk go on
  EXPECT_EQ(QueryModulesYesNo(&ctx_), 0);
  EXPECT_EQ(QueryModulesYesNo(nullptr), 1);
}

TEST_F(RecordingModules, NoListNoDispatch) {
  work_->modules = nullptr;
  NotifyModules(&ctx_, 1, nullptr);
  CallModuleItemHooks(&ctx_, 5);
  EXPECT_EQ(DispatchModuleMessage(&ctx_, nullptr, nullptr, 1, 0, 0), 0);
  EXPECT_TRUE(g_seen.empty());
}

TEST_F(RecordingModules, JudgeHooksOutsideTheModuleRangesAnswerZero) {
  for (WORD id : {WORD{0}, WORD{1291}, WORD{1308}, WORD{1403}, WORD{1420}}) {
    EXPECT_EQ(EvaluateJudgeHook(&ctx_, id), 0) << id;
  }
  EXPECT_TRUE(g_seen.empty());
}

TEST(ModuleTable, TenModulesOnlyTheChapterModuleHasPrivateData) {
  for (Deliverable kind : {Deliverable::Interface, Deliverable::Rendering, Deliverable::SettingsApi}) {
    SetDeliverable(kind);
    std::int32_t count = 0;
    const ExtensionModule* table = GetModuleTable(&count);
    ASSERT_EQ(count, 10);
    for (int i = 0; i < count; ++i) {
      EXPECT_EQ(table[i].privateSize, i == MODULE_CHAPTERS ? static_cast<std::int32_t>(sizeof(ChapterModuleData)) : 0);
      EXPECT_EQ(table[i].privateData, nullptr);
      EXPECT_NE(table[i].eventHook, nullptr);
      // Only the printer interface DLL has page messages for the modules.
      EXPECT_EQ(table[i].messageHook == NoControlMessages, kind != Deliverable::Interface) << i;
    }
    EXPECT_EQ(table[MODULE_PRINT_TYPE].eventHook == PrintTypeModuleEventRendering, kind == Deliverable::Rendering);
  }
  SetDeliverable(Deliverable::Interface);
}

TEST(ModuleTable, TheRenderingPrintTypeHookSeesOnlyItsEvents) {
  for (DWORD event : {30u, 54u, 53u, 31u}) {
    std::int32_t answer = 7;
    const std::int32_t handled = PrintTypeModuleEventRendering(nullptr, event, &answer, nullptr);
    const bool passes = event == 30 || event == 54;
    EXPECT_EQ(handled, passes ? 1 : 0) << event;
    EXPECT_EQ(answer, event == 30 ? 0 : event == 54 ? 1 : 7) << event;
  }
}

class ContextModules : public ContextTest {};

TEST_F(ContextModules, AContextLoadsTheTableAndFreesItWithItsPrivateData) {
  DriverContext* ctx = Create(Install(u"Modules"));
  ASSERT_NE(ctx, nullptr);
  ModuleList* list = ctx->work->modules;
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->count, 10);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(list->records[i].privateData != nullptr, i == MODULE_CHAPTERS) << i;
  // Event 2 frees what the chapter module's private data holds: the list copies a snapshot
  // push makes.
  ctx->work->presetCache[3] = AllocMem(16);
  ctx->work->chapterEntries = AllocMem(2 * sizeof(ChapterEntry));
  NotifyModules(ctx, MODEV_SNAPSHOT_PUSH, nullptr);
  EXPECT_NE(static_cast<ChapterModuleData*>(list->records[MODULE_CHAPTERS].privateData)->savedList, nullptr);
  ReleaseContext(ctx, CTXR_DESTROY);  // ASan reports what is not freed
}

TEST_F(ContextModules, TheModulesAnswerTheEventsOfTheCommonCode) {
  DriverContext* ctx = Create(Install(u"Answers"));
  ASSERT_NE(ctx, nullptr);
  DWORD smallPaper = 0;
  NotifyModules(ctx, MODEV_SMALL_PAPER, &smallPaper);
  EXPECT_EQ(smallPaper, 1u);
  std::int32_t listDisabled = 5;
  NotifyModules(ctx, MODEV_RESOLUTION_LIST, &listDisabled);
  EXPECT_EQ(listDisabled, 0);
  std::int32_t bins = 0;
  NotifyModules(ctx, MODEV_BIN_LIST, &bins);
  EXPECT_EQ(bins, 0);

  // Built-in function 312: the setting-lock module copies the locked values.
  WriteFieldRawById(ctx, 54, 3);   // kdmMediaType
  WriteFieldRawById(ctx, 209, 2);  // kdmPrnMethod
  CallModuleItemHooks(ctx, 312);
  EXPECT_EQ(ReadFieldRawById(ctx, 1203), 3u);
  EXPECT_EQ(ReadFieldRawById(ctx, 1207), 2u);
  ReleaseContext(ctx, CTXR_DESTROY);
}

}  // namespace
