// What the registry calls share: the hive stores and the key handles.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "plat/registry_store.h"
#include "registry_tree.h"
#include "win/registry.h"
#include "win/types.h"

namespace plat::registry {

// What a key handle (or a predefined key) stands for.
struct KeyRef {
  Hive hive = Hive::Machine;
  std::vector<std::u16string> path;  // names from the hive's root, in their stored case
  REGSAM access = 0;
  ULONGLONG id = 0;  // identity of the key opened; 0: not checked
  // A predefined key (or a handle opened on one without a subkey): its path need not
  // exist yet, it reads as empty and is created on the first write below it.
  bool rootAlias = false;
};

// The key behind a handle; false for an unknown handle.
bool ResolveKey(HKEY h, KeyRef& out);
// A new handle for a key.
HKEY NewKeyHandle(const KeyRef& ref);
// Removes a key handle; false when it is not one.
bool CloseKeyHandle(HKEY h);

// Runs f on the current tree of a hive (re-read when another process changed it).
LONG ReadHive(Hive hive, const std::function<LONG(Key& root)>& f);
// Runs f on the current tree under the hive's writer lock, and stores the tree when f
// answers ERROR_SUCCESS and set *changed.
LONG WriteHive(Hive hive, const std::function<LONG(Key& root, bool& changed)>& f);

}  // namespace plat::registry
