// drvhost api: the sample printer's settings API library driven by a script as an outside
// program drives it.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "host_fixture.h"

namespace drvhost_api_test {
namespace {

using kovatest::HostRun;
using kovatest::kSamples;

class DrvhostApiTest : public kovatest::HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    root_ = (dir_ / "root").string();
    HostRun install = Host({"install", root_, "Kova Sample Printer", kSamples});
    ASSERT_EQ(install.exitCode, 0) << install.err;
    ASSERT_NE(install.out.find("Constrix.dll"), std::string::npos) << install.out;
  }
  std::string Script(const std::string& text) {
    const std::string path = (dir_ / "script.txt").string();
    std::ofstream(path) << text;
    return path;
  }
  std::string root_;
};

TEST_F(DrvhostApiTest, TheSampleScriptRunsEndToEnd) {
  HostRun api = Host({"api", root_, "Kova Sample Printer", kSamples + "/api-script.txt"});
  ASSERT_EQ(api.exitCode, 0) << api.out << api.err;
  // The sample model's API version is 16; the last error is kept once the handle is set up
  // for it.
  for (const char* line : {"check: 16; last error -1\n", "enable: a handle; last error -1\n",
                           "init 1 16: 1; last error 0\n", "caps 0: 64 (FFFFFFFF",
                           "devmode 1: 1236 (dmSize 220, dmDriverExtra 1016, paper 9",
                           "devmode 4: 1236 (", "devmode 0x10: -1;", "save: 1;", "restore: 1;", "devmodeex 8: 1236 (",
                           "driverdevmode 1: 0, needed 1172;", "disable: 1; last error -1\n"})
    EXPECT_NE(api.out.find(line), std::string::npos) << line << "\n" << api.out;
}

TEST_F(DrvhostApiTest, TheSampleScriptAsksCapabilitiesAndTheRecord) {
  HostRun api = Host({"api", root_, "Kova Sample Printer", kSamples + "/api-script.txt"});
  ASSERT_EQ(api.exitCode, 0) << api.out << api.err;
  const std::string out = api.out;
  for (const char* line : {"caps 2: 3 (7 1 4);", "caps 3: 3 (\"Automatic selection\" \"\" \"Manual feed\");",
                           "caps 13: 825756650 (3050 12600);", "\n  1: 1\n", "\n  45: 2 (0 1)\n", "\n  58: 0\n",
                           "\n  127: 20 (", "\n  282: ", "\n  196608: ", "\n  8: capability 2, 3 (7 1 4)\n",
                           "\n  784: capability 124 (3050 12600)\n", "\n  every address below 2 GiB;",
                           "freerecord: 1;"})
    EXPECT_NE(out.find(line), std::string::npos) << line << "\n" << out;
  EXPECT_NE(out.find("record: 0x"), std::string::npos) << out;
}

// Copies and stapling set and read back, the copies in the device-mode, stapling reported
// when a transparency switches it off, and a refused change that leaves the device-mode.
TEST_F(DrvhostApiTest, TheSampleScriptSetsAndReadsStatusItems) {
  HostRun api = Host({"api", root_, "Kova Sample Printer", kSamples + "/api-script.txt"});
  ASSERT_EQ(api.exitCode, 0) << api.out << api.err;
  const std::string copies3 = "copies 3, quality";
  for (const char* line :
       {"set 9 1 4=3: 0;", "set 20 1 4=1 28=1: 0;", "status 9 1: 32 @0=1 @4=3;", "status 20 1: 32 @0=1 @4=1 @28=1;",
        "set 3 1 4=2: 0; last error 100; changed 20\n", "status 20 1: 32 @0=1 @4=1;",
        "set 9 1 4=5000: -1; last error 7; changed none\n"})
    EXPECT_NE(api.out.find(line), std::string::npos) << line << "\n" << api.out;
  const std::size_t refused = api.out.find("set 9 1 4=5000");
  ASSERT_NE(refused, std::string::npos);
  // The device-mode line before and after the refused change, without its last error.
  auto devmodeAround = [&](std::size_t at) {
    if (at == std::string::npos) return std::string();
    return api.out.substr(at, api.out.find("; last error", at) - at);
  };
  const std::string before = devmodeAround(api.out.rfind("devmode 4:", refused));
  const std::string after = devmodeAround(api.out.find("devmode 4:", refused));
  EXPECT_NE(before.find(copies3), std::string::npos) << before;
  EXPECT_FALSE(before.empty());
  EXPECT_EQ(before, after);
}

// A text goes into the record with its NUL; arguments that do not parse stop the script.
TEST_F(DrvhostApiTest, SetArgumentsOfAScript) {
  HostRun api = Host({"api", root_, "Kova Sample Printer",
                      Script("enable\ninit 1 16\nset 9 1 4=2 8=\"abc\"\nstatus 9 1\nset 37 1 4=1\n")});
  ASSERT_EQ(api.exitCode, 0) << api.out << api.err;
  EXPECT_NE(api.out.find("set 9 1 4=2 8=\"abc\": 0; last error 0;"), std::string::npos) << api.out;
  EXPECT_NE(api.out.find("status 9 1: 32 @0=1 @4=2;"), std::string::npos) << api.out;
  EXPECT_NE(api.out.find("set 37 1 4=1: -1; last error 2;"), std::string::npos) << api.out;
  for (const char* bad : {"set\n", "set 9\n", "set 9 1 4=x\n", "set 9 1 2000=1\n", "set 9 1 1020=\"long\"\n",
                          "set 9 1 4=1 7\n"})
    EXPECT_EQ(Host({"api", root_, "Kova Sample Printer", Script(std::string("enable\n") + bad)}).exitCode, 2) << bad;
}

TEST_F(DrvhostApiTest, ARecordWithoutAHandleIsNone) {
  HostRun api = Host({"api", root_, "Kova Sample Printer", Script("record\nfreerecord\ncaps 5\n")});
  ASSERT_EQ(api.exitCode, 0) << api.out << api.err;
  for (const char* line : {"record: -1 (no record); last error -1\n", "freerecord: -1;", "caps 5: -1;"})
    EXPECT_NE(api.out.find(line), std::string::npos) << line << "\n" << api.out;
}

TEST_F(DrvhostApiTest, TheSampleScriptDrivesTheCommandBase) {
  HostRun api = Host({"api", root_, "Kova Sample Printer", kSamples + "/api-script.txt"});
  ASSERT_EQ(api.exitCode, 0) << api.out << api.err;
  const std::string out = api.out;
  for (const char* line : {"exclusive: a handle\n", "ininame: 0, length ", "setbase command-base.txt: ",
                           "  @PJL SET APLPAGESIZE = A4\n", "update @PJL SET COPIES = 5: 0, change length 0\n",
                           "update @PJL SET NOSUCH = 1: 0, change length 0\n", "values DUPLEX: 0, length 8 (ON, OFF)\n",
                           "values MARGINODD: 0, length 11 (0, 1200, 60)\n", "options TRAY: 0, length 17 (ALL, TRAY1, MULTI)\n",
                           "watermarks text: 0, length 0\n", "free: done\n"})
    EXPECT_NE(out.find(line), std::string::npos) << line << "\n" << out;
  // The rebuilt base keeps the lines of known items only, with the values in force.
  const std::size_t base = out.find("\nbase: 0, length ");
  ASSERT_NE(base, std::string::npos) << out;
  const std::string rebuilt = out.substr(base, out.find("\nupdate", base) - base);
  EXPECT_EQ(rebuilt.find("JOBNAME"), std::string::npos) << rebuilt;
  EXPECT_EQ(rebuilt.find("FORCEFEED"), std::string::npos) << rebuilt;
  EXPECT_NE(rebuilt.find("  @PJL SET COPIES = 3\n"), std::string::npos) << rebuilt;
}

TEST_F(DrvhostApiTest, CommandBaseCallsOfAScript) {
  const std::string base = (dir_ / "base.txt").string();
  std::ofstream(base) << "@PJL SET APLPAGESIZE = A4\n@PJL SET APLPAGELAYOUT = PORTRAIT\n@PJL SET PAPER = A4\n"
                         "@PJL SET TRAY = ALL\n@PJL SET COPIES = 2\n";
  HostRun api = Host({"api", root_, "Kova Sample Printer",
                      Script("exclusive\nsetbase base.txt\nbase\nupdate @PJL SET COPIES = 4\nbase\n"
                             "update @PJL SET COPIES=4\nfree\nbase\n")});
  ASSERT_EQ(api.exitCode, 0) << api.err;
  for (const char* line : {"setbase base.txt: 0, change length 0\n", "  @PJL SET COPIES = 2\n",
                           "update @PJL SET COPIES = 4: 0, change length 0\n", "  @PJL SET COPIES = 4\n",
                           "update @PJL SET COPIES=4: -1, change length 0\n",
                           "free: done\nbase: -1, length 0\n"})
    EXPECT_NE(api.out.find(line), std::string::npos) << line << "\n" << api.out;
}

TEST_F(DrvhostApiTest, CallsWithoutAHandleAndBadScripts) {
  HostRun api = Host({"api", root_, "Kova Sample Printer", Script("devmode 4\nsave\nlasterror\ndisable\n")});
  ASSERT_EQ(api.exitCode, 0) << api.err;
  EXPECT_NE(api.out.find("devmode 4: -1; last error -1\nsave: 0;"), std::string::npos) << api.out;
  EXPECT_NE(api.out.find("disable: 1;"), std::string::npos) << api.out;
  EXPECT_EQ(Host({"api", root_, "Kova Sample Printer"}).exitCode, 2);
  EXPECT_EQ(Host({"api", root_, "No Such Printer", Script("check\n")}).exitCode, 1);
}

// A script the host cannot carry out fails, naming the script and the line; the calls before
// the bad line were made.
TEST_F(DrvhostApiTest, ScriptErrorsNameTheScriptAndLine) {
  struct Case {
    const char* text;
    int exitCode;
    const char* said;
  };
  const Case cases[] = {
      {"check\njump\n", 2, "script.txt: line 2: unknown call \"jump\" (the calls: check, enable"},
      {"check\ndevmode four\n", 2, "script.txt: line 2: the arguments of \"devmode\" must be numbers"},
      {"exclusive\nsetbase missing.txt\nbase\n", 1, "script.txt: line 2: cannot read the command base"},
      {"exclusive\nsetbase\n", 2, "script.txt: line 2: setbase needs a file name"},
      {"exclusive\n\nwatermarks pictures\n", 2, "script.txt: line 3: watermarks takes text or image, not \"pictures\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    HostRun api = Host({"api", root_, "Kova Sample Printer", Script(c.text)});
    EXPECT_EQ(api.exitCode, c.exitCode) << api.out << api.err;
    EXPECT_NE(api.err.find(c.said), std::string::npos) << api.err;
    EXPECT_NE(api.out.find(std::string(c.text).substr(0, std::string(c.text).find('\n')) + ": "), std::string::npos)
        << api.out;
    EXPECT_EQ(api.out.find("\nbase:"), std::string::npos) << api.out;
  }
}

}  // namespace
}  // namespace drvhost_api_test
