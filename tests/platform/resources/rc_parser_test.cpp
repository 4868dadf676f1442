#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "plat/rc_script.h"
#include "plat/wstr.h"
#include "test_root.h"

namespace {

constexpr WORD kString = 6;

// String id of a parsed table, as LoadStringW would find it in the given language.
std::u16string StringOf(const plat::ResourceTable& t, WORD id, LANGID lang = 0x0409) {
  const plat::ResourceEntry* e = t.Find(plat::ResId::Int(kString), plat::ResId::Int(static_cast<WORD>((id >> 4) + 1)), lang);
  if (!e) return u"<no block>";
  std::size_t off = 0;
  for (int i = 0; i <= (id & 15); ++i) {
    WORD len;
    std::memcpy(&len, e->data.data() + off, 2);
    if (i == (id & 15)) {
      std::u16string s(len, u'\0');
      std::memcpy(s.data(), e->data.data() + off + 2, 2u * len);
      return s;
    }
    off += 2 + 2u * len;
  }
  return {};
}

plat::ResourceTable Parse(const std::string& text) {
  plat::ResourceTable t;
  std::string error;
  EXPECT_TRUE(plat::ParseResourceScriptText(text, "", "t.rc", t, error)) << error;
  return t;
}

TEST(ResourceScript, IdsAndPreprocessor) {
  auto t = Parse(
      "#define FIRST 10\n"
      "#define SECOND (FIRST + \\\n"
      "                1)\n"
      "#define ALIAS SECOND\n"
      "#define MASKED (0x20 | 0x3)\n"
      "#if defined(FIRST) && FIRST > 5\n"
      "#define PICKED 40\n"
      "#elif 1\n"
      "#define PICKED 41\n"
      "#else\n"
      "#define PICKED 42\n"
      "#endif\n"
      "#ifndef FIRST\n"
      "#error not taken\n"
      "#endif\n"
      "#undef FIRST\n"
      "#define FIRST 50\n"
      "stringtable\n"
      "begin\n"
      "  FIRST \"first\"\n"
      "  ALIAS, \"second\"\n"
      "  MASKED \"masked\"\n"
      "  PICKED \"picked\"\n"
      "  (PICKED + 1) * 2 \"expression\"\n"
      "  -1 + 70 \"unary\"\n"
      "end\n");
  EXPECT_EQ(StringOf(t, 50), u"first");
  EXPECT_EQ(StringOf(t, 51), u"second");  // expanded where used: FIRST is 50 by then
  EXPECT_EQ(StringOf(t, 35), u"masked");
  EXPECT_EQ(StringOf(t, 40), u"picked");
  EXPECT_EQ(StringOf(t, 82), u"expression");
  EXPECT_EQ(StringOf(t, 69), u"unary");
}

TEST(ResourceScript, LiteralsAndComments) {
  auto t = Parse(
      "STRINGTABLE { 1 \"a // not a comment\" 2 \"/* nor this */\"\n"
      "  3 \"x\\ty\" /* a comment */ \" z\"\n"
      "  4 \"\\x41\\101\\q\"\n"  // hex, octal, an escape without meaning
      "  5 L\"wide\" \"\"\"\"\n"  // an empty literal and a quote
      "}\n");
  EXPECT_EQ(StringOf(t, 1), u"a // not a comment");
  EXPECT_EQ(StringOf(t, 2), u"/* nor this */");
  EXPECT_EQ(StringOf(t, 3), u"x\ty z");
  EXPECT_EQ(StringOf(t, 4), u"AA\\q");
  EXPECT_EQ(StringOf(t, 5), u"wide\"");
}

TEST(ResourceScript, Utf16TextWithByteOrderMark) {
  const std::u16string text = u"LANGUAGE 0x11, 1\nSTRINGTABLE BEGIN 7 \"\u65e5\u672c\" END\n";
  std::string bytes = "\xFF\xFE";
  for (WCHAR c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  auto t = Parse(bytes);
  EXPECT_EQ(StringOf(t, 7, 0x0411), u"\u65e5\u672c");
  EXPECT_EQ(StringOf(t, 7, 0x0409), u"<no block>");
}

TEST(ResourceScript, CodePagePragma) {
  // Shift-JIS bytes of U+65E5 U+672C.
  auto t = Parse("#pragma code_page(932)\nSTRINGTABLE BEGIN 1 \"\x93\xfa\x96\x7b\" END\n");
  EXPECT_EQ(StringOf(t, 1), u"\u65e5\u672c");
  auto u = Parse("#pragma code_page(65001)\nSTRINGTABLE BEGIN 1 \"\xe6\x97\xa5\" END\n");
  EXPECT_EQ(StringOf(u, 1), u"\u65e5");
}

TEST(ResourceScript, OtherStatementsAreReadOver) {
  auto t = Parse(
      "IDD_PAGE DIALOGEX 0, 0, 100, 50\n"
      "STYLE 0x80000000L\n"
      "CAPTION \"Caption\"\n"
      "BEGIN\n  CONTROL \"x\", 1, \"Button\", 3, 1, 1, 10, 10\nEND\n"
      "IDM_MENU MENU BEGIN POPUP \"File\" BEGIN MENUITEM \"Open\", 100 END END\n"
      "1 VERSIONINFO FILEVERSION 1,0,0,0 BEGIN BLOCK \"StringFileInfo\" BEGIN END END\n"
      "5 MYTYPE BEGIN 0x0102 END\n"
      "STRINGTABLE BEGIN 1 \"after\" END\n");
  EXPECT_EQ(StringOf(t, 1), u"after");
  EXPECT_NE(t.Find(plat::ResId::Int(5), plat::ResId::Str(u"IDD_PAGE"), 0x0409), nullptr);  // the dialog is kept
  EXPECT_EQ(t.Find(plat::ResId::Int(4), plat::ResId::Str(u"IDM_MENU"), 0x0409), nullptr);
  auto* data = t.Find(plat::ResId::Str(u"mytype"), plat::ResId::Int(5), 0x0409);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->data, (std::vector<BYTE>{0x02, 0x01}));
}

// 27 macros, each twice the one before: a name that would expand to 2^26 tokens.
std::string DoublingMacros(const char* first) {
  std::string text = std::string("#define M0 ") + first + "\n";
  for (int i = 1; i <= 26; ++i)
    text += "#define M" + std::to_string(i) + " M" + std::to_string(i - 1) + " M" + std::to_string(i - 1) + "\n";
  return text;
}

TEST(ResourceScript, Errors) {
  struct Case {
    std::string text;
    std::string error;
  };
  const Case cases[] = {
      // An expansion past the fixed bound is the script's error, in a line or a condition,
      // also when the macros expand to nothing.
      {DoublingMacros("1") + "STRINGTABLE BEGIN\nM26 \"a\"\nEND\n", "t.rc(29): the expansion of M26 is too large"},
      {DoublingMacros("1") + "#if M26\n#endif\n", "t.rc(28): the expansion of M26 is too large"},
      {DoublingMacros("") + "M26\n", "t.rc(28): the expansion of M26 is too large"},
      {"STRINGTABLE BEGIN\n1 \"a\"\n1 \"b\"\nEND\n", "t.rc(3): duplicate string id 1"},
      {"STRINGTABLE BEGIN\nIDS_UNKNOWN \"a\"\nEND\n", "t.rc(2): undefined symbol IDS_UNKNOWN"},
      {"STRINGTABLE BEGIN\n1 \"open\nEND\n", "t.rc(2): unterminated string"},
      {"STRINGTABLE BEGIN\n1 \"a\"\n", "t.rc(2): END expected"},
      {"STRINGTABLE BEGIN 65536 \"a\" END\n", "t.rc(1): string id 65536 out of range"},
      {"STRINGTABLE BEGIN 1 END\n", "t.rc(1): string expected"},
      {"#ifdef X\nSTRINGTABLE BEGIN 1 \"a\" END\n", "t.rc(2): #endif expected"},
      {"#endif\n", "t.rc(1): #endif without #if"},
      {"#include \"missing.h\"\n", "t.rc(1): cannot open include file missing.h"},
      {"#bogus\n", "t.rc(1): unknown directive #bogus"},
      {"STRINGTABLE BEGIN 1/0 \"a\" END\n", "t.rc(1): division by zero"},
      {"LANGUAGE 9\n", "t.rc(1): ',' expected in LANGUAGE"},
      {"1 RCDATA BEGIN 1, 2\n", "t.rc(1): END expected"},
      {"1 2 3\n", "t.rc(1): file name or BEGIN expected"},
  };
  for (const auto& c : cases) {
    plat::ResourceTable t;
    std::string error;
    EXPECT_FALSE(plat::ParseResourceScriptText(c.text, "", "t.rc", t, error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
}

TEST(ResourceScript, IncludesBesideTheScript) {
  kovatest::TempRoot root;
  root.WriteFile(u"C:\\Drv\\Ids.H", "#define IDS_A 3\nint not_for_resources;\n");
  root.WriteFile(u"C:\\Drv\\more.rc", "#include \"ids.h\"\nSTRINGTABLE BEGIN IDS_A \"from include\" END\n");
  root.WriteFile(u"C:\\Drv\\main.rc", "#include <windows.h>\n#include \"MORE.RC\"\nSTRINGTABLE BEGIN 4 \"main\" END\n");
  plat::ResourceTable t;
  std::string error;
  ASSERT_TRUE(plat::ParseResourceScriptFile(root.HostPath(u"C:\\Drv\\main.rc"), t, error)) << error;
  EXPECT_EQ(StringOf(t, 3), u"from include");
  EXPECT_EQ(StringOf(t, 4), u"main");
  // A script that includes itself stops at the nesting limit instead of running away.
  root.WriteFile(u"C:\\Drv\\self.rc", "#include \"self.rc\"\n");
  EXPECT_FALSE(plat::ParseResourceScriptFile(root.HostPath(u"C:\\Drv\\self.rc"), t, error));
  EXPECT_NE(error.find("includes nested too deeply"), std::string::npos) << error;
}

TEST(ResourceScript, ResourceIdsFromPointers) {
  plat::ResId id;
  ASSERT_TRUE(plat::ResId::FromPointer(reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(42)), id));
  EXPECT_TRUE(id == plat::ResId::Int(42));
  ASSERT_TRUE(plat::ResId::FromPointer(u"#42", id));
  EXPECT_TRUE(id == plat::ResId::Int(42));
  ASSERT_TRUE(plat::ResId::FromPointer(u"MyType", id));
  EXPECT_TRUE(id == plat::ResId::Str(u"MYTYPE"));
  ASSERT_TRUE(plat::ResId::FromPointer(u"#99999", id));
  EXPECT_FALSE(id.isInt);
  EXPECT_FALSE(plat::ResId::FromPointer(nullptr, id));
}

}  // namespace
