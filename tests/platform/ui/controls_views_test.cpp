// The tab control, the tree view and the list view: their messages, what a person's choice
// tells the parent and in which order, refusals, and what they show.
#include <functional>
#include <string>
#include <vector>

#include "ui_fixture.h"
#include "win/commctrl.h"
#include "win/paint.h"
#include "win/resources.h"

namespace controls_views_test {

namespace {

using kovatest::UiTest;
namespace ui = plat::ui;

std::vector<std::string>* gNotes = nullptr;
UINT gRefuse = 0;             // the notification the parent answers TRUE
LRESULT gDeleteAllAnswer = 0;  // the answer to LVN_DELETEALLITEMS

std::string Name(UINT code) {
  switch (code) {
    case TCN_SELCHANGING: return "tab-changing";
    case TCN_SELCHANGE: return "tab-change";
    case TCN_KEYDOWN: return "tab-key";
    case TVN_SELCHANGINGW: return "tree-changing";
    case TVN_SELCHANGEDW: return "tree-changed";
    case TVN_ITEMEXPANDINGW: return "tree-expanding";
    case TVN_ITEMEXPANDEDW: return "tree-expanded";
    case TVN_DELETEITEMW: return "tree-delete";
    case LVN_ITEMCHANGING: return "lv-changing";
    case LVN_ITEMCHANGED: return "lv-changed";
    case LVN_INSERTITEM: return "lv-insert";
    case LVN_DELETEITEM: return "lv-delete";
    case LVN_DELETEALLITEMS: return "lv-deleteall";
    case NM_CLICK: return "click";
    default: return std::to_string(static_cast<int>(code));
  }
}

LRESULT ParentProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NOTIFY && gNotes) {
    const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
    std::string note = Name(hdr->code);
    WCHAR cls[32] = {};
    GetClassNameW(hdr->hwndFrom, cls, 32);
    const std::u16string c(cls);
    if (c == WC_TREEVIEWW && hdr->code != NM_CLICK) {
      const auto* nm = reinterpret_cast<const NMTREEVIEWW*>(lParam);
      if (hdr->code == TVN_DELETEITEMW)
        note += " " + std::to_string(nm->itemOld.lParam);
      else if (hdr->code == TVN_ITEMEXPANDINGW || hdr->code == TVN_ITEMEXPANDEDW)
        note += " " + std::to_string(nm->itemNew.lParam) + (nm->action == TVE_EXPAND ? " open" : " close");
      else
        note += " " + std::to_string(nm->itemOld.hItem ? nm->itemOld.lParam : -1) + ">" +
                std::to_string(nm->itemNew.hItem ? nm->itemNew.lParam : -1) + " by" + std::to_string(nm->action);
    }
    if (c == WC_LISTVIEWW && hdr->code != LVN_DELETEALLITEMS) {
      const auto* nm = reinterpret_cast<const NMLISTVIEW*>(lParam);
      note += " " + std::to_string(nm->iItem);
      if (hdr->code == LVN_ITEMCHANGING || hdr->code == LVN_ITEMCHANGED)
        note += nm->uChanged == LVIF_STATE ? " " + std::to_string(nm->uOldState) + ">" + std::to_string(nm->uNewState)
                                           : " values" + std::to_string(nm->uChanged);
    }
    gNotes->push_back(note);
    if (hdr->code == LVN_DELETEALLITEMS) return gDeleteAllAnswer;
    return hdr->code == gRefuse ? TRUE : FALSE;
  }
  if (msg == WM_DRAWITEM && gNotes) {
    const auto* di = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    gNotes->push_back("draw " + std::to_string(di->CtlType) + " " + std::to_string(di->itemID) + " " +
                      std::to_string(di->itemState) + " " + std::to_string(di->itemData));
    return TRUE;
  }
  return DefWindowProcW(h, msg, wParam, lParam);
}

class UiViews : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    WNDCLASSW wc{};
    wc.lpfnWndProc = &ParentProc;
    wc.lpszClassName = u"ViewsParent";
    RegisterClassW(&wc);
    parent_ = CreateWindowExW(0, u"ViewsParent", u"p", WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
    notes_.clear();
    gNotes = &notes_;
    gRefuse = 0;
    gDeleteAllAnswer = 0;
  }
  void TearDown() override {
    gNotes = nullptr;
    UiTest::TearDown();
  }

 public:
  HWND Make(const char16_t* cls, DWORD style) {
    return CreateWindowExW(0, cls, u"", WS_CHILD | WS_VISIBLE | style, 0, 0, 300, 200, parent_,
                           reinterpret_cast<HMENU>(static_cast<ULONG_PTR>(77)), nullptr, nullptr);
  }
  HWND parent_ = nullptr;
  std::vector<std::string> notes_;
};

// ---- tab control --------------------------------------------------------------------------

void AddTab(HWND tab, int at, const char16_t* text, LPARAM param) {
  TCITEMW item{};
  item.mask = TCIF_TEXT | TCIF_PARAM;
  item.pszText = const_cast<LPWSTR>(text);
  item.lParam = param;
  SendMessageW(tab, TCM_INSERTITEMW, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&item));
}

TEST_F(UiViews, TabsKeepTheirOrderTextsAndValues) {
  HWND tab = Make(WC_TABCONTROLW, 0);
  EXPECT_EQ(SendMessageW(tab, TCM_GETCURSEL, 0, 0), -1);
  AddTab(tab, 0, u"Paper", 10);
  EXPECT_EQ(SendMessageW(tab, TCM_GETCURSEL, 0, 0), 0);  // the first tab is selected
  AddTab(tab, 99, u"Layout", 30);                          // past the end: appended
  AddTab(tab, 0, u"Basic", 20);                            // before the selection: it moves on
  EXPECT_EQ(ui::Items(tab), (std::vector<std::u16string>{u"Basic", u"Paper", u"Layout"}));
  EXPECT_EQ(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessageW(tab, TCM_GETCURSEL, 0, 0), 1);
  TCITEMW item{};
  WCHAR text[4] = {};
  item.mask = TCIF_TEXT | TCIF_PARAM;
  item.pszText = text;
  item.cchTextMax = 4;
  ASSERT_TRUE(SendMessageW(tab, TCM_GETITEMW, 2, reinterpret_cast<LPARAM>(&item)));
  EXPECT_EQ(std::u16string(text), u"Lay");  // cut to the buffer
  EXPECT_EQ(item.lParam, 30);
  EXPECT_FALSE(SendMessageW(tab, TCM_GETITEMW, 3, reinterpret_cast<LPARAM>(&item)));
  // TCM_SETCURSEL answers the old selection and tells nobody.
  EXPECT_EQ(SendMessageW(tab, TCM_SETCURSEL, 2, 0), 1);
  EXPECT_EQ(SendMessageW(tab, TCM_SETCURSEL, 5, 0), -1);
  EXPECT_EQ(ui::Selection(tab), 2);
  EXPECT_TRUE(notes_.empty());
  EXPECT_TRUE(SendMessageW(tab, TCM_DELETEITEM, 0, 0));
  EXPECT_EQ(ui::Selection(tab), 1);
}

TEST_F(UiViews, APersonsTabChoiceAsksAndTellsTheParent) {
  struct Case {
    const char* name;
    UINT refuse;
    int choose;
    bool answer;
    std::vector<std::string> notes;
    int selection;
  };
  const Case cases[] = {
      {"Accepted", 0, 2, true, {"tab-changing", "tab-change"}, 2},
      {"RefusedByTheParent", TCN_SELCHANGING, 2, false, {"tab-changing"}, 0},
      {"TheSelectedTabAgainSaysNothing", 0, 0, true, {}, 0},
      {"NoSuchTab", 0, 3, false, {}, 0},
  };
  for (const Case& c : cases) {
    HWND tab = Make(WC_TABCONTROLW, 0);
    for (int i = 0; i < 3; ++i) AddTab(tab, i, u"t", i);
    notes_.clear();
    gRefuse = c.refuse;
    EXPECT_EQ(ui::SelectItem(tab, c.choose), c.answer) << c.name;
    EXPECT_EQ(notes_, c.notes) << c.name;
    EXPECT_EQ(SendMessageW(tab, TCM_GETCURSEL, 0, 0), c.selection) << c.name;
    DestroyWindow(tab);
  }
}

// ---- tree view ----------------------------------------------------------------------------

HTREEITEM AddItem(HWND tree, HTREEITEM parent, HTREEITEM after, const char16_t* text, LPARAM param) {
  TVINSERTSTRUCTW in{};
  in.hParent = parent;
  in.hInsertAfter = after;
  in.item.mask = TVIF_TEXT | TVIF_PARAM;
  in.item.pszText = const_cast<LPWSTR>(text);
  in.item.lParam = param;
  return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&in)));
}

HTREEITEM NextOf(HWND tree, UINT flag, HTREEITEM from) {
  return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, flag, reinterpret_cast<LPARAM>(from)));
}

class UiTree : public UiViews {
 protected:
  void SetUp() override {
    UiViews::SetUp();
    tree_ = Make(WC_TREEVIEWW, TVS_HASBUTTONS);
    b_ = AddItem(tree_, TVI_ROOT, TVI_LAST, u"Basic", 2);
    a_ = AddItem(tree_, TVI_ROOT, TVI_FIRST, u"Advanced", 1);
    a2_ = AddItem(tree_, a_, TVI_LAST, u"Tone", 12);
    a1_ = AddItem(tree_, a_, TVI_SORT, u"Quality", 11);
    c_ = AddItem(tree_, nullptr, b_, u"Copies", 3);
  }

 public:
  HWND tree_ = nullptr;
  HTREEITEM a_ = nullptr, a1_ = nullptr, a2_ = nullptr, b_ = nullptr, c_ = nullptr;
};

TEST_F(UiTree, ItemsAreWalkedAsInserted) {
  EXPECT_EQ(ui::Items(tree_), (std::vector<std::u16string>{u"Advanced", u"  Quality", u"  Tone", u"Basic", u"Copies"}));
  EXPECT_EQ(SendMessageW(tree_, TVM_GETCOUNT, 0, 0), 5);
  struct Step {
    UINT flag;
    HTREEITEM from;
    HTREEITEM to;
  };
  const Step steps[] = {
      {TVGN_ROOT, nullptr, a_},    {TVGN_NEXT, a_, b_},          {TVGN_NEXT, c_, nullptr},  {TVGN_PREVIOUS, c_, b_},
      {TVGN_CHILD, a_, a1_},       {TVGN_CHILD, b_, nullptr},    {TVGN_PARENT, a2_, a_},    {TVGN_PARENT, a_, nullptr},
      {TVGN_NEXT, a1_, a2_},       {TVGN_NEXTVISIBLE, a_, b_},   {TVGN_CARET, nullptr, nullptr},
      {TVGN_LASTVISIBLE, nullptr, c_},
  };
  for (const Step& s : steps) EXPECT_EQ(NextOf(tree_, s.flag, s.from), s.to) << s.flag;
  // TVM_EXPAND opens silently; the children are then visible.
  EXPECT_TRUE(SendMessageW(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(a_)));
  EXPECT_FALSE(SendMessageW(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(b_)));  // no children
  EXPECT_EQ(NextOf(tree_, TVGN_NEXTVISIBLE, a_), a1_);
  EXPECT_EQ(NextOf(tree_, TVGN_PREVIOUSVISIBLE, b_), a2_);
  EXPECT_TRUE(notes_.empty());
  // Text and value read back and change.
  WCHAR text[32] = {};
  TVITEMW item{};
  item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_STATE | TVIF_CHILDREN;
  item.hItem = a_;
  item.pszText = text;
  item.cchTextMax = 32;
  ASSERT_TRUE(SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  EXPECT_EQ(std::u16string(text), u"Advanced");
  EXPECT_EQ(item.lParam, 1);
  EXPECT_EQ(item.cChildren, 1);
  EXPECT_TRUE(item.state & TVIS_EXPANDED);
  item.mask = TVIF_TEXT;
  item.pszText = const_cast<LPWSTR>(u"Extra");
  EXPECT_TRUE(SendMessageW(tree_, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  EXPECT_EQ(ui::Items(tree_)[0], u"Extra");
  // An item under an unknown parent is refused.
  EXPECT_EQ(AddItem(tree_, reinterpret_cast<HTREEITEM>(static_cast<ULONG_PTR>(0x99)), TVI_LAST, u"x", 0), nullptr);
}

TEST_F(UiTree, SelectionAndExpansionTellTheParentInOrder) {
  struct Case {
    const char* name;
    UINT refuse;
    std::function<bool(UiTree&)> act;
    bool answer;
    std::vector<std::string> notes;
    int selection;  // place in Items after the act
  };
  const Case cases[] = {
      {"PersonSelectsAChild", 0, [](UiTree& t) { return ui::SelectItem(t.tree_, 2); }, true,
       {"tree-changing -1>12 by1", "tree-changed -1>12 by1", "click"}, 2},
      {"MessageSelects", 0,
       [](UiTree& t) { return SendMessageW(t.tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(t.b_)) != 0; },
       true, {"tree-changing -1>2 by0", "tree-changed -1>2 by0"}, 3},
      {"ParentRefuses", TVN_SELCHANGINGW,
       [](UiTree& t) { return SendMessageW(t.tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(t.b_)) != 0; },
       false, {"tree-changing -1>2 by0"}, -1},
      {"PersonOpens", 0, [](UiTree& t) { return ui::ExpandItem(t.tree_, 0, true); }, true,
       {"tree-expanding 1 open", "tree-expanded 1 open"}, -1},
      {"OpeningRefused", TVN_ITEMEXPANDINGW, [](UiTree& t) { return ui::ExpandItem(t.tree_, 0, true); }, false,
       {"tree-expanding 1 open"}, -1},
      {"ClosingOverTheSelectionMovesItUp", 0,
       [](UiTree& t) {
         SendMessageW(t.tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(t.a2_));
         t.notes_.clear();
         return ui::ExpandItem(t.tree_, 0, false);
       },
       true, {"tree-expanding 1 close", "tree-changing 12>1 by0", "tree-changed 12>1 by0", "tree-expanded 1 close"}, 0},
      {"DeletingTheSelectionMovesItToTheNextSibling", 0,
       [](UiTree& t) {
         SendMessageW(t.tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(t.a1_));
         t.notes_.clear();
         return SendMessageW(t.tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(t.a1_)) != 0;
       },
       true, {"tree-changing 11>12 by0", "tree-changed 11>12 by0", "tree-delete 11"}, 1},
      {"DeletingEverythingAnnouncesEachItemChildrenFirst", 0,
       [](UiTree& t) { return SendMessageW(t.tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT)) != 0; },
       true, {"tree-delete 11", "tree-delete 12", "tree-delete 1", "tree-delete 2", "tree-delete 3"}, -1},
  };
  for (const Case& c : cases) {
    SetUp();
    gRefuse = c.refuse;
    EXPECT_EQ(c.act(*this), c.answer) << c.name;
    EXPECT_EQ(notes_, c.notes) << c.name;
    EXPECT_EQ(ui::Selection(tree_), c.selection) << c.name;
    TearDown();
  }
}

TEST_F(UiTree, SelectingAHiddenItemOpensItsParents) {
  ASSERT_TRUE(SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(a2_)));
  EXPECT_EQ(NextOf(tree_, TVGN_CARET, nullptr), a2_);
  EXPECT_EQ(NextOf(tree_, TVGN_NEXTVISIBLE, a_), a1_);
  EXPECT_EQ(SendMessageW(tree_, TVM_GETCOUNT, 0, 0), 5);
  SendMessageW(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  EXPECT_EQ(SendMessageW(tree_, TVM_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(NextOf(tree_, TVGN_CARET, nullptr), nullptr);
  EXPECT_TRUE(ui::Items(tree_).empty());
}

// ---- list view ----------------------------------------------------------------------------

void AddColumn(HWND view, int at, const char16_t* title, int width) {
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT | LVCF_WIDTH;
  col.pszText = const_cast<LPWSTR>(title);
  col.cx = width;
  SendMessageW(view, LVM_INSERTCOLUMNW, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&col));
}

int AddRow(HWND view, int at, const char16_t* text, LPARAM param, UINT state = 0) {
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
  item.iItem = at;
  item.pszText = const_cast<LPWSTR>(text);
  item.lParam = param;
  item.state = state;
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  return static_cast<int>(SendMessageW(view, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

void SetSubText(HWND view, int index, int sub, const char16_t* text) {
  LVITEMW item{};
  item.iSubItem = sub;
  item.pszText = const_cast<LPWSTR>(text);
  SendMessageW(view, LVM_SETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

TEST_F(UiViews, AReportViewHoldsColumnsRowsAndValues) {
  HWND view = Make(WC_LISTVIEWW, LVS_REPORT | LVS_SINGLESEL);
  AddColumn(view, 0, u"Tray", 75);
  AddColumn(view, 1, u"Paper", 60);
  EXPECT_EQ(AddRow(view, 0, u"Tray 1", 101), 0);
  EXPECT_EQ(AddRow(view, 5, u"Tray 2", 102, LVIS_SELECTED), 1);  // past the end: appended
  EXPECT_EQ(AddRow(view, 0, u"Bypass", 100), 0);
  SetSubText(view, 1, 1, u"A4");
  EXPECT_EQ(ui::Items(view), (std::vector<std::u16string>{u"Bypass|", u"Tray 1|A4", u"Tray 2|"}));
  EXPECT_EQ(notes_, (std::vector<std::string>{"lv-insert 0", "lv-insert 1", "lv-insert 0", "lv-changing 1 values1",
                                              "lv-changed 1 values1"}));
  EXPECT_EQ(SendMessageW(view, LVM_GETITEMCOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessageW(view, LVM_GETCOLUMNWIDTH, 0, 0), 75);
  EXPECT_EQ(SendMessageW(view, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 2);
  EXPECT_EQ(SendMessageW(view, LVM_GETNEXTITEM, 2, LVNI_SELECTED), -1);  // the start is left out
  EXPECT_EQ(SendMessageW(view, LVM_GETNEXTITEM, 0, LVNI_ALL), 1);
  EXPECT_EQ(SendMessageW(view, LVM_GETNEXTITEM, 1, LVNI_ABOVE), 0);
  LVITEMW item{};
  WCHAR text[8] = {};
  item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
  item.iItem = 2;
  item.pszText = text;
  item.cchTextMax = 8;
  item.stateMask = LVIS_SELECTED;
  ASSERT_TRUE(SendMessageW(view, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  EXPECT_EQ(std::u16string(text), u"Tray 2");
  EXPECT_EQ(item.lParam, 102);
  EXPECT_EQ(item.state, LVIS_SELECTED);
  item.iItem = 3;
  EXPECT_FALSE(SendMessageW(view, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  item.iItem = 1;
  item.iSubItem = 1;
  EXPECT_EQ(SendMessageW(view, LVM_GETITEMTEXTW, 1, reinterpret_cast<LPARAM>(&item)), 2);
  EXPECT_EQ(std::u16string(text), u"A4");
}

TEST_F(UiViews, ListViewStateChangesAskAndTellTheParent) {
  struct Case {
    const char* name;
    DWORD style;
    UINT refuse;
    std::function<bool(HWND)> act;
    std::vector<std::string> notes;
    int selection;
    LRESULT selectedCount;
  };
  auto setState = [](int index, UINT state, UINT mask) {
    return [=](HWND v) {
      LVITEMW item{};
      item.state = state;
      item.stateMask = mask;
      return SendMessageW(v, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) != 0;
    };
  };
  const Case cases[] = {
      {"PersonClicksAnotherItem", LVS_REPORT, 0, [](HWND v) { return ui::SelectItem(v, 2); },
       {"lv-changing 0 3>0", "lv-changed 0 3>0", "lv-changing 2 0>3", "lv-changed 2 0>3", "click 2"}, 2, 1},
      {"SingleSelectionMovesTheSelection", LVS_REPORT | LVS_SINGLESEL, 0, setState(1, LVIS_SELECTED, LVIS_SELECTED),
       {"lv-changing 0 3>1", "lv-changed 0 3>1", "lv-changing 1 0>2", "lv-changed 1 0>2"}, 1, 1},
      {"SeveralSelectionsAdd", LVS_REPORT, 0, setState(1, LVIS_SELECTED, LVIS_SELECTED),
       {"lv-changing 1 0>2", "lv-changed 1 0>2"}, 0, 2},
      {"ParentRefusesTheChange", LVS_REPORT, LVN_ITEMCHANGING, setState(1, LVIS_SELECTED, LVIS_SELECTED),
       {"lv-changing 1 0>2"}, 0, 1},
      {"AllItemsLoseTheSelection", LVS_REPORT, 0, setState(-1, 0, LVIS_SELECTED),
       {"lv-changing 0 3>1", "lv-changed 0 3>1"}, -1, 0},
      {"NoChangeSaysNothing", LVS_ICON, 0, setState(0, LVIS_SELECTED, LVIS_SELECTED), {}, 0, 1},
      {"NoSuchItem", LVS_ICON, 0, setState(3, LVIS_SELECTED, LVIS_SELECTED), {}, 0, 1},
  };
  for (const Case& c : cases) {
    HWND view = Make(WC_LISTVIEWW, c.style);
    AddRow(view, 0, u"a", 10, LVIS_SELECTED | LVIS_FOCUSED);
    AddRow(view, 1, u"b", 11);
    AddRow(view, 2, u"c", 12);
    notes_.clear();
    gRefuse = c.refuse;
    c.act(view);
    EXPECT_EQ(notes_, c.notes) << c.name;
    EXPECT_EQ(ui::Selection(view), c.selection) << c.name;
    EXPECT_EQ(SendMessageW(view, LVM_GETSELECTEDCOUNT, 0, 0), c.selectedCount) << c.name;
    DestroyWindow(view);
  }
}

TEST_F(UiViews, DeletingAllItemsAsksWhetherEachIsToBeAnnounced) {
  for (LRESULT answer : {0, 1}) {
    HWND view = Make(WC_LISTVIEWW, LVS_REPORT);
    AddRow(view, 0, u"a", 1);
    AddRow(view, 1, u"b", 2);
    notes_.clear();
    gDeleteAllAnswer = answer;
    EXPECT_TRUE(SendMessageW(view, LVM_DELETEALLITEMS, 0, 0));
    const std::vector<std::string> each{"lv-deleteall", "lv-delete 0", "lv-delete 0"};
    const std::vector<std::string> once{"lv-deleteall"};
    EXPECT_EQ(notes_, answer ? once : each);
    EXPECT_EQ(SendMessageW(view, LVM_GETITEMCOUNT, 0, 0), 0);
    DestroyWindow(view);
  }
}

TEST_F(UiViews, AnOwnerDrawnReportAsksTheParentToDrawEachRow) {
  HWND view = Make(WC_LISTVIEWW, LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_SINGLESEL);
  AddColumn(view, 0, u"Tray", 100);
  AddRow(view, 0, u"a", 7);
  AddRow(view, 1, u"b", 8, LVIS_SELECTED);
  ui::RunPendingMessages();
  notes_.clear();
  InvalidateRect(view, nullptr, TRUE);
  ui::RunPendingMessages();
  EXPECT_EQ(notes_, (std::vector<std::string>{"draw 102 0 0 7", "draw 102 1 1 8"}));
  RECT r{};
  ASSERT_TRUE(SendMessageW(view, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r)));
  EXPECT_EQ(r.right - r.left, 100);
  EXPECT_GT(r.top, 0);  // below the column titles
}

TEST_F(UiViews, AnIconViewLaysItsItemsOutInCells) {
  HWND view = Make(WC_LISTVIEWW, LVS_ICON);  // 300 pixels wide: three cells a row
  for (int i = 0; i < 5; ++i) AddRow(view, i, u"x", i);
  RECT first{}, fourth{};
  SendMessageW(view, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
  SendMessageW(view, LVM_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&fourth));
  EXPECT_EQ(fourth.left, first.left);
  EXPECT_GT(fourth.top, first.top);
  EXPECT_EQ(SendMessageW(view, LVM_GETNEXTITEM, 0, LVNI_BELOW), 3);
  EXPECT_EQ(SendMessageW(view, LVM_GETNEXTITEM, 4, LVNI_ABOVE), 1);
  EXPECT_TRUE(ui::SelectItemText(view, u"x"));
  EXPECT_EQ(ui::Selection(view), 0);
}

// ---- registered messages ----------------------------------------------------------------------

TEST(RegisteredMessages, OneIdPerNameWithoutRegardToCase) {
  const UINT a = RegisterWindowMessageW(u"KovaPreviewChanged");
  const UINT b = RegisterWindowMessageW(u"kovapreviewchanged");
  const UINT c = RegisterWindowMessageW(u"KovaOtherMessage");
  EXPECT_GE(a, 0xC000u);
  EXPECT_LE(a, 0xFFFFu);
  EXPECT_EQ(a, b);
  EXPECT_NE(a, c);
  EXPECT_GE(c, 0xC000u);
  EXPECT_EQ(RegisterWindowMessageW(u""), 0u);
  EXPECT_EQ(RegisterWindowMessageW(nullptr), 0u);
}

}  // namespace

namespace {

std::vector<std::string>* gDialogNotes = nullptr;
std::vector<std::string>* gDialogDraws = nullptr;

INT_PTR ViewsDialogProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    TCITEMW tab{};
    tab.mask = TCIF_TEXT;
    for (const char16_t* t : {u"Paper", u"Finishing"}) {
      tab.pszText = const_cast<LPWSTR>(t);
      SendDlgItemMessageW(dlg, 2100, TCM_INSERTITEMW, 9, reinterpret_cast<LPARAM>(&tab));
    }
    LVITEMW row{};
    row.mask = LVIF_TEXT | LVIF_PARAM;
    for (int i = 0; i < 2; ++i) {
      row.iItem = i;
      row.lParam = 300 + i;
      row.pszText = const_cast<LPWSTR>(i ? u"Tray 2" : u"Tray 1");
      SendDlgItemMessageW(dlg, 2166, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&row));
    }
    return TRUE;
  }
  if (msg == WM_NOTIFY && gDialogNotes) {
    const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
    if (hdr->code == TCN_SELCHANGE) gDialogNotes->push_back("tab " + std::to_string(SendMessageW(hdr->hwndFrom, TCM_GETCURSEL, 0, 0)));
    if (hdr->code == LVN_ITEMCHANGED) {
      const auto* nm = reinterpret_cast<const NMLISTVIEW*>(lParam);
      if (nm->uNewState & LVIS_SELECTED) gDialogNotes->push_back("tray " + std::to_string(nm->lParam));
    }
    if (hdr->code == TCN_SELCHANGING) {
      // The second tab may not be left: the answer goes back through DWLP_MSGRESULT.
      SetWindowLongPtrW(dlg, DWLP_MSGRESULT, SendMessageW(hdr->hwndFrom, TCM_GETCURSEL, 0, 0) == 1);
      return TRUE;
    }
  }
  if (msg == WM_DRAWITEM && gDialogDraws) {
    const auto* di = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (di->CtlType == ODT_LISTVIEW) gDialogDraws->push_back("draw " + std::to_string(di->itemData));
    return TRUE;
  }
  if (msg == WM_COMMAND && LOWORD(wParam) == IDOK) {
    EndDialog(dlg, IDOK);
    return TRUE;
  }
  return FALSE;
}

TEST_F(UiViews, ViewsOfADialogTemplateAreDrivenThroughTheDialog) {
  HMODULE m = LoadScript(u"views", R"(
1011 DIALOGEX 0, 0, 240, 160
STYLE DS_MODALFRAME | WS_POPUP | WS_CAPTION
CAPTION "Trays"
FONT 8, "MS Shell Dlg"
BEGIN
  CONTROL "", 2100, WC_TABCONTROL, WS_TABSTOP, 4, 4, 230, 20
  CONTROL "", 2166, "SysListView32", LVS_REPORT | LVS_SINGLESEL | LVS_OWNERDRAWFIXED | WS_TABSTOP, 4, 30, 230, 60
  CONTROL "", 2200, WC_TREEVIEW, TVS_HASBUTTONS | TVS_LINESATROOT, 4, 96, 230, 40
  DEFPUSHBUTTON "OK", IDOK, 180, 140, 50, 14
END
)");
  std::vector<std::string> notes, draws;
  gDialogNotes = &notes;
  gDialogDraws = &draws;
  ui::QueueStep([] {
    HWND dlg = ui::ActiveModal();
    HWND tab = GetDlgItem(dlg, 2100);
    EXPECT_EQ(ui::Items(tab), (std::vector<std::u16string>{u"Paper", u"Finishing"}));
    EXPECT_TRUE(ui::SelectItem(tab, 1));
    EXPECT_FALSE(ui::SelectItem(tab, 0));  // refused by the dialog
    EXPECT_TRUE(ui::SelectItemText(GetDlgItem(dlg, 2166), u"Tray 2"));
    EXPECT_EQ(ui::Selection(GetDlgItem(dlg, 2166)), 1);
    EXPECT_TRUE(ui::Items(GetDlgItem(dlg, 2200)).empty());
    ui::ClickId(dlg, IDOK);
  });
  EXPECT_EQ(DialogBoxParamW(m, MAKEINTRESOURCEW(1011), nullptr, &ViewsDialogProc, 0), IDOK);
  gDialogNotes = gDialogDraws = nullptr;
  EXPECT_EQ(notes, (std::vector<std::string>{"tab 1", "tray 301"}));
  // The owner-drawn rows reached the dialog when the view was first painted.
  ASSERT_GE(draws.size(), 2u);
  EXPECT_EQ(draws[0], "draw 300");
  EXPECT_EQ(draws[1], "draw 301");
  EXPECT_EQ(ui::StalledLoops(), 0);
}

// The owner of two owner-drawn combo boxes names each item by its data: 1 "Plain", 2
// "Thick"; item data 3 is drawn without text.
INT_PTR OwnerDrawnDialogProc(HWND dlg, UINT msg, WPARAM, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    for (int id : {3001, 3002}) {
      HWND combo = GetDlgItem(dlg, id);
      const bool strings = id == 3002;
      for (LPARAM data : {1, 2, 3}) {
        // Without strings the added value is the item's data; with them the owner keys each
        // item by a text of its own and keeps the data beside it.
        const std::u16string key = u"#" + std::u16string(1, static_cast<char16_t>(u'0' + data));
        const LRESULT at = SendMessageW(combo, CB_ADDSTRING, 0, strings ? reinterpret_cast<LPARAM>(key.c_str()) : data);
        if (strings) SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(at), data);
      }
    }
    return TRUE;
  }
  if (msg == WM_DRAWITEM) {
    const auto* di = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (di->CtlType == ODT_COMBOBOX && di->itemID != static_cast<UINT>(-1) && di->itemData != 3) {
      const char16_t* name = di->itemData == 1 ? u"Plain" : u"Thick";
      TextOutW(di->hDC, di->rcItem.left + 2, di->rcItem.top + 1, name, static_cast<int>(std::u16string(name).size()));
    }
    return TRUE;
  }
  return FALSE;
}

// Owner-drawn lists read as their owner draws them, with or without texts of their own.
TEST_F(UiViews, OwnerDrawnItemsReadAsTheirOwnerDrawsThem) {
  HMODULE m = LoadScript(u"owner", R"(
1012 DIALOGEX 0, 0, 200, 100
STYLE DS_MODALFRAME | WS_POPUP | WS_CAPTION
CAPTION "Media"
FONT 8, "MS Shell Dlg"
BEGIN
  CONTROL "", 3001, "ComboBox", CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | WS_TABSTOP, 4, 4, 100, 60
  CONTROL "", 3002, "ComboBox", CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_TABSTOP, 4, 24, 100, 60
END
)");
  ui::QueueStep([] {
    HWND dlg = ui::ActiveModal();
    const std::vector<std::u16string> keyed = ui::Items(GetDlgItem(dlg, 3002));
    EXPECT_EQ(keyed, (std::vector<std::u16string>{u"#1", u"#2", u"#3"}));
    EXPECT_EQ(ui::ItemsAsDrawn(GetDlgItem(dlg, 3002)), (std::vector<std::u16string>{u"Plain", u"Thick", u"#3"}));
    const std::vector<std::u16string> drawn = ui::ItemsAsDrawn(GetDlgItem(dlg, 3001));
    ASSERT_EQ(drawn.size(), 3u);
    EXPECT_EQ(drawn[0], u"Plain");
    EXPECT_EQ(drawn[1], u"Thick");
    EndDialog(dlg, IDOK);
  });
  EXPECT_EQ(DialogBoxParamW(m, MAKEINTRESOURCEW(1012), nullptr, &OwnerDrawnDialogProc, 0), IDOK);
  EXPECT_EQ(ui::StalledLoops(), 0);
}

}  // namespace

}  // namespace controls_views_test
