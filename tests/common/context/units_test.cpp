#include <gtest/gtest.h>

#include "field_fixture.h"
#include "fields/field_access.h"
#include "model/units.h"

namespace {

TEST(Units, UserUnitsToDotsAtTheRoundingEdges) {
  struct Case {
    int kind, value, resolution, expected;
  } cases[] = {
      {kUnitTenthMm, 2100, 1200, 9920},  // 210.0 mm: 9921 made even
      {kUnitTenthMm, 254, 1200, 1200},
      {kUnitTenthMm, 1, 1200, 4},        // 4.72 -> 4, and 4 * 254 / 1200 = 0 <= 1
      {kUnitTenthMm, 0, 1200, 0},
      {kUnitHundredthInch, 850, 1200, 10200},
      {kUnitHundredthInch, 1, 1200, 12},
      {kUnitHundredthInch, 850, 600, 5100},  // scaled to the resolution
      {3, 100, 1200, 0},                     // unknown kind
  };
  for (const auto& c : cases)
    EXPECT_EQ(UserUnitsToDots(c.kind, c.value, c.resolution), c.expected) << c.kind << " " << c.value;
}

TEST(Units, DotsToUserUnitsReachesTheValue) {
  struct Case {
    int kind, value, resolution, expected;
  } cases[] = {
      {kUnitTenthMm, 9920, 1200, 2100}, {kUnitTenthMm, 3022, 1200, 640}, {kUnitTenthMm, 14408, 1200, 3050},
      {kUnitHundredthInch, 10200, 1200, 850}, {kUnitHundredthInch, 13, 1200, 2}, {kUnitHundredthInch, 12, 1200, 1},
      {kUnitHundredthInch, 5100, 600, 850}, {kUnitTenthMm, 100, 0, 0}, {0, 100, 1200, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DotsToUserUnits(c.kind, c.value, c.resolution), c.expected) << c.kind << " " << c.value;
  // Round trip: a length in the user's unit comes back the same through dots.
  for (int kind : {kUnitTenthMm, kUnitHundredthInch})
    for (int v = 0; v < 3000; v += 7) {
      const int dots = UserUnitsToDots(kind, v, 1200);
      EXPECT_LE(DotsToUserUnits(kind, dots, 1200), v + 1) << kind << " " << v;
      EXPECT_EQ(dots % 2, 0);
    }
}

TEST(Units, MulDivAndScaleRatio) {
  EXPECT_EQ(MulDivSafe(2000000000, 1200, 600), 1000000000);  // no overflow of a * c
  EXPECT_EQ(MulDivSafe(9920, 1200, 1200), 9920);
  EXPECT_EQ(MulDivSafe(5, 0, 3), 0);
  EXPECT_EQ(MulDivSafe(5, 3, 0), 0);
  EXPECT_EQ(ScaleRatio(2970, 100, 2100), 141);
  EXPECT_EQ(ScaleRatio(1, 2, 0), -1);
}

class UnitsContext : public ::testing::Test {
 protected:
  void SetMetric(bool metric) { WriteFieldRawById(fc_.get(), 171, metric ? 0 : 1); }
  kovatest::FieldContext fc_;
};

TEST_F(UnitsContext, ToAndFromUserUnitsRefuseNegativeValues) {
  SetMetric(true);
  EXPECT_TRUE(IsMetricUnits(fc_.get()));
  EXPECT_EQ(ToUserUnits(fc_.get(), 0, -5), 0);
  EXPECT_EQ(FromUserUnits(fc_.get(), 0, -5), 0);
  EXPECT_EQ(ToUserUnits(fc_.get(), 0, 9920), 2100);
  SetMetric(false);
  EXPECT_EQ(ToUserUnits(fc_.get(), 0, 10200), 850);
  EXPECT_EQ(FromUserUnits(fc_.get(), 916, 850), 10200);  // also stored in the field
  EXPECT_EQ(ReadFieldRawById(fc_.get(), 916), 10200u);
}

TEST_F(UnitsContext, FreeSizeLimitsStayInsideTheProductLimits) {
  struct Case {
    bool metric;
    WORD field;
    int min, max;
  } cases[] = {
      {true, 916, 640, 3050},    // 3022 dots is 63.96 mm; 3050 converts back to 14408
      {false, 916, 252, 1200},   // 3022 / 12 = 251.8 -> 252; 14408 / 12 = 1200.6 -> 1200
      {true, 917, 1480, 12600},
      {false, 917, 583, 4960},
  };
  for (const auto& c : cases) {
    SetMetric(c.metric);
    int mn = -1, mx = -1;
    ASSERT_TRUE(GetFreeSizeLimits(fc_.get(), c.field, &mn, &mx));
    EXPECT_EQ(mn, c.min) << c.field << (c.metric ? " mm" : " in");
    EXPECT_EQ(mx, c.max) << c.field << (c.metric ? " mm" : " in");
    // Both ends convert back inside the limits.
    const int lo = c.field == 916 ? 3022 : 6992, hi = c.field == 916 ? 14408 : 59528;
    EXPECT_GE(FromUserUnits(fc_.get(), 0, mn), lo);
    EXPECT_LE(FromUserUnits(fc_.get(), 0, mx), hi);
  }
  int mn = 0, mx = 0;
  EXPECT_FALSE(GetFreeSizeLimits(fc_.get(), 8, &mn, &mx));
}

TEST_F(UnitsContext, EffectivePaperSizeNeverAnswersAnOutputCode) {
  WriteFieldRawById(fc_.get(), 8, 9);  // A4 source paper
  struct Case {
    DWORD out;
    int expected;
  } cases[] = {{1026, 8}, {1025, 8}, {1028, 8}, {1024, 9}, {5, 5}, {1029, 1029}};
  // A context without its module list gets no answer to event 54: the larger default
  // output paper (A3 outside the Letter family).
  for (const auto& c : cases) {
    WriteFieldRawById(fc_.get(), 46, c.out);
    EXPECT_EQ(GetEffectivePaperSize(fc_.get()), c.expected) << c.out;
  }
  WriteFieldRawById(fc_.get(), 242, 1);  // driver type and locale: Letter family
  WriteFieldRawById(fc_.get(), 172, 1);
  WriteFieldRawById(fc_.get(), 46, 1026);
  EXPECT_EQ(GetEffectivePaperSize(fc_.get()), 3);  // Tabloid
  WriteFieldRawById(fc_.get(), 365, 1);  // hidden function 16 inverts the family
  EXPECT_EQ(GetEffectivePaperSize(fc_.get()), 8);
}

TEST_F(UnitsContext, AuthenticationFlags) {
  SetFieldString(fc_.get(), fc_.field(1112), u"user");
  SetFieldString(fc_.get(), fc_.field(1113), u"pw");
  SetFieldString(fc_.get(), fc_.field(1114), u"key");
  EXPECT_EQ(GetAuthenticationFlags(fc_.get(), 7), 0u);  // mode 0: nothing, whatever the texts
  WriteFieldRawById(fc_.get(), 10354, 1);
  EXPECT_EQ(GetAuthenticationFlags(fc_.get(), 7), 3u);  // no secure mode: no key bit
  WriteFieldRawById(fc_.get(), 10355, 1);
  EXPECT_EQ(GetAuthenticationFlags(fc_.get(), 7), 7u);
  EXPECT_EQ(GetAuthenticationFlags(fc_.get(), 2), 2u);
  SetFieldString(fc_.get(), fc_.field(1112), u"");
  EXPECT_EQ(GetAuthenticationFlags(fc_.get(), 1), 0u);
}

TEST_F(UnitsContext, LockBits) {
  EXPECT_FALSE(AnyLockBitSet(fc_.get()));
  WriteFieldRawById(fc_.get(), 10426, 1);
  EXPECT_TRUE(IsColorLocked(fc_.get()));
  EXPECT_TRUE(AnyLockBitSet(fc_.get()));
  EXPECT_FALSE(IsTrayLocked(fc_.get()));
  WriteFieldRawById(fc_.get(), 10419, 1);
  EXPECT_TRUE(IsTrayLocked(fc_.get()));
}

TEST(Units, CharsetCodes) {
  struct Case {
    UINT codePage;
    DWORD code;
  } cases[] = {{1252, 2}, {932, 1}, {1250, 3}, {1251, 5}, {949, 13}, {936, 8}, {950, 9}, {437, 0}};
  for (const auto& c : cases) {
    const int charset = CodePageToCharset(c.codePage);
    EXPECT_EQ(charset < 0 ? 0u : CharsetToPrinterCode(static_cast<DWORD>(charset)), c.code) << c.codePage;
  }
  EXPECT_EQ(CharsetToPrinterCode(130), 13u);  // JOHAB and HANGUL share a code
}

TEST(Units, InputCharacterFilter) {
  struct Case {
    WCHAR ch;
    BOOL kind1, kind2;
  } cases[] = {{u':', FALSE, TRUE}, {u'"', FALSE, TRUE}, {u'a', TRUE, TRUE}, {u' ', TRUE, TRUE},
               {8, TRUE, TRUE},     {0x7F, FALSE, FALSE}, {0xE9, FALSE, FALSE}, {0x1F, FALSE, FALSE}};
  for (const auto& c : cases) {
    EXPECT_EQ(CheckInputCharacter(c.ch, 1), c.kind1) << static_cast<int>(c.ch);
    EXPECT_EQ(CheckInputCharacter(c.ch, 2), c.kind2) << static_cast<int>(c.ch);
    EXPECT_FALSE(CheckInputCharacter(c.ch, 3));
  }
}

}  // namespace
