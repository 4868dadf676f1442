// What a status change sets off: the rules' transacts, and the changed-items bitmap with its
// rules for the item that was set, disabled and hidden fields, and the margin function.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "context/context_create.h"
#include "item_tables.h"
#include "status_engine.h"
#include "status_fixture.h"
#include "status_propagation.h"

namespace kovatest {
namespace status_propagation_test {
namespace {

using StatusPropagation = StatusPrinterTest;

TEST(FunctionSelectRows, OnOffFieldsAndExtras) {
  const FunctionSelectRow* row = nullptr;
  EXPECT_EQ(FindFunctionSelectField(12, &row), 65);
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(row->extra, 3u);
  EXPECT_EQ(FindFunctionSelectField(13, &row), 64);
  EXPECT_EQ(row->extra, 2u);
  EXPECT_EQ(FindFunctionSelectField(79), 543);
  EXPECT_EQ(FindFunctionSelectField(262), 176);
  EXPECT_EQ(FindFunctionSelectField(9, &row), 0);
  EXPECT_EQ(row, nullptr);
}

// Transparency turns stapling off through the media type's transacts: the staple item is
// reported unless the rules disable stapling or kept it hidden throughout.
struct MarkCase {
  const char* name;
  std::pair<const char*, const char*> edit;
  DWORD resolution;
  bool stapleMarked;
};

TEST_F(StatusPropagation, StapleSwitchedOffByTheRulesIsReportedUnlessDisabledOrStillHidden) {
  const MarkCase cases[] = {
      {"usable", {"", ""}, 600, true},
      {"disabled", {"NoStapler: KPD_OutputOptionTypeStaple == 0", "NoStapler: KPD_OutputOptionTypeStaple == 1"}, 600,
       false},
      {"newly hidden", {"{KPD_IDC_FUNCSELECTSTAPLE NoStapler NULL", "{KPD_IDC_FUNCSELECTSTAPLE NoStapler Transparency"},
       600, true},
      {"hidden before and after",
       {"{KPD_IDC_FUNCSELECTSTAPLE NoStapler NULL", "{KPD_IDC_FUNCSELECTSTAPLE NoStapler LowResolution"}, 300, false},
  };
  for (const MarkCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::pair<std::string, std::string>> edits;
    if (c.edit.first[0]) edits.emplace_back(c.edit.first, c.edit.second);
    DriverContext* handle = EnableEdited(16, edits);
    ASSERT_NE(handle, nullptr);
    WriteFieldRawById(handle, fid::kdmDstResolutionW, c.resolution);
    WriteFieldRawById(handle, fid::kdmFuncSelectStaple, 1);
    std::vector<BYTE> record = Record(1, 2);
    BYTE changed[64];
    std::memset(changed, 0xFF, sizeof changed);
    EXPECT_EQ(DoSetStatus(handle, 3, record.data(), changed, 0), 0);
    EXPECT_EQ(ReadFieldRawById(handle, fid::kdmFuncSelectStaple), 0u);
    EXPECT_EQ(IsChangedItemMarked(changed, 20), c.stapleMarked ? 1 : 0);
    EXPECT_EQ(IsChangedItemMarked(changed, 3), 0);  // the item set is not reported
    EXPECT_EQ(IsChangedItemMarked(changed, 9), 0);
    DoDisable(handle);
  }
}

TEST_F(StatusPropagation, WithoutABitmapTheTransactsStillRun) {
  DriverContext* handle = EnableEdited(16);
  ASSERT_NE(handle, nullptr);
  WriteFieldRawById(handle, fid::kdmFuncSelectStaple, 1);
  std::vector<BYTE> record = Record(1, 2);
  EXPECT_EQ(DoSetStatus(handle, 3, record.data(), nullptr, 0), 0);
  EXPECT_EQ(ReadFieldRawById(handle, fid::kdmMediaType), 2u);
  EXPECT_EQ(ReadFieldRawById(handle, fid::kdmFuncSelectStaple), 0u);
  DoDisable(handle);
}

// The item that was set is reported only by its own tests: the value the rules left against
// the value the caller asked for.
// The duplex types whose partners the rules may put in place.
constexpr std::pair<const char*, const char*> kPartnerDuplexTypes = {
    "*KPD_IDC_DUPLEXTYPE KDMDUPLEXTYPE_2: \"@PJL SET BINDING=SHORTEDGE<0D0A>\"",
    "*KPD_IDC_DUPLEXTYPE KDMDUPLEXTYPE_2: \"@PJL SET BINDING=SHORTEDGE<0D0A>\"\r\n"
    "*KPD_IDC_DUPLEXTYPE KDMDUPLEXTYPE_17: \"\"\r\n*KPD_IDC_DUPLEXTYPE KDMDUPLEXTYPE_18: \"\"\r\n"
    "*KPD_IDC_DUPLEXTYPE KDMDUPLEXTYPE_20: \"\"\r\n*KPD_IDC_DUPLEXTYPE KDMDUPLEXTYPE_22: \"\""};

struct SelfCase {
  DWORD item;
  std::int32_t version;
  std::vector<std::pair<WORD, DWORD>> after;  // fields written after the copy was taken
  DWORD recordValue;
  bool marked;
};

TEST_F(StatusPropagation, SelfMarksOfTheItemSet) {
  const SelfCase cases[] = {
      {14, 16, {{fid::kdmNUPType, 1}}, 3, true},
      {14, 16, {{fid::kdmNUPType, 3}}, 2, true},
      {14, 16, {{fid::kdmNUPType, 2}}, 3, false},
      {14, 16, {{fid::kdmNUPType, 3}}, 3, false},
      {15, 16, {{fid::kdmDuplexType, 18}}, 17, true},
      {15, 16, {{fid::kdmDuplexType, 20}}, 22, true},
      {15, 16, {{fid::kdmDuplexType, 1}}, 2, false},
      {67, 16, {{fid::kdmFuncSelectChapter, 1}}, 0, true},
      {67, 16, {{fid::kdmFuncSelectChapter, 1}}, 1, false},
      {28, 16, {{fid::kdmRotationMode, 1}, {fid::kdmNupLayout, 2}}, 0, true},
      {28, 16, {{fid::kdmRotationMode, 1}}, 0, false},
      {28, 13, {{fid::kdmRotationMode, 1}, {fid::kdmBookLayout, 2}}, 0, false},
      {19, 16, {{fid::kdmExtOutput2SeparationSheet, 1}, {fid::kdmSeparationSheetCycle, 4}}, 0, false},
  };
  for (const SelfCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.item << " " << c.recordValue);
    DriverContext* handle = EnableEdited(c.version, {kPartnerDuplexTypes});
    ASSERT_NE(handle, nullptr);
    ASSERT_EQ(SaveSettingsCopy(handle), 1);
    for (const auto& [field, value] : c.after) WriteFieldRawById(handle, field, value);
    const StatusItem* row = FindStatusItem(c.item);
    ASSERT_NE(row, nullptr);
    std::vector<BYTE> record = Record(row->recordKind, c.recordValue, 40);
    BYTE changed[64] = {};
    PropagateStatusChange(handle, row, record.data(), changed);
    EXPECT_EQ(IsChangedItemMarked(changed, c.item), c.marked ? 1 : 0);
    DoDisable(handle);
  }
}

// The margin shift is reported only when its on/off field and its direction both changed.
TEST_F(StatusPropagation, MarginShiftNeedsItsSwitchAndDirectionChanged) {
  const struct {
    bool switchChanged;
    bool directionChanged;
    bool marked;
  } cases[] = {{false, true, false}, {true, false, false}, {true, true, true}};
  for (const auto& c : cases) {
    DriverContext* handle = EnableEdited(16);
    ASSERT_NE(handle, nullptr);
    ASSERT_EQ(SaveSettingsCopy(handle), 1);
    if (c.switchChanged) WriteFieldRawById(handle, fid::kdmFuncSelectMargin, ReadFieldRawById(handle, fid::kdmFuncSelectMargin) ? 0 : 1);
    if (c.directionChanged) WriteFieldRawById(handle, fid::kdmShiftDir, ReadFieldRawById(handle, fid::kdmShiftDir) + 1);
    std::vector<BYTE> record = Record(1, 1);
    BYTE changed[64] = {};
    PropagateStatusChange(handle, FindStatusItem(9), record.data(), changed);
    EXPECT_EQ(IsChangedItemMarked(changed, 18), c.marked ? 1 : 0) << c.switchChanged << c.directionChanged;
    DoDisable(handle);
  }
}

}  // namespace
}  // namespace status_propagation_test
}  // namespace kovatest
