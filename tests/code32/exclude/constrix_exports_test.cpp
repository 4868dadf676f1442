// The export table of Constrix.so and the library loaded as an outside program loads it.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "dynamic_symbols.h"
#include "constrix_fixture.h"
#include "win/loader.h"
#include "build_paths.h"

namespace kovatest {
namespace {

TEST(ConstrixExports, ExactlyTheTwentyFiveSettingsApiExports) {
  const std::set<std::string> expected = {
      "DllMain",           "ExcFreeExclusive",         "ExcGetCommandBase",      "ExcGetCommandChange",
      "ExcGetCommandValue", "ExcGetDriverDevmode",     "ExcGetExclusive",        "ExcGetIniFileName",
      "ExcGetPrinterOption", "ExcGetPrinterValue",     "ExcGetWaterMarkList",    "ExcSetCommandBase",
      "ExcUpdateCommand",  "KOVADrvCheckAPIVer",       "KOVADrvDisable",         "KOVADrvEnable",
      "KOVADrvGetCaps",    "KOVADrvGetDevmode",        "KOVADrvGetDevmodeEx",    "KOVADrvGetLastError",
      "KOVADrvGetStatus",  "KOVADrvInit",              "KOVADrvRestoreQualityData", "KOVADrvSaveQualityData",
      "KOVADrvSetStatus"};
  EXPECT_EQ(DefinedDynamicSymbols(kovatest::BuiltFile("Constrix")), expected);
}

class LoadedConstrix : public ApiPrinterTest {
 protected:
  void SetUp() override {
    ApiPrinterTest::SetUp();
    std::filesystem::copy_file(kovatest::BuiltFile("Constrix"), root_.HostPath(u"C:\\drv") + "/Constrix.so",
                               std::filesystem::copy_options::overwrite_existing);
    module_ = LoadLibraryW(u"C:\\drv\\Constrix.dll");
    ASSERT_NE(module_, nullptr);
  }
  void TearDown() override {
    if (module_) {
      EXPECT_TRUE(FreeLibrary(module_));
    }
    ApiPrinterTest::TearDown();
  }
  template <typename F>
  F Get(const char* name) {
    F f = ProcCast<F>(GetProcAddress(module_, name));
    EXPECT_NE(f, nullptr) << name;
    return f;
  }
  HMODULE module_ = nullptr;
};

using CheckFn = std::int32_t (*)(const char*);
using EnableFn = void* (*)(const char*);
using HandleFn = std::int32_t (*)(void*);
using InitFn = std::int32_t (*)(std::int32_t, const ApiInitInfo*);
using DevmodeFn = std::int32_t (*)(void*, std::int32_t, void*);
using CapsFn = std::int32_t (*)(void*, DWORD, void*);
using DriverDevmodeFn = std::int32_t (*)(const char*, std::int32_t, std::int32_t, void*, std::int32_t*);
using ExclusiveFn = void* (*)(const char*);

TEST_F(LoadedConstrix, AnOutsideProgramsSequenceThroughTheExports) {
  InstallApiPrinter();
  auto check = Get<CheckFn>("KOVADrvCheckAPIVer");
  auto enable = Get<EnableFn>("KOVADrvEnable");
  auto init = Get<InitFn>("KOVADrvInit");
  auto lastError = Get<HandleFn>("KOVADrvGetLastError");
  auto getDevmode = Get<DevmodeFn>("KOVADrvGetDevmode");
  auto save = Get<HandleFn>("KOVADrvSaveQualityData");
  auto restore = Get<HandleFn>("KOVADrvRestoreQualityData");
  auto caps = Get<CapsFn>("KOVADrvGetCaps");
  auto disable = Get<HandleFn>("KOVADrvDisable");
  ASSERT_TRUE(check && enable && init && lastError && getDevmode && save && restore && caps && disable);

  WriteApiVersion(-1);
  EXPECT_EQ(check(kPrinter), 3);  // no key
  WriteApiVersion(40);
  EXPECT_EQ(check(kPrinter), 16);  // above the maximum
  WriteApiVersion(2);
  EXPECT_EQ(check(kPrinter), 2);  // below: the current version follows at once
  WriteApiVersion(16);

  void* handle = enable(kPrinter);
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(lastError(handle), -1);  // version 3 keeps no last error
  const ApiInitInfo info{0, 12};
  EXPECT_EQ(init(1, &info), 1);
  EXPECT_EQ(init(1, nullptr), 0);
  EXPECT_EQ(lastError(handle), 0);
  EXPECT_EQ(caps(handle, 0, nullptr), 64);
  std::vector<BYTE> devmode(1236);
  for (std::int32_t mode : {1, 2, 4}) EXPECT_EQ(getDevmode(handle, mode, devmode.data()), 1236) << mode;
  EXPECT_EQ(getDevmode(handle, 0x10, devmode.data()), -1);
  EXPECT_EQ(lastError(handle), 1);
  EXPECT_EQ(save(handle), 1);
  EXPECT_EQ(restore(handle), 1);
  EXPECT_EQ(disable(handle), 1);
  EXPECT_EQ(disable(nullptr), 1);

  auto driverDevmode = Get<DriverDevmodeFn>("ExcGetDriverDevmode");
  std::vector<BYTE> ansi(1172);
  std::int32_t needed = 0;
  EXPECT_EQ(driverDevmode(kPrinter, 1, 1172, ansi.data(), &needed), 0);
  EXPECT_EQ(needed, 1172);
  // A command-base handle: a base set, read back, and the handle given back.
  using SetBaseFn = std::int32_t (*)(void*, const char*, std::int32_t*);
  using GetBaseFn = std::int32_t (*)(void*, std::int32_t, char*, std::int32_t*);
  using FreeFn = void (*)(void*);
  void* base = Get<ExclusiveFn>("ExcGetExclusive")(kPrinter);
  ASSERT_NE(base, nullptr);
  const std::string text =
      "@PJL SET APLPAGESIZE = A4 \r\n@PJL SET APLPAGELAYOUT = PORTRAIT \r\n@PJL SET PAPER = A4 \r\n"
      "@PJL SET TRAY = ALL \r\n@PJL SET COPIES = 2 \r\n";
  std::int32_t length = -1;
  EXPECT_EQ(Get<SetBaseFn>("ExcSetCommandBase")(base, text.c_str(), &length), 0);
  EXPECT_EQ(length, 0);
  std::vector<char> back(text.size() + 1);
  EXPECT_EQ(Get<GetBaseFn>("ExcGetCommandBase")(base, static_cast<std::int32_t>(back.size()), back.data(), &length), 0);
  EXPECT_EQ(std::string(back.data()), text);
  Get<FreeFn>("ExcFreeExclusive")(base);
  Get<FreeFn>("ExcFreeExclusive")(nullptr);
}

TEST_F(LoadedConstrix, DllMainAnswersTrueForEveryReason) {
  using DllMainFn = BOOL (*)(HINSTANCE, DWORD, LPVOID);
  auto dllMain = Get<DllMainFn>("DllMain");
  ASSERT_NE(dllMain, nullptr);
  for (DWORD reason : {2u, 3u}) EXPECT_TRUE(dllMain(module_, reason, nullptr)) << reason;
}

}  // namespace
}  // namespace kovatest
