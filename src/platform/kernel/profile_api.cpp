// The exported profile calls on top of the INI document and its file store.
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "plat/codepage.h"
#include "plat/wstr.h"
#include "profile_doc.h"
#include "profile_io.h"
#include "../core/absent_paths.h"
#include "win/errors.h"
#include "win/profile.h"

namespace {

using plat::profile::Document;

// Where a read answer comes from: one text (a value or a default) or a list of texts.
struct Answer {
  bool isList = false;
  bool found = false;  // the file held what was asked for
  std::vector<std::u16string> items;
};

std::u16string StripQuotes(const std::u16string& v) {
  const std::size_t n = v.size();
  if (n >= 2 && (v[0] == u'"' || v[0] == u'\'') && v[n - 1] == v[0]) return v.substr(1, n - 2);
  return v;
}

std::u16string DefaultText(const WCHAR* def) {
  std::u16string d(plat::View(def));
  while (!d.empty() && (d.back() == u' ' || d.back() == u'\t')) d.pop_back();
  return d;
}

std::shared_ptr<const Document> EmptyDocument() {
  static const auto* empty = new std::shared_ptr<const Document>(std::make_shared<const Document>());
  return *empty;
}

// A file found missing is not looked for again until a file or folder appears in the root.
std::shared_ptr<const Document> LoadFile(const WCHAR* file, bool* found) {
  const std::u16string key = plat::profile::IniMemoKey(file);
  if (plat::absent::Known(key)) {
    *found = false;
    return EmptyDocument();
  }
  const plat::changes::Mark before = plat::absent::Before();
  std::string host;
  plat::StatProbe probe;
  if (plat::profile::ResolveIniPathAndStat(file, host, probe) != ERROR_SUCCESS) {
    *found = false;
    return EmptyDocument();
  }
  bool missing = false;
  auto doc = plat::profile::ReadDocument(host, probe.found ? &probe.st : nullptr, found, &missing);
  if (missing) plat::absent::Note(key, before);
  return doc;
}

Answer QueryString(const WCHAR* app, const WCHAR* key, const WCHAR* def, const WCHAR* file) {
  bool fileFound = false;
  std::shared_ptr<const Document> file_ = LoadFile(file, &fileFound);
  const Document& doc = *file_;
  Answer a;
  if (!app) {
    a.isList = true;
    a.found = fileFound;
    a.items = doc.SectionNames();
    return a;
  }
  std::u16string_view section = plat::View(app);
  if (!key) {
    if (doc.HasSection(section)) {
      a.isList = true;
      a.found = true;
      a.items = doc.KeyNames(section);
      return a;
    }
  } else if (auto v = doc.Value(section, plat::View(key))) {
    a.found = true;
    a.items.push_back(StripQuotes(std::move(*v)));
    return a;
  }
  a.items.push_back(DefaultText(def));
  return a;
}

// Longest prefix of at most n units that does not split a double-byte character.
std::size_t SafeCut(const std::u16string&, std::size_t n, UINT) { return n; }
std::size_t SafeCut(const std::string& s, std::size_t n, UINT cp) {
  std::size_t i = 0;
  while (i < n) {
    std::size_t step = plat::IsLeadByte(cp, static_cast<BYTE>(s[i])) && s[i] != '\0' ? 2 : 1;
    if (i + step > n) break;
    i += step;
  }
  return i;
}

template <class Ch>
DWORD CopyValue(const std::basic_string<Ch>& s, Ch* buf, DWORD size, UINT cp) {
  if (!buf || size == 0) return 0;
  if (s.size() < size) {
    std::copy(s.begin(), s.end(), buf);
    buf[s.size()] = 0;
    return static_cast<DWORD>(s.size());
  }
  std::size_t n = SafeCut(s, size - 1, cp);
  std::copy(s.begin(), s.begin() + static_cast<std::ptrdiff_t>(n), buf);
  std::fill(buf + n, buf + size, Ch(0));
  SetLastError(ERROR_MORE_DATA);
  return size - 1;
}

template <class Ch>
DWORD CopyList(const std::vector<std::basic_string<Ch>>& items, Ch* buf, DWORD size, UINT cp) {
  if (!buf || size == 0) return 0;
  std::basic_string<Ch> joined;
  for (const auto& item : items) {
    joined += item;
    joined.push_back(Ch(0));
  }
  if (joined.empty()) {
    buf[0] = 0;
    if (size >= 2) buf[1] = 0;
    return 0;
  }
  if (joined.size() + 1 <= size) {
    std::copy(joined.begin(), joined.end(), buf);
    buf[joined.size()] = 0;
    return static_cast<DWORD>(joined.size());
  }
  SetLastError(ERROR_MORE_DATA);
  if (size < 2) {
    buf[0] = 0;
    return 0;
  }
  std::size_t n = SafeCut(joined, size - 2, cp);
  std::copy(joined.begin(), joined.begin() + static_cast<std::ptrdiff_t>(n), buf);
  std::fill(buf + n, buf + size, Ch(0));
  return size - 2;
}

std::optional<std::u16string> FromAnsi(const char* s) {
  if (!s) return std::nullopt;
  return plat::AnsiToWide(s, plat::ResolveCodePage(0));
}
const WCHAR* Ptr(const std::optional<std::u16string>& s) { return s ? s->c_str() : nullptr; }

UINT ParseProfileInt(std::u16string_view s) {
  // The conversion Windows applies: blanks, sign, an optional base prefix, digits.
  std::size_t i = 0;
  while (i < s.size() && s[i] <= u' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) negative = s[i++] == u'-';
  unsigned base = 10;
  if (i + 1 < s.size() && s[i] == u'0') {
    if (s[i + 1] == u'x') base = 16;
    else if (s[i + 1] == u'o') base = 8;
    else if (s[i + 1] == u'b') base = 2;
    if (base != 10) i += 2;
  }
  UINT value = 0;
  for (; i < s.size(); ++i) {
    char16_t c = s[i];
    unsigned d;
    if (c >= u'0' && c <= u'9') d = c - u'0';
    else if (c >= u'a' && c <= u'f') d = c - u'a' + 10;
    else if (c >= u'A' && c <= u'F') d = c - u'A' + 10;
    else break;
    if (d >= base) break;
    value = value * base + d;
  }
  return negative ? 0u - value : value;
}

DWORD Edit(const WCHAR* file, bool create, const std::function<void(Document&)>& edit) {
  std::string host;
  DWORD rc = plat::profile::ResolveIniPath(file, host);
  if (rc == ERROR_SUCCESS) rc = plat::profile::EditDocument(host, create, edit);
  return rc;
}

BOOL Finish(DWORD rc) {
  if (rc == ERROR_SUCCESS) return TRUE;
  SetLastError(rc);
  return FALSE;
}

std::vector<std::u16string> SplitList(const WCHAR* list) {
  std::vector<std::u16string> out;
  while (*list) {
    std::u16string_view item = plat::View(list);
    out.emplace_back(item);
    list += item.size() + 1;
  }
  return out;
}

}  // namespace

KOVA_EXPORT UINT GetPrivateProfileIntW(LPCWSTR lpAppName, LPCWSTR lpKeyName, INT nDefault, LPCWSTR lpFileName) {
  try {
    if (!lpAppName || !lpKeyName) return static_cast<UINT>(nDefault);
    Answer a = QueryString(lpAppName, lpKeyName, u"", lpFileName);
    if (!a.found || a.items.empty() || a.items[0].empty()) return static_cast<UINT>(nDefault);
    return ParseProfileInt(a.items[0]);
  } catch (...) {
    return static_cast<UINT>(nDefault);
  }
}

KOVA_EXPORT UINT GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault, LPCSTR lpFileName) {
  try {
    auto app = FromAnsi(lpAppName), key = FromAnsi(lpKeyName), file = FromAnsi(lpFileName);
    return GetPrivateProfileIntW(Ptr(app), Ptr(key), nDefault, Ptr(file));
  } catch (...) {
    return static_cast<UINT>(nDefault);
  }
}

KOVA_EXPORT DWORD GetPrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpDefault,
                                           LPWSTR lpReturnedString, DWORD nSize, LPCWSTR lpFileName) {
  try {
    if (!lpReturnedString || nSize == 0) return 0;
    Answer a = QueryString(lpAppName, lpKeyName, lpDefault, lpFileName);
    SetLastError(a.found ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);
    if (a.isList) return CopyList(a.items, lpReturnedString, nSize, 0);
    return CopyValue(a.items[0], lpReturnedString, nSize, 0);
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    if (lpReturnedString && nSize) lpReturnedString[0] = 0;
    return 0;
  }
}

KOVA_EXPORT DWORD GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                                           LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName) {
  try {
    if (!lpReturnedString || nSize == 0) return 0;
    UINT cp = plat::ResolveCodePage(0);
    auto app = FromAnsi(lpAppName), key = FromAnsi(lpKeyName), def = FromAnsi(lpDefault), file = FromAnsi(lpFileName);
    Answer a = QueryString(Ptr(app), Ptr(key), Ptr(def), Ptr(file));
    SetLastError(a.found ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);
    std::vector<std::string> items;
    for (const auto& item : a.items) items.push_back(plat::WideToAnsi(item, cp));
    if (a.isList) return CopyList(items, lpReturnedString, nSize, cp);
    return CopyValue(items[0], lpReturnedString, nSize, cp);
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    if (lpReturnedString && nSize) lpReturnedString[0] = 0;
    return 0;
  }
}

KOVA_EXPORT BOOL WritePrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpString,
                                            LPCWSTR lpFileName) {
  try {
    // Every write is already on disk: the flush has nothing to do.
    if (!lpAppName && !lpKeyName && !lpString) return TRUE;
    if (!lpAppName) return Finish(ERROR_INVALID_PARAMETER);
    std::u16string section(plat::View(lpAppName));
    if (!lpKeyName)
      return Finish(Edit(lpFileName, false, [&](Document& d) { d.DeleteSection(section); }));
    std::u16string key(plat::View(lpKeyName));
    if (!lpString) return Finish(Edit(lpFileName, false, [&](Document& d) { d.DeleteKey(section, key); }));
    std::u16string value(plat::View(lpString));
    return Finish(Edit(lpFileName, true, [&](Document& d) { d.SetValue(section, key, value); }));
  } catch (...) {
    return Finish(ERROR_NOT_ENOUGH_MEMORY);
  }
}

KOVA_EXPORT BOOL WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString, LPCSTR lpFileName) {
  try {
    auto app = FromAnsi(lpAppName), key = FromAnsi(lpKeyName), str = FromAnsi(lpString), file = FromAnsi(lpFileName);
    return WritePrivateProfileStringW(Ptr(app), Ptr(key), Ptr(str), Ptr(file));
  } catch (...) {
    return Finish(ERROR_NOT_ENOUGH_MEMORY);
  }
}

KOVA_EXPORT DWORD GetPrivateProfileSectionW(LPCWSTR lpAppName, LPWSTR lpReturnedString, DWORD nSize,
                                            LPCWSTR lpFileName) {
  try {
    if (!lpReturnedString || nSize == 0) return 0;
    if (!lpAppName) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return CopyList(std::vector<std::u16string>{}, lpReturnedString, nSize, 0);
    }
    bool found = false;
    std::shared_ptr<const Document> file = LoadFile(lpFileName, &found);
    const Document& doc = *file;
    std::u16string_view section = plat::View(lpAppName);
    SetLastError(found && doc.HasSection(section) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);
    return CopyList(doc.SectionLines(section), lpReturnedString, nSize, 0);
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    if (lpReturnedString && nSize) lpReturnedString[0] = 0;
    return 0;
  }
}

KOVA_EXPORT DWORD GetPrivateProfileSectionA(LPCSTR lpAppName, LPSTR lpReturnedString, DWORD nSize,
                                            LPCSTR lpFileName) {
  try {
    if (!lpReturnedString || nSize == 0) return 0;
    UINT cp = plat::ResolveCodePage(0);
    auto app = FromAnsi(lpAppName), file = FromAnsi(lpFileName);
    std::vector<std::string> items;
    if (app) {
      bool found = false;
      std::shared_ptr<const Document> loaded = LoadFile(Ptr(file), &found);
      const Document& doc = *loaded;
      for (const auto& line : doc.SectionLines(*app)) items.push_back(plat::WideToAnsi(line, cp));
      SetLastError(found && doc.HasSection(*app) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);
    } else {
      SetLastError(ERROR_INVALID_PARAMETER);
    }
    return CopyList(items, lpReturnedString, nSize, cp);
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    if (lpReturnedString && nSize) lpReturnedString[0] = 0;
    return 0;
  }
}

KOVA_EXPORT BOOL WritePrivateProfileSectionW(LPCWSTR lpAppName, LPCWSTR lpString, LPCWSTR lpFileName) {
  try {
    if (!lpAppName) return Finish(ERROR_INVALID_PARAMETER);
    std::u16string section(plat::View(lpAppName));
    if (!lpString) return Finish(Edit(lpFileName, false, [&](Document& d) { d.DeleteSection(section); }));
    std::vector<std::u16string> lines = SplitList(lpString);
    return Finish(Edit(lpFileName, true, [&](Document& d) { d.ReplaceSection(section, lines); }));
  } catch (...) {
    return Finish(ERROR_NOT_ENOUGH_MEMORY);
  }
}

KOVA_EXPORT BOOL WritePrivateProfileSectionA(LPCSTR lpAppName, LPCSTR lpString, LPCSTR lpFileName) {
  try {
    auto app = FromAnsi(lpAppName), file = FromAnsi(lpFileName);
    if (!lpString) return WritePrivateProfileSectionW(Ptr(app), nullptr, Ptr(file));
    // The list: strings each ended by NUL, then an extra NUL.
    UINT cp = plat::ResolveCodePage(0);
    std::u16string list;
    for (const char* p = lpString; *p;) {
      std::string_view item(p);
      list += plat::AnsiToWide(item, cp);
      list.push_back(0);
      p += item.size() + 1;
    }
    list.push_back(0);
    return WritePrivateProfileSectionW(Ptr(app), list.c_str(), Ptr(file));
  } catch (...) {
    return Finish(ERROR_NOT_ENOUGH_MEMORY);
  }
}

KOVA_EXPORT DWORD GetPrivateProfileSectionNamesW(LPWSTR lpszReturnBuffer, DWORD nSize, LPCWSTR lpFileName) {
  return GetPrivateProfileStringW(nullptr, nullptr, nullptr, lpszReturnBuffer, nSize, lpFileName);
}

KOVA_EXPORT UINT GetProfileIntW(LPCWSTR lpAppName, LPCWSTR lpKeyName, INT nDefault) {
  return GetPrivateProfileIntW(lpAppName, lpKeyName, nDefault, u"win.ini");
}

KOVA_EXPORT DWORD GetProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpDefault, LPWSTR lpReturnedString,
                                    DWORD nSize) {
  return GetPrivateProfileStringW(lpAppName, lpKeyName, lpDefault, lpReturnedString, nSize, u"win.ini");
}

KOVA_EXPORT BOOL WriteProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpString) {
  return WritePrivateProfileStringW(lpAppName, lpKeyName, lpString, u"win.ini");
}
