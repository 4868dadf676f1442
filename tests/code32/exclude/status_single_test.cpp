// The single-value status items: the value checked against the field's option and the
// rules, the public fields bits, the colour adjustment variants and the items with checks of
// their own.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "status_fixture.h"
#include "win/devmode.h"

namespace kovatest {
namespace status_single_test {
namespace {

using StatusSingle = StatusPrinterTest;

// A brightness option for the colour adjustment items.
constexpr std::pair<const char*, const char*> kBrightness = {
    "*OpenUI *KPD_IDC_PRESET_EDIT_COPIES: Numeric",
    "*OpenUI *KPD_IDC_BRIGHTNESS: Numeric\r\n*NumericValue: \"1 0 -20 20 0 0 1 1\"\r\n*CloseUI\r\n\r\n"
    "*OpenUI *KPD_IDC_PRESET_EDIT_COPIES: Numeric"};
// The thick media type hidden while duplex is on.
constexpr std::pair<const char*, const char*> kThickHiddenWithDuplex = {"{KDMMEDIATYPE_258 NULL NULL NULL}",
                                                                        "{KDMMEDIATYPE_258 NULL Judge13 NULL}"};

struct SingleCase {
  const char* name;
  std::vector<std::pair<std::string, std::string>> edits;
  int functions;
  std::vector<std::pair<WORD, DWORD>> before;  // fields written before the call
  DWORD id;
  std::vector<std::pair<DWORD, DWORD>> record;  // u32 at offset
  std::int32_t answer;
  std::int32_t error;  // 0: not looked at
  std::vector<std::pair<WORD, DWORD>> after;  // fields read after the call
};

TEST_F(StatusSingle, SetByItemValueAndRules) {
  const SingleCase cases[] = {
      {"hidden value accepted", {kThickHiddenWithDuplex}, -1, {{fid::kdmFuncSelectDuplex, 1}}, 3, {{4, 258}}, 0, 0,
       {{fid::kdmMediaType, 258}}},
      {"disabled value refused", {}, -1, {{fid::kdmFuncSelectDuplex, 1}, {fid::kdmMediaType, 1}}, 3, {{4, 2}}, -1, 7,
       {{fid::kdmMediaType, 1}}},
      {"value not in the model", {}, -1, {{fid::kdmMediaType, 1}}, 3, {{4, 77}}, -1, 7, {{fid::kdmMediaType, 1}}},
      {"orientation sets its fields bit", {}, -1, {{fid::dmFields, 0}}, 6, {{4, 2}}, 0, 0,
       {{fid::dmOrientation, 2}, {fid::dmFields, DM_ORIENTATION}}},
      {"colour planes all off", {}, -1, {}, 35, {}, -1, 0, {}},
      {"index rotation on plain paper", {}, -1, {{fid::kdmMediaType, 1}}, 62, {{4, 1}}, -1, 15,
       {{fid::kdmExtOutputIndexRotation, 0}}},
      {"index rotation out of range", {}, -1, {}, 62, {{4, 3}}, -1, 7, {}},
      {"page separation without its function bit", {}, -1, {}, 73, {{4, 1}}, -1, 7,
       {{fid::kdmFunc2SelectPageSeparation, 0}}},
      {"page separation with its function bit", {}, 0x200, {}, 73, {{4, 1}}, 0, 0,
       {{fid::kdmFunc2SelectPageSeparation, 1}}},
      {"page separation value 2", {}, 0x200, {}, 73, {{4, 2}}, -1, 7, {{fid::kdmFunc2SelectPageSeparation, 0}}},
      {"job completion without capability 80", {}, -1, {}, 52, {{4, 1}}, -1, 7, {}},
      {"brightness written to the text variant", {kBrightness}, -1,
       {{fid::kdmAdjustMode, 1}, {fid::kdmAdjustObject, 0}, {fid::kdmBrightness, 3}}, 40, {{8, 0xFFFB}}, 0, 0,
       {{fid::kdmBrightness, 3}, {970, 0xFFFFFFFBu}}},
      {"brightness out of range", {kBrightness}, -1, {{fid::kdmBrightness, 3}}, 40, {{8, 30}}, -1, 7,
       {{fid::kdmBrightness, 3}}},
  };
  for (const SingleCase& c : cases) {
    SCOPED_TRACE(c.name);
    DriverContext* handle = EnableEdited(16, c.edits, c.functions);
    ASSERT_NE(handle, nullptr);
    for (const auto& [field, value] : c.before) WriteFieldRawById(handle, field, value);
    std::vector<BYTE> record = Record(1, 0);
    for (const auto& [offset, value] : c.record) std::memcpy(record.data() + offset, &value, 4);
    EXPECT_EQ(DoSetStatus(handle, c.id, record.data(), nullptr, 0), c.answer);
    if (c.error) {
      EXPECT_EQ(DoGetLastError(handle), c.error);
    }
    for (const auto& [field, value] : c.after) {
      const DWORD now = ReadFieldRawById(handle, field);
      if (field == fid::dmFields)
        EXPECT_EQ(now & value, value);
      else
        EXPECT_EQ(now, value) << field;
    }
    DoDisable(handle);
  }
}

// Reading a colour adjustment gives the base value and its three variants.
TEST_F(StatusSingle, ColourAdjustmentReadsBaseAndVariants) {
  DriverContext* handle = EnableEdited(16, {kBrightness});
  ASSERT_NE(handle, nullptr);
  WriteFieldRawById(handle, fid::kdmBrightness, 3);
  WriteFieldRawById(handle, 970, static_cast<DWORD>(-5));
  WriteFieldRawById(handle, 971, 6);
  WriteFieldRawById(handle, 972, 7);
  std::vector<BYTE> record = Record(1, 0);
  EXPECT_EQ(DoGetStatus(handle, 40, record.data(), 1), 32);
  std::int16_t values[4];
  std::memcpy(values, record.data() + 8, sizeof values);
  EXPECT_EQ(values[0], 3);
  EXPECT_EQ(values[1], -5);
  EXPECT_EQ(values[2], 6);
  EXPECT_EQ(values[3], 7);
  DoDisable(handle);
}

// Items that need a capability or a function bit answer -1 on reading as well.
TEST_F(StatusSingle, ReadingNeedsWhatSettingNeeds) {
  DriverContext* handle = EnableEdited(16);
  ASSERT_NE(handle, nullptr);
  std::vector<BYTE> record = Record(1, 0);
  for (DWORD id : {52u, 53u, 57u, 73u, 265u, 266u, 267u, 268u, 269u})
    EXPECT_EQ(DoGetStatus(handle, id, record.data(), 1), -1) << id;
  for (DWORD id : {2u, 3u, 4u, 6u, 9u, 35u, 62u, 75u}) EXPECT_EQ(DoGetStatus(handle, id, record.data(), 1), 32) << id;
  WriteFieldRawById(handle, fid::kdmExtOutputIndexRotation, 1);
  WriteFieldRawById(handle, fid::kdmExtOutputShiftPrint, 1);
  EXPECT_EQ(DoGetStatus(handle, 62, record.data(), 1), 32);
  EXPECT_EQ(Word(record, 4), 2u);
  DoDisable(handle);
}

}  // namespace
}  // namespace status_single_test
}  // namespace kovatest
