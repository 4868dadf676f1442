#include "input_tests.h"

#include <cstring>

#include "api_printer.h"
#include "fields/locale_text.h"
#include "fields/neighbour_tables.h"
#include "win/errors.h"
#include "win/files.h"
#include "win/kernel.h"
#include "win/paint.h"
#include "win/security.h"
#include "win/window.h"

namespace {

bool IsLead(char c) { return IsDBCSLeadByte(static_cast<BYTE>(c)) != 0; }

// The byte position just after the last backslash outside double-byte characters (0 when
// none), and the position of the last dot after it (-1 when none).
void SplitName(const char* path, std::size_t* nameStart, long* dot) {
  *nameStart = 0;
  *dot = -1;
  for (std::size_t i = 0; path[i];) {
    if (IsLead(path[i])) {
      if (!path[i + 1]) break;
      i += 2;
      continue;
    }
    if (path[i] == '\\') {
      *nameStart = i + 1;
      *dot = -1;
    } else if (path[i] == '.') {
      *dot = static_cast<long>(i);
    }
    ++i;
  }
}

bool IsKpo(const char* extension) {
  return std::strlen(extension) == 3 && (extension[0] | 0x20) == 'k' && (extension[1] | 0x20) == 'p' &&
         (extension[2] | 0x20) == 'o';
}

int TrueTypeFamilyFound(const LOGFONTW* font, const TEXTMETRICW*, DWORD type, LPARAM found) {
  if (!(type & TRUETYPE_FONTTYPE) || font->lfFaceName[0] == u'@') return 1;
  *reinterpret_cast<int*>(found) = 1;
  return 0;
}

}  // namespace

int IsFileNameText(const char* text, int allowBackslash) {
  if (!text) return 0;
  for (std::size_t i = 0; text[i];) {
    if (IsLead(text[i])) {
      // A lead byte with nothing after it is the end of the text, never a skip past it.
      if (!text[i + 1]) break;
      i += 2;
      continue;
    }
    const char c = text[i];
    if (std::strchr("/:;,*?\"<>|", c)) return 0;
    if (c == '\\' && !allowBackslash) return 0;
    ++i;
  }
  return 1;
}

int IsOverlayFileName(const char* path) {
  if (!path) return 0;
  const char* rest = path;
  if (rest[0] && !IsLead(rest[0]) && rest[1] == ':') rest += 2;
  if (!IsFileNameText(rest, 1)) return 0;
  std::size_t nameStart = 0;
  long dot = -1;
  SplitName(rest, &nameStart, &dot);
  const char* name = rest + nameStart;
  if (!name[0] || !IsFileNameText(name, 0)) return 0;
  return dot >= 0 && IsKpo(rest + dot + 1) ? 1 : 0;
}

int IsUsableFilePath(DriverContext*, DWORD kind, const char* path) {
  if (!path || (kind != 2 && kind != 3)) return 0;
  WCHAR wide[MAX_PATH + 1] = {};
  AnsiToWide(path, wide, MAX_PATH + 1);
  if (!IsAbsolutePath(wide)) return 0;
  if (kind == 2) {
    HANDLE file = nullptr;
    if (!OpenBitmapFile(wide, &file)) return 0;
    CloseHandle(file);
    return 1;
  }
  const DWORD attributes = GetFileAttributesW(wide);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return 0;
  std::size_t nameStart = 0;
  long dot = -1;
  SplitName(path, &nameStart, &dot);
  return dot >= 0 && IsKpo(path + dot + 1) ? 1 : 0;
}

int IsFontInstalled(DriverContext*, const char* faceName) {
  if (!faceName || !faceName[0]) return 0;
  WCHAR face[32] = {};
  AnsiToWide(faceName, face, 32);
  HWND desktop = GetDesktopWindow();
  HDC screen = GetDC(desktop);
  int found = 0;
  EnumFontFamiliesW(screen, face, TrueTypeFamilyFound, reinterpret_cast<LPARAM>(&found));
  if (screen) ReleaseDC(desktop, screen);
  return found;
}

int ContainsChar(const char* text, char character) {
  if (!text) return 0;
  for (std::size_t i = 0; text[i];) {
    if (IsLead(text[i])) {
      if (!text[i + 1]) break;
      i += 2;
      continue;
    }
    if (text[i] == character) return 1;
    ++i;
  }
  return 0;
}

int IsRecordKind1To3(DWORD kind) { return kind >= 1 && kind <= 3 ? 1 : 0; }

int MakeFullPathForApi(const char* path, char* out) {
  if (!path) return 0;
  WCHAR wide[MAX_PATH + 1] = {};
  AnsiToWide(path, wide, MAX_PATH + 1);
  if (!wide[0]) return 0;
  if (GetFileAttributesW(wide) == INVALID_FILE_ATTRIBUTES) {
    HANDLE file = CreateFileW(wide, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
    WCHAR folder[MAX_PATH + 1] = {};
    bool madeFolder = false;
    if (file == INVALID_HANDLE_VALUE) {
      const DWORD error = GetLastError();
      if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return 0;
      int cut = -1;
      for (int i = 0; wide[i]; ++i)
        if (wide[i] == u'\\') cut = i;
      if (cut <= 0) return 0;
      std::memcpy(folder, wide, sizeof(WCHAR) * static_cast<std::size_t>(cut));
      madeFolder = CreateDirectoryW(folder, nullptr) != 0;
      file = CreateFileW(wide, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
      if (file == INVALID_HANDLE_VALUE) {
        if (madeFolder) RemoveDirectoryW(folder);
        return 0;
      }
    }
    CloseHandle(file);
    DeleteFileW(wide);
    if (madeFolder) RemoveDirectoryW(folder);
  }
  WCHAR full[MAX_PATH] = {};
  const DWORD n = GetFullPathNameW(wide, MAX_PATH, full, nullptr);
  if (n == 0 || n >= MAX_PATH) return 0;
  if (out) WideToAnsiText(full, out, MAX_PATH);
  return 1;
}
