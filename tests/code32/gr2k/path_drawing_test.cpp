// The path calls: which state records a stroke, a fill and a stroke-and-fill write before
// their path record, and when they refuse or hand the path back to the engine.
#include <cstring>
#include <vector>

#include "ddi.h"
#include "drawing_records.h"
#include "plat/gdi_objects.h"
#include "record_walk.h"
#include "win/errors.h"
#include "win/kernel.h"

namespace rendara::test {
namespace {

POINTFIX Px(LONG x, LONG y) { return POINTFIX{x * 16, y * 16}; }

constexpr MIX kCopyPenTransparent = 0x0B0D;  // copy pen, background left
constexpr MIX kCopyPenOpaque = 0x0D0D;

class PathCallTest : public RecordsTest {
 protected:
  void SetUp() override {
    RecordsTest::SetUp();
    device_->resolution = 600;
    surface_.dhpdev = reinterpret_cast<DHPDEV>(device_);
    la_.eMiterLimit = 10.0f;
  }
  // Two closed squares.
  void TwoSquares(plat::gdi::PathObject& p) {
    p.AddRect(RECTL{0, 0, 10, 10});
    p.AddRect(RECTL{20, 20, 30, 30});
  }
  BOOL Stroke(plat::gdi::PathObject& p, BRUSHOBJ* brush, CLIPOBJ* clip = nullptr) {
    return DrvStrokePath(&surface_, p.get(), clip, nullptr, brush, nullptr, &la_, kCopyPenTransparent);
  }
  SURFOBJ surface_{};
  LINEATTRS la_{};
};

TEST_F(PathCallTest, StrokeWritesItsStateThenThePath) {
  plat::gdi::PathObject p;
  p.MoveTo(Px(1, 1));
  p.LineTo(Px(50, 1));
  plat::gdi::BrushObject red(0x00112233);
  ASSERT_EQ(Stroke(p, red.get()), TRUE);
  const auto recs = Written();
  std::vector<BYTE> ops;
  for (const auto& r : recs) ops.push_back(r[0]);
  EXPECT_EQ(ops, (std::vector<BYTE>{0x33, 0x34, 0x35, 0x36, 0x40, 0x32, 0x31, 0x30, 0x12}));
  EXPECT_EQ(recs[0], (std::vector<BYTE>{0x33, 1, 1, 0, 0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(recs[5], (std::vector<BYTE>{0x32, 1, 0, 0}));
  EXPECT_EQ(recs[6], (std::vector<BYTE>{0x31, 0xCC, 0, 0}));
  EXPECT_EQ(recs[7], (std::vector<BYTE>{0x30, 8, 0x01, 0, 0x11, 0x22, 0x33, 0}));
  EXPECT_EQ(recs[8][2], PATH_STROKE);

  // The same stroke again: only the path.
  ASSERT_EQ(Stroke(p, red.get()), TRUE);
  EXPECT_EQ(Opcodes(), (std::vector<BYTE>{0x12}));
}

TEST_F(PathCallTest, ClosedStrokeOfTwoFiguresIsTwoRecords) {
  plat::gdi::PathObject p;
  TwoSquares(p);
  plat::gdi::BrushObject black(0);
  ASSERT_EQ(Stroke(p, black.get()), TRUE);
  const auto recs = Written();
  ASSERT_GE(recs.size(), 2u);
  EXPECT_EQ(recs[recs.size() - 2][0], 0x12);
  EXPECT_EQ(recs[recs.size() - 2][2], 0x08);
  EXPECT_EQ(recs.back()[0], 0x12);
  EXPECT_EQ(recs.back()[2], 0x08);
}

TEST_F(PathCallTest, RefusedStrokesWriteNothing) {
  plat::gdi::PathObject p;
  p.MoveTo(Px(1, 1));
  p.LineTo(Px(5, 5));
  plat::gdi::BrushObject pattern(0xFFFFFFFF);
  EXPECT_EQ(Stroke(p, pattern.get()), FALSE);

  plat::gdi::BrushObject solid(5);
  std::vector<FLOAT_LONG> style = {FLOAT_LONG{.e = 4}, FLOAT_LONG{.e = 2}};
  la_.fl = LA_GEOMETRIC | LA_STYLED;
  la_.elWidth.e = 10;
  la_.cstyle = 2;
  la_.pstyle = style.data();
  EXPECT_EQ(Stroke(p, solid.get()), FALSE);
  EXPECT_TRUE(Written().empty());
}

TEST_F(PathCallTest, PrologueAnswers) {
  plat::gdi::PathObject p;
  p.MoveTo(Px(1, 1));
  p.LineTo(Px(5, 5));
  plat::gdi::BrushObject solid(5);
  SURFOBJ stranger{};
  SetLastError(0);
  EXPECT_EQ(DrvStrokePath(&stranger, p.get(), nullptr, nullptr, solid.get(), nullptr, &la_, kCopyPenOpaque), -1);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  SetLastError(0);
  EXPECT_EQ(DrvFillPath(nullptr, p.get(), nullptr, solid.get(), nullptr, kCopyPenOpaque, 0), -1);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  device_->hiddenFunc18 = 1;  // drawing suppressed
  EXPECT_EQ(Stroke(p, solid.get()), TRUE);
  EXPECT_EQ(DrvFillPath(&surface_, p.get(), nullptr, solid.get(), nullptr, kCopyPenOpaque, 0), TRUE);
  EXPECT_EQ(DrvStrokeAndFillPath(&surface_, p.get(), nullptr, nullptr, solid.get(), &la_, solid.get(), nullptr,
                                 kCopyPenOpaque, 0),
            TRUE);
  EXPECT_TRUE(Written().empty());
  device_->hiddenFunc18 = 0;

  device_->jobFlags |= JOB_OUTPUT_FAILED;
  EXPECT_EQ(Stroke(p, solid.get()), FALSE);
  EXPECT_EQ(DrvFillPath(&surface_, p.get(), nullptr, solid.get(), nullptr, kCopyPenOpaque, 0), FALSE);
}

TEST_F(PathCallTest, NoBrushIsAnError) {
  plat::gdi::PathObject p;
  p.AddRect(RECTL{0, 0, 4, 4});
  SetLastError(0);
  EXPECT_EQ(DrvFillPath(&surface_, p.get(), nullptr, nullptr, nullptr, kCopyPenOpaque, 0), -1);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
}

TEST_F(PathCallTest, WindingFillOfTwoClosedFigures) {
  plat::gdi::PathObject p;
  TwoSquares(p);
  plat::gdi::BrushObject blue(0x00AA0000);
  ASSERT_EQ(DrvFillPath(&surface_, p.get(), nullptr, blue.get(), nullptr, kCopyPenOpaque, FP_WINDINGMODE), TRUE);
  const auto recs = Written();
  std::vector<BYTE> ops;
  for (const auto& r : recs) ops.push_back(r[0]);
  EXPECT_EQ(ops, (std::vector<BYTE>{0x40, 0x30, 0x32, 0x31, 0x12}));
  // Opaque: the brush's second colour (white) travels as the background.
  EXPECT_EQ(recs[1], (std::vector<BYTE>{0x30, 12, 0x09, 0, 0xAA, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0}));
  EXPECT_EQ(recs[2], (std::vector<BYTE>{0x32, 2, 0, 0}));
  EXPECT_EQ(recs[4][2], 0x1A);
  EXPECT_EQ(recs[4].size(), 28u + 2 * (12 + 3 * 12));  // AddRect: three segments and a close

  ASSERT_EQ(DrvFillPath(&surface_, p.get(), nullptr, blue.get(), nullptr, kCopyPenOpaque, FP_ALTERNATEMODE), TRUE);
  const auto again = Written();
  ASSERT_EQ(again.size(), 1u);
  EXPECT_EQ(again[0][2], 0x19);
}

TEST_F(PathCallTest, StrokeAndFillCarriesTheStrokeColourThird) {
  plat::gdi::PathObject p;
  p.AddRect(RECTL{0, 0, 8, 8});
  plat::gdi::BrushObject stroke(0x00010203), fill(0x00040506);
  ASSERT_EQ(DrvStrokeAndFillPath(&surface_, p.get(), nullptr, nullptr, stroke.get(), &la_, fill.get(), nullptr,
                                 kCopyPenOpaque, FP_WINDINGMODE),
            TRUE);
  const auto recs = Written();
  std::vector<BYTE> ops;
  for (const auto& r : recs) ops.push_back(r[0]);
  EXPECT_EQ(ops, (std::vector<BYTE>{0x33, 0x34, 0x35, 0x36, 0x40, 0x32, 0x31, 0x30, 0x12}));
  EXPECT_EQ(recs[7], (std::vector<BYTE>{0x30, 16, 0x19, 0, 0x04, 0x05, 0x06, 0xFF, 0xFF, 0xFF, 0x01, 0x02, 0x03, 0,
                                        0, 0}));
  EXPECT_EQ(recs[8][2], PATH_STROKE_FILL_WINDING | PATH_CLOSED);
}

TEST_F(PathCallTest, PatternStrokeBrushSplitsStrokeAndFill) {
  plat::gdi::PathObject p;
  p.AddRect(RECTL{0, 0, 8, 8});
  plat::gdi::BrushObject pattern(0xFFFFFFFF), fill(7);
  // The fill is written; the pattern stroke is the engine's, so the call answers FALSE.
  EXPECT_EQ(DrvStrokeAndFillPath(&surface_, p.get(), nullptr, nullptr, pattern.get(), &la_, fill.get(), nullptr,
                                 kCopyPenOpaque, 0),
            FALSE);
  const auto recs = Written();
  ASSERT_FALSE(recs.empty());
  EXPECT_EQ(recs.back()[0], 0x12);
  EXPECT_EQ(recs.back()[2], PATH_FILL_ALTERNATE | PATH_CLOSED);
}

TEST_F(PathCallTest, TooComplexGeometricStrokeGoesToTheEngine) {
  plat::gdi::PathObject p;
  p.MoveTo(Px(0, 0));
  for (int i = 0; i <= 5000; ++i) p.LineTo(Px(i % 9, i % 4));
  device_->hidden2Func11 = 1;
  plat::gdi::BrushObject solid(3);
  la_.fl = LA_GEOMETRIC;
  la_.elWidth.e = 3;
  // The engine draws it (this surface has no bits, so the engine answers FALSE).
  Stroke(p, solid.get());
  for (BYTE op : Opcodes()) EXPECT_NE(op, 0x12);

  la_.fl = 0;  // cosmetic: still a record
  ASSERT_EQ(Stroke(p, solid.get()), TRUE);
  const auto ops = Opcodes();
  ASSERT_FALSE(ops.empty());
  EXPECT_EQ(ops.back(), 0x12);
}

TEST_F(PathCallTest, ComplexClipIsAClipPath) {
  plat::gdi::PathObject p;
  p.MoveTo(Px(1, 1));
  p.LineTo(Px(5, 5));
  plat::gdi::BrushObject solid(3);
  auto clip = plat::gdi::ClipObject::Region({RECTL{0, 0, 10, 10}, RECTL{20, 0, 30, 10}}, 9);
  ASSERT_EQ(Stroke(p, solid.get(), clip->get()), TRUE);
  const auto recs = Written();
  std::vector<BYTE> modes;
  for (const auto& r : recs)
    if (r[0] == 0x12) modes.push_back(r[2] & 0x07);
  EXPECT_EQ(modes, (std::vector<BYTE>{PATH_SET_CLIP, PATH_STROKE}));
  // The same clip again is cached.
  ASSERT_EQ(Stroke(p, solid.get(), clip->get()), TRUE);
  EXPECT_EQ(Opcodes(), (std::vector<BYTE>{0x12}));
}

}  // namespace
}  // namespace rendara::test
