// The built drvhost binary on temporary folders: install the sample printer, list the
// printers, and the answers to bad arguments.
#include <gtest/gtest.h>

#include "host_fixture.h"
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "plat/spooler_setup.h"
#include "plat/system.h"
#include "test_root.h"
#include "win/errors.h"
#include "win/paint.h"

namespace fs = std::filesystem;

namespace {

using kovatest::HostRun;
using kovatest::kHost;
using kovatest::kSamples;
using kovatest::Quote;
using kovatest::Slurp;

class DrvhostTest : public kovatest::HostTest {};

std::vector<std::string> LinesWith(const std::string& text, const std::string& needle) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    if (line.find(needle) != std::string::npos) lines.push_back(line);
  return lines;
}

TEST_F(DrvhostTest, InstallsTheSamplePrinterAndListsIt) {
  const std::string root = (dir_ / "root").string();
  HostRun install = Host({"install", root, "Kova Sample Printer", kSamples});
  ASSERT_EQ(install.exitCode, 0) << install.err;
  // Every driver file of the manifest is either copied or reported as not yet built.
  for (const char* file : {"Rendara.dll", "Panelis.dll", "KOVA1.KMD", "KOVAUS.HLP", "Constrix.dll", "Spoolane.dll"}) {
    auto lines = LinesWith(install.out, std::string("  ") + file + " ");
    ASSERT_EQ(lines.size(), 1u) << file << "\n" << install.out;
    EXPECT_TRUE(lines[0].find("copied") != std::string::npos || lines[0].find("not yet built") != std::string::npos)
        << lines[0];
  }
  EXPECT_NE(install.out.find("installed printer \"Kova Sample Printer\""), std::string::npos) << install.out;

  HostRun list = Host({"printers", root});
  ASSERT_EQ(list.exitCode, 0) << list.err;
  const std::string dir = "C:\\Windows\\system32\\spool\\DRIVERS\\x64\\3\\";
  for (const std::string& expected : {
           std::string("1 printer in "),
           std::string("printer \"Kova Sample Printer\""),
           std::string("server:            (local)"),
           std::string("driver:            \"KOVA Sample Driver\""),
           std::string("attributes:        0x00000040 (LOCAL)"),
           "driver path:       \"" + dir + "Rendara.dll\"",
           "config file:       \"" + dir + "Panelis.dll\"",
           "data file:         \"" + dir + "KOVA1.KMD\"",
           "help file:         \"" + dir + "KOVAUS.HLP\"",
           "dependent file:    \"" + dir + "Spoolane.dll\"",
           std::string("PrinterDriverData\\HelpFileName  REG_SZ  \"KOVAUS.HLP\""),
           std::string("PrinterDriverData\\SPLUserModePrinterDriver  REG_SZ  \"Spoolane.DLL\""),
       })
    EXPECT_NE(list.out.find(expected), std::string::npos) << expected << "\n" << list.out;

  // The records the host wrote are the spooler's: this process reads them too.
  ASSERT_TRUE(plat::SetSystemRoot(root));
  auto snapshot = plat::spooler::ReadPrinter(u"KOVA SAMPLE PRINTER");
  ASSERT_TRUE(snapshot);
  EXPECT_TRUE(snapshot->driverFound);
  EXPECT_EQ(snapshot->printer.driver.helpFile, u"C:\\Windows\\system32\\spool\\DRIVERS\\x64\\3\\KOVAUS.HLP");

  // The manifest's fonts are the machine's: the font enumeration lists each family with
  // its kind.
  std::vector<std::pair<std::u16string, DWORD>> families;
  EnumFontFamiliesW(
      nullptr, nullptr,
      [](const LOGFONTW* font, const TEXTMETRICW*, DWORD type, LPARAM found) {
        reinterpret_cast<std::vector<std::pair<std::u16string, DWORD>>*>(found)->emplace_back(font->lfFaceName, type);
        return 1;
      },
      reinterpret_cast<LPARAM>(&families));
  EXPECT_EQ(families, (std::vector<std::pair<std::u16string, DWORD>>{{u"Arial", TRUETYPE_FONTTYPE},
                                                                      {u"@Kova Gothic", TRUETYPE_FONTTYPE},
                                                                      {u"Modern", RASTER_FONTTYPE}}));
}

TEST_F(DrvhostTest, CopiesPresentFilesAndDecodesEveryValueType) {
  const fs::path sample = dir_ / "sample";
  fs::create_directories(sample);
  std::ofstream(sample / "printer.ini") << "[Printer]\n"
                                           "DriverName=Test Driver\n"
                                           "Attributes=0x840\n"
                                           "[DriverFiles]\n"
                                           "DriverPath=Rendara.dll\n"
                                           "ConfigFile=Panelis.dll\n"
                                           "DependentFiles=panelis.DLL, Extra.ini\n"
                                           "[PrinterData]\n"
                                           "Count=REG_DWORD:42\n"
                                           "Blob=REG_BINARY:01 02 ff\n"
                                           "Text=REG_SZ:a b\n";
  std::ofstream(sample / "Panelis.so") << "shared object";
  std::ofstream(sample / "Extra.ini") << "[x]\n";
  const std::string root = (dir_ / "root").string();
  HostRun install = Host({"install", root, "Second", sample.string()});
  ASSERT_EQ(install.exitCode, 0) << install.err;
  EXPECT_EQ(LinesWith(install.out, "Panelis.dll").size(), 1u) << "listed once: " << install.out;
  EXPECT_EQ(LinesWith(install.out, "copied (Panelis.so)").size(), 1u) << install.out;
  EXPECT_EQ(LinesWith(install.out, "Extra.ini").size(), 1u);
  // Not in the sample folder: taken from the build tree once the rendering library is built.
  const std::string rendara = LinesWith(install.out, "Rendara.dll").at(0);
  EXPECT_TRUE(rendara.find("not yet built") != std::string::npos ||
              rendara.find("copied (Rendara.so)") != std::string::npos)
      << rendara;
  const fs::path driverDir = fs::path(root) / "drives/c/Windows/system32/spool/DRIVERS/x64/3";
  EXPECT_EQ(Slurp(driverDir / "Panelis.so"), "shared object");
  EXPECT_TRUE(fs::exists(driverDir / "Extra.ini"));

  HostRun list = Host({"printers", root});
  ASSERT_EQ(list.exitCode, 0) << list.err;
  for (const char* expected : {"PrinterDriverData\\Blob  REG_BINARY  01 02 ff (3 bytes)",
                               "PrinterDriverData\\Count  REG_DWORD  42 (0x0000002a)",
                               "PrinterDriverData\\Text  REG_SZ  \"a b\"", "0x00000840 (LOCAL ENABLE_BIDI)"})
    EXPECT_NE(list.out.find(expected), std::string::npos) << expected << "\n" << list.out;

  // A second install of the sample into the same root adds a printer; both are listed in order.
  ASSERT_EQ(Host({"install", root, "Kova Sample Printer", kSamples}).exitCode, 0);
  list = Host({"printers", root});
  EXPECT_NE(list.out.find("2 printers in "), std::string::npos);
  EXPECT_LT(list.out.find("printer \"Kova Sample Printer\""), list.out.find("printer \"Second\""));
}

TEST_F(DrvhostTest, BadArgumentsAndFoldersGetClearMessages) {
  const fs::path notRoot = dir_ / "plain";
  fs::create_directories(notRoot);
  const fs::path badSample = dir_ / "bad-sample";
  fs::create_directories(badSample);
  std::ofstream(badSample / "printer.ini") << "[Printer]\nDriverName=X\nColour=blue\n";
  const fs::path file = dir_ / "file";
  std::ofstream(file) << "x";
  const std::string root = (dir_ / "root").string();
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    const char* message;
  } cases[] = {
      {{}, 2, "usage: drvhost <command>"},
      {{"frobnicate"}, 2, "unknown command \"frobnicate\""},
      {{"install", root}, 2, "usage: drvhost install"},
      {{"printers"}, 2, "usage: drvhost printers"},
      {{"install", root, "P", (dir_ / "missing").string()}, 1, "does not exist or is not a folder"},
      {{"install", root, "P", notRoot.string()}, 1, "cannot read the sample manifest"},
      {{"install", root, "P", badSample.string()}, 1, "printer.ini:3: unknown key Colour in [Printer]"},
      {{"install", file.string(), "P", kSamples}, 1, "exists and is not a folder"},
      {{"install", root, "bad,name", kSamples}, 1, "refused the printer"},
      {{"printers", (dir_ / "missing").string()}, 1, "does not exist"},
      {{"printers", notRoot.string()}, 1, "is not a system root"},
  };
  for (const auto& c : cases) {
    HostRun r = Host(c.args);
    std::string joined;
    for (const auto& a : c.args) joined += a + " ";
    EXPECT_EQ(r.exitCode, c.exitCode) << joined << "\n" << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << joined << "\n" << r.err;
  }
  HostRun help = Host({"help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("install <root folder> <printer name> <sample folder>"), std::string::npos);
}

}  // namespace
