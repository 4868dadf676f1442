// The capability lists and values of the sample printer, through a context built for it.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "context_fixture.h"
#include "fields/field_access.h"
#include "field_ids.h"
#include "model/capability_lists.h"
#include "model/printer_option_table.h"
#include "build_paths.h"

namespace kovatest {
namespace {

std::string ReadSource(const std::string& relative) {
  std::ifstream in(kovatest::SourceDir() + "/" + relative, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class SampleCapabilities : public ContextTest {
 protected:
  void SetUp() override {
    ContextTest::SetUp();
    root_.WriteFile(kDataFile, ReadSource("samples/KOVA1.KMD"));
    context_ = Create(Install(u"Sample"));
    ASSERT_NE(context_, nullptr);
    ASSERT_NE(context_->model, nullptr);
  }
  void TearDown() override {
    if (context_) ReleaseContext(context_, CTXR_DESTROY);
    ContextTest::TearDown();
  }
  DriverContext* context_ = nullptr;
};

TEST_F(SampleCapabilities, BinsPapersAndResolutionsOfTheModel) {
  // The second tray is disabled while the printer has no second-step tray unit.
  WriteFieldRawById(context_, fid::kdmSourceOptionType2Step, 0);
  std::vector<WORD> bins(8);
  ASSERT_EQ(ListBins(context_, bins.data()), 3);
  EXPECT_EQ((std::vector<WORD>(bins.begin(), bins.begin() + 3)), (std::vector<WORD>{7, 4, 257}));
  WriteFieldRawById(context_, fid::kdmSourceOptionType2Step, 1);
  EXPECT_EQ(ListBins(context_, nullptr), 4);
  EXPECT_EQ(ListBinNames(context_, nullptr), 4);

  const int papers = ListPaperCodes(context_, nullptr);
  ASSERT_GT(papers, 0);
  std::vector<WORD> codes(static_cast<size_t>(papers));
  ASSERT_EQ(ListPaperCodes(context_, codes.data()), papers);
  EXPECT_EQ(codes.front(), 1);  // LETTER, the first value of the option
  EXPECT_EQ(ListPaperNames(context_, nullptr), papers);
  std::vector<std::int32_t> sizes(2 * static_cast<size_t>(papers));
  ASSERT_EQ(ListPaperSizes(context_, sizes.data()), papers);
  EXPECT_EQ(sizes[0], 2159);
  EXPECT_EQ(sizes[1], 2794);

  std::vector<std::int32_t> pairs(16);
  const int n = ListResolutions(context_, pairs.data());
  ASSERT_GE(n, 2);
  EXPECT_EQ(pairs[0], 300);
  EXPECT_EQ(pairs[2], 600);
}

TEST_F(SampleCapabilities, OutputPapersOfTheOptionTable) {
  DWORD count = 0;
  ASSERT_EQ(GetCapabilityValues(context_, fid::kdmOutPaperSize, 0, nullptr, &count), CAPS_MORE);
  EXPECT_EQ(count, 25u);
  EXPECT_EQ(HasCapabilityValue(context_, fid::kdmFuncSelectDuplex), 1);
}

}  // namespace
}  // namespace kovatest
