// The in-memory tree of one registry hive and its text form.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "win/types.h"

namespace plat::registry {

struct Value {
  std::u16string name;  // "" is the key's default value
  DWORD type = 0;
  std::vector<BYTE> data;
};

struct Key {
  std::u16string name;
  // Subkeys by their upper-case name, so that they enumerate in Windows' order.
  std::map<std::u16string, std::unique_ptr<Key>> subkeys;
  std::vector<Value> values;  // in creation order
  ULONGLONG lastWrite = 0;    // FILETIME, 100 ns since 1601
  // Identity of this key across processes (kept in the hive file), so that a handle to a
  // deleted key does not reach a new key of the same name; 0 until one is given.
  ULONGLONG id = 0;

  Key* Child(std::u16string_view name) const;
  Key* AddChild(std::u16string_view name, ULONGLONG now);
  Value* FindValue(std::u16string_view name);
};

// The key at a path (names compared without case) or null.
Key* FindKey(Key& root, const std::vector<std::u16string>& path);

// The hive as text (UTF-8) and back. Lines that cannot be read are skipped.
std::string SerializeHive(const Key& root);
void ParseHive(std::string_view text, Key& root);
// Text of one key (whose path from the hive's root is given) and its subtree; withTimes
// adds each key's last-write time to its header.
void SerializeSubtree(const Key& key, const std::u16string& path, std::string& out, bool withTimes);

// A new key identity (never 0).
ULONGLONG NewKeyId();
// Gives an identity to every key of the tree that has none.
void AssignKeyIds(Key& key);

// Now as a FILETIME value.
ULONGLONG NowFileTime();

}  // namespace plat::registry
