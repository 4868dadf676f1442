#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "context_fixture.h"
#include "base/deliverable.h"
#include "fields/devmode_header.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "base/paths_and_names.h"
#include "field_ids.h"
#include "stored/device_settings.h"
#include "win/errors.h"
#include "win/profile.h"
#include "win/registry.h"

namespace kovatest {
namespace {

class DeviceSettings : public ContextTest {
 protected:
  void SetUp() override {
    ContextTest::SetUp();
    root_.WriteFile(u"C:\\_kova\\keep.txt", "");
    PrinterSpec spec;
    spec.data = data_;
    StartContext(u"Office", std::move(spec));
  }

  SettingField* F(WORD id) { return FindFieldById(ctx_, id); }
  DWORD Raw(WORD id) { return ReadFieldRawById(ctx_, id); }
  void SetRaw(WORD id, DWORD value) { WriteFieldRawById(ctx_, id, value); }

  // The printer-data value's type and bytes; an empty vector when it is missing.
  std::vector<BYTE> Data(const char16_t* name, DWORD* type = nullptr) {
    DWORD t = 0, needed = 0;
    BYTE probe[1];
    GetPrinterDataW(printer_, const_cast<LPWSTR>(name), &t, probe, 0, &needed);
    if (needed == 0) return {};
    std::vector<BYTE> bytes(needed);
    if (GetPrinterDataW(printer_, const_cast<LPWSTR>(name), &t, bytes.data(), needed, &needed) != ERROR_SUCCESS)
      return {};
    if (type) *type = t;
    return bytes;
  }
  void PutData(const char16_t* name, std::vector<BYTE> bytes, DWORD type = REG_BINARY) {
    ASSERT_EQ(SetPrinterDataW(printer_, const_cast<LPWSTR>(name), type, bytes.data(),
                              static_cast<DWORD>(bytes.size())),
              static_cast<DWORD>(ERROR_SUCCESS));
  }
  void Drop(const char16_t* name) { DeletePrinterDataW(printer_, const_cast<LPWSTR>(name)); }

  std::u16string Ini(const char16_t* key, const char16_t* section = nullptr) {
    WCHAR value[300] = {};
    GetPrivateProfileStringW(section ? section : GetPrinterDisplayName(ctx_), key, u"<missing>", value, 300,
                             GetUserIniPath(ctx_));
    return value;
  }
  void PutIni(const char16_t* key, const char16_t* value, const char16_t* section = nullptr) {
    ASSERT_TRUE(WritePrivateProfileStringW(section ? section : GetPrinterDisplayName(ctx_), key, value,
                                           GetUserIniPath(ctx_)));
  }

  std::vector<plat::spooler::DataValue> data_;
};

// ---- one field in printer data ---------------------------------------------------------

TEST_F(DeviceSettings, PrinterDataValueHasTheFieldsSizeAndType) {
  struct Case {
    WORD id;
    const char16_t* key;
    DWORD value;
    DWORD type;
    std::vector<BYTE> bytes;
  };
  const Case cases[] = {
      {fid::kdmMemoryType, u"RAMType", 0xAB, REG_BINARY, {0xAB}},
      {fid::kdmPrinterMemory, u"RAM", 0x01020304, REG_BINARY, {4, 3, 2, 1}},
      {fid::kdmLogging, u"Logging", 0x11223344, REG_DWORD, {0x44, 0x33, 0x22, 0x11}},
      {10175, u"Tray1Paper", 0xBEEF, REG_BINARY, {0xEF, 0xBE}},
      {10014, u"Duplex", 1, REG_BINARY, {1, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    SetRaw(c.id, c.value);
    EXPECT_EQ(WriteFeatureToPrinterData(printer_, ctx_, F(c.id)), 1);
    DWORD type = 0;
    EXPECT_EQ(Data(c.key, &type), c.bytes);
    EXPECT_EQ(type, c.type);
    SetRaw(c.id, 0);
    EXPECT_EQ(ReadFeatureFromPrinterData(printer_, ctx_, F(c.id), 0, nullptr), 1);
    EXPECT_EQ(Raw(c.id), c.value);
  }
}

TEST_F(DeviceSettings, TextFieldIsWrittenWholeAndReadBack) {
  SettingField* tray1 = F(1453);
  ASSERT_NE(tray1, nullptr);
  SetFieldString(ctx_, tray1, u"Upper");
  ASSERT_EQ(WriteFeatureToPrinterData(printer_, ctx_, tray1), 1);
  const std::vector<BYTE> bytes = Data(u"Tray1");
  ASSERT_EQ(bytes.size(), 17u);
  EXPECT_EQ(std::memcmp(bytes.data(), "Upper", 6), 0);
  SetFieldString(ctx_, tray1, u"x");
  ASSERT_EQ(ReadFeatureFromPrinterData(printer_, ctx_, tray1, 0, nullptr), 1);
  WCHAR text[20] = {};
  GetFieldString(ctx_, tray1, text, 20);
  EXPECT_EQ(std::u16string(text), u"Upper");
}

TEST_F(DeviceSettings, BitFieldReadsSetFromAnyNonzeroValue) {
  for (DWORD stored : {0x100u, 0x80000000u, 2u}) {
    SetRaw(10014, 0);
    PutData(u"Duplex", {BYTE(stored), BYTE(stored >> 8), BYTE(stored >> 16), BYTE(stored >> 24)});
    EXPECT_EQ(ReadFeatureFromPrinterData(printer_, ctx_, F(10014), 0, nullptr), 1);
    EXPECT_EQ(Raw(10014), 1u) << stored;
  }
  PutData(u"Duplex", {0, 0, 0, 0});
  ReadFeatureFromPrinterData(printer_, ctx_, F(10014), 0, nullptr);
  EXPECT_EQ(Raw(10014), 0u);
}

TEST_F(DeviceSettings, MissingTooLongOrShortValues) {
  SetRaw(10175, 0x1234);
  Drop(u"Tray1Paper");
  EXPECT_EQ(ReadFeatureFromPrinterData(printer_, ctx_, F(10175), 0, nullptr), 0);
  EXPECT_EQ(Raw(10175), 0x1234u);  // a missing value leaves the field
  PutData(u"Tray1Paper", {1, 2, 3});
  EXPECT_EQ(ReadFeatureFromPrinterData(printer_, ctx_, F(10175), 0, nullptr), 0);
  EXPECT_EQ(Raw(10175), 0x1234u);  // longer than the field: not read
  PutData(u"Tray1Paper", {7});
  EXPECT_EQ(ReadFeatureFromPrinterData(printer_, ctx_, F(10175), 0, nullptr), 1);
  EXPECT_EQ(Raw(10175), 7u);  // shorter: the rest of the field is zero
}

TEST_F(DeviceSettings, ServerReadFailsWithoutAConnector) {
  SetRaw(10175, 5);
  PutData(u"Tray1Paper", {9, 0});
  EXPECT_EQ(ReadFeatureFromPrinterData(printer_, ctx_, F(10175), DSL_FROM_SERVER, nullptr), 0);
  EXPECT_EQ(Raw(10175), 5u);
}

// ---- one field in the INI ---------------------------------------------------------------

TEST_F(DeviceSettings, IniNumbersConvertByType) {
  struct Case {
    WORD id;
    const char16_t* text;
    DWORD expected;
  };
  // 209 u8, 994 u16, 10275 u32, 10014 a bit of a 4-byte word.
  const Case cases[] = {
      {fid::kdmPrnMethod, u"300", 44},        {fid::kdmPrnMethod, u"  7", 7},
      {fid::wdmChapterMax, u"70000", 4464},   {fid::kdmLogging, u"4294967295", 0xFFFFFFFFu},
      {fid::kdmLogging, u"-2", 0xFFFFFFFEu},  {10014, u"5", 1},
  };
  const WCHAR* path = GetUserIniPath(ctx_);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(U8(c.text)));
    SettingField* field = F(c.id);
    const WCHAR* key = field->key;
    const WCHAR* section = field->section;
    field->key = u"Probe";
    field->section = nullptr;
    PutIni(u"Probe", c.text);
    EXPECT_EQ(ReadFeatureFromIni(ctx_, field, path, nullptr, nullptr), 1);
    EXPECT_EQ(Raw(c.id), c.expected);
    field->key = key;
    field->section = section;
  }
}

TEST_F(DeviceSettings, IniWriteFormatsAndReadsBack) {
  const WCHAR* path = GetUserIniPath(ctx_);
  SettingField* logging = F(fid::kdmLogging);
  SettingField* method = F(fid::kdmPrnMethod);
  const WCHAR* loggingSection = logging->section;
  logging->storeKind = STORE_INI;
  SetRaw(fid::kdmLogging, 0xFFFFFFFEu);
  ASSERT_EQ(WriteFeatureToIni(printer_, ctx_, logging, path, nullptr, nullptr), 1);
  EXPECT_EQ(Ini(u"Logging", loggingSection), u"4294967294");
  SetRaw(fid::kdmLogging, 0);
  ASSERT_EQ(ReadFeatureFromIni(ctx_, logging, path, nullptr, nullptr), 1);
  EXPECT_EQ(Raw(fid::kdmLogging), 0xFFFFFFFEu);
  // A field without a section goes to the printer's display-name section.
  SetRaw(fid::kdmPrnMethod, 3);
  ASSERT_EQ(WriteFeatureToIni(printer_, ctx_, method, path, nullptr, nullptr), 1);
  EXPECT_EQ(Ini(u"PrnMethod"), u"3");
  // Only a drive-letter path is used.
  EXPECT_EQ(WriteFeatureToIni(printer_, ctx_, method, u"relative.ini", nullptr, nullptr), 0);
  EXPECT_EQ(ReadFeatureFromIni(ctx_, method, u"\\\\server\\x.ini", nullptr, nullptr), 0);
}

TEST_F(DeviceSettings, EmptyValueOfTheSignificantTextFieldIsStored) {
  const WCHAR* path = GetUserIniPath(ctx_);
  SettingField* field = F(fid::kdmCopyProtectChar);
  ASSERT_NE(field, nullptr);
  field->key = u"CopyProtect";
  field->section = nullptr;
  SetFieldString(ctx_, field, u"AB");
  EXPECT_EQ(ReadFeatureFromIni(ctx_, field, path, nullptr, nullptr), 0);  // no key
  WCHAR text[80] = {};
  GetFieldString(ctx_, field, text, 80);
  EXPECT_EQ(std::u16string(text), u"AB");
  PutIni(u"CopyProtect", u"");
  EXPECT_EQ(ReadFeatureFromIni(ctx_, field, path, nullptr, nullptr), 1);
  GetFieldString(ctx_, field, text, 80);
  EXPECT_EQ(std::u16string(text), u"");
}

// ---- packed values ----------------------------------------------------------------------

TEST_F(DeviceSettings, JobActionsAreStoredPackedInThePrintersSection) {
  for (WORD id = fid::kdmActionSecurity; id <= 226; ++id) SetRaw(id, id < fid::kdmActionSecurity + 2 ? 1 : 0);
  SaveDeviceSettings(printer_, ctx_, 1, 0);
  EXPECT_EQ(Ini(u"kdmAction"), u"3");
  EXPECT_EQ(Ini(u"ACT_SECUREPRINT"), u"<missing>");
  EXPECT_EQ(F(fid::kdmActionSecurity)->key, std::u16string_view(u"ACT_SECUREPRINT"));
  SetRaw(fid::kdmActionSecurity, 0);
  SetRaw(fid::kdmActionSecurity + 1, 0);
  PutIni(u"kdmAction", u"6");
  LoadDeviceSettings(printer_, ctx_, 1, 0, nullptr);
  EXPECT_EQ(Raw(fid::kdmActionSecurity), 0u);
  EXPECT_EQ(Raw(fid::kdmActionSecurity + 1), 1u);
  EXPECT_EQ(Raw(fid::kdmActionSecurity + 2), 1u);
}

TEST_F(DeviceSettings, PackedLockValuesAreReadAndWritten) {
  PutData(u"kdmLockInfo", {0x05, 0, 0, 0x80});
  PutData(u"kdmLock000InfoBit", {0x82});
  LoadDeviceSettings(printer_, ctx_, 2, 0, nullptr);
  EXPECT_EQ(Raw(fid::kdmLockInfoLockInfo), 1u);
  EXPECT_EQ(Raw(fid::kdmLockInfoLockInfo + 1), 0u);
  EXPECT_EQ(Raw(fid::kdmLockInfoLockInfo + 2), 1u);
  EXPECT_EQ(Raw(10417), 1u);
  EXPECT_EQ(Raw(fid::kdmLock000InfoBitDefault), 0u);
  EXPECT_EQ(Raw(fid::kdmLock000InfoBitDefault + 1), 1u);
  EXPECT_EQ(Raw(10425), 1u);
  // The group's field keeps its own key and type.
  EXPECT_EQ(F(fid::kdmLockInfoLockInfo)->key, std::u16string_view(u"LockDriver"));
  SetRaw(fid::kdmLockInfoLockInfo + 3, 1);
  SaveDeviceSettings(printer_, ctx_, 2, DSS_NO_COMPARE);
  EXPECT_EQ(Data(u"kdmLockInfo"), (std::vector<BYTE>{0x0D, 0, 0, 0x80}));
  EXPECT_EQ(Data(u"kdmLock000InfoBit"), (std::vector<BYTE>{0x82}));
  EXPECT_TRUE(Data(u"LockDriver").empty());
}

class DeviceSettingsOldLocks : public DeviceSettings {
 protected:
  void SetUp() override {
    data_ = {plat::spooler::BinaryValue(u"LockDriver", {1, 0, 0, 0}),
             plat::spooler::BinaryValue(u"LockDuplex", {7, 0, 0, 0}),
             plat::spooler::BinaryValue(u"LockColor", {1, 0, 0, 0})};
    DeviceSettings::SetUp();
  }
};

TEST_F(DeviceSettingsOldLocks, SingleLockKeysAreMigratedToThePackedValues) {
  // The context's own load found no packed values.
  EXPECT_EQ(Raw(fid::kdmLockInfoLockInfo), 1u);
  EXPECT_EQ(Raw(10423), 1u);  // LockDuplex
  EXPECT_EQ(Raw(10426), 1u);  // LockColor
  EXPECT_EQ(Data(u"kdmLockInfo"), (std::vector<BYTE>{1, 0, 0, 0}));
  EXPECT_EQ(Data(u"kdmLock000InfoBit"), (std::vector<BYTE>{0x20}));
  EXPECT_EQ(Data(u"kdmLock001InfoBit"), (std::vector<BYTE>{0x01}));
  EXPECT_EQ(F(fid::kdmLock000InfoBitDefault)->type, F(fid::kdmLock000InfoBitDefault + 1)->type - (1u << 24));
}

// ---- walks ------------------------------------------------------------------------------

TEST_F(DeviceSettings, UnchangedArea2ValuesAreNotRewritten) {
  SetRaw(10175, 9);
  SaveDeviceSettings(printer_, ctx_, 2, 0);
  EXPECT_EQ(Data(u"Tray1Paper"), (std::vector<BYTE>{9, 0}));
  SaveSettingsCopy(ctx_);
  Drop(u"Tray1Paper");
  Drop(u"RAMType");
  SetRaw(fid::kdmMemoryType, Raw(fid::kdmMemoryType) + 1);
  SaveDeviceSettings(printer_, ctx_, 2, 0);
  EXPECT_TRUE(Data(u"Tray1Paper").empty());  // equal to the snapshot
  EXPECT_EQ(Data(u"RAMType").size(), 1u);     // changed
  SaveDeviceSettings(printer_, ctx_, 2, DSS_NO_COMPARE);
  EXPECT_EQ(Data(u"Tray1Paper"), (std::vector<BYTE>{9, 0}));
}

// Bit fields compare against the saved settings copy too: switching an installed option
// off after a saved copy that has it on must reach printer data, and an unchanged bit is
// not rewritten.
TEST_F(DeviceSettings, Area2BitFieldsCompareAgainstTheSavedCopy) {
  SetRaw(fid::kdmSourceOptionTypeDuplex, 1);
  SaveDeviceSettings(printer_, ctx_, 2, 0);
  const std::vector<BYTE> on = Data(u"Duplex");
  ASSERT_FALSE(on.empty());
  EXPECT_NE(on[0], 0);
  SaveSettingsCopy(ctx_);
  SetRaw(fid::kdmSourceOptionTypeDuplex, 0);
  SaveDeviceSettings(printer_, ctx_, 2, 0);
  const std::vector<BYTE> off = Data(u"Duplex");
  ASSERT_FALSE(off.empty());
  EXPECT_EQ(off[0], 0);
  SaveSettingsCopy(ctx_);
  Drop(u"Duplex");
  SaveDeviceSettings(printer_, ctx_, 2, 0);
  EXPECT_TRUE(Data(u"Duplex").empty());  // equal to the saved copy
}

TEST_F(DeviceSettings, Area3SaveAlsoWritesTheAreaUnderFieldNames) {
  SetRaw(fid::wdmChapterMax, 12);
  SetRaw(fid::wdmChapterTrayNum, 3);
  SaveDeviceSettings(printer_, ctx_, 3, 0);
  EXPECT_EQ(Ini(u"ChapterMax"), u"12");
  // The second pass writes the chapter fields (996-1009) under their names; the chapter
  // module leaves every other field of the area out of it.
  EXPECT_EQ(Ini(u"wdmChapterTrayNum"), u"3");
  SettingField* field = F(fid::wdmChapterTrayNum);
  EXPECT_EQ(field->storeKind, STORE_INI);
  EXPECT_EQ(field->key, std::u16string_view(u"wdmChapterTrayNum"));
  EXPECT_EQ(Ini(u"wdmChapterMax"), u"<missing>");
  // Fields of other areas keep their storage.
  EXPECT_EQ(F(10175)->storeKind, STORE_PRINTER_DATA);
  EXPECT_EQ(F(10175)->key, std::u16string_view(u"Tray1Paper"));
}

TEST_F(DeviceSettings, ConnectionWithoutServerLogCodeKeepsTheUserCode) {
  ctx_->work->connectionState = 1;
  SetRaw(fid::kdmServerLogCode, 0);
  SetRaw(fid::kdmLogCodeUse, 1);
  Drop(u"UserCodeUse");
  SaveDeviceSettings(printer_, ctx_, 2, DSS_NO_COMPARE);
  EXPECT_TRUE(Data(u"UserCodeUse").empty());
  SetRaw(fid::kdmServerLogCode, 1);
  SaveDeviceSettings(printer_, ctx_, 2, DSS_NO_COMPARE);
  EXPECT_EQ(Data(u"UserCodeUse"), (std::vector<BYTE>{1}));
}

TEST_F(DeviceSettings, ExtendedOnlySaveSkipsTheOtherFields) {
  SetRaw(10175, 3);
  SetRaw(fid::kdmMemoryType, 4);
  Drop(u"Tray1Paper");
  Drop(u"RAMType");
  Drop(u"UserCodeUse");
  Drop(u"Tray1");
  SaveDeviceSettings(printer_, ctx_, 2, DSS_NO_COMPARE | DSS_EXTENDED_ONLY);
  EXPECT_EQ(Data(u"Tray1Paper"), (std::vector<BYTE>{3, 0}));
  EXPECT_EQ(Data(u"RAMType"), (std::vector<BYTE>{4}));
  EXPECT_TRUE(Data(u"UserCodeUse").empty());  // 10001-10011 are left out
  EXPECT_TRUE(Data(u"Tray1").empty());        // not an extended setting
}

TEST_F(DeviceSettings, OnlyInterfaceContextsReadTheIniFields) {
  PutIni(u"PrnMethod", u"3");
  DriverContext* doc = Create(printer_, CTXK_DOCUMENT_PROPERTIES);
  ASSERT_NE(doc, nullptr);
  EXPECT_NE(ReadFieldRawById(doc, fid::kdmPrnMethod), 3u);
  ReleaseContext(doc, CTXR_DESTROY);
  DriverContext* caps = Create(printer_, CTXK_DEVICE_CAPS);
  ASSERT_NE(caps, nullptr);
  EXPECT_NE(ReadFieldRawById(caps, fid::kdmPrnMethod), 3u);
  ReleaseContext(caps, CTXR_DESTROY);
  DriverContext* ui = Create(printer_);
  ASSERT_NE(ui, nullptr);
  EXPECT_EQ(ReadFieldRawById(ui, fid::kdmPrnMethod), 3u);
  ReleaseContext(ui, CTXR_DESTROY);
}

TEST_F(DeviceSettings, ContextCreationLoadsPrinterData) {
  PutData(u"Tray1Paper", {0x21, 0});
  PutData(u"Logging", {1, 0, 0, 0}, REG_DWORD);
  DriverContext* other = Create(printer_);
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(ReadFieldRawById(other, 10175), 0x21u);
  EXPECT_EQ(ReadFieldRawById(other, fid::kdmLogging), 1u);
  ReleaseContext(other, CTXR_DESTROY);
}

TEST_F(DeviceSettings, ByKindLoadsTheNamedAreas) {
  SetRaw(fid::wdmChapterMax, 1);
  SetRaw(10175, 1);
  PutIni(u"ChapterMax", u"8");
  PutData(u"Tray1Paper", {8, 0});
  LoadDeviceSettingsByKind(printer_, ctx_, 1);
  EXPECT_EQ(Raw(fid::wdmChapterMax), 8u);
  EXPECT_EQ(Raw(10175), 1u);
  LoadDeviceSettingsByKind(printer_, ctx_, 2);
  EXPECT_EQ(Raw(10175), 8u);
  EXPECT_EQ(LoadDeviceSettingsByKind(printer_, ctx_, 7), 1);
}

// Loading with the two-way cache reads every area (the INI areas and printer data) in both
// builds, for a local printer and for a connection; with no cache flagged it moves nothing
// into printer data and clears nothing.
TEST_F(DeviceSettings, LoadWithTheTwoWayCacheReadsEveryAreaAndWritesNothing) {
  struct Case {
    Deliverable as;
    DWORD connection;
  } const cases[] = {{Deliverable::Interface, 0}, {Deliverable::Interface, 1}, {Deliverable::Rendering, 0},
                     {Deliverable::Rendering, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(static_cast<int>(c.as)) + " connection " + std::to_string(c.connection));
    SetDeliverable(c.as);
    PutIni(u"ChapterMax", u"8");
    PutData(u"RAMType", {2});
    Drop(u"Tray1Paper");
    SetRaw(fid::wdmChapterMax, 1);
    SetRaw(fid::kdmMemoryType, 0);
    SetRaw(10175, 5);
    SetStateByte(ctx_, 714, c.connection);
    EXPECT_EQ(LoadDeviceSettingsWithBidiCache(ctx_), 1);
    EXPECT_EQ(Raw(fid::wdmChapterMax), 8u);
    EXPECT_EQ(Raw(fid::kdmMemoryType), 2u);
    EXPECT_EQ(Raw(10175), 5u);                   // nothing stored: the field keeps its value
    EXPECT_TRUE(Data(u"Tray1Paper").empty());    // and nothing was saved
    EXPECT_EQ(Data(u"RAMType"), (std::vector<BYTE>{2}));
  }
  SetDeliverable(Deliverable::Interface);
  EXPECT_EQ(LoadDeviceSettingsWithBidiCache(nullptr), 1);
}

}  // namespace
}  // namespace kovatest
