// Removal of client-side-rendering leftovers: INI sections (double-byte text included),
// the ".ksr" companions and the marker, and the job-code registry values.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/memory.h"
#include "base/paths_and_names.h"
#include "base/spooler_info.h"
#include "base/settings_dirs.h"
#include "csr_cleanup.h"
#include "entry_frame.h"
#include "install_check.h"
#include "panelis_fixture.h"
#include "plat/spooler_setup.h"
#include "win/profile.h"
#include "win/registry.h"

namespace kovatest {
namespace csr_cleanup_test {
namespace {

TEST(CsrSectionText, SectionsAreDroppedOnlyWhereTheyStart) {
  struct Case {
    const char* name;
    std::string text;
    std::string kept;
    bool dropped;
  };
  const std::string lead = "\x82\xA0";       // a double-byte character
  const std::string trailBracket = "\x81[";  // its trail byte is '['
  const Case cases[] = {
      {"csr section", "[A]\r\nk=1\r\n[\\\\CSR|srv|P]\r\nk=2\r\n[B]\r\nk=3\r\n", "[A]\r\nk=1\r\n[B]\r\nk=3\r\n", true},
      {"lower-case prefix stays", "[\\\\csr|srv|P]\r\nk=2\r\n", "[\\\\csr|srv|P]\r\nk=2\r\n", false},
      {"last section", "[A]\r\n[\\\\CSR|x]\r\nk=2\r\n", "[A]\r\n", true},
      {"bracket inside a value is text", "[A]\r\nk=[\\\\CSR|x]\r\n[B]\r\n", "[A]\r\nk=[\\\\CSR|x]\r\n[B]\r\n", false},
      {"trail byte does not end a dropped section", "[\\\\CSR|x]\r\nk=" + trailBracket + "\\\\CSR|y]\r\n[B]\r\n",
       "[B]\r\n", true},
      {"double-byte text is kept whole", "[A]\r\nk=" + lead + trailBracket + "\r\n", "[A]\r\nk=" + lead + trailBracket + "\r\n",
       false},
      {"two sections in a row", "[\\\\CSR|a]\r\n[\\\\CSR|b]\r\nx=1\r\n[C]\r\n", "[C]\r\n", true},
      {"file without line break at the start", "x=1\n[\\\\CSR|a]\nk=1\n", "x=1\n", true},
  };
  for (const Case& c : cases) {
    bool dropped = false;
    EXPECT_EQ(StripCsrSectionText(c.text, &dropped), c.kept) << c.name;
    EXPECT_EQ(dropped, c.dropped) << c.name;
  }
}

class CsrCleanup : public SamplePrinterTest {
 protected:
  std::u16string CommonIni(HANDLE printer) {
    WCHAR ini[MAX_PATH] = {};
    GetIniPathInSettingsDir(ini, 0, 0, printer);
    return ini;
  }
  std::u16string SettingsRoot(HANDLE printer) {
    WCHAR dir[MAX_PATH] = {};
    GetSettingsRootForPrinter(dir, MAX_PATH, printer);
    return dir;
  }
};

TEST_F(CsrCleanup, AFileWithoutCsrSectionsIsNotRewritten) {
  HANDLE printer = Install(u"Sample");
  const std::u16string ini = CommonIni(printer);
  ASSERT_FALSE(ini.empty());
  root_.WriteFile(ini, "[A]\r\nk=1\r\n");
  const auto path = root_.HostPath(ini);
  const auto before = std::filesystem::last_write_time(path);
  std::filesystem::last_write_time(path, before - std::chrono::hours(1));
  const auto old = std::filesystem::last_write_time(path);
  EXPECT_EQ(StripCsrSections(ini.c_str()), 1);
  EXPECT_EQ(std::filesystem::last_write_time(path), old);
  EXPECT_EQ(StripCsrSections(u"C:\\nowhere\\missing.ini"), 0);
}

TEST_F(CsrCleanup, RewriteReplacesTheFileAndLeavesNoTemporary) {
  HANDLE printer = Install(u"Sample");
  const std::u16string ini = CommonIni(printer);
  root_.WriteFile(ini, "[A]\r\nk=\x82\xA0\r\n[\\\\CSR|s|P]\r\nk=2\r\n");
  EXPECT_EQ(StripCsrSections(ini.c_str()), 1);
  EXPECT_EQ(root_.ReadFile(ini), "[A]\r\nk=\x82\xA0\r\n");
  const auto dir = std::filesystem::path(root_.HostPath(ini)).parent_path();
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    EXPECT_EQ(entry.path().string().find("csrtmp"), std::string::npos) << entry.path();
}

TEST_F(CsrCleanup, MarkerIsWrittenOnlyWhenCompanionsWereCleaned) {
  HANDLE printer = Install(u"Sample");
  PRINTER_INFO_2W* info = static_cast<PRINTER_INFO_2W*>(GetPrinterInfo(printer, 2));
  ASSERT_NE(info, nullptr);
  const std::u16string ini = CommonIni(printer);
  // No INI: reported as a failure, nothing marked.
  EXPECT_EQ(NeedsCsrIniCorrection(printer, info, 0), 0);
  EXPECT_EQ(StripCsrSectionsFromIniFiles(printer, info, 0, 1), 1);

  root_.WriteFile(ini, "[COMMON]\r\nx=1\r\n[\\\\CSR|s|P]\r\nk=2\r\n");
  EXPECT_EQ(NeedsCsrIniCorrection(printer, info, 0), 2);
  // No companion file: the INI is cleaned, the marker is not written.
  EXPECT_EQ(StripCsrSectionsFromIniFiles(printer, info, 0, 1), 0);
  EXPECT_EQ(root_.ReadFile(ini), "[COMMON]\r\nx=1\r\n");
  EXPECT_EQ(NeedsCsrIniCorrection(printer, info, 0), 2);

  // With a companion of the INI's first four characters, both are cleaned and marked.
  const std::u16string iniName = ini.substr(ini.rfind(u'\\') + 1);
  const std::u16string companion = SettingsRoot(printer) + u"\\" + iniName.substr(0, 4) + u"_user.ksr";
  root_.WriteFile(companion, "[\\\\CSR|s|P]\r\nk=2\r\n[Keep]\r\nk=3\r\n");
  EXPECT_EQ(StripCsrSectionsFromIniFiles(printer, info, 0, 1), 0);
  EXPECT_EQ(root_.ReadFile(companion), "[Keep]\r\nk=3\r\n");
  EXPECT_EQ(NeedsCsrIniCorrection(printer, info, 0), 0);
  FreeMem(info);
}

// A file that cannot be read or rewritten stops the cleanup, leaves the marker unset so that
// a later call tries again, and does not fail the body that asked for it: the leftovers are
// other queues', and the file stays as it was.
TEST_F(CsrCleanup, AFileThatCannotBeCleanedStopsTheWorkButNotTheCaller) {
  HANDLE printer = Install(u"Sample");
  PRINTER_INFO_2W* info = static_cast<PRINTER_INFO_2W*>(GetPrinterInfo(printer, 2));
  ASSERT_NE(info, nullptr);
  const std::u16string ini = CommonIni(printer);
  const std::u16string iniName = ini.substr(ini.rfind(u'\\') + 1);
  const std::u16string companion = SettingsRoot(printer) + u"\\" + iniName.substr(0, 4) + u"_user.ksr";
  struct Case {
    const char* what;
    bool iniIsFolder;        // the INI cannot be read
    bool companionIsFolder;  // a companion cannot be read
  };
  const Case cases[] = {
      {"an INI that cannot be read", true, false},
      {"a companion that cannot be read", false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(root_.HostPath(ini));
    std::filesystem::remove_all(root_.HostPath(companion));
    if (c.iniIsFolder)
      std::filesystem::create_directories(root_.HostPath(ini));
    else
      root_.WriteFile(ini, "[COMMON]\r\nx=1\r\n[\\\\CSR|s|P]\r\nk=2\r\n");
    if (c.companionIsFolder) std::filesystem::create_directories(root_.HostPath(companion));
    EXPECT_EQ(StripCsrSectionsFromIniFiles(printer, info, 0, 1), 0);
    if (!c.iniIsFolder) {
      EXPECT_EQ(root_.ReadFile(ini), "[COMMON]\r\nx=1\r\n") << "the INI is cleaned before the companions";
      EXPECT_EQ(NeedsCsrIniCorrection(printer, info, 0), 2) << "no marker: a later call tries again";
    }
    EXPECT_EQ(CheckPendingInstallWork(printer, 1, info, nullptr), 1) << "the body goes on";
  }
  FreeMem(info);
}

TEST_F(CsrCleanup, SharedIniFilesLoseTheirCsrSections) {
  HANDLE printer = Install(u"Sample");
  const std::u16string fennic = SettingsRoot(printer) + u"\\Fennic.ini";
  root_.WriteFile(fennic, "[\\\\CSR|s|P]\r\nk=1\r\n[Sample]\r\nk=2\r\n");
  EXPECT_EQ(StripCsrSectionsFromSharedIni(printer, nullptr, 0), 1);
  EXPECT_EQ(root_.ReadFile(fennic), "[Sample]\r\nk=2\r\n");
}

class JobCodeKeys : public CsrCleanup {
 protected:
  void SetValue(HKEY root, const std::u16string& key, const std::u16string& name) {
    HKEY h = nullptr;
    ASSERT_EQ(RegCreateKeyExW(root, (u"SOFTWARE\\VANTE\\JOBCODE\\" + key).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &h, nullptr),
              ERROR_SUCCESS);
    DWORD v = 1;
    RegSetValueExW(h, name.c_str(), 0, 4, reinterpret_cast<const BYTE*>(&v), sizeof(v));
    RegCloseKey(h);
  }
  bool HasValue(HKEY root, const std::u16string& key, const std::u16string& name) {
    HKEY h = nullptr;
    if (RegOpenKeyExW(root, (u"SOFTWARE\\VANTE\\JOBCODE\\" + key).c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
      return false;
    const bool has = RegQueryValueExW(h, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(h);
    return has;
  }
};

TEST_F(JobCodeKeys, CsrValuesGoAndAMissingKeyDoesNotStopTheWalk) {
  HANDLE printer = Install(u"Sample");
  // The first per-machine key does not exist; the later ones hold CSR values.
  SetValue(HKEY_LOCAL_MACHINE, u"JCDriverPDL", u"\\\\CSR|srv|A");
  SetValue(HKEY_LOCAL_MACHINE, u"JCDriverPDL", u"\\\\CSR|srv|B");
  SetValue(HKEY_LOCAL_MACHINE, u"JCDriverPDL", u"Sample");
  SetValue(HKEY_LOCAL_MACHINE, u"JCDriverVersion", u"\\\\CSR|srv|A");
  SetValue(HKEY_CURRENT_USER, u"JCUserName", u"\\\\CSR|srv|A");
  SetValue(HKEY_CURRENT_USER, u"JCUserName", u"\\\\csr|srv|lower");
  EXPECT_EQ(RemoveCsrLeftovers(printer, nullptr, 0, kCsrCleanupEntry), 0);
  EXPECT_FALSE(HasValue(HKEY_LOCAL_MACHINE, u"JCDriverPDL", u"\\\\CSR|srv|A"));
  EXPECT_FALSE(HasValue(HKEY_LOCAL_MACHINE, u"JCDriverPDL", u"\\\\CSR|srv|B"));
  EXPECT_TRUE(HasValue(HKEY_LOCAL_MACHINE, u"JCDriverPDL", u"Sample"));
  EXPECT_FALSE(HasValue(HKEY_LOCAL_MACHINE, u"JCDriverVersion", u"\\\\CSR|srv|A"));
  EXPECT_FALSE(HasValue(HKEY_CURRENT_USER, u"JCUserName", u"\\\\CSR|srv|A"));
  EXPECT_TRUE(HasValue(HKEY_CURRENT_USER, u"JCUserName", u"\\\\csr|srv|lower"));
}

TEST_F(JobCodeKeys, PrinterValuesOfTypeFive) {
  HANDLE printer = Install(u"Sample");
  SetValue(HKEY_LOCAL_MACHINE, u"JCDriverLanguage", u"Sample");
  SetValue(HKEY_CURRENT_USER, u"JCJobID", u"Sample");
  SetValue(HKEY_CURRENT_USER, u"JCJobID", u"Other");
  EXPECT_EQ(RemovePrinterJobCodeValues(printer, nullptr), 0);
  EXPECT_FALSE(HasValue(HKEY_LOCAL_MACHINE, u"JCDriverLanguage", u"Sample"));
  EXPECT_FALSE(HasValue(HKEY_CURRENT_USER, u"JCJobID", u"Sample"));
  EXPECT_TRUE(HasValue(HKEY_CURRENT_USER, u"JCJobID", u"Other"));
  EXPECT_EQ(DeletePrinterJobCodeValuesUser(nullptr), 0);
}

TEST_F(CsrCleanup, FrameTestsOfTheSpoolerName) {
  // The spooler publishes "printerName" under "DsSpooler": a name longer than the 260
  // bytes a fixed buffer would hold is still found.
  const std::u16string longName = u"Sample " + std::u16string(200, u'n');
  HANDLE named = Install(longName);
  WCHAR probe[4] = {};
  DWORD type = 0, needed = 0;
  ASSERT_EQ(GetPrinterDataExW(named, u"DsSpooler", u"printerName", &type, reinterpret_cast<BYTE*>(probe),
                              sizeof(probe), &needed),
            ERROR_MORE_DATA);
  ASSERT_GT(needed, 260u);
  EXPECT_EQ(LacksSpoolerPrinterName(named), 0);
  HANDLE unnamed = Install(u"Unnamed");
  if (DeletePrinterDataExW(unnamed, u"DsSpooler", u"printerName") == ERROR_SUCCESS) {
    EXPECT_EQ(LacksSpoolerPrinterName(unnamed), 1);
  }
  EXPECT_EQ(LacksSpoolerPrinterName(nullptr), 0);

  PRINTER_INFO_2W info{};
  WCHAR csrName[] = u"\\\\csr|server|Printer";
  info.pPrinterName = csrName;
  EXPECT_EQ(IsCsrPrinter(unnamed, &info), 1);
  WCHAR plainName[] = u"\\\\CSRX|server|Printer";
  info.pPrinterName = plainName;
  EXPECT_EQ(IsCsrPrinter(unnamed, &info), 0);
  EXPECT_EQ(IsCsrPrinter(unnamed, nullptr), 0);
  EXPECT_EQ(IsCsrPrinter(nullptr, &info), 0);
}

TEST_F(CsrCleanup, SpoolerIdentityIsTakenBack) {
  const int before = plat::spooler::RevertedDepth();
  HANDLE token = RevertToSpooler();
  ASSERT_NE(token, nullptr);
  EXPECT_EQ(plat::spooler::RevertedDepth(), before + 1);
  EXPECT_TRUE(ReimpersonateClient(token));
  EXPECT_EQ(plat::spooler::RevertedDepth(), before);
  EXPECT_FALSE(ReimpersonateClient(token));  // a token is taken back once
  EXPECT_FALSE(ReimpersonateClient(nullptr));
}

}  // namespace
}  // namespace csr_cleanup_test
}  // namespace kovatest
