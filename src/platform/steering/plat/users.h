// The users of a system root: each has a profile folder under C:\Users, and the process
// runs as one of them at a time. Tests and the host switch users to play several users of
// one machine (a terminal server, where every user keeps own copies of the settings).
// The profiles are folders of the root, so every process of the root sees them; a process
// starts as the user of the root's machine settings (Machine().userName, kept for every
// process by SaveMachineSettings), and RunAsUser changes this process only.
#pragma once

// Exported by the platform library (built with hidden visibility otherwise).
#pragma GCC visibility push(default)

#include <string>
#include <vector>

#include "win/types.h"

namespace plat {

// Creates the user's profile folder (C:\Users\<name>, with AppData\Local, AppData\LocalLow
// and AppData\Roaming) in the current root. False for an empty name, one with a path
// separator, "." or "..", or when the folders cannot be made.
bool AddUserProfile(const std::u16string& name);
// The users that have a profile folder in the current root, sorted.
std::vector<std::u16string> UserProfiles();
// From now on the process runs as that user (its profile is made when missing): the user
// name, the profile folders and the environment answer for it. False (nothing changed)
// for a name AddUserProfile refuses.
bool RunAsUser(const std::u16string& name);

// Runs as another user for its lifetime; the previous user comes back at its end.
class AsUser {
 public:
  explicit AsUser(const std::u16string& name);
  ~AsUser();
  AsUser(const AsUser&) = delete;
  AsUser& operator=(const AsUser&) = delete;
  bool ok() const { return ok_; }

 private:
  std::u16string previous_;
  bool ok_;
};

}  // namespace plat

#pragma GCC visibility pop
