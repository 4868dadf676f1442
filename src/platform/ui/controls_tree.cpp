// The tree view: items with texts and application values under an invisible root, each
// with its children in order, expanded or collapsed, one of them the selection (the caret).
// Selection changes ask the parent first (TVN_SELCHANGINGW, which may refuse) and tell it
// afterwards (TVN_SELCHANGEDW); a person's expansion is announced the same way
// (TVN_ITEMEXPANDINGW, TVN_ITEMEXPANDEDW), TVM_EXPAND is silent as in Windows.
#include <algorithm>
#include <map>

#include "plat/wstr.h"
#include "ui_internal.h"
#include "win/commctrl.h"
#include "win/paint.h"

namespace plat::ui {
namespace {

constexpr LONG kRowHeight = 16;
constexpr LONG kIndent = 16;

struct Item {
  HTREEITEM parent = nullptr;  // null: a root item
  std::vector<HTREEITEM> children;
  std::u16string text;
  LPARAM param = 0;
  UINT state = 0;
  int image = 0;
  int selectedImage = 0;
  int childrenFlag = 0;
};

struct TreeState : ControlState {
  std::map<HTREEITEM, Item> items;
  std::vector<HTREEITEM> roots;
  HTREEITEM caret = nullptr;
  HTREEITEM dropHilite = nullptr;
  HTREEITEM firstVisible = nullptr;
  ULONG_PTR next = 0x1000;
  LONG indent = kIndent;
};

std::shared_ptr<TreeState> TreeOf(HWND h) { return HasClass(h, WC_TREEVIEWW) ? StateOf<TreeState>(h) : nullptr; }

Item* ItemOf(TreeState& s, HTREEITEM h) {
  auto it = s.items.find(h);
  return it == s.items.end() ? nullptr : &it->second;
}

std::vector<HTREEITEM>& SiblingsOf(TreeState& s, HTREEITEM parent) {
  return parent ? s.items[parent].children : s.roots;
}

// Every item depth first (all of them, or only those whose ancestors are expanded).
void Walk(TreeState& s, const std::vector<HTREEITEM>& level, int depth, bool visibleOnly,
          std::vector<std::pair<HTREEITEM, int>>& out) {
  for (HTREEITEM h : level) {
    out.emplace_back(h, depth);
    const Item& it = s.items[h];
    if (!visibleOnly || (it.state & TVIS_EXPANDED)) Walk(s, it.children, depth + 1, visibleOnly, out);
  }
}

std::vector<std::pair<HTREEITEM, int>> Order(TreeState& s, bool visibleOnly) {
  std::vector<std::pair<HTREEITEM, int>> out;
  Walk(s, s.roots, 0, visibleOnly, out);
  return out;
}

TVITEMW Describe(TreeState& s, HTREEITEM h) {
  TVITEMW v{};
  if (Item* it = ItemOf(s, h)) {
    v.mask = TVIF_HANDLE | TVIF_STATE | TVIF_PARAM;
    v.hItem = h;
    v.state = it->state;
    v.stateMask = 0xFFFF;
    v.lParam = it->param;
  }
  return v;
}

// Moves the caret with the notifications; false when the parent refuses.
bool SetCaret(HWND h, TreeState& s, HTREEITEM to, UINT action) {
  if (to == s.caret) return true;
  NMTREEVIEWW nm{};
  nm.action = action;
  nm.itemOld = Describe(s, s.caret);
  nm.itemNew = Describe(s, to);
  if (SendNotify(h, TVN_SELCHANGINGW, &nm.hdr)) return false;
  auto again = TreeOf(h);
  if (!again || (to && !ItemOf(*again, to))) return false;
  if (Item* old = ItemOf(*again, again->caret)) old->state &= ~TVIS_SELECTED;
  again->caret = to;
  if (Item* now = ItemOf(*again, to)) {
    now->state |= TVIS_SELECTED;
    // The new selection is made visible: its ancestors open.
    for (HTREEITEM p = now->parent; p; p = again->items[p].parent) again->items[p].state |= TVIS_EXPANDED;
  }
  InvalidateRect(h, nullptr, TRUE);
  NMTREEVIEWW done{};
  done.action = action;
  done.itemOld = nm.itemOld;
  done.itemOld.state &= ~TVIS_SELECTED;
  done.itemNew = Describe(*again, to);
  SendNotify(h, TVN_SELCHANGEDW, &done.hdr);
  return true;
}

bool IsBelow(TreeState& s, HTREEITEM item, HTREEITEM ancestor) {
  for (Item* it = ItemOf(s, item); it && it->parent; it = ItemOf(s, it->parent))
    if (it->parent == ancestor) return true;
  return false;
}

// Expands or collapses; a collapse that hides the selection moves it to the collapsed item.
bool Expand(HWND h, TreeState& s, HTREEITEM item, UINT code, bool byPerson) {
  Item* it = ItemOf(s, item);
  if (!it) return false;
  code &= 3;
  const bool open = (it->state & TVIS_EXPANDED) != 0;
  const bool want = code == TVE_TOGGLE ? !open : code == TVE_EXPAND;
  if (code != TVE_EXPAND && code != TVE_COLLAPSE && code != TVE_TOGGLE) return false;
  if (want == open || (want && it->children.empty() && it->childrenFlag == 0)) return false;
  if (byPerson) {
    NMTREEVIEWW nm{};
    nm.action = want ? TVE_EXPAND : TVE_COLLAPSE;
    nm.itemNew = Describe(s, item);
    if (SendNotify(h, TVN_ITEMEXPANDINGW, &nm.hdr)) return false;
    auto again = TreeOf(h);
    if (!again || !ItemOf(*again, item)) return false;
  }
  Item* now = ItemOf(s, item);
  if (want) now->state |= TVIS_EXPANDED | TVIS_EXPANDEDONCE;
  else now->state &= ~TVIS_EXPANDED;
  if (!want && IsBelow(s, s.caret, item)) SetCaret(h, s, item, TVC_UNKNOWN);
  InvalidateRect(h, nullptr, TRUE);
  if (byPerson) {
    NMTREEVIEWW nm{};
    nm.action = want ? TVE_EXPAND : TVE_COLLAPSE;
    nm.itemNew = Describe(s, item);
    SendNotify(h, TVN_ITEMEXPANDEDW, &nm.hdr);
  }
  return true;
}

void Announce(HWND h, TreeState& s, HTREEITEM item) {
  NMTREEVIEWW nm{};
  nm.itemOld = Describe(s, item);
  SendNotify(h, TVN_DELETEITEMW, &nm.hdr);
}

// Removes an item and everything below it, children first, each announced.
void Remove(HWND h, TreeState& s, HTREEITEM item) {
  const auto kids = s.items[item].children;
  for (HTREEITEM k : kids) Remove(h, s, k);
  Announce(h, s, item);
  const HTREEITEM parent = s.items[item].parent;
  auto& level = SiblingsOf(s, parent);
  level.erase(std::remove(level.begin(), level.end(), item), level.end());
  if (s.dropHilite == item) s.dropHilite = nullptr;
  if (s.firstVisible == item) s.firstVisible = nullptr;
  s.items.erase(item);
}

LRESULT Insert(HWND h, TreeState& s, const TVINSERTSTRUCTW* in) {
  if (!in) return 0;
  HTREEITEM parent = in->hParent == TVI_ROOT ? nullptr : in->hParent;
  if (parent && !ItemOf(s, parent)) return 0;
  auto& level = SiblingsOf(s, parent);
  const TVITEMW& v = in->item;
  Item it;
  it.parent = parent;
  if (v.mask & TVIF_TEXT) it.text = v.pszText ? std::u16string(v.pszText) : std::u16string();
  if (v.mask & TVIF_PARAM) it.param = v.lParam;
  if (v.mask & TVIF_STATE) it.state = v.state & v.stateMask & ~TVIS_SELECTED;
  if (v.mask & TVIF_IMAGE) it.image = v.iImage;
  if (v.mask & TVIF_SELECTEDIMAGE) it.selectedImage = v.iSelectedImage;
  if (v.mask & TVIF_CHILDREN) it.childrenFlag = v.cChildren;
  std::size_t at = level.size();
  if (in->hInsertAfter == TVI_FIRST) {
    at = 0;
  } else if (in->hInsertAfter == TVI_SORT) {
    at = 0;
    while (at < level.size() && plat::CompareNoCase(s.items[level[at]].text, it.text) <= 0) ++at;
  } else if (in->hInsertAfter && in->hInsertAfter != TVI_LAST) {
    auto pos = std::find(level.begin(), level.end(), in->hInsertAfter);
    if (pos != level.end()) at = static_cast<std::size_t>(pos - level.begin()) + 1;
  }
  auto handle = reinterpret_cast<HTREEITEM>(s.next);
  s.next += 0x10;
  s.items.emplace(handle, it);
  auto& again = SiblingsOf(s, parent);
  again.insert(again.begin() + static_cast<std::ptrdiff_t>(at), handle);
  if (!s.firstVisible) s.firstVisible = s.roots.empty() ? nullptr : s.roots.front();
  InvalidateRect(h, nullptr, TRUE);
  return reinterpret_cast<LRESULT>(handle);
}

HTREEITEM Next(TreeState& s, UINT flag, HTREEITEM from) {
  auto sibling = [&](int step) -> HTREEITEM {
    Item* it = ItemOf(s, from);
    if (!it) return nullptr;
    auto& level = SiblingsOf(s, it->parent);
    auto pos = std::find(level.begin(), level.end(), from);
    const auto i = static_cast<std::ptrdiff_t>(pos - level.begin()) + step;
    return i >= 0 && i < static_cast<std::ptrdiff_t>(level.size()) ? level[static_cast<std::size_t>(i)] : nullptr;
  };
  auto visibleStep = [&](int step) -> HTREEITEM {
    const auto order = Order(s, true);
    for (std::size_t i = 0; i < order.size(); ++i) {
      if (order[i].first != from) continue;
      const auto j = static_cast<std::ptrdiff_t>(i) + step;
      return j >= 0 && j < static_cast<std::ptrdiff_t>(order.size()) ? order[static_cast<std::size_t>(j)].first : nullptr;
    }
    return nullptr;
  };
  switch (flag) {
    case TVGN_ROOT: return s.roots.empty() ? nullptr : s.roots.front();
    case TVGN_NEXT: return sibling(1);
    case TVGN_PREVIOUS: return sibling(-1);
    case TVGN_PARENT: {
      Item* it = ItemOf(s, from);
      return it ? it->parent : nullptr;
    }
    case TVGN_CHILD: {
      if (!from || from == TVI_ROOT) return s.roots.empty() ? nullptr : s.roots.front();
      Item* it = ItemOf(s, from);
      return it && !it->children.empty() ? it->children.front() : nullptr;
    }
    case TVGN_FIRSTVISIBLE: return s.firstVisible;
    case TVGN_NEXTVISIBLE: return visibleStep(1);
    case TVGN_PREVIOUSVISIBLE: return visibleStep(-1);
    case TVGN_LASTVISIBLE: {
      const auto order = Order(s, true);
      return order.empty() ? nullptr : order.back().first;
    }
    case TVGN_DROPHILITE: return s.dropHilite;
    case TVGN_CARET: return s.caret;
    default: return nullptr;
  }
}

BOOL GetItem(TreeState& s, TVITEMW* v) {
  Item* it = v ? ItemOf(s, v->hItem) : nullptr;
  if (!it) return FALSE;
  if (v->mask & TVIF_TEXT) {
    if (!v->pszText || v->cchTextMax <= 0) return FALSE;
    CopyText(it->text, v->pszText, static_cast<WPARAM>(v->cchTextMax));
  }
  if (v->mask & TVIF_PARAM) v->lParam = it->param;
  if (v->mask & TVIF_STATE) v->state = it->state & (v->stateMask ? v->stateMask : 0xFFFF);
  if (v->mask & TVIF_IMAGE) v->iImage = it->image;
  if (v->mask & TVIF_SELECTEDIMAGE) v->iSelectedImage = it->selectedImage;
  if (v->mask & TVIF_CHILDREN) v->cChildren = it->children.empty() ? it->childrenFlag : 1;
  return TRUE;
}

BOOL SetItem(HWND h, TreeState& s, const TVITEMW* v) {
  Item* it = v ? ItemOf(s, v->hItem) : nullptr;
  if (!it) return FALSE;
  if (v->mask & TVIF_TEXT) it->text = v->pszText ? std::u16string(v->pszText) : std::u16string();
  if (v->mask & TVIF_PARAM) it->param = v->lParam;
  // The selected and expanded states follow their own messages; the others are set here.
  if (v->mask & TVIF_STATE) {
    const UINT own = v->stateMask & ~(TVIS_SELECTED | TVIS_EXPANDED);
    it->state = (it->state & ~own) | (v->state & own);
    if (v->stateMask & TVIS_EXPANDED)
      Expand(h, s, v->hItem, (v->state & TVIS_EXPANDED) ? TVE_EXPAND : TVE_COLLAPSE, false);
  }
  if (v->mask & TVIF_IMAGE) it->image = v->iImage;
  if (v->mask & TVIF_SELECTEDIMAGE) it->selectedImage = v->iSelectedImage;
  if (v->mask & TVIF_CHILDREN) it->childrenFlag = v->cChildren;
  InvalidateRect(h, nullptr, TRUE);
  return TRUE;
}

LRESULT TreeProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto s = TreeOf(h);
  auto w = Find(h);
  if (!s || !w) return DefWindowProcW(h, msg, wParam, lParam);
  switch (msg) {
    case TVM_INSERTITEMW: return Insert(h, *s, reinterpret_cast<const TVINSERTSTRUCTW*>(lParam));
    case TVM_DELETEITEM: {
      auto item = reinterpret_cast<HTREEITEM>(lParam);
      if (!item || item == TVI_ROOT) {
        // Everything goes; the selection goes with it, unannounced.
        s->caret = nullptr;
        const auto roots = s->roots;
        for (HTREEITEM r : roots) Remove(h, *s, r);
        InvalidateRect(h, nullptr, TRUE);
        return TRUE;
      }
      if (!ItemOf(*s, item)) return FALSE;
      if (s->caret == item || IsBelow(*s, s->caret, item)) {
        // The selection moves to the next sibling, else the previous one, else the parent.
        HTREEITEM to = Next(*s, TVGN_NEXT, item);
        if (!to) to = Next(*s, TVGN_PREVIOUS, item);
        if (!to) to = Next(*s, TVGN_PARENT, item);
        if (!SetCaret(h, *s, to, TVC_UNKNOWN)) s->caret = nullptr;
        if (!TreeOf(h) || !ItemOf(*s, item)) return TRUE;
      }
      Remove(h, *s, item);
      InvalidateRect(h, nullptr, TRUE);
      return TRUE;
    }
    case TVM_GETNEXTITEM:
      return reinterpret_cast<LRESULT>(Next(*s, static_cast<UINT>(wParam), reinterpret_cast<HTREEITEM>(lParam)));
    case TVM_SELECTITEM: {
      auto item = reinterpret_cast<HTREEITEM>(lParam);
      if (item && !ItemOf(*s, item)) return FALSE;
      switch (static_cast<UINT>(wParam) & 0xFF) {
        case TVGN_CARET: return SetCaret(h, *s, item, TVC_UNKNOWN) ? TRUE : FALSE;
        case TVGN_DROPHILITE: s->dropHilite = item; InvalidateRect(h, nullptr, TRUE); return TRUE;
        case TVGN_FIRSTVISIBLE: s->firstVisible = item; InvalidateRect(h, nullptr, TRUE); return TRUE;
        default: return FALSE;
      }
    }
    case TVM_EXPAND:
      return Expand(h, *s, reinterpret_cast<HTREEITEM>(lParam), static_cast<UINT>(wParam), false) ? TRUE : FALSE;
    case TVM_GETITEMW: return GetItem(*s, reinterpret_cast<TVITEMW*>(lParam));
    case TVM_SETITEMW: return SetItem(h, *s, reinterpret_cast<const TVITEMW*>(lParam));
    case TVM_GETCOUNT: return static_cast<LRESULT>(s->items.size());
    case TVM_GETINDENT: return s->indent;
    case TVM_SETINDENT: s->indent = std::max<LONG>(0, static_cast<LONG>(wParam)); return 0;
    case TVM_GETVISIBLECOUNT: {
      RECT r;
      GetClientRect(h, &r);
      return r.bottom / kRowHeight;
    }
    case TVM_ENSUREVISIBLE: {
      Item* it = ItemOf(*s, reinterpret_cast<HTREEITEM>(lParam));
      if (!it) return FALSE;
      for (HTREEITEM p = it->parent; p; p = s->items[p].parent) s->items[p].state |= TVIS_EXPANDED;
      InvalidateRect(h, nullptr, TRUE);
      return TRUE;
    }
    case TVM_GETITEMRECT: {
      // In: the item's handle in the rectangle's first bytes; out: its row, when visible.
      auto* r = reinterpret_cast<RECT*>(lParam);
      if (!r) return FALSE;
      HTREEITEM item = *reinterpret_cast<HTREEITEM*>(r);
      const auto order = Order(*s, true);
      RECT client;
      GetClientRect(h, &client);
      for (std::size_t i = 0; i < order.size(); ++i) {
        if (order[i].first != item) continue;
        const LONG top = static_cast<LONG>(i) * kRowHeight;
        const LONG left = wParam ? s->indent * (order[i].second + 1) : 0;
        const LONG right = wParam ? left + 7 * static_cast<LONG>(s->items[item].text.size()) + 4 : client.right;
        *r = RECT{left, top, right, top + kRowHeight};
        return TRUE;
      }
      return FALSE;
    }
    case WM_KEYDOWN: {
      if (!s->caret) return 0;
      HTREEITEM to = nullptr;
      if (wParam == VK_DOWN) to = Next(*s, TVGN_NEXTVISIBLE, s->caret);
      if (wParam == VK_UP) to = Next(*s, TVGN_PREVIOUSVISIBLE, s->caret);
      if (wParam == VK_RIGHT) Expand(h, *s, s->caret, TVE_EXPAND, true);
      if (wParam == VK_LEFT) Expand(h, *s, s->caret, TVE_COLLAPSE, true);
      if (to) SetCaret(h, *s, to, TVC_BYKEYBOARD);
      return 0;
    }
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      RECT client;
      GetClientRect(h, &client);
      FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
      SetBkMode(dc, TRANSPARENT);
      LONG top = 0;
      for (const auto& [item, depth] : Order(*s, true)) {
        const Item& it = s->items[item];
        const bool selected = item == s->caret;
        RECT row{s->indent * (depth + 1), top, client.right, top + kRowHeight};
        if (selected) FillRect(dc, &row, GetSysColorBrush(COLOR_HIGHLIGHT));
        SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        TextOutW(dc, row.left + 2, top + 1, it.text.c_str(), static_cast<int>(it.text.size()));
        top += kRowHeight;
        if (top >= client.bottom) break;
      }
      EndPaint(h, &ps);
      return 0;
    }
    case WM_ERASEBKGND: return 1;
    default: return DefWindowProcW(h, msg, wParam, lParam);
  }
}

HTREEITEM AtIndex(TreeState& s, int index) {
  const auto order = Order(s, false);
  return index >= 0 && index < static_cast<int>(order.size()) ? order[static_cast<std::size_t>(index)].first : nullptr;
}

}  // namespace

void RegisterTreeViewClass() { RegisterSystemClass(WC_TREEVIEWW, &TreeProc, 0); }

bool UserSelectTreeItem(HWND tree, int index) {
  auto s = TreeOf(tree);
  HTREEITEM item = s ? AtIndex(*s, index) : nullptr;
  if (!item) return false;
  SetFocus(tree);
  if (!SetCaret(tree, *s, item, TVC_BYMOUSE)) return false;
  NMHDR click{};
  SendNotify(tree, NM_CLICK, &click);
  return true;
}

bool UserExpandTreeItem(HWND tree, int index, bool expand) {
  auto s = TreeOf(tree);
  HTREEITEM item = s ? AtIndex(*s, index) : nullptr;
  if (!item) return false;
  SetFocus(tree);
  return Expand(tree, *s, item, expand ? TVE_EXPAND : TVE_COLLAPSE, true);
}

std::vector<std::u16string> TreeTexts(HWND tree) {
  std::vector<std::u16string> out;
  auto s = TreeOf(tree);
  if (!s) return out;
  for (const auto& [item, depth] : Order(*s, false))
    out.push_back(std::u16string(static_cast<std::size_t>(depth) * 2, u' ') + s->items[item].text);
  return out;
}

int TreeSelection(HWND tree) {
  auto s = TreeOf(tree);
  if (!s || !s->caret) return -1;
  const auto order = Order(*s, false);
  for (std::size_t i = 0; i < order.size(); ++i)
    if (order[i].first == s->caret) return static_cast<int>(i);
  return -1;
}

}  // namespace plat::ui
