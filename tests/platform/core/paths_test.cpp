#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "plat/paths.h"
#include "plat/system.h"
#include "plat/wstr.h"
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

// Folder listings are reused between lookups: an entry made or removed right after a
// lookup missed it (within one tick of the file system's clock) must be seen at once.
TEST(PathMapping, EntriesMadeOrRemovedRightAfterALookupAreSeen) {
  kovatest::TempRoot root;
  const std::string dir = root.Host() + "/drives/c/Fresh";
  std::filesystem::create_directories(dir);
  struct Step {
    const char* create;    // host name made before the lookup, or null
    const char* remove;    // host name removed before the lookup, or null
    const char16_t* look;  // path looked up
    const char* expect;    // host name it must map to
  };
  for (int round = 0; round < 20; ++round) {
    const std::string n = std::to_string(round);
    const std::string made = "Made" + n + ".ini";
    const std::string upper = "MADE" + n + ".INI";
    const std::u16string lookUpper = u"C:\\fresh\\" + plat::FromUtf8(upper);
    const Step steps[] = {
        {nullptr, nullptr, lookUpper.c_str(), upper.c_str()},  // missing: kept as written
        {made.c_str(), nullptr, lookUpper.c_str(), made.c_str()},
        {nullptr, made.c_str(), lookUpper.c_str(), upper.c_str()},
    };
    for (const Step& s : steps) {
      if (s.create) std::ofstream(dir + "/" + s.create) << "x";
      if (s.remove) std::filesystem::remove(dir + "/" + s.remove);
      std::string host;
      ASSERT_EQ(plat::MapPath(s.look, host), static_cast<DWORD>(ERROR_SUCCESS));
      EXPECT_EQ(host, dir + "/" + s.expect) << round;
    }
  }
}

}  // namespace
