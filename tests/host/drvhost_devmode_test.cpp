// drvhost devmode: the sample printer's device-modes read in words, changed by name and
// written back, and files that hold no whole device-mode refused.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host_fixture.h"
#include "win/devmode.h"

namespace drvhost_devmode_test {
namespace {

using kovatest::HostRun;
using kovatest::kSamples;

class DrvhostDevmodeTest : public kovatest::HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    root_ = (dir_ / "root").string();
    HostRun install = Host({"install", root_, "Kova Sample Printer", kSamples});
    ASSERT_EQ(install.exitCode, 0) << install.err;
  }
  std::string Bytes(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  // The line of a setting as shown: "  NAME   VALUE".
  static std::string Setting(const std::string& out, const std::string& name) {
    const std::size_t at = out.find("\n  " + name + " ");
    if (at == std::string::npos) return {};
    const std::size_t end = out.find('\n', at + 1);
    std::string line = out.substr(at + 3 + name.size(), end - at - 3 - name.size());
    return line.substr(line.find_first_not_of(' '));
  }
  std::string root_;
};

// The printer's stored default: public fields in words, then the private settings by their
// dictionary names and value names in the dictionary's order.
TEST_F(DrvhostDevmodeTest, TheStoredDefaultInWords) {
  HostRun run = Host({"devmode", root_, "Kova Sample Printer"});
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_EQ(Setting(run.out, "paper"), "9 A4 (210 x 297 mm)") << run.out;
  EXPECT_EQ(Setting(run.out, "orientation"), "1 portrait") << run.out;
  EXPECT_EQ(Setting(run.out, "copies"), "1") << run.out;
  EXPECT_EQ(Setting(run.out, "resolution"), "600 x 600 dpi") << run.out;
  EXPECT_EQ(Setting(run.out, "kdmPresetNo"), "0 KDMPRESETNO_0") << run.out;
  EXPECT_EQ(Setting(run.out, "kdmFuncSelectSort"), "1 KDMFUNCSELECTSORT_ON") << run.out;
  const std::size_t pub = run.out.find("public settings"), priv = run.out.find("private settings");
  const std::size_t machine = run.out.find("kdmMachineID"), preset = run.out.find("kdmPresetNo"),
                    media = run.out.find("kdmMediaType ");
  ASSERT_NE(priv, std::string::npos) << run.out;
  EXPECT_LT(pub, priv);
  EXPECT_LT(priv, machine);
  EXPECT_LT(machine, preset);
  EXPECT_LT(preset, media);
  // No public field shows again among the private ones.
  EXPECT_EQ(run.out.find("dmPaperSize"), std::string::npos) << run.out;
}

// The printer list shows the stored device-mode's main settings in words, and follows a change.
TEST_F(DrvhostDevmodeTest, PrintersShowTheMainSettings) {
  HostRun run = Host({"printers", root_});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("settings:        paper 9 A4 (210 x 297 mm), orientation 1 portrait, copies 1"),
            std::string::npos)
      << run.out;
  ASSERT_EQ(Host({"sheet", root_, "Kova Sample Printer", "document", "--page", "1001", "--click", "2027", "--ok",
                  "--store"})
                .exitCode,
            0);
  run = Host({"printers", root_});
  EXPECT_NE(run.out.find("orientation 2 landscape"), std::string::npos) << run.out;
}

TEST_F(DrvhostDevmodeTest, ASheetsOutputInWords) {
  const std::string out = (dir_ / "landscape.dm").string();
  ASSERT_EQ(Host({"sheet", root_, "Kova Sample Printer", "document", "--page", "1001", "--click", "2027", "--ok",
                  "--out", out})
                .exitCode,
            0);
  HostRun run = Host({"devmode", out});
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_EQ(Setting(run.out, "orientation"), "2 landscape") << run.out;
  EXPECT_NE(run.out.find("private settings"), std::string::npos) << run.out;
}

// A file that holds no whole device-mode is refused with the sentence the job file's
// device-mode statement gives, and nothing is read past its end.
TEST_F(DrvhostDevmodeTest, HostileFilesAreRefused) {
  HostRun base = Host({"devmode", root_, "Kova Sample Printer", "--set", "copies=1", "--out",
                       (dir_ / "base.dm").string()});
  ASSERT_EQ(base.exitCode, 0) << base.err;
  std::string bloated = Bytes((dir_ / "base.dm").string());
  reinterpret_cast<DEVMODEW*>(bloated.data())->dmDriverExtra = 0xF000;
  std::string tiny = Bytes((dir_ / "base.dm").string());
  reinterpret_cast<DEVMODEW*>(tiny.data())->dmSize = 0;
  reinterpret_cast<DEVMODEW*>(tiny.data())->dmDriverExtra = 80;
  tiny.resize(80);
  std::string noise(1236, '\0');
  for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 151 + 7) & 0xFF);
  struct Case {
    const char* name;
    std::string file;
    const char* said;
  };
  const Case cases[] = {
      {"bloated", Write("bloated.dm", bloated), "its dmSize and dmDriverExtra say"},
      {"noise", Write("noise.dm", noise), "its dmSize and dmDriverExtra say"},
      {"short", Write("short.dm", std::string(30, 'x')), "is too short for a device-mode"},
      {"tiny public part", Write("tiny.dm", tiny), "states a dmSize of 0, too small for a device-mode"},
      {"missing", (dir_ / "none.dm").string(), "cannot read the device-mode file"},
      {"folder", dir_.string(), "is a folder"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HostRun run = Host({"devmode", c.file});
    EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
    EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
  }
}

// A whole device-mode whose private block places its settings past its end: they are shown
// as outside it, never read from beyond the file.
TEST_F(DrvhostDevmodeTest, SettingsPlacedPastTheEndAreNotRead) {
  const std::string base = (dir_ / "base.dm").string();
  ASSERT_EQ(Host({"devmode", root_, "Kova Sample Printer", "--set", "copies=1", "--out", base}).exitCode, 0);
  std::string bytes = Bytes(base);
  ASSERT_GT(bytes.size(), 363u);
  bytes[361] = '\xF0';
  bytes[362] = '\xFF';
  HostRun run = Host({"devmode", Write("moved.dm", bytes)});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(Setting(run.out, "kdmMediaType"), "(outside the device-mode)") << run.out;
  EXPECT_EQ(Setting(run.out, "paper"), "9 A4 (210 x 297 mm)") << run.out;
  HostRun set = Host({"devmode", Write("moved2.dm", bytes), "--set", "kdmMediaType=2", "--out",
                      (dir_ / "x.dm").string()});
  EXPECT_EQ(set.exitCode, 2);
  EXPECT_NE(set.err.find("kdmMediaType lies outside this device-mode"), std::string::npos) << set.err;
}

// Settings changed by name and value name (or number) reach the copy; changed back they give
// the original bytes.
TEST_F(DrvhostDevmodeTest, SetRoundTrip) {
  const std::string stored = (dir_ / "stored.dm").string(), changed = (dir_ / "changed.dm").string(),
                    back = (dir_ / "back.dm").string();
  ASSERT_EQ(Host({"devmode", root_, "Kova Sample Printer", "--set", "copies=1", "--out", stored}).exitCode, 0);
  HostRun set = Host({"devmode", stored, "--set", "paper=A3", "--set", "duplex=long", "--set", "copies=3", "--set",
                      "kdmMediaType=KDMMEDIATYPE_3", "--set", "kdmFuncSelectDuplex=1", "--out", changed});
  ASSERT_EQ(set.exitCode, 0) << set.out << set.err;
  HostRun shown = Host({"devmode", changed});
  ASSERT_EQ(shown.exitCode, 0) << shown.err;
  EXPECT_EQ(Setting(shown.out, "paper"), "8 A3 (297 x 420 mm)") << shown.out;
  EXPECT_EQ(Setting(shown.out, "duplex"), "2 long") << shown.out;
  EXPECT_EQ(Setting(shown.out, "copies"), "3") << shown.out;
  EXPECT_EQ(Setting(shown.out, "kdmMediaType"), "3 KDMMEDIATYPE_3") << shown.out;
  EXPECT_EQ(Setting(shown.out, "kdmFuncSelectDuplex"), "1 KDMFUNCSELECTDUPLEX_ON") << shown.out;
  EXPECT_EQ(Bytes(changed).size(), Bytes(stored).size());
  HostRun undo = Host({"devmode", changed, "--set", "paper=9", "--set", "duplex=none", "--set", "copies=1", "--set",
                       "kdmMediaType=1", "--set", "kdmFuncSelectDuplex=KDMFUNCSELECTDUPLEX_OFF", "--out", back});
  ASSERT_EQ(undo.exitCode, 0) << undo.err;
  const std::string a = Bytes(stored), b = Bytes(back);
  // dmFields may now mark duplex, which the stored default already did or not: compare the rest.
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (i < offsetof(DEVMODEW, dmFields) || i >= offsetof(DEVMODEW, dmFields) + 4) {
      EXPECT_EQ(a[i], b[i]) << "byte " << i;
    }
  }
}

TEST_F(DrvhostDevmodeTest, UnknownNamesAndValuesAreRefused) {
  const std::string out = (dir_ / "x.dm").string();
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    const char* said;
  };
  const Case cases[] = {
      {{"--set", "kdmMediaTyp=2", "--out", out}, 2, "unknown setting \"kdmMediaTyp\"; near: kdmMediaType"},
      {{"--set", "papr=A4", "--out", out}, 2, "near: paper"},
      {{"--set", "paper=Z9", "--out", out}, 2, "\"Z9\" is no value of paper"},
      {{"--set", "orientation=sideways", "--out", out}, 2, "is no value of orientation (portrait, landscape"},
      {{"--set", "kdmMediaType=KDMMEDIATYPE_99", "--out", out}, 2, "KDMMEDIATYPE_1, KDMMEDIATYPE_2"},
      {{"--set", "kdmPresetNo=300", "--out", out}, 2, "kdmPresetNo takes -128 to 127"},
      {{"--set", "copies=2"}, 2, "--set writes its copy with --out FILE"},
      {{"--set", "copies", "--out", out}, 2, "--set takes NAME=VALUE"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[1]);
    std::vector<std::string> args{"devmode", root_, "Kova Sample Printer"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    HostRun run = Host(args);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.out << run.err;
    EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(out));
  }
}

}  // namespace
}  // namespace drvhost_devmode_test
