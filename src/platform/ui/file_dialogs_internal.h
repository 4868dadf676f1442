// The open and save dialogs' own records, shared by the files of the file dialogs.
#pragma once

#include <string>

#include "win/commdlg.h"

namespace plat::ui {

struct FileDialog {
  OPENFILENAMEW* ofn;
  bool save;
  std::u16string folder;   // current folder, without a final '\' (except a drive root "C:\")
  std::u16string pattern;  // current filter pattern
  HWND child = nullptr;    // Explorer style: the caller's template and hook
  std::u16string defExt;   // the default extension (CDM_SETDEFEXT may change it)
};

bool IsExplorerDialog(const OPENFILENAMEW& ofn);
std::u16string JoinPath(const std::u16string& folder, const std::u16string& name);
bool IsAbsolutePath(const std::u16string& path);

// Explorer style. The child dialog of the caller's template (or an empty one for a hook
// alone), made after the dialog's own WM_INITDIALOG; true with no child when neither is
// asked for. False with the extended error on failure.
bool CreateExplorerChild(HWND dialog, FileDialog& d, DWORD* error);
// A notification to the child; answers the hook's DWLP_MSGRESULT (CDN_FILEOK: nonzero keeps
// the dialog open).
LRESULT TellExplorerChild(HWND dialog, FileDialog& d, UINT code);
// The CDM_ messages; false for any other message. The answer goes in *result.
bool AnswerExplorerMessage(HWND dialog, FileDialog& d, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

}  // namespace plat::ui
