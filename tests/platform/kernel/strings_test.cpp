#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "plat/wstr.h"
#include "win/kernel.h"

namespace {

TEST(KernelStrings, LengthsAndCopies) {
  EXPECT_EQ(lstrlenW(u"abc"), 3);
  EXPECT_EQ(lstrlenW(nullptr), 0);
  EXPECT_EQ(lstrlenA("ab"), 2);
  EXPECT_EQ(lstrlenA(nullptr), 0);
  WCHAR buf[16];
  EXPECT_EQ(lstrcpyW(buf, u"abc"), buf);
  EXPECT_EQ(lstrcatW(buf, u"def"), buf);
  EXPECT_EQ(std::u16string(buf), u"abcdef");
}

TEST(KernelStrings, LstrcpynCopiesAtMostNMinusOneAndTerminates) {
  struct Case {
    int n;
    std::u16string expect;
  };
  for (const Case& c : {Case{1, u""}, Case{2, u"a"}, Case{4, u"abc"}, Case{5, u"abc"}, Case{6, u"abc"}}) {
    WCHAR buf[8];
    std::fill(std::begin(buf), std::end(buf), u'#');
    EXPECT_EQ(lstrcpynW(buf, u"abc", c.n), buf);
    EXPECT_EQ(std::u16string(buf), c.expect) << c.n;
    for (int i = std::min(c.n, 4); i < 8; ++i) EXPECT_EQ(buf[i], u'#') << "n " << c.n << " at " << i;
  }
  WCHAR untouched[2] = {u'#', u'#'};
  lstrcpynW(untouched, u"abc", 0);
  EXPECT_EQ(untouched[0], u'#');
  char a[4];
  lstrcpynA(a, "abcdef", 4);
  EXPECT_STREQ(a, "abc");
}

TEST(KernelStrings, Comparisons) {
  struct Case {
    const char16_t* a;
    const char16_t* b;
    int cmp;   // lstrcmpW
    int cmpi;  // lstrcmpiW
  };
  const Case cases[] = {
      {u"abc", u"abc", 0, 0},  {u"abc", u"ABC", -1, 0}, {u"ABC", u"abc", 1, 0},
      {u"abc", u"abd", -1, -1}, {u"B", u"a", 1, 1},     {u"a", u"B", -1, -1},  // alphabet before case
      {u"ab", u"abc", -1, -1}, {u"", u"a", -1, -1},     {u"\u00E9", u"\u00C9", -1, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(lstrcmpW(c.a, c.b), c.cmp) << std::string(c.a, c.a + std::char_traits<char16_t>::length(c.a));
    EXPECT_EQ(lstrcmpiW(c.a, c.b), c.cmpi);
  }
  EXPECT_EQ(lstrcmpiA("Hello", "hELLO"), 0);
  EXPECT_EQ(lstrcmpW(nullptr, nullptr), 0);
  EXPECT_LT(lstrcmpW(nullptr, u"a"), 0);
}

TEST(KernelStrings, CompareStringFlagsAndCounts) {
  EXPECT_EQ(CompareStringW(0x409, NORM_IGNORECASE, u"Default", -1, u"DEFAULT", -1), CSTR_EQUAL);
  EXPECT_EQ(CompareStringW(0x409, 0, u"Default", -1, u"DEFAULT", -1), CSTR_LESS_THAN);
  EXPECT_EQ(CompareStringW(0x409, NORM_IGNORECASE, u"abcX", 3, u"ABCY", 3), CSTR_EQUAL);
  EXPECT_EQ(CompareStringW(0x409, NORM_IGNORECASE, u"abc", 2, u"ab", -1), CSTR_EQUAL);
  EXPECT_EQ(CompareStringW(0x409, NORM_IGNORECASE, u"b", -1, u"A", -1), CSTR_GREATER_THAN);
  EXPECT_EQ(CompareStringW(0x409, NORM_IGNORESYMBOLS, u"a-b", -1, u"ab", -1), CSTR_EQUAL);
  EXPECT_EQ(CompareStringW(0x409, NORM_IGNORENONSPACE | NORM_IGNORECASE, u"\u00C9t\u00E9", -1, u"ete", -1),
            CSTR_EQUAL);
  EXPECT_EQ(CompareStringW(0x411, NORM_IGNOREWIDTH, u"\uFF21", -1, u"A", -1), CSTR_EQUAL);
  EXPECT_EQ(CompareStringW(0x411, NORM_IGNOREKANATYPE, u"\u30A2", -1, u"\u3042", -1), CSTR_EQUAL);
  SetLastError(0);
  EXPECT_EQ(CompareStringW(0x409, 0, nullptr, -1, u"a", -1), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(CompareStringW(0x409, 0x40000000, u"a", -1, u"a", -1), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_FLAGS);
  EXPECT_EQ(CompareStringA(0x409, NORM_IGNORECASE, "Tray1", -1, "TRAY1", -1), CSTR_EQUAL);
}

TEST(KernelStrings, CaseMappingInPlaceAndPerCharacter) {
  WCHAR s[] = u"abc\u00E9\u00FF\u0431z";
  EXPECT_EQ(CharUpperW(s), s);
  EXPECT_EQ(std::u16string(s), u"ABC\u00C9\u0178\u0411Z");
  EXPECT_EQ(CharLowerW(s), s);
  EXPECT_EQ(std::u16string(s), u"abc\u00E9\u00FF\u0431z");
  // A value below 0x10000 in the pointer is one character.
  auto one = [](WCHAR c) { return reinterpret_cast<LPWSTR>(static_cast<std::uintptr_t>(c)); };
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(CharUpperW(one(u'q'))), static_cast<std::uintptr_t>(u'Q'));
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(CharLowerW(one(u'\u0100'))), 0x101u);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(CharUpperW(one(u'1'))), static_cast<std::uintptr_t>(u'1'));
  WCHAR buf[] = u"abcd";
  EXPECT_EQ(CharUpperBuffW(buf, 2), 2u);
  EXPECT_EQ(std::u16string(buf), u"ABcd");
  // Letters that have no single-letter partner stay.
  EXPECT_EQ(plat::UpperChar(u'\u00DF'), u'\u00DF');
  EXPECT_EQ(plat::UpperChar(u'\u00F7'), u'\u00F7');
  EXPECT_EQ(plat::LowerChar(u'\u00D7'), u'\u00D7');
  EXPECT_EQ(plat::LowerChar(u'\u0130'), u'i');
  EXPECT_EQ(plat::UpperChar(u'\u3042'), u'\u3042');
}

}  // namespace
