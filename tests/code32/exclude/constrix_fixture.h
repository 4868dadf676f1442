// A sample printer for the settings API: the sample model, the printer's interface library
// (the built Panelis.so) in the driver folder, the second model INI with the API keys, and
// the settings-API process state reset around each test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "panelis_fixture.h"
#include "api_frame.h"
#include "api_tables.h"
#include "context/context_cache.h"
#include "base/deliverable.h"
#include "plat/system.h"
#include "build_paths.h"

namespace kovatest {

class ApiPrinterTest : public SamplePrinterTest {
 protected:
  static constexpr const char* kPrinter = "Api Sample";

  void SetUp() override {
    SamplePrinterTest::SetUp();
    SetDeliverable(Deliverable::SettingsApi);
    ResetApiGlobals();
    ResetLoadShareMarks();
    if (kovatest::HasBuiltFile("Panelis")) {
      std::filesystem::copy_file(kovatest::BuiltFile("Panelis"), root_.HostPath(u"C:\\drv") + "/Panelis.so",
                                 std::filesystem::copy_options::overwrite_existing);
    }
  }
  void TearDown() override {
    ResetApiGlobals();
    ResetLoadShareMarks();
    SetDeliverable(Deliverable::Interface);
    SamplePrinterTest::TearDown();
  }

  static void ResetLoadShareMarks() {
    DWORD count = 0;
    LoadShareRow* rows = GetLoadShareTable(&count);
    for (DWORD i = 0; i < count; ++i) rows[i].offered = 0;
  }

  // The second model INI of the driver with a "KOVAAPIVer" key, or without the key (-1).
  void WriteApiVersion(int version, int functions = -1) {
    std::string text = "[KOVAAPI]\r\n";
    if (version != -1) text += "KOVAAPIVer=" + std::to_string(version) + "\r\n";
    if (functions != -1) text += "KOVAAPIFunc1=" + std::to_string(functions) + "\r\n";
    root_.WriteFile(u"C:\\drv\\Dorvale2.ini", text);
  }

  HANDLE InstallApiPrinter(const std::u16string& name = u"Api Sample") { return InstallWith(name, {}); }

  static bool CachesEmpty() {
    for (int cache = 1; cache <= 2; ++cache)
      for (int slot = 0; slot < kContextCacheSlots; ++slot)
        if (PeekContextCacheSlot(cache, slot, nullptr)) return false;
    return true;
  }
};

}  // namespace kovatest
