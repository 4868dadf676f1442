#include <gtest/gtest.h>

#include <filesystem>

#include "base/driver_context.h"
#include "base/system_checks.h"
#include "plat/spooler_setup.h"
#include "plat/system.h"
#include "test_root.h"
#include "win/loader.h"
#include "win/registry.h"
#include "win/spool.h"
#include "build_paths.h"

namespace fs = std::filesystem;

namespace {

class SystemTests : public ::testing::Test {
 protected:
  void SetUp() override { ResetSystemTestCaches(); }
  void TearDown() override { ResetSystemTestCaches(); }

  // Installs a printer whose driver folder is C:\drv\<folder>\, with or without the
  // terminal-server library in it.
  HANDLE Printer(const std::u16string& name, const std::u16string& folder, bool withLibrary,
                 std::vector<plat::spooler::DataValue> data = {}) {
    std::u16string dir = u"C:\\drv\\" + folder;
    root_.WriteFile(dir + u"\\Panelis.dll", "");
    if (withLibrary) {
      fs::copy_file(kovatest::BuiltFile("termsvc_double"), root_.HostPath(dir + u"\\Termsvc.so"),
                    fs::copy_options::overwrite_existing);
    }
    plat::spooler::PrinterSetup setup;
    setup.name = name;
    setup.driver.name = u"Kova Sample " + folder;  // one driver record per folder
    setup.driver.driverPath = dir + u"\\Panelis.dll";
    setup.driver.configFile = dir + u"\\Panelis.dll";
    setup.data = std::move(data);
    EXPECT_EQ(plat::spooler::InstallPrinter(setup), 0u);
    HANDLE h = nullptr;
    EXPECT_TRUE(OpenPrinterW(const_cast<LPWSTR>(name.c_str()), &h, nullptr));
    return h;
  }

  kovatest::TempRoot root_;
};

TEST_F(SystemTests, VersionTestsPerWindowsVersion) {
  struct Case {
    plat::WindowsVersion version;
    WORD servicePack;
    BOOL nt5, win2003, nt6, before2kSp4, is2kSp4;
  } cases[] = {
      {plat::WindowsVersion::Win2000Sp4, 3, TRUE, FALSE, FALSE, TRUE, FALSE},
      {plat::WindowsVersion::Win2000Sp4, 4, TRUE, FALSE, FALSE, FALSE, TRUE},
      {plat::WindowsVersion::WinXP, 3, TRUE, FALSE, FALSE, FALSE, FALSE},
      {plat::WindowsVersion::Server2003, 0, TRUE, TRUE, FALSE, FALSE, FALSE},
      {plat::WindowsVersion::Vista, 2, TRUE, TRUE, TRUE, FALSE, FALSE},
      {plat::WindowsVersion::Win10, 0, TRUE, TRUE, TRUE, FALSE, FALSE},
  };
  for (const auto& c : cases) {
    plat::SetWindowsVersion(c.version);
    plat::Machine().servicePackMajor = c.servicePack;
    ResetSystemTestCaches();
    SCOPED_TRACE(static_cast<int>(c.version));
    EXPECT_EQ(IsNt5OrLater(), c.nt5);
    EXPECT_EQ(IsWin2003OrLater(), c.win2003);
    EXPECT_EQ(IsNt6OrLater(), c.nt6);
    EXPECT_EQ(IsWin2000BeforeSp4(), c.before2kSp4);
    EXPECT_EQ(IsWin2000Sp4(), c.is2kSp4);
    EXPECT_FALSE(IsWin9x());
  }
  OSVERSIONINFOW info;
  ASSERT_TRUE(GetOsVersion(&info));
  EXPECT_EQ(info.dwOSVersionInfoSize, 276u);
  EXPECT_EQ(info.dwMajorVersion, 10u);
}

TEST_F(SystemTests, Nt5AnswerIsKeptForTheProcess) {
  EXPECT_TRUE(IsNt5OrLater());
  plat::Machine().majorVersion = 4;  // not asked again
  EXPECT_TRUE(IsNt5OrLater());
  EXPECT_FALSE(IsWin2003OrLater());  // the others ask every time
}

TEST_F(SystemTests, TerminalServerOnXpAsksTheVersionSuite) {
  plat::SetWindowsVersion(plat::WindowsVersion::WinXP);
  HANDLE printer = Printer(u"P1", u"one", true);  // the library is not asked before 2003
  plat::Machine().terminalServer = false;
  EXPECT_FALSE(IsTerminalServer(printer));
  plat::Machine().terminalServer = true;
  EXPECT_TRUE(IsTerminalServer(printer));
  EXPECT_TRUE(IsTerminalServer(nullptr));
  ClosePrinter(printer);
}

TEST_F(SystemTests, TerminalServerFrom2003AsksTheLibraryInTheDriverFolder) {
  plat::Machine().terminalServer = true;  // not what decides from 2003 on
  HANDLE without = Printer(u"P1", u"one", false);
  HANDLE with = Printer(u"P2", u"two", true);
  EXPECT_FALSE(IsTerminalServer(without));  // no library: no terminal server
  EXPECT_TRUE(IsTerminalServer(with));

  HMODULE lib = LoadLibraryW(u"C:\\drv\\two\\Termsvc.dll");
  ASSERT_NE(lib, nullptr);
  auto setAnswer = ProcCast<void (*)(int)>(GetProcAddress(lib, "TermsvcSetAnswer"));
  ASSERT_NE(setAnswer, nullptr);
  setAnswer(2);  // only 1 means yes
  EXPECT_FALSE(IsTerminalServer(with));
  setAnswer(1);

  // A given driver record decides the folder.
  DRIVER_INFO_3W info{};
  WCHAR path[] = u"C:\\drv\\two\\Panelis.dll";
  info.pDriverPath = path;
  EXPECT_TRUE(IsTerminalServerFor(without, &info));

  // Once per process: the first printer's answer stays.
  EXPECT_FALSE(IsTerminalServerCached(without));
  EXPECT_FALSE(IsTerminalServerCached(with));
  FreeLibrary(lib);
  ClosePrinter(without);
  ClosePrinter(with);
}

TEST_F(SystemTests, AdministratorTest) {
  plat::Machine().administrator = true;
  EXPECT_TRUE(IsUserAdmin());
  plat::Machine().administrator = false;
  EXPECT_FALSE(IsUserAdmin());
  EXPECT_FALSE(IsUserAdminIfNeeded(nullptr));

  WorkArea work{};
  DriverContext context{};
  context.work = &work;
  work.adminTest = 0;  // created with the no-admin-test flag
  EXPECT_TRUE(IsUserAdminIfNeeded(&context));
  work.adminTest = 1;
  EXPECT_FALSE(IsUserAdminIfNeeded(&context));
}

TEST_F(SystemTests, AdminChange) {
  struct Case {
    std::vector<plat::spooler::DataValue> data;
    BOOL expected;
    DWORD out;
  } cases[] = {
      {{}, FALSE, 77},  // missing: out untouched
      {{plat::spooler::DwordValue(u"AdminChange", 0)}, FALSE, 0},
      {{plat::spooler::DwordValue(u"AdminChange", 5)}, TRUE, 5},
  };
  for (const auto& c : cases) {
    HANDLE printer = Printer(u"P1", u"one", false, c.data);
    DWORD out = 77;
    EXPECT_EQ(GetAdminChange(printer, &out), c.expected);
    EXPECT_EQ(out, c.out);
    ClosePrinter(printer);
  }
}

}  // namespace
