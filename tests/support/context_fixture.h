// A system root with printers of the sample driver and the process state the context code
// keeps (cache locks, test clock, module table), set up and torn down around each test; a
// test's own printer and context (StartContext) are released when it ends.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "context/context_cache.h"
#include "context/context_create.h"
#include "base/driver_context.h"
#include "model/driver_locks.h"
#include "context/extension_modules.h"
#include "base/deliverable.h"
#include "base/system_checks.h"
#include "model/model_load.h"
#include "plat/spooler_setup.h"
#include "plat/system.h"
#include "test_root.h"
#include "win/spool.h"

namespace kovatest {

// The data file of the sample driver's printers.
inline constexpr const char16_t* kSampleDataFile = u"C:\\drv\\KOVA.KPD";

// The driver of a printer a test installs, and what the printer starts with.
struct PrinterSpec {
  std::u16string driverName = u"KOVA Sample Driver";
  std::u16string dataFile = kSampleDataFile;
  std::u16string helpFile = u"C:\\drv\\KOVAUS.HLP";
  std::vector<plat::spooler::DataValue> data;
  std::vector<BYTE> devmode;

  // A driver of its own, named `name`, whose data file is `file`.
  static PrinterSpec OwnDriver(std::u16string name, std::u16string file) {
    PrinterSpec spec;
    spec.driverName = std::move(name);
    spec.dataFile = std::move(file);
    return spec;
  }
};

class ContextTest : public ::testing::Test {
 protected:
  static constexpr const char16_t* kDataFile = kSampleDataFile;

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
    if (ctx_) ReleaseContext(ctx_, CTXR_DESTROY);
    ctx_ = nullptr;
    EvictContextCache(1);
    FreeLoadedModelImages();
    for (HANDLE h : handles_) ClosePrinter(h);
    DeleteDriverLocks();
    plat::UseRealClock();
    ResetSystemTestCaches();
  }

  // Installs a printer whose driver files live in the folder C:\drv, and opens it. Driver
  // records are shared by name: a printer whose driver has another data file needs a
  // driver name of its own.
  HANDLE InstallPrinter(const std::u16string& name, PrinterSpec spec = {}) {
    plat::spooler::PrinterSetup setup;
    setup.name = name;
    setup.driver.name = std::move(spec.driverName);
    setup.driver.driverPath = u"C:\\drv\\Rendara.dll";
    setup.driver.configFile = u"C:\\drv\\Panelis.dll";
    setup.driver.helpFile = std::move(spec.helpFile);
    setup.driver.dataFile = std::move(spec.dataFile);
    setup.data = std::move(spec.data);
    setup.devmode = std::move(spec.devmode);
    EXPECT_EQ(plat::spooler::InstallPrinter(setup), 0u);
    return Open(name);
  }

  // Installs a printer of the sample driver; with a model its data file exists.
  HANDLE Install(const std::u16string& name, bool withModel = true,
                 std::vector<plat::spooler::DataValue> data = {}) {
    PrinterSpec spec;
    if (!withModel) {
      spec.driverName = u"KOVA Driver Without Model";
      spec.dataFile = u"C:\\drv\\MISSING.KPD";
    }
    spec.data = std::move(data);
    return InstallPrinter(name, std::move(spec));
  }

  // The test's own printer (printer_) and a context of it (ctx_), released when the test
  // ends.
  void StartContext(const std::u16string& name, PrinterSpec spec = {}) {
    printer_ = InstallPrinter(name, std::move(spec));
    ctx_ = Create(printer_);
    ASSERT_NE(ctx_, nullptr);
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
  HANDLE printer_ = nullptr;
  DriverContext* ctx_ = nullptr;
};

}  // namespace kovatest
