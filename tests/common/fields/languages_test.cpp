#include <gtest/gtest.h>

#include <string>

#include "fields/languages.h"

namespace languages_test {

namespace {

std::u16string Str(const WCHAR* p) { return p ? std::u16string(p) : std::u16string(u"<null>"); }

TEST(Languages, TableOrderAndEndRow) {
  const LanguageRow* rows = GetLanguageTable();
  const WORD ids[19] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 16, 17, 18, 15};
  for (int i = 0; i < 19; ++i) EXPECT_EQ(rows[i].id, ids[i]) << i;
  EXPECT_EQ(rows[19].id, 0xFFFF);
  EXPECT_EQ(rows[19].primary, 0xFFFF);
  EXPECT_EQ(rows[19].sublanguage, 0xFFFF);
  EXPECT_EQ(Str(rows[18].code), u"ru");
  EXPECT_EQ(rows[18].primary, 0x19);
}

TEST(Languages, CodesAndIds) {
  EXPECT_EQ(GetLanguageIdFromCode(u"US"), 1);
  EXPECT_EQ(GetLanguageIdFromCode(u"us"), 1);
  EXPECT_EQ(GetLanguageIdFromCode(u"xx"), 1);
  EXPECT_EQ(GetLanguageIdFromCode(nullptr), 1);
  EXPECT_EQ(GetLanguageIdFromCode(u"Ru"), 15);
  EXPECT_EQ(Str(NormaliseLanguageCode(u"JP")), u"jp");
  EXPECT_EQ(Str(NormaliseLanguageCode(u"zz")), u"us");
  EXPECT_EQ(Str(GetLanguageCodeById(16)), u"cs");
  EXPECT_EQ(Str(GetLanguageCodeById(19)), u"us");
  EXPECT_TRUE(IsKnownLanguageId(18));
  EXPECT_FALSE(IsKnownLanguageId(19));
  WORD sub = 99;
  EXPECT_EQ(GetPrimaryLanguageOfId(17, &sub), 0x04);
  EXPECT_EQ(sub, 1);
  EXPECT_EQ(GetPrimaryLanguageOfId(4, &sub), 0x07);
  EXPECT_EQ(sub, 0);
  EXPECT_EQ(GetPrimaryLanguageOfId(40, &sub), 0);
}

TEST(Languages, FindByLangId) {
  struct Case {
    WORD langId;
    WORD expected;
  } cases[] = {
      {0x0804, 16}, {0x0404, 17}, {0x0C04, 0xFFFF},
      {0x0409, 0xFFFF}, {0x0809, 0xFFFF},  // the English row has sublanguage 0: only 0 matches
      {0x0009, 1},  {0x0004, 16}, {0x0011, 0}, {0x0019, 15}, {0x007F, 0xFFFF},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FindLanguageByLangId(c.langId & 0x3FF, c.langId >> 10), c.expected) << std::hex << c.langId;
}

TEST(Languages, FromFileNames) {
  struct Case {
    const char16_t* path;
    WORD id;
    const char16_t* code;
  } cases[] = {
      {u"C:\\drv\\X_cs.hlp", 16, u"cs"},
      {u"KOVAUS.HLP", 1, u"us"},
      {u"C:\\d\\KOVAJP.DLL", 0, u"jp"},
      {u"C:\\d.fr\\noext", 1, u"us"},   // the dot of a folder is not the file's
      {u"a.hlp", 1, u"us"},             // one character before the dot: not matched
      {u".hlp", 1, u"us"},
      {u"C:\\dir\\", 1, u"us"},
      {u"C:\\d\\name.gm.hlp", 4, u"gm"},  // the extension's dot is the last one
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LanguageIdFromFileName(c.path), c.id) << Str(c.path).size();
    EXPECT_EQ(Str(LanguageCodeFromFileName(c.path)), c.code);
  }
  EXPECT_EQ(LanguageIdFromFileName(nullptr), 1);
  EXPECT_EQ(Str(LanguageCodeFromFileName(nullptr)), u"us");
}

}  // namespace

}  // namespace languages_test
