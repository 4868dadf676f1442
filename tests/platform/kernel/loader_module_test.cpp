#include <gtest/gtest.h>

#include <string>

#include "plat/builtin_modules.h"
#include "plat/wstr.h"
#include "test_root.h"
#include "win/errors.h"
#include "win/loader.h"

namespace {

TEST(LoaderModule, FileNameTruncation) {
  kovatest::TempRoot root;
  root.WriteFile(u"C:\\Drv\\Trunc.rc", "");
  HMODULE h = LoadLibraryW(u"C:\\Drv\\Trunc.dll");
  ASSERT_NE(h, nullptr);
  const std::u16string full = u"C:\\Drv\\Trunc.dll";  // 16 characters
  struct Case {
    DWORD size;
    DWORD answer;
    DWORD error;  // 0: not changed
    const char16_t* text;
  };
  const Case cases[] = {
      {17, 16, 0, u"C:\\Drv\\Trunc.dll"},
      {16, 16, ERROR_INSUFFICIENT_BUFFER, u"C:\\Drv\\Trunc.dl"},  // nSize - 1 characters and a NUL
      {4, 4, ERROR_INSUFFICIENT_BUFFER, u"C:\\"},
      {1, 1, ERROR_INSUFFICIENT_BUFFER, u""},
      {0, 0, ERROR_INSUFFICIENT_BUFFER, u"###############################"},  // nothing written
  };
  for (const auto& c : cases) {
    WCHAR buf[32];
    std::fill(std::begin(buf), std::end(buf), u'#');
    buf[31] = 0;
    SetLastError(12345);
    EXPECT_EQ(GetModuleFileNameW(h, buf, c.size), c.answer) << c.size;
    EXPECT_EQ(GetLastError(), c.error ? c.error : 12345u) << c.size;
    EXPECT_EQ(std::u16string(buf), c.text) << c.size;
  }
  char a[8];
  EXPECT_EQ(GetModuleFileNameA(h, a, 8), 8u);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_STREQ(a, "C:\\Drv\\");
  FreeLibrary(h);
  SetLastError(0);
  WCHAR buf[8];
  EXPECT_EQ(GetModuleFileNameW(h, buf, 8), 0u);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
}

TEST(LoaderModule, HostExecutableModule) {
  kovatest::TempRoot root;
  HMODULE host = GetModuleHandleW(nullptr);
  ASSERT_NE(host, nullptr);
  EXPECT_EQ(GetModuleHandleW(nullptr), host);
  plat::SetHostExecutablePath(u"C:\\Program Files\\Kova\\drvhost.exe");
  WCHAR buf[MAX_PATH];
  EXPECT_EQ(GetModuleFileNameW(nullptr, buf, MAX_PATH), 33u);
  EXPECT_EQ(std::u16string(buf), u"C:\\Program Files\\Kova\\drvhost.exe");
  EXPECT_EQ(GetModuleHandleW(u"DRVHOST.EXE"), host);
  EXPECT_TRUE(FreeLibrary(host));  // the executable stays
  EXPECT_EQ(GetModuleHandleW(nullptr), host);
  EXPECT_EQ(GetProcAddress(nullptr, "GetModuleFileNameW"), nullptr);
  plat::SetHostExecutablePath(u"");
  // Unknown: a name in the system directory after the program.
  ASSERT_GT(GetModuleFileNameW(host, buf, MAX_PATH), 0u);
  EXPECT_EQ(std::u16string(buf).rfind(u"C:\\Windows\\system32\\", 0), 0u);
}

TEST(LoaderModule, HandleQueries) {
  kovatest::TempRoot root;
  SetLastError(0);
  EXPECT_EQ(GetModuleHandleW(u"never-loaded.dll"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
  EXPECT_FALSE(DisableThreadLibraryCalls(reinterpret_cast<HMODULE>(0x7777)));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  root.WriteFile(u"C:\\Drv\\Q.rc", "");
  HMODULE h = LoadLibraryW(u"C:\\Drv\\Q.dll");
  ASSERT_NE(h, nullptr);
  EXPECT_TRUE(DisableThreadLibraryCalls(h));
  EXPECT_EQ(GetModuleHandleW(u"q"), h);
  EXPECT_EQ(GetModuleHandleW(u"C:\\DRV\\Q.DLL"), h);
  EXPECT_EQ(GetModuleHandleW(u"C:\\Other\\Q.dll"), nullptr);
  FreeLibrary(h);
}

}  // namespace
