// The opening every sheet call shares: the context built at INIT and kept in the sheet's
// user data, taken from there later; a printer without its records refused except when the
// sheet ends.
#include "entry_frame.h"
#include "panelis_fixture.h"
#include "sheet_opening.h"
#include "win/compstui.h"

namespace kovatest {
namespace {

using SheetOpeningTest = SamplePrinterTest;

TEST_F(SheetOpeningTest, ContextBuiltAtInitAndKeptForLaterCalls) {
  HANDLE printer = Install(u"Opening Printer");
  ASSERT_NE(printer, nullptr);
  auto* built = reinterpret_cast<DriverContext*>(0x1000);
  auto* kept = reinterpret_cast<DriverContext*>(0x2000);
  struct Case {
    const char* name;
    bool validPrinter;
    WORD reason;
    DriverContext* userData;   // before the call
    DriverContext* buildGives;
    DriverContext* answer;
    DriverContext* userDataAfter;
    int builds;
  };
  const Case cases[] = {
      {"init builds and keeps", true, PROPSHEETUI_REASON_INIT, nullptr, built, built, built, 1},
      {"init whose build fails", true, PROPSHEETUI_REASON_INIT, kept, nullptr, nullptr, kept, 1},
      {"a later call takes the kept one", true, PROPSHEETUI_REASON_GET_INFO_HEADER, kept, built, kept, kept, 0},
      {"a later call with none kept", true, PROPSHEETUI_REASON_SET_RESULT, nullptr, built, nullptr, nullptr, 0},
      {"the end takes the kept one", true, PROPSHEETUI_REASON_DESTROY, kept, built, kept, kept, 0},
      {"init without the printer's records", false, PROPSHEETUI_REASON_INIT, nullptr, built, nullptr, nullptr, 0},
      {"a later call without them", false, PROPSHEETUI_REASON_GET_INFO_HEADER, kept, built, nullptr, kept, 0},
      {"the end needs none", false, PROPSHEETUI_REASON_DESTROY, kept, built, kept, kept, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PROPSHEETUI_INFO info{};
    info.cbSize = sizeof info;
    info.Reason = c.reason;
    info.UserData = reinterpret_cast<ULONG_PTR>(c.userData);
    HANDLE handle = c.validPrinter ? printer : nullptr;
    EntryFrame frame;
    frame.Begin(handle, true);
    int builds = 0;
    DriverContext* answer = OpenSheetContext(&info, handle, frame, [&] {
      ++builds;
      return c.buildGives;
    });
    EXPECT_EQ(answer, c.answer);
    EXPECT_EQ(reinterpret_cast<DriverContext*>(info.UserData), c.userDataAfter);
    EXPECT_EQ(builds, c.builds);
  }
  EntryFrame frame;
  EXPECT_EQ(OpenSheetContext(nullptr, printer, frame, [&] { return built; }), nullptr);
}

}  // namespace
}  // namespace kovatest
