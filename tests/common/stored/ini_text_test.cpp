#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "stored/ini_text.h"
#include "test_root.h"
#include "win/profile.h"

namespace {

constexpr const char16_t* kFile = u"C:\\_kova\\set.kst";

// Looks keys up in one in-memory text.
class IniText : public ::testing::Test {
 protected:
  void Load(const std::string& text) {
    root_.WriteFile(kFile, text);
    buffer_ = ReadIniFileToMemory(kFile);
    ASSERT_NE(buffer_, nullptr);
  }
  void TearDown() override { FreeIniBuffer(buffer_); }
  std::u16string Read(const char* section, const char16_t* key, LONG* cursor, WORD capacity = 64) {
    std::u16string name(section, section + std::strlen(section));
    const char* at = FindIniSection(name.c_str(), buffer_);
    WCHAR value[64] = {};
    ReadIniStringFromMemory(key, u"<none>", value, capacity, at, cursor);
    return value;
  }
  kovatest::TempRoot root_;
  char* buffer_ = nullptr;
};

TEST_F(IniText, SectionHeadersMatchWithoutCaseAndIgnoreTrailingText) {
  Load("[Other]\nA=0\n [Model]\nA=blank\n[MODEL] trailing text\nA=1\n[model]\nA=2\n");
  LONG cursor = 0;
  EXPECT_EQ(Read("model", u"A", &cursor), u"1");
  EXPECT_EQ(FindIniSection(u"Missing", buffer_), nullptr);
  EXPECT_EQ(FindIniSection(u"Mode", buffer_), nullptr);  // a prefix of a name is not the name
  EXPECT_EQ(FindIniSection(u"Model", nullptr), nullptr);
}

TEST_F(IniText, KeyLinesMatchByCaseButNotWithBlanksBeforeTheEquals) {
  Load("[S]\nkstversion =9\nKSTVERSION=322\r\nEmpty=\r\nLast=x");
  struct Case {
    const char16_t* key;
    const char16_t* value;
  } cases[] = {
      {u"KstVersion", u"322"},  // the line with a blank before '=' is passed over; no CR in the value
      {u"empty", u""},
      {u"Last", u"x"},          // a value ending at the text's end
      {u"Absent", u"<none>"},
  };
  for (const Case& c : cases) {
    LONG cursor = 0;
    EXPECT_EQ(Read("S", c.key, &cursor), c.value) << kovatest::U8(c.key);
  }
}

TEST_F(IniText, CursorWalksForwardWrapsAndResets) {
  Load("[A]\nOne=1\nTwo=2\nThree=3\n[B]\nOne=b1\nFour=b4\n");
  const char* a = FindIniSection(u"A", buffer_);
  ASSERT_NE(a, nullptr);
  LONG cursor = 0;
  WCHAR value[16];
  EXPECT_EQ(ReadIniStringFromMemory(u"Two", u"", value, 16, a, &cursor), 1u);
  EXPECT_EQ(cursor, static_cast<LONG>(std::strlen("One=1\nTwo=2\n")));
  EXPECT_EQ(ReadIniStringFromMemory(u"Three", u"", value, 16, a, &cursor), 1u);
  EXPECT_EQ(a[cursor], '[');  // after the section's last key the cursor stands at the next header
  // The section's first key is found by wrapping to the section's start.
  EXPECT_EQ(ReadIniStringFromMemory(u"One", u"", value, 16, a, &cursor), 1u);
  EXPECT_EQ(std::u16string(value), u"1");
  EXPECT_EQ(cursor, 6);
  // A key of another section is not found; the second pass ended at the header: cursor 0.
  cursor = static_cast<LONG>(std::strlen("One=1\nTwo=2\nThree=3\n"));
  EXPECT_EQ(ReadIniStringFromMemory(u"Four", u"dflt", value, 16, a, &cursor), 4u);
  EXPECT_EQ(std::u16string(value), u"dflt");
  EXPECT_EQ(cursor, 0);
  // A miss whose second pass comes back to its starting line leaves the cursor alone.
  cursor = 6;
  EXPECT_EQ(ReadIniStringFromMemory(u"Four", u"", value, 16, a, &cursor), 0u);
  EXPECT_EQ(cursor, 6);
}

TEST_F(IniText, BadCursorsAndNullArgumentsGiveTheDefault) {
  Load("[A]\nOne=1\n");
  const char* a = FindIniSection(u"A", buffer_);
  WCHAR value[8];
  EXPECT_EQ(ReadIniStringFromMemory(u"One", u"d", value, 8, nullptr, nullptr), 1u);
  EXPECT_EQ(std::u16string(value), u"d");
  EXPECT_EQ(ReadIniStringFromMemory(u"One", u"d", value, 8, a, nullptr), 1u);
  // A cursor outside the text counts as the section's start.
  for (LONG bad : {-5L, 1000L, 0x7FFFFFFFL}) {
    LONG cursor = bad;
    EXPECT_EQ(ReadIniStringFromMemory(u"One", u"d", value, 8, a, &cursor), 1u) << bad;
    EXPECT_EQ(std::u16string(value), u"1");
  }
}

TEST_F(IniText, ValuesAndDefaultsAreCutToTheCapacity) {
  Load("[A]\nLong=abcdefghij\n");
  LONG cursor = 0;
  EXPECT_EQ(Read("A", u"Long", &cursor, 5), u"abcd");
  const char* a = FindIniSection(u"A", buffer_);
  WCHAR value[4] = {u'x', u'x', u'x', u'x'};
  cursor = 0;
  EXPECT_EQ(ReadIniStringFromMemory(u"Nope", u"123456", value, 4, a, &cursor), 3u);
  EXPECT_EQ(std::u16string(value), u"123");
  EXPECT_EQ(ReadIniStringFromMemory(u"Long", u"", value, 1, a, &cursor), 0u);
  EXPECT_EQ(value[0], 0);
}

TEST_F(IniText, IntegersReadAsDecimal) {
  Load("[N]\nA=42\nB=  -17x\nC=\nD=abc\nE=+8\nF=12345678901234\n");
  const char* n = FindIniSection(u"N", buffer_);
  LONG cursor = 0;
  EXPECT_EQ(ReadIniIntFromMemory(u"A", 5, n, &cursor), 42);
  EXPECT_EQ(ReadIniIntFromMemory(u"B", 5, n, &cursor), -17);
  EXPECT_EQ(ReadIniIntFromMemory(u"C", 5, n, &cursor), 5);  // empty: the default
  EXPECT_EQ(ReadIniIntFromMemory(u"D", 5, n, &cursor), 0);  // text: no digits
  EXPECT_EQ(ReadIniIntFromMemory(u"E", 5, n, &cursor), 8);
  EXPECT_EQ(ReadIniIntFromMemory(u"F", 5, n, &cursor), 1234567890);  // ten characters at most
  EXPECT_EQ(ReadIniIntFromMemory(u"G", 5, n, &cursor), 5);
}

TEST(IniTextFile, MissingFileIsCreatedEmptyAndBadPathsGiveNothing) {
  kovatest::TempRoot root;
  root.WriteFile(u"C:\\_kova\\keep.txt", "");
  char* buffer = ReadIniFileToMemory(u"C:\\_kova\\new.kst");
  ASSERT_NE(buffer, nullptr);
  EXPECT_EQ(buffer[0], 0);
  EXPECT_EQ(FindIniSection(u"Any", buffer), nullptr);
  EXPECT_EQ(root.ReadFile(u"C:\\_kova\\new.kst"), "");
  EXPECT_EQ(FreeIniBuffer(buffer), TRUE);
  EXPECT_EQ(ReadIniFileToMemory(u""), nullptr);
  EXPECT_EQ(ReadIniFileToMemory(u"relative.kst"), nullptr);
  EXPECT_EQ(ReadIniFileToMemory(nullptr), nullptr);
  EXPECT_EQ(ReadIniFileToMemory(u"C:\\no such folder\\x.kst"), nullptr);
}

TEST(IniTextWrite, LinesAppendAndTheBufferNeverOverflows) {
  static char buffer[kIniTextBufferBytes];
  std::memset(buffer, 0, sizeof buffer);
  LONG offset = 0;
  EXPECT_TRUE(AppendIniLine(&offset, u"KstVersion", u"322", buffer));
  EXPECT_TRUE(AppendIniLine(&offset, u"wdmName", u"", buffer));
  EXPECT_TRUE(AppendIniLine(&offset, u"", u"ignored", buffer));
  EXPECT_EQ(std::string(buffer), "KstVersion=322\r\nwdmName=\r\n");
  EXPECT_EQ(offset, 26);
  EXPECT_FALSE(AppendIniLine(nullptr, u"K", u"V", buffer));
  EXPECT_FALSE(AppendIniLine(&offset, nullptr, u"V", buffer));
  EXPECT_FALSE(AppendIniLine(&offset, u"K", nullptr, buffer));
  EXPECT_FALSE(AppendIniLine(&offset, u"K", u"V", nullptr));

  // Fill up to the end: a line that would not fit with its NUL is refused whole.
  const std::u16string value(1000, u'v');
  while (AppendIniLine(&offset, u"Key", value.c_str(), buffer)) {
  }
  const LONG full = offset;
  EXPECT_GT(static_cast<DWORD>(full) + 1006 + 1, kIniTextBufferBytes);  // the next line had no room
  EXPECT_LT(static_cast<DWORD>(full), kIniTextBufferBytes);
  EXPECT_EQ(buffer[full], 0);
  EXPECT_TRUE(AppendIniLine(&offset, u"K", u"1", buffer));  // a short line still fits
  EXPECT_EQ(offset, full + 5);
  LONG bad = -1;
  EXPECT_FALSE(AppendIniLine(&bad, u"K", u"1", buffer));
  bad = static_cast<LONG>(kIniTextBufferBytes);
  EXPECT_FALSE(AppendIniLine(&bad, u"K", u"1", buffer));
  EXPECT_EQ(bad, static_cast<LONG>(kIniTextBufferBytes));
}

TEST(IniTextWrite, WrittenTextReadsBack) {
  kovatest::TempRoot root;
  static char buffer[kIniTextBufferBytes];
  std::memset(buffer, 0, sizeof buffer);
  LONG offset = 0;
  ASSERT_TRUE(AppendIniLine(&offset, u"dmCopies", u"3", buffer));
  ASSERT_TRUE(AppendIniLine(&offset, u"wdmName", u"Caf\u00e9", buffer));
  root.WriteFile(kFile, std::string("[Model]\r\n") + buffer);
  char* text = ReadIniFileToMemory(kFile);
  ASSERT_NE(text, nullptr);
  const char* section = FindIniSection(u"model", text);
  LONG cursor = 0;
  WCHAR value[16];
  EXPECT_EQ(ReadIniIntFromMemory(u"dmCopies", 0, section, &cursor), 3);
  ReadIniStringFromMemory(u"wdmName", u"", value, 16, section, &cursor);
  EXPECT_EQ(std::u16string(value), u"Caf\u00e9");
  FreeIniBuffer(text);
}

}  // namespace
