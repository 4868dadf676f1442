// The device-mode and quality-data exports of the item API and the command-base device-mode.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "constrix_fixture.h"
#include "fields/field_access.h"
#include "fields/product_record.h"
#include "devmode_exports.h"
#include "field_ids.h"
#include "model/capability_lists.h"
#include "win/devmode.h"

namespace kovatest {
namespace {

class DevmodeExports : public ApiPrinterTest {
 protected:
  void SetUp() override {
    ApiPrinterTest::SetUp();
    InstallApiPrinter();
    WriteApiVersion(16);
    handle_ = DoEnable(kPrinter);
    ASSERT_NE(handle_, nullptr);
    const ApiInitInfo info{0, 16};
    ASSERT_EQ(DoInit(1, &info), 1);  // from version 9 the last error is kept
  }
  void TearDown() override {
    DoDisable(handle_);
    EXPECT_TRUE(CachesEmpty());
    ApiPrinterTest::TearDown();
  }
  DriverContext* handle_ = nullptr;
};

TEST_F(DevmodeExports, EachModeAnswersTheSizeOrItsError) {
  struct Case {
    std::int32_t mode;
    std::int32_t answer;  // 0: the device-mode size
    std::int32_t error;
  };
  const Case cases[] = {
      {0x1, 0, 0}, {0x3, 0, 0}, {0x2, 0, 0}, {0x4, 0, 0}, {0x6, 0, 0}, {0x14, 0, 0},
      {0x10, -1, 1}, {0x0, -1, 1}, {0x8, -1, 1},  // mode 8 belongs to the extended export only
  };
  const auto size = static_cast<std::int32_t>(GetTotalDevmodeSize());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    std::vector<BYTE> out(size + 16, 0xEE);
    const std::int32_t answer = DoGetDevmode(handle_, c.mode, reinterpret_cast<DEVMODEW*>(out.data()));
    EXPECT_EQ(answer, c.answer ? c.answer : size);
    EXPECT_EQ(DoGetLastError(handle_), c.error);
    if (answer > 0) {
      EXPECT_EQ(std::memcmp(out.data(), handle_->settings, size), 0);
      EXPECT_EQ(reinterpret_cast<DEVMODEW*>(out.data())->dmSize, 220);
    }
    for (std::int32_t i = size; i < size + 16; ++i) ASSERT_EQ(out[i], 0xEE) << "written past the device-mode";
  }
  EXPECT_EQ(DoGetDevmode(nullptr, 1, nullptr), -1);
}

TEST_F(DevmodeExports, WithoutABufferTheSettingsStillChange) {
  WriteFieldRawById(handle_, fid::kdmUseUserMacro, 1);
  WriteFieldRawById(handle_, fid::kdmUserPrintMacro, 33);
  EXPECT_EQ(DoGetDevmode(handle_, 1, nullptr), static_cast<std::int32_t>(GetTotalDevmodeSize()));
  EXPECT_EQ(ReadFieldRawById(handle_, fid::kdmUseUserMacro), 0u);
  EXPECT_EQ(ReadFieldRawById(handle_, fid::kdmUserPrintMacro), 0u);
}

TEST_F(DevmodeExports, ExtendedModeMergesTheCallersDevmode) {
  const auto size = static_cast<std::int32_t>(GetTotalDevmodeSize());
  EXPECT_EQ(DoGetDevmodeEx(handle_, 8, nullptr, nullptr), -1);
  EXPECT_EQ(DoGetLastError(handle_), 5);
  EXPECT_EQ(DoGetDevmodeEx(handle_, 0x20, nullptr, nullptr), -1);
  EXPECT_EQ(DoGetLastError(handle_), 1);
  std::vector<BYTE> in(handle_->settings, handle_->settings + size);
  auto* dm = reinterpret_cast<DEVMODEW*>(in.data());
  dm->dmCopies = 7;
  dm->dmFields |= DM_COPIES;
  std::vector<BYTE> out(size);
  EXPECT_EQ(DoGetDevmodeEx(handle_, 8, reinterpret_cast<DEVMODEW*>(out.data()), dm), size);
  EXPECT_EQ(reinterpret_cast<DEVMODEW*>(out.data())->dmCopies, 7);
  // A mode of the plain export goes there.
  EXPECT_EQ(DoGetDevmodeEx(handle_, 4, nullptr, nullptr), size);
}

// The extended mode reads a caller's device-mode only as far as the driver may: one whose
// public part is too short for the members the merge reads is as none (error 5), and
// nothing of it is read, however small its block.
TEST_F(DevmodeExports, ExtendedModeReadsNothingOfADevmodeItMayNotRead) {
  const auto size = static_cast<std::int32_t>(GetTotalDevmodeSize());
  struct Case {
    WORD dmSize;
    std::int32_t answer;  // 0: the device-mode size
    std::int32_t error;   // 0: the last error is not looked at
  };
  const Case cases[] = {{0, -1, 5}, {10, -1, 5}, {71, -1, 5}, {80, -1, 5}, {148, -1, 5}, {188, 0, 0}, {220, 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dmSize);
    WriteFieldRawById(handle_, fid::dmCopies, 1);
    // A block of exactly the device-mode's own size (at least its header through dmFields).
    const size_t block = c.dmSize < 76 ? 76 : c.dmSize;
    std::vector<BYTE> in(handle_->settings, handle_->settings + block);
    auto* dm = reinterpret_cast<DEVMODEW*>(in.data());
    dm->dmSize = c.dmSize;
    dm->dmDriverExtra = 0;
    dm->dmFields = DM_COPIES | DM_PAPERWIDTH | DM_PAPERLENGTH;
    if (block >= 88) dm->dmCopies = 7;
    EXPECT_EQ(DoGetDevmodeEx(handle_, 8, nullptr, dm), c.answer ? c.answer : size);
    if (c.error) {
      EXPECT_EQ(DoGetLastError(handle_), c.error);
    }
    EXPECT_EQ(ReadFieldRawById(handle_, fid::dmCopies), c.answer ? 1u : 7u);
  }
}

TEST_F(DevmodeExports, QualityDataComesBackAndNothingElse) {
  WriteFieldRawById(handle_, fid::kdmBrightness, 10);
  WriteFieldRawById(handle_, fid::kdmContrast, 20);
  WriteFieldRawById(handle_, fid::dmCopies, 3);
  ASSERT_EQ(DoSaveQualityData(handle_), 1);
  WriteFieldRawById(handle_, fid::kdmBrightness, 90);
  WriteFieldRawById(handle_, fid::kdmContrast, 80);
  WriteFieldRawById(handle_, fid::dmCopies, 9);
  ASSERT_EQ(DoRestoreQualityData(handle_), 1);
  EXPECT_EQ(ReadFieldRawById(handle_, fid::kdmBrightness), 10u);
  EXPECT_EQ(ReadFieldRawById(handle_, fid::kdmContrast), 20u);
  EXPECT_EQ(ReadFieldRawById(handle_, fid::dmCopies), 9u);  // not quality data
  EXPECT_EQ(DoSaveQualityData(nullptr), 0);
  EXPECT_EQ(DoRestoreQualityData(nullptr), 0);
}

TEST_F(DevmodeExports, CommandBaseDevmodeFitsTheCallersAnsiBuffer) {
  const auto need = static_cast<std::int32_t>(GetTotalDevmodeSize() - 64);
  std::int32_t needed = 0;
  EXPECT_EQ(DoGetDriverDevmode(kPrinter, 1, need - 1, nullptr, &needed), 1);
  EXPECT_EQ(needed, need);
  std::vector<BYTE> small(need - 1);
  EXPECT_EQ(DoGetDriverDevmode(kPrinter, 1, need - 1, small.data(), &needed), 1);
  // Exactly the size asked for, with a guard after it: the wide form must not overrun it.
  std::vector<BYTE> out(need + 64, 0xEE);
  EXPECT_EQ(DoGetDriverDevmode(kPrinter, 2, need, out.data(), &needed), -1);
  EXPECT_EQ(DoGetDriverDevmode("No Such Printer", 1, need, out.data(), &needed), -1);
  ASSERT_EQ(DoGetDriverDevmode(kPrinter, 1, need, out.data(), &needed), 0);
  for (std::int32_t i = need; i < need + 64; ++i) ASSERT_EQ(out[i], 0xEE) << i;
  EXPECT_STREQ(reinterpret_cast<const char*>(out.data()), kPrinter);
  WORD size = 0, extra = 0;
  std::memcpy(&size, out.data() + 36, 2);  // dmSize in the ANSI form
  std::memcpy(&extra, out.data() + 38, 2);
  EXPECT_EQ(size, 156);
  EXPECT_EQ(size + extra, need);
}

TEST_F(DevmodeExports, CommandBaseDevmodeCutsALongPrinterNameTo31Bytes) {
  const std::string name = "Api Printer With A Forty Character Names";
  ASSERT_EQ(name.size(), 40u);
  InstallApiPrinter(std::u16string(name.begin(), name.end()));
  const auto need = static_cast<std::int32_t>(GetTotalDevmodeSize() - 64);
  std::vector<BYTE> out(need);
  std::int32_t needed = 0;
  ASSERT_EQ(DoGetDriverDevmode(name.c_str(), 1, need, out.data(), &needed), 0);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(out.data())), name.substr(0, 31));
  EXPECT_EQ(out[31], 0);
}

}  // namespace
}  // namespace kovatest

namespace kovatest {
namespace {

class HighResolution : public ApiPrinterTest {};

TEST_F(HighResolution, CurrentSettingsFallBackTo600WhenTheMachineCannotHoldThePage) {
  InstallApiPrinter();
  WriteApiVersion(16);
  DriverContext* handle = DoEnable(kPrinter);
  ASSERT_NE(handle, nullptr);
  WriteFieldRawById(handle, fid::kdmSourceOptionTypeDuplex, 1);  // the printer has a duplex unit
  ASSERT_EQ(HasDuplexUnit(handle), 1);
  struct Case {
    DWORD machine;
    DWORD duplex;
    DWORD memory;
    DWORD both;
    bool refused;
  };
  const Case cases[] = {
      {130, 1, 32, 4, true},
      {131, 1, 32, 4, false},       // another machine
      {130, 0, 32, 4, false},       // duplex off
      {130, 1, 160, 4, false},      // the larger memory
      {130, 1, 32, 5, false},       // another resolution
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.machine * 1000 + c.memory);
    WriteFieldRawById(handle, fid::kdmMachineID, c.machine);
    WriteFieldRawById(handle, fid::kdmFuncSelectDuplex, c.duplex);
    WriteFieldRawById(handle, fid::kdmPrinterMemory, c.memory);
    WriteFieldRawById(handle, fid::kdmOutOptionSupportCFUnit, 0);
    WriteFieldRawById(handle, fid::kdmDstResolutionBoth, c.both);
    WriteFieldRawById(handle, fid::kdmDstResolutionW, 1200);
    WriteFieldRawById(handle, fid::kdmDstResolutionH, 1200);
    EXPECT_EQ(IsHighResolutionRefused(handle), c.refused ? 1 : 0);
    ASSERT_EQ(DoGetDevmode(handle, 4, nullptr), static_cast<std::int32_t>(GetTotalDevmodeSize()));
    if (c.refused) {
      EXPECT_EQ(ReadFieldRawById(handle, fid::kdmDstResolutionW), 600u);
      EXPECT_EQ(ReadFieldRawById(handle, fid::kdmDstResolutionH), 600u);
      EXPECT_EQ(ReadFieldRawById(handle, fid::kdmDstResolutionBoth), 3u);
    } else {
      EXPECT_NE(ReadFieldRawById(handle, fid::kdmDstResolutionBoth), 3u);
    }
  }
  DoDisable(handle);
}

TEST_F(HighResolution, TwoHandlesShareOneCurrentVersion) {
  InstallApiPrinter(u"Api One");
  InstallApiPrinter(u"Api Two");
  WriteApiVersion(16);
  DriverContext* one = DoEnable("Api One");
  DriverContext* two = DoEnable("Api Two");
  ASSERT_TRUE(one && two);
  // Enabled without an init, a version-16 model works at version 3: no id 36, no last error.
  BYTE record[32] = {};
  EXPECT_EQ(DoGetStatus(one, 36, record, 1), -1);
  EXPECT_EQ(DoGetLastError(one), -1);
  const ApiInitInfo info{0, 10};
  ASSERT_EQ(DoInit(1, &info), 1);
  EXPECT_EQ(DoGetLastError(two), 0);  // the other handle sees version 10 as well
  EXPECT_EQ(DoGetCaps(two, 0, nullptr), 64);
  DoDisable(one);
  DoDisable(two);
}

}  // namespace
}  // namespace kovatest
