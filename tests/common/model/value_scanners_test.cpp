// The value scanners: words, numbers, quoted strings and rule numbers.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "model/model_parse.h"
#include "model/value_scanners.h"
#include "model_test_util.h"
#include "plat/system.h"

namespace {

class Scanners : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(InitTextBuffer(buf_));
    parse_ = CreateModelParse();
    ASSERT_NE(parse_, nullptr);
  }
  void TearDown() override {
    FreeTextBuffer(buf_);
    FreeModelParse(parse_);
  }
  void Set(const std::string& text) { ASSERT_TRUE(SetTextBuffer(buf_, text.data(), static_cast<DWORD>(text.size()))); }

  kovatest::TempRoot root_;
  TextBuffer buf_{};
  ModelParse* parse_ = nullptr;
};

TEST_F(Scanners, NextWordConsumesItsDelimiter) {
  struct Case {
    const char* text;
    const char* word;  // null: none
    BYTE terminator;
    const char* rest;
  };
  const Case cases[] = {
      {"*A4: x", "A4", ':', " x"},
      {"  \r\n word|more", "word", '|', "more"},
      {"last", "last", 0, ""},
      {"   ", nullptr, 0, ""},
      {"{x}", "", '{', "x}"},
      {"a=b", "a", '=', "b"},
      {"KDM_1\"q\"", "KDM_1", '"', "q\""},
      {"x-y z", "x-y", ' ', "z"},
  };
  for (const Case& c : cases) {
    Set(c.text);
    BYTE term = 0xEE;
    const char* w = NextWord(buf_, &term);
    if (!c.word) {
      EXPECT_EQ(w, nullptr) << c.text;
    } else {
      ASSERT_NE(w, nullptr) << c.text;
      EXPECT_STREQ(w, c.word) << c.text;
    }
    EXPECT_EQ(term, c.terminator) << c.text;
    EXPECT_EQ(std::string(buf_.bytes + buf_.position), c.rest) << c.text;
  }
}

TEST_F(Scanners, NextNumberAndItsBounds) {
  struct Case {
    const char* text;
    bool ok;
    std::int32_t value;
    BYTE terminator;
  };
  const Case cases[] = {
      {" 42 x", true, 42, ' '},      {"-17\"", true, -17, '"'},      {"abc", true, 0, 'a'},
      {"2147483647", true, INT_MAX, 0}, {"-2147483648", true, INT_MIN, 0}, {"2147483648", false, 0, 0},
      {"99999999999999999999", false, 0, 0}, {"", true, 0, 0},
  };
  for (const Case& c : cases) {
    Set(c.text);
    std::int32_t v = 7;
    BYTE term = 0xEE;
    EXPECT_EQ(NextNumber(buf_, &v, &term), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(v, c.value) << c.text;
      EXPECT_EQ(term, c.terminator) << c.text;
    }
  }
}

TEST_F(Scanners, SkipPastChar) {
  Set("ab{cd{");
  EXPECT_TRUE(SkipPastChar(buf_, '{'));
  EXPECT_EQ(buf_.position, 3u);
  EXPECT_TRUE(SkipPastChar(buf_, '{'));
  EXPECT_FALSE(SkipPastChar(buf_, '{'));
  EXPECT_EQ(buf_.position, buf_.length);
}

TEST_F(Scanners, QuotedStringsDecode) {
  struct Case {
    const char* text;
    const char* decoded;  // null: none
    BYTE terminator;
  };
  const Case cases[] = {
      {"\"a%\"b\"", "a\"b", 0},
      {"x \"<41 42>Z\" y", "ABZ", ' '},
      {"\"<4 1x42>\"", "AB", 0},
      {"\"\"", nullptr, 0},
      {"\"line\r\nend\"}", "lineend", '}'},
      {"unquoted%x", "unquotedx", 0},
      {"\"open", "open", 0},
      {"\"%%\"", "%", 0},
  };
  for (const Case& c : cases) {
    Set(c.text);
    DWORD length = 0;
    BYTE term = 0xEE;
    const DWORD before = buf_.position;
    const char* s = NextQuotedString(parse_, buf_, &length, &term);
    if (!c.decoded) {
      EXPECT_EQ(s, nullptr) << c.text;
      EXPECT_EQ(buf_.position, before) << c.text;
      continue;
    }
    ASSERT_NE(s, nullptr) << c.text;
    EXPECT_STREQ(s, c.decoded) << c.text;
    EXPECT_EQ(length, std::strlen(c.decoded) + 1) << c.text;
    EXPECT_EQ(term, c.terminator) << c.text;
  }
}

TEST_F(Scanners, QuotedStringHereNeedsAQuoteNext) {
  Set("  x \"a\"");
  EXPECT_EQ(NextQuotedStringHere(parse_, buf_, nullptr, nullptr), nullptr);
  Set(" \n \"a\" \"b\"");
  EXPECT_STREQ(NextQuotedStringHere(parse_, buf_, nullptr, nullptr), "a");
  EXPECT_STREQ(NextQuotedStringHere(parse_, buf_, nullptr, nullptr), "b");
}

TEST_F(Scanners, WideQuotedStringUsesTheCodePage) {
  plat::Machine().ansiCodePage = 932;
  Set("\"\x82\xa0X\"");  // HIRAGANA LETTER A, then X
  const WCHAR* w = NextQuotedStringWide(parse_, buf_, nullptr);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(std::u16string(w), u"\u3042X");
}

TEST_F(Scanners, RuleNumbers) {
  struct Case {
    const char* text;
    bool ok;
    std::int32_t value;
  };
  const Case cases[] = {{"Judge12", true, 12}, {"5=Wide", true, 5},  {"a-3", true, -3},     {"1 2", true, 1},
                        {"", true, 0},         {"x", true, 0},       {"99999999999", false, 0},
                        {"2147483647", true, INT_MAX}};
  for (const Case& c : cases) {
    std::int32_t v = 9;
    EXPECT_EQ(ParseRuleNumber(c.text, &v), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(v, c.value) << c.text;
    }
  }
}

TEST_F(Scanners, DigitAndAlphanumericTests) {
  EXPECT_EQ(IsAllDigits(""), 1);
  EXPECT_EQ(IsAllDigits("0123"), 1);
  EXPECT_EQ(IsAllDigits("12a"), 0);
  EXPECT_EQ(IsAlphanumeric(""), 1);
  EXPECT_EQ(IsAlphanumeric("Ab9"), 1);
  EXPECT_EQ(IsAlphanumeric("A_b"), 0);
  EXPECT_EQ(IsAlphanumeric("\xC4"), 0);
}

}  // namespace
