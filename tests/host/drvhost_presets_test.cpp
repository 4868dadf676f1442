// drvhost sheet: the sample printer's settings saved as a preset from the finishing page,
// through the save-preset dialog, and the file-dialog choices the sheet command takes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "host_fixture.h"

namespace drvhost_presets_test {
namespace {

using kovatest::HostRun;
using kovatest::kSamples;

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class DrvhostPresetsTest : public kovatest::HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    samples_ = dir_ / "samples";
    std::filesystem::copy(kSamples, samples_, std::filesystem::copy_options::recursive);
    root_ = (dir_ / "root").string();
    HostRun install = Host({"install", root_, "Kova Sample Printer", samples_.string()});
    ASSERT_EQ(install.exitCode, 0) << install.err;
  }
  // The per-printer INI files' text, all of them.
  std::string IniText() {
    std::string all;
    const std::filesystem::path folder = dir_ / "root" / "drives" / "c" / "_kova";
    if (!std::filesystem::exists(folder)) return all;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
      if (entry.path().extension() == ".ini") all += ReadAll(entry.path());
    return all;
  }
  std::filesystem::path samples_;
  std::string root_;
};

TEST_F(DrvhostPresetsTest, SaveAsPresetFromTheSecondPageAddsTheNamedPreset) {
  HostRun run = Host({"sheet", root_, "Kova Sample Printer", "document", "--page", "1002", "--click", "2038", "--type",
                      "2452=Mine", "--ok", "--cancel"});
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  const std::string ini = IniText();
  EXPECT_NE(ini.find("PresetList0Name=Mine"), std::string::npos) << ini;
  EXPECT_NE(ini.find("\nCount=1"), std::string::npos) << ini;
  const std::size_t at = ini.find("PresetList0=");
  ASSERT_NE(at, std::string::npos);
  const std::string file = ini.substr(at + 12, ini.find_first_of("\r\n", at) - at - 12);
  // C:\_kova\user0000.kst in the root's drive folder.
  ASSERT_EQ(file.rfind("C:\\", 0), 0u) << file;
  std::string relative = file.substr(3);
  for (char& c : relative)
    if (c == '\\') c = '/';
  EXPECT_GT(ReadAll(dir_ / "root" / "drives" / "c" / relative).size(), 0u) << file;
}

TEST_F(DrvhostPresetsTest, FileDialogChoicesAreTakenAndChecked) {
  struct Case {
    std::vector<std::string> actions;
    int exitCode;
  };
  const Case cases[] = {
      {{"--file", "C:\\Users\\me\\abc.kst", "--cancel"}, 0},
      {{"--files", "a.kst,b.kst", "--cancel"}, 0},
      {{"--file-cancel", "--cancel"}, 0},
      {{"--file"}, 2},
      {{"--files"}, 2},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args{"sheet", root_, "Kova Sample Printer", "document"};
    args.insert(args.end(), c.actions.begin(), c.actions.end());
    HostRun run = Host(args);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.actions.front() << "\n" << run.out << run.err;
  }
}

}  // namespace
}  // namespace drvhost_presets_test
