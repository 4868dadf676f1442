// Path queries: full path names with their size protocol and file part, the current
// directory, the temporary folder and temporary file names, long and short names.
#include <string>

#include "files_fixture.h"
#include "plat/wstr.h"

namespace files_paths_test {

namespace {

using filetest::FilesTest;

struct FullPathCase {
  const char16_t* in;
  const char16_t* out;
  const char16_t* filePart;  // nullptr: none
};

TEST_F(FilesTest, FullPathNames) {
  ASSERT_TRUE(CreateDirectoryW(u"C:\\Work", nullptr));
  ASSERT_TRUE(SetCurrentDirectoryW(u"C:\\Work"));
  const FullPathCase cases[] = {
      {u"file.txt", u"C:\\Work\\file.txt", u"file.txt"},
      {u"..\\up.ini", u"C:\\up.ini", u"up.ini"},
      {u"C:\\a\\..\\b\\", u"C:\\b\\", nullptr},
      {u"C:\\", u"C:\\", nullptr},
      {u"\\x\\y", u"C:\\x\\y", u"y"},
      {u"c:/m/n.dat", u"C:\\m\\n.dat", u"n.dat"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(plat::ToUtf8(c.in));
    WCHAR buf[MAX_PATH];
    WCHAR* part = reinterpret_cast<WCHAR*>(1);
    DWORD n = GetFullPathNameW(c.in, MAX_PATH, buf, &part);
    EXPECT_EQ(n, plat::WLen(c.out));
    EXPECT_EQ(std::u16string(buf), c.out);
    if (c.filePart) {
      ASSERT_NE(part, nullptr);
      EXPECT_EQ(std::u16string(part), c.filePart);
    } else {
      EXPECT_EQ(part, nullptr);
    }
  }
  // Size protocol: too small answers the size with the NUL and leaves the buffer alone.
  WCHAR small[16] = {u'#', 0};
  EXPECT_EQ(GetFullPathNameW(u"file.txt", 16, small, nullptr), 17u);
  EXPECT_EQ(small[0], u'#');
  EXPECT_EQ(GetFullPathNameW(u"file.txt", 0, nullptr, nullptr), 17u);
  WCHAR exact[17];
  EXPECT_EQ(GetFullPathNameW(u"file.txt", 17, exact, nullptr), 16u);
  EXPECT_EQ(GetFullPathNameW(nullptr, 17, exact, nullptr), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  std::u16string tooLong = u"C:\\" + std::u16string(300, u'x');
  EXPECT_EQ(GetFullPathNameW(tooLong.c_str(), MAX_PATH, exact, nullptr), 0u);
  EXPECT_EQ(GetLastError(), ERROR_FILENAME_EXCED_RANGE);
}

TEST_F(FilesTest, CurrentDirectory) {
  WCHAR buf[MAX_PATH];
  EXPECT_EQ(GetCurrentDirectoryW(MAX_PATH, buf), 3u);
  EXPECT_EQ(std::u16string(buf), u"C:\\");
  ASSERT_TRUE(SetCurrentDirectoryW(u"C:\\Windows\\system32\\"));
  EXPECT_EQ(GetCurrentDirectoryW(MAX_PATH, buf), 19u);
  EXPECT_EQ(std::u16string(buf), u"C:\\Windows\\system32");  // no trailing backslash
  EXPECT_EQ(GetCurrentDirectoryW(5, buf), 20u);
  EXPECT_EQ(GetCurrentDirectoryW(0, nullptr), 20u);
  char abuf[MAX_PATH];
  EXPECT_EQ(GetCurrentDirectoryA(MAX_PATH, abuf), 19u);
  EXPECT_STREQ(abuf, "C:\\Windows\\system32");
  // Relative names resolve against it.
  Write(u"C:\\Windows\\system32\\rel.ini", "x");
  EXPECT_NE(GetFileAttributesW(u"rel.ini"), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesW(u"..\\system32\\REL.INI"), INVALID_FILE_ATTRIBUTES);
  struct Case {
    const char16_t* path;
    DWORD error;
  } cases[] = {
      {u"C:\\nowhere", ERROR_FILE_NOT_FOUND},
      {u"C:\\nowhere\\deeper", ERROR_PATH_NOT_FOUND},
      {u"C:\\Windows\\system32\\rel.ini", ERROR_DIRECTORY},
      {nullptr, ERROR_INVALID_PARAMETER},
  };
  for (const auto& c : cases) {
    SetLastError(0);
    EXPECT_FALSE(SetCurrentDirectoryW(c.path));
    EXPECT_EQ(GetLastError(), c.error);
  }
  EXPECT_EQ(GetCurrentDirectoryW(MAX_PATH, buf), 19u);  // unchanged by the failures
  EXPECT_TRUE(SetCurrentDirectoryA("C:\\Windows"));
}

TEST_F(FilesTest, TemporaryFiles) {
  WCHAR temp[MAX_PATH];
  DWORD n = GetTempPathW(MAX_PATH, temp);
  EXPECT_EQ(std::u16string(temp), u"C:\\Windows\\Temp\\");
  EXPECT_EQ(n, 16u);
  EXPECT_EQ(GetFileAttributesW(temp), FILE_ATTRIBUTE_DIRECTORY);  // created on demand
  EXPECT_EQ(GetTempPathW(4, temp), 17u);

  WCHAR name1[MAX_PATH], name2[MAX_PATH];
  UINT u1 = GetTempFileNameW(u"C:\\Windows\\Temp", u"kovadrv", 0, name1);
  UINT u2 = GetTempFileNameW(u"C:\\Windows\\Temp\\", u"kovadrv", 0, name2);
  ASSERT_NE(u1, 0u);
  ASSERT_NE(u2, 0u);
  EXPECT_NE(u1, u2);
  std::u16string s1 = name1;
  EXPECT_EQ(s1.rfind(u"C:\\Windows\\Temp\\kov", 0), 0u);
  EXPECT_EQ(s1.substr(s1.size() - 4), u".TMP");
  EXPECT_EQ(GetFileAttributesW(name1), FILE_ATTRIBUTE_ARCHIVE);  // created, empty
  EXPECT_NE(GetFileAttributesW(name2), INVALID_FILE_ATTRIBUTES);
  // A given number only builds the name.
  WCHAR name3[MAX_PATH];
  EXPECT_EQ(GetTempFileNameW(u"C:\\Windows\\Temp", u"ab", 0x1A2B, name3), 0x1A2Bu);
  EXPECT_EQ(std::u16string(name3), u"C:\\Windows\\Temp\\ab1A2B.TMP");
  EXPECT_EQ(GetFileAttributesW(name3), INVALID_FILE_ATTRIBUTES);
  // A missing folder, a folder name too long for the result.
  SetLastError(0);
  EXPECT_EQ(GetTempFileNameW(u"C:\\nowhere", u"x", 0, name3), 0u);
  EXPECT_EQ(GetLastError(), ERROR_DIRECTORY);
  std::u16string longDir = u"C:\\" + std::u16string(245, u'd');
  EXPECT_EQ(GetTempFileNameW(longDir.c_str(), u"x", 0, name3), 0u);
  EXPECT_EQ(GetLastError(), ERROR_BUFFER_OVERFLOW);
}

TEST_F(FilesTest, LongAndShortNames) {
  Write(u"C:\\Program Files\\Long Name.text", "x");
  WCHAR buf[MAX_PATH];
  const char16_t* path = u"C:\\Program Files\\Long Name.text";
  EXPECT_EQ(GetLongPathNameW(path, buf, MAX_PATH), plat::WLen(path));
  EXPECT_EQ(std::u16string(buf), path);
  EXPECT_EQ(GetShortPathNameW(path, buf, MAX_PATH), plat::WLen(path));
  EXPECT_EQ(GetShortPathNameW(path, buf, 3), plat::WLen(path) + 1);
  SetLastError(0);
  EXPECT_EQ(GetLongPathNameW(u"C:\\Program Files\\none", buf, MAX_PATH), 0u);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

}  // namespace

}  // namespace files_paths_test
