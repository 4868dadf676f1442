// Whole sections copied between INI files: all or nothing.
#include <gtest/gtest.h>

#include <string>

#include "base/ini_files.h"
#include "base/ini_section_copy.h"
#include "test_root.h"

namespace kovatest {
namespace {

std::string Lines(int keys, int valueChars) {
  std::string text = "[Old]\r\n";
  for (int i = 0; i < keys; ++i) text += "K" + std::to_string(i) + "=" + std::string(valueChars, 'v') + "\r\n";
  return text;
}

TEST(CopyIniSection, CopiesWholeSectionsAndRefusesOnesThatDoNotFit) {
  TempRoot root;
  // Each key line "K<n>=vvvvvvvvvv" takes its characters and one separator.
  struct Case {
    const char* what;
    int keys;
    DWORD limit;
    int expected;
  };
  const Case cases[] = {
      {"fits with room to spare", 3, 100, kSectionCopied},
      {"one character below the limit", 4, 14 * 4 + 1, kSectionCopied},
      {"exactly the limit", 4, 14 * 4, kSectionTooLarge},
      {"far beyond the limit", 50, 100, kSectionTooLarge},
      {"no such section", 0, 100, kSectionAbsent},
  };
  for (const Case& c : cases) {
    root.WriteFile(u"C:\\s.ini", c.keys ? Lines(c.keys, 10) : "[Other]\r\nA=1\r\n");
    root.WriteFile(u"C:\\t.ini", "[New]\r\nKeep=1\r\n");
    EXPECT_EQ(CopyIniSection(u"C:\\s.ini", u"Old", u"C:\\t.ini", u"New", c.limit), c.expected) << c.what;
    WCHAR value[32] = {};
    ReadIniString(u"New", u"Keep", u"", value, 32, u"C:\\t.ini");
    const bool replaced = c.expected == kSectionCopied;
    EXPECT_EQ(std::u16string(value), replaced ? u"" : u"1") << c.what << ": the target is replaced or untouched";
    ReadIniString(u"New", u"K3", u"", value, 32, u"C:\\t.ini");
    EXPECT_EQ(std::u16string(value), replaced && c.keys > 3 ? u"vvvvvvvvvv" : u"") << c.what;
  }
}

}  // namespace
}  // namespace kovatest
