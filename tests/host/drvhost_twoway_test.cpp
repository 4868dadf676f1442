// drvhost twoway: a printer of the root asked over the two-way link by the device sheet, its
// answers in printer data, and a failing printer that leaves printer data as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "host_fixture.h"

namespace drvhost_twoway_test {

namespace fs = std::filesystem;
using kovatest::HostRun;
using kovatest::kSamples;

constexpr const char* kPrinter = "Kova Sample Printer";

class DrvhostTwoWayTest : public kovatest::HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    root_ = (dir_ / "root").string();
    HostRun install = Host({"install", root_, kPrinter, kSamples});
    ASSERT_EQ(install.exitCode, 0) << install.out << install.err;
  }
  std::string Answers(const std::string& name, const std::string& extra) const {
    const fs::path file = dir_ / name;
    std::ifstream in(kSamples + "/twoway-answers.txt");
    std::ofstream out(file);
    out << in.rdbuf() << extra;
    return file.string();
  }
  std::string Printers() { return Host({"printers", root_}).out; }
  std::string root_;
};

TEST_F(DrvhostTwoWayTest, TheDeviceSheetAsksThePrinterAndKeepsItsAnswers) {
  HostRun set = Host({"twoway", root_, kPrinter, kSamples + "/twoway-answers.txt"});
  ASSERT_EQ(set.exitCode, 0) << set.err;
  HostRun sheet = Host({"sheet", root_, kPrinter, "device", "--ok"});
  ASSERT_EQ(sheet.exitCode, 0) << sheet.err;
  const std::string printers = Printers();
  EXPECT_NE(printers.find("ENABLE_BIDI"), std::string::npos) << printers;
  EXPECT_NE(printers.find("BidiFlag  REG_BINARY  01 00 00 00"), std::string::npos) << printers;
  EXPECT_NE(printers.find("Tray1Field  REG_BINARY  01 00 00 00"), std::string::npos) << printers;
  EXPECT_NE(printers.find("CoverTray  REG_BINARY  02 00"), std::string::npos) << printers;

  // The printer stops answering: the next sheet leaves printer data byte for byte.
  ASSERT_EQ(Host({"twoway", root_, kPrinter, Answers("failing.txt", "Kind11=1048576\nFailStep=item\nFailKind=2\n")})
                .exitCode,
            0);
  const std::string before = Printers();
  ASSERT_EQ(Host({"sheet", root_, kPrinter, "device", "--ok"}).exitCode, 0);
  EXPECT_EQ(Printers(), before);
  // Answering again, it changes them.
  ASSERT_EQ(Host({"twoway", root_, kPrinter, Answers("answering.txt", "Kind11=1048576\n")}).exitCode, 0);
  ASSERT_EQ(Host({"sheet", root_, kPrinter, "device", "--ok"}).exitCode, 0);
  EXPECT_NE(Printers().find("RAM  REG_BINARY  00 04 00 00"), std::string::npos);

  HostRun off = Host({"twoway", root_, kPrinter, "off"});
  ASSERT_EQ(off.exitCode, 0) << off.err;
  EXPECT_EQ(Printers().find("ENABLE_BIDI"), std::string::npos);
}

TEST_F(DrvhostTwoWayTest, BadArgumentsAreRefused) {
  struct Case {
    std::vector<std::string> args;
    int exitCode;
  };
  const std::string notKeyValue = (dir_ / "bad.txt").string();
  std::ofstream(notKeyValue) << "Kind1 3\n";
  const Case cases[] = {
      {{"twoway", root_, kPrinter}, 2},
      {{"twoway", root_, kPrinter, (dir_ / "missing.txt").string()}, 1},
      {{"twoway", root_, kPrinter, notKeyValue}, 2},
      {{"twoway", (dir_ / "no-root").string(), kPrinter, "off"}, 1},
  };
  for (const Case& c : cases) EXPECT_EQ(Host(c.args).exitCode, c.exitCode) << c.args.size();
}

}  // namespace drvhost_twoway_test
