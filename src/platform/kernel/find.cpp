// Directory searches: FindFirstFileW/A, FindNextFileW/A, FindClose.
//
// Names are matched against the file part of the pattern with the rules Windows applies
// to a Win32 search pattern: "*.*" matches every name (with or without a dot); a '?'
// matches one character, or nothing at a dot or at the end of the name; a '.' before a
// wildcard or at the end of the pattern matches a dot or the end of the name; a '*'
// before a dot stops at the name's last dot. Letters compare without regard to case. A
// search of a folder other than a drive's root also returns "." and "..".
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "kernel/attributes.h"
#include "plat/codepage.h"
#include "kernel/files_internal.h"
#include "plat/paths.h"
#include "plat/wstr.h"
#include "win/errors.h"

namespace plat {
namespace {

enum class Tok : std::uint8_t { Lit, Star, Qm, DosDot, DosStar };

struct Token {
  Tok kind;
  WCHAR ch;
};

std::vector<Token> Compile(std::u16string_view p) {
  std::vector<Token> out;
  if (p == u"*.*") p = u"*";
  for (std::size_t i = 0; i < p.size(); ++i) {
    WCHAR c = p[i];
    WCHAR next = i + 1 < p.size() ? p[i + 1] : 0;
    if (c == u'?') {
      out.push_back({Tok::Qm, 0});
    } else if (c == u'*') {
      out.push_back({next == u'.' ? Tok::DosStar : Tok::Star, 0});
    } else if (c == u'.' && (next == 0 || next == u'?' || next == u'*')) {
      out.push_back({Tok::DosDot, 0});
    } else {
      out.push_back({Tok::Lit, FoldCase(c)});
    }
  }
  return out;
}

class Matcher {
 public:
  Matcher(const std::vector<Token>& toks, std::u16string_view name)
      : t_(toks), n_(name), lastDot_(name.rfind(u'.')), memo_((toks.size() + 1) * (name.size() + 1), 0) {}

  bool Match(std::size_t pi, std::size_t ni) {
    char& m = memo_[pi * (n_.size() + 1) + ni];
    if (m) return m == 2;
    bool r = Eval(pi, ni);
    m = r ? 2 : 1;
    return r;
  }

 private:
  bool Eval(std::size_t pi, std::size_t ni) {
    const std::size_t n = n_.size();
    if (pi == t_.size()) return ni == n;
    const Token& tok = t_[pi];
    switch (tok.kind) {
      case Tok::Lit: return ni < n && FoldCase(n_[ni]) == tok.ch && Match(pi + 1, ni + 1);
      case Tok::Star: return Match(pi + 1, ni) || (ni < n && Match(pi, ni + 1));
      case Tok::Qm:
        if (ni == n || n_[ni] == u'.') return Match(pi + 1, ni);
        return Match(pi + 1, ni + 1);
      case Tok::DosDot:
        if (ni == n) return Match(pi + 1, ni);
        return n_[ni] == u'.' && Match(pi + 1, ni + 1);
      case Tok::DosStar:
        if (Match(pi + 1, ni)) return true;
        return ni < n && (lastDot_ == std::u16string_view::npos || ni < lastDot_) && Match(pi, ni + 1);
    }
    return false;
  }

  const std::vector<Token>& t_;
  std::u16string_view n_;
  std::size_t lastDot_;
  std::vector<char> memo_;
};

class FindObject : public KernelObject {
 public:
  ObjectKind Kind() const override { return ObjectKind::Find; }
  std::vector<WIN32_FIND_DATAW> entries;
  std::size_t next = 0;
};

bool BadPatternChar(WCHAR c) {
  return c < 32 || c == u'<' || c == u'>' || c == u':' || c == u'"' || c == u'|' || c == u'\\' || c == u'/';
}

void Fill(const std::string& host, const struct stat& st, const std::u16string& name, WIN32_FIND_DATAW& out) {
  std::memset(&out, 0, sizeof out);
  WIN32_FILE_ATTRIBUTE_DATA data{};
  FillAttributeData(host, st, -1, data);
  out.dwFileAttributes = ReportedAttributes(host, st);
  out.ftCreationTime = data.ftCreationTime;
  out.ftLastAccessTime = data.ftLastAccessTime;
  out.ftLastWriteTime = data.ftLastWriteTime;
  out.nFileSizeHigh = data.nFileSizeHigh;
  out.nFileSizeLow = data.nFileSizeLow;
  std::copy(name.begin(), name.end(), out.cFileName);
}

DWORD StartSearch(LPCWSTR pattern, std::shared_ptr<FindObject>& out) {
  if (!pattern) return ERROR_INVALID_PARAMETER;
  std::u16string p(View(pattern));
  if (p.size() >= MAX_PATH) return ERROR_FILENAME_EXCED_RANGE;
  for (auto& c : p)
    if (c == u'/') c = u'\\';
  std::u16string dir;
  std::u16string file;
  std::size_t cut = p.rfind(u'\\');
  if (cut != std::u16string::npos) {
    dir = p.substr(0, cut + 1);
    file = p.substr(cut + 1);
  } else if (p.size() >= 2 && p[1] == u':') {
    dir = p.substr(0, 2);
    file = p.substr(2);
  } else {
    file = p;
  }
  if (file.empty()) return ERROR_FILE_NOT_FOUND;
  for (WCHAR c : file)
    if (BadPatternChar(c)) return ERROR_INVALID_NAME;
  if (dir.empty()) {
    dir.assign(1, u'.');
  } else if (dir.size() == 2 && dir[1] == u':') {
    // "X:pattern" searches the current directory when it is on that drive.
    std::u16string cwd = CurrentDirectory();
    dir = FoldCase(cwd[0]) == FoldCase(dir[0]) ? cwd : dir + u"\\";
  }
  std::u16string fullDir;
  DWORD err = FullWindowsPath(dir.c_str(), fullDir);
  if (err != ERROR_SUCCESS) return err;
  std::string hostDir;
  err = MapPath(fullDir.c_str(), hostDir);
  if (err != ERROR_SUCCESS) return err;
  struct stat dst;
  if (::stat(hostDir.c_str(), &dst) != 0 || !S_ISDIR(dst.st_mode)) return ERROR_PATH_NOT_FOUND;
  bool root = fullDir.size() <= 3;

  std::vector<std::pair<std::u16string, std::string>> names;  // Windows name, host name
  DIR* d = ::opendir(hostDir.c_str());
  if (!d) return ErrnoToWin(errno);
  while (dirent* e = ::readdir(d)) {
    std::string n = e->d_name;
    if (n == "." || n == "..") continue;
    std::u16string w = FromUtf8(n);
    if (w.empty() || w.size() >= MAX_PATH) continue;
    names.emplace_back(std::move(w), std::move(n));
  }
  ::closedir(d);
  std::sort(names.begin(), names.end(), [](const auto& a, const auto& b) {
    int c = CompareNoCase(a.first, b.first);
    return c != 0 ? c < 0 : a.first < b.first;
  });
  if (!root) {
    names.insert(names.begin(), {u"..", ".."});
    names.insert(names.begin(), {u".", "."});
  }
  std::vector<Token> toks = Compile(file);
  auto search = std::make_shared<FindObject>();
  for (const auto& [wname, hname] : names) {
    Matcher m(toks, wname);
    if (!m.Match(0, 0)) continue;
    std::string host = hname == "." ? hostDir : hname == ".." ? HostParent(hostDir) : hostDir + "/" + hname;
    struct stat st;
    if (::stat(host.c_str(), &st) != 0) continue;  // removed meanwhile, or a dangling link
    WIN32_FIND_DATAW data;
    Fill(host, st, wname, data);
    search->entries.push_back(data);
  }
  if (search->entries.empty()) return ERROR_FILE_NOT_FOUND;
  out = std::move(search);
  return ERROR_SUCCESS;
}

void ToAnsi(const WIN32_FIND_DATAW& w, WIN32_FIND_DATAA& a) {
  std::memset(&a, 0, sizeof a);
  a.dwFileAttributes = w.dwFileAttributes;
  a.ftCreationTime = w.ftCreationTime;
  a.ftLastAccessTime = w.ftLastAccessTime;
  a.ftLastWriteTime = w.ftLastWriteTime;
  a.nFileSizeHigh = w.nFileSizeHigh;
  a.nFileSizeLow = w.nFileSizeLow;
  std::string name = WideToAnsi(View(w.cFileName), 0);
  // Cut a name too long for the field at a character boundary.
  std::size_t len = 0;
  while (len < name.size()) {
    std::size_t step = IsLeadByte(0, static_cast<BYTE>(name[len])) && len + 1 < name.size() ? 2 : 1;
    if (len + step > MAX_PATH - 1) break;
    len += step;
  }
  std::memcpy(a.cFileName, name.data(), len);
}

}  // namespace

}  // namespace plat

using namespace plat;

KOVA_EXPORT HANDLE FindFirstFileW(LPCWSTR lpFileName, LPWIN32_FIND_DATAW lpFindFileData) {
  try {
    if (!lpFindFileData) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return INVALID_HANDLE_VALUE;
    }
    std::shared_ptr<FindObject> search;
    DWORD err = StartSearch(lpFileName, search);
    if (err != ERROR_SUCCESS) {
      SetLastError(err);
      return INVALID_HANDLE_VALUE;
    }
    *lpFindFileData = search->entries[0];
    search->next = 1;
    return InsertHandle(search);
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return INVALID_HANDLE_VALUE;
  }
}

KOVA_EXPORT BOOL FindNextFileW(HANDLE hFindFile, LPWIN32_FIND_DATAW lpFindFileData) {
  auto search = LookupHandleAs<FindObject>(hFindFile, ObjectKind::Find);
  if (!search) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (!lpFindFileData) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (search->next >= search->entries.size()) {
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  *lpFindFileData = search->entries[search->next++];
  return TRUE;
}

KOVA_EXPORT HANDLE FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData) {
  if (!lpFileName || !lpFindFileData) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  try {
    WIN32_FIND_DATAW w;
    HANDLE h = FindFirstFileW(AnsiToWide(lpFileName, 0).c_str(), &w);
    if (h != INVALID_HANDLE_VALUE) ToAnsi(w, *lpFindFileData);
    return h;
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return INVALID_HANDLE_VALUE;
  }
}

KOVA_EXPORT BOOL FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData) {
  if (!lpFindFileData) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  try {
    WIN32_FIND_DATAW w;
    if (!FindNextFileW(hFindFile, &w)) return FALSE;
    ToAnsi(w, *lpFindFileData);
    return TRUE;
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
}

KOVA_EXPORT BOOL FindClose(HANDLE hFindFile) {
  if (!LookupHandleAs<FindObject>(hFindFile, ObjectKind::Find) || !RemoveHandle(hFindFile)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}
