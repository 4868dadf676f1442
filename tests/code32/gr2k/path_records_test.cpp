// The path writer: record layout, modes and flags, size words, one record per subpath for
// closed strokes, outline payloads, and paths that cannot be written.
#include <cstring>
#include <vector>

#include "drawing_records.h"
#include "path_records.h"
#include "plat/gdi_objects.h"
#include "record_walk.h"

namespace rendara::test {
namespace path_records_test {
// The record reader of record_walk.h, whichever helper of that name another file keeps.
using rendara::test::U32;
namespace {

POINTFIX Px(LONG x, LONG y) { return POINTFIX{x * 16, y * 16}; }

// A closed square of four straight segments from (x, y), side s pixels.
void Square(plat::gdi::PathObject& p, LONG x, LONG y, LONG s, bool close = true) {
  p.MoveTo(Px(x, y));
  p.LineTo(Px(x + s, y));
  p.LineTo(Px(x + s, y + s));
  p.LineTo(Px(x, y + s));
  p.LineTo(Px(x, y));
  if (close) p.CloseFigure();
}

std::vector<BYTE> Words(std::initializer_list<DWORD> words) {
  std::vector<BYTE> b;
  for (DWORD w : words)
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<BYTE>(w >> (8 * i)));
  return b;
}

using PathTest = RecordsTest;

TEST_F(PathTest, ClosedSquareStrokedLayout) {
  plat::gdi::PathObject p;
  Square(p, 10, 20, 5);
  ASSERT_NE(WritePath(device_, p.get(), PATH_STROKE), nullptr);
  const auto recs = Written();
  ASSERT_EQ(recs.size(), 1u);
  const auto& r = recs[0];
  std::vector<BYTE> want = {0x12, 0, 0x08, 0};
  auto tail = Words({88, 10, 20, 15, 25, 15, 4, 160, 320, 0, 240, 320, 0, 240, 400, 0, 160, 400, 0, 160, 320});
  want.insert(want.end(), tail.begin(), tail.end());
  EXPECT_EQ(r, want);
}

TEST_F(PathTest, ModesFlagsAndSizeWords) {
  struct Case {
    const char* name;
    bool closed;
    int subpaths;
    DWORD mode;
    std::vector<BYTE> modeBytes;  // one per record
    std::vector<DWORD> sizeWords;
  };
  const Case cases[] = {
      {"open stroke, one", false, 1, PATH_STROKE, {0x00}, {15}},
      {"open stroke, two", false, 2, PATH_STROKE, {0x10}, {3 * 8 + 3 + 3 + 1}},
      {"closed stroke, two", true, 2, PATH_STROKE, {0x08, 0x08}, {15, 15}},
      {"winding fill, two", false, 2, PATH_FILL_WINDING, {0x12}, {31}},
      {"winding fill, two closed", true, 2, PATH_FILL_WINDING, {0x1A}, {31}},
      {"alternate fill, one closed", true, 1, PATH_FILL_ALTERNATE, {0x09}, {15}},
      {"stroke and fill, two closed", true, 2, PATH_STROKE_FILL_WINDING, {0x1C}, {31}},
      {"clip, two closed", true, 2, PATH_SET_CLIP, {0x1D}, {31}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    plat::gdi::PathObject p;
    for (int i = 0; i < c.subpaths; ++i) Square(p, 10 * i, 0, 5, c.closed);
    ASSERT_NE(WritePath(device_, p.get(), c.mode), nullptr);
    const auto recs = Written();
    ASSERT_EQ(recs.size(), c.modeBytes.size());
    for (std::size_t i = 0; i < recs.size(); ++i) {
      EXPECT_EQ(recs[i][0], 0x12);
      EXPECT_EQ(recs[i][2], c.modeBytes[i]);
      EXPECT_EQ(U32(recs[i], 24), c.sizeWords[i]);
      EXPECT_EQ(U32(recs[i], 4), recs[i].size());
    }
  }
}

TEST_F(PathTest, ClosedStrokePerSubpathKeepsEachFigure) {
  plat::gdi::PathObject p;
  Square(p, 0, 0, 4);
  p.MoveTo(Px(100, 100));
  p.LineTo(Px(110, 100));  // open second figure
  ASSERT_NE(WritePath(device_, p.get(), PATH_STROKE), nullptr);
  const auto recs = Written();
  ASSERT_EQ(recs.size(), 2u);
  EXPECT_EQ(recs[0][2], 0x08);
  EXPECT_EQ(recs[1][2], 0x00);  // the closed flag is per record
  EXPECT_EQ(U32(recs[1], 24), 6u);
  EXPECT_EQ(U32(recs[1], 28), 1u);             // one segment
  EXPECT_EQ(U32(recs[1], 32), 100u * 16);     // start point
  EXPECT_EQ(recs[1].size(), 28u + 12 + 12);
  // Both carry the whole path's bounds.
  EXPECT_EQ(U32(recs[1], 16), 110u);
}

TEST_F(PathTest, BeziersMakeCurveRecords) {
  plat::gdi::PathObject p;
  p.MoveTo(Px(0, 0));
  p.BezierTo(Px(1, 2), Px(3, 4), Px(5, 6));
  p.LineTo(Px(7, 8));
  ASSERT_NE(WritePath(device_, p.get(), PATH_FILL_ALTERNATE), nullptr);
  const auto recs = Written();
  ASSERT_EQ(recs.size(), 1u);
  const auto& r = recs[0];
  EXPECT_EQ(r[0], 0x11);
  EXPECT_EQ(U32(r, 24), 7u + 3 + 3);
  EXPECT_EQ(U32(r, 28), 2u);  // a Bezier and a line
  const auto bez = Words({1, 16, 32, 48, 64, 80, 96, 0, 112, 128});
  EXPECT_TRUE(std::equal(bez.begin(), bez.end(), r.begin() + 40));
  EXPECT_EQ(r.size(), 28u + 12 + 28 + 12);
}

TEST_F(PathTest, PerSubpathCurvesStickAfterTheFirstBezier) {
  plat::gdi::PathObject p;
  p.MoveTo(Px(0, 0));
  p.LineTo(Px(5, 0));
  p.CloseFigure();
  p.MoveTo(Px(0, 10));
  p.BezierTo(Px(1, 11), Px(2, 12), Px(3, 13));
  p.CloseFigure();
  p.MoveTo(Px(0, 20));
  p.LineTo(Px(5, 20));
  p.CloseFigure();
  ASSERT_NE(WritePathPerSubpath(device_, p.get(), PATH_STROKE), nullptr);
  const auto recs = Written();
  ASSERT_EQ(recs.size(), 3u);
  EXPECT_EQ(recs[0][0], 0x12);
  EXPECT_EQ(recs[1][0], 0x11);
  EXPECT_EQ(recs[2][0], 0x11);
  EXPECT_EQ(U32(recs[1], 24), 10u);
  EXPECT_EQ(U32(recs[2], 24), 6u);
}

// A figure that does not fit takes the figures written before it out again, since the
// engine then draws the whole path itself.
TEST_F(PathTest, PerSubpathFailureLeavesNoFigureBehind) {
  plat::gdi::PathObject p;
  p.MoveTo(Px(0, 0));
  p.LineTo(Px(5, 0));
  p.CloseFigure();
  p.MoveTo(Px(0, 10));
  for (LONG i = 1; i <= 60; ++i) p.LineTo(Px(i, 10 + i));
  p.CloseFigure();
  p.get()->cCurves = 2;  // understated: the second figure outgrows its reservation
  const DWORD before = records().bytesBuffered;
  EXPECT_EQ(WritePathPerSubpath(device_, p.get(), PATH_STROKE), nullptr);
  EXPECT_EQ(records().bytesBuffered, before);
  EXPECT_TRUE(Written().empty());
}

TEST_F(PathTest, BatchesOfOneFigureJoin) {
  plat::gdi::PathObject whole, split;
  for (auto* p : {&whole, &split}) {
    p->MoveTo(Px(0, 0));
    for (LONG i = 1; i <= 9; ++i) p->LineTo(Px(i, i * i));
  }
  split.SetBatchLimit(2);
  ASSERT_NE(WritePath(device_, whole.get(), PATH_STROKE), nullptr);
  const auto a = Written();
  ASSERT_NE(WritePath(device_, split.get(), PATH_STROKE), nullptr);
  EXPECT_EQ(Written(), a);
}

TEST_F(PathTest, UnwritablePathsLeaveNothing) {
  plat::gdi::PathObject empty;
  EXPECT_EQ(WritePath(device_, empty.get(), PATH_FILL_ALTERNATE), nullptr);
  EXPECT_EQ(WritePathPerSubpath(device_, empty.get(), PATH_STROKE), nullptr);

  // An engine curve count that understates the path: the reservation is never overrun.
  plat::gdi::PathObject understated;
  Square(understated, 0, 0, 3);
  understated.get()->cCurves = 0;
  EXPECT_EQ(WritePath(device_, understated.get(), PATH_STROKE), nullptr);

  plat::gdi::PathObject huge;
  Square(huge, 0, 0, 3);
  huge.get()->cCurves = 0xFFFFFFFF;
  EXPECT_EQ(PathReservation(huge.get()), 0u);
  EXPECT_EQ(WritePath(device_, huge.get(), PATH_STROKE), nullptr);

  EXPECT_TRUE(Written().empty());
  // The next record starts where the dropped ones did.
  ASSERT_NE(EmitClipReset(&records()), nullptr);
  EXPECT_EQ(Written(), (std::vector<std::vector<BYTE>>{{0x37, 0, 0, 0}}));
}

TEST_F(PathTest, NoRoomNoRecord) {
  plat::gdi::PathObject p;
  Square(p, 0, 0, 3);
  StarveBuffer();
  EXPECT_EQ(WritePath(device_, p.get(), PATH_STROKE), nullptr);
}

TEST_F(PathTest, OutlinePayload) {
  plat::gdi::PathObject p;
  p.MoveTo(Px(1, 1));
  p.LineTo(Px(2, 1));
  p.CloseFigure();
  p.MoveTo(Px(5, 5));
  p.BezierTo(Px(6, 6), Px(7, 7), Px(8, 8));
  std::vector<BYTE> buf(OutlineCapacity(p.get()), 0xEE);
  ASSERT_EQ(buf.size(), 2u * 40 + 16);
  const DWORD n = WriteOutline(device_, p.get(), buf.data(), 16, -32);
  const auto want = Words({3 + 7 + 3 + 3 + 1,                       // size word
                           1, 32, -16u, 0, 48, -16u,                // first figure, moved
                           1, 96, 48, 1, 112, 64, 128, 80, 144, 96}); // second
  ASSERT_EQ(n, want.size());
  EXPECT_TRUE(std::equal(want.begin(), want.end(), buf.begin()));
  EXPECT_TRUE(Written().empty());  // the payload goes to the caller's buffer only

  plat::gdi::PathObject empty;
  BYTE small[16];
  EXPECT_EQ(WriteOutline(device_, empty.get(), small, 0, 0), 0u);
}

TEST_F(PathTest, TooComplexOnlyWithTheSwitch) {
  plat::gdi::PathObject p;
  p.MoveTo(Px(0, 0));
  for (int i = 0; i < 5000; ++i) p.LineTo(Px(i % 7, i % 5));
  EXPECT_FALSE(PathTooComplex(device_, p.get()));
  device_->hidden2Func11 = 1;
  EXPECT_FALSE(PathTooComplex(device_, p.get()));
  p.LineTo(Px(1, 1));
  EXPECT_TRUE(PathTooComplex(device_, p.get()));
  device_->hidden2Func11 = 0;
  EXPECT_FALSE(PathTooComplex(device_, p.get()));
}

}  // namespace
}  // namespace path_records_test
}  // namespace rendara::test
