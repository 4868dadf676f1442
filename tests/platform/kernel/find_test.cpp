// Directory searches: Win32 wildcard rules, "." and "..", the entries' data and the errors.
#include <string>
#include <vector>

#include "files_fixture.h"
#include "plat/wstr.h"

namespace {

using filetest::FilesTest;

std::vector<std::u16string> FindAll(const std::u16string& pattern, DWORD* error = nullptr) {
  std::vector<std::u16string> names;
  WIN32_FIND_DATAW data;
  SetLastError(0);
  HANDLE h = FindFirstFileW(pattern.c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) {
    if (error) *error = GetLastError();
    return names;
  }
  do {
    names.emplace_back(data.cFileName);
  } while (FindNextFileW(h, &data));
  if (error) *error = GetLastError();
  FindClose(h);
  return names;
}

std::string Join(const std::vector<std::u16string>& names) {
  std::string out;
  for (const auto& n : names) {
    if (!out.empty()) out += ' ';
    out += plat::ToUtf8(n);
  }
  return out;
}

class FindTest : public FilesTest {
 protected:
  void SetUp() override {
    FilesTest::SetUp();
    for (const char16_t* name :
         {u"a", u"a.txt", u"B.TXT", u"abc.txt", u"abc.txtx", u"abc.txt.bak", u"readme", u"x.y.z", u"ab"})
      Write(std::u16string(u"C:\\dir\\") + name, "12345");
  }
};

struct PatternCase {
  const char16_t* pattern;
  const char* names;  // in the order of the search
};

TEST_F(FindTest, PatternsFollowWindowsRules) {
  const PatternCase cases[] = {
      {u"*", ". .. a a.txt ab abc.txt abc.txt.bak abc.txtx B.TXT readme x.y.z"},
      {u"*.*", ". .. a a.txt ab abc.txt abc.txt.bak abc.txtx B.TXT readme x.y.z"},
      {u"*.txt", "a.txt abc.txt B.TXT"},
      {u"*.TXT", "a.txt abc.txt B.TXT"},
      {u"*txt", "a.txt abc.txt B.TXT"},
      {u"a*", "a a.txt ab abc.txt abc.txt.bak abc.txtx"},
      {u"a?", "a ab"},          // '?' may match nothing at the end of a name
      {u"???", "a ab"},
      {u"*.", ". .. a ab readme"},  // names without an extension
      {u"a.*", "a a.txt"},      // ".*" also matches no extension at all
      {u"*.t?t", "a.txt abc.txt B.TXT"},
      {u"x.*.z", "x.y.z"},
      {u"*.bak", "abc.txt.bak"},
      {u"README", "readme"},
      {u"abc.txt", "abc.txt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(plat::ToUtf8(c.pattern));
    EXPECT_EQ(Join(FindAll(std::u16string(u"C:\\dir\\") + c.pattern)), c.names);
  }
}

TEST_F(FindTest, EntriesCarryTheirData) {
  ASSERT_TRUE(SetFileAttributesW(u"C:\\dir\\readme", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW(u"c:\\DIR\\ReadMe", &data);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(std::u16string(data.cFileName), u"readme");  // the name as stored
  EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(data.nFileSizeLow, 5u);
  EXPECT_EQ(data.nFileSizeHigh, 0u);
  EXPECT_EQ(data.cAlternateFileName[0], 0);
  WIN32_FILE_ATTRIBUTE_DATA info{};
  ASSERT_TRUE(GetFileAttributesExW(u"C:\\dir\\readme", GetFileExInfoStandard, &info));
  EXPECT_EQ(filetest::Value(data.ftLastWriteTime), filetest::Value(info.ftLastWriteTime));
  SetLastError(0);
  EXPECT_FALSE(FindNextFileW(h, &data));
  EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
  EXPECT_TRUE(FindClose(h));
  // A folder given without a wildcard finds the folder itself.
  h = FindFirstFileW(u"C:\\DIR", &data);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(std::u16string(data.cFileName), u"dir");
  EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_TRUE(FindClose(h));
  // The ANSI form.
  WIN32_FIND_DATAA ansi;
  h = FindFirstFileA("C:\\dir\\*.bak", &ansi);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_STREQ(ansi.cFileName, "abc.txt.bak");
  EXPECT_FALSE(FindNextFileA(h, &ansi));
  EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
  EXPECT_TRUE(FindClose(h));
}

TEST_F(FindTest, RootsHaveNoDotEntries) {
  std::string all = Join(FindAll(u"C:\\*"));
  EXPECT_EQ(all.find(". "), std::string::npos);
  EXPECT_NE(all.find("dir"), std::string::npos);
  EXPECT_NE(all.find("Windows"), std::string::npos);
  // Relative patterns search the current directory.
  ASSERT_TRUE(SetCurrentDirectoryW(u"C:\\dir"));
  EXPECT_EQ(Join(FindAll(u"*.bak")), "abc.txt.bak");
  EXPECT_EQ(Join(FindAll(u"C:*.bak")), "abc.txt.bak");
}

TEST_F(FindTest, Errors) {
  struct Case {
    const char16_t* pattern;
    DWORD error;
  } cases[] = {
      {u"C:\\dir\\nothing*", ERROR_FILE_NOT_FOUND},
      {u"C:\\nodir\\*", ERROR_PATH_NOT_FOUND},
      {u"C:\\dir\\a.txt\\*", ERROR_PATH_NOT_FOUND},
      {u"C:\\dir\\", ERROR_FILE_NOT_FOUND},
      {u"C:\\dir\\a|b", ERROR_INVALID_NAME},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(plat::ToUtf8(c.pattern));
    DWORD err = 0;
    EXPECT_TRUE(FindAll(c.pattern, &err).empty());
    EXPECT_EQ(err, c.error);
  }
  WIN32_FIND_DATAW data;
  EXPECT_EQ(FindFirstFileW(nullptr, &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(FindFirstFileW(u"C:\\dir\\*", nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  std::u16string longPattern = u"C:\\dir\\" + std::u16string(253, u'?');  // 260 characters
  EXPECT_EQ(FindFirstFileW(longPattern.c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILENAME_EXCED_RANGE);
}

TEST_F(FindTest, DeletingWhileSearchingIsSafe) {
  // The pattern a directory utility uses: delete each match while the search goes on.
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW(u"C:\\dir\\*.*", &data);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  int deleted = 0;
  do {
    std::u16string name = data.cFileName;
    if (name == u"." || name == u"..") continue;
    if (DeleteFileW((u"C:\\dir\\" + name).c_str())) ++deleted;
  } while (FindNextFileW(h, &data));
  FindClose(h);
  EXPECT_EQ(deleted, 9);
  EXPECT_TRUE(RemoveDirectoryW(u"C:\\dir"));
}

TEST(FileLayouts, FindDataAndInformationRecords) {
  EXPECT_EQ(sizeof(WIN32_FIND_DATAW), 592u);
  EXPECT_EQ(offsetof(WIN32_FIND_DATAW, ftCreationTime), 4u);
  EXPECT_EQ(offsetof(WIN32_FIND_DATAW, ftLastWriteTime), 20u);
  EXPECT_EQ(offsetof(WIN32_FIND_DATAW, nFileSizeHigh), 28u);
  EXPECT_EQ(offsetof(WIN32_FIND_DATAW, nFileSizeLow), 32u);
  EXPECT_EQ(offsetof(WIN32_FIND_DATAW, cFileName), 44u);
  EXPECT_EQ(offsetof(WIN32_FIND_DATAA, cFileName), 44u);
  EXPECT_EQ(sizeof(WIN32_FIND_DATAA), 320u);
  EXPECT_EQ(sizeof(BY_HANDLE_FILE_INFORMATION), 52u);
  EXPECT_EQ(offsetof(BY_HANDLE_FILE_INFORMATION, dwVolumeSerialNumber), 28u);
  EXPECT_EQ(offsetof(BY_HANDLE_FILE_INFORMATION, nFileIndexLow), 48u);
  EXPECT_EQ(sizeof(WIN32_FILE_ATTRIBUTE_DATA), 36u);
}

}  // namespace
