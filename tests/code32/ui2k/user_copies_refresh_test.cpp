// RefreshUserInstall when the install-state check asks for it without a forced copy (states
// 0 and 2): the user's copy is brought up to the common install by comparing the settings
// versions of the two per-printer INIs.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/ini_files.h"
#include "base/paths_and_names.h"
#include "base/system_checks.h"
#include "panelis_fixture.h"
#include "terminal_server_fixture.h"
#include "plat/system.h"
#include "plat/users.h"
#include "plat/wstr.h"
#include "user_copies.h"

namespace kovatest {
namespace {

namespace fs = std::filesystem;

class RefreshUserInstallTest : public TerminalServerPrinterTest {
};

TEST_F(RefreshUserInstallTest, StatesZeroAndTwoFollowTheSettingsVersions) {
  struct Case {
    const char* what;
    const char* userVersion;    // null: the user's INI has none
    const char* commonVersion;  // null: the common INI has none
    bool refreshed;             // the user's paths and install stamp written
    const char16_t* presetRefresh;  // "PresetRefresh" of the user's printer section
    bool listsMade;             // the user's lists made afresh (the printer initialised for the user)
  };
  const Case cases[] = {
      {"the user has no copy yet", nullptr, "322", false, u"<none>", false},
      {"the common install has no version", "322", nullptr, false, u"<none>", false},
      {"the same version", "322", "322", true, u"<none>", false},
      {"a newer user copy", "323", "322", true, u"<none>", false},
      {"an older minor version: upgraded in place", "321", "322", true, u"1", false},
      {"another major version: made afresh", "222", "322", true, u"0", true},
  };
  plat::AsUser as(u"Anna");
  ASSERT_TRUE(as.ok());
  for (const int state : {0, 2}) {
    for (const Case& c : cases) {
      const std::string what = std::string(c.what) + ", state " + std::to_string(state);
      root_.WriteFile(common_, c.commonVersion ? std::string("[us]\r\nKstVersion=") + c.commonVersion + "\r\n" : "");
      const std::u16string user = UserIni();
      root_.WriteFile(user, c.userVersion ? std::string("[us]\r\nKstVersion=") + c.userVersion + "\r\n" : "");
      EXPECT_EQ(RefreshUserInstall(printer_, state, nullptr, nullptr), 1) << what;
      const std::u16string preview = Read(user, u"Shared Printer", u"DrvDefPreviewPath");
      EXPECT_EQ(preview, c.refreshed ? u"C:\\Users\\Anna\\_kova\\PREVIEW" : u"<none>") << what;
      EXPECT_EQ(Read(user, u"Shared Printer", u"DrvInstType"), c.refreshed ? u"1" : u"<none>") << what;
      EXPECT_EQ(Read(user, u"Shared Printer", u"PresetRefresh"), c.presetRefresh) << what;
      EXPECT_EQ(Read(user, u"us", u"FreeSizeCount") != u"<none>", c.listsMade) << what;
      // The user's settings version is left as it was: the copy is brought up, not relabelled.
      EXPECT_EQ(Read(user, u"us", u"KstVersion"), c.userVersion ? plat::FromUtf8(c.userVersion) : u"<none>")
          << what;
    }
  }
}

}  // namespace
}  // namespace kovatest
