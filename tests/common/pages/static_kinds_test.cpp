// The value formatter of the static texts: a format string from the resources takes one
// integer, and no other conversion may read an argument that is not there.
#include <gtest/gtest.h>

#include <string>

#include "pages/static_kinds.h"

namespace static_kinds_test {

std::u16string Formatted(const std::u16string& format, DWORD value, int size = 1025) {
  std::u16string out(static_cast<std::size_t>(size > 0 ? size : 1), u'?');
  const int n = FormatStaticValue(format.c_str(), value, out.data(), size);
  if (size <= 0) return u"";
  EXPECT_EQ(out[static_cast<std::size_t>(n)], u'\0') << "terminated after what it counts";
  return out.substr(0, static_cast<std::size_t>(n));
}

TEST(StaticKindsFormat, OnlyIntegerConversionsTakeTheValue) {
  struct Case {
    std::u16string format;
    DWORD value;
    std::u16string expected;
  };
  const Case cases[] = {
      {u"%d mm", 12, u"12 mm"},
      {u"%s", 12, u"%s"},
      {u"%n", 12, u"%n"},
      {u"100%%", 12, u"100%"},
      {u"Width (%s - %s)", 12, u"Width (%s - %s)"},
      {u"%i|%u|%x|%X", 255, u"255|255|ff|FF"},
      {u"%d", 0xFFFFFFFF, u"-1"},
      {u"%u", 0xFFFFFFFF, u"4294967295"},
      {u"%5d|%-4d|%04d|%+d|%#x", 7, u"    7|7   |0007|+7|0x7"},
      {u"%ld and %lx", 26, u"26 and 1a"},
      {u"%d of %d", 3, u"3 of 3"},
      {u"%.2f %p %c %S", 12, u"%.2f %p %c %S"},
      {u"%", 12, u"%"},
      {u"50%", 12, u"50%"},
      {u"%-", 12, u"%-"},
      {u"%l", 12, u"%l"},
      {u"plain", 12, u"plain"},
      {u"", 12, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.format.begin(), c.format.end()));
    EXPECT_EQ(Formatted(c.format, c.value), c.expected);
  }
}

// A huge width is capped, and the output never passes the size it is given.
TEST(StaticKindsFormat, OutputStaysInsideItsBuffer) {
  struct Case {
    std::u16string format;
    int size;
    std::u16string expected;
  };
  const Case cases[] = {
      {u"%d mm", 3, u"12"},
      {u"%d mm", 1, u""},
      {u"abcdef", 4, u"abc"},
      {u"100%%", 4, u"100"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.format.begin(), c.format.end()));
    EXPECT_EQ(Formatted(c.format, 12, c.size), c.expected);
  }
  const std::u16string wide = Formatted(u"%2147483647d", 5);
  EXPECT_LE(wide.size(), 64u);
  EXPECT_EQ(wide.back(), u'5');
  const std::u16string many = Formatted(u"%d%d%d%d%d%d%d%d%d%d", 1234567, 16);
  EXPECT_EQ(many, u"123456712345671");
  WCHAR none[1] = {u'x'};
  EXPECT_EQ(FormatStaticValue(nullptr, 1, none, 1), 0);
  EXPECT_EQ(none[0], u'\0');
  EXPECT_EQ(FormatStaticValue(u"%d", 1, nullptr, 10), 0);
}

}  // namespace static_kinds_test
