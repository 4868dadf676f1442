// Property sheets: pages made from records and created when first shown, a tab strip with
// the pages' titles, the sheet's OK, Cancel, Apply and Help buttons below, the sheet sized
// to its largest page, and the page notifications in Windows' order.
#include <algorithm>
#include <cstring>
#include <memory>
#include <set>

#include "plat/ui_driver.h"
#include "ui_internal.h"
#include "win/commctrl.h"
#include "win/errors.h"
#include "win/prsht.h"
#include "win/resources.h"

struct _PSP {
  std::vector<BYTE> record;  // the caller's record, copied whole (dwSize bytes)
  PROPSHEETPAGEW* page() { return reinterpret_cast<PROPSHEETPAGEW*>(record.data()); }
};

namespace plat::ui {
namespace {

constexpr std::size_t kMinimumPageSize = offsetof(PROPSHEETPAGEW, pcRefParent) + sizeof(UINT*);

struct Sheet {
  std::vector<HPROPSHEETPAGE> pages;
  std::vector<HWND> windows;  // null until the page is first shown
  int current = -1;
  std::set<HWND> changed;
  bool applied = false;
  DWORD flags = 0;
  HWND tab = nullptr;
  POINT pageOrigin{8, 30};  // where pages sit in the sheet
};

// The sheet's layout in pixels: its margin, the tab strip's height and the tab's border
// around a page, the buttons' size and the gap between them.
constexpr int kMargin = 11;
constexpr int kTabStrip = 21;
constexpr int kTabBorder = 4;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kButtonGap = 6;
// The id Windows gives a sheet's tab control.
constexpr int kTabId = 0x3020;

// A page's template bytes (its own or its resource's), or false.
bool PageTemplate(PROPSHEETPAGEW* p, const BYTE*& data, std::size_t& size) {
  if (p->dwFlags & PSP_DLGINDIRECT) {
    data = reinterpret_cast<const BYTE*>(p->pResource);
    size = 1u << 20;
    return data != nullptr;
  }
  HRSRC r = FindResourceW(p->hInstance, p->pszTemplate, RT_DIALOG);
  if (!r) return false;
  data = static_cast<const BYTE*>(LockResource(LoadResource(p->hInstance, r)));
  size = SizeofResource(p->hInstance, r);
  return data != nullptr;
}

// A page's tab title: its record's title (PSP_USETITLE, text or string id), else its
// template's caption.
std::u16string PageTitle(PROPSHEETPAGEW* p) {
  if ((p->dwFlags & PSP_USETITLE) && p->pszTitle) {
    if (!IS_INTRESOURCE(p->pszTitle)) return p->pszTitle;
    WCHAR text[256] = {};
    const int n = LoadStringW(p->hInstance, static_cast<UINT>(reinterpret_cast<ULONG_PTR>(p->pszTitle)), text, 256);
    return std::u16string(text, static_cast<std::size_t>(std::max(0, n)));
  }
  const BYTE* data = nullptr;
  std::size_t size = 0;
  std::u16string title;
  if (PageTemplate(p, data, size)) TemplateSizeAndTitle(data, size, nullptr, &title);
  return title;
}

Sheet* SheetOf(HWND h) { return reinterpret_cast<Sheet*>(GetPropW(h, u"KovaSheet")); }

LRESULT Notify(HWND sheet, HWND page, UINT code, LPARAM lParam) {
  PSHNOTIFY n{{sheet, 0, code}, lParam};
  return SendMessageW(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&n));
}

void UpdateApply(HWND sheet, Sheet& s) {
  if (HWND apply = ChildById(sheet, ID_APPLY_NOW)) EnableWindow(apply, s.changed.empty() ? FALSE : TRUE);
}

// Creates a page's dialog the first time it is shown.
HWND EnsurePage(HWND sheet, Sheet& s, int index) {
  if (s.windows[static_cast<std::size_t>(index)]) return s.windows[static_cast<std::size_t>(index)];
  PROPSHEETPAGEW* p = s.pages[static_cast<std::size_t>(index)]->page();
  if ((p->dwFlags & PSP_USECALLBACK) && p->pfnCallback && !p->pfnCallback(nullptr, PSPCB_CREATE, p)) return nullptr;
  const BYTE* data = nullptr;
  std::size_t size = 0;
  if (!PageTemplate(p, data, size)) return nullptr;
  HWND page = CreateDialogFromTemplate(p->hInstance, data, size, sheet, p->pfnDlgProc, reinterpret_cast<LPARAM>(p), true);
  if (!page) return nullptr;
  // Pages sit in the tab's body, above the buttons, over the tab in z-order.
  RECT r;
  GetWindowRect(page, &r);
  SetWindowPos(page, HWND_TOP, s.pageOrigin.x, s.pageOrigin.y, r.right - r.left, r.bottom - r.top, SWP_NOACTIVATE);
  s.windows[static_cast<std::size_t>(index)] = page;
  return page;
}

bool SetCurrent(HWND sheet, Sheet& s, int index) {
  if (index < 0 || index >= static_cast<int>(s.pages.size())) return false;
  if (index == s.current) return true;
  if (s.current >= 0) {
    HWND old = s.windows[static_cast<std::size_t>(s.current)];
    if (old && Notify(sheet, old, PSN_KILLACTIVE, 0)) return false;
  }
  HWND page = EnsurePage(sheet, s, index);
  if (!page) return false;
  const int previous = s.current;
  s.current = index;
  Notify(sheet, page, PSN_SETACTIVE, 0);
  if (previous >= 0 && s.windows[static_cast<std::size_t>(previous)])
    ShowWindow(s.windows[static_cast<std::size_t>(previous)], SW_HIDE);
  ShowWindow(page, SW_SHOW);
  if (s.tab) SendMessageW(s.tab, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
  PROPSHEETPAGEW* p = s.pages[static_cast<std::size_t>(index)]->page();
  if (HWND help = ChildById(sheet, IDHELP)) EnableWindow(help, (p->dwFlags & PSP_HASHELP) ? TRUE : FALSE);
  return true;
}

// PSN_APPLY to every page that was shown, in page order. False when one refused: the
// sheet stays, on that page (PSNRET_INVALID) or on the current one.
bool ApplyAll(HWND sheet, Sheet& s, bool closing) {
  if (s.current >= 0 && Notify(sheet, s.windows[static_cast<std::size_t>(s.current)], PSN_KILLACTIVE, 0)) return false;
  for (std::size_t i = 0; i < s.pages.size(); ++i) {
    HWND page = s.windows[i];
    if (!page) continue;
    const LRESULT r = Notify(sheet, page, PSN_APPLY, closing ? TRUE : FALSE);
    if (r == PSNRET_INVALID) {
      SetCurrent(sheet, s, static_cast<int>(i));
      return false;
    }
    if (r == PSNRET_INVALID_NOCHANGEPAGE) return false;
  }
  s.applied = true;
  s.changed.clear();
  UpdateApply(sheet, s);
  return true;
}

void Press(HWND sheet, Sheet& s, int id) {
  switch (id) {
    case IDOK:
      if (ApplyAll(sheet, s, true)) EndDialog(sheet, s.applied ? 1 : 0);
      break;
    case ID_APPLY_NOW:
      if (!s.changed.empty()) ApplyAll(sheet, s, false);
      break;
    case IDCANCEL: {
      HWND page = s.current >= 0 ? s.windows[static_cast<std::size_t>(s.current)] : nullptr;
      if (page && Notify(sheet, page, PSN_QUERYCANCEL, 0)) break;
      for (HWND p : s.windows)
        if (p) Notify(sheet, p, PSN_RESET, 0);
      EndDialog(sheet, s.applied ? 1 : 0);
      break;
    }
    case IDHELP:
      if (s.current >= 0) Notify(sheet, s.windows[static_cast<std::size_t>(s.current)], PSN_HELP, 0);
      break;
    default: break;
  }
}

INT_PTR SheetProc(HWND sheet, UINT msg, WPARAM wParam, LPARAM lParam) {
  Sheet* s = SheetOf(sheet);
  if (!s) return FALSE;
  auto answer = [&](LRESULT v) {
    SetWindowLongPtrW(sheet, DWLP_MSGRESULT, v);
    return TRUE;
  };
  switch (msg) {
    case WM_COMMAND: {
      const int id = LOWORD(static_cast<DWORD_PTR>(wParam));
      if (id == IDOK || id == IDCANCEL || id == ID_APPLY_NOW || id == IDHELP) {
        Press(sheet, *s, id);
        return TRUE;
      }
      // A command of a control the sheet does not own goes to the active page.
      if (s->current >= 0) {
        if (HWND page = s->windows[static_cast<std::size_t>(s->current)]) SendMessageW(page, WM_COMMAND, wParam, lParam);
        return TRUE;
      }
      return FALSE;
    }
    case PSM_SETCURSEL: {
      int index = static_cast<int>(wParam);
      if (lParam) {
        auto it = std::find(s->pages.begin(), s->pages.end(), reinterpret_cast<HPROPSHEETPAGE>(lParam));
        index = it == s->pages.end() ? -1 : static_cast<int>(it - s->pages.begin());
      }
      return answer(SetCurrent(sheet, *s, index) ? TRUE : FALSE);
    }
    case PSM_CHANGED:
      s->changed.insert(reinterpret_cast<HWND>(wParam));
      UpdateApply(sheet, *s);
      return answer(0);
    case PSM_UNCHANGED:
      s->changed.erase(reinterpret_cast<HWND>(wParam));
      UpdateApply(sheet, *s);
      return answer(0);
    case PSM_APPLY:
      // The changes of every page validated and recorded, as the Apply button does, also on
      // a sheet that shows no Apply button.
      return answer(ApplyAll(sheet, *s, false) ? TRUE : FALSE);
    case PSM_PRESSBUTTON: {
      static const int kIds[] = {0, 0, 0, IDOK, ID_APPLY_NOW, IDCANCEL, IDHELP};
      if (wParam < sizeof kIds / sizeof kIds[0] && kIds[wParam]) Press(sheet, *s, kIds[wParam]);
      return answer(0);
    }
    case PSM_GETCURRENTPAGEHWND:
      return answer(s->current >= 0 ? reinterpret_cast<LRESULT>(s->windows[static_cast<std::size_t>(s->current)]) : 0);
    case PSM_INDEXTOPAGE:
      return answer(wParam < s->pages.size() ? reinterpret_cast<LRESULT>(s->pages[wParam]) : 0);
    case PSM_INDEXTOID: {
      // The page's template resource id, known before the page was ever shown (0 for a page
      // made from a template in memory or named by a string).
      if (wParam >= s->pages.size()) return answer(0);
      const PROPSHEETPAGEW* p = s->pages[wParam]->page();
      const auto id = reinterpret_cast<ULONG_PTR>(p->pszTemplate);
      return answer(!(p->dwFlags & PSP_DLGINDIRECT) && id <= 0xFFFF ? static_cast<LRESULT>(id) : 0);
    }
    case PSM_HWNDTOINDEX: {
      auto it = std::find(s->windows.begin(), s->windows.end(), reinterpret_cast<HWND>(wParam));
      return answer(it == s->windows.end() ? -1 : it - s->windows.begin());
    }
    case PSM_PAGETOINDEX: {
      auto it = std::find(s->pages.begin(), s->pages.end(), reinterpret_cast<HPROPSHEETPAGE>(lParam));
      return answer(it == s->pages.end() ? -1 : it - s->pages.begin());
    }
    case PSM_QUERYSIBLINGS:
      for (HWND p : s->windows) {
        if (!p) continue;
        const LRESULT r = SendMessageW(p, PSM_QUERYSIBLINGS, wParam, lParam);
        if (r) return answer(r);
      }
      return answer(0);
    case PSM_CANCELTOCLOSE:
      if (HWND cancel = ChildById(sheet, IDCANCEL)) EnableWindow(cancel, FALSE);
      if (HWND ok = ChildById(sheet, IDOK)) SetWindowTextW(ok, u"Close");
      return answer(0);
    case PSM_GETTABCONTROL: return answer(reinterpret_cast<LRESULT>(s->tab));
    case WM_NOTIFY: {
      // A person's choice of a tab shows its page; a page that refuses to be left keeps
      // its tab selected.
      const auto* n = reinterpret_cast<const NMHDR*>(lParam);
      if (!n || !s->tab || n->hwndFrom != s->tab) return FALSE;
      if (n->code == TCN_SELCHANGE) {
        const int index = static_cast<int>(SendMessageW(s->tab, TCM_GETCURSEL, 0, 0));
        if (!SetCurrent(sheet, *s, index) && s->current >= 0)
          SendMessageW(s->tab, TCM_SETCURSEL, static_cast<WPARAM>(s->current), 0);
      }
      return answer(0);
    }
    case PSM_GETRESULT: return answer(s->applied ? 1 : 0);
    case WM_CLOSE: Press(sheet, *s, IDCANCEL); return TRUE;
    default: return FALSE;
  }
}

void ReleasePage(HPROPSHEETPAGE page) {
  PROPSHEETPAGEW* p = page->page();
  if ((p->dwFlags & PSP_USECALLBACK) && p->pfnCallback) p->pfnCallback(nullptr, PSPCB_RELEASE, p);
  delete page;
}

}  // namespace
}  // namespace plat::ui

using namespace plat::ui;

extern "C" {

HPROPSHEETPAGE WINAPI CreatePropertySheetPageW(LPCPROPSHEETPAGEW p) {
  if (!p || p->dwSize < kMinimumPageSize || p->dwSize > 0x10000) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto* page = new _PSP;
  page->record.assign(std::max<std::size_t>(p->dwSize, sizeof(PROPSHEETPAGEW)), 0);
  std::memcpy(page->record.data(), p, p->dwSize);
  PROPSHEETPAGEW* copy = page->page();
  if ((copy->dwFlags & PSP_USECALLBACK) && copy->pfnCallback) copy->pfnCallback(nullptr, PSPCB_ADDREF, copy);
  return page;
}

BOOL WINAPI DestroyPropertySheetPage(HPROPSHEETPAGE page) {
  if (!page) return FALSE;
  ReleasePage(page);
  return TRUE;
}

INT_PTR WINAPI PropertySheetW(LPCPROPSHEETHEADERW h) {
  if (!h || h->dwSize < offsetof(PROPSHEETHEADERW, pfnCallback) + sizeof(PFNPROPSHEETCALLBACK)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  auto s = std::make_unique<Sheet>();
  s->flags = h->dwFlags;
  for (UINT i = 0; i < h->nPages; ++i) {
    HPROPSHEETPAGE page = nullptr;
    if (h->dwFlags & PSH_PROPSHEETPAGE) {
      // Records follow each other at their own sizes.
      const BYTE* base = reinterpret_cast<const BYTE*>(h->ppsp);
      std::size_t offset = 0;
      for (UINT k = 0; k < i; ++k) offset += reinterpret_cast<const PROPSHEETPAGEW*>(base + offset)->dwSize;
      page = CreatePropertySheetPageW(reinterpret_cast<const PROPSHEETPAGEW*>(base + offset));
    } else {
      page = h->phpage ? h->phpage[i] : nullptr;
    }
    if (page) s->pages.push_back(page);
  }
  s->windows.assign(s->pages.size(), nullptr);
  HWND owner = h->hwndParent ? GetAncestor(h->hwndParent, GA_ROOT) : nullptr;
  std::u16string title = h->pszCaption && !IS_INTRESOURCE(h->pszCaption) ? std::u16string(h->pszCaption) : u"";
  if (h->dwFlags & PSH_PROPTITLE) title = u"Properties for " + title;
  // The sheet takes the size of its largest page, a tab around it and the buttons below.
  SIZE largest{0, 0};
  for (HPROPSHEETPAGE page : s->pages) {
    const BYTE* data = nullptr;
    std::size_t size = 0;
    SIZE pixels{};
    if (PageTemplate(page->page(), data, size) && TemplateSizeAndTitle(data, size, &pixels, nullptr)) {
      largest.cx = std::max(largest.cx, pixels.cx);
      largest.cy = std::max(largest.cy, pixels.cy);
    }
  }
  if (largest.cx <= 0 || largest.cy <= 0) largest = SIZE{400, 300};
  const int tabWidth = static_cast<int>(largest.cx) + 2 * kTabBorder;
  const int tabHeight = static_cast<int>(largest.cy) + kTabStrip + 2 * kTabBorder;
  const int buttonsTop = kMargin + tabHeight + kMargin / 2 + 2;
  const int sheetWidth = std::max(tabWidth + 2 * kMargin, 4 * (kButtonWidth + kButtonGap) + kMargin);
  const int sheetHeight = buttonsTop + kButtonHeight + kMargin;
  s->pageOrigin = POINT{kMargin + kTabBorder, kMargin + kTabStrip + kTabBorder};
  HWND sheet = CreateWindowExW(WS_EX_CONTROLPARENT, u"#32770", title.c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU, 0,
                               0, sheetWidth, sheetHeight, owner, nullptr, h->hInstance, nullptr);
  if (!sheet) {
    for (HPROPSHEETPAGE p : s->pages) ReleasePage(p);
    return -1;
  }
  MakeDialog(sheet, &SheetProc);
  SetPropW(sheet, u"KovaSheet", s.get());
  struct Button {
    int id;
    const char16_t* text;
    bool shown;
  };
  const Button buttons[] = {{IDOK, u"OK", true},
                            {IDCANCEL, u"Cancel", true},
                            {ID_APPLY_NOW, u"&Apply", !(h->dwFlags & PSH_NOAPPLYNOW)},
                            {IDHELP, u"Help", (h->dwFlags & PSH_HASHELP) != 0}};
  // The buttons in a row at the bottom right.
  int shownButtons = 0;
  for (const Button& b : buttons) shownButtons += b.shown ? 1 : 0;
  int x = sheetWidth - kMargin - shownButtons * kButtonWidth - (shownButtons - 1) * kButtonGap;
  for (const Button& b : buttons) {
    if (!b.shown) continue;
    CreateWindowExW(WS_EX_NOPARENTNOTIFY, u"Button", b.text,
                    WS_CHILD | WS_VISIBLE | WS_TABSTOP | (b.id == IDOK ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), x,
                    buttonsTop, kButtonWidth, kButtonHeight, sheet,
                    reinterpret_cast<HMENU>(static_cast<ULONG_PTR>(b.id)), nullptr, nullptr);
    x += kButtonWidth + kButtonGap;
  }
  // The tab strip, one tab a page, beneath the pages.
  EnsureSystemClasses();
  s->tab = CreateWindowExW(WS_EX_NOPARENTNOTIFY, WC_TABCONTROLW, u"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, kMargin,
                           kMargin, tabWidth, tabHeight, sheet, reinterpret_cast<HMENU>(static_cast<ULONG_PTR>(kTabId)),
                           nullptr, nullptr);
  for (std::size_t i = 0; s->tab && i < s->pages.size(); ++i) {
    std::u16string text = PageTitle(s->pages[i]->page());
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    SendMessageW(s->tab, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
  UpdateApply(sheet, *s);
  if ((h->dwFlags & PSH_USECALLBACK) && h->pfnCallback) h->pfnCallback(sheet, PSCB_INITIALIZED, 0);
  int start = (h->dwFlags & PSH_USEPSTARTPAGE) ? 0 : static_cast<int>(h->nStartPage);
  if (start < 0 || start >= static_cast<int>(s->pages.size())) start = 0;
  // The first page that can be made is shown.
  bool shown = false;
  for (std::size_t k = 0; k < s->pages.size() && !shown; ++k)
    shown = SetCurrent(sheet, *s, static_cast<int>((static_cast<std::size_t>(start) + k) % s->pages.size()));
  INT_PTR result = -1;
  if (!shown) {
    DestroyWindow(sheet);
  } else if (h->dwFlags & PSH_MODELESS) {
    // A modeless sheet keeps its record until the window goes (the pages with it).
    ShowWindow(sheet, SW_SHOW);
    s.release();
    return reinterpret_cast<INT_PTR>(sheet);
  } else {
    result = RunDialogBox(sheet, owner);
    if (result < 0) result = 0;
  }
  for (HPROPSHEETPAGE p : s->pages) ReleasePage(p);
  return result;
}

}  // extern "C"
