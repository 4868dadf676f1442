// A fresh system root and a clean window system for each window-system test, with a
// resource module written from script text.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "plat/ui_driver.h"
#include "test_root.h"
#include "win/loader.h"

namespace kovatest {

class UiTest : public ::testing::Test {
 protected:
  void SetUp() override { plat::ui::Reset(); }
  void TearDown() override {
    plat::ui::Reset();
    for (HMODULE m : modules_) FreeLibrary(m);
  }

  // Writes C:\ui\<name>.rc and loads it as the module <name>.dll.
  HMODULE LoadScript(const std::u16string& name, const std::string& script) {
    root_.WriteFile(u"C:\\ui\\" + name + u".rc", script);
    HMODULE m = LoadLibraryW((u"C:\\ui\\" + name + u".dll").c_str());
    EXPECT_NE(m, nullptr);
    if (m) modules_.push_back(m);
    return m;
  }

  TempRoot root_;
  std::vector<HMODULE> modules_;
};

}  // namespace kovatest
