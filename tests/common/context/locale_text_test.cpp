#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "field_fixture.h"
#include "fields/field_access.h"
#include "fields/locale_text.h"
#include "plat/system.h"
#include "test_root.h"
#include "win/errors.h"

namespace locale_text_test {

namespace {

std::u16string Str(const WCHAR* p) { return std::u16string(p); }

TEST(LocaleText, HundredthsAndTenths) {
  EXPECT_EQ(HundredthInchToTenthMm(100), 254u);
  EXPECT_EQ(HundredthInchToTenthMm(1), 3u);  // 2 converts back to 0: raised to 3
  EXPECT_EQ(TenthMmToHundredthInch(254), 100u);
  EXPECT_EQ(TenthMmToHundredthInch(253), 99u);
  for (DWORD v = 0; v < 2000; v += 13) EXPECT_GE(TenthMmToHundredthInch(HundredthInchToTenthMm(v)), v);
}

TEST(LocaleText, FormatScaledNumber) {
  kovatest::FieldContext fc;
  struct Case {
    int scale, value;
    const char16_t* text;
  } cases[] = {{100, 12345, u"123.45"}, {10000, 12345, u"1.2345"}, {100000, 12345, u"12345"},
               {10, 5, u"0.5"},         {1, 42, u"42"},            {0, 42, u"42"},
               {1000, 1005, u"1.005"},  {10, -5, u"-0.5"},        {100, -12345, u"-123.45"},
               {10, -2147483647 - 1, u"-214748364.8"}};
  for (const auto& c : cases) {
    WCHAR out[kScaledNumberChars];
    FormatScaledNumber(out, c.scale, c.value, fc.get());
    EXPECT_EQ(Str(out), c.text) << c.scale;
  }
  WriteFieldRawById(fc.get(), 169, 4);  // German writes a decimal comma
  WCHAR out[kScaledNumberChars];
  FormatScaledNumber(out, 100, 12345, fc.get());
  EXPECT_EQ(Str(out), u"123,45");
}

TEST(LocaleText, ParseScaledNumber) {
  kovatest::FieldContext fc;
  struct Case {
    const char16_t* text;
    int scale;
    bool comma;
    int value;
    bool overflow;
  } cases[] = {
      {u"-0,5", 10, true, -5, false},         {u"12.345", 100, false, 1234, false},
      {u"7", 100, false, 700, false},         {u"abc", 10, false, 0, false},
      {u"", 100, false, 0, false},            {u"2147483647", 1, false, 2147483647, false},
      {u"-2147483648", 0, false, -2147483647 - 1, false},
      {u"50000000", 100, false, 0, true},     {u"4294967297", 1, false, 0, true},
      {u"2147483648", 0, false, 0, true},     {u"99999999999999999999999", 0, false, 0, true},
      {u"21474836.48", 100, false, 0, true},  {u"21474836.47", 100, false, 2147483647, false},
      {u"1.5", 10, true, 10, false},          {u"1,5", 10, false, 10, false},
      {u"x 12.5 mm", 10, false, 125, false},  {u"3.", 100, false, 300, false},
      {u"1.25", 0, false, 1, false},          {u"0012", 10, false, 120, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text)));
    WriteFieldRawById(fc.get(), 169, c.comma ? 4 : 0);
    BOOL overflow = 2;
    EXPECT_EQ(ParseScaledNumber(c.text, c.scale, fc.get(), &overflow), c.value);
    EXPECT_EQ(overflow, c.overflow ? TRUE : FALSE);
    EXPECT_EQ(ParseScaledNumber(c.text, c.scale, fc.get()), c.value);
  }
  EXPECT_EQ(ParseScaledNumber(nullptr, 10, fc.get()), 0);
}

TEST(LocaleText, ReplaceDecimalPoint) {
  WCHAR a[] = u"A4 (210.0 x 297.0)";
  ReplaceDecimalPoint(a);
  EXPECT_EQ(Str(a), u"A4 (210,0 x 297,0)");
  WCHAR b[] = u"1.5 (2.5)";
  EXPECT_EQ(ReplaceDecimalPoint(b), u'(');
  EXPECT_EQ(Str(b), u"1.5 (2,5)");
  WCHAR empty[] = u"";
  EXPECT_EQ(ReplaceDecimalPoint(empty), 0);
  EXPECT_EQ(ReplaceDecimalPoint(nullptr), 0);
}

TEST(LocaleText, ConversionsStayInsideTheTarget) {
  kovatest::TempRoot root;
  // Exactly sized targets on the heap, so that a write past them is caught.
  for (int size : {0, -3}) {
    std::vector<WCHAR> wide(4);  // "abc" + NUL: the source's length + 1
    AnsiToWide(wide.data(), "abc", size);
    EXPECT_EQ(Str(wide.data()), u"abc");
    std::vector<char> ansi(4);
    WideToAnsi(ansi.data(), u"xyz", size);
    EXPECT_STREQ(ansi.data(), "xyz");
  }
  std::vector<WCHAR> small(3, u'?');
  AnsiToWide(small.data(), "abcdef", 3);
  EXPECT_EQ(Str(small.data()), u"ab");  // the last character is always 0
  std::vector<char> bytes(3, '?');
  WideToAnsi(bytes.data(), u"abcdef", 3);
  EXPECT_EQ(std::string(bytes.data(), 3), "abc");  // zero-filled, then at most 3 bytes
  std::vector<char> big(8, '?');
  WideToAnsi(big.data(), u"\u00e9t\u00e9", 8);
  EXPECT_STREQ(big.data(), "\xe9t\xe9");
  EXPECT_EQ(big[7], 0);
}

TEST(LocaleText, LocaleDefaultsFollowTheCountry) {
  kovatest::TempRoot root;
  kovatest::FieldContext fc;
  struct Case {
    LCID lcid;
    int country;
    WORD unit, paper;
  } cases[] = {{0x0407, 0, 0, 9}, {0x0409, 1, 1, 1}, {0x0416, 5, 1, 1}, {0x0411, 0, 0, 9}};
  for (const auto& c : cases) {
    plat::Machine().userLcid = c.lcid;
    EXPECT_EQ(GetLocaleCountryCode(fc.get()), c.country) << std::hex << c.lcid;
    SetLocaleDefaults(fc.get());
    EXPECT_EQ(fc.work().localeCountry, c.country);
    EXPECT_EQ(fc.work().defaultUnit, c.unit);
    EXPECT_EQ(fc.work().defaultPaper, c.paper);
    EXPECT_EQ(ReadFieldRawById(fc.get(), 172), static_cast<DWORD>(c.country));
  }
}

TEST(LocaleText, CustomPaperUnitTests) {
  kovatest::FieldContext fc;
  WriteFieldRawById(fc.get(), 8, 256);
  WriteFieldRawById(fc.get(), 171, 0);
  EXPECT_TRUE(IsCustomPaperInMillimetres(fc.get()));
  EXPECT_FALSE(IsCustomPaperInInches(fc.get()));
  WriteFieldRawById(fc.get(), 171, 1);
  EXPECT_TRUE(IsCustomPaperInInches(fc.get()));
  WriteFieldRawById(fc.get(), 8, 9);
  EXPECT_FALSE(IsCustomPaperInInches(fc.get()));
}

TEST(LocaleText, BitmapFileNeedsAnInfoHeader) {
  kovatest::TempRoot root;
  auto header = [](BYTE size) {
    std::string bytes(54, '\0');
    bytes[0] = 'B';
    bytes[1] = 'M';
    bytes[14] = static_cast<char>(size);
    return bytes;
  };
  root.WriteFile(u"C:\\pic\\info.bmp", header(40));
  root.WriteFile(u"C:\\pic\\core.bmp", header(12));
  root.WriteFile(u"C:\\pic\\short.bmp", "BM");
  HANDLE file = nullptr;
  ASSERT_TRUE(OpenBitmapFile(u"C:\\pic\\info.bmp", &file));
  EXPECT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  EXPECT_FALSE(OpenBitmapFile(u"C:\\pic\\core.bmp", &file));  // an OS/2 core header
  EXPECT_FALSE(OpenBitmapFile(u"C:\\pic\\short.bmp", &file));
  EXPECT_FALSE(OpenBitmapFile(u"C:\\pic\\missing.bmp", &file));
  EXPECT_FALSE(OpenBitmapFile(nullptr, &file));
}

}  // namespace

}  // namespace locale_text_test
