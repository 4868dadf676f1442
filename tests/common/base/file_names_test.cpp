#include <gtest/gtest.h>

#include <string>

#include "base/file_names.h"
#include "test_root.h"

namespace file_names_test {

namespace {

std::u16string Str(const WCHAR* p) { return p ? std::u16string(p) : std::u16string(u"<null>"); }

TEST(FileNames, FindFileName) {
  struct Case {
    const char16_t* path;
    const char16_t* part;
  } cases[] = {
      {u"C:\\dir\\file.kst", u"file.kst"},
      {u"file.kst", u"file.kst"},
      {u"C:\\dir\\", u""},
      {u"", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(Str(FindFileName(c.path)), c.part) << kovatest::U8(Str(c.path));
  EXPECT_EQ(FindFileName(nullptr), nullptr);
}

TEST(FileNames, FindExtension) {
  struct Case {
    const char16_t* path;
    const char16_t* ext;
    INT length;
  } cases[] = {
      {u"C:\\dir.old\\file", u"file", 0},  // a dot in the folder is not the file's
      {u"a.b.kst", u"kst", 3},
      {u"C:\\x\\name.", u"", 0},
      {u"noext", u"noext", 0},
  };
  for (const auto& c : cases) {
    INT length = -1;
    EXPECT_EQ(Str(FindExtension(c.path, &length)), c.ext) << kovatest::U8(Str(c.path));
    EXPECT_EQ(length, c.length) << kovatest::U8(Str(c.path));
  }
}

TEST(FileNames, BaseNameAndShortExtension) {
  INT length = -1;
  EXPECT_EQ(Str(GetBaseNameLength(u"C:\\d\\user0001.kst", &length)), u"user0001.kst");
  EXPECT_EQ(length, 8);
  GetBaseNameLength(u"C:\\d\\plain", &length);
  EXPECT_EQ(length, 5);

  struct Case {
    const char16_t* path;
    BOOL expected;
  } cases[] = {
      {u".kst", FALSE},  // no base name
      {u"name.abcd", FALSE},
      {u"name.k", TRUE},
      {u"C:\\d\\name.kst", TRUE},
      {u"name", FALSE},
      {u"name.", FALSE},
      {u"a.b.kst", TRUE},
  };
  for (const auto& c : cases) EXPECT_EQ(HasShortExtension(c.path), c.expected) << kovatest::U8(Str(c.path));
}

TEST(FileNames, ChangeExtension) {
  WCHAR out[MAX_PATH];
  ASSERT_TRUE(ChangeExtension(out, u"C:\\d.x\\preset.ksd", u"ksq"));
  EXPECT_EQ(Str(out), u"C:\\d.x\\preset.ksq");
  ASSERT_TRUE(ChangeExtension(out, u"C:\\d.x\\noext", u"ksq"));
  EXPECT_EQ(Str(out), u"C:\\d.x\\noext");  // unchanged without a dot in the file part
  ASSERT_TRUE(ChangeExtensionToKsq(out, u"a.b.kst"));
  EXPECT_EQ(Str(out), u"a.b.ksq");
  EXPECT_FALSE(ChangeExtension(out, u"", u"ksq"));
  EXPECT_FALSE(ChangeExtension(out, nullptr, u"ksq"));

  // A result that would not fit a path buffer is refused, not written past it.
  std::u16string longName = u"C:\\" + std::u16string(254, u'n') + u".k";  // 259 characters
  EXPECT_FALSE(ChangeExtension(out, longName.c_str(), u"ksqq"));
  EXPECT_EQ(out[0], 0);
}

}  // namespace

}  // namespace file_names_test
