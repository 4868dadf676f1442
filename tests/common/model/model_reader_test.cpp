// The statement reader: each lexical rule and its edges, read from bytes in memory.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "model/model_reader.h"
#include "model/statement_dispatch.h"
#include "model/value_scanners.h"
#include "plat/system.h"
#include "test_root.h"
#include "win/kernel.h"

namespace model_reader_test {

namespace {

struct Read {
  int code;
  std::string keyword, option1, option2, value;
  bool operator==(const Read& o) const {
    return code == o.code && (code != 0 || (keyword == o.keyword && option1 == o.option1 && option2 == o.option2 &&
                                            value == o.value));
  }
};

std::ostream& operator<<(std::ostream& os, const Read& r) {
  return os << "{" << r.code << " '" << r.keyword << "' '" << r.option1 << "' '" << r.option2 << "' '" << r.value
            << "'}";
}

std::string Str(const TextBuffer& b) { return std::string(b.bytes, b.length); }

std::vector<Read> ReadAll(const std::string& text) {
  std::vector<Read> out;
  ModelReader* r = OpenModelReaderOnBytes(reinterpret_cast<const BYTE*>(text.data()), static_cast<DWORD>(text.size()));
  Statement* s = CreateStatement();
  for (int guard = 0; guard < 100; ++guard) {
    const int code = ReadStatement(s, r);
    out.push_back({code, Str(s->keyword), Str(s->option1), Str(s->option2), Str(s->value)});
    if (code != 0 && code != 3) break;
  }
  FreeStatement(s);
  CloseModelReader(r);
  return out;
}

Read Ok(std::string k, std::string o1, std::string o2, std::string v) { return {0, k, o1, o2, v}; }
const Read kBad{3, "", "", "", ""};
const Read kEnd{1, "", "", "", ""};

struct LexCase {
  const char* name;
  std::string text;
  std::vector<Read> expected;
};

class ReaderCases : public ::testing::TestWithParam<LexCase> {
 protected:
  kovatest::TempRoot root_;
};

TEST_P(ReaderCases, ReadsStatements) {
  EXPECT_EQ(ReadAll(GetParam().text), GetParam().expected) << GetParam().name;
}

const LexCase kLexCases[] = {
    {"plain", "*OpenUI *KPD_X: PickOne\n", {Ok("OpenUI", "*KPD_X", "", "PickOne"), kEnd}},
    {"keyword at end of line", "*CloseUI\n*CloseUI\r\n", {Ok("CloseUI", "", "", ""), Ok("CloseUI", "", "", ""), kEnd}},
    {"keyword then blanks is malformed", "*CloseUI  \n*FileVersion: 1\n",
     {kBad, Ok("FileVersion", "", "", "1"), kEnd}},
    {"comments", "% a comment\n*% star percent\n *Judge 2: B\n\n*Judge 1: A\nno star\n",
     {Ok("Judge", "1", "", "A"), kEnd}},
    {"colon right after keyword", "*FileVersion:9.02\n", {Ok("FileVersion", "", "", "9.02"), kEnd}},
    {"value keeps trailing blanks", "*FileVersion: 9.02 \t\n", {Ok("FileVersion", "", "", "9.02 \t"), kEnd}},
    {"empty value", "*FileVersion:\n", {Ok("FileVersion", "", "", ""), kEnd}},
    {"two option words", "*PageValue  KDMPAPERSIZE_9\tx2 : v\n", {Ok("PageValue", "KDMPAPERSIZE_9", "x2", "v"), kEnd}},
    {"three option words", "*PageValue a b c: v\n*FileVersion: 2\n", {kBad, Ok("FileVersion", "", "", "2"), kEnd}},
    {"option word may begin with a star", "*OpenUI *KPD_A 3: Identity *KPD_B\n",
     {Ok("OpenUI", "*KPD_A", "3", "Identity *KPD_B"), kEnd}},
    {"empty keyword", "* CloseUI\n*FileVersion: 3\n", {kBad, Ok("FileVersion", "", "", "3"), kEnd}},
    {"braces over lines", "*Transact 3: {\n  {Judge5 Action7}\r\n}\n*FileVersion: 4\n",
     {Ok("Transact", "3", "", "{\n  {Judge5 Action7}\r\n}"), Ok("FileVersion", "", "", "4"), kEnd}},
    {"parentheses over lines", "*Judge 1: (A ||\n B)\n", {Ok("Judge", "1", "", "(A ||\n B)"), kEnd}},
    {"quotes over lines", "*CommandString 1: \"ab\ncd\"\n", {Ok("CommandString", "1", "", "\"ab\ncd\""), kEnd}},
    {"percent escapes a quote", "*CommandString 5: \"a%\"b\" x\n", {Ok("CommandString", "5", "", "\"a%\"b\" x"), kEnd}},
    {"percent before a line end", "*CommandString 5: \"a%\n\"\n", {kBad, kEnd}},
    {"percent outside quotes is plain", "*FileVersion: 50%\n", {Ok("FileVersion", "", "", "50%"), kEnd}},
    {"stray closing brace", "*Item 1: }\n*FileVersion: 5\n", {kBad, Ok("FileVersion", "", "", "5"), kEnd}},
    {"stray closing parenthesis", "*Judge 1: A)\n", {kBad, kEnd}},
    {"brace inside quotes", "*CommandString 1: \"{\"\n", {kBad, kEnd}},
    {"parenthesis inside quotes", "*CommandString 1: \"(\"\n", {kBad, kEnd}},
    {"brace inside parentheses", "*Judge 1: ({)\n", {kBad, kEnd}},
    {"missing final newline", "*FileVersion: 1\n*FileVersion: 9.02", {Ok("FileVersion", "", "", "1"), kEnd}},
    {"end of file inside braces", "*Item 1: {\n", {kEnd}},
    {"missing colon after words", "*OpenUI *KPD_X PickOne x\n", {kBad, kEnd}},
    {"NUL byte kept in value", std::string("*CommandString 1: a\0b\n", 22),
     {Ok("CommandString", "1", "", std::string("a\0b", 3)), kEnd}},
};

INSTANTIATE_TEST_SUITE_P(Lexer, ReaderCases, ::testing::ValuesIn(kLexCases));

class ModelReaderTest : public ::testing::Test {
 protected:
  kovatest::TempRoot root_;
};

TEST_F(ModelReaderTest, LeadBytesOfCodePage932TakeTheirTrailByte) {
  // 0x81 0x7B is one double-byte character under 932; under 1252 the brace opens a group.
  const std::string text = "*CommandString 1: \x81{\n*FileVersion: 1\n";
  EXPECT_EQ(ReadAll(text), (std::vector<Read>{kEnd}));
  plat::Machine().ansiCodePage = 932;
  EXPECT_EQ(ReadAll(text), (std::vector<Read>{Ok("CommandString", "1", "", "\x81{"), Ok("FileVersion", "", "", "1"),
                                              kEnd}));
  // A lead byte hides a double quote from the quote count too.
  EXPECT_EQ(ReadAll("*CommandString 2: \"\x81\"\"\n"),
            (std::vector<Read>{Ok("CommandString", "2", "", "\"\x81\"\""), kEnd}));
  // A lead byte as the last byte of the file.
  EXPECT_EQ(ReadAll("*CommandString 3: \x81"), (std::vector<Read>{kEnd}));
}

TEST_F(ModelReaderTest, ReadModelByteCountsDown) {
  const BYTE bytes[] = {'a', 'b'};
  ModelReader* r = OpenModelReaderOnBytes(bytes, 2);
  BYTE b = 0;
  EXPECT_EQ(ReadModelByte(r, &b), 0);
  EXPECT_EQ(b, 'a');
  EXPECT_EQ(ReadModelByte(r, &b), 0);
  EXPECT_EQ(r->remaining, 0u);
  EXPECT_EQ(ReadModelByte(r, &b), 1);
  CloseModelReader(r);
}

TEST_F(ModelReaderTest, LongValuesGrowTheBuffer) {
  std::string value(100000, 'x');
  const auto reads = ReadAll("*CommandString 1: " + value + "\n");
  ASSERT_EQ(reads.size(), 2u);
  EXPECT_EQ(reads[0].value, value);
}

TEST_F(ModelReaderTest, CharacterClasses) {
  for (int b = 0; b < 256; ++b) {
    const BYTE c = static_cast<BYTE>(b);
    const BYTE cls = ModelCharClass(c);
    if (b >= 0x80 || (b < 0x20 && b != 0x09 && b != 0x0A && b != 0x0D)) {
      EXPECT_EQ(cls, 0) << b;
    }
    EXPECT_EQ((cls & kClassKeyword) != 0,
              std::isalnum(b) != 0 || std::string("@/[\\]^_`").find(static_cast<char>(b)) != std::string::npos)
        << b;
  }
  EXPECT_TRUE(IsDelimiter('|'));
  EXPECT_TRUE(IsDelimiter('*'));
  EXPECT_FALSE(IsDelimiter('-'));
  EXPECT_FALSE(IsDelimiter('_'));
  EXPECT_EQ(ModelCharClass('/') & kClassOptionWord, 0);
  EXPECT_EQ(ModelCharClass(':') & kClassOptionWord, 0);
  EXPECT_NE(ModelCharClass('*') & kClassOptionWord, 0);
}

}  // namespace

}  // namespace model_reader_test
