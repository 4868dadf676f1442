// A sample printer installed on a terminal server (the test library of the driver folder
// answers yes), with the paths of its common and per-user INI files; the process runs as the
// default user again after each test.
#pragma once

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "base/ini_files.h"
#include "base/paths_and_names.h"
#include "base/system_checks.h"
#include "panelis_fixture.h"
#include "plat/users.h"
#include "build_paths.h"

namespace kovatest {

class TerminalServerPrinterTest : public SamplePrinterTest {
 protected:
  void SetUp() override {
    SamplePrinterTest::SetUp();
    std::filesystem::copy_file(kovatest::BuiltFile("termsvc_double"),
                               root_.HostPath(u"C:\\drv\\Termsvc.so"),
                               std::filesystem::copy_options::overwrite_existing);
    ResetSystemTestCaches();
    printer_ = Install(u"Shared Printer");
    ASSERT_TRUE(IsTerminalServerCached(printer_));
    WCHAR common[MAX_PATH + 1] = {};
    GetIniPathInSettingsDirFor(common, 0, 0, printer_, nullptr);
    common_ = common;
    ASSERT_FALSE(common_.empty());
  }
  void TearDown() override {
    plat::RunAsUser(u"KovaUser");
    SamplePrinterTest::TearDown();
  }
  // The per-printer INI of the user the process runs as.
  std::u16string UserIni() {
    WCHAR path[MAX_PATH + 1] = {};
    GetIniPathInSettingsDirFor(path, 0, 1, printer_, nullptr);
    return path;
  }
  static std::u16string Read(const std::u16string& ini, const std::u16string& section, const WCHAR* key) {
    WCHAR value[300] = {};
    ReadIniString(section.c_str(), key, u"<none>", value, 300, ini.c_str());
    return value;
  }
  HANDLE printer_ = nullptr;
  std::u16string common_;
};

}  // namespace kovatest
