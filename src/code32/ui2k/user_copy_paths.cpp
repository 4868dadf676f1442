#include "user_copy_paths.h"

#include <cstdio>

#include "base/file_times.h"
#include "base/file_names.h"
#include "base/memory.h"
#include "base/paths_and_names.h"
#include "base/settings_dirs.h"
#include "base/spooler_info.h"
#include "printer_install.h"
#include "win/files.h"

UserCopyPlaces::UserCopyPlaces(HANDLE printer, const PRINTER_INFO_2W* printerInfo) {
  PRINTER_INFO_2W* owned = nullptr;
  if (!printerInfo) printerInfo = owned = static_cast<PRINTER_INFO_2W*>(GetPrinterInfo(printer, 2));
  InstallSectionName(printerInfo, section);
  ok = section[0] && printerInfo && GetIniPathInSettingsDirFor(commonIni, 0, 0, printer, printerInfo) != 0 &&
       GetIniPathInSettingsDirFor(userIni, 0, 1, printer, printerInfo) != 0 &&
       GetUserDataDirFor(userDir, MAX_PATH, printer, printerInfo) != 0 && commonIni[0] && userIni[0] && userDir[0];
  FreeMem(owned);
}

bool IsPlainFileName(const WCHAR* name) {
  if (!name || !name[0]) return false;
  for (const WCHAR* p = name; *p; ++p) {
    if (*p == u'\\' || *p == u'/' || *p == u':') return false;
    if (p[0] == u'.' && p[1] == u'.') return false;
  }
  return !(name[0] == u'.' && name[1] == 0);
}

bool PlaceInDirectory(WCHAR* target, const WCHAR* directory, const WCHAR* path) {
  target[0] = 0;
  const WCHAR* name = FindFileName(path);
  if (!IsPlainFileName(name)) return false;
  return JoinPath(target, MAX_PATH, directory, name) != 0;
}

void FolderOf(const WCHAR* path, WCHAR* folder) {
  folder[0] = 0;
  if (!path) return;
  int last = -1;
  int n = 0;
  for (; path[n] && n < static_cast<int>(MAX_PATH) - 1; ++n)
    if (path[n] == u'\\' || path[n] == u'/') last = n;
  for (int i = 0; i < last; ++i) folder[i] = path[i];
  folder[last < 0 ? 0 : last] = 0;
}

bool SameFolder(const WCHAR* a, const WCHAR* b) {
  for (;; ++a, ++b) {
    WCHAR x = *a, y = *b;
    if (x >= u'A' && x <= u'Z') x = static_cast<WCHAR>(x + 32);
    if (y >= u'A' && y <= u'Z') y = static_cast<WCHAR>(y + 32);
    if (x == u'/') x = u'\\';
    if (y == u'/') y = u'\\';
    if (x != y) return false;
    if (!x) return true;
  }
}

bool CreateFoldersFor(const WCHAR* path) {
  WCHAR folder[MAX_PATH + 1];
  FolderOf(path, folder);
  if (!folder[0]) return false;
  for (int i = 3; folder[i - 1]; ++i) {
    if (folder[i] == u'\\' || folder[i] == 0) {
      const WCHAR keep = folder[i];
      folder[i] = 0;
      CreateDirectoryW(folder, nullptr);
      folder[i] = keep;
      if (!keep) break;
    }
  }
  const DWORD a = GetFileAttributesW(folder);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

void ListKey(WCHAR* key, const char* prefix, int n, const WCHAR* suffix) {
  char text[40];
  std::snprintf(text, sizeof text, "%s%d", prefix, n);
  int i = 0;
  for (; text[i]; ++i) key[i] = static_cast<WCHAR>(text[i]);
  for (; suffix && *suffix && i < 63; ++suffix) key[i++] = *suffix;
  key[i] = 0;
}
