// A printer for Panelis' bodies: the unit tests' printer model and UI resource module in
// the driver folder, and the process state of the context code reset around each test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "build_paths.h"
#include "context_fixture.h"
#include "plat/spooler_setup.h"
#include "win/kernel.h"
#include "win/loader.h"
#include "win/spool.h"

namespace kovatest {

inline plat::spooler::DataValue DwordValue(const std::u16string& name, DWORD value) {
  plat::spooler::DataValue v;
  v.name = name;
  v.type = 4;  // REG_DWORD
  v.bytes = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8), static_cast<BYTE>(value >> 16),
             static_cast<BYTE>(value >> 24)};
  return v;
}

inline plat::spooler::DataValue ByteValue(const std::u16string& name, BYTE value) {
  plat::spooler::DataValue v;
  v.name = name;
  v.bytes = {value};
  return v;
}

inline plat::spooler::DataValue TextValue(const std::u16string& name, const std::u16string& text) {
  plat::spooler::DataValue v;
  v.name = name;
  v.type = 1;  // REG_SZ
  v.bytes = plat::spooler::StringBytes(text);
  return v;
}

class SamplePrinterTest : public ContextTest {
 protected:
  void SetUp() override {
    ContextTest::SetUp();
    root_.WriteFile(kDataFile, FixtureText(kPrinterModel));
    root_.WriteFile(u"C:\\drv\\KOVAUIUS.rc", FixtureText(kPrinterUiScript));
    WritePrinterUiCursors(root_, u"C:\\drv\\");
  }

  // The job-control library's double placed in the system directory, where the driver loads
  // it by its bare name, and loaded for the test to read its log: the module, or null.
  HMODULE LoadJobControlDouble() {
    WCHAR system[MAX_PATH] = {};
    const UINT n = GetSystemDirectoryW(system, MAX_PATH);
    if (n == 0) return nullptr;
    const std::u16string dir(system, n);
    std::filesystem::create_directories(root_.HostPath(dir));
    std::filesystem::copy_file(BuiltFile("JobControlDouble"), root_.HostPath(dir) + "/Jobcora32.so",
                               std::filesystem::copy_options::overwrite_existing);
    return LoadLibraryW((dir + u"\\Jobcora32.dll").c_str());
  }

  // A printer of the sample driver with printer data and a stored device-mode.
  HANDLE InstallWith(const std::u16string& name, std::vector<plat::spooler::DataValue> data,
                     std::vector<BYTE> devmode = {}) {
    PrinterSpec spec;
    spec.data = std::move(data);
    spec.devmode = std::move(devmode);
    return InstallPrinter(name, std::move(spec));
  }

  // The driver's own device-mode of the sample model (1236 bytes), as a context builds it.
  std::vector<BYTE> SampleDevmode() {
    HANDLE printer = Install(u"Devmode Source");
    DriverContext* context = Create(printer);
    EXPECT_NE(context, nullptr);
    if (!context || !context->settings) return {};
    std::vector<BYTE> bytes(context->settings, context->settings + 1236);
    ReleaseContext(context, CTXR_DESTROY);
    return bytes;
  }
};

}  // namespace kovatest
