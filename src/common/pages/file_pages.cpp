// The file pages' patterns and name checks, their common file dialog and its hook, and the
// save, load and delete they run.
#include "pages/file_pages.h"

#include <initializer_list>

#include "base/driver_context.h"
#include "base/ini_files.h"
#include "base/message_boxes.h"
#include "base/printer_data.h"
#include "base/system_checks.h"
#include "base/ui_strings.h"
#include "context/page_wiring.h"
#include "field_ids.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "fields/locale_text.h"
#include "modules/change_handling.h"
#include "pages/help_tips.h"
#include "stored/prn_section.h"
#include "stored/settings_load_save.h"
#include "stored/settings_package.h"
#include "stored/snapshot_ring.h"
#include "base/paths_and_names.h"
#include "stored/preset_list.h"
#include "stored/quality_list.h"
#include "win/controls.h"
#include "win/errors.h"
#include "win/files.h"
#include "win/commdlg.h"
#include "win/kernel.h"
#include "win/msgbox.h"
#include "win/resources.h"
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

// ---- the file dialogs ---------------------------------------------------------------------

struct FileDialogBlock {
  OPENFILENAMEW ofn;
  WCHAR file[kFileDialogChars];
  WCHAR folder[kFileDialogChars];
  WCHAR title[kFileDialogChars];
  WCHAR filter[kFileDialogChars];
};

namespace {

constexpr DWORD kContextHelpStyle = 0x400;  // WS_EX_CONTEXTHELP
constexpr DWORD kOpenFlag = 0x100;
constexpr DWORD kSaveFlag = 0x200;
constexpr DWORD kOverlayFileFlag = 0x800;
constexpr DWORD kOverlayRefFlag = 0x1000;
constexpr DWORD kSettingsSaveFlag = 0x2000;
constexpr DWORD kFolderFlag = 0x8000;
constexpr WORD kNameEdit = 1152;      // edt1
constexpr WORD kFolderList = 1121;    // lst2
constexpr WORD kTempButton = 2887;
constexpr WORD kAllPrintersCheck = 2897;
constexpr WORD kSaveButton = 5001;
constexpr WORD kLoadButton = 5002;
constexpr WORD kDeleteButton = 5003;
constexpr DWORD kDialogFlags = 0x64;          // OFN_ENABLETEMPLATE | OFN_ENABLEHOOK | OFN_HIDEREADONLY
constexpr DWORD kSeveralNamesFlags = 0x40264;  // and OFN_ALLOWMULTISELECT | OFN_NOLONGNAMES
constexpr DWORD kTestLoadMode = 0x20004;
constexpr DWORD kPackageSaveMode = 0x10000;
constexpr int kMostPresetsOpened = 15;
constexpr DWORD kNoErrorText = 82;  // ERROR_CANNOT_MAKE

// Messages of the file pages.
constexpr DWORD kMsgBadName = 10024;
constexpr DWORD kMsgOtherExtension = 10025;
constexpr DWORD kMsgReplaceFile = 10026;
constexpr DWORD kMsgNoFileToDelete = 10027;
constexpr DWORD kMsgNoFileToLoad = 10023;
constexpr DWORD kMsgDeleteFile = 10028;
constexpr DWORD kMsgNotUsable = 10043;
constexpr DWORD kMsgTooManyPresets = 10049;
constexpr DWORD kMsgOverlayExtension = 10060;
constexpr DWORD kMsgReadOnlyFile = 374;
constexpr DWORD kMsgPresetFile = 375;

int Length(const WCHAR* s) {
  int n = 0;
  while (s && s[n]) ++n;
  return n;
}

// Copies at most chars - 1 characters; false when the source did not fit.
bool CopyText(WCHAR* out, int chars, const WCHAR* from) {
  int i = 0;
  for (; from && from[i]; ++i) {
    if (i >= chars - 1) {
      out[i] = 0;
      return false;
    }
    out[i] = from[i];
  }
  out[i] = 0;
  return true;
}

bool AppendText(WCHAR* out, int chars, const WCHAR* more) {
  const int at = Length(out);
  return CopyText(out + at, chars - at, more);
}

bool HasWildcard(const WCHAR* s) {
  for (; s && *s; ++s)
    if (*s == u'*' || *s == u'?') return true;
  return false;
}

bool SameTextNoCase(const WCHAR* a, const WCHAR* b) { return lstrcmpiW(a, b) == 0; }

DriverContext* DialogContext(HWND window) { return reinterpret_cast<DriverContext*>(GetWindowLongPtrW(window, DWLP_USER)); }
PageRecord* DialogPage(DriverContext* context) { return context ? FindPageById(context, context->pageId) : nullptr; }
DWORD PageFlags(const PageRecord* page) { return page ? page->flags : 0; }

int Ask(DriverContext* context, HWND window, DWORD id) { return AskWarningOkCancel(context, window, id); }
void Warn(DriverContext* context, HWND window, DWORD id) { ShowWarningBox(context, window, id); }

// The path with its extension replaced by the pattern's (or the pattern's added).
bool ReplaceExtension(WCHAR* path, int chars, const PageRecord* page) {
  const int length = Length(path);
  int dot = -1;
  for (int i = length - 1; i >= 0 && path[i] != u'\\'; --i)
    if (path[i] == u'.') {
      dot = i;
      break;
    }
  if (dot >= 0) path[dot] = 0;
  return AppendText(path, chars, GetFileFilterPattern(page) + 1);
}

void WindowsTemp(WCHAR* out, int chars) {
  out[0] = 0;
  GetWindowsDirectoryW(out, static_cast<UINT>(chars));
  AppendText(out, chars, u"\\temp");
}

// The dialog's current folder from its folder list: the drive root, then each entry to the
// selected one; without its final '\' when it has more than one level.
void CurrentFolder(HWND dialog, WCHAR* out, int chars, bool entryZeroOnly) {
  out[0] = 0;
  HWND list = GetDlgItem(dialog, kFolderList);
  if (!list) return;
  LRESULT selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
  if (selected < 0 || entryZeroOnly) selected = 0;
  WCHAR entry[kFileDialogChars];
  for (LRESULT i = 0; i <= selected; ++i) {
    if (SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0) >= kFileDialogChars) return;
    entry[0] = 0;
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(entry));
    AppendText(out, chars, entry);
    const int n = Length(out);
    if (n == 0 || out[n - 1] != u'\\') AppendText(out, chars, u"\\");
  }
}

// Loads the file into a snapshot of the settings and puts them back; true when it loaded
// without a settings-file error. A snapshot that cannot be taken refuses the file.
bool TestLoad(DriverContext* context, const PageRecord* page, const WCHAR* path) {
  if (!PushSettingsSnapshot(context)) return false;
  WorkArea* work = context->work;
  work->settingsFileStatus = 0;
  LoadSettingsFile(context->hPrinter, path, kTestLoadMode, context);
  if (page && page->pageId == 4001 && work->settingsFileStatus == 0) {
    const WCHAR* display = GetPrinterDisplayName(context);
    const WCHAR* model = GetModelName(context);
    if (display && model && lstrcmpW(display, model) != 0) SaveSettingsFile(context->hPrinter, path, kTestLoadMode, context);
  }
  const bool loaded = work->settingsFileStatus == 0;
  PopSettingsSnapshot(context, 1);
  return loaded;
}

// The dialog goes on with this text as its name (OK).
void FinishWith(HWND dialog, const WCHAR* path) { SetDlgItemTextW(dialog, kNameEdit, path); }

// OK of the dialog; true when the dialog may finish with the name in its edit.
bool OnDialogOk(DriverContext* context, PageRecord* page, HWND dialog) {
  PageEngineState& sheet = context->work->sheet;
  const DWORD flags = PageFlags(page);
  WCHAR text[kFileDialogChars] = {};
  GetDlgItemTextW(dialog, kNameEdit, text, kFileDialogChars);
  WCHAR path[kFileDialogChars] = {};
  // Several names of the open page.
  int blanks = 0;
  for (const WCHAR* c = text; *c; ++c) blanks += *c == u' ';
  if ((flags & kOpenFlag) && blanks > 0) {
    if (GetPresetCount(context) + blanks > kMostPresetsOpened) {
      Warn(context, dialog, kMsgTooManyPresets);
      return false;
    }
    const WCHAR* at = text;
    while (*at) {
      while (*at == u' ') ++at;
      if (!*at) break;
      WCHAR name[kFileDialogChars] = {};
      int n = 0;
      while (at[n] && at[n] != u' ' && n < kFileDialogChars - 1) {
        name[n] = at[n];
        ++n;
      }
      at += n;
      if (!CompleteFileName(dialog, page, name, path, kLongestFilePath + 1)) {
        Warn(context, dialog, kMsgBadName);
        return false;
      }
      if (!TestLoad(context, page, path)) return false;
    }
    sheet.sheetResult = 1;
    return true;
  }
  // The folder chooser.
  if (flags & kFolderFlag) {
    if (lstrcmpW(text, u"*.*") == 0) {
      SetDlgItemTextW(dialog, kNameEdit, u"");
      text[0] = 0;
    }
    if (text[0]) return true;
    WCHAR folder[kFileDialogChars];
    CurrentFolder(dialog, folder, kFileDialogChars, false);
    const int n = Length(folder);
    if (n > 3 && folder[n - 1] == u'\\') folder[n - 1] = 0;
    WCHAR temp[kFileDialogChars];
    WindowsTemp(temp, kFileDialogChars);
    const WCHAR* stored = SameTextNoCase(folder, temp) ? u"" : folder;
    const DWORD bytes = static_cast<DWORD>((Length(stored) + 1) * sizeof(WCHAR));
    if (ReadFieldRawById(context, fid::wdmSpoolDirectoryAll) == 1) {
      WriteDriverRegistryValue(u"SpoolDirectory", stored, bytes);
    } else {
      SetPrinterDataString(context->hPrinter, stored, bytes, u"SpoolDirectory", 0);
    }
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    return false;
  }
  if (HasWildcard(text)) return true;
  if (!text[0] && (flags & kOverlayFileFlag)) {
    Warn(context, dialog, kMsgBadName);
    return false;
  }
  if (!CompleteFileName(dialog, page, text, path, kLongestFilePath + 1)) {
    Warn(context, dialog, kMsgBadName);
    return false;
  }
  const bool exists = FileExists(path);
  const bool ownExtension = HasFilterExtension(page, path);
  if (flags & 0x400) {
    HANDLE file = nullptr;
    if (!OpenBitmapFile(path, &file)) {
      Warn(context, dialog, kMsgNotUsable);
      return false;
    }
    if (file) CloseHandle(file);
  } else if (flags & kOverlayFileFlag) {
    if (!ownExtension) {
      if (Ask(context, dialog, kMsgOverlayExtension) != IDOK) return false;
      if (!ReplaceExtension(path, kLongestFilePath + 1, page)) {
        Warn(context, dialog, kMsgBadName);
        return false;
      }
    }
    if (FileExists(path) && Ask(context, dialog, kMsgReplaceFile) != IDOK) return false;
  } else if (flags & kOverlayRefFlag) {
    if (!exists) {
      Warn(context, dialog, kMsgNotUsable);
      return false;
    }
    if (!ownExtension) {
      Warn(context, dialog, kMsgBadName);
      return false;
    }
  } else if (flags & kSettingsSaveFlag) {
    if (!exists && !ownExtension) {
      if (Ask(context, dialog, kMsgOtherExtension) != IDOK) return false;
      if (!ReplaceExtension(path, kLongestFilePath + 1, page)) {
        Warn(context, dialog, kMsgBadName);
        return false;
      }
    }
    if (FileExists(path) && Ask(context, dialog, kMsgReplaceFile) != IDOK) return false;
    sheet.fileCommand = kSaveButton;
    FinishWith(dialog, path);
    return true;
  } else if ((flags & kSaveFlag) && sheet.fileCommand == 0) {
    // The save button's checks run; they press OK again when they pass.
    sheet.fileCommand = kSaveButton;
    SendMessageW(dialog, WM_COMMAND, kSaveButton, 0);
    return false;
  } else if (sheet.fileCommand != kSaveButton) {
    if (!TestLoad(context, page, path)) return false;
  }
  sheet.sheetResult = 1;
  FinishWith(dialog, path);
  return true;
}

// True when the name's text has no file name part.
bool LacksFileName(const WCHAR* text) {
  const int length = Length(text);
  if (length == 0) return true;
  int i = length - 1;
  while (i >= 0 && text[i] != u'.' && text[i] != u'\\') --i;
  if (i < 0) return false;
  return i == 0 || text[i] == u'\\' || text[i - 1] == u'\\';
}

// The save, load and delete buttons of the settings-file page.
void OnFileButton(DriverContext* context, PageRecord* page, HWND dialog, WORD button) {
  PageEngineState& sheet = context->work->sheet;
  const DWORD flags = PageFlags(page);
  // A refused check leaves no file command behind for a later OK.
  auto refuse = [&](DWORD message) {
    if (message) Warn(context, dialog, message);
    if (flags & kSaveFlag) sheet.fileCommand = 0;
  };
  WCHAR text[kFileDialogChars] = {};
  GetDlgItemTextW(dialog, kNameEdit, text, kFileDialogChars);
  if (HasWildcard(text)) {
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    return;
  }
  if (LacksFileName(text)) {
    refuse(button == kSaveButton ? kMsgBadName : 0);
    return;
  }
  WCHAR path[kFileDialogChars] = {};
  if (!CompleteFileName(dialog, page, text, path, kLongestFilePath + 1)) {
    refuse(kMsgBadName);
    return;
  }
  const bool ownExtension = HasFilterExtension(page, path);
  if (!FileExists(path)) {
    if (button == kDeleteButton) return refuse(kMsgNoFileToDelete);
    if (button == kLoadButton) {
      // The text names the file, as it does when a file of another model is loaded.
      ShowWarningWithText(context, dialog, kMsgNoFileToLoad, path);
      return refuse(0);
    }
    if (!ownExtension) {
      if (Ask(context, dialog, kMsgOtherExtension) != IDOK) return refuse(0);
      if (!ReplaceExtension(path, kLongestFilePath + 1, page)) return refuse(kMsgBadName);
    }
  } else {
    if (!ownExtension) {
      if (Ask(context, dialog, kMsgOtherExtension) != IDOK) return refuse(0);
      if (!ReplaceExtension(path, kLongestFilePath + 1, page)) return refuse(kMsgBadName);
    }
    if (!(flags & kOverlayFileFlag)) {
      if (!IsSettingFileWritable(context, path)) return refuse(kMsgReadOnlyFile);
      if (button == kSaveButton && Ask(context, dialog, kMsgReplaceFile) != IDOK) return refuse(0);
      if (button == kDeleteButton && IsStoredPresetFile(context, path)) return refuse(kMsgPresetFile);
    }
  }
  if (button == kDeleteButton) {
    if (Ask(context, dialog, kMsgDeleteFile) != IDOK) return refuse(0);
    if (flags & kOverlayFileFlag) {
      DeleteFileW(path);
      SetDlgItemTextW(dialog, kNameEdit, GetFileFilterPattern(page));
      PostMessageW(dialog, WM_COMMAND, IDOK, 0);
      return;
    }
  }
  sheet.fileCommand = button;
  FinishWith(dialog, path);
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
}

// Where the page takes its initial file name from: a control's field, wdmOvlPath, or none.
void InitialFileText(DriverContext* context, DWORD flags, WCHAR* out) {
  out[0] = 0;
  if (flags & kColourProfileFlag) {
    GetControlFieldString(context, 2825, out, kFileDialogChars);
  } else if (flags & kBitmapFlag) {
    GetControlFieldString(context, 2341, out, kFileDialogChars);
  } else if (flags & kOverlayRefFlag) {
    GetControlFieldString(context, 2586, out, kFileDialogChars);
  } else if (flags & kOverlayFileFlag) {
    if (SettingField* f = FindFieldById(context, fid::wdmOvlPath)) GetFieldString(context, f, out, kFileDialogChars);
  }
}

void DefaultFolder(WCHAR* out) {
  out[0] = 0;
  if (IsNt6OrLater() && SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, out) == 0 && out[0]) return;
  GetSystemDirectoryW(out, kFileDialogChars);
}

void AddFilter(DriverContext* context, WCHAR* filter, int& at, DWORD textId, const WCHAR* pattern) {
  WCHAR text[kFileDialogChars] = {};
  LoadUiString(context, textId, text, kFileDialogChars, 1);
  for (const WCHAR* part : {static_cast<const WCHAR*>(text), pattern}) {
    for (int i = 0; part[i] && at < kFileDialogChars - 2; ++i) filter[at++] = part[i];
    filter[at++] = 0;
  }
  filter[at] = 0;
}

}  // namespace

FileDialogBlock* NewFileDialogBlock() {
  auto* block = static_cast<FileDialogBlock*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(FileDialogBlock)));
  return block;
}

void FreeFileDialogBlock(FileDialogBlock* block) {
  if (block) HeapFree(GetProcessHeap(), 0, block);
}

OPENFILENAMEW* FileDialogRecord(FileDialogBlock* block) { return block ? &block->ofn : nullptr; }

const WCHAR* GetLastFileName(DriverContext* context) {
  return context && context->work ? context->work->sheet.lastFileName : nullptr;
}

void SetLastFileNameOffset(DriverContext* context, WORD offset) {
  if (context && context->work) context->work->sheet.lastFileNameOffset = offset;
}

bool CompleteFileName(HWND dialog, const PageRecord* page, const WCHAR* typed, WCHAR* out, int outChars) {
  if (!out || outChars <= 0) return false;
  out[0] = 0;
  if (!typed) return true;
  if (HasWildcard(typed)) return CopyText(out, outChars, typed);
  WCHAR prefix[kFileDialogChars] = {};
  const bool relative = typed[0] != u'\\' && !(typed[0] && typed[1] == u':');
  if (relative) {
    CurrentFolder(dialog, prefix, kFileDialogChars, false);
  } else if (typed[0] == u'\\' && typed[1] != u'\\' && page && page->pageId == 4009) {
    CurrentFolder(dialog, prefix, kFileDialogChars, true);
    const int n = Length(prefix);
    if (n > 0 && prefix[n - 1] == u'\\') prefix[n - 1] = 0;
  }
  if (!CopyText(out, outChars, prefix) || !AppendText(out, outChars, typed)) return false;
  int i = Length(out) - 1;
  while (i >= 0 && out[i] != u'.' && out[i] != u'\\') --i;
  if (i < 0 || out[i] == u'\\') return AppendText(out, outChars, GetFileFilterPattern(page) + 1);
  return true;
}

void PrepareFileDialog(DriverContext* context, PageRecord* page, FileDialogBlock* block) {
  if (!context || !page || !block) return;
  OPENFILENAMEW& ofn = block->ofn;
  const DWORD flags = page->flags;
  ofn.lStructSize = sizeof(OPENFILENAMEW);
  ofn.hInstance = GetUiResourceModule(context);
  ofn.lpTemplateName = MAKEINTRESOURCEW(page->pageId);
  ofn.Flags = (flags & kOpenFlag) ? kSeveralNamesFlags : kDialogFlags;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = block->file;
  ofn.nMaxFile = kFileDialogChars;
  ofn.lpstrInitialDir = block->folder;
  ofn.lpstrFilter = block->filter;
  ofn.lCustData = reinterpret_cast<LPARAM>(context);
  // PENDING: the colour-profile module's own file-dialog hook replaces this one for the
  // colour-profile page.
  ofn.lpfnHook = &FileDialogHookProc;
  const WCHAR* pattern = GetFileFilterPattern(page);
  ofn.lpstrDefExt = pattern + 2;
  // 1. Title and filter.
  struct TitleRow {
    DWORD flag;
    DWORD title;
    DWORD filterText;
  };
  constexpr TitleRow kTitles[] = {{kOpenFlag, 5002, 376},        {kSaveFlag, 5003, 376},
                                  {kColourProfileFlag, 917, 918}, {kBitmapFlag, 5004, 377},
                                  {kOverlayFileFlag, 5008, 433},  {kOverlayRefFlag, 5009, 433},
                                  {kSettingsSaveFlag, 5010, 376}, {kFolderFlag, 0, 0}};
  DWORD titleId = 0, filterText = 0;
  for (const TitleRow& r : kTitles)
    if (flags & r.flag) {
      titleId = r.title;
      filterText = r.filterText;
      break;
    }
  if (titleId) {
    LoadUiString(context, titleId, block->title, kFileDialogChars, 1);
    ofn.lpstrTitle = block->title;
  }
  int at = 0;
  if (flags & kColourProfileFlag) {
    AddFilter(context, block->filter, at, 918, u"*.kcm");
    AddFilter(context, block->filter, at, 920, u"*.*");
  } else if (filterText) {
    AddFilter(context, block->filter, at, filterText, pattern);
  }
  // 2. The initial name.
  WCHAR initial[kFileDialogChars];
  InitialFileText(context, flags, initial);
  const bool fromField = initial[0] != 0;
  CopyText(block->file, kFileDialogChars, fromField ? initial : pattern);
  // 3. The initial folder.
  bool folderSet = false;
  if (fromField && ((flags & kOverlayFileFlag) || FileExists(initial))) {
    FolderOf(initial, block->folder, kFileDialogChars);
    folderSet = block->folder[0] != 0;
  } else if (!fromField) {
    folderSet = ReadRememberedFolder(context, page, block->folder, kFileDialogChars);
  }
  if (!folderSet) DefaultFolder(block->folder);
  // 4. The spool folder chooser.
  if (flags & kFolderFlag) {
    WriteFieldRawById(context, fid::wdmSpoolDirectoryAll, 0);
    WCHAR folder[kFileDialogChars] = {};
    if (!ReadDriverRegistryValue(u"SpoolDirectory", folder, sizeof folder - sizeof(WCHAR))) {
      folder[0] = 0;
      WriteDriverRegistryValue(u"SpoolDirectory", u"", sizeof(WCHAR));
    }
    if (folder[0]) {
      WriteFieldRawById(context, fid::wdmSpoolDirectoryAll, 1);
    } else if (!GetPrinterDataValue(context->hPrinter, folder, sizeof folder - sizeof(WCHAR), u"SpoolDirectory", 0)) {
      folder[0] = 0;
      SetPrinterDataString(context->hPrinter, u"", sizeof(WCHAR), u"SpoolDirectory", 0);
    }
    folder[kFileDialogChars - 1] = 0;
    if (!folder[0]) WindowsTemp(folder, kFileDialogChars);
    const DWORD attributes = GetFileAttributesW(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
      GetWindowsDirectoryW(folder, kFileDialogChars);
    CopyText(block->folder, kFileDialogChars, folder);
    block->file[0] = 0;
    ofn.lpstrDefExt = nullptr;
    ofn.lpstrCustomFilter = nullptr;
    ofn.nFilterIndex = 0;
  }
}

BOOL RunFileDialog(DriverContext* context, PageRecord* page, FileDialogBlock* block, WCHAR* file) {
  if (!context || !page || !block) return FALSE;
  const DWORD flags = page->flags;
  const bool save = (flags & (kSaveFlag | kSettingsSaveFlag)) != 0;
  const BOOL result = save ? GetSaveFileNameW(&block->ofn) : GetOpenFileNameW(&block->ofn);
  const DWORD error = CommDlgExtendedError();
  if (!result) {
    if (error) ClearFollowUpGuard(context, 0, 0, nullptr, 1);
    return result;
  }
  const WCHAR* chosen = file ? file : block->file;
  if (flags & kColourProfileFlag) {
    SetControlFieldString(context, 2825, chosen);
  } else if (flags & kBitmapFlag) {
    SetControlFieldString(context, 2341, chosen);
  } else if (flags & kOverlayRefFlag) {
    SetControlFieldString(context, 2586, chosen);
  } else if (flags & kOverlayFileFlag) {
    if (SettingField* f = FindFieldById(context, fid::wdmOvlPath)) SetFieldString(context, f, chosen);
  }
  if (flags & kFolderFlag) return result;
  RememberFileFolder(context, page, chosen);
  CopyText(context->work->sheet.lastFileName, kFileDialogChars, chosen);
  SetLastFileNameOffset(context, block->ofn.nFileOffset);
  return result;
}

UINT_PTR FileDialogHookProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    const auto* ofn = reinterpret_cast<const OPENFILENAMEW*>(lParam);
    auto* context = ofn ? reinterpret_cast<DriverContext*>(ofn->lCustData) : nullptr;
    SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(context));
    if (IsNt6OrLater())
      SetWindowLongPtrW(window, GWL_EXSTYLE, GetWindowLongPtrW(window, GWL_EXSTYLE) & ~static_cast<LONG_PTR>(kContextHelpStyle));
    if (context) {
      RestoreHostClassWindowProcs(context, window);
      const PageRecord* page = DialogPage(context);
      if (page && page->pageId == 4015)
        CheckDlgButton(window, kAllPrintersCheck,
                       ReadFieldRawById(context, fid::wdmSpoolDirectoryAll) == 1 ? BST_CHECKED : BST_UNCHECKED);
    }
    return TRUE;
  }
  if (message == WM_HELP || message == WM_CONTEXTMENU) return TRUE;
  if (message != WM_COMMAND) return FALSE;
  DriverContext* context = DialogContext(window);
  if (!context || !context->work) return FALSE;
  PageRecord* page = DialogPage(context);
  const WORD id = LOWORD(static_cast<DWORD>(wParam));
  const WORD code = HIWORD(static_cast<DWORD>(wParam));
  switch (id) {
    case IDOK:
      ClearFollowUpGuard(context, WM_COMMAND, IDOK, nullptr, 0);
      return OnDialogOk(context, page, window) ? FALSE : TRUE;
    case IDCANCEL:
      ClearFollowUpGuard(context, WM_COMMAND, IDCANCEL, nullptr, 0);
      context->work->sheet.sheetResult = 0;
      return FALSE;
    case 1136:
      if (code == CBN_SELCHANGE) {
        SetDlgItemTextW(window, kNameEdit, GetFileFilterPattern(page));
        PostMessageW(window, WM_COMMAND, IDOK, 0);
      }
      return FALSE;
    case kTempButton: {
      WCHAR temp[kFileDialogChars];
      WindowsTemp(temp, kFileDialogChars);
      const DWORD attributes = GetFileAttributesW(temp);
      if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        GetWindowsDirectoryW(temp, kFileDialogChars);
      SetDlgItemTextW(window, kNameEdit, temp);
      context->work->sheet.sheetResult = 0;
      PostMessageW(window, WM_COMMAND, IDOK, 0);
      return TRUE;
    }
    case kAllPrintersCheck:
      WriteFieldRawById(context, fid::wdmSpoolDirectoryAll, IsDlgButtonChecked(window, kAllPrintersCheck) == BST_CHECKED ? 1 : 0);
      return FALSE;
    case kSaveButton:
    case kLoadButton:
    case kDeleteButton:
      OnFileButton(context, page, window, id);
      return TRUE;
    default: return FALSE;
  }
}

int RunFilePage(DriverContext* context, PageRecord* page, HWND parent) {
  if (!context || !context->work || !page) return 0;
  PageEngineState& sheet = context->work->sheet;
  FileDialogBlock* block = NewFileDialogBlock();
  if (!block) return 0;
  sheet.fileCommand = 0;
  sheet.sheetResult = 0;
  PrepareFileDialog(context, page, block);
  block->ofn.hwndOwner = parent;
  const BOOL chosen = RunFileDialog(context, page, block, block->file);
  const WCHAR* path = block->file;
  HANDLE printer = context->hPrinter;
  if (chosen && !(page->flags & kFolderFlag)) {
    switch (sheet.fileCommand) {
      case kSaveButton: {
        WCHAR package[MAX_PATH] = {};
        const int made = MakePackageFileName(path, package, context);
        if (made) {
          SaveSettingsFile(printer, package, kPackageSaveMode, context);
          if (!ExportSettingsPackage(path, package, context)) RemoveDirectoryTree(package);
        } else if (package[0]) {
          RemoveDirectoryTree(package);
        }
        SetLastError(0);
        const int saved = SaveSettingsFile(printer, path, 0, context);
        const DWORD error = GetLastError();
        ClearDirtyOptions(context);
        if (saved) {
          SaveRsdSection(printer, path, 0, context);
          ClearDirtyOptions(context);
        } else if (page->pageId == 4009) {
          // The cause of this save's failure, not a status word that may read "success".
          ShowSystemErrorText(context, error ? error : kNoErrorText, parent);
        }
        break;
      }
      case kLoadButton:
        LoadSettingsFile(printer, path, 0, context);
        ReinitWatermarkChoice(context);
        ReinitDuplexChoices(context, page);
        ReinitSourceTrayChoices(context);
        ReinitPresetNameControls(context, page);
        ReinitOutputChoices(context);
        ReinitPaperSizeChoices(context);
        break;
      case kDeleteButton:
        if (DeleteFileW(path)) DeletePackage(path, context);
        break;
      default: break;
    }
  }
  const int result = sheet.sheetResult;
  FreeFileDialogBlock(block);
  return result;
}
