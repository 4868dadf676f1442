// The sample printer end to end in the shared core: its model description, its UI resource
// module and a context built for it.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "../context_cache/context_fixture.h"
#include "context/ui_strings.h"
#include "context/paths_and_names.h"

namespace kovatest {
namespace {

std::string ReadSource(const std::string& relative) {
  std::ifstream in(std::string(KOVA_SOURCE_DIR) + "/" + relative, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class SampleResources : public ContextTest {
 protected:
  void SetUp() override {
    ContextTest::SetUp();
    root_.WriteFile(kDataFile, ReadSource("samples/KOVA1.KMD"));
    root_.WriteFile(u"C:\\drv\\KOVAUIus.rc", ReadSource("samples/KOVAUIus.rc"));
  }
};

TEST_F(SampleResources, UiStringsComeFromTheModelsResourceModule) {
  HANDLE printer = Install(u"Sample", true, {plat::spooler::StringValue(u"HelpFileName", u"KOVAUS.HLP")});
  DriverContext* context = Create(printer);
  ASSERT_NE(context, nullptr);
  ASSERT_NE(context->model, nullptr);
  // The model names "KOVAUIUS.DLL"; the language code of the context goes before the dot.
  EXPECT_EQ(std::u16string(GetUiResourcePath(context)), u"C:\\drv\\KOVAUIus.DLL");
  WCHAR text[64];
  EXPECT_EQ(LoadUiString(context, 13479, text, 64, 0), 8);
  EXPECT_EQ(std::u16string(text), u"Portrait");
  ReleaseContext(context, CTXR_DESTROY);
}

}  // namespace
}  // namespace kovatest
