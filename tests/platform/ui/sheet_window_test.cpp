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

TEST_F(SheetWindow, AClosedDropDownIsAsTallAsItsSelectionFieldAndOpensToItsList) {
  struct Case {
    const char* name;
    DWORD style;
    int closed;  // height closed
    int open;    // height with the list dropped
  };
  const Case cases[] = {
      // The field: an item's height (16) and its border.
      {"DropDownList", CBS_DROPDOWNLIST, 22, 120},
      {"DropDown", CBS_DROPDOWN, 22, 120},
      // A simple combo shows its list always: it keeps its height.
      {"Simple", CBS_SIMPLE, 120, 120},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HWND w = CreateWindowExW(0, u"#32770", u"Page", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200, nullptr, nullptr, nullptr,
                             nullptr);
    HWND combo = CreateWindowExW(0, u"ComboBox", u"", WS_CHILD | WS_VISIBLE | c.style, 10, 10, 100, 120, w,
                                 reinterpret_cast<HMENU>(5), nullptr, nullptr);
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"Letter"));
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"A4"));
    auto height = [combo] {
      RECT r{};
      GetWindowRect(combo, &r);
      return static_cast<int>(r.bottom - r.top);
    };
    EXPECT_EQ(height(), c.closed);
    SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
    EXPECT_EQ(height(), c.open);
    SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
    EXPECT_EQ(height(), c.closed);
    // A person's choice opens the list and closes it again.
    EXPECT_TRUE(ui::SelectItem(combo, 1));
    EXPECT_EQ(height(), c.closed);
    DestroyWindow(w);
  }
}

TEST_F(SheetWindow, TheSheetTakesItsLargestPageWithTabsAboveAndButtonsBelow) {
  ui::QueueStep([] {
    HWND sheet = ui::ActiveModal();
    HWND tab = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETTABCONTROL, 0, 0));
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(ui::Items(tab), (std::vector<std::u16string>{u"Layout", u"Paper/Quality"}));
    EXPECT_EQ(ui::Selection(tab), 0);
    HWND first = PropSheet_GetCurrentPageHwnd(sheet);
    // A person clicks the second tab: its page shows, the first hides.
    EXPECT_TRUE(ui::SelectItem(tab, 1));
    HWND second = PropSheet_GetCurrentPageHwnd(sheet);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_TRUE(ui::Visible(second));
    EXPECT_FALSE(ui::Visible(first));
    RECT sheetRect{}, tabRect{}, pageRect{}, okRect{};
    GetWindowRect(sheet, &sheetRect);
    GetWindowRect(tab, &tabRect);
    GetWindowRect(second, &pageRect);
    GetWindowRect(GetDlgItem(sheet, IDOK), &okRect);
    // The larger page (200 x 120 dialog units) fits in the tab's body, below its strip.
    EXPECT_GT(pageRect.right - pageRect.left, 150 * 6 / 4);
    EXPECT_GE(pageRect.left, tabRect.left);
    EXPECT_LE(pageRect.right, tabRect.right);
    EXPECT_GT(pageRect.top, tabRect.top + 15);
    EXPECT_LE(pageRect.bottom, tabRect.bottom);
    EXPECT_LE(tabRect.right, sheetRect.right);
    // The buttons below the tab, inside the sheet.
    EXPECT_GE(okRect.top, tabRect.bottom);
    EXPECT_LE(okRect.bottom, sheetRect.bottom);
    EXPECT_LE(okRect.right, sheetRect.right);
    // The picture shows the page over the tab: its check box's text is there.
    const ui::Picture p = ui::Compose(sheet);
    ASSERT_EQ(p.width, sheetRect.right - sheetRect.left);
    int dark = 0;
    for (LONG y = pageRect.top - sheetRect.top; y < pageRect.top - sheetRect.top + 20; ++y)
      for (LONG x = pageRect.left - sheetRect.left; x < pageRect.left - sheetRect.left + 100; ++x) {
        const std::uint32_t px = p.pixels[static_cast<std::size_t>(y) * p.width + x];
        if (((px >> 16) & 0xFF) + ((px >> 8) & 0xFF) + (px & 0xFF) < 3 * 100) ++dark;
      }
    EXPECT_GT(dark, 10);
    ui::PressSheetButton(sheet, PSBTN_CANCEL);
  });
  Run();
  EXPECT_EQ(ui::StalledLoops(), 0);
}

// Records what each WM_PAINT's BeginPaint says about the background.
std::vector<BOOL>* gErase = nullptr;
LRESULT gEraseAnswer = 0;

LRESULT EraseProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_ERASEBKGND) return gEraseAnswer;
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    BeginPaint(h, &ps);
    gErase->push_back(ps.fErase);
    EndPaint(h, &ps);
    return 0;
  }
  return DefWindowProcW(h, msg, wParam, lParam);
}

TEST_F(SheetWindow, BeginPaintAsksForAnEraseOnlyWhenOneIsPendingAndUndone) {
  struct Case {
    const char* name;
    BOOL erase;            // InvalidateRect's bErase
    LRESULT eraseAnswer;   // WM_ERASEBKGND's answer
    BOOL expected;
  };
  const Case cases[] = {
      {"NoErasePending", FALSE, 0, FALSE},
      {"ErasedByTheWindow", TRUE, 1, FALSE},
      {"EraseLeftUndone", TRUE, 0, TRUE},
  };
  WNDCLASSW wc{};
  wc.lpfnWndProc = &EraseProc;
  wc.lpszClassName = u"EraseProbe";
  ASSERT_NE(RegisterClassW(&wc), 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<BOOL> seen;
    gErase = &seen;
    gEraseAnswer = c.eraseAnswer;
    HWND w = CreateWindowExW(0, u"EraseProbe", u"", WS_POPUP | WS_VISIBLE, 0, 0, 20, 20, nullptr, nullptr, nullptr,
                             nullptr);
    ui::RunPendingMessages();
    seen.clear();
    InvalidateRect(w, nullptr, c.erase);
    ui::RunPendingMessages();
    EXPECT_EQ(seen, std::vector<BOOL>{c.expected});
    DestroyWindow(w);
    gErase = nullptr;
  }
}

}  // namespace sheet_window_test
