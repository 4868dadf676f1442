// The document and device sheets through the common property-sheet host: a change made on
// a page reaches the caller's device-mode on OK and not on Cancel, the page follows the
// rules as they flip, the sheet's snapshot goes with the sheet, and the device sheet's
// apply writes the printer's data.
#include "context/context_cache.h"
#include "device_sheets.h"
#include "document_sheets.h"
#include "page_engine_fixture.h"
#include "pages/page_dialog.h"
#include "sheet_entry_bodies.h"
#include "win/compstui.h"
#include "win/prsht.h"

namespace kovatest {
namespace {

std::string RefreshModel() {
  return Replaced(SampleModelText(), "*Exclusive: {",
                  "*Exclusive: {\r\n  {KPD_RADIOLIST_1 NULL Transparency NULL NULL NULL NULL NULL}\r\n"
                  "  {KPD_IDC_PRESET_CHOICE_COLOR Transparency NULL NULL NULL NULL NULL NULL}");
}

class PropertySheetsTest : public PageEngineTest {
 protected:
  // Runs the document sheet of a printer with the steps queued before; the host's answer.
  LONG RunDocumentSheet(HANDLE printer, std::vector<BYTE>& input, std::vector<BYTE>& output, DWORD* result) {
    output.assign(1236, 0);
    DOCUMENTPROPERTYHEADER header{};
    header.cbSize = sizeof header;
    header.hPrinter = printer;
    header.pszPrinterName = const_cast<LPWSTR>(u"Sheet Printer");
    header.pdmIn = reinterpret_cast<DEVMODEW*>(input.data());
    header.pdmOut = reinterpret_cast<DEVMODEW*>(output.data());
    header.fMode = DM_PROMPT | DM_COPY | DM_MODIFY;
    return RunCommonPropertySheet(nullptr, &DoDocumentPropertySheets, reinterpret_cast<LPARAM>(&header), result);
  }
  static HWND Page() {
    HWND sheet = plat::ui::ActiveModal();
    return sheet ? reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)) : nullptr;
  }
  static HWND Control(int id) { return plat::ui::FindControl(Page(), id); }
};

TEST_F(PropertySheetsTest, OrientationReachesTheDevmodeOnOkOnly) {
  HANDLE printer = Install(u"Sheet Printer");
  std::vector<BYTE> input = SampleDevmode();
  ASSERT_EQ(input.size(), 1236u);
  ASSERT_EQ(reinterpret_cast<DEVMODEW*>(input.data())->dmOrientation, 1);
  struct Case {
    int button;
    LONG answer;
    DWORD result;
    short orientation;  // of the output; 0 = not written
  };
  for (const Case& c : {Case{PSBTN_OK, CPSUI_OK, 1, 2}, Case{PSBTN_CANCEL, CPSUI_CANCEL, 0, 0}}) {
    SCOPED_TRACE(c.button);
    plat::ui::QueueStep([] {
      EXPECT_EQ(GetDlgCtrlID(Page()), 1001);
      EXPECT_EQ(plat::ui::CheckState(Control(2026)), static_cast<UINT>(BST_CHECKED));
      EXPECT_TRUE(plat::ui::Click(Control(2027)));
      EXPECT_EQ(plat::ui::CheckState(Control(2027)), static_cast<UINT>(BST_CHECKED));
    });
    plat::ui::QueueStep([c] { EXPECT_TRUE(plat::ui::PressSheetButton(plat::ui::ActiveModal(), c.button)); });
    std::vector<BYTE> output;
    DWORD result = 77;
    EXPECT_EQ(RunDocumentSheet(printer, input, output, &result), c.answer);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(reinterpret_cast<DEVMODEW*>(output.data())->dmOrientation, c.orientation);
    EXPECT_EQ(plat::ui::StalledLoops(), 0);
  }
}

// Transparency greys the orientation (its hide rule) and hides the colour (its disable
// rule); plain paper brings both back.
TEST_F(PropertySheetsTest, RefreshFollowsTheRulesAsTheyFlip) {
  UseModel(RefreshModel());
  HANDLE printer = Install(u"Sheet Printer");
  std::vector<BYTE> input = SampleDevmode();
  plat::ui::QueueStep([] {
    EXPECT_TRUE(plat::ui::Enabled(Control(2026)));
    EXPECT_TRUE(plat::ui::Visible(Control(2013)));
    EXPECT_EQ(plat::ui::Items(Control(2009)).size(), 4u);
    EXPECT_TRUE(plat::ui::SelectItemText(Control(2009), u"Transparency"));
  });
  plat::ui::QueueStep([] {
    EXPECT_FALSE(plat::ui::Enabled(Control(2026)));
    EXPECT_FALSE(plat::ui::Enabled(Control(2027)));
    EXPECT_TRUE(plat::ui::Visible(Control(2026)));
    EXPECT_FALSE(plat::ui::Visible(Control(2013)));
    EXPECT_TRUE(plat::ui::SelectItemText(Control(2009), u"Plain paper"));
  });
  plat::ui::QueueStep([] {
    EXPECT_TRUE(plat::ui::Enabled(Control(2026)));
    EXPECT_TRUE(plat::ui::Visible(Control(2013)));
    plat::ui::PressSheetButton(plat::ui::ActiveModal(), PSBTN_CANCEL);
  });
  std::vector<BYTE> output;
  DWORD result = 0;
  EXPECT_EQ(RunDocumentSheet(printer, input, output, &result), CPSUI_CANCEL);
  EXPECT_EQ(plat::ui::StalledLoops(), 0);
}

// A printer with the two-way flag but not yet marked extended: the sheet keeps a settings
// snapshot, and the snapshot goes when the sheet ends even though the context stays cached.
TEST_F(PropertySheetsTest, SnapshotBufferEndsWithTheSheet) {
  HANDLE printer = InstallWith(u"Sheet Printer", {DwordValue(u"BidiFlag", 1)});
  std::vector<BYTE> input = SampleDevmode();
  DriverContext* seen = nullptr;
  plat::ui::QueueStep([&] {
    seen = PageContext(Page());
    ASSERT_NE(seen, nullptr);
    EXPECT_NE(seen->work->sheet.snapshotBuffer, nullptr);
    plat::ui::PressSheetButton(plat::ui::ActiveModal(), PSBTN_OK);
  });
  std::vector<BYTE> output;
  DWORD result = 0;
  EXPECT_EQ(RunDocumentSheet(printer, input, output, &result), CPSUI_OK);
  ASSERT_NE(seen, nullptr);
  EXPECT_EQ(Slot(2, 0), seen);  // back in the cache
  EXPECT_EQ(seen->work->sheet.snapshotBuffer, nullptr);
  DWORD type = 0, value = 0, needed = 0;
  EXPECT_EQ(GetPrinterDataW(printer, const_cast<LPWSTR>(u"BidiExFlag"), &type, reinterpret_cast<BYTE*>(&value), 4,
                            &needed),
            0u);
  EXPECT_EQ(value, 1u);
}

LONG FailingSheet(PROPSHEETUI_INFO*, LPARAM) { return -1; }

TEST_F(PropertySheetsTest, CommonSheetResultIsAlwaysWritten) {
  DWORD result = 77;
  EXPECT_LT(RunCommonPropertySheet(nullptr, &FailingSheet, 0, &result), 0);
  EXPECT_EQ(result, 0u);
}

TEST_F(PropertySheetsTest, SizeQueriesTouchNothing) {
  HANDLE printer = Install(u"Sheet Printer");
  EXPECT_EQ(DoDocumentProperties(nullptr, printer, u"Sheet Printer", nullptr, nullptr, 0), 1236);
  EXPECT_EQ(DoAdvancedDocumentProperties(nullptr, printer, u"Sheet Printer", nullptr, nullptr), 1236);
  EXPECT_EQ(DoDevicePropertySheets(nullptr, 0), -1);
}

// Without a sheet: the input device-mode merged and written to the output.
TEST_F(PropertySheetsTest, DocumentPropertiesWithoutASheetMergeAndWrite) {
  HANDLE printer = Install(u"Sheet Printer");
  std::vector<BYTE> input = SampleDevmode();
  reinterpret_cast<DEVMODEW*>(input.data())->dmOrientation = 2;
  std::vector<BYTE> output(1236, 0);
  EXPECT_EQ(DoDocumentProperties(nullptr, printer, u"Sheet Printer", reinterpret_cast<DEVMODEW*>(output.data()),
                                 reinterpret_cast<DEVMODEW*>(input.data()), DM_COPY | DM_MODIFY),
            IDOK);
  EXPECT_EQ(reinterpret_cast<DEVMODEW*>(output.data())->dmOrientation, 2);
  EXPECT_EQ(reinterpret_cast<DEVMODEW*>(output.data())->dmSize, 220);
}

// A device setting changed on the options page is saved to printer data by the apply.
TEST_F(PropertySheetsTest, DeviceSheetApplyWritesPrinterData) {
  HANDLE printer = Install(u"Device Printer");
  DWORD flipped = 2;
  plat::ui::QueueStep([&] {
    HWND page = Page();
    EXPECT_EQ(GetDlgCtrlID(page), 1011);
    DriverContext* context = PageContext(page);
    ASSERT_NE(context, nullptr);
    flipped = ReadFieldRawById(context, fid::kdmSourceOptionTypeLCT1) ? 0 : 1;
    WriteFieldRawById(context, fid::kdmSourceOptionTypeLCT1, flipped);
    SendMessageW(plat::ui::ActiveModal(), PSM_CHANGED, reinterpret_cast<WPARAM>(page), 0);
    plat::ui::PressSheetButton(plat::ui::ActiveModal(), PSBTN_OK);
  });
  DEVICEPROPERTYHEADER header{};
  header.cbSize = sizeof header;
  header.hPrinter = printer;
  header.pszPrinterName = const_cast<LPWSTR>(u"Device Printer");
  DWORD result = 0;
  EXPECT_EQ(RunCommonPropertySheet(nullptr, &DoDevicePropertySheets, reinterpret_cast<LPARAM>(&header), &result),
            CPSUI_OK);
  EXPECT_EQ(result, 1u);
  EvictContextCache(1);  // a fresh context reads the printer's data
  DriverContext* context = Create(printer);
  ASSERT_NE(context, nullptr);
  EXPECT_EQ(ReadFieldRawById(context, fid::kdmSourceOptionTypeLCT1), flipped);
  ReleaseContext(context, CTXR_DESTROY);
}

}  // namespace
}  // namespace kovatest
