#include <gtest/gtest.h>

#include <vector>

#include "plat/system.h"
#include "test_root.h"
#include "win/kernel.h"
#include "plat/security.h"
#include "win/security.h"

namespace {

// The descriptors the settings directory gets: Everyone with full, inherited access, and
// Administrators as owner.
struct EveryoneDacl {
  SECURITY_DESCRIPTOR sd;
  std::vector<BYTE> acl;
  PSID sid = nullptr;
  EveryoneDacl() {
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    AllocateAndInitializeSid(&world, 1, 0, 0, 0, 0, 0, 0, 0, 0, &sid);
    acl.resize(GetLengthSid(sid) + 8 + 8);
    InitializeAcl(reinterpret_cast<PACL>(acl.data()), static_cast<DWORD>(acl.size()), ACL_REVISION);
    AddAccessAllowedAceEx(reinterpret_cast<PACL>(acl.data()), ACL_REVISION, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE,
                          FILE_ALL_ACCESS, sid);
    InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&sd, TRUE, reinterpret_cast<PACL>(acl.data()), FALSE);
  }
  ~EveryoneDacl() { FreeSid(sid); }
};

struct AdminsOwner {
  SECURITY_DESCRIPTOR sd;
  PSID sid = nullptr;
  AdminsOwner() {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    AllocateAndInitializeSid(&nt, 2, 32, 544, 0, 0, 0, 0, 0, 0, &sid);
    InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorOwner(&sd, sid, FALSE);
  }
  ~AdminsOwner() { FreeSid(sid); }
};

class SecurityFile : public ::testing::Test {
 protected:
  kovatest::TempRoot root;
  void SetUp() override { root.WriteFile(u"C:\\_kova\\a.ini", "x"); }
};

TEST_F(SecurityFile, SuccessfulCallsAreRecorded) {
  EveryoneDacl dacl;
  AdminsOwner owner;
  ASSERT_TRUE(SetFileSecurityW(u"c:\\_KOVA", DACL_SECURITY_INFORMATION, &dacl.sd));
  ASSERT_TRUE(SetFileSecurityW(u"C:\\_kova\\a.ini", OWNER_SECURITY_INFORMATION, &owner.sd));
  SECURITY_DESCRIPTOR nullDacl;
  InitializeSecurityDescriptor(&nullDacl, SECURITY_DESCRIPTOR_REVISION);
  SetSecurityDescriptorDacl(&nullDacl, TRUE, nullptr, FALSE);
  ASSERT_TRUE(SetFileSecurityW(u"C:\\_kova\\a.ini", DACL_SECURITY_INFORMATION, &nullDacl));
  const auto j = plat::SecurityJournal();
  ASSERT_EQ(j.size(), 3u);
  EXPECT_EQ(j[0].path, u"C:\\_KOVA");
  EXPECT_EQ(j[0].information, DACL_SECURITY_INFORMATION);
  EXPECT_EQ(j[0].dacl, "(A;0x03;0x001F01FF;S-1-1-0)");
  EXPECT_EQ(j[0].owner, "");
  EXPECT_EQ(j[1].path, u"C:\\_kova\\a.ini");
  EXPECT_EQ(j[1].owner, "S-1-5-32-544");
  EXPECT_EQ(j[1].dacl, "");
  EXPECT_EQ(j[2].dacl, "NULL");
  plat::ClearSecurityJournal();
  EXPECT_TRUE(plat::SecurityJournal().empty());
}

TEST_F(SecurityFile, MissingFilesAndBadDescriptors) {
  EveryoneDacl dacl;
  struct Case {
    const char16_t* path;
    DWORD error;
  };
  for (const Case& c : {Case{u"C:\\_kova\\missing.ini", ERROR_FILE_NOT_FOUND},
                        Case{u"C:\\nowhere\\a.ini", ERROR_PATH_NOT_FOUND}, Case{u"", ERROR_INVALID_PARAMETER},
                        Case{u"Q:\\x", ERROR_PATH_NOT_FOUND}}) {
    SetLastError(0);
    EXPECT_FALSE(SetFileSecurityW(c.path, DACL_SECURITY_INFORMATION, &dacl.sd));
    EXPECT_EQ(GetLastError(), c.error) << std::string(c.path, c.path + std::char_traits<char16_t>::length(c.path));
  }
  std::u16string longPath = u"C:\\" + std::u16string(300, u'a');
  EXPECT_FALSE(SetFileSecurityW(longPath.c_str(), DACL_SECURITY_INFORMATION, &dacl.sd));
  EXPECT_EQ(GetLastError(), ERROR_FILENAME_EXCED_RANGE);
  BYTE junk[40] = {3};
  EXPECT_FALSE(SetFileSecurityW(u"C:\\_kova", DACL_SECURITY_INFORMATION, junk));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_SECURITY_DESCR);
  EXPECT_TRUE(plat::SecurityJournal().empty());
}

TEST_F(SecurityFile, FailureHookAndOwnerRights) {
  EveryoneDacl dacl;
  AdminsOwner owner;
  plat::FailFileSecurityFor(u"c:\\_kova\\A.INI", ERROR_ACCESS_DENIED);
  EXPECT_FALSE(SetFileSecurityW(u"C:\\_kova\\a.ini", DACL_SECURITY_INFORMATION, &dacl.sd));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(SetFileSecurityW(u"C:\\_kova", DACL_SECURITY_INFORMATION, &dacl.sd));
  plat::FailFileSecurityFor(u"C:\\_kova\\a.ini", 0);
  EXPECT_TRUE(SetFileSecurityW(u"C:\\_kova\\a.ini", DACL_SECURITY_INFORMATION, &dacl.sd));
  // A user who is no administrator cannot give a file to the Administrators group.
  plat::Machine().administrator = false;
  EXPECT_FALSE(SetFileSecurityW(u"C:\\_kova", OWNER_SECURITY_INFORMATION, &owner.sd));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_OWNER);
  EXPECT_EQ(plat::SecurityJournal().size(), 2u);
}

TEST_F(SecurityFile, GetFileSecurityAnswersWhatWasSet) {
  DWORD need = 0;
  EXPECT_FALSE(GetFileSecurityW(u"C:\\_kova\\a.ini", OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr,
                                0, &need));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  ASSERT_GT(need, sizeof(SECURITY_DESCRIPTOR_RELATIVE));
  std::vector<BYTE> buf(need);
  ASSERT_TRUE(GetFileSecurityW(u"C:\\_kova\\a.ini", OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                               buf.data(), need, &need));
  EXPECT_TRUE(IsValidSecurityDescriptor(buf.data()));
  PSID owner = nullptr;
  BOOL defaulted = FALSE;
  ASSERT_TRUE(GetSecurityDescriptorOwner(buf.data(), &owner, &defaulted));
  EXPECT_EQ(plat::SidToString(owner), plat::UserSidString());  // by default the user's

  AdminsOwner admins;
  EveryoneDacl dacl;
  ASSERT_TRUE(SetFileSecurityW(u"C:\\_kova\\a.ini", OWNER_SECURITY_INFORMATION, &admins.sd));
  ASSERT_TRUE(SetFileSecurityW(u"C:\\_kova\\a.ini", DACL_SECURITY_INFORMATION, &dacl.sd));
  GetFileSecurityW(u"C:\\_kova\\a.ini", OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr, 0, &need);
  buf.assign(need, 0);
  ASSERT_TRUE(GetFileSecurityW(u"C:\\_kova\\a.ini", OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                               buf.data(), need, &need));
  ASSERT_TRUE(GetSecurityDescriptorOwner(buf.data(), &owner, &defaulted));
  EXPECT_EQ(plat::SidToString(owner), "S-1-5-32-544");
  BOOL present = FALSE;
  PACL acl = nullptr;
  ASSERT_TRUE(GetSecurityDescriptorDacl(buf.data(), &present, &acl, &defaulted));
  ASSERT_TRUE(present);
  ASSERT_NE(acl, nullptr);
  EXPECT_EQ(acl->AceCount, 1);
  EXPECT_EQ(reinterpret_cast<BYTE*>(acl)[8 + 1], 3);  // inherit flags kept
  EXPECT_FALSE(GetFileSecurityW(u"C:\\_kova\\none", DACL_SECURITY_INFORMATION, buf.data(), need, &need));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(SecurityFile, JournalBelongsToItsRoot) {
  EveryoneDacl dacl;
  ASSERT_TRUE(SetFileSecurityW(u"C:\\_kova", DACL_SECURITY_INFORMATION, &dacl.sd));
  EXPECT_EQ(plat::SecurityJournal().size(), 1u);
  kovatest::TempRoot other;
  EXPECT_TRUE(plat::SecurityJournal().empty());
}

}  // namespace
