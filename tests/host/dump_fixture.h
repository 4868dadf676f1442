// drvhost dump run on a hand-made stream: the byte helpers and a fixture that writes one
// 0xF5 block of records into a temporary folder and returns what the dump reports.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>

namespace kovatest {

inline const std::string kDrvhost = KOVA_BINARY_DIR "/tools/drvhost/drvhost";

inline std::string Le16(unsigned v) {
  return std::string{static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
}
inline std::string Le32(unsigned v) {
  std::string s;
  for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
  return s;
}
inline std::string Bytes(std::initializer_list<int> b) {
  std::string s;
  for (int v : b) s += static_cast<char>(v);
  return s;
}

class DumpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(std::filesystem::exists(kDrvhost)) << "drvhost is not built: " << kDrvhost;
    std::string tmpl = (std::filesystem::temp_directory_path() / "kova-dump-XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  // Dumps one 0xF5 block of records; the report.
  std::string Dump(const std::string& records) {
    const std::filesystem::path in = dir_ / "s.prn", out = dir_ / "out.txt";
    std::ofstream(in, std::ios::binary) << Le32(0xF5) + Le32(static_cast<unsigned>(records.size())) + records;
    const std::string cmd = "'" + kDrvhost + "' dump '" + in.string() + "' >'" + out.string() + "' 2>&1";
    const int status = std::system(cmd.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    std::ifstream f(out);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
  }
  std::filesystem::path dir_;
};

}  // namespace kovatest
