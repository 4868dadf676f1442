// The sample printer with the page engine's dialog templates, a model whose rules the tests
// steer, and the window system reset around each test.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "fields/change_flags.h"
#include "base/driver_context.h"
#include "fields/field_access.h"
#include "fields/field_table.h"
#include "field_ids.h"
#include "context/page_binding.h"
#include "panelis_fixture.h"
#include "plat/ui_driver.h"
#include "build_paths.h"

namespace kovatest {

inline std::string ReadFixtureFile(const std::string& relative) {
  std::ifstream in((kovatest::SourceDir() + "/tests/fixtures") + "/" + relative, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Replaces the first occurrence of `from` (which must be there).
inline std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

inline std::string SampleModelText() { return kovatest::FixtureText(kovatest::kPrinterModel); }

class PageEngineTest : public SamplePrinterTest {
 protected:
  void SetUp() override {
    SamplePrinterTest::SetUp();
    plat::ui::Reset();
    root_.WriteFile(u"C:\\drv\\KOVAUIUS.rc", ReadFixtureFile("pages/page_engine.rc"));
    kovatest::WritePrinterUiCursors(root_, u"C:\\drv\\");
  }
  void TearDown() override {
    for (DriverContext* c : contexts_) ReleaseContext(c, CTXR_DESTROY);
    plat::ui::Reset();
    SamplePrinterTest::TearDown();
  }

  // The sample model with changes of its rules.
  void UseModel(const std::string& text) { root_.WriteFile(kDataFile, text); }


  DriverContext* Bound(const std::u16string& printer = u"Page Printer") {
    DriverContext* context = Create(Install(printer));
    EXPECT_NE(context, nullptr);
    if (!context) return nullptr;
    contexts_.push_back(context);
    BindPageControls(context, nullptr);
    return context;
  }

  static DWORD Value(DriverContext* context, WORD id) { return GetFieldValueById(context, id); }
  static DWORD Raw(DriverContext* context, WORD id) { return ReadFieldRawById(context, id); }

  std::vector<DriverContext*> contexts_;
};

}  // namespace kovatest
