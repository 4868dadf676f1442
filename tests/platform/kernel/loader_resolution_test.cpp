#include <gtest/gtest.h>

#include <string>

#include "plat/paths.h"
#include "plat/builtin_modules.h"
#include "plat/wstr.h"
#include "test_root.h"
#include "plat/system.h"
#include "win/env.h"
#include "win/errors.h"
#include "win/loader.h"
#include "win/resources.h"

namespace {

// A resource module whose string 1 says where it lies.
void PutModule(const kovatest::TempRoot& root, const std::u16string& winPath, const std::string& text) {
  root.WriteFile(winPath, "STRINGTABLE BEGIN 1 \"" + text + "\" END\n");
}

std::u16string String1(HMODULE h) {
  WCHAR buf[64];
  int n = LoadStringW(h, 1, buf, 64);
  return std::u16string(buf, static_cast<std::size_t>(n));
}

std::u16string FileName(HMODULE h) {
  WCHAR buf[MAX_PATH];
  DWORD n = GetModuleFileNameW(h, buf, MAX_PATH);
  return std::u16string(buf, n);
}

TEST(LoaderResolution, DllNameServedByResourceScriptWithoutCase) {
  kovatest::TempRoot root;
  PutModule(root, u"C:\\Drv\\UiRes_us.rc", "drv");
  HMODULE h = LoadLibraryW(u"c:\\DRV\\uires_US.DLL");
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(String1(h), u"drv");
  // The folder and the stem as on disk, the extension as asked for.
  EXPECT_EQ(FileName(h), u"C:\\Drv\\UiRes_us.DLL");
  // A resource module has no code.
  SetLastError(0);
  EXPECT_EQ(GetProcAddress(h, "DllMain"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
  EXPECT_TRUE(FreeLibrary(h));
}

TEST(LoaderResolution, SearchOrderForBareNames) {
  kovatest::TempRoot root;
  plat::ResetEnvironment();
  plat::SetCurrentDirectoryPath(u"C:\\Work");
  ASSERT_TRUE(SetEnvironmentVariableW(u"PATH", u"C:\\Windows\\system32;C:\\Windows; C:\\Tools ;C:\\More"));
  plat::SetHostExecutablePath(u"C:\\App\\host.exe");
  // Each place in turn holds the module; the earliest place that has it wins.
  const std::u16string places[] = {u"C:\\App", u"C:\\Windows\\system32", u"C:\\Windows", u"C:\\Work", u"C:\\Tools",
                                   u"C:\\More"};
  for (const auto& p : places) PutModule(root, p + u"\\Probe.rc", plat::ToUtf8(p));
  for (const auto& expected : places) {
    HMODULE h = LoadLibraryW(u"probe.dll");
    ASSERT_NE(h, nullptr) << plat::ToUtf8(expected);
    EXPECT_EQ(String1(h), expected);
    EXPECT_EQ(FileName(h), expected + u"\\Probe.dll");
    EXPECT_TRUE(FreeLibrary(h));
    std::string host;
    ASSERT_EQ(plat::MapPath((expected + u"\\Probe.rc").c_str(), host), ERROR_SUCCESS);
    ASSERT_EQ(::remove(host.c_str()), 0);
  }
  SetLastError(0);
  EXPECT_EQ(LoadLibraryW(u"probe.dll"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
  plat::SetHostExecutablePath(u"");
}

TEST(LoaderResolution, PathWithFolderLoadsFromThereOnly) {
  kovatest::TempRoot root;
  PutModule(root, u"C:\\Windows\\system32\\Only.rc", "system");
  SetLastError(0);
  EXPECT_EQ(LoadLibraryW(u"C:\\Elsewhere\\Only.dll"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
  // Relative paths with a folder start at the current directory.
  PutModule(root, u"C:\\Work\\sub\\Rel.rc", "relative");
  plat::SetCurrentDirectoryPath(u"C:\\Work");
  HMODULE h = LoadLibraryW(u"sub\\rel.dll");
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(FileName(h), u"C:\\Work\\sub\\Rel.dll");
  FreeLibrary(h);
}

TEST(LoaderResolution, ExtensionRules) {
  kovatest::TempRoot root;
  PutModule(root, u"C:\\Windows\\system32\\NoExt.rc", "noext");
  PutModule(root, u"C:\\Windows\\system32\\Printer.rc", "drv");
  struct Case {
    const char16_t* name;
    const char16_t* fileName;  // null: not found
  };
  const Case cases[] = {
      {u"NoExt", u"C:\\Windows\\system32\\NoExt.dll"},   // ".dll" is added
      {u"NoExt.", u"C:\\Windows\\system32\\NoExt"},      // a final '.' means no extension
      {u"printer.drv", u"C:\\Windows\\system32\\Printer.drv"},
      {u"NoExt.dll.bak", nullptr},
      {u"", nullptr},
  };
  for (const auto& c : cases) {
    SetLastError(0);
    HMODULE h = LoadLibraryW(c.name);
    if (!c.fileName) {
      EXPECT_EQ(h, nullptr);
      EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
      continue;
    }
    ASSERT_NE(h, nullptr) << plat::ToUtf8(c.name);
    EXPECT_EQ(FileName(h), c.fileName);
    FreeLibrary(h);
  }
  EXPECT_EQ(LoadLibraryW(nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(LoaderResolution, BrokenScriptFailsTheLoad) {
  kovatest::TempRoot root;
  root.WriteFile(u"C:\\Drv\\Broken.rc", "STRINGTABLE BEGIN\n 1 \"a\"\n 1 \"b\"\nEND\n");
  SetLastError(0);
  EXPECT_EQ(LoadLibraryW(u"C:\\Drv\\Broken.dll"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_BAD_EXE_FORMAT);
  EXPECT_EQ(plat::LastLoadDiagnostic(), "Broken.rc(3): duplicate string id 1");
}

TEST(LoaderResolution, AnsiNames) {
  kovatest::TempRoot root;
  PutModule(root, u"C:\\Drv\\Ansi.rc", "ansi");
  HMODULE h = LoadLibraryA("C:\\Drv\\ANSI.dll");
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(GetModuleHandleA("ansi.DLL"), h);
  char buf[MAX_PATH];
  EXPECT_EQ(GetModuleFileNameA(h, buf, MAX_PATH), 15u);
  EXPECT_STREQ(buf, "C:\\Drv\\Ansi.dll");
  FreeLibrary(h);
}

}  // namespace
