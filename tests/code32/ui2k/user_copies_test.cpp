// The per-user copies of a printer's settings on a terminal server with two users.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/ini_files.h"
#include "base/memory.h"
#include "base/spooler_info.h"
#include "base/paths_and_names.h"
#include "base/system_checks.h"
#include "panelis_fixture.h"
#include "terminal_server_fixture.h"
#include "plat/system.h"
#include "plat/users.h"
#include "plat/wstr.h"
#include "user_copies.h"
#include "user_ini_corrections.h"
#include "win/files.h"

namespace kovatest {
namespace {

namespace fs = std::filesystem;

class UserCopiesTest : public TerminalServerPrinterTest {
 protected:
  bool Exists(const std::u16string& path) { return fs::exists(root_.HostPath(path)); }
};

TEST_F(UserCopiesTest, EachUserGetsOwnCopiesOfThePresetAndQualityFiles) {
  root_.WriteFile(u"C:\\_kova\\Office.ksd", "[Shared Printer]\r\nsetname=Office\r\n");
  root_.WriteFile(u"C:\\_kova\\Fine.ksq", "[Shared Printer]\r\nsetname=Fine\r\n");
  root_.WriteFile(common_, "[Shared Printer]\r\nCount=1\r\nPresetList0=C:\\_kova\\Office.ksr\r\n"
                           "QualityCount=1\r\nQualityList0=C:\\_kova\\Fine.ksr\r\n");
  for (const std::u16string user : {u"Anna", u"Ben"}) {
    plat::AsUser as(user);
    ASSERT_TRUE(as.ok());
    EXPECT_EQ(CopyUserSettingFiles(printer_), 1) << "as " << plat::ToUtf8(user);
    EXPECT_TRUE(Exists(u"C:\\Users\\" + user + u"\\_kova\\Office.ksd"));
    EXPECT_TRUE(Exists(u"C:\\Users\\" + user + u"\\_kova\\Fine.ksq"));
    EXPECT_EQ(WriteUserDefaultPaths(printer_), 1);
    EXPECT_EQ(Read(UserIni(), u"Shared Printer", u"DrvDefPreviewPath"), u"C:\\Users\\" + user + u"\\_kova\\PREVIEW");
  }
  EXPECT_EQ(plat::UserProfiles().size(), 3u);  // the default user and the two
}

TEST_F(UserCopiesTest, NamesThatWouldLeaveTheUsersFolderAreRefused) {
  struct Case {
    const char* what;
    std::string entry;
    int expected;
  };
  const Case cases[] = {
      {"a plain name", "C:\\_kova\\Office.ksr", 1},
      {"a name that is only dots", "C:\\_kova\\..", 0},
      {"a name with a climb inside", "C:\\_kova\\a..b.ksr", 0},
  };
  root_.WriteFile(u"C:\\_kova\\Office.ksd", "[Shared Printer]\r\n");
  plat::AsUser as(u"Anna");
  for (const Case& c : cases) {
    root_.WriteFile(common_, "[Shared Printer]\r\nCount=1\r\nPresetList0=" + c.entry + "\r\n");
    EXPECT_EQ(CopyUserSettingFiles(printer_), c.expected) << c.what;
  }
}

TEST_F(UserCopiesTest, LocalLowFilesAreMovedButAHostileNameStaysBehind) {
  plat::AsUser as(u"Anna");
  const std::u16string low = u"C:\\Users\\Anna\\AppData\\LocalLow\\_kova";
  root_.WriteFile(u"C:\\pkg\\default.ksb",
                  "[us]\r\nNumDeficonfiles=2\r\nDeficonfiles1=%sysdir%Good.ksr\r\n"
                  "Deficonfiles2=%sysdir%..\\..\\..\\Public\\evil.ksr\r\n");
  root_.WriteFile(low + u"\\Dorvale.ini",
                  "[Shared Printer]\r\nDefaultKst=C:\\pkg\\default.ksb\r\nCount=1\r\nPresetList0=" +
                      plat::ToUtf8(low) + "\\Mine.ksr\r\nPresetList0Name=Mine\r\n[us]\r\nKstVersion=322\r\n");
  root_.WriteFile(low + u"\\Mine.ksr", "[Shared Printer]\r\nsetname=Mine\r\n[condition]\r\nConditionOption0_0=A\r\n");
  root_.WriteFile(low + u"\\Good.ksr", "[us]\r\n");
  // What the climbing name reaches from the old folder, and where it would land from the new.
  root_.WriteFile(u"C:\\Users\\Anna\\Public\\evil.ksr", "x");

  ASSERT_EQ(CorrectLocalLowIni(printer_, nullptr), 1);
  const std::u16string ini = UserIni();
  EXPECT_EQ(Read(ini, u"Shared Printer", u"PresetList0"), u"C:\\Users\\Anna\\_kova\\Mine.ksr");
  EXPECT_EQ(Read(u"C:\\Users\\Anna\\_kova\\Mine.ksr", u"condition", u"ConditionOption0_0"), u"A");
  EXPECT_TRUE(Exists(u"C:\\Users\\Anna\\_kova\\Good.ksr"));
  EXPECT_EQ(Read(ini, u"Shared Printer", u"LocalLowCorrectDone"), u"1");
  EXPECT_EQ(Read(ini, u"us", u"LocalLowCorrectDone"), u"1");
  EXPECT_FALSE(Exists(u"C:\\Public\\evil.ksr")) << "the climbing name is never copied";
}

TEST_F(UserCopiesTest, BatchDefaultsThatCannotBeLoadedAreReported) {
  struct Case {
    const char* what;
    std::string common;
    int expected;
  };
  const Case cases[] = {
      {"no default settings file: nothing to copy", "[Shared Printer]\r\nCount=0\r\n", 0},
      {"a default file only", "[Shared Printer]\r\nDefaultKst=C:\\pkg\\d.ksb\r\n", 0},
      {"a batch file that does not load", "[Shared Printer]\r\nDefaultKst=C:\\pkg\\d.ksb\r\nBatchInstKst=C:\\pkg\\missing.ksb\r\n", 1},
  };
  plat::AsUser as(u"Ben");
  for (const Case& c : cases) {
    root_.WriteFile(common_, c.common);
    EXPECT_EQ(CopyBatchDefaultsToUser(printer_, nullptr, nullptr), c.expected) << c.what;
  }
  EXPECT_EQ(Read(UserIni(), u"Shared Printer", u"DefaultKst"), u"C:\\pkg\\d.ksb");
}

TEST_F(UserCopiesTest, TheTerminalServerCorrectionMovesEntriesOutOfTheCommonFolder) {
  plat::AsUser as(u"Anna");
  root_.WriteFile(u"C:\\_kova\\Office.ksr", "[Shared Printer]\r\nsetname=Office\r\n[disable]\r\nX=0\r\n");
  const std::u16string ini = UserIni();
  struct Case {
    const char* what;
    std::string user;  // empty: no user INI
    int needs;
    int corrected;
  };
  const Case cases[] = {
      {"no copy yet", "", 3, -1},
      {"already corrected", "[Shared Printer]\r\nTSIniCorrectDone=1\r\nCount=1\r\n", 0, -1},
      {"an entry in the common folder",
       "[Shared Printer]\r\nCount=1\r\nPresetList0=C:\\_kova\\Office.ksr\r\nPresetList0Name=Office\r\n", 2, 0},
      {"an entry without a name", "[Shared Printer]\r\nCount=1\r\nPresetList0=C:\\_kova\\Office.ksr\r\n", 2, 3},
  };
  for (const Case& c : cases) {
    DeleteFileW(ini.c_str());
    if (!c.user.empty()) root_.WriteFile(ini, c.user);
    auto* info = static_cast<PRINTER_INFO_2W*>(GetPrinterInfo(printer_, 2));
    EXPECT_EQ(NeedsTsIniCorrection(printer_, info), c.needs) << c.what;
    if (c.corrected >= 0) {
      EXPECT_EQ(CorrectTsIni(printer_, info), c.corrected) << c.what;
    }
    FreeMem(info);
  }
  EXPECT_EQ(Read(ini, u"Shared Printer", u"PresetList0"), u"C:\\Users\\Anna\\_kova\\Office.ksr");
}

}  // namespace
}  // namespace kovatest
