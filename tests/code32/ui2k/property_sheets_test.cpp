// The document and device sheets through the common property-sheet host: a change made on
// a page reaches the caller's device-mode on OK and not on Cancel, the page follows the
// rules as they flip, the sheet's snapshot goes with the sheet, and the device sheet's
// apply writes the printer's data.
#include <algorithm>

#include "context/context_cache.h"
#include "base/paths_and_names.h"
#include "fields/product_record.h"
#include "base/system_checks.h"
#include "base/ui_strings.h"
#include "device_sheets.h"
#include "document_sheets.h"
#include "page_engine_fixture.h"
#include "pages/page_dialog.h"
#include "model/module_dispatch.h"
#include "modules/page_refresh.h"
#include "pages/picture_hit_test.h"
#include "plat/builtin_modules.h"
#include "plat/spooler_setup.h"
#include "plat/system.h"
#include "sheet_entry_bodies.h"
#include "win/compstui.h"
#include "win/profile.h"
#include "win/msgbox.h"
#include "win/prsht.h"
#include "win/resources.h"

namespace kovatest {
namespace property_sheets_test {
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
  // Runs the document sheet with the steps queued before, which end by cancelling it: the
  // host answers the cancel, and every step ran without a stalled message loop.
  void RunCancelledDocumentSheet(HANDLE printer, std::vector<BYTE>& input) {
    std::vector<BYTE> output;
    DWORD result = 0;
    EXPECT_EQ(RunDocumentSheet(printer, input, output, &result), CPSUI_CANCEL);
    EXPECT_EQ(plat::ui::PendingSteps(), 0u);
    EXPECT_EQ(plat::ui::StalledLoops(), 0);
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
  RunCancelledDocumentSheet(printer, input);
}

// The pointer moved over the printer picture of an open page, as a person moves the mouse:
// the picture (a static, which would let the mouse through) takes the hit test, the hand
// shows over a tray's hot spot and stays through the cursor request, and the arrow comes
// back off the hot spots and over another control.
TEST_F(PropertySheetsTest, HandCursorFollowsARealMouseMoveOverThePrinterPicture) {
  root_.WriteFile(u"C:\\drv\\KOVAUIUS.rc",
                  ReadFixtureFile("pages/page_engine.rc") +
                      "\n1002 DIALOGEX 0, 0, 240, 160\n"
                      "STYLE WS_CHILD\n"
                      "FONT 8, \"MS Shell Dlg\"\n"
                      "BEGIN\n"
                      "    CONTROL         \"\", 2067, \"Static\", SS_LEFT | WS_CHILD | WS_VISIBLE, 7, 7, 100, 70\n"
                      "    COMBOBOX        2007, 120, 7, 100, 60, CBS_DROPDOWNLIST\n"
                      "END\n");
  HANDLE printer = Install(u"Sheet Printer");
  std::vector<BYTE> input = SampleDevmode();
  HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  SetCursor(arrow);
  plat::ui::QueueStep([] {
    HWND sheet = plat::ui::ActiveModal();
    ASSERT_TRUE(plat::ui::SelectPage(sheet, 1));
  });
  plat::ui::QueueStep([&] {
    ASSERT_EQ(GetDlgCtrlID(Page()), 1002);
    auto* context = reinterpret_cast<DriverContext*>(GetWindowLongPtrW(Page(), DWLP_USER));
    ASSERT_NE(context, nullptr);
    // The hands are the UI resource module's cursors 8000 and 8001.
    HCURSOR hand = context->work->sheet.handCursor;
    HCURSOR pressed = context->work->sheet.pressedHandCursor;
    ASSERT_NE(hand, nullptr);
    ASSERT_NE(pressed, nullptr);
    EXPECT_EQ(hand, LoadCursorW(GetUiResourceModule(context), MAKEINTRESOURCEW(8000)));
    EXPECT_EQ(pressed, LoadCursorW(GetUiResourceModule(context), MAKEINTRESOURCEW(8001)));
    EXPECT_NE(hand, LoadCursorW(nullptr, IDC_HAND));
    HWND picture = Control(2067);
    HWND trays = Control(2007);
    ASSERT_NE(picture, nullptr);
    ASSERT_NE(trays, nullptr);
    enum Action { kMove, kPress, kRelease };
    struct Step {
      Action action;
      HWND over;
      POINT point;  // of its client area
      HCURSOR cursor;
      HCURSOR saved;  // the cursor the hand keeps to give back
    };
    const Step steps[] = {
        {kMove, picture, {70, 60}, hand, arrow},      // the first tray
        {kMove, picture, {80, 40}, hand, arrow},      // the manual feed
        {kMove, picture, {10, 10}, arrow, nullptr},   // no hot spot
        {kMove, picture, {100, 62}, hand, arrow},
        {kMove, trays, {5, 5}, arrow, nullptr},       // another control gives the arrow back
        {kMove, picture, {70, 60}, hand, arrow},
        {kPress, picture, {70, 60}, pressed, arrow},  // the button goes down on a hot spot
        {kMove, picture, {71, 60}, pressed, arrow},   // moving with it down keeps the hand pressed
        {kRelease, picture, {71, 60}, hand, arrow},   // up: the hand again
        {kMove, picture, {10, 10}, arrow, nullptr},   // off the hot spots: the arrow back
        {kPress, picture, {10, 10}, arrow, nullptr},  // a press away from a hand changes nothing
        {kRelease, picture, {10, 10}, arrow, nullptr},
    };
    for (const Step& st : steps) {
      SCOPED_TRACE(testing::Message() << st.action << (st.over == picture ? " picture " : " trays ") << st.point.x
                                      << "," << st.point.y);
      const LPARAM at = MAKELPARAM(static_cast<WORD>(st.point.x), static_cast<WORD>(st.point.y));
      switch (st.action) {
        case kMove: EXPECT_EQ(plat::ui::MoveMouse(st.over, st.point.x, st.point.y), st.over); break;
        case kPress:
          plat::ui::SetKeyDown(VK_LBUTTON, true);
          SendMessageW(st.over, WM_LBUTTONDOWN, MK_LBUTTON, at);
          break;
        case kRelease:
          plat::ui::SetKeyDown(VK_LBUTTON, false);
          SendMessageW(st.over, WM_LBUTTONUP, 0, at);
          break;
      }
      EXPECT_EQ(GetCursor(), st.cursor);
      EXPECT_EQ(context->work->sheet.savedCursor, st.saved);
      // The cursor request is held while either hand shows.
      const LRESULT held = SendMessageW(st.over, WM_SETCURSOR, reinterpret_cast<WPARAM>(st.over),
                                        MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
      if (st.cursor == hand || st.cursor == pressed) {
        EXPECT_EQ(held, TRUE);
      }
    }
    plat::ui::SetKeyDown(VK_LBUTTON, false);
    plat::ui::PressSheetButton(plat::ui::ActiveModal(), PSBTN_CANCEL);
  });
  RunCancelledDocumentSheet(printer, input);
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

// The paper source label carries the tray lock: locking the tray while the sheet is open
// puts a marker beside it at the next refresh, the marker tells why, and unlocking takes it
// away again.
TEST_F(PropertySheetsTest, LockMarkerFollowsTheLockInALiveRefresh) {
  HANDLE printer = Install(u"Sheet Printer");
  std::vector<BYTE> input = SampleDevmode();
  plat::ui::QueueStep([] {
    HWND page = Page();
    DriverContext* context = PageContext(page);
    ASSERT_NE(context, nullptr);
    PageRecord* record = FindPageByWindow(context, page);
    ControlRecord* source = record ? FindControlById(context, record, 2006) : nullptr;
    ASSERT_NE(source, nullptr);
    ASSERT_NE(source->window, nullptr);
    const int markerId = LockMarkerIdOf(2006);
    EXPECT_EQ(GetDlgItem(page, markerId), nullptr);
    struct Case {
      DWORD locked;
      bool marker;
    };
    for (const Case& c : {Case{1, true}, Case{1, true}, Case{0, false}, Case{1, true}}) {
      SCOPED_TRACE(c.locked);
      WriteFieldRawById(context, fid::kdmLock000InfoBitTray, c.locked);
      RefreshPage(context, record, 1);
      HWND marker = GetDlgItem(page, markerId);
      ASSERT_EQ(marker != nullptr, c.marker);
      if (!marker) continue;
      EXPECT_EQ(FindLockMarker(page, source), marker);
      EXPECT_EQ(GetWindowLongPtrW(marker, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(source));
      EXPECT_TRUE(plat::ui::Visible(marker));
      EXPECT_EQ(GetWindow(source->window, GW_HWNDNEXT), marker);  // just after its control
      // Twenty pixels square, left of the label; a label lower than the marker shares its bottom.
      RECT m{}, l{};
      GetWindowRect(marker, &m);
      GetWindowRect(source->window, &l);
      EXPECT_EQ(m.right - m.left, 20);
      EXPECT_EQ(m.bottom - m.top, 20);
      // (the label stands less than 20 pixels from the page's edge: the marker stops there)
      POINT origin{0, 0};
      ClientToScreen(page, &origin);
      EXPECT_EQ(m.left, std::max<LONG>(l.left - 20, origin.x));
      ASSERT_LE(l.bottom - l.top, 20);
      EXPECT_EQ(m.bottom, l.bottom);
      // One marker only, however often the page is refreshed.
      int markers = 0;
      for (HWND w = GetWindow(page, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
        if (GetDlgCtrlID(w) == markerId) ++markers;
      EXPECT_EQ(markers, 1);
    }
    // A click on the marker tells why the setting is locked.
    plat::ui::ClearMessageBoxes();
    plat::ui::QueueMessageBoxAnswer(IDOK);
    HWND marker = GetDlgItem(page, markerId);
    SendMessageW(marker, WM_LBUTTONDOWN, 1, 0);
    SendMessageW(marker, WM_LBUTTONUP, 0, 0);
    ASSERT_EQ(plat::ui::MessageBoxes().size(), 1u);
    EXPECT_EQ(plat::ui::MessageBoxes()[0].text, u"The paper source is locked by the administrator.");
    EXPECT_EQ(plat::ui::MessageBoxes()[0].type & MB_ICONINFORMATION, static_cast<UINT>(MB_ICONINFORMATION));
    // The pointer over the marker: the hand, and the mouse held until the pointer leaves,
    // when the cursor the hand replaced comes back.
    HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    HCURSOR hand = context->work->sheet.handCursor;
    HCURSOR pressed = context->work->sheet.pressedHandCursor;
    ASSERT_NE(hand, nullptr);
    ASSERT_NE(pressed, nullptr);
    SetCursor(arrow);
    context->work->sheet.savedCursor = nullptr;
    enum Action { kMove, kPress, kRelease };
    struct Step {
      Action action;
      POINT point;  // of the marker's client area
      HCURSOR cursor;
      HCURSOR saved;
      bool captured;
    };
    const Step steps[] = {
        {kMove, {5, 5}, hand, arrow, true},
        {kMove, {15, 15}, hand, arrow, true},
        {kPress, {15, 15}, pressed, arrow, true},
        {kMove, {10, 10}, pressed, arrow, true},  // a pressed hand stays pressed over the marker
        {kRelease, {10, 10}, hand, arrow, true},
        {kMove, {-30, 5}, arrow, nullptr, false},  // leaving: the capture goes, the arrow comes back
        {kMove, {5, 5}, hand, arrow, true},
        {kMove, {5, 40}, arrow, nullptr, false},
    };
    int n = 0;
    for (const Step& st : steps) {
      SCOPED_TRACE(n++);
      const LPARAM at = MAKELPARAM(static_cast<WORD>(st.point.x), static_cast<WORD>(st.point.y));
      switch (st.action) {
        case kMove: plat::ui::MoveMouse(marker, st.point.x, st.point.y); break;
        case kPress: SendMessageW(marker, WM_LBUTTONDOWN, MK_LBUTTON, at); break;
        case kRelease:
          plat::ui::QueueMessageBoxAnswer(IDOK);
          SendMessageW(marker, WM_LBUTTONUP, 0, at);
          break;
      }
      EXPECT_EQ(GetCursor(), st.cursor);
      EXPECT_EQ(context->work->sheet.savedCursor, st.saved);
      EXPECT_EQ(GetCapture() == marker, st.captured);
    }
    ReleaseCapture();
    plat::ui::PressSheetButton(plat::ui::ActiveModal(), PSBTN_CANCEL);
  });
  RunCancelledDocumentSheet(printer, input);
}

bool PrinterDataDword(HANDLE printer, const char16_t* name, DWORD* value) {
  DWORD type = 0, needed = 0;
  *value = 0;
  return GetPrinterDataW(printer, const_cast<LPWSTR>(name), &type, reinterpret_cast<BYTE*>(value), 4, &needed) == 0;
}

// The setting-locks page confirmed (its lock-commit word): the device sheet's apply writes the
// lock values, and with the default lock the locked defaults, to the printer's data. Without
// the word nothing of the locks is written; the word goes with the apply either way.
TEST_F(PropertySheetsTest, DeviceSheetApplyCommitsConfirmedLocks) {
  struct Case {
    const char16_t* printer;
    int commit;
    DWORD defaultLock;
    bool lockData;
    bool lockDefaults;
  };
  const Case cases[] = {
      {u"Lock Printer A", 0, 1, false, false},
      {u"Lock Printer B", 1, 0, true, false},
      {u"Lock Printer C", 1, 1, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "commit " << c.commit << ", default lock " << c.defaultLock);
    HANDLE printer = Install(c.printer);
    DriverContext* seen = nullptr;
    DWORD media = 0;
    plat::ui::QueueStep([&] {
      HWND page = Page();
      seen = PageContext(page);
      ASSERT_NE(seen, nullptr);
      media = ReadFieldRawById(seen, fid::kdmMediaType);
      WriteFieldRawById(seen, fid::kdmLock000InfoBitMedia, 1);
      WriteFieldRawById(seen, fid::kdmLock000InfoBitDefault, c.defaultLock);
      seen->work->sheet.lockCommit = c.commit;
      SendMessageW(plat::ui::ActiveModal(), PSM_CHANGED, reinterpret_cast<WPARAM>(page), 0);
      plat::ui::PressSheetButton(plat::ui::ActiveModal(), PSBTN_OK);
    });
    DEVICEPROPERTYHEADER header{};
    header.cbSize = sizeof header;
    header.hPrinter = printer;
    header.pszPrinterName = const_cast<LPWSTR>(c.printer);
    DWORD result = 0;
    EXPECT_EQ(RunCommonPropertySheet(nullptr, &DoDevicePropertySheets, reinterpret_cast<LPARAM>(&header), &result),
              CPSUI_OK);
    ASSERT_NE(seen, nullptr);
    EXPECT_EQ(seen->work->sheet.lockCommit, 0);
    DWORD value = 0;
    EXPECT_EQ(PrinterDataDword(printer, u"LockMediaData", &value), c.lockData);
    if (c.lockData) {
      EXPECT_EQ(value, media);
    }
    DWORD type = 0, needed = 0;
    GetPrinterDataW(printer, const_cast<LPWSTR>(u"LockDefaultData"), &type, nullptr, 0, &needed);
    EXPECT_EQ(needed != 0, c.lockDefaults) << needed;
    if (c.lockDefaults) {
      EXPECT_EQ(needed, GetSettingsBufferSize());
    }
  }
}

// The lock page's OK, once its warning is accepted, has the device sheet's apply force a
// locked media type into each preset's file, the preset's own value kept under the lock key.
TEST_F(PropertySheetsTest, ConfirmedMediaLockReachesThePresetFiles) {
  HANDLE printer = Install(u"Lock Printer Presets");
  DWORD media = 0;
  std::u16string section;
  plat::ui::QueueStep([&] {
    HWND page = Page();
    DriverContext* seen = PageContext(page);
    ASSERT_NE(seen, nullptr);
    section = GetPrinterDisplayName(seen);
    root_.WriteFile(u"C:\\_kova\\locked.kst", "");
    WritePrivateProfileStringW(section.c_str(), u"kdmMediaType", u"77", u"C:\\_kova\\locked.kst");
    const WCHAR* ini = GetUserIniPath(seen);
    WritePrivateProfileStringW(GetPrinterSectionName(seen), u"Count", u"1", ini);
    WritePrivateProfileStringW(GetPrinterSectionName(seen), u"PresetList0", u"C:\\_kova\\locked.kst", ini);
    media = ReadFieldRawById(seen, fid::kdmMediaType);
    WriteFieldRawById(seen, fid::kdmLock000InfoBitMedia, 1);
    plat::ui::QueueMessageBoxAnswer(IDOK);
    EXPECT_EQ(DispatchModuleMessage(seen, FindPageById(seen, 4031), nullptr, WM_COMMAND, IDOK, 0), 0);
    EXPECT_EQ(seen->work->sheet.lockCommit, 1);
    SendMessageW(plat::ui::ActiveModal(), PSM_CHANGED, reinterpret_cast<WPARAM>(page), 0);
    plat::ui::PressSheetButton(plat::ui::ActiveModal(), PSBTN_OK);
  });
  DEVICEPROPERTYHEADER header{};
  header.cbSize = sizeof header;
  header.hPrinter = printer;
  header.pszPrinterName = const_cast<LPWSTR>(u"Lock Printer Presets");
  DWORD result = 0;
  EXPECT_EQ(RunCommonPropertySheet(nullptr, &DoDevicePropertySheets, reinterpret_cast<LPARAM>(&header), &result),
            CPSUI_OK);
  ASSERT_FALSE(section.empty());
  WCHAR value[16] = {};
  GetPrivateProfileStringW(section.c_str(), u"kdmMediaType", u"", value, 16, u"C:\\_kova\\locked.kst");
  const std::string own = std::to_string(media);
  EXPECT_EQ(std::u16string(value), std::u16string(own.begin(), own.end()));
  GetPrivateProfileStringW(section.c_str(), u"kdmMediaTypeLock", u"", value, 16, u"C:\\_kova\\locked.kst");
  EXPECT_EQ(std::u16string(value), u"77");
}

// A cancel of the device sheet drops the lock page's confirmation with it: no later apply
// of the sheet commits locks that were not confirmed again.
TEST_F(PropertySheetsTest, CancelledDeviceSheetDropsTheLockConfirmation) {
  HANDLE printer = Install(u"Lock Printer Cancelled");
  std::int32_t afterReset = -1;
  plat::ui::QueueStep([&] {
    HWND page = Page();
    DriverContext* seen = PageContext(page);
    ASSERT_NE(seen, nullptr);
    seen->work->sheet.lockCommit = 1;
    NMHDR reset{plat::ui::ActiveModal(), 0, PSN_RESET};
    SendMessageW(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&reset));
    afterReset = seen->work->sheet.lockCommit;
    plat::ui::PressSheetButton(plat::ui::ActiveModal(), PSBTN_CANCEL);
  });
  DEVICEPROPERTYHEADER header{};
  header.cbSize = sizeof header;
  header.hPrinter = printer;
  header.pszPrinterName = const_cast<LPWSTR>(u"Lock Printer Cancelled");
  DWORD result = 0;
  RunCommonPropertySheet(nullptr, &DoDevicePropertySheets, reinterpret_cast<LPARAM>(&header), &result);
  EXPECT_EQ(afterReset, 0);
}

// What the person does on an open sheet, in order. Apply goes through PSM_APPLY, as the
// Apply button would on these sheets, which show none.
enum SheetAction { kChange, kChangeBack, kApply, kOk, kCancel };

// The document sheet's page 1001: landscape, then portrait again; Apply records what stands
// and writes it to the caller's device-mode. A Cancel after an Apply keeps what the Apply
// wrote and reports the sheet accepted; what changed after the Apply is dropped.
TEST_F(PropertySheetsTest, DocumentSheetCancelAfterApplyKeepsWhatWasApplied) {
  HANDLE printer = Install(u"Sheet Printer");
  std::vector<BYTE> input = SampleDevmode();
  struct Case {
    const char* name;
    std::vector<SheetAction> actions;
    LONG answer;
    DWORD result;
    short orientation;  // of the output; 0 = not written
  };
  const Case cases[] = {
      {"cancel", {kChange, kCancel}, CPSUI_CANCEL, 0, 0},
      {"apply, cancel", {kChange, kApply, kCancel}, CPSUI_OK, 1, 2},
      {"apply, change back, cancel", {kChange, kApply, kChangeBack, kCancel}, CPSUI_OK, 1, 2},
      {"apply, change back, ok", {kChange, kApply, kChangeBack, kOk}, CPSUI_OK, 1, 1},
      {"apply twice, cancel", {kChange, kApply, kChangeBack, kApply, kCancel}, CPSUI_OK, 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    plat::ui::QueueStep([&c] {
      HWND sheet = plat::ui::ActiveModal();
      ASSERT_EQ(GetDlgCtrlID(Page()), 1001);
      for (SheetAction a : c.actions) {
        switch (a) {
          case kChange: EXPECT_TRUE(plat::ui::Click(Control(2027))); break;
          case kChangeBack: EXPECT_TRUE(plat::ui::Click(Control(2026))); break;
          case kApply: EXPECT_NE(SendMessageW(sheet, PSM_APPLY, 0, 0), 0); break;
          case kOk: EXPECT_TRUE(plat::ui::PressSheetButton(sheet, PSBTN_OK)); break;
          case kCancel: EXPECT_TRUE(plat::ui::PressSheetButton(sheet, PSBTN_CANCEL)); break;
        }
      }
    });
    std::vector<BYTE> output;
    DWORD result = 77;
    EXPECT_EQ(RunDocumentSheet(printer, input, output, &result), c.answer);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(reinterpret_cast<DEVMODEW*>(output.data())->dmOrientation, c.orientation);
    EXPECT_EQ(plat::ui::PendingSteps(), 0u);
    EXPECT_EQ(plat::ui::StalledLoops(), 0);
  }
}

// The device sheet: Apply saves the device settings at once; a Cancel after it leaves them
// as applied, drops what changed afterwards, and reports the sheet not accepted. OK saves
// what stands.
TEST_F(PropertySheetsTest, DeviceSheetCancelAfterApplyKeepsWhatWasApplied) {
  struct Case {
    const char16_t* printer;
    std::vector<SheetAction> actions;
    LONG answer;
    DWORD result;
    bool storedFlipped;  // the printer's data holds the changed value
  };
  const Case cases[] = {
      {u"Device Cancel", {kChange, kCancel}, CPSUI_CANCEL, 0, false},
      {u"Device Apply Cancel", {kChange, kApply, kCancel}, CPSUI_OK, 0, true},
      {u"Device Apply Back Cancel", {kChange, kApply, kChangeBack, kCancel}, CPSUI_OK, 0, true},
      {u"Device Apply Back Ok", {kChange, kApply, kChangeBack, kOk}, CPSUI_OK, 1, false},
      {u"Device Ok", {kChange, kOk}, CPSUI_OK, 1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(U8(c.printer));
    HANDLE printer = Install(c.printer);
    DWORD original = 2;
    plat::ui::QueueStep([&] {
      HWND sheet = plat::ui::ActiveModal();
      HWND page = Page();
      ASSERT_EQ(GetDlgCtrlID(page), 1011);
      DriverContext* context = PageContext(page);
      ASSERT_NE(context, nullptr);
      original = ReadFieldRawById(context, fid::kdmSourceOptionTypeLCT1);
      for (SheetAction a : c.actions) {
        switch (a) {
          case kChange:
          case kChangeBack:
            WriteFieldRawById(context, fid::kdmSourceOptionTypeLCT1, a == kChange ? !original : original);
            SendMessageW(sheet, PSM_CHANGED, reinterpret_cast<WPARAM>(page), 0);
            break;
          case kApply: EXPECT_NE(SendMessageW(sheet, PSM_APPLY, 0, 0), 0); break;
          case kOk: EXPECT_TRUE(plat::ui::PressSheetButton(sheet, PSBTN_OK)); break;
          case kCancel: EXPECT_TRUE(plat::ui::PressSheetButton(sheet, PSBTN_CANCEL)); break;
        }
      }
    });
    DEVICEPROPERTYHEADER header{};
    header.cbSize = sizeof header;
    header.hPrinter = printer;
    header.pszPrinterName = const_cast<LPWSTR>(c.printer);
    DWORD result = 77;
    EXPECT_EQ(RunCommonPropertySheet(nullptr, &DoDevicePropertySheets, reinterpret_cast<LPARAM>(&header), &result),
              c.answer);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(plat::ui::PendingSteps(), 0u);
    ASSERT_NE(original, 2u);
    // The sheet opened again at once (its context still cached) shows what was kept.
    DWORD shown = 2;
    plat::ui::QueueStep([&] {
      HWND sheet = plat::ui::ActiveModal();
      DriverContext* context = PageContext(Page());
      ASSERT_NE(context, nullptr);
      shown = ReadFieldRawById(context, fid::kdmSourceOptionTypeLCT1);
      EXPECT_TRUE(plat::ui::PressSheetButton(sheet, PSBTN_CANCEL));
    });
    RunCommonPropertySheet(nullptr, &DoDevicePropertySheets, reinterpret_cast<LPARAM>(&header), &result);
    EXPECT_EQ(shown, c.storedFlipped ? !original : original) << "the sheet opened again";
    EvictContextCache(1);  // a fresh context reads the printer's data
    DriverContext* context = Create(printer);
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(ReadFieldRawById(context, fid::kdmSourceOptionTypeLCT1), c.storedFlipped ? !original : original);
    ReleaseContext(context, CTXR_DESTROY);
  }
}

// The end of an accepted device sheet saves the device settings before it brings the
// preset lists up to date. A printer whose preset lists are due for the refresh (the INIT's
// own refresh held off): its data gets the changed setting's value first, then the
// refresh's mark. Before Windows 2000 the OK commits nothing at its apply, so the sheet's
// end does all of it.
TEST_F(PropertySheetsTest, AcceptedDeviceSheetSavesBeforeThePresetRefresh) {
  plat::Machine().majorVersion = 4;
  ASSERT_FALSE(IsNt5OrLater());
  HANDLE printer = InstallWith(u"Refresh Order", {});
  {
    DriverContext* context = Create(printer);
    ASSERT_NE(context, nullptr);
    const WCHAR* ini = GetUserIniPath(context);
    const WCHAR* section = GetPrinterSectionName(context);
    ASSERT_NE(ini, nullptr);
    ASSERT_NE(section, nullptr);
    WritePrivateProfileStringW(section, u"PackInstallDone", u"1", ini);
    WritePrivateProfileStringW(section, u"PresetRefresh", u"0", ini);
    ReleaseContext(context, CTXR_DESTROY);
  }
  auto position = [](const std::vector<plat::spooler::DataValue>& data, const char16_t* name) {
    for (std::size_t i = 0; i < data.size(); ++i)
      if (data[i].name == name) return static_cast<int>(i);
    return -1;
  };
  const auto before = plat::spooler::ReadPrinter(u"Refresh Order");
  ASSERT_TRUE(before.has_value());
  ASSERT_EQ(position(before->data, u"LCT1"), -1);
  ASSERT_EQ(position(before->data, u"PresetRefresh"), -1);
  plat::ui::QueueStep([] {
    HWND sheet = plat::ui::ActiveModal();
    HWND page = Page();
    DriverContext* context = PageContext(page);
    ASSERT_NE(context, nullptr);
    WriteFieldRawById(context, fid::kdmSourceOptionTypeLCT1,
                      ReadFieldRawById(context, fid::kdmSourceOptionTypeLCT1) ? 0 : 1);
    SendMessageW(sheet, PSM_CHANGED, reinterpret_cast<WPARAM>(page), 0);
    EXPECT_TRUE(plat::ui::PressSheetButton(sheet, PSBTN_OK));
  });
  DEVICEPROPERTYHEADER header{};
  header.cbSize = sizeof header;
  header.hPrinter = printer;
  header.pszPrinterName = const_cast<LPWSTR>(u"Refresh Order");
  DWORD result = 0;
  EXPECT_EQ(RunCommonPropertySheet(nullptr, &DoDevicePropertySheets, reinterpret_cast<LPARAM>(&header), &result),
            CPSUI_OK);
  EXPECT_EQ(result, 1u);
  const auto after = plat::spooler::ReadPrinter(u"Refresh Order");
  ASSERT_TRUE(after.has_value());
  const int saved = position(after->data, u"LCT1");
  const int refreshed = position(after->data, u"PresetRefresh");
  ASSERT_GE(saved, 0);
  ASSERT_GE(refreshed, 0);
  EXPECT_LT(saved, refreshed);
}

// The end of an accepted device sheet: a network key counts only with the authentication
// and its secure mode on; a key that does not count is cleared, and the secure mode goes
// with the authentication. Before Windows 2000 the OK's apply commits nothing, so this is
// the sheet's end alone.
TEST_F(PropertySheetsTest, AcceptedDeviceSheetClearsANetworkKeyThatDoesNotCount) {
  plat::Machine().majorVersion = 4;
  struct Case {
    const char16_t* printer;
    DWORD authentication;
    DWORD secure;
    const char16_t* key;      // after the sheet
    DWORD secureAfter;
  };
  const Case cases[] = {
      {u"Key Kept", 1, 1, u"K3Y", 1},
      {u"Key Without Secure Mode", 1, 0, u"", 0},
      {u"Key Without Authentication", 0, 1, u"", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(U8(c.printer));
    HANDLE printer = Install(c.printer);
    DriverContext* seen = nullptr;
    plat::ui::QueueStep([&] {
      HWND sheet = plat::ui::ActiveModal();
      seen = PageContext(Page());
      ASSERT_NE(seen, nullptr);
      WriteFieldRawById(seen, fid::kdmPrnFuncAuthenticationMode, c.authentication);
      WriteFieldRawById(seen, fid::kdmPrnFuncAuthenticationSecureMode, c.secure);
      SetFieldString(seen, FindFieldById(seen, fid::wdmAuthenticationNetworkKey), u"K3Y");
      EXPECT_TRUE(plat::ui::PressSheetButton(sheet, PSBTN_OK));
    });
    DEVICEPROPERTYHEADER header{};
    header.cbSize = sizeof header;
    header.hPrinter = printer;
    header.pszPrinterName = const_cast<LPWSTR>(c.printer);
    DWORD result = 0;
    EXPECT_EQ(RunCommonPropertySheet(nullptr, &DoDevicePropertySheets, reinterpret_cast<LPARAM>(&header), &result),
              CPSUI_OK);
    EXPECT_EQ(result, 1u);
    ASSERT_NE(seen, nullptr);
    ASSERT_EQ(Slot(2, 0) == seen || Slot(2, 1) == seen, true);  // still cached: its fields can be read
    WCHAR key[64] = {};
    GetFieldString(seen, FindFieldById(seen, fid::wdmAuthenticationNetworkKey), key, 64);
    EXPECT_EQ(std::u16string(key), c.key);
    EXPECT_EQ(ReadFieldRawById(seen, fid::kdmPrnFuncAuthenticationSecureMode), c.secureAfter);
  }
}

LONG FailingSheet(PROPSHEETUI_INFO*, LPARAM) { return -1; }

// The common property-sheet host made missing, or left without its function, for one test;
// registered as the platform has it again afterwards.
enum class SheetHost { kPresent, kNoLibrary, kNoFunction };

class SheetHostScope {
 public:
  explicit SheetHostScope(SheetHost state) {
    if (state == SheetHost::kNoLibrary) plat::SetBuiltinModuleAvailable(u"compstui.dll", false);
    if (state == SheetHost::kNoFunction) plat::RegisterBuiltinModule(u"compstui.dll", {});
  }
  ~SheetHostScope() {
    plat::RegisterBuiltinModule(u"compstui.dll",
                                {{"CommonPropertySheetUIW", plat::AsFarProc(&CommonPropertySheetUIW)}});
    plat::SetBuiltinModuleAvailable(u"compstui.dll", true);
  }
  SheetHostScope(const SheetHostScope&) = delete;
  SheetHostScope& operator=(const SheetHostScope&) = delete;
};

// The caller's result is written only by the host: without the library or its function the
// answer is -1 and the caller's value stays; a host that fails the sheet leaves it too.
TEST_F(PropertySheetsTest, CommonSheetResultIsWrittenOnlyByTheHost) {
  struct Case {
    const char* name;
    SheetHost host;
  };
  for (const Case& c : {Case{"no library", SheetHost::kNoLibrary}, Case{"no function", SheetHost::kNoFunction},
                        Case{"failed sheet", SheetHost::kPresent}}) {
    SCOPED_TRACE(c.name);
    SheetHostScope scope(c.host);
    DWORD result = 77;
    const LONG answer = RunCommonPropertySheet(nullptr, &FailingSheet, 0, &result);
    if (c.host == SheetHost::kPresent) {
      EXPECT_LT(answer, 0);
    } else {
      EXPECT_EQ(answer, -1);
    }
    EXPECT_EQ(result, 77u);
  }
}

// PrinterProperties answers the device sheet's result, preset to 1: TRUE without the common
// property-sheet library (nothing writes the preset over), TRUE when the sheet is accepted,
// FALSE when it is cancelled, also after an Apply.
TEST_F(PropertySheetsTest, PrinterPropertiesAnswersTheSheetsResult) {
  struct Case {
    const char16_t* printer;
    SheetHost host;
    std::vector<SheetAction> actions;  // none: no sheet opens
    BOOL answer;
  };
  const Case cases[] = {
      {u"Props No Library", SheetHost::kNoLibrary, {}, TRUE},
      {u"Props No Function", SheetHost::kNoFunction, {}, TRUE},
      {u"Props Ok", SheetHost::kPresent, {kOk}, TRUE},
      {u"Props Cancel", SheetHost::kPresent, {kCancel}, FALSE},
      {u"Props Apply Cancel", SheetHost::kPresent, {kChange, kApply, kCancel}, FALSE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(U8(c.printer));
    HANDLE printer = Install(c.printer);
    SheetHostScope scope(c.host);
    if (!c.actions.empty()) {
      plat::ui::QueueStep([&c] {
        HWND sheet = plat::ui::ActiveModal();
        HWND page = Page();
        DriverContext* context = PageContext(page);
        ASSERT_NE(context, nullptr);
        for (SheetAction a : c.actions) {
          switch (a) {
            case kChange:
            case kChangeBack:
              WriteFieldRawById(context, fid::kdmSourceOptionTypeLCT1,
                                ReadFieldRawById(context, fid::kdmSourceOptionTypeLCT1) ? 0 : 1);
              SendMessageW(sheet, PSM_CHANGED, reinterpret_cast<WPARAM>(page), 0);
              break;
            case kApply: EXPECT_NE(SendMessageW(sheet, PSM_APPLY, 0, 0), 0); break;
            case kOk: EXPECT_TRUE(plat::ui::PressSheetButton(sheet, PSBTN_OK)); break;
            case kCancel: EXPECT_TRUE(plat::ui::PressSheetButton(sheet, PSBTN_CANCEL)); break;
          }
        }
      });
    }
    EXPECT_EQ(DoPrinterProperties(nullptr, printer), c.answer);
    EXPECT_EQ(plat::ui::PendingSteps(), 0u);
    EXPECT_EQ(plat::ui::StalledLoops(), 0);
  }
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

// Without a sheet the output takes the caller's input's shape only when the driver may read
// the input, and never more than the size the call gives for it: an output too small for
// what is to be written gets nothing, and the call fails.
TEST_F(PropertySheetsTest, DocumentPropertiesWithoutASheetWriteOnlyWhatTheOutputTakes) {
  HANDLE printer = Install(u"Sheet Printer");
  constexpr WORD kNoInput = 0xFFFF;
  struct Case {
    const char* what;
    WORD inSize, inExtra;  // kNoInput: no input device-mode
    DWORD cbOut;           // 0: the call gives no size
    LONG answer;
    WORD size, extra;      // of the output when written
  };
  const Case cases[] = {
      {"input of dmSize 0", 0, 0, 0, 1, 220, 1016},
      {"input of dmSize 10", 10, 0, 0, 1, 220, 1016},
      {"input of dmSize 60 and a private part", 60, 1016, 0, 1, 220, 1016},
      {"input of dmSize 71", 71, 0, 0, 1, 220, 1016},
      {"input of the public part alone", 220, 0, 0, 1, 220, 0},
      {"input of the public part alone, its size given", 220, 0, 220, 1, 220, 0},
      {"the driver's own, its size given", 220, 1016, 1236, 1, 220, 1016},
      {"no input and a size short of the whole", kNoInput, 0, 220, -1, 0, 0},
      {"input of dmSize 10 and a size short of the whole", 10, 0, 220, -1, 0, 0},
      {"the driver's own, one byte short", 220, 1016, 1235, -1, 0, 0},
  };
  for (const Case& c : cases) {
    std::vector<BYTE> input = SampleDevmode();
    reinterpret_cast<DEVMODEW*>(input.data())->dmSize = c.inSize;
    reinterpret_cast<DEVMODEW*>(input.data())->dmDriverExtra = c.inExtra;
    std::vector<BYTE> output(1300, 0xEE);
    DOCUMENTPROPERTYHEADER header{};
    header.cbSize = sizeof header;
    header.hPrinter = printer;
    header.pszPrinterName = const_cast<LPWSTR>(u"Sheet Printer");
    header.pdmIn = c.inSize == kNoInput ? nullptr : reinterpret_cast<DEVMODEW*>(input.data());
    header.pdmOut = reinterpret_cast<DEVMODEW*>(output.data());
    header.cbOut = c.cbOut;
    header.fMode = DM_COPY | (header.pdmIn ? DM_MODIFY : 0);
    SetLastError(0);
    EXPECT_EQ(DoDocumentPropertySheets(nullptr, reinterpret_cast<LPARAM>(&header)), c.answer) << c.what;
    EXPECT_EQ(header.cbOut, 1236u) << c.what;
    const size_t written = c.answer == 1 ? static_cast<size_t>(c.size) + c.extra : 0;
    for (size_t i = written; i < output.size(); ++i) ASSERT_EQ(output[i], 0xEE) << c.what << ": byte " << i;
    if (c.answer == 1) {
      EXPECT_EQ(reinterpret_cast<DEVMODEW*>(output.data())->dmSize, c.size) << c.what;
      EXPECT_EQ(reinterpret_cast<DEVMODEW*>(output.data())->dmDriverExtra, c.extra) << c.what;
    } else {
      EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER) << c.what;
    }
  }
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
}  // namespace property_sheets_test
}  // namespace kovatest
