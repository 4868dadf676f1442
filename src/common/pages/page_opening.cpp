// Opening pages: sub-dialogs and page groups with settings snapshots, and the dialog
// procedure of the property-sheet pages with the preset-save mode.
#include "stored/page_opening.h"

#include <cstring>
#include <vector>

#include "fields/change_flags.h"
#include "base/driver_context.h"
#include "model/module_dispatch.h"
#include "base/paths_and_names.h"
#include "stored/snapshot_ring.h"
#include "base/system_checks.h"
#include "base/ui_strings.h"
#include "model/option_walk.h"
#include "context/module_events.h"
#include "context/page_binding.h"
#include "pages/file_pages.h"
#include "pages/page_dialog.h"
#include "modules/page_refresh.h"
#include "pages/help_tips.h"
#include "win/controls.h"
#include "win/prsht.h"
#include "win/resources.h"

namespace {

constexpr DWORD kGroupBits = 0xF0;
constexpr WORD kGroupCaption = 5001;
constexpr WORD kSaveAsNewText = 372;
constexpr WORD kSaveIntoText = 373;
constexpr WORD kSaveAsNewCommand = 11111;
constexpr WORD kSaveIntoCommand = 22222;
constexpr DWORD kPresetSaveBoth = 0xC0000000u;
constexpr DWORD kPresetSaveNew = 0x80000000u;
constexpr DWORD kPresetSaveInto = 0x40000000u;
constexpr DWORD kPresetSaveArmed = 0x800000u;

void SendPageEvent(DriverContext* context, DWORD event, PageRecord* last) {
  if (last) NotifyModules(context, event, last);
}

INT_PTR RunPageGroup(DriverContext* context, DWORD group, PageRecord* requested, HWND parent, HMODULE ui) {
  std::vector<PROPSHEETPAGEW> members;
  UINT start = 0;
  for (int p = 0; p < context->pages.count; ++p) {
    PageRecord& page = context->pages.records[p];
    if (!(page.flags & group)) continue;
    if ((page.flags & PGF_GROUP_20) && page.optionId != 0 && IsOptionIdDisabled(context, page.optionId)) continue;
    page.window = nullptr;
    if (&page == requested) start = static_cast<UINT>(members.size());
    PROPSHEETPAGEW psp{};
    psp.dwSize = sizeof(PROPSHEETPAGEW);
    psp.dwFlags = PSP_HASHELP;
    psp.hInstance = ui;
    psp.pszTemplate = MAKEINTRESOURCEW(page.pageId);
    psp.pfnDlgProc = &PropertySheetPageProc;
    psp.lParam = reinterpret_cast<LPARAM>(context);
    members.push_back(psp);
  }
  WCHAR caption[261] = {};
  if (group == PGF_GROUP_20) LoadUiString(context, kGroupCaption, caption, 261, 1);
  else if (const WCHAR* name = GetPrinterDisplayName(context)) {
    int i = 0;
    for (; name[i] && i < 260; ++i) caption[i] = name[i];
    caption[i] = 0;
  }
  PROPSHEETHEADERW header{};
  header.dwSize = sizeof(PROPSHEETHEADERW);
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | PSH_HASHELP | (IsNt6OrLater() ? PSH_NOCONTEXTHELP : 0);
  header.hwndParent = parent;
  header.hInstance = ui;
  header.pszCaption = caption;
  header.nPages = static_cast<UINT>(members.size());
  header.nStartPage = start;
  header.ppsp = members.empty() ? nullptr : members.data();
  return PropertySheetW(&header);
}

// Turns the sheet's OK into the save buttons of the preset-save mode.
void ArmPresetSaveMode(DriverContext* context, HWND sheet) {
  HWND ok = GetDlgItem(sheet, IDOK);
  HWND cancel = GetDlgItem(sheet, IDCANCEL);
  if (!ok) return;
  RECT okRect{}, cancelRect{};
  GetWindowRect(ok, &okRect);
  if (cancel) GetWindowRect(cancel, &cancelRect);
  POINT okTopLeft{okRect.left, okRect.top}, cancelTopLeft{cancelRect.left, cancelRect.top};
  ScreenToClient(sheet, &okTopLeft);
  ScreenToClient(sheet, &cancelTopLeft);
  const int width = okRect.right - okRect.left, height = okRect.bottom - okRect.top;
  const int newWidth = width * 4 / 3;
  const int right = okTopLeft.x + width;
  const int newLeft = right - newWidth;
  MoveWindow(ok, newLeft, okTopLeft.y, newWidth, height, TRUE);
  const int x = 2 * newLeft - cancelTopLeft.x;
  const int y = cancelTopLeft.y;
  DWORD flags = GetChangeFlags(context);
  WCHAR text[261] = {};
  if ((flags & kPresetSaveBoth) == kPresetSaveBoth) {
    LoadUiString(context, kSaveAsNewText, text, 261, 1);
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(ok, GWL_STYLE)) & ~static_cast<DWORD>(BS_DEFPUSHBUTTON);
    HWND button = CreateWindowExW(static_cast<DWORD>(GetWindowLongPtrW(ok, GWL_EXSTYLE)), u"Button", text, style, x, y,
                                  newWidth, height, sheet,
                                  reinterpret_cast<HMENU>(static_cast<ULONG_PTR>(kSaveAsNewCommand)), nullptr, nullptr);
    if (button) {
      // The new button is OK's twin: whatever window procedure and data the sheet gave OK
      // serve it too.
      SetWindowLongPtrW(button, GWLP_USERDATA, GetWindowLongPtrW(ok, GWLP_USERDATA));
      SetWindowLongPtrW(button, GWLP_WNDPROC, GetWindowLongPtrW(ok, GWLP_WNDPROC));
      SendMessageW(button, WM_SETFONT, SendMessageW(ok, WM_GETFONT, 0, 0), TRUE);
    }
    ClearChangeFlags(context, kPresetSaveNew);
    flags = GetChangeFlags(context);
  }
  if (flags & kPresetSaveNew) {
    LoadUiString(context, kSaveAsNewText, text, 261, 1);
    SetWindowTextW(ok, text);
    SetWindowLongPtrW(ok, GWLP_ID, kSaveAsNewCommand);
    ClearChangeFlags(context, kPresetSaveNew);
  } else if (flags & kPresetSaveInto) {
    LoadUiString(context, kSaveIntoText, text, 261, 1);
    SetWindowTextW(ok, text);
    SetWindowLongPtrW(ok, GWLP_ID, kSaveIntoCommand);
    ClearChangeFlags(context, kPresetSaveInto);
  }
  SetChangeFlags(context, kPresetSaveArmed);
  RestoreHostClassWindowProcs(context, sheet);
}

}  // namespace

int ShowPage(DriverContext* context, int mode, WORD pageId, void* parentWindow) {
  if (!context || !context->work) return -1;
  HMODULE ui = GetUiResourceModule(context);
  if (!ui) return -1;
  HWND parent = static_cast<HWND>(parentWindow);
  const WORD saved = context->pageId;
  context->pageId = pageId;
  // Cancel must be able to restore the state from before the page: without a snapshot
  // nothing opens.
  if (!PushSettingsSnapshot(context)) {
    context->pageId = saved;
    return -1;
  }
  PageRecord* page = FindPageById(context, pageId);
  if (!page) {
    PopSettingsSnapshot(context, 1);
    context->pageId = saved;
    return 0;
  }
  INT_PTR result;
  PageEngineState& sheet = context->work->sheet;
  if (IsFilePage(page)) {
    // The common file dialog and the file command it chose; the sheet result tells whether
    // the settings the page changed stay.
    result = RunFilePage(context, page, parent);
  } else if (!(static_cast<DWORD>(mode) & kGroupBits) && !(page->flags & PGF_GROUP_20)) {
    page->openFlag = 1;
    result = DialogBoxParamW(ui, MAKEINTRESOURCEW(pageId), parent, &PageDialogProc, reinterpret_cast<LPARAM>(context));
    page->openFlag = 0;
    if (sheet.firstPageId == pageId) sheet.firstPageId = 0;
  } else {
    const DWORD group = (page->flags & PGF_GROUP_20) ? PGF_GROUP_20 : (static_cast<DWORD>(mode) & kGroupBits);
    result = RunPageGroup(context, group, page, parent, ui);
  }
  PageRecord* last = FindPageById(context, context->pageId);
  context->pageId = saved;
  // A dialog that failed to open (-1) counts as cancelled, whatever the last sheet result.
  const bool cancelled = result == 0 || result == 2 || result == 7 || result < 0;
  if (cancelled) {
    PopSettingsSnapshot(context, 1);
    SendPageEvent(context, MODEV_PAGE_CANCELLED, last);
    return static_cast<int>(result);
  }
  PopSettingsSnapshot(context, 0);
  SendPageEvent(context, MODEV_PAGE_CONFIRMED, last);
  PageRecord* parentPage = FindPageById(context, saved);
  if (parent && parentPage) {
    if (pageId != 1020 && pageId != 1025 && parentPage->window)
      SendMessageW(GetParent(parentPage->window), PSM_CHANGED, reinterpret_cast<WPARAM>(parentPage->window), 0);
    RefreshPage(context, parentPage, 1);
  }
  return static_cast<int>(result);
}

INT_PTR PropertySheetPageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_INITDIALOG) return PageDialogProc(window, message, wParam, lParam);
  const auto* psp = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
  auto* context = psp ? reinterpret_cast<DriverContext*>(psp->lParam) : nullptr;
  if (!context || !context->work) return FALSE;
  context->pageId = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(psp->pszTemplate));
  HWND sheet = GetParent(window);
  if ((GetChangeFlags(context) & kPresetSaveBoth) && sheet && GetDlgItem(sheet, IDOK)) ArmPresetSaveMode(context, sheet);
  for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) ShowWindow(c, SW_HIDE);
  return PageDialogProc(window, WM_INITDIALOG, wParam, reinterpret_cast<LPARAM>(context));
}
