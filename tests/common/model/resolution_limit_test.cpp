// The resolution limit: tint block, paper size above 600 dpi, load-share modes, the scaled
// source size and a locked resolution; item 835.
#include <gtest/gtest.h>

#include "model_context.h"
#include "context/bidi_requests.h"
#include "field_ids.h"
#include "judge_fixture.h"
#include "fields/judge_items.h"
#include "model/resolution_limit.h"
#include "win/devmode.h"

namespace {

using kovatest::JudgeContext;
using kovatest::ModelContext;

TEST(ResolutionLimit, ScaledSourceSize) {
  struct Case {
    const char* what;
    DWORD scale, scaleType, scaleH, scaleV, nup, postKind, nupType;
    DWORD width, length;
    bool fits;
  } cases[] = {
      {"plain, both below", 0, 0, 0, 0, 0, 0, 0, 30708, 30708, true},
      {"plain, width at limit", 0, 0, 0, 0, 0, 0, 0, 30709, 100, false},
      {"poster 2: smaller side doubles", 0, 0, 0, 0, 1, 9, 32769, 20000, 16000, false},
      {"poster 2: equal sides double the length", 0, 0, 0, 0, 1, 9, 32769, 15000, 15000, true},
      {"poster 2: length doubled past the limit", 0, 0, 0, 0, 1, 9, 32769, 15400, 15400, false},
      {"poster 4 multiplies both", 0, 0, 0, 0, 1, 9, 32770, 15354, 15000, true},
      {"poster 4 width past", 0, 0, 0, 0, 1, 9, 32770, 15355, 15000, false},
      {"poster below 32769 is no poster", 0, 0, 0, 0, 1, 9, 32768, 20000, 20000, true},
      {"not the poster kind", 0, 0, 0, 0, 1, 8, 32769, 20000, 16000, true},
      {"scale h and v", 1, 0, 200, 100, 0, 0, 0, 16000, 20000, false},
      {"scale v only", 1, 0, 100, 200, 0, 0, 0, 16000, 20000, false},
      {"scale h for both", 1, 1, 150, 900, 0, 0, 0, 20000, 20000, true},
      {"scale type 2 leaves the size", 1, 2, 400, 400, 0, 0, 0, 20000, 20000, true},
      {"scale wins over poster", 1, 0, 100, 100, 1, 9, 32769, 20000, 16000, true},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(t.what);
    JudgeContext j;
    j.Set(fid::kdmFuncSelectScale, t.scale);
    j.Set(fid::kdmScaleType, t.scaleType);
    j.Set(fid::kdmScaleH, t.scaleH);
    j.Set(fid::kdmScaleV, t.scaleV);
    j.Set(fid::kdmFuncSelectNup, t.nup);
    j.Set(fid::kdmNUPPOSTKind, t.postKind);
    j.Set(fid::kdmNUPType, t.nupType);
    j.Set(fid::kdmSrcPaperWidthDot, t.width);
    j.Set(fid::kdmSrcPaperLengthDot, t.length);
    EXPECT_EQ(ScaledSourceFits(j.get()), t.fits);
  }
}

// A context whose source paper comes from explicit public dimensions in 0.1 mm.
class ResolutionLimitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_.SetRaw(fid::dmFields, DM_PAPERLENGTH | DM_PAPERWIDTH);
    m_.SetRaw(fid::dmPaperWidth, 2100);
    m_.SetRaw(fid::dmPaperLength, 2970);
    m_.SetRaw(fid::kdmOutPaperSize, 1024);
  }
  DriverContext* c() { return m_.ctx(); }
  ModelContext m_;
};

TEST_F(ResolutionLimitTest, PaperAbove600DpiMustFit) {
  m_.SetRaw(fid::dmPrintQuality, 1200);
  EXPECT_EQ(GetResolutionLimit(c()), 0);
  EXPECT_EQ(m_.Raw(fid::kdmDstResolutionW), 1200u);  // brought in line with dmPrintQuality
  EXPECT_GT(m_.Signed(fid::kdmSrcPaperLengthDot), 14000);
  m_.SetRaw(fid::dmPaperLength, 7000);  // about 33070 dots at 1200 dpi
  EXPECT_EQ(GetResolutionLimit(c()), 600);
  EXPECT_GT(m_.Signed(fid::kdmSrcPaperLengthDot), 32124);
  m_.SetRaw(fid::dmPrintQuality, 600);
  EXPECT_EQ(GetResolutionLimit(c()), 0);
  // 6790 (0.1 mm) is about 32078 dots: within the wide limit of load share 0, past the
  // narrow limit of the scaled source size of load share 3.
  m_.SetRaw(fid::dmPrintQuality, 1200);
  m_.SetRaw(fid::dmPaperLength, 6790);
  EXPECT_EQ(GetResolutionLimit(c()), 0);
  m_.SetRaw(fid::kdmLoadShare, 3);
  EXPECT_EQ(GetResolutionLimit(c()), 600);
}

TEST_F(ResolutionLimitTest, TintBlockAt200DpiAsksFor600) {
  m_.SetRaw(fid::kdmFunc2SelectTintBlockUI, 1);
  m_.SetRaw(fid::dmPrintQuality, 200);
  EXPECT_EQ(GetResolutionLimit(c()), 600);
  EXPECT_EQ(m_.Raw(fid::kdmDstResolutionW), 0u);  // nothing recomputed
  // The private form does not look at the tint block.
  m_.SetRaw(fid::kdmDstResolutionW, 200);
  EXPECT_EQ(ComputeResolutionLimit(c(), 1, 0), 0);
  m_.SetRaw(fid::kdmFunc2SelectTintBlockUI, 0);
  EXPECT_EQ(GetResolutionLimit(c()), 0);
}

TEST_F(ResolutionLimitTest, LockedResolutionIsPutInPlace) {
  ASSERT_TRUE(m_.field(10425));
  m_.SetRaw(10425, 1);  // the resolution lock bit
  m_.SetRaw(fid::kdmLockDstResolutionBoth, 3);  // 600 dpi
  m_.SetRaw(fid::dmPrintQuality, 1200);
  EXPECT_EQ(GetResolutionLimit(c()), 0);
  EXPECT_EQ(m_.Raw(fid::dmPrintQuality), 600u);
  EXPECT_EQ(m_.Raw(fid::kdmDstResolutionW), 600u);

  // Locked at 1200 on paper too large for it: 600 is forced.
  m_.SetRaw(fid::kdmLockDstResolutionBoth, 4);
  m_.SetRaw(fid::dmPaperLength, 7000);
  m_.SetRaw(fid::dmPrintQuality, 1200);
  EXPECT_EQ(GetResolutionLimit(c()), 600);
  EXPECT_EQ(m_.Raw(fid::dmPrintQuality), 1200u);
  // The previous resolution (600, put in place by the call before) equals the limit.
  m_.SetRaw(fid::dmPrintQuality, 600);
  EXPECT_EQ(GetResolutionLimit(c()), 0);
  // Compare mode 0 drops the limit when the previous resolution equals it.
  m_.SetRaw(fid::kdmLockDstResolutionBoth, 4);
  m_.SetRaw(fid::dmPrintQuality, 600);
  EXPECT_EQ(ComputeResolutionLimit(c(), 0, 0), 0);
  // Compare mode 1 when it is at most the limit.
  m_.SetRaw(fid::dmPrintQuality, 300);
  EXPECT_EQ(ComputeResolutionLimit(c(), 0, 1), 0);
  m_.SetRaw(fid::dmPrintQuality, 300);
  EXPECT_EQ(ComputeResolutionLimit(c(), 0, 0), 600);

  // A locked code without a row in the table leaves the resolution alone.
  m_.SetRaw(fid::kdmLockDstResolutionBoth, 99);
  m_.SetRaw(fid::dmPrintQuality, 1200);
  m_.SetRaw(fid::dmPaperLength, 2970);
  EXPECT_EQ(GetResolutionLimit(c()), 0);
  EXPECT_EQ(m_.Raw(fid::dmPrintQuality), 1200u);
}

TEST_F(ResolutionLimitTest, Item835FollowsThePrivateResolution) {
  m_.SetRaw(fid::dmFields, 0);
  m_.SetRaw(fid::kdmDstResolutionW, 600);
  m_.SetRaw(fid::dmPrintQuality, 1200);  // overwritten from the private field
  EXPECT_EQ(ComputeJudgeItem(c(), 835), 1u);
  EXPECT_EQ(m_.Raw(fid::dmPrintQuality), 600u);
  // Locked at 1200 with the private field already at 1200 and a page that fits.
  m_.SetRaw(10425, 1);
  m_.SetRaw(fid::kdmLockDstResolutionBoth, 4);
  EXPECT_EQ(ComputeJudgeItem(c(), 835), 1u);
  EXPECT_EQ(m_.Raw(fid::kdmDstResolutionW), 1200u);
}

}  // namespace
