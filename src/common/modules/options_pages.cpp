// The installable-options page: the check list of options whose lines switch printer-side
// settings, the list view of the paper trays and the details of the selected tray.
#include <cstdint>

#include "base/dictionary_pages.h"
#include "base/driver_context.h"
#include "base/ui_strings.h"
#include "context/module_hooks.h"
#include "context/page_binding.h"
#include "context/ui_picture_paint.h"
#include "field_ids.h"
#include "fields/field_access.h"
#include "fields/value_maps.h"
#include "model/option_lookup.h"
#include "model/rule_eval.h"
#include "modules/page_refresh.h"
#include "modules/tray_tables.h"
#include "stored/devmode_checks.h"
#include "win/commctrl.h"
#include "win/controls.h"
#include "win/paint.h"
#include "win/prsht.h"
#include "win/window.h"

namespace {

constexpr WORD kOptionPage = 1011;
constexpr WORD kOptionList = 2164;
constexpr WORD kTrayView = 2166;
constexpr WORD kTrayPaper = 2168;
constexpr WORD kTrayMedia = 2170;
constexpr WORD kPortrait = 2173;
constexpr WORD kLandscape = 2175;
constexpr WORD kTrayLock = 2551;
constexpr WORD kRebuild = 2176;
constexpr DWORD kFirstTrayValue = 2;
constexpr WORD kColumnTitles[] = {6001, 6002, 6003, 6004};
constexpr int kTextChars = 256;
// The system's menu text colour (COLOR_MENUTEXT).
constexpr int kMenuTextColour = 7;
// Check-box pictures of the option lines: off, off greyed, on, on greyed.
constexpr DWORD kBoxOff = 7001, kBoxOffGreyed = 7002, kBoxOn = 7003, kBoxOnGreyed = 7004;
// Feed pictures of the tray list.
constexpr DWORD kFeedShortEdge = 6193, kFeedLongEdge = 6194;
constexpr WORD kOutputOptionTypeRemote = 10062;

ControlRecord* Record(DriverContext* context, PageRecord* page, WORD id) {
  return page ? FindControlById(context, page, id) : nullptr;
}

HWND WindowOf(DriverContext* context, PageRecord* page, WORD id) {
  ControlRecord* c = Record(context, page, id);
  if (c && c->window) return c->window;
  return page && page->window ? GetDlgItem(page->window, id) : nullptr;
}

DWORD ControlValue(DriverContext* context, ControlRecord* control) {
  SettingField* field = control ? GetControlField(context, control) : nullptr;
  return field ? ReadFieldRaw(context, field) : 0;
}

void SetControlRaw(DriverContext* context, ControlRecord* control, DWORD value) {
  SettingField* field = control ? GetControlField(context, control) : nullptr;
  if (field) WriteFieldRaw(context, field, value);
}

void Changed(PageRecord* page) {
  if (page && page->window)
    SendMessageW(GetParent(page->window), PSM_CHANGED, reinterpret_cast<WPARAM>(page->window), 0);
}

// The per-tray field of the tray the view has selected; 0 for a tray without such fields.
WORD SelectedTrayField(DriverContext* context, PageRecord* page, TrayField kind) {
  const DWORD value = ControlValue(context, Record(context, page, kTrayView));
  return TrayFieldOf(TrayIndexOfValue(static_cast<WORD>(value)), kind);
}

// The detail controls show the tray's own settings; a tray without per-tray fields shows
// what they showed.
void ShowTrayDetails(DriverContext* context, PageRecord* page, DWORD trayValue) {
  const int t = TrayIndexOfValue(static_cast<WORD>(trayValue));
  const struct {
    WORD control;
    TrayField kind;
  } details[] = {{kTrayPaper, TrayField::Paper}, {kTrayMedia, TrayField::Media}, {kTrayLock, TrayField::Lock}};
  for (const auto& d : details)
    if (WORD field = TrayFieldOf(t, d.kind)) SetControlRaw(context, Record(context, page, d.control), ReadFieldRawById(context, field));
  if (WORD field = TrayFieldOf(t, TrayField::Orientation))
    SetControlRaw(context, Record(context, page, kPortrait), ReadFieldRawById(context, field) ? kLandscape : kPortrait);
}

void SetPresent(DriverContext* context, WORD value, bool present) {
  const WORD field = TrayFieldOf(TrayIndexOfValue(value), TrayField::Present);
  if (!field) return;
  const DWORD now = ReadFieldRawById(context, field);
  if (present && now == 0) WriteFieldRawById(context, field, 1);
  if (!present && now == 1) WriteFieldRawById(context, field, 0);
}

// A disabled tray still counts as present when the pair table gives it a partner and the
// two are not both disabled.
bool PresentThroughPartner(DriverContext* context, ImageRef option, WORD value) {
  for (const WORD(*p)[2] = TrayPairTable(); (*p)[0]; ++p)
    if ((*p)[0] == value && (*p)[1]) return !IsItemDisabled(option, (*p)[1], context);
  return false;
}

void InitTrayView(DriverContext* context, PageRecord* page, ControlRecord* control) {
  HWND view = control->window;
  if (!view || SendMessageW(view, LVM_GETITEMCOUNT, 0, 0) != 0) return;
  if (context->work && context->work->sheet.refreshGuard) return;
  RECT client{};
  GetClientRect(view, &client);
  const int width = (client.right - client.left) / 4;
  for (int i = 0; i < 4; ++i) {
    WCHAR title[kTextChars] = {};
    LoadUiString(context, kColumnTitles[i], title, kTextChars, 1);
    SendMessageW(view, LVM_DELETECOLUMN, static_cast<WPARAM>(i), 0);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.cx = width;
    column.pszText = title;
    column.iSubItem = i;
    SendMessageW(view, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
  }
  SetControlRaw(context, control, kFirstTrayValue);
  const ImageRef option = FindOptionByItemId(control->itemId, context);
  bool first = true;
  int listed = 0;
  int guard = 4096;  // a crafted item list cannot loop for ever
  for (ImageRef item = option ? OptionValues(option) : ImageRef{}; item && guard--;
       item = ItemNext(item)) {
    const WORD value = ItemValueId(item);
    if (!value) continue;
    if (IsItemDisabled(option, value, context)) {
      SetPresent(context, value, PresentThroughPartner(context, option, value));
      continue;
    }
    if (first) SetControlRaw(context, control, value);
    WCHAR text[kTextChars] = {};
    LoadUiString(context, value, text, kTextChars, 1);
    LVITEMW row{};
    row.mask = LVIF_TEXT | LVIF_STATE | LVIF_PARAM;
    row.iItem = listed++;
    row.pszText = text;
    row.state = value == ControlValue(context, control) ? LVIS_SELECTED : 0;
    row.stateMask = LVIS_SELECTED;
    row.lParam = value;
    SendMessageW(view, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&row));
    SetPresent(context, value, true);
    first = false;
  }
  ShowTrayDetails(context, page, ControlValue(context, control));
}

void RebuildTrayView(DriverContext* context, PageRecord* page) {
  ControlRecord* view = Record(context, page, kTrayView);
  if (!view) return;
  HWND window = view->window ? view->window : WindowOf(context, page, kTrayView);
  if (window) SendMessageW(window, LVM_DELETEALLITEMS, 0, 0);
  InitControl(context, page, view);
}

void RepaintView(DriverContext* context, PageRecord* page) {
  if (HWND view = WindowOf(context, page, kTrayView)) InvalidateRect(view, nullptr, TRUE);
}

// A click on (or a space in) the option list switches its selected line.
void OptionLineClicked(DriverContext* context, PageRecord* page, ControlRecord* control) {
  HWND list = control->window;
  const auto at = static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
  const auto value = at >= 0 ? static_cast<WORD>(SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(at), 0)) : 0;
  const TrayOptionRow* row = value ? FindTrayRow(value, 0) : nullptr;
  if (row && !IsTrayRowLocked(context, row)) {
    const DWORD flags = SwitchTrayOptionLine(context, row);
    if (row->repaintList || (flags & TRAY_REPAINT)) InvalidateRect(list, nullptr, TRUE);
    if (row->rebuildTrays || (flags & TRAY_REBUILD)) RebuildTrayView(context, page);
  }
  SetControlRaw(context, control, 0);
  DispatchControlCommand(context, page, control, MAKEWPARAM(kOptionList, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
  Changed(page);
  RefreshPage(context, page, 0);
}

int FillColour(bool greyed, bool selected) { return greyed ? COLOR_BTNFACE : selected ? COLOR_HIGHLIGHT : COLOR_WINDOW; }

void DrawFocus(HDC dc, const RECT& r) { FrameRect(dc, &r, GetSysColorBrush(COLOR_GRAYTEXT)); }

const WCHAR* PictureName(DWORD id) { return reinterpret_cast<const WCHAR*>(static_cast<std::uintptr_t>(id)); }

void DrawOptionLine(DriverContext* context, PageRecord* page, ControlRecord* control, const DRAWITEMSTRUCT* item) {
  HDC dc = item->hDC;
  const bool focus = (item->itemAction & ODA_FOCUS) || (item->itemState & ODS_FOCUS);
  if (item->itemID != static_cast<UINT>(-1) && (item->itemAction & (ODA_DRAWENTIRE | ODA_SELECT)) && item->itemData) {
    const auto value = static_cast<WORD>(item->itemData);
    const TrayOptionRow* row = FindTrayRow(value, 0);
    bool greyed = ControlGreyed(control) || IsTrayRowLocked(context, row);
    if (!row && value >= 285 && value <= 288 && ReadFieldRawById(context, kOutputOptionTypeRemote) == 0) greyed = true;
    const bool on = IsTrayRowOn(context, row);
    RECT r = item->rcItem;
    FillRect(dc, &r, GetSysColorBrush(greyed ? COLOR_BTNFACE : COLOR_WINDOW));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    WCHAR text[kTextChars] = {};
    LoadUiString(context, value, text, kTextChars, 1);
    SetTextColor(dc, GetSysColor(greyed ? COLOR_GRAYTEXT : kMenuTextColour));
    SetBkMode(dc, TRANSPARENT);
    RECT textRect{r.left + 2 * metrics.tmHeight, r.top, r.right, r.bottom};
    DrawTextW(dc, text, -1, &textRect, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    const DWORD box = on ? (greyed ? kBoxOnGreyed : kBoxOn) : (greyed ? kBoxOffGreyed : kBoxOff);
    DrawPicture(context, page, control, dc, &r, r.left, r.top, PictureName(box), kPictureTransparent, FALSE);
    SetTextColor(dc, GetSysColor(kMenuTextColour));
  }
  if (focus) DrawFocus(dc, item->rcItem);
}

// The text of a tray setting's value through the value map of a detail control's field.
void DetailText(DriverContext* context, PageRecord* page, WORD control, WORD trayField, WCHAR* text) {
  text[0] = 0;
  if (!trayField) return;
  ControlRecord* c = Record(context, page, control);
  SettingField* field = c ? GetControlField(context, c) : nullptr;
  const DWORD raw = ReadFieldRawById(context, trayField);
  const DWORD value = field ? RawToOptionIndex(context, field, raw) : raw;
  LoadUiString(context, value, text, kTextChars, 1);
}

void DrawTrayItem(DriverContext* context, PageRecord* page, ControlRecord* control, const DRAWITEMSTRUCT* item) {
  HDC dc = item->hDC;
  HWND view = item->hwndItem;
  const bool focus = (item->itemAction & ODA_FOCUS) || (item->itemState & ODS_FOCUS);
  if (item->itemID != static_cast<UINT>(-1) && (item->itemAction & (ODA_DRAWENTIRE | ODA_SELECT))) {
    const bool greyed = ControlGreyed(control) || (view && !IsWindowEnabled(view));
    const bool selected = (item->itemState & ODS_SELECTED) != 0;
    WCHAR name[kTextChars] = {};
    LVITEMW row{};
    row.mask = LVIF_TEXT | LVIF_PARAM;
    row.iItem = static_cast<int>(item->itemID);
    row.pszText = name;
    row.cchTextMax = kTextChars;
    SendMessageW(view, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&row));
    name[kTextChars - 1] = 0;
    const int t = TrayIndexOfValue(static_cast<WORD>(row.lParam));
    RECT r = item->rcItem;
    FillRect(dc, &r, GetSysColorBrush(FillColour(greyed, selected)));
    SetTextColor(dc, GetSysColor(greyed ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : kMenuTextColour));
    SetBkMode(dc, TRANSPARENT);
    WCHAR paper[kTextChars], media[kTextChars];
    DetailText(context, page, kTrayPaper, TrayFieldOf(t, TrayField::Paper), paper);
    DetailText(context, page, kTrayMedia, TrayFieldOf(t, TrayField::Media), media);
    const WORD orientField = TrayFieldOf(t, TrayField::Orientation);
    const bool rotated = orientField && ReadFieldRawById(context, orientField) != 0;
    const bool feedOne = ReadFieldRawById(context, fid::kdmMachineTypeFeed) == 1;
    const DWORD feed = rotated == feedOne ? kFeedLongEdge : kFeedShortEdge;
    int left = r.left;
    for (int column = 0; column < 4; ++column) {
      const auto width = static_cast<int>(SendMessageW(view, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
      RECT cell{left, r.top, left + (width > 0 ? width : 0), r.bottom};
      if (column == 2) {
        DrawPicture(context, page, control, dc, &cell, cell.left, cell.top, PictureName(feed), kPictureTransparent, FALSE);
      } else {
        const WCHAR* text = column == 0 ? name : column == 1 ? paper : media;
        DrawTextW(dc, text, -1, &cell, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
      }
      left = cell.right;
    }
    SetTextColor(dc, GetSysColor(kMenuTextColour));
  }
  if (focus) DrawFocus(dc, item->rcItem);
}

std::int32_t TrayViewMessage(DriverContext* context, PageRecord* page, ControlRecord* control, DWORD message,
                             WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: InitTrayView(context, page, control); return 1;
    case WM_NOTIFY: {
      const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
      if (LOWORD(static_cast<DWORD>(wParam)) != kTrayView || !change || change->hdr.code != LVN_ITEMCHANGED) return 0;
      SendModuleEvent11(context);
      const auto value = static_cast<DWORD>(change->lParam);
      if ((change->uNewState & LVIS_SELECTED) && value != ControlValue(context, control)) {
        SetControlRaw(context, control, value);
        ShowTrayDetails(context, page, value);
      }
      RefreshPage(context, page, 0);
      return 1;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (!item || item->CtlID != kTrayView) return 0;
      DrawTrayItem(context, page, control, item);
      return 1;
    }
    case WM_COMMAND: return LOWORD(static_cast<DWORD>(wParam)) == kTrayView ? 1 : 0;
    default: return 0;
  }
}

// The tray's orientation follows the radio buttons; true when it was written.
bool KeepTrayOrientation(DriverContext* context, PageRecord* page, bool always) {
  const WORD field = SelectedTrayField(context, page, TrayField::Orientation);
  if (!field) return false;
  const DWORD rotated = ControlValue(context, Record(context, page, kPortrait)) != kPortrait ? 1 : 0;
  if (!always && ReadFieldRawById(context, field) == rotated) return false;
  WriteFieldRawById(context, field, rotated);
  RepaintView(context, page);
  return true;
}

std::int32_t DetailMessage(DriverContext* context, PageRecord* page, ControlRecord* control, DWORD message,
                           WPARAM wParam, LPARAM lParam) {
  const WORD id = control->controlId;
  const WORD code = HIWORD(static_cast<DWORD>(wParam));
  if (id == kPortrait || id == kLandscape) {
    if (message == WM_PAINT) {
      KeepTrayOrientation(context, page, false);
      return 0;
    }
    if (message != WM_COMMAND || LOWORD(static_cast<DWORD>(wParam)) != id) return 0;
    DispatchControlCommand(context, page, control, wParam, lParam);
    KeepTrayOrientation(context, page, true);
    Changed(page);
    RefreshPage(context, page, 1);
    return 1;
  }
  if (message != WM_COMMAND || LOWORD(static_cast<DWORD>(wParam)) != id) return 0;
  if (id == kRebuild) {
    DispatchControlCommand(context, page, control, wParam, lParam);
    Changed(page);
    if (HWND list = WindowOf(context, page, kOptionList)) InvalidateRect(list, nullptr, TRUE);
    RebuildTrayView(context, page);
    RefreshPage(context, page, 1);
    return 1;
  }
  // A selection of the paper or media combo (CBN_SELCHANGE), a click of the lock box.
  const bool box = id == kTrayLock;
  if ((!box && code != CBN_SELCHANGE) || (box && code != BN_CLICKED)) return 0;
  DispatchControlCommand(context, page, control, wParam, lParam);
  const TrayField kind = id == kTrayPaper ? TrayField::Paper : id == kTrayMedia ? TrayField::Media : TrayField::Lock;
  if (WORD field = SelectedTrayField(context, page, kind)) WriteFieldRawById(context, field, ControlValue(context, control));
  RepaintView(context, page);
  return 1;
}

}  // namespace

std::int32_t OptionsModuleMessage(DriverContext* context, PageRecord* page, ControlRecord* control, DWORD message,
                                  WPARAM wParam, LPARAM lParam, void*) {
  if (!context || !page || !control || page->pageId != kOptionPage) return 0;
  switch (control->controlId) {
    case kOptionList: {
      if (!control->window) return 0;
      if (message == WM_LBUTTONUP || (message == WM_CHAR && wParam == u' ')) {
        if (!ControlGreyed(control)) OptionLineClicked(context, page, control);
        return 0;
      }
      if (message == WM_DRAWITEM) {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (!item || item->CtlID != kOptionList) return 0;
        DrawOptionLine(context, page, control, item);
        return 1;
      }
      return 0;
    }
    case kTrayView: return TrayViewMessage(context, page, control, message, wParam, lParam);
    case kTrayPaper:
    case kTrayMedia:
    case kTrayLock:
    case kPortrait:
    case kLandscape:
    case kRebuild: return DetailMessage(context, page, control, message, wParam, lParam);
    default: return 0;
  }
}
