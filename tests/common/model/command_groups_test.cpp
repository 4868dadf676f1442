// Command groups, command strings and the header statements.
#include <gtest/gtest.h>

#include <string>

#include "model/command_groups.h"
#include "model/statement_dispatch.h"
#include "model_test_util.h"
#include "win/files.h"
#include "win/errors.h"

namespace {

using kovatest::Text;

std::string Describe(const CommandNode* n);

// A block as text: {judge [first] [second]}.
std::string Describe(const CommandBlock* b) {
  if (!b) return "none";
  return "{J" + std::to_string(b->judge) + " [" + Describe(b->first) + "] [" + Describe(b->second) + "]}";
}

std::string Describe(const CommandNode* n) {
  std::string out;
  for (; n; n = n->next) {
    if (!out.empty()) out += ' ';
    switch (n->kind) {
      case kNodeGroupType: out += "group" + std::to_string(n->featureItemId) + "/" + std::to_string(n->number); break;
      case kNodeStringType: out += "string" + std::to_string(n->stringNumber); break;
      case kNodeFontType: out += "font"; break;
      case kNodeCommand: out += Describe(n->block); break;
      default: out += "?";
    }
  }
  return out;
}

class CommandGroups : public ::testing::Test {
 protected:
  kovatest::TempRoot root_;
};

TEST_F(CommandGroups, HeaderStatementsAndGroups) {
  auto parse = kovatest::ParseFixture("commands.kmd");
  ASSERT_NE(parse, nullptr);
  const ParsedHeader& h = parse->header;
  EXPECT_EQ(std::u16string(h.fileVersion), u"9.02");
  ASSERT_NE(h.uiResDllName, nullptr);
  EXPECT_EQ(std::u16string(h.uiResDllName), u"KOVAUIUS.DLL");
  EXPECT_EQ(std::u16string(h.excDepDllName), u"KOVAEXC.DLL");

  std::vector<const CommandStringEntry*> strings;
  for (const CommandStringEntry* e = parse->commandStrings.first; e; e = e->next) strings.push_back(e);
  ASSERT_EQ(strings.size(), 3u);  // the empty string 9 is refused
  EXPECT_EQ(strings[0]->number, 7u);
  EXPECT_EQ(Text(strings[0]->text), "@PJL SET RENDERMODE=GRAYSCALE\r\n");
  EXPECT_EQ(strings[0]->length, 32u);
  EXPECT_EQ(Text(strings[1]->text), "\"quoted\" text");

  // Paper size 631, colour 647, tray-1 paper 357.
  EXPECT_EQ(Describe(h.groups[kGroupJobStart]),
            "{J0 [string8 {J3 [string7] [{J4 [font] [group357/0]}]} group647/2 group631/0] []}");
  EXPECT_EQ(Describe(h.groups[kGroupPageStart]), "{J0 [string7] []}");  // the later one replaced it
  EXPECT_EQ(Describe(h.groups[kGroupPageEnd]), "none");                 // no node: no block
  // Without a Judge, Else is not read: the body ends at the Command's brace.
  EXPECT_EQ(Describe(h.groups[kGroupJobEnd]), "{J0 [{J0 [string7] []}] []}");
  EXPECT_EQ(h.groups[kGroupDocReset], nullptr);

  ASSERT_EQ(h.deviceFontCount, 2u);
  EXPECT_EQ(h.deviceFonts[0]->id, 1u);
  EXPECT_EQ(Text(h.deviceFonts[1]->name), "Gothic");
  ASSERT_EQ(h.fontCartridgeCount, 1u);  // the entry without a name ends the list
  EXPECT_EQ(h.fontCartridges[0]->id, 5u);
  EXPECT_EQ(Text(h.fontCartridges[0]->name), "Cartridge A");
}

TEST_F(CommandGroups, DelimitersRightAfterWordsAndNestingBounds) {
  std::string deep = "*CommandGroup: DocReset{";
  for (int i = 0; i < 40; ++i) deep += "Command: Judge1{";
  deep += "Type: FontType";
  for (int i = 0; i < 40; ++i) deep += "}";
  deep += "}\n";
  auto parse = kovatest::ParseText(
      "*Judge 1: KPD_IDC_FUNCSELECTSTAPLE\n"
      "*CommandGroup: PageEnd{Type: FontType}\n"
      "*CommandGroup: JobEnd { Command : Judge1 { Type : FontType } ElseIf: Judge1 { Type : StringType 3 } }\n" +
      deep);
  ASSERT_NE(parse, nullptr);
  EXPECT_EQ(Describe(parse->header.groups[kGroupPageEnd]), "{J0 [font] []}");
  EXPECT_EQ(Describe(parse->header.groups[kGroupJobEnd]), "{J0 [{J1 [font] [{J1 [string3] []}]}] []}");
  EXPECT_EQ(parse->header.groups[kGroupDocReset], nullptr);  // nested beyond the bound: malformed
}

TEST_F(CommandGroups, FileVersionConversion) {
  struct Case {
    std::string value;
    std::u16string text;
  };
  const Case cases[] = {{"9.02 ", u"9.02 "}, {"\"9.02\"", u"\"9.02\""}, {"", u""},
                        {"123456789012345678", u"12345678901234"}};
  for (const Case& c : cases) {
    WCHAR out[16];
    std::fill(std::begin(out), std::end(out), u'#');
    ConvertFileVersion(c.value.data(), static_cast<DWORD>(c.value.size()), out);
    EXPECT_EQ(std::u16string(out), c.text) << c.value;
    for (size_t i = c.text.size(); i < 16; ++i) EXPECT_EQ(out[i], 0) << c.value;
  }
}

TEST_F(CommandGroups, ReadFileVersionTakesTheFirstStatement) {
  root_.WriteFile(u"C:\\drv\\two.kmd", "% comment\n*OpenUI *KPD_X: PickOne\n*FileVersion: 9.01\n*FileVersion: 9.02\n");
  root_.WriteFile(u"C:\\drv\\none.kmd", "*OpenUI *KPD_X: PickOne\n");
  WCHAR out[16] = u"untouched";
  EXPECT_EQ(ReadFileVersion(u"C:\\drv\\two.kmd", out), 1);
  EXPECT_EQ(std::u16string(out), u"9.01");
  WCHAR keep[16] = u"untouched";
  EXPECT_EQ(ReadFileVersion(u"C:\\drv\\none.kmd", keep), 1);
  EXPECT_EQ(std::u16string(keep), u"untouched");
  EXPECT_EQ(ReadFileVersion(u"C:\\drv\\missing.kmd", keep), 1);
  EXPECT_EQ(std::u16string(keep), u"untouched");
}

}  // namespace
