#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "context_fixture.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "field_ids.h"
#include "stored/custom_media.h"
#include "win/errors.h"
#include "win/registry.h"
#include "win/spool.h"

namespace kovatest {
namespace {

static_assert(offsetof(CustomMediaRecord, quality) == 0);
static_assert(offsetof(CustomMediaRecord, charSet) == 4);
static_assert(offsetof(CustomMediaRecord, name) == 8);

CustomMediaRecord Media(DWORD quality, DWORD charSet, const char* name) {
  CustomMediaRecord r{};
  r.quality = quality;
  r.charSet = charSet;
  std::strncpy(r.name, name, sizeof r.name - 1);
  return r;
}

class CustomMedia : public ContextTest {
 protected:
  void SetUp() override {
    ContextTest::SetUp();
    StartContext(u"Office");
  }
  DWORD Raw(WORD id) { return ReadFieldRawById(ctx_, id); }
  std::string Name(int n) {
    SettingField* f = FindFieldById(ctx_, CustomMediaNameField(n));
    const BYTE* text = f ? GetFieldAddress(ctx_, f) : nullptr;
    return text ? std::string(reinterpret_cast<const char*>(text)) : std::string("<no field>");
  }
  void Put(const char16_t* name, const void* data, DWORD size) {
    ASSERT_EQ(SetPrinterDataW(printer_, const_cast<LPWSTR>(name), REG_BINARY,
                              static_cast<LPBYTE>(const_cast<void*>(data)), size),
              static_cast<DWORD>(ERROR_SUCCESS));
  }
  void PutList(WORD count, const std::vector<CustomMediaRecord>& records) {
    Put(u"CustomMediaDataNum", &count, sizeof count);
    Put(u"CustomMediaData", records.data(), static_cast<DWORD>(records.size() * sizeof(CustomMediaRecord)));
  }

};

TEST_F(CustomMedia, RowFieldsFollowTheTable) {
  EXPECT_EQ(CustomMediaQualityField(1), 1496);
  EXPECT_EQ(CustomMediaNameField(1), 1512);
  EXPECT_EQ(CustomMediaCharSetField(16), 1543);
}

TEST_F(CustomMedia, LoadAppliesTheStoredRowsAndSaveWritesThemBack) {
  WriteFieldRawById(ctx_, fid::wdmCustomMediaMaxNum, 3);
  PutList(2, {Media(2, 128, "Thick Card"), Media(3, 0, "Labels"), Media(4, 0, "unused")});
  ASSERT_EQ(LoadCustomMedia(printer_, ctx_), 1);
  EXPECT_EQ(Raw(fid::wdmCustomMediaDataNum), 2u);
  EXPECT_EQ(Name(1), "Thick Card");
  EXPECT_EQ(Name(2), "Labels");
  EXPECT_EQ(Name(3), "");  // not in use: reset
  EXPECT_EQ(Raw(CustomMediaQualityField(3)), 1u);

  DeletePrinterDataW(printer_, const_cast<LPWSTR>(u"CustomMediaData"));
  ASSERT_EQ(SaveCustomMedia(printer_, ctx_), 1);
  std::vector<CustomMediaRecord> back(3);
  DWORD type = 0, needed = 0;
  ASSERT_EQ(GetPrinterDataW(printer_, const_cast<LPWSTR>(u"CustomMediaData"), &type,
                            reinterpret_cast<LPBYTE>(back.data()), 3 * sizeof(CustomMediaRecord), &needed),
            static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(needed, 3 * sizeof(CustomMediaRecord));
  EXPECT_STREQ(back[0].name, "Thick Card");
  EXPECT_EQ(back[0].quality, Raw(CustomMediaQualityField(1)));
  EXPECT_EQ(back[2].quality, 1u);
  EXPECT_STREQ(back[2].name, "");
}

TEST_F(CustomMedia, CountAboveTheMaximumAppliesOnlyTheMaximum) {
  WriteFieldRawById(ctx_, fid::wdmCustomMediaMaxNum, 2);
  PutList(9, {Media(1, 0, "One"), Media(1, 0, "Two"), Media(1, 0, "Three")});
  // The stored list is longer than the 2 records the context takes: not read.
  EXPECT_EQ(LoadCustomMedia(printer_, ctx_), 0);
  PutList(9, {Media(1, 0, "One"), Media(1, 0, "Two")});
  ASSERT_EQ(LoadCustomMedia(printer_, ctx_), 1);
  EXPECT_EQ(Name(1), "One");
  EXPECT_EQ(Name(2), "Two");
  EXPECT_EQ(Name(3), "");
}

TEST_F(CustomMedia, MissingOrZeroCountLeavesTheResetRows) {
  WriteFieldRawById(ctx_, fid::wdmCustomMediaMaxNum, 4);
  WriteFieldRawById(ctx_, CustomMediaQualityField(2), 7);
  EXPECT_EQ(LoadCustomMedia(printer_, ctx_), 0);
  EXPECT_EQ(Raw(fid::wdmCustomMediaDataNum), 4u);
  EXPECT_EQ(Raw(CustomMediaQualityField(2)), 1u);
  PutList(0, {Media(5, 0, "x")});
  EXPECT_EQ(LoadCustomMedia(printer_, ctx_), 0);
  EXPECT_EQ(Name(1), "");
  EXPECT_EQ(LoadCustomMedia(printer_, nullptr), 0);
  EXPECT_EQ(SaveCustomMedia(printer_, nullptr), 0);
}

}  // namespace
}  // namespace kovatest
