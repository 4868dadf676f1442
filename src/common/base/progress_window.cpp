#include "base/progress_window.h"

#include "base/paths_and_names.h"
#include "base/ui_strings.h"
#include "win/resources.h"
#include "win/window.h"

namespace {
constexpr int kTextChars = 1025;
}  // namespace

HWND ShowProgressWindow(DriverContext* context, HWND, DWORD stringId) {
  HMODULE module = GetUiResourceModule(context);
  if (!module) return nullptr;
  HWND progress = CreateDialogParamW(module, MAKEINTRESOURCEW(IDD_PROGRESS_WINDOW), GetActiveWindow(), nullptr, 0);
  if (!progress) return nullptr;
  SetWindowTextW(progress, GetPrinterDisplayName(context));
  WCHAR text[kTextChars] = {};
  LoadUiString(context, stringId, text, kTextChars, 1);
  SetDlgItemTextW(progress, IDC_PROGRESS_TEXT, text);
  return progress;
}

BOOL CloseProgressWindow(HWND progress) { return progress ? DestroyWindow(progress) : FALSE; }
