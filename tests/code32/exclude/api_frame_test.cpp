// The item API's frame: versions, maximum ids, availability, the handle's life and its
// last error.
#include <gtest/gtest.h>

#include <cstring>

#include "api_printer.h"
#include "constrix_fixture.h"
#include "base/paths_and_names.h"
#include "fields/product_record.h"
#include "base/settings_field.h"
#include "win/lowmem.h"
#include "win/profile.h"

namespace kovatest {
namespace {

struct MaxIdCase {
  std::int32_t version;
  DWORD statusLow, statusHigh, capabilityLow, capabilityHigh;
};

TEST(ApiMaximumIds, FollowTheVersionTableWithOutOfRangeVersionsBounded) {
  const MaxIdCase cases[] = {
      {-5, 0, 0, 0, 0},     {0, 0, 0, 0, 0},          {1, 35, 35, 55, 55},     {3, 35, 35, 56, 56},
      {5, 36, 36, 57, 57},  {6, 45, 264, 69, 275},    {9, 47, 264, 71, 275},   {10, 54, 269, 83, 282},
      {15, 78, 269, 123, 282}, {16, 126, 269, 127, 282}, {17, 126, 269, 127, 282}, {1000, 126, 269, 127, 282},
  };
  for (const MaxIdCase& c : cases) {
    SCOPED_TRACE(c.version);
    EXPECT_EQ(StatusMaxIdAt(c.version, 0), c.statusLow);
    EXPECT_EQ(StatusMaxIdAt(c.version, 1), c.statusHigh);
    EXPECT_EQ(CapabilityMaxIdAt(c.version, 0), c.capabilityLow);
    EXPECT_EQ(CapabilityMaxIdAt(c.version, 1), c.capabilityHigh);
  }
}

TEST(ApiAvailability, FixedSetsRowsAndTheSpecialCapability) {
  ResetApiGlobals();
  BuildAvailabilityBitmaps(16);
  struct Case {
    int kind;
    DWORD id;
    int available;
  };
  const Case cases[] = {
      {1, 1, 1},   {1, 36, 1},  {1, 37, 0},  {1, 44, 0},  {1, 79, 1},   {1, 80, 0},   {1, 126, 0},
      {1, 257, 1}, {1, 263, 0}, {1, 269, 1}, {1, 270, 0}, {1, 0, 0},    {1, 600, 0},  {0, 57, 1},
      {0, 58, 0},  {0, 59, 0},  {0, 68, 0},  {0, 127, 1}, {0, 273, 0},  {0, 282, 1},  {0, 0x30000, 1},
      {1, 0x30000, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(IsItemAvailable(c.kind, c.id), c.available) << c.kind << " " << c.id;
  // A model of version 3 offers nothing above the version-3 maxima.
  BuildAvailabilityBitmaps(3);
  EXPECT_EQ(IsItemAvailable(1, 35), 1);
  EXPECT_EQ(IsItemAvailable(1, 36), 0);
  EXPECT_EQ(IsItemAvailable(0, 56), 1);
  EXPECT_EQ(IsItemAvailable(0, 57), 0);
  EXPECT_EQ(IsItemAvailable(0, 0x30000), 1);
  ResetApiGlobals();
}

TEST(ApiRows, NegativeAndZeroVersionsFindNoRow) {
  for (std::int32_t version : {-100, -1, 0}) {
    EXPECT_EQ(FindStatusItemAt(version, 1), nullptr) << version;
    EXPECT_EQ(FindCapabilityItemAt(version, 1), nullptr) << version;
    EXPECT_NE(FindCapabilityItemAt(version, 0x30000), nullptr) << version;
  }
  ASSERT_NE(FindStatusItemAt(16, 262), nullptr);
  EXPECT_EQ(FindStatusItemAt(16, 262)->id, 262u);
  EXPECT_EQ(FindStatusItemAt(5, 262), nullptr);
  EXPECT_EQ(FindStatusItemAt(16, 100), nullptr);  // counted by the version, but no row
}

class ApiFrame : public ApiPrinterTest {};

TEST_F(ApiFrame, CheckVersionReadsTheModelKey) {
  InstallApiPrinter();
  struct Case {
    int key;  // -1: no key
    std::int32_t answer;
    std::int32_t maximum;
    std::int32_t current;
  };
  const Case cases[] = {{-1, 3, 3, 3}, {20, 16, 16, 3}, {16, 16, 16, 3}, {2, 2, 2, 2}, {0, 0, 0, 0}, {-7, -7, -7, -7}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    ResetApiGlobals();
    WriteApiVersion(c.key);
    EXPECT_EQ(DoCheckApiVersion(kPrinter), c.answer);
    EXPECT_EQ(GetApiGlobals().maximumVersion, c.maximum);
    EXPECT_EQ(GetApiGlobals().currentVersion, c.current);
  }
  ResetApiGlobals();
  EXPECT_EQ(DoCheckApiVersion(nullptr), 0);
  EXPECT_EQ(DoCheckApiVersion(""), 0);
  EXPECT_EQ(GetApiGlobals().maximumVersion, kApiVersionMax);
}

TEST_F(ApiFrame, InitStartsFromTheMaximumAndNeedsItsRecord) {
  InstallApiPrinter();
  WriteApiVersion(16);
  ASSERT_EQ(DoCheckApiVersion(kPrinter), 16);
  struct Case {
    std::int32_t flag;
    bool withInfo;
    std::int32_t requested;
    std::int32_t answer;
    std::int32_t current;
  };
  const Case cases[] = {{0, true, 10, 0, 3},  {1, false, 10, 0, 3}, {1, true, 10, 1, 10},
                        {1, true, 20, 1, 16}, {7, true, 5, 1, 5},   {1, true, -3, 1, -3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.requested);
    GetApiGlobals().currentVersion = 3;
    const ApiInitInfo info{0, c.requested};
    EXPECT_EQ(DoInit(c.flag, c.withInfo ? &info : nullptr), c.answer);
    EXPECT_EQ(GetApiVersion(), c.current);
  }
  // A negative version leaves no id.
  EXPECT_EQ(FindStatusItem(1), nullptr);
  BYTE list[64];
  std::memset(list, 0xAA, sizeof list);
  EXPECT_EQ(BuildStatusAvailabilityList(list), 32);
  for (int i = 0; i < 32; ++i) EXPECT_EQ(list[i], 0) << i;
  EXPECT_EQ(list[32], 0xAA);  // nothing beyond the answered size
}

TEST_F(ApiFrame, EnableMakesAHandleAndDisableLeavesNoContextBehind) {
  InstallApiPrinter();
  WriteApiVersion(16);
  DriverContext* handle = DoEnable(kPrinter);
  ASSERT_NE(handle, nullptr);
  ApiState* state = ApiStateOf(handle);
  ASSERT_NE(state, nullptr);
  EXPECT_EQ(std::u16string(handle->work->printerName), u"Api Sample");
  EXPECT_EQ(state->itemStateSlots, 269u);
  EXPECT_EQ(state->qualitySaveSize, GetSettingsBufferSize());
  EXPECT_EQ(std::memcmp(state->qualitySave, handle->settings, GetSettingsBufferSize()), 0);
  EXPECT_EQ(handle->hPrinter, nullptr);  // no printer stays open between calls
  EXPECT_EQ(GetApiVersion(), 3);        // enable alone keeps the current version
  EXPECT_EQ(DoGetLastError(handle), -1);
  const ApiInitInfo info{0, 16};
  ASSERT_EQ(DoInit(1, &info), 1);
  EXPECT_EQ(DoGetLastError(handle), 0);
  EXPECT_EQ(DoGetCaps(handle, 0, nullptr), 64);
  EXPECT_EQ(DoDisable(handle), 1);
  EXPECT_TRUE(CachesEmpty());
  EXPECT_EQ(DoDisable(nullptr), 1);
  EXPECT_EQ(DoGetLastError(nullptr), -1);
  EXPECT_EQ(DoGetCaps(nullptr, 0, nullptr), -1);
}

TEST_F(ApiFrame, EnableFailsCleanlyWithoutAPrinterOrItsDevmodeSize) {
  InstallApiPrinter();
  EXPECT_EQ(DoEnable(nullptr), nullptr);
  EXPECT_EQ(DoEnable(""), nullptr);
  EXPECT_EQ(DoEnable("No Such Printer"), nullptr);
  // A printer whose interface library is missing has no device-mode size: nothing is made.
  std::filesystem::remove(root_.HostPath(u"C:\\drv") + "/Panelis.so");
  EXPECT_EQ(DoEnable(kPrinter), nullptr);
  EXPECT_TRUE(CachesEmpty());
}

TEST_F(ApiFrame, StatusAvailabilityListFollowsTheCurrentVersion) {
  InstallApiPrinter();
  WriteApiVersion(16);
  DriverContext* handle = DoEnable(kPrinter);
  ASSERT_NE(handle, nullptr);
  struct Case {
    std::int32_t version;
    std::int32_t size;
    DWORD lastSet;
  };
  for (const Case& c : {Case{3, 32, 35}, Case{5, 32, 36}, Case{6, 64, 264}, Case{16, 64, 269}}) {
    SCOPED_TRACE(c.version);
    GetApiGlobals().currentVersion = c.version;
    BYTE list[64] = {};
    EXPECT_EQ(DoGetCaps(handle, 0, nullptr), c.size);
    ASSERT_EQ(DoGetCaps(handle, 0, list), c.size);
    const DWORD id = c.lastSet;
    EXPECT_NE(list[(id - 1) / 8] & (0x80 >> ((id - 1) % 8)), 0);
    EXPECT_EQ(list[(37 - 1) / 8] & (0x80 >> ((37 - 1) % 8)), 0);
  }
  DoDisable(handle);
}

// Buffers are sized when a handle is enabled; a later, larger version of the process must
// never write past them.
TEST_F(ApiFrame, EnableV5ThenV16ThenInitThenSetKeepsEachBufferInItsBounds) {
  InstallApiPrinter(u"Api Five");
  InstallApiPrinter(u"Api Sixteen");
  WriteApiVersion(5);
  DriverContext* five = DoEnable("Api Five");
  ASSERT_NE(five, nullptr);
  WriteApiVersion(16);
  DriverContext* sixteen = DoEnable("Api Sixteen");
  ASSERT_NE(sixteen, nullptr);
  const ApiInitInfo info{0, 16};
  ASSERT_EQ(DoInit(1, &info), 1);
  ApiState* small = ApiStateOf(five);
  ApiState* large = ApiStateOf(sixteen);
  EXPECT_EQ(small->itemStateSlots, 36u);
  EXPECT_EQ(large->itemStateSlots, 269u);
  EXPECT_NE(ItemStateSlot(small, 35), nullptr);
  EXPECT_EQ(ItemStateSlot(small, 36), nullptr);
  EXPECT_EQ(ItemStateSlot(small, 268), nullptr);
  EXPECT_NE(ItemStateSlot(large, 268), nullptr);
  BYTE record[32] = {1};
  BYTE changed[64] = {};
  for (DriverContext* handle : {five, sixteen}) {
    EXPECT_EQ(DoSetStatus(handle, 1, record, changed, 0), -1);
    EXPECT_EQ(DoGetLastError(handle), 100);  // the item has no SET handler here
    EXPECT_EQ(DoSetStatus(handle, 37, record, changed, 0), -1);
    EXPECT_EQ(DoGetLastError(handle), 2);
    EXPECT_EQ(DoSetStatus(handle, 2, nullptr, changed, 0), -1);
    EXPECT_EQ(DoGetLastError(handle), 5);
    EXPECT_EQ(DoGetStatus(handle, 2, record, 2), -1);
    EXPECT_EQ(DoGetLastError(handle), 6);  // not the error of the call before
  }
  DoDisable(five);
  DoDisable(sixteen);
  EXPECT_TRUE(CachesEmpty());
}

TEST_F(ApiFrame, EnableReservesQualityEntry128NextToEntry0) {
  InstallApiPrinter();
  struct Case {
    const char16_t* entry0;
    const char16_t* entry128;  // null: not written
  };
  const Case cases[] = {
      {u"C:\\q\\Fine.kst", u"C:\\q\\Finy.kst"},
      {u"C:\\q\\a.b.kst", u"C:\\q\\a.y.kst"},
      {u".kst", u"y.kst"},  // nothing stands before the dot: the 'y' goes in front
      {u"NoDot", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.entry0, c.entry0 + std::char_traits<char16_t>::length(c.entry0)));
    DriverContext* handle = DoEnable(kPrinter);
    ASSERT_NE(handle, nullptr);
    const std::u16string ini = GetUserIniPath(handle);
    const std::u16string section = GetPrinterSectionName(handle);
    DoDisable(handle);
    root_.WriteFile(ini, "");  // the per-printer INI and its folder
    WritePrivateProfileStringW(section.c_str(), u"QualityList128", nullptr, ini.c_str());
    WritePrivateProfileStringW(section.c_str(), u"QualityList0", c.entry0, ini.c_str());
    handle = DoEnable(kPrinter);
    ASSERT_NE(handle, nullptr);
    WCHAR value[261] = {};
    GetPrivateProfileStringW(section.c_str(), u"QualityList128", u"<none>", value, 260, ini.c_str());
    EXPECT_EQ(std::u16string(value), c.entry128 ? std::u16string(c.entry128) : std::u16string(u"<none>"));
    DoDisable(handle);
  }
}

TEST_F(ApiFrame, NestedPrinterOpensPutBackTheOuterHandle) {
  InstallApiPrinter();
  DriverContext* handle = DoEnable(kPrinter);
  ASSERT_NE(handle, nullptr);
  ItemPrinterHandles outerSaved, innerSaved;
  HANDLE outer = nullptr, inner = nullptr;
  ASSERT_EQ(OpenItemPrinter(handle, &outer, nullptr, &outerSaved), 1);
  ASSERT_EQ(OpenItemPrinter(handle, &inner, nullptr, &innerSaved), 1);
  EXPECT_EQ(handle->hPrinter, inner);
  CloseItemPrinter(handle, inner, &innerSaved);
  EXPECT_EQ(handle->hPrinter, outer);  // the outer call still has a live printer
  EXPECT_EQ(handle->hPrinter2, outer);
  DWORD needed = 0;
  GetPrinterW(handle->hPrinter, 2, nullptr, 0, &needed);
  EXPECT_GT(needed, 0u);
  CloseItemPrinter(handle, outer, &outerSaved);
  EXPECT_EQ(handle->hPrinter, nullptr);
  DoDisable(handle);
}

// Giving a record back frees exactly what the API handed out for it: no other block of the
// process, whatever address the caller passes or writes into the record.
TEST_F(ApiFrame, CapabilityRecordFreeTakesOnlyRecordsTheApiHandedOut) {
  InstallApiPrinter();
  WriteApiVersion(16);
  DriverContext* handle = DoEnable(kPrinter);
  ASSERT_NE(handle, nullptr);
  const ApiInitInfo info{0, 16};
  ASSERT_EQ(DoInit(1, &info), 1);
  void* foreign = LowMemoryAlloc(812);  // a low block of someone else in the process
  void* other = LowMemoryAlloc(64);
  ASSERT_NE(foreign, nullptr);
  ASSERT_NE(other, nullptr);
  BYTE* record = NewCapabilityRecord();
  ASSERT_NE(record, nullptr);
  EXPECT_LT(reinterpret_cast<UINT_PTR>(record), 0x80000000u);
  EXPECT_TRUE(IsLowMemoryBlock(record, kCapabilityRecordSize));
  void* bitmap = NewCapabilityRecordPart(record, 64);
  void* list = NewCapabilityRecordPart(record, 4 * 3);
  ASSERT_NE(bitmap, nullptr);
  ASSERT_NE(list, nullptr);
  // Parts belong to records handed out only.
  EXPECT_EQ(NewCapabilityRecordPart(foreign, 16), nullptr);
  EXPECT_EQ(NewCapabilityRecordPart(record, 0), nullptr);
  EXPECT_EQ(NewCapabilityRecordPart(nullptr, 16), nullptr);
  // The record's slots as the builder writes them, and one the caller overwrote with the
  // address of a block that is not the record's.
  const DWORD slots[] = {LowMemoryToSlot(bitmap), 3, LowMemoryToSlot(other)};
  std::memcpy(record, &slots[0], 4);
  std::memcpy(record + 8, &slots[1], 8);
  SetApiError(handle, 7);
  // Nothing the API did not hand out is freed: each answers 1 and every block stays.
  int local = 0;
  void* const strangers[] = {foreign, &local, static_cast<BYTE*>(other) + 8, record + 4, nullptr};
  for (void* address : strangers) {
    EXPECT_EQ(DoGetCaps(handle, 0x80000002u, address), 1) << address;
    EXPECT_TRUE(IsLowMemoryBlock(foreign, 812)) << address;
    EXPECT_TRUE(IsLowMemoryBlock(other, 64)) << address;
    EXPECT_TRUE(IsCapabilityRecord(record)) << address;
    EXPECT_TRUE(IsLowMemoryBlock(list, 12)) << address;
  }
  EXPECT_EQ(DoGetLastError(handle), 7);  // a free sets no error
  // The record goes with the parts made for it, not with what its slots hold.
  EXPECT_EQ(DoGetCaps(handle, 0x80000002u, record), 1);
  EXPECT_FALSE(IsCapabilityRecord(record));
  EXPECT_FALSE(IsLowMemoryBlock(record, 1));
  EXPECT_FALSE(IsLowMemoryBlock(bitmap, 1));
  EXPECT_FALSE(IsLowMemoryBlock(list, 1));
  EXPECT_TRUE(IsLowMemoryBlock(other, 64));
  // Given back twice: nothing more is freed.
  EXPECT_EQ(DoGetCaps(handle, 0x80000002u, record), 1);
  EXPECT_TRUE(IsLowMemoryBlock(foreign, 812));
  EXPECT_TRUE(IsLowMemoryBlock(other, 64));
  EXPECT_TRUE(LowMemoryFree(foreign));
  EXPECT_TRUE(LowMemoryFree(other));
  DoDisable(handle);
}

TEST_F(ApiFrame, RecordsStillHandedOutGoWithTheModuleState) {
  BYTE* first = NewCapabilityRecord();
  BYTE* second = NewCapabilityRecord();
  ASSERT_TRUE(first && second);
  void* part = NewCapabilityRecordPart(second, 260);
  ASSERT_NE(part, nullptr);
  ResetApiGlobals();
  EXPECT_FALSE(IsCapabilityRecord(first));
  EXPECT_FALSE(IsCapabilityRecord(second));
  EXPECT_FALSE(IsLowMemoryBlock(part, 1));
}

}  // namespace
}  // namespace kovatest
