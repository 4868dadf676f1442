// drvhost print with escapes in the job file: the sample escape job end to end (the copy
// count it sets reaches the page header text that dump decodes) and the escape statement's
// errors.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "host_fixture.h"

namespace fs = std::filesystem;

namespace {

using kovatest::HostRun;
using kovatest::kSamples;

class DrvhostEscapeTest : public kovatest::HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    root_ = (dir_ / "root").string();
    HostRun install = Host({"install", root_, "Kova Sample Printer", kSamples});
    ASSERT_EQ(install.exitCode, 0) << install.err;
  }
  std::string Write(const std::string& name, const std::string& text) {
    const fs::path p = dir_ / name;
    std::ofstream(p, std::ios::binary) << text;
    return p.string();
  }
  std::string root_;
};

TEST_F(DrvhostEscapeTest, SampleEscapeJobRunsAndDumps) {
  HostRun print = Host({"print", root_, "Kova Sample Printer", kSamples + "/job-escapes.txt"});
  ASSERT_EQ(print.exitCode, 0) << print.out << print.err;
  // The interface library's display strings (escape 122) at the document's start come first,
  // then the job file's four escapes.
  EXPECT_NE(print.out.find("DrvEnableSurface DrvEscape DrvEscape DrvEscape DrvEscape DrvEscape DrvStartDoc DrvStartPage "
                           "DrvEscape DrvSendPage"),
            std::string::npos)
      << print.out;
  EXPECT_NE(print.out.find("document, line 9: DrvEscape 17 (4 bytes in): result 1"), std::string::npos) << print.out;
  EXPECT_NE(print.out.find("DrvEscape 111 (8 bytes in): result 1"), std::string::npos) << print.out;
  EXPECT_NE(print.out.find("DrvEscape 20 (0 bytes in): result 1, out 4B 4F 56 41 00"), std::string::npos) << print.out;
  EXPECT_NE(print.out.find("page 1, line 17: DrvEscape 42 (0 bytes in): result 1, out "), std::string::npos)
      << print.out;
  HostRun dump = Host({"dump", root_, "C:\\KovaPort\\KovaSample.prn"});
  ASSERT_EQ(dump.exitCode, 0) << dump.out << dump.err;
  EXPECT_NE(dump.out.find("@PJL SET COPIES = 3"), std::string::npos) << dump.out;
}

TEST_F(DrvhostEscapeTest, EscapeResultsAndRefusals) {
  const std::string job = Write("esc.txt",
                                "escape 8 1300\n"            // QUERYESCSUPPORT for 19: not raw
                                "escape 8 1100\n"            // for 17: the highest count
                                "escape copies 0\n"          // 0 copies become 1
                                "escape 17\n"                // no input: -1
                                "escape 17 0500 out=4\n"     // too short an input
                                "escape passthrough text hi\n"  // not raw: refused
                                "escape 4242 00\n"           // unknown
                                "page\n");
  HostRun print = Host({"print", root_, "Kova Sample Printer", job});
  ASSERT_EQ(print.exitCode, 0) << print.out << print.err;
  const char* lines[] = {
      "line 1: DrvEscape 8 (2 bytes in): result 0",  "line 2: DrvEscape 8 (2 bytes in): result 999",
      "line 3: DrvEscape 17 (4 bytes in): result 1", "line 4: DrvEscape 17 (0 bytes in): result -1",
      "line 5: DrvEscape 17 (2 bytes in): result 0, out 00 00 00 00",
      "line 6: DrvEscape 19 (4 bytes in): result 0", "line 7: DrvEscape 4242 (1 bytes in): result 0",
  };
  for (const char* line : lines) EXPECT_NE(print.out.find(line), std::string::npos) << line << "\n" << print.out;
}

TEST_F(DrvhostEscapeTest, EscapeStatementErrorsNameTheLine) {
  const struct {
    const char* text;
    const char* message;
  } cases[] = {
      {"escape\n", "line 1: escape wants a code or a name"},
      {"escape frob\n", "line 1: unknown escape \"frob\""},
      {"escape 17 0G\n", "line 1: bad hex bytes \"0G\""},
      {"escape 17 123\n", "line 1: bad hex bytes \"123\""},
      {"escape copies\n", "line 1: escape copies wants a count"},
      {"escape 20 out=70000\n", "line 1: out= wants a size up to 65536"},
      {"reset copies=2\nescape 20\npage\n", "line 2: escape between a reset and its page"},
  };
  for (const auto& c : cases) {
    const std::string job = Write("bad.txt", c.text);
    HostRun r = Host({"print", root_, "Kova Sample Printer", job});
    EXPECT_EQ(r.exitCode, 1) << c.text;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.text << "\n" << r.err;
  }
}

}  // namespace
