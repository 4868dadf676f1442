// Message boxes, file dialogs, timers and painting.
#include <string>
#include <vector>

#include "plat/system.h"
#include "ui_fixture.h"
#include "win/commdlg.h"
#include "win/msgbox.h"
#include "win/paint.h"
#include "win/resources.h"

namespace {

using kovatest::UiTest;
namespace ui = plat::ui;

class UiBoxes : public UiTest {};

TEST_F(UiBoxes, MessageBoxesAnswerFromTheScriptOrTheDefaultButtonAndAreRecorded) {
  struct Case {
    UINT type;
    int scripted;  // 0: none
    int answer;
  };
  const Case cases[] = {
      {MB_OK, 0, IDOK},
      {MB_OKCANCEL | MB_ICONWARNING, 0, IDOK},
      {MB_YESNO | MB_DEFBUTTON2, 0, IDNO},
      {MB_YESNOCANCEL, IDCANCEL, IDCANCEL},
      {MB_OK, IDCANCEL, IDOK},  // closing a lone OK box is OK
      {MB_OKCANCEL, IDYES, 0},  // not one of its buttons
      {0x7, 0, 0},              // no such button type
  };
  for (const Case& c : cases) {
    ui::ClearMessageBoxes();
    if (c.scripted) ui::QueueMessageBoxAnswer(c.scripted);
    std::u16string text = u"Text";
    EXPECT_EQ(MessageBoxW(nullptr, text.c_str(), u"Caption", c.type), c.answer) << c.type;
    text[0] = u'X';  // the box took a copy
    if (c.type == 0x7) {
      EXPECT_TRUE(ui::MessageBoxes().empty());
      continue;
    }
    ASSERT_EQ(ui::MessageBoxes().size(), 1u);
    EXPECT_EQ(ui::MessageBoxes()[0].text, u"Text");
    EXPECT_EQ(ui::MessageBoxes()[0].caption, u"Caption");
    EXPECT_EQ(ui::MessageBoxes()[0].type, c.type);
  }
}

// An old-style hook: it refuses the first name it sees by keeping the dialog open.
struct HookLog {
  std::vector<std::string> events;
  int refusals = 1;
};
HookLog* gHook = nullptr;

UINT_PTR Hook(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    gHook->events.push_back("init " + std::to_string(reinterpret_cast<OPENFILENAMEW*>(lParam)->lCustData));
    return TRUE;
  }
  if (msg == WM_COMMAND && LOWORD(wParam) == IDOK) {
    WCHAR name[MAX_PATH];
    GetDlgItemTextW(dlg, edt1, name, MAX_PATH);
    gHook->events.push_back("ok " + kovatest::U8(name));
    if (gHook->refusals-- > 0) return TRUE;  // handled: the dialog stays
  }
  return FALSE;
}

TEST_F(UiBoxes, SaveDialogWithHookAndScriptedName) {
  root_.WriteFile(u"C:\\Data\\old.kst", "x");
  HookLog log;
  gHook = &log;
  WCHAR file[MAX_PATH] = {};
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.lpstrFilter = u"Settings\0*.kst\0All\0*.*\0";
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrInitialDir = u"C:\\Data";
  ofn.lpstrTitle = u"Save settings";
  ofn.lpstrDefExt = u"kst";
  ofn.lCustData = 42;
  ofn.lpfnHook = &Hook;
  ofn.Flags = OFN_ENABLEHOOK | OFN_HIDEREADONLY;
  ui::QueueStep([] {
    HWND dlg = ui::ActiveModal();
    // The lists show the folder and its settings files.
    EXPECT_EQ(ui::Items(GetDlgItem(dlg, lst1)), (std::vector<std::u16string>{u"old.kst"}));
    EXPECT_EQ(ui::Items(GetDlgItem(dlg, lst2)), (std::vector<std::u16string>{u"C:\\", u"Data"}));
    EXPECT_FALSE(ui::Visible(GetDlgItem(dlg, chx1)));
    ui::ReplaceText(GetDlgItem(dlg, edt1), u"first");
    ui::ClickId(dlg, IDOK);
    EXPECT_TRUE(ui::Visible(dlg));  // the hook kept it open
    ui::ReplaceText(GetDlgItem(dlg, edt1), u"mine");
    ui::ClickId(dlg, IDOK);
  });
  EXPECT_TRUE(GetSaveFileNameW(&ofn));
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  EXPECT_EQ(std::u16string(file), u"C:\\Data\\mine.kst");
  EXPECT_EQ(ofn.nFileOffset, 8);
  EXPECT_EQ(ofn.nFileExtension, 13);
  EXPECT_EQ(log.events, (std::vector<std::string>{"init 42", "ok first", "ok mine"}));
  ASSERT_EQ(ui::FileDialogs().size(), 1u);
  EXPECT_TRUE(ui::FileDialogs()[0].save);
  EXPECT_EQ(ui::FileDialogs()[0].filter, u"Settings|*.kst|All|*.*|");
}

TEST_F(UiBoxes, OpenDialogChecksTheNameAndTheRecord) {
  WCHAR small[8] = {};
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.lpstrFile = small;
  ofn.nMaxFile = 8;
  ofn.Flags = OFN_FILEMUSTEXIST;
  root_.WriteFile(u"C:\\longer-name.txt", "x");
  // A missing file keeps the dialog with a warning; cancel ends it without an error.
  ui::QueueFileDialogPath(u"C:\\missing.txt");
  ui::QueueStep([] { ui::ClickId(ui::ActiveModal(), IDCANCEL); });
  EXPECT_FALSE(GetOpenFileNameW(&ofn));
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  ASSERT_EQ(ui::MessageBoxes().size(), 1u);
  // A name longer than the buffer: the needed size in the first character.
  ui::QueueFileDialogPath(u"C:\\longer-name.txt");
  EXPECT_FALSE(GetOpenFileNameW(&ofn));
  EXPECT_EQ(CommDlgExtendedError(), FNERR_BUFFERTOOSMALL);
  EXPECT_EQ(small[0], 19);
  ofn.lStructSize = 88;  // a 32-bit size is refused
  EXPECT_FALSE(GetOpenFileNameW(&ofn));
  EXPECT_EQ(CommDlgExtendedError(), CDERR_STRUCTSIZE);
  EXPECT_EQ(ui::StalledLoops(), 0);
}

TEST_F(UiBoxes, TimersFireOnTheTestClockInsideAModalLoop) {
  static std::vector<DWORD> fired;
  fired.clear();
  HWND owner = CreateWindowExW(0, u"#32770", u"Owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  plat::SetTestTickCount(1000);
  SetTimer(owner, 7, 100, [](HWND, UINT, UINT_PTR id, DWORD now) { fired.push_back(static_cast<DWORD>(id) * 100000 + now); });
  ui::RunPendingMessages();
  EXPECT_TRUE(fired.empty());
  ui::AdvanceClock(99);
  ui::RunPendingMessages();
  EXPECT_TRUE(fired.empty());
  ui::AdvanceClock(1);
  ui::RunPendingMessages();
  ui::RunPendingMessages();  // not again before the next period
  EXPECT_EQ(fired, (std::vector<DWORD>{701100}));
  KillTimer(owner, 7);
  ui::AdvanceClock(500);
  ui::RunPendingMessages();
  EXPECT_EQ(fired.size(), 1u);
}

TEST_F(UiBoxes, PaintingIsReadBackAsPixels) {
  HWND w = CreateWindowExW(0, u"#32770", u"Paint", WS_POPUP | WS_VISIBLE, 0, 0, 40, 30, nullptr, nullptr, nullptr,
                           nullptr);
  HWND check = CreateWindowExW(0, u"Button", u"Box", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 0, 0, 40, 20, w,
                               reinterpret_cast<HMENU>(5), nullptr, nullptr);
  ui::RunPendingMessages();
  EXPECT_EQ(ui::PixelAt(w, 1, 25), 0xF0F0F0u);      // the dialog's face colour
  EXPECT_EQ(ui::PixelAt(check, 5, 8), 0xFFFFFFu);   // an empty box
  ui::Click(check);
  ui::RunPendingMessages();
  EXPECT_EQ(ui::PixelAt(check, 5, 8), 0x000000u);   // the check mark
  // Memory bitmaps and the raster operations.
  HDC screen = GetDC(w);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, 4, 4);
  HGDIOBJ old = SelectObject(mem, bmp);
  RECT all{0, 0, 4, 4};
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  FillRect(mem, &all, red);
  SetPixel(mem, 1, 1, RGB(0, 255, 255));
  struct Case {
    DWORD rop;
    COLORREF dst;
    COLORREF expected;  // at (1, 1), where the source is cyan
  };
  const Case cases[] = {{SRCCOPY, RGB(10, 20, 30), RGB(0, 255, 255)},
                        {SRCAND, RGB(255, 128, 0), RGB(0, 128, 0)},
                        {SRCPAINT, RGB(255, 0, 0), RGB(255, 255, 255)},
                        {MERGEPAINT, RGB(0, 0, 0), RGB(255, 0, 0)},  // dst | ~src
                        {SRCINVERT, RGB(0, 255, 0), RGB(0, 0, 255)},
                        {BLACKNESS, RGB(9, 9, 9), RGB(0, 0, 0)}};
  for (const Case& c : cases) {
    SetPixel(screen, 11, 11, c.dst);
    BitBlt(screen, 10, 10, 4, 4, mem, 0, 0, c.rop);
    EXPECT_EQ(GetPixel(screen, 11, 11), c.expected) << std::hex << c.rop;
  }
  StretchBlt(screen, 20, 0, 8, 8, mem, 0, 0, 4, 4, SRCCOPY);
  EXPECT_EQ(GetPixel(screen, 22, 2), RGB(0, 255, 255));  // (1, 1) doubled
  EXPECT_EQ(GetPixel(screen, 27, 7), RGB(255, 0, 0));
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteObject(red);
  DeleteDC(mem);
  ReleaseDC(w, screen);
}

}  // namespace
