// Text geometry and the conversion to printer text.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "plat/system.h"
#include "test_root.h"
#include "text_geometry.h"

namespace rendara {
namespace {

TEST(TextGeometry, Hypot) {
  struct Case {
    std::int32_t a, b, r;
  } cases[] = {{3, 4, 5}, {1, 1, 2}, {0, -7, 7}, {-9, 0, 9}, {-3, -4, 5}, {5, 12, 13}, {1000, 1, 1001}, {0, 0, 0}};
  for (const Case& c : cases) EXPECT_EQ(Hypot(c.a, c.b), c.r) << c.a << "," << c.b;
  // The smallest r with r * r >= a * a + b * b, for a sweep.
  for (std::int32_t a = 1; a < 60; a += 7)
    for (std::int32_t b = 1; b < 60; b += 5) {
      const std::int32_t r = Hypot(a, b);
      EXPECT_GE(r * r, a * a + b * b);
      EXPECT_LT((r - 1) * (r - 1), a * a + b * b);
    }
}

TEST(TextGeometry, Escapement) {
  struct Case {
    std::int16_t x, y;
    std::int32_t degrees;
  } cases[] = {{0, -5000, -90}, {-5000, 0, 180}, {5000, 5000, 45}, {5000, 0, 0},   {0, 5000, 90},
               {-5000, 5000, 135}, {-5000, -5000, -135}, {5000, -5000, -45}, {1000, 577, 30}, {577, 1000, 60},
               {-32768, 1, 90}};
  for (const Case& c : cases) EXPECT_EQ(EscapementOf(c.x, c.y), c.degrees) << c.x << "," << c.y;
  // Against the real angle, within a degree, round the circle.
  for (int deg = -179; deg <= 180; deg += 7) {
    const double rad = deg * 3.14159265358979 / 180.0;
    const auto x = static_cast<std::int16_t>(std::lround(10000 * std::cos(rad)));
    const auto y = static_cast<std::int16_t>(std::lround(10000 * std::sin(rad)));
    EXPECT_NEAR(EscapementOf(x, y), deg, 1) << deg;
  }
}

TEST(TextGeometry, SineAndCosine) {
  EXPECT_EQ(SinQ(90), 16384);
  EXPECT_EQ(SinQ(270), -16384);
  EXPECT_EQ(CosQ(0), 16384);
  EXPECT_EQ(CosQ(90), 0);
  EXPECT_EQ(CosQ(180), -16384);
  EXPECT_EQ(SinQ(0), 0);
  EXPECT_EQ(SinQ(30), 8192);
  EXPECT_EQ(SinQ(21), 5871);  // the table's one entry that is not rounded
  EXPECT_EQ(SinQ(390), SinQ(30));
  EXPECT_EQ(kSineTable[21], 5871);
  for (int i = 0; i <= 90; ++i) {
    if (i != 21) {
      EXPECT_EQ(kSineTable[i], std::lround(std::sin(i * 3.14159265358979 / 180) * 16384)) << i;
    }
  }
  EXPECT_EQ(kTangentTable[0], 0);
  EXPECT_EQ(kTangentTable[450 - 1], std::lround(std::tan(44.9 * 3.14159265358979 / 180) * 32767));
}

TEST(TextGeometry, ScaleTrunc) {
  EXPECT_EQ(ScaleTrunc(0.75f, 10), 7);
  EXPECT_EQ(ScaleTrunc(-0.75f, 10), -7);
  EXPECT_EQ(ScaleTrunc(1.5f, 3), 4);
}

TEST(TextGeometry, MulDivRounds) {
  EXPECT_EQ(MulDivRound(1, 3, 2), 2);
  EXPECT_EQ(MulDivRound(-1, 3, 2), -2);
  EXPECT_EQ(MulDivRound(5, 7, 0), -1);
}

class PrinterText : public ::testing::Test {
 protected:
  kovatest::TempRoot root_;
};

TEST_F(PrinterText, AsciiAndTheLowValuesAreSingleBytes) {
  BYTE out[16] = {};
  EXPECT_EQ(ConvertToPrinterText(out, sizeof out, u"Abc", 6), 3u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 3), "Abc");
  const char16_t high[] = {0x80, 0x41};
  EXPECT_EQ(ConvertToPrinterText(out, sizeof out, high, 4), 2u);
  EXPECT_EQ(out[0], 0x80);
  // U+00E9 through code page 1252.
  EXPECT_EQ(ConvertToPrinterText(out, sizeof out, u"\u00E9", 2), 1u);
  EXPECT_EQ(out[0], 0xE9);
}

TEST_F(PrinterText, TheOutputCapacityIsNeverPassed) {
  plat::Machine().ansiCodePage = 932;
  BYTE out[8];
  std::memset(out, 0xEE, sizeof out);
  // "a" then two double-byte characters: the second does not fit in 4 bytes.
  EXPECT_EQ(ConvertToPrinterText(out, 4, u"a\u3042\u3044", 6), 3u);
  EXPECT_EQ(out[0], 'a');
  EXPECT_EQ(out[1], 0x82);
  EXPECT_EQ(out[2], 0xA0);
  EXPECT_EQ(out[3], 0xEE);
  EXPECT_EQ(ConvertToPrinterText(out, 0, u"a", 2), 0u);
  EXPECT_EQ(ConvertToPrinterText(nullptr, 4, u"a", 2), 0u);
}

}  // namespace
}  // namespace rendara
