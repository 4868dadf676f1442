// The install-state check that the bodies run first, and the user's install state.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "base/ini_files.h"
#include "base/memory.h"
#include "base/spooler_info.h"
#include "win/files.h"
#include "base/paths_and_names.h"
#include "base/system_checks.h"
#include "install_check.h"
#include "panelis_fixture.h"
#include "printer_install.h"
#include "printer_rename.h"
#include "context/context_create.h"
#include "base/printer_data.h"
#include "plat/system.h"
#include "plat/users.h"
#include "build_paths.h"

namespace kovatest {
namespace {

class InstallCheckTest : public SamplePrinterTest {
 protected:
  HANDLE Connection(const std::u16string& name) {
    plat::spooler::PrinterSetup setup;
    setup.name = name;
    setup.serverName = u"\\\\SERVER";
    setup.driver.name = u"KOVA Sample Driver";
    setup.driver.driverPath = u"C:\\drv\\Rendara.dll";
    setup.driver.configFile = u"C:\\drv\\Panelis.dll";
    setup.driver.helpFile = u"C:\\drv\\KOVAUS.HLP";
    setup.driver.dataFile = kDataFile;
    EXPECT_EQ(plat::spooler::InstallPrinter(setup), 0u);
    return Open(u"\\\\SERVER\\" + name);
  }
  static std::u16string Ini(HANDLE printer, DWORD kind) {
    WCHAR path[MAX_PATH + 1] = {};
    GetIniPathInSettingsDirFor(path, 0, kind, printer, nullptr);
    return path;
  }
  static std::u16string Section(HANDLE printer) {
    auto* info = static_cast<PRINTER_INFO_2W*>(GetPrinterInfo(printer, 2));
    WCHAR section[261];
    InstallSectionName(info, section);
    FreeMem(info);
    return section;
  }
  static std::u16string Read(HANDLE printer, DWORD kind, const WCHAR* key) {
    WCHAR value[128] = {};
    ReadIniString(Section(printer).c_str(), key, u"", value, 128, Ini(printer, kind).c_str());
    return value;
  }
  static void Write(HANDLE printer, DWORD kind, const WCHAR* key, const WCHAR* value) {
    const std::u16string ini = Ini(printer, kind);
    ASSERT_FALSE(ini.empty());
    for (std::size_t at = ini.find(u'\\', 3); at != std::u16string::npos; at = ini.find(u'\\', at + 1))
      CreateDirectoryW(ini.substr(0, at).c_str(), nullptr);
    ASSERT_TRUE(WriteIniString(Section(printer).c_str(), key, value, Ini(printer, kind).c_str()));
  }
};

TEST_F(InstallCheckTest, ConnectionsAreBroughtToThisDriverVersion) {
  const std::u16string version = ProductVersionText();
  ASSERT_FALSE(version.empty());
  struct Case {
    const char* what;
    const WCHAR* batchDone;  // null: no key
    const WCHAR* storedVersion;
    std::u16string expectedVersion;
  };
  const Case cases[] = {
      {"set up by a batch install of an older driver (an upgrade)", u"1", u"1.00", version},
      {"set up by a batch install of this driver", u"1", version.c_str(), version},
      {"never set up: set up now", nullptr, nullptr, version},
  };
  int n = 0;
  for (const Case& c : cases) {
    HANDLE printer = Connection(u"Conn" + std::u16string(1, static_cast<char16_t>(u'A' + n++)));
    if (c.batchDone) Write(printer, 0, u"BatchInstallDone", c.batchDone);
    if (c.storedVersion) Write(printer, 0, u"DrvInstVersion", c.storedVersion);
    EXPECT_EQ(CheckPendingInstallWork(printer, 1, nullptr, nullptr), 1) << c.what;
    EXPECT_EQ(Read(printer, 0, u"DrvInstVersion"), c.expectedVersion) << c.what;
  }
}

TEST_F(InstallCheckTest, WithoutTheConnectionFlagAConnectionIsLeftAlone) {
  HANDLE printer = Connection(u"Untouched");
  EXPECT_EQ(CheckPendingInstallWork(printer, 0, nullptr, nullptr), 1);
  EXPECT_EQ(Read(printer, 0, u"DrvInstVersion"), u"");
}

TEST_F(InstallCheckTest, LocalPrinterOnAWorkstationIsReady) {
  HANDLE printer = InstallWith(u"Local", {});
  EXPECT_EQ(CheckPendingInstallWork(printer, 1, nullptr, nullptr), 1);
  // A workstation keeps no install stamps.
  EXPECT_EQ(StampInstallTime(printer, 1, 2, nullptr, nullptr), 1);
  EXPECT_EQ(Read(printer, 0, u"DrvInstTime"), u"");
}

TEST_F(InstallCheckTest, UserInstallStateFromTheTimeStamps) {
  struct Case {
    const char* what;
    const WCHAR* user;  // null: the user has no INI
    const WCHAR* first;
    const WCHAR* common;
    DWORD adminChange;
    int state;
  };
  const Case cases[] = {
      {"no user copy", nullptr, u"20260101120000", u"20260101120000", 0, 1},
      {"user copy older than the first install", u"20251231235959", u"20260101120000", u"20260101120000", 0, 1},
      {"user copy at the first install, no later install", u"20260101120000", u"20260101120000", u"20260101120000", 0,
       0},
      {"a later common install", u"20260101120000", u"20260101120000", u"20260301000000", 0, 2},
      {"a later common install by the administrator", u"20260101120000", u"20260101120000", u"20260301000000", 1, 3},
      {"only the first 14 characters count", u"20260101120000xyz", u"20260101120000abc", u"20260101120000", 0, 0},
      {"an empty user stamp", u"", u"20260101120000", u"20260101120000", 0, 1},
  };
  int n = 0;
  for (const Case& c : cases) {
    HANDLE printer = InstallWith(u"State" + std::u16string(1, static_cast<char16_t>(u'A' + n++)),
                                 {DwordValue(u"AdminChange", c.adminChange)});
    const std::u16string userIni = Ini(printer, 1);
    ASSERT_FALSE(userIni.empty());
    ASSERT_NE(userIni, Ini(printer, 0));
    DeleteFileW(userIni.c_str());
    Write(printer, 0, u"DrvFirstInstTime", c.first);
    Write(printer, 0, u"DrvInstTime", c.common);
    if (c.user) Write(printer, 1, u"DrvInstTime", c.user);
    int state = -1;
    EXPECT_EQ(GetInstallTimeState(printer, &state, nullptr), 1) << c.what;
    EXPECT_EQ(state, c.state) << c.what;
  }
}

// What the install-state check, with the rename handling the bodies run before it, leaves
// after a driver upgrade, a rename and a new connection, on a terminal server whose user
// "Anna" keeps her own copies.
TEST_F(InstallCheckTest, TheCheckAfterAnUpgradeARenameAndAConnection) {
  std::filesystem::copy_file(kovatest::BuiltFile("termsvc_double"),
                             root_.HostPath(u"C:\\drv\\Termsvc.so"),
                             std::filesystem::copy_options::overwrite_existing);
  ResetSystemTestCaches();
  SYSTEMTIME now{};
  now.wYear = 2026;
  now.wMonth = 12;
  now.wDay = 11;
  now.wHour = 6;
  plat::SetTestLocalTime(now);
  const std::u16string stamp = u"20261211060000";
  plat::AsUser anna(u"Anna");
  ASSERT_TRUE(anna.ok());
  struct Case {
    const char* what;
    std::function<HANDLE()> setUp;
    std::function<void(HANDLE)> check;
  };
  const Case cases[] = {
      {"upgrade: the common install is newer than the user's copy",
       [&] {
         HANDLE printer = InstallWith(u"Upgraded", {});
         Write(printer, 0, u"DrvFirstInstTime", u"20260101000000");
         Write(printer, 0, u"DrvInstTime", u"20261201000000");
         Write(printer, 1, u"DrvInstTime", u"20260101000000");
         // The settings versions of the language section: the user's copy is an older one.
         WriteIniString(u"us", u"KstVersion", u"322", Ini(printer, 0).c_str());
         WriteIniString(u"us", u"KstVersion", u"310", Ini(printer, 1).c_str());
         return printer;
       },
       [&](HANDLE printer) {
         EXPECT_EQ(Read(printer, 1, u"DrvInstTime"), stamp) << "the user's copy is stamped current";
         EXPECT_EQ(Read(printer, 1, u"DrvInstVersion"), std::u16string(ProductVersionText()));
         int state = -1;
         EXPECT_EQ(GetInstallTimeState(printer, &state, nullptr), 1);
         EXPECT_EQ(state, 0);
       }},
      {"rename: the settings follow the new name",
       [&] {
         HANDLE printer = InstallWith(u"Renamed", {TextValue(u"KOVAPrinterName", u"Old Name")});
         root_.WriteFile(u"C:\\_kova\\Fennicb.ini", "[Old Name]\r\nKept=yes\r\n");
         DriverContext* context = Create(printer);
         EXPECT_NE(context, nullptr);
         if (context) {
           EXPECT_EQ(HandlePrinterNameChange(context), 1);
           EXPECT_EQ(HandlePrinterNameChange(context), 0) << "once moved, nothing is left to move";
           WCHAR kept[16] = {};
           ReadIniString(u"Renamed", u"Kept", u"", kept, 16, u"C:\\_kova\\Fennicb.ini");
           EXPECT_EQ(std::u16string(kept), u"yes") << "the two-way cache section follows the name";
           ReleaseContext(context, CTXR_DESTROY);
         }
         return printer;
       },
       [&](HANDLE printer) {
         WCHAR name[261] = {};
         EXPECT_TRUE(ReadPrinterNameValueInto(printer, name));
         EXPECT_EQ(std::u16string(name), u"Renamed");
         // The printer's initialisation then empties its two-way cache section.
         WCHAR kept[16] = {};
         ReadIniString(u"Renamed", u"Kept", u"", kept, 16, u"C:\\_kova\\Fennicb.ini");
         EXPECT_EQ(std::u16string(kept), u"");
         EXPECT_EQ(Read(printer, 1, u"DrvInstTime"), stamp) << "a user without a copy gets one";
       }},
      {"connection: set up on first use",
       [&] { return Connection(u"NewConn"); },
       [&](HANDLE printer) {
         EXPECT_EQ(Read(printer, 0, u"BatchInstallDone"), u"1");
         EXPECT_EQ(Read(printer, 0, u"DrvInstVersion"), std::u16string(ProductVersionText()));
       }},
  };
  for (const Case& c : cases) {
    HANDLE printer = c.setUp();
    EXPECT_EQ(CheckPendingInstallWork(printer, 1, nullptr, nullptr), 1) << c.what;
    c.check(printer);
  }
}

}  // namespace
}  // namespace kovatest
