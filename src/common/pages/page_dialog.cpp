// The page dialog procedure, the routing of its messages and the common window procedure of
// the subclassed controls.
#include "pages/page_dialog.h"
#include "pages/slider_kinds.h"

#include <cstring>

#include "fields/change_flags.h"
#include "context/display_text.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "model/module_dispatch.h"
#include "base/paths_and_names.h"
#include "fields/product_record.h"
#include "base/spooler_info.h"
#include "base/system_checks.h"
#include "model/units.h"
#include "field_ids.h"
#include "model/option_lookup.h"
#include "model/option_walk.h"
#include "model/ui_tables.h"
#include "context/module_events.h"
#include "modules/change_handling.h"
#include "pages/control_kinds.h"
#include "pages/help_tips.h"
#include "pages/static_kinds.h"
#include "context/page_binding.h"
#include "pages/page_cursors.h"
#include "modules/page_refresh.h"
#include "context/page_wiring.h"
#include "pages/picture_clicks.h"
#include "pages/picture_hit_test.h"
#include "stored/default_section.h"
#include "context/device_output.h"
#include "stored/lock_data.h"
#include "win/commdlg.h"
#include "win/controls.h"
#include "win/paint.h"
#include "win/prsht.h"

namespace {

constexpr UINT kCtlColorScrollBar = 0x0137;
constexpr UINT kNcPaint = 0x0085;
constexpr UINT kRButtonDblClk = 0x0206;
constexpr WPARAM kMkShift = 0x0004;
constexpr WPARAM kMkControl = 0x0008;
constexpr WORD kSavePresetCommand = 11111;
constexpr WORD kSaveIntoPresetCommand = 22222;
constexpr UINT_PTR kHoldTimer = 2;
constexpr UINT kHoldInterval = 100;
constexpr DWORD MODEV_DOCUMENT_COMMIT = 28;
constexpr WORD kDocumentCommitFunction = 326;
constexpr WORD kPresetIconList = 2001;

bool IsFrameworkControl(PageRecord* page, HWND child) {
  for (int i = 0; i < page->controlCount; ++i)
    if (page->controls[i].window == child) return true;
  return false;
}

void ResetPageWindows(PageRecord* page) {
  page->window = nullptr;
  for (int i = 0; i < page->controlCount; ++i) page->controls[i].window = nullptr;
}

// 0x8006: the controls scaled into the page's client area, then shown by the first refresh.
void FitPageControls(DriverContext* context, PageRecord* page, HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  const int W = client.right - 3, H = client.bottom - 3;
  int R = W, B = H;
  for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    RECT r{};
    GetWindowRect(c, &r);
    POINT br{r.right, r.bottom};
    ScreenToClient(window, &br);
    if (br.x > R) R = br.x;
    if (br.y > B) B = br.y;
  }
  if (R > W || B > H) {
    for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      RECT r{};
      GetWindowRect(c, &r);
      POINT tl{r.left, r.top}, br{r.right, r.bottom};
      ScreenToClient(window, &tl);
      ScreenToClient(window, &br);
      auto scale = [](int v, int num, int den) { return den ? static_cast<int>(static_cast<long long>(v) * num / den) : v; };
      const int left = scale(tl.x, W, R), right = scale(br.x, W, R);
      const int top = scale(tl.y, H, B), bottom = scale(br.y, H, B);
      MoveWindow(c, left, top, right - left, bottom - top, TRUE);
    }
  }
  for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if (!IsFrameworkControl(page, c)) ShowWindow(c, SW_SHOW);
  EnableWindow(window, TRUE);
  context->work->sheet.refreshSuspended = 0;
  ClearDirtyOptions(context);
  RefreshPage(context, page, 1);
}

// The locks the administrator confirmed on the setting-locks page: forced into the stored
// qualities and presets, the locked defaults kept (or the stamps' lock copies dropped), and
// the lock values written to the printer's data.
void CommitSettingLocks(DriverContext* context) {
  NotifyModules(context, MODEV_LOCK_QUALITIES, nullptr);
  NotifyModules(context, MODEV_LOCK_PRESETS, nullptr);
  if (IsDefaultLocked(context)) {
    if (context->work->lockDefaults && context->settings) {
      std::memcpy(context->work->lockDefaults, context->settings, GetSettingsBufferSize());
      WriteLockDefaultData(context->hPrinter, context);
    }
    WriteDefaultSection(context);
    NotifyModules(context, MODEV_LOCK_STAMPS_SAVE, nullptr);
  } else {
    NotifyModules(context, MODEV_LOCK_STAMPS_DROP, nullptr);
  }
  if (!IsPrinterConnection(context)) SaveLockData(context->hPrinter, context);
}

// PSN_APPLY of a page.
INT_PTR OnApply(DriverContext* context, PageRecord* page, HWND window, HWND sheetWindow) {
  PageEngineState& sheet = context->work->sheet;
  sheet.applyInProgress = 1;
  if (GetChangeFlags(context) & 0x800000u) {
    SetWindowLongPtrW(window, DWLP_MSGRESULT, PSNRET_INVALID_NOCHANGEPAGE);
    const WORD command = GetDlgItem(sheetWindow, kSaveIntoPresetCommand) ? kSaveIntoPresetCommand : kSavePresetCommand;
    PostMessageW(window, WM_COMMAND, command, 0);
    sheet.applyInProgress = 0;
    return TRUE;
  }
  // The page's own option: its alerts decide.
  ControlRecord pageControl{};
  pageControl.option = page->optionId ? OptionRecordAddress(GetOptionNode(context, page->optionId)) : nullptr;
  sheet.sheetResult = 1;
  const int refused = ApplyControlValue(context, page, &pageControl, 0, 0);
  if (refused || sheet.sheetResult == 0) {
    HWND current = reinterpret_cast<HWND>(SendMessageW(sheetWindow, PSM_GETCURRENTPAGEHWND, 0, 0));
    RefreshPage(context, FindPageByWindow(context, current), 1);
    SetWindowLongPtrW(window, DWLP_MSGRESULT, PSNRET_INVALID_NOCHANGEPAGE);
    sheet.applyInProgress = 0;
    return TRUE;
  }
  SetWindowLongPtrW(window, DWLP_MSGRESULT, PSNRET_NOERROR);
  sheet.sheetResult = 1;
  sheet.accepted = 1;
  const bool document = (page->flags & PGF_DOCUMENT) != 0;
  const bool device = (page->flags & PGF_DEVICE) != 0;
  const bool group = (page->flags & PGF_GROUP_10) && ReadFieldRawById(context, fid::KPD_kdmPresentUIMode) != 1;
  if (sheet.firstPageId == page->pageId && (document || device || group)) {
    if (document) CallModuleItemHooks(context, kDocumentCommitFunction);
    if (device && GetLockInfo(context) == 0 && sheet.lockCommit && !IsTrayLocked(context))
      WriteFieldRawById(context, fid::kdmLockInfoLockSmallPaperTray, 0);
    if (IsNt5OrLater()) {
      SendMessageW(sheetWindow, PSM_UNCHANGED, reinterpret_cast<WPARAM>(window), 0);
      WriteFieldRawById(context, fid::wdmUIStart, 0);
      ApplyDeviceSheetChanges(context);
      WriteFieldRawById(context, fid::wdmUIStart, 1);
    } else {
      WriteFieldRawById(context, fid::wdmUIStart, 0);
    }
    ClearDirtyOptions(context);
    RefreshPage(context, page, 1);
    if (document) NotifyModules(context, MODEV_DOCUMENT_COMMIT, nullptr);
    if (device && GetLockInfo(context) == 0 && sheet.lockCommit) CommitSettingLocks(context);
    if (device) sheet.lockCommit = 0;
  }
  sheet.applyInProgress = 0;
  return FALSE;
}

// A closing command of a sub-dialog page.
INT_PTR OnClosing(DriverContext* context, PageRecord* page, HWND window, WORD command) {
  PageEngineState& sheet = context->work->sheet;
  WORD controlId = command;
  if (page->pageId == 1011 && ReadFieldRawById(context, fid::KPD_kdmBiDirect) == 1) controlId = 1;
  ControlRecord* closing = FindControlById(context, page, controlId);
  if (command == 1) {
    if (HWND ok = GetDlgItem(window, 1)) SetFocus(ok);
    MSG waiting{};
    if (PeekMessageW(&waiting, window, PAGEMSG_DEFERRED_ALERT, PAGEMSG_DEFERRED_ALERT, PM_NOREMOVE)) return TRUE;
  }
  if (closing && ApplyControlValue(context, page, closing, 0, 0)) {
    RefreshPage(context, page, 0);
    return TRUE;
  }
  sheet.sheetResult = (command == 2 || command == 7) ? 0 : 1;
  switch (page->pageId) {
    case 1007: case 1011: case 1017: case 1023: case 1037: case 1041:
      if (!RunPageClosingCheck(context, page, closing, command)) {
        sheet.sheetResult = 0;
        return TRUE;
      }
      break;
    default: {
      PageClosedEventBlock block{page, closing, command};
      NotifyModules(context, MODEV_PAGE_CLOSED, &block);
      break;
    }
  }
  ResetPageWindows(page);
  if (IsNotFilePage(page)) EndDialog(window, command);
  return TRUE;
}

INT_PTR OnCommand(DriverContext* context, PageRecord* page, HWND window, WPARAM wParam, LPARAM lParam) {
  WORD command = LOWORD(static_cast<DWORD>(wParam));
  const WORD received = command;
  if (ControlRecord* c = FindControlById(context, page, command); c && (c->flags & CTLF_SAVE_PRESET))
    command = kSavePresetCommand;
  switch (command) {
    case kSavePresetCommand:
      SetChangeFlags(context, 0x10000000u);
      RunSavePresetCommand(context, page, command, received);
      return TRUE;
    case kSaveIntoPresetCommand: RunSavePresetCommand(context, page, command, received); return TRUE;
    case PAGEMSG_PRESS_OK: PostMessageW(GetParent(window), PSM_PRESSBUTTON, PSBTN_OK, 0); return TRUE;
    case 9:
      WinHelpW(window, GetHelpFilePath(context), HELP_CONTEXT, page->helpId);
      return TRUE;
    case 1: case 2: case 6: case 7: case 8: return OnClosing(context, page, window, command);
    default: break;
  }
  for (int i = 0; i < page->controlCount; ++i) {
    ControlRecord* c = &page->controls[i];
    if (!c->window) continue;
    if (!RouteControlCommand(context, page, c, wParam, lParam)) continue;
    if (page->pageId == 1001) RunPresetPageStep(context, page);
    if (AnyFieldChanged(context)) SendMessageW(GetParent(window), PSM_CHANGED, reinterpret_cast<WPARAM>(window), 0);
    RefreshPage(context, page, 0);
    return TRUE;
  }
  return FALSE;
}

INT_PTR ControlLoop(DriverContext* context, PageRecord* page, HWND window, UINT message, WPARAM wParam,
                    LPARAM lParam) {
  if (!page) return FALSE;
  const bool byId = message == WM_MEASUREITEM || message == WM_DRAWITEM;
  for (int i = 0; i < page->controlCount; ++i) {
    ControlRecord* c = &page->controls[i];
    if (message != WM_MEASUREITEM && !c->window) continue;
    if (byId && c->controlId != LOWORD(static_cast<DWORD>(wParam))) continue;
    if (!RouteControlMessage(context, page, c, message, wParam, lParam)) continue;
    if (message == kCtlColorScrollBar || message == WM_CTLCOLORLISTBOX)
      return static_cast<INT_PTR>(GetWindowLongPtrW(window, DWLP_MSGRESULT));
    return TRUE;
  }
  return FALSE;
}

ControlRecord* ControlOfWindow(HWND window, PageRecord** pageOut, DriverContext** contextOut) {
  auto* control = reinterpret_cast<ControlRecord*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  DriverContext* context = PageContext(GetParent(window));
  *pageOut = context ? FindPageByWindow(context, GetParent(window)) : nullptr;
  *contextOut = context;
  return control;
}

// The step of a press-and-hold button: each listed control's setting moves by its step.
void PressAndHoldStep(DriverContext* context, PageRecord* page, ControlRecord* control) {
  struct Row {
    WORD controlId;
    DWORD zero;
    std::int16_t step;
  };
  struct Block {
    WORD type;
    WORD count;
    const Row* rows;
  };
  const auto* block = static_cast<const Block*>(GetControlExtraData(control, 5));
  if (!block) return;
  for (int i = 0; i < block->count && block->rows; ++i) {
    ControlRecord* target = FindControlById(context, page, block->rows[i].controlId);
    SettingField* field = GetControlField(context, target);
    if (!field) continue;
    auto value = static_cast<std::int32_t>(GetFieldValue(context, field)) + block->rows[i].step;
    std::int32_t lo = 0, hi = 0;
    if (NumericOptionLimits(context, target, &lo, &hi)) value = value < lo ? lo : value > hi ? hi : value;
    SetFieldValue(context, field, static_cast<DWORD>(value));
  }
}

// An owner-drawn control of the control size table gets its row's item width and height, each
// only when it is positive. It needs no context: the message comes while the dialog is made.
bool SizeOwnerDrawnItem(WPARAM wParam, LPARAM lParam) {
  const MeasureItemRow* row = FindMeasureItemEntry(LOWORD(static_cast<DWORD>(wParam)));
  if (!row) return false;
  if (auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)) {
    if (row->width > 0) item->itemWidth = static_cast<UINT>(row->width);
    if (row->height > 0) item->itemHeight = static_cast<UINT>(row->height);
  }
  return true;
}

}  // namespace

DriverContext* PageContext(HWND page) {
  return page ? reinterpret_cast<DriverContext*>(GetWindowLongPtrW(page, DWLP_USER)) : nullptr;
}

ControlRecord* ControlAtPoint(PageRecord* page, int x, int y) {
  if (!page) return nullptr;
  ControlRecord* found = nullptr;
  for (int i = 0; i < page->controlCount; ++i) {
    ControlRecord* c = &page->controls[i];
    if (!c->window || ControlHidden(c) == 1) continue;
    RECT r{};
    GetWindowRect(c->window, &r);
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) found = c;
  }
  return found;
}

namespace {

bool Contains(HWND window, POINT screen) {
  RECT r{};
  GetWindowRect(window, &r);
  return screen.x >= r.left && screen.x < r.right && screen.y >= r.top && screen.y < r.bottom;
}

// Something else of the page takes the point before `control`: a child window of the page
// that is not one of its controls (shown), or a later control of the page (table order)
// that is not a tab control, not hidden and has a window.
bool OtherWindowAt(PageRecord* page, const ControlRecord* control, POINT screen) {
  if (page->window) {
    for (HWND child = GetWindow(page->window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      if (child == control->window || IsFrameworkControl(page, child)) continue;
      if (!(GetWindowLongPtrW(child, GWL_STYLE) & WS_VISIBLE)) continue;
      if (Contains(child, screen)) return true;
    }
  }
  for (int i = 0; i < page->controlCount; ++i) {
    ControlRecord* c = &page->controls[i];
    if (c <= control || !c->window || c->kind == 104 || ControlHidden(c)) continue;
    if (Contains(c->window, screen)) return true;
  }
  return false;
}

}  // namespace

bool IsNumericKey(DriverContext* context, WCHAR ch) {
  if (ch >= u'0' && ch <= u'9') return true;
  if (ch == 8) return true;
  return ch == (UsesDecimalComma(context) ? u',' : u'.');
}

int RunPressAndHold(DriverContext* context, PageRecord* page, ControlRecord* control, bool fromKey) {
  if (!context || !page || !control || !control->window) return 0;
  int steps = 1;
  PressAndHoldStep(context, page, control);
  if (page->window) PostMessageW(page->window, WM_PAINT, 0, 0);
  SetTimer(control->window, kHoldTimer, kHoldInterval, nullptr);
  bool over = true;
  int ticks = 0;
  MSG msg{};
  // GetMessage waits for the next message or timer tick; the loop never spins.
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.hwnd == control->window && msg.message == PAGEMSG_PRESS_AND_HOLD) break;
    if (msg.message == WM_MOUSEMOVE && !fromKey) {
      RECT r{};
      GetWindowRect(control->window, &r);
      POINT p{static_cast<std::int16_t>(LOWORD(static_cast<DWORD>(msg.lParam))),
              static_cast<std::int16_t>(HIWORD(static_cast<DWORD>(msg.lParam)))};
      if (msg.hwnd) ClientToScreen(msg.hwnd, &p);
      over = p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
    }
    if (msg.message == WM_TIMER && msg.hwnd == control->window && msg.wParam == kHoldTimer) {
      if (++ticks > 3 && over) {
        PressAndHoldStep(context, page, control);
        ++steps;
        if (page->window) PostMessageW(page->window, WM_PAINT, 0, 0);
      }
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  KillTimer(control->window, kHoldTimer);
  return steps;
}

INT_PTR PageDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DriverContext* context = nullptr;
  PageRecord* page = nullptr;
  if (message == WM_MEASUREITEM) {
    if (DispatchModuleMessage(nullptr, nullptr, nullptr, message, wParam, lParam)) return TRUE;
    if (SizeOwnerDrawnItem(wParam, lParam)) return TRUE;
  }
  if (message == WM_INITDIALOG) {
    context = reinterpret_cast<DriverContext*>(lParam);
    if (!context || !context->work) return FALSE;
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    page = FindPageById(context, context->pageId);
    if (!page) return FALSE;
    page->window = window;
    // A page of a sheet carries its page id as its control id, so that the sheet and the
    // tools that drive it can tell its pages apart (a sub-dialog is no child and keeps 0).
    if (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) SetWindowLongPtrW(window, GWLP_ID, page->pageId);
    if (context->work->sheet.firstPageId == 0) context->work->sheet.firstPageId = page->pageId;
    BindPageControls(context, nullptr);
  } else {
    context = PageContext(window);
    page = context ? FindPageByWindow(context, window) : nullptr;
  }
  if (!context || !context->work) return FALSE;
  if (message == WM_COMMAND) context->work->sheet.lastCommand = LOWORD(static_cast<DWORD>(wParam));
  ClearFollowUpGuard(context, message, LOWORD(static_cast<DWORD>(wParam)),
                     message == WM_NOTIFY ? reinterpret_cast<const NMHDR*>(lParam) : nullptr, 0);
  if (DispatchModuleMessage(context, page, nullptr, message, wParam, lParam)) {
    RefreshPage(context, page, 0);
    return message == WM_PAINT ? FALSE : TRUE;
  }
  if (!page) return message == WM_MEASUREITEM ? ControlLoop(context, page, window, message, wParam, lParam) : FALSE;
  PageEngineState& sheet = context->work->sheet;
  switch (message) {
    case WM_INITDIALOG: {
      sheet.refreshSuspended = 1;
      EnableWindow(window, FALSE);
      if (IsNt6OrLater()) SetWindowLongPtrW(window, GWL_EXSTYLE, GetWindowLongPtrW(window, GWL_EXSTYLE) & ~0x400);
      if (GetWindowTextLengthW(window) == 0)
        if (const WCHAR* name = GetPrinterDisplayName(context)) SetWindowTextW(window, name);
      BindPageControls(context, page);
      RestoreHostClassWindowProcs(context, window);
      for (int i = 0; i < page->controlCount; ++i) {
        ControlRecord* c = &page->controls[i];
        c->window = GetDlgItem(window, c->controlId);
        c->savedWindowProc = nullptr;
        InitControl(context, page, c);
      }
      PostMessageW(window, PAGEMSG_FIT, 0, 0);
      NoPageHook(context);
      return TRUE;
    }
    case PAGEMSG_FIT: FitPageControls(context, page, window); return TRUE;
    case WM_PAINT:
      if (AnyFieldChanged(context)) {
        RefreshPage(context, page, 0);
      } else {
        RECT r{};
        if (GetUpdateRect(window, &r, FALSE)) RefreshPage(context, page, 0);
        PAINTSTRUCT ps;
        BeginPaint(window, &ps);
        EndPaint(window, &ps);
      }
      return FALSE;
    case WM_ERASEBKGND:
      SetTipPopup(context, nullptr, window, 0, 0);
      RefreshPage(context, page, 0);
      return FALSE;
    case WM_TIMER:
      if (OnTipTimer(context, window, wParam)) return TRUE;
      return ControlLoop(context, page, window, message, wParam, lParam);
    case kNcPaint: return FALSE;
    case PAGEMSG_DEFERRED_ALERT: ShowDeferredAlert(context, page, wParam, lParam); return TRUE;
    case WM_HELP: {
      SetTipPopup(context, nullptr, window, 0, 0);
      const auto* info = reinterpret_cast<const HELPINFO*>(lParam);
      if (info && info->cbSize >= sizeof(HELPINFO))
        ShowControlHelp(window, static_cast<HWND>(info->hItemHandle), WM_HELP);
      return TRUE;
    }
    case WM_CONTEXTMENU: {
      SetTipPopup(context, nullptr, window, 0, 0);
      auto target = reinterpret_cast<HWND>(wParam);
      if (target == window) {
        // On the page itself: the control under the pointer, unless it keeps its clicks.
        ControlRecord* c = ControlAtPoint(page, static_cast<std::int16_t>(LOWORD(static_cast<DWORD>(lParam))),
                                          static_cast<std::int16_t>(HIWORD(static_cast<DWORD>(lParam))));
        target = c && !(c->flags & CTLF_HIDDEN_FUNCTION) ? c->window : nullptr;
      }
      if (target) ShowControlHelp(window, target, WM_CONTEXTMENU);
      return TRUE;
    }
    case WM_NOTIFY: {
      SetTipPopup(context, nullptr, window, 0, 0);
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (!header) return FALSE;
      switch (header->code) {
        case PSN_HELP: WinHelpW(window, GetHelpFilePath(context), HELP_CONTEXT, page->helpId); break;
        case PSN_RESET:
          // Cancel ends the sheet unaccepted, also after an Apply: what the Apply committed
          // stands, and the sheet's end must not commit what changed since.
          sheet.sheetResult = 0;
          sheet.accepted = 0;
          // The lock page's confirmation goes with the device sheet it was given on.
          if (page->flags & PGF_DEVICE) sheet.lockCommit = 0;
          break;
        case PSN_SETACTIVE:
          context->pageId = page->pageId;
          RefreshPage(context, page, 1);
          break;
        case PSN_APPLY:
          if (OnApply(context, page, window, GetParent(window))) return TRUE;
          break;
        default: break;
      }
      return ControlLoop(context, page, window, message, wParam, lParam);
    }
    case WM_COMMAND:
      SetTipPopup(context, nullptr, window, 0, 0);
      return OnCommand(context, page, window, wParam, lParam);
    case WM_LBUTTONDBLCLK: return FALSE;
    case kRButtonDblClk: {
      POINT p{static_cast<std::int16_t>(LOWORD(static_cast<DWORD>(lParam))),
              static_cast<std::int16_t>(HIWORD(static_cast<DWORD>(lParam)))};
      ClientToScreen(window, &p);
      ControlRecord* c = ControlAtPoint(page, p.x, p.y);
      if (c && (c->flags & CTLF_HIDDEN_FUNCTION) && (wParam & kMkControl) && (wParam & kMkShift)) {
        PageControlEventBlock block{page, c};
        NotifyModules(context, MODEV_HIDDEN_SPOT, &block);
      }
      return TRUE;
    }
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP: {
      HWND capture = GetCapture();
      ControlRecord* c = capture ? FindControlByWindow(context, page, capture) : nullptr;
      if (!c) {
        POINT p{static_cast<std::int16_t>(LOWORD(static_cast<DWORD>(lParam))),
                static_cast<std::int16_t>(HIWORD(static_cast<DWORD>(lParam)))};
        ClientToScreen(window, &p);
        c = ControlAtPoint(page, p.x, p.y);
      }
      const bool handled = c && RouteControlMessage(context, page, c, message, wParam, lParam);
      const bool ownTip = c && c->window && c->window == sheet.tipControlWindow;
      if (message == WM_MOUSEMOVE && !handled && !ownTip) SetTipPopup(context, nullptr, window, 0, 0);
      return TRUE;
    }
    default: return ControlLoop(context, page, window, message, wParam, lParam);
  }
}

void ExcludeSiblingsAbove(HWND window, HDC dc) {
  RECT own{};
  GetWindowRect(window, &own);
  for (HWND above = GetWindow(window, GW_HWNDPREV); above; above = GetWindow(above, GW_HWNDPREV)) {
    if (!IsWindowVisible(above)) continue;
    RECT r{};
    GetWindowRect(above, &r);
    if (r.left <= own.left && r.top <= own.top && r.right >= own.right && r.bottom >= own.bottom) continue;
    POINT corners[2] = {{r.left, r.top}, {r.right, r.bottom}};
    ScreenToClient(window, &corners[0]);
    ScreenToClient(window, &corners[1]);
    ExcludeClipRect(dc, corners[0].x, corners[0].y, corners[1].x, corners[1].y);
  }
}

LRESULT ControlSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  PageRecord* page = nullptr;
  DriverContext* context = nullptr;
  ControlRecord* control = ControlOfWindow(window, &page, &context);
  if (!control) return 0;
  auto saved = reinterpret_cast<WNDPROC>(control->savedWindowProc);
  auto pass = [&] { return saved ? CallWindowProcW(saved, window, message, wParam, lParam) : 0; };
  if (context && DispatchModuleMessage(context, page, control, message, wParam, lParam)) return 0;
  const bool holdButton = control->kind == 21 && GetControlExtraData(control, 5);
  switch (message) {
    case WM_PAINT:
      if ((control->kind == 2 || control->kind == 84) && context && context->work) {
        PAINTSTRUCT ps{};
        HDC dc = BeginPaint(window, &ps);
        ExcludeSiblingsAbove(window, dc);
        context->work->sheet.paintDc = dc;
        if (control->kind == 2) {
          PaintPictureControl(context, page, control, dc, nullptr);
        } else {
          // The slider paints through its own window DC, which the clipping above leaves whole.
          context->work->sheet.paintDc = nullptr;
          ControlValueEventBlock direction{control, 0};
          NotifyModules(context, MODEV_SLIDER_DIRECTION, &direction);
          PaintSliderTrack(context, page, control, direction.value ? 1 : 0);
        }
        context->work->sheet.paintDc = nullptr;
        EndPaint(window, &ps);
        return 0;
      }
      break;
    case WM_ERASEBKGND:
      if (control->kind == 50 || control->kind == 47 ||
          (control->kind == 2 && (control->controlId == 2039 || control->controlId == 0))) {
        RECT client{};
        GetClientRect(window, &client);
        HBRUSH brush = ControlGreyed(control) ? GetSysColorBrush(COLOR_BTNFACE)
                                              : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        FillRect(reinterpret_cast<HDC>(wParam), &client, brush);
        return 1;
      }
      break;
    case WM_SETCURSOR:
      if (IsPageHandCursor(context, GetCursor(), true)) return TRUE;
      break;
    case WM_MOUSEMOVE:
      if (wParam & MK_LBUTTON) PressPageHand(context, true);
      break;
    case WM_NCHITTEST: {
      POINT screen{static_cast<std::int16_t>(LOWORD(static_cast<DWORD>(lParam))),
                   static_cast<std::int16_t>(HIWORD(static_cast<DWORD>(lParam)))};
      if (page && OtherWindowAt(page, control, screen)) break;
      POINT point = screen;
      ScreenToClient(window, &point);
      if (context) TrackControlHotness(context, page, control, point);
      // Static pictures and texts take the mouse; a slider refuses a press on the arrow
      // that points past the end where its value stands.
      if (control->kind >= 1 && control->kind <= 4) return HTCLIENT;
      if (control->kind == 84 && IsSliderEndArrowAt(context, control, point)) return HTERROR;
      break;
    }
    case WM_KILLFOCUS:
      if (control->kind == 63 && context) DispatchControlMessage(context, page, control, message, wParam, lParam);
      if (control->kind == 84) InvalidateRect(window, nullptr, FALSE);
      break;
    case WM_KEYDOWN:
      if (holdButton && wParam == static_cast<WPARAM>(VK_SPACE)) {
        PressPageHand(context, true);
        PostMessageW(window, PAGEMSG_PRESS_AND_HOLD, WM_KEYDOWN, 0);
        return 0;
      }
      if (control->kind == 63 && context && !(control->flags & CTLF_NO_UPDOWN_STEP) &&
          (wParam == static_cast<WPARAM>(VK_UP) || wParam == static_cast<WPARAM>(VK_DOWN))) {
        std::int32_t lo = 0, hi = 0;
        if (!NumericOptionLimits(context, control, &lo, &hi)) break;
        const std::int32_t step =
            (control->flags & CTLF_USER_UNITS) ? FromUserUnits(context, control->field ? control->field->id : 0, 1) : 1;
        const auto value = static_cast<std::int32_t>(GetControlFieldValue(context, control));
        if ((wParam == static_cast<WPARAM>(VK_UP) && value >= hi) ||
            (wParam == static_cast<WPARAM>(VK_DOWN) && value <= lo))
          return 0;
        std::int32_t next = wParam == static_cast<WPARAM>(VK_UP) ? value + step : value - step;
        next = next < lo ? lo : next > hi ? hi : next;
        ControlValueEventBlock block{control, next};
        NotifyModules(context, MODEV_EDIT_SUBCLASS, &block);
        SetControlFieldValue(context, control, static_cast<DWORD>(next));
        PostMessageW(window, WM_PAINT, 0, 0);
        if (page && page->window) PostMessageW(page->window, WM_PAINT, 0, 0);
        return 0;
      }
      break;
    case WM_KEYUP:
      if (holdButton && wParam == static_cast<WPARAM>(VK_SPACE)) {
        PressPageHand(context, false);  // the hand Space pressed comes back up with it
        PostMessageW(window, PAGEMSG_PRESS_AND_HOLD, 0, 0);
        return 0;
      }
      break;
    case WM_CHAR:
      if (control->kind == 49 && context) DispatchControlMessage(context, page, control, message, wParam, lParam);
      if (control->kind == 63 && context && !IsNumericKey(context, static_cast<WCHAR>(wParam))) return 0;
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (message == WM_LBUTTONDOWN) PressPageHand(context, true);
      if (holdButton) {
        PostMessageW(window, PAGEMSG_PRESS_AND_HOLD, message, 0);
        break;
      }
      if (control->kind == 84) {
        if (ControlHidden(control) || ControlGreyed(control)) return 0;
        const POINT at{static_cast<std::int16_t>(LOWORD(static_cast<DWORD>(lParam))),
                       static_cast<std::int16_t>(HIWORD(static_cast<DWORD>(lParam)))};
        if (IsSliderEndArrowAt(context, control, at)) return 0;
        if (context) SetTipPopup(context, nullptr, page ? page->window : nullptr, 0, 0);
        // The slider's own handler may show a plus or minus sign over the pressed arrow for
        // as long as the scroll bar tracks the mouse.
        HWND sign = message == WM_LBUTTONDOWN && context ? ShowSliderSignPopup(context, page, control, at.x, at.y)
                                                         : nullptr;
        const LRESULT result = pass();
        if (sign) DestroyWindow(sign);
        return result;
      }
      break;
    case WM_LBUTTONUP:
      PressPageHand(context, false);
      if (holdButton) {
        PostMessageW(window, PAGEMSG_PRESS_AND_HOLD, 0, 0);
        break;
      }
      if (control->kind == 49 && context) DispatchControlMessage(context, page, control, message, wParam, lParam);
      if (control->kind == 84 && (ControlHidden(control) || ControlGreyed(control))) return 0;
      if ((control->kind == 2 || control->kind == 3) && context && page &&
          SelectByPictureClick(context, page, control, static_cast<std::int16_t>(LOWORD(static_cast<DWORD>(lParam))),
                               static_cast<std::int16_t>(HIWORD(static_cast<DWORD>(lParam)))))
        return 0;
      break;
    case WM_RBUTTONDOWN:
      if (wParam & 0x0001) PostMessageW(window, WM_LBUTTONUP, 0, lParam);
      break;
    case PAGEMSG_PRESS_AND_HOLD:
      if (holdButton && wParam != 0 && context) {
        RunPressAndHold(context, page, control, wParam == WM_KEYDOWN);
        return 0;
      }
      break;
    default: break;
  }
  return pass();
}
