// Rendara.so as the graphics engine sees it: the export table, DrvQueryDriverInfo,
// DrvEnableDriver's checks and the DDI table it hands out.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>

#include "dynamic_symbols.h"
#include "test_root.h"
#include "win/errors.h"
#include "win/loader.h"
#include "win/winddi.h"
#include "build_paths.h"

namespace rendara {
namespace {

using kovatest::DefinedDynamicSymbols;


TEST(RendaraExports, ExactlyTheFourDriverExports) {
  const std::set<std::string> expected = {"DllMain", "DrvDisableDriver", "DrvEnableDriver", "DrvQueryDriverInfo"};
  EXPECT_EQ(DefinedDynamicSymbols(kovatest::BuiltFile("Rendara")), expected);
}

class LoadedRendara : public ::testing::Test {
 protected:
  void SetUp() override {
    root_.WriteFile(u"C:\\drv\\readme.txt", "");
    std::filesystem::copy_file(kovatest::BuiltFile("Rendara"), root_.HostPath(u"C:\\drv") + "/Rendara.so",
                               std::filesystem::copy_options::overwrite_existing);
    module_ = LoadLibraryW(u"C:\\drv\\Rendara.dll");
    ASSERT_NE(module_, nullptr);
    enable_ = ProcCast<PFN_DrvEnableDriver>(GetProcAddress(module_, "DrvEnableDriver"));
    query_ = ProcCast<PFN_DrvQueryDriverInfo>(GetProcAddress(module_, "DrvQueryDriverInfo"));
    ASSERT_NE(enable_, nullptr);
    ASSERT_NE(query_, nullptr);
  }
  void TearDown() override {
    if (module_) {
      EXPECT_TRUE(FreeLibrary(module_));
    }
  }
  kovatest::TempRoot root_;
  HMODULE module_ = nullptr;
  PFN_DrvEnableDriver enable_ = nullptr;
  PFN_DrvQueryDriverInfo query_ = nullptr;
};

TEST_F(LoadedRendara, EnableDriverChecksVersionAndSize) {
  struct Case {
    ULONG version;
    ULONG size;
    BOOL result;
    DWORD error;
  } cases[] = {
      {0x20000, 12, TRUE, 0},
      {0x30100, sizeof(DRVENABLEDATA), TRUE, 0},
      {0x1FFFF, sizeof(DRVENABLEDATA), FALSE, 119},  // ERROR_BAD_DRIVER_LEVEL
      {0x20000, 11, FALSE, ERROR_INVALID_PARAMETER},
      {0, 0, FALSE, 119},
  };
  for (const Case& c : cases) {
    DRVENABLEDATA data{};
    SetLastError(0);
    EXPECT_EQ(enable_(c.version, c.size, &data), c.result) << std::hex << c.version << " " << c.size;
    if (c.result) {
      EXPECT_EQ(data.iDriverVersion, 0x30000u);
      EXPECT_EQ(data.c, 30u);
    } else {
      EXPECT_EQ(GetLastError(), c.error);
      EXPECT_EQ(data.c, 0u);
    }
  }
}

TEST_F(LoadedRendara, DdiTableOrderAndIndexes) {
  DRVENABLEDATA data{};
  ASSERT_TRUE(enable_(DDI_DRIVER_VERSION_NT5_01, sizeof data, &data));
  ASSERT_EQ(data.c, 30u);
  ASSERT_NE(data.pdrvfn, nullptr);
  const ULONG expected[30] = {0, 2, 1, 7, 3, 4, 33, 32, 35, 34, 57, 58, 18, 20, 14,
                              15, 16, 12, 24, 37, 13, 19, 26, 28, 27, 64, 65, 69, 53, 23};
  std::set<PFN> functions;
  for (ULONG i = 0; i < 30; ++i) {
    EXPECT_EQ(data.pdrvfn[i].iFunc, expected[i]) << "entry " << i;
    EXPECT_NE(data.pdrvfn[i].pfn, nullptr) << "entry " << i;
    functions.insert(data.pdrvfn[i].pfn);
  }
  EXPECT_EQ(functions.size(), 30u);  // every entry has its own function
}

TEST_F(LoadedRendara, QueryDriverInfo) {
  DWORD value = 0;
  DWORD needed = 0;
  SetLastError(0);
  EXPECT_FALSE(query_(DRVQUERY_USERMODE, &value, 3, &needed));
  EXPECT_EQ(needed, 4u);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_TRUE(query_(DRVQUERY_USERMODE, &value, 4, &needed));
  EXPECT_EQ(value, 1u);
  SetLastError(0);
  EXPECT_FALSE(query_(2, &value, 4, &needed));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

}  // namespace
}  // namespace rendara
