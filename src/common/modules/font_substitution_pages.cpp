// The font substitution pages: the TrueType font list with the printer font that replaces
// each family, the printer font list that sets it, and the button that brings back the
// table stored in printer data.
#include <cstring>
#include <vector>

#include "base/dictionary_pages.h"
#include "base/driver_context.h"
#include "base/memory.h"
#include "context/module_hooks.h"
#include "context/page_binding.h"
#include "model/option_lookup.h"
#include "modules/font_lines.h"
#include "modules/module_text.h"
#include "modules/page_refresh.h"
#include "stored/font_names.h"
#include "win/controls.h"
#include "win/paint.h"
#include "win/prsht.h"
#include "win/window.h"

namespace {

constexpr WORD kFontPage = 1009;
constexpr WORD kUserFontPage = 4004;
constexpr WORD kTrueTypeList = 2385;
constexpr WORD kPrinterFontList = 2384;
constexpr WORD kRestoreButton = 2386;
constexpr WORD kFaceNameItems[] = {2383, 2291};
// The system's menu text colour (COLOR_MENUTEXT).
constexpr int kMenuTextColour = 7;

HWND PageWindowOf(PageRecord* page, HWND control) {
  if (page && page->window) return page->window;
  return control ? GetParent(control) : nullptr;
}

// The window of a control of the page: its record's window, else the page's child.
HWND ControlWindow(DriverContext* context, PageRecord* page, WORD id, ControlRecord** record = nullptr) {
  ControlRecord* c = page ? FindControlById(context, page, id) : nullptr;
  if (record) *record = c;
  if (c && c->window) return c->window;
  return page && page->window ? GetDlgItem(page->window, id) : nullptr;
}

// The text of a list line, read into a buffer its reported length sizes; false when the
// line is not there.
bool ReadListLine(HWND list, int index, std::vector<WCHAR>& text) {
  if (!list || index < 0) return false;
  const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length < 0) return false;
  text.assign(static_cast<std::size_t>(length) + 1, 0);
  const LRESULT got = SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  if (got < 0) return false;
  text.back() = 0;
  return true;
}

int CurrentLine(HWND list) {
  return list ? static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0)) : -1;
}

void CopyName(WCHAR* destination, const WCHAR* source) {
  int i = 0;
  for (; source && source[i] && i < kFontNameChars - 1; ++i) destination[i] = source[i];
  for (; i < kFontNameChars; ++i) destination[i] = 0;
}

void ShowFaceName(HWND page, const WCHAR* line) {
  WCHAR name[kFontNameChars + 1];
  FontLineName(line, name);
  for (WORD id : kFaceNameItems)
    if (HWND item = page ? GetDlgItem(page, id) : nullptr) SetWindowTextW(item, name);
}

void InitTrueTypeList(DriverContext* context, PageRecord* page, ControlRecord* control) {
  HWND list = control->window;
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  WCHAR line[kFontLineChars];
  FontFamilyWalk walk{context, control, line};
  HWND desktop = GetDesktopWindow();
  HDC dc = GetDC(desktop);
  EnumFontFamiliesW(dc, nullptr, AddFontFamilyLine, reinterpret_cast<LPARAM>(&walk));
  if (dc) ReleaseDC(desktop, dc);
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  SendMessageW(list, LB_SETCURSEL, 0, 0);
  std::vector<WCHAR> first;
  ShowFaceName(PageWindowOf(page, list), ReadListLine(list, 0, first) ? first.data() : u"");
  if (HWND fonts = ControlWindow(context, page, kPrinterFontList)) {
    SendMessageW(fonts, LB_SETTOPINDEX, 0, 0);
    SendMessageW(fonts, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  }
  InvalidateRect(list, nullptr, TRUE);
}

void InitPrinterFontList(DriverContext* context, ControlRecord* control) {
  HWND list = control->window;
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  const int count = GetDeviceFontCount(context);
  for (int i = 0; i < count; ++i) {
    WCHAR name[kFontNameChars];
    GetDeviceFontName(context, i, name);
    if (name[0] == u'@') continue;
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

// A line chosen in the TrueType font list: its face shows on the page and its printer font
// is selected in the printer font list.
void TrueTypeLineChosen(DriverContext* context, PageRecord* page, HWND list) {
  std::vector<WCHAR> line;
  if (!ReadListLine(list, CurrentLine(list), line)) return;
  ShowFaceName(PageWindowOf(page, list), line.data());
  WCHAR printerFont[kFontNameChars + 1];
  FontLinePrinterFont(line.data(), printerFont);
  ControlRecord* record = nullptr;
  HWND fonts = ControlWindow(context, page, kPrinterFontList, &record);
  if (!fonts) return;
  const int count = static_cast<int>(SendMessageW(fonts, LB_GETCOUNT, 0, 0));
  std::vector<WCHAR> entry;
  for (int i = 0; i < count; ++i) {
    if (!ReadListLine(fonts, i, entry) || !WideEquals(entry.data(), printerFont)) continue;
    SendMessageW(fonts, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
    break;
  }
  if (ControlGreyed(record)) SendMessageW(fonts, LB_SETTOPINDEX, 0, 0);
}

// A printer font chosen for the selected TrueType line: the line is replaced and the table
// stored. When the table cannot be stored the line goes back to what it was, so that the
// list keeps showing the table in force.
void PrinterFontChosen(DriverContext* context, PageRecord* page, HWND fonts) {
  HWND list = ControlWindow(context, page, kTrueTypeList);
  const int at = CurrentLine(list);
  std::vector<WCHAR> old, font;
  if (!ReadListLine(list, at, old) || !ReadListLine(fonts, CurrentLine(fonts), font)) return;
  WCHAR face[kFontNameChars + 1];
  FontLineName(old.data(), face);
  WCHAR line[kFontLineChars];
  MakeFontLine(face, font.data(), line);
  auto put = [&](const WCHAR* text) {
    SendMessageW(list, LB_INSERTSTRING, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(text));
    SendMessageW(list, LB_DELETESTRING, static_cast<WPARAM>(at + 1), 0);
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(at), 0);
  };
  put(line);
  if (!SaveFontSubstitutions(context, list)) {
    put(old.data());
    return;
  }
  HWND pageWindow = PageWindowOf(page, list);
  SendMessageW(GetParent(pageWindow), PSM_CHANGED, reinterpret_cast<WPARAM>(pageWindow), 0);
}

void RestoreStoredTable(DriverContext* context, PageRecord* page) {
  SetFontTable(context, 0, nullptr);
  ControlRecord* record = nullptr;
  ControlWindow(context, page, kTrueTypeList, &record);
  InitControl(context, page, record);
  if (page && page->window) SendMessageW(GetParent(page->window), PSM_CHANGED, reinterpret_cast<WPARAM>(page->window), 0);
  RefreshPage(context, page, 1);
}

void DrawFocus(HDC dc, const RECT& r) { FrameRect(dc, &r, GetSysColorBrush(COLOR_GRAYTEXT)); }

void DrawFontLine(ControlRecord* control, const DRAWITEMSTRUCT* item) {
  const bool focus = (item->itemAction & ODA_FOCUS) || (item->itemState & ODS_FOCUS);
  HDC dc = item->hDC;
  if (item->itemID != static_cast<UINT>(-1) && (item->itemAction & (ODA_DRAWENTIRE | ODA_SELECT))) {
    const bool greyed = ControlGreyed(control) || (item->hwndItem && !IsWindowEnabled(item->hwndItem));
    const bool selected = (item->itemState & ODS_SELECTED) != 0;
    RECT r = item->rcItem;
    FillRect(dc, &r, GetSysColorBrush(greyed ? COLOR_BTNFACE : selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    SetTextColor(dc, GetSysColor(greyed ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : kMenuTextColour));
    SetBkMode(dc, TRANSPARENT);
    std::vector<WCHAR> text;
    if (ReadListLine(item->hwndItem, static_cast<int>(item->itemID), text)) {
      constexpr UINT kFormat = DT_LEFT | DT_VCENTER | DT_SINGLELINE;
      if (control->controlId == kTrueTypeList) {
        WCHAR name[kFontNameChars + 1], printerFont[kFontNameChars + 1];
        FontLineName(text.data(), name);
        FontLinePrinterFont(text.data(), printerFont);
        const int middle = (r.left + r.right) / 2;
        RECT left{r.left, r.top, middle - 1, r.bottom};
        DrawTextW(dc, name, -1, &left, kFormat);
        MoveToEx(dc, middle - 1, r.top, nullptr);
        LineTo(dc, middle - 1, r.bottom);
        RECT right{middle, r.top, r.right, r.bottom};
        DrawTextW(dc, printerFont, -1, &right, kFormat);
        MoveToEx(dc, r.left, r.bottom - 1, nullptr);
        LineTo(dc, r.right, r.bottom - 1);
      } else {
        const int shown = static_cast<int>(WideLength(text.data()) < kFontNameChars ? WideLength(text.data())
                                                                                    : kFontNameChars);
        DrawTextW(dc, text.data(), shown, &r, kFormat);
      }
    }
    SetTextColor(dc, GetSysColor(kMenuTextColour));
  }
  if (focus) DrawFocus(dc, item->rcItem);
}

}  // namespace

int AddFontFamilyLine(const LOGFONTW* font, const TEXTMETRICW*, DWORD fontType, LPARAM param) {
  auto* walk = reinterpret_cast<FontFamilyWalk*>(param);
  if (!walk || !walk->line || !walk->list || !walk->list->window) return 1;
  if (!font || !(fontType & TRUETYPE_FONTTYPE) || font->lfFaceName[0] == u'@') return 1;
  WCHAR face[kFontNameChars];
  CopyName(face, font->lfFaceName);
  WCHAR printerFont[kFontNameChars];
  FindSubstituteFont(walk->context, face, printerFont);
  MakeFontLine(face, printerFont, walk->line);
  SendMessageW(walk->list->window, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(walk->line));
  return 1;
}

bool SaveFontSubstitutions(DriverContext* context, HWND list) {
  if (!context || !list) return false;
  const LRESULT n = SendMessageW(list, LB_GETCOUNT, 0, 0);
  if (n < 0) return false;
  WCHAR standard[kFontNameChars];
  GetDeviceFontName(context, 0, standard);
  struct Substitution {
    WCHAR face[kFontNameChars + 1];
    WCHAR printerFont[kFontNameChars + 1];
  };
  std::vector<Substitution> rows;
  std::vector<WCHAR> line;
  for (int i = 0; i < static_cast<int>(n); ++i) {
    if (!ReadListLine(list, i, line)) return false;
    Substitution s{};
    FontLineName(line.data(), s.face);
    FontLinePrinterFont(line.data(), s.printerFont);
    if (!WideEquals(s.printerFont, standard)) rows.push_back(s);
  }
  // A block of at least one record, so that a table with no substitution is told apart
  // from a failed allocation: the one is stored empty, the other leaves the table as it is.
  const std::size_t records = rows.empty() ? 1 : rows.size();
  auto* table = static_cast<FontSubstitutionRecord*>(AllocMem(static_cast<DWORD>(records * sizeof(FontSubstitutionRecord))));
  if (!table) return false;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    CopyName(table[i].trueTypeName, rows[i].face);
    CopyName(table[i].deviceFontName, rows[i].printerFont);
  }
  SetFontTable(context, static_cast<int>(rows.size()), table);
  return true;
}

std::int32_t FontSubstitutionModuleMessage(DriverContext* context, PageRecord* page, ControlRecord* control,
                                           DWORD message, WPARAM wParam, LPARAM lParam, void*) {
  if (!context || !page || !control || (page->pageId != kFontPage && page->pageId != kUserFontPage)) return 0;
  const WORD id = control->controlId;
  if (id != kTrueTypeList && id != kPrinterFontList && id != kRestoreButton) return 0;
  switch (message) {
    case WM_INITDIALOG:
      if (!control->window || id == kRestoreButton) return 0;
      if (id == kTrueTypeList)
        InitTrueTypeList(context, page, control);
      else
        InitPrinterFontList(context, control);
      return 1;
    case WM_COMMAND: {
      if (LOWORD(static_cast<DWORD>(wParam)) != id) return 0;
      const WORD code = HIWORD(static_cast<DWORD>(wParam));
      if (id == kRestoreButton) {
        if (code != BN_CLICKED) return 0;
        RestoreStoredTable(context, page);
        return 1;
      }
      if (code != LBN_SELCHANGE || !control->window) return 0;
      if (id == kTrueTypeList)
        TrueTypeLineChosen(context, page, control->window);
      else
        PrinterFontChosen(context, page, control->window);
      return 1;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (id == kRestoreButton || !item || item->CtlID != id) return 0;
      DrawFontLine(control, item);
      return 1;
    }
    default: return 0;
  }
}
