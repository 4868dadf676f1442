// The list view: items with a text per column, an application value and a state
// (selected, focused), shown as a report (rows under column titles; owner-drawn rows go to
// the parent as WM_DRAWITEM) or as icons. Every change of an item's state or value asks
// the parent first (LVN_ITEMCHANGING, which may refuse) and tells it afterwards
// (LVN_ITEMCHANGED), whether a person or a message made it.
#include <algorithm>

#include "plat/wstr.h"
#include "ui_internal.h"
#include "win/commctrl.h"
#include "win/paint.h"

namespace plat::ui {
namespace {

constexpr LONG kRowHeight = 16;
constexpr LONG kHeaderHeight = 20;
constexpr LONG kIconCell = 76;

struct ViewItem {
  std::vector<std::u16string> texts;  // one per column; column 0 is the item's own text
  LPARAM param = 0;
  UINT state = 0;
  int image = 0;
  int indent = 0;
};

struct Column {
  int fmt = LVCFMT_LEFT;
  int width = 60;
  std::u16string text;
  int subItem = 0;
};

struct ViewState : ControlState {
  std::vector<ViewItem> items;
  std::vector<Column> columns;
  DWORD extended = 0;
  COLORREF background = 0xFFFFFFFF;  // the system's window colour
};

std::shared_ptr<ViewState> ViewOf(HWND h) { return HasClass(h, WC_LISTVIEWW) ? StateOf<ViewState>(h) : nullptr; }

int Count(const ViewState& s) { return static_cast<int>(s.items.size()); }
bool Report(HWND h) {
  auto w = Find(h);
  return w && (w->style & LVS_TYPEMASK) == LVS_REPORT;
}

std::u16string TextOf(const ViewItem& it, int sub) {
  return sub >= 0 && static_cast<std::size_t>(sub) < it.texts.size() ? it.texts[static_cast<std::size_t>(sub)]
                                                                      : std::u16string();
}

RECT ItemRect(HWND h, const ViewState& s, int index) {
  RECT client;
  GetClientRect(h, &client);
  if (Report(h)) {
    auto w = Find(h);
    const LONG top = ((w->style & LVS_NOCOLUMNHEADER) ? 0 : kHeaderHeight) + index * kRowHeight;
    LONG width = 0;
    for (const Column& c : s.columns) width += c.width;
    return RECT{0, top, s.columns.empty() ? client.right : width, top + kRowHeight};
  }
  const LONG perRow = std::max<LONG>(1, client.right / kIconCell);
  const LONG x = (index % perRow) * kIconCell, y = (index / perRow) * kIconCell;
  return RECT{x, y, x + kIconCell, y + kIconCell};
}

NMLISTVIEW Describe(const ViewState& s, int index, UINT changed, UINT oldState, UINT newState) {
  NMLISTVIEW nm{};
  nm.iItem = index;
  nm.uChanged = changed;
  nm.uOldState = oldState;
  nm.uNewState = newState;
  if (index >= 0 && index < Count(s)) nm.lParam = s.items[static_cast<std::size_t>(index)].param;
  return nm;
}

// Changes the state bits of one item with the notifications; false when refused.
bool ChangeState(HWND h, ViewState& s, int index, UINT state, UINT mask) {
  if (index < 0 || index >= Count(s)) return false;
  const UINT old = s.items[static_cast<std::size_t>(index)].state;
  const UINT now = (old & ~mask) | (state & mask);
  if (now == old) return true;
  NMLISTVIEW ask = Describe(s, index, LVIF_STATE, old, now);
  if (SendNotify(h, LVN_ITEMCHANGING, &ask.hdr)) return false;
  auto again = ViewOf(h);
  if (!again || index >= Count(*again)) return false;
  again->items[static_cast<std::size_t>(index)].state = now;
  InvalidateRect(h, nullptr, TRUE);
  NMLISTVIEW told = Describe(*again, index, LVIF_STATE, old, now);
  SendNotify(h, LVN_ITEMCHANGED, &told.hdr);
  return true;
}

// A state change as Windows keeps it: one selected item in a single-selection view, one
// focused item in any view; the items that lose the bit lose it first.
bool SetState(HWND h, ViewState& s, int index, UINT state, UINT mask) {
  auto w = Find(h);
  const bool single = w && (w->style & LVS_SINGLESEL);
  UINT exclusive = 0;
  if ((mask & LVIS_SELECTED) && (state & LVIS_SELECTED) && single) exclusive |= LVIS_SELECTED;
  if ((mask & LVIS_FOCUSED) && (state & LVIS_FOCUSED)) exclusive |= LVIS_FOCUSED;
  if (exclusive) {
    for (int i = 0; i < Count(s); ++i) {
      if (i == index || !(s.items[static_cast<std::size_t>(i)].state & exclusive)) continue;
      ChangeState(h, s, i, 0, exclusive);
    }
  }
  return ChangeState(h, s, index, state, mask);
}

LRESULT Insert(HWND h, ViewState& s, const LVITEMW* v) {
  if (!v || v->iItem < 0 || v->iSubItem != 0) return -1;
  auto w = Find(h);
  ViewItem it;
  it.texts.assign(std::max<std::size_t>(1, s.columns.size()), std::u16string());
  if (v->mask & LVIF_TEXT) it.texts[0] = v->pszText ? std::u16string(v->pszText) : std::u16string();
  if (v->mask & LVIF_PARAM) it.param = v->lParam;
  if (v->mask & LVIF_IMAGE) it.image = v->iImage;
  if (v->mask & LVIF_INDENT) it.indent = v->iIndent;
  if (v->mask & LVIF_STATE) it.state = v->state & v->stateMask;
  int at = std::min(v->iItem, Count(s));
  if (w->style & (LVS_SORTASCENDING | LVS_SORTDESCENDING)) {
    const bool down = (w->style & LVS_SORTDESCENDING) != 0;
    at = 0;
    while (at < Count(s)) {
      const int c = plat::CompareNoCase(s.items[static_cast<std::size_t>(at)].texts[0], it.texts[0]);
      if (down ? c < 0 : c > 0) break;
      ++at;
    }
  }
  // A new item's state is its own: in a single-selection view it takes the selection, and
  // a new focused item the focus, from the others without notifications.
  const UINT taken = ((w->style & LVS_SINGLESEL) ? (it.state & LVIS_SELECTED) : 0) | (it.state & LVIS_FOCUSED);
  if (taken)
    for (auto& other : s.items) other.state &= ~taken;
  s.items.insert(s.items.begin() + at, it);
  InvalidateRect(h, nullptr, TRUE);
  NMLISTVIEW nm = Describe(s, at, 0, 0, 0);
  SendNotify(h, LVN_INSERTITEM, &nm.hdr);
  return at;
}

BOOL GetItem(const ViewState& s, LVITEMW* v) {
  if (!v || v->iItem < 0 || v->iItem >= Count(s)) return FALSE;
  const ViewItem& it = s.items[static_cast<std::size_t>(v->iItem)];
  if (v->mask & LVIF_TEXT) {
    if (!v->pszText || v->cchTextMax <= 0) return FALSE;
    CopyText(TextOf(it, v->iSubItem), v->pszText, static_cast<WPARAM>(v->cchTextMax));
  }
  if (v->mask & LVIF_PARAM) v->lParam = it.param;
  if (v->mask & LVIF_STATE) v->state = it.state & v->stateMask;
  if (v->mask & LVIF_IMAGE) v->iImage = it.image;
  if (v->mask & LVIF_INDENT) v->iIndent = it.indent;
  return TRUE;
}

// Texts, values and images change with one pair of notifications; the state as above.
BOOL SetItem(HWND h, ViewState& s, const LVITEMW* v) {
  if (!v || v->iItem < 0 || v->iItem >= Count(s) || v->iSubItem < 0) return FALSE;
  if (v->iSubItem > 0 && (v->mask & ~LVIF_TEXT)) return FALSE;
  const UINT values = v->mask & (LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE | LVIF_INDENT);
  if (values) {
    NMLISTVIEW ask = Describe(s, v->iItem, values, 0, 0);
    if (SendNotify(h, LVN_ITEMCHANGING, &ask.hdr)) return FALSE;
    auto again = ViewOf(h);
    if (!again || v->iItem >= Count(*again)) return FALSE;
    ViewItem& it = again->items[static_cast<std::size_t>(v->iItem)];
    if (v->mask & LVIF_TEXT) {
      if (it.texts.size() <= static_cast<std::size_t>(v->iSubItem)) it.texts.resize(static_cast<std::size_t>(v->iSubItem) + 1);
      it.texts[static_cast<std::size_t>(v->iSubItem)] = v->pszText ? std::u16string(v->pszText) : std::u16string();
    }
    if (v->mask & LVIF_PARAM) it.param = v->lParam;
    if (v->mask & LVIF_IMAGE) it.image = v->iImage;
    if (v->mask & LVIF_INDENT) it.indent = v->iIndent;
    InvalidateRect(h, nullptr, TRUE);
    NMLISTVIEW told = Describe(*again, v->iItem, values, 0, 0);
    SendNotify(h, LVN_ITEMCHANGED, &told.hdr);
  }
  if (v->mask & LVIF_STATE) return SetState(h, s, v->iItem, v->state, v->stateMask) ? TRUE : FALSE;
  return TRUE;
}

LRESULT NextItem(HWND h, const ViewState& s, int start, UINT flags) {
  const UINT want = flags & (LVNI_SELECTED | LVNI_FOCUSED | LVIS_CUT | LVIS_DROPHILITED);
  const int step = (flags & LVNI_ABOVE) ? -1 : 1;
  if ((flags & (LVNI_ABOVE | LVNI_BELOW)) && !Report(h) && Count(s) > 0) {
    // Icons: above and below are a row of cells away.
    RECT client;
    GetClientRect(h, &client);
    const int perRow = static_cast<int>(std::max<LONG>(1, client.right / kIconCell));
    for (int i = start + step * perRow; i >= 0 && i < Count(s); i += step * perRow)
      if ((s.items[static_cast<std::size_t>(i)].state & want) == want) return i;
    return -1;
  }
  for (int i = start < 0 ? (step > 0 ? 0 : -1) : start + step; i >= 0 && i < Count(s); i += step)
    if ((s.items[static_cast<std::size_t>(i)].state & want) == want) return i;
  return -1;
}

void Remove(HWND h, ViewState& s, int index) {
  NMLISTVIEW nm = Describe(s, index, 0, 0, 0);
  SendNotify(h, LVN_DELETEITEM, &nm.hdr);
  auto again = ViewOf(h);
  if (again && index < Count(*again)) again->items.erase(again->items.begin() + index);
}

LRESULT ColumnMessage(HWND h, ViewState& s, UINT msg, WPARAM wParam, LPARAM lParam) {
  const auto index = static_cast<int>(wParam);
  const int n = static_cast<int>(s.columns.size());
  switch (msg) {
    case LVM_INSERTCOLUMNW: {
      const auto* c = reinterpret_cast<const LVCOLUMNW*>(lParam);
      if (!c || index < 0) return -1;
      Column col;
      if (c->mask & LVCF_FMT) col.fmt = c->fmt;
      if (c->mask & LVCF_WIDTH) col.width = c->cx;
      if (c->mask & LVCF_TEXT) col.text = c->pszText ? std::u16string(c->pszText) : std::u16string();
      col.subItem = (c->mask & LVCF_SUBITEM) ? c->iSubItem : std::min(index, n);
      const int at = std::min(index, n);
      s.columns.insert(s.columns.begin() + at, col);
      // A column inserted before others moves their texts one place on; column 0's text
      // stays the item's own.
      if (at > 0)
        for (auto& it : s.items)
          if (it.texts.size() > static_cast<std::size_t>(at)) it.texts.insert(it.texts.begin() + at, std::u16string());
      InvalidateRect(h, nullptr, TRUE);
      return at;
    }
    case LVM_DELETECOLUMN:
      if (index < 0 || index >= n) return FALSE;
      s.columns.erase(s.columns.begin() + index);
      if (index > 0)
        for (auto& it : s.items)
          if (it.texts.size() > static_cast<std::size_t>(index)) it.texts.erase(it.texts.begin() + index);
      InvalidateRect(h, nullptr, TRUE);
      return TRUE;
    case LVM_GETCOLUMNW:
    case LVM_SETCOLUMNW: {
      auto* c = reinterpret_cast<LVCOLUMNW*>(lParam);
      if (!c || index < 0 || index >= n) return FALSE;
      Column& col = s.columns[static_cast<std::size_t>(index)];
      if (msg == LVM_SETCOLUMNW) {
        if (c->mask & LVCF_FMT) col.fmt = c->fmt;
        if (c->mask & LVCF_WIDTH) col.width = c->cx;
        if (c->mask & LVCF_TEXT) col.text = c->pszText ? std::u16string(c->pszText) : std::u16string();
        if (c->mask & LVCF_SUBITEM) col.subItem = c->iSubItem;
        InvalidateRect(h, nullptr, TRUE);
        return TRUE;
      }
      if (c->mask & LVCF_FMT) c->fmt = col.fmt;
      if (c->mask & LVCF_WIDTH) c->cx = col.width;
      if (c->mask & LVCF_SUBITEM) c->iSubItem = col.subItem;
      if (c->mask & LVCF_TEXT) {
        if (!c->pszText || c->cchTextMax <= 0) return FALSE;
        CopyText(col.text, c->pszText, static_cast<WPARAM>(c->cchTextMax));
      }
      return TRUE;
    }
    case LVM_GETCOLUMNWIDTH:
      if (!Report(h)) return kIconCell;
      return index >= 0 && index < n ? s.columns[static_cast<std::size_t>(index)].width : 0;
    case LVM_SETCOLUMNWIDTH:
      if (index < 0 || index >= n) return FALSE;
      s.columns[static_cast<std::size_t>(index)].width = std::max(0, static_cast<int>(static_cast<SHORT>(LOWORD(static_cast<DWORD_PTR>(lParam)))));
      InvalidateRect(h, nullptr, TRUE);
      return TRUE;
    default: return 0;
  }
}

void Paint(HWND h, ViewState& s) {
  auto w = Find(h);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(h, &ps);
  RECT client;
  GetClientRect(h, &client);
  const DWORD back = s.background == 0xFFFFFFFF ? GetSysColor(COLOR_WINDOW) : s.background;
  HBRUSH fill = CreateSolidBrush(back);
  FillRect(dc, &client, fill);
  DeleteObject(fill);
  SetBkMode(dc, TRANSPARENT);
  const bool focused = GetFocus() == h;
  if (Report(h) && !(w->style & LVS_NOCOLUMNHEADER)) {
    LONG x = 0;
    for (const Column& c : s.columns) {
      RECT r{x, 0, x + c.width, kHeaderHeight};
      FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
      SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
      TextOutW(dc, x + 4, 3, c.text.c_str(), static_cast<int>(c.text.size()));
      x += c.width;
    }
  }
  for (int i = 0; i < Count(s); ++i) {
    const ViewItem& it = s.items[static_cast<std::size_t>(i)];
    const RECT r = ItemRect(h, s, i);
    if (r.top >= client.bottom) break;
    if (Report(h) && (w->style & LVS_OWNERDRAWFIXED)) {
      UINT state = (it.state & LVIS_SELECTED) ? ODS_SELECTED : 0;
      if (focused && (it.state & LVIS_FOCUSED)) state |= ODS_FOCUS;
      if (w->style & WS_DISABLED) state |= ODS_DISABLED;
      DRAWITEMSTRUCT di{ODT_LISTVIEW, static_cast<UINT>(w->id), static_cast<UINT>(i), ODA_DRAWENTIRE, state, h, dc, r,
                        static_cast<ULONG_PTR>(it.param)};
      SendMessageW(w->parent, WM_DRAWITEM, static_cast<WPARAM>(w->id), reinterpret_cast<LPARAM>(&di));
      continue;
    }
    const bool selected = (it.state & LVIS_SELECTED) && (focused || (w->style & LVS_SHOWSELALWAYS));
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    if (Report(h)) {
      if (selected) FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
      LONG x = 0;
      for (std::size_t c = 0; c < std::max<std::size_t>(1, s.columns.size()); ++c) {
        const std::u16string t = TextOf(it, static_cast<int>(c));
        TextOutW(dc, x + 4, r.top + 1, t.c_str(), static_cast<int>(t.size()));
        x += c < s.columns.size() ? s.columns[c].width : 0;
      }
    } else {
      // An icon cell: the picture's place above, the label below.
      RECT icon{r.left + (kIconCell - 32) / 2, r.top + 4, r.left + (kIconCell + 32) / 2, r.top + 36};
      FrameRect(dc, &icon, GetSysColorBrush(COLOR_BTNSHADOW));
      RECT label{r.left + 2, r.top + 40, r.right - 2, r.top + 40 + kRowHeight};
      if (selected) FillRect(dc, &label, GetSysColorBrush(COLOR_HIGHLIGHT));
      const std::u16string t = TextOf(it, 0);
      TextOutW(dc, label.left + 2, label.top + 1, t.c_str(), static_cast<int>(t.size()));
    }
  }
  EndPaint(h, &ps);
}

LRESULT ListViewProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto s = ViewOf(h);
  auto w = Find(h);
  if (!s || !w) return DefWindowProcW(h, msg, wParam, lParam);
  const auto index = static_cast<int>(wParam);
  switch (msg) {
    case LVM_GETITEMCOUNT: return Count(*s);
    case LVM_INSERTITEMW: return Insert(h, *s, reinterpret_cast<const LVITEMW*>(lParam));
    case LVM_GETITEMW: return GetItem(*s, reinterpret_cast<LVITEMW*>(lParam));
    case LVM_SETITEMW: return SetItem(h, *s, reinterpret_cast<const LVITEMW*>(lParam));
    case LVM_GETITEMTEXTW: {
      auto* v = reinterpret_cast<LVITEMW*>(lParam);
      if (!v || index < 0 || index >= Count(*s) || !v->pszText || v->cchTextMax <= 0) return 0;
      return CopyText(TextOf(s->items[static_cast<std::size_t>(index)], v->iSubItem), v->pszText,
                      static_cast<WPARAM>(v->cchTextMax));
    }
    case LVM_SETITEMTEXTW: {
      const auto* v = reinterpret_cast<const LVITEMW*>(lParam);
      if (!v) return FALSE;
      LVITEMW t{};
      t.mask = LVIF_TEXT;
      t.iItem = index;
      t.iSubItem = v->iSubItem;
      t.pszText = v->pszText;
      return SetItem(h, *s, &t);
    }
    case LVM_SETITEMSTATE: {
      const auto* v = reinterpret_cast<const LVITEMW*>(lParam);
      if (!v) return FALSE;
      if (index == -1) {
        for (int i = 0; i < Count(*s); ++i) ChangeState(h, *s, i, v->state, v->stateMask);
        return TRUE;
      }
      if (index < 0 || index >= Count(*s)) return FALSE;
      return SetState(h, *s, index, v->state, v->stateMask) ? TRUE : FALSE;
    }
    case LVM_GETITEMSTATE:
      return index >= 0 && index < Count(*s) ? s->items[static_cast<std::size_t>(index)].state & static_cast<UINT>(lParam) : 0;
    case LVM_GETSELECTEDCOUNT:
      return std::count_if(s->items.begin(), s->items.end(), [](const ViewItem& it) { return (it.state & LVIS_SELECTED) != 0; });
    case LVM_GETNEXTITEM: return NextItem(h, *s, index, static_cast<UINT>(LOWORD(static_cast<DWORD_PTR>(lParam))));
    case LVM_DELETEITEM:
      if (index < 0 || index >= Count(*s)) return FALSE;
      Remove(h, *s, index);
      InvalidateRect(h, nullptr, TRUE);
      return TRUE;
    case LVM_DELETEALLITEMS: {
      // One LVN_DELETEALLITEMS; an answer of FALSE asks for LVN_DELETEITEM of each item too.
      NMLISTVIEW nm = Describe(*s, -1, 0, 0, 0);
      const bool each = SendNotify(h, LVN_DELETEALLITEMS, &nm.hdr) == 0;
      auto again = ViewOf(h);
      if (!again) return TRUE;
      if (each)
        while (Count(*again) > 0) Remove(h, *again, 0);
      again->items.clear();
      InvalidateRect(h, nullptr, TRUE);
      return TRUE;
    }
    case LVM_GETITEMRECT: {
      auto* r = reinterpret_cast<RECT*>(lParam);
      if (!r || index < 0 || index >= Count(*s)) return FALSE;
      *r = ItemRect(h, *s, index);
      return TRUE;
    }
    case LVM_ENSUREVISIBLE: return index >= 0 && index < Count(*s) ? TRUE : FALSE;
    case LVM_REDRAWITEMS: InvalidateRect(h, nullptr, TRUE); return TRUE;
    case LVM_GETTOPINDEX: return 0;
    case LVM_GETCOUNTPERPAGE: {
      RECT c;
      GetClientRect(h, &c);
      return Report(h) ? std::max<LONG>(0, (c.bottom - kHeaderHeight) / kRowHeight) : Count(*s);
    }
    case LVM_SETEXTENDEDLISTVIEWSTYLE: {
      const DWORD old = s->extended;
      const DWORD mask = wParam ? static_cast<DWORD>(wParam) : 0xFFFFFFFF;
      s->extended = (s->extended & ~mask) | (static_cast<DWORD>(lParam) & mask);
      return old;
    }
    case LVM_GETEXTENDEDLISTVIEWSTYLE: return s->extended;
    case LVM_SETBKCOLOR: s->background = static_cast<COLORREF>(lParam); InvalidateRect(h, nullptr, TRUE); return TRUE;
    case LVM_GETBKCOLOR: return s->background == 0xFFFFFFFF ? GetSysColor(COLOR_WINDOW) : s->background;
    case LVM_INSERTCOLUMNW:
    case LVM_DELETECOLUMN:
    case LVM_GETCOLUMNW:
    case LVM_SETCOLUMNW:
    case LVM_GETCOLUMNWIDTH:
    case LVM_SETCOLUMNWIDTH: return ColumnMessage(h, *s, msg, wParam, lParam);
    case WM_KEYDOWN: {
      const int from = static_cast<int>(NextItem(h, *s, -1, LVNI_FOCUSED));
      int to = -1;
      if (wParam == VK_DOWN) to = from < 0 ? 0 : from + 1;
      if (wParam == VK_UP) to = from - 1;
      if (to >= 0 && to < Count(*s)) UserSelectListViewItem(h, to);
      return 0;
    }
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case WM_PAINT: Paint(h, *s); return 0;
    case WM_ERASEBKGND: return 1;
    default: return DefWindowProcW(h, msg, wParam, lParam);
  }
}

}  // namespace

void RegisterListViewClass() { RegisterSystemClass(WC_LISTVIEWW, &ListViewProc, 0); }

bool UserSelectListViewItem(HWND view, int index) {
  auto s = ViewOf(view);
  if (!s || index < 0 || index >= Count(*s)) return false;
  SetFocus(view);
  // A plain click: every other item loses its selection and focus, the clicked item gains
  // both, then the parent hears of the click.
  for (int i = 0; i < Count(*s); ++i)
    if (i != index && (s->items[static_cast<std::size_t>(i)].state & (LVIS_SELECTED | LVIS_FOCUSED)))
      ChangeState(view, *s, i, 0, LVIS_SELECTED | LVIS_FOCUSED);
  const bool taken = ChangeState(view, *s, index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  NMITEMACTIVATE click{};
  click.iItem = index;
  if (index < Count(*s)) click.lParam = s->items[static_cast<std::size_t>(index)].param;
  SendNotify(view, NM_CLICK, &click.hdr);
  return taken;
}

std::vector<std::u16string> ListViewTexts(HWND view) {
  std::vector<std::u16string> out;
  auto s = ViewOf(view);
  if (!s) return out;
  const std::size_t columns = std::max<std::size_t>(1, s->columns.size());
  for (const ViewItem& it : s->items) {
    std::u16string line;
    for (std::size_t c = 0; c < columns; ++c) line += (c ? u"|" : u"") + TextOf(it, static_cast<int>(c));
    out.push_back(line);
  }
  return out;
}

int ListViewSelection(HWND view) {
  auto s = ViewOf(view);
  return s ? static_cast<int>(NextItem(view, *s, -1, LVNI_SELECTED)) : -1;
}

}  // namespace plat::ui
