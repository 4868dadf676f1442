#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "context_fixture.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_handles.h"
#include "fields/field_table.h"
#include "base/memory.h"
#include "fields/product_record.h"
#include "field_ids.h"
#include "stored/lock_data.h"
#include "win/errors.h"
#include "win/registry.h"
#include "win/spool.h"

namespace kovatest {
namespace {

class LockData : public ContextTest {
 protected:
  void SetUp() override {
    ContextTest::SetUp();
    StartContext(u"Office");
  }
  std::vector<BYTE> Data(const char16_t* name) {
    DWORD t = 0, needed = 0;
    BYTE probe[1];
    GetPrinterDataW(printer_, const_cast<LPWSTR>(name), &t, probe, 0, &needed);
    if (needed == 0) return {};
    std::vector<BYTE> bytes(needed);
    if (GetPrinterDataW(printer_, const_cast<LPWSTR>(name), &t, bytes.data(), needed, &needed) != ERROR_SUCCESS)
      return {};
    return bytes;
  }
  void Put(const char16_t* name, const std::vector<BYTE>& bytes) {
    ASSERT_EQ(SetPrinterDataW(printer_, const_cast<LPWSTR>(name), REG_BINARY, const_cast<BYTE*>(bytes.data()),
                              static_cast<DWORD>(bytes.size())),
              static_cast<DWORD>(ERROR_SUCCESS));
  }
  DWORD DataWord(const char16_t* name) {
    const auto b = Data(name);
    DWORD v = 0xFFFFFFFF;
    if (b.size() == 4) std::memcpy(&v, b.data(), 4);
    return v;
  }

};

TEST_F(LockData, LockedDefaultsRoundTripWithoutHandles) {
  const DWORD size = GetSettingsBufferSize();
  ASSERT_NE(ctx_->work->lockDefaults, nullptr);
  std::memcpy(ctx_->work->lockDefaults, ctx_->settings, size);
  ctx_->work->lockDefaults[100] = 0x5A;
  // A handle field of the copy must never reach printer data.
  SettingField* fontField = FindFieldById(ctx_, fid::kdmDeviceFont);
  ASSERT_NE(fontField, nullptr);
  const std::size_t fontOffset = static_cast<std::size_t>(GetFieldAddress(ctx_, fontField) - ctx_->settings);
  const DWORD fake = 0x1234;
  std::memcpy(ctx_->work->lockDefaults + fontOffset, &fake, 4);

  ASSERT_EQ(WriteLockDefaultData(printer_, ctx_), 1);
  auto stored = Data(u"LockDefaultData");
  ASSERT_EQ(stored.size(), size);
  DWORD inData = 0;
  std::memcpy(&inData, stored.data() + fontOffset, 4);
  EXPECT_EQ(inData, 0u);

  // Loading clears handle fields that another process left in the value.
  std::memcpy(stored.data() + fontOffset, &fake, 4);
  Put(u"LockDefaultData", stored);
  std::memset(ctx_->work->lockDefaults, 0, size);
  ASSERT_EQ(LoadLockDefaultData(printer_, ctx_), 1);
  EXPECT_EQ(ctx_->work->lockDefaults[100], 0x5A);
  std::memcpy(&inData, ctx_->work->lockDefaults + fontOffset, 4);
  EXPECT_EQ(inData, 0u);

  // A value of another size is not taken.
  stored.resize(size - 1);
  Put(u"LockDefaultData", stored);
  ctx_->work->lockDefaults[100] = 0;
  EXPECT_EQ(LoadLockDefaultData(printer_, ctx_), 0);
  EXPECT_EQ(ctx_->work->lockDefaults[100], 0);
  EXPECT_EQ(LoadLockDefaultData(printer_, nullptr), 0);
}

TEST_F(LockData, InfoBitsAndAuthenticationMode) {
  Put(u"kdmLock000InfoBit", {0x81});
  Put(u"kdmLock001InfoBit", {0x02});
  struct Case {
    WORD id;
    int result;
    BYTE value;
  } cases[] = {{10418, 1, 0x81}, {10426, 1, 0x02}, {10419, 0, 0xEE}, {0, 0, 0xEE}};
  for (const Case& c : cases) {
    BYTE b = 0xEE;
    EXPECT_EQ(ReadLockInfoBits(printer_, &b, c.id), c.result) << c.id;
    EXPECT_EQ(b, c.value) << c.id;
  }
  EXPECT_EQ(ReadLockInfoBits(printer_, nullptr, 10418), 0);

  DWORD mode = 7;
  EXPECT_EQ(ReadAuthenticationMode(printer_, &mode), 0);
  Put(u"AuthenticationMode", {3, 0, 0, 0});
  EXPECT_EQ(ReadAuthenticationMode(printer_, &mode), 1);
  EXPECT_EQ(mode, 3u);
}

TEST_F(LockData, SaveWritesOnlyTheSetLocks) {
  WriteFieldRawById(ctx_, 10419, 1);  // tray
  WriteFieldRawById(ctx_, 10421, 1);  // N-up
  WriteFieldRawById(ctx_, 10426, 0);  // colour not locked
  WriteFieldRawById(ctx_, 10420, 0);
  WriteFieldRawById(ctx_, 10423, 0);
  WriteFieldRawById(ctx_, 10424, 0);
  ASSERT_EQ(SaveLockData(printer_, ctx_), 1);
  EXPECT_EQ(DataWord(u"LockTrayData"), ReadFieldRawById(ctx_, 13));
  EXPECT_EQ(DataWord(u"LockNUPPOSTKindData"), ReadFieldRawById(ctx_, 91));
  EXPECT_EQ(DataWord(u"LockNUPTypeData"), ReadFieldRawById(ctx_, 92));
  for (const char16_t* none : {u"LockMediaData", u"LockColorData", u"LockDuplexTypeData", u"LockPrnMethodData"})
    EXPECT_TRUE(Data(none).empty());
}

TEST_F(LockData, LoadStopsAtTheFirstMissingValue) {
  for (WORD id = 10419; id <= 10426; ++id) WriteFieldRawById(ctx_, id, 0);
  WriteFieldRawById(ctx_, 10419, 1);  // tray
  WriteFieldRawById(ctx_, 10420, 1);  // media
  const DWORD media = ReadFieldRawById(ctx_, 54);
  Put(u"LockMediaData", {0x34, 0x12, 0, 0});
  EXPECT_EQ(LoadLockData(printer_, ctx_), 0);
  EXPECT_EQ(ReadFieldRawById(ctx_, 54), media);  // not read after the tray failed

  Put(u"LockTrayData", {7, 0, 0, 0});
  WriteFieldRawById(ctx_, 10421, 1);  // N-up
  WriteFieldRawById(ctx_, 56, 0);
  Put(u"LockNUPPOSTKindData", {1, 0, 0, 0});
  Put(u"LockNUPTypeData", {2, 0, 0, 0});
  ASSERT_EQ(LoadLockData(printer_, ctx_), 1);
  EXPECT_EQ(ReadFieldRawById(ctx_, 13), 7u);
  EXPECT_EQ(ReadFieldRawById(ctx_, 56), 1u);
  EXPECT_EQ(ReadFieldRawById(ctx_, 91), 1u);
  EXPECT_EQ(ReadFieldRawById(ctx_, 92), 2u);

  // A locked resolution whose code has no row fails the load.
  WriteFieldRawById(ctx_, 10425, 1);
  WriteFieldRawById(ctx_, fid::kdmLockDstResolutionBoth, 0xFFFF);
  EXPECT_EQ(LoadLockData(printer_, ctx_), 0);
}

}  // namespace
}  // namespace kovatest
