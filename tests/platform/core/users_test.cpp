// Several users of one system root: profiles, and running as one of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "plat/system.h"
#include "plat/users.h"
#include "test_root.h"
#include "win/files.h"
#include "win/kernel.h"

namespace kovatest {
namespace {

std::u16string UserName() {
  WCHAR name[64] = {};
  DWORD size = 64;
  EXPECT_TRUE(GetUserNameW(name, &size));
  return name;
}

TEST(Users, EachUserHasAProfileAndTheProcessRunsAsOneAtATime) {
  TempRoot root;
  const std::u16string first = UserName();
  {
    plat::AsUser anna(u"Anna");
    ASSERT_TRUE(anna.ok());
    EXPECT_EQ(UserName(), u"Anna");
    EXPECT_EQ(plat::UserProfileDirectory(), u"C:\\Users\\Anna");
    {
      plat::AsUser ben(u"Ben");
      EXPECT_EQ(UserName(), u"Ben");
    }
    EXPECT_EQ(UserName(), u"Anna");
  }
  EXPECT_EQ(UserName(), first);
  const auto users = plat::UserProfiles();
  EXPECT_NE(std::find(users.begin(), users.end(), u"Anna"), users.end());
  EXPECT_NE(std::find(users.begin(), users.end(), u"Ben"), users.end());
  EXPECT_EQ(GetFileAttributesW(u"C:\\Users\\Ben\\AppData\\LocalLow") & FILE_ATTRIBUTE_DIRECTORY,
            FILE_ATTRIBUTE_DIRECTORY);
}

TEST(Users, NamesThatAreNoProfileFolderAreRefused) {
  TempRoot root;
  const std::u16string first = UserName();
  for (const char16_t* name : {u"", u".", u"..", u"..\\Windows", u"a/b", u"C:x"}) {
    EXPECT_FALSE(plat::AddUserProfile(name));
    plat::AsUser as(name);
    EXPECT_FALSE(as.ok());
    EXPECT_EQ(UserName(), first);
  }
}

}  // namespace
}  // namespace kovatest
