// What a person does and sees, for tests and the host (plat/ui_driver.h).
#include "plat/ui_driver.h"
#include "plat/wstr.h"
#include "ui_internal.h"
#include "win/commctrl.h"
#include "win/paint.h"
#include "win/prsht.h"

#include <algorithm>

namespace plat::ui {
namespace {

bool Usable(HWND h) { return IsWindow(h) && IsWindowEnabled(h) && IsWindowVisible(h); }

bool IsClass(HWND h, const char16_t* name) {
  auto w = Find(h);
  return w && plat::EqualNoCase(w->className, name);
}

// The dialog that handles keys for a control: its nearest dialog ancestor.
HWND DialogOf(HWND h) {
  for (auto w = Find(h); w; w = Find(w->parent))
    if (w->isDialog && w->handle != h) return w->handle;
  return nullptr;
}

}  // namespace

bool Click(HWND button) {
  if (!Usable(button) || !IsClass(button, u"Button")) return false;
  SendMessageW(button, WM_LBUTTONDOWN, 1, 0);
  SendMessageW(button, WM_LBUTTONUP, 0, 0);
  return true;
}

bool ClickId(HWND dialog, int id) { return Click(FindControl(dialog, id)); }

bool Type(HWND edit, std::u16string_view text) {
  if (!Usable(edit)) return false;
  SetFocus(edit);
  for (char16_t c : text) SendMessageW(edit, WM_CHAR, c, 1);
  return true;
}

bool ReplaceText(HWND edit, std::u16string_view text) {
  if (!Usable(edit)) return false;
  SetFocus(edit);
  SendMessageW(edit, EM_SETSEL, 0, -1);
  if (text.empty()) {
    SendMessageW(edit, WM_CHAR, VK_BACK, 1);
    return true;
  }
  return Type(edit, text);
}

void LeaveControl(HWND control) {
  if (GetFocus() != control) return;
  HWND dlg = DialogOf(control);
  SetFocus(dlg ? dlg : nullptr);
}

bool SelectItem(HWND list, int index) {
  if (!Usable(list)) return false;
  if (IsClass(list, WC_TABCONTROLW)) return UserSelectTab(list, index);
  if (IsClass(list, WC_TREEVIEWW)) return UserSelectTreeItem(list, index);
  if (IsClass(list, WC_LISTVIEWW)) return UserSelectListViewItem(list, index);
  if (IsClass(list, u"ComboBox")) {
    if (index < 0 || index >= static_cast<int>(SendMessageW(list, CB_GETCOUNT, 0, 0))) return false;
    SetFocus(list);
    UserSelectCombo(list, index);
    return true;
  }
  if (IsClass(list, u"ListBox")) {
    if (index < 0 || index >= static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0))) return false;
    SetFocus(list);
    UserSelectList(list, index);
    return true;
  }
  return false;
}

bool ExpandItem(HWND tree, int index, bool expand) {
  return Usable(tree) && IsClass(tree, WC_TREEVIEWW) && UserExpandTreeItem(tree, index, expand);
}

bool SelectItemText(HWND list, std::u16string_view text) {
  const std::u16string t(text);
  if (IsClass(list, WC_TABCONTROLW) || IsClass(list, WC_TREEVIEWW) || IsClass(list, WC_LISTVIEWW)) {
    const auto items = Items(list);
    for (std::size_t i = 0; i < items.size(); ++i) {
      std::u16string_view shown = items[i];
      shown.remove_prefix(std::min(shown.find_first_not_of(u' '), shown.size()));
      if (shown == text || shown.substr(0, shown.find(u'|')) == text) return SelectItem(list, static_cast<int>(i));
    }
    return false;
  }
  const bool combo = IsClass(list, u"ComboBox");
  const LRESULT at =
      SendMessageW(list, combo ? CB_FINDSTRINGEXACT : LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(t.c_str()));
  return at >= 0 && SelectItem(list, static_cast<int>(at));
}

bool PressKey(HWND window, int key) {
  if (!IsWindow(window)) return false;
  MSG m{window, WM_KEYDOWN, static_cast<WPARAM>(key), 1, 0, POINT{0, 0}};
  HWND dlg = DialogOf(window);
  if (!dlg || !IsDialogMessageW(dlg, &m)) SendMessageW(window, WM_KEYDOWN, static_cast<WPARAM>(key), 1);
  SendMessageW(window, WM_KEYUP, static_cast<WPARAM>(key), 1);
  return true;
}

bool AskHelp(HWND control) {
  if (!IsWindow(control) || !IsWindowVisible(control)) return false;
  SetFocus(control);
  HELPINFO info{};
  info.cbSize = sizeof info;
  info.iContextType = HELPINFO_WINDOW;
  info.iCtrlId = GetDlgCtrlID(control);
  info.hItemHandle = control;
  GetCursorPos(&info.MousePos);
  SendMessageW(control, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
  return true;
}

bool OpenContextMenu(HWND window, int x, int y) {
  if (!IsWindow(window) || !IsWindowVisible(window)) return false;
  POINT p{x, y};
  ClientToScreen(window, &p);
  SendMessageW(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window),
               MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y)));
  return true;
}

std::vector<HWND> ShownPopups() {
  std::vector<HWND> shown;
  for (HWND h : AllWindows()) {
    auto w = Find(h);
    if (w && !w->parent && w->owner && (w->style & WS_POPUP) && (w->style & WS_VISIBLE) && !w->isDialog)
      shown.push_back(h);
  }
  return shown;
}

bool SelectPage(HWND sheet, int index) {
  if (!IsWindow(sheet)) return false;
  return SendMessageW(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0) != 0;
}

bool PressSheetButton(HWND sheet, int which) {
  if (!IsWindow(sheet)) return false;
  int id = 0;
  switch (which) {
    case PSBTN_OK: id = IDOK; break;
    case PSBTN_CANCEL: id = IDCANCEL; break;
    case PSBTN_APPLYNOW: id = ID_APPLY_NOW; break;
    case PSBTN_HELP: id = IDHELP; break;
    default: return false;
  }
  HWND button = ChildById(sheet, id);
  return button && Click(button);
}

std::u16string Text(HWND window) {
  auto w = Find(window);
  if (!w) return {};
  const int n = GetWindowTextLengthW(window);
  std::u16string s(static_cast<std::size_t>(n) + 1, u'\0');
  GetWindowTextW(window, s.data(), n + 1);
  s.resize(static_cast<std::size_t>(n));
  return s;
}

UINT CheckState(HWND button) { return static_cast<UINT>(SendMessageW(button, BM_GETCHECK, 0, 0)); }

int Selection(HWND list) {
  if (IsClass(list, WC_TABCONTROLW)) return TabSelection(list);
  if (IsClass(list, WC_TREEVIEWW)) return TreeSelection(list);
  if (IsClass(list, WC_LISTVIEWW)) return ListViewSelection(list);
  return static_cast<int>(SendMessageW(list, IsClass(list, u"ComboBox") ? CB_GETCURSEL : LB_GETCURSEL, 0, 0));
}

std::vector<std::u16string> Items(HWND list) {
  if (IsClass(list, WC_TABCONTROLW)) return TabTexts(list);
  if (IsClass(list, WC_TREEVIEWW)) return TreeTexts(list);
  if (IsClass(list, WC_LISTVIEWW)) return ListViewTexts(list);
  std::vector<std::u16string> out;
  const bool combo = IsClass(list, u"ComboBox");
  const int n = static_cast<int>(SendMessageW(list, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    const LRESULT len = SendMessageW(list, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    if (len < 0) continue;
    std::u16string s(static_cast<std::size_t>(len) + 8, u'\0');
    const LRESULT got = SendMessageW(list, combo ? CB_GETLBTEXT : LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(s.data()));
    s.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    out.push_back(s);
  }
  return out;
}

std::vector<std::u16string> ItemsAsDrawn(HWND list) {
  std::vector<std::u16string> items = Items(list);
  auto w = Find(list);
  if (!w) return items;
  const bool combo = IsClass(list, u"ComboBox");
  if (!combo && !IsClass(list, u"ListBox")) return items;
  const DWORD ownerDraw = combo ? (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE) : (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE);
  HWND owner = GetParent(list);
  if (!(w->style & ownerDraw) || !owner) return items;
  RECT client{};
  GetClientRect(list, &client);
  for (std::size_t i = 0; i < items.size(); ++i) {
    HDC dc = GetDC(list);
    if (!dc) break;
    const std::size_t before = PaintLog(list).size();
    DRAWITEMSTRUCT di{};
    di.CtlType = combo ? ODT_COMBOBOX : ODT_LISTBOX;
    di.CtlID = static_cast<UINT>(GetDlgCtrlID(list));
    di.itemID = static_cast<UINT>(i);
    di.itemAction = ODA_DRAWENTIRE;
    di.hwndItem = list;
    di.hDC = dc;
    di.rcItem = RECT{0, 0, client.right > 0 ? client.right : 100, 16};
    di.itemData = static_cast<ULONG_PTR>(
        SendMessageW(list, combo ? CB_GETITEMDATA : LB_GETITEMDATA, static_cast<WPARAM>(i), 0));
    SendMessageW(owner, WM_DRAWITEM, di.CtlID, reinterpret_cast<LPARAM>(&di));
    ReleaseDC(list, dc);
    // The log's text lines: "text X,Y WORDS".
    const std::vector<std::string> log = PaintLog(list);
    std::string drawn;
    for (std::size_t k = before; k < log.size(); ++k) {
      if (log[k].rfind("text ", 0) != 0) continue;
      const std::size_t words = log[k].find(' ', 5);
      if (words != std::string::npos) drawn += (drawn.empty() ? "" : " ") + log[k].substr(words + 1);
    }
    if (!drawn.empty()) items[i] = plat::FromUtf8(drawn);
  }
  InvalidateRect(list, nullptr, TRUE);
  return items;
}

bool Enabled(HWND window) { return IsWindowEnabled(window) != FALSE; }
bool Visible(HWND window) { return IsWindowVisible(window) != FALSE; }

}  // namespace plat::ui
