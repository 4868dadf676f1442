#include <gtest/gtest.h>

#include "plat/codepage.h"
#include "plat/system.h"
#include "test_root.h"

namespace {

TEST(CodePage, Cp1252RoundTripsEveryByte) {
  kovatest::TempRoot root;
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  bool invalid = true;
  std::u16string wide = plat::AnsiToWide(all, 1252, &invalid);
  EXPECT_FALSE(invalid);
  EXPECT_EQ(wide[0x80 - 1], u'\u20AC');
  EXPECT_EQ(plat::WideToAnsi(wide, 1252), all);
  bool usedDefault = false;
  EXPECT_EQ(plat::WideToAnsi(u"\u3042", 1252, &usedDefault), "?");
  EXPECT_TRUE(usedDefault);
}

TEST(CodePage, Cp932DoubleBytes) {
  kovatest::TempRoot root;
  const std::string sjis = "\x82\xA0" "A\x83\x41";  // hiragana a, 'A', katakana a
  std::u16string wide = plat::AnsiToWide(sjis, 932);
  EXPECT_EQ(wide, u"\u3042A\u30A2");
  EXPECT_EQ(plat::WideToAnsi(wide, 932), sjis);
  EXPECT_TRUE(plat::IsLeadByte(932, 0x82));
  EXPECT_FALSE(plat::IsLeadByte(932, 'A'));
  EXPECT_FALSE(plat::IsLeadByte(1252, 0x82));
  plat::Machine().ansiCodePage = 932;
  EXPECT_TRUE(plat::IsLeadByte(0, 0x82));  // CP_ACP follows the machine
}

}  // namespace
