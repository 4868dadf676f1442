// Windows paths inside the driver, host files inside the platform: the mapping between them.
#pragma once

// Exported by the platform library (built with hidden visibility otherwise).
#pragma GCC visibility push(default)

#include <string>

#include "win/types.h"

namespace plat {

// Maps a Windows path (C:\dir\file, relative to the current directory, forward slashes
// accepted) to the host path of that file in the system root. Each existing component is
// matched case-insensitively; components that do not exist keep the case given.
// Answers ERROR_SUCCESS, or ERROR_INVALID_NAME (bad characters, empty), ERROR_PATH_NOT_FOUND
// (unknown drive), ERROR_FILENAME_EXCED_RANGE (MAX_PATH or longer).
DWORD MapPath(const WCHAR* winPath, std::string& hostPath);
// Host path back to a Windows path (for files inside the root); empty when outside.
std::u16string UnmapPath(const std::string& hostPath);
// Full Windows form of a path: drive, backslashes, "." and ".." resolved.
DWORD FullWindowsPath(const WCHAR* winPath, std::u16string& full);
// Case-insensitive lookup of one name in a host directory; empty when absent.
std::string FindEntryNoCase(const std::string& hostDir, const std::string& name);

// The process's current directory (Windows form); default C:\.
std::u16string CurrentDirectory();
void SetCurrentDirectoryPath(const std::u16string& dir);

}  // namespace plat

#pragma GCC visibility pop
