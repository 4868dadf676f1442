// drvhost caps and the document events of drvhost print: the sample printer's interface
// library answering as an application and the graphics engine ask it.
#include <gtest/gtest.h>

#include <string>

#include "host_fixture.h"

namespace {

using kovatest::HostRun;
using kovatest::kSamples;

class DrvhostCapsTest : public kovatest::HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    root_ = (dir_ / "root").string();
    HostRun install = Host({"install", root_, "Kova Sample Printer", kSamples});
    ASSERT_EQ(install.exitCode, 0) << install.err;
    ASSERT_NE(install.out.find("Panelis.dll              copied"), std::string::npos) << install.out;
  }
  std::string root_;
};

TEST_F(DrvhostCapsTest, EveryIndexByName) {
  HostRun caps = Host({"caps", root_, "Kova Sample Printer"});
  ASSERT_EQ(caps.exitCode, 0) << caps.out << caps.err;
  // Lists of the sample model, fixed answers and the personality, each under its name.
  for (const char* line : {"DC_PAPERS: 11 entries", "DC_PAPERNAMES: 11 entries\n  \"Letter\"", "  2100 x 2970 (0.1 mm)",
                           "DC_BINNAMES: 4 entries\n  \"Automatic selection\"", "  600 x 600 dpi", "DC_SIZE: 220\n",
                           "DC_EXTRA: 1016\n", "DC_COPIES: 999\n", "DC_ORIENTATION: 90\n", "DC_PERSONALITY: 1, \"KOVA\"",
                           "DC_DUPLEX: 0\n", "DC_NUP: 5 entries\n  1\n  2\n  4\n  9\n  16\n"})
    EXPECT_NE(caps.out.find(line), std::string::npos) << line << "\n" << caps.out;
}

TEST_F(DrvhostCapsTest, NamedIndexesOnlyAndUnknownNames) {
  HostRun caps = Host({"caps", root_, "Kova Sample Printer", "DC_BINS", "18"});
  ASSERT_EQ(caps.exitCode, 0) << caps.err;
  EXPECT_NE(caps.out.find("DC_BINS: 4 entries\n  7\n  4\n  257\n  258\n"), std::string::npos) << caps.out;
  EXPECT_NE(caps.out.find("DC_COPIES: 999"), std::string::npos) << caps.out;
  EXPECT_EQ(caps.out.find("DC_PAPERS"), std::string::npos) << caps.out;
  HostRun unknown = Host({"caps", root_, "Kova Sample Printer", "DC_NOTHING"});
  EXPECT_EQ(unknown.exitCode, 2);
  EXPECT_NE(unknown.err.find("unknown capability \"DC_NOTHING\" (the capabilities: DC_FIELDS, DC_PAPERS,"),
            std::string::npos)
      << unknown.err;
  EXPECT_EQ(Host({"caps", root_}).exitCode, 2);
  EXPECT_EQ(Host({"caps", root_, "No Such Printer"}).exitCode, 1);
}

TEST_F(DrvhostCapsTest, PrintSendsTheDocumentEvents) {
  HostRun print = Host({"print", root_, "Kova Sample Printer", kSamples + "/job-two-pages.txt"});
  ASSERT_EQ(print.exitCode, 0) << print.out << print.err;
  EXPECT_NE(print.out.find("document events: STARTDOC=1 STARTDOCPOST=1 STARTPAGE=1 ENDPAGE=0 STARTPAGE=1"),
            std::string::npos)
      << print.out;
}

}  // namespace
