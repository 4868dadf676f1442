// Pens from line attributes: the scale of a transform, the width, join, cap, miter and
// style mask a pen gets, and which pen records a sequence of pens writes.
#include <cstring>
#include <vector>

#include "graphics_state.h"
#include "pens.h"
#include "plat/gdi_objects.h"
#include "record_walk.h"

namespace rendara::test {
namespace {

TEST(PenScale, OfTransforms) {
  struct Case {
    XFORML m;
    LONG scale;
  };
  const Case cases[] = {
      {{1, 0, 0, 1, 0, 0}, -1},       // identity
      {{1, 0, 0, 1, 5, 5}, 256},      // offset only: unit scale
      {{2, 0, 0, 2, 0, 0}, 512},
      {{-2, 0, 0, 2, 0, 0}, 0},       // axes differ by their x 8 values (-16 and 16)
      {{2, 0, 0, 1, 0, 0}, 0},        // 16 and 8 differ
      {{1.01f, 0, 0, 1, 0, 0}, 257},  // 8.08 and 8 truncate alike: (258 + 256) / 2
      {{0.5f, 0.5f, -0.5f, 0.5f, 0, 0}, 128},  // general: the diagonal only
  };
  for (const Case& c : cases) {
    plat::gdi::XformObject x(c.m);
    EXPECT_EQ(PenScale(x.get()), c.scale) << c.m.eM11 << " " << c.m.eM22;
  }
  EXPECT_EQ(PenScale(nullptr), -1);
}

class PenTest : public RecordsTest {
 protected:
  void SetUp() override {
    RecordsTest::SetUp();
    device_->resolution = 600;
  }
  static LINEATTRS Cosmetic(std::vector<FLOAT_LONG>* style = nullptr, FLONG extra = 0) {
    LINEATTRS la{};
    la.fl = extra | (style ? LA_STYLED : 0);
    la.eMiterLimit = 10.0f;
    if (style) {
      la.cstyle = static_cast<ULONG>(style->size());
      la.pstyle = style->data();
    }
    return la;
  }
  static LINEATTRS Geometric(float width, std::vector<FLOAT_LONG>* style = nullptr) {
    LINEATTRS la = Cosmetic(style);
    la.fl |= LA_GEOMETRIC;
    la.elWidth.e = width;
    return la;
  }
  static std::vector<FLOAT_LONG> Longs(std::initializer_list<LONG> v) {
    std::vector<FLOAT_LONG> s;
    for (LONG l : v) s.push_back(FLOAT_LONG{.l = l});
    return s;
  }
  static std::vector<FLOAT_LONG> Floats(std::initializer_list<float> v) {
    std::vector<FLOAT_LONG> s;
    for (float f : v) s.push_back(FLOAT_LONG{.e = f});
    return s;
  }
  Pen Make(const LINEATTRS& la, BOOL expect = TRUE, XFORMOBJ* xo = nullptr) {
    Pen pen{};
    geometric_ = 7;
    EXPECT_EQ(MakePen(device_, &la, 0x123456, xo, &pen, &geometric_), expect);
    return pen;
  }
  BOOL geometric_ = 0;
};

TEST_F(PenTest, CosmeticSolidLine) {
  const Pen pen = Make(Cosmetic());
  EXPECT_EQ(geometric_, FALSE);
  EXPECT_EQ(pen.width, 1);
  EXPECT_EQ(pen.mask, kSolidPenMask);
  EXPECT_EQ(pen.unit, 1);
  EXPECT_EQ(pen.phase, 0);
  EXPECT_EQ(pen.join, PEN_JOIN_ROUND);
  EXPECT_EQ(pen.cap, PEN_CAP_ROUND);
  EXPECT_EQ(pen.miter, kDefaultMiter);
  EXPECT_EQ(pen.color, 0x123456u);
  EXPECT_EQ(pen.reserved, 0);
}

TEST_F(PenTest, GeometricWidthJoinCapAndMiter) {
  LINEATTRS la = Geometric(10.7f);
  la.iJoin = JOIN_MITER;
  la.iEndCap = ENDCAP_BUTT;
  la.eMiterLimit = 4.0f;
  Pen pen = Make(la);
  EXPECT_EQ(geometric_, TRUE);
  EXPECT_EQ(pen.width, 10);
  EXPECT_EQ(pen.join, PEN_JOIN_MITER);
  EXPECT_EQ(pen.cap, PEN_CAP_BUTT);
  EXPECT_EQ(pen.miter, 1024u);

  la.iJoin = JOIN_BEVEL;
  la.iEndCap = ENDCAP_SQUARE;
  la.eMiterLimit = 0.5f;  // clamped up to 1.0
  pen = Make(la);
  EXPECT_EQ(pen.join, PEN_JOIN_BEVEL);
  EXPECT_EQ(pen.cap, PEN_CAP_SQUARE);
  EXPECT_EQ(pen.miter, 256u);

  la.eMiterLimit = 1e9f;  // clamped down to 32767
  EXPECT_EQ(Make(la).miter, 32767u * 256u);
}

TEST_F(PenTest, WidthAsIntegerAndThinLines) {
  LINEATTRS la = Geometric(0);
  la.elWidth.l = 5;  // a tiny float: truncates to 0, so the bits are the integer width
  EXPECT_EQ(Make(la).width, 5);
  la.elWidth.e = 0.0f;
  EXPECT_EQ(Make(la).width, 1);
  la.elWidth.e = -3.0f;
  EXPECT_EQ(Make(la).width, 1);
}

TEST_F(PenTest, ScaledWidthAndUnusableTransform) {
  plat::gdi::XformObject twice(XFORML{2, 0, 0, 2, 0, 0});
  EXPECT_EQ(Make(Geometric(10), TRUE, twice.get()).width, 20);
  plat::gdi::XformObject tiny(XFORML{0.01f, 0, 0, 0.01f, 0, 0});  // (2 + 2) / 2 = 2
  EXPECT_EQ(Make(Geometric(10), TRUE, tiny.get()).width, 1);       // (10 x 2) >> 8, at least 1
  plat::gdi::XformObject skewed(XFORML{2, 0, 0, 1, 0, 0});
  Make(Geometric(10), FALSE, skewed.get());
  EXPECT_EQ(geometric_, TRUE);
  // A width below 1 never asks for the scale. (A float width below 1 but above 0 truncates
  // to 0 and is read as the integer in the same bits: 0.5f is 0x3F000000, far above 1.)
  EXPECT_EQ(Make(Geometric(-1.0f), TRUE, skewed.get()).width, 1);
  Make(Geometric(0.5f), FALSE, skewed.get());
}

TEST_F(PenTest, StyledWideGeometricLineIsRefused) {
  auto style = Floats({4, 2});
  Make(Geometric(10, &style), FALSE);
  EXPECT_EQ(geometric_, TRUE);
}

TEST_F(PenTest, StyleMasks) {
  struct Case {
    const char* name;
    std::vector<FLOAT_LONG> style;
    bool geometric;
    FLONG extra;
    WORD resolution;
    BOOL result;
    DWORD mask;
    WORD unit;
    WORD phase;
  };
  const Case cases[] = {
      // 36 and 12 pixels: unit 1, scaled to 24 and 8.
      {"dash 3 1", Longs({3, 1}), false, 0, 600, TRUE, 0xFFFFFF00, 1, 0},
      // 12 and 12: the remainder 8 is spread, 16 and 16.
      {"dash 1 1", Longs({1, 1}), false, 0, 600, TRUE, 0xFFFF0000, 1, 0},
      // 4 and 4 at 100 dpi: repeated four times.
      {"short repeated", Longs({2, 2}), false, 0, 100, TRUE, 0xF0F0F0F0, 1, 0},
      // A start gap of 6 over a pattern of 48 pixels: phase 6 x 32 / 48 = 4.
      {"start gap", Longs({6, 3, 1}), false, LA_STARTGAP, 600, TRUE, 0xFFFFFF00, 1, 4},
      // Only the gap's low byte counts: 0x106 is 6.
      {"gap low byte", Longs({0x106, 3, 1}), false, LA_STARTGAP, 600, TRUE, 0xFFFFFF00, 1, 4},
      // A start gap longer than the pattern wraps around: 60 of 48 is 12 of 48.
      {"long gap", Longs({60, 3, 1}), false, LA_STARTGAP, 600, TRUE, 0xFFFFFF00, 1, 8},
      // One element is solid, also when a start gap leaves only one.
      {"one element", Longs({3}), false, 0, 600, TRUE, kSolidPenMask, 1, 0},
      {"gap and one", Longs({2, 3}), false, LA_STARTGAP, 600, TRUE, kSolidPenMask, 1, 0},
      {"all zero", Longs({0, 0}), false, 0, 600, TRUE, kSolidPenMask, 1, 0},
      // A zero takes its successor: 24 24 12 of 60, scaled to 12 12 6, topped up to 13 13 6.
      {"zero length", Longs({0, 2, 1}), false, 0, 600, TRUE, 0xFFF8003F, 1, 0},
      // 12000 and 12000: unit 750 is held at 255 for a cosmetic line.
      {"huge cosmetic", Longs({1000, 1000}), false, 0, 600, TRUE, 0xFFFF0000, 255, 0},
      // Forty lengths cannot each keep a bit: solid.
      {"too many", std::vector<FLOAT_LONG>(40, FLOAT_LONG{.l = 1}), false, 0, 600, TRUE, kSolidPenMask, 1, 0},
      // Geometric lengths are pixels: 8 and 8 repeated twice.
      {"geometric 8 8", Floats({8, 8}), true, 0, 600, TRUE, 0xFF00FF00, 1, 0},
      {"geometric huge", Floats({10000, 10000}), true, 0, 600, FALSE, kSolidPenMask, 1, 0},
      {"geometric too many", std::vector<FLOAT_LONG>(40, FLOAT_LONG{.e = 12}), true, 0, 600, FALSE, kSolidPenMask,
       1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    device_->resolution = c.resolution;
    auto style = c.style;
    LINEATTRS la = c.geometric ? Geometric(1, &style) : Cosmetic(&style);
    la.fl |= c.extra;
    const Pen pen = Make(la, c.result);
    if (!c.result) continue;
    EXPECT_EQ(pen.mask, c.mask) << std::hex << pen.mask;
    EXPECT_EQ(pen.unit, c.unit);
    EXPECT_EQ(pen.phase, c.phase);
    EXPECT_EQ(pen.width, 1);
  }
}

TEST_F(PenTest, StyleScaledWithTheWidth) {
  // Width 1 under a half scale stays 1 and scales its lengths: 16 and 16 become 8 and 8.
  plat::gdi::XformObject half(XFORML{0.5f, 0, 0, 0.5f, 0, 0});
  auto style = Floats({16, 16});
  const Pen pen = Make(Geometric(2, &style), TRUE, half.get());
  EXPECT_EQ(pen.width, 1);
  EXPECT_EQ(pen.mask, 0xFF00FF00u);
}

TEST_F(PenTest, StyleLeavesNoBlocksBehind) {
  const std::size_t before = DeviceBlockCount(heap_);
  auto style = Longs({2, 2});
  device_->resolution = 100;
  Make(Cosmetic(&style));
  EXPECT_EQ(DeviceBlockCount(heap_), before);
}

TEST_F(PenTest, SendPenWritesWhatChanged) {
  Pen pen{};
  pen.width = 3;
  pen.unit = 2;
  pen.mask = 0xF0F0F0F0;
  pen.phase = 5;
  pen.cap = PEN_CAP_SQUARE;
  pen.join = PEN_JOIN_MITER;
  pen.miter = 1024;
  ASSERT_TRUE(SendPen(device_, &pen));
  const auto first = Written();
  ASSERT_EQ(first.size(), 4u);
  EXPECT_EQ(first[0], (std::vector<BYTE>{0x33, 2, 3, 0, 0xF0, 0xF0, 0xF0, 0xF0}));
  EXPECT_EQ(first[1], (std::vector<BYTE>{0x34, 5, 0, 0}));
  EXPECT_EQ(first[2], (std::vector<BYTE>{0x35, 2, 0, 0}));
  EXPECT_EQ(first[3], (std::vector<BYTE>{0x36, 2, 0, 0, 0x00, 0x04, 0, 0}));

  ASSERT_TRUE(SendPen(device_, &pen));
  EXPECT_TRUE(Opcodes().empty());

  struct Change {
    void (*apply)(Pen&);
    std::vector<BYTE> ops;
  };
  const Change changes[] = {
      {[](Pen& p) { p.width = 4; }, {0x33}},
      {[](Pen& p) { p.mask = kSolidPenMask; }, {0x33}},
      {[](Pen& p) { p.unit = 1; }, {0x33}},
      {[](Pen& p) { p.phase = 0; }, {0x34}},
      {[](Pen& p) { p.cap = PEN_CAP_BUTT; }, {0x35}},
      {[](Pen& p) { p.miter = 2560; }, {0x36}},
      {[](Pen& p) { p.join = PEN_JOIN_ROUND; }, {0x36}},
      {[](Pen& p) { p.color = 0xFF; }, {}},  // the colour travels in the colour record
  };
  for (const Change& c : changes) {
    c.apply(pen);
    ASSERT_TRUE(SendPen(device_, &pen));
    EXPECT_EQ(Opcodes(), c.ops);
  }

  InvalidateDrawingState(device_);
  ASSERT_TRUE(SendPen(device_, &pen));
  EXPECT_EQ(Opcodes(), (std::vector<BYTE>{0x33, 0x34, 0x35, 0x36}));
}

TEST_F(PenTest, FailedPenLeavesStateInvalid) {
  Pen pen{};
  pen.width = 1;
  pen.unit = 1;
  pen.mask = kSolidPenMask;
  pen.miter = kDefaultMiter;
  StarveBuffer();
  EXPECT_FALSE(SendPen(device_, &pen));
  EXPECT_FALSE(device_->drawing.pen.valid);
}

}  // namespace
}  // namespace rendara::test
