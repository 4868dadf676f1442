// The hot-spot tables of the printer pictures: row layout, the rows, and which hot spots
// each 1-step configuration shows.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>

#include "model/control_state_tables.h"

namespace {

template <typename T>
T ReadAt(const void* base, std::size_t offset) {
  T value;
  std::memcpy(&value, static_cast<const BYTE*>(base) + offset, sizeof value);
  return value;
}

TEST(HotspotTables, RowLayoutBeforeThePointer) {
  // The words of the first 32 bytes stand where a 32-bit reader of 36-byte rows finds them.
  HotspotRow row{90, {1, 2, 3, 4}, 10023, 5, 10110, 0, -7, nullptr};
  EXPECT_EQ(ReadAt<DWORD>(&row, 0), 90u);
  EXPECT_EQ(ReadAt<LONG>(&row, 4), 1);
  EXPECT_EQ(ReadAt<LONG>(&row, 16), 4);
  EXPECT_EQ(ReadAt<WORD>(&row, 20), 10023);
  EXPECT_EQ(ReadAt<WORD>(&row, 22), 5);
  // Read as the u32 field id, the second condition field and its zero word give the id.
  EXPECT_EQ(ReadAt<DWORD>(&row, 24), 10110u);
  EXPECT_EQ(ReadAt<LONG>(&row, 28), -7);
  EXPECT_EQ(ReadAt<const HotspotShift*>(&row, 32), nullptr);
}

TEST(HotspotTables, SourceTrayRows) {
  struct Expected {
    DWORD words[5];
    WORD value;
    WORD field;
    WORD secondField;
    LONG secondValue;
  } expected[kSourceTrayHotspotCount] = {
      {{90, 69, 58, 135, 66}, 2, 0, 0, 0},
      {{90, 69, 67, 135, 80}, 3, 10023, 10110, 1},
      {{90, 69, 67, 135, 80}, 3, 0, 10110, 2},
      {{90, 69, 67, 135, 80}, 3, 0, 10110, 3},
      {{90, 69, 67, 135, 80}, 3, 0, 10110, 4},
      {{90, 69, 81, 135, 94}, 5, 10023, 10110, 2},
      {{90, 69, 81, 135, 94}, 5, 10023, 10110, 3},
      {{90, 69, 81, 135, 94}, 5, 10023, 10110, 4},
      {{90, 69, 95, 135, 109}, 6, 10023, 10110, 4},
      {{90, 79, 31, 130, 55}, 8, 0, 0, 0},
  };
  const HotspotRow* table = GetBuiltinTable12();
  for (int i = 0; i < kSourceTrayHotspotCount; ++i) {
    const HotspotRow& row = table[i];
    const Expected& e = expected[i];
    for (int w = 0; w < 5; ++w) EXPECT_EQ(ReadAt<DWORD>(&row, 4 * w), e.words[w]) << "row " << i << " word " << w;
    EXPECT_EQ(row.value, e.value) << i;
    EXPECT_EQ(row.conditionField, e.field) << i;
    EXPECT_EQ(row.secondConditionField, e.secondField) << i;
    EXPECT_EQ(row.reserved, 0) << i;
    EXPECT_EQ(row.secondValue, e.secondValue) << i;
    EXPECT_EQ(row.shifts, nullptr) << i;
  }
  // The row of zeros ends the table.
  const HotspotRow& end = table[kSourceTrayHotspotCount];
  EXPECT_EQ(end.value, 0);
  EXPECT_EQ(end.tag, 0u);
  EXPECT_EQ(end.conditionField, 0);
  EXPECT_EQ(end.secondConditionField, 0);
  EXPECT_EQ(end.shifts, nullptr);
}

TEST(HotspotTables, OutputTableHoldsOnlyTheEndRow) {
  const HotspotRow* table = GetBuiltinTable13();
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->value, 0);
  EXPECT_EQ(table->tag, 0u);
  EXPECT_EQ(table->rect.left, 0);
  EXPECT_EQ(table->rect.bottom, 0);
  EXPECT_EQ(table->shifts, nullptr);
}

// Which codes the source-tray picture answers for each state of the 1-step unit.
TEST(HotspotTables, CodesShownPerOneStepConfiguration) {
  auto shown = [](DWORD oneStep, DWORD number) {
    std::map<WORD, DWORD> fields{{10023, oneStep}, {10110, number}};
    std::set<WORD> codes;
    for (const HotspotRow* r = GetBuiltinTable12(); r->value != 0; ++r) {
      if (r->conditionField != 0 && fields[r->conditionField] != 1) continue;
      if (r->secondConditionField != 0 && fields[r->secondConditionField] != static_cast<DWORD>(r->secondValue)) {
        continue;
      }
      codes.insert(r->value);
    }
    return codes;
  };
  EXPECT_EQ(shown(0, 0), (std::set<WORD>{2, 8}));
  EXPECT_EQ(shown(1, 0), (std::set<WORD>{2, 8}));
  EXPECT_EQ(shown(1, 1), (std::set<WORD>{2, 3, 8}));
  EXPECT_EQ(shown(1, 2), (std::set<WORD>{2, 3, 5, 8}));
  EXPECT_EQ(shown(1, 3), (std::set<WORD>{2, 3, 5, 8}));
  EXPECT_EQ(shown(1, 4), (std::set<WORD>{2, 3, 5, 6, 8}));
  // Band 3 of numbers 2 to 4 reads only the number, so it shows without the unit flag too.
  EXPECT_EQ(shown(0, 1), (std::set<WORD>{2, 8}));
  EXPECT_EQ(shown(0, 4), (std::set<WORD>{2, 3, 8}));
  EXPECT_EQ(shown(1, 5), (std::set<WORD>{2, 8}));
}

}  // namespace
