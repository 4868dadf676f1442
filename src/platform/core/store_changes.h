// Change counters of the platform's stores (registry hives, spooler, attribute table) and
// of the file system's names (bumped whenever a call makes a file or folder appear),
// shared by every process of a system root through one small file mapped once per process.
// A writer bumps its store's counter after it replaced the store's file, while it still
// holds the store's lock; a reader keeps what it parsed for as long as the counter and the
// root stay the same, so a warm call costs one atomic load and no system call.
#pragma once

#include <cstdint>

namespace plat::changes {

// FileWrites: a file's bytes were written or replaced (WriteFile, an INI write, a move
// over a file), or a file was deleted. Machine: the root's machine settings were saved.
enum class Store : unsigned {
  MachineHive = 0, UsersHive = 1, Spooler = 2, Attributes = 3, Files = 4, FileWrites = 5, Machine = 6
};
constexpr unsigned kStoreCount = 7;

// Where a store stood when it was read: the root it belongs to and its counter.
struct Mark {
  std::uint64_t root = 0;
  std::uint64_t count = 0;
  bool operator==(const Mark&) const = default;
};

// A mark that never equals a current one: what a cache holds before its first read.
constexpr Mark kNeverRead{0, 0};

// The store's current mark. Take it before reading the store's files: a write that lands
// during the read then shows as a newer mark on the next call.
Mark Current(Store store);
// Bumps the store's counter (the caller holds the store's lock and has replaced the file)
// and answers the new mark.
Mark Bump(Store store);

// Generation of the system root: changes whenever the root is set again.
std::uint64_t RootGeneration();
void NoteNewRoot();

}  // namespace plat::changes
