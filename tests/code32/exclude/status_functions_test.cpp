// The function status items: the on/off value of the record, the trial of a value with the
// function switched on, and the margins that duplex and the margin items bring with them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "status_fixture.h"
#include "status_functions.h"

namespace kovatest {
namespace status_functions_test {
namespace {

using StatusFunctions = StatusPrinterTest;

// Switching stapling on runs the rules that switch finishing off on transparencies.
constexpr std::pair<const char*, const char*> kStapleOffOnTransparency = {"StapleAlert CollateForStaple",
                                                                          "StapleAlert FinishingOff"};

// Print macros 0 and 1 for the user macro item.
constexpr std::pair<const char*, const char*> kPrintMacros = {
    "*OpenUI *KPD_IDC_PRESET_EDIT_COPIES: Numeric",
    "*OpenUI *KPD_IDC_PRINTMACRO: PickOne\r\n*DefaultKPD_IDC_PRINTMACRO: KDMPRINTMACRO_0\r\n"
    "*KPD_IDC_PRINTMACRO KDMPRINTMACRO_0: \"\"\r\n*KPD_IDC_PRINTMACRO KDMPRINTMACRO_1: \"\"\r\n*CloseUI\r\n\r\n"
    "*OpenUI *KPD_IDC_PRESET_EDIT_COPIES: Numeric"};

struct FunctionCase {
  const char* name;
  std::vector<std::pair<std::string, std::string>> edits;
  std::vector<std::pair<WORD, DWORD>> before;
  DWORD id;
  std::vector<std::pair<DWORD, DWORD>> record;  // u32 at offset
  std::int32_t answer;
  std::int32_t error;  // 0: not looked at
  std::vector<std::pair<WORD, DWORD>> after;
};

TEST_F(StatusFunctions, OnOffValueTrialAndMargins) {
  const FunctionCase cases[] = {
      {"staple off ignores a bad type", {}, {{fid::kdmFuncSelectStaple, 1}, {fid::kdmStapleType, 1}}, 20,
       {{4, 99}, {28, 0}}, 0, 0, {{fid::kdmFuncSelectStaple, 0}, {fid::kdmStapleType, 1}}},
      {"duplex off ignores a bad type", {}, {{fid::kdmFuncSelectDuplex, 1}, {fid::kdmDuplexType, 1}}, 15,
       {{4, 77}, {28, 0}}, 0, 0, {{fid::kdmFuncSelectDuplex, 0}, {fid::kdmDuplexType, 1}}},
      {"staple switched on with its type", {}, {{fid::kdmFuncSelectStaple, 0}, {fid::kdmStapleType, 0}}, 20,
       {{4, 2}, {28, 1}}, 0, 0, {{fid::kdmFuncSelectStaple, 1}, {fid::kdmStapleType, 2}}},
      {"staple type not offered", {}, {{fid::kdmFuncSelectStaple, 1}, {fid::kdmStapleType, 0}}, 20,
       {{4, 9}, {28, 1}}, -1, 7, {{fid::kdmFuncSelectStaple, 1}, {fid::kdmStapleType, 0}}},
      {"stapling the rules switch off again", {kStapleOffOnTransparency},
       {{fid::kdmMediaType, 2}, {fid::kdmFuncSelectStaple, 0}, {fid::kdmStapleType, 0}}, 20, {{4, 1}, {28, 1}}, -1,
       7, {{fid::kdmFuncSelectStaple, 0}, {fid::kdmStapleType, 0}, {fid::kdmMediaType, 2}}},
      {"stapling already on needs no trial", {kStapleOffOnTransparency},
       {{fid::kdmMediaType, 1}, {fid::kdmFuncSelectStaple, 1}, {fid::kdmStapleType, 0}}, 20, {{4, 1}, {28, 1}}, 0,
       0, {{fid::kdmFuncSelectStaple, 1}, {fid::kdmStapleType, 1}}},
      {"punching disabled without a puncher", {}, {{fid::kdmFuncSelectPunch, 0}, {fid::kdmPunchType, 0}}, 21,
       {{4, 1}, {28, 1}}, -1, 7, {{fid::kdmFuncSelectPunch, 0}, {fid::kdmPunchType, 0}}},
      {"long-edge duplex brings the margins", {}, {{fid::kdmFuncSelectMargin, 0}, {fid::kdmFuncSelectDuplex, 0}}, 15,
       {{4, 1}, {8, 50}, {12, 0}, {28, 1}}, 0, 0,
       {{fid::kdmFuncSelectDuplex, 1}, {fid::kdmDuplexType, 1}, {fid::kdmFuncSelectMargin, 1},
        {fid::kdmMarginEven, 0}}},
      {"duplex margin beyond its range", {}, {{fid::kdmFuncSelectDuplex, 0}, {fid::kdmMarginOdd, 0}}, 15,
       {{4, 2}, {8, 900}, {28, 1}}, -1, 7, {{fid::kdmFuncSelectDuplex, 0}, {fid::kdmMarginOdd, 0}}},
      {"margin items without the margin option", {}, {}, 69, {{4, 1}}, -1, 7, {}},
      {"back cover mode 3 without duplex", {}, {{fid::kdmFuncSelectDuplex, 0}}, 64, {{4, 3}}, -1, 15, {}},
      {"user macro off with a print macro", {kPrintMacros}, {{fid::kdmUseUserMacro, 1}, {fid::kdmPrintMacro, 0}}, 262,
       {{4, 1}, {28, 0}}, 0, 0, {{fid::kdmUseUserMacro, 0}, {fid::kdmPrintMacro, 1}}},
      {"print macro not offered", {kPrintMacros}, {{fid::kdmUseUserMacro, 1}, {fid::kdmPrintMacro, 0}}, 262, {{4, 7}, {28, 0}},
       -1, 7, {{fid::kdmUseUserMacro, 1}, {fid::kdmPrintMacro, 0}}},
      {"user macro off without print macros", {}, {{fid::kdmUseUserMacro, 1}, {fid::kdmPrintMacro, 0}}, 262,
       {{4, 7}, {28, 0}}, 0, 0, {{fid::kdmUseUserMacro, 0}, {fid::kdmPrintMacro, 0}}},
      {"toner save without its capability", {}, {}, 264, {{4, 1}, {28, 1}}, -1, 7, {}},
  };
  for (const FunctionCase& c : cases) {
    SCOPED_TRACE(c.name);
    DriverContext* handle = EnableEdited(16, c.edits);
    ASSERT_NE(handle, nullptr);
    for (const auto& [field, value] : c.before) WriteFieldRawById(handle, field, value);
    std::vector<BYTE> record = Record(1, 0);
    for (const auto& [offset, value] : c.record) std::memcpy(record.data() + offset, &value, 4);
    EXPECT_EQ(DoSetStatus(handle, c.id, record.data(), nullptr, 0), c.answer);
    if (c.error) {
      EXPECT_EQ(DoGetLastError(handle), c.error);
    }
    for (const auto& [field, value] : c.after) EXPECT_EQ(ReadFieldRawById(handle, field), value) << field;
    DoDisable(handle);
  }
}

// The margins read back in 0.1 mm, and only while the margin function is on.
TEST_F(StatusFunctions, DuplexReadsItsMarginsWhileTheMarginFunctionIsOn) {
  DriverContext* handle = EnableEdited(16);
  ASSERT_NE(handle, nullptr);
  std::vector<BYTE> record = Record(1, 1);
  const DWORD odd = 100;
  const DWORD on = 1;
  std::memcpy(record.data() + 8, &odd, 4);
  std::memcpy(record.data() + 28, &on, 4);
  ASSERT_EQ(DoSetStatus(handle, 15, record.data(), nullptr, 0), 0);
  std::vector<BYTE> read = Record(0, 0);
  EXPECT_EQ(DoGetStatus(handle, 15, read.data(), 1), 32);
  EXPECT_EQ(Word(read, 4), 1u);
  EXPECT_EQ(Word(read, 8), 100u);
  EXPECT_EQ(Word(read, 28), 1u);
  WriteFieldRawById(handle, fid::kdmFuncSelectMargin, 0);
  EXPECT_EQ(DoGetStatus(handle, 15, read.data(), 1), 32);
  EXPECT_EQ(Word(read, 8), 0u);
  DoDisable(handle);
}

// A kind that needs a newer API version than the caller's is refused on reading and setting.
TEST_F(StatusFunctions, KindsOfANewerApiVersionAreRefused) {
  DriverContext* handle = EnableEdited(13);
  ASSERT_NE(handle, nullptr);
  std::vector<BYTE> record = Record(0, 0);
  EXPECT_EQ(DoGetStatus(handle, 11, record.data(), 2), -1);  // kind 2 from API 14
  EXPECT_EQ(DoGetLastError(handle), 6);
  EXPECT_EQ(DoGetStatus(handle, 11, record.data(), 1), 32);
  EXPECT_EQ(DoGetStatus(handle, 14, record.data(), 2), 32);  // kind 2 from API 10
  std::vector<BYTE> set = Record(2, 1);
  const DWORD on = 1;
  std::memcpy(set.data() + 28, &on, 4);
  EXPECT_EQ(DoSetStatus(handle, 11, set.data(), nullptr, 0), -1);
  EXPECT_EQ(DoGetLastError(handle), 6);
  DoDisable(handle);
}

// The trial puts the device-mode back whatever it finds.
TEST_F(StatusFunctions, TrialLeavesTheDevmodeAsItWas) {
  DriverContext* handle = EnableEdited(16, {kStapleOffOnTransparency});
  ASSERT_NE(handle, nullptr);
  for (DWORD media : {1u, 2u}) {
    WriteFieldRawById(handle, fid::kdmMediaType, media);
    WriteFieldRawById(handle, fid::kdmFuncSelectStaple, 0);
    const std::vector<BYTE> before = Devmode(handle);
    EXPECT_EQ(TrySetWithFunctionOn(handle, 20, fid::kdmFuncSelectStaple, fid::kdmStapleType, 1), media == 1 ? 1 : 0);
    EXPECT_TRUE(Devmode(handle) == before) << media;
  }
  plat::FailAllocationsOfSize(GetTotalDevmodeSize());
  ApiStateOf(handle)->lastError = 0;
  EXPECT_EQ(TrySetWithFunctionOn(handle, 20, fid::kdmFuncSelectStaple, fid::kdmStapleType, 1), 0);
  plat::FailAllocationsOfSize(0);
  EXPECT_EQ(DoGetLastError(handle), 100);
  DoDisable(handle);
}

}  // namespace
}  // namespace status_functions_test
}  // namespace kovatest
