// Property sheets and the common property-sheet host.
#include <string>
#include <vector>

#include "ui_fixture.h"
#include "win/compstui.h"
#include "win/resources.h"

namespace property_sheet_test {

namespace {

using kovatest::UiTest;
namespace ui = plat::ui;

constexpr const char* kPages =
    "1 DIALOGEX 0, 0, 150, 80\n"
    "STYLE DS_CONTROL | WS_CHILD\n"
    "CAPTION \"First\"\n"
    "BEGIN\n"
    "  EDITTEXT 10, 5, 5, 80, 12\n"
    "END\n"
    "2 DIALOGEX 0, 0, 150, 80\n"
    "STYLE DS_CONTROL | WS_CHILD\n"
    "CAPTION \"Second\"\n"
    "BEGIN\n"
    "  AUTOCHECKBOX \"Option\", 20, 5, 5, 80, 10\n"
    "END\n";

// Each page logs "<page>:<event>"; its PSN_APPLY answer is scripted per page.
struct Log {
  std::vector<std::string> events;
  LRESULT applyAnswer[3] = {PSNRET_NOERROR, PSNRET_NOERROR, PSNRET_NOERROR};
};
Log* gLog = nullptr;

std::string Name(UINT code) {
  switch (code) {
    case PSN_SETACTIVE: return "setactive";
    case PSN_KILLACTIVE: return "killactive";
    case PSN_APPLY: return "apply";
    case PSN_RESET: return "reset";
    case PSN_HELP: return "help";
    case PSN_QUERYCANCEL: return "querycancel";
    default: return std::to_string(code);
  }
}

INT_PTR PageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG: {
      const auto* psp = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
      SetWindowLongPtrW(page, DWLP_USER, psp->lParam);
      gLog->events.push_back(std::to_string(psp->lParam) + ":init");
      return TRUE;
    }
    case WM_COMMAND:
      if (HIWORD(wParam) == EN_CHANGE || HIWORD(wParam) == BN_CLICKED) PropSheet_Changed(GetParent(page), page);
      return TRUE;
    case WM_NOTIFY: {
      const auto* n = reinterpret_cast<const NMHDR*>(lParam);
      const auto id = GetWindowLongPtrW(page, DWLP_USER);
      gLog->events.push_back(std::to_string(id) + ":" + Name(n->code));
      SetWindowLongPtrW(page, DWLP_MSGRESULT, n->code == PSN_APPLY ? gLog->applyAnswer[id] : 0);
      return TRUE;
    }
    default: return FALSE;
  }
}

class UiSheet : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    gLog = &log_;
    module_ = LoadScript(u"Pages", kPages);
  }
  HPROPSHEETPAGE Page(int id) {
    PROPSHEETPAGEW p{};
    p.dwSize = sizeof p;
    p.dwFlags = PSP_HASHELP;
    p.hInstance = module_;
    p.pszTemplate = MAKEINTRESOURCEW(static_cast<WORD>(id));
    p.pfnDlgProc = &PageProc;
    p.lParam = id;
    return CreatePropertySheetPageW(&p);
  }
  INT_PTR Run() {
    HPROPSHEETPAGE pages[2] = {Page(1), Page(2)};
    PROPSHEETHEADERW h{};
    h.dwSize = sizeof h;
    h.dwFlags = PSH_HASHELP;
    h.pszCaption = u"Printing Preferences";
    h.nPages = 2;
    h.phpage = pages;
    return PropertySheetW(&h);
  }
  Log log_;
  HMODULE module_ = nullptr;
};

TEST_F(UiSheet, OkAppliesOnlyToPagesThatWereShown) {
  ui::QueueStep([] {
    HWND sheet = ui::ActiveModal();
    HWND page = PropSheet_GetCurrentPageHwnd(sheet);
    EXPECT_FALSE(ui::Enabled(GetDlgItem(sheet, ID_APPLY_NOW)));
    ui::Type(GetDlgItem(page, 10), u"x");
    EXPECT_TRUE(ui::Enabled(GetDlgItem(sheet, ID_APPLY_NOW)));  // PSM_CHANGED
    ui::PressSheetButton(sheet, PSBTN_OK);
  });
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(log_.events, (std::vector<std::string>{"1:init", "1:setactive", "1:killactive", "1:apply"}));
  EXPECT_EQ(ui::StalledLoops(), 0);
}

// A page's template id is known from its index before the page was ever shown; asking it
// shows no page.
TEST_F(UiSheet, IndexToIdAnswersTheTemplateIdWithoutShowingThePage) {
  ui::QueueStep([] {
    HWND sheet = ui::ActiveModal();
    EXPECT_EQ(SendMessageW(sheet, PSM_INDEXTOID, 1, 0), 2);
    EXPECT_EQ(SendMessageW(sheet, PSM_INDEXTOID, 0, 0), 1);
    EXPECT_EQ(SendMessageW(sheet, PSM_INDEXTOID, 2, 0), 0);
    ui::PressSheetButton(sheet, PSBTN_CANCEL);
  });
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(log_.events, (std::vector<std::string>{"1:init", "1:setactive", "1:querycancel", "1:reset"}));
}

TEST_F(UiSheet, EveryShownPageGetsApplyInOrder) {
  ui::QueueStep([] {
    HWND sheet = ui::ActiveModal();
    EXPECT_TRUE(ui::SelectPage(sheet, 1));
    ui::Click(GetDlgItem(PropSheet_GetCurrentPageHwnd(sheet), 20));
    ui::PressSheetButton(sheet, PSBTN_OK);
  });
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(log_.events, (std::vector<std::string>{"1:init", "1:setactive", "1:killactive", "2:init", "2:setactive",
                                                   "2:killactive", "1:apply", "2:apply"}));
}

TEST_F(UiSheet, AnInvalidAnswerKeepsTheSheetOpen) {
  log_.applyAnswer[2] = PSNRET_INVALID_NOCHANGEPAGE;
  ui::QueueStep([this] {
    HWND sheet = ui::ActiveModal();
    ui::SelectPage(sheet, 1);
    ui::PressSheetButton(sheet, PSBTN_OK);
    EXPECT_TRUE(IsWindow(sheet));  // still open: page 2 refused
    log_.applyAnswer[2] = PSNRET_NOERROR;
    log_.events.push_back("retry");
    ui::PressSheetButton(sheet, PSBTN_OK);
  });
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(log_.events,
            (std::vector<std::string>{"1:init", "1:setactive", "1:killactive", "2:init", "2:setactive", "2:killactive",
                                      "1:apply", "2:apply", "retry", "2:killactive", "1:apply", "2:apply"}));
}

TEST_F(UiSheet, CancelResetsShownPagesAndHelpGoesToTheCurrentPage) {
  ui::QueueStep([] {
    HWND sheet = ui::ActiveModal();
    ui::PressSheetButton(sheet, PSBTN_HELP);
    ui::PressSheetButton(sheet, PSBTN_CANCEL);
  });
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(log_.events, (std::vector<std::string>{"1:init", "1:setactive", "1:help", "1:querycancel", "1:reset"}));
}

// The host: a spooler-like function adds the driver's function, which adds two pages and
// reports its result from its page's PSN_APPLY.
struct HostLog {
  std::vector<std::string> calls;
  HANDLE driverHandle = nullptr;
  PFNCOMPROPSHEET pfn = nullptr;
};
HostLog* gHost = nullptr;
HMODULE gPages = nullptr;

INT_PTR HostPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == PSN_APPLY) {
    gHost->calls.push_back("page apply");
    gHost->pfn(gHost->driverHandle, CPSFUNC_SET_RESULT, 0, CPSUI_OK);
    SetWindowLongPtrW(page, DWLP_MSGRESULT, PSNRET_NOERROR);
    return TRUE;
  }
  (void)wParam;
  return msg == WM_INITDIALOG;
}

const char* ReasonName(WORD r) {
  static const char* const kNames[] = {"init", "header", "destroy", "result", "icon"};
  return r < 5 ? kNames[r] : "?";
}

LONG DriverSheets(PPROPSHEETUI_INFO info, LPARAM lParam) {
  gHost->calls.push_back(std::string("driver ") + ReasonName(info->Reason));
  if (info->Reason == PROPSHEETUI_REASON_INIT) {
    gHost->driverHandle = info->hComPropSheet;
    gHost->pfn = info->pfnComPropSheet;
    EXPECT_EQ(info->lParamInit, 77);
    for (WORD id : {1, 2}) {
      PROPSHEETPAGEW p{};
      p.dwSize = sizeof p;
      p.hInstance = gPages;
      p.pszTemplate = MAKEINTRESOURCEW(id);
      p.pfnDlgProc = &HostPageProc;
      HPROPSHEETPAGE page = CreatePropertySheetPageW(&p);
      if (!info->pfnComPropSheet(info->hComPropSheet, CPSFUNC_ADD_HPROPSHEETPAGE, reinterpret_cast<LPARAM>(page), 0))
        return -1;
    }
    info->UserData = 5;
  }
  if (info->Reason == PROPSHEETUI_REASON_GET_ICON) return -1;
  (void)lParam;
  return 1;
}

LONG SpoolerSheets(PPROPSHEETUI_INFO info, LPARAM lParam) {
  gHost->calls.push_back(std::string("spooler ") + ReasonName(info->Reason));
  switch (info->Reason) {
    case PROPSHEETUI_REASON_INIT:
      return info->pfnComPropSheet(info->hComPropSheet, CPSFUNC_ADD_PFNPROPSHEETUIW,
                                   reinterpret_cast<LPARAM>(&DriverSheets), 77)
                 ? 1
                 : -1;
    case PROPSHEETUI_REASON_GET_INFO_HEADER: {
      auto* h = reinterpret_cast<PROPSHEETUI_INFO_HEADER*>(lParam);
      h->Flags = PSUIHDRF_NOAPPLYNOW | PSUIHDRF_PROPTITLE;
      h->pTitle = const_cast<LPWSTR>(u"Office P2");
      h->IconID = 64082;
      return 1;
    }
    case PROPSHEETUI_REASON_SET_RESULT:
      info->Result = static_cast<ULONG_PTR>(reinterpret_cast<SETRESULT_INFO*>(lParam)->Result);
      return 1;
    default: return 1;
  }
}

TEST_F(UiSheet, HostCallsTheSheetFunctionsInOrderAndPassesTheResultUp) {
  HostLog host;
  gHost = &host;
  gPages = module_;
  HMODULE lib = LoadLibraryW(u"compstui.dll");
  ASSERT_NE(lib, nullptr);
  auto common = reinterpret_cast<PFNCOMMONPROPERTYSHEETUIW>(
      reinterpret_cast<void (*)()>(GetProcAddress(lib, "CommonPropertySheetUIW")));
  ASSERT_NE(common, nullptr);
  ui::QueueStep([] {
    HWND sheet = ui::ActiveModal();
    EXPECT_EQ(ui::Text(sheet), u"Properties for Office P2");
    EXPECT_EQ(GetDlgItem(sheet, ID_APPLY_NOW), nullptr);  // PSUIHDRF_NOAPPLYNOW
    ui::PressSheetButton(sheet, PSBTN_OK);
  });
  DWORD result = 0;
  EXPECT_EQ(common(nullptr, &SpoolerSheets, 0, &result), CPSUI_OK);
  EXPECT_EQ(result, static_cast<DWORD>(CPSUI_OK));
  EXPECT_EQ(host.calls, (std::vector<std::string>{"spooler init", "driver init", "spooler header", "page apply",
                                                  "spooler result", "driver destroy", "spooler destroy"}));
  FreeLibrary(lib);
}

TEST_F(UiSheet, HostRefusesAFailedInitAndASheetWithoutPages) {
  auto failing = [](PPROPSHEETUI_INFO info, LPARAM) -> LONG {
    return info->Reason == PROPSHEETUI_REASON_INIT ? -1 : 1;
  };
  auto empty = [](PPROPSHEETUI_INFO, LPARAM) -> LONG { return 1; };
  DWORD result = 99;
  EXPECT_EQ(CommonPropertySheetUIW(nullptr, failing, 0, &result), ERR_CPSUI_GETLASTERROR);
  EXPECT_EQ(CommonPropertySheetUIW(nullptr, empty, 0, &result), ERR_CPSUI_GETLASTERROR);
  EXPECT_EQ(ui::StalledLoops(), 0);
}

}  // namespace

}  // namespace property_sheet_test
