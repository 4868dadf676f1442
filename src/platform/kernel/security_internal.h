// Shared inside the security calls: reading a descriptor of either form.
#pragma once

#include <cstddef>
#include <vector>

#include "win/security.h"

namespace plat {
// Whether a SID belongs to the calling user's token groups (the user, Everyone,
// Authenticated Users, Interactive, Users, and Administrators when the machine says the
// user is an administrator).
bool UserHasSid(PSID sid);
}  // namespace plat

namespace kovasec {

struct DescriptorView {
  bool ok = false;
  BYTE revision = 0;
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  PSID owner = nullptr;
  PSID group = nullptr;
  PACL sacl = nullptr;
  PACL dacl = nullptr;
  bool daclPresent = false;
};

// The parts of an absolute or self-relative descriptor (not validated).
DescriptorView ReadDescriptor(PSECURITY_DESCRIPTOR psd);
// Bytes of a valid ACL taken by its header and ACEs.
std::size_t AclUsedBytes(PACL acl);
// The calling user's SID in binary form.
std::vector<BYTE> UserSidBytes();

}  // namespace kovasec
