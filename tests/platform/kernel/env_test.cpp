#include <gtest/gtest.h>

#include <string>

#include "plat/system.h"
#include "test_root.h"
#include "win/env.h"
#include "win/errors.h"

namespace {

std::u16string Get(const char16_t* name) {
  WCHAR buf[512];
  DWORD n = GetEnvironmentVariableW(name, buf, 512);
  return n > 0 && n < 512 ? std::u16string(buf, n) : std::u16string();
}

TEST(EnvVariables, InitialEnvironmentOfTheRoot) {
  kovatest::TempRoot root;
  plat::ResetEnvironment();
  EXPECT_EQ(Get(u"PATH"), u"C:\\Windows\\system32;C:\\Windows");
  EXPECT_EQ(Get(u"SystemRoot"), u"C:\\Windows");
  EXPECT_EQ(Get(u"windir"), u"C:\\Windows");
  EXPECT_EQ(Get(u"USERNAME"), plat::Machine().userName);
  EXPECT_EQ(Get(u"USERPROFILE"), plat::UserProfileDirectory());
  EXPECT_EQ(Get(u"TEMP"), plat::UserProfileDirectory() + u"\\AppData\\Local\\Temp");
}

TEST(EnvVariables, RebuiltForANewRoot) {
  {
    kovatest::TempRoot first;
    ASSERT_TRUE(SetEnvironmentVariableW(u"KOVA_LEFTOVER", u"1"));
  }
  kovatest::TempRoot second;
  EXPECT_EQ(GetEnvironmentVariableW(u"KOVA_LEFTOVER", nullptr, 0), 0u);
  EXPECT_EQ(GetLastError(), ERROR_ENVVAR_NOT_FOUND);
}

TEST(EnvVariables, SizeProtocol) {
  kovatest::TempRoot root;
  ASSERT_TRUE(SetEnvironmentVariableW(u"Kova_Size", u"abcde"));  // 5 characters
  struct Case {
    DWORD size;
    DWORD answer;
    const char16_t* buffer;  // what the buffer holds afterwards
  };
  const Case cases[] = {
      {0, 6, u"#######"},  // too small: the size needed with the NUL, buffer untouched
      {5, 6, u"#######"},  // room for the characters but not the NUL
      {6, 5, u"abcde"},    // exact fit: the length without the NUL
      {7, 5, u"abcde"},
  };
  for (const auto& c : cases) {
    WCHAR buf[8] = u"#######";
    EXPECT_EQ(GetEnvironmentVariableW(u"KOVA_SIZE", buf, c.size), c.answer) << c.size;
    EXPECT_EQ(std::u16string(buf), c.buffer) << c.size;
  }
  EXPECT_EQ(GetEnvironmentVariableW(u"KOVA_SIZE", nullptr, 0), 6u);

  SetLastError(0);
  WCHAR buf[8];
  EXPECT_EQ(GetEnvironmentVariableW(u"Kova_Missing", buf, 8), 0u);
  EXPECT_EQ(GetLastError(), ERROR_ENVVAR_NOT_FOUND);
}

TEST(EnvVariables, EmptyValueIsNotMissing) {
  kovatest::TempRoot root;
  ASSERT_TRUE(SetEnvironmentVariableW(u"KOVA_EMPTY", u""));
  WCHAR buf[4] = u"xyz";
  SetLastError(99);
  EXPECT_EQ(GetEnvironmentVariableW(u"kova_empty", buf, 4), 0u);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  EXPECT_EQ(buf[0], 0);
  EXPECT_EQ(GetEnvironmentVariableW(u"kova_empty", nullptr, 0), 1u);
}

TEST(EnvVariables, SetReplacesAndNullValueDeletes) {
  kovatest::TempRoot root;
  ASSERT_TRUE(SetEnvironmentVariableW(u"Kova_Var", u"one"));
  ASSERT_TRUE(SetEnvironmentVariableW(u"KOVA_VAR", u"two"));  // same variable, any case
  EXPECT_EQ(Get(u"kova_var"), u"two");
  // The block keeps one entry, under the name first given.
  LPWSTR block = GetEnvironmentStringsW();
  ASSERT_NE(block, nullptr);
  int entries = 0;
  for (const WCHAR* p = block; *p; p += std::u16string(p).size() + 1)
    if (std::u16string(p).rfind(u"Kova_Var=", 0) == 0) ++entries;
    else EXPECT_NE(std::u16string(p).rfind(u"KOVA_VAR=", 0), 0u);
  EXPECT_EQ(entries, 1);
  FreeEnvironmentStringsW(block);

  ASSERT_TRUE(SetEnvironmentVariableW(u"kova_VAR", nullptr));
  EXPECT_EQ(GetEnvironmentVariableW(u"Kova_Var", nullptr, 0), 0u);
  EXPECT_EQ(GetLastError(), ERROR_ENVVAR_NOT_FOUND);
}

TEST(EnvVariables, BadNamesAreRefused) {
  kovatest::TempRoot root;
  const char16_t* bad[] = {nullptr, u"", u"A=B"};
  for (const char16_t* name : bad) {
    SetLastError(0);
    EXPECT_FALSE(SetEnvironmentVariableW(name, u"x"));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  }
}

TEST(EnvVariables, Expansion) {
  kovatest::TempRoot root;
  ASSERT_TRUE(SetEnvironmentVariableW(u"KOVA_DIR", u"D:\\Data"));
  struct Case {
    const char16_t* in;
    const char16_t* out;
  };
  const Case cases[] = {
      {u"%kova_dir%\\x.ini", u"D:\\Data\\x.ini"},
      {u"%SystemRoot%\\spool", u"C:\\Windows\\spool"},
      {u"%KOVA_UNDEFINED%\\x", u"%KOVA_UNDEFINED%\\x"},          // unknown: kept as it is
      {u"%KOVA_UNDEFINED%KOVA_DIR%", u"%KOVA_UNDEFINEDD:\\Data"},  // its closing '%' opens the next name
      {u"100%", u"100%"},
      {u"%%", u"%%"},
      {u"no references", u"no references"},
      {u"", u""},
  };
  for (const auto& c : cases) {
    const std::u16string want(c.out);
    WCHAR buf[128];
    EXPECT_EQ(ExpandEnvironmentStringsW(c.in, buf, 128), want.size() + 1) << std::string(want.begin(), want.end());
    EXPECT_EQ(std::u16string(buf), want);
  }
}

TEST(EnvVariables, ExpansionSizeProtocol) {
  kovatest::TempRoot root;
  ASSERT_TRUE(SetEnvironmentVariableW(u"KOVA_DIR", u"D:\\Data"));
  WCHAR buf[16] = u"untouched";
  // "D:\Data\x" is 9 characters: 10 with the NUL.
  EXPECT_EQ(ExpandEnvironmentStringsW(u"%KOVA_DIR%\\x", buf, 9), 10u);
  EXPECT_EQ(std::u16string(buf), u"untouched");
  EXPECT_EQ(ExpandEnvironmentStringsW(u"%KOVA_DIR%\\x", nullptr, 0), 10u);
  EXPECT_EQ(ExpandEnvironmentStringsW(u"%KOVA_DIR%\\x", buf, 10), 10u);
  EXPECT_EQ(std::u16string(buf), u"D:\\Data\\x");
  EXPECT_EQ(ExpandEnvironmentStringsW(nullptr, buf, 10), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(EnvVariables, AnsiFormsCountBytes) {
  kovatest::TempRoot root;
  plat::Machine().ansiCodePage = 932;
  // U+3042 (HIRAGANA A) is two bytes in code page 932.
  ASSERT_TRUE(SetEnvironmentVariableW(u"KOVA_JP", u"\u3042b"));
  char buf[8] = "#######";
  EXPECT_EQ(GetEnvironmentVariableA("kova_jp", buf, 3), 4u);  // 3 bytes + NUL needed
  EXPECT_EQ(GetEnvironmentVariableA("kova_jp", buf, 4), 3u);
  EXPECT_EQ(std::string(buf), "\x82\xa0" "b");
  ASSERT_TRUE(SetEnvironmentVariableA("KOVA_A", "x\x82\xa0"));
  WCHAR w[8];
  EXPECT_EQ(GetEnvironmentVariableW(u"KOVA_A", w, 8), 2u);
  EXPECT_EQ(std::u16string(w), u"x\u3042");
  char e[16];
  EXPECT_EQ(ExpandEnvironmentStringsA("<%KOVA_JP%>", e, 16), 6u);
  EXPECT_EQ(std::string(e), "<\x82\xa0" "b>");
  plat::Machine().ansiCodePage = 1252;
}

}  // namespace
