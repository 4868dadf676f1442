// The list and combo kinds: one item per offered value of the control's option, the item
// data its value id (also the id of its display string and picture).
#include "pages/list_kinds.h"

#include <cstdio>

#include "base/driver_context.h"
#include "base/settings_field.h"
#include "base/ui_strings.h"
#include "base/wide_text.h"
#include "context/module_events.h"
#include "context/page_binding.h"
#include "context/ui_picture_paint.h"
#include "fields/field_access.h"
#include "field_ids.h"
#include "model/module_dispatch.h"
#include "model/option_lookup.h"
#include "model/option_walk.h"
#include "model/rule_eval.h"
#include "modules/change_handling.h"
#include "modules/page_refresh.h"
#include "modules/preset_module.h"
#include "pages/help_tips.h"
#include "pages/static_kinds.h"
#include "stored/preset_list.h"
#include "stored/snapshot_ring.h"
#include "win/controls.h"
#include "win/msgbox.h"
#include "win/prsht.h"

namespace {

constexpr int kTextChars = 1025;
// A preset key has at most 31 characters.
constexpr int kPresetKeyRoom = 32;

struct ComboExtraData {
  WORD type;
  WORD reserved;
  DWORD showRefused;
  DWORD picture;
};

const ComboExtraData* ComboExtra(const ControlRecord* control) {
  return static_cast<const ComboExtraData*>(GetControlExtraData(control, 4));
}

// The offered values of the control's option in list order: nonzero, disable rule not holding.
template <typename Fn>
void ForEachOfferedValue(DriverContext* context, const ControlRecord* control, Fn fn) {
  const ImageRef option = ControlOption(context, control);
  if (!option) return;
  const ImageRef block = OptionCondition(option);
  DWORD steps = ImageSize(option.image) / 8 + 1;
  for (ImageRef item = OptionValues(option); item && steps--; item = NextOptionNode(option, item)) {
    const DWORD value = NextOptionValue(option, item, nullptr) & 0xFFFFu;
    if (value == 0) continue;
    if (block && IsItemDisabled(option, static_cast<WORD>(value), context)) continue;
    if (!fn(value)) return;
  }
}

bool IsHiddenValue(DriverContext* context, const ControlRecord* control, DWORD value) {
  const ImageRef option = ControlOption(context, control);
  return option && OptionCondition(option) && IsItemHidden(option, static_cast<WORD>(value), context);
}

// A value the user may see but not choose: its hide rule holds and the control shows such
// values (type-4 extra data with the flag) and has a message for them.
bool IsRefusedChoice(DriverContext* context, const ControlRecord* control, DWORD value) {
  const ComboExtraData* extra = ComboExtra(control);
  return extra && extra->showRefused && control->infoId && IsHiddenValue(context, control, value);
}

// A value drawn grey with the refusal picture.
WORD RefusedPicture(DriverContext* context, const ControlRecord* control, DWORD value) {
  const ComboExtraData* extra = ComboExtra(control);
  if (!extra || !extra->showRefused || !extra->picture || !IsHiddenValue(context, control, value)) return 0;
  return static_cast<WORD>(extra->picture);
}

void ShowRefusal(DriverContext* context, const ControlRecord* control) {
  WCHAR text[kTextChars] = {};
  LoadUiString(context, control->infoId, text, kTextChars, 1);
  MessageBoxW(control->window, text, u"Information", MB_ICONINFORMATION);
}

// The combo kinds compare a 16-bit field's value by its low word.
bool SameComboValue(const ControlRecord* control, DWORD itemData, DWORD value) {
  const DWORD code = control->field ? FieldCodeOf(control->field->type) : 0;
  if (code == FT_S16 || code == FT_U16) return (itemData & 0xFFFFu) == (value & 0xFFFFu);
  return itemData == value;
}

void FillItems(DriverContext* context, ControlRecord* control, bool combo, bool withText) {
  HWND w = control->window;
  SendMessageW(w, combo ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
  ForEachOfferedValue(context, control, [&](DWORD value) {
    WCHAR text[kTextChars] = {};
    if (withText) {
      LoadUiString(context, value, text, kTextChars, 1);
      // A value without a display string is shown by its number rather than as a blank line.
      if (!text[0]) {
        char digits[12];
        std::snprintf(digits, sizeof digits, "%lu", static_cast<unsigned long>(value));
        for (int i = 0; digits[i]; ++i) text[i] = static_cast<WCHAR>(digits[i]);
      }
    }
    const LRESULT at = SendMessageW(w, combo ? CB_ADDSTRING : LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (at >= 0) SendMessageW(w, combo ? CB_SETITEMDATA : LB_SETITEMDATA, static_cast<WPARAM>(at), value);
    return true;
  });
}

// The first item whose data matches; -1 when none does.
LRESULT FindItem(const ControlRecord* control, bool combo, DWORD value) {
  HWND w = control->window;
  const LRESULT count = SendMessageW(w, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const auto data = static_cast<DWORD>(SendMessageW(w, combo ? CB_GETITEMDATA : LB_GETITEMDATA, static_cast<WPARAM>(i), 0));
    if (combo ? SameComboValue(control, data, value) : data == value) return i;
  }
  return -1;
}

void SelectItem(const ControlRecord* control, bool combo, LRESULT at) {
  HWND w = control->window;
  if (SendMessageW(w, combo ? CB_GETCURSEL : LB_GETCURSEL, 0, 0) != at)
    SendMessageW(w, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(at), 0);
}

bool Usable(DriverContext* context, ControlRecord* control) {
  return context && control && control->window && GetControlField(context, control);
}

const DRAWITEMSTRUCT* DrawItemOf(const ControlRecord* control, UINT message, LPARAM lParam) {
  if (message != WM_DRAWITEM || !lParam) return nullptr;
  const auto* di = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
  if (di->CtlID != control->controlId || !di->hDC) return nullptr;
  if (!(di->itemAction & (ODA_DRAWENTIRE | ODA_SELECT))) return nullptr;
  return di;
}

LRESULT ColourListBackground(DriverContext* context, PageRecord* page, ControlRecord* control, LPARAM lParam) {
  if (reinterpret_cast<HWND>(lParam) != control->window) return 0;
  HBRUSH brush = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  if (ControlGreyed(control)) {
    brush = context->work && context->work->faceBrush ? static_cast<HBRUSH>(context->work->faceBrush)
                                                      : GetSysColorBrush(COLOR_BTNFACE);
  }
  if (page && page->window) SetWindowLongPtrW(page->window, DWLP_MSGRESULT, reinterpret_cast<LONG_PTR>(brush));
  return 1;
}

// A picture by id centred in `square` of the item's device context on `background`.
void DrawItemPicture(DriverContext* context, PageRecord* page, ControlRecord* control, HDC dc, const RECT& square,
                     DWORD pictureId, DWORD flags, COLORREF background) {
  PicturePaintState* ps = GetPaintState(context);
  if (!ps || !pictureId) return;
  HDC__* savedDc = ps->overrideDc;
  const DWORD savedBackground = ps->background;
  ps->overrideDc = dc;
  ps->background = background;
  DrawNamedPicture(context, page, control, control->window, &square, pictureId, flags, FALSE);
  ps->overrideDc = savedDc;
  ps->background = savedBackground;
}

int TextHeight(HDC dc) {
  SIZE size{};
  GetTextExtentPoint32W(dc, u"Ag", 2, &size);
  return size.cy;
}

// The item's text, after a picture square of the item's height when there is a picture.
void DrawItemText(DriverContext* context, PageRecord* page, ControlRecord* control, const DRAWITEMSTRUCT* di,
                  const WCHAR* text, DWORD pictureId, COLORREF background) {
  RECT r = di->rcItem;
  const int height = r.bottom - r.top;
  const int y = r.top + (height - TextHeight(di->hDC)) / 2;
  if (pictureId) {
    RECT textRect = r;
    textRect.left += height;
    ExtTextOutW(di->hDC, textRect.left, y, ETO_CLIPPED | ETO_OPAQUE, &textRect, text,
                static_cast<UINT>(WideLength(text)), nullptr);
    const RECT square{r.left, r.top, r.left + height, r.bottom};
    DrawItemPicture(context, page, control, di->hDC, square, pictureId, kPictureTransparent, background);
  } else {
    ExtTextOutW(di->hDC, r.left, y, ETO_CLIPPED | ETO_OPAQUE, &r, text, static_cast<UINT>(WideLength(text)), nullptr);
  }
}

// Steps shared by the owner-drawn combo and list: the text of a value, grey with the refusal
// picture when refused, else with its value picture.
void DrawValueText(DriverContext* context, PageRecord* page, ControlRecord* control, const DRAWITEMSTRUCT* di,
                   const WCHAR* text, DWORD value, COLORREF background) {
  const bool greyed = ControlGreyed(control) != 0;
  const bool selected = (di->itemState & ODS_SELECTED) != 0;
  const WORD refused = RefusedPicture(context, control, value);
  if (refused) {
    SetTextColor(di->hDC, GetSysColor(COLOR_GRAYTEXT));
    DrawItemText(context, page, control, di, text, refused, background);
  } else {
    const WORD picture = GetValuePicture(control, value);
    SetTextColor(di->hDC, GetSysColor(greyed ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
    DrawItemText(context, page, control, di, text, picture, background);
  }
  SetTextColor(di->hDC, GetSysColor(COLOR_MENUTEXT));
}

COLORREF ItemBackground(const ControlRecord* control, const DRAWITEMSTRUCT* di) {
  if (ControlGreyed(control)) return GetSysColor(COLOR_BTNFACE);
  if (di->itemState & ODS_SELECTED) return GetSysColor(COLOR_HIGHLIGHT);
  return GetSysColor(COLOR_WINDOW);
}

void FocusIfFocused(const DRAWITEMSTRUCT* di) {
  if ((di->itemAction & ODA_FOCUS) || (di->itemState & ODS_FOCUS)) DrawFocusRect(di->hDC, &di->rcItem);
}

// The preset key of list item `at` when it fits, else empty.
bool ReadPresetKey(const ControlRecord* control, LRESULT at, WCHAR (&key)[kPresetKeyRoom]) {
  key[0] = 0;
  const LRESULT length = SendMessageW(control->window, LB_GETTEXTLEN, static_cast<WPARAM>(at), 0);
  if (length < 0 || length >= kPresetKeyRoom) return false;
  return SendMessageW(control->window, LB_GETTEXT, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(key)) >= 0;
}

// The entry number of a "PresetList<n>" key; -1 for any other key.
int PresetEntryOf(const WCHAR* key) {
  static constexpr char16_t kPrefix[] = u"PresetList";
  int i = 0;
  for (; kPrefix[i]; ++i)
    if (key[i] != kPrefix[i]) return -1;
  if (key[i] < u'0' || key[i] > u'9') return -1;
  int n = 0;
  for (; key[i] >= u'0' && key[i] <= u'9' && n < 1000; ++i) n = n * 10 + (key[i] - u'0');
  return key[i] ? -1 : n;
}

ControlRecord* FindControlInAnyPage(DriverContext* context, WORD controlId, PageRecord** pageOut) {
  for (int p = 0; p < context->pages.count; ++p) {
    PageRecord* page = &context->pages.records[p];
    for (int i = 0; i < page->controlCount; ++i) {
      if (page->controls[i].controlId == controlId) {
        *pageOut = page;
        return &page->controls[i];
      }
    }
  }
  return nullptr;
}

}  // namespace

// ---- value lists and combos ---------------------------------------------------------------

void InitValueList(DriverContext* context, PageRecord*, ControlRecord* control) {
  if (!Usable(context, control)) return;
  FillItems(context, control, false, true);
}

void SelectListCurrent(DriverContext* context, PageRecord*, ControlRecord* control) {
  if (!Usable(context, control)) return;
  SelectItem(control, false, FindItem(control, false, GetControlFieldValue(context, control)));
}

LRESULT OnValueListCommand(DriverContext* context, PageRecord* page, ControlRecord* control, WPARAM wParam, LPARAM) {
  if (!Usable(context, control) || HIWORD(static_cast<DWORD>(wParam)) != LBN_SELCHANGE) return 0;
  const LRESULT at = SendMessageW(control->window, LB_GETCURSEL, 0, 0);
  if (at < 0) return 0;
  const auto value = static_cast<DWORD>(SendMessageW(control->window, LB_GETITEMDATA, static_cast<WPARAM>(at), 0));
  if (value == GetControlFieldValue(context, control)) return 0;
  if (IsRefusedChoice(context, control, value)) {
    ShowRefusal(context, control);
    SelectListCurrent(context, page, control);
    return 1;
  }
  SetControlValueAndApply(context, page, control, value);
  return 1;
}

void InitValueCombo(DriverContext* context, PageRecord* page, ControlRecord* control) {
  if (!Usable(context, control)) return;
  FillItems(context, control, true, true);
  SelectComboCurrent(context, page, control);
}

void SelectComboCurrent(DriverContext* context, PageRecord*, ControlRecord* control) {
  if (!Usable(context, control)) return;
  SelectItem(control, true, FindItem(control, true, GetControlFieldValue(context, control)));
}

void UpdateOwnerDrawnCombo(DriverContext* context, PageRecord*, ControlRecord* control) {
  if (!Usable(context, control)) return;
  if (!(control->field->marks & FIELD_MARK_CHANGED_MASK)) return;
  const LRESULT at = FindItem(control, true, GetControlFieldValue(context, control));
  if (at >= 0) SelectItem(control, true, at);
}

LRESULT OnValueComboCommand(DriverContext* context, PageRecord* page, ControlRecord* control, WPARAM wParam, LPARAM) {
  if (!Usable(context, control) || HIWORD(static_cast<DWORD>(wParam)) != CBN_SELCHANGE) return 0;
  if (!page || context->pageId != page->pageId) return 0;
  const DWORD remembered = GetControlFieldValue(context, control);
  const LRESULT at = SendMessageW(control->window, CB_GETCURSEL, 0, 0);
  if (at < 0) return 0;
  const auto value = static_cast<DWORD>(SendMessageW(control->window, CB_GETITEMDATA, static_cast<WPARAM>(at), 0));
  if (IsRefusedChoice(context, control, value)) {
    ShowRefusal(context, control);
    SelectItem(control, true, FindItem(control, true, remembered));
    return 1;
  }
  if (SameComboValue(control, value, remembered)) {
    // The same value again: its alert and follow-up run again, nothing is written.
    ApplyControlValue(context, page, control, 0, 0);
    return 1;
  }
  SetControlValueAndApply(context, page, control, value);
  if (GetControlFieldValue(context, control) != remembered) NotifyModules(context, MODEV_USER_PICKED, control);
  return 1;
}

LRESULT DrawComboItem(DriverContext* context, PageRecord* page, ControlRecord* control, UINT message, WPARAM,
                      LPARAM lParam) {
  const DRAWITEMSTRUCT* di = DrawItemOf(control, message, lParam);
  if (!di || !control->window || static_cast<int>(di->itemID) < 0) return 0;
  const COLORREF background = ItemBackground(control, di);
  const COLORREF previous = SetBkColor(di->hDC, background);
  if ((di->itemState & ODS_SELECTED) && SendMessageW(control->window, CB_GETDROPPEDSTATE, 0, 0) && page &&
      page->window) {
    // The tip of the item under the selection, below the combo's edit part.
    RECT box{};
    GetWindowRect(control->window, &box);
    POINT at{box.left, box.bottom};
    ScreenToClient(page->window, &at);
    ShowTipPopup(context, control, page->window, at.x, at.y + di->rcItem.top, static_cast<int>(di->itemID));
  }
  WCHAR text[kTextChars] = {};
  const LRESULT length = SendMessageW(control->window, CB_GETLBTEXTLEN, di->itemID, 0);
  if (length >= 0 && length < kTextChars)
    SendMessageW(control->window, CB_GETLBTEXT, di->itemID, reinterpret_cast<LPARAM>(text));
  DrawValueText(context, page, control, di, text, static_cast<DWORD>(di->itemData), background);
  SetBkColor(di->hDC, previous);
  FocusIfFocused(di);
  return 1;
}

// ---- owner-drawn lists and the check list ----------------------------------------------------

void InitOwnerDrawnList(DriverContext* context, PageRecord* page, ControlRecord* control) {
  if (!Usable(context, control)) return;
  FillItems(context, control, false, false);
  SelectListCurrent(context, page, control);
}

LRESULT DrawListItem(DriverContext* context, PageRecord* page, ControlRecord* control, UINT message, WPARAM,
                     LPARAM lParam) {
  if (message == WM_CTLCOLORLISTBOX) return ColourListBackground(context, page, control, lParam);
  const DRAWITEMSTRUCT* di = DrawItemOf(control, message, lParam);
  if (!di || !di->itemData || !control->window) return 0;
  const COLORREF background = ItemBackground(control, di);
  HBRUSH fill = CreateSolidBrush(background);
  FillRect(di->hDC, &di->rcItem, fill);
  DeleteObject(fill);
  const COLORREF previous = SetBkColor(di->hDC, background);
  if (control->flags & CTLF_PICTURE_ITEMS) {
    DrawItemPicture(context, page, control, di->hDC, di->rcItem, static_cast<DWORD>(di->itemData), 9, background);
  } else {
    WCHAR text[kTextChars] = {};
    const LRESULT length = SendMessageW(control->window, LB_GETTEXTLEN, di->itemID, 0);
    if (length >= 0 && length < kTextChars)
      SendMessageW(control->window, LB_GETTEXT, di->itemID, reinterpret_cast<LPARAM>(text));
    DrawValueText(context, page, control, di, text, static_cast<DWORD>(di->itemData), background);
  }
  SetBkColor(di->hDC, previous);
  FocusIfFocused(di);
  return 1;
}

WORD CheckListLineField(const ControlRecord* control, LRESULT line) {
  if (!control || line < 0) return 0;
  const auto* ids = static_cast<const WORD*>(control->extraData);
  if (!ids) return 0;
  // The array ends with id 0: no line past it has a field.
  for (LRESULT i = 0; i < line; ++i)
    if (!ids[i]) return 0;
  return ids[line];
}

LRESULT DrawCheckListItem(DriverContext* context, PageRecord* page, ControlRecord* control, UINT message, WPARAM wParam,
                          LPARAM lParam) {
  if (!context || !control) return 0;
  if (message == WM_CTLCOLORLISTBOX) return ColourListBackground(context, page, control, lParam);
  if (message == WM_LBUTTONUP || (message == WM_CHAR && wParam == static_cast<WPARAM>(u' '))) {
    if (!control->window) return 0;
    const LRESULT line = SendMessageW(control->window, LB_GETCURSEL, 0, 0);
    const WORD fieldId = CheckListLineField(control, line);
    if (line >= 0 && !ControlGreyed(control) && fieldId) {
      SetFieldValueById(context, fieldId, GetFieldValueById(context, fieldId) == 0 ? 1 : 0);
      InvalidateRect(control->window, nullptr, TRUE);
    }
    if (page && page->window) SendMessageW(GetParent(page->window), PSM_CHANGED, reinterpret_cast<WPARAM>(page->window), 0);
    return 0;
  }
  const DRAWITEMSTRUCT* di = DrawItemOf(control, message, lParam);
  if (!di || !di->itemData) return 0;
  const WORD fieldId = CheckListLineField(control, static_cast<int>(di->itemID));
  const bool set = fieldId && GetFieldValueById(context, fieldId) != 0;
  const bool greyed = ControlGreyed(control) || IsHiddenValue(context, control, static_cast<DWORD>(di->itemData));
  const DWORD box = greyed ? (set ? 7004 : 7002) : (set ? 7003 : 7001);
  const COLORREF background = GetSysColor(greyed ? COLOR_BTNFACE : COLOR_WINDOW);
  HBRUSH fill = CreateSolidBrush(background);
  FillRect(di->hDC, &di->rcItem, fill);
  DeleteObject(fill);
  WCHAR text[kTextChars] = {};
  LoadUiString(context, static_cast<DWORD>(di->itemData), text, kTextChars, 1);
  const int height = TextHeight(di->hDC);
  const int mode = SetBkMode(di->hDC, TRANSPARENT);
  const COLORREF previous = SetTextColor(di->hDC, GetSysColor(greyed ? COLOR_GRAYTEXT : COLOR_MENUTEXT));
  RECT textRect = di->rcItem;
  textRect.left += 2 * height;
  ExtTextOutW(di->hDC, textRect.left, di->rcItem.top + (di->rcItem.bottom - di->rcItem.top - height) / 2, ETO_CLIPPED,
              &textRect, text, static_cast<UINT>(WideLength(text)), nullptr);
  SetTextColor(di->hDC, previous);
  SetBkMode(di->hDC, mode);
  const int side = di->rcItem.bottom - di->rcItem.top;
  const RECT square{di->rcItem.left, di->rcItem.top, di->rcItem.left + side, di->rcItem.bottom};
  DrawItemPicture(context, page, control, di->hDC, square, box, kPictureTransparent, background);
  FocusIfFocused(di);
  return 1;
}

// ---- the preset list ------------------------------------------------------------------------

void InitPresetIconList(DriverContext* context, PageRecord* page, ControlRecord* control) {
  if (!Usable(context, control)) return;
  SendMessageW(control->window, LB_RESETCONTENT, 0, 0);
  const int presets = GetPresetCount(context);
  ForEachOfferedValue(context, control, [&](DWORD value) {
    if (SendMessageW(control->window, LB_GETCOUNT, 0, 0) >= presets) return false;
    WCHAR key[kTextChars] = {};
    LoadUiString(context, value, key, kTextChars, 1);
    if (WideLength(key) >= kPresetKeyRoom) key[kPresetKeyRoom - 1] = 0;
    const LRESULT at = SendMessageW(control->window, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(key));
    if (at >= 0) SendMessageW(control->window, LB_SETITEMDATA, static_cast<WPARAM>(at), value);
    return true;
  });
  SelectListCurrent(context, page, control);
}

LRESULT DrawPresetIcon(DriverContext* context, PageRecord* page, ControlRecord* control, UINT message, WPARAM,
                       LPARAM lParam) {
  const DRAWITEMSTRUCT* di = DrawItemOf(control, message, lParam);
  if (!di || !context || !control->window || static_cast<int>(di->itemID) < 0) return 0;
  // The preset is loaded into a snapshot that is put back afterwards, so drawing never
  // changes the settings; without room for the snapshot only the name is drawn.
  const bool pushed = PushSettingsSnapshot(context) != 0;
  WCHAR key[kPresetKeyRoom] = {};
  const bool haveKey = ReadPresetKey(control, static_cast<LRESULT>(di->itemID), key);
  if (pushed && haveKey) {
    static constexpr WORD kKept[4] = {fid::dmDefaultSource, fid::dmColor, fid::kdmOutputTrayID, fid::kdmMediaType};
    DWORD kept[4] = {};
    for (int i = 0; i < 4; ++i) kept[i] = GetFieldValueById(context, kKept[i]);
    ApplyPresetByKey(context, key);
    if ((di->itemAction & ODA_DRAWENTIRE) && (di->itemState & ODS_SELECTED))
      for (int i = 0; i < 4; ++i) SetFieldValueById(context, kKept[i], kept[i]);
  }
  if (di->itemData) {
    const COLORREF background = ControlGreyed(control)                ? GetSysColor(COLOR_BTNFACE)
                                : (di->itemState & ODS_SELECTED) ? GetSysColor(COLOR_HIGHLIGHT)
                                                                     : RGB(255, 255, 255);
    PicturePaintState* ps = GetPaintState(context);
    const DWORD savedBackground = ps ? ps->background : 0;
    if (ps) ps->background = background;
    HBRUSH fill = CreateSolidBrush(background);
    FillRect(di->hDC, &di->rcItem, fill);
    DeleteObject(fill);
    // The name in a band at the bottom.
    WCHAR name[kTextChars] = {};
    const int entry = haveKey ? PresetEntryOf(key) : -1;
    if (entry >= 0) ReadPresetListText(context, entry, 1, name);
    HGDIOBJ font = page && page->window ? reinterpret_cast<HGDIOBJ>(SendMessageW(page->window, WM_GETFONT, 0, 0)) : nullptr;
    HGDIOBJ oldFont = font ? SelectObject(di->hDC, font) : nullptr;
    const int band = TextHeight(di->hDC) + 4;
    RECT nameRect = di->rcItem;
    nameRect.top = nameRect.bottom - band;
    const int mode = SetBkMode(di->hDC, TRANSPARENT);
    const COLORREF textColour = ControlGreyed(control)                ? GetSysColor(COLOR_GRAYTEXT)
                                : (di->itemState & ODS_SELECTED) ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                                                                     : RGB(0, 0, 0);
    const COLORREF previous = SetTextColor(di->hDC, textColour);
    DrawTextW(di->hDC, name, -1, &nameRect, DT_END_ELLIPSIS | DT_NOPREFIX | DT_CENTER);
    SetTextColor(di->hDC, previous);
    SetBkMode(di->hDC, mode);
    if (oldFont) SelectObject(di->hDC, oldFont);
    // The rest shows the page picture of the linked preview with the preset's settings.
    PageRecord* previewPage = nullptr;
    ControlRecord* preview = pushed && haveKey && control->linkedId
                                 ? FindControlInAnyPage(context, control->linkedId, &previewPage)
                                 : nullptr;
    if (preview) {
      RECT pictureRect = di->rcItem;
      pictureRect.bottom = nameRect.top;
      PaintPictureControl(context, previewPage, preview, di->hDC, &pictureRect);
    }
    if (ps) ps->background = savedBackground;
  }
  if (pushed) PopSettingsSnapshot(context, 1);
  FocusIfFocused(di);
  return 1;
}

LRESULT OnPresetIconListCommand(DriverContext* context, PageRecord* page, ControlRecord* control, WPARAM wParam,
                                LPARAM) {
  if (!Usable(context, control) || HIWORD(static_cast<DWORD>(wParam)) != LBN_SELCHANGE) return 0;
  const LRESULT at = SendMessageW(control->window, LB_GETCURSEL, 0, 0);
  if (at < 0) return 0;
  WCHAR key[kPresetKeyRoom] = {};
  if (!ReadPresetKey(control, at, key)) return 0;
  UpdatePresetChangeCache(context, key, PCC_FREE);
  if (!PushSettingsSnapshot(context)) {
    // Without a snapshot a refused preset could not be taken back: the choice is undone.
    MessageBeep(0xFFFFFFFF);
    SelectListCurrent(context, page, control);
    return 1;
  }
  ApplyPresetByKey(context, key);
  SetControlFieldValue(context, control,
                       static_cast<DWORD>(SendMessageW(control->window, LB_GETITEMDATA, static_cast<WPARAM>(at), 0)));
  if (ApplyControlValue(context, page, control, 0, 0)) {
    PopSettingsSnapshot(context, 1);
    MessageBeep(0xFFFFFFFF);
    WCHAR first[kPresetKeyRoom] = {};
    if (ReadPresetKey(control, 0, first)) {
      ApplyPresetByKey(context, first);
      SetControlFieldValue(context, control, static_cast<DWORD>(SendMessageW(control->window, LB_GETITEMDATA, 0, 0)));
      if (GetFieldValueById(context, fid::kdmHiddenFunc13) || GetFieldValueById(context, fid::kdmHiddenFunc14))
        OpenFollowUpPage(context, page, ControlOption(context, control), control->afterChange);
    }
    SelectListCurrent(context, page, control);
  } else {
    PopSettingsSnapshot(context, 0);
  }
  RefreshPage(context, page, 1);
  return 1;
}
