// The status items' engine: row lookup, record kinds, the checks before a change, the
// snapshots a refusal rolls back to, the changed-items bitmap, and reading an item.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "api_frame.h"
#include "status_fixture.h"
#include "context/chapter_list.h"
#include "field_ids.h"
#include "fields/field_access.h"
#include "fields/product_record.h"
#include "item_tables.h"
#include "plat/system.h"
#include "settings_snapshots.h"
#include "status_engine.h"
#include "stored/module_services.h"

namespace kovatest {
namespace status_engine_test {
namespace {

struct KindCase {
  bool record;
  DWORD recordKind;
  DWORD itemKind;
  std::int32_t mode;
  int expected;
};

TEST(StatusRecordKinds, CheckRecordKindByRecordAndMode) {
  const KindCase cases[] = {
      {false, 0, 1, 0, 2}, {true, 0, 1, 0, 0}, {true, 1, 1, 0, 0}, {true, 1, 2, 0, 0},
      {true, 2, 1, 0, 1},  {true, 2, 1, 1, 1}, {true, 2, 1, 2, 2}, {true, 0xFFFFFFFFu, 3, 5, 1},
  };
  for (const KindCase& c : cases) {
    BYTE record[32] = {};
    std::memcpy(record, &c.recordKind, 4);
    EXPECT_EQ(CheckRecordKind(c.record ? record : nullptr, c.itemKind, c.mode), c.expected)
        << c.recordKind << " " << c.itemKind << " " << c.mode;
  }
}

TEST(StatusRecordKinds, CompareRecordKindOlderNewerAndZero) {
  const std::pair<std::pair<DWORD, DWORD>, int> cases[] = {
      {{1, 0}, 0}, {{2, 2}, 0}, {{2, 1}, 1}, {{1, 2}, 2}, {{3, 0xFFFFFFFFu}, 2}};
  for (const auto& c : cases) EXPECT_EQ(CompareRecordKind(c.first.first, c.first.second), c.second);
}

TEST(StatusRecordKinds, KindRowsBySizeAndVersion) {
  ResetApiGlobals();
  GetApiGlobals().currentVersion = 10;
  EXPECT_EQ(RecordSizeOfKind(10, 2, 0), 408);
  EXPECT_EQ(RecordSizeOfKind(10, 0, 32), 0);
  EXPECT_EQ(RecordSizeOfKind(9, 1, 32), 32);     // no rows: the fallback
  EXPECT_EQ(RecordSizeOfKind(14, 7, 0), 32);     // past the newest kind: the newest row
  EXPECT_EQ(KindNeedsNewerApi(10, 3), 1);        // API 14
  EXPECT_EQ(KindNeedsNewerApi(10, 2), 0);
  EXPECT_EQ(KindNeedsNewerApi(56, 2), 1);        // API 11
  EXPECT_EQ(KindNeedsNewerApi(9, 3), 0);
  ResetApiGlobals();
}

using StatusEngine = StatusPrinterTest;

// Errors of a change and of a read by id, record, version and mode.
struct SetCase {
  const char* name;
  std::int32_t version;
  DWORD id;
  bool record;
  DWORD kind;
  DWORD value;
  std::int32_t mode;
  std::int32_t answer;
  std::int32_t error;  // the last error after the call; -2: as before the call (set to 55)
  DWORD copiesAfter;   // dmCopies after the call
};

TEST_F(StatusEngine, SetAnswersAndErrorsByIdKindVersionAndMode) {
  const SetCase cases[] = {
      {"disabled row", 16, 37, true, 1, 2, 0, -1, 2, 1},
      {"disabled row 44", 16, 44, true, 1, 2, 0, -1, 2, 1},
      {"row without handlers", 16, 36, true, 1, 2, 0, -1, 100, 1},
      {"no record", 16, 9, false, 1, 2, 0, -1, 5, 1},
      {"no row at v10", 10, 60, true, 1, 2, 0, -1, 100, 1},
      {"never available", 16, 263, true, 1, 2, 0, -1, 2, 1},
      {"copies set", 16, 9, true, 1, 7, 0, 0, -2, 7},
      {"older kind 0 set", 16, 9, true, 0, 7, 0, 0, -2, 7},
      {"newer kind, mode 2: nothing", 16, 9, true, 2, 7, 2, 1, -2, 1},
      {"newer kind, mode 0: made", 16, 9, true, 2, 7, 0, 1, -2, 7},
      {"newer kind, mode 1: made", 16, 9, true, 9, 8, 1, 1, -2, 8},
      {"copies not offered", 16, 9, true, 1, 1000, 0, -1, 7, 1},
      {"copies 0 not offered", 16, 9, true, 1, 0, 0, -1, 7, 1},
      {"no error kept at v8", 8, 9, true, 1, 1000, 0, -1, -1, 1},
  };
  for (const SetCase& c : cases) {
    SCOPED_TRACE(c.name);
    DriverContext* handle = EnableEdited(c.version);
    ASSERT_NE(handle, nullptr);
    WriteFieldRawById(handle, fid::dmCopies, 1);
    if (ApiState* state = ApiStateOf(handle)) state->lastError = 55;
    std::vector<BYTE> record = Record(c.kind, c.value);
    BYTE changed[64] = {};
    EXPECT_EQ(DoSetStatus(handle, c.id, c.record ? record.data() : nullptr, changed, c.mode), c.answer);
    EXPECT_EQ(DoGetLastError(handle), c.error == -2 ? 55 : c.error);
    EXPECT_EQ(ReadFieldRawById(handle, fid::dmCopies), c.copiesAfter);
    DoDisable(handle);
  }
}

TEST_F(StatusEngine, AcceptedCopiesSetTheFieldsBitAndThePresetNumber) {
  DriverContext* handle = EnableEdited(16);
  ASSERT_NE(handle, nullptr);
  WriteFieldRawById(handle, fid::dmFields, ReadFieldRawById(handle, fid::dmFields) & ~DM_COPIES);
  WriteFieldRawById(handle, fid::kdmPresetNo, 3);
  std::vector<BYTE> record = Record(1, 12);
  EXPECT_EQ(DoSetStatus(handle, 9, record.data(), nullptr, 0), 0);
  EXPECT_EQ(ReadFieldRawById(handle, fid::dmCopies), 12u);
  EXPECT_NE(ReadFieldRawById(handle, fid::dmFields) & DM_COPIES, 0u);
  EXPECT_EQ(ReadFieldRawById(handle, fid::kdmPresetNo), 0xFFFFFFFFu);  // the byte 255, signed
  // A refused value leaves dmFields as it was.
  WriteFieldRawById(handle, fid::dmFields, ReadFieldRawById(handle, fid::dmFields) & ~DM_COPIES);
  const DWORD fields = ReadFieldRawById(handle, fid::dmFields);
  record = Record(1, 5000);
  EXPECT_EQ(DoSetStatus(handle, 9, record.data(), nullptr, 0), -1);
  EXPECT_EQ(ReadFieldRawById(handle, fid::dmFields), fields);
  DoDisable(handle);
}

TEST_F(StatusEngine, ReadAnswersSizeKindAndErrors) {
  DriverContext* handle = EnableEdited(16);
  ASSERT_NE(handle, nullptr);
  WriteFieldRawById(handle, fid::dmCopies, 4);
  ApiStateOf(handle)->lastError = 55;
  std::vector<BYTE> record = Record(0, 0);
  EXPECT_EQ(DoGetStatus(handle, 9, record.data(), 0), 32);
  EXPECT_EQ(Word(record, 0), 1u);  // the item's kind
  EXPECT_EQ(Word(record, 4), 4u);
  EXPECT_EQ(DoGetLastError(handle), 55);
  EXPECT_EQ(DoGetStatus(handle, 9, nullptr, 1), 32);
  EXPECT_EQ(DoGetStatus(handle, 9, record.data(), 2), -1);
  EXPECT_EQ(DoGetLastError(handle), 6);
  ApiStateOf(handle)->lastError = 55;
  EXPECT_EQ(DoGetStatus(handle, 36, record.data(), 1), -1);  // a row without GET
  EXPECT_EQ(DoGetLastError(handle), 55);
  EXPECT_EQ(DoGetStatus(handle, 37, record.data(), 1), -1);
  EXPECT_EQ(DoGetLastError(handle), 2);
  DoDisable(handle);
}

// The main field's option disabled or hidden by the rules refuses the change (error 7).
TEST_F(StatusEngine, MainFieldDisabledOrHiddenRefuses) {
  const std::pair<const char*, const char*> rules[] = {
      {"{KPD_IDC_PRESET_CHOICE_MEDIATYPE NULL NULL MediaItems", "{KPD_IDC_PRESET_CHOICE_MEDIATYPE LowResolution NULL MediaItems"},
      {"{KPD_IDC_PRESET_CHOICE_MEDIATYPE NULL NULL MediaItems", "{KPD_IDC_PRESET_CHOICE_MEDIATYPE NULL LowResolution MediaItems"},
  };
  for (const auto& [from, to] : rules) {
    DriverContext* handle = EnableEdited(16, {{from, to}});
    ASSERT_NE(handle, nullptr);
    WriteFieldRawById(handle, fid::kdmDstResolutionW, 300);
    const DWORD media = ReadFieldRawById(handle, fid::kdmMediaType);
    std::vector<BYTE> record = Record(1, 258);
    EXPECT_EQ(DoSetStatus(handle, 3, record.data(), nullptr, 0), -1) << to;
    EXPECT_EQ(DoGetLastError(handle), 7);
    EXPECT_EQ(ReadFieldRawById(handle, fid::kdmMediaType), media);
    WriteFieldRawById(handle, fid::kdmDstResolutionW, 600);
    EXPECT_EQ(DoSetStatus(handle, 3, record.data(), nullptr, 0), 0) << to;
    EXPECT_EQ(ReadFieldRawById(handle, fid::kdmMediaType), 258u);
    DoDisable(handle);
  }
}

TEST_F(StatusEngine, JobActionsUnderTheTerminalServerRestriction) {
  DriverContext* handle = EnableEdited(16);
  ASSERT_NE(handle, nullptr);
  WriteFieldRawById(handle, fid::KPD_kdmTSE, 1);
  std::vector<BYTE> record = Record(1, 1);
  EXPECT_EQ(DoSetStatus(handle, 30, record.data(), nullptr, 0), -1);
  EXPECT_EQ(DoGetLastError(handle), 1002);
  DoDisable(handle);
}

// A change that the item's VERIFY finds undone by the rules: the media type goes back to
// plain while duplex is on.
constexpr std::pair<const char*, const char*> kBackToPlain[] = {
    {"{KDMMEDIATYPE_2 Judge13 NULL NULL}", "{KDMMEDIATYPE_2 NULL NULL NULL}"},
    {"MediaItems NULL FinishingOff NULL NULL}", "MediaItems NULL BackToPlain NULL NULL}"},
};

TEST_F(StatusEngine, VerifyRefusalLeavesEverythingAsItWas) {
  DriverContext* handle = EnableEdited(16, {kBackToPlain[0], kBackToPlain[1]});
  ASSERT_NE(handle, nullptr);
  WriteFieldRawById(handle, fid::kdmFuncSelectDuplex, 1);
  WriteFieldRawById(handle, fid::dmCopies, 3);
  WriteFieldRawById(handle, fid::kdmPresetNo, 2);
  FillChapters(handle, 2);
  const std::vector<BYTE> devmode = Devmode(handle);
  const std::vector<BYTE> work = WorkFields(handle);
  const std::vector<BYTE> chapters = Chapters(handle);
  std::vector<BYTE> record = Record(1, 2);
  BYTE changed[64];
  std::memset(changed, 0xA5, sizeof changed);
  EXPECT_EQ(DoSetStatus(handle, 3, record.data(), changed, 0), -1);
  EXPECT_EQ(DoGetLastError(handle), 7);
  EXPECT_TRUE(Devmode(handle) == devmode);
  EXPECT_TRUE(WorkFields(handle) == work);
  EXPECT_TRUE(Chapters(handle) == chapters);
  for (BYTE b : changed) EXPECT_EQ(b, 0);
  DoDisable(handle);
}

// Below API version 6 the bitmap is 32 bytes: a refusal clears no more of the buffer.
TEST_F(StatusEngine, VersionFiveClearsThirtyTwoBytes) {
  DriverContext* handle = EnableEdited(5, {kBackToPlain[0], kBackToPlain[1]});
  ASSERT_NE(handle, nullptr);
  WriteFieldRawById(handle, fid::kdmFuncSelectDuplex, 1);
  std::vector<BYTE> record = Record(1, 2);
  BYTE changed[64];
  std::memset(changed, 0xA5, sizeof changed);
  EXPECT_EQ(DoSetStatus(handle, 3, record.data(), changed, 0), -1);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(changed[i], i < 32 ? 0 : 0xA5) << i;
  DoDisable(handle);
}

// Without the snapshots a refusal could not be undone: the change is refused up front.
TEST_F(StatusEngine, SnapshotThatCannotBeTakenRefusesBeforeAnyChange) {
  for (const SIZE_T size : {static_cast<SIZE_T>(GetTotalDevmodeSize()), static_cast<SIZE_T>(kWorkFieldsBytes)}) {
    DriverContext* handle = EnableEdited(16, {kBackToPlain[0], kBackToPlain[1]});
    ASSERT_NE(handle, nullptr);
    WriteFieldRawById(handle, fid::dmCopies, 3);
    const std::vector<BYTE> devmode = Devmode(handle);
    const std::vector<BYTE> work = WorkFields(handle);
    std::vector<BYTE> record = Record(1, 9);
    BYTE changed[64] = {};
    plat::FailAllocationsOfSize(size);
    EXPECT_EQ(DoSetStatus(handle, 9, record.data(), changed, 0), -1) << size;
    plat::FailAllocationsOfSize(0);
    EXPECT_EQ(DoGetLastError(handle), 100);
    EXPECT_EQ(ReadFieldRawById(handle, fid::dmCopies), 3u);
    EXPECT_TRUE(Devmode(handle) == devmode);
    EXPECT_TRUE(WorkFields(handle) == work);
    DoDisable(handle);
  }
}

// The chapter list copy keeps its own count: a list made larger during the call (a settings
// file with more chapters) gets its first entries back and the rest cleared, and a different
// number of chapters is a change.
TEST_F(StatusEngine, ChapterCopyWithinBothCountsWhenTheListGrows) {
  DriverContext* handle = EnableEdited(16);
  ASSERT_NE(handle, nullptr);
  WriteFieldRawById(handle, fid::wdmChapterMax, 4);
  FillChapters(handle, 3);
  const std::vector<BYTE> before = Chapters(handle);
  ChapterListCopy copy{};
  ASSERT_EQ(TakeChapterListCopy(handle, kWholeChapterList, &copy), 1);
  EXPECT_EQ(ChapterListDiffers(handle, &copy, 3), 0);
  WriteFieldRawById(handle, fid::wdmChapterMax, 20);
  FillChapters(handle, 20);
  EXPECT_GE(Chapters(handle).size(), 21 * sizeof(ChapterEntry));
  EXPECT_EQ(ChapterListDiffers(handle, &copy, 3), 1);
  PutChapterListCopyBack(handle, &copy);
  const std::vector<BYTE> after = Chapters(handle);
  ASSERT_GT(after.size(), before.size());
  EXPECT_TRUE(std::equal(before.begin(), before.end(), after.begin()));
  for (std::size_t i = before.size(); i < after.size(); ++i) EXPECT_EQ(after[i], 0) << i;
  WriteFieldRawById(handle, fid::wdmChapterNum, 3);
  EXPECT_EQ(ChapterListDiffers(handle, &copy, 3), 0);
  // A copy of fewer entries than the list names is a change, never read past its end.
  ChapterListCopy small{};
  ASSERT_EQ(TakeChapterListCopy(handle, 2, &small), 1);
  EXPECT_EQ(ChapterListDiffers(handle, &small, 3), 1);
  FreeChapterListCopy(&small);
  FreeChapterListCopy(&copy);
  DoDisable(handle);
}

// The chapter list is put back after a refusal even when its array was made larger during
// the call; the snapshot of the list cannot be taken: error 100, nothing changed.
TEST_F(StatusEngine, ChapterSnapshotFailureRefusesWithInternalError) {
  DriverContext* handle = EnableEdited(16);
  ASSERT_NE(handle, nullptr);
  WriteFieldRawById(handle, fid::wdmChapterMax, 6);
  FillChapters(handle, 2);
  int capacity = 0;
  ChapterArray(handle, &capacity);
  WriteFieldRawById(handle, fid::dmCopies, 3);
  std::vector<BYTE> record = Record(1, 9);
  plat::FailAllocationsOfSize(static_cast<SIZE_T>(capacity) * sizeof(ChapterEntry));
  EXPECT_EQ(DoSetStatus(handle, 9, record.data(), nullptr, 0), -1);
  plat::FailAllocationsOfSize(0);
  EXPECT_EQ(DoGetLastError(handle), 100);
  EXPECT_EQ(ReadFieldRawById(handle, fid::dmCopies), 3u);
  DoDisable(handle);
}

TEST_F(StatusEngine, ItemStatesRecordDisabledAndHiddenFields) {
  DriverContext* handle = EnableEdited(16, {{"{KPD_IDC_PRESET_CHOICE_MEDIATYPE NULL NULL MediaItems",
                                             "{KPD_IDC_PRESET_CHOICE_MEDIATYPE NULL LowResolution MediaItems"}});
  ASSERT_NE(handle, nullptr);
  WriteFieldRawById(handle, fid::kdmDstResolutionW, 300);
  RefreshItemStates(handle);
  ApiState* state = ApiStateOf(handle);
  auto word = [&](DWORD id, int j, int which) {
    DWORD value = 0;
    std::memcpy(&value, ItemStateSlot(state, id - 1) + j * 8 + which * 4, 4);
    return value;
  };
  EXPECT_EQ(word(3, 0, 0), 0u);
  EXPECT_EQ(word(3, 0, 1), 1u);  // media type hidden
  EXPECT_EQ(word(9, 0, 0), 0u);
  DoDisable(handle);
}

}  // namespace
}  // namespace status_engine_test
}  // namespace kovatest
