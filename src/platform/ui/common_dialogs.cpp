// The old-style open and save dialogs: the dialog (the caller's template or a built-in
// one), the folder and file lists, the caller's hook, the checks of the chosen name, and
// the scripted answers.
#include <algorithm>
#include <cstring>
#include <deque>
#include <mutex>

#include "file_dialogs_internal.h"
#include "plat/ui_driver.h"
#include "plat/wstr.h"
#include "ui_internal.h"
#include "win/commdlg.h"
#include "win/errors.h"
#include "win/files.h"
#include "win/msgbox.h"
#include "win/resources.h"

namespace plat::ui {
namespace {

struct Answer {
  bool cancel;
  std::u16string path;
  std::vector<std::u16string> names;  // several names chosen in the dialog's folder
};

struct Dialogs {
  std::mutex lock;
  std::deque<Answer> answers;
  std::vector<FileDialogRecord> records;
};

Dialogs& dialogs() {
  static Dialogs* d = new Dialogs;
  return *d;
}

thread_local DWORD lastError = 0;

std::vector<std::pair<std::u16string, std::u16string>> FilterPairs(LPCWSTR filter) {
  std::vector<std::pair<std::u16string, std::u16string>> out;
  for (const WCHAR* p = filter; p && *p;) {
    std::u16string desc(p);
    p += desc.size() + 1;
    if (!*p) break;
    std::u16string pat(p);
    p += pat.size() + 1;
    out.emplace_back(desc, pat);
  }
  return out;
}

bool IsFolder(const std::u16string& path) {
  const DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(const std::u16string& path) {
  const DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::u16string Join(const std::u16string& folder, const std::u16string& name) { return JoinPath(folder, name); }
bool IsAbsolute(const std::u16string& s) { return IsAbsolutePath(s); }

// Fills the folder list (the drive root, then each folder down to the current one, the
// current one selected) and the file list (the files of the folder that match the pattern).
void FillLists(HWND dlg, FileDialog& d) {
  if (HWND folders = GetDlgItem(dlg, lst2)) {
    SendMessageW(folders, LB_RESETCONTENT, 0, 0);
    std::u16string f = d.folder;
    std::vector<std::u16string> parts;
    std::size_t start = 0;
    while (start <= f.size()) {
      std::size_t q = f.find(u'\\', start);
      if (q == std::u16string::npos) q = f.size();
      if (q > start) parts.push_back(f.substr(start, q - start));
      start = q + 1;
    }
    for (std::size_t i = 0; i < parts.size(); ++i) {
      std::u16string entry = i == 0 ? parts[0] + u"\\" : parts[i];
      SendMessageW(folders, LB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(entry.c_str()));
    }
    SendMessageW(folders, LB_SETCURSEL, parts.empty() ? 0 : parts.size() - 1, 0);
  }
  if (HWND files = GetDlgItem(dlg, lst1)) {
    SendMessageW(files, LB_RESETCONTENT, 0, 0);
    std::u16string pattern = d.pattern.empty() ? std::u16string(u"*.*") : d.pattern;
    // Several patterns are separated by ';'.
    std::size_t start = 0;
    while (start <= pattern.size()) {
      std::size_t q = pattern.find(u';', start);
      if (q == std::u16string::npos) q = pattern.size();
      const std::u16string one = pattern.substr(start, q - start);
      start = q + 1;
      WIN32_FIND_DATAW fd;
      HANDLE h = FindFirstFileW(Join(d.folder, one).c_str(), &fd);
      if (h == INVALID_HANDLE_VALUE) continue;
      do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
          SendMessageW(files, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(fd.cFileName));
      } while (FindNextFileW(h, &fd));
      FindClose(h);
    }
  }
}

// The names of the edit: quoted names each on its own; several names of an old-style dialog
// that allows them separated by blanks; otherwise the whole text is one name.
std::vector<std::u16string> SplitNames(const std::u16string& text, bool multi, bool explorer) {
  std::vector<std::u16string> out;
  if (text.find(u'"') != std::u16string::npos) {
    std::size_t i = 0;
    while (i < text.size()) {
      if (text[i] == u' ') {
        ++i;
      } else if (text[i] == u'"') {
        const std::size_t close = text.find(u'"', i + 1);
        const std::size_t stop = close == std::u16string::npos ? text.size() : close;
        if (stop > i + 1) out.push_back(text.substr(i + 1, stop - i - 1));
        i = stop + 1;
      } else {
        std::size_t stop = text.find_first_of(u" \"", i);
        if (stop == std::u16string::npos) stop = text.size();
        out.push_back(text.substr(i, stop - i));
        i = stop;
      }
    }
    return out;
  }
  if (multi && !explorer) {
    std::size_t i = 0;
    while (i < text.size()) {
      const std::size_t stop = std::min(text.find(u' ', i), text.size());
      if (stop > i) out.push_back(text.substr(i, stop - i));
      i = stop + 1;
    }
    return out;
  }
  out.push_back(text);
  return out;
}

// A typed name with the default extension when it has none.
std::u16string WithDefaultExtension(const FileDialog& d, std::u16string path) {
  const std::size_t slash = path.rfind(u'\\');
  const std::size_t dot = path.rfind(u'.');
  if ((dot == std::u16string::npos || (slash != std::u16string::npos && dot < slash)) && !d.defExt.empty())
    path += u"." + d.defExt;
  return path;
}

// The dialog ends with OK, unless the Explorer-style hook keeps it open.
bool Finish(HWND dlg, FileDialog& d) {
  if (d.child && TellExplorerChild(dlg, d, CDN_FILEOK)) return false;
  EndDialog(dlg, IDOK);
  return true;
}

// Several names chosen in the current folder: each is checked, then the list goes back as
// the folder and the names (Explorer style: NUL-separated with a final NUL; old style:
// blank-separated).
bool AcceptSeveral(HWND dlg, FileDialog& d, const std::vector<std::u16string>& typed) {
  OPENFILENAMEW& ofn = *d.ofn;
  std::vector<std::u16string> names;
  for (const auto& t : typed) {
    if (t.find_first_of(u"*?\\:") != std::u16string::npos) {
      MessageBoxW(dlg, (t + u"\r\nThe file name is not valid.").c_str(), ofn.lpstrTitle, MB_ICONWARNING | MB_OK);
      return false;
    }
    const std::u16string name = WithDefaultExtension(d, t);
    if ((ofn.Flags & OFN_FILEMUSTEXIST) && !IsFile(Join(d.folder, name))) {
      MessageBoxW(dlg, (Join(d.folder, name) + u"\r\nFile not found.").c_str(), ofn.lpstrTitle, MB_ICONWARNING | MB_OK);
      return false;
    }
    names.push_back(name);
  }
  const bool explorer = IsExplorerDialog(ofn);
  std::u16string list = d.folder;
  for (const auto& n : names) list += (explorer ? std::u16string(1, u'\0') : std::u16string(u" ")) + n;
  list.push_back(u'\0');  // Explorer style: the list's own NUL; old style: the text's
  if (!ofn.lpstrFile || list.size() + 1 > ofn.nMaxFile) {
    if (ofn.lpstrFile && ofn.nMaxFile >= 1) ofn.lpstrFile[0] = static_cast<WCHAR>(std::min<std::size_t>(list.size() + 1, 0xFFFF));
    lastError = FNERR_BUFFERTOOSMALL;
    EndDialog(dlg, IDABORT);
    return true;
  }
  std::memcpy(ofn.lpstrFile, list.data(), list.size() * sizeof(WCHAR));
  ofn.lpstrFile[list.size()] = 0;
  ofn.nFileOffset = static_cast<WORD>(d.folder.size() + 1);
  ofn.nFileExtension = 0;
  return Finish(dlg, d);
}

// OK: the name of the edit chosen, a filter applied or a folder entered. Answers true when
// the dialog ended.
bool Accept(HWND dlg, FileDialog& d) {
  WCHAR text[1025] = {};
  GetDlgItemTextW(dlg, edt1, text, 1025);
  std::u16string name(text);
  while (!name.empty() && name.back() == u' ') name.pop_back();
  if (name.empty()) return false;
  OPENFILENAMEW& ofn = *d.ofn;
  const auto names = SplitNames(name, (ofn.Flags & OFN_ALLOWMULTISELECT) != 0, IsExplorerDialog(ofn));
  if (names.empty()) return false;
  if (names.size() > 1) {
    if (!(ofn.Flags & OFN_ALLOWMULTISELECT)) {
      MessageBoxW(dlg, (name + u"\r\nThe file name is not valid.").c_str(), ofn.lpstrTitle, MB_ICONWARNING | MB_OK);
      return false;
    }
    return AcceptSeveral(dlg, d, names);
  }
  name = names.front();
  if (name.find_first_of(u"*?") != std::u16string::npos) {
    d.pattern = name;
    FillLists(dlg, d);
    return false;
  }
  std::u16string path = IsAbsolute(name) ? (name[0] == u'\\' ? d.folder.substr(0, 2) + name : name) : Join(d.folder, name);
  if (IsFolder(path)) {
    d.folder = path;
    while (d.folder.size() > 3 && d.folder.back() == u'\\') d.folder.pop_back();
    SetDlgItemTextW(dlg, edt1, d.pattern.c_str());
    FillLists(dlg, d);
    if (d.child) TellExplorerChild(dlg, d, CDN_FOLDERCHANGE);
    return false;
  }
  path = WithDefaultExtension(d, path);
  const std::size_t slash = path.rfind(u'\\');
  const std::u16string folder = slash == std::u16string::npos ? d.folder : path.substr(0, std::max<std::size_t>(slash, 2));
  const std::u16string folderCheck = slash == 2 ? path.substr(0, 3) : folder;
  HWND owner = dlg;
  if ((ofn.Flags & (OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST)) && !IsFolder(folderCheck)) {
    MessageBoxW(owner, (path + u"\r\nThe path does not exist.").c_str(), ofn.lpstrTitle, MB_ICONWARNING | MB_OK);
    return false;
  }
  if ((ofn.Flags & OFN_FILEMUSTEXIST) && !IsFile(path)) {
    MessageBoxW(owner, (path + u"\r\nFile not found.").c_str(), ofn.lpstrTitle, MB_ICONWARNING | MB_OK);
    return false;
  }
  if (d.save && (ofn.Flags & OFN_OVERWRITEPROMPT) && IsFile(path)) {
    if (MessageBoxW(owner, (path + u" already exists.\r\nDo you want to replace it?").c_str(), ofn.lpstrTitle,
                    MB_ICONWARNING | MB_YESNO) != IDYES)
      return false;
  }
  if (!ofn.lpstrFile || path.size() + 1 > ofn.nMaxFile) {
    if (ofn.lpstrFile && ofn.nMaxFile >= 1) ofn.lpstrFile[0] = static_cast<WCHAR>(std::min<std::size_t>(path.size() + 1, 0xFFFF));
    lastError = FNERR_BUFFERTOOSMALL;
    EndDialog(dlg, IDABORT);
    return true;
  }
  std::memcpy(ofn.lpstrFile, path.c_str(), (path.size() + 1) * sizeof(WCHAR));
  const std::size_t nameAt = path.rfind(u'\\') == std::u16string::npos ? 0 : path.rfind(u'\\') + 1;
  ofn.nFileOffset = static_cast<WORD>(nameAt);
  const std::size_t ext = path.rfind(u'.');
  ofn.nFileExtension = static_cast<WORD>(ext != std::u16string::npos && ext >= nameAt ? ext + 1 : path.size());
  if (ofn.lpstrFileTitle && ofn.nMaxFileTitle) {
    const std::u16string title = path.substr(nameAt);
    const std::size_t n = std::min<std::size_t>(title.size(), ofn.nMaxFileTitle - 1);
    std::memcpy(ofn.lpstrFileTitle, title.data(), n * sizeof(WCHAR));
    ofn.lpstrFileTitle[n] = 0;
  }
  if (ofn.Flags & OFN_ALLOWMULTISELECT) {
    // One chosen file: the path as it is, then the double NUL of the list form.
    if (path.size() + 2 <= ofn.nMaxFile) ofn.lpstrFile[path.size() + 1] = 0;
  }
  return Finish(dlg, d);
}

INT_PTR FileDialogProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* d = reinterpret_cast<FileDialog*>(GetPropW(dlg, u"KovaFileDialog"));
  if (msg == WM_INITDIALOG) {
    d = reinterpret_cast<FileDialog*>(lParam);
    SetPropW(dlg, u"KovaFileDialog", d);
  }
  if (!d) return FALSE;
  OPENFILENAMEW& ofn = *d->ofn;
  // The old style's hook sees the dialog's messages; the Explorer style's is its child.
  const bool hooked = (ofn.Flags & OFN_ENABLEHOOK) && ofn.lpfnHook && !IsExplorerDialog(ofn);
  if (msg == WM_INITDIALOG) {
    if (ofn.lpstrTitle) SetWindowTextW(dlg, ofn.lpstrTitle);
    const auto pairs = FilterPairs(ofn.lpstrFilter);
    if (HWND types = GetDlgItem(dlg, cmb1)) {
      for (const auto& [desc, pat] : pairs)
        SendMessageW(types, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(desc.c_str()));
      SendMessageW(types, CB_SETCURSEL, ofn.nFilterIndex ? ofn.nFilterIndex - 1 : 0, 0);
    }
    const std::size_t index = ofn.nFilterIndex ? ofn.nFilterIndex - 1 : 0;
    d->pattern = index < pairs.size() ? pairs[index].second : std::u16string(u"*.*");
    const std::u16string initial = ofn.lpstrFile ? std::u16string(ofn.lpstrFile) : std::u16string();
    SetDlgItemTextW(dlg, edt1, initial.empty() ? d->pattern.c_str() : initial.c_str());
    FillLists(dlg, *d);
    if (HWND ro = GetDlgItem(dlg, chx1)) {
      if (ofn.Flags & OFN_HIDEREADONLY) ShowWindow(ro, SW_HIDE);
      SendMessageW(ro, BM_SETCHECK, (ofn.Flags & OFN_READONLY) ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    if (HWND help = GetDlgItem(dlg, pshHelp); help && !(ofn.Flags & OFN_SHOWHELP)) ShowWindow(help, SW_HIDE);
    // The hook sees WM_INITDIALOG with the record.
    if (hooked) return ofn.lpfnHook(dlg, msg, wParam, reinterpret_cast<LPARAM>(&ofn)) ? TRUE : FALSE;
    return TRUE;
  }
  // Every other message goes to the hook first; a nonzero answer means it was handled.
  if (hooked && ofn.lpfnHook(dlg, msg, wParam, lParam)) return TRUE;
  if (!IsWindow(dlg)) return TRUE;
  if (LRESULT answer = 0; IsExplorerDialog(ofn) && AnswerExplorerMessage(dlg, *d, msg, wParam, lParam, &answer)) {
    SetWindowLongPtrW(dlg, DWLP_MSGRESULT, answer);
    return TRUE;
  }
  switch (msg) {
    case WM_COMMAND: {
      const WORD id = LOWORD(static_cast<DWORD_PTR>(wParam));
      const WORD code = HIWORD(static_cast<DWORD_PTR>(wParam));
      if (id == IDOK) {
        Accept(dlg, *d);
        return TRUE;
      }
      if (id == IDCANCEL) {
        EndDialog(dlg, IDCANCEL);
        return TRUE;
      }
      if (id == cmb1 && code == CBN_SELCHANGE) {
        const auto pairs = FilterPairs(ofn.lpstrFilter);
        const auto sel = static_cast<std::size_t>(SendDlgItemMessageW(dlg, cmb1, CB_GETCURSEL, 0, 0));
        if (sel < pairs.size()) {
          d->pattern = pairs[sel].second;
          ofn.nFilterIndex = static_cast<DWORD>(sel + 1);
          FillLists(dlg, *d);
          if (d->child) TellExplorerChild(dlg, *d, CDN_TYPECHANGE);
        }
        return TRUE;
      }
      if (id == lst1 && code == LBN_SELCHANGE) {
        WCHAR name[MAX_PATH] = {};
        const LRESULT sel = SendDlgItemMessageW(dlg, lst1, LB_GETCURSEL, 0, 0);
        if (sel >= 0 && SendDlgItemMessageW(dlg, lst1, LB_GETTEXTLEN, sel, 0) < MAX_PATH) {
          SendDlgItemMessageW(dlg, lst1, LB_GETTEXT, sel, reinterpret_cast<LPARAM>(name));
          SetDlgItemTextW(dlg, edt1, name);
          if (d->child) TellExplorerChild(dlg, *d, CDN_SELCHANGE);
        }
        return TRUE;
      }
      return FALSE;
    }
    default: return FALSE;
  }
}

// The built-in old-style dialog: name edit, file and folder lists, type and drive combos,
// read-only box, OK, Cancel and Help.
HWND BuiltInDialog(HWND owner, FileDialog* d) {
  HWND dlg = CreateWindowExW(0, u"#32770", d->save ? u"Save As" : u"Open", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0,
                             560, 300, owner, nullptr, nullptr, nullptr);
  if (!dlg) return nullptr;
  MakeDialog(dlg, &FileDialogProc);
  struct Item {
    LPCWSTR cls;
    int id;
    DWORD style;
    RECT r;
    LPCWSTR text;
  };
  const Item items[] = {
      {u"Edit", edt1, WS_TABSTOP | ES_AUTOHSCROLL, {12, 24, 200, 44}, u""},
      {u"ListBox", lst1, WS_TABSTOP | LBS_SORT | LBS_NOTIFY, {12, 48, 200, 200}, u""},
      {u"ListBox", lst2, WS_TABSTOP | LBS_NOTIFY, {220, 48, 420, 200}, u""},
      {u"ComboBox", cmb1, WS_TABSTOP | CBS_DROPDOWNLIST, {12, 220, 200, 300}, u""},
      {u"ComboBox", cmb2, WS_TABSTOP | CBS_DROPDOWNLIST, {220, 220, 420, 300}, u""},
      {u"Button", IDOK, WS_TABSTOP | BS_DEFPUSHBUTTON, {440, 24, 540, 48}, u"OK"},
      {u"Button", IDCANCEL, WS_TABSTOP, {440, 56, 540, 80}, u"Cancel"},
      {u"Button", pshHelp, WS_TABSTOP, {440, 88, 540, 112}, u"&Help"},
      {u"Button", chx1, WS_TABSTOP | BS_AUTOCHECKBOX, {440, 120, 540, 144}, u"&Read only"},
  };
  for (const Item& it : items)
    CreateWindowExW(WS_EX_NOPARENTNOTIFY, it.cls, it.text, WS_CHILD | WS_VISIBLE | it.style, it.r.left, it.r.top,
                    it.r.right - it.r.left, it.r.bottom - it.r.top, dlg,
                    reinterpret_cast<HMENU>(static_cast<ULONG_PTR>(it.id)), nullptr, nullptr);
  if (HWND drives = GetDlgItem(dlg, cmb2)) {
    SendMessageW(drives, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"c:"));
    SendMessageW(drives, CB_SETCURSEL, 0, 0);
  }
  if (SendMessageW(dlg, WM_INITDIALOG, reinterpret_cast<WPARAM>(GetDlgItem(dlg, edt1)), reinterpret_cast<LPARAM>(d)))
    SetFocus(GetDlgItem(dlg, edt1));
  return IsWindow(dlg) ? dlg : nullptr;
}

BOOL RunFileDialog(OPENFILENAMEW* ofn, bool save) {
  lastError = 0;
  if (!ofn) {
    lastError = CDERR_INITIALIZATION;
    return FALSE;
  }
  if (ofn->lStructSize != sizeof(OPENFILENAMEW)) {
    lastError = CDERR_STRUCTSIZE;
    return FALSE;
  }
  if ((ofn->Flags & OFN_ENABLEHOOK) && !ofn->lpfnHook) {
    lastError = CDERR_NOHOOK;
    return FALSE;
  }
  FileDialogRecord record{save,
                          ofn->lpstrTitle ? ofn->lpstrTitle : u"",
                          ofn->lpstrInitialDir ? ofn->lpstrInitialDir : u"",
                          {},
                          ofn->Flags,
                          false};
  for (const auto& [desc, pat] : FilterPairs(ofn->lpstrFilter)) record.filter += desc + u"|" + pat + u"|";
  FileDialog d{ofn, save, {}, {}, nullptr, ofn->lpstrDefExt ? std::u16string(ofn->lpstrDefExt) : std::u16string()};
  const bool explorer = IsExplorerDialog(*ofn);
  d.folder = ofn->lpstrInitialDir && *ofn->lpstrInitialDir ? std::u16string(ofn->lpstrInitialDir) : u"C:\\";
  while (d.folder.size() > 3 && d.folder.back() == u'\\') d.folder.pop_back();
  HWND owner = ofn->hwndOwner ? GetAncestor(ofn->hwndOwner, GA_ROOT) : nullptr;
  HWND dlg = nullptr;
  if (ofn->Flags & OFN_ENABLETEMPLATE) {
    if (!ofn->hInstance) {
      lastError = CDERR_NOHINSTANCE;
      return FALSE;
    }
    if (!ofn->lpTemplateName || !FindResourceW(ofn->hInstance, ofn->lpTemplateName, RT_DIALOG)) {
      lastError = CDERR_FINDRESFAILURE;
      return FALSE;
    }
  }
  if ((ofn->Flags & OFN_ENABLETEMPLATE) && !explorer)
    dlg = CreateDialogParamW(ofn->hInstance, ofn->lpTemplateName, owner, &FileDialogProc, reinterpret_cast<LPARAM>(&d));
  else
    dlg = BuiltInDialog(owner, &d);
  if (!dlg) {
    lastError = CDERR_DIALOGFAILURE;
    return FALSE;
  }
  if (explorer) {
    // The caller's template and hook as the dialog's child, told when it is ready.
    DWORD error = 0;
    if (!CreateExplorerChild(dlg, d, &error)) {
      DestroyWindow(dlg);
      lastError = error;
      return FALSE;
    }
    if (d.child) {
      TellExplorerChild(dlg, d, CDN_INITDONE);
      TellExplorerChild(dlg, d, CDN_FOLDERCHANGE);
    }
  }
  // The scripted choice: the name typed into the edit and OK pressed, or Cancel.
  {
    auto& all = dialogs();
    std::lock_guard<std::mutex> g(all.lock);
    if (!all.answers.empty()) {
      Answer a = all.answers.front();
      all.answers.pop_front();
      record.answered = true;
      PushFrontStep([dlg, a, explorer] {
        if (!IsWindow(dlg)) return;
        if (a.cancel) {
          ClickId(dlg, IDCANCEL);
          return;
        }
        // Several names are typed as the style shows them: quoted, or separated by blanks.
        std::u16string typed = a.path;
        for (const auto& n : a.names) {
          if (!typed.empty()) typed += u" ";
          typed += explorer ? u"\"" + n + u"\"" : n;
        }
        if (HWND edit = GetDlgItem(dlg, edt1)) ReplaceText(edit, typed);
        ClickId(dlg, IDOK);
      });
    }
    all.records.push_back(record);
  }
  const INT_PTR result = RunDialogBox(dlg, owner);
  return result == IDOK ? TRUE : FALSE;
}

}  // namespace

void QueueFileDialogPath(std::u16string path) {
  auto& d = dialogs();
  std::lock_guard<std::mutex> g(d.lock);
  d.answers.push_back(Answer{false, std::move(path), {}});
}

void QueueFileDialogNames(std::vector<std::u16string> names) {
  auto& d = dialogs();
  std::lock_guard<std::mutex> g(d.lock);
  d.answers.push_back(Answer{false, {}, std::move(names)});
}

void QueueFileDialogCancel() {
  auto& d = dialogs();
  std::lock_guard<std::mutex> g(d.lock);
  d.answers.push_back(Answer{true, {}, {}});
}

const std::vector<FileDialogRecord>& FileDialogs() { return dialogs().records; }

void ResetCommonDialogs() {
  auto& d = dialogs();
  std::lock_guard<std::mutex> g(d.lock);
  d.answers.clear();
  d.records.clear();
  lastError = 0;
}

}  // namespace plat::ui

using namespace plat::ui;

extern "C" {

BOOL WINAPI GetOpenFileNameW(LPOPENFILENAMEW ofn) { return RunFileDialog(ofn, false); }
BOOL WINAPI GetSaveFileNameW(LPOPENFILENAMEW ofn) { return RunFileDialog(ofn, true); }
DWORD WINAPI CommDlgExtendedError() { return lastError; }

}  // extern "C"
