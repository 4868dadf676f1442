#include "base/ini_key_batch.h"

#include "base/ini_files.h"
#include "win/errors.h"
#include "win/files.h"
#include "win/kernel.h"
#include "win/profile.h"

namespace {

constexpr std::size_t kSectionChars = 260;
// The section is read into a buffer that doubles from the first size up to the last.
constexpr DWORD kFirstReadChars = 32768;
constexpr DWORD kLastReadChars = 4u << 20;

// Key names match as the profile calls match them: letters of the Latin-1 range without case.
WCHAR Fold(WCHAR c) {
  if (c >= u'a' && c <= u'z') return static_cast<WCHAR>(c - 32);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<WCHAR>(c - 32);
  if (c == 0xFF) return 0x178;
  return c;
}

bool SameKey(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Fold(a[i]) != Fold(b[i])) return false;
  return true;
}

// The name of a line as the section reader returns it: the text before '=' of an entry;
// comments (';') and lines that only look like a header ('[') have none.
bool NameOfLine(const std::u16string& line, std::u16string_view& name) {
  if (line.empty() || line[0] == u';' || line[0] == u'[') return false;
  const std::size_t eq = line.find(u'=');
  name = std::u16string_view(line).substr(0, eq == std::u16string::npos ? line.size() : eq);
  return true;
}

std::size_t FindKey(const std::vector<std::u16string>& lines, std::u16string_view key) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::u16string_view name;
    if (NameOfLine(lines[i], name) && SameKey(name, key)) return i;
  }
  return lines.size();
}

}  // namespace

IniKeyBatch::IniKeyBatch(const WCHAR* file, const WCHAR* section) : file_(file) {
  if (!section) {
    failed_ = true;
    return;
  }
  for (std::size_t i = 0; i < kSectionChars && section[i]; ++i) section_.push_back(section[i]);
  SanitizeIniSection(section_.data());
}

bool IniKeyBatch::Add(const WCHAR* key, const WCHAR* value) {
  if (!key) {
    failed_ = true;
    return false;
  }
  try {
    Change change;
    change.key = key;
    change.remove = value == nullptr;
    if (value) {
      change.value = value;
      SanitizeIniValue(change.value.data());
    }
    changes_.push_back(std::move(change));
    return true;
  } catch (...) {
    failed_ = true;
    return false;
  }
}

bool IniKeyBatch::ReadSection(std::vector<std::u16string>& lines) const {
  for (DWORD size = kFirstReadChars; size <= kLastReadChars; size *= 2) {
    std::vector<WCHAR> text(size);
    const DWORD n = GetPrivateProfileSectionW(section_.c_str(), text.data(), size, file_);
    if (n + 2 >= size) continue;  // cut: read again into a larger buffer
    lines.clear();
    for (DWORD at = 0; at < n && text[at];) {
      std::u16string line(text.data() + at);
      at += static_cast<DWORD>(line.size()) + 1;
      lines.push_back(std::move(line));
    }
    if (n > 0) return true;
    // Nothing read: the section is empty or missing, or the file could not be read. The file
    // is known when it is missing or its section names could be read.
    if (GetFileAttributesW(file_) == INVALID_FILE_ATTRIBUTES)
      return GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND;
    WCHAR names[4] = {};
    return GetPrivateProfileSectionNamesW(names, 4, file_) > 0;
  }
  return false;
}

BOOL IniKeyBatch::CommitKeyByKey() {
  BOOL result = TRUE;
  for (const Change& change : changes_)
    if (!WriteIniString(section_.c_str(), change.key.c_str(), change.remove ? nullptr : change.value.c_str(), file_))
      result = FALSE;
  return result;
}

BOOL IniKeyBatch::Commit() {
  BOOL result = FALSE;
  try {
    if (failed_) {
      result = FALSE;
    } else if (changes_.empty()) {
      result = TRUE;
    } else {
      std::vector<std::u16string> lines;
      if (!ReadSection(lines)) {
        result = CommitKeyByKey();
      } else {
        bool changed = false;
        for (const Change& change : changes_) {
          const std::size_t at = FindKey(lines, change.key);
          if (change.remove) {
            if (at == lines.size()) continue;
            lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at));
            changed = true;
            continue;
          }
          if (at == lines.size()) {
            lines.push_back(change.key + u"=" + change.value);
            changed = true;
            continue;
          }
          std::u16string_view name;
          NameOfLine(lines[at], name);
          std::u16string text = std::u16string(name) + u"=" + change.value;
          if (text == lines[at]) continue;
          lines[at] = std::move(text);
          changed = true;
        }
        if (!changed) {
          result = TRUE;
        } else {
          std::u16string list;
          for (const std::u16string& line : lines) {
            list += line;
            list.push_back(0);
          }
          list.push_back(0);
          result = WritePrivateProfileSectionW(section_.c_str(), list.c_str(), file_);
        }
      }
    }
  } catch (...) {
    result = FALSE;
  }
  changes_.clear();
  failed_ = false;
  return result;
}
