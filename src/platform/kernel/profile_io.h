// Where INI files live and how they are read and replaced.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "kernel/files_internal.h"
#include "profile_doc.h"
#include "win/types.h"

namespace plat::profile {

// Host path of an INI file name. A null name is win.ini; a name without any folder is
// taken from the Windows directory. Answers a Windows error code.
DWORD ResolveIniPath(const WCHAR* name, std::string& host);
// The key under which a missing INI file of that name is remembered.
std::u16string IniMemoKey(const WCHAR* name);

// ResolveIniPath that also stats the file on the way (one system call when it exists);
// probe.found tells whether it could.
DWORD ResolveIniPathAndStat(const WCHAR* name, std::string& host, StatProbe& probe);

// The document of a file; a missing or unreadable file is an empty document (*found false;
// *missing, when given, tells a file or folder that does not exist from one that could not
// be read). st, when given, is a stat of the path taken just now: when it shows the version
// this process read or wrote last, and that version is settled, the kept document answers
// without reading the file. Otherwise the file is read, and its parse reused while its
// bytes stay the same.
std::shared_ptr<const Document> ReadDocument(const std::string& host, const struct stat* st, bool* found,
                                             bool* missing = nullptr);

// Runs an edit on the current content of a file while holding the file's writer lock
// (shared by every thread and process), and replaces the file atomically when the edit
// changed it. A missing file is created only when createIfMissing is set. Answers a
// Windows error code.
DWORD EditDocument(const std::string& host, bool createIfMissing, const std::function<void(Document&)>& edit);

}  // namespace plat::profile
