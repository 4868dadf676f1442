// Security: SIDs, ACLs, security descriptors, tokens, the access check and file security.
//
// Byte layouts of SID, ACL and ACE are the documented ones. The machine's answers come from
// the system root's settings: the calling user belongs to Administrators exactly when
// plat::Machine().administrator is set. File security is not enforced: SetFileSecurityW
// checks that the file exists, records the call in a journal tests read, and succeeds.
#pragma once

// Exported by the platform library (built with hidden visibility otherwise).
#pragma GCC visibility push(default)

#include "win/errors.h"
#include "win/types.h"

constexpr DWORD ERROR_REVISION_MISMATCH = 1306;
constexpr DWORD ERROR_INVALID_OWNER = 1307;
constexpr DWORD ERROR_NO_IMPERSONATION_TOKEN = 1309;
constexpr DWORD ERROR_UNKNOWN_REVISION = 1305;
constexpr DWORD ERROR_ALLOTTED_SPACE_EXCEEDED = 1344;
constexpr DWORD ERROR_CANT_OPEN_ANONYMOUS = 1347;
constexpr DWORD ERROR_BAD_IMPERSONATION_LEVEL = 1346;
constexpr DWORD ERROR_GENERIC_NOT_MAPPED = 1360;
constexpr DWORD ERROR_INVALID_SECURITY_INFO = 1386;

// ---- access masks ----------------------------------------------------------------------
constexpr ACCESS_MASK DELETE = 0x00010000;
constexpr ACCESS_MASK READ_CONTROL = 0x00020000;
constexpr ACCESS_MASK WRITE_DAC = 0x00040000;
constexpr ACCESS_MASK WRITE_OWNER = 0x00080000;
constexpr ACCESS_MASK STANDARD_RIGHTS_REQUIRED = 0x000F0000;
constexpr ACCESS_MASK STANDARD_RIGHTS_ALL = 0x001F0000;
constexpr ACCESS_MASK ACCESS_SYSTEM_SECURITY = 0x01000000;
constexpr ACCESS_MASK MAXIMUM_ALLOWED = 0x02000000;
constexpr ACCESS_MASK GENERIC_ALL = 0x10000000;
constexpr ACCESS_MASK GENERIC_EXECUTE = 0x20000000;
constexpr ACCESS_MASK GENERIC_WRITE = 0x40000000;
constexpr ACCESS_MASK GENERIC_READ = 0x80000000;
constexpr ACCESS_MASK FILE_ALL_ACCESS = 0x001F01FF;

// ---- SIDs --------------------------------------------------------------------------------
struct SID_IDENTIFIER_AUTHORITY {
  BYTE Value[6];
};
using PSID_IDENTIFIER_AUTHORITY = SID_IDENTIFIER_AUTHORITY*;

struct SID {
  BYTE Revision;
  BYTE SubAuthorityCount;
  SID_IDENTIFIER_AUTHORITY IdentifierAuthority;
  DWORD SubAuthority[1];
};
static_assert(sizeof(SID) == 12);
static_assert(offsetof(SID, SubAuthority) == 8);

constexpr BYTE SID_REVISION = 1;
constexpr BYTE SID_MAX_SUB_AUTHORITIES = 15;
constexpr SID_IDENTIFIER_AUTHORITY SECURITY_NULL_SID_AUTHORITY = {{0, 0, 0, 0, 0, 0}};
constexpr SID_IDENTIFIER_AUTHORITY SECURITY_WORLD_SID_AUTHORITY = {{0, 0, 0, 0, 0, 1}};
constexpr SID_IDENTIFIER_AUTHORITY SECURITY_LOCAL_SID_AUTHORITY = {{0, 0, 0, 0, 0, 2}};
constexpr SID_IDENTIFIER_AUTHORITY SECURITY_CREATOR_SID_AUTHORITY = {{0, 0, 0, 0, 0, 3}};
constexpr SID_IDENTIFIER_AUTHORITY SECURITY_NT_AUTHORITY = {{0, 0, 0, 0, 0, 5}};
constexpr DWORD SECURITY_WORLD_RID = 0;
constexpr DWORD SECURITY_INTERACTIVE_RID = 4;
constexpr DWORD SECURITY_AUTHENTICATED_USER_RID = 11;
constexpr DWORD SECURITY_LOCAL_SYSTEM_RID = 18;
constexpr DWORD SECURITY_BUILTIN_DOMAIN_RID = 32;
constexpr DWORD DOMAIN_ALIAS_RID_ADMINS = 544;
constexpr DWORD DOMAIN_ALIAS_RID_USERS = 545;

// ---- ACLs and ACEs -------------------------------------------------------------------------
struct ACL {
  BYTE AclRevision;
  BYTE Sbz1;
  WORD AclSize;
  WORD AceCount;
  WORD Sbz2;
};
using PACL = ACL*;
static_assert(sizeof(ACL) == 8);

struct ACE_HEADER {
  BYTE AceType;
  BYTE AceFlags;
  WORD AceSize;
};
static_assert(sizeof(ACE_HEADER) == 4);

struct ACCESS_ALLOWED_ACE {
  ACE_HEADER Header;
  ACCESS_MASK Mask;
  DWORD SidStart;
};
struct ACCESS_DENIED_ACE {
  ACE_HEADER Header;
  ACCESS_MASK Mask;
  DWORD SidStart;
};
static_assert(sizeof(ACCESS_ALLOWED_ACE) == 12);
static_assert(offsetof(ACCESS_ALLOWED_ACE, Mask) == 4);
static_assert(offsetof(ACCESS_ALLOWED_ACE, SidStart) == 8);

constexpr BYTE ACL_REVISION = 2;
constexpr BYTE ACL_REVISION_DS = 4;
constexpr BYTE ACCESS_ALLOWED_ACE_TYPE = 0;
constexpr BYTE ACCESS_DENIED_ACE_TYPE = 1;
constexpr BYTE OBJECT_INHERIT_ACE = 0x01;
constexpr BYTE CONTAINER_INHERIT_ACE = 0x02;
constexpr BYTE NO_PROPAGATE_INHERIT_ACE = 0x04;
constexpr BYTE INHERIT_ONLY_ACE = 0x08;
constexpr BYTE INHERITED_ACE = 0x10;
constexpr BYTE VALID_INHERIT_FLAGS = 0x1F;

// ---- security descriptors --------------------------------------------------------------
using SECURITY_DESCRIPTOR_CONTROL = WORD;
using SECURITY_INFORMATION = DWORD;

// Absolute form: pointers to its parts.
struct SECURITY_DESCRIPTOR {
  BYTE Revision;
  BYTE Sbz1;
  SECURITY_DESCRIPTOR_CONTROL Control;
  PSID Owner;
  PSID Group;
  PACL Sacl;
  PACL Dacl;
};
// Self-relative form (what GetFileSecurityW answers): offsets from its start, 0 for none.
struct SECURITY_DESCRIPTOR_RELATIVE {
  BYTE Revision;
  BYTE Sbz1;
  SECURITY_DESCRIPTOR_CONTROL Control;
  DWORD Owner;
  DWORD Group;
  DWORD Sacl;
  DWORD Dacl;
};
static_assert(sizeof(SECURITY_DESCRIPTOR_RELATIVE) == 20);

constexpr DWORD SECURITY_DESCRIPTOR_REVISION = 1;
constexpr DWORD SECURITY_DESCRIPTOR_MIN_LENGTH = sizeof(SECURITY_DESCRIPTOR);
constexpr SECURITY_DESCRIPTOR_CONTROL SE_OWNER_DEFAULTED = 0x0001;
constexpr SECURITY_DESCRIPTOR_CONTROL SE_GROUP_DEFAULTED = 0x0002;
constexpr SECURITY_DESCRIPTOR_CONTROL SE_DACL_PRESENT = 0x0004;
constexpr SECURITY_DESCRIPTOR_CONTROL SE_DACL_DEFAULTED = 0x0008;
constexpr SECURITY_DESCRIPTOR_CONTROL SE_SACL_PRESENT = 0x0010;
constexpr SECURITY_DESCRIPTOR_CONTROL SE_SACL_DEFAULTED = 0x0020;
constexpr SECURITY_DESCRIPTOR_CONTROL SE_SELF_RELATIVE = 0x8000;

constexpr SECURITY_INFORMATION OWNER_SECURITY_INFORMATION = 0x00000001;
constexpr SECURITY_INFORMATION GROUP_SECURITY_INFORMATION = 0x00000002;
constexpr SECURITY_INFORMATION DACL_SECURITY_INFORMATION = 0x00000004;
constexpr SECURITY_INFORMATION SACL_SECURITY_INFORMATION = 0x00000008;

struct GENERIC_MAPPING {
  ACCESS_MASK GenericRead;
  ACCESS_MASK GenericWrite;
  ACCESS_MASK GenericExecute;
  ACCESS_MASK GenericAll;
};
using PGENERIC_MAPPING = GENERIC_MAPPING*;

struct LUID {
  DWORD LowPart;
  LONG HighPart;
};
struct LUID_AND_ATTRIBUTES {
  LUID Luid;
  DWORD Attributes;
};
struct PRIVILEGE_SET {
  DWORD PrivilegeCount;
  DWORD Control;
  LUID_AND_ATTRIBUTES Privilege[1];
};
using PPRIVILEGE_SET = PRIVILEGE_SET*;
static_assert(sizeof(PRIVILEGE_SET) == 20);

// ---- tokens -------------------------------------------------------------------------------
enum SECURITY_IMPERSONATION_LEVEL {
  SecurityAnonymous = 0,
  SecurityIdentification = 1,
  SecurityImpersonation = 2,
  SecurityDelegation = 3,
};

enum TOKEN_TYPE { TokenPrimary = 1, TokenImpersonation = 2 };

enum TOKEN_INFORMATION_CLASS {
  TokenUser = 1,
  TokenGroups = 2,
  TokenOwner = 4,
  TokenType = 8,
  TokenImpersonationLevel = 9,
};

constexpr DWORD TOKEN_ASSIGN_PRIMARY = 0x0001;
constexpr DWORD TOKEN_DUPLICATE = 0x0002;
constexpr DWORD TOKEN_IMPERSONATE = 0x0004;
constexpr DWORD TOKEN_QUERY = 0x0008;
constexpr DWORD TOKEN_ADJUST_PRIVILEGES = 0x0020;
constexpr DWORD TOKEN_ALL_ACCESS = 0x000F01FF;

struct SID_AND_ATTRIBUTES {
  PSID Sid;
  DWORD Attributes;
};
struct TOKEN_USER {
  SID_AND_ATTRIBUTES User;
};
struct TOKEN_GROUPS {
  DWORD GroupCount;
  SID_AND_ATTRIBUTES Groups[1];
};
struct TOKEN_OWNER {
  PSID Owner;
};
constexpr DWORD SE_GROUP_MANDATORY = 0x00000001;
constexpr DWORD SE_GROUP_ENABLED_BY_DEFAULT = 0x00000002;
constexpr DWORD SE_GROUP_ENABLED = 0x00000004;

extern "C" {
// SIDs
KOVA_EXPORT BOOL WINAPI AllocateAndInitializeSid(PSID_IDENTIFIER_AUTHORITY pIdentifierAuthority,
                                                 BYTE nSubAuthorityCount, DWORD nSubAuthority0,
                                                 DWORD nSubAuthority1, DWORD nSubAuthority2, DWORD nSubAuthority3,
                                                 DWORD nSubAuthority4, DWORD nSubAuthority5, DWORD nSubAuthority6,
                                                 DWORD nSubAuthority7, PSID* pSid);
KOVA_EXPORT PVOID WINAPI FreeSid(PSID pSid);
KOVA_EXPORT BOOL WINAPI InitializeSid(PSID Sid, PSID_IDENTIFIER_AUTHORITY pIdentifierAuthority,
                                      BYTE nSubAuthorityCount);
KOVA_EXPORT DWORD WINAPI GetLengthSid(PSID pSid);
KOVA_EXPORT DWORD WINAPI GetSidLengthRequired(UCHAR nSubAuthorityCount);
KOVA_EXPORT BOOL WINAPI IsValidSid(PSID pSid);
KOVA_EXPORT BOOL WINAPI EqualSid(PSID pSid1, PSID pSid2);
KOVA_EXPORT BOOL WINAPI CopySid(DWORD nDestinationSidLength, PSID pDestinationSid, PSID pSourceSid);
KOVA_EXPORT PDWORD WINAPI GetSidSubAuthority(PSID pSid, DWORD nSubAuthority);
KOVA_EXPORT UCHAR* WINAPI GetSidSubAuthorityCount(PSID pSid);
// "S-1-5-32-544"; free the answer with LocalFree.
KOVA_EXPORT BOOL WINAPI ConvertSidToStringSidW(PSID Sid, LPWSTR* StringSid);

// ACLs
KOVA_EXPORT BOOL WINAPI InitializeAcl(PACL pAcl, DWORD nAclLength, DWORD dwAclRevision);
KOVA_EXPORT BOOL WINAPI IsValidAcl(PACL pAcl);
KOVA_EXPORT BOOL WINAPI AddAccessAllowedAce(PACL pAcl, DWORD dwAceRevision, ACCESS_MASK AccessMask, PSID pSid);
KOVA_EXPORT BOOL WINAPI AddAccessAllowedAceEx(PACL pAcl, DWORD dwAceRevision, DWORD AceFlags,
                                              ACCESS_MASK AccessMask, PSID pSid);
KOVA_EXPORT BOOL WINAPI AddAccessDeniedAce(PACL pAcl, DWORD dwAceRevision, ACCESS_MASK AccessMask, PSID pSid);
KOVA_EXPORT BOOL WINAPI AddAccessDeniedAceEx(PACL pAcl, DWORD dwAceRevision, DWORD AceFlags,
                                             ACCESS_MASK AccessMask, PSID pSid);
KOVA_EXPORT BOOL WINAPI GetAce(PACL pAcl, DWORD dwAceIndex, LPVOID* pAce);

// Security descriptors (absolute form is built; both forms are read)
KOVA_EXPORT BOOL WINAPI InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR pSecurityDescriptor, DWORD dwRevision);
KOVA_EXPORT BOOL WINAPI SetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR pSecurityDescriptor, BOOL bDaclPresent,
                                                  PACL pDacl, BOOL bDaclDefaulted);
KOVA_EXPORT BOOL WINAPI SetSecurityDescriptorOwner(PSECURITY_DESCRIPTOR pSecurityDescriptor, PSID pOwner,
                                                   BOOL bOwnerDefaulted);
KOVA_EXPORT BOOL WINAPI SetSecurityDescriptorGroup(PSECURITY_DESCRIPTOR pSecurityDescriptor, PSID pGroup,
                                                   BOOL bGroupDefaulted);
KOVA_EXPORT BOOL WINAPI GetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR pSecurityDescriptor, LPBOOL lpbDaclPresent,
                                                  PACL* pDacl, LPBOOL lpbDaclDefaulted);
KOVA_EXPORT BOOL WINAPI GetSecurityDescriptorOwner(PSECURITY_DESCRIPTOR pSecurityDescriptor, PSID* pOwner,
                                                   LPBOOL lpbOwnerDefaulted);
KOVA_EXPORT BOOL WINAPI GetSecurityDescriptorGroup(PSECURITY_DESCRIPTOR pSecurityDescriptor, PSID* pGroup,
                                                   LPBOOL lpbGroupDefaulted);
KOVA_EXPORT BOOL WINAPI IsValidSecurityDescriptor(PSECURITY_DESCRIPTOR pSecurityDescriptor);
KOVA_EXPORT DWORD WINAPI GetSecurityDescriptorLength(PSECURITY_DESCRIPTOR pSecurityDescriptor);

// Access check against an impersonation token (ERROR_NO_IMPERSONATION_TOKEN for a primary
// one). The call succeeds when its arguments are good; *AccessStatus tells whether access
// was granted (with ERROR_ACCESS_DENIED set when not).
KOVA_EXPORT void WINAPI MapGenericMask(PDWORD AccessMask, PGENERIC_MAPPING GenericMapping);
KOVA_EXPORT BOOL WINAPI AccessCheck(PSECURITY_DESCRIPTOR pSecurityDescriptor, HANDLE ClientToken,
                                    DWORD DesiredAccess, PGENERIC_MAPPING GenericMapping,
                                    PPRIVILEGE_SET PrivilegeSet, LPDWORD PrivilegeSetLength, LPDWORD GrantedAccess,
                                    LPBOOL AccessStatus);

// Tokens (handles of the platform's handle table, closed with CloseHandle)
KOVA_EXPORT BOOL WINAPI ImpersonateSelf(SECURITY_IMPERSONATION_LEVEL ImpersonationLevel);
KOVA_EXPORT BOOL WINAPI RevertToSelf();
// ERROR_NO_TOKEN when the thread does not impersonate.
KOVA_EXPORT BOOL WINAPI OpenThreadToken(HANDLE ThreadHandle, DWORD DesiredAccess, BOOL OpenAsSelf,
                                        PHANDLE TokenHandle);
KOVA_EXPORT BOOL WINAPI OpenProcessToken(HANDLE ProcessHandle, DWORD DesiredAccess, PHANDLE TokenHandle);
KOVA_EXPORT BOOL WINAPI GetTokenInformation(HANDLE TokenHandle, TOKEN_INFORMATION_CLASS TokenInformationClass,
                                            LPVOID TokenInformation, DWORD TokenInformationLength,
                                            PDWORD ReturnLength);
KOVA_EXPORT BOOL WINAPI CheckTokenMembership(HANDLE TokenHandle, PSID SidToCheck, LPBOOL IsMember);

// File security. The file (or directory) must exist: ERROR_FILE_NOT_FOUND, or
// ERROR_PATH_NOT_FOUND when its folder does not.
KOVA_EXPORT BOOL WINAPI SetFileSecurityW(LPCWSTR lpFileName, SECURITY_INFORMATION SecurityInformation,
                                         PSECURITY_DESCRIPTOR pSecurityDescriptor);
// Answers a self-relative descriptor with the parts asked for: the last ones set on the
// file, else the user as owner and group and a DACL granting Everyone full access.
// ERROR_INSUFFICIENT_BUFFER with *lpnLengthNeeded when nLength is too small.
KOVA_EXPORT BOOL WINAPI GetFileSecurityW(LPCWSTR lpFileName, SECURITY_INFORMATION RequestedInformation,
                                         PSECURITY_DESCRIPTOR pSecurityDescriptor, DWORD nLength,
                                         LPDWORD lpnLengthNeeded);
}  // extern "C"

#pragma GCC visibility pop
