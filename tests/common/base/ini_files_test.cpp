#include <gtest/gtest.h>

#include <string>

#include "base/deliverable.h"
#include "base/ini_files.h"
#include "plat/system.h"
#include "test_root.h"
#include "win/files.h"

namespace {

constexpr const char16_t* kIni = u"C:\\_kova\\Dorvale.ini";

class IniFiles : public ::testing::Test {
 protected:
  void SetUp() override { root_.WriteFile(kIni, ""); }
  std::string Text() const { return root_.ReadFile(kIni); }
  std::u16string Read(const char16_t* section, const char16_t* key, const char16_t* def = u"-") {
    WCHAR buffer[300] = {};
    ReadIniString(section, key, def, buffer, 300, kIni);
    return buffer;
  }
  kovatest::TempRoot root_;
};

TEST_F(IniFiles, BracketsInSectionNamesBecomeCommas) {
  ASSERT_TRUE(WriteIniString(u"[Printer]", u"Count", u"2", kIni));
  EXPECT_NE(Text().find("[,Printer,]"), std::string::npos) << Text();
  EXPECT_EQ(Read(u"[Printer]", u"Count"), u"2");
  EXPECT_EQ(Read(u",Printer,", u"Count"), u"2");
  EXPECT_EQ(ReadIniInt(u"[Printer]", u"Count", 7, kIni), 2);
  EXPECT_EQ(ReadIniInt(u"[Printer]", u"Missing", 7, kIni), 7);

  WCHAR name[] = u"a]b[c";
  SanitizeIniSection(name);
  EXPECT_EQ(std::u16string(name), u"a,b,c");
}

TEST_F(IniFiles, LongSectionNamesAreCutTo260) {
  std::u16string longName(300, u'P');
  ASSERT_TRUE(WriteIniString(longName.c_str(), u"K", u"V", kIni));
  EXPECT_NE(Text().find("[" + std::string(260, 'P') + "]"), std::string::npos);
  EXPECT_EQ(Text().find(std::string(261, 'P')), std::string::npos);
  // Any name that starts with the same 260 characters is the same section.
  std::u16string other = std::u16string(260, u'P') + u"XYZ";
  EXPECT_EQ(Read(other.c_str(), u"K"), u"V");
}

TEST_F(IniFiles, NullKeyDeletesSectionAndNullValueDeletesKey) {
  WriteIniString(u"S", u"A", u"1", kIni);
  WriteIniString(u"S", u"B", u"2", kIni);
  WriteIniString(u"T", u"C", u"3", kIni);
  ASSERT_TRUE(WriteIniString(u"S", u"A", nullptr, kIni));
  EXPECT_EQ(Read(u"S", u"A"), u"-");
  EXPECT_EQ(Read(u"S", u"B"), u"2");
  ASSERT_TRUE(WriteIniString(u"S", nullptr, nullptr, kIni));
  EXPECT_EQ(Read(u"S", u"B"), u"-");
  EXPECT_EQ(Read(u"T", u"C"), u"3");
  EXPECT_EQ(Text().find("[S]"), std::string::npos);
}

TEST_F(IniFiles, ReadTruncatesToTheBuffer) {
  WriteIniString(u"S", u"Long", u"abcdefgh", kIni);
  WCHAR buffer[5];
  EXPECT_EQ(ReadIniString(u"S", u"Long", u"", buffer, 5, kIni), 4u);
  EXPECT_EQ(std::u16string(buffer), u"abcd");
}

TEST_F(IniFiles, WriteKeepTimePutsTheOldTimeBack) {
  HANDLE h = CreateFileW(kIni, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  FILETIME old{0x12345678u, 0x01D00000u};
  ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &old));
  CloseHandle(h);

  ASSERT_TRUE(WriteIniKeepTime(u"Install", u"DrvInstSet", u"1", kIni, 0));
  EXPECT_EQ(Read(u"Install", u"DrvInstSet"), u"1");

  h = CreateFileW(kIni, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  BY_HANDLE_FILE_INFORMATION info;
  ASSERT_TRUE(GetFileInformationByHandle(h, &info));
  CloseHandle(h);
  EXPECT_EQ(info.ftLastWriteTime.dwHighDateTime, old.dwHighDateTime);
  EXPECT_EQ(info.ftLastWriteTime.dwLowDateTime, old.dwLowDateTime);
}

TEST_F(IniFiles, WriteKeepTimeCreatesAMissingFile) {
  const char16_t* fresh = u"C:\\_kova\\fresh.ini";
  ASSERT_TRUE(WriteIniKeepTime(u"S", u"K", u"V", fresh, 0));
  WCHAR buffer[8] = {};
  ReadIniString(u"S", u"K", u"", buffer, 8, fresh);
  EXPECT_EQ(std::u16string(buffer), u"V");
}

}  // namespace

namespace {

// The settings API on Windows 9x leaves a character whose low byte is a lead byte of the
// system code page, and the character after it, as they are.
TEST(SanitizeIniSectionByDeliverable, DoubleByteCharactersKeptOnlyByTheSettingsApiOnWindows9x) {
  kovatest::TempRoot root;
  struct Case {
    Deliverable deliverable;
    bool win9x;
    UINT codePage;
    std::u16string name, expected;
  } cases[] = {
      {Deliverable::SettingsApi, true, 932, u"\u3081[x]", u"\u3081[x,"},
      {Deliverable::SettingsApi, true, 932, u"[\u30E0]]", u",\u30E0],"},
      {Deliverable::SettingsApi, true, 932, u"a]\u3081", u"a,\u3081"},  // a lead byte last
      {Deliverable::SettingsApi, true, 1252, u"\u3081[x]", u"\u3081,x,"},
      {Deliverable::SettingsApi, false, 932, u"\u3081[x]", u"\u3081,x,"},
      {Deliverable::Interface, true, 932, u"\u3081[x]", u"\u3081,x,"},
      {Deliverable::Rendering, true, 932, u"\u3081[x]", u"\u3081,x,"},
  };
  for (const Case& c : cases) {
    plat::Machine().platformId = c.win9x ? 1 : 2;
    plat::Machine().majorVersion = c.win9x ? 4 : 10;
    plat::Machine().minorVersion = c.win9x ? 10 : 0;
    plat::Machine().ansiCodePage = c.codePage;
    SetDeliverable(c.deliverable);
    std::u16string name = c.name;
    SanitizeIniSection(name.data());
    EXPECT_EQ(name, c.expected) << static_cast<int>(c.deliverable) << " 9x " << c.win9x << " cp " << c.codePage;
  }
  SetDeliverable(Deliverable::Interface);
  plat::ResetMachine();
}

}  // namespace
