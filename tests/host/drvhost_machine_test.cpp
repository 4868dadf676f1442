// drvhost machine: the machine settings a system root keeps for every process, and the
// driver's per-user copies when later drvhost calls find a terminal server.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "host_fixture.h"

namespace fs = std::filesystem;

namespace {

using kovatest::HostRun;
using kovatest::kSamples;
using kovatest::Slurp;

class DrvhostMachineTest : public kovatest::HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    root_ = (dir_ / "root").string();
    HostRun install = Host({"install", root_, "Kova Sample Printer", kSamples});
    ASSERT_EQ(install.exitCode, 0) << install.out << install.err;
  }
  fs::path UserIni(const std::string& user) const {
    return fs::path(root_) / "drives/c/Users" / user / "_kova/Dorvale.ini";
  }
  std::string root_;
};

// Each drvhost process takes the switch and the user from the root: on a terminal server
// the driver gives every user that asks the device capabilities a copy of the printer's
// install keys in the user's own folder.
TEST_F(DrvhostMachineTest, LaterCallsRunOnTheRootsTerminalServerAsItsUser) {
  HostRun shown = Host({"machine", root_});
  ASSERT_EQ(shown.exitCode, 0) << shown.err;
  EXPECT_NE(shown.out.find("terminal server:  off\n  user:             KovaUser\n"), std::string::npos) << shown.out;
  ASSERT_EQ(Host({"caps", root_, "Kova Sample Printer", "DC_BINS"}).exitCode, 0);
  EXPECT_FALSE(fs::exists(UserIni("KovaUser")));

  for (const char* user : {"Anna", "Ben"}) {
    HostRun set = Host({"machine", root_, "terminal-server=on", std::string("user=") + user});
    ASSERT_EQ(set.exitCode, 0) << set.err;
    EXPECT_NE(set.out.find(std::string("terminal server:  on\n  user:             ") + user), std::string::npos)
        << set.out;
    HostRun caps = Host({"caps", root_, "Kova Sample Printer", "DC_BINS"});
    ASSERT_EQ(caps.exitCode, 0) << caps.err;
    const std::string ini = Slurp(UserIni(user));
    EXPECT_NE(ini.find("[Kova Sample Printer]"), std::string::npos) << user << "\n" << ini;
    EXPECT_NE(ini.find(std::string("DrvDefJobMergePath=C:\\Users\\") + user + "\\_kova\\KMP"), std::string::npos)
        << ini;
  }
  HostRun last = Host({"machine", root_});
  EXPECT_NE(last.out.find("user profiles:    Anna, Ben, KovaUser\n"), std::string::npos) << last.out;
}

TEST_F(DrvhostMachineTest, BadSettingsChangeNothing) {
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    const char* message;
  };
  const Case cases[] = {
      {{"machine"}, 2, "usage: drvhost machine"},
      {{"machine", root_, "terminal-server=maybe"}, 2, "unknown machine setting \"terminal-server=maybe\""},
      {{"machine", root_, "colour=blue"}, 2, "unknown machine setting"},
      {{"machine", root_, "user=..\\Windows"}, 2, "cannot be a user name"},
      {{"machine", root_, "user="}, 2, "unknown machine setting"},
      {{"machine", (dir_ / "missing").string(), "user=Anna"}, 1, "does not exist"},
  };
  for (const Case& c : cases) {
    HostRun run = Host(c.args);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.message << "\n" << run.err;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
  }
  HostRun shown = Host({"machine", root_});
  EXPECT_NE(shown.out.find("terminal server:  off\n  user:             KovaUser\n  user profiles:    KovaUser\n"),
            std::string::npos)
      << shown.out;
}

}  // namespace
