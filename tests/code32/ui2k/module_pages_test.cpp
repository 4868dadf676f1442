// What the modules do on the open pages through the page engine: a summary edit shows its
// summary, the alert of the control that sent the last command, the hidden-function page.
#include "context/devmode_header.h"
#include "context/module_dispatch.h"
#include "modules/module_events.h"
#include "modules/summary_module.h"
#include "page_engine_fixture.h"
#include "win/msgbox.h"

namespace kovatest {
namespace {

class ModulePagesTest : public PageEngineTest {};

std::u16string TextOf(HWND window) {
  std::u16string text(4096, u'\0');
  const int n = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(n > 0 ? n : 0));
  return text;
}

// The status page's edit shows the summary on every update, whatever was typed into it; an
// edit with neither a list nor a field keeps what it shows.
TEST_F(ModulePagesTest, SummaryEditShowsTheSummary) {
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  PageRecord* page = FindPageById(context, 1020);
  ControlRecord* status = page ? FindControlById(context, page, 2248) : nullptr;
  ASSERT_NE(status, nullptr);
  HWND frame = CreateWindowExW(0, u"#32770", u"Status", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
  HWND edit = CreateWindowExW(0, u"Edit", u"", WS_CHILD | ES_MULTILINE, 0, 0, 200, 100, frame, nullptr, nullptr, nullptr);
  HWND other = CreateWindowExW(0, u"Edit", u"kept", WS_CHILD, 0, 0, 50, 12, frame, nullptr, nullptr, nullptr);
  ASSERT_TRUE(frame && edit && other);
  status->window = edit;
  std::vector<WCHAR> expected(10240);
  const int length = BuildSummaryText(context, status, expected.data(), static_cast<int>(expected.size()));
  ASSERT_GT(length, 0);
  const std::u16string summary(reinterpret_cast<const char16_t*>(expected.data()), static_cast<std::size_t>(length));
  for (const char16_t* typed : {u"", u"typed over"}) {
    SCOPED_TRACE(std::string(typed, typed + std::char_traits<char16_t>::length(typed)));
    SetWindowTextW(edit, typed);
    UpdateSummaryText(context, page, status);
    EXPECT_EQ(TextOf(edit), summary);
  }
  ControlRecord plain{};
  plain.controlId = 3561;
  plain.kind = 61;
  plain.window = other;
  UpdateSummaryText(context, page, &plain);
  EXPECT_EQ(TextOf(other), u"kept");
  status->window = nullptr;
  DestroyWindow(frame);
}

// Built-in 324: the option of the control that last sent the open page a command asks its
// alert, which only the transparency raises for duplex.
TEST_F(ModulePagesTest, AlertOfTheLastCommandIsAsked) {
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  struct Case {
    const char* name;
    WORD page;
    WORD lastCommand;
    DWORD media;  // raw kdmMediaType; 2 = transparency
    bool box;
  };
  const Case cases[] = {
      {"duplex on transparency", 1004, 2105, 2, true},
      {"duplex on plain paper", 1004, 2105, 1, false},
      {"a control without an alert", 1004, 2103, 2, false},
      {"no open page", 0, 2105, 2, false},
      {"a command no control sent", 1004, 1, 2, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    plat::ui::ClearMessageBoxes();
    WriteFieldRawById(context, fid::kdmMediaType, c.media);
    context->pageId = c.page;
    context->work->sheet.lastCommand = c.lastCommand;
    plat::ui::QueueMessageBoxAnswer(IDOK);
    CallModuleItemHooks(context, 324);
    ASSERT_EQ(plat::ui::MessageBoxes().size(), c.box ? 1u : 0u);
    if (c.box) {
      EXPECT_EQ(plat::ui::MessageBoxes()[0].text, u"Duplex cannot be used with transparencies.");
      EXPECT_EQ(plat::ui::MessageBoxes()[0].type & 0xF, static_cast<UINT>(MB_OKCANCEL));
    }
  }
  context->pageId = 0;
}

// Event 14 (Ctrl+Shift+right double-click on the hidden spot) opens the hidden-function page
// only when the caller allows it.
TEST_F(ModulePagesTest, HiddenSpotOpensTheHiddenFunctionPage) {
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  PageRecord* page = FindPageById(context, 1001);
  ASSERT_NE(page, nullptr);
  for (DWORD callSource : {0u, 1u}) {
    SCOPED_TRACE(callSource);
    SetStateByte(context, fid::KPD_kdmCallSrc, callSource);
    WORD shown = 0;
    plat::ui::QueueStep([&] {
      shown = context->pageId;
      EXPECT_TRUE(plat::ui::ClickId(plat::ui::ActiveModal(), IDOK));
    });
    PageControlEventBlock block{page, nullptr};
    NotifyModules(context, MODEV_HIDDEN_SPOT, &block);
    EXPECT_EQ(shown, callSource == 1 ? 1065 : 0);
    EXPECT_EQ(plat::ui::PendingSteps(), callSource == 1 ? 0u : 1u);
    plat::ui::Reset();
  }
}

}  // namespace
}  // namespace kovatest
