// drvhost server: a printer of a terminal server filled from its configuration server when
// it is installed, and left unmarked when the server fails it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "host_fixture.h"

namespace drvhost_server_test {

namespace fs = std::filesystem;
using kovatest::HostRun;
using kovatest::kSamples;

constexpr const char* kPrinter = "Kova Sample Printer";

class DrvhostServerTest : public kovatest::HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    root_ = (dir_ / "root").string();
    HostRun install = Host({"install", root_, kPrinter, kSamples});
    ASSERT_EQ(install.exitCode, 0) << install.out << install.err;
    ASSERT_EQ(Host({"machine", root_, "terminal-server=on"}).exitCode, 0);
  }
  // The sample server with extra lines in its server.ini.
  std::string Server(const std::string& name, const std::string& extra) const {
    const fs::path folder = dir_ / name;
    fs::create_directories(folder);
    for (const fs::directory_entry& entry : fs::directory_iterator(kSamples + "/server"))
      fs::copy_file(entry.path(), folder / entry.path().filename(), fs::copy_options::overwrite_existing);
    std::ofstream(folder / "server.ini", std::ios::app) << extra;
    return folder.string();
  }
  std::string Printers() { return Host({"printers", root_}).out; }
  std::string root_;
};

struct ServerCase {
  const char* name;
  std::string extra;  // more server.ini lines
  bool filled;
};

TEST_F(DrvhostServerTest, InstallFillsThePrinterFromItsServer) {
  const ServerCase cases[] = {
      {"a server that refuses the device-mode conversion", "Fail=RMSetDevmode\n", false},
      {"a printer the server does not manage", "Type=3\n", false},
      {"the sample server", "", true},
  };
  for (const ServerCase& c : cases) {
    SCOPED_TRACE(c.name);
    HostRun set = Host({"server", root_, kPrinter, Server(std::string("server-") + std::to_string(&c - cases), c.extra)});
    ASSERT_EQ(set.exitCode, 0) << set.err;
    HostRun install = Host({"install", root_, kPrinter, kSamples});
    ASSERT_EQ(install.exitCode, 0) << install.err;
    const std::string printers = Printers();
    EXPECT_EQ(printers.find("ZeviveConnection  REG_BINARY  01 00 00 00") != std::string::npos, c.filled) << printers;
    EXPECT_EQ(printers.find("ZeviveIni  REG_BINARY  01 00 00 00") != std::string::npos, c.filled) << printers;
  }
  HostRun off = Host({"server", root_, kPrinter, "off"});
  EXPECT_EQ(off.exitCode, 0) << off.err;
}

TEST_F(DrvhostServerTest, BadArgumentsAreRefused) {
  struct Case {
    std::vector<std::string> args;
    int exitCode;
  };
  const fs::path notKeyValue = dir_ / "bad";
  fs::create_directories(notKeyValue);
  std::ofstream(notKeyValue / "server.ini") << "Type 17\n";
  const Case cases[] = {
      {{"server", root_, kPrinter}, 2},
      {{"server", root_, kPrinter, (dir_ / "missing").string()}, 1},
      {{"server", root_, kPrinter, notKeyValue.string()}, 2},
      {{"server", (dir_ / "no-root").string(), kPrinter, "off"}, 1},
  };
  for (const Case& c : cases) EXPECT_EQ(Host(c.args).exitCode, c.exitCode) << c.args.size();
}

}  // namespace drvhost_server_test
