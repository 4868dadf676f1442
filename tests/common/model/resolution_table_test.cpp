#include <gtest/gtest.h>

#include <vector>

#include "model/resolution_table.h"

namespace {

TEST(ResolutionTable, FifteenRowsThenZeros) {
  const ResolutionRecord* t = GetResolutionTable();
  int n = 0;
  while (t[n].code) ++n;
  EXPECT_EQ(n, kResolutionRowCount);
  EXPECT_EQ(t[n].horizontal, 0);
  EXPECT_EQ(t[n].vertical, 0);
  static_assert(sizeof(ResolutionRecord) == 6);
}

TEST(ResolutionTable, RecordByCode) {
  struct Case {
    WORD code;
    bool found;
    WORD h, v;
  } cases[] = {{6, true, 200, 200}, {20, true, 600, 600}, {37, true, 1200, 1200},
               {0, false, 0, 0},    {7, false, 0, 0},     {0xFFFF, false, 0, 0}};
  for (const Case& c : cases) {
    const ResolutionRecord* r = FindResolutionRecord(c.code);
    ASSERT_EQ(r != nullptr, c.found) << c.code;
    if (r) {
      EXPECT_EQ(r->code, c.code);
      EXPECT_EQ(r->horizontal, c.h);
      EXPECT_EQ(r->vertical, c.v);
    }
  }
}

TEST(ResolutionTable, CodeByBothDpiTakesTheFirstRow) {
  EXPECT_EQ(FindResolutionCode(300, 300), 1);  // not 34
  EXPECT_EQ(FindResolutionCode(150, 150), 33);
  EXPECT_EQ(FindResolutionCode(600, 600), 3);
  EXPECT_EQ(FindResolutionCode(600, 1200), 0);
  EXPECT_EQ(FindResolutionCode(0, 600), 0);
  EXPECT_EQ(FindResolutionCode(600, 0), 0);
}

TEST(ResolutionTable, WalkingThe600DpiRows) {
  EXPECT_EQ(FindResolutionCodeByDpi(600), 3);
  std::vector<WORD> walk;
  for (WORD code = FindResolutionCodeByDpi(600); code; code = NextResolutionCodeForDpi(600, code)) walk.push_back(code);
  EXPECT_EQ(walk, (std::vector<WORD>{3, 17, 18, 19, 36, 20}));
  EXPECT_EQ(FindResolutionCodeByDpi(0), 0);
  EXPECT_EQ(FindResolutionCodeByDpi(720), 0);
  EXPECT_EQ(NextResolutionCodeForDpi(0, 3), 0);
  EXPECT_EQ(NextResolutionCodeForDpi(600, 99), 0);  // code without a row
  EXPECT_EQ(NextResolutionCodeForDpi(300, 3), 34);  // starts after the row of the code
}

}  // namespace
