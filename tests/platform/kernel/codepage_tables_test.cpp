// The code pages beyond 1252 and 932: each converts both ways through its own table, names
// its lead bytes and default characters, and an unknown page is refused as Windows does.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "plat/codepage.h"
#include "plat/system.h"
#include "test_root.h"
#include "win/kernel.h"

namespace {

std::u16string ToWide(UINT cp, const std::string& bytes, DWORD flags = 0) {
  const int n = MultiByteToWideChar(cp, flags, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::u16string out(static_cast<std::size_t>(n > 0 ? n : 0), u'\0');
  if (n > 0) MultiByteToWideChar(cp, flags, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
  return out;
}

std::string ToBytes(UINT cp, const std::u16string& text, BOOL* used = nullptr) {
  const int n = WideCharToMultiByte(cp, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(cp, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, used);
  return out;
}

struct PageCase {
  const char* name;
  UINT cp;
  std::string bytes;    // text in the code page...
  std::u16string text;  // ...and the same text in UTF-16
  UINT maxCharSize;
  BYTE leadByte;     // a lead byte of the page (0: none)
  BYTE notLeadByte;  // a byte that is not one
};

class CodePageTables : public ::testing::TestWithParam<PageCase> {
 protected:
  kovatest::TempRoot root;
};

TEST_P(CodePageTables, ConvertsBothWaysAndDescribesItself) {
  const PageCase& c = GetParam();
  EXPECT_TRUE(IsValidCodePage(c.cp));
  EXPECT_EQ(ToWide(c.cp, c.bytes), c.text);
  EXPECT_EQ(ToWide(c.cp, c.bytes, MB_ERR_INVALID_CHARS), c.text);
  BOOL used = TRUE;
  EXPECT_EQ(ToBytes(c.cp, c.text, &used), c.bytes);
  EXPECT_FALSE(used);

  // A character the page lacks becomes its default character, and the caller learns it.
  const std::u16string lacking = c.cp == 874 ? u"a\u3042" : u"a\u0E01";
  used = FALSE;
  EXPECT_EQ(ToBytes(c.cp, lacking, &used), "a?");
  EXPECT_TRUE(used);

  if (c.leadByte) {
    EXPECT_TRUE(IsDBCSLeadByteEx(c.cp, c.leadByte));
  }
  EXPECT_FALSE(IsDBCSLeadByteEx(c.cp, c.notLeadByte));
  EXPECT_FALSE(IsDBCSLeadByteEx(c.cp, 'A'));

  CPINFO info;
  std::memset(&info, 0xEE, sizeof info);
  ASSERT_TRUE(GetCPInfo(c.cp, &info));
  EXPECT_EQ(info.MaxCharSize, c.maxCharSize);
  EXPECT_EQ(info.DefaultChar[0], '?');
  if (c.leadByte) {
    EXPECT_EQ(info.LeadByte[0], 0x81);
    EXPECT_GE(info.LeadByte[1], c.leadByte);
  } else {
    EXPECT_EQ(info.LeadByte[0], 0);
    EXPECT_EQ(info.LeadByte[1], 0);
  }

  CPINFOEXW ex;
  ASSERT_TRUE(GetCPInfoExW(c.cp, 0, &ex));
  EXPECT_EQ(ex.CodePage, c.cp);
  EXPECT_EQ(ex.MaxCharSize, c.maxCharSize);
  EXPECT_EQ(ex.UnicodeDefaultChar, c.leadByte ? u'\u30FB' : u'?');
  const std::u16string name(ex.CodePageName);
  const std::string number = std::to_string(c.cp);
  EXPECT_EQ(name.substr(0, number.size()), std::u16string(number.begin(), number.end()));
}

INSTANTIATE_TEST_SUITE_P(
    Pages, CodePageTables,
    ::testing::Values(
        PageCase{"gbk", 936, "\xD6\xD0\xCE\xC4" "A", u"\u4E2D\u6587A", 2, 0xD6, 0x80},
        PageCase{"korean", 949, "\xC7\xD1\xB1\xB9" "A", u"\uD55C\uAD6DA", 2, 0xC7, 0x80},
        PageCase{"big5", 950, "\xA4\xA4\xA4\xE5" "A", u"\u4E2D\u6587A", 2, 0xA4, 0x80},
        PageCase{"central_europe", 1250, "\xC8\xF8\x80", u"\u010C\u0159\u20AC", 1, 0, 0xC8},
        PageCase{"cyrillic", 1251, "\xC4\xFF", u"\u0414\u044F", 1, 0, 0xC4},
        PageCase{"latin1", 1252, "\x80\xE9\x81", u"\u20AC\u00E9\u0081", 1, 0, 0x82},
        PageCase{"greek", 1253, "\xD9\xE1", u"\u03A9\u03B1", 1, 0, 0xD9},
        PageCase{"turkish", 1254, "\xFE\xDD", u"\u015F\u0130", 1, 0, 0xFE},
        PageCase{"hebrew", 1255, "\xE0\x80", u"\u05D0\u20AC", 1, 0, 0xE0},
        PageCase{"arabic", 1256, "\x80", u"\u20AC", 1, 0, 0x80},
        PageCase{"baltic", 1257, "\xE0\x80", u"\u0105\u20AC", 1, 0, 0xE0},
        PageCase{"vietnamese", 1258, "\xFE\x80", u"\u20AB\u20AC", 1, 0, 0xFE},
        PageCase{"oem_multilingual", 850, "\x82\x80", u"\u00E9\u00C7", 1, 0, 0x82},
        PageCase{"oem_us", 437, "\x82\xB0", u"\u00E9\u2591", 1, 0, 0x82},
        PageCase{"thai", 874, "\xA1", u"\u0E01", 1, 0, 0xA1}),
    [](const auto& info) { return std::string(info.param.name); });

class CodePageRefusals : public ::testing::Test {
 protected:
  kovatest::TempRoot root;
};

TEST_F(CodePageRefusals, AnUnknownPageIsAnInvalidParameterEverywhere) {
  for (UINT cp : {12345u, 99u, 65535u}) {
    SCOPED_TRACE(cp);
    WCHAR wide[8];
    char bytes[8];
    CPINFO info;
    CPINFOEXW ex;
    EXPECT_FALSE(IsValidCodePage(cp));
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(cp, 0, "a", 1, wide, 8), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(cp, 0, u"a", 1, bytes, 8, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    SetLastError(0);
    EXPECT_FALSE(IsDBCSLeadByteEx(cp, 0x81));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    SetLastError(0);
    EXPECT_FALSE(GetCPInfo(cp, &info));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    SetLastError(0);
    EXPECT_FALSE(GetCPInfoExW(cp, 0, &ex));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  }
  CPINFOEXW ex;
  SetLastError(0);
  EXPECT_FALSE(GetCPInfoExW(1252, 1, &ex));  // the flags are reserved
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(CodePageRefusals, DoubleBytePagesRefuseALoneLeadByteOnlyWhenAsked) {
  WCHAR wide[8];
  for (UINT cp : {936u, 949u, 950u}) {
    SCOPED_TRACE(cp);
    EXPECT_EQ(MultiByteToWideChar(cp, 0, "A\xB0", 2, wide, 8), 2);
    EXPECT_EQ(wide[0], u'A');
    EXPECT_EQ(wide[1], u'\u30FB');
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, "A\xB0", 2, wide, 8), 0);
    EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
  }
}

TEST_F(CodePageRefusals, TheMachinesPageFollowsCpAcp) {
  plat::Machine().ansiCodePage = 936;
  EXPECT_EQ(ToWide(CP_ACP, "\xD6\xD0"), u"\u4E2D");
  EXPECT_TRUE(IsDBCSLeadByte(0xD6));
  CPINFOEXW ex;
  ASSERT_TRUE(GetCPInfoExW(CP_ACP, 0, &ex));
  EXPECT_EQ(ex.CodePage, 936u);
  plat::Machine().oemCodePage = 850;
  EXPECT_EQ(ToWide(CP_OEMCP, "\x82"), u"\u00E9");
  // A machine set to a page no table exists for still converts, as 1252, losing nothing.
  plat::Machine().ansiCodePage = 12345;
  EXPECT_EQ(plat::AnsiToWide("\x80" "a", CP_ACP), u"\u20ACa");
  EXPECT_EQ(plat::WideToAnsi(u"\u20ACa", CP_ACP), "\x80" "a");
}

TEST(CodePageCache, ThreadsFirstUsingAPageAllSeeOneTable) {
  kovatest::TempRoot root;
  std::vector<std::u16string> results(8);
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < results.size(); ++i)
    threads.emplace_back([&results, i] { results[i] = plat::AnsiToWide("\xB0\xA1\xC7\xD1", 949); });
  for (auto& t : threads) t.join();
  for (const auto& r : results) EXPECT_EQ(r, results[0]);
  EXPECT_EQ(results[0].size(), 2u);
}

}  // namespace
