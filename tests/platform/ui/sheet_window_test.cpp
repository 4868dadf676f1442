// The property sheet as a window: what it holds while sheets open and close.
#include <string>
#include <vector>

#include "ui_fixture.h"
#include "win/resources.h"

namespace sheet_window_test {

using kovatest::UiTest;
namespace ui = plat::ui;

// Pages with their own dialog font, a caption and a drop-down list each.
constexpr const char* kPages =
    "1 DIALOGEX 0, 0, 150, 80\n"
    "STYLE DS_CONTROL | WS_CHILD | DS_SETFONT\n"
    "CAPTION \"Layout\"\n"
    "FONT 8, \"MS Shell Dlg\"\n"
    "BEGIN\n"
    "  LTEXT \"Copies:\", 10, 5, 5, 60, 10\n"
    "  COMBOBOX 11, 5, 20, 80, 60, CBS_DROPDOWNLIST | WS_VSCROLL\n"
    "END\n"
    "2 DIALOGEX 0, 0, 200, 120\n"
    "STYLE DS_CONTROL | WS_CHILD | DS_SETFONT\n"
    "CAPTION \"Paper/Quality\"\n"
    "FONT 8, \"MS Shell Dlg\"\n"
    "BEGIN\n"
    "  AUTOCHECKBOX \"Collate\", 20, 5, 5, 80, 10\n"
    "END\n";

INT_PTR PageProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

class SheetWindow : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    module_ = LoadScript(u"SheetPages", kPages);
  }
  HPROPSHEETPAGE Page(int id) {
    PROPSHEETPAGEW p{};
    p.dwSize = sizeof p;
    p.hInstance = module_;
    p.pszTemplate = MAKEINTRESOURCEW(static_cast<WORD>(id));
    p.pfnDlgProc = &PageProc;
    return CreatePropertySheetPageW(&p);
  }
  INT_PTR Run() {
    HPROPSHEETPAGE pages[2] = {Page(1), Page(2)};
    PROPSHEETHEADERW h{};
    h.dwSize = sizeof h;
    h.pszCaption = u"Printing Preferences";
    h.nPages = 2;
    h.phpage = pages;
    return PropertySheetW(&h);
  }
  HMODULE module_ = nullptr;
};

TEST_F(SheetWindow, OpeningAndClosingSheetsHoldsTheWindowSystemFlat) {
  auto openAndCancel = [this] {
    ui::QueueStep([] {
      HWND sheet = ui::ActiveModal();
      ui::RunPendingMessages();  // painted
      ui::SelectPage(sheet, 1);
      ui::RunPendingMessages();
      ui::PressSheetButton(sheet, PSBTN_CANCEL);
    });
    Run();
  };
  openAndCancel();
  const ui::WindowSystemCounts first = ui::Counts();
  for (int i = 0; i < 40; ++i) openAndCancel();
  const ui::WindowSystemCounts after = ui::Counts();
  EXPECT_EQ(after.windows, first.windows);
  // Each page's dialog font goes with its page.
  EXPECT_EQ(after.gdiObjects, first.gdiObjects);
  EXPECT_EQ(after.deviceContexts, first.deviceContexts);
  // The paint logs of the closed sheets' windows are gone.
  EXPECT_EQ(after.paintLines, first.paintLines);
  EXPECT_EQ(after.paintLines, 0u);
  EXPECT_EQ(ui::StalledLoops(), 0);
}

}  // namespace sheet_window_test
