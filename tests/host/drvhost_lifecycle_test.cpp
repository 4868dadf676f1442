// drvhost install through the interface library, drvhost event and drvhost upgrade.
#include <gtest/gtest.h>

#include <filesystem>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host_fixture.h"
#include "plat/spooler_setup.h"
#include "plat/system.h"
#include "win/devmode.h"

namespace {

using kovatest::HostRun;
using kovatest::kSamples;

class DrvhostLifecycleTest : public kovatest::HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    root_ = (dir_ / "root").string();
    install_ = Host({"install", root_, "Kova Sample Printer", kSamples});
    ASSERT_EQ(install_.exitCode, 0) << install_.out << install_.err;
  }
  std::string root_;
  HostRun install_;
};

TEST_F(DrvhostLifecycleTest, InstallRunsTheDriverDefaultAndTheInitialiseEvent) {
  EXPECT_NE(install_.out.find("driver default device-mode: 1236 bytes"), std::string::npos) << install_.out;
  EXPECT_NE(install_.out.find("printer event initialize: done"), std::string::npos) << install_.out;
  HostRun printers = Host({"printers", root_});
  ASSERT_EQ(printers.exitCode, 0) << printers.err;
  // The driver wrote the printer's own bookkeeping into printer data.
  for (const char* value : {"KOVAPrinterName  REG_SZ", "RCapability  REG_DWORD  1", "BidiFlag  REG_DWORD  0"})
    EXPECT_NE(printers.out.find(value), std::string::npos) << value << "\n" << printers.out;
  // The per-printer INI holds the printer's install keys, Fennic.ini its first-run values.
  struct Expected {
    const char* file;
    const char* text;
  };
  const Expected expected[] = {
      {"Dorvale.ini", "[Kova Sample Printer]"}, {"Dorvale.ini", "MergeKey="}, {"Dorvale.ini", "PresetRefresh=0"},
      {"Fennic.ini", "[Kova Sample Printer]"},  {"Fennic.ini", "DispLang=1"}, {"Fennic.ini", "DefPaper=9"},
  };
  for (const Expected& e : expected) {
    std::ifstream in((std::filesystem::path(root_) / "drives" / "c" / "_kova" / e.file).string(), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(text.find(e.text), std::string::npos) << e.file << ": " << e.text << "\n" << text;
  }
}

// The printer's default device-mode is the one the driver answered, unless the sample
// gives the printer its own: then the driver's default is asked and the sample's kept.
TEST_F(DrvhostLifecycleTest, TheDriverDefaultBecomesThePrintersDeviceMode) {
  EXPECT_NE(install_.out.find("driver default device-mode: 1236 bytes, stored"), std::string::npos) << install_.out;
  ASSERT_TRUE(plat::SetSystemRoot(root_));
  auto installed = plat::spooler::ReadPrinter(u"Kova Sample Printer");
  ASSERT_TRUE(installed);
  std::vector<BYTE> devmode = installed->printer.devmode;
  ASSERT_EQ(devmode.size(), 1236u);
  DEVMODEW dm{};
  std::memcpy(&dm, devmode.data(), sizeof dm);
  EXPECT_EQ(dm.dmSize, 220);
  EXPECT_EQ(dm.dmDriverExtra, 1016);
  EXPECT_EQ(dm.dmPaperSize, 9);  // the first-run paper of the US locale's defaults: A4
  EXPECT_EQ(dm.dmCopies, 1);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(devmode.data() + 220), 4), "KOVA");
  // A job without a device-mode of its own prints with it.
  HostRun print = Host({"print", root_, "Kova Sample Printer", kSamples + "/job-two-pages.txt"});
  ASSERT_EQ(print.exitCode, 0) << print.out << print.err;
  EXPECT_NE(print.out.find("device-mode of 1236 bytes"), std::string::npos) << print.out;

  // A sample with a device-mode: the same device-mode with four copies.
  const std::filesystem::path sample = dir_ / "own-devmode";
  std::filesystem::copy(kSamples, sample);
  dm.dmCopies = 4;
  std::memcpy(devmode.data(), &dm, sizeof dm);
  std::ofstream(sample / "devmode.bin", std::ios::binary)
      .write(reinterpret_cast<const char*>(devmode.data()), static_cast<std::streamsize>(devmode.size()));
  std::ofstream(sample / "printer.ini", std::ios::app) << "\n[Printer]\nDevmode=devmode.bin\n";
  HostRun own = Host({"install", root_, "Own Device Mode", sample.string()});
  ASSERT_EQ(own.exitCode, 0) << own.out << own.err;
  EXPECT_NE(own.out.find("driver default device-mode: 1236 bytes, the printer keeps its own"), std::string::npos)
      << own.out;
  auto kept = plat::spooler::ReadPrinter(u"Own Device Mode");
  ASSERT_TRUE(kept);
  EXPECT_EQ(kept->printer.devmode, devmode);
}

TEST_F(DrvhostLifecycleTest, EventsByNameAndTheirAnswers) {
  struct Case {
    const char* event;
    int exitCode;
    const char* answer;
  };
  const Case cases[] = {
      {"initialize", 0, "printer event initialize: TRUE"},
      {"cache-refresh", 0, "printer event cache-refresh: TRUE"},
      {"attributes-changed", 0, "printer event attributes-changed: TRUE"},
      {"delete", 0, "printer event delete: TRUE"},
      {"no-such-event", 2, nullptr},
  };
  for (const Case& c : cases) {
    HostRun run = Host({"event", root_, "Kova Sample Printer", c.event});
    EXPECT_EQ(run.exitCode, c.exitCode) << c.event << "\n" << run.out << run.err;
    if (c.answer) {
      EXPECT_NE(run.out.find(c.answer), std::string::npos) << run.out;
    }
  }
  EXPECT_EQ(Host({"event", root_, "Missing Printer", "delete"}).exitCode, 1);
  EXPECT_EQ(Host({"event", root_, "Kova Sample Printer"}).exitCode, 2);
  // An unknown event is answered with the events there are.
  HostRun unknown = Host({"event", root_, "Kova Sample Printer", "no-such-event"});
  EXPECT_NE(unknown.err.find("unknown printer event \"no-such-event\" (the events: add-connection, delete-connection,"),
            std::string::npos)
      << unknown.err;
}

TEST_F(DrvhostLifecycleTest, UpgradeStoresTheDriverFileNames) {
  HostRun run = Host({"upgrade", root_, "Kova Sample Printer"});
  EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_NE(run.out.find("driver upgrade: TRUE"), std::string::npos) << run.out;
  HostRun printers = Host({"printers", root_});
  EXPECT_NE(printers.out.find("DriverIniFileName"), std::string::npos) << printers.out;
  EXPECT_EQ(Host({"upgrade", root_, "Missing Printer"}).exitCode, 1);
}

}  // namespace
