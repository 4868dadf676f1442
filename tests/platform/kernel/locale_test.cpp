#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "plat/system.h"
#include "test_root.h"
#include "win/kernel.h"

namespace {

class KernelLocale : public ::testing::Test {
 protected:
  kovatest::TempRoot root;
  static std::u16string Info(LCID lcid, LCTYPE type) {
    WCHAR buf[64] = {};
    const int n = GetLocaleInfoW(lcid, type, buf, 64);
    return n > 0 ? std::u16string(buf, n - 1) : u"<fail>";
  }
};

TEST_F(KernelLocale, DefaultsFollowTheMachine) {
  EXPECT_EQ(GetUserDefaultLCID(), 0x409u);
  EXPECT_EQ(GetSystemDefaultLCID(), 0x409u);
  plat::Machine().userLcid = 0x411;
  plat::Machine().systemLcid = 0x407;
  EXPECT_EQ(GetUserDefaultLCID(), 0x411u);
  EXPECT_EQ(GetUserDefaultLangID(), 0x411);
  EXPECT_EQ(GetUserDefaultUILanguage(), 0x411);
  EXPECT_EQ(GetSystemDefaultUILanguage(), 0x407);
  EXPECT_EQ(GetSystemDefaultLangID(), 0x407);
  EXPECT_EQ(GetThreadLocale(), 0x411u);
  EXPECT_EQ(Info(LOCALE_USER_DEFAULT, LOCALE_SISO639LANGNAME), u"ja");
  EXPECT_EQ(Info(LOCALE_SYSTEM_DEFAULT, LOCALE_SISO639LANGNAME), u"de");
  EXPECT_TRUE(SetThreadLocale(0x40C));
  EXPECT_EQ(GetThreadLocale(), 0x40Cu);
  EXPECT_FALSE(SetThreadLocale(0x9999));
}

TEST_F(KernelLocale, ThreadLocaleStartsOverInANewRoot) {
  ASSERT_TRUE(SetThreadLocale(0x407));
  EXPECT_EQ(GetThreadLocale(), 0x407u);
  kovatest::TempRoot other;
  EXPECT_EQ(GetThreadLocale(), 0x409u);
}

struct LocaleCase {
  LCID lcid;
  const char16_t* iso639;
  const char16_t* iso3166;
  const char16_t* country;
  const char16_t* ansiCp;
  const char16_t* engLanguage;
  const char16_t* abbrev;
  const char16_t* decimal;
  const char16_t* measure;
};

class KernelLocaleTable : public KernelLocale, public ::testing::WithParamInterface<LocaleCase> {};

TEST_P(KernelLocaleTable, Values) {
  const auto& c = GetParam();
  EXPECT_EQ(Info(c.lcid, LOCALE_SISO639LANGNAME), c.iso639);
  EXPECT_EQ(Info(c.lcid, LOCALE_SISO3166CTRYNAME), c.iso3166);
  EXPECT_EQ(Info(c.lcid, LOCALE_ICOUNTRY), c.country);
  EXPECT_EQ(Info(c.lcid, LOCALE_IDEFAULTANSICODEPAGE), c.ansiCp);
  EXPECT_EQ(Info(c.lcid, LOCALE_SENGLANGUAGE), c.engLanguage);
  EXPECT_EQ(Info(c.lcid, LOCALE_SABBREVLANGNAME), c.abbrev);
  EXPECT_EQ(Info(c.lcid, LOCALE_SDECIMAL), c.decimal);
  EXPECT_EQ(Info(c.lcid, LOCALE_IMEASURE), c.measure);
  EXPECT_NE(Info(c.lcid, LOCALE_SENGCOUNTRY), u"<fail>");
  EXPECT_TRUE(IsValidLocale(c.lcid, 0));
}

INSTANTIATE_TEST_SUITE_P(
    Locales, KernelLocaleTable,
    ::testing::Values(LocaleCase{0x409, u"en", u"US", u"1", u"1252", u"English", u"ENU", u".", u"1"},
                      LocaleCase{0x809, u"en", u"GB", u"44", u"1252", u"English", u"ENG", u".", u"0"},
                      LocaleCase{0x411, u"ja", u"JP", u"81", u"932", u"Japanese", u"JPN", u".", u"0"},
                      LocaleCase{0x407, u"de", u"DE", u"49", u"1252", u"German", u"DEU", u",", u"0"},
                      LocaleCase{0x40C, u"fr", u"FR", u"33", u"1252", u"French", u"FRA", u",", u"0"},
                      LocaleCase{0x410, u"it", u"IT", u"39", u"1252", u"Italian", u"ITA", u",", u"0"},
                      LocaleCase{0x40A, u"es", u"ES", u"34", u"1252", u"Spanish", u"ESP", u",", u"0"},
                      LocaleCase{0xC0A, u"es", u"ES", u"34", u"1252", u"Spanish", u"ESN", u",", u"0"},
                      LocaleCase{0x413, u"nl", u"NL", u"31", u"1252", u"Dutch", u"NLD", u",", u"0"},
                      LocaleCase{0x804, u"zh", u"CN", u"86", u"936", u"Chinese", u"CHS", u".", u"0"},
                      LocaleCase{0x404, u"zh", u"TW", u"886", u"950", u"Chinese", u"CHT", u".", u"0"},
                      LocaleCase{0x412, u"ko", u"KR", u"82", u"949", u"Korean", u"KOR", u".", u"0"}));

TEST_F(KernelLocale, SizeProtocol) {
  // Size query: the length with the NUL.
  EXPECT_EQ(GetLocaleInfoW(0x409, LOCALE_SENGLANGUAGE, nullptr, 0), 8);
  WCHAR buf[8];
  EXPECT_EQ(GetLocaleInfoW(0x409, LOCALE_SENGLANGUAGE, buf, 8), 8);
  EXPECT_EQ(std::u16string(buf), u"English");
  SetLastError(0);
  EXPECT_EQ(GetLocaleInfoW(0x409, LOCALE_SENGLANGUAGE, buf, 7), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(GetLocaleInfoW(0x409, LOCALE_SENGLANGUAGE, nullptr, 8), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(GetLocaleInfoW(0x409, LOCALE_SENGLANGUAGE, buf, -1), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(GetLocaleInfoW(0x9999, LOCALE_SENGLANGUAGE, buf, 8), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(GetLocaleInfoW(0x409, 0x7777, buf, 8), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_FLAGS);
}

TEST_F(KernelLocale, ReturnNumber) {
  DWORD value = 0;
  EXPECT_EQ(GetLocaleInfoW(0x411, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                           reinterpret_cast<LPWSTR>(&value), sizeof value / sizeof(WCHAR)),
            2);
  EXPECT_EQ(value, 932u);
  EXPECT_EQ(GetLocaleInfoW(0x409, LOCALE_IMEASURE | LOCALE_RETURN_NUMBER, reinterpret_cast<LPWSTR>(&value), 2), 2);
  EXPECT_EQ(value, 1u);
  EXPECT_EQ(GetLocaleInfoW(0x409, LOCALE_IMEASURE | LOCALE_RETURN_NUMBER, nullptr, 0), 2);
  SetLastError(0);
  EXPECT_EQ(GetLocaleInfoW(0x409, LOCALE_IMEASURE | LOCALE_RETURN_NUMBER, reinterpret_cast<LPWSTR>(&value), 1), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  // Text types have no number.
  EXPECT_EQ(GetLocaleInfoW(0x409, LOCALE_SENGLANGUAGE | LOCALE_RETURN_NUMBER, reinterpret_cast<LPWSTR>(&value), 2),
            0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_FLAGS);
  EXPECT_EQ(GetLocaleInfoA(0x407, LOCALE_ICOUNTRY | LOCALE_RETURN_NUMBER, reinterpret_cast<LPSTR>(&value), 4), 4);
  EXPECT_EQ(value, 49u);
}

TEST_F(KernelLocale, AnsiFormUsesTheLocaleCodePage) {
  char buf[16];
  EXPECT_EQ(GetLocaleInfoA(0x411, LOCALE_SNATIVELANGNAME, buf, sizeof buf), 7);
  EXPECT_EQ(std::string(buf), "\x93\xFA\x96\x7B\x8C\xEA");  // 日本語 in Shift-JIS
  EXPECT_EQ(GetLocaleInfoA(0x40C, LOCALE_SNATIVELANGNAME, buf, sizeof buf), 9);
  EXPECT_EQ(std::string(buf), "fran\xE7" "ais");
  EXPECT_EQ(GetLocaleInfoA(0x409, LOCALE_SISO639LANGNAME, nullptr, 0), 3);
  EXPECT_EQ(GetLocaleInfoA(0x409, LOCALE_SISO639LANGNAME, buf, 2), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

}  // namespace
