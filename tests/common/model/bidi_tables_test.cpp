// The paper and media maps of the two-way printer query.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "model/bidi_tables.h"
#include "field_ids.h"
#include "model/value_sets.h"

namespace {

constexpr DWORD kTrayPaperField = fid::kdmTray1Paper;
constexpr DWORD kTrayMediaField = fid::kdmTray1Media;

int PairCount(const CodePair* table) {
  int n = 0;
  while (table[n].first != 0 || table[n].second != 0) ++n;
  return n;
}

// The driver code for a printer code: the first pair that carries it, 0 when none does.
DWORD Lookup(const CodePair* table, DWORD printerCode) {
  for (const CodePair* p = table; p->first != 0 || p->second != 0; ++p) {
    if (p->second == printerCode) return p->first;
  }
  return 0;
}

TEST(TwoWayMaps, PairLayout) {
  // Eight bytes a pair: the DEVMODE value, then the printer code (a 16-bit reader of the value
  // finds it in the low word, the high word 0).
  const CodePair* table = GetTwoWayPaperTable(kPaperTableFirst);
  DWORD words[4];
  std::memcpy(words, table, sizeof words);
  EXPECT_EQ(words[0], 2048u);
  EXPECT_EQ(words[1], 0u);
  EXPECT_EQ(words[2], 1u);
  EXPECT_EQ(words[3], 23u);
  WORD low;
  std::memcpy(&low, table + 1, sizeof low);
  EXPECT_EQ(low, 1);
}

TEST(TwoWayMaps, CountsStartAndEnd) {
  struct Case {
    const CodePair* table;
    int pairs;
  } cases[] = {
      {GetTwoWayPaperTable(kPaperTableFirst), 62},
      {GetTwoWayPaperTable(kPaperTableSecond), 35},
      {GetTwoWayMediaTable(), 61},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PairCount(c.table), c.pairs);
    EXPECT_EQ(c.table[0].first, kBidiNothing);
    EXPECT_EQ(c.table[0].second, 0u);
    // No pair before the end has a zero DEVMODE value, so a reader that stops at value 0
    // sees the same table.
    for (int i = 0; i < c.pairs; ++i) EXPECT_NE(c.table[i].first, 0u) << i;
  }
  EXPECT_EQ(kTwoWayPaperPairCount[0], 62);
  EXPECT_EQ(kTwoWayPaperPairCount[1], 35);
  EXPECT_EQ(kTwoWayMediaPairCount, 61);
}

TEST(TwoWayMaps, PaperCodesAreTrayPaperValues) {
  for (TwoWayPaperTable which : {kPaperTableFirst, kPaperTableSecond}) {
    const CodePair* table = GetTwoWayPaperTable(which);
    std::set<DWORD> printerCodes;
    int freeSizes = 0;
    for (const CodePair* p = table; p->first != 0; ++p) {
      EXPECT_TRUE(printerCodes.insert(p->second).second) << "printer code " << p->second << " twice";
      if (p->first == kBidiFreePaper) {
        ++freeSizes;
        EXPECT_EQ(p->second, 1u);
      } else if (p->first != kBidiNothing) {
        EXPECT_EQ(IsValueAllowedForItem(kTrayPaperField, p->first), 1) << p->first;
      }
    }
    EXPECT_EQ(freeSizes, 1);
  }
}

TEST(TwoWayMaps, FirstAndSecondMapsShareOnlyTheMarkers) {
  std::set<DWORD> first;
  for (const CodePair* p = GetTwoWayPaperTable(kPaperTableFirst); p->first != 0; ++p) first.insert(p->second);
  std::vector<DWORD> shared;
  for (const CodePair* p = GetTwoWayPaperTable(kPaperTableSecond); p->first != 0; ++p) {
    if (first.count(p->second)) shared.push_back(p->second);
  }
  // Nothing, a free size and 449: what the second map gives for them is never reached.
  EXPECT_EQ(shared, (std::vector<DWORD>{0, 1, 2}));
}

TEST(TwoWayMaps, PaperLookups) {
  struct Case {
    TwoWayPaperTable table;
    DWORD printerCode;
    DWORD paper;
  } cases[] = {
      {kPaperTableFirst, 0, 2048},   {kPaperTableFirst, 1, 2049},   {kPaperTableFirst, 2, 449},
      {kPaperTableFirst, 23, 1},     {kPaperTableFirst, 9, 9},      {kPaperTableFirst, 72, 66},
      {kPaperTableFirst, 257, 538},  {kPaperTableFirst, 273, 526},  {kPaperTableFirst, 274, 552},
      {kPaperTableFirst, 275, 553},  {kPaperTableFirst, 284, 562},  {kPaperTableFirst, 22, 0},
      {kPaperTableFirst, 285, 0},    {kPaperTableSecond, 22, 1},    {kPaperTableSecond, 8, 9},
      {kPaperTableSecond, 88, 268},  {kPaperTableSecond, 109, 545}, {kPaperTableSecond, 74, 518},
      {kPaperTableSecond, 23, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Lookup(GetTwoWayPaperTable(c.table), c.printerCode), c.paper) << c.table << " " << c.printerCode;
  }
}

TEST(TwoWayMaps, MediaCodesAndLookups) {
  const CodePair* media = GetTwoWayMediaTable();
  std::set<DWORD> printerCodes;
  for (const CodePair* p = media; p->first != 0; ++p) {
    EXPECT_TRUE(printerCodes.insert(p->second).second) << "printer code " << p->second << " twice";
    if (p->first != kBidiNothing) {
      EXPECT_EQ(IsValueAllowedForItem(kTrayMediaField, p->first), 1) << p->first;
    }
  }
  struct Case {
    DWORD printerCode, media;
  } cases[] = {
      {0, 2048}, {1, 1},  {3, 2},   {2, 260},  {9, 264},   {22, 264},   {8, 272},
      {7, 294},  {45, 520}, {100, 1025}, {107, 1032}, {115, 1040}, {35, 0}, {116, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(Lookup(media, c.printerCode), c.media) << c.printerCode;
}

}  // namespace
