#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

#include "plat/system.h"
#include "test_root.h"
#include "win/kernel.h"
#include "plat/security.h"
#include "win/security.h"

namespace {

// A descriptor as the administrator test builds it: one ACE granting 3 to the SID, owner
// and group that SID.
struct OneAceDescriptor {
  SECURITY_DESCRIPTOR sd;
  std::vector<BYTE> acl;
  PSID sid;
  OneAceDescriptor(SID_IDENTIFIER_AUTHORITY auth, BYTE n, DWORD s0, DWORD s1, bool deny = false) {
    EXPECT_TRUE(AllocateAndInitializeSid(&auth, n, s0, s1, 0, 0, 0, 0, 0, 0, &sid));
    acl.resize(GetLengthSid(sid) + 16);
    auto* a = reinterpret_cast<PACL>(acl.data());
    EXPECT_TRUE(InitializeAcl(a, static_cast<DWORD>(acl.size()), ACL_REVISION));
    if (deny) {
      EXPECT_TRUE(AddAccessDeniedAce(a, ACL_REVISION, 3, sid));
    } else {
      EXPECT_TRUE(AddAccessAllowedAce(a, ACL_REVISION, 3, sid));
    }
    EXPECT_TRUE(InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION));
    EXPECT_TRUE(SetSecurityDescriptorDacl(&sd, TRUE, a, FALSE));
    EXPECT_TRUE(SetSecurityDescriptorOwner(&sd, sid, FALSE));
    EXPECT_TRUE(SetSecurityDescriptorGroup(&sd, sid, FALSE));
  }
  ~OneAceDescriptor() { FreeSid(sid); }
};

GENERIC_MAPPING kMapping = {1, 2, 0, 3};

// AccessCheck for read access; -1 when the call itself fails.
int Check(PSECURITY_DESCRIPTOR sd, HANDLE token, DWORD desired = 1) {
  BYTE privileges[20];
  DWORD length = sizeof privileges;
  DWORD granted = 0;
  BOOL status = FALSE;
  if (!AccessCheck(sd, token, desired, &kMapping, reinterpret_cast<PPRIVILEGE_SET>(privileges), &length, &granted,
                   &status))
    return -1;
  if (status) {
    EXPECT_EQ(granted, desired);
  }
  return status ? 1 : 0;
}

class SecurityAccess : public ::testing::Test {
 protected:
  kovatest::TempRoot root;
  HANDLE ImpersonationToken() {
    EXPECT_TRUE(ImpersonateSelf(SecurityImpersonation));
    HANDLE token = nullptr;
    EXPECT_TRUE(OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token));
    return token;
  }
  void TearDown() override { RevertToSelf(); }
};

TEST_F(SecurityAccess, AdministratorsAceFollowsTheMachineSetting) {
  OneAceDescriptor admins(SECURITY_NT_AUTHORITY, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS);
  OneAceDescriptor everyone(SECURITY_WORLD_SID_AUTHORITY, 1, SECURITY_WORLD_RID, 0);
  OneAceDescriptor denied(SECURITY_WORLD_SID_AUTHORITY, 1, SECURITY_WORLD_RID, 0, true);
  for (bool admin : {true, false}) {
    SCOPED_TRACE(admin ? "administrator" : "user");
    plat::Machine().administrator = admin;
    HANDLE token = ImpersonationToken();
    EXPECT_EQ(Check(&admins.sd, token), admin ? 1 : 0);
    if (!admin) {
      EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    }
    EXPECT_EQ(Check(&everyone.sd, token), 1);
    EXPECT_EQ(Check(&everyone.sd, token, 3), 1);
    EXPECT_EQ(Check(&everyone.sd, token, 4), 0);  // not granted by the ACE
    EXPECT_EQ(Check(&denied.sd, token), 0);
    CloseHandle(token);
    RevertToSelf();
  }
}

TEST_F(SecurityAccess, NullAndEmptyDacls) {
  HANDLE token = ImpersonationToken();
  OneAceDescriptor base(SECURITY_WORLD_SID_AUTHORITY, 1, SECURITY_WORLD_RID, 0);
  ASSERT_TRUE(SetSecurityDescriptorDacl(&base.sd, TRUE, nullptr, FALSE));
  EXPECT_EQ(Check(&base.sd, token, 0x1F01FF), 1);  // a null DACL grants everything
  BYTE empty[8];
  ASSERT_TRUE(InitializeAcl(reinterpret_cast<PACL>(empty), 8, ACL_REVISION));
  ASSERT_TRUE(SetSecurityDescriptorDacl(&base.sd, TRUE, reinterpret_cast<PACL>(empty), FALSE));
  EXPECT_EQ(Check(&base.sd, token), 0);  // an empty one nothing
  CloseHandle(token);
}

TEST_F(SecurityAccess, ArgumentErrors) {
  OneAceDescriptor everyone(SECURITY_WORLD_SID_AUTHORITY, 1, SECURITY_WORLD_RID, 0);
  // The process token is a primary token.
  HANDLE primary = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &primary));
  EXPECT_EQ(Check(&everyone.sd, primary), -1);
  EXPECT_EQ(GetLastError(), ERROR_NO_IMPERSONATION_TOKEN);
  CloseHandle(primary);

  HANDLE token = ImpersonationToken();
  EXPECT_EQ(Check(&everyone.sd, token, GENERIC_READ), -1);
  EXPECT_EQ(GetLastError(), ERROR_GENERIC_NOT_MAPPED);
  EXPECT_EQ(Check(&everyone.sd, reinterpret_cast<HANDLE>(0x4321)), -1);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  // Owner and group are required.
  ASSERT_TRUE(SetSecurityDescriptorGroup(&everyone.sd, nullptr, FALSE));
  EXPECT_EQ(Check(&everyone.sd, token), -1);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_SECURITY_DESCR);
  ASSERT_TRUE(SetSecurityDescriptorGroup(&everyone.sd, everyone.sid, FALSE));
  // The privilege-set buffer must hold a PRIVILEGE_SET.
  BYTE privileges[20];
  DWORD length = 8, granted = 0;
  BOOL status = FALSE;
  EXPECT_FALSE(AccessCheck(&everyone.sd, token, 1, &kMapping, reinterpret_cast<PPRIVILEGE_SET>(privileges), &length,
                           &granted, &status));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(length, 20u);
  // A token opened without TOKEN_QUERY cannot be checked against.
  HANDLE noQuery = nullptr;
  ASSERT_TRUE(OpenThreadToken(GetCurrentThread(), TOKEN_IMPERSONATE, TRUE, &noQuery));
  EXPECT_EQ(Check(&everyone.sd, noQuery), -1);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  CloseHandle(noQuery);
  CloseHandle(token);
}

TEST_F(SecurityAccess, ThreadTokenOnlyWhileImpersonating) {
  const std::size_t handles = plat::OpenHandleCount();
  HANDLE token = reinterpret_cast<HANDLE>(1);
  EXPECT_FALSE(OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token));
  EXPECT_EQ(GetLastError(), ERROR_NO_TOKEN);
  EXPECT_EQ(token, nullptr);
  ASSERT_TRUE(ImpersonateSelf(SecurityImpersonation));
  // Impersonation belongs to the thread that asked for it.
  BOOL other = TRUE;
  DWORD otherError = 0;
  std::thread([&] {
    HANDLE t = nullptr;
    other = OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &t);
    otherError = GetLastError();
  }).join();
  EXPECT_FALSE(other);
  EXPECT_EQ(otherError, ERROR_NO_TOKEN);
  ASSERT_TRUE(OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token));
  EXPECT_EQ(plat::OpenHandleCount(), handles + 1);
  EXPECT_TRUE(CloseHandle(token));
  EXPECT_TRUE(RevertToSelf());
  EXPECT_FALSE(OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token));
  EXPECT_EQ(GetLastError(), ERROR_NO_TOKEN);
  EXPECT_FALSE(OpenProcessToken(reinterpret_cast<HANDLE>(0x99), TOKEN_QUERY, &token));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  ASSERT_TRUE(ImpersonateSelf(SecurityAnonymous));
  EXPECT_FALSE(OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token));
  EXPECT_EQ(GetLastError(), ERROR_CANT_OPEN_ANONYMOUS);
  EXPECT_EQ(plat::OpenHandleCount(), handles);
}

TEST_F(SecurityAccess, TokenInformationAndMembership) {
  HANDLE token = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
  DWORD need = 0;
  EXPECT_FALSE(GetTokenInformation(token, TokenUser, nullptr, 0, &need));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  ASSERT_GT(need, sizeof(TOKEN_USER));
  std::vector<BYTE> buf(need);
  DWORD got = 0;
  ASSERT_TRUE(GetTokenInformation(token, TokenUser, buf.data(), need, &got));
  EXPECT_EQ(got, need);
  auto* user = reinterpret_cast<TOKEN_USER*>(buf.data());
  EXPECT_EQ(plat::SidToString(user->User.Sid), plat::UserSidString());
  EXPECT_EQ(plat::UserSidString().rfind("S-1-5-21-", 0), 0u);

  auto hasAdmins = [&] {
    DWORD n = 0;
    GetTokenInformation(token, TokenGroups, nullptr, 0, &n);
    std::vector<BYTE> g(n);
    EXPECT_TRUE(GetTokenInformation(token, TokenGroups, g.data(), n, &n));
    auto* groups = reinterpret_cast<TOKEN_GROUPS*>(g.data());
    bool found = false;
    for (DWORD i = 0; i < groups->GroupCount; ++i)
      if (plat::SidToString(groups->Groups[i].Sid) == "S-1-5-32-544") found = true;
    return found;
  };
  EXPECT_TRUE(hasAdmins());
  plat::Machine().administrator = false;
  EXPECT_FALSE(hasAdmins());

  DWORD type = 0;
  ASSERT_TRUE(GetTokenInformation(token, TokenType, &type, sizeof type, &got));
  EXPECT_EQ(type, static_cast<DWORD>(TokenPrimary));

  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID admins = nullptr;
  AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &admins);
  BOOL member = TRUE;
  ASSERT_TRUE(CheckTokenMembership(nullptr, admins, &member));
  EXPECT_FALSE(member);
  plat::Machine().administrator = true;
  ASSERT_TRUE(CheckTokenMembership(nullptr, admins, &member));
  EXPECT_TRUE(member);
  EXPECT_FALSE(CheckTokenMembership(token, admins, &member));  // a primary token
  EXPECT_EQ(GetLastError(), ERROR_NO_IMPERSONATION_TOKEN);
  FreeSid(admins);
  CloseHandle(token);
}

}  // namespace
