// The registry's store as the host and the tests see it (not Win32): where the hives
// live, how to empty them, and a readable dump of a key tree.
#pragma once

// Exported by the platform library (built with hidden visibility otherwise).
#pragma GCC visibility push(default)

#include <string>
#include <string_view>

#include "win/types.h"

namespace plat::registry {

// HKEY_LOCAL_MACHINE (with HKEY_CLASSES_ROOT as its SOFTWARE\Classes) and HKEY_USERS
// (with HKEY_CURRENT_USER as the current user's key in it).
enum class Hive { Machine = 0, Users = 1 };

// Host path of a hive's text file in the root's store.
std::string HiveFilePath(Hive hive);
// The name of the current user's key under HKEY_USERS.
std::u16string CurrentUserKeyName();
// Deletes every key and value of both hives.
void ResetRegistry();
// The key (a predefined root plus a subkey path, which may be empty) and everything under
// it, in the hive file's text form: "[path]" headers with the path relative to the hive,
// then one line per value ("name"=sz:"text", dword:0000002a, hex:01,02...). Empty when
// the key is missing.
std::string DumpKey(HKEY root, std::u16string_view subKey);

}  // namespace plat::registry

#pragma GCC visibility pop
