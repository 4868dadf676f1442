// Rendara.so calls the platform through its Windows API only: none of the platform's own
// C++ names is among its imports.
#include <gtest/gtest.h>

#include <string>

#include "dynamic_symbols.h"
#include "build_paths.h"

namespace {

TEST(RendaraImports, OnlyTheWindowsApiOfThePlatform) {
  const std::string text = kovatest::ImportedNamesText(kovatest::BuiltFile("Rendara"));
  ASSERT_NE(text.find("GetLastError"), std::string::npos) << "nm listed no imports";
  EXPECT_EQ(text.find("plat::"), std::string::npos) << text;
}

}  // namespace
