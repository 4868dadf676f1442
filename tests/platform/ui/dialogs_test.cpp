// Dialogs from resource scripts, driven as a person would.
#include <string>
#include <vector>

#include "plat/rc_script.h"
#include "ui_fixture.h"
#include "win/resources.h"

namespace {

using kovatest::UiTest;
namespace ui = plat::ui;

constexpr const char* kScript =
    "#define IDD_DEMO 100\n"
    "#define IDC_NAME 1001\n"
    "#define IDC_KEEP 1002\n"
    "#define IDC_KIND 1003\n"
    "IDD_DEMO DIALOGEX 0, 0, 200, 120\n"
    "STYLE DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU\n"
    "CAPTION \"Demo settings\"\n"
    "FONT 8, \"MS Shell Dlg\", 400, 0, 0x1\n"
    "BEGIN\n"
    "    LTEXT           \"&Name:\", IDC_STATIC, 7, 7, 40, 8\n"
    "    EDITTEXT        IDC_NAME, 50, 5, 100, 14, ES_AUTOHSCROLL\n"
    "    CONTROL         \"Keep\", IDC_KEEP, \"Button\", BS_AUTOCHECKBOX | WS_TABSTOP, 7, 25, 60, 10\n"
    "    COMBOBOX        IDC_KIND, 7, 40, 100, 60, CBS_DROPDOWNLIST | WS_VSCROLL\n"
    "    DEFPUSHBUTTON   \"OK\", IDOK, 90, 100, 50, 14\n"
    "    PUSHBUTTON      \"Cancel\", IDCANCEL, 143, 100, 50, 14, NOT WS_TABSTOP\n"
    "END\n";

struct DemoState {
  std::vector<std::string> log;
  bool childrenAtInit = false;
  std::u16string name;
  UINT keep = 0;
  int kind = -1;
};

INT_PTR DemoProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* s = reinterpret_cast<DemoState*>(GetWindowLongPtrW(dlg, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG: {
      s = reinterpret_cast<DemoState*>(lParam);
      SetWindowLongPtrW(dlg, DWLP_USER, lParam);
      s->childrenAtInit = GetDlgItem(dlg, 1001) && GetDlgItem(dlg, IDOK) && GetDlgItem(dlg, 1003);
      for (const char16_t* k : {u"Plain", u"Fine", u"Draft"})
        SendDlgItemMessageW(dlg, 1003, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(k));
      SendDlgItemMessageW(dlg, 1003, CB_SETCURSEL, 0, 0);
      s->log.push_back("init");
      return TRUE;
    }
    case WM_COMMAND: {
      if (!s) return FALSE;
      const int id = LOWORD(wParam), code = HIWORD(wParam);
      s->log.push_back(std::to_string(id) + ":" + std::to_string(code));
      if (id == IDOK || id == IDCANCEL) {
        WCHAR text[64];
        GetDlgItemTextW(dlg, 1001, text, 64);
        s->name = text;
        s->keep = IsDlgButtonChecked(dlg, 1002);
        s->kind = static_cast<int>(SendDlgItemMessageW(dlg, 1003, CB_GETCURSEL, 0, 0));
        EndDialog(dlg, id);
      }
      return TRUE;
    }
    default: return FALSE;
  }
}

class UiDialog : public UiTest {};

TEST_F(UiDialog, ScriptedPersonFillsTheDialogAndPressesOk) {
  HMODULE m = LoadScript(u"Demo", kScript);
  DemoState s;
  ui::QueueStep([] {
    HWND dlg = ui::ActiveModal();
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(ui::Text(dlg), u"Demo settings");
    EXPECT_TRUE(ui::Type(GetDlgItem(dlg, 1001), u"Hi"));
    EXPECT_TRUE(ui::Click(GetDlgItem(dlg, 1002)));
    EXPECT_TRUE(ui::SelectItem(GetDlgItem(dlg, 1003), 2));
    EXPECT_TRUE(ui::Click(GetDlgItem(dlg, IDOK)));
  });
  const INT_PTR r = DialogBoxParamW(m, MAKEINTRESOURCEW(100), nullptr, &DemoProc, reinterpret_cast<LPARAM>(&s));
  EXPECT_EQ(r, IDOK);
  EXPECT_TRUE(s.childrenAtInit);
  EXPECT_EQ(s.name, u"Hi");
  EXPECT_EQ(s.keep, BST_CHECKED);
  EXPECT_EQ(s.kind, 2);
  EXPECT_EQ(ui::StalledLoops(), 0);
  // The edit reports each character as EN_UPDATE then EN_CHANGE (0x400, 0x300), after its
  // EN_SETFOCUS (0x100); the focus moves on with EN_KILLFOCUS (0x200); the combo box
  // drops down, changes, confirms and closes.
  const std::vector<std::string> expected = {
      "init",      "1001:256", "1001:1024", "1001:768", "1001:1024", "1001:768", "1001:512", "1002:0",
      "1003:3",    "1003:7",   "1003:1",    "1003:9",   "1003:8",    "1003:4",   "1:0"};
  EXPECT_EQ(s.log, expected);
}

TEST_F(UiDialog, EscapeCancelsAndEnterPressesTheDefaultButton) {
  HMODULE m = LoadScript(u"Demo", kScript);
  for (int key : {VK_ESCAPE, VK_RETURN}) {
    DemoState s;
    ui::QueueStep([key] { ui::PressKey(GetDlgItem(ui::ActiveModal(), 1001), key); });
    const INT_PTR r = DialogBoxParamW(m, MAKEINTRESOURCEW(100), nullptr, &DemoProc, reinterpret_cast<LPARAM>(&s));
    EXPECT_EQ(r, key == VK_ESCAPE ? IDCANCEL : IDOK);
  }
}

TEST_F(UiDialog, ALoopWithNothingLeftToDoIsCancelledAndCounted) {
  HMODULE m = LoadScript(u"Demo", kScript);
  DemoState s;
  EXPECT_EQ(DialogBoxParamW(m, MAKEINTRESOURCEW(100), nullptr, &DemoProc, reinterpret_cast<LPARAM>(&s)), IDCANCEL);
  EXPECT_EQ(ui::StalledLoops(), 1);
}

TEST_F(UiDialog, TemplateGivesStylesPositionsInPixelsAndDefaultStyles) {
  HMODULE m = LoadScript(u"Demo", kScript);
  HWND dlg = CreateDialogParamW(m, MAKEINTRESOURCEW(100), nullptr, nullptr, 0);
  ASSERT_NE(dlg, nullptr);
  HWND edit = GetDlgItem(dlg, 1001);
  RECT r;
  GetWindowRect(edit, &r);
  POINT p{r.left, r.top};
  ScreenToClient(dlg, &p);
  EXPECT_EQ(p.x, 100);  // 50 dialog units at 8 pixels per 4 units
  EXPECT_EQ(p.y, 10);   // 5 units at 16 pixels per 8 units
  EXPECT_EQ(r.right - r.left, 200);
  const auto style = [&](int id) { return static_cast<DWORD>(GetWindowLongPtrW(GetDlgItem(dlg, id), GWL_STYLE)); };
  EXPECT_EQ(style(1001) & (WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL),
            WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL);
  EXPECT_EQ(style(IDCANCEL) & WS_TABSTOP, 0u);  // NOT took the default away
  EXPECT_EQ(style(IDOK) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  EXPECT_EQ(GetDlgCtrlID(GetWindow(dlg, GW_CHILD)), -1);  // IDC_STATIC
  EXPECT_EQ(LOWORD(static_cast<DWORD>(SendMessageW(dlg, DM_GETDEFID, 0, 0))), IDOK);
  // A modeless dialog without WS_VISIBLE in its template stays hidden until shown.
  EXPECT_FALSE(IsWindowVisible(dlg));
  DestroyWindow(dlg);
  EXPECT_FALSE(IsWindow(edit));
}

TEST_F(UiDialog, BadScriptsAreRefusedWithTheirLine) {
  struct Case {
    const char* script;
    const char* message;
  };
  const Case cases[] = {
      {"1 DIALOGEX 0, 0, 10, 10\nBEGIN\n  FOO 1, 2, 3\nEND\n", "t.rc(3): control statement expected"},
      {"1 DIALOGEX 0, 0, 10\nBEGIN\nEND\n", "t.rc(2): ',' expected"},
      {"1 DIALOGEX 0, 0, 10, 10\nBEGIN\n  CONTROL \"a\", 5, \"Button\", BS_NOSUCH, 1, 1, 1, 1\nEND\n",
       "t.rc(3): undefined symbol BS_NOSUCH"},
      {"1 DIALOG 0, 0, 10, 10\nBEGIN\n  LTEXT \"a\", 5, 1, 1, 1, 1\n", "t.rc(3): END expected"},
  };
  for (const Case& c : cases) {
    plat::ResourceTable t;
    std::string error;
    EXPECT_FALSE(plat::ParseResourceScriptText(c.script, "", "t.rc", t, error)) << c.script;
    EXPECT_EQ(error, c.message) << c.script;
  }
}

}  // namespace
