// The Explorer style of the file dialogs (the caller's template and hook as a child that
// hears CDN_ notifications and sends CDM_ messages) and several names chosen at once, in
// both styles.
#include <string>
#include <vector>

#include "ui_fixture.h"
#include "win/commdlg.h"
#include "win/msgbox.h"
#include "win/resources.h"

namespace {

using kovatest::UiTest;
namespace ui = plat::ui;

struct ExplorerLog {
  std::vector<std::string> events;
  int refusals = 0;  // CDN_FILEOK answers that keep the dialog open
};
ExplorerLog* gLog = nullptr;

std::string Ask(HWND child, UINT msg) {
  WCHAR text[MAX_PATH] = {};
  const LRESULT n = SendMessageW(GetParent(child), msg, MAX_PATH, reinterpret_cast<LPARAM>(text));
  return kovatest::U8(text) + "/" + std::to_string(n);
}

UINT_PTR ExplorerHook(HWND child, UINT msg, WPARAM, LPARAM lParam) {
  if (!gLog) return FALSE;
  if (msg == WM_INITDIALOG) {
    gLog->events.push_back("init " + std::to_string(reinterpret_cast<OPENFILENAMEW*>(lParam)->lCustData));
    return TRUE;
  }
  if (msg != WM_NOTIFY) return FALSE;
  const auto* note = reinterpret_cast<const OFNOTIFYW*>(lParam);
  EXPECT_EQ(note->hdr.hwndFrom, GetParent(child));
  switch (note->hdr.code) {
    case CDN_INITDONE:
      gLog->events.push_back("initdone");
      SendMessageW(GetParent(child), CDM_SETCONTROLTEXT, IDOK, reinterpret_cast<LPARAM>(u"Load"));
      SendMessageW(GetParent(child), CDM_HIDECONTROL, chx1, 0);
      return TRUE;
    case CDN_FOLDERCHANGE: gLog->events.push_back("folder " + Ask(child, CDM_GETFOLDERPATH)); return TRUE;
    case CDN_SELCHANGE: gLog->events.push_back("sel " + Ask(child, CDM_GETSPEC)); return TRUE;
    case CDN_TYPECHANGE: gLog->events.push_back("type " + std::to_string(note->lpOFN->nFilterIndex)); return TRUE;
    case CDN_FILEOK:
      gLog->events.push_back("fileok " + kovatest::U8(note->lpOFN->lpstrFile) + " " + Ask(child, CDM_GETFILEPATH));
      SetWindowLongPtrW(child, DWLP_MSGRESULT, gLog->refusals-- > 0 ? 1 : 0);
      return TRUE;
    default: return FALSE;
  }
}

class UiExplorerDialogs : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    root_.WriteFile(u"C:\\Data\\a.kst", "x");
    root_.WriteFile(u"C:\\Data\\b.kst", "x");
    root_.WriteFile(u"C:\\Data\\Sub\\c.kst", "x");
    gLog = &log_;
    ofn_ = OPENFILENAMEW{};
    ofn_.lStructSize = sizeof ofn_;
    ofn_.lpstrFilter = u"Settings\0*.kst\0All\0*.*\0";
    ofn_.nFilterIndex = 1;
    ofn_.lpstrFile = file_;
    ofn_.nMaxFile = MAX_PATH;
    ofn_.lpstrInitialDir = u"C:\\Data";
    ofn_.lpstrDefExt = u"kst";
    ofn_.lCustData = 7;
  }
  void TearDown() override {
    gLog = nullptr;
    UiTest::TearDown();
  }
  // The buffer as its NUL-separated parts, up to the empty one that ends a list.
  std::vector<std::u16string> Parts() const {
    std::vector<std::u16string> out;
    for (const WCHAR* p = file_; *p && p < file_ + MAX_PATH; p += out.back().size() + 1) out.emplace_back(p);
    return out;
  }
  ExplorerLog log_;
  WCHAR file_[MAX_PATH] = {};
  OPENFILENAMEW ofn_{};
};

TEST_F(UiExplorerDialogs, TheHookHearsTheDialogAndMayRefuseTheName) {
  ofn_.Flags = OFN_EXPLORER | OFN_ENABLEHOOK | OFN_FILEMUSTEXIST;
  ofn_.lpfnHook = &ExplorerHook;
  log_.refusals = 1;
  ui::QueueStep([] {
    HWND dlg = ui::ActiveModal();
    EXPECT_EQ(ui::Text(GetDlgItem(dlg, IDOK)), u"Load");
    EXPECT_FALSE(ui::Visible(GetDlgItem(dlg, chx1)));
    ui::SelectItem(GetDlgItem(dlg, lst1), 1);       // b.kst
    ui::SelectItem(GetDlgItem(dlg, cmb1), 1);       // All
    ui::ReplaceText(GetDlgItem(dlg, edt1), u"Sub");  // into the sub-folder
    ui::ClickId(dlg, IDOK);
    ui::ReplaceText(GetDlgItem(dlg, edt1), u"c");
    ui::ClickId(dlg, IDOK);                          // refused by the hook
    EXPECT_TRUE(ui::Visible(dlg));
    ui::ClickId(dlg, IDOK);
  });
  EXPECT_TRUE(GetOpenFileNameW(&ofn_));
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  EXPECT_EQ(std::u16string(file_), u"C:\\Data\\Sub\\c.kst");
  EXPECT_EQ(log_.events, (std::vector<std::string>{
                             "init 7", "initdone", "folder C:\\Data/8", "sel b.kst/6", "type 2",
                             "folder C:\\Data\\Sub/12",
                             "fileok C:\\Data\\Sub\\c.kst C:\\Data\\Sub\\c/14",
                             "fileok C:\\Data\\Sub\\c.kst C:\\Data\\Sub\\c/14",
                         }));
  EXPECT_EQ(ui::StalledLoops(), 0);
}

TEST_F(UiExplorerDialogs, TheCallersTemplateBecomesAChildOfTheDialog) {
  HMODULE m = LoadScript(u"tpl", R"(
301 DIALOGEX 0, 0, 200, 40
STYLE DS_CONTROL | WS_CHILD | WS_VISIBLE
FONT 8, "MS Shell Dlg"
BEGIN
  LTEXT "Preview", 1234, 4, 4, 80, 10
END
)");
  ofn_.Flags = OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLETEMPLATE;
  ofn_.hInstance = m;
  ofn_.lpTemplateName = MAKEINTRESOURCEW(301);
  ofn_.lpfnHook = &ExplorerHook;
  ui::QueueStep([] {
    HWND dlg = ui::ActiveModal();
    HWND preview = ui::FindControl(dlg, 1234);
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(GetParent(GetParent(preview)), dlg);
    EXPECT_EQ(ui::Text(preview), u"Preview");
    ui::ClickId(dlg, IDCANCEL);
  });
  EXPECT_FALSE(GetOpenFileNameW(&ofn_));
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  EXPECT_EQ(log_.events, (std::vector<std::string>{"init 7", "initdone", "folder C:\\Data/8"}));
  // A template that is not there is refused before any dialog is made.
  ofn_.lpTemplateName = MAKEINTRESOURCEW(302);
  EXPECT_FALSE(GetOpenFileNameW(&ofn_));
  EXPECT_EQ(CommDlgExtendedError(), CDERR_FINDRESFAILURE);
}

TEST_F(UiExplorerDialogs, SeveralNamesComeBackInTheFormOfTheStyle) {
  struct Case {
    const char* name;
    DWORD flags;
    std::vector<std::u16string> names;
    DWORD maxFile;
    bool answer;
    DWORD error;
    std::vector<std::u16string> parts;
    WORD fileOffset;
  };
  const Case cases[] = {
      {"ExplorerList", OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST, {u"a.kst", u"b"}, MAX_PATH, true, 0,
       {u"C:\\Data", u"a.kst", u"b.kst"}, 8},
      {"OldStyleList", OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST, {u"a.kst", u"b.kst"}, MAX_PATH, true, 0,
       {u"C:\\Data a.kst b.kst"}, 8},
      {"ExplorerOneName", OFN_EXPLORER | OFN_ALLOWMULTISELECT, {u"a.kst"}, MAX_PATH, true, 0, {u"C:\\Data\\a.kst"}, 8},
      {"MissingFileKeepsTheDialog", OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST, {u"a.kst", u"z.kst"},
       MAX_PATH, false, 0, {}, 0},
      {"SeveralWithoutTheFlag", OFN_EXPLORER, {u"a.kst", u"b.kst"}, MAX_PATH, false, 0, {}, 0},
      // "C:\Data" NUL "a.kst" NUL "b.kst" NUL NUL: 21 characters.
      {"BufferTooSmall", OFN_EXPLORER | OFN_ALLOWMULTISELECT, {u"a.kst", u"b.kst"}, 20, false, FNERR_BUFFERTOOSMALL,
       {}, 0},
  };
  for (const Case& c : cases) {
    std::fill(std::begin(file_), std::end(file_), u'\0');
    ofn_.Flags = c.flags;
    ofn_.nMaxFile = c.maxFile;
    ofn_.nFileOffset = 0;
    ui::ClearMessageBoxes();
    ui::QueueFileDialogNames(c.names);
    if (!c.answer && !c.error) ui::QueueStep([] { ui::ClickId(ui::ActiveModal(), IDCANCEL); });
    EXPECT_EQ(GetOpenFileNameW(&ofn_) != FALSE, c.answer) << c.name;
    EXPECT_EQ(CommDlgExtendedError(), c.error) << c.name;
    if (c.answer) {
      EXPECT_EQ(Parts(), c.parts) << c.name;
      EXPECT_EQ(ofn_.nFileOffset, c.fileOffset) << c.name;
    }
    if (!c.answer && !c.error) {
      EXPECT_EQ(ui::MessageBoxes().size(), 1u) << c.name;  // the warning, then Cancel
    }
    if (c.error == FNERR_BUFFERTOOSMALL) {
      EXPECT_EQ(file_[0], 21) << c.name;
    }
  }
  EXPECT_EQ(ui::StalledLoops(), 0);
}

}  // namespace
