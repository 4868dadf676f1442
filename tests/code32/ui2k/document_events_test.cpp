// Document events: the answers by event, the direct-print and API-use keys, and the
// escape-122 strings that reach the rendering driver through the document's device
// context.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/paths_and_names.h"
#include "document_events.h"
#include "panelis_fixture.h"
#include "plat/engine.h"
#include "renderer_strings.h"
#include "win/printer_interface.h"
#include "win/winddi.h"

namespace kovatest {
namespace {

// A rendering driver of the engine's minimum that keeps what its DrvEscape receives.
namespace fake {
std::vector<std::vector<BYTE>> g_escapes;
std::vector<ULONG> g_codes;
HDEV g_hdev = nullptr;
HSURF g_surface = nullptr;
int g_pdev = 0;

DHPDEV EnablePdev(DEVMODEW*, LPWSTR, ULONG, HSURF*, ULONG, ULONG*, ULONG, DEVINFO*, HDEV, LPWSTR, HANDLE) {
  return reinterpret_cast<DHPDEV>(&g_pdev);
}
void CompletePdev(DHPDEV, HDEV hdev) { g_hdev = hdev; }
void DisablePdev(DHPDEV) {}
HSURF EnableSurface(DHPDEV dhpdev) {
  g_surface = EngCreateDeviceSurface(reinterpret_cast<DHSURF>(dhpdev), SIZEL{100, 100}, BMF_24BPP);
  EngAssociateSurface(g_surface, g_hdev, 0);
  return g_surface;
}
void DisableSurface(DHPDEV) {
  EngDeleteSurface(g_surface);
  g_surface = nullptr;
}
BOOL StartDoc(SURFOBJ*, LPWSTR, DWORD) { return TRUE; }
BOOL EndDoc(SURFOBJ*, FLONG) { return TRUE; }
BOOL StartPage(SURFOBJ*) { return TRUE; }
BOOL SendPage(SURFOBJ*) { return TRUE; }
ULONG Escape(SURFOBJ*, ULONG code, ULONG cjIn, PVOID in, ULONG, PVOID) {
  g_codes.push_back(code);
  const BYTE* bytes = static_cast<const BYTE*>(in);
  g_escapes.emplace_back(bytes, bytes + cjIn);
  return 1;
}

template <typename F>
PFN Fn(F f) {
  return reinterpret_cast<PFN>(reinterpret_cast<void (*)()>(f));
}
const DRVFN kTable[] = {
    {INDEX_DrvEnablePDEV, Fn(EnablePdev)},     {INDEX_DrvCompletePDEV, Fn(CompletePdev)},
    {INDEX_DrvDisablePDEV, Fn(DisablePdev)},   {INDEX_DrvEnableSurface, Fn(EnableSurface)},
    {INDEX_DrvDisableSurface, Fn(DisableSurface)}, {INDEX_DrvStartDoc, Fn(StartDoc)},
    {INDEX_DrvEndDoc, Fn(EndDoc)},             {INDEX_DrvStartPage, Fn(StartPage)},
    {INDEX_DrvSendPage, Fn(SendPage)},         {INDEX_DrvEscape, Fn(Escape)},
};
}  // namespace fake

TEST(DocumentEventAnswers, ByEvent) {
  struct Case {
    ULONG event;
    int answer;
  };
  // No printer: the frame of STARTDOC and STARTPAGE finds nothing and still answers 1.
  const Case cases[] = {{1, 1}, {2, 1}, {3, 0}, {4, 0},  {5, 1},  {6, 1},       {7, 0},  {8, 0},
                        {9, 0}, {10, 0}, {11, 0}, {12, 0}, {13, 1}, {14, 0},     {0, 0},  {0x10001, 1},
                        {0x10008, 0}};
  for (const Case& c : cases)
    EXPECT_EQ(DoDocumentEvent(nullptr, nullptr, c.event, 0, nullptr, 0, nullptr), c.answer) << c.event;
}

class DocumentEvents : public SamplePrinterTest {
 protected:
  void SetUp() override {
    SamplePrinterTest::SetUp();
    fake::g_escapes.clear();
    fake::g_codes.clear();
  }
  void WriteStringDll(const std::u16string& path, const std::string& longText) {
    root_.WriteFile(path, "STRINGTABLE\r\nBEGIN\r\n  15000 \"Header text\"\r\n  15001 \"" + longText +
                              "\"\r\nEND\r\n");
  }
  static std::u16string Text(const EscapeStringRecord& row) { return std::u16string(row.text); }
};

TEST_F(DocumentEvents, DirectPrintAndApiUseKeys) {
  HANDLE printer = Install(u"Sample");
  WCHAR ini[MAX_PATH] = {};
  ASSERT_NE(GetIniPathInSettingsDir(ini, 0, 0, printer), 0u);
  struct Case {
    std::string section;
    BOOL direct;
    int apiUse;
  };
  const Case cases[] = {
      {"", FALSE, 0},
      {"PrnMethod=7\r\n", TRUE, 0},
      {"PrnMethod=5x\r\nAPIUseFlag=3\r\n", TRUE, 3},
      {"PrnMethod=1\r\nAPIUseFlag=1\r\n", FALSE, 1},
  };
  for (const Case& c : cases) {
    root_.WriteFile(ini, "[Sample]\r\n" + c.section);
    EXPECT_EQ(IsPrnMethodDirect(printer), c.direct) << c.section;
    EXPECT_EQ(ReadApiUseFlag(printer), c.apiUse) << c.section;
  }
  EXPECT_FALSE(IsPrnMethodDirect(nullptr));
}

TEST_F(DocumentEvents, StringsComeFromTheStringDllNamedByTheHelpFile) {
  const std::string longText(300, 'x');
  WriteStringDll(u"C:\\drv\\KOVAUS.rc", longText);
  HANDLE printer = InstallWith(u"Strings", {TextValue(u"HelpFileName", u"KOVAUS.HLP")});
  EscapeStringRecord table[kRendererStringRows + 1];
  std::memset(table, 0xAB, sizeof(table));
  FillRendererStrings(printer, table);
  EXPECT_EQ(table[0].fieldId, 731);
  EXPECT_EQ(table[0].stringId, 15000);
  EXPECT_EQ(Text(table[0]), u"Header text");
  EXPECT_EQ(table[1].fieldId, 733);
  // Cut to 260 characters and terminated inside the record.
  EXPECT_EQ(Text(table[1]), std::u16string(260, u'x'));
  EXPECT_EQ(table[1].text[260], 0);
  EXPECT_EQ(table[2].fieldId, 735);
  EXPECT_EQ(Text(table[2]), u"");
  EXPECT_EQ(table[3].fieldId, 0);
  EXPECT_EQ(table[3].stringId, 0);
  for (WCHAR c : table[3].text) EXPECT_EQ(c, 0);
}

TEST_F(DocumentEvents, OnlyABareHelpFileNameNamesTheStringDll) {
  WriteStringDll(u"C:\\drv\\KOVAUS.rc", "in the driver folder");
  WriteStringDll(u"C:\\elsewhere\\EVIL.rc", "outside");
  struct Case {
    const char16_t* printer;
    std::vector<plat::spooler::DataValue> data;
    bool found;
  };
  std::vector<Case> cases;
  cases.push_back({u"Bare", {TextValue(u"HelpFileName", u"KOVAUS.HLP")}, true});
  cases.push_back({u"No Extension", {TextValue(u"HelpFileName", u"KOVAUS")}, true});
  cases.push_back({u"Missing", {}, false});
  cases.push_back({u"Parent", {TextValue(u"HelpFileName", u"..\\..\\elsewhere\\EVIL.HLP")}, false});
  cases.push_back({u"Absolute", {TextValue(u"HelpFileName", u"C:\\elsewhere\\EVIL.HLP")}, false});
  cases.push_back({u"Slash", {TextValue(u"HelpFileName", u"../elsewhere/EVIL.HLP")}, false});
  cases.push_back({u"Dots", {TextValue(u"HelpFileName", u"..")}, false});
  for (Case& c : cases) {
    HANDLE printer = InstallWith(c.printer, c.data);
    WCHAR path[MAX_PATH] = {};
    EXPECT_EQ(BuildStringDllPath(printer, path) == 1, c.found) << U8(c.printer);
    EscapeStringRecord table[kRendererStringRows + 1];
    FillRendererStrings(printer, table);
    EXPECT_EQ(Text(table[0]), c.found ? u"Header text" : u"") << U8(c.printer);
    if (c.found) {
      EXPECT_EQ(std::u16string(path), u"C:\\drv\\KOVAUS.dll") << U8(c.printer);
    }
  }
}

TEST_F(DocumentEvents, StartDocSendsTheTableThroughTheDocumentsDeviceContext) {
  WriteStringDll(u"C:\\drv\\KOVAUS.rc", "Second");
  HANDLE printer = InstallWith(u"Strings", {TextValue(u"HelpFileName", u"KOVAUS.HLP")});
  plat::engine::RenderingDriver driver;
  driver.enableData.iDriverVersion = DDI_DRIVER_VERSION_NT5_01;
  driver.enableData.c = static_cast<ULONG>(std::size(fake::kTable));
  driver.enableData.pdrvfn = const_cast<DRVFN*>(fake::kTable);
  plat::engine::JobRequest request;
  request.printer = printer;
  request.deviceName = u"Strings";
  request.documentName = u"doc";
  request.pages.resize(2);
  std::vector<int> events;
  request.documentEvent = [&](plat::engine::Device&, HDC dc, int event) {
    events.push_back(event);
    return DoDocumentEvent(printer, dc, static_cast<ULONG>(event), 0, nullptr, 0, nullptr);
  };
  const plat::engine::JobOutcome outcome = plat::engine::RunJob(driver, request);
  ASSERT_TRUE(outcome.ok) << outcome.failedStep;
  EXPECT_EQ(events, (std::vector<int>{DOCUMENTEVENT_STARTDOC, DOCUMENTEVENT_STARTDOCPOST, DOCUMENTEVENT_STARTPAGE,
                                      DOCUMENTEVENT_ENDPAGE, DOCUMENTEVENT_STARTPAGE, DOCUMENTEVENT_ENDPAGE,
                                      DOCUMENTEVENT_ENDDOC, DOCUMENTEVENT_ENDDOCPOST}));
  // The escape reaches the driver after its surface is enabled and before its document starts.
  const std::vector<std::string> firstCalls(outcome.calls.begin(), outcome.calls.begin() + 5);
  EXPECT_EQ(firstCalls, (std::vector<std::string>{"DrvEnablePDEV", "DrvCompletePDEV", "DrvEnableSurface", "DrvEscape",
                                                  "DrvStartDoc"}));
  ASSERT_EQ(fake::g_escapes.size(), 1u);
  EXPECT_EQ(fake::g_codes[0], 122u);
  const std::vector<BYTE>& bytes = fake::g_escapes[0];
  ASSERT_EQ(bytes.size(), 2104u);
  EscapeStringRecord rows[4];
  std::memcpy(rows, bytes.data(), sizeof(rows));
  EXPECT_EQ(rows[0].fieldId, 731);
  EXPECT_EQ(Text(rows[0]), u"Header text");
  EXPECT_EQ(Text(rows[1]), u"Second");
  EXPECT_EQ(rows[3].fieldId, 0);
}

TEST_F(DocumentEvents, WithoutTheStringDllTheEmptyTableIsStillSent) {
  HANDLE printer = Install(u"No Strings");
  plat::engine::RenderingDriver driver;
  driver.enableData.iDriverVersion = DDI_DRIVER_VERSION_NT5_01;
  driver.enableData.c = static_cast<ULONG>(std::size(fake::kTable));
  driver.enableData.pdrvfn = const_cast<DRVFN*>(fake::kTable);
  plat::engine::Device device(driver);
  ASSERT_TRUE(device.Enable(nullptr, printer, u"No Strings"));
  ASSERT_TRUE(device.EnableSurface());
  HDC dc = plat::engine::CreateDeviceContext(device);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(DoDocumentEvent(printer, dc, DOCUMENTEVENT_STARTDOC, 0, nullptr, 0, nullptr), 1);
  ASSERT_EQ(fake::g_escapes.size(), 1u);
  ASSERT_EQ(fake::g_escapes[0].size(), 2104u);
  for (int row = 0; row < 4; ++row) {
    EscapeStringRecord r;
    std::memcpy(&r, fake::g_escapes[0].data() + row * 526, sizeof(r));
    EXPECT_EQ(r.text[0], 0) << row;
  }
  EXPECT_TRUE(plat::engine::DeleteDeviceContext(dc));
  EXPECT_FALSE(plat::engine::DeleteDeviceContext(dc));
  // An unknown context or a missing buffer is refused before the driver is called.
  EXPECT_EQ(ExtEscape(dc, 122, 0, nullptr, 0, nullptr), -1);
  device.Disable();
}

}  // namespace
}  // namespace kovatest
