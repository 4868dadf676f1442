// Several users of one system root: profiles, and running as one of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "plat/system.h"
#include "plat/users.h"
#include "process_probes.h"
#include "test_root.h"
#include "win/files.h"
#include "win/kernel.h"

namespace kovatest {
namespace {

TEST(Users, EachUserHasAProfileAndTheProcessRunsAsOneAtATime) {
  TempRoot root;
  const std::u16string first = CurrentUserName();
  {
    plat::AsUser anna(u"Anna");
    ASSERT_TRUE(anna.ok());
    EXPECT_EQ(CurrentUserName(), u"Anna");
    EXPECT_EQ(plat::UserProfileDirectory(), u"C:\\Users\\Anna");
    {
      plat::AsUser ben(u"Ben");
      EXPECT_EQ(CurrentUserName(), u"Ben");
    }
    EXPECT_EQ(CurrentUserName(), u"Anna");
  }
  EXPECT_EQ(CurrentUserName(), first);
  const auto users = plat::UserProfiles();
  EXPECT_NE(std::find(users.begin(), users.end(), u"Anna"), users.end());
  EXPECT_NE(std::find(users.begin(), users.end(), u"Ben"), users.end());
  EXPECT_EQ(GetFileAttributesW(u"C:\\Users\\Ben\\AppData\\LocalLow") & FILE_ATTRIBUTE_DIRECTORY,
            FILE_ATTRIBUTE_DIRECTORY);
}

TEST(Users, NamesThatAreNoProfileFolderAreRefused) {
  TempRoot root;
  const std::u16string first = CurrentUserName();
  for (const char16_t* name : {u"", u".", u"..", u"..\\Windows", u"a/b", u"C:x"}) {
    EXPECT_FALSE(plat::AddUserProfile(name));
    plat::AsUser as(name);
    EXPECT_FALSE(as.ok());
    EXPECT_EQ(CurrentUserName(), first);
  }
}

}  // namespace
}  // namespace kovatest
