// Page and control lookups on a context's copy of the page table, and the field a
// control edits.
#include <gtest/gtest.h>

#include <string>

#include "fields/dictionary_lookup.h"
#include "base/dictionary_pages.h"
#include "fields/field_access.h"
#include "field_fixture.h"

namespace {

using kovatest::FieldContext;

class PageLookup : public ::testing::Test {
 protected:
  PageLookup() { EXPECT_TRUE(CopyBuiltInPageTable(fc.get()->pages)); }
  ~PageLookup() override { FreePageTable(fc.get()->pages); }
  HWND FakeWindow(uintptr_t n) { return reinterpret_cast<HWND>(n); }

  FieldContext fc;
};

TEST_F(PageLookup, BuiltInTableOrderAndOptionIds) {
  const PageTable* t = GetBuiltInPageTable();
  ASSERT_EQ(t->count, kBuiltInPageCount);
  for (int i = 0; i < t->count; ++i) {
    const PageRecord& p = t->records[i];
    EXPECT_EQ(p.optionId, 539 + i);
    const ControlNameEntry* e = FindNameEntryByKey(p.optionId);
    ASSERT_NE(e, nullptr);
    EXPECT_STREQ(e->name, p.symbol);
    EXPECT_EQ(p.window, nullptr);
  }
  EXPECT_EQ(t->records[62].pageId, 4019);
  EXPECT_EQ(t->records[62].flags, 0xAu);
  // Every control's item id names its control row.
  const PageRecord& first = t->records[0];
  ASSERT_EQ(first.controlCount, 42);
  for (int i = 0; i < first.controlCount; ++i) {
    const ControlRecord& c = first.controls[i];
    ASSERT_NE(FindNameEntryByKey(c.itemId), nullptr);
    EXPECT_GE(c.itemId, 618);
  }
}

TEST_F(PageLookup, ContextCopyIsIndependent) {
  PageRecord* page = FindPageById(fc.get(), 1001);
  ASSERT_NE(page, nullptr);
  EXPECT_NE(page, &GetBuiltInPageTable()->records[0]);
  EXPECT_NE(page->controls, GetBuiltInPageTable()->records[0].controls);
  page->controls[0].window = FakeWindow(0x10);
  EXPECT_EQ(GetBuiltInPageTable()->records[0].controls[0].window, nullptr);
}

TEST_F(PageLookup, PagesByIdWindowAndName) {
  EXPECT_EQ(FindPageById(fc.get(), 4034)->symbol, std::string("KPD_IDD_DIALOG_FOLDING"));
  EXPECT_EQ(FindPageById(fc.get(), 1064), nullptr);
  EXPECT_EQ(FindPageById(nullptr, 1001), nullptr);
  PageRecord* basic = FindPageById(fc.get(), 1002);
  basic->window = FakeWindow(0x20);
  EXPECT_EQ(FindPageByWindow(fc.get(), FakeWindow(0x20)), basic);
  EXPECT_EQ(FindPageByWindow(fc.get(), nullptr), nullptr);
  EXPECT_EQ(FindPageByName(fc.get(), "KPD_IDD_BASIC"), basic);
  EXPECT_EQ(FindPageByName(fc.get(), "kpd_idd_basic"), nullptr);
  // Without a context the shared table answers; its run-time members are empty.
  const PageRecord* shared = FindPageByName(nullptr, "KPD_IDD_BASIC");
  ASSERT_NE(shared, nullptr);
  EXPECT_NE(shared, basic);
  EXPECT_EQ(shared->window, nullptr);
}

TEST_F(PageLookup, ControlsOfAPageAndOfAllPages) {
  PageRecord* page = FindPageById(fc.get(), 1001);
  EXPECT_EQ(GetPageControl(page, 41)->controlId, 2018);
  EXPECT_EQ(GetPageControl(page, 42), nullptr);
  EXPECT_EQ(GetPageControl(page, -1), nullptr);
  EXPECT_EQ(GetPageControl(nullptr, 0), nullptr);
  EXPECT_EQ(FindControlById(fc.get(), page, 2029)->itemId, 640);
  EXPECT_EQ(FindControlById(fc.get(), nullptr, 2029), FindControlById(fc.get(), page, 2029));
  EXPECT_EQ(FindControlById(nullptr, nullptr, 2029), nullptr);
  EXPECT_EQ(FindControlById(fc.get(), FindPageById(fc.get(), 1002), 2029), nullptr);
  // The two radio buttons share one item id: the first is found.
  EXPECT_EQ(FindControlByItemId(fc.get(), nullptr, 637)->controlId, 2026);
  EXPECT_EQ(FindControlByItemName(fc.get(), nullptr, "KPD_RADIOLIST_1")->controlId, 2026);
  EXPECT_EQ(FindControlByItemName(fc.get(), nullptr, "KPD_NOSUCHNAME"), nullptr);
  ControlRecord* c = FindControlById(fc.get(), page, 2006);
  EXPECT_EQ(c->lockMessageId, 10204);
  EXPECT_EQ(c->lockFieldId, 10419);
  c->window = FakeWindow(0x30);
  EXPECT_EQ(FindControlByWindow(fc.get(), nullptr, FakeWindow(0x30)), c);
  EXPECT_EQ(FindControlByWindow(fc.get(), nullptr, nullptr), nullptr);
}

TEST_F(PageLookup, ControlFieldAccess) {
  PageRecord* page = FindPageById(fc.get(), 1001);
  ControlRecord* orientation = FindControlById(fc.get(), page, 2027);
  SetControlFieldValue(fc.get(), orientation, 2027);
  EXPECT_EQ(ReadFieldRawById(fc.get(), 7), 2u);
  EXPECT_EQ(GetControlFieldValue(fc.get(), orientation), 2027u);
  // A control that edits nothing reads 0 and writes nothing.
  ControlRecord* group = FindControlById(fc.get(), page, 2558);
  EXPECT_EQ(GetControlField(fc.get(), group), nullptr);
  SetControlFieldValue(fc.get(), group, 5);
  EXPECT_EQ(GetControlFieldValue(fc.get(), group), 0u);
  // Text by control id: the preset icon list edits a number, so its text is "wrong".
  std::u16string buf(16, u'#');
  EXPECT_EQ(GetControlFieldString(fc.get(), 2001, buf.data(), buf.size()), 1);
  EXPECT_EQ(std::u16string(buf.c_str()), u"wrong");
  EXPECT_EQ(GetControlFieldString(fc.get(), 9999, buf.data(), buf.size()), 0);
  EXPECT_EQ(SetControlFieldString(fc.get(), 9999, u"x"), nullptr);
}

}  // namespace
