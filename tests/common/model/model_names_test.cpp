// The indexed name lookups agree with the dictionary's own linear lookups for every name.
#include <gtest/gtest.h>

#include "base/dictionary_pages.h"
#include "model_test_util.h"

namespace {

TEST(ModelNames, IndexedLookupsAgreeWithTheDictionary) {
  kovatest::TempRoot root;
  const ControlNameTable* names = GetControlNameTable();
  for (DWORD i = 0; i < names->count; ++i) {
    const char* n = names->entries[i].name;
    EXPECT_EQ(FindFeatureByName(n), FindNameEntryByName(n)) << n;
  }
  for (const ValueNameTable* t : {GetValueNameTable(), GetIdsTable()}) {
    for (DWORD i = 0; i < t->count; ++i) {
      const char* s = t->entries[i].symbol;
      WORD id = 0;
      ASSERT_TRUE(FindValueIdByName(s, &id)) << s;
      EXPECT_EQ(id, FindValueSymbolByName(s)->value & 0xFFFF) << s;
    }
  }
  WORD id = 0;
  EXPECT_FALSE(FindValueIdByName("KDMNOSUCHVALUE", &id));
  EXPECT_FALSE(FindValueIdByName(nullptr, &id));
  EXPECT_EQ(FindFeatureByName("KPD_NoSuchFeature"), nullptr);
  EXPECT_EQ(FindFeatureByName(""), nullptr);
}

TEST(ModelNames, PagesControlsAndMessages) {
  kovatest::TempRoot root;
  WORD id = 0;
  ASSERT_TRUE(FindPageIdByName("KPD_IDD_PRESET", &id));
  EXPECT_EQ(id, GetBuiltInPageTable()->records[0].pageId);
  EXPECT_FALSE(FindPageIdByName("KPD_IDD_NOSUCH", &id));
  // A control of the first page: the id of its row in the page's control table.
  ASSERT_TRUE(FindControlIdByName("KPD_IDC_PRESET_CHOICE_COLOR", &id));
  const ControlRecord* c = FindControlByItemId(nullptr, const_cast<PageRecord*>(&GetBuiltInPageTable()->records[0]), 647);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(id, c->controlId);
  EXPECT_FALSE(FindControlIdByName("KPD_Tray1PaperSize", &id));  // a feature bound to no control
  ASSERT_TRUE(FindMessageIdByName("KPD_ScaleIllegalMessage", &id));
  EXPECT_EQ(id, 474);
  EXPECT_FALSE(FindMessageIdByName("KPD_IDD_PRESET", &id));
}

}  // namespace
