#include "renderer_strings.h"

#include <cstring>

#include "base/paths_and_names.h"
#include "base/printer_data.h"
#include "win/kernel.h"
#include "win/loader.h"
#include "win/resources.h"

namespace {

constexpr EscapeStringRecord kRows[kRendererStringRows + 1] = {
    {731, 15000, {}},
    {733, 15001, {}},
    {735, 15002, {}},
    {0, 0, {}},
};

constexpr int kTextChars = static_cast<int>(sizeof(EscapeStringRecord::text) / sizeof(WCHAR));

bool IsBareFileName(const WCHAR* name) {
  if (!name || !name[0]) return false;
  bool onlyDots = true;
  for (const WCHAR* p = name; *p; ++p) {
    if (*p == u'\\' || *p == u'/' || *p == u':') return false;
    if (*p != u'.') onlyDots = false;
  }
  return !onlyDots;
}

}  // namespace

const EscapeStringRecord* RendererStringRows() { return kRows; }

int BuildStringDllPath(HANDLE printer, WCHAR* buffer) {
  buffer[0] = 0;
  WCHAR help[MAX_PATH] = {};
  // The value is read into all but the last character, so the name always ends inside.
  if (!ReadHelpFileNameValueOfPrinter(printer, help, sizeof(help) - sizeof(WCHAR)) || !IsBareFileName(help)) return 0;
  // The extension becomes "dll"; a name without one gets it appended.
  int length = lstrlenW(help);
  int dot = -1;
  for (int i = 0; i < length; ++i)
    if (help[i] == u'.') dot = i;
  const int stem = dot >= 0 ? dot : length;
  if (stem + 4 >= static_cast<int>(MAX_PATH)) return 0;
  help[stem] = u'.';
  help[stem + 1] = u'd';
  help[stem + 2] = u'l';
  help[stem + 3] = u'l';
  help[stem + 4] = 0;
  WCHAR directory[MAX_PATH] = {};
  GetDriverDirectoryCopy(printer, directory);
  const int dirChars = lstrlenW(directory);
  if (dirChars == 0 || dirChars + lstrlenW(help) >= static_cast<int>(MAX_PATH)) return 0;
  std::memcpy(buffer, directory, sizeof(WCHAR) * static_cast<size_t>(dirChars));
  lstrcpynW(buffer + dirChars, help, static_cast<int>(MAX_PATH) - dirChars);
  return 1;
}

HMODULE GetStringDll(HANDLE printer, HMODULE* slot) {
  if (!slot) return nullptr;
  if (*slot) return *slot;
  WCHAR path[MAX_PATH] = {};
  if (!BuildStringDllPath(printer, path)) return nullptr;
  *slot = LoadLibraryW(path);
  return *slot;
}

int LoadRendererString(HANDLE printer, HMODULE* slot, UINT stringId, WCHAR* destination, int capacity) {
  if (!destination || capacity <= 0) return 0;
  std::memset(destination, 0, sizeof(WCHAR) * static_cast<size_t>(capacity));
  HMODULE module = GetStringDll(printer, slot);
  if (!module) return 0;
  const int n = LoadStringW(module, stringId, destination, capacity);
  destination[capacity - 1] = 0;
  return n > 0 ? n : 0;
}

void FreeStringDll(HMODULE module) {
  if (module) FreeLibrary(module);
}

void FillRendererStrings(HANDLE printer, EscapeStringRecord (&table)[kRendererStringRows + 1]) {
  std::memcpy(table, kRows, sizeof(kRows));
  HMODULE slot = nullptr;
  for (int row = 0; row < kRendererStringRows; ++row)
    LoadRendererString(printer, &slot, table[row].stringId, table[row].text, kTextChars);
  FreeStringDll(slot);
}

void SendStringsToRenderer(HANDLE printer, HDC dc) {
  EscapeStringRecord table[kRendererStringRows + 1];
  FillRendererStrings(printer, table);
  ExtEscape(dc, kRendererEscape, kRendererEscapeBytes, reinterpret_cast<LPCSTR>(table), 0, nullptr);
}
