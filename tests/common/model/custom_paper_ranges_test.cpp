// The custom paper limit tables.
#include <gtest/gtest.h>

#include <cstring>

#include "fields/product_record.h"
#include "model/custom_paper_ranges.h"

namespace {

int RowCount(const CustomPaperLimitRow* table) {
  int n = 0;
  while (table[n].tray != 0) ++n;
  return n;
}

bool SameLimits(const CustomPaperLimitRow& a, const CustomPaperLimitRow& b) {
  return std::memcmp(&a.lengthMaxMm, &b.lengthMaxMm, 8 * sizeof(DWORD)) == 0;
}

bool SameRow(const CustomPaperLimitRow& a, const CustomPaperLimitRow& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(CustomPaperTables, RowLayout) {
  CustomPaperLimitRow row{3, 4, 1, 0, 11, 12, 13, 14, 15, 16, 17, 18};
  BYTE bytes[40];
  static_assert(sizeof row == sizeof bytes);
  std::memcpy(bytes, &row, sizeof bytes);
  WORD words[4];
  std::memcpy(words, bytes, sizeof words);
  EXPECT_EQ(words[0], 3);
  EXPECT_EQ(words[1], 4);
  EXPECT_EQ(words[2], 1);
  EXPECT_EQ(words[3], 0);
  for (int i = 0; i < 8; ++i) {
    DWORD limit;
    std::memcpy(&limit, bytes + 8 + 4 * i, sizeof limit);
    EXPECT_EQ(limit, 11u + i) << i;
  }
}

TEST(CustomPaperTables, DefaultTable) {
  const CustomPaperLimitRow* table = GetDefaultCustomPaperTable();
  ASSERT_EQ(RowCount(table), kDefaultCustomPaperRowCount);
  const WORD trays[] = {1, 1, 3, 3, 2, 2, 256, 256, 4, 4};
  for (int i = 0; i < kDefaultCustomPaperRowCount; ++i) {
    const CustomPaperLimitRow& r = table[i];
    EXPECT_EQ(r.platform, kPaperPlatformBoth) << i;
    EXPECT_EQ(r.tray, trays[i]) << i;
    EXPECT_EQ(r.orientation, i % 2 + 1) << i;
    EXPECT_EQ(r.reserved, 0) << i;
    EXPECT_LT(r.lengthMinMm, r.lengthMaxMm) << i;
    EXPECT_LT(r.widthMinMm, r.widthMaxMm) << i;
    EXPECT_LT(r.lengthMinInch, r.lengthMaxInch) << i;
    EXPECT_LT(r.widthMinInch, r.widthMaxInch) << i;
  }
  const CustomPaperLimitRow tray4{3, 4, 1, 0, 59528, 6992, 14408, 3022, 59520, 6996, 14400, 3024};
  EXPECT_TRUE(SameRow(table[8], tray4));
  const CustomPaperLimitRow tray1{3, 1, 1, 0, 20408, 6992, 14030, 4250, 20408, 6996, 14028, 4260};
  EXPECT_TRUE(SameRow(table[0], tray1));
  const CustomPaperLimitRow tray256{3, 256, 2, 0, 14030, 8598, 14030, 8598, 14028, 8604, 14028, 8604};
  EXPECT_TRUE(SameRow(table[7], tray256));
  EXPECT_TRUE(SameRow(table[kDefaultCustomPaperRowCount], CustomPaperLimitRow{}));
}

// The manual feed in orientation 1 takes the product's whole user-paper range, and no row
// reaches beyond it.
TEST(CustomPaperTables, WithinTheProductRange) {
  const ProductRecord* product = GetProductRecord();
  const CustomPaperLimitRow& manual = GetDefaultCustomPaperTable()[8];
  EXPECT_EQ(manual.lengthMaxMm, product->userPaperLengthMax);
  EXPECT_EQ(manual.lengthMinMm, product->userPaperLengthMin);
  EXPECT_EQ(manual.widthMaxMm, product->userPaperWidthMax);
  EXPECT_EQ(manual.widthMinMm, product->userPaperWidthMin);
  for (const CustomPaperLimitRow* r = GetDefaultCustomPaperTable(); r->tray != 0; ++r) {
    for (DWORD length : {r->lengthMaxMm, r->lengthMinMm, r->lengthMaxInch, r->lengthMinInch}) {
      EXPECT_GE(length, product->userPaperLengthMin) << r->tray;
      EXPECT_LE(length, product->userPaperLengthMax) << r->tray;
    }
    for (DWORD width : {r->widthMaxMm, r->widthMinMm, r->widthMaxInch, r->widthMinInch}) {
      EXPECT_GE(width, product->userPaperWidthMin) << r->tray;
      EXPECT_LE(width, product->userPaperWidthMax) << r->tray;
    }
  }
}

TEST(CustomPaperTables, ModelTables) {
  const CustomPaperModelTable* list = GetCustomPaperModelTables();
  ASSERT_EQ(list[0].mask, 1u);
  ASSERT_EQ(list[1].mask, 2u);
  EXPECT_EQ(list[2].table, nullptr);
  EXPECT_EQ(list[2].mask, 0u);
  const CustomPaperLimitRow* base = GetDefaultCustomPaperTable();

  // Mask 1: the default rows in order, tray 256 left out.
  const CustomPaperLimitRow* first = list[0].table;
  ASSERT_EQ(RowCount(first), kDefaultCustomPaperRowCount - 2);
  int j = 0;
  for (const CustomPaperLimitRow* r = base; r->tray != 0; ++r) {
    if (r->tray == 256) continue;
    EXPECT_TRUE(SameRow(first[j], *r)) << j;
    ++j;
  }
  EXPECT_TRUE(SameRow(first[j], CustomPaperLimitRow{}));

  // Mask 2: tray 3 takes the limits of tray 1; every other row as in the default table.
  const CustomPaperLimitRow* second = list[1].table;
  ASSERT_EQ(RowCount(second), kDefaultCustomPaperRowCount);
  for (int i = 0; i < kDefaultCustomPaperRowCount; ++i) {
    EXPECT_EQ(second[i].tray, base[i].tray) << i;
    EXPECT_EQ(second[i].orientation, base[i].orientation) << i;
    EXPECT_EQ(second[i].platform, base[i].platform) << i;
    if (base[i].tray == 3) {
      EXPECT_TRUE(SameLimits(second[i], base[i - 2])) << i;
      EXPECT_FALSE(SameLimits(second[i], base[i])) << i;
    } else {
      EXPECT_TRUE(SameRow(second[i], base[i])) << i;
    }
  }
}

}  // namespace
