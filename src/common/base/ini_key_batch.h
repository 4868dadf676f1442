// Many keys of one section of one INI file written with one write of the file.
//
// Commit reads the section, sets each key in it as a write of that key alone would (a key
// already there keeps its line and the spelling of its name, a new key goes after the
// section's last line, in the order added; a null value removes the key) and writes the
// section back whole through WritePrivateProfileSectionW, which replaces the file atomically.
// The file's other sections are left byte for byte; the section's own lines come back as the
// profile calls read them ("name=value" without blanks around either, comments kept, blank
// lines between its lines dropped), which is how the driver writes them anyway.
//
// The section is read and written in two calls: a key another process writes into the same
// section between them is lost. Use a batch for a save that owns its section (the settings
// saves), not for keys other processes keep writing.
#pragma once

#include <string>
#include <vector>

#include "win/types.h"

class IniKeyBatch {
 public:
  // section as WriteIniString takes it (cut to 260 characters, '[' and ']' replaced); the
  // file name is kept by pointer and must stay valid until the last commit.
  IniKeyBatch(const WCHAR* file, const WCHAR* section);
  IniKeyBatch(const IniKeyBatch&) = delete;
  IniKeyBatch& operator=(const IniKeyBatch&) = delete;

  const WCHAR* File() const { return file_; }
  // Sets a key (its value's line breaks become spaces, as WriteIniString writes them); a
  // null value removes it. False when the key cannot be kept (out of memory): the commit
  // then fails.
  bool Add(const WCHAR* key, const WCHAR* value);
  // Writes the keys added since the last commit: TRUE when all were written (and when there
  // were none). A section too large to read whole is written key by key.
  BOOL Commit();

 private:
  struct Change {
    std::u16string key;
    std::u16string value;
    bool remove = false;
  };
  // The section's lines; false when its content cannot be known (too large, or a file
  // that exists but could not be read).
  bool ReadSection(std::vector<std::u16string>& lines) const;
  BOOL CommitKeyByKey();

  const WCHAR* file_;
  std::u16string section_;
  std::vector<Change> changes_;
  bool failed_ = false;
};
