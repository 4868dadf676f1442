// A system root with one printer of the sample driver, an open handle to it and a context
// whose field table, settings buffers and work area are its own.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "field_fixture.h"
#include "base/system_checks.h"
#include "plat/spooler_setup.h"
#include "plat/system.h"
#include "test_root.h"
#include "win/spool.h"

namespace kovatest {

inline std::u16string Str(const WCHAR* p) { return p ? std::u16string(p) : std::u16string(u"<null>"); }

class PathsTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetSystemTestCaches(); }
  void TearDown() override {
    for (HANDLE h : handles_) ClosePrinter(h);
    ResetSystemTestCaches();
  }

  // Installs a printer whose driver files live in C:\drv\ and opens it.
  HANDLE Install(const std::u16string& name, std::vector<plat::spooler::DataValue> data = {},
                 const std::u16string& server = u"", const std::u16string& driverPath = u"C:\\drv\\Rendara.dll") {
    plat::spooler::PrinterSetup setup;
    setup.name = name;
    setup.serverName = server;
    setup.driver.name = u"KOVA Sample Driver";
    setup.driver.driverPath = driverPath;
    setup.driver.configFile = u"C:\\drv\\Panelis.dll";
    setup.driver.helpFile = u"C:\\drv\\KOVAUS.HLP";
    setup.data = std::move(data);
    EXPECT_EQ(plat::spooler::InstallPrinter(setup), 0u);
    std::u16string full = server.empty() ? name : server + u"\\" + name;
    HANDLE h = nullptr;
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    EXPECT_TRUE(OpenPrinterW(const_cast<LPWSTR>(full.c_str()), &h, &defaults));
    handles_.push_back(h);
    return h;
  }

  DriverContext* Context(HANDLE printer) {
    fc_.get()->hPrinter = printer;
    return fc_.get();
  }

  TempRoot root_;
  FieldContext fc_;
  std::vector<HANDLE> handles_;
};

}  // namespace kovatest
