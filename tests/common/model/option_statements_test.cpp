// Option statements, checked against the records of the parse, one fixture per family.
#include <gtest/gtest.h>

#include "model/option_statements.h"
#include "model_test_util.h"

namespace {

using kovatest::ItemsOf;
using kovatest::OptionOf;
using kovatest::OptionsOf;
using kovatest::Text;
using kovatest::ValueId;

class OptionStatements : public ::testing::Test {
 protected:
  kovatest::TempRoot root_;
};

TEST_F(OptionStatements, PickOneBlocks) {
  auto parse = kovatest::ParseFixture("options_pick.kmd");
  ASSERT_NE(parse, nullptr);
  const auto colors = OptionsOf(parse.get(), "KPD_IDC_PRESET_CHOICE_COLOR");
  ASSERT_EQ(colors.size(), 2u);
  OptionRecord* color = colors[0];
  EXPECT_EQ(color->featureId, 15);
  EXPECT_EQ(color->itemId, 647);
  EXPECT_EQ(color->type, kTypePickOne);
  EXPECT_EQ(color->shareKey, 0);
  const auto items = ItemsOf(color);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0]->valueId, ValueId("KDMCOLOR_1"));
  EXPECT_EQ(Text(items[0]->command), "@PJL SET RENDERMODE=GRAYSCALE");
  EXPECT_EQ(items[1]->valueId, ValueId("KDMCOLOR_2"));
  EXPECT_EQ(Text(items[1]->command), "@PJL SET RENDERMODE=COLOR");  // the repeat is dropped
  EXPECT_EQ(color->defaultValue, 1);                               // an index after CloseUI
  EXPECT_EQ(parse->header.slots[FeatureSlot(15)], color);
  EXPECT_EQ(color->commands, nullptr);

  // The variant: same list by pointer, its own default index and command pair.
  OptionRecord* variant = colors[1];
  EXPECT_EQ(variant->shareKey, 2);
  EXPECT_EQ(variant->values, color->values);
  EXPECT_EQ(variant->defaultValue, 0);
  ASSERT_NE(variant->commands, nullptr);
  EXPECT_EQ(Text(variant->commands->command1), "@PJL SET COLORVARIANT=2");
  EXPECT_EQ(variant->commands->command2, nullptr);
  EXPECT_EQ(parse->header.slots[FeatureSlot(15)], color);  // the variant does not take the slot

  // The orientation block opened inside the colour block was refused; the later one holds
  // the IDList items; its unknown default gives index 0.
  const auto orient = OptionsOf(parse.get(), "KPD_RADIOLIST_1");
  ASSERT_EQ(orient.size(), 1u);
  const auto oitems = ItemsOf(orient[0]);
  ASSERT_EQ(oitems.size(), 2u);
  EXPECT_EQ(oitems[0]->valueId, 2026);
  EXPECT_EQ(oitems[0]->command, nullptr);
  EXPECT_EQ(oitems[1]->valueId, 2027);
  EXPECT_EQ(Text(oitems[1]->command), "@PJL SET ORIENTATION=LANDSCAPE");
  EXPECT_EQ(orient[0]->defaultValue, 0);

  // All options in file order: colour, orientation, colour variant.
  int n = 0;
  for (OptionRecord* r = parse->header.slots[0]; r; r = r->next) ++n;
  EXPECT_EQ(n, 3);
  EXPECT_EQ(parse->header.slots[0], color);
  EXPECT_EQ(std::u16string(parse->header.fileVersion), u"9.02");
}

TEST_F(OptionStatements, ValueRecordsOfTheOtherTypes) {
  auto parse = kovatest::ParseFixture("options_values.kmd");
  ASSERT_NE(parse, nullptr);

  OptionRecord* staple = OptionOf(parse.get(), "KPD_IDC_FUNCSELECTSTAPLE");
  ASSERT_NE(staple, nullptr);
  ASSERT_EQ(staple->form, ValueForm::Boolean);  // NumericValue on it was refused
  const auto* b = static_cast<const BooleanValues*>(staple->values);
  EXPECT_EQ(b->defaultValue, 1u);
  EXPECT_EQ(Text(b->trueCommand), "@PJL SET STAPLE=ON");
  EXPECT_EQ(Text(b->falseCommand), "@PJL SET STAPLE=OFF");
  EXPECT_EQ(GetDefaultFromParsedHeader(63, &parse->header), 1u);

  OptionRecord* copies = OptionOf(parse.get(), "KPD_IDC_PRESET_EDIT_COPIES");
  ASSERT_NE(copies, nullptr);
  ASSERT_EQ(copies->form, ValueForm::Numeric);
  const auto* c = static_cast<const NumericValues*>(copies->values);
  EXPECT_EQ(c->leading, 3);
  EXPECT_EQ(c->number1, 1);
  EXPECT_EQ(c->number2, 1);
  EXPECT_EQ(c->number3, 1);
  EXPECT_EQ(c->number4, 999);
  EXPECT_EQ(c->number5, 10);
  EXPECT_EQ(c->number8, 40);
  EXPECT_EQ(GetDefaultFromParsedHeader(12, &parse->header), 1u);

  OptionRecord* scale = OptionOf(parse.get(), "KPD_IDC_PRESET_EDIT_SCALE");
  ASSERT_NE(scale, nullptr);
  const auto* s = static_cast<const NumericValues*>(scale->values);
  EXPECT_EQ(s->leading, 0);
  EXPECT_EQ(s->number2, 100);
  EXPECT_EQ(s->number3, 25);
  EXPECT_EQ(s->number4, 400);
  EXPECT_EQ(s->number5, 4464);   // 70000 keeps its low 16 bits
  EXPECT_EQ(s->number6, 65530);  // -6 too
  EXPECT_EQ(s->number7, 0);      // not written

  OptionRecord* scaleV = OptionOf(parse.get(), "KPD_IDC_PRESET_EDIT_SCALE_V");
  ASSERT_NE(scaleV, nullptr);
  EXPECT_EQ(scaleV->values, nullptr);  // the number out of range made the statement malformed

  struct StringCase {
    const char* feature;
    WORD limit, kinds, display, defaultId;
  };
  const StringCase strings[] = {
      {"KPD_IDC_HFFONTNAME", 31, 0x02, 0x100, ValueId("IDS_DUPLEXONMESSAGE")},
      {"KPD_IDC_PASSWORD_INPUT_EDIT_PASSWORD", 8, 0x04, 0x400, 0},
      {"KPD_IDC_COPYPROTECTFONTNAME", 12, 0x01, 0, 0},
  };
  for (const StringCase& sc : strings) {
    OptionRecord* r = OptionOf(parse.get(), sc.feature);
    ASSERT_NE(r, nullptr) << sc.feature;
    ASSERT_EQ(r->form, ValueForm::String) << sc.feature;
    const auto* v = static_cast<const StringValues*>(r->values);
    EXPECT_EQ(v->textLimit, sc.limit) << sc.feature;
    EXPECT_EQ(v->kinds, sc.kinds) << sc.feature;
    EXPECT_EQ(v->display, sc.display) << sc.feature;
    EXPECT_EQ(v->defaultValueId, sc.defaultId) << sc.feature;
  }

  OptionRecord* punch = OptionOf(parse.get(), "KPD_IDC_PUNCHTYPE");
  ASSERT_NE(punch, nullptr);
  EXPECT_EQ(punch->type, kTypePickMany);
  EXPECT_EQ(ItemsOf(punch).size(), 2u);
  EXPECT_EQ(punch->defaultValue, 0);  // no default for PickMany

  OptionRecord* sort = OptionOf(parse.get(), "KPD_IDC_FUNCSELECTSORT");
  ASSERT_NE(sort, nullptr);
  EXPECT_EQ(sort->type, kTypeBoolean | kTypeUnknown);
  ASSERT_EQ(sort->form, ValueForm::Boolean);
  EXPECT_EQ(static_cast<const BooleanValues*>(sort->values)->defaultValue, 0u);

  OptionRecord* stapleType = OptionOf(parse.get(), "KPD_IDC_STAPLETYPE");
  ASSERT_NE(stapleType, nullptr);
  EXPECT_EQ(stapleType->type, kTypePickOne);  // an unknown type word
}

TEST_F(OptionStatements, PaperTraysAndFontTables) {
  auto parse = kovatest::ParseFixture("options_paper.kmd");
  ASSERT_NE(parse, nullptr);
  OptionRecord* paper = OptionOf(parse.get(), "KPD_IDC_PRESET_CHOICE_PAPERSIZE");
  ASSERT_NE(paper, nullptr);
  EXPECT_EQ(paper->type, kTypePickPage);
  const auto items = ItemsOf(paper);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(paper->defaultValue, 1);
  EXPECT_EQ(items[0]->firstSize, 2159);
  EXPECT_EQ(items[0]->secondSize, 0);
  EXPECT_EQ(items[1]->firstSize, 2100);
  EXPECT_EQ(items[1]->secondSize, 2970);
  ASSERT_NE(paper->commands, nullptr);
  EXPECT_EQ(Text(paper->commands->command1), "@PJL ENTER PAPER");
  EXPECT_EQ(Text(paper->commands->command2), "@PJL LEAVE PAPER");

  std::vector<const PageValueRecord*> pages;
  for (const PageValueRecord* p = items[1]->pageValues; p; p = p->next) pages.push_back(p);
  ASSERT_EQ(pages.size(), 3u);  // key 0 and an unknown second key drop theirs
  EXPECT_EQ(pages[0]->firstKey, ValueId("KDMDSTRESOLUTIONW_600"));
  EXPECT_EQ(pages[0]->secondKey, 2026);
  EXPECT_EQ(pages[0]->conditionItem, 0);
  EXPECT_EQ(pages[0]->numbers[3], 6814);
  EXPECT_EQ(pages[0]->numbers[4], 0);
  EXPECT_EQ(pages[1]->firstKey, 1200);
  EXPECT_EQ(pages[1]->secondKey, 2027);
  EXPECT_EQ(pages[1]->conditionItem, 680);
  EXPECT_EQ(pages[1]->conditionValue, 1);
  EXPECT_EQ(pages[1]->numbers[5], 6);
  // A double quote right after the second key is taken as the start of the numbers.
  EXPECT_EQ(pages[2]->firstKey, ValueId("KDMDSTRESOLUTIONW_300"));
  EXPECT_EQ(pages[2]->numbers[4], 9);
  EXPECT_EQ(pages[2]->numbers[5], 0);

  // The Identity option shares the paper list and takes its type and default.
  OptionRecord* print = OptionOf(parse.get(), "KPD_IDC_PRESET_CHOICE_PRINTSIZE");
  ASSERT_NE(print, nullptr);
  EXPECT_EQ(print->type, kTypeIdentity | kTypePickPage);
  EXPECT_EQ(print->shareKey, paper->itemId);
  EXPECT_EQ(print->values, paper->values);
  EXPECT_EQ(print->defaultValue, 1);
  EXPECT_EQ(GetDefaultFromParsedHeader(46, &parse->header), ValueId("KDMPAPERSIZE_9"));

  OptionRecord* tray = OptionOf(parse.get(), "KPD_IDC_PRESET_CHOICE_SOURCETRAY");
  ASSERT_NE(tray, nullptr);
  const auto trays = ItemsOf(tray);
  ASSERT_EQ(trays.size(), 3u);
  EXPECT_EQ(tray->defaultValue, 1);
  ASSERT_EQ(trays[1]->paperCount, 2u);
  EXPECT_EQ(trays[1]->papers[0], ValueId("KDMPAPERSIZE_9"));
  EXPECT_EQ(trays[1]->papers[1], ValueId("KDMPAPERSIZE_1"));
  EXPECT_EQ(trays[2]->paperCount, 0u);  // one unknown paper: no list at all
  EXPECT_EQ(trays[2]->papers, nullptr);

  OptionRecord* fonts = OptionOf(parse.get(), "KPD_IDC_TTFONT");
  ASSERT_NE(fonts, nullptr);
  EXPECT_EQ(fonts->type, kTypeFontTbl);
  const auto fitems = ItemsOf(fonts);
  ASSERT_EQ(fitems.size(), 2u);
  EXPECT_EQ(fitems[0]->command, nullptr);
  ASSERT_EQ(fitems[1]->pairCount, 2u);  // the entry without its device font ends the list
  EXPECT_EQ(Text(fitems[1]->trueTypeNames[1]), "Times New Roman");
  EXPECT_EQ(Text(fitems[1]->deviceFontNames[1]), "Times");
}

TEST_F(OptionStatements, DefaultIndexRules) {
  // A variant whose default names no item keeps a default that is already an index.
  auto parse = kovatest::ParseText(
      "*OpenUI *KPD_RADIOLIST_1: PickOne\n*DefaultKPD_RADIOLIST_1: KDMORIENTATION_2\n"
      "*KPD_RADIOLIST_1 KDMORIENTATION_1: \"P\"\n*KPD_RADIOLIST_1 KDMORIENTATION_2: \"L\"\n*CloseUI\n"
      "*OpenUI *KPD_RADIOLIST_1 5: PickOne\n*CloseUI\n"
      "*OpenUI *KPD_RADIOLIST_1 6: PickOne\n*DefaultKPD_RADIOLIST_1: KDMCOLOR_1\n*CloseUI\n");
  ASSERT_NE(parse, nullptr);
  const auto all = OptionsOf(parse.get(), "KPD_RADIOLIST_1");
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[0]->defaultValue, 1);
  EXPECT_EQ(all[1]->defaultValue, 1);  // inherited index, below the count
  EXPECT_EQ(all[2]->defaultValue, 0);  // value id 39 names no item and is beyond the count
}

TEST_F(OptionStatements, FeaturesWithoutASlotAndStatementsOutsideABlock) {
  // Field 1555 lies outside the slot ranges: it is found in the all-options list.
  auto parse = kovatest::ParseText(
      "*NumericValue: \"1 2 3 4\"\n*KPD_IDC_HIDDEN_FUNC KDMCOLOR_1: \"outside\"\n"
      "*OpenUI *KPD_IDC_HIDDEN_FUNC: Boolean\n*DefaultKPD_IDC_HIDDEN_FUNC: True\n*CloseUI\n"
      "*DefaultKPD_IDC_HIDDEN_FUNC: False\n*OptionCommand: { \"late\" }\n");
  ASSERT_NE(parse, nullptr);
  EXPECT_EQ(FeatureSlot(1555), 0);
  OptionRecord* r = FindParsedOption(1555, &parse->header);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->featureId, 1555);
  EXPECT_EQ(r->commands, nullptr);  // OptionCommand after CloseUI has no option
  EXPECT_EQ(GetDefaultFromParsedHeader(1555, &parse->header), 1u);
  EXPECT_EQ(parse->header.slots[0], r);  // nothing before the block made a record
  EXPECT_EQ(r->next, nullptr);
  EXPECT_EQ(FindParsedOption(0, &parse->header), nullptr);
}

TEST_F(OptionStatements, TypeWords) {
  EXPECT_EQ(OptionTypeWord("PickSlot"), kTypePickSlot);
  EXPECT_EQ(OptionTypeWord("Identity"), kTypeIdentity);
  EXPECT_EQ(OptionTypeWord("pickone"), kTypePickOne);  // unknown (case matters)
  EXPECT_EQ(OptionTypeWord(nullptr), kTypePickOne);
  EXPECT_EQ(TypeForm(kTypeIdentity | kTypeNumeric), ValueForm::Numeric);
  EXPECT_EQ(TypeForm(kTypeUnknown), ValueForm::Boolean);
  EXPECT_EQ(TypeForm(kTypePickMany), ValueForm::Items);
}

}  // namespace
