// The Explorer style of the open and save dialogs: the caller's template and hook as a
// child dialog of the built-in one, the CDN_ notifications it hears and the CDM_ messages
// it may send to ask the dialog for its folder, name and path or to change its controls.
#include <algorithm>
#include <cstring>

#include "file_dialogs_internal.h"
#include "ui_internal.h"
#include "win/resources.h"

namespace plat::ui {
namespace {

constexpr const char16_t* kRecordProp = u"KovaExplorerRecord";

// The child's dialog procedure: the caller's hook, with the record from WM_INITDIALOG on.
INT_PTR ExplorerChildProc(HWND child, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) SetPropW(child, kRecordProp, reinterpret_cast<HANDLE>(lParam));
  auto* ofn = reinterpret_cast<OPENFILENAMEW*>(GetPropW(child, kRecordProp));
  if (!ofn || !(ofn->Flags & OFN_ENABLEHOOK) || !ofn->lpfnHook) return msg == WM_INITDIALOG ? TRUE : FALSE;
  return static_cast<INT_PTR>(ofn->lpfnHook(child, msg, wParam, lParam));
}

// Text into a caller's buffer of `size` characters; answers the size it needs, the NUL
// included (the text is copied only when it fits).
LRESULT Give(const std::u16string& text, WPARAM size, LPARAM buffer) {
  const auto needed = static_cast<LRESULT>(text.size() + 1);
  auto* out = reinterpret_cast<WCHAR*>(buffer);
  if (out && static_cast<LRESULT>(size) >= needed) std::memcpy(out, text.c_str(), (text.size() + 1) * sizeof(WCHAR));
  return needed;
}

std::u16string EditText(HWND dialog) {
  WCHAR text[1025] = {};
  GetDlgItemTextW(dialog, edt1, text, 1025);
  return text;
}

}  // namespace

bool IsExplorerDialog(const OPENFILENAMEW& ofn) { return (ofn.Flags & OFN_EXPLORER) != 0; }

std::u16string JoinPath(const std::u16string& folder, const std::u16string& name) {
  if (!folder.empty() && folder.back() == u'\\') return folder + name;
  return folder + u"\\" + name;
}

bool IsAbsolutePath(const std::u16string& s) { return (s.size() >= 2 && s[1] == u':') || (!s.empty() && s[0] == u'\\'); }

bool CreateExplorerChild(HWND dialog, FileDialog& d, DWORD* error) {
  OPENFILENAMEW& ofn = *d.ofn;
  const bool hook = (ofn.Flags & OFN_ENABLEHOOK) && ofn.lpfnHook;
  const auto record = reinterpret_cast<LPARAM>(&ofn);
  if (ofn.Flags & OFN_ENABLETEMPLATE) {
    d.child = CreateDialogParamW(ofn.hInstance, ofn.lpTemplateName, dialog, &ExplorerChildProc, record);
  } else if (hook) {
    // A hook alone gets an empty child dialog of its own.
    d.child = CreateWindowExW(WS_EX_CONTROLPARENT, u"#32770", u"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, dialog, nullptr,
                              ofn.hInstance, nullptr);
    if (d.child) {
      MakeDialog(d.child, &ExplorerChildProc);
      SendMessageW(d.child, WM_INITDIALOG, 0, record);
    }
  } else {
    return true;
  }
  if (!d.child || !IsWindow(d.child)) {
    d.child = nullptr;
    *error = CDERR_DIALOGFAILURE;
    return false;
  }
  return true;
}

LRESULT TellExplorerChild(HWND dialog, FileDialog& d, UINT code) {
  if (!d.child || !IsWindow(d.child)) return 0;
  OFNOTIFYW note{};
  note.hdr.hwndFrom = dialog;
  note.hdr.idFrom = 0;
  note.hdr.code = code;
  note.lpOFN = d.ofn;
  note.pszFile = d.ofn->lpstrFile;
  return SendMessageW(d.child, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&note));
}

bool AnswerExplorerMessage(HWND dialog, FileDialog& d, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  switch (msg) {
    case CDM_GETSPEC: *result = Give(EditText(dialog), wParam, lParam); return true;
    case CDM_GETFOLDERPATH: *result = Give(d.folder, wParam, lParam); return true;
    case CDM_GETFILEPATH: {
      std::u16string name = EditText(dialog);
      if (!IsAbsolutePath(name)) name = JoinPath(d.folder, name);
      *result = Give(name, wParam, lParam);
      return true;
    }
    case CDM_SETCONTROLTEXT:
      *result = SetDlgItemTextW(dialog, static_cast<int>(wParam), reinterpret_cast<LPCWSTR>(lParam));
      return true;
    case CDM_HIDECONTROL:
      if (HWND c = GetDlgItem(dialog, static_cast<int>(wParam))) ShowWindow(c, SW_HIDE);
      *result = 0;
      return true;
    case CDM_SETDEFEXT: {
      const auto* ext = reinterpret_cast<LPCWSTR>(lParam);
      d.defExt = ext ? std::u16string(ext) : std::u16string();
      *result = 0;
      return true;
    }
    default: return false;
  }
}

}  // namespace plat::ui
