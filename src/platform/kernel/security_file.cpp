// File security: SetFileSecurityW records what was set (journal for tests) and
// GetFileSecurityW answers it back in self-relative form. Access is not enforced on files.
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "plat/paths.h"
#include "plat/system.h"
#include "plat/wstr.h"
#include "plat/security.h"
#include "security_internal.h"
#include "win/kernel.h"
#include "win/security.h"

namespace {

struct Applied {
  std::vector<BYTE> owner;  // empty: never set
  std::vector<BYTE> group;
  bool daclSet = false;
  bool daclNull = false;
  std::vector<BYTE> dacl;
};

struct Store {
  std::mutex lock;
  std::string root;  // the system root the records belong to
  std::vector<plat::SecurityRecord> journal;
  std::map<std::u16string, DWORD> failures;  // upper-case full path -> error
  std::map<std::u16string, Applied> applied;  // upper-case full path -> parts set
};

Store& store() {
  static Store* s = new Store;
  return *s;
}

// The store, emptied when the system root changed since it was last used.
Store& Current(std::unique_lock<std::mutex>& lk) {
  Store& s = store();
  lk = std::unique_lock<std::mutex>(s.lock);
  const std::string& root = plat::SystemRoot();
  if (s.root != root) {
    s.root = root;
    s.journal.clear();
    s.failures.clear();
    s.applied.clear();
  }
  return s;
}

std::u16string Key(const std::u16string& full) { return plat::UpperCase(full); }

std::vector<BYTE> SidCopy(PSID sid) {
  if (!IsValidSid(sid)) return {};
  const auto* p = static_cast<const BYTE*>(sid);
  return std::vector<BYTE>(p, p + GetLengthSid(sid));
}

std::string DaclSummary(const kovasec::DescriptorView& v) {
  if (!v.daclPresent) return "NONE";
  if (!v.dacl) return "NULL";
  std::string out;
  const auto* base = reinterpret_cast<const BYTE*>(v.dacl);
  std::size_t off = sizeof(ACL);
  for (WORD i = 0; i < v.dacl->AceCount; ++i) {
    ACE_HEADER h;
    std::memcpy(&h, base + off, sizeof h);
    DWORD mask = 0;
    std::memcpy(&mask, base + off + 4, sizeof mask);
    const std::string sid = plat::SidToString(const_cast<BYTE*>(base + off + 8));
    char buf[64];
    std::snprintf(buf, sizeof buf, "(%s;0x%02X;0x%08X;", h.AceType == ACCESS_DENIED_ACE_TYPE ? "D" : "A",
                  static_cast<unsigned>(h.AceFlags), static_cast<unsigned>(mask));
    out += buf + sid + ")";
    off += h.AceSize;
  }
  return out;
}

// Full Windows path of an existing file or folder; the Windows error otherwise.
DWORD ExistingFile(LPCWSTR path, std::u16string& full) {
  if (!path || !*path) return ERROR_INVALID_PARAMETER;
  if (DWORD err = plat::FullWindowsPath(path, full)) return err;
  std::string host;
  if (DWORD err = plat::MapPath(full.c_str(), host)) return err;
  struct stat st{};
  if (::stat(host.c_str(), &st) == 0) return ERROR_SUCCESS;
  const auto slash = host.find_last_of('/');
  const std::string parent = slash == std::string::npos ? std::string(".") : host.substr(0, slash);
  if (::stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return ERROR_FILE_NOT_FOUND;
  return ERROR_PATH_NOT_FOUND;
}

void AppendAligned(std::vector<BYTE>& out, const std::vector<BYTE>& part, DWORD& offset) {
  while (out.size() % 4) out.push_back(0);
  offset = static_cast<DWORD>(out.size());
  out.insert(out.end(), part.begin(), part.end());
}

std::vector<BYTE> EveryoneFullAccess() {
  std::vector<BYTE> acl(8 + 8 + 12);
  auto* a = reinterpret_cast<PACL>(acl.data());
  InitializeAcl(a, static_cast<DWORD>(acl.size()), ACL_REVISION);
  SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
  BYTE sid[12] = {};
  InitializeSid(sid, &world, 1);
  *GetSidSubAuthority(sid, 0) = SECURITY_WORLD_RID;
  AddAccessAllowedAce(a, ACL_REVISION, FILE_ALL_ACCESS, sid);
  return acl;
}

}  // namespace

namespace plat {

std::vector<SecurityRecord> SecurityJournal() {
  std::unique_lock<std::mutex> lk;
  return Current(lk).journal;
}

void ClearSecurityJournal() {
  std::unique_lock<std::mutex> lk;
  Current(lk).journal.clear();
}

void FailFileSecurityFor(const std::u16string& winPath, DWORD error) {
  std::u16string full;
  if (FullWindowsPath(winPath.c_str(), full) != ERROR_SUCCESS) full = winPath;
  std::unique_lock<std::mutex> lk;
  Store& s = Current(lk);
  if (error)
    s.failures[Key(full)] = error;
  else
    s.failures.erase(Key(full));
}

void ClearFileSecurityFailures() {
  std::unique_lock<std::mutex> lk;
  Current(lk).failures.clear();
}

}  // namespace plat

extern "C" {

BOOL WINAPI SetFileSecurityW(LPCWSTR lpFileName, SECURITY_INFORMATION info, PSECURITY_DESCRIPTOR psd) {
  try {
    if (!lpFileName || !psd) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    if (!IsValidSecurityDescriptor(psd)) {
      SetLastError(ERROR_INVALID_SECURITY_DESCR);
      return FALSE;
    }
    const auto v = kovasec::ReadDescriptor(psd);
    if (info & OWNER_SECURITY_INFORMATION) {
      // Only the user or a group of the user's token may become the owner.
      if (!v.owner || !plat::UserHasSid(v.owner)) {
        SetLastError(ERROR_INVALID_OWNER);
        return FALSE;
      }
    }
    std::u16string full;
    if (DWORD err = ExistingFile(lpFileName, full)) {
      SetLastError(err);
      return FALSE;
    }
    std::unique_lock<std::mutex> lk;
    Store& s = Current(lk);
    auto fail = s.failures.find(Key(full));
    if (fail != s.failures.end()) {
      SetLastError(fail->second);
      return FALSE;
    }
    plat::SecurityRecord rec;
    rec.path = full;
    rec.information = info;
    Applied& a = s.applied[Key(full)];
    if (info & OWNER_SECURITY_INFORMATION) {
      rec.owner = plat::SidToString(v.owner);
      a.owner = SidCopy(v.owner);
    }
    if ((info & GROUP_SECURITY_INFORMATION) && v.group) {
      rec.group = plat::SidToString(v.group);
      a.group = SidCopy(v.group);
    }
    if (info & DACL_SECURITY_INFORMATION) {
      rec.dacl = DaclSummary(v);
      a.daclSet = true;
      a.daclNull = !v.daclPresent || !v.dacl;
      a.dacl.clear();
      if (!a.daclNull) {
        const auto* p = reinterpret_cast<const BYTE*>(v.dacl);
        a.dacl.assign(p, p + v.dacl->AclSize);
      }
    }
    s.journal.push_back(std::move(rec));
    return TRUE;
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
}

BOOL WINAPI GetFileSecurityW(LPCWSTR lpFileName, SECURITY_INFORMATION info, PSECURITY_DESCRIPTOR psd,
                             DWORD nLength, LPDWORD lpnLengthNeeded) {
  try {
    if (!lpnLengthNeeded) {
      SetLastError(ERROR_NOACCESS);
      return FALSE;
    }
    std::u16string full;
    if (DWORD err = ExistingFile(lpFileName, full)) {
      SetLastError(err);
      return FALSE;
    }
    Applied a;
    {
      std::unique_lock<std::mutex> lk;
      Store& s = Current(lk);
      auto it = s.applied.find(Key(full));
      if (it != s.applied.end()) a = it->second;
    }
    const std::vector<BYTE> userSid = kovasec::UserSidBytes();
    std::vector<BYTE> out(sizeof(SECURITY_DESCRIPTOR_RELATIVE), 0);
    SECURITY_DESCRIPTOR_RELATIVE rel{};
    rel.Revision = SECURITY_DESCRIPTOR_REVISION;
    rel.Control = SE_SELF_RELATIVE;
    if (info & OWNER_SECURITY_INFORMATION) AppendAligned(out, a.owner.empty() ? userSid : a.owner, rel.Owner);
    if (info & GROUP_SECURITY_INFORMATION) AppendAligned(out, a.group.empty() ? userSid : a.group, rel.Group);
    if (info & DACL_SECURITY_INFORMATION) {
      if (!a.daclSet) {
        rel.Control |= SE_DACL_PRESENT;
        AppendAligned(out, EveryoneFullAccess(), rel.Dacl);
      } else if (!a.daclNull) {
        rel.Control |= SE_DACL_PRESENT;
        AppendAligned(out, a.dacl, rel.Dacl);
      } else {
        rel.Control |= SE_DACL_PRESENT;  // a null DACL: present, no list
      }
    }
    std::memcpy(out.data(), &rel, sizeof rel);
    *lpnLengthNeeded = static_cast<DWORD>(out.size());
    if (!psd || nLength < out.size()) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return FALSE;
    }
    std::memcpy(psd, out.data(), out.size());
    return TRUE;
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
}

}  // extern "C"
