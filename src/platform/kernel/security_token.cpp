// Tokens, impersonation, group membership and the access check. The calling user's groups
// follow the machine settings: Administrators only when plat::Machine().administrator.
#include <cstring>
#include <memory>
#include <vector>

#include "core/handles.h"
#include "plat/system.h"
#include "plat/security.h"
#include "security_internal.h"
#include "win/kernel.h"
#include "win/security.h"

namespace {

using SidBytes = std::vector<BYTE>;

SidBytes MakeSid(const SID_IDENTIFIER_AUTHORITY& auth, std::initializer_list<DWORD> subs) {
  SidBytes b(8 + 4 * subs.size());
  b[0] = SID_REVISION;
  b[1] = static_cast<BYTE>(subs.size());
  std::memcpy(&b[2], auth.Value, 6);
  std::size_t off = 8;
  for (DWORD s : subs) {
    std::memcpy(&b[off], &s, 4);
    off += 4;
  }
  return b;
}

SidBytes UserSid() { return MakeSid(SECURITY_NT_AUTHORITY, {21, 3623811015u, 3361044348u, 30300820u, 1001}); }

// The groups of the calling user's token, the user first.
std::vector<SidBytes> TokenSids() {
  std::vector<SidBytes> v;
  v.push_back(UserSid());
  v.push_back(MakeSid(SECURITY_WORLD_SID_AUTHORITY, {SECURITY_WORLD_RID}));
  v.push_back(MakeSid(SECURITY_NT_AUTHORITY, {SECURITY_INTERACTIVE_RID}));
  v.push_back(MakeSid(SECURITY_NT_AUTHORITY, {SECURITY_AUTHENTICATED_USER_RID}));
  v.push_back(MakeSid(SECURITY_NT_AUTHORITY, {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS}));
  if (plat::Machine().administrator)
    v.push_back(MakeSid(SECURITY_NT_AUTHORITY, {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS}));
  return v;
}

class TokenObject final : public plat::KernelObject {
 public:
  TokenObject(TOKEN_TYPE t, SECURITY_IMPERSONATION_LEVEL l, DWORD a) : type(t), level(l), access(a) {}
  plat::ObjectKind Kind() const override { return plat::ObjectKind::Token; }
  TOKEN_TYPE type;
  SECURITY_IMPERSONATION_LEVEL level;
  DWORD access;
};

struct Impersonation {
  bool active = false;
  SECURITY_IMPERSONATION_LEVEL level = SecurityAnonymous;
};
thread_local Impersonation t_impersonation;

HANDLE NewToken(TOKEN_TYPE type, SECURITY_IMPERSONATION_LEVEL level, DWORD access) {
  // MAXIMUM_ALLOWED gets every right of a token.
  if (access & MAXIMUM_ALLOWED) access = TOKEN_ALL_ACCESS;
  return plat::InsertHandle(std::make_shared<TokenObject>(type, level, access));
}

bool IsPseudo(HANDLE h, LONG_PTR value) { return h == reinterpret_cast<HANDLE>(value); }

}  // namespace

std::vector<BYTE> kovasec::UserSidBytes() { return UserSid(); }

namespace plat {

std::string UserSidString() {
  SidBytes s = UserSid();
  return SidToString(s.data());
}

bool UserHasSid(PSID sid) {
  if (!IsValidSid(sid)) return false;
  const DWORD len = GetLengthSid(sid);
  for (const auto& g : TokenSids())
    if (g.size() == len && std::memcmp(g.data(), sid, len) == 0) return true;
  return false;
}

}  // namespace plat

extern "C" {

BOOL WINAPI ImpersonateSelf(SECURITY_IMPERSONATION_LEVEL level) {
  if (level < SecurityAnonymous || level > SecurityDelegation) {
    SetLastError(ERROR_BAD_IMPERSONATION_LEVEL);
    return FALSE;
  }
  t_impersonation.active = true;
  t_impersonation.level = level;
  return TRUE;
}

BOOL WINAPI RevertToSelf() {
  t_impersonation = Impersonation{};
  return TRUE;
}

BOOL WINAPI OpenThreadToken(HANDLE thread, DWORD access, BOOL, PHANDLE token) {
  if (!token) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *token = nullptr;
  if (!IsPseudo(thread, -2)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (!t_impersonation.active) {
    SetLastError(ERROR_NO_TOKEN);
    return FALSE;
  }
  if (t_impersonation.level == SecurityAnonymous) {
    SetLastError(ERROR_CANT_OPEN_ANONYMOUS);
    return FALSE;
  }
  *token = NewToken(TokenImpersonation, t_impersonation.level, access);
  return TRUE;
}

BOOL WINAPI OpenProcessToken(HANDLE process, DWORD access, PHANDLE token) {
  if (!token) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *token = nullptr;
  if (!IsPseudo(process, -1)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  *token = NewToken(TokenPrimary, SecurityAnonymous, access);
  return TRUE;
}

BOOL WINAPI GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS cls, LPVOID info, DWORD len, PDWORD retLen) {
  auto tok = plat::LookupHandleAs<TokenObject>(token, plat::ObjectKind::Token);
  if (!tok) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (!retLen) {
    SetLastError(ERROR_NOACCESS);
    return FALSE;
  }
  if (!(tok->access & TOKEN_QUERY)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  // Fixed part (head bytes and one entry per SID), then the SIDs themselves; the entries'
  // pointers are filled in once the bytes are in the caller's buffer.
  std::vector<BYTE> out;
  auto layOut = [&out](const std::vector<SidBytes>& sids, std::size_t head, std::size_t entrySize) {
    std::size_t total = head + entrySize * sids.size();
    for (const auto& s : sids) total += s.size();
    out.assign(total, 0);
    std::size_t at = head + entrySize * sids.size();
    for (const auto& s : sids) {
      std::memcpy(&out[at], s.data(), s.size());
      at += s.size();
    }
  };
  const auto sids = TokenSids();
  switch (cls) {
    case TokenUser:
      layOut({sids[0]}, 0, sizeof(SID_AND_ATTRIBUTES));
      break;
    case TokenOwner:
      layOut({sids[0]}, 0, sizeof(PSID));
      break;
    case TokenGroups:
      layOut(std::vector<SidBytes>(sids.begin() + 1, sids.end()), offsetof(TOKEN_GROUPS, Groups),
             sizeof(SID_AND_ATTRIBUTES));
      break;
    case TokenType:
      out.resize(sizeof(DWORD));
      {
        const DWORD t = tok->type;
        std::memcpy(out.data(), &t, sizeof t);
      }
      break;
    case TokenImpersonationLevel:
      if (tok->type != TokenImpersonation) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
      }
      out.resize(sizeof(DWORD));
      {
        const DWORD l = tok->level;
        std::memcpy(out.data(), &l, sizeof l);
      }
      break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
  }
  *retLen = static_cast<DWORD>(out.size());
  if (!info || len < out.size()) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::memcpy(info, out.data(), out.size());
  // Pointers into the caller's buffer are filled in after the copy.
  auto* base = static_cast<BYTE*>(info);
  if (cls == TokenUser) {
    auto* tu = static_cast<TOKEN_USER*>(info);
    tu->User.Sid = base + sizeof(TOKEN_USER);
    tu->User.Attributes = 0;
  } else if (cls == TokenOwner) {
    static_cast<TOKEN_OWNER*>(info)->Owner = base + sizeof(TOKEN_OWNER);
  } else if (cls == TokenGroups) {
    auto* tg = static_cast<TOKEN_GROUPS*>(info);
    const std::size_t n = sids.size() - 1;
    tg->GroupCount = static_cast<DWORD>(n);
    BYTE* sidAt = base + offsetof(TOKEN_GROUPS, Groups) + n * sizeof(SID_AND_ATTRIBUTES);
    for (std::size_t i = 0; i < n; ++i) {
      tg->Groups[i].Sid = sidAt;
      tg->Groups[i].Attributes = SE_GROUP_MANDATORY | SE_GROUP_ENABLED_BY_DEFAULT | SE_GROUP_ENABLED;
      sidAt += sids[i + 1].size();
    }
  }
  return TRUE;
}

BOOL WINAPI CheckTokenMembership(HANDLE token, PSID sid, LPBOOL isMember) {
  if (!isMember || !sid) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (token) {
    auto tok = plat::LookupHandleAs<TokenObject>(token, plat::ObjectKind::Token);
    if (!tok) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    if (tok->type != TokenImpersonation) {
      SetLastError(ERROR_NO_IMPERSONATION_TOKEN);
      return FALSE;
    }
  }
  *isMember = plat::UserHasSid(sid) ? TRUE : FALSE;
  return TRUE;
}

void WINAPI MapGenericMask(PDWORD mask, PGENERIC_MAPPING map) {
  if (!mask || !map) return;
  DWORD m = *mask;
  if (m & GENERIC_READ) m |= map->GenericRead;
  if (m & GENERIC_WRITE) m |= map->GenericWrite;
  if (m & GENERIC_EXECUTE) m |= map->GenericExecute;
  if (m & GENERIC_ALL) m |= map->GenericAll;
  *mask = m & ~(GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL);
}

BOOL WINAPI AccessCheck(PSECURITY_DESCRIPTOR psd, HANDLE token, DWORD desired, PGENERIC_MAPPING map,
                        PPRIVILEGE_SET privileges, LPDWORD privilegesLength, LPDWORD granted, LPBOOL status) {
  if (!psd || !map || !privilegesLength || !granted || !status) {
    SetLastError(ERROR_NOACCESS);
    return FALSE;
  }
  auto tok = plat::LookupHandleAs<TokenObject>(token, plat::ObjectKind::Token);
  if (!tok) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (tok->type != TokenImpersonation) {
    SetLastError(ERROR_NO_IMPERSONATION_TOKEN);
    return FALSE;
  }
  if (tok->level < SecurityIdentification) {
    SetLastError(ERROR_BAD_IMPERSONATION_LEVEL);
    return FALSE;
  }
  if (!(tok->access & TOKEN_QUERY)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (desired & (GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL)) {
    SetLastError(ERROR_GENERIC_NOT_MAPPED);
    return FALSE;
  }
  if (!IsValidSecurityDescriptor(psd)) {
    SetLastError(ERROR_INVALID_SECURITY_DESCR);
    return FALSE;
  }
  const auto sd = kovasec::ReadDescriptor(psd);
  if (!sd.owner || !sd.group) {
    SetLastError(ERROR_INVALID_SECURITY_DESCR);
    return FALSE;
  }
  const DWORD need = sizeof(PRIVILEGE_SET);
  if (*privilegesLength < need || !privileges) {
    *privilegesLength = need;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  privileges->PrivilegeCount = 0;
  privileges->Control = 0;

  const bool maxAllowed = (desired & MAXIMUM_ALLOWED) != 0;
  const DWORD wanted = desired & ~MAXIMUM_ALLOWED;
  DWORD allowed = 0, denied = 0;
  if (!sd.daclPresent || !sd.dacl) {
    // No DACL: every right asked for is granted (MAXIMUM_ALLOWED: all the object's rights).
    DWORD all = GENERIC_ALL;
    MapGenericMask(&all, map);
    allowed = all | STANDARD_RIGHTS_ALL | wanted;
  } else {
    if (plat::UserHasSid(sd.owner)) allowed |= READ_CONTROL | WRITE_DAC;  // the owner's implicit rights
    const auto* base = reinterpret_cast<const BYTE*>(sd.dacl);
    std::size_t off = sizeof(ACL);
    for (WORD i = 0; i < sd.dacl->AceCount; ++i) {
      ACE_HEADER h;
      std::memcpy(&h, base + off, sizeof h);
      const BYTE* ace = base + off;
      off += h.AceSize;
      if (h.AceFlags & INHERIT_ONLY_ACE) continue;
      if (h.AceType != ACCESS_ALLOWED_ACE_TYPE && h.AceType != ACCESS_DENIED_ACE_TYPE) continue;
      PSID sid = const_cast<BYTE*>(ace + 8);
      if (!plat::UserHasSid(sid)) continue;
      DWORD mask;
      std::memcpy(&mask, ace + 4, sizeof mask);
      MapGenericMask(&mask, map);
      if (h.AceType == ACCESS_ALLOWED_ACE_TYPE)
        allowed |= mask & ~denied;
      else
        denied |= mask & ~allowed;
    }
  }
  bool ok;
  DWORD result;
  if (maxAllowed) {
    result = allowed;
    ok = allowed != 0 && (allowed & wanted) == wanted;
  } else {
    ok = wanted != 0 && (allowed & wanted) == wanted;
    result = ok ? wanted : 0;
  }
  *granted = ok ? result : 0;
  *status = ok ? TRUE : FALSE;
  SetLastError(ok ? ERROR_SUCCESS : ERROR_ACCESS_DENIED);
  return TRUE;
}

}  // extern "C"
