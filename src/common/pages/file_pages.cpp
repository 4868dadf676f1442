// The file pages' patterns and name checks.
#include "pages/file_pages.h"

#include "base/ini_files.h"
#include "base/paths_and_names.h"
#include "stored/preset_list.h"
#include "stored/quality_list.h"
#include "win/controls.h"
#include "win/errors.h"
#include "win/files.h"
#include "win/kernel.h"
#include "win/window.h"

namespace {

constexpr DWORD kColourProfileFlag = 0x4000;
constexpr DWORD kBitmapFlag = 0x400;
constexpr DWORD kOverlayFlags = 0x800 | 0x1000;
constexpr WORD kFileTypeCombo = 1136;
constexpr WORD kOverlayPage = 1037;

WCHAR Lower(WCHAR c) { return (c >= u'A' && c <= u'Z') ? static_cast<WCHAR>(c - u'A' + u'a') : c; }

}  // namespace

const WCHAR* GetFileFilterPattern(const PageRecord* page) {
  if (!page) return u"*.kst";
  if (page->flags & kColourProfileFlag) {
    HWND combo = page->window ? GetDlgItem(page->window, kFileTypeCombo) : nullptr;
    const LRESULT selected = combo ? SendMessageW(combo, CB_GETCURSEL, 0, 0) : 0;
    return (selected != 0 && selected != CB_ERR) ? u"*.*" : u"*.kcm";
  }
  if (page->flags & kBitmapFlag) return u"*.bmp";
  if ((page->flags & kOverlayFlags) || page->pageId == kOverlayPage) return u"*.kpo";
  return u"*.kst";
}

bool HasFilterExtension(const PageRecord* page, const WCHAR* name) {
  const WCHAR* pattern = GetFileFilterPattern(page);
  if (pattern[2] == u'*') return true;
  if (!name) return false;
  std::size_t length = 0;
  while (name[length]) ++length;
  if (length < 4) return false;
  const WCHAR* end = name + length - 4;
  for (int i = 0; i < 4; ++i)
    if (Lower(end[i]) != Lower(pattern[1 + i])) return false;
  return true;
}

namespace {

constexpr int kFolderChars = 261;

struct RememberedKey {
  DWORD flag;
  const WCHAR* key;
};
// In the order of the page's first file flag.
constexpr RememberedKey kRememberedKeys[] = {
    {0x100, u"OpenFilePath"}, {0x200, u"SaveFilePath"}, {0x4000, u"RefFile2Path"}, {0x400, u"RefFilePath"},
    {0x800, nullptr},         {0x1000, u"KporefPath"},  {0x2000, u"KstSavePath"},   {0x8000, nullptr}};

// The folder of a path: cut at its last '\', a drive root ("C:\") kept with its '\'.
void FolderOf(const WCHAR* path, WCHAR* out, int outChars) {
  out[0] = 0;
  int last = -1, length = 0;
  for (; path[length]; ++length)
    if (path[length] == u'\\') last = length;
  if (last < 0) return;
  int keep = last;
  if (last == 2 && path[1] == u':') keep = 3;
  if (keep >= outChars) return;
  for (int i = 0; i < keep; ++i) out[i] = path[i];
  out[keep] = 0;
}

bool FileIdentity(const WCHAR* path, BY_HANDLE_FILE_INFORMATION* info) {
  HANDLE file = CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const BOOL known = GetFileInformationByHandle(file, info);
  CloseHandle(file);
  return known != 0;
}

bool IsListedFile(const WCHAR* ini, const WCHAR* section, const WCHAR* key, const WCHAR* path) {
  WCHAR file[kFolderChars] = {};
  ReadIniString(section, key, u"", file, kFolderChars, ini);
  return file[0] && IsSameFile(file, path);
}

}  // namespace

bool FileExists(const WCHAR* path) {
  if (!path || !path[0]) return false;
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

const WCHAR* GetRememberedPathKey(const PageRecord* page) {
  if (!page) return nullptr;
  for (const RememberedKey& k : kRememberedKeys)
    if (page->flags & k.flag) return k.key;
  return nullptr;
}

void RememberFileFolder(DriverContext* context, const PageRecord* page, const WCHAR* path) {
  const WCHAR* key = GetRememberedPathKey(page);
  if (!context || !key || !path) return;
  WCHAR folder[kFolderChars];
  FolderOf(path, folder, kFolderChars);
  const WCHAR* ini = GetUserIniPath(context);
  const WCHAR* section = GetPrinterDisplayName(context);
  if (ini && ini[0] && section) WriteIniString(section, key, folder, ini);
}

bool ReadRememberedFolder(DriverContext* context, const PageRecord* page, WCHAR* out, int outChars) {
  if (!out || outChars <= 0) return false;
  out[0] = 0;
  const WCHAR* key = GetRememberedPathKey(page);
  const WCHAR* ini = context ? GetUserIniPath(context) : nullptr;
  const WCHAR* section = context ? GetPrinterDisplayName(context) : nullptr;
  if (!key || !ini || !ini[0] || !section) return false;
  const DWORD chars = static_cast<DWORD>(outChars < kFolderChars ? outChars : kFolderChars);
  ReadIniString(section, key, u"", out, chars, ini);
  return out[0] != 0;
}

bool IsSameFile(const WCHAR* a, const WCHAR* b) {
  if (!a || !b || !a[0] || !b[0]) return false;
  WCHAR fullA[kFolderChars], fullB[kFolderChars];
  const DWORD na = GetFullPathNameW(a, kFolderChars, fullA, nullptr);
  const DWORD nb = GetFullPathNameW(b, kFolderChars, fullB, nullptr);
  if (na && na < kFolderChars && nb && nb < kFolderChars && lstrcmpiW(fullA, fullB) == 0) return true;
  BY_HANDLE_FILE_INFORMATION ia{}, ib{};
  if (!FileIdentity(a, &ia) || !FileIdentity(b, &ib)) return false;
  return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber && ia.nFileIndexHigh == ib.nFileIndexHigh &&
         ia.nFileIndexLow == ib.nFileIndexLow;
}

int IsStoredPresetFile(DriverContext* context, const WCHAR* path) {
  if (!context || !path || !path[0]) return 0;
  const WCHAR* ini = GetUserIniPath(context);
  const WCHAR* section = GetPrinterSectionName(context);
  if (!ini || !ini[0] || !section) return 0;
  WCHAR key[kPresetKeyChars];
  for (int n = 0, count = GetPresetCount(context); n < count; ++n) {
    MakePresetKey(key, n, PRESET_KEY_FILE);
    if (IsListedFile(ini, section, key, path)) return 1;
  }
  for (int n = 0, count = GetQualityCount(context); n < count; ++n) {
    MakeQualityKey(key, n);
    if (IsListedFile(ini, section, key, path)) return 1;
  }
  return 0;
}
