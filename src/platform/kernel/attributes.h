// The store of Windows file attributes (read-only, hidden, system, archive...) that the
// host file system does not keep.
//
// One table per system root under StoreFolder("attributes"), keyed by the host path
// relative to the root and by the file's inode, so that an entry left behind by a file
// removed outside the platform never applies to a new file of the same name. Only values
// that differ from the default are stored: FILE_ATTRIBUTE_ARCHIVE for a file, nothing for a
// directory. The table is rewritten atomically (temporary file and rename) under a lock
// file, so other processes that use the same root see every change.
#pragma once

#include <sys/stat.h>

#include <string>

#include "win/types.h"

namespace plat {

// Attributes a host file can carry in the store (FILE_ATTRIBUTE_DIRECTORY is never stored:
// it comes from the file system).
constexpr DWORD kStorableAttributes = 0x00000001 | 0x00000002 | 0x00000004 | 0x00000020 | 0x00000100 |
                                      0x00001000 | 0x00002000;

// Stored bits of an existing file (st from stat of hostPath); the default when none.
DWORD StoredAttributes(const std::string& hostPath, const struct stat& st);
// The value GetFileAttributes reports: the stored bits, FILE_ATTRIBUTE_DIRECTORY for a
// directory, FILE_ATTRIBUTE_NORMAL for a file with no other bit.
DWORD ReportedAttributes(const std::string& hostPath, const struct stat& st);
// Stores bits (masked to kStorableAttributes) for an existing file. False when the store
// cannot be written.
bool StoreAttributes(const std::string& hostPath, const struct stat& st, DWORD bits);
// Drops the entry of a path and of everything below it (a removed file or directory).
bool ForgetAttributes(const std::string& hostPath);
// Moves the entries of a path and of everything below it to a new path (a rename); any
// entries the target path had are dropped first.
bool RenameAttributes(const std::string& fromHostPath, const std::string& toHostPath);

}  // namespace plat
