// The list box and the combo box: items with texts and data, sorting, selection, owner-
// drawn items (WM_MEASUREITEM, WM_DRAWITEM, WM_DELETEITEM) and their notifications.
#include <algorithm>

#include "paint_internal.h"
#include "plat/wstr.h"
#include "ui_internal.h"

namespace plat::ui {
namespace {

struct Item {
  std::u16string text;
  ULONG_PTR data = 0;
  UINT height = 16;
  bool selected = false;  // multiple-selection lists
};

// The items of a list box or of a combo box's list.
struct ItemList {
  std::vector<Item> items;
  int current = -1;
  int top = 0;
  int caret = 0;
  UINT itemHeight = 16;
};

struct ListState : ControlState {
  ItemList list;
};

struct ComboState : ControlState {
  ItemList list;
  bool dropped = false;
  int droppedHeight = 0;  // a drop-down's height with its list open (the created height)
  std::size_t limit = 0x7FFFFFFE;
};

bool HasStrings(DWORD style, bool combo) {
  const DWORD ownerDraw = combo ? (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE) : (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE);
  const DWORD hasStrings = combo ? CBS_HASSTRINGS : LBS_HASSTRINGS;
  return !(style & ownerDraw) || (style & hasStrings);
}

bool OwnerDraw(DWORD style, bool combo) {
  return combo ? (style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) != 0
               : (style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) != 0;
}

void Measure(HWND h, ItemList& l, int index, bool combo) {
  auto w = Find(h);
  const DWORD variable = combo ? CBS_OWNERDRAWVARIABLE : LBS_OWNERDRAWVARIABLE;
  if (!(w->style & variable)) {
    l.items[static_cast<std::size_t>(index)].height = l.itemHeight;
    return;
  }
  MEASUREITEMSTRUCT mi{combo ? ODT_COMBOBOX : ODT_LISTBOX, static_cast<UINT>(w->id), static_cast<UINT>(index), 0,
                       l.itemHeight, l.items[static_cast<std::size_t>(index)].data};
  SendMessageW(w->parent, WM_MEASUREITEM, static_cast<WPARAM>(w->id), reinterpret_cast<LPARAM>(&mi));
  l.items[static_cast<std::size_t>(index)].height = mi.itemHeight;
}

LRESULT Insert(HWND h, ItemList& l, int index, LPARAM lParam, bool sorted, bool combo) {
  auto w = Find(h);
  const bool strings = HasStrings(w->style, combo);
  Item item;
  if (strings) item.text = lParam ? reinterpret_cast<LPCWSTR>(lParam) : u"";
  else item.data = static_cast<ULONG_PTR>(lParam);
  std::size_t at = l.items.size();
  if (sorted && strings) {
    at = 0;
    while (at < l.items.size() && plat::CompareNoCase(l.items[at].text, item.text) <= 0) ++at;
  } else if (index >= 0) {
    if (static_cast<std::size_t>(index) > l.items.size()) return LB_ERR;
    at = static_cast<std::size_t>(index);
  }
  l.items.insert(l.items.begin() + static_cast<std::ptrdiff_t>(at), item);
  if (l.current >= static_cast<int>(at)) ++l.current;
  Measure(h, l, static_cast<int>(at), combo);
  InvalidateRect(h, nullptr, TRUE);
  return static_cast<LRESULT>(at);
}

void DeleteNotify(HWND h, const ItemList& l, int index, bool combo) {
  auto w = Find(h);
  if (!OwnerDraw(w->style, combo) && l.items[static_cast<std::size_t>(index)].data == 0) return;
  DELETEITEMSTRUCT di{combo ? ODT_COMBOBOX : ODT_LISTBOX, static_cast<UINT>(w->id), static_cast<UINT>(index), h,
                      l.items[static_cast<std::size_t>(index)].data};
  SendMessageW(w->parent, WM_DELETEITEM, static_cast<WPARAM>(w->id), reinterpret_cast<LPARAM>(&di));
}

LRESULT FindItem(const ItemList& l, int after, LPCWSTR text, bool exact) {
  if (!text || l.items.empty()) return LB_ERR;
  const std::u16string_view t(text);
  const int n = static_cast<int>(l.items.size());
  const int start = after < 0 || after >= n ? 0 : after + 1;
  for (int k = 0; k < n; ++k) {
    const int i = (start + k) % n;
    const std::u16string& s = l.items[static_cast<std::size_t>(i)].text;
    if (exact ? plat::EqualNoCase(s, t) : (s.size() >= t.size() && plat::EqualNoCase(s.substr(0, t.size()), t)))
      return i;
  }
  return LB_ERR;
}

// The messages the list box and the combo box share, in list-box numbering. Answers
// true when the message was one of them.
bool ListMessage(HWND h, ItemList& l, UINT msg, WPARAM wParam, LPARAM lParam, bool combo, LRESULT& result) {
  auto w = Find(h);
  const bool sorted = combo ? (w->style & CBS_SORT) != 0 : (w->style & LBS_SORT) != 0;
  const int n = static_cast<int>(l.items.size());
  const int index = static_cast<int>(wParam);
  const bool inRange = index >= 0 && index < n;
  switch (msg) {
    case LB_ADDSTRING: result = Insert(h, l, -1, lParam, sorted, combo); return true;
    case LB_INSERTSTRING: result = Insert(h, l, index, lParam, false, combo); return true;
    case LB_DELETESTRING:
      if (!inRange) {
        result = LB_ERR;
        return true;
      }
      DeleteNotify(h, l, index, combo);
      l.items.erase(l.items.begin() + index);
      if (l.current == index) l.current = -1;
      else if (l.current > index) --l.current;
      InvalidateRect(h, nullptr, TRUE);
      result = static_cast<LRESULT>(l.items.size());
      return true;
    case LB_RESETCONTENT:
      for (int i = 0; i < n; ++i) DeleteNotify(h, l, i, combo);
      l.items.clear();
      l.current = -1;
      l.top = 0;
      InvalidateRect(h, nullptr, TRUE);
      result = 0;
      return true;
    case LB_GETCOUNT: result = n; return true;
    case LB_GETCURSEL: result = l.current; return true;
    case LB_SETCURSEL:
      if (!inRange) {
        l.current = -1;
        InvalidateRect(h, nullptr, TRUE);
        result = LB_ERR;
        return true;
      }
      l.current = index;
      l.caret = index;
      InvalidateRect(h, nullptr, TRUE);
      result = index;
      return true;
    case LB_GETTEXT:
      if (!inRange || !lParam) {
        result = LB_ERR;
        return true;
      }
      if (HasStrings(w->style, combo)) {
        const auto& s = l.items[static_cast<std::size_t>(index)].text;
        std::copy(s.begin(), s.end(), reinterpret_cast<LPWSTR>(lParam));
        reinterpret_cast<LPWSTR>(lParam)[s.size()] = 0;
        result = static_cast<LRESULT>(s.size());
      } else {
        *reinterpret_cast<ULONG_PTR*>(lParam) = l.items[static_cast<std::size_t>(index)].data;
        result = sizeof(ULONG_PTR);
      }
      return true;
    case LB_GETTEXTLEN:
      result = !inRange ? LB_ERR
               : HasStrings(w->style, combo) ? static_cast<LRESULT>(l.items[static_cast<std::size_t>(index)].text.size())
                                             : static_cast<LRESULT>(sizeof(ULONG_PTR));
      return true;
    case LB_GETITEMDATA: result = inRange ? static_cast<LRESULT>(l.items[static_cast<std::size_t>(index)].data) : LB_ERR; return true;
    case LB_SETITEMDATA:
      if (!inRange) {
        result = LB_ERR;
        return true;
      }
      l.items[static_cast<std::size_t>(index)].data = static_cast<ULONG_PTR>(lParam);
      result = TRUE;
      return true;
    case LB_FINDSTRING: result = FindItem(l, index, reinterpret_cast<LPCWSTR>(lParam), false); return true;
    case LB_FINDSTRINGEXACT: result = FindItem(l, index, reinterpret_cast<LPCWSTR>(lParam), true); return true;
    case LB_SELECTSTRING: {
      const LRESULT at = FindItem(l, index, reinterpret_cast<LPCWSTR>(lParam), false);
      if (at != LB_ERR) l.current = static_cast<int>(at);
      InvalidateRect(h, nullptr, TRUE);
      result = at;
      return true;
    }
    case LB_SETITEMHEIGHT:
      if (LOWORD(static_cast<DWORD_PTR>(lParam)) == 0 || LOWORD(static_cast<DWORD_PTR>(lParam)) > 255) {
        result = LB_ERR;
        return true;
      }
      if (inRange && (w->style & (combo ? CBS_OWNERDRAWVARIABLE : LBS_OWNERDRAWVARIABLE)))
        l.items[static_cast<std::size_t>(index)].height = LOWORD(static_cast<DWORD_PTR>(lParam));
      else
        l.itemHeight = LOWORD(static_cast<DWORD_PTR>(lParam));
      result = 0;
      return true;
    case LB_GETITEMHEIGHT:
      result = inRange && (w->style & (combo ? CBS_OWNERDRAWVARIABLE : LBS_OWNERDRAWVARIABLE))
                   ? l.items[static_cast<std::size_t>(index)].height
                   : l.itemHeight;
      return true;
    default: return false;
  }
}

void DrawItem(HWND h, HWND notifyTo, const ItemList& l, int index, HDC dc, RECT r, UINT state, bool combo) {
  auto w = Find(h);
  const ULONG_PTR data = index >= 0 && index < static_cast<int>(l.items.size()) ? l.items[static_cast<std::size_t>(index)].data : 0;
  if (OwnerDraw(w->style, combo)) {
    DRAWITEMSTRUCT di{combo ? ODT_COMBOBOX : ODT_LISTBOX, static_cast<UINT>(w->id), static_cast<UINT>(index),
                      ODA_DRAWENTIRE, state, h, dc, r, data};
    SendMessageW(notifyTo, WM_DRAWITEM, static_cast<WPARAM>(w->id), reinterpret_cast<LPARAM>(&di));
    return;
  }
  if (index < 0 || index >= static_cast<int>(l.items.size())) return;
  const bool selected = (state & ODS_SELECTED) != 0;
  FillRect(dc, &r, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  SetBkMode(dc, TRANSPARENT);
  const auto& t = l.items[static_cast<std::size_t>(index)].text;
  TextOutW(dc, r.left + 2, r.top, t.c_str(), static_cast<int>(t.size()));
}

// A person's selection of one item by index.
void SelectByUser(HWND h, ListState& s, int index) {
  auto w = Find(h);
  if (index < 0 || index >= static_cast<int>(s.list.items.size())) return;
  if (w->style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) {
    auto& it = s.list.items[static_cast<std::size_t>(index)];
    it.selected = (w->style & LBS_MULTIPLESEL) ? !it.selected : true;
    s.list.caret = index;
  } else if (s.list.current == index) {
    return;
  } else {
    s.list.current = index;
    s.list.caret = index;
  }
  InvalidateRect(h, nullptr, TRUE);
  if (w->style & LBS_NOTIFY) NotifyParent(h, LBN_SELCHANGE);
}

int IndexAt(const ItemList& l, LONG y) {
  LONG top = 0;
  for (std::size_t i = static_cast<std::size_t>(std::max(0, l.top)); i < l.items.size(); ++i) {
    if (y >= top && y < top + static_cast<LONG>(l.items[i].height)) return static_cast<int>(i);
    top += static_cast<LONG>(l.items[i].height);
  }
  return -1;
}

}  // namespace

LRESULT ListBoxProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto s = StateOf<ListState>(h);
  auto w = Find(h);
  if (!s || !w) return DefWindowProcW(h, msg, wParam, lParam);
  LRESULT r = 0;
  const bool multi = (w->style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) != 0;
  const int n = static_cast<int>(s->list.items.size());
  switch (msg) {
    case WM_CREATE:
      if (w->style & LBS_OWNERDRAWFIXED) {
        MEASUREITEMSTRUCT mi{ODT_LISTBOX, static_cast<UINT>(w->id), 0, 0, 16, 0};
        SendMessageW(w->parent, WM_MEASUREITEM, static_cast<WPARAM>(w->id), reinterpret_cast<LPARAM>(&mi));
        s->list.itemHeight = mi.itemHeight;
      }
      return 0;
    case LB_SETSEL: {
      if (!multi) return LB_ERR;
      const int index = static_cast<int>(lParam);
      if (index == -1) {
        for (auto& it : s->list.items) it.selected = wParam != 0;
      } else if (index >= 0 && index < n) {
        s->list.items[static_cast<std::size_t>(index)].selected = wParam != 0;
      } else {
        return LB_ERR;
      }
      InvalidateRect(h, nullptr, TRUE);
      return 0;
    }
    case LB_GETSEL: {
      const int index = static_cast<int>(wParam);
      if (index < 0 || index >= n) return LB_ERR;
      return multi ? (s->list.items[static_cast<std::size_t>(index)].selected ? 1 : 0) : (s->list.current == index ? 1 : 0);
    }
    case LB_GETSELCOUNT: {
      if (!multi) return LB_ERR;
      return std::count_if(s->list.items.begin(), s->list.items.end(), [](const Item& i) { return i.selected; });
    }
    case LB_GETSELITEMS: {
      if (!multi || !lParam) return LB_ERR;
      auto* out = reinterpret_cast<int*>(lParam);
      int k = 0;
      for (int i = 0; i < n && k < static_cast<int>(wParam); ++i)
        if (s->list.items[static_cast<std::size_t>(i)].selected) out[k++] = i;
      return k;
    }
    case LB_GETCURSEL: return multi ? s->list.caret : s->list.current;
    case LB_SETTOPINDEX:
      if (static_cast<int>(wParam) < 0 || (static_cast<int>(wParam) >= n && n > 0)) return LB_ERR;
      s->list.top = static_cast<int>(wParam);
      InvalidateRect(h, nullptr, TRUE);
      return 0;
    case LB_GETTOPINDEX: return s->list.top;
    case LB_SETCARETINDEX:
      if (static_cast<int>(wParam) < 0 || static_cast<int>(wParam) >= n) return LB_ERR;
      s->list.caret = static_cast<int>(wParam);
      return 0;
    case LB_GETCARETINDEX: return s->list.caret;
    case LB_GETITEMRECT: {
      const int index = static_cast<int>(wParam);
      if (index < 0 || index >= n || !lParam) return LB_ERR;
      RECT client;
      GetClientRect(h, &client);
      LONG top = 0;
      for (int i = s->list.top; i < index; ++i) top += static_cast<LONG>(s->list.items[static_cast<std::size_t>(i)].height);
      for (int i = index; i < s->list.top; ++i) top -= static_cast<LONG>(s->list.items[static_cast<std::size_t>(i)].height);
      *reinterpret_cast<RECT*>(lParam) =
          RECT{0, top, client.right, top + static_cast<LONG>(s->list.items[static_cast<std::size_t>(index)].height)};
      return 0;
    }
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_LBUTTONDOWN: {
      SetFocus(h);
      const int at = IndexAt(s->list, static_cast<SHORT>(HIWORD(static_cast<DWORD_PTR>(lParam))));
      if (at >= 0 && !(w->style & LBS_NOSEL)) SelectByUser(h, *s, at);
      return 0;
    }
    case WM_LBUTTONDBLCLK:
      if (w->style & LBS_NOTIFY) NotifyParent(h, LBN_DBLCLK);
      return 0;
    case WM_KEYDOWN: {
      const int from = multi ? s->list.caret : s->list.current;
      int to = from;
      if (wParam == VK_DOWN) to = std::min(n - 1, from + 1);
      else if (wParam == VK_UP) to = std::max(0, from - 1);
      else if (wParam == VK_HOME) to = 0;
      else if (wParam == VK_END) to = n - 1;
      if (to != from && to >= 0) SelectByUser(h, *s, to);
      return 0;
    }
    case WM_SETFOCUS:
      if (w->style & LBS_NOTIFY) NotifyParent(h, LBN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      if (w->style & LBS_NOTIFY) NotifyParent(h, LBN_KILLFOCUS);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      RECT client;
      GetClientRect(h, &client);
      FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
      LONG top = 0;
      for (int i = std::max(0, s->list.top); i < n && top < client.bottom; ++i) {
        const auto& it = s->list.items[static_cast<std::size_t>(i)];
        RECT r{0, top, client.right, top + static_cast<LONG>(it.height)};
        UINT state = (multi ? it.selected : s->list.current == i) ? ODS_SELECTED : 0;
        if (GetFocus() == h && s->list.caret == i) state |= ODS_FOCUS;
        if (w->style & WS_DISABLED) state |= ODS_DISABLED;
        DrawItem(h, w->parent, s->list, i, dc, r, state, false);
        top += static_cast<LONG>(it.height);
      }
      EndPaint(h, &ps);
      return 0;
    }
    case WM_ERASEBKGND: return 1;
    default:
      if (msg == LB_SETCURSEL && multi) return LB_ERR;
      if (ListMessage(h, s->list, msg, wParam, lParam, false, r)) return r;
      return DefWindowProcW(h, msg, wParam, lParam);
  }
}

namespace {

// Combo-box messages in list-box numbering.
UINT ToListMessage(UINT msg) {
  switch (msg) {
    case CB_ADDSTRING: return LB_ADDSTRING;
    case CB_INSERTSTRING: return LB_INSERTSTRING;
    case CB_DELETESTRING: return LB_DELETESTRING;
    case CB_RESETCONTENT: return LB_RESETCONTENT;
    case CB_GETCOUNT: return LB_GETCOUNT;
    case CB_GETCURSEL: return LB_GETCURSEL;
    case CB_SETCURSEL: return LB_SETCURSEL;
    case CB_GETLBTEXT: return LB_GETTEXT;
    case CB_GETLBTEXTLEN: return LB_GETTEXTLEN;
    case CB_GETITEMDATA: return LB_GETITEMDATA;
    case CB_SETITEMDATA: return LB_SETITEMDATA;
    case CB_FINDSTRING: return LB_FINDSTRING;
    case CB_FINDSTRINGEXACT: return LB_FINDSTRINGEXACT;
    case CB_SELECTSTRING: return LB_SELECTSTRING;
    case CB_SETITEMHEIGHT: return LB_SETITEMHEIGHT;
    case CB_GETITEMHEIGHT: return LB_GETITEMHEIGHT;
    default: return 0;
  }
}

// The text of the combo box's face follows the current item.
void FaceFollowsSelection(HWND h, ComboState& s) {
  auto w = Find(h);
  if (!HasStrings(w->style, true)) return;
  w->text = s.list.current >= 0 ? s.list.items[static_cast<std::size_t>(s.list.current)].text : u"";
}

}  // namespace

// A drop-down's height: its list's when open, its selection field's when closed.
void SetDroppedHeight(HWND h, ComboState& s, bool open) {
  auto w = Find(h);
  if (!w || (w->style & 3) == CBS_SIMPLE || s.droppedHeight <= 0) return;
  const int field = static_cast<int>(s.list.itemHeight) + 6;
  const int height = open ? std::max(field, s.droppedHeight) : field;
  SetWindowPos(h, nullptr, 0, 0, static_cast<int>(w->rect.right - w->rect.left), height,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void UserSelectList(HWND h, int index) {
  auto s = StateOf<ListState>(h);
  if (s) SelectByUser(h, *s, index);
}

void UserSelectCombo(HWND h, int index) {
  auto s = StateOf<ComboState>(h);
  if (!s || index < 0 || index >= static_cast<int>(s->list.items.size())) return;
  // The list drops down, the person picks an item, the list closes.
  if (!s->dropped) {
    NotifyParent(h, CBN_DROPDOWN);
    s->dropped = true;
    SetDroppedHeight(h, *s, true);
  }
  const bool changed = s->list.current != index;
  s->list.current = index;
  FaceFollowsSelection(h, *s);
  InvalidateRect(h, nullptr, TRUE);
  if (changed) NotifyParent(h, CBN_SELCHANGE);
  NotifyParent(h, CBN_SELENDOK);
  s->dropped = false;
  SetDroppedHeight(h, *s, false);
  NotifyParent(h, CBN_CLOSEUP);
}

LRESULT ComboBoxProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto s = StateOf<ComboState>(h);
  auto w = Find(h);
  if (!s || !w) return DefWindowProcW(h, msg, wParam, lParam);
  LRESULT r = 0;
  switch (msg) {
    case WM_CREATE:
      if (w->style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) {
        MEASUREITEMSTRUCT mi{ODT_COMBOBOX, static_cast<UINT>(w->id), static_cast<UINT>(-1), 0, 16, 0};
        SendMessageW(w->parent, WM_MEASUREITEM, static_cast<WPARAM>(w->id), reinterpret_cast<LPARAM>(&mi));
        s->list.itemHeight = mi.itemHeight;
      }
      if ((w->style & 3) != CBS_SIMPLE) {
        // A drop-down is created at its open height; closed it is as tall as its selection field.
        s->droppedHeight = static_cast<int>(w->rect.bottom - w->rect.top);
        SetDroppedHeight(h, *s, false);
      }
      return 0;
    case CB_SHOWDROPDOWN:
      if ((wParam != 0) != s->dropped) {
        s->dropped = wParam != 0;
        if (s->dropped) NotifyParent(h, CBN_DROPDOWN);
        SetDroppedHeight(h, *s, s->dropped);
        if (!s->dropped) NotifyParent(h, CBN_CLOSEUP);
      }
      return TRUE;
    case CB_GETDROPPEDSTATE: return s->dropped ? TRUE : FALSE;
    case CB_LIMITTEXT: s->limit = wParam ? static_cast<std::size_t>(wParam) : 0x7FFFFFFE; return TRUE;
    case CB_SETDROPPEDWIDTH: return static_cast<LRESULT>(wParam);
    case CB_GETEDITSEL:
    case CB_SETEDITSEL: return 0;
    case WM_SETTEXT:
      if ((w->style & 3) == CBS_DROPDOWNLIST) {
        // The face of a drop-down list shows an item: the text selects it.
        const LRESULT at = FindItem(s->list, -1, reinterpret_cast<LPCWSTR>(lParam), true);
        if (at == CB_ERR) return CB_ERR;
        s->list.current = static_cast<int>(at);
        FaceFollowsSelection(h, *s);
        InvalidateRect(h, nullptr, TRUE);
        return TRUE;
      }
      return DefWindowProcW(h, msg, wParam, lParam);
    case WM_CHAR: {
      if ((w->style & 3) == CBS_DROPDOWNLIST) {
        // A typed letter selects the next item that starts with it.
        const WCHAR text[2] = {static_cast<WCHAR>(wParam), 0};
        const LRESULT at = FindItem(s->list, s->list.current, text, false);
        if (at != CB_ERR && at != s->list.current) {
          s->list.current = static_cast<int>(at);
          FaceFollowsSelection(h, *s);
          InvalidateRect(h, nullptr, TRUE);
          NotifyParent(h, CBN_SELCHANGE);
        }
        return 0;
      }
      const WCHAR c = static_cast<WCHAR>(wParam);
      if (c == VK_BACK) {
        if (!w->text.empty()) w->text.pop_back();
      } else if (c >= 0x20) {
        if (w->text.size() >= s->limit) return 0;
        w->text.push_back(c);
      } else {
        return 0;
      }
      s->list.current = -1;
      NotifyParent(h, CBN_EDITUPDATE);
      InvalidateRect(h, nullptr, TRUE);
      NotifyParent(h, CBN_EDITCHANGE);
      return 0;
    }
    case WM_KEYDOWN: {
      const int n = static_cast<int>(s->list.items.size());
      int to = s->list.current;
      if (wParam == VK_DOWN) to = std::min(n - 1, s->list.current + 1);
      else if (wParam == VK_UP) to = std::max(0, s->list.current - 1);
      if (to != s->list.current && to >= 0) {
        s->list.current = to;
        FaceFollowsSelection(h, *s);
        InvalidateRect(h, nullptr, TRUE);
        NotifyParent(h, CBN_SELCHANGE);
      }
      return 0;
    }
    case WM_GETDLGCODE: return DLGC_WANTCHARS | DLGC_WANTARROWS;
    case WM_LBUTTONDOWN:
      SetFocus(h);
      SendMessageW(h, CB_SHOWDROPDOWN, !s->dropped, 0);
      return 0;
    case WM_SETFOCUS: NotifyParent(h, CBN_SETFOCUS); return 0;
    case WM_KILLFOCUS:
      if (s->dropped) {
        s->dropped = false;
        SetDroppedHeight(h, *s, false);
        NotifyParent(h, CBN_SELENDCANCEL);
        NotifyParent(h, CBN_CLOSEUP);
      }
      NotifyParent(h, CBN_KILLFOCUS);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      RECT client;
      GetClientRect(h, &client);
      FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
      RECT face{0, 0, client.right - GetSystemMetrics(SM_CXVSCROLL), std::min<LONG>(client.bottom, static_cast<LONG>(s->list.itemHeight) + 6)};
      UINT state = ODS_COMBOBOXEDIT | (GetFocus() == h ? ODS_SELECTED | ODS_FOCUS : 0);
      if (w->style & WS_DISABLED) state |= ODS_DISABLED;
      if (w->style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) {
        DrawItem(h, w->parent, s->list, s->list.current, dc, face, state, true);
      } else {
        SetTextColor(dc, GetSysColor((w->style & WS_DISABLED) ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT));
        TextOutW(dc, 2, 2, w->text.c_str(), static_cast<int>(w->text.size()));
      }
      EndPaint(h, &ps);
      return 0;
    }
    case WM_ERASEBKGND: return 1;
    default: {
      const UINT lm = ToListMessage(msg);
      if (lm && ListMessage(h, s->list, lm, wParam, lParam, true, r)) {
        if (msg == CB_SETCURSEL || msg == CB_SELECTSTRING || msg == CB_RESETCONTENT ||
            (msg == CB_DELETESTRING && s->list.current < 0))
          FaceFollowsSelection(h, *s);
        return r;
      }
      return DefWindowProcW(h, msg, wParam, lParam);
    }
  }
}

}  // namespace plat::ui
