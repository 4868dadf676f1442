#include <gtest/gtest.h>

#include <filesystem>

#include "plat/paths.h"
#include "plat/system.h"
#include "test_root.h"
#include "win/errors.h"

namespace {

struct FullPathCase {
  const char16_t* in;
  const char16_t* out;
  DWORD err;
};

TEST(PathMapping, FullWindowsPathForms) {
  kovatest::TempRoot root;
  plat::SetCurrentDirectoryPath(u"C:\\Work");
  const FullPathCase cases[] = {
      {u"C:\\a\\b.txt", u"C:\\a\\b.txt", ERROR_SUCCESS},
      {u"c:/a/b.txt", u"C:\\a\\b.txt", ERROR_SUCCESS},
      {u"C:\\a\\.\\x\\..\\b", u"C:\\a\\b", ERROR_SUCCESS},
      {u"rel\\f.ini", u"C:\\Work\\rel\\f.ini", ERROR_SUCCESS},
      {u"\\top", u"C:\\top", ERROR_SUCCESS},
      {u"C:\\name. ", u"C:\\name", ERROR_SUCCESS},
      {u"\\\\server\\share\\x", u"", ERROR_BAD_PATHNAME},
      {u"", u"", ERROR_PATH_NOT_FOUND},
  };
  for (const auto& c : cases) {
    std::u16string full;
    EXPECT_EQ(plat::FullWindowsPath(c.in, full), c.err);
    EXPECT_EQ(full, std::u16string(c.out));
  }
}

TEST(PathMapping, LongPathsAreRefused) {
  kovatest::TempRoot root;
  std::u16string p = u"C:\\" + std::u16string(256, u'a');  // 259 characters: fits
  std::string host;
  EXPECT_EQ(plat::MapPath(p.c_str(), host), static_cast<DWORD>(ERROR_SUCCESS));
  p.push_back(u'b');  // 260 characters: no room for the terminating NUL
  EXPECT_EQ(plat::MapPath(p.c_str(), host), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
  EXPECT_TRUE(host.empty());
}

TEST(PathMapping, ExistingComponentsMatchWithoutCase) {
  kovatest::TempRoot root;
  std::string host;
  ASSERT_EQ(plat::MapPath(u"c:\\WINDOWS\\SYSTEM32\\new.ini", host), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(host, root.Host() + "/drives/c/Windows/system32/new.ini");
  EXPECT_EQ(plat::UnmapPath(host), u"C:\\Windows\\system32\\new.ini");
}

TEST(PathMapping, BadNamesAndDrives) {
  kovatest::TempRoot root;
  std::string host;
  EXPECT_EQ(plat::MapPath(u"C:\\a|b", host), static_cast<DWORD>(ERROR_INVALID_NAME));
  EXPECT_EQ(plat::MapPath(u"Q:\\x", host), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(plat::MapPath(nullptr, host), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

}  // namespace
