// The security journal and SID texts: what tests read back from the security calls.
#pragma once

// Exported by the platform library (built with hidden visibility otherwise).
#pragma GCC visibility push(default)

#include <string>
#include <vector>

#include "win/security.h"

namespace plat {

// One SetFileSecurityW call that succeeded.
struct SecurityRecord {
  std::u16string path;         // the Windows path, full form
  DWORD information = 0;       // the SECURITY_INFORMATION flags given
  std::string owner;           // owner SID as text when OWNER_SECURITY_INFORMATION, else ""
  std::string group;           // group SID as text when GROUP_SECURITY_INFORMATION, else ""
  std::string dacl;            // DACL summary when DACL_SECURITY_INFORMATION, else ""
};

// The journal of the current system root (emptied when the root changes).
// DACL summary: "NULL" for a present null DACL, "NONE" for an absent one, otherwise one
// "(A|D;flags;mask;SID)" per ACE with flags and mask in hex, e.g. "(A;0x03;0x001F01FF;S-1-1-0)".
std::vector<SecurityRecord> SecurityJournal();
void ClearSecurityJournal();
// Makes SetFileSecurityW fail with the error for that Windows path (matched without regard
// to case, after mapping to its full form); error 0 removes the hook.
void FailFileSecurityFor(const std::u16string& winPath, DWORD error);
void ClearFileSecurityFailures();

// Text form of a SID ("S-1-5-32-544"); empty for an invalid one.
std::string SidToString(PSID sid);
// The calling user's SID as text.
std::string UserSidString();

}  // namespace plat

#pragma GCC visibility pop
