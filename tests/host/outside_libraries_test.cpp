// The output library Spoolane and the test doubles of the output library and the filter
// plug-in, loaded by Windows name from a system root as the rendering library loads them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "dynamic_symbols.h"
#include "filterdouble/filter_double.h"
#include "outputdouble/output_double.h"
#include "plat/spooler_setup.h"
#include "test_root.h"
#include "win/errors.h"
#include "win/loader.h"
#include "win/spool.h"
#include "build_paths.h"

namespace fs = std::filesystem;

namespace {

using StartDocProc = HANDLE (*)(HANDLE, DWORD);
using WriteProc = BOOL (*)(HANDLE, LPVOID, DWORD, LPDWORD);
using OneProc = BOOL (*)(HANDLE);
using CloseProc = void (*)(HANDLE);
using GetInterfaceProc = BOOL (*)(DWORD, void**);
using DisposeProc = void (*)(void*);

// The filter interface as the driver sees it: eight pointer-sized slots.
struct Slots {
  void* reserved;
  BOOL (*Open)(HANDLE*, char**);
  void (*Close)(HANDLE);
  void (*StartDoc)(HANDLE, HANDLE, DWORD);
  void (*EndDoc)(HANDLE);
  void (*StartPage)(HANDLE);
  BOOL (*EndPage)(HANDLE);
  BOOL (*Write)(HANDLE, const void*, DWORD, DWORD*);
};

class OutsideTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::spooler::PrinterSetup setup;
    setup.name = u"Out Printer";
    setup.portName = u"C:\\Port Folder\\out.prn";
    setup.driver.name = u"Out Driver";
    setup.driver.driverPath = u"Rendara.dll";
    ASSERT_EQ(plat::spooler::InstallPrinter(setup), ERROR_SUCCESS);
    std::u16string name = setup.name;
    ASSERT_TRUE(OpenPrinterW(name.data(), &printer_, nullptr));
  }
  void TearDown() override {
    for (HMODULE m : modules_) FreeLibrary(m);
    if (printer_) ClosePrinter(printer_);
  }
  // Copies a built library into C:\Drv of the root and loads it by its Windows name.
  HMODULE Load(const char* built, const std::u16string& windowsName) {
    const std::string host = root_.HostPath(u"C:\\Drv\\" + windowsName.substr(0, windowsName.size() - 4) + u".so");
    fs::create_directories(fs::path(host).parent_path());
    fs::copy_file(built, host, fs::copy_options::overwrite_existing);
    HMODULE m = LoadLibraryW((u"C:\\Drv\\" + windowsName).c_str());
    if (m) modules_.push_back(m);
    return m;
  }
  template <class F>
  F Proc(HMODULE m, const char* name) {
    return ProcCast<F>(GetProcAddress(m, name));
  }
  std::string Text(HMODULE m, const char* logExport) {
    auto log = Proc<OutputDoubleLogProc>(m, logExport);
    std::string s(log(nullptr, 0), '\0');
    log(s.data(), static_cast<DWORD>(s.size()));
    s.pop_back();
    return s;
  }

  kovatest::TempRoot root_;
  HANDLE printer_ = nullptr;
  std::vector<HMODULE> modules_;
};

TEST_F(OutsideTest, SpoolaneWritesTheStreamToThePortFile) {
  HMODULE m = Load(kovatest::BuiltFile("Spoolane"), u"Spoolane.dll");
  ASSERT_NE(m, nullptr);
  for (const char* name : {"DrvSplStartDocEx", "DrvSplStartDoc", "DrvSplWritePrinter", "DrvSplStartPage",
                           "DrvSplEndPage", "DrvSplEndDoc", "DrvSplClose"})
    EXPECT_NE(GetProcAddress(m, name), nullptr) << name;
  auto start = Proc<StartDocProc>(m, "DrvSplStartDocEx");
  auto write = Proc<WriteProc>(m, "DrvSplWritePrinter");
  auto endDoc = Proc<OneProc>(m, "DrvSplEndDoc");
  auto close = Proc<CloseProc>(m, "DrvSplClose");

  for (const std::string text : {"first document, longer", "second"}) {
    HANDLE out = start(printer_, 3);
    ASSERT_NE(out, nullptr);
    EXPECT_LE(reinterpret_cast<std::uintptr_t>(out), 0xFFFFFFFFu) << "the handle fits 32 bits";
    EXPECT_TRUE(Proc<OneProc>(m, "DrvSplStartPage")(out));
    DWORD written = 0;
    std::string copy = text;
    ASSERT_TRUE(write(out, copy.data(), 6, &written));
    EXPECT_EQ(written, 6u);
    ASSERT_TRUE(write(out, copy.data() + 6, static_cast<DWORD>(copy.size() - 6), &written));
    ASSERT_TRUE(write(out, copy.data(), 0, &written));
    EXPECT_EQ(written, 0u);
    EXPECT_TRUE(Proc<OneProc>(m, "DrvSplEndPage")(out));
    EXPECT_TRUE(endDoc(out));
    close(out);
    // Each document starts the port file anew.
    EXPECT_EQ(root_.ReadFile(u"C:\\Port Folder\\out.prn"), text);
    // The handle is gone after the document.
    SetLastError(0);
    EXPECT_FALSE(write(out, copy.data(), 1, &written));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  }
}

// Spoolane exports exactly the seven output calls (the sanitizer runtime's own symbols,
// which start with an underscore, aside).
TEST(SpoolaneExports, ExactlyTheSevenOutputCalls) {
  std::vector<std::string> names;
  for (const std::string& name : kovatest::DynamicSymbolNames(kovatest::BuiltFile("Spoolane"), kovatest::SymbolSide::Defined))
    if (!name.empty() && name[0] != '_') names.push_back(name);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"DrvSplClose", "DrvSplEndDoc", "DrvSplEndPage", "DrvSplStartDoc",
                                             "DrvSplStartDocEx", "DrvSplStartPage", "DrvSplWritePrinter"}));
}

TEST_F(OutsideTest, SpoolaneRefusesWhatItCannotUse) {
  HMODULE m = Load(kovatest::BuiltFile("Spoolane"), u"Spoolane.dll");
  ASSERT_NE(m, nullptr);
  auto start = Proc<StartDocProc>(m, "DrvSplStartDoc");
  auto write = Proc<WriteProc>(m, "DrvSplWritePrinter");
  EXPECT_EQ(start(reinterpret_cast<HANDLE>(0x4242), 1), nullptr);
  HANDLE out = start(printer_, 1);
  ASSERT_NE(out, nullptr);
  DWORD written = 9;
  EXPECT_FALSE(write(out, nullptr, 4, &written));
  EXPECT_EQ(written, 0u);
  char byte = 'x';
  EXPECT_FALSE(write(out, &byte, 1, nullptr));
  EXPECT_FALSE(write(reinterpret_cast<HANDLE>(0x7777), &byte, 1, &written));
  Proc<CloseProc>(m, "DrvSplClose")(out);
  Proc<CloseProc>(m, "DrvSplClose")(out);  // closing twice is harmless
}

TEST_F(OutsideTest, OutputDoubleRecordsAndFailsOnRequest) {
  HMODULE m = Load(kovatest::BuiltFile("OutputDouble"), u"OutputDouble.dll");
  ASSERT_NE(m, nullptr);
  Proc<OutputDoubleResetProc>(m, "OutputDoubleReset")();
  OutputDoubleConfig cfg{FALSE, 3, 2};
  Proc<OutputDoubleConfigureProc>(m, "OutputDoubleConfigure")(&cfg);
  HANDLE out = Proc<StartDocProc>(m, "DrvSplStartDocEx")(reinterpret_cast<HANDLE>(0x10), 5);
  EXPECT_EQ(out, reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(kOutputDoubleFirstHandle)));
  auto write = Proc<WriteProc>(m, "DrvSplWritePrinter");
  char data[] = "abcd";
  DWORD written = 0;
  EXPECT_TRUE(write(out, data, 4, &written));
  EXPECT_EQ(written, 4u);
  EXPECT_TRUE(write(out, data, 4, &written));
  EXPECT_EQ(written, 3u) << "the second write is short";
  EXPECT_FALSE(write(out, data, 4, &written));
  EXPECT_EQ(written, 0u) << "the third write fails";
  Proc<OneProc>(m, "DrvSplEndDoc")(out);
  Proc<CloseProc>(m, "DrvSplClose")(out);
  EXPECT_EQ(Text(m, "OutputDoubleLog"),
            "StartDocEx printer=0x10 job=5 -> 0x100\n"
            "Write handle=0x100 length=4 -> 4 TRUE\n"
            "Write handle=0x100 length=4 -> 3 TRUE\n"
            "Write handle=0x100 length=4 -> 0 FALSE\n"
            "EndDoc handle=0x100\n"
            "Close handle=0x100\n");
  BYTE bytes[16];
  ASSERT_EQ(Proc<OutputDoubleBytesProc>(m, "OutputDoubleBytes")(bytes, sizeof bytes), 7u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), 7), "abcdabc");

  cfg = OutputDoubleConfig{TRUE, 0, 0};
  Proc<OutputDoubleConfigureProc>(m, "OutputDoubleConfigure")(&cfg);
  EXPECT_EQ(Proc<StartDocProc>(m, "DrvSplStartDoc")(nullptr, 1), nullptr);
}

TEST_F(OutsideTest, OutputDoubleVariantsLackTheirExports) {
  const struct {
    const char* built;
    const char16_t* name;
    const char* missing[2];
  } cases[] = {
      {kovatest::BuiltFile("OutputDoubleNoStart"), u"NoStart.dll", {"DrvSplStartDocEx", "DrvSplStartDoc"}},
      {kovatest::BuiltFile("OutputDoublePlainStart"), u"PlainStart.dll", {"DrvSplStartDocEx", nullptr}},
      {kovatest::BuiltFile("OutputDoubleNoWrite"), u"NoWrite.dll", {"DrvSplWritePrinter", nullptr}},
  };
  for (const auto& c : cases) {
    HMODULE m = Load(c.built, c.name);
    ASSERT_NE(m, nullptr) << c.built;
    for (const char* name : c.missing) {
      if (name) {
        EXPECT_EQ(GetProcAddress(m, name), nullptr) << c.built << " " << name;
      }
    }
    EXPECT_NE(GetProcAddress(m, "DrvSplEndDoc"), nullptr);
  }
}

TEST_F(OutsideTest, FilterDoubleHandsOutTheInterfaceAndPassesTheStreamOn) {
  HMODULE filter = Load(kovatest::BuiltFile("FilterDouble"), u"FilterDouble.dll");
  ASSERT_NE(filter, nullptr);
  ASSERT_NE(Load(kovatest::BuiltFile("Spoolane"), u"Spoolane.dll"), nullptr);
  Proc<FilterDoubleResetProc>(filter, "FilterDoubleReset")();
  FilterDoubleConfig cfg{};
  cfg.passOn = TRUE;
  Proc<FilterDoubleConfigureProc>(filter, "FilterDoubleConfigure")(&cfg);

  Slots* slots = nullptr;
  EXPECT_FALSE(Proc<GetInterfaceProc>(filter, "IKOVAGetInterface")(255, reinterpret_cast<void**>(&slots)));
  ASSERT_TRUE(Proc<GetInterfaceProc>(filter, "IKOVAGetInterface")(256, reinterpret_cast<void**>(&slots)));
  ASSERT_NE(slots, nullptr);
  std::string a = "C:\\Drv\\FilterDouble.dll", o = "C:\\Drv\\Spoolane.dll";
  char* paths[] = {a.data(), o.data(), nullptr};
  HANDLE h = nullptr;
  ASSERT_TRUE(slots->Open(&h, paths));
  slots->StartDoc(h, printer_, 4);
  slots->StartPage(h);
  DWORD written = 0;
  ASSERT_TRUE(slots->Write(h, "stream", 6, &written));
  EXPECT_EQ(written, 6u);
  EXPECT_TRUE(slots->EndPage(h));
  slots->EndDoc(h);
  slots->Close(h);
  Proc<DisposeProc>(filter, "IKOVADisposeInterface")(slots);
  EXPECT_EQ(root_.ReadFile(u"C:\\Port Folder\\out.prn"), "stream") << "passed on to the output library";
  const std::string log = Text(filter, "FilterDoubleLog");
  EXPECT_NE(log.find("GetInterface version=255 -> FALSE\nGetInterface version=256 -> TRUE\n"
                     "Open paths=C:\\Drv\\FilterDouble.dll|C:\\Drv\\Spoolane.dll -> TRUE handle=0x2a0\n"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("EndPage handle=0x2a0 -> TRUE\nEndDoc handle=0x2a0\nClose handle=0x2a0\nDispose\n"),
            std::string::npos)
      << log;

  cfg = FilterDoubleConfig{TRUE, TRUE, TRUE, 0, FALSE};
  Proc<FilterDoubleConfigureProc>(filter, "FilterDoubleConfigure")(&cfg);
  EXPECT_FALSE(Proc<GetInterfaceProc>(filter, "IKOVAGetInterface")(256, reinterpret_cast<void**>(&slots)));
  EXPECT_EQ(slots, nullptr);
}

TEST_F(OutsideTest, FilterDoubleVariantsLackTheirExports) {
  HMODULE noIface = Load(kovatest::BuiltFile("FilterDoubleNoInterface"), u"NoIface.dll");
  ASSERT_NE(noIface, nullptr);
  EXPECT_EQ(GetProcAddress(noIface, "IKOVAGetInterface"), nullptr);
  EXPECT_NE(GetProcAddress(noIface, "IKOVADisposeInterface"), nullptr);
  HMODULE noDispose = Load(kovatest::BuiltFile("FilterDoubleNoDispose"), u"NoDispose.dll");
  ASSERT_NE(noDispose, nullptr);
  EXPECT_NE(GetProcAddress(noDispose, "IKOVAGetInterface"), nullptr);
  EXPECT_EQ(GetProcAddress(noDispose, "IKOVADisposeInterface"), nullptr);
}

}  // namespace
