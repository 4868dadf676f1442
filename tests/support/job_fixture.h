// A printer of the unit tests' printer model with an output library of the test's choosing,
// and the graphics engine to run print jobs on it: through the built Rendara.so in the
// driver folder, or through a rendering driver table of the test's own process.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "block_stream.h"
#include "plat/engine.h"
#include "plat/spooler_setup.h"
#include "plat/system.h"
#include "test_root.h"
#include "win/loader.h"
#include "win/spool.h"

#if __has_include("../doubles/outputdouble/output_double.h")
#include "../doubles/outputdouble/output_double.h"
#endif
#if __has_include("../doubles/filterdouble/filter_double.h")
#include "../doubles/filterdouble/filter_double.h"
#endif

namespace rendara::test {

inline constexpr const char16_t* kDriverFolder = u"C:\\drv";
inline constexpr const char16_t* kPortFile = u"C:\\KovaPort\\job.prn";

class JobTest : public ::testing::Test {
 protected:
  // Installs the printer with `output` (a built shared object) as the output library; the
  // test loads the rendering driver the engine runs (`driver_`). The driver folder and
  // printer name may be chosen, so that one test can install a second printer with other
  // files.
  void InstallPrinter(const std::string& output, std::u16string folder = kDriverFolder,
                      std::u16string name = u"KOVA Job Printer") {
    // The device-mode of a reset: a public part that asks for two copies.
    resetDevmode_ = DEVMODEW{};
    resetDevmode_.dmSpecVersion = 0x401;
    resetDevmode_.dmSize = sizeof(DEVMODEW);
    resetDevmode_.dmFields = DM_COPIES;
    resetDevmode_.dmCopies = 2;
    folder_ = folder;
    root_.WriteFile(folder + u"\\readme.txt", "");
    Copy(output, "Spoolane.so");
    Copy(kovatest::FixturePath(kovatest::kPrinterModel), "KOVA1.KMD");
    plat::spooler::PrinterSetup setup;
    setup.name = name;
    setup.portName = kPortFile;
    setup.driver.name = u"KOVA Sample Driver " + name;
    setup.driver.driverPath = folder + u"\\Rendara.dll";
    setup.driver.configFile = folder + u"\\Panelis.dll";
    setup.driver.dataFile = folder + u"\\KOVA1.KMD";
    setup.driver.helpFile = folder + u"\\KOVAUS.HLP";
    ASSERT_EQ(plat::spooler::InstallPrinter(setup), 0u);
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    ASSERT_TRUE(OpenPrinterW(const_cast<LPWSTR>(setup.name.c_str()), &printer_, &defaults));
    // The test holds the output library too, so that its state outlives the driver's use.
    output_ = LoadLibraryW((folder + u"\\Spoolane.dll").c_str());
    ASSERT_NE(output_, nullptr);
    deviceName_ = name;
  }

  // Adds a filter plug-in: `so` becomes <id>.so in the driver folder, listed in KOVAPLUG.ini
  // (an empty `so` lists a plug-in whose DLL is missing). The test holds the filter too.
  void AddFilter(const std::string& so, const std::string& id = "TestFilter") {
    if (!so.empty()) Copy(so, id + ".so");
    root_.WriteFile(folder_ + u"\\KOVAPLUG.ini", "[iKOVAFilter]\r\nCount=1\r\nPluginID0=" + id + "\r\n[" + id +
                                                     "]\r\nName=Test filter\r\nInstallPath=" + id + ".dll\r\n");
    if (!so.empty()) {
      const std::u16string path = folder_ + u"\\" + std::u16string(id.begin(), id.end()) + u".dll";
      filter_ = LoadLibraryW(path.c_str());
      ASSERT_NE(filter_, nullptr);
    }
  }

  void Uninstall() {
    if (driver_.module) plat::engine::UnloadRenderingDriver(driver_);
    if (output_) FreeLibrary(output_);
    if (filter_) FreeLibrary(filter_);
    if (printer_) ClosePrinter(printer_);
    output_ = filter_ = nullptr;
    printer_ = nullptr;
  }

  void TearDown() override { Uninstall(); }

  void Copy(const std::string& from, const std::string& name) {
    std::filesystem::copy_file(from, root_.HostPath(folder_) + "/" + name,
                               std::filesystem::copy_options::overwrite_existing);
  }

  template <class F>
  F Control(HMODULE module, const char* name) {
    FARPROC proc = GetProcAddress(module, name);
    EXPECT_NE(proc, nullptr) << name;
    return ProcCast<F>(proc);
  }

  // A job of `pages` empty pages, reset before the pages listed.
  plat::engine::JobOutcome Run(int pages, std::vector<int> resetBefore = {}, std::u16string name = u"Sample Job") {
    plat::engine::JobRequest request;
    request.printer = printer_;
    request.deviceName = deviceName_;
    request.documentName = std::move(name);
    request.jobId = 7;
    for (int i = 0; i < pages; ++i) {
      plat::engine::JobPage page;
      for (int r : resetBefore)
        if (r == i) page.resetDevmode = &resetDevmode_;
      request.pages.push_back(page);
    }
    return plat::engine::RunJob(driver_, request);
  }

  std::string Text(HMODULE module, const char* exportName) {
    auto log = Control<DWORD (*)(char*, DWORD)>(module, exportName);
    if (!log) return {};
    std::string text(log(nullptr, 0), '\0');
    log(text.data(), static_cast<DWORD>(text.size()));
    if (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
  }
  std::vector<BYTE> Bytes(HMODULE module, const char* exportName) {
    auto bytes = Control<DWORD (*)(BYTE*, DWORD)>(module, exportName);
    if (!bytes) return {};
    std::vector<BYTE> data(bytes(nullptr, 0));
    bytes(data.data(), static_cast<DWORD>(data.size()));
    return data;
  }
  std::vector<BYTE> PortBytes() {
    const std::string text = root_.ReadFile(kPortFile);
    return std::vector<BYTE>(text.begin(), text.end());
  }

  kovatest::TempRoot root_;
  std::u16string folder_ = kDriverFolder;
  std::u16string deviceName_;
  HANDLE printer_ = nullptr;
  HMODULE output_ = nullptr;
  HMODULE filter_ = nullptr;
  plat::engine::RenderingDriver driver_;
  DEVMODEW resetDevmode_{};
};

}  // namespace rendara::test
