// Rendara.so calls the platform through its Windows API only: none of the platform's own
// C++ names is among its imports.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

std::string UndefinedDemangled(const std::string& file) {
  const std::string command = "nm -D --undefined-only -C '" + file + "' 2>/dev/null";
  std::string text;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return text;
  char chunk[4096];
  while (std::fgets(chunk, sizeof chunk, pipe)) text += chunk;
  pclose(pipe);
  return text;
}

TEST(RendaraImports, OnlyTheWindowsApiOfThePlatform) {
  const std::string text = UndefinedDemangled(KOVA_RENDARA_SO);
  ASSERT_NE(text.find("GetLastError"), std::string::npos) << "nm listed no imports";
  EXPECT_EQ(text.find("plat::"), std::string::npos) << text;
}

}  // namespace
