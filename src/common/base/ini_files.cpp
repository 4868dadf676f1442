#include "base/ini_files.h"

#include <cstring>

#include "base/deliverable.h"
#include "base/memory.h"
#include "base/system_checks.h"
#include "win/files.h"
#include "win/profile.h"

namespace {

constexpr DWORD kSectionChars = 261;

// The section name in its own zero-filled buffer, cut to 260 characters and sanitised.
// A null section stays null (the profile calls then list the sections); *failed is set
// when the buffer cannot be allocated.
class SectionName {
 public:
  explicit SectionName(const WCHAR* section) {
    if (!section) return;
    buffer_ = static_cast<WCHAR*>(AllocMem(kSectionChars * sizeof(WCHAR)));
    if (!buffer_) {
      failed_ = true;
      return;
    }
    DWORD n = 0;
    while (n < kSectionChars - 1 && section[n]) {
      buffer_[n] = section[n];
      ++n;
    }
    SanitizeIniSection(buffer_);
  }
  ~SectionName() { FreeMem(buffer_); }
  SectionName(const SectionName&) = delete;
  SectionName& operator=(const SectionName&) = delete;

  bool Failed() const { return failed_; }
  const WCHAR* Get() const { return buffer_; }

 private:
  WCHAR* buffer_ = nullptr;
  bool failed_ = false;
};

}  // namespace

void SanitizeIniSection(WCHAR* name) {
  if (!name) return;
  // The settings API on Windows 9x steps over a character whose low byte is a lead byte of
  // the system code page together with the character after it.
  const bool keepDoubleBytes = IsSettingsApiBuild() && IsWin9x();
  for (; *name; ++name) {
    if (keepDoubleBytes && IsDBCSLeadByte(static_cast<BYTE>(*name & 0xFF))) {
      if (!name[1]) break;
      ++name;
      continue;
    }
    if (*name == u'[' || *name == u']') *name = u',';
  }
}

bool IsIniLineBreak(WCHAR c) { return c == u'\r' || c == u'\n'; }

bool SanitizeIniValue(WCHAR* value) {
  bool changed = false;
  for (; value && *value; ++value) {
    if (IsIniLineBreak(*value)) {
      *value = u' ';
      changed = true;
    }
  }
  return changed;
}

INT ReadIniInt(const WCHAR* section, const WCHAR* key, INT defaultValue, const WCHAR* file) {
  SectionName name(section);
  if (name.Failed()) return defaultValue;
  return static_cast<INT>(GetPrivateProfileIntW(name.Get(), key, defaultValue, file));
}

DWORD ReadIniString(const WCHAR* section, const WCHAR* key, const WCHAR* defaultValue, WCHAR* buffer, DWORD size,
                    const WCHAR* file) {
  SectionName name(section);
  if (name.Failed()) {
    if (!buffer || size == 0) return 0;
    std::memset(buffer, 0, size * sizeof(WCHAR));
    DWORD n = 0;
    while (defaultValue && n < size - 1 && defaultValue[n]) {
      buffer[n] = defaultValue[n];
      ++n;
    }
    return n;
  }
  return GetPrivateProfileStringW(name.Get(), key, defaultValue, buffer, size, file);
}

BOOL WriteIniString(const WCHAR* section, const WCHAR* key, const WCHAR* value, const WCHAR* file) {
  SectionName name(section);
  if (name.Failed()) return FALSE;
  WCHAR* clean = nullptr;
  if (value) {
    std::size_t length = 0;
    bool breaks = false;
    for (; value[length]; ++length) breaks = breaks || IsIniLineBreak(value[length]);
    if (breaks) {
      clean = static_cast<WCHAR*>(AllocMem((length + 1) * sizeof(WCHAR)));
      if (!clean) return FALSE;
      std::memcpy(clean, value, (length + 1) * sizeof(WCHAR));
      SanitizeIniValue(clean);
      value = clean;
    }
  }
  BOOL result = WritePrivateProfileStringW(name.Get(), key, value, file);
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, file);
  FreeMem(clean);
  return result;
}

BOOL WriteIniKeepTime(const WCHAR* section, const WCHAR* key, const WCHAR* value, const WCHAR* file, DWORD) {
  FILETIME lastWrite{};
  bool haveTime = false;
  HANDLE h = CreateFileW(file, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    haveTime = GetFileTime(h, nullptr, nullptr, &lastWrite) != FALSE;
    CloseHandle(h);
  }
  BOOL result = WriteIniString(section, key, value, file);
  if (haveTime) {
    h = CreateFileW(file, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                    nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      SetFileTime(h, nullptr, nullptr, &lastWrite);
      CloseHandle(h);
    }
  }
  return result;
}
