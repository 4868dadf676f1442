// The PJL line parser of the command base and its text buffer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "command_base_parse.h"
#include "base/memory.h"
#include "plat/system.h"

namespace kovatest {
namespace {

// The text in a buffer of exactly its bytes and its NUL, so that a read past the end is
// caught by the sanitizers.
std::vector<char> Exact(const std::string& text) { return std::vector<char>(text.c_str(), text.c_str() + text.size() + 1); }

constexpr int kWhole = 1000;  // the answer is the whole text's length

TEST(PjlLineParser, LinesOfTheGrammarAndAroundIt) {
  const std::string name263(263, 'N');
  const std::string value263(263, '7');
  struct Case {
    const char* what;
    std::string text;
    int answer;  // kWhole: the whole text
    const char* name;
    const char* value;
  };
  const Case cases[] = {
      {"blanks around =", "@PJL SET COPIES = 2 \r\n", kWhole, "COPIES", "2"},
      {"no blank after value", "@PJL SET COPIES = 2\r\n", kWhole, "COPIES", "2"},
      {"value right after =", "@PJL SET COPIES =2\r\n", kWhole, "COPIES", "2"},
      {"= right after the name", "@PJL SET COPIES= 2\r\n", -1, "", ""},
      {"= and value joined to the name", "@PJL SET COPIES=2\r\n", -1, "", ""},
      {"no = at all", "@PJL SET COPIES 2\r\n", -1, "", ""},
      {"last line without CR LF", "@PJL SET COPIES = 2", -1, "", ""},
      {"LF alone", "@PJL SET COPIES = 2\n", -1, "", ""},
      {"CR alone", "@PJL SET COPIES = 2\r", -1, "", ""},
      {"empty line", "\r\n", -1, "", ""},
      {"lower-case @pjl", "@pjl SET COPIES = 2\r\n", -1, "", ""},
      {"lower-case set", "@PJL set COPIES = 2\r\n", -1, "", ""},
      {"tabs and blanks before and between", " \t@PJL\t SET\t\tCOPIES\t=\t2\t\r\n", kWhole, "COPIES", "2"},
      {"no blanks around @PJL and SET", "@PJLSETCOPIES = 2\r\n", kWhole, "COPIES", "2"},
      {"value with a blank", "@PJL SET COPIES = 2 3\r\n", -1, "", ""},
      {"empty value", "@PJL SET COPIES = \r\n", kWhole, "COPIES", ""},
      {"quoted value is one token", "@PJL SET WMKCHAR = \"DRAFT\" \r\n", kWhole, "WMKCHAR", "\"DRAFT\""},
      {"case kept", "@PJL SET copies = On \r\n", kWhole, "copies", "On"},
      {"nothing", "", 0, "", ""},
      {"blanks only", " \t ", 0, "", ""},
      {"name of 263", "@PJL SET " + name263 + " = 1 \r\n", kWhole, name263.c_str(), "1"},
      {"name of 264", "@PJL SET " + name263 + "N = 1 \r\n", -1, "", ""},
      {"value of 263", "@PJL SET X = " + value263 + " \r\n", kWhole, "X", value263.c_str()},
      {"value of 264", "@PJL SET X = " + value263 + "7 \r\n", -1, "", ""},
      {"value of 10000", "@PJL SET X = " + std::string(10000, 'v') + " \r\n", -1, "", ""},
      {"only @PJL", "@PJL", -1, "", ""},
      {"@PJL SET and the end", "@PJL SET", -1, "", ""},
  };
  for (const Case& c : cases) {
    std::vector<char> text = Exact(c.text);
    char name[kPjlTokenBytes];
    char value[kPjlTokenBytes];
    const int answer = ParsePjlLine(text.data(), name, value);
    const int expected = c.answer == kWhole ? static_cast<int>(c.text.size()) : c.answer;
    EXPECT_EQ(answer, expected) << c.what;
    if (answer > 0) {
      EXPECT_STREQ(name, c.name) << c.what;
      EXPECT_STREQ(value, c.value) << c.what;
    }
  }
}

TEST(PjlLineParser, ReadsOneLineAtATime) {
  const std::string text = "@PJL SET A = 1 \r\n  @PJL SET B = 2 \r\n";
  char name[kPjlTokenBytes];
  char value[kPjlTokenBytes];
  const int first = ParsePjlLine(text.c_str(), name, value);
  ASSERT_EQ(first, 17);
  EXPECT_STREQ(name, "A");
  EXPECT_EQ(ParsePjlLine(text.c_str() + first, name, value), 19);
  EXPECT_STREQ(name, "B");
  EXPECT_EQ(ParsePjlLine(text.c_str() + text.size(), name, value), 0);
  EXPECT_EQ(ParsePjlLine(nullptr, name, value), 0);
}

class PjlDoubleByte : public ::testing::Test {
 protected:
  void SetUp() override { plat::Machine().ansiCodePage = 932; }
  void TearDown() override { plat::Machine().ansiCodePage = 1252; }
};

TEST_F(PjlDoubleByte, LeadByteBeforeTheEndStopsTheToken) {
  char name[kPjlTokenBytes];
  char value[kPjlTokenBytes];
  struct Case {
    std::string text;
    int answer;  // kWhole: the whole text
    const char* name;
    const char* value;
  };
  const Case cases[] = {
      {"@PJL SET X = AB\x95", -1, "", ""},                            // a lead byte, then the end of the text
      {"@PJL SET X\x95", -1, "", ""},                                 // in the name
      {"@PJL SET X = \x95\x5C \r\n", kWhole, "X", "\x95\x5C"},         // a whole character is taken
      // A lead byte before a blank, a tab or a line end is a byte of its own: what follows
      // ends the token as after any other byte.
      {"@PJL SET X = \x95\r\n", kWhole, "X", "\x95"},
      {"@PJL SET X = \x95 \r\n", kWhole, "X", "\x95"},
      {"@PJL SET X = \x95\t\r\n", kWhole, "X", "\x95"},
      {"@PJL SET X = \x95\n\r\n", -1, "", ""},                       // the LF ends the value: no CR LF after it
      {"@PJL SET X\x95 = 1\r\n", kWhole, "X\x95", "1"},
      {"@PJL SET X\x95\t= 1\r\n", kWhole, "X\x95", "1"},
      {"@PJL SET X\x95\r\n", -1, "", ""},                             // a name, then the line's end
  };
  for (const Case& c : cases) {
    std::vector<char> text = Exact(c.text);
    const int expected = c.answer == kWhole ? static_cast<int>(c.text.size()) : c.answer;
    EXPECT_EQ(ParsePjlLine(text.data(), name, value), expected) << c.text;
    if (expected > 0) {
      EXPECT_STREQ(name, c.name) << c.text;
      EXPECT_STREQ(value, c.value) << c.text;
    }
  }
  // A name of 262 bytes and a double-byte character does not fit.
  const std::string longName = "@PJL SET " + std::string(262, 'N') + "\x95\x5C = 1\r\n";
  std::vector<char> text = Exact(longName);
  EXPECT_EQ(ParsePjlLine(text.data(), name, value), -1);
}

TEST(PjlTextLookups, FirstLineOfANameAndTheOffsetReached) {
  const std::string text = "@PJL SET A = 1 \r\n@PJL SET B = 2 \r\n@PJL SET A = 3 \r\nbad\r\n@PJL SET C = 4 \r\n";
  char value[kPjlTokenBytes];
  EXPECT_EQ(FindPjlValueOfName(text.c_str(), "A", value), 17u);
  EXPECT_STREQ(value, "1");
  EXPECT_EQ(FindPjlValueOfName(text.c_str(), "B", value), 34u);
  EXPECT_STREQ(value, "2");
  // The scan stops at the line outside the grammar.
  EXPECT_EQ(FindPjlValueOfName(text.c_str(), "C", value), 51u);
  EXPECT_STREQ(value, "");
  EXPECT_EQ(HasPjlName(text.c_str(), "a", value), 0);  // names are compared case-sensitively
  EXPECT_EQ(HasPjlName(text.c_str(), "B", value), 1);
}

TEST(PjlTextBuffer, GrowsPastItsStepAndCutsBack) {
  PjlText text;
  std::string expected;
  for (int i = 0; i < 400; ++i) {
    const std::string n = std::to_string(i);
    ASSERT_TRUE(AppendPjlLine(text, "NAME", n.c_str()));
    expected += "@PJL SET NAME = " + n + " \r\n";
  }
  ASSERT_GT(expected.size(), 8192u);
  EXPECT_EQ(std::string(text.Data(), text.Length()), expected);
  text.Truncate(5);
  ASSERT_TRUE(text.Finish());
  EXPECT_EQ(text.Length(), 6u);
  EXPECT_STREQ(text.Data(), "@PJL ");
  char* owned = text.Release();
  EXPECT_EQ(text.Length(), 0u);
  EXPECT_STREQ(text.Data(), "");
  FreeMem(owned);
}

}  // namespace
}  // namespace kovatest
