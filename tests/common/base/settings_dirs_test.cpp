#include <cstring>
#include <filesystem>
#include <string>

#include "base/memory.h"
#include "base/printer_data.h"
#include "base/settings_dirs.h"
#include "base/spooler_info.h"
#include "paths_fixture.h"
#include "plat/builtin_modules.h"
#include "win/files.h"
#include "win/registry.h"
#include "plat/security.h"
#include "win/security.h"

namespace {

using kovatest::Str;
using Stores = kovatest::PathsTest;

TEST_F(Stores, PrinterDataRoundTripsOfEachType) {
  HANDLE h = Install(u"P1");
  const BYTE binary[5] = {1, 2, 0, 4, 5};
  ASSERT_TRUE(SetPrinterDataBinary(h, binary, 5, u"Bin", 0));
  const DWORD dword = 0xA1B2C3D4u;
  ASSERT_TRUE(SetPrinterDataTyped(h, &dword, 4, REG_DWORD, u"Dw", 0));
  ASSERT_TRUE(SetPrinterDataText(h, u"abc", u"Text"));
  BYTE readBinary[5] = {};
  DWORD readDword = 0;
  WCHAR readText[8] = {};
  EXPECT_TRUE(GetPrinterDataValue(h, readBinary, 5, u"Bin", 0));
  EXPECT_EQ(std::memcmp(readBinary, binary, 5), 0);
  EXPECT_TRUE(GetPrinterDataValue(h, &readDword, 4, u"Dw", 0));
  EXPECT_EQ(readDword, dword);
  EXPECT_TRUE(GetPrinterDataValue(h, readText, sizeof readText, u"Text", 0));
  EXPECT_EQ(Str(readText), u"abc");
  // REG_SZ is stored with its NUL: 2 x (3 + 1) bytes.
  auto snapshot = plat::spooler::ReadPrinter(u"P1");
  ASSERT_TRUE(snapshot);
  bool seen = false;
  for (const auto& v : snapshot->data)
    if (v.name == u"Text") {
      seen = true;
      EXPECT_EQ(v.type, static_cast<DWORD>(REG_SZ));
      EXPECT_EQ(v.bytes.size(), 8u);
    }
  EXPECT_TRUE(seen);
  EXPECT_FALSE(SetPrinterDataBinary(h, nullptr, 5, u"Bin", 0));
  EXPECT_FALSE(SetPrinterDataBinary(h, binary, 0, u"Bin", 0));
  EXPECT_FALSE(GetPrinterDataValue(h, readBinary, 0, u"Bin", 0));
  EXPECT_FALSE(GetPrinterDataValue(h, readBinary, 5, nullptr, 0));
  EXPECT_FALSE(GetPrinterDataValue(h, readBinary, 5, u"Missing", 0));
}

TEST_F(Stores, DriverFileNamesAndLogName) {
  HANDLE h = Install(u"P1", {}, u"", u"C:\\drv\\X.DLL");
  DriverContext* ctx = Context(h);
  EXPECT_TRUE(StoreDriverFileNames(h, ctx));
  WCHAR text[64];
  EXPECT_TRUE(GetPrinterDataValue(h, text, sizeof text, u"SPLUserModePrinterDriver", 0));
  EXPECT_EQ(Str(text), u"Spoolane.DLL");
  EXPECT_TRUE(GetPrinterDataValue(h, text, sizeof text, u"DriverIniFileName", 0));
  EXPECT_EQ(Str(text), u"Dorvale.ini");
  EXPECT_TRUE(GetPrinterDataValue(h, text, sizeof text, u"DriverGRFileName", 0));
  EXPECT_EQ(Str(text), u"X.DLL");
  EXPECT_TRUE(StoreLogFileName(1, ctx));
  EXPECT_TRUE(GetPrinterDataValue(h, text, sizeof text, u"LogFileName", 0));
  EXPECT_EQ(Str(text), u"X.log");
  // The log settings got their defaults.
  WCHAR dir[MAX_PATH] = {};
  EXPECT_TRUE(ReadHklmValue(kPrintLogKey, u"LogFileDirectory", dir, sizeof dir, 0));
  EXPECT_EQ(Str(dir), u"C:\\Windows\\temp\\PrintLog");
  DWORD size = 0;
  EXPECT_TRUE(ReadHklmValue(kPrintLogKey, u"MaxLogFileSize", &size, 4, 0));
  EXPECT_EQ(size, 64u);
  EXPECT_TRUE(StoreHelpFileName(ctx));
  EXPECT_TRUE(ReadHelpFileNameValue(text, sizeof text, ctx));
  EXPECT_EQ(Str(text), u"KOVAUS.HLP");
}

TEST_F(Stores, DriverPathWithoutSeparatorGivesNoFileName) {
  HANDLE h = Install(u"P1", {}, u"", u"Bare.dll");
  PRINTER_INFO_2W* unused = nullptr;
  (void)unused;
  DRIVER_INFO_3W info{};
  WCHAR bare[] = u"Bare.dll";
  info.pDriverPath = bare;
  fc_.work().driverInfo = &info;
  WCHAR text[32];
  EXPECT_FALSE(GetDriverFileName(nullptr, text, 32, Context(h)));
  EXPECT_FALSE(StoreDriverGRFileName(Context(h)));
  fc_.work().driverInfo = nullptr;
}

TEST_F(Stores, PrinterNameValueAndRename) {
  HANDLE h = Install(u"Office");
  auto* info = static_cast<PRINTER_INFO_2W*>(GetPrinterInfo(h, 2));
  ASSERT_NE(info, nullptr);
  EXPECT_TRUE(IsPrinterRenamed(h, info));  // nothing recorded counts as changed
  WCHAR upper[] = u"OFFICE";
  SetPrinterDataText(h, upper, u"KOVAPrinterName");
  EXPECT_FALSE(IsPrinterRenamed(h, info));  // differs only in case
  SetPrinterDataText(h, u"Old name", u"KOVAPrinterName");
  EXPECT_TRUE(IsPrinterRenamed(h, info));
  SetPrinterDataText(h, u"client", u"ClientName");
  EXPECT_FALSE(IsPrinterRenamed(h, info));  // a printer with a client name
  EXPECT_TRUE(StorePrinterNameValue(h, info));
  // A null buffer overwrites the context's printer name.
  DriverContext* ctx = Context(h);
  lstrcpynW(fc_.work().printerName, u"Something", 261);
  EXPECT_TRUE(ReadPrinterNameValue(h, nullptr, ctx));
  EXPECT_EQ(Str(fc_.work().printerName), u"Office");
  EXPECT_FALSE(ReadPrinterNameValueInto(h, nullptr));
  EXPECT_FALSE(IsPrinterRenamed(h, nullptr));
  FreeMem(info);
}

TEST_F(Stores, CachePrinterInfoAndConnectionState) {
  PRINTER_INFO_2W info{};
  WCHAR server[] = u"\\\\SRV";
  WCHAR name[] = u"\\\\SRV\\P";
  info.pServerName = server;
  info.pPrinterName = name;
  DriverContext* ctx = Context(nullptr);
  CachePrinterInfo(&info, ctx);  // no driver name: the state, but no names
  EXPECT_EQ(fc_.work().connectionState, 1);
  EXPECT_EQ(fc_.work().printerName[0], 0);
  EXPECT_TRUE(IsPrinterConnection(ctx));
  EXPECT_TRUE(InfoHasServerName(&info));
  EXPECT_TRUE(InfoIsLocal(nullptr));
  HANDLE h = Install(u"Local1");
  EXPECT_TRUE(IsLocalHandle(h));
  EXPECT_FALSE(IsConnectionHandle(nullptr));
}

TEST_F(Stores, RegistryValuesAndSwitches) {
  EXPECT_FALSE(IsSaveDeviceSetupEnabled(nullptr));
  const DWORD one = 1;
  WriteHklmValue(u"Software\\VANTE\\KovaDrvCustomSetup", u"SaveDeviceSetup", &one, 4, REG_DWORD, 0);
  EXPECT_TRUE(IsSaveDeviceSetupEnabled(nullptr));
  WriteHklmValue(u"Software\\VANTE\\KovaDrvCustomSetup", u"SaveDeviceSetup", u"1", 4, REG_SZ, 0);
  EXPECT_FALSE(IsSaveDeviceSetupEnabled(nullptr));  // text, even "1", is not the switch
  EXPECT_FALSE(IsSuiteToolInstalled(2, nullptr));
  WriteHklmValue(u"Software\\VANTE\\Suitemix\\Jobfold", u"INSTALL_COUNT", &one, 4, REG_DWORD, 0);
  EXPECT_TRUE(IsSuiteToolInstalled(2, nullptr));
  EXPECT_FALSE(IsSuiteToolInstalled(8, nullptr));
  EXPECT_FALSE(IsSuiteToolInstalled(3, nullptr));
}

TEST_F(Stores, SettingsRootOverrides) {
  WCHAR out[MAX_PATH];
  EXPECT_EQ(GetDefaultSettingsRoot(out, MAX_PATH), 8u);
  EXPECT_EQ(Str(out), u"C:\\_kova");
  EXPECT_EQ(GetDefaultSettingsRoot(out, 8), 0u);  // needs 9 with the NUL
  HANDLE local = Install(u"L1");
  EXPECT_EQ(GetSettingsRootForPrinter(out, MAX_PATH, local), 8u);
  // The registry value is used unchanged, without a test that it exists.
  WriteDriverRegistryValue(kSettingsRootRegistryValue, u"E:\\Drv", 14);
  GetSettingsRootForPrinter(out, MAX_PATH, local);
  EXPECT_EQ(Str(out), u"E:\\Drv");

  // A connection's printer-data value is used with "\_kova" and only when it exists.
  struct Case {
    const char16_t* value;
    bool createDir;
    const char16_t* expected;
  } cases[] = {
      {u"C:\\Drv", true, u"C:\\Drv\\_kova"},
      {u"C:\\Absent", false, u"E:\\Drv"},
      {u"%systemroot%\\spool", true, u"C:\\Windows\\spool\\_kova"},
  };
  int n = 0;
  for (const auto& c : cases) {
    if (c.createDir) std::filesystem::create_directories(root_.HostPath(c.value[0] == u'%' ? u"C:\\Windows\\spool" : c.value));
    std::u16string name = u"Conn" + std::u16string(1, static_cast<char16_t>(u'A' + n++));
    HANDLE h = Install(name, {plat::spooler::StringValue(kSettingsRootClientValue, c.value)}, u"\\\\SRV");
    EXPECT_GT(GetSettingsRootForPrinter(out, MAX_PATH, h), 0u);
    EXPECT_EQ(Str(out), c.expected) << kovatest::U8(c.value);
  }
  // 213 characters or more are refused (213 + 47 = 260).
  const std::u16string longValue = u"C:\\" + std::u16string(210, u'x');
  HANDLE h = Install(u"ConnLong", {plat::spooler::StringValue(kSettingsRootClientValue, longValue)}, u"\\\\SRV");
  EXPECT_EQ(ResolvePrinterDataPathByHandle(h, kSettingsRootClientValue, out, MAX_PATH), 0);
  // Found but too long for the caller's buffer: not copied and not reported as found.
  HANDLE h2 = Install(u"ConnSmall", {plat::spooler::StringValue(kSettingsRootClientValue, u"C:\\Drv")}, u"\\\\SRV");
  WCHAR small[8] = u"x";
  EXPECT_EQ(ResolvePrinterDataPathByHandle(h2, kSettingsRootClientValue, small, 8), 0);
  EXPECT_EQ(ResolvePrinterDataPathByHandle(h2, kSettingsRootClientValue, out, MAX_PATH), 1);
}

TEST_F(Stores, ProfileDirectoryAndItsFallback) {
  HANDLE h = Install(u"L1");
  WCHAR out[MAX_PATH];
  ASSERT_GT(GetUserDataDir(out, MAX_PATH, h), 0u);
  EXPECT_EQ(Str(out), plat::UserProfileDirectory() + u"\\_kova");
  ASSERT_TRUE(plat::SetBuiltinModuleAvailable(u"userenv.dll", false));
  EXPECT_GT(GetUserProfileDir(out, MAX_PATH, h), 0u);
  EXPECT_EQ(Str(out), u"C:\\_kova");  // the settings root instead
  EXPECT_EQ(GetUserProfileDirNoFallback(out, MAX_PATH, h, nullptr), 0u);
  plat::SetBuiltinModuleAvailable(u"userenv.dll", true);
  // An absolute per-printer INI path gives its folder.
  lstrcpynW(fc_.work().userIniPath, u"D:\\users\\me\\Dorvale.ini", 260);
  EXPECT_GT(GetUserSettingsDir(out, MAX_PATH, Context(h)), 0u);
  EXPECT_EQ(Str(out), u"D:\\users\\me");
  WCHAR low[MAX_PATH];
  EXPECT_TRUE(GetLocalAppDataLowDir(low, MAX_PATH));
  EXPECT_FALSE(GetLocalAppDataLowDir(low, 4));
}

TEST_F(Stores, CreatingTheRootSetsItsRights) {
  HANDLE h = Install(u"L1");
  plat::ClearSecurityJournal();
  EXPECT_TRUE(CreateSettingsRoot(h));
  EXPECT_TRUE(CreateSettingsRoot(h));  // an existing root counts as created
  EXPECT_TRUE(GetFileAttributesW(u"C:\\_kova") & FILE_ATTRIBUTE_HIDDEN);
  auto journal = plat::SecurityJournal();
  ASSERT_GE(journal.size(), 2u);
  EXPECT_EQ(journal[0].owner, "S-1-5-32-544");
  EXPECT_EQ(journal[1].dacl, "(A;0x03;0x001F01FF;S-1-1-0)");

  root_.WriteFile(u"C:\\_kova\\a.ini", "x");
  std::filesystem::create_directories(root_.HostPath(u"C:\\_kova\\sub"));
  plat::ClearSecurityJournal();
  EXPECT_TRUE(SetEveryoneDacl(u"C:\\_kova", 0));
  journal = plat::SecurityJournal();
  ASSERT_EQ(journal.size(), 2u);  // the directory and its file, not the subdirectory
  EXPECT_NE(journal[1].path.find(u"a.ini"), std::u16string::npos);

  // The root is every printer's: only the printer's own folder goes.
  root_.WriteFile(u"C:\\_kova\\L1\\own.ksr", "x");
  EXPECT_TRUE(RemoveSettingsRoot(h));
  EXPECT_FALSE(std::filesystem::exists(root_.HostPath(u"C:\\_kova\\L1")));
  EXPECT_TRUE(std::filesystem::exists(root_.HostPath(u"C:\\_kova\\a.ini")));
  EXPECT_TRUE(std::filesystem::exists(root_.HostPath(u"C:\\_kova\\sub")));
  EXPECT_TRUE(RemoveSettingsRoot(h)) << "no folder left: nothing to do";
}

}  // namespace
