// The batch install of the system install INI: a settings package with its presets, a user
// code and a user id applied to a new printer, the keys used up only when it succeeded.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "context/context_create.h"
#include "stored/devmode_convert.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "base/ini_files.h"
#include "base/paths_and_names.h"
#include "base/printer_data.h"
#include "field_ids.h"
#include "install_ini.h"
#include "panelis_fixture.h"
#include "printer_install.h"
#include "printer_lifecycle.h"
#include "terminal_server_fixture.h"
#include "win/printer_interface.h"
#include "stored/settings_file.h"
#include "stored/settings_load_save.h"
#include "win/files.h"
#include "win/profile.h"

namespace kovatest {
namespace install_ini_test {
namespace {

constexpr const char16_t* kSystemIni = u"C:\\Windows\\system32\\KOVA.ini";

class BatchInstallTest : public SamplePrinterTest {
 protected:
  void SetUp() override {
    SamplePrinterTest::SetUp();
    root_.WriteFile(kSystemIni, FixtureText("install/KOVA.ini"));
    // The package and its preset are settings files of the sample model, saved from a
    // printer whose copies are 3 and whose preset turns on duplex printing.
    HANDLE source = Install(u"Package Source");
    DriverContext* context = Create(source);
    ASSERT_NE(context, nullptr);
    CreateDirectoryW(u"C:\\pkg", nullptr);
    language_ = GetLanguageSectionName(context);
    WriteFieldRawById(context, fid::dmCopies, 3);
    ASSERT_TRUE(SaveSettingsFile(source, u"C:\\pkg\\batch.ksb", SFT_SAVE, context));
    ASSERT_TRUE(SaveSettingsFile(source, u"C:\\pkg\\Office.ksr", SFT_SAVE, context));
    ReleaseContext(context, CTXR_DESTROY);
    WriteIniString(language_.c_str(), u"NumDeficonfiles", u"1", u"C:\\pkg\\batch.ksb");
    WriteIniString(language_.c_str(), u"Deficonfiles1", u"C:\\pkg\\Office.ksr", u"C:\\pkg\\batch.ksb");
  }
  static std::u16string Read(const WCHAR* ini, const WCHAR* section, const WCHAR* key) {
    WCHAR value[300] = {};
    ReadIniString(section, key, u"<none>", value, 300, ini);
    return value;
  }
  std::u16string language_;
};

TEST_F(BatchInstallTest, ThePackageUserCodeAndIdGoToTheNewPrinterAndTheKeysAreUsedUp) {
  HANDLE printer = Install(u"Batch Printer");
  ASSERT_TRUE(IsBatchInstallPending(printer, nullptr, nullptr));
  ASSERT_EQ(InitializePrinterSettings(printer, nullptr, kInitCreated, nullptr, nullptr), 1);

  EXPECT_EQ(Read(kSystemIni, u"Batch Printer", u"DefaultKst"), u"<none>");
  EXPECT_EQ(Read(kSystemIni, u"Batch Printer", u"DefaultKstName"), u"C:\\pkg\\batch.ksb");
  EXPECT_EQ(Read(kSystemIni, u"Batch Printer", u"BatchInstallDone"), u"1");
  EXPECT_EQ(Read(kSystemIni, u"Batch Printer", u"SetUserCode"), u"<none>");
  EXPECT_EQ(Read(kSystemIni, u"Batch Printer", u"SetUserID"), u"<none>");
  EXPECT_FALSE(IsBatchInstallPending(printer, nullptr, nullptr));
  EXPECT_EQ(Read(kSystemIni, u"Other Printer", u"SpoolDirectory"), u"*") << "another printer's section stays";

  WCHAR ini[MAX_PATH + 1] = {};
  GetIniPathInSettingsDirFor(ini, 0, 0, printer, nullptr);
  EXPECT_EQ(Read(ini, u"Batch Printer", u"BatchInstallDone"), u"1");
  EXPECT_EQ(Read(ini, u"Batch Printer", u"BatchInstKst"), u"C:\\pkg\\batch.ksb");
  EXPECT_NE(Read(ini, u"Batch Printer", u"Count"), u"<none>") << "the package's preset is listed";
  DWORD done = 0;
  EXPECT_TRUE(GetPrinterDataValue(printer, &done, sizeof done, u"BatchInstallDone", 0));
  EXPECT_EQ(done, 1u);
}

// A batch install that fails is tried once: its package key is used up and the failure is
// recorded as 0, which no reader takes for a batch still to run or for one that went through.
TEST_F(BatchInstallTest, AFailedBatchInstallIsNotMarkedDone) {
  const std::string longName(250, 'q');
  struct Case {
    const char* what;
    std::u16string package;
    std::string quality;  // a quality file the package lists, when not empty
  };
  const Case cases[] = {
      {"a package that does not exist", u"C:\\pkg\\missing.ksb", ""},
      {"a file that is no settings file", u"C:\\pkg\\notes", ""},
      {"a quality whose copy cannot be named", u"C:\\pkg\\batch.ksb", "C:\\q\\" + longName + ".ksr"},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::u16string name = u"Failed " + std::u16string(1, static_cast<char16_t>(u'A' + n++));
    root_.WriteFile(u"C:\\pkg\\notes", "not a settings file\r\n");
    WriteIniString(name.c_str(), u"DefaultKst", c.package.c_str(), kSystemIni);
    WriteIniString(name.c_str(), u"SetUserID", u"ALICE1", kSystemIni);
    WriteIniString(language_.c_str(), u"NumDefqualityfiles", c.quality.empty() ? nullptr : u"1", u"C:\\pkg\\batch.ksb");
    if (!c.quality.empty()) {
      CreateDirectoryW(u"C:\\q", nullptr);
      const std::u16string quality(c.quality.begin(), c.quality.end());
      ASSERT_TRUE(CopyFileW(u"C:\\pkg\\Office.ksr", quality.c_str(), FALSE));
      WriteIniString(language_.c_str(), u"Defqualityfiles1", quality.c_str(), u"C:\\pkg\\batch.ksb");
    }
    HANDLE printer = Install(name);
    ASSERT_TRUE(IsBatchInstallPending(printer, nullptr, nullptr));
    ASSERT_EQ(InitializePrinterSettings(printer, nullptr, kInitCreated, nullptr, nullptr), 1);

    EXPECT_FALSE(IsBatchInstallPending(printer, nullptr, nullptr)) << "the batch is not tried again";
    EXPECT_EQ(Read(kSystemIni, name.c_str(), u"DefaultKst"), u"<none>");
    EXPECT_EQ(Read(kSystemIni, name.c_str(), u"DefaultKstName"), c.package);
    EXPECT_EQ(Read(kSystemIni, name.c_str(), u"BatchInstallDone"), u"0");
    WCHAR ini[MAX_PATH + 1] = {};
    GetIniPathInSettingsDirFor(ini, 0, 0, printer, nullptr);
    EXPECT_EQ(Read(ini, name.c_str(), u"BatchInstallDone"), u"0");
    DWORD done = 7;
    EXPECT_TRUE(GetPrinterDataValue(printer, &done, sizeof done, u"BatchInstallDone", 0));
    EXPECT_EQ(done, 0u);
    EXPECT_FALSE(IsBatchInstallDone(printer));
  }
}

// A conversion hands back the settings of a batch install that goes through at it; when the
// batch fails, there or before, the caller's device-mode is converted as if none had been
// pending, at that conversion and every later one.
TEST_F(BatchInstallTest, ConversionsAfterAFailedBatchInstallKeepTheCallersSettings) {
  struct Case {
    const char* what;
    const char16_t* package;
    bool beforeFirstDefault;  // the batch is there when the printer is set up
    short copies[2];          // of the first and second conversion's output
  };
  const Case cases[] = {
      {"failed when the printer was set up", u"C:\\pkg\\missing.ksb", true, {7, 7}},
      {"failing at the conversion", u"C:\\pkg\\missing.ksb", false, {7, 7}},
      {"going through at the conversion", u"C:\\pkg\\batch.ksb", false, {3, 7}},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::u16string name = u"Converted " + std::u16string(1, static_cast<char16_t>(u'A' + n++));
    if (c.beforeFirstDefault) WriteIniString(name.c_str(), u"DefaultKst", c.package, kSystemIni);
    Install(name);
    std::vector<BYTE> in(1236, 0);
    LONG size = static_cast<LONG>(in.size());
    ASSERT_TRUE(
        DoConvertDevMode(name.c_str(), nullptr, reinterpret_cast<DEVMODEW*>(in.data()), &size, CDM_DRIVER_DEFAULT));
    if (!c.beforeFirstDefault) WriteIniString(name.c_str(), u"DefaultKst", c.package, kSystemIni);
    reinterpret_cast<DEVMODEW*>(in.data())->dmCopies = 7;
    for (int round = 0; round < 2; ++round) {
      // The spooler hands an output of the driver's own sizes.
      std::vector<BYTE> out = in;
      reinterpret_cast<DEVMODEW*>(out.data())->dmCopies = 2;
      size = static_cast<LONG>(out.size());
      ASSERT_TRUE(DoConvertDevMode(name.c_str(), reinterpret_cast<DEVMODEW*>(in.data()),
                                   reinterpret_cast<DEVMODEW*>(out.data()), &size, CDM_CONVERT))
          << round << " error " << GetLastError();
      EXPECT_EQ(reinterpret_cast<DEVMODEW*>(out.data())->dmCopies, c.copies[round]) << "conversion " << round;
      EXPECT_EQ(Read(kSystemIni, name.c_str(), u"DefaultKst"), u"<none>") << "conversion " << round;
    }
  }
}

// The driver package's defaults take a printer's batch record out of the system install INI,
// so that no later run takes the batch for one still to apply; a record of a failed batch is
// never taken so and stays.
TEST_F(BatchInstallTest, TheDefaultPackageClearsABatchRecordButNotAFailure) {
  HANDLE printer = Install(u"Record Printer");
  DriverContext* context = Create(printer);
  ASSERT_NE(context, nullptr);
  struct Case {
    const char16_t* done;
    const char16_t* doneAfter;
    const char16_t* nameAfter;
  };
  const Case cases[] = {
      {u"1", u"<none>", u"<none>"},
      {u"0", u"0", u"C:\\pkg\\batch.ksb"},
  };
  for (const Case& c : cases) {
    WriteIniString(u"Record Printer", u"BatchInstallDone", c.done, kSystemIni);
    WriteIniString(u"Record Printer", u"DefaultKstName", u"C:\\pkg\\batch.ksb", kSystemIni);
    EXPECT_EQ(ApplyDefaultSettingsPackage(0, kInitCreated, context), 1);
    EXPECT_EQ(Read(kSystemIni, u"Record Printer", u"BatchInstallDone"), c.doneAfter) << "record " << static_cast<char>(c.done[0]);
    EXPECT_EQ(Read(kSystemIni, u"Record Printer", u"DefaultKstName"), c.nameAfter) << "record " << static_cast<char>(c.done[0]);
  }
  ReleaseContext(context, CTXR_DESTROY);
}

TEST_F(BatchInstallTest, UserCodeKeysAreAppliedOnlyWhenTheyAreDigits) {
  HANDLE printer = Install(u"Code Printer");
  DriverContext* context = Create(printer);
  ASSERT_NE(context, nullptr);
  struct Case {
    const char* value;
    int changed;
    DWORD use;
    std::u16string code;
  };
  const Case cases[] = {
      {"12345678", 1, 1, u"12345678"},
      {"12ab", 1, 0, u""},
      {"*", 0, 0, u""},
      {"", 1, 0, u""},
  };
  for (const Case& c : cases) {
    WriteFieldRawById(context, fid::kdmLogCodeUse, 0);
    SetFieldString(context, FindFieldById(context, fid::kdmLogCode), u"", 9);
    root_.WriteFile(u"C:\\codes.ini", std::string("[Code Printer]\r\nSetUserCode=") + c.value + "\r\n");
    int changed = -1;
    ApplyUserCodeBatchKey(u"C:\\codes.ini", u"Code Printer", &changed, context);
    EXPECT_EQ(changed, c.changed) << c.value;
    EXPECT_EQ(ReadFieldRawById(context, fid::kdmLogCodeUse), c.use) << c.value;
    WCHAR code[9] = {};
    GetFieldString(context, FindFieldById(context, fid::kdmLogCode), code, 9);
    EXPECT_EQ(std::u16string(code), c.code) << c.value;
    const std::u16string left = Read(u"C:\\codes.ini", u"Code Printer", u"SetUserCode");
    EXPECT_EQ(left, std::string(c.value) == "*" ? u"*" : u"<none>") << c.value << ": used keys are removed";
  }
  ReleaseContext(context, CTXR_DESTROY);
}

TEST_F(BatchInstallTest, ASpoolDirectoryAloneIsNoBatchInstall) {
  HANDLE printer = Install(u"Other Printer");
  EXPECT_FALSE(IsBatchInstallPending(printer, nullptr, nullptr));
  EXPECT_FALSE(HasBatchSettingsForPrinter(printer, nullptr, nullptr));
}

TEST_F(BatchInstallTest, TheDriverPackageIniCanHoldABatchInstallToo) {
  HANDLE printer = Install(u"Drv Printer");
  WCHAR second[MAX_PATH + 1] = {};
  GetSecondIniPathForPrinter(printer, second);
  ASSERT_TRUE(second[0]);
  struct Case {
    const char16_t* key;  // null: the printer has no section there
    const char16_t* value;
    BOOL pending;
  } cases[] = {
      {nullptr, nullptr, FALSE},
      {u"SpoolDirectory", u"C:\\spool", FALSE},
      {u"KOVADirectory", u"*", FALSE},
      {u"KOVADirectory", u"C:\\root", TRUE},
      {u"SetUserID", u"BOB", TRUE},
      {u"DefaultKst", u"", TRUE},
  };
  for (const Case& c : cases) {
    WritePrivateProfileStringW(u"Drv Printer", nullptr, nullptr, second);
    if (c.key) WritePrivateProfileStringW(u"Drv Printer", c.key, c.value, second);
    EXPECT_EQ(IsDriverIniBatchPending(u"Drv Printer", printer), c.pending) << (c.key ? "keyed" : "no section");
    EXPECT_FALSE(IsBatchInstallPending(printer, nullptr, nullptr)) << "the system install INI has no such section";
  }
  WritePrivateProfileStringW(u"Drv Printer", u"SetUserID", u"BOB", second);
  EXPECT_FALSE(IsDriverIniBatchPending(u"", printer));
  EXPECT_FALSE(IsDriverIniBatchPending(nullptr, printer));
  EXPECT_FALSE(IsDriverIniBatchPending(u"Other Printer", printer));
}

TEST_F(BatchInstallTest, TheBatchInstallDoneValueOfThePrinter) {
  HANDLE printer = Install(u"Done Printer");
  DWORD value = 7;
  EXPECT_FALSE(ReadBatchInstallDoneValue(printer, &value)) << "a new printer has none";
  EXPECT_EQ(value, 0u);
  EXPECT_FALSE(IsBatchInstallDone(printer));
  struct Case {
    DWORD written;
    BOOL done;
  } cases[] = {{1, TRUE}, {0, FALSE}, {5, TRUE}};
  for (const Case& c : cases) {
    ASSERT_TRUE(WriteBatchInstallDoneValue(printer, c.written));
    value = 7;
    EXPECT_TRUE(ReadBatchInstallDoneValue(printer, &value));
    EXPECT_EQ(value, c.written);
    EXPECT_EQ(IsBatchInstallDone(printer), c.done) << c.written;
  }
  EXPECT_FALSE(ReadBatchInstallDoneValue(printer, nullptr));
}

TEST_F(BatchInstallTest, AnUpgradeRunsTheDriverPackageIniBatchInstall) {
  struct Case {
    const char* what;
    const char16_t* key;
    bool used;  // the key was applied and removed
  } cases[] = {
      {"a directory key is a batch key", u"KOVADirectory", true},
      {"a spool directory alone is none", u"SpoolDirectory", false},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::u16string name = u"Upgraded " + std::u16string(1, static_cast<char16_t>(u'A' + n++));
    HANDLE printer = Install(name);
    std::vector<BYTE> out(1236, 0);
    LONG size = static_cast<LONG>(out.size());
    ASSERT_TRUE(DoConvertDevMode(name.c_str(), nullptr, reinterpret_cast<DEVMODEW*>(out.data()), &size,
                                 CDM_DRIVER_DEFAULT));
    WCHAR second[MAX_PATH + 1] = {};
    GetSecondIniPathForPrinter(printer, second);
    CreateDirectoryW(u"C:\\batchroot", nullptr);
    CreateDirectoryW(u"C:\\spool", nullptr);
    WritePrivateProfileStringW(name.c_str(), c.key, c.used ? u"C:\\batchroot" : u"C:\\spool", second);
    std::vector<BYTE> in = out;
    reinterpret_cast<DEVMODEW*>(in.data())->dmCopies = 7;
    size = static_cast<LONG>(out.size());
    ASSERT_TRUE(DoConvertDevMode(name.c_str(), reinterpret_cast<DEVMODEW*>(in.data()),
                                 reinterpret_cast<DEVMODEW*>(out.data()), &size, CDM_CONVERT));
    EXPECT_EQ(Read(second, name.c_str(), c.key) == u"<none>", c.used);
    // Directory keys bring no settings: the caller's device-mode is converted, not replaced.
    EXPECT_EQ(reinterpret_cast<DEVMODEW*>(out.data())->dmCopies, 7);
  }
}

}  // namespace
}  // namespace install_ini_test
}  // namespace kovatest

namespace kovatest {
namespace install_ini_test {
namespace {

// A terminal-server user's run of a printer's batch takes the package from the per-printer
// INI; what it makes of it is that user's, and the machine's record of the batch stays.
class UserBatchRunTest : public TerminalServerPrinterTest {};

TEST_F(UserBatchRunTest, AUsersFailedRunLeavesTheMachinesRecord) {
  root_.WriteFile(kSystemIni, "[Shared Printer]\r\nBatchInstallDone=1\r\nDefaultKstName=C:\\pkg\\batch.ksb\r\n");
  struct Case {
    const char* what;
    const char16_t* package;  // the per-printer INI's "DefaultKst"; null: none
    const char16_t* userDone; // the per-printer INI's "BatchInstallDone" afterwards
  };
  const Case cases[] = {
      {"a package that is gone", u"C:\\pkg\\gone.ksb", u"0"},
      {"no package named", nullptr, u"<none>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DriverContext* context = Create(printer_);
    ASSERT_NE(context, nullptr);
    const std::u16string ini = GetUserIniPath(context);
    const std::u16string section = GetPrinterSectionName(context);
    std::filesystem::create_directories(root_.HostPath(ini.substr(0, ini.rfind(u'\\'))));
    WriteIniString(section.c_str(), u"BatchInstallDone", nullptr, ini.c_str());
    WriteIniString(section.c_str(), u"DefaultKst", c.package, ini.c_str());
    EXPECT_EQ(ApplyBatchSettings(0, context, 1), 0);
    EXPECT_EQ(Read(ini, section, u"BatchInstallDone"), c.userDone);
    EXPECT_EQ(Read(kSystemIni, u"Shared Printer", u"BatchInstallDone"), u"1");
    EXPECT_EQ(Read(kSystemIni, u"Shared Printer", u"DefaultKstName"), u"C:\\pkg\\batch.ksb");
    ReleaseContext(context, CTXR_DESTROY);
  }
}

}  // namespace
}  // namespace install_ini_test
}  // namespace kovatest

namespace kovatest {
namespace install_ini_test {
namespace {

class DirectoryKeysTest : public SamplePrinterTest {
 protected:
  static std::u16string RootValue() {
    WCHAR value[261] = {};
    if (!ReadHklmValue(u"SOFTWARE\\VANTE\\KovaDrv", u"_KOVADirectory", value, sizeof value - sizeof(WCHAR), 0))
      return u"<none>";
    return value;
  }
};

TEST_F(DirectoryKeysTest, TheSettingsRootKeyIsAppliedOnceAndAMissingKeyChangesNothing) {
  HANDLE printer = Install(u"Dir Printer");
  CreateDirectoryW(u"C:\\Shared", nullptr);
  struct Case {
    const char* what;
    std::string section;
    std::u16string root;
  };
  const Case cases[] = {
      {"a directory that exists", "KOVADirectory=%SYSTEMDRIVE%\\Shared\r\n", u"C:\\Shared\\_kova"},
      {"no key: the root other printers use stays", "SetUserID=BOB\r\n", u"C:\\Shared\\_kova"},
      {"a directory that does not exist", "KOVADirectory=C:\\Nowhere\r\n", u"C:\\Shared\\_kova"},
      {"an empty key clears it", "KOVADirectory=\r\n", u""},
  };
  for (const Case& c : cases) {
    root_.WriteFile(u"C:\\dirs.ini", "[Dir Printer]\r\n" + c.section);
    ApplyDirectoryKeys(printer, u"Dir Printer", u"C:\\dirs.ini", nullptr, 0);
    EXPECT_EQ(RootValue(), c.root) << c.what;
    WCHAR left[64] = {};
    ReadIniString(u"Dir Printer", u"KOVADirectory", u"<none>", left, 64, u"C:\\dirs.ini");
    EXPECT_EQ(std::u16string(left), u"<none>") << c.what << ": the key is used up";
  }
}

TEST_F(DirectoryKeysTest, ASpoolDirectoryGoesToThePrinterOrToEveryPrinter) {
  HANDLE printer = Install(u"Spool Printer");
  DriverContext* context = Create(printer);
  ASSERT_NE(context, nullptr);
  CreateDirectoryW(u"C:\\Spool", nullptr);
  root_.WriteFile(u"C:\\spool.ini", "[Spool Printer]\r\nSpoolDirectory=%SYSTEMDRIVE%\\Spool\r\n");
  ApplySpoolDirectory(u"C:\\spool.ini", u"Spool Printer", context, 0);
  WCHAR value[261] = {};
  EXPECT_TRUE(GetPrinterDataValue(printer, value, sizeof value - sizeof(WCHAR), u"SpoolDirectory", 0));
  EXPECT_EQ(std::u16string(value), u"C:\\Spool");
  root_.WriteFile(u"C:\\spool.ini", "[Spool Printer]\r\nSpoolDirectory=C:\\Spool\r\nSpoolDirectoryAll=ON\r\n");
  ApplySpoolDirectory(u"C:\\spool.ini", u"Spool Printer", context, 0);
  WCHAR all[261] = {};
  EXPECT_TRUE(ReadHklmValue(u"SOFTWARE\\VANTE\\KovaDrv", u"SpoolDirectory", all, sizeof all - sizeof(WCHAR), 0));
  EXPECT_EQ(std::u16string(all), u"C:\\Spool");
  WCHAR left[16] = {};
  ReadIniString(u"Spool Printer", u"SpoolDirectoryAll", u"<none>", left, 16, u"C:\\spool.ini");
  EXPECT_EQ(std::u16string(left), u"<none>");
  ReleaseContext(context, CTXR_DESTROY);
}

// A printer's spool directory is kept in a value of 260 characters: every path the key may
// name (shorter than 239 characters) is kept whole with its terminator.
TEST_F(DirectoryKeysTest, APrintersSpoolDirectoryIsKeptWhole) {
  HANDLE printer = Install(u"Long Spool Printer");
  DriverContext* context = Create(printer);
  ASSERT_NE(context, nullptr);
  struct Case {
    std::size_t length;  // of the whole path
    bool kept;
  };
  const Case cases[] = {{8, true}, {200, true}, {238, true}, {239, false}};
  for (const Case& c : cases) {
    const std::u16string path = u"C:\\" + std::u16string(c.length - 3, u's');
    CreateDirectoryW(path.c_str(), nullptr);
    DeletePrinterDataW(printer, const_cast<LPWSTR>(u"SpoolDirectory"));
    root_.WriteFile(u"C:\\spool.ini", "[Long Spool Printer]\r\nSpoolDirectory=" + std::string(path.begin(), path.end()) + "\r\n");
    ApplySpoolDirectory(u"C:\\spool.ini", u"Long Spool Printer", context, 0);
    std::vector<BYTE> value(600, 0xCD);
    DWORD type = 0, needed = 0;
    const DWORD status = GetPrinterDataW(printer, const_cast<LPWSTR>(u"SpoolDirectory"), &type, value.data(),
                                         static_cast<DWORD>(value.size()), &needed);
    if (!c.kept) {
      EXPECT_NE(status, 0u) << c.length << ": too long a path is not kept";
      continue;
    }
    ASSERT_EQ(status, 0u) << c.length;
    EXPECT_EQ(type, 1u) << c.length;
    EXPECT_EQ(needed, 520u) << c.length;
    const std::u16string stored(reinterpret_cast<const char16_t*>(value.data()), needed / 2);
    EXPECT_EQ(stored.substr(0, stored.find(u'\0')), path) << c.length << ": the path whole, terminated in the value";
  }
  ReleaseContext(context, CTXR_DESTROY);
}

}  // namespace
}  // namespace install_ini_test
}  // namespace kovatest
