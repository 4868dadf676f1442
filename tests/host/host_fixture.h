// The built drvhost binary run on a temporary folder: its path, the sample folder, shell
// quoting, and a fixture that runs drvhost and keeps its exit code and output.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#include "build_paths.h"

namespace kovatest {

inline const std::string kHost = kovatest::BuiltFile("drvhost");
inline const std::string kSamples = kovatest::SourceDir() + "/samples";

struct HostRun {
  int exitCode = -1;
  std::string out, err;
};

inline std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

inline std::string Slurp(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(std::filesystem::exists(kHost)) << "drvhost is not built: " << kHost;
    std::string tmpl = (std::filesystem::temp_directory_path() / "kova-host-XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  // Runs drvhost with the arguments; its exit code and what it wrote.
  HostRun Host(const std::vector<std::string>& args) {
    std::string cmd = Quote(kHost);
    for (const auto& a : args) cmd += " " + Quote(a);
    const std::filesystem::path out = dir_ / "out.txt", err = dir_ / "err.txt";
    cmd += " >" + Quote(out.string()) + " 2>" + Quote(err.string());
    HostRun r;
    const int status = std::system(cmd.c_str());
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = Slurp(out);
    r.err = Slurp(err);
    return r;
  }
  std::filesystem::path dir_;
};

}  // namespace kovatest
