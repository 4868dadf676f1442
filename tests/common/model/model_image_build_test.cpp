// The model image: header and record layout, section order, slots, shared records, the
// rule section's references, and the check that every image passes.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "image_fixture.h"
#include "model/option_lookup.h"

namespace model_image_build_test {

namespace {

using namespace kovatest;

DWORD U32At(const ModelImage* image, DWORD at) { return LoadU32(ImageBytes(image) + at); }
DWORD SlotOf(const ModelImage* image, int slot) { return U32At(image, kHdrSlots + 4 * slot); }

// Tagged reference -> offset.
DWORD Untag(DWORD v) { return v / 16; }

static_assert(kModelHeaderSize == 7996);
static_assert(kHdrSlots + 4 * 697 == 2824 && kHdrSlots + 4 * 1131 == 4560);
static_assert(kImageSlotOfFeature(1) == 1 && kImageSlotOfFeature(696) == 696);
static_assert(kImageSlotOfFeature(10001) == 697 && kImageSlotOfFeature(10434) == 1130);
static_assert(kImageSlotOfFeature(697) == 1131 && kImageSlotOfFeature(1543) == 1977);
static_assert(kImageSlotOfFeature(0) == 0 && kImageSlotOfFeature(1544) == 0 && kImageSlotOfFeature(10435) == 0);

TEST(ModelImageBuild, DescriptionWithoutRecordsIsTheHeaderAlone) {
  auto image = BuildImage("*FileVersion: 9.02\r\n");
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(ImageSize(image.get()), kModelHeaderSize);
  WCHAR version[16];
  ImageFileVersion(image.get(), version);
  EXPECT_EQ(std::u16string(version), u"9.02");
  EXPECT_EQ(SlotOf(image.get(), 0), 0u);
  EXPECT_EQ(U32At(image.get(), kHdrConditionBlocks), 0u);
  RuleContext rc(image.get());
  EXPECT_FALSE(FindConditionBlock(1, rc.get()));
  EXPECT_EQ(GetUIResDLLName(rc.get()), nullptr);
}

TEST(ModelImageBuild, EveryFixtureImagePassesTheCheckAndFillsItsSizeExactly) {
  for (const char* name : {"options_pick.kmd", "options_values.kmd", "options_paper.kmd", "rules.kmd", "commands.kmd"}) {
    SCOPED_TRACE(name);
    const std::string text = ReadFixture(name);
    auto parse = ParseText(text);
    ASSERT_NE(parse, nullptr);
    const DWORD size = ComputeModelImageSize(parse.get());
    auto image = BuildImage(text);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(ImageSize(image.get()), size);
    EXPECT_TRUE(CheckModelImage(ImageBytes(image.get()), size));
  }
}

// Options of the three slot ranges and one outside them.
constexpr const char* kSlotModel = R"(*FileVersion: 9.02
*OpenUI *KPD_RADIOLIST_1: PickOne
*KPD_RADIOLIST_1 KDMORIENTATION_1: "portrait"
*KPD_RADIOLIST_1 KDMORIENTATION_2: "landscape"
*DefaultKPD_RADIOLIST_1: KDMORIENTATION_2
*CloseUI
*OpenUI *KPD_Tray1PaperSize: PickOne
*KPD_Tray1PaperSize KDMPAPERSIZE_9: "A4"
*CloseUI
*OpenUI *KPD_CustomMedia5Quot: Boolean
*DefaultKPD_CustomMedia5Quot: True
*CloseUI
*OpenUI *KPD_IDC_BASIC_BMP_PRINTER: Numeric
*NumericValue: "1 100 25 400 70000 -6"
*CloseUI
)";

TEST(ModelImageBuild, SlotsOfTheThreeRangesAndTheListForOtherIds) {
  auto image = BuildImage(kSlotModel);
  ASSERT_NE(image, nullptr);
  RuleContext rc(image.get());
  struct Case {
    WORD feature;
    int slot;
    WORD type;
  } cases[] = {{7, 7, kTypePickOne}, {10175, 871, kTypePickOne}, {1500, 1934, kTypeBoolean}, {1544, 0, kTypeNumeric}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.feature);
    const ImageRef o = FindOptionRecord(c.feature, rc.get());
    ASSERT_TRUE(o);
    EXPECT_EQ(OptionFeatureId(o), c.feature);
    EXPECT_EQ(GetOptionType(c.feature, rc.get()), c.type);
    if (c.slot) {
      EXPECT_EQ(SlotOf(image.get(), c.slot), o.offset);
    }
  }
  EXPECT_FALSE(FindOptionRecord(0, rc.get()));
  EXPECT_FALSE(FindOptionRecord(8, rc.get()));
  EXPECT_EQ(GetOptionItemCount(8, rc.get()), -1);
  EXPECT_EQ(GetOptionItemCount(7, rc.get()), 2);
  EXPECT_EQ(GetOptionItemCount(1500, rc.get()), 0);
  EXPECT_EQ(GetOptionItemCount(1544, rc.get()), 0);
  // Defaults by type: the item at the default index, the Boolean default, Numeric number 2.
  WORD landscape = ValueId("KDMORIENTATION_2");
  EXPECT_EQ(GetOptionDefaultValue(7, rc.get()), landscape);
  EXPECT_EQ(GetOptionDefaultValue(1500, rc.get()), 1u);
  EXPECT_EQ(GetOptionDefaultValue(1544, rc.get()), 100u);
  DWORD index = 99;
  EXPECT_TRUE(GetOptionItems(7, rc.get(), &index));
  EXPECT_EQ(index, 1u);
  index = 99;
  GetOptionItems(1500, rc.get(), &index);
  EXPECT_EQ(index, 99u);  // Boolean: bit 0 clear, not written
}

TEST(ModelImageBuild, RecordsAreLaidOutLastFirstWithEveryTextBeforeItsRecord) {
  auto image = BuildImage(kSlotModel);
  ASSERT_NE(image, nullptr);
  RuleContext rc(image.get());
  // The list keeps file order; the first record was laid out last, so the offsets fall.
  DWORD previous = 0xFFFFFFFF;
  int n = 0;
  for (ImageRef o = FirstModelOption(image.get()); o; o = OptionNext(o), ++n) {
    EXPECT_LT(o.offset, previous);
    previous = o.offset;
  }
  EXPECT_EQ(n, 4);
  const ImageRef radio = FindOptionRecord(7, rc.get());
  const ImageRef first = OptionValues(radio);
  const ImageRef second = ItemNext(first);
  ASSERT_TRUE(first && second);
  EXPECT_LT(second.offset, first.offset);  // items last first
  const char* text = ImageText(image.get(), first.U32(item::kCommand));
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text, "portrait");
  // Text right before its item; the first item right before the record.
  EXPECT_EQ(first.U32(item::kCommand) + sizeof("portrait"), first.offset);
  EXPECT_EQ(first.offset + kPickItemSize, radio.offset);
}

TEST(ModelImageBuild, VariantSharesTheItemListAndMovesToTheFront) {
  auto image = BuildFixtureImage("options_pick.kmd");
  ASSERT_NE(image, nullptr);
  RuleContext rc(image.get());
  const WORD color = Feature("KPD_IDC_PRESET_CHOICE_COLOR")->itemId;
  ImageRef variant, base;
  for (ImageRef o = FirstModelOption(image.get()); o; o = OptionNext(o)) {
    if (OptionItemId(o) != color) continue;
    (OptionShareKey(o) ? variant : base) = o;
  }
  ASSERT_TRUE(variant && base);
  EXPECT_EQ(FirstModelOption(image.get()), variant);
  EXPECT_EQ(OptionValues(variant), OptionValues(base));
  // The record with share key 0 owns the slot.
  EXPECT_EQ(FindOptionRecord(OptionFeatureId(base), rc.get()), base);
  const char* variantCommand = ImageText(image.get(), OptionCommands(variant).U32(0));
  ASSERT_NE(variantCommand, nullptr);
  EXPECT_STREQ(variantCommand, "@PJL SET COLORVARIANT=2");
}

TEST(ModelImageBuild, ExclusiveRowsWithoutRuleStatementsAreCountedButNotWritten) {
  const std::string text = std::string(kSlotModel) +
                           "*Exclusive: {{KPD_RADIOLIST_1 NULL NULL NULL NULL NULL NULL NULL}\n"
                           "  {KPD_Tray1PaperSize NULL NULL NULL NULL NULL NULL NULL}}\n";
  auto with = BuildImage(text);
  auto without = BuildImage(kSlotModel);
  ASSERT_NE(with, nullptr);
  ASSERT_NE(without, nullptr);
  EXPECT_EQ(ImageSize(with.get()), ImageSize(without.get()) + 2 * kConditionBlockSize);
  EXPECT_EQ(U32At(with.get(), kHdrConditionBlocks), 0u);
  RuleContext rc(with.get());
  EXPECT_FALSE(OptionCondition(FindOptionRecord(7, rc.get())));
  // The space counted for the rows stays zero at the end of the block.
  const std::vector<BYTE> bytes = Bytes(with.get());
  for (DWORD i = ImageSize(with.get()) - 2 * kConditionBlockSize; i < bytes.size(); ++i) ASSERT_EQ(bytes[i], 0) << i;
}

constexpr const char* kRuleModel = R"(*FileVersion: 9.02
*OpenUI *KPD_RADIOLIST_1: PickOne
*KPD_RADIOLIST_1 KDMORIENTATION_1: "portrait"
*KPD_RADIOLIST_1 KDMORIENTATION_2: "landscape"
*CloseUI
*OpenUI *KPD_IDC_FUNCSELECTSTAPLE: Boolean
*CloseUI
*Judge 1=Landscape: KPD_RADIOLIST_1 == KDMORIENTATION_2
*Judge 2=StapleOn: KPD_IDC_FUNCSELECTSTAPLE == 1
*Item 1: {{KDMORIENTATION_1 StapleOn Landscape Judge9}}
*Action 1: {{KPD_IDC_FUNCSELECTSTAPLE 0}}
*Transact 1=Off: {{Landscape Action1}}
*Exclusive: {
  {KPD_RADIOLIST_1 NULL NULL Item1 NULL Off NULL NULL}
  {KPD_IDC_FUNCSELECTSTAPLE Landscape NULL NULL NULL Off Off StapleOn}
}
)";

TEST(ModelImageBuild, RuleSectionComesFirstAndReferencesAreTagged) {
  auto image = BuildImage(kRuleModel);
  ASSERT_NE(image, nullptr);
  RuleContext rc(image.get());
  const ImageRef radioBlock = FindConditionBlock(Feature("KPD_RADIOLIST_1")->itemId, rc.get());
  const ImageRef stapleBlock = FindConditionBlock(Feature("KPD_IDC_FUNCSELECTSTAPLE")->itemId, rc.get());
  ASSERT_TRUE(radioBlock && stapleBlock);
  // The first Judge's program opens the rule section.
  const DWORD disable = stapleBlock.U32(cond::kDisable);
  EXPECT_EQ(disable & 1u, 1u);
  EXPECT_EQ(Untag(disable), kModelHeaderSize);
  // The blocks are one array, linked by plain offsets, and the options point at them.
  EXPECT_EQ(U32At(image.get(), kHdrConditionBlocks), radioBlock.offset);
  EXPECT_EQ(radioBlock.U32(cond::kNext), stapleBlock.offset);
  EXPECT_EQ(stapleBlock.U32(cond::kNext), 0u);
  EXPECT_EQ(OptionCondition(FindOptionRecord(7, rc.get())), radioBlock);
  // An Item naming a Judge that does not exist gets no program.
  const ImageRef entry = FindItemCondition(radioBlock, ValueId("KDMORIENTATION_1"));
  ASSERT_TRUE(entry);
  EXPECT_NE(entry.U32(itemcond::kDisable), 0u);
  EXPECT_NE(entry.U32(itemcond::kHide), 0u);
  EXPECT_EQ(entry.U32(itemcond::kLock), 0u);
  // Two rows naming the same Transact share its list.
  EXPECT_EQ(radioBlock.U32(cond::kTransacts), stapleBlock.U32(cond::kTransacts));
  EXPECT_EQ(stapleBlock.U32(cond::kTransacts), stapleBlock.U32(cond::kTransacts2));
  // The option section begins after the last condition block.
  EXPECT_GT(FirstModelOption(image.get()).offset, stapleBlock.offset);
}

TEST(ModelImageBuild, CommandSectionAndFontLists) {
  auto image = BuildFixtureImage("commands.kmd");
  ASSERT_NE(image, nullptr);
  RuleContext rc(image.get());
  const WCHAR* ui = GetUIResDLLName(rc.get());
  ASSERT_NE(ui, nullptr);
  EXPECT_EQ(std::u16string(ui), u"KOVAUIUS.DLL");
  ASSERT_NE(ImageExcDepDLLName(image.get()), nullptr);
  EXPECT_EQ(std::u16string(ImageExcDepDLLName(image.get())), u"KOVAEXC.DLL");
  DWORD count = 99;
  FontListRecord* fonts = ExportDeviceFontList(rc.get(), &count);
  ASSERT_NE(fonts, nullptr);
  ASSERT_EQ(count, 2u);
  EXPECT_EQ(fonts[0].id, 1u);
  EXPECT_EQ(std::u16string(fonts[0].name), u"Mincho");
  EXPECT_EQ(std::u16string(fonts[1].name), u"Gothic");
  FreeMem(fonts);
  FontListRecord* cartridges = ExportFontCartridgeList(rc.get(), &count);
  ASSERT_NE(cartridges, nullptr);
  EXPECT_EQ(count, 1u);  // the entry without a name ends the list
  EXPECT_EQ(cartridges[0].id, 5u);
  EXPECT_EQ(std::u16string(cartridges[0].name), u"Cartridge A");
  FreeMem(cartridges);
  // JobStart's first node is the text of command string 8.
  const ImageRef jobStart = HeaderRef(image.get(), kHdrCommandGroups);
  ASSERT_TRUE(jobStart);
  const ImageRef node = jobStart.Plain(cmd::kBlockFirst);
  ASSERT_TRUE(node);
  EXPECT_EQ(node.U16(cmd::kNodeKind), kNodeStringType);
  const char* text = ImageText(image.get(), node.U32(cmd::kNodeText));
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(node.U32(cmd::kNodeTextLength), std::strlen(text) + 1);
}

TEST(ModelImageBuild, FontExportsWithoutEntriesOrImage) {
  auto image = BuildImage(kSlotModel);
  RuleContext rc(image.get());
  DWORD count = 99;
  EXPECT_EQ(ExportDeviceFontList(rc.get(), &count), nullptr);
  EXPECT_EQ(count, 0u);
  count = 99;
  EXPECT_EQ(ExportFontSubstitutionTable(rc.get(), &count), nullptr);
  EXPECT_EQ(count, 99u);
  RuleContext none(nullptr);
  EXPECT_EQ(ExportDeviceFontList(none.get(), &count), nullptr);
  EXPECT_EQ(count, 99u);
}

// Damage done to a good image and caught by the check.
struct Damage {
  const char* what;
  std::function<void(std::vector<BYTE>&)> apply;
};

TEST(ModelImageCheck, RejectsEveryKindOfBadReference) {
  auto image = BuildImage(std::string(kRuleModel) + ReadFixture("commands.kmd").substr(0));
  ASSERT_NE(image, nullptr);
  const std::vector<BYTE> good = Bytes(image.get());
  ASSERT_TRUE(CheckModelImage(good.data(), static_cast<DWORD>(good.size())));
  const ModelImage* img = image.get();
  RuleContext rc(img);
  const ImageRef radio = FindOptionRecord(7, rc.get());
  const ImageRef block = OptionCondition(radio);
  const DWORD size = static_cast<DWORD>(good.size());
  ASSERT_TRUE(radio && block);

  const Damage cases[] = {
      {"total size", [&](auto& b) { StoreU32(b.data() + kHdrTotalSize, size + 4); }},
      {"version without terminator", [&](auto& b) { for (int i = 0; i < 16; ++i) StoreU16(b.data() + 2 * i, 'x'); }},
      {"slot beyond the block", [&](auto& b) { StoreU32(b.data() + kHdrSlots + 4 * 7, size - 4); }},
      {"slot into the header", [&](auto& b) { StoreU32(b.data() + kHdrSlots + 4 * 7, 100); }},
      {"option list in a circle", [&](auto& b) { StoreU32(b.data() + radio.offset + opt::kNext, radio.offset); }},
      {"condition outside", [&](auto& b) { StoreU32(b.data() + radio.offset + opt::kCondition, size); }},
      {"untagged rule reference", [&](auto& b) { StoreU32(b.data() + block.offset + cond::kTransacts, kModelHeaderSize); }},
      {"tagged reference outside", [&](auto& b) { StoreU32(b.data() + block.offset + cond::kItems, size * 16 + 1); }},
      {"program without return", [&](auto& b) {
         for (DWORD p = kModelHeaderSize; p + 4 <= size; p += 4) {
           if (LoadU16(b.data() + p) == kRuleOperator && LoadU16(b.data() + p + 2) == kOpReturn) {
             StoreU16(b.data() + p + 2, 4);
             break;
           }
         }
       }},
      {"condition blocks in a circle", [&](auto& b) { StoreU32(b.data() + block.offset + cond::kNext, block.offset); }},
      {"font count too large", [&](auto& b) { StoreU32(b.data() + kHdrDeviceFontCount, 0x40000000); }},
      {"font array outside", [&](auto& b) { StoreU32(b.data() + kHdrDeviceFonts, size - 2); }},
      {"DLL name outside", [&](auto& b) { StoreU32(b.data() + kHdrUIResDLLName, size - 1); }},
      {"command group outside", [&](auto& b) { StoreU32(b.data() + kHdrCommandGroups + 8, size); }},
      {"shorter than the header", [&](auto& b) { b.resize(100); }},
  };
  for (const Damage& d : cases) {
    SCOPED_TRACE(d.what);
    std::vector<BYTE> bad = good;
    d.apply(bad);
    EXPECT_FALSE(CheckModelImage(bad.data(), static_cast<DWORD>(bad.size())));
    // A copy that fails the check never becomes an image.
    auto* copy = static_cast<BYTE*>(AllocMem(static_cast<DWORD>(bad.size())));
    std::memcpy(copy, bad.data(), bad.size());
    EXPECT_EQ(AdoptModelImageCopy(copy, static_cast<DWORD>(bad.size())), nullptr);
  }
}

TEST(ModelImageCheck, ProgramsMustNotPopAnEmptyStack) {
  const std::string rule = "*Judge 1: 1";
  auto image = BuildImage(std::string("*FileVersion: 9.02\n") + rule + "\n*OpenUI *KPD_RADIOLIST_1: PickOne\n*CloseUI\n"
                          "*Exclusive: {{KPD_RADIOLIST_1 Judge1 NULL NULL NULL NULL NULL NULL}}\n");
  ASSERT_NE(image, nullptr);
  std::vector<BYTE> bytes = Bytes(image.get());
  ASSERT_TRUE(CheckModelImage(bytes.data(), static_cast<DWORD>(bytes.size())));
  // Turn the literal into an operator: the program pops an empty stack.
  ASSERT_EQ(LoadU16(bytes.data() + kModelHeaderSize), kRuleLiteral);
  StoreU16(bytes.data() + kModelHeaderSize, kRuleOperator);
  StoreU16(bytes.data() + kModelHeaderSize + 2, 1);
  EXPECT_FALSE(CheckModelImage(bytes.data(), static_cast<DWORD>(bytes.size())));
}

// A font table whose pair count would overflow a 32-bit allocation size (pairs x 128
// bytes): the check refuses the image, and the export refuses the count even on an image
// that was never checked.
TEST(ModelImageCheck, CraftedFontTablePairCountIsRefused) {
  auto image = BuildFixtureImage("options_paper.kmd");
  ASSERT_NE(image, nullptr);
  ImageRef table;
  for (ImageRef o = FirstModelOption(image.get()); o; o = OptionNext(o)) {
    if (OptionRawType(o) == kTypeFontTbl) table = OptionValues(o);
  }
  ASSERT_TRUE(table);
  const DWORD pairs = 0x2000001;  // x 128 = 2^32 + 128
  std::vector<BYTE> good = Bytes(image.get());
  const DWORD at = static_cast<DWORD>(good.size());
  const DWORD total = at + 4 * pairs;
  BYTE* bytes = static_cast<BYTE*>(AllocMem(total));
  ASSERT_NE(bytes, nullptr);
  std::memcpy(bytes, good.data(), good.size());
  // Both name arrays are one array of the table's first name, repeated.
  const DWORD firstName = LoadU32(bytes + LoadU32(bytes + table.offset + item::kTrueTypeNames));
  for (DWORD k = 0; k < pairs; ++k) StoreU32(bytes + at + 4 * k, firstName);
  StoreU32(bytes + table.offset + item::kPairCount, pairs);
  StoreU32(bytes + table.offset + item::kTrueTypeNames, at);
  StoreU32(bytes + table.offset + item::kDeviceNames, at);
  StoreU32(bytes + kHdrTotalSize, total);
  EXPECT_FALSE(CheckModelImage(bytes, total));
  RuleContext rc(reinterpret_cast<const ModelImage*>(bytes));
  DWORD count = 99;
  EXPECT_EQ(ExportFontSubstitutionTable(rc.get(), &count), nullptr);
  // Just inside the longest list a model holds, the same image is good.
  StoreU32(bytes + table.offset + item::kPairCount, kMaxListEntries);
  EXPECT_TRUE(CheckModelImage(bytes, total));
  FontSubstitutionRecord* rows = ExportFontSubstitutionTable(rc.get(), &count);
  EXPECT_NE(rows, nullptr);
  EXPECT_EQ(count, kMaxListEntries);
  FreeMem(rows);
  FreeMem(bytes);
}

}  // namespace

}  // namespace model_image_build_test
