// Paths the platform looked for and did not find, remembered while no file or folder of
// the root was created, copied or renamed since (by this process or another one). A warm
// driver call asks again and again for INI files and modules that are not installed; with
// this memo it answers "absent" from memory instead of walking the file system each time.
#pragma once

#include <string>

#include "store_changes.h"
#include "win/types.h"

namespace plat::absent {

// The key of a Windows path: its full form (current folder applied), case folded, with a
// tag that tells the kinds of look-up apart (an INI read, a module search). Empty when the
// path has no full form.
std::u16string KeyOf(const WCHAR* winPath, char16_t tag);

// The files' mark to take before looking a path up on disk.
changes::Mark Before();
// True when the key was found absent under the current mark.
bool Known(const std::u16string& key);
// Remembers a key found absent by a look-up that began at `before`; ignored when files
// changed since then.
void Note(const std::u16string& key, const changes::Mark& before);

// Called by every call that makes a name appear in the file system.
void NoteCreated();

}  // namespace plat::absent
