// Context help of the page controls.
#include "pages/help_tips.h"

#include "base/dictionary_pages.h"
#include "base/driver_context.h"
#include "base/paths_and_names.h"
#include "context/page_binding.h"
#include "pages/page_dialog.h"
#include "win/commdlg.h"

namespace {

constexpr WORD kGroupBoxKind = 4;

}  // namespace

void ShowControlHelp(HWND pageWindow, HWND controlWindow, UINT message) {
  if (message != WM_HELP && message != WM_CONTEXTMENU) return;
  DriverContext* context = PageContext(pageWindow);
  if (!context || !controlWindow) return;
  PageRecord* page = FindPageByWindow(context, pageWindow);
  ControlRecord* control = page ? FindControlByWindow(context, page, controlWindow) : nullptr;
  if (!control || ControlHidden(control)) return;
  DWORD data[4] = {control->controlId, control->helpId, 0, 0};
  const WCHAR* file = GetHelpFilePath(context);
  if (message == WM_HELP) {
    WinHelpW(controlWindow, file, HELP_WM_HELP, reinterpret_cast<ULONG_PTR>(data));
  } else {
    HWND target = control->kind == kGroupBoxKind ? pageWindow : controlWindow;
    WinHelpW(target, file, HELP_CONTEXTMENU, reinterpret_cast<ULONG_PTR>(data));
  }
}
