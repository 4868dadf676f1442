// Data-driven checks of every row of the built-in field table and of the name tables.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "fields/dictionary_lookup.h"
#include "fields/field_table.h"
#include "base/settings_field.h"

namespace dictionary_rows_test {

namespace {

const SettingFieldDef* Rows() { return GetBuiltInFields(); }

const SettingFieldDef* Row(WORD id) {
  for (int i = 0; i < kBuiltInFieldCount; ++i) {
    if (Rows()[i].id == id) return &Rows()[i];
  }
  return nullptr;
}

std::string Narrow(const WCHAR* s) {
  std::string out;
  for (; s && *s; ++s) out.push_back(static_cast<char>(*s));
  return out;
}

DWORD ExpectedArea(WORD id) {
  if (id <= 722) return 1;
  if ((id >= 723 && id <= 1452) || (id >= 1544 && id <= 1555)) return 3;
  return 2;
}

std::set<WORD> Ids(std::initializer_list<std::pair<WORD, WORD>> ranges) {
  std::set<WORD> out;
  for (auto [a, b] : ranges) {
    for (DWORD i = a; i <= b; ++i) out.insert(static_cast<WORD>(i));
  }
  return out;
}

TEST(FieldDictionary, IdsRunInTwoConsecutiveBlocks) {
  std::vector<WORD> expected;
  for (WORD i = 1; i <= 1555; ++i) expected.push_back(i);
  for (WORD i = 10001; i <= 10434; ++i) expected.push_back(i);
  ASSERT_EQ(expected.size(), static_cast<size_t>(kBuiltInFieldCount));
  for (int i = 0; i < kBuiltInFieldCount; ++i) EXPECT_EQ(Rows()[i].id, expected[i]) << "index " << i;
}

TEST(FieldDictionary, EveryRowHasAValidTypeInItsArea) {
  for (int i = 0; i < kBuiltInFieldCount; ++i) {
    const SettingFieldDef& r = Rows()[i];
    const DWORD code = FieldCodeOf(r.type), size = FieldSizeOf(r.type);
    EXPECT_EQ(FieldAreaOf(r.type), ExpectedArea(r.id)) << r.id;
    EXPECT_EQ((r.type >> 16) & 0xFF, 0u) << r.id;
    if (IsBitFieldCode(code)) {
      EXPECT_TRUE(size == 1 || size == 2 || size == 4) << r.id;
      EXPECT_LT(code - FT_FIRST_BIT, size * 8) << r.id;
    } else if (IsNumberFieldCode(code)) {
      const DWORD widths[] = {0, 1, 2, 4, 1, 2, 4};
      EXPECT_EQ(size, widths[code]) << r.id;
    } else {
      EXPECT_TRUE(IsTextFieldCode(code)) << r.id;
      EXPECT_GT(size, 0u) << r.id;
      if (code == FT_WIDE_TEXT) {
        EXPECT_EQ(size % 2, 0u) << r.id;
      }
    }
  }
}

TEST(FieldDictionary, AreasEndExactlyAtTheirSizes) {
  const DWORD sizes[4] = {0, 1236, 5264, 3580};
  DWORD ends[4] = {};
  for (int i = 0; i < kBuiltInFieldCount; ++i) {
    const SettingFieldDef& r = Rows()[i];
    const DWORD area = FieldAreaOf(r.type), end = r.offset + FieldSizeOf(r.type);
    EXPECT_LE(end, sizes[area]) << r.id;
    if (end > ends[area]) ends[area] = end;
  }
  EXPECT_EQ(ends[1], 1236u);  // last byte 1235
  EXPECT_EQ(ends[2], 5264u);  // last byte 5263
  EXPECT_EQ(ends[3], 3580u);  // last byte 3579
}

// Bit fields of one word share offset and size and use distinct bits; no two storage units
// overlap, except wdmWmPosiTile (940), a bit in the byte of wdmWmPosi (939).
TEST(FieldDictionary, StorageUnitsOverlapOnlyAt939And940) {
  struct Unit {
    DWORD area, offset, size;
    WORD firstId;
  };
  std::map<std::pair<DWORD, DWORD>, Unit> words;  // bit words by (area, offset)
  std::map<std::pair<DWORD, DWORD>, std::set<DWORD>> bits;
  std::vector<Unit> units;
  for (int i = 0; i < kBuiltInFieldCount; ++i) {
    const SettingFieldDef& r = Rows()[i];
    const DWORD area = FieldAreaOf(r.type), size = FieldSizeOf(r.type), code = FieldCodeOf(r.type);
    if (IsBitFieldCode(code)) {
      auto key = std::make_pair(area, static_cast<DWORD>(r.offset));
      auto it = words.find(key);
      if (it == words.end()) {
        words[key] = Unit{area, r.offset, size, r.id};
        units.push_back(words[key]);
      } else {
        EXPECT_EQ(it->second.size, size) << "bit field " << r.id << " shares a word of another width";
      }
      EXPECT_TRUE(bits[key].insert(code).second) << "bit of " << r.id << " used twice";
    } else {
      units.push_back(Unit{area, r.offset, size, r.id});
    }
  }
  std::vector<std::pair<WORD, WORD>> overlaps;
  for (size_t a = 0; a < units.size(); ++a) {
    for (size_t b = a + 1; b < units.size(); ++b) {
      const Unit &x = units[a], &y = units[b];
      if (x.area == y.area && x.offset < y.offset + y.size && y.offset < x.offset + x.size) {
        overlaps.emplace_back(x.firstId, y.firstId);
      }
    }
  }
  ASSERT_EQ(overlaps.size(), 1u);
  EXPECT_EQ(overlaps[0], std::make_pair(WORD{939}, WORD{940}));
}

struct BitWordCase {
  WORD first, last;
  DWORD area, offset, size;
};

TEST(FieldDictionary, BitFieldsShareTheirWordsAsListed) {
  const BitWordCase cases[] = {
      {55, 86, 1, 436, 4},       {88, 88, 1, 441, 1},      {153, 168, 1, 576, 2},
      {211, 226, 1, 734, 2},     {447, 478, 1, 896, 4},    {723, 754, 3, 0, 4},
      {935, 935, 3, 1329, 1},    {1010, 1017, 3, 2504, 1}, {1462, 1493, 2, 1016, 4},
      {10239, 10270, 2, 204, 4}, {10386, 10417, 2, 336, 4}, {10418, 10425, 2, 340, 1},
      {10426, 10433, 2, 341, 1},
  };
  for (const auto& c : cases) {
    for (DWORD id = c.first; id <= c.last; ++id) {
      const SettingFieldDef* r = Row(static_cast<WORD>(id));
      ASSERT_NE(r, nullptr);
      EXPECT_EQ(FieldAreaOf(r->type), c.area) << id;
      EXPECT_EQ(r->offset, c.offset) << id;
      EXPECT_EQ(FieldSizeOf(r->type), c.size) << id;
      EXPECT_EQ(FieldCodeOf(r->type), FT_FIRST_BIT + (id - c.first)) << id;
    }
  }
  const SettingFieldDef* tile = Row(940);
  EXPECT_EQ(tile->offset, 1333);
  EXPECT_EQ(FieldCodeOf(tile->type), FT_FIRST_BIT + 6);
  EXPECT_EQ(FieldSizeOf(tile->type), 1u);
}

struct NamedRow {
  WORD id;
  const char* name;
  DWORD code, size, area, offset;
};

TEST(FieldDictionary, SampleRowsCarryTheirLayout) {
  const NamedRow cases[] = {
      {1, "dmDeviceName", FT_WIDE_TEXT, 64, 1, 0},
      {7, "dmOrientation", FT_S16, 2, 1, 76},
      {20, "dmFormName", FT_WIDE_TEXT, 64, 1, 102},
      {31, "dmICCManufacturer", FT_U32, 4, 1, 204},
      {32, "dmICCModel", FT_U32, 4, 1, 208},
      {35, "kdmMachineID", FT_U8, 1, 1, 368},
      {37, "kdmPresetNo", FT_S8, 1, 1, 370},
      {202, "kdmUserID", FT_ANSI_TEXT, 9, 1, 597},
      {242, "kdmDriverType", FT_U8, 1, 1, 811},
      {697, "kdmIniFileName", FT_ANSI_TEXT, 16, 1, 228},
      {704, "", FT_U32, 4, 1, 224},
      {722, "", FT_U8, 1, 1, 1235},
      {926, "wdmPresetComment", FT_ANSI_TEXT, 513, 3, 157},
      {1527, "wdmCustomMedia16Name", FT_ANSI_TEXT, 257, 2, 4943},
      {1543, "wdmMedia16NameCharSet", FT_U32, 4, 2, 5260},
      {1555, "", FT_S16, 2, 3, 3578},
      {10005, "kdmFontTable", FT_U32, 4, 2, 16},
      {10175, "kdmTray1Paper", FT_U16, 2, 2, 76},
      {10289, "kdmTotalCounter", FT_S32, 4, 2, 320},
      {10434, "kdmLockDstResolutionBoth", FT_U16, 2, 2, 342},
  };
  for (const auto& c : cases) {
    const SettingFieldDef* r = Row(c.id);
    ASSERT_NE(r, nullptr) << c.id;
    EXPECT_EQ(Narrow(r->name), c.name) << c.id;
    EXPECT_EQ(FieldCodeOf(r->type), c.code) << c.id;
    EXPECT_EQ(FieldSizeOf(r->type), c.size) << c.id;
    EXPECT_EQ(FieldAreaOf(r->type), c.area) << c.id;
    EXPECT_EQ(r->offset, c.offset) << c.id;
  }
}

TEST(FieldDictionary, HandlingCodesAndMarks) {
  const std::map<WORD, WORD> handling = {{1, 3},   {210, 1},  {98, 2},  {99, 2},   {691, 2},
                                         {692, 2}, {697, 5},  {992, 6}, {993, 7},  {96, 9},
                                         {97, 10}, {69, 11},  {1251, 12}, {1452, 12}, {111, 13}};
  int counts[5] = {};
  for (int i = 0; i < kBuiltInFieldCount; ++i) {
    const SettingFieldDef& r = Rows()[i];
    auto it = handling.find(r.id);
    EXPECT_EQ(r.handling, it == handling.end() ? 0 : it->second) << r.id;
    for (int m = 0; m < 5; ++m) {
      const WORD v = MarkOf(r.marks, m);
      EXPECT_LE(v, 1) << r.id;
      counts[m] += v;
    }
  }
  EXPECT_EQ(counts[0], 0);
  EXPECT_EQ(counts[1], 112);
  EXPECT_EQ(counts[2], 28);
  EXPECT_EQ(counts[3], 26);
  EXPECT_EQ(counts[4], 0);
  EXPECT_EQ(MarkOf(Row(13)->marks, 1), 1);
  EXPECT_EQ(MarkOf(Row(38)->marks, 2), 1);
  EXPECT_EQ(MarkOf(Row(1098)->marks, 3), 1);
}

TEST(FieldDictionary, StoreKindsSectionsAndKeys) {
  struct Case {
    WORD id, kind;
    const char* section;
    const char* key;
  } cases[] = {
      {209, 2, "", "PrnMethod"},       {211, 2, "", "ACT_SECUREPRINT"},
      {1162, 2, "", "ImageFormOrient"}, {1453, 1, "BINNAME", "Tray1"},
      {1494, 1, "", "CustomMediaMax"}, {10275, 1, "PRINTLOG", "Logging"},
      {10274, 1, "OTHER", "Other"},    {10110, 1, "OPTION", "1StepNum"},
      {10175, 1, "PAPERSIZE", "Tray1Paper"}, {10242, 1, "TRAYLOCK", "Tray4Lock"},
      {10288, 1, "COVER_MARK", "ReverseCoverTray"}, {10358, 1, "ADVANCED", "ReduceFont"},
      {10434, 1, "", "LockResolutionBoth"}, {203, 1, "PRINTLOG", "UserCode"},
      {1, 0, "", ""},                  {10005, 0, "", ""},
  };
  for (const auto& c : cases) {
    const SettingFieldDef* r = Row(c.id);
    EXPECT_EQ(r->storeKind, c.kind) << c.id;
    EXPECT_EQ(Narrow(r->section), c.section) << c.id;
    EXPECT_EQ(Narrow(r->key), c.key) << c.id;
  }
  for (int i = 0; i < kBuiltInFieldCount; ++i) {
    const SettingFieldDef& r = Rows()[i];
    EXPECT_EQ(r.storeKind != 0, r.key != nullptr) << r.id;
    if (r.storeKind == STORE_PRINTER_DATA && r.id != 203) {
      EXPECT_EQ(FieldAreaOf(r.type), 2u) << r.id;
    }
  }
}

TEST(FieldDictionary, ValueMapsHaveTheirCounts) {
  const std::set<WORD> second = {92, 94, 120, 121};
  int fields = 0, pairs = 0, offered = 0;
  for (int i = 0; i < kBuiltInFieldCount; ++i) {
    const SettingFieldDef& r = Rows()[i];
    if (!r.valueMap) continue;
    ++fields;
    const ValueMapEntry* m = r.valueMap;
    for (int part = 0; part < (second.count(r.id) ? 2 : 1); ++part) {
      for (; m->valueId != 0; ++m) {
        ++pairs;
        if (m->valueId != VALUE_NOT_OFFERED) ++offered;
      }
      ++m;
    }
  }
  EXPECT_EQ(fields, 115);
  EXPECT_EQ(pairs, 4312);
  EXPECT_EQ(offered, 1141);
  const std::set<WORD> mapped = Ids({{7, 8}, {13, 13}, {15, 15}, {36, 38}, {46, 46}, {53, 54}, {87, 87},
                                     {91, 92}, {94, 95}, {108, 113}, {119, 129}, {137, 137}, {171, 171},
                                     {173, 173}, {177, 182}, {200, 201}, {209, 209}, {227, 227},
                                     {342, 343}, {346, 347}, {403, 410}, {444, 444}, {511, 512},
                                     {522, 523}, {526, 526}, {602, 602}, {679, 680}, {690, 690},
                                     {918, 919}, {928, 928}, {938, 939}, {947, 947}, {951, 951},
                                     {954, 957}, {964, 969}, {997, 999}, {1002, 1004}, {1097, 1097},
                                     {1110, 1110}, {1162, 1162}, {10012, 10012}, {10175, 10178},
                                     {10200, 10200}, {10203, 10204}, {10207, 10210}, {10232, 10232},
                                     {10235, 10236}, {10276, 10280}, {10288, 10288}, {10434, 10434}});
  for (int i = 0; i < kBuiltInFieldCount; ++i) {
    EXPECT_EQ(Rows()[i].valueMap != nullptr, mapped.count(Rows()[i].id) == 1) << Rows()[i].id;
  }
}

TEST(FieldDictionary, TellingMapRows) {
  auto pairsOf = [](WORD id) {
    std::map<DWORD, DWORD> out;
    for (const ValueMapEntry* m = Row(id)->valueMap; m->valueId; ++m) out[m->stored] = m->valueId;
    return out;
  };
  EXPECT_EQ(pairsOf(7), (std::map<DWORD, DWORD>{{1, 2026}, {2, 2027}}));
  EXPECT_EQ(pairsOf(15), (std::map<DWORD, DWORD>{{1, 39}, {2, 38}}));
  EXPECT_EQ(pairsOf(36), (std::map<DWORD, DWORD>{{0, 2515}, {1, 2514}}));
  auto presets = pairsOf(37);
  for (DWORD n = 0; n < 16; ++n) EXPECT_EQ(presets[n], 119 + n);
  EXPECT_EQ(pairsOf(38), (std::map<DWORD, DWORD>{{150, 0xFFFF}, {200, 0xFFFF}, {300, 84}, {400, 0xFFFF},
                                                 {600, 86}, {1200, 87}, {2400, 0xFFFF}}));
  for (WORD id : {WORD{8}, WORD{46}}) {
    auto paper = pairsOf(id);
    for (DWORD c = 384; c <= 393; ++c) EXPECT_EQ(paper[c], 109 + (c - 384)) << id;
    for (DWORD c = 1; c <= 118; ++c) EXPECT_EQ(paper.count(c), 1u) << id << " code " << c;
  }
  auto out = pairsOf(46);
  EXPECT_EQ(out[1024], 52u);
  for (DWORD c = 1025; c <= 1028; ++c) EXPECT_EQ(out[c], 0xFFFFu);
  EXPECT_EQ(pairsOf(8).count(1024), 0u);
  auto media = pairsOf(54);
  const std::map<DWORD, DWORD> told = {{1, 10},   {2, 13},   {258, 12}, {260, 11}, {262, 20},
                                       {263, 14}, {264, 16}, {265, 17}, {272, 803}, {301, 9}};
  for (auto [code, id] : told) EXPECT_EQ(media[code], id) << code;
  for (DWORD n = 0; n < 16; ++n) EXPECT_EQ(media[1025 + n], 13708 + n);
}

TEST(NameTables, ControlNameOrdinalsAndRanges) {
  const ControlNameTable* t = GetControlNameTable();
  ASSERT_EQ(t->count, kControlNameCount);
  std::set<std::string> names;
  for (DWORD i = 0; i < t->count; ++i) {
    EXPECT_EQ(t->entries[i].itemId, i + 1);
    EXPECT_TRUE(names.insert(t->entries[i].name).second) << t->entries[i].name;
  }
  for (DWORD i = 0; i < 19; ++i) EXPECT_EQ(t->entries[i].fieldId, 704 + i);
  EXPECT_STREQ(t->entries[0].name, "KPD_kdmJobfold");
  EXPECT_STREQ(t->entries[18].name, "KPD_kdmBidiFunc");
  const MessageTable* m = GetMessageTable();
  ASSERT_EQ(m->count, kMessageCount);
  for (WORD i = 0; i < m->count; ++i) {
    EXPECT_EQ(m->entries[i].messageId, 474 + i);
    EXPECT_STREQ(t->entries[473 + i].name, m->entries[i].name);
    EXPECT_EQ(t->entries[473 + i].fieldId, 0);
  }
  EXPECT_STREQ(t->entries[538].name, "KPD_IDD_PRESET");
  EXPECT_STREQ(t->entries[616].name, "KPD_IDD_DIALOG_FOLDING");
  EXPECT_STREQ(t->entries[617].name, "KPD_IDC_PRESET_ICONLIST");
  EXPECT_EQ(t->entries[617].fieldId, 37);
  EXPECT_STREQ(t->entries[657].name, "KPD_IDC_PRESET_BMP_ARROW_SCALE");
  EXPECT_STREQ(t->entries[t->count - 1].name, "IDHELPBUTTON");
  EXPECT_EQ(t->entries[t->count - 1].fieldId, 0);
}

TEST(NameTables, ItemIdsFollowTheControlNameTable) {
  const ControlNameTable* t = GetControlNameTable();
  std::map<WORD, WORD> firstOrdinal;
  for (DWORD i = 0; i < t->count; ++i) {
    if (t->entries[i].fieldId) firstOrdinal.emplace(t->entries[i].fieldId, t->entries[i].itemId);
  }
  int withItem = 0;
  for (int i = 0; i < kBuiltInFieldCount; ++i) {
    const SettingFieldDef& r = Rows()[i];
    auto it = firstOrdinal.find(r.id);
    EXPECT_EQ(r.itemId, it == firstOrdinal.end() ? 0 : it->second) << r.id;
    if (r.itemId) ++withItem;
    // A field without a name of its own is named by its control-name entry.
    if (!r.name && r.itemId) {
      EXPECT_NE(it, firstOrdinal.end());
    }
  }
  EXPECT_EQ(withItem, 680);
  EXPECT_EQ(Row(37)->itemId, 618);
  EXPECT_EQ(Row(819)->itemId, FindNameEntryByName("KPD_PrintPaperOrient")->itemId);
  EXPECT_EQ(Row(10175)->itemId, FindNameEntryByName("KPD_Tray1PaperSize")->itemId);
  EXPECT_EQ(Row(1550)->itemId, FindNameEntryByName("KPD_RADIOLIST_5")->itemId);
}

TEST(NameTables, ValueAndIdsTables) {
  const ValueNameTable* v = GetValueNameTable();
  const ValueNameTable* s = GetIdsTable();
  ASSERT_EQ(v->count, kValueNameCount);
  ASSERT_EQ(s->count, kIdsCount);
  std::set<std::string> symbols;
  for (const ValueNameTable* t : {v, s}) {
    for (DWORD i = 0; i < t->count; ++i) EXPECT_TRUE(symbols.insert(t->entries[i].symbol).second);
  }
  // Every offered value of a first map has a symbol named after the field and the code.
  for (int i = 0; i < kBuiltInFieldCount; ++i) {
    const SettingFieldDef& r = Rows()[i];
    if (!r.valueMap) continue;
    for (const ValueMapEntry* m = r.valueMap; m->valueId; ++m) {
      if (m->valueId == VALUE_NOT_OFFERED) continue;
      const ValueNameEntry* e = FindValueSymbol(r.id, m->valueId);
      ASSERT_NE(e, nullptr) << r.id << " " << m->stored;
      EXPECT_EQ(e->itemId, r.itemId);
    }
  }
  const ValueNameEntry* a4 = FindValueSymbolByName("KDMPAPERSIZE_9");
  ASSERT_NE(a4, nullptr);
  EXPECT_EQ(a4->fieldId, 8);
  const ValueNameEntry* land = FindValueSymbolByName("KDMDUPLEXTYPE_1L");
  ASSERT_NE(land, nullptr);
  EXPECT_EQ(land->value, 6343u);
  const ValueNameEntry* ids = FindValueSymbolByName("IDS_KDMPAPERSIZE_9");
  ASSERT_NE(ids, nullptr);
  EXPECT_EQ(ids->number, a4->number);
}

}  // namespace

}  // namespace dictionary_rows_test
