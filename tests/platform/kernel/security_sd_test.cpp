#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "win/kernel.h"
#include "plat/security.h"
#include "win/security.h"

namespace {

PSID Admins() {
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID sid = nullptr;
  EXPECT_TRUE(AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0,
                                       0, &sid));
  return sid;
}

PSID Everyone() {
  SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
  PSID sid = nullptr;
  EXPECT_TRUE(AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &sid));
  return sid;
}

TEST(SecuritySid, ByteLayoutAndText) {
  PSID sid = Admins();
  ASSERT_NE(sid, nullptr);
  const BYTE expect[] = {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 0x02, 0, 0};
  EXPECT_EQ(GetLengthSid(sid), sizeof expect);
  EXPECT_EQ(std::memcmp(sid, expect, sizeof expect), 0);
  EXPECT_TRUE(IsValidSid(sid));
  EXPECT_EQ(plat::SidToString(sid), "S-1-5-32-544");
  EXPECT_EQ(*GetSidSubAuthorityCount(sid), 2);
  EXPECT_EQ(*GetSidSubAuthority(sid, 1), 544u);
  LPWSTR text = nullptr;
  ASSERT_TRUE(ConvertSidToStringSidW(sid, &text));
  EXPECT_EQ(std::u16string(text), u"S-1-5-32-544");
  LocalFree(text);

  PSID world = Everyone();
  EXPECT_EQ(GetLengthSid(world), 12u);
  EXPECT_EQ(plat::SidToString(world), "S-1-1-0");
  EXPECT_FALSE(EqualSid(sid, world));
  BYTE copy[16];
  EXPECT_FALSE(CopySid(15, copy, sid));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  ASSERT_TRUE(CopySid(sizeof copy, copy, sid));
  EXPECT_TRUE(EqualSid(copy, sid));
  EXPECT_EQ(FreeSid(sid), nullptr);
  FreeSid(world);

  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID tooMany = nullptr;
  EXPECT_FALSE(AllocateAndInitializeSid(&nt, 9, 0, 0, 0, 0, 0, 0, 0, 0, &tooMany));
  EXPECT_EQ(tooMany, nullptr);
  BYTE bad[12] = {2, 1};  // wrong revision
  EXPECT_FALSE(IsValidSid(bad));
  EXPECT_EQ(GetLengthSid(bad), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_SID);
}

TEST(SecurityAcl, LayoutOfAnAclWithOneAce) {
  PSID sid = Admins();
  const DWORD size = GetLengthSid(sid) + 16;  // header 8 + ACE 8 + SID
  std::vector<BYTE> buf(size + 4, 0xCC);
  auto* acl = reinterpret_cast<PACL>(buf.data());
  ASSERT_TRUE(InitializeAcl(acl, size, ACL_REVISION));
  ASSERT_TRUE(AddAccessAllowedAce(acl, ACL_REVISION, 3, sid));
  const BYTE expect[] = {
      2, 0, 32, 0, 1, 0, 0, 0,                                   // ACL: revision, size 32, one ACE
      0, 0, 24, 0, 3, 0, 0, 0,                                   // ACE: allowed, no flags, size 24, mask 3
      1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 0x02, 0, 0};  // the SID at SidStart
  ASSERT_EQ(size, sizeof expect);
  EXPECT_EQ(std::memcmp(buf.data(), expect, sizeof expect), 0);
  EXPECT_EQ(buf[size], 0xCC);  // nothing written past the ACL
  EXPECT_TRUE(IsValidAcl(acl));
  // Full now.
  EXPECT_FALSE(AddAccessAllowedAce(acl, ACL_REVISION, 1, sid));
  EXPECT_EQ(GetLastError(), ERROR_ALLOTTED_SPACE_EXCEEDED);
  EXPECT_EQ(acl->AceCount, 1);
  LPVOID ace = nullptr;
  ASSERT_TRUE(GetAce(acl, 0, &ace));
  EXPECT_EQ(static_cast<ACCESS_ALLOWED_ACE*>(ace)->Mask, 3u);
  EXPECT_TRUE(EqualSid(&static_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart, sid));
  EXPECT_FALSE(GetAce(acl, 1, &ace));
  FreeSid(sid);
}

TEST(SecurityAcl, InheritableAceAndArgumentErrors) {
  PSID world = Everyone();
  std::vector<BYTE> buf(GetLengthSid(world) + 8 + 8);
  auto* acl = reinterpret_cast<PACL>(buf.data());
  ASSERT_TRUE(InitializeAcl(acl, static_cast<DWORD>(buf.size()), ACL_REVISION));
  EXPECT_FALSE(AddAccessAllowedAceEx(acl, ACL_REVISION, 0x40, FILE_ALL_ACCESS, world));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_FLAGS);
  ASSERT_TRUE(AddAccessAllowedAceEx(acl, ACL_REVISION, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, FILE_ALL_ACCESS,
                                    world));
  EXPECT_EQ(buf[8 + 1], 3);  // ACE flags
  EXPECT_EQ(buf[8 + 2], 20);
  DWORD mask;
  std::memcpy(&mask, &buf[12], 4);
  EXPECT_EQ(mask, 0x1F01FFu);

  BYTE small[8];
  EXPECT_FALSE(InitializeAcl(reinterpret_cast<PACL>(small), 7, ACL_REVISION));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_FALSE(InitializeAcl(reinterpret_cast<PACL>(small), 8, 1));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  ASSERT_TRUE(InitializeAcl(reinterpret_cast<PACL>(small), 8, ACL_REVISION));
  EXPECT_FALSE(AddAccessAllowedAce(reinterpret_cast<PACL>(small), ACL_REVISION, 1, world));
  EXPECT_EQ(GetLastError(), ERROR_ALLOTTED_SPACE_EXCEEDED);
  BYTE badSid[12] = {9};
  EXPECT_FALSE(AddAccessAllowedAce(acl, ACL_REVISION, 1, badSid));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_SID);
  // An ACL whose ACE runs past its size is not valid.
  BYTE broken[16] = {2, 0, 16, 0, 1, 0, 0, 0, 0, 0, 40, 0};
  EXPECT_FALSE(IsValidAcl(reinterpret_cast<PACL>(broken)));
  EXPECT_FALSE(AddAccessAllowedAce(reinterpret_cast<PACL>(broken), ACL_REVISION, 1, world));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_ACL);
  FreeSid(world);
}

TEST(SecurityDescriptor, BuildAndRead) {
  SECURITY_DESCRIPTOR sd;
  EXPECT_FALSE(InitializeSecurityDescriptor(&sd, 2));
  EXPECT_EQ(GetLastError(), ERROR_UNKNOWN_REVISION);
  ASSERT_TRUE(InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION));
  EXPECT_TRUE(IsValidSecurityDescriptor(&sd));
  PSID sid = Admins();
  ASSERT_TRUE(SetSecurityDescriptorOwner(&sd, sid, FALSE));
  ASSERT_TRUE(SetSecurityDescriptorGroup(&sd, sid, TRUE));
  ASSERT_TRUE(SetSecurityDescriptorDacl(&sd, TRUE, nullptr, FALSE));
  EXPECT_EQ(sd.Control, SE_DACL_PRESENT | SE_GROUP_DEFAULTED);
  BOOL present = FALSE, defaulted = TRUE;
  PACL dacl = reinterpret_cast<PACL>(1);
  ASSERT_TRUE(GetSecurityDescriptorDacl(&sd, &present, &dacl, &defaulted));
  EXPECT_TRUE(present);
  EXPECT_EQ(dacl, nullptr);
  EXPECT_FALSE(defaulted);
  PSID owner = nullptr;
  ASSERT_TRUE(GetSecurityDescriptorOwner(&sd, &owner, &defaulted));
  EXPECT_EQ(owner, sid);
  EXPECT_EQ(GetSecurityDescriptorLength(&sd), sizeof(SECURITY_DESCRIPTOR) + 32);
  // A descriptor pointing at a bad DACL is not valid.
  BYTE broken[8] = {9, 0, 8, 0, 0, 0, 0, 0};
  ASSERT_TRUE(SetSecurityDescriptorDacl(&sd, TRUE, reinterpret_cast<PACL>(broken), FALSE));
  EXPECT_FALSE(IsValidSecurityDescriptor(&sd));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_SECURITY_DESCR);
  ASSERT_TRUE(SetSecurityDescriptorDacl(&sd, FALSE, nullptr, FALSE));
  EXPECT_EQ(sd.Control & SE_DACL_PRESENT, 0);
  FreeSid(sid);
}

}  // namespace
