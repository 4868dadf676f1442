// Field lookups by id and keyword, the name tables and the product record.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "fields/dictionary_copy.h"
#include "fields/dictionary_lookup.h"
#include "base/dictionary_pages.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "fields/product_record.h"
#include "field_fixture.h"
#include "plat/system.h"
#include "test_root.h"

namespace {

using kovatest::FieldContext;

TEST(FieldLookup, ByIdAcrossTheGap) {
  FieldContext fc;
  const SettingField* base = fc.get()->fields.records;
  struct Case {
    WORD id;
    int index;
  } cases[] = {{1, 0}, {1555, 1554}, {10001, 1555}, {10002, 1556}, {10434, 1988},
               {0, -1}, {1556, -1}, {9999, -1}, {10000, -1}, {10435, -1}, {65535, -1}};
  for (const auto& c : cases) {
    SettingField* f = FindFieldById(fc.get(), c.id);
    if (c.index < 0) {
      EXPECT_EQ(f, nullptr) << c.id;
    } else {
      EXPECT_EQ(f, base + c.index) << c.id;
    }
  }
  EXPECT_EQ(GetFieldIdGap(), 1555);
  // A second context of the process reuses the gap.
  FieldContext other;
  EXPECT_EQ(FindFieldById(other.get(), 10300), other.get()->fields.records + 1555 + 299);
  EXPECT_EQ(FindFieldById(nullptr, 7), nullptr);
}

TEST(FieldLookup, SearchFallsBackWhenTheIndexDoesNotMatch) {
  FieldContext fc;
  // A table whose order was disturbed still answers through the search.
  FieldTable& t = fc.get()->fields;
  std::swap(t.records[5], t.records[6]);
  EXPECT_EQ(FindFieldById(fc.get(), 6)->id, 6);
  EXPECT_EQ(FindFieldById(fc.get(), 7)->id, 7);
  std::swap(t.records[5], t.records[6]);
}

TEST(FieldLookup, ByKeyword) {
  FieldContext fc;
  SettingField* preset = fc.field(37);
  EXPECT_EQ(FindFieldByKeyword(fc.get(), 618), preset);
  const ControlNameEntry* e = FindNameEntryByName("KPD_kdmTSE");
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(FindFieldByKeyword(fc.get(), static_cast<std::int16_t>(e->itemId))->id, 720);
  // An item id that no field of the context carries, but that the name table maps to a
  // field, still finds the field.
  preset->itemId = 0;
  EXPECT_EQ(FindFieldByKeyword(fc.get(), 618), preset);
  // Names of controls that edit nothing, and 0, find nothing.
  EXPECT_EQ(FindFieldByKeyword(fc.get(), 619), nullptr);
  EXPECT_EQ(FindFieldByKeyword(fc.get(), 0), nullptr);
  EXPECT_EQ(FindFieldByKeyword(fc.get(), 5000), nullptr);
  EXPECT_EQ(GetFieldValueByKeyword(fc.get(), 618), 119u);  // raw 0 through the preset map
}

std::string Narrow(const WCHAR* s) {
  std::string out;
  for (; s && *s; ++s) out.push_back(static_cast<char>(*s));
  return out;
}

TEST(FieldLookup, NamesAndTheContextCopy) {
  FieldContext fc;
  EXPECT_EQ(Narrow(GetFieldName(fc.get(), 31)), "dmICCManufacturer");
  EXPECT_EQ(Narrow(GetFieldName(fc.get(), 32)), "dmICCModel");
  EXPECT_EQ(Narrow(GetFieldName(fc.get(), 10175)), "kdmTray1Paper");
  EXPECT_EQ(GetFieldName(fc.get(), 720), nullptr);  // named only by the name table
  EXPECT_EQ(GetFieldName(fc.get(), 723), nullptr);
  EXPECT_EQ(GetFieldName(fc.get(), 2000), nullptr);
  const SettingField* f = fc.field(13);
  EXPECT_EQ(f->runtimeFlags, 0u);
  EXPECT_EQ(f->marks, 0x4);  // mark 1 copied, changed mark clear
  EXPECT_NE(f->side, nullptr);
  EXPECT_EQ(f->side->valueMap, GetBuiltInFields()[12].valueMap);
}

TEST(NameLookup, ControlNamesAreCaseSensitive) {
  const ControlNameEntry* e = FindNameEntryByName("KPD_IDD_PRESET");
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->itemId, 539);
  EXPECT_EQ(FindNameEntryByName("kpd_idd_preset"), nullptr);
  EXPECT_EQ(FindNameEntryByName(nullptr), nullptr);
  EXPECT_EQ(FindNameEntryByKey(539), e);
  EXPECT_EQ(FindNameEntryByKey(0), nullptr);
  EXPECT_EQ(FindNameEntryByKey(1955), nullptr);
  EXPECT_STREQ(FindNameEntryByKey(637)->name, "KPD_RADIOLIST_1");
  EXPECT_EQ(FindNameEntryByKey(637)->fieldId, 7);
  ASSERT_NE(FindNameEntryByName("KPD_ConvertDevmode"), nullptr);
  EXPECT_NE(FindNameEntryByName("KPD_ConvertDevmode")->itemId, 0);
}

TEST(NameLookup, ValueSymbolsMatchOnTheLowSixteenBits) {
  const ValueNameEntry* e = FindValueSymbol(7, 2026);
  ASSERT_NE(e, nullptr);
  EXPECT_STREQ(e->symbol, "KDMORIENTATION_1");
  EXPECT_EQ(FindValueSymbol(7, 0x70000 + 2026), e);
  EXPECT_EQ(FindValueSymbol(7, 2028), nullptr);
  EXPECT_EQ(FindValueSymbolByName("KDMORIENTATION_1"), e);
  EXPECT_EQ(FindValueSymbolByName("kdmorientation_1"), nullptr);
  // Found in the IDS table when the value-name table has no such row.
  const ValueNameEntry* msg = FindValueSymbol(0, 235);
  ASSERT_NE(msg, nullptr);
  EXPECT_STREQ(msg->symbol, "IDS_SCALEILLEGALMESSAGE");
  EXPECT_STREQ(FindValueSymbolByName("IDS_IDD_BASIC")->symbol, "IDS_IDD_BASIC");
}

TEST(NameLookup, Messages) {
  FieldContext fc;
  EXPECT_EQ(GetMessageCount(nullptr), 65);
  EXPECT_EQ(GetMessageCount(fc.get()), 65);  // a context without its own table reads the shared one
  const MessageEntry* m = FindMessageEntry(nullptr, 505);
  ASSERT_NE(m, nullptr);
  EXPECT_STREQ(m->name, "KPD_StoredIllegalMessage");
  EXPECT_EQ(m->textId, 10011);
  EXPECT_EQ(m->captionId, 0);
  EXPECT_EQ(FindMessageEntryByName(fc.get(), "KPD_MenteDel2Message")->messageId, 538);
  EXPECT_EQ(FindMessageEntryByName(nullptr, "KPD_MENTEDEL2MESSAGE"), nullptr);
  EXPECT_EQ(FindMessageEntry(nullptr, 473), nullptr);
  EXPECT_EQ(GetMessageEntry(nullptr, 64)->messageId, 538);
  EXPECT_EQ(GetMessageEntry(nullptr, 65), nullptr);
  EXPECT_EQ(GetMessageEntry(nullptr, -1), nullptr);
}

TEST(NameLookup, FieldToControlTable) {
  const FieldPageControlEntry* e = FindFieldPageControlEntry(129);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->pageId, 1038);
  EXPECT_EQ(e->controlId, 2635);
  EXPECT_EQ(FindFieldPageControlEntry(37)->controlId, 2001);
  EXPECT_EQ(FindFieldPageControlEntry(7), nullptr);
}

TEST(ProductRecord, ValuesAndStrings) {
  const ProductRecord* r = GetProductRecord();
  EXPECT_EQ(r->specVersion, 0x401);
  EXPECT_EQ(r->defaultFields, 0x7F03u);
  EXPECT_EQ(r->maxCopies, 999);
  EXPECT_EQ(r->paperSize, 9);
  EXPECT_EQ(r->defaultSource, 7);
  EXPECT_EQ(r->privateTag, 0x76697270u);
  EXPECT_EQ(std::memcmp(&r->privateTag, "priv", 4), 0);
  EXPECT_EQ(r->devmodeVersion, 322u);
  EXPECT_EQ(r->machineId, 90);
  EXPECT_EQ(r->defaultCommandVersion, 16);
  EXPECT_EQ(r->userPaperWidthMin, 3022u);
  EXPECT_EQ(r->userPaperLengthMax, 59528u);
  EXPECT_EQ(Narrow(GetProductString(r->modelIniName)), "Dorvale.ini");
  EXPECT_EQ(Narrow(GetProductString(r->outputDllName)), "Spoolane.DLL");
  EXPECT_EQ(Narrow(GetProductString(r->formName)), "A4");
  EXPECT_EQ(Narrow(GetProductString(r->driverVersionString)), "9.02");
  EXPECT_EQ(Narrow(GetProductString(r->installIniName)), "Instovar.INI");
  EXPECT_EQ(GetProductString(PRODUCT_REF_COUNT + 5), nullptr);
}

TEST(ProductRecord, SpecialModelsMatchCaseSensitively) {
  FieldContext fc;
  ProductRecord copy = *GetProductRecord();
  fc.get()->product = &copy;
  ASSERT_EQ(GetSpecialModelCount(fc.get()), 2);
  const SpecialModelEntry* first = GetSpecialModelEntry(fc.get(), 0);
  EXPECT_EQ(first->mask, 1u);
  EXPECT_EQ(first->word1, 3);
  EXPECT_EQ(first->word2, 5);
  const WCHAR* name = GetProductString(first->modelName);
  EXPECT_EQ(FindSpecialModel(fc.get(), name), first);
  std::u16string lower(name);
  for (auto& ch : lower) ch = (ch >= u'A' && ch <= u'Z') ? static_cast<char16_t>(ch + 32) : ch;
  EXPECT_EQ(FindSpecialModel(fc.get(), lower.c_str()), nullptr);
  EXPECT_EQ(FindSpecialModel(fc.get(), nullptr), nullptr);
  EXPECT_EQ(GetSpecialModelEntry(fc.get(), 2), nullptr);
  EXPECT_EQ(IsModelMaskSet(fc.get(), 1), 0);
  fc.work().specialModelMask = 1;
  EXPECT_EQ(IsModelMaskSet(fc.get(), 1), 1);
  EXPECT_EQ(IsModelMaskSet(fc.get(), 2), 0);
}

TEST(ProductRecord, CustomMediaIdTable) {
  const CustomMediaIdRow* t = GetCustomMediaIdTable();
  for (WORD n = 1; n <= 16; ++n) {
    const CustomMediaIdRow& r = t[n - 1];
    EXPECT_EQ(r.number, n);
    EXPECT_EQ(r.itemId, 13708 + n - 1);
    EXPECT_EQ(r.quotaFieldId, 1495 + n);
    EXPECT_EQ(r.nameFieldId, 1511 + n);
    EXPECT_EQ(r.charSetFieldId, 1527 + n);
  }
  EXPECT_EQ(t[16].number, 0);
  EXPECT_EQ(t[16].itemId, 0);
}

TEST(ProductRecord, SizesFollowThePlatform) {
  kovatest::TempRoot root;
  EXPECT_EQ(GetPublicDevmodeSize(), 220u);
  EXPECT_EQ(GetPrivateDevmodeSize(), 1016u);
  EXPECT_EQ(GetTotalDevmodeSize(), 1236u);
  EXPECT_EQ(GetArea2Size(), 5264u);
  EXPECT_EQ(GetSettingsBufferSize(), 10080u);
  FieldContext fc;
  fc.settings()[68] = 220;  // dmSize
  EXPECT_EQ(GetPrivateDevmode(fc.get()), fc.settings() + 220);
  EXPECT_EQ(GetArea2(fc.get()), fc.settings() + 1236);
  EXPECT_EQ(GetPrivateAtFixedOffset(fc.settings()), fc.settings() + 220);
  plat::Machine().platformId = 1;  // Windows 9x, asked at every call
  EXPECT_EQ(GetPublicDevmodeSize(), 148u);
  EXPECT_EQ(GetPrivateDevmodeSize(), 1024u);
  EXPECT_EQ(GetTotalDevmodeSize(), 1172u);
  EXPECT_EQ(GetSettingsBufferSize(), 10016u);
  EXPECT_EQ(GetPublicDevmodeSize() + GetPrivateDevmodeSize() + GetArea2Size(), 6436u);
}

}  // namespace

namespace {

TEST(DictionaryCopy, AttachAndDetach) {
  DriverContext ctx{};
  ASSERT_TRUE(AttachDictionary(&ctx));
  EXPECT_EQ(ctx.fields.count, kBuiltInFieldCount);
  EXPECT_EQ(ctx.pages.count, kBuiltInPageCount);
  EXPECT_EQ(ctx.messages, GetMessageTable());
  EXPECT_EQ(ctx.controlNames, GetControlNameTable());
  EXPECT_EQ(FindFieldById(&ctx, 10434)->id, 10434);
  EXPECT_EQ(FindPageById(&ctx, 1001)->controlCount, 42);
  EXPECT_EQ(GetMessageCount(&ctx), 65);
  DetachDictionary(&ctx);
  EXPECT_EQ(ctx.fields.records, nullptr);
  EXPECT_EQ(ctx.pages.records, nullptr);
  EXPECT_EQ(FindFieldById(&ctx, 7), nullptr);
  EXPECT_FALSE(AttachDictionary(nullptr));
}

}  // namespace
