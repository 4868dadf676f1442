// The export table of Panelis.so and the library loaded as the spooler loads it.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>

#include "dynamic_symbols.h"
#include "panelis_fixture.h"
#include "win/gdi.h"
#include "win/loader.h"
#include "win/printer_interface.h"
#include "build_paths.h"

namespace kovatest {
namespace {

TEST(PanelisExports, ExactlyTheTwelveInterfaceExports) {
  const std::set<std::string> expected = {"DllMain",
                                          "DrvDevicePropertySheets",
                                          "DrvDocumentEvent",
                                          "DrvDocumentPropertySheets",
                                          "DrvConvertDevMode",
                                          "DevQueryPrintEx",
                                          "DrvUpgradePrinter",
                                          "DrvPrinterEvent",
                                          "DrvDeviceCapabilities",
                                          "DrvDocumentProperties",
                                          "DrvAdvancedDocumentProperties",
                                          "PrinterProperties"};
  EXPECT_EQ(DefinedDynamicSymbols(kovatest::BuiltFile("Panelis")), expected);
}

// The interface library calls the platform through its Windows API only.
TEST(PanelisExports, ImportsNoneOfThePlatformsOwnNames) {
  const std::string text = ImportedNamesText(kovatest::BuiltFile("Panelis"));
  ASSERT_NE(text.find("GetLastError"), std::string::npos) << "nm listed no imports";
  EXPECT_EQ(text.find("plat::"), std::string::npos) << text;
}

class LoadedPanelis : public SamplePrinterTest {
 protected:
  void SetUp() override {
    SamplePrinterTest::SetUp();
    std::filesystem::copy_file(kovatest::BuiltFile("Panelis"), root_.HostPath(u"C:\\drv") + "/Panelis.so",
                               std::filesystem::copy_options::overwrite_existing);
    module_ = LoadLibraryW(u"C:\\drv\\Panelis.dll");
    ASSERT_NE(module_, nullptr);
  }
  void TearDown() override {
    if (module_) {
      EXPECT_TRUE(FreeLibrary(module_));
    }
    SamplePrinterTest::TearDown();
  }
  template <typename F>
  F Get(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module_, name)));
  }
  HMODULE module_ = nullptr;
};

TEST_F(LoadedPanelis, DllMainAnswersTrueForEveryReason) {
  using DllMainFn = BOOL (*)(HINSTANCE, DWORD, LPVOID);
  auto dllMain = Get<DllMainFn>("DllMain");
  ASSERT_NE(dllMain, nullptr);
  for (DWORD reason : {2u, 3u, 7u}) EXPECT_TRUE(dllMain(module_, reason, nullptr)) << reason;
}

TEST_F(LoadedPanelis, SizeQueriesAndCapabilitiesThroughTheExports) {
  HANDLE printer = Install(u"Sample");
  using DocProps = LONG (*)(HWND, HANDLE, LPWSTR, PDEVMODEW, PDEVMODEW, DWORD);
  using AdvProps = LONG (*)(HWND, HANDLE, LPWSTR, PDEVMODEW, PDEVMODEW);
  using Sheets = LONG (*)(PPROPSHEETUI_INFO, LPARAM);
  using Caps = DWORD (*)(HANDLE, LPWSTR, WORD, PVOID, PDEVMODEW);
  using QueryPrint = BOOL (*)(PDEVQUERYPRINT_INFO);
  using DocEvent = int (*)(HANDLE, HDC, int, ULONG, PVOID, ULONG, PVOID);
  // fMode 0: the size, without touching the printer or an output.
  EXPECT_EQ(Get<DocProps>("DrvDocumentProperties")(nullptr, nullptr, nullptr, nullptr, nullptr, 0), 1236);
  EXPECT_EQ(Get<AdvProps>("DrvAdvancedDocumentProperties")(nullptr, printer, nullptr, nullptr, nullptr), 1236);
  DEVMODEW out{};
  DOCUMENTPROPERTYHEADER header{sizeof(DOCUMENTPROPERTYHEADER), 0, printer, nullptr, nullptr, &out, 0, 0};
  EXPECT_EQ(Get<Sheets>("DrvDocumentPropertySheets")(nullptr, reinterpret_cast<LPARAM>(&header)), 1236);
  EXPECT_EQ(header.cbOut, 1236u);
  EXPECT_EQ(Get<Sheets>("DrvDocumentPropertySheets")(nullptr, 0), -1);
  EXPECT_EQ(Get<Sheets>("DrvDevicePropertySheets")(nullptr, 0), -1);

  auto caps = Get<Caps>("DrvDeviceCapabilities");
  EXPECT_EQ(caps(printer, nullptr, DC_SIZE, nullptr, nullptr), 220u);
  EXPECT_EQ(caps(printer, nullptr, DC_COPIES, nullptr, nullptr), 999u);
  EXPECT_GT(caps(printer, nullptr, DC_PAPERS, nullptr, nullptr), 0u);
  EXPECT_FALSE(Get<QueryPrint>("DevQueryPrintEx")(nullptr));
  EXPECT_EQ(Get<DocEvent>("DrvDocumentEvent")(printer, nullptr, DOCUMENTEVENT_ENDDOC, 0, nullptr, 0, nullptr), 0);
  EXPECT_EQ(Get<DocEvent>("DrvDocumentEvent")(printer, nullptr, DOCUMENTEVENT_STARTPAGE, 0, nullptr, 0, nullptr), 1);
}

}  // namespace
}  // namespace kovatest
