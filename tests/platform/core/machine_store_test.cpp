// The machine settings a system root keeps: saved by one process, taken by another that
// runs at the same time, by a reload of the root, and from a file edited by hand.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "plat/system.h"
#include "plat/users.h"
#include "process_probes.h"
#include "test_root.h"
#include "win/env.h"
#include "win/kernel.h"

namespace kovatest {
namespace {

std::u16string Variable(const char16_t* name) {
  WCHAR value[MAX_PATH] = {};
  const DWORD n = GetEnvironmentVariableW(name, value, MAX_PATH);
  return std::u16string(value, n < MAX_PATH ? n : 0);
}

bool TerminalSuite() {
  OSVERSIONINFOEXW info{};
  info.dwOSVersionInfoSize = sizeof info;
  EXPECT_TRUE(GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info)));
  return (info.wSuiteMask & VER_SUITE_TERMINAL) != 0;
}

bool HasProfile(const char16_t* name) {
  const auto users = plat::UserProfiles();
  return std::find(users.begin(), users.end(), name) != users.end();
}

TEST(MachineStore, AnotherProcessSeesTheSwitchAndTheUsersAtItsNextCall) {
  TempRoot root;
  ASSERT_EQ(CurrentUserName(), u"KovaUser");
  ASSERT_FALSE(TerminalSuite());
  ASSERT_EQ(Variable(u"USERPROFILE"), u"C:\\Users\\KovaUser");  // the environment is made
  const int status = InChild([] {
    plat::MachineSettings& m = plat::Machine();
    m.terminalServer = true;
    m.userName = u"Anna";
    return plat::AddUserProfile(u"Anna") && plat::AddUserProfile(u"Ben") && plat::SaveMachineSettings();
  });
  ASSERT_EQ(status, 0);
  EXPECT_TRUE(plat::Machine().terminalServer);
  EXPECT_TRUE(TerminalSuite());
  EXPECT_EQ(CurrentUserName(), u"Anna");
  EXPECT_EQ(plat::UserProfileDirectory(), u"C:\\Users\\Anna");
  EXPECT_EQ(Variable(u"USERPROFILE"), u"C:\\Users\\Anna");
  EXPECT_TRUE(HasProfile(u"Anna"));
  EXPECT_TRUE(HasProfile(u"Ben"));

  // A change this process keeps to itself stays until another process saves; then the
  // saved settings replace it as a whole.
  plat::Machine().administrator = false;
  EXPECT_FALSE(plat::Machine().administrator);
  plat::NoteStoreFilesChanged();  // the file did not change: nothing is taken
  EXPECT_FALSE(plat::Machine().administrator);
  ASSERT_EQ(InChild([] {
              plat::Machine().terminalServer = false;
              plat::Machine().administrator = true;
              return plat::SaveMachineSettings();
            }),
            0);
  EXPECT_FALSE(plat::Machine().terminalServer);
  EXPECT_TRUE(plat::Machine().administrator);
  EXPECT_EQ(CurrentUserName(), u"Anna");
}

TEST(MachineStore, AReloadOfTheRootTakesItsSettingsAndANewRootHasTheDefaults) {
  TempRoot root;
  plat::Machine().terminalServer = true;
  ASSERT_TRUE(plat::RunAsUser(u"Ben"));
  ASSERT_TRUE(plat::SaveMachineSettings());
  plat::ResetMachine();
  ASSERT_TRUE(plat::SetSystemRoot(root.Host()));
  EXPECT_TRUE(plat::Machine().terminalServer);
  EXPECT_EQ(CurrentUserName(), u"Ben");
  {
    TempRoot other;
    EXPECT_FALSE(plat::Machine().terminalServer);
    EXPECT_EQ(CurrentUserName(), u"KovaUser");
  }
}

// The file is text a person can edit; a noted edit reaches a running process. A value that
// does not fit its setting, or a user name that is no folder name, keeps the default.
TEST(MachineStore, AnEditedFileIsTakenValueByValue) {
  TempRoot root;
  ASSERT_TRUE(plat::SaveMachineSettings());
  const std::string file = root.Host() + "/store/machine/settings.ini";
  ASSERT_TRUE(std::filesystem::exists(file));
  struct Case {
    const char* text;
    bool terminal;
    const char16_t* user;
    UINT codePage;
  };
  const Case cases[] = {
      {"TerminalServer=on\nUserName=Carla\nAnsiCodePage=932\n", true, u"Carla", 932},
      {"; a comment\n  terminalserver = 1 \r\nusername=Dan\r\n", true, u"Dan", 1252},
      {"TerminalServer=maybe\nUserName=..\nAnsiCodePage=70000\n", false, u"KovaUser", 1252},
      {"UserName=a\\b\nAnsiCodePage=0x3A4\nno equals sign\nColour=blue\n", false, u"KovaUser", 932},
      {"", false, u"KovaUser", 1252},
  };
  for (const Case& c : cases) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << c.text;
    plat::NoteStoreFilesChanged();
    EXPECT_EQ(plat::Machine().terminalServer, c.terminal) << c.text;
    EXPECT_EQ(plat::Machine().userName, c.user) << c.text;
    EXPECT_EQ(plat::Machine().ansiCodePage, c.codePage) << c.text;
  }
}

}  // namespace
}  // namespace kovatest
