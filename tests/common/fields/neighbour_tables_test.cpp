// The small shared tables: N-up kinds, custom paper codes, absolute paths and the
// special-case controls.
#include <gtest/gtest.h>

#include "fields/neighbour_tables.h"
#include "model/paper_map.h"

namespace {

TEST(NeighbourTables, NupKinds) {
  DWORD count = 0;
  const NupKindRow* rows = GetFixedList5(&count);
  ASSERT_EQ(count, 5u);
  const DWORD pages[] = {1, 2, 4, 9, 16};
  for (DWORD i = 0; i < count; ++i) {
    EXPECT_EQ(rows[i].kind, i);
    EXPECT_EQ(rows[i].pages, pages[i]);
  }
}

TEST(NeighbourTables, CustomPaperCodesAndAbsolutePaths) {
  struct Code {
    DWORD code;
    BOOL custom;
  };
  for (const Code& c : {Code{383, FALSE}, Code{384, TRUE}, Code{393, TRUE}, Code{394, FALSE}, Code{256, FALSE}})
    EXPECT_EQ(IsCustomPaperId(c.code), c.custom) << c.code;
  struct Path {
    const char16_t* path;
    int absolute;
  };
  const Path paths[] = {{u"C:\\x", 1},  {u"\\\\srv\\share", 1}, {u"C:x", 0}, {u"\\x", 0},
                        {u"x\\y", 0},   {u"", 0},               {u"C", 0},   {nullptr, 0}};
  for (const Path& p : paths) EXPECT_EQ(IsAbsolutePath(p.path), p.absolute);
}

TEST(NeighbourTables, SpecialCaseControls) {
  struct Row {
    WORD field, page, control;
  };
  const Row rows[] = {{13, 1002, 2007}, {54, 1002, 2064},  {53, 1002, 2066},  {8, 1002, 2017},
                      {46, 1002, 2053}, {209, 1002, 2041}, {65, 1042, 2071},  {64, 1042, 2073},
                      {128, 1038, 2633}, {129, 1038, 2635}, {37, 1001, 2001}};
  for (const Row& r : rows) {
    const SpecialCaseEntry* e = FindSpecialCaseEntry(r.field);
    ASSERT_NE(e, nullptr) << r.field;
    EXPECT_EQ(e->pageId, r.page);
    EXPECT_EQ(e->controlId, r.control);
  }
  EXPECT_EQ(FindSpecialCaseEntry(14), nullptr);
  EXPECT_EQ(FindSpecialCaseEntry(0), nullptr);
}

}  // namespace
