// The preset-save mode of a page group: the sheet's OK button turned into the save buttons
// the preset module asked for, and an accepted sheet re-routed to the save command.
#include "fields/change_flags.h"
#include "base/ui_strings.h"
#include "page_engine_fixture.h"
#include "stored/page_opening.h"
#include "win/prsht.h"
#include "win/resources.h"

namespace kovatest {
namespace page_opening_test {
namespace {

constexpr DWORD kSaveNew = 0x80000000u;
constexpr DWORD kSaveInto = 0x40000000u;
constexpr DWORD kArmed = 0x800000u;
constexpr DWORD kSaveNewChosen = 0x10000000u;

struct Shape {
  int left, top, right, bottom;
};

Shape ClientShape(HWND sheet, HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  POINT tl{r.left, r.top}, br{r.right, r.bottom};
  ScreenToClient(sheet, &tl);
  ScreenToClient(sheet, &br);
  return {tl.x, tl.y, br.x, br.y};
}

class PageOpeningTest : public PageEngineTest {};

TEST_F(PageOpeningTest, PresetSaveModeTurnsOkIntoTheSaveButtons) {
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  struct Case {
    const char* name;
    DWORD bits;
    int okId;                 // the id the sheet's OK button carries
    const char16_t* okText;
    bool newButton;           // a separate "save as new" button left of OK
    WORD command;             // what an accepted sheet sends the page; 0 = the sheet closes
  };
  const Case cases[] = {
      {"plain sheet", 0, IDOK, u"OK", false, 0},
      {"save as new", kSaveNew, 11111, u"Save as new preset", false, 11111},
      {"save into", kSaveInto, 22222, u"Save into the preset", false, 22222},
      {"both", kSaveNew | kSaveInto, 22222, u"Save into the preset", true, 22222},
  };
  Shape plainOk{};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ClearChangeFlags(context, kSaveNew | kSaveInto | kArmed | kSaveNewChosen);
    SetChangeFlags(context, c.bits);
    plat::ui::QueueStep([&] {
      HWND sheet = plat::ui::ActiveModal();
      ASSERT_NE(sheet, nullptr);
      HWND ok = GetDlgItem(sheet, c.okId);
      ASSERT_NE(ok, nullptr);
      EXPECT_EQ(plat::ui::Text(ok), c.okText);
      const DWORD flags = GetChangeFlags(context);
      EXPECT_EQ(flags & (kSaveNew | kSaveInto), 0u);
      EXPECT_EQ((flags & kArmed) != 0, c.bits != 0);
      const Shape okShape = ClientShape(sheet, ok);
      const Shape cancel = ClientShape(sheet, GetDlgItem(sheet, IDCANCEL));
      if (c.bits == 0) {
        plainOk = okShape;
        EXPECT_EQ(GetDlgItem(sheet, 11111), nullptr);
        EXPECT_EQ(GetDlgItem(sheet, 22222), nullptr);
      } else {
        // Widened by a third to the left, its right edge kept.
        EXPECT_EQ(okShape.right, plainOk.right);
        EXPECT_EQ(okShape.right - okShape.left, (plainOk.right - plainOk.left) * 4 / 3);
        EXPECT_EQ(GetDlgItem(sheet, IDOK), nullptr);
      }
      HWND added = c.newButton ? GetDlgItem(sheet, 11111) : nullptr;
      EXPECT_EQ(added != nullptr, c.newButton);
      if (added) {
        EXPECT_EQ(plat::ui::Text(added), u"Save as new preset");
        const Shape a = ClientShape(sheet, added);
        EXPECT_EQ(a.left, 2 * okShape.left - cancel.left);
        EXPECT_EQ(a.top, cancel.top);
        EXPECT_EQ(a.right - a.left, okShape.right - okShape.left);
        EXPECT_LE(a.right, okShape.left);
        EXPECT_EQ(GetWindowLongPtrW(added, GWL_STYLE) & BS_DEFPUSHBUTTON, 0);
        // Its command reaches the page: "save as new" chosen.
        EXPECT_TRUE(plat::ui::Click(added));
        EXPECT_EQ(context->work->sheet.lastCommand, 11111);
        EXPECT_NE(GetChangeFlags(context) & kSaveNewChosen, 0u);
        context->work->sheet.lastCommand = 0;
      }
      // The sheet's OK: the apply is refused and the save command goes to the page instead.
      SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    });
    if (c.command) {
      plat::ui::QueueStep([&] {
        HWND sheet = plat::ui::ActiveModal();
        ASSERT_NE(sheet, nullptr) << "the sheet closed";
        EXPECT_EQ(context->work->sheet.lastCommand, c.command);
        EXPECT_EQ(context->work->sheet.applyInProgress, 0);
        plat::ui::PressSheetButton(sheet, PSBTN_CANCEL);
      });
    }
    const int result = ShowPage(context, SHOWPAGE_GROUP_10, 1004, nullptr);
    EXPECT_EQ(result, c.command ? 0 : 1);
    EXPECT_EQ(plat::ui::PendingSteps(), 0u);
    EXPECT_EQ(plat::ui::StalledLoops(), 0);
  }
}

// The sheet's OK as a host may have it when the page arms the preset-save mode: subclassed,
// with data of its own. The new "save as new" button takes OK's window procedure and data
// with its style and font, so the host treats it as it treats OK.
constexpr LONG_PTR kOkData = 0x5A5A;
WNDPROC okOriginal = nullptr;

LRESULT HostOkProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcW(okOriginal, window, message, wParam, lParam);
}

int SubclassOk(HWND sheet, UINT message, LPARAM) {
  if (message != PSCB_INITIALIZED) return 0;
  HWND ok = GetDlgItem(sheet, IDOK);
  okOriginal = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(ok, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HostOkProc)));
  SetWindowLongPtrW(ok, GWLP_USERDATA, kOkData);
  return 0;
}

TEST_F(PageOpeningTest, TheNewSaveButtonTakesOverOksWindowProcedureAndData) {
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  SetChangeFlags(context, kSaveNew | kSaveInto);
  PROPSHEETPAGEW page{};
  page.dwSize = sizeof page;
  page.dwFlags = PSP_HASHELP;
  page.hInstance = GetUiResourceModule(context);
  page.pszTemplate = MAKEINTRESOURCEW(1004);
  page.pfnDlgProc = &PropertySheetPageProc;
  page.lParam = reinterpret_cast<LPARAM>(context);
  PROPSHEETHEADERW header{};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | PSH_USECALLBACK;
  header.hInstance = page.hInstance;
  header.pszCaption = u"Host";
  header.nPages = 1;
  header.ppsp = &page;
  header.pfnCallback = &SubclassOk;
  plat::ui::QueueStep([] {
    HWND sheet = plat::ui::ActiveModal();
    ASSERT_NE(sheet, nullptr);
    HWND ok = GetDlgItem(sheet, 22222);  // OK, relabelled
    HWND added = GetDlgItem(sheet, 11111);
    ASSERT_NE(ok, nullptr);
    ASSERT_NE(added, nullptr);
    struct Case {
      const char* what;
      int index;
    };
    for (const Case& c : {Case{"window procedure", GWLP_WNDPROC}, Case{"data", GWLP_USERDATA},
                          Case{"extended style", GWL_EXSTYLE}}) {
      SCOPED_TRACE(c.what);
      EXPECT_EQ(GetWindowLongPtrW(added, c.index), GetWindowLongPtrW(ok, c.index));
    }
    EXPECT_EQ(GetWindowLongPtrW(added, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&HostOkProc));
    EXPECT_EQ(GetWindowLongPtrW(added, GWLP_USERDATA), kOkData);
    EXPECT_EQ(SendMessageW(added, WM_GETFONT, 0, 0), SendMessageW(ok, WM_GETFONT, 0, 0));
    // Through the host's procedure the button still works as a button: its click reaches
    // the page as "save as new".
    EXPECT_TRUE(plat::ui::Click(added));
    plat::ui::PressSheetButton(sheet, PSBTN_CANCEL);
  });
  EXPECT_EQ(PropertySheetW(&header), 0);
  EXPECT_EQ(context->work->sheet.lastCommand, 11111);
  EXPECT_EQ(plat::ui::PendingSteps(), 0u);
  EXPECT_EQ(plat::ui::StalledLoops(), 0);
}

}  // namespace
}  // namespace page_opening_test
}  // namespace kovatest
