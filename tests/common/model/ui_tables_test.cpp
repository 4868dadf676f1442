// The page engine's picture and control size tables: their rows as the generator wrote them,
// the totals they keep, and the lookups (first row of an id, the zero row ends the table).
#include <gtest/gtest.h>

#include <cstddef>
#include <map>

#include "model/ui_tables.h"

namespace {

int PictureRows() {
  int n = 0;
  for (const PictureRow* r = GetPictureTable(); r->pictureId; ++r) ++n;
  return n;
}

int SizeRows() {
  int n = 0;
  for (const MeasureItemRow* r = GetMeasureItemTable(); r->controlId; ++r) ++n;
  return n;
}

TEST(PictureTable, HoldsItsRowsThenAZeroRowAndSetsOnlyFlagsAndSizes) {
  ASSERT_EQ(PictureRows(), kPictureRowCount);
  const PictureRow& end = GetPictureTable()[kPictureRowCount];
  EXPECT_EQ(end.pictureId, 0);
  EXPECT_EQ(end.flags, 0u);
  std::map<DWORD, int> byFlags;
  for (const PictureRow* r = GetPictureTable(); r->pictureId; ++r) {
    ++byFlags[r->flags];
    EXPECT_EQ(r->overlayId, 0) << r->pictureId;
    EXPECT_EQ(r->x, 0) << r->pictureId;
    EXPECT_EQ(r->y, 0) << r->pictureId;
    EXPECT_EQ(r->backgroundKind, 0u) << r->pictureId;
    EXPECT_EQ(r->background, 0u) << r->pictureId;
  }
  EXPECT_EQ(byFlags, (std::map<DWORD, int>{{0u, 923}, {0x10u, 1}, {0x50u, 166}}));
}

TEST(PictureTable, ABuiltInPictureGetsTheFirstRowOfItsId) {
  struct Case {
    DWORD id;
    bool found;
    DWORD flags;
    int width, height;
  };
  const Case cases[] = {
      {2026, true, 0x50, 192, 48},  // portrait, a value pictured by a picture control
      {6002, true, 0x50, 192, 48},  // a pictured media value before its landscape preview row
      {7006, true, 0x10, 20, 20},   // the lock picture
      {6001, true, 0, 50, 69},      // a portrait preview
      {6006, true, 0, 68, 50},      // a landscape preview
      {7414, true, 0, 50, 69},
      {5300, true, 0, 0, 0},        // a paper value: shown in lists only
      {6193, false, 0, 0, 0},       // drawn by the tray list, never by name
      {0, false, 0, 0, 0},
      {0x10000 + 2026, false, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    const PictureRow* row = FindPictureRow(GetPictureTable(), c.id);
    ASSERT_EQ(row != nullptr, c.found);
    if (!row) continue;
    EXPECT_EQ(row->pictureId, c.id);
    EXPECT_EQ(row->flags, c.flags);
    EXPECT_EQ(row->width, c.width);
    EXPECT_EQ(row->height, c.height);
  }
  // 6002 has a later row (the landscape preview) that must not apply.
  int rows6002 = 0;
  for (const PictureRow* r = GetPictureTable(); r->pictureId; ++r) rows6002 += r->pictureId == 6002;
  EXPECT_GE(rows6002, 2);
}

TEST(PictureTable, LookupStopsAtTheZeroRowAndTakesTheFirstOfRepeatedIds) {
  const PictureRow table[] = {
      {10, 0, 1, 2, 0x50, 3, 4, 3, 0x112233},
      {10, 0, 9, 9, 0x10, 9, 9, 0, 0},
      {11, 0, 0, 0, 0, 0, 0, 0, 0},
      {0, 0, 0, 0, 0, 0, 0, 0, 0},
      {12, 0, 0, 0, 0, 0, 0, 0, 0},  // past the end
  };
  EXPECT_EQ(FindPictureRow(table, 10), &table[0]);
  EXPECT_EQ(FindPictureRow(table, 11), &table[2]);
  EXPECT_EQ(FindPictureRow(table, 12), nullptr);
  EXPECT_EQ(FindPictureRow(table, 0), nullptr);
  EXPECT_EQ(FindPictureRow(nullptr, 10), nullptr);
}

TEST(ControlSizeTable, HoldsItsRowsThenAZeroRow) {
  ASSERT_EQ(SizeRows(), kMeasureItemRowCount);
  EXPECT_EQ(GetMeasureItemTable()[kMeasureItemRowCount].controlId, 0);
  for (const MeasureItemRow* r = GetMeasureItemTable(); r->controlId; ++r) {
    EXPECT_GT(r->height, 0) << r->controlId;
    EXPECT_GE(r->width, 0) << r->controlId;
  }
}

TEST(ControlSizeTable, OwnerDrawnControlsHaveTheirKindsSizes) {
  struct Case {
    UINT id;
    bool found;
    int width, height;
  };
  const Case cases[] = {
      {2001, true, 72, 93},  // preset icon list
      {2139, true, 72, 93},
      {2164, true, 0, 24},   // owner-drawn list
      {2817, true, 0, 24},   // check list
      {2009, true, 0, 24},   // owner-drawn combo, on two pages
      {2003, false, 0, 0},   // an owner-drawn button measures itself
      {0, false, 0, 0},
      {0x10000 + 2001, false, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    const MeasureItemRow* row = FindMeasureItemEntry(c.id);
    ASSERT_EQ(row != nullptr, c.found);
    if (!row) continue;
    EXPECT_EQ(row->width, c.width);
    EXPECT_EQ(row->height, c.height);
  }
  const MeasureItemRow table[] = {{5, 1, 2}, {5, 3, 4}, {0, 0, 0}, {6, 1, 1}};
  EXPECT_EQ(FindMeasureItemRow(table, 5), &table[0]);
  EXPECT_EQ(FindMeasureItemRow(table, 6), nullptr);
}

}  // namespace
