// A system root with printers of the sample driver and the process state the context code
// keeps (cache locks, test clock, module table), set up and torn down around each test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "context/context_cache.h"
#include "context/context_create.h"
#include "context/driver_context.h"
#include "context/driver_locks.h"
#include "context/extension_modules.h"
#include "context/deliverable.h"
#include "context/system_tests.h"
#include "model/model_load.h"
#include "plat/spooler_setup.h"
#include "plat/system.h"
#include "test_root.h"
#include "win/spool.h"

namespace kovatest {

class ContextTest : public ::testing::Test {
 protected:
  static constexpr const char16_t* kDataFile = u"C:\\drv\\KOVA.KPD";

  // The model images are kept per process by data-file path, and every test writes its own
  // model under the same path: each test starts and ends without loaded images.
  void SetUp() override {
    FreeLoadedModelImages();
    ResetSystemTestCaches();
    InitDriverLocks();
    SetDeliverable(Deliverable::Interface);
    plat::SetTestTickCount(1000);
    root_.WriteFile(kDataFile, "*FileVersion: \"9.02\"\r\n");
  }
  void TearDown() override {
    EvictContextCache(1);
    FreeLoadedModelImages();
    for (HANDLE h : handles_) ClosePrinter(h);
    DeleteDriverLocks();
    plat::UseRealClock();
    ResetSystemTestCaches();
  }

  // Installs a printer of the sample driver; with a model its data file exists. Driver
  // records are shared by name, so a printer without a model gets a driver of its own.
  HANDLE Install(const std::u16string& name, bool withModel = true,
                 std::vector<plat::spooler::DataValue> data = {}) {
    plat::spooler::PrinterSetup setup;
    setup.name = name;
    setup.driver.name = withModel ? u"KOVA Sample Driver" : u"KOVA Driver Without Model";
    setup.driver.driverPath = u"C:\\drv\\Rendara.dll";
    setup.driver.configFile = u"C:\\drv\\Panelis.dll";
    setup.driver.helpFile = u"C:\\drv\\KOVAUS.HLP";
    setup.driver.dataFile = withModel ? kDataFile : u"C:\\drv\\MISSING.KPD";
    setup.data = std::move(data);
    EXPECT_EQ(plat::spooler::InstallPrinter(setup), 0u);
    return Open(name);
  }

  // Another handle to an installed printer.
  HANDLE Open(const std::u16string& name) {
    HANDLE h = nullptr;
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    EXPECT_TRUE(OpenPrinterW(const_cast<LPWSTR>(name.c_str()), &h, &defaults));
    handles_.push_back(h);
    return h;
  }

  static DriverContext* Create(HANDLE printer, DWORD kind = CTXK_INTERFACE, WORD flags = 0, DWORD docPropMode = 0) {
    return CreateContext(printer, printer, 0, flags, kind, docPropMode, nullptr, nullptr);
  }

  // Marks a context, so that a later reuse can be told from a new context at the same address.
  static void Tag(DriverContext* context, DWORD tag) { context->work->moduleWords2[7] = tag; }
  static DWORD TagOf(const DriverContext* context) { return context->work->moduleWords2[7]; }

  static DriverContext* Slot(int cache, int slot, DWORD* tick = nullptr) {
    return PeekContextCacheSlot(cache, slot, tick);
  }
  static int Occupied(int cache) { return (Slot(cache, 0) ? 1 : 0) + (Slot(cache, 1) ? 1 : 0); }

  TempRoot root_;
  std::vector<HANDLE> handles_;
};

}  // namespace kovatest
