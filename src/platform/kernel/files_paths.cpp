// Path queries: full path names, the current directory, the temporary folder and
// temporary file names, long and short names.
//
// Size protocol of these calls: when the result fits, the characters copied without the
// terminating NUL; when it does not, the size needed including the NUL, the buffer left
// as it was; 0 on failure with the error code set.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "plat/codepage.h"
#include "kernel/files_internal.h"
#include "plat/paths.h"
#include "plat/system.h"
#include "plat/wstr.h"
#include "../core/absent_paths.h"
#include "win/errors.h"

namespace plat {
namespace {

template <class C>
DWORD CopyOut(const std::basic_string<C>& text, DWORD size, C* buffer) {
  if (!buffer || size < text.size() + 1) return static_cast<DWORD>(text.size() + 1);
  std::memmove(buffer, text.data(), text.size() * sizeof(C));
  buffer[text.size()] = 0;
  return static_cast<DWORD>(text.size());
}

DWORD FullPathOf(LPCWSTR name, std::u16string& full) {
  if (!name) return ERROR_INVALID_PARAMETER;
  DWORD err = FullWindowsPath(name, full);
  if (err != ERROR_SUCCESS) return err;
  std::u16string_view v = View(name);
  if (!v.empty() && (v.back() == u'\\' || v.back() == u'/') && full.back() != u'\\') {
    if (full.size() + 1 >= MAX_PATH) return ERROR_FILENAME_EXCED_RANGE;
    full.push_back(u'\\');
  }
  return ERROR_SUCCESS;
}

std::u16string CurrentDirectoryText() {
  std::u16string cwd = CurrentDirectory();
  if (cwd.size() > 3 && cwd.back() == u'\\') cwd.pop_back();
  return cwd;
}

DWORD Failed(DWORD err) {
  SetLastError(err);
  return 0;
}

}  // namespace
}  // namespace plat

using namespace plat;

KOVA_EXPORT DWORD GetFullPathNameW(LPCWSTR lpFileName, DWORD nBufferLength, LPWSTR lpBuffer, LPWSTR* lpFilePart) {
  try {
    std::u16string full;
    DWORD err = FullPathOf(lpFileName, full);
    if (err != ERROR_SUCCESS) return Failed(err);
    DWORD n = CopyOut(full, nBufferLength, lpBuffer);
    if (n == full.size() && lpFilePart) {
      std::size_t cut = full.rfind(u'\\');
      *lpFilePart = cut + 1 < full.size() ? lpBuffer + cut + 1 : nullptr;
    }
    return n;
  } catch (...) {
    return Failed(ERROR_NOT_ENOUGH_MEMORY);
  }
}

KOVA_EXPORT DWORD GetFullPathNameA(LPCSTR lpFileName, DWORD nBufferLength, LPSTR lpBuffer, LPSTR* lpFilePart) {
  try {
    if (!lpFileName) return Failed(ERROR_INVALID_PARAMETER);
    std::u16string full;
    DWORD err = FullPathOf(AnsiToWide(lpFileName, 0).c_str(), full);
    if (err != ERROR_SUCCESS) return Failed(err);
    std::string ansi = WideToAnsi(full, 0);
    DWORD n = CopyOut(ansi, nBufferLength, lpBuffer);
    if (n == ansi.size() && lpFilePart) {
      // The file part starts after the last backslash, counted in the code page's
      // characters (a trail byte of a double-byte character may look like one).
      std::size_t cut = full.rfind(u'\\');
      std::size_t dirBytes = WideToAnsi(std::u16string_view(full).substr(0, cut + 1), 0).size();
      *lpFilePart = dirBytes < ansi.size() ? lpBuffer + dirBytes : nullptr;
    }
    return n;
  } catch (...) {
    return Failed(ERROR_NOT_ENOUGH_MEMORY);
  }
}

KOVA_EXPORT DWORD GetCurrentDirectoryW(DWORD nBufferLength, LPWSTR lpBuffer) {
  try {
    return CopyOut(CurrentDirectoryText(), nBufferLength, lpBuffer);
  } catch (...) {
    return Failed(ERROR_NOT_ENOUGH_MEMORY);
  }
}

KOVA_EXPORT DWORD GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer) {
  try {
    return CopyOut(WideToAnsi(CurrentDirectoryText(), 0), nBufferLength, lpBuffer);
  } catch (...) {
    return Failed(ERROR_NOT_ENOUGH_MEMORY);
  }
}

KOVA_EXPORT BOOL SetCurrentDirectoryW(LPCWSTR lpPathName) {
  try {
    if (!lpPathName) return Failed(ERROR_INVALID_PARAMETER);
    std::u16string full;
    DWORD err = FullWindowsPath(lpPathName, full);
    if (err != ERROR_SUCCESS) return Failed(err);
    std::string host;
    err = MapPath(full.c_str(), host);
    if (err != ERROR_SUCCESS) return Failed(err);
    struct stat st;
    if (::stat(host.c_str(), &st) != 0)
      return Failed(errno == ENOENT ? MissingPathError(host) : errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : ErrnoToWin(errno));
    if (!S_ISDIR(st.st_mode)) return Failed(ERROR_DIRECTORY);
    SetCurrentDirectoryPath(full);
    return TRUE;
  } catch (...) {
    return Failed(ERROR_NOT_ENOUGH_MEMORY);
  }
}

KOVA_EXPORT BOOL SetCurrentDirectoryA(LPCSTR lpPathName) {
  try {
    if (!lpPathName) return Failed(ERROR_INVALID_PARAMETER);
    return SetCurrentDirectoryW(AnsiToWide(lpPathName, 0).c_str());
  } catch (...) {
    return Failed(ERROR_NOT_ENOUGH_MEMORY);
  }
}

// The temporary folder is the Windows directory's Temp folder, created when missing.
KOVA_EXPORT DWORD GetTempPathW(DWORD nBufferLength, LPWSTR lpBuffer) {
  try {
    std::u16string temp = WindowsDirectory() + u"\\Temp\\";
    std::string host;
    DWORD err = MapPath(temp.c_str(), host);
    if (err != ERROR_SUCCESS) return Failed(err);
    if (::mkdir(host.c_str(), 0777) == 0)
      plat::absent::NoteCreated();
    else if (errno != EEXIST)
      return Failed(ErrnoToWin(errno));
    return CopyOut(temp, nBufferLength, lpBuffer);
  } catch (...) {
    return Failed(ERROR_NOT_ENOUGH_MEMORY);
  }
}

// Names are <folder>\<up to three characters of the prefix><unique number in hex>.TMP.
// With uUnique 0 a free number is found and an empty file created; otherwise the name is
// only built. The buffer must hold MAX_PATH characters.
KOVA_EXPORT UINT GetTempFileNameW(LPCWSTR lpPathName, LPCWSTR lpPrefixString, UINT uUnique, LPWSTR lpTempFileName) {
  try {
    if (!lpPathName || !lpTempFileName) return Failed(ERROR_INVALID_PARAMETER);
    std::u16string dir(View(lpPathName));
    if (!dir.empty() && dir.back() != u'\\' && dir.back() != u'/') dir.push_back(u'\\');
    if (dir.size() > MAX_PATH - 14) return Failed(ERROR_BUFFER_OVERFLOW);
    std::u16string prefix(View(lpPrefixString).substr(0, 3));
    auto nameOf = [&](UINT number) {
      char hex[16];
      std::snprintf(hex, sizeof hex, "%X", number);
      return dir + prefix + FromUtf8(hex) + u".TMP";
    };
    uUnique &= 0xFFFF;
    if (uUnique != 0) {
      std::u16string name = nameOf(uUnique);
      std::memcpy(lpTempFileName, name.c_str(), (name.size() + 1) * sizeof(WCHAR));
      return uUnique;
    }
    DWORD attrs = GetFileAttributesW(dir.empty() ? u"." : dir.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES || !(attrs & FILE_ATTRIBUTE_DIRECTORY)) return Failed(ERROR_DIRECTORY);
    UINT start = CurrentTickCount() & 0xFFFF;
    for (UINT k = 0; k < 0xFFFF; ++k) {
      UINT number = (start + k) % 0xFFFF + 1;
      std::u16string name = nameOf(number);
      std::shared_ptr<FileObject> file;
      DWORD err = OpenFileObject(name.c_str(), GENERIC_WRITE, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, file, nullptr);
      if (err == ERROR_SUCCESS) {
        std::memcpy(lpTempFileName, name.c_str(), (name.size() + 1) * sizeof(WCHAR));
        return number;
      }
      if (err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS) return Failed(err);
    }
    return Failed(ERROR_FILE_EXISTS);
  } catch (...) {
    return Failed(ERROR_NOT_ENOUGH_MEMORY);
  }
}

// Names have no short form here: both calls answer the path as given once it exists.
KOVA_EXPORT DWORD GetLongPathNameW(LPCWSTR lpszShortPath, LPWSTR lpszLongPath, DWORD cchBuffer) {
  try {
    if (!lpszShortPath) return Failed(ERROR_INVALID_PARAMETER);
    if (GetFileAttributesW(lpszShortPath) == INVALID_FILE_ATTRIBUTES) return 0;
    return CopyOut(std::u16string(View(lpszShortPath)), cchBuffer, lpszLongPath);
  } catch (...) {
    return Failed(ERROR_NOT_ENOUGH_MEMORY);
  }
}

KOVA_EXPORT DWORD GetShortPathNameW(LPCWSTR lpszLongPath, LPWSTR lpszShortPath, DWORD cchBuffer) {
  return GetLongPathNameW(lpszLongPath, lpszShortPath, cchBuffer);
}
