#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "plat/system.h"
#include "plat/builtin_modules.h"
#include "plat/wstr.h"
#include "test_root.h"
#include "win/env.h"
#include "win/errors.h"
#include "win/loader.h"
#include "win/resources.h"
#include "build_paths.h"

namespace {

// LoaderDemo.so copied into the root; its DllMain logs to LOADERDEMO_LOG.
class LoaderRefcount : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::ResetEnvironment();
    Install(u"C:\\Drv\\LoaderDemo.so");
  }
  void Install(const std::u16string& winPath) {
    std::string host = root_.HostPath(winPath);
    std::filesystem::create_directories(std::filesystem::path(host).parent_path());
    std::filesystem::copy_file(kovatest::BuiltFile("LoaderDemo"), host, std::filesystem::copy_options::overwrite_existing);
  }
  std::u16string Log() {
    WCHAR buf[1024];
    DWORD n = GetEnvironmentVariableW(u"LOADERDEMO_LOG", buf, 1024);
    return n < 1024 ? std::u16string(buf, n) : u"?";
  }
  kovatest::TempRoot root_;
};

TEST_F(LoaderRefcount, AttachOnFirstLoadDetachOnLastFree) {
  GetModuleHandleW(nullptr);  // the host's own module is made on first use: not part of the count
  const std::size_t handles = plat::OpenHandleCount();
  HMODULE a = LoadLibraryW(u"C:\\Drv\\loaderdemo.dll");
  ASSERT_NE(a, nullptr) << plat::LastLoadDiagnostic();
  EXPECT_EQ(Log(), u"attach:LoaderDemo.dll;");  // DllMain could use its own handle
  HMODULE b = LoadLibraryW(u"C:\\DRV\\LOADERDEMO.DLL");
  EXPECT_EQ(b, a);
  EXPECT_EQ(GetModuleHandleW(u"LoaderDemo.dll"), a);
  EXPECT_EQ(GetModuleHandleW(u"c:\\drv\\loaderdemo"), a);
  EXPECT_TRUE(FreeLibrary(a));
  EXPECT_EQ(Log(), u"attach:LoaderDemo.dll;");  // one reference left
  EXPECT_EQ(GetModuleHandleW(u"LoaderDemo.dll"), a);
  EXPECT_TRUE(FreeLibrary(b));
  EXPECT_EQ(Log(), u"attach:LoaderDemo.dll;detach;");
  EXPECT_EQ(GetModuleHandleW(u"LoaderDemo.dll"), nullptr);
  EXPECT_EQ(plat::OpenHandleCount(), handles);
  SetLastError(0);
  EXPECT_FALSE(FreeLibrary(a));
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
  // A new load after the unload attaches a fresh copy.
  HMODULE c = LoadLibraryW(u"C:\\Drv\\LoaderDemo.dll");
  ASSERT_NE(c, nullptr);
  auto count = ProcCast<int (*)()>(GetProcAddress(c, "DemoAttachCount"));
  ASSERT_NE(count, nullptr);
  EXPECT_EQ(count(), 1);
  FreeLibrary(c);
}

TEST_F(LoaderRefcount, Exports) {
  HMODULE h = LoadLibraryW(u"C:\\Drv\\LoaderDemo.dll");
  ASSERT_NE(h, nullptr);
  auto add = ProcCast<int (*)(int, int)>(GetProcAddress(h, "DemoAdd"));
  ASSERT_NE(add, nullptr);
  EXPECT_EQ(add(2, 3), 5);
  struct Case {
    LPCSTR name;
    const char* why;
  };
  const Case missing[] = {
      {"DemoHidden", "not exported"},
      {"demoadd", "export names keep their case"},
      {"GetModuleFileNameW", "an export of a library the module uses, not of the module"},
      {"malloc", "the C library's"},
      {reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(1)), "an ordinal"},
      {nullptr, "ordinal 0"},
  };
  for (const auto& c : missing) {
    SetLastError(0);
    EXPECT_EQ(GetProcAddress(h, c.name), nullptr) << c.why;
    EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND) << c.why;
  }
  FreeLibrary(h);
  SetLastError(0);
  EXPECT_EQ(GetProcAddress(h, "DemoAdd"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
}

TEST_F(LoaderRefcount, RefusedAttachFailsTheLoad) {
  ASSERT_TRUE(SetEnvironmentVariableW(u"LOADERDEMO_REFUSE", u"1"));
  GetModuleHandleW(nullptr);  // the host's own module is made on first use: not part of the count
  const std::size_t handles = plat::OpenHandleCount();
  SetLastError(0);
  EXPECT_EQ(LoadLibraryW(u"C:\\Drv\\LoaderDemo.dll"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_DLL_INIT_FAILED);
  EXPECT_EQ(Log(), u"attach:LoaderDemo.dll;detach;");
  EXPECT_EQ(GetModuleHandleW(u"LoaderDemo.dll"), nullptr);
  EXPECT_EQ(plat::OpenHandleCount(), handles);
  ASSERT_TRUE(SetEnvironmentVariableW(u"LOADERDEMO_REFUSE", nullptr));
  HMODULE h = LoadLibraryW(u"C:\\Drv\\LoaderDemo.dll");
  ASSERT_NE(h, nullptr);
  FreeLibrary(h);
}

TEST_F(LoaderRefcount, TwoFilesAreTwoModulesDetachedInFreeOrder) {
  Install(u"C:\\Other\\LoaderDemo.so");
  HMODULE a = LoadLibraryW(u"C:\\Drv\\LoaderDemo.dll");
  HMODULE b = LoadLibraryW(u"C:\\Other\\LoaderDemo.dll");
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(a, b);
  // By bare name the module handle answers the first loaded one.
  EXPECT_EQ(GetModuleHandleW(u"loaderdemo.dll"), a);
  EXPECT_EQ(GetModuleHandleW(u"C:\\Other\\LoaderDemo.dll"), b);
  FreeLibrary(b);
  FreeLibrary(a);
  EXPECT_EQ(Log(), u"attach:LoaderDemo.dll;attach:LoaderDemo.dll;detach;detach;");
}

TEST_F(LoaderRefcount, ResourcesBesideTheSharedObject) {
  std::string host = root_.HostPath(u"C:\\Drv\\loaderDEMO.rc");
  std::filesystem::copy_file(kovatest::FixturePath("resources/LoaderDemo.rc"), host);
  HMODULE h = LoadLibraryW(u"C:\\Drv\\LoaderDemo.dll");
  ASSERT_NE(h, nullptr);
  WCHAR buf[64];
  EXPECT_EQ(LoadStringW(h, 7, buf, 64), 21);
  EXPECT_EQ(std::u16string(buf), u"Demo module with code");
  EXPECT_NE(GetProcAddress(h, "DemoAdd"), nullptr);
  FreeLibrary(h);
}

TEST_F(LoaderRefcount, DataFileRunsNoCode) {
  std::string host = root_.HostPath(u"C:\\Drv\\LoaderDemo.rc");
  std::filesystem::copy_file(kovatest::FixturePath("resources/LoaderDemo.rc"), host);
  HMODULE d = LoadLibraryExW(u"C:\\Drv\\LoaderDemo.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(Log(), u"");
  EXPECT_EQ(GetProcAddress(d, "DemoAdd"), nullptr);
  WCHAR buf[64];
  EXPECT_EQ(LoadStringW(d, 7, buf, 64), 21);
  EXPECT_EQ(GetModuleHandleW(u"LoaderDemo.dll"), nullptr);  // not loaded as a module
  // Loaded with its code, it is another module; a data-file request then shares it.
  HMODULE m = LoadLibraryW(u"C:\\Drv\\LoaderDemo.dll");
  ASSERT_NE(m, nullptr);
  EXPECT_NE(m, d);
  EXPECT_EQ(LoadLibraryExW(u"C:\\Drv\\LoaderDemo.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE), m);
  FreeLibrary(m);
  FreeLibrary(m);
  FreeLibrary(d);
  EXPECT_EQ(Log(), u"attach:LoaderDemo.dll;detach;");
  SetLastError(0);
  EXPECT_EQ(LoadLibraryExW(u"C:\\Drv\\LoaderDemo.dll", reinterpret_cast<HANDLE>(1), 0), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(LoaderRefcount, DontResolveSkipsDllMain) {
  HMODULE h = LoadLibraryExW(u"C:\\Drv\\LoaderDemo.dll", nullptr, DONT_RESOLVE_DLL_REFERENCES);
  ASSERT_NE(h, nullptr);
  EXPECT_NE(GetProcAddress(h, "DemoAdd"), nullptr);
  FreeLibrary(h);
  EXPECT_EQ(Log(), u"");
}

TEST_F(LoaderRefcount, ConcurrentLoadsShareOneModule) {
  HMODULE held = LoadLibraryW(u"C:\\Drv\\LoaderDemo.dll");
  ASSERT_NE(held, nullptr);
  std::vector<std::thread> threads;
  std::vector<int> wrong(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t, held, &wrong] {
      for (int i = 0; i < 200; ++i) {
        HMODULE h = LoadLibraryW(u"c:\\drv\\loaderdemo.dll");
        if (h != held || !GetProcAddress(h, "DemoAdd") || !FreeLibrary(h)) ++wrong[t];
      }
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(wrong, std::vector<int>(4, 0));
  EXPECT_EQ(Log(), u"attach:LoaderDemo.dll;");
  EXPECT_TRUE(FreeLibrary(held));
  EXPECT_EQ(Log(), u"attach:LoaderDemo.dll;detach;");
  EXPECT_EQ(GetModuleHandleW(u"LoaderDemo.dll"), nullptr);
}

}  // namespace
