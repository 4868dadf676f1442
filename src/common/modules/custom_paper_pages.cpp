// The custom paper pages: the unit page's OK carries the custom size over to the new unit,
// the free-size page edits the ten named sizes one at a time, and the custom-size input
// page keeps the inch copies of the size within its limits.
#include <cstring>
#include <vector>

#include "base/dictionary_pages.h"
#include "base/driver_context.h"
#include "base/ui_strings.h"
#include "context/module_hooks.h"
#include "context/page_binding.h"
#include "field_ids.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "fields/locale_text.h"
#include "model/field_checks.h"
#include "model/free_size_list.h"
#include "model/option_lookup.h"
#include "model/units.h"
#include "modules/custom_paper_module.h"
#include "modules/page_refresh.h"
#include "stored/module_services.h"
#include "win/controls.h"
#include "win/paint.h"
#include "win/window.h"

namespace {

constexpr WORD kUnitPage = 1013;
constexpr WORD kFreeSizePage = 1017;
constexpr WORD kInputPage = 1041;
constexpr WORD kEntryList = 2364;
constexpr WORD kFreeSizeTray = 2217;
constexpr WORD kFreeSizeDefault = 2227;
constexpr WORD kFreeSizeEdits[] = {2220, 2224, 2365, 2392, 2394, 2398, 2400};
constexpr WORD kFreeSizeSpins[] = {2221, 2225, 2393, 2395, 2399, 2401};
constexpr WORD kInputEdits[] = {2682, 2683, 2684, 2689, 2690, 2691};
constexpr WORD kInputSpins[] = {2685, 2686, 2687, 2692, 2693, 2694};
constexpr WORD kInputChoices[] = {2697, 2701, 2702, 2704};
constexpr int kEntries = 10;
constexpr WORD kFirstEntryName = 109;
// The system's menu text colour (COLOR_MENUTEXT).
constexpr int kMenuTextColour = 7;

template <std::size_t N>
bool In(const WORD (&ids)[N], WORD id) {
  for (WORD x : ids)
    if (x == id) return true;
  return false;
}

// Unit page OK: one size field and its inch copy carried over to the unit now in force.
// A size at the first value of its edit's range stays as it is.
void CarryOver(DriverContext* context, ControlRecord* edit, WORD sizeField, WORD inchField, bool inch) {
  const auto dots = static_cast<std::int32_t>(ReadFieldRawById(context, sizeField));
  std::int32_t first = 0, last = 0;
  const bool bounds = edit && GetNumericBounds(FindOptionByItemId(edit->itemId, context), &first, &last);
  if (inch && bounds && dots == first) {
    WriteFieldRawById(context, inchField, static_cast<DWORD>(ToUserUnits(context, 0, dots)));
    return;
  }
  if (!inch && bounds && dots == first) return;
  int minimum = 0, maximum = 0;
  if (edit) GetControlLimitsInUserUnits(context, kInputPage, edit, &minimum, &maximum);
  auto within = [&](int v) {
    if (maximum > 0 && v > maximum) v = maximum;
    return v < minimum ? minimum : v;
  };
  if (inch) {
    // The size as millimetres showed it, rounded down to 0.01 inch.
    const int tenthMm = DotsToUserUnits(kUnitTenthMm, dots < 0 ? 0 : dots, 1200);
    const int v = within(static_cast<int>(TenthMmToHundredthInch(static_cast<DWORD>(tenthMm))));
    WriteFieldRawById(context, inchField, static_cast<DWORD>(v));
    return;
  }
  // The inch copy rounded up to 0.1 mm, then to 1200-dpi units.
  const int tenthMm = within(static_cast<int>(HundredthInchToTenthMm(ReadFieldRawById(context, inchField))));
  WriteFieldRawById(context, sizeField, static_cast<DWORD>(UserUnitsToDots(kUnitTenthMm, tenthMm, 1200)));
}

void UnitPageOk(DriverContext* context) {
  const DWORD unit = ReadFieldRawById(context, fid::kdmDspUnit);
  if (ReadFieldRawById(context, fid::wdmDspUnit) == unit) return;
  WriteFieldRawById(context, fid::wdmDspUnit, unit);
  const bool inch = InchModeActive(context);
  if (!inch && !MillimetreModeActive(context)) return;
  CarryOver(context, VisibleSizeEdit(context, true), fid::kdmPaperFreeSizeLength, fid::kdmPaperINCHLength, inch);
  CarryOver(context, VisibleSizeEdit(context, false), fid::kdmPaperFreeSizeWidth, fid::kdmPaperINCHWidth, inch);
}

DWORD& Current(DriverContext* context) { return context->work->freeSizeEditing; }

HWND EntryList(DriverContext* context, PageRecord* page) {
  ControlRecord* list = FindControlById(context, page, kEntryList);
  if (list && list->window) return list->window;
  return page->window ? GetDlgItem(page->window, kEntryList) : nullptr;
}

void LoadEntry(DriverContext* context, int n) {
  Current(context) = static_cast<DWORD>(n);
  ReadFreeSize(context, n);
}

// After an edit: the list shows the entry being edited again and that entry keeps the edit.
void KeepEdit(DriverContext* context, PageRecord* page) {
  HWND list = EntryList(context, page);
  if (list) SendMessageW(list, LB_SETCURSEL, Current(context), 0);
  StoreEditedFreeSize(context);
  if (list) InvalidateRect(list, nullptr, TRUE);
}

// The bytes of the field a control edits, to tell whether a command changed it.
std::vector<BYTE> FieldBytes(DriverContext* context, ControlRecord* control) {
  SettingField* field = GetControlField(context, control);
  const BYTE* at = field ? GetFieldAddress(context, field) : nullptr;
  if (!at) return {};
  return std::vector<BYTE>(at, at + FieldSizeOf(field->type));
}

void InitEntryList(DriverContext* context, PageRecord* page, ControlRecord* control) {
  HWND list = control->window;
  if (SendMessageW(list, LB_GETCOUNT, 0, 0) == kEntries) return;
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (int i = 0; i < kEntries; ++i) {
    WCHAR name[128] = {};
    LoadUiString(context, static_cast<DWORD>(kFirstEntryName + i), name, 128, 1);
    const LRESULT at = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    if (at >= 0) SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(at), kFirstEntryName + i);
  }
  SendMessageW(list, LB_SETCURSEL, 0, 0);
  LoadEntry(context, 0);
  DispatchControlCommand(context, page, control, MAKEWPARAM(kEntryList, 1), reinterpret_cast<LPARAM>(list));
}

void EntryChosen(DriverContext* context, PageRecord* page, ControlRecord* control, WPARAM wParam, LPARAM lParam) {
  DispatchControlCommand(context, page, control, wParam, lParam);
  StoreEditedFreeSize(context);
  const auto at = static_cast<int>(SendMessageW(control->window, LB_GETCURSEL, 0, 0));
  if (at < 0 || at >= kEntries) return;
  LoadEntry(context, at);
  DispatchControlCommand(context, page, control, wParam, lParam);
  InvalidateRect(control->window, nullptr, TRUE);
  RefreshPage(context, page, 1);
}

// The list taking the focus shows the entry being edited again, and the page sees a click
// where no control is, which ends any press a control of the page is still holding.
void EntryListFocused(DriverContext* context, PageRecord* page, HWND list) {
  SendMessageW(list, LB_SETCURSEL, Current(context), 0);
  if (!page->window) return;
  const LPARAM nowhere = MAKELPARAM(0xFFFF, 0xFFFF);  // (-1, -1): outside every control
  SendMessageW(page->window, WM_LBUTTONDOWN, MK_LBUTTON, nowhere);
  SendMessageW(page->window, WM_LBUTTONUP, 0, nowhere);
}

void DefaultEntries(DriverContext* context, PageRecord* page, ControlRecord* button, WPARAM wParam, LPARAM lParam) {
  InitFreeSizeNames(context);
  for (int i = 0; i < kEntries; ++i) {
    FreeSizeRecordToFeatures(context, i);
    DispatchControlCommand(context, page, button, wParam, lParam);
    Current(context) = static_cast<DWORD>(i);
    StoreEditedFreeSize(context);
  }
  HWND list = EntryList(context, page);
  if (list) SendMessageW(list, LB_SETCURSEL, 0, 0);
  Current(context) = 0;
  FreeSizeRecordToFeatures(context, 0);
  if (list) InvalidateRect(list, nullptr, TRUE);
  RefreshPage(context, page, 1);
}

void DrawEntry(DriverContext* context, ControlRecord* control, const DRAWITEMSTRUCT* item) {
  const bool focus = (item->itemAction & ODA_FOCUS) || (item->itemState & ODS_FOCUS);
  HDC dc = item->hDC;
  if (item->itemID != static_cast<UINT>(-1) && (item->itemAction & (ODA_DRAWENTIRE | ODA_SELECT))) {
    const bool greyed = ControlGreyed(control) || (item->hwndItem && !IsWindowEnabled(item->hwndItem));
    const auto data = static_cast<DWORD>(SendMessageW(item->hwndItem, LB_GETITEMDATA, item->itemID, 0));
    const bool current = data == Current(context) + kFirstEntryName;
    RECT r = item->rcItem;
    FillRect(dc, &r, GetSysColorBrush(greyed ? COLOR_BTNFACE : current ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    SetTextColor(dc, GetSysColor(greyed ? COLOR_GRAYTEXT : current ? COLOR_HIGHLIGHTTEXT : kMenuTextColour));
    SetBkMode(dc, TRANSPARENT);
    WCHAR name[128] = {};
    if (data >= kFirstEntryName && data < kFirstEntryName + kEntries) LoadUiString(context, data, name, 128, 1);
    DrawTextW(dc, name, -1, &r, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    SetTextColor(dc, GetSysColor(kMenuTextColour));
  }
  if (focus) FrameRect(dc, &item->rcItem, GetSysColorBrush(COLOR_GRAYTEXT));
}

std::int32_t FreeSizePageMessage(DriverContext* context, PageRecord* page, ControlRecord* control, DWORD message,
                                 WPARAM wParam, LPARAM lParam) {
  if (!control || !context->work) return 0;
  const WORD id = control->controlId;
  const WORD command = LOWORD(static_cast<DWORD>(wParam));
  const WORD code = HIWORD(static_cast<DWORD>(wParam));
  if (id == kEntryList) {
    if (!control->window) return 0;
    switch (message) {
      case WM_INITDIALOG: InitEntryList(context, page, control); return 1;
      case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (!item || item->CtlID != id) return 0;
        DrawEntry(context, control, item);
        return 1;
      }
      case WM_COMMAND:
        if (command != id) return 0;
        if (code == LBN_SELCHANGE) EntryChosen(context, page, control, wParam, lParam);
        else if (code == LBN_SETFOCUS) EntryListFocused(context, page, control->window);
        else if (code != LBN_KILLFOCUS) return 0;
        return 1;
      default: return 0;
    }
  }
  if (message == WM_COMMAND && command == id && id == kFreeSizeTray) {
    // The edited free size into the entry the list selects; the tray's own command follows.
    HWND list = EntryList(context, page);
    const auto at = list ? static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0)) : -1;
    if (at >= 0 && at < kEntries) {
      FeaturesToFreeSizeRecord(context, at);
      WriteFreeSizeSection(context, at);
    }
    return 0;
  }
  if (message == WM_COMMAND && command == id && In(kFreeSizeEdits, id) && (code == EN_KILLFOCUS || code == EN_CHANGE)) {
    const std::vector<BYTE> before = FieldBytes(context, control);
    DispatchControlCommand(context, page, control, wParam, lParam);
    context->work->freeSizeValueChanged = FieldBytes(context, control) != before ? 1 : 0;
    KeepEdit(context, page);
    return 1;
  }
  if (message == WM_VSCROLL && In(kFreeSizeSpins, id) && control->window &&
      reinterpret_cast<HWND>(lParam) == control->window) {
    DispatchControlMessage(context, page, control, message, wParam, lParam);
    KeepEdit(context, page);
    return 1;
  }
  if (message == WM_COMMAND && command == id && id == kFreeSizeDefault) {
    DefaultEntries(context, page, control, wParam, lParam);
    return 1;
  }
  return 0;
}

std::int32_t InputPageMessage(DriverContext* context, PageRecord* page, ControlRecord* control, DWORD message,
                              WPARAM wParam, LPARAM lParam) {
  if (!control) return 0;
  const WORD id = control->controlId;
  const WORD command = LOWORD(static_cast<DWORD>(wParam));
  const WORD code = HIWORD(static_cast<DWORD>(wParam));
  if (message == WM_COMMAND && command == id && In(kInputEdits, id)) {
    if (code != EN_KILLFOCUS && code != EN_CHANGE) return 0;
    DispatchControlCommand(context, page, control, wParam, lParam);
    return 1;
  }
  if (message == WM_VSCROLL && In(kInputSpins, id) && control->window &&
      reinterpret_cast<HWND>(lParam) == control->window) {
    DispatchControlMessage(context, page, control, message, wParam, lParam);
    return 1;
  }
  if (message == WM_COMMAND && command == id && In(kInputChoices, id) && InchModeActive(context)) {
    DispatchControlCommand(context, page, control, wParam, lParam);
    ClampInchPaperSize(context);
    return 1;
  }
  return 0;
}

}  // namespace

std::int32_t CustomPaperModuleMessage(DriverContext* context, PageRecord* page, ControlRecord* control, DWORD message,
                                      WPARAM wParam, LPARAM lParam, void*) {
  if (!context || !page) return 0;
  switch (page->pageId) {
    case kUnitPage:
      if (!control && message == WM_COMMAND && LOWORD(static_cast<DWORD>(wParam)) == IDOK) UnitPageOk(context);
      return 0;
    case kFreeSizePage: return FreeSizePageMessage(context, page, control, message, wParam, lParam);
    case kInputPage: return InputPageMessage(context, page, control, message, wParam, lParam);
    default: return 0;
  }
}
