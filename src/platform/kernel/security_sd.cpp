// SIDs, ACLs and security descriptors in their documented byte layouts.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "plat/security.h"
#include "security_internal.h"
#include "win/kernel.h"
#include "win/security.h"

namespace {

// The failure of the calls below: the last error set, FALSE answered.
BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

}  // namespace

namespace plat {

std::string SidToString(PSID psid) {
  if (!IsValidSid(psid)) return {};
  const auto* sid = static_cast<const SID*>(psid);
  std::uint64_t authority = 0;
  for (BYTE b : sid->IdentifierAuthority.Value) authority = (authority << 8) | b;
  std::string s = "S-" + std::to_string(sid->Revision) + "-";
  if (authority >> 32) {
    char buf[20];
    std::snprintf(buf, sizeof buf, "0x%012llX", static_cast<unsigned long long>(authority));
    s += buf;
  } else {
    s += std::to_string(authority);
  }
  for (BYTE i = 0; i < sid->SubAuthorityCount; ++i) s += "-" + std::to_string(sid->SubAuthority[i]);
  return s;
}

}  // namespace plat

namespace kovasec {

DescriptorView ReadDescriptor(PSECURITY_DESCRIPTOR psd) {
  DescriptorView v;
  if (!psd) return v;
  const auto* head = static_cast<const BYTE*>(psd);
  v.revision = head[0];
  std::memcpy(&v.control, head + 2, sizeof v.control);
  if (v.control & SE_SELF_RELATIVE) {
    SECURITY_DESCRIPTOR_RELATIVE rel;
    std::memcpy(&rel, psd, sizeof rel);
    auto at = [&](DWORD off) -> BYTE* { return off ? const_cast<BYTE*>(head) + off : nullptr; };
    v.owner = at(rel.Owner);
    v.group = at(rel.Group);
    v.sacl = reinterpret_cast<PACL>(at(rel.Sacl));
    v.dacl = reinterpret_cast<PACL>(at(rel.Dacl));
  } else {
    const auto* sd = static_cast<const SECURITY_DESCRIPTOR*>(psd);
    v.owner = sd->Owner;
    v.group = sd->Group;
    v.sacl = sd->Sacl;
    v.dacl = sd->Dacl;
  }
  v.daclPresent = (v.control & SE_DACL_PRESENT) != 0;
  v.ok = true;
  return v;
}

// The ACEs of a valid ACL in order; calls f(type, flags, mask, sid) for each.
std::size_t AclUsedBytes(PACL acl) {
  const auto* base = reinterpret_cast<const BYTE*>(acl);
  std::size_t off = sizeof(ACL);
  for (WORD i = 0; i < acl->AceCount; ++i) {
    ACE_HEADER h;
    std::memcpy(&h, base + off, sizeof h);
    off += h.AceSize;
  }
  return off;
}

}  // namespace kovasec

using kovasec::ReadDescriptor;

extern "C" {

DWORD WINAPI GetSidLengthRequired(UCHAR n) { return 8u + 4u * n; }

BOOL WINAPI IsValidSid(PSID pSid) {
  if (!pSid) return FALSE;
  const auto* sid = static_cast<const SID*>(pSid);
  return sid->Revision == SID_REVISION && sid->SubAuthorityCount <= SID_MAX_SUB_AUTHORITIES ? TRUE : FALSE;
}

DWORD WINAPI GetLengthSid(PSID pSid) {
  if (!IsValidSid(pSid)) {
    SetLastError(ERROR_INVALID_SID);
    return 0;
  }
  return GetSidLengthRequired(static_cast<const SID*>(pSid)->SubAuthorityCount);
}

BOOL WINAPI InitializeSid(PSID pSid, PSID_IDENTIFIER_AUTHORITY auth, BYTE n) {
  if (!pSid || !auth || n > SID_MAX_SUB_AUTHORITIES) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto* sid = static_cast<SID*>(pSid);
  sid->Revision = SID_REVISION;
  sid->SubAuthorityCount = n;
  sid->IdentifierAuthority = *auth;
  return TRUE;
}

BOOL WINAPI AllocateAndInitializeSid(PSID_IDENTIFIER_AUTHORITY auth, BYTE n, DWORD s0, DWORD s1, DWORD s2,
                                     DWORD s3, DWORD s4, DWORD s5, DWORD s6, DWORD s7, PSID* pSid) {
  if (!auth || !pSid) return Fail(ERROR_INVALID_PARAMETER);
  if (n > 8) return Fail(ERROR_INVALID_SID);
  auto* sid = static_cast<SID*>(std::calloc(1, GetSidLengthRequired(n) < sizeof(SID) ? sizeof(SID) : GetSidLengthRequired(n)));
  if (!sid) return Fail(ERROR_NOT_ENOUGH_MEMORY);
  sid->Revision = SID_REVISION;
  sid->SubAuthorityCount = n;
  sid->IdentifierAuthority = *auth;
  const DWORD subs[8] = {s0, s1, s2, s3, s4, s5, s6, s7};
  std::memcpy(sid->SubAuthority, subs, 4u * n);
  *pSid = sid;
  return TRUE;
}

PVOID WINAPI FreeSid(PSID pSid) {
  std::free(pSid);
  return nullptr;
}

BOOL WINAPI EqualSid(PSID a, PSID b) {
  if (!IsValidSid(a) || !IsValidSid(b)) return Fail(ERROR_INVALID_SID);
  const DWORD la = GetLengthSid(a);
  SetLastError(ERROR_SUCCESS);
  return la == GetLengthSid(b) && std::memcmp(a, b, la) == 0 ? TRUE : FALSE;
}

BOOL WINAPI CopySid(DWORD len, PSID dst, PSID src) {
  if (!IsValidSid(src)) return Fail(ERROR_INVALID_SID);
  const DWORD need = GetLengthSid(src);
  if (!dst || len < need) return Fail(ERROR_INSUFFICIENT_BUFFER);
  std::memmove(dst, src, need);
  return TRUE;
}

PDWORD WINAPI GetSidSubAuthority(PSID pSid, DWORD n) {
  SetLastError(ERROR_SUCCESS);
  return &static_cast<SID*>(pSid)->SubAuthority[0] + n;
}

UCHAR* WINAPI GetSidSubAuthorityCount(PSID pSid) {
  SetLastError(ERROR_SUCCESS);
  return &static_cast<SID*>(pSid)->SubAuthorityCount;
}

BOOL WINAPI ConvertSidToStringSidW(PSID Sid, LPWSTR* StringSid) {
  if (!StringSid) return Fail(ERROR_INVALID_PARAMETER);
  const std::string text = plat::SidToString(Sid);
  if (text.empty()) return Fail(ERROR_INVALID_SID);
  auto* out = static_cast<LPWSTR>(LocalAlloc(LMEM_FIXED, (text.size() + 1) * sizeof(WCHAR)));
  if (!out) return FALSE;
  for (std::size_t i = 0; i < text.size(); ++i) out[i] = static_cast<WCHAR>(text[i]);
  out[text.size()] = 0;
  *StringSid = out;
  return TRUE;
}

// ---- ACLs --------------------------------------------------------------------------------

BOOL WINAPI InitializeAcl(PACL pAcl, DWORD nAclLength, DWORD rev) {
  if (!pAcl) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (nAclLength < sizeof(ACL)) return Fail(ERROR_INSUFFICIENT_BUFFER);
  if (nAclLength > 0xFFFF || rev < ACL_REVISION || rev > ACL_REVISION_DS) return Fail(ERROR_INVALID_PARAMETER);
  pAcl->AclRevision = static_cast<BYTE>(rev);
  pAcl->Sbz1 = 0;
  pAcl->AclSize = static_cast<WORD>(nAclLength);
  pAcl->AceCount = 0;
  pAcl->Sbz2 = 0;
  return TRUE;
}

BOOL WINAPI IsValidAcl(PACL acl) {
  if (!acl || acl->AclRevision < ACL_REVISION || acl->AclRevision > ACL_REVISION_DS || acl->AclSize < sizeof(ACL))
    return FALSE;
  const auto* base = reinterpret_cast<const BYTE*>(acl);
  std::size_t off = sizeof(ACL);
  for (WORD i = 0; i < acl->AceCount; ++i) {
    if (off + sizeof(ACE_HEADER) > acl->AclSize) return FALSE;
    ACE_HEADER h;
    std::memcpy(&h, base + off, sizeof h);
    if (h.AceSize < sizeof(ACE_HEADER) || (h.AceSize & 3) || off + h.AceSize > acl->AclSize) return FALSE;
    if (h.AceType == ACCESS_ALLOWED_ACE_TYPE || h.AceType == ACCESS_DENIED_ACE_TYPE) {
      if (h.AceSize < 8 + 8) return FALSE;
      PSID sid = const_cast<BYTE*>(base + off + 8);
      if (!IsValidSid(sid) || 8 + GetLengthSid(sid) > h.AceSize) return FALSE;
    }
    off += h.AceSize;
  }
  return TRUE;
}

static BOOL AddAce(PACL acl, DWORD rev, DWORD flags, BYTE type, ACCESS_MASK mask, PSID sid) {
  if (!IsValidAcl(acl)) {
    SetLastError(ERROR_INVALID_ACL);
    return FALSE;
  }
  if (!IsValidSid(sid)) return Fail(ERROR_INVALID_SID);
  if (rev < ACL_REVISION || rev > ACL_REVISION_DS) return Fail(ERROR_REVISION_MISMATCH);
  if (flags & ~static_cast<DWORD>(VALID_INHERIT_FLAGS)) return Fail(ERROR_INVALID_FLAGS);
  const std::size_t used = kovasec::AclUsedBytes(acl);
  const DWORD sidLen = GetLengthSid(sid);
  const std::size_t need = 8 + sidLen;
  if (used + need > acl->AclSize) return Fail(ERROR_ALLOTTED_SPACE_EXCEEDED);
  auto* at = reinterpret_cast<BYTE*>(acl) + used;
  ACE_HEADER h{type, static_cast<BYTE>(flags), static_cast<WORD>(need)};
  std::memcpy(at, &h, sizeof h);
  std::memcpy(at + 4, &mask, sizeof mask);
  std::memcpy(at + 8, sid, sidLen);
  ++acl->AceCount;
  if (rev > acl->AclRevision) acl->AclRevision = static_cast<BYTE>(rev);
  return TRUE;
}

BOOL WINAPI AddAccessAllowedAce(PACL acl, DWORD rev, ACCESS_MASK mask, PSID sid) {
  return AddAce(acl, rev, 0, ACCESS_ALLOWED_ACE_TYPE, mask, sid);
}
BOOL WINAPI AddAccessAllowedAceEx(PACL acl, DWORD rev, DWORD flags, ACCESS_MASK mask, PSID sid) {
  return AddAce(acl, rev, flags, ACCESS_ALLOWED_ACE_TYPE, mask, sid);
}
BOOL WINAPI AddAccessDeniedAce(PACL acl, DWORD rev, ACCESS_MASK mask, PSID sid) {
  return AddAce(acl, rev, 0, ACCESS_DENIED_ACE_TYPE, mask, sid);
}
BOOL WINAPI AddAccessDeniedAceEx(PACL acl, DWORD rev, DWORD flags, ACCESS_MASK mask, PSID sid) {
  return AddAce(acl, rev, flags, ACCESS_DENIED_ACE_TYPE, mask, sid);
}

BOOL WINAPI GetAce(PACL acl, DWORD index, LPVOID* pAce) {
  if (!pAce || !IsValidAcl(acl) || index >= acl->AceCount) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto* base = reinterpret_cast<BYTE*>(acl);
  std::size_t off = sizeof(ACL);
  for (DWORD i = 0; i < index; ++i) {
    ACE_HEADER h;
    std::memcpy(&h, base + off, sizeof h);
    off += h.AceSize;
  }
  *pAce = base + off;
  return TRUE;
}

// ---- security descriptors ---------------------------------------------------------------

BOOL WINAPI InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR psd, DWORD rev) {
  if (!psd) return Fail(ERROR_INVALID_PARAMETER);
  if (rev != SECURITY_DESCRIPTOR_REVISION) return Fail(ERROR_UNKNOWN_REVISION);
  auto* sd = static_cast<SECURITY_DESCRIPTOR*>(psd);
  std::memset(sd, 0, sizeof *sd);
  sd->Revision = SECURITY_DESCRIPTOR_REVISION;
  return TRUE;
}

// The absolute descriptor a setter may change; null with the error set otherwise.
static SECURITY_DESCRIPTOR* Writable(PSECURITY_DESCRIPTOR psd) {
  if (!psd) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto* sd = static_cast<SECURITY_DESCRIPTOR*>(psd);
  if (sd->Revision != SECURITY_DESCRIPTOR_REVISION) {
    SetLastError(ERROR_UNKNOWN_REVISION);
    return nullptr;
  }
  if (sd->Control & SE_SELF_RELATIVE) {
    SetLastError(ERROR_INVALID_SECURITY_DESCR);
    return nullptr;
  }
  return sd;
}

BOOL WINAPI SetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR psd, BOOL present, PACL dacl, BOOL defaulted) {
  SECURITY_DESCRIPTOR* sd = Writable(psd);
  if (!sd) return FALSE;
  if (!present) {
    sd->Control &= static_cast<WORD>(~(SE_DACL_PRESENT | SE_DACL_DEFAULTED));
    sd->Dacl = nullptr;
    return TRUE;
  }
  sd->Control |= SE_DACL_PRESENT;
  if (defaulted)
    sd->Control |= SE_DACL_DEFAULTED;
  else
    sd->Control &= static_cast<WORD>(~SE_DACL_DEFAULTED);
  sd->Dacl = dacl;
  return TRUE;
}

BOOL WINAPI SetSecurityDescriptorOwner(PSECURITY_DESCRIPTOR psd, PSID owner, BOOL defaulted) {
  SECURITY_DESCRIPTOR* sd = Writable(psd);
  if (!sd) return FALSE;
  sd->Owner = owner;
  if (defaulted)
    sd->Control |= SE_OWNER_DEFAULTED;
  else
    sd->Control &= static_cast<WORD>(~SE_OWNER_DEFAULTED);
  return TRUE;
}

BOOL WINAPI SetSecurityDescriptorGroup(PSECURITY_DESCRIPTOR psd, PSID group, BOOL defaulted) {
  SECURITY_DESCRIPTOR* sd = Writable(psd);
  if (!sd) return FALSE;
  sd->Group = group;
  if (defaulted)
    sd->Control |= SE_GROUP_DEFAULTED;
  else
    sd->Control &= static_cast<WORD>(~SE_GROUP_DEFAULTED);
  return TRUE;
}

BOOL WINAPI GetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR psd, LPBOOL present, PACL* dacl, LPBOOL defaulted) {
  if (!psd || !present || !dacl || !defaulted) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const auto v = ReadDescriptor(psd);
  if (v.revision != SECURITY_DESCRIPTOR_REVISION) return Fail(ERROR_UNKNOWN_REVISION);
  *present = v.daclPresent ? TRUE : FALSE;
  *dacl = v.daclPresent ? v.dacl : nullptr;
  *defaulted = (v.control & SE_DACL_DEFAULTED) ? TRUE : FALSE;
  return TRUE;
}

BOOL WINAPI GetSecurityDescriptorOwner(PSECURITY_DESCRIPTOR psd, PSID* owner, LPBOOL defaulted) {
  if (!psd || !owner || !defaulted) return Fail(ERROR_INVALID_PARAMETER);
  const auto v = ReadDescriptor(psd);
  if (v.revision != SECURITY_DESCRIPTOR_REVISION) return Fail(ERROR_UNKNOWN_REVISION);
  *owner = v.owner;
  *defaulted = (v.control & SE_OWNER_DEFAULTED) ? TRUE : FALSE;
  return TRUE;
}

BOOL WINAPI GetSecurityDescriptorGroup(PSECURITY_DESCRIPTOR psd, PSID* group, LPBOOL defaulted) {
  if (!psd || !group || !defaulted) return Fail(ERROR_INVALID_PARAMETER);
  const auto v = ReadDescriptor(psd);
  if (v.revision != SECURITY_DESCRIPTOR_REVISION) return Fail(ERROR_UNKNOWN_REVISION);
  *group = v.group;
  *defaulted = (v.control & SE_GROUP_DEFAULTED) ? TRUE : FALSE;
  return TRUE;
}

BOOL WINAPI IsValidSecurityDescriptor(PSECURITY_DESCRIPTOR psd) {
  const auto v = ReadDescriptor(psd);
  bool ok = v.ok && v.revision == SECURITY_DESCRIPTOR_REVISION;
  if (ok && v.owner && !IsValidSid(v.owner)) ok = false;
  if (ok && v.group && !IsValidSid(v.group)) ok = false;
  if (ok && v.daclPresent && v.dacl && !IsValidAcl(v.dacl)) ok = false;
  if (ok && (v.control & SE_SACL_PRESENT) && v.sacl && !IsValidAcl(v.sacl)) ok = false;
  if (!ok) {
    SetLastError(ERROR_INVALID_SECURITY_DESCR);
    return FALSE;
  }
  return TRUE;
}

DWORD WINAPI GetSecurityDescriptorLength(PSECURITY_DESCRIPTOR psd) {
  const auto v = ReadDescriptor(psd);
  if (!v.ok) return 0;
  DWORD n = (v.control & SE_SELF_RELATIVE) ? sizeof(SECURITY_DESCRIPTOR_RELATIVE) : sizeof(SECURITY_DESCRIPTOR);
  if (v.owner) n += GetLengthSid(v.owner);
  if (v.group) n += GetLengthSid(v.group);
  if (v.daclPresent && v.dacl) n += v.dacl->AclSize;
  if ((v.control & SE_SACL_PRESENT) && v.sacl) n += v.sacl->AclSize;
  return n;
}

}  // extern "C"
