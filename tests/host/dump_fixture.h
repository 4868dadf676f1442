// drvhost dump run on a hand-made stream: the byte helpers and a fixture that writes one
// 0xF5 block of records into a temporary folder and returns what the dump reports.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include "host_fixture.h"

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>

namespace kovatest {

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

class DumpTest : public HostTest {
 protected:
  // Dumps one 0xF5 block of records; the report.
  std::string Dump(const std::string& records) {
    const std::filesystem::path in = dir_ / "s.prn", out = dir_ / "out.txt";
    std::ofstream(in, std::ios::binary) << Le32(0xF5) + Le32(static_cast<unsigned>(records.size())) + records;
    const std::string cmd = "'" + kHost + "' dump '" + in.string() + "' >'" + out.string() + "' 2>&1";
    const int status = std::system(cmd.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    std::ifstream f(out);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
  }
};

}  // namespace kovatest
