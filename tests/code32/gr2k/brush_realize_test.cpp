// Brush realization: hatch and pattern brushes become the 32 x 32 patterns of the brush
// record, in visual order, with the colours the colour record takes.
#include <cstring>
#include <vector>

#include "brush_realize.h"
#include "buffer_fixture.h"
#include "ddi.h"
#include "graphics_state.h"
#include "plat/gdi_objects.h"
#include "win/errors.h"

namespace rendara::test {
namespace {

// An engine bitmap locked for direct access; rows are written in visual order.
struct PatternSurface {
  PatternSurface(LONG w, LONG h, ULONG format, bool topDown) {
    handle = reinterpret_cast<HSURF>(EngCreateBitmap(SIZEL{w, h}, 0, format, topDown ? BMF_TOPDOWN : 0, nullptr));
    so = handle ? EngLockSurface(handle) : nullptr;
  }
  ~PatternSurface() {
    if (so) EngUnlockSurface(so);
    if (handle) EngDeleteSurface(handle);
  }
  BYTE* Row(LONG y) { return static_cast<BYTE*>(so->pvScan0) + static_cast<std::ptrdiff_t>(y) * so->lDelta; }
  void Put24(LONG x, LONG y, DWORD c) {
    BYTE* p = Row(y) + x * 3;
    p[0] = static_cast<BYTE>(c);
    p[1] = static_cast<BYTE>(c >> 8);
    p[2] = static_cast<BYTE>(c >> 16);
  }
  HSURF handle = nullptr;
  SURFOBJ* so = nullptr;
};

DWORD Pixel24(const RealizedBrush* b, int x, int y) {
  const BYTE* p = b->Pattern() + y * kPattern24bppRow + x * 3;
  return p[0] | (p[1] << 8) | (static_cast<DWORD>(p[2]) << 16);
}
DWORD Row1(const RealizedBrush* b, int y) {
  const BYTE* p = b->Pattern() + y * 4;
  return (static_cast<DWORD>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

class RealizeTest : public BufferTest {
 protected:
  void SetUp() override {
    BufferTest::SetUp();
    target_.dhpdev = reinterpret_cast<DHPDEV>(device_);
  }
  // Realizes through the DDI entry point; the realized brush or null.
  const RealizedBrush* Realize(plat::gdi::BrushObject& brush, SURFOBJ* pattern, XLATEOBJ* xlate, ULONG hatch) {
    if (!DrvRealizeBrush(brush.get(), &target_, pattern, nullptr, xlate, hatch)) return nullptr;
    return static_cast<const RealizedBrush*>(brush.get()->pvRbrush);
  }
  SURFOBJ target_{};
  plat::gdi::BrushObject brush_{nullptr, nullptr, nullptr, nullptr, 0};
};

TEST_F(RealizeTest, HatchStylesScaleFourTimes) {
  struct Case {
    ULONG style;
    int row;
    DWORD bits;
  } cases[] = {
      {0, 15, 0}, {0, 16, 0xFFFFFFFF}, {0, 19, 0xFFFFFFFF}, {0, 20, 0},       {1, 0, 0x0000F000},
      {1, 31, 0x0000F000}, {2, 0, 0xF0000000}, {2, 3, 0xF0000000}, {2, 4, 0x0F000000}, {2, 31, 0x0000000F},
      {3, 0, 0x0000000F}, {4, 17, 0xFFFFFFFF}, {4, 0, 0x0000F000}, {5, 0, 0xF000000F}, {5, 12, 0x000FF000},
  };
  plat::gdi::XlateObject xlate({0x111111, 0x222222});
  for (const Case& c : cases) {
    plat::gdi::BrushObject brush(nullptr, nullptr, nullptr, nullptr, c.style);
    const RealizedBrush* b = Realize(brush, nullptr, xlate.get(), c.style);
    ASSERT_NE(b, nullptr) << c.style;
    EXPECT_EQ(b->kind, BRUSH_PATTERN_1BPP);
    EXPECT_EQ(b->bitsPerPixel, 1);
    EXPECT_EQ(b->side, 32);
    EXPECT_EQ(b->firstColor, 0x222222u);
    EXPECT_EQ(b->secondColor, 0x111111u);
    EXPECT_EQ(Row1(b, c.row), c.bits) << "style " << c.style << " row " << c.row;
  }
}

TEST_F(RealizeTest, OneBitPatternIsInvertedDoubledAndInVisualOrder) {
  for (bool topDown : {true, false}) {
    PatternSurface p(8, 8, BMF_1BPP, topDown);
    ASSERT_NE(p.so, nullptr);
    for (LONG y = 0; y < 8; ++y) p.Row(y)[0] = y == 0 ? 0xFF : (y == 3 ? 0x80 : 0x00);
    plat::gdi::BrushObject brush(nullptr, nullptr, nullptr, nullptr, HS_DDI_MAX);
    plat::gdi::XlateObject xlate({0x000000, 0xFFFFFF});
    const RealizedBrush* b = Realize(brush, p.so, xlate.get(), HS_DDI_MAX);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->kind, BRUSH_PATTERN_1BPP);
    EXPECT_EQ(b->firstColor, 0u);
    EXPECT_EQ(b->secondColor, 0xFFFFFFu);
    for (int r : {0, 1, 16, 17}) EXPECT_EQ(Row1(b, r), 0u) << topDown << " row " << r;
    for (int r : {6, 7, 22, 23}) EXPECT_EQ(Row1(b, r), 0x3FFF3FFFu) << topDown << " row " << r;
    for (int r : {2, 15, 31}) EXPECT_EQ(Row1(b, r), 0xFFFFFFFFu) << topDown << " row " << r;
  }
}

TEST_F(RealizeTest, OneBitPatternWithoutTranslationIsBlackOnWhite) {
  PatternSurface p(8, 8, BMF_1BPP, true);
  const RealizedBrush* b = Realize(brush_, p.so, nullptr, HS_DDI_MAX);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->firstColor, 0u);
  EXPECT_EQ(b->secondColor, 0xFFFFFFu);
}

TEST_F(RealizeTest, OddSizedOneBitPatternIsTiledAtFullScale) {
  PatternSurface p(3, 2, BMF_1BPP, true);
  p.Row(0)[0] = 0x80;  // pixel (0, 0) set
  p.Row(1)[0] = 0x00;
  const RealizedBrush* b = Realize(brush_, p.so, nullptr, HS_DDI_MAX);
  ASSERT_NE(b, nullptr);
  // Row 0: pixels 0, 3, 6 ... are source 1 bits, inverted to 0.
  const DWORD row0 = Row1(b, 0);
  for (int x = 0; x < 32; ++x) EXPECT_EQ((row0 >> (31 - x)) & 1, x % 3 == 0 ? 0u : 1u) << x;
  EXPECT_EQ(Row1(b, 1), 0xFFFFFFFFu);
  EXPECT_EQ(Row1(b, 2), row0);
}

TEST_F(RealizeTest, TrueColourPatternOfOneColourIsOneBit) {
  PatternSurface p(8, 8, BMF_24BPP, true);
  for (LONG y = 0; y < 8; ++y)
    for (LONG x = 0; x < 8; ++x) p.Put24(x, y, 0x123456);
  const RealizedBrush* b = Realize(brush_, p.so, nullptr, HS_DDI_MAX);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->kind, BRUSH_PATTERN_1BPP);
  EXPECT_EQ(b->firstColor, 0x123456u);
  EXPECT_EQ(b->secondColor, 0u);
  for (int r = 0; r < 32; ++r) EXPECT_EQ(Row1(b, r), 0xFFFFFFFFu) << r;
}

TEST_F(RealizeTest, TrueColourPatternOfTwoColoursMarksTheFirstFound) {
  PatternSurface p(8, 8, BMF_24BPP, true);
  for (LONG y = 0; y < 8; ++y)
    for (LONG x = 0; x < 8; ++x) p.Put24(x, y, x == 7 ? 0xAABBCC : 0x010203);
  const RealizedBrush* b = Realize(brush_, p.so, nullptr, HS_DDI_MAX);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->kind, BRUSH_PATTERN_1BPP);
  EXPECT_EQ(b->firstColor, 0x010203u);
  EXPECT_EQ(b->secondColor, 0xAABBCCu);
  EXPECT_EQ(Row1(b, 5), 0xFFFCFFFCu);
}

TEST_F(RealizeTest, TrueColourPatternOfThreeColoursIsTiledFourByFour) {
  for (bool topDown : {true, false}) {
    PatternSurface p(8, 8, BMF_24BPP, topDown);
    for (LONG y = 0; y < 8; ++y)
      for (LONG x = 0; x < 8; ++x) p.Put24(x, y, static_cast<DWORD>(0x10000 * y + x + 1));
    plat::gdi::BrushObject brush(nullptr, nullptr, nullptr, nullptr, HS_DDI_MAX);
    const RealizedBrush* b = Realize(brush, p.so, nullptr, HS_DDI_MAX);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->kind, BRUSH_PATTERN_24BPP);
    EXPECT_EQ(b->bitsPerPixel, 24);
    EXPECT_EQ(b->firstColor, 0u);
    EXPECT_EQ(b->secondColor, 0xFFFFFFu);
    for (int y : {0, 7, 8, 31})
      for (int x : {0, 5, 8, 31})
        EXPECT_EQ(Pixel24(b, x, y), static_cast<DWORD>(0x10000 * (y % 8) + x % 8 + 1)) << topDown << x << "," << y;
  }
}

TEST_F(RealizeTest, SmallIndexedPatternIsStretchedToASquareAndTiled) {
  PatternSurface p(4, 4, BMF_8BPP, true);
  for (LONG y = 0; y < 4; ++y)
    for (LONG x = 0; x < 4; ++x) p.Row(y)[x] = static_cast<BYTE>(4 * y + x);
  std::vector<ULONG> table(256);
  for (ULONG i = 0; i < 256; ++i) table[i] = 0x010000 * i + 0x80;
  plat::gdi::XlateObject xlate(table);
  const RealizedBrush* b = Realize(brush_, p.so, xlate.get(), HS_DDI_MAX);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->kind, BRUSH_PATTERN_24BPP);
  for (int y : {0, 1, 2, 7, 8, 30})
    for (int x : {0, 1, 3, 6, 9, 31})
      EXPECT_EQ(Pixel24(b, x, y), table[4 * ((y % 8) / 2) + (x % 8) / 2]) << x << "," << y;
}

TEST_F(RealizeTest, PixelFormatsOfTheTrueColourForm) {
  {
    PatternSurface p(8, 8, BMF_16BPP, true);
    for (LONG y = 0; y < 8; ++y)
      for (LONG x = 0; x < 8; ++x) {
        const WORD v = x == 0 ? 0x7FFF : (x == 1 ? 0x001F : (x == 2 ? 0x03E0 : 0x7C00));
        p.Row(y)[2 * x] = static_cast<BYTE>(v);
        p.Row(y)[2 * x + 1] = static_cast<BYTE>(v >> 8);
      }
    plat::gdi::BrushObject brush(nullptr, nullptr, nullptr, nullptr, HS_DDI_MAX);
    const RealizedBrush* b = Realize(brush, p.so, nullptr, HS_DDI_MAX);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(Pixel24(b, 8, 9), 0xF7F7F7u);
    EXPECT_EQ(Pixel24(b, 9, 9), 0x0000F7u);
    EXPECT_EQ(Pixel24(b, 10, 9), 0x00F700u);
    EXPECT_EQ(Pixel24(b, 11, 9), 0xF70000u);
  }
  {
    PatternSurface p(8, 8, BMF_32BPP, true);
    for (LONG y = 0; y < 8; ++y)
      for (LONG x = 0; x < 8; ++x) std::memcpy(p.Row(y) + 4 * x, "\x01\x02\x03\xFF", 4);
    p.Row(2)[4] = 0x09;  // a second colour in pixel (1, 2)
    plat::gdi::BrushObject brush(nullptr, nullptr, nullptr, nullptr, HS_DDI_MAX);
    const RealizedBrush* b = Realize(brush, p.so, nullptr, HS_DDI_MAX);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->kind, BRUSH_PATTERN_24BPP);  // only a 24-bit source is checked for two colours
    EXPECT_EQ(Pixel24(b, 0, 0), 0x030201u);
    EXPECT_EQ(Pixel24(b, 17, 26), 0x030209u);
  }
  {
    PatternSurface p(8, 8, BMF_4BPP, true);
    for (LONG y = 0; y < 8; ++y) std::memset(p.Row(y), 0x12, 4);
    plat::gdi::XlateObject xlate({0, 0xA0A0A0, 0xB0B0B0});
    plat::gdi::BrushObject brush(nullptr, nullptr, nullptr, nullptr, HS_DDI_MAX);
    const RealizedBrush* b = Realize(brush, p.so, xlate.get(), HS_DDI_MAX);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(Pixel24(b, 0, 0), 0xA0A0A0u);
    EXPECT_EQ(Pixel24(b, 1, 0), 0xB0B0B0u);
  }
}

TEST_F(RealizeTest, RefusedRealizations) {
  // A hatch index past the hatch styles without a pattern.
  EXPECT_EQ(Realize(brush_, nullptr, nullptr, HS_DDI_MAX), nullptr);
  // A one-bit pattern whose memory is shorter than its rows.
  BYTE bits[4] = {};
  SURFOBJ small{};
  small.sizlBitmap = SIZEL{8, 8};
  small.pvBits = bits;
  small.cjBits = sizeof bits;
  small.lDelta = 4;
  small.iBitmapFormat = BMF_1BPP;
  small.fjBitmap = BMF_TOPDOWN;
  EXPECT_EQ(Realize(brush_, &small, nullptr, HS_DDI_MAX), nullptr);
  // A brush object the engine did not make cannot be given a realization.
  BRUSHOBJ foreign{0xFFFFFFFFu, nullptr, 0};
  EXPECT_FALSE(DrvRealizeBrush(&foreign, &target_, nullptr, nullptr, nullptr, 0));
  // An invalid device.
  SURFOBJ stranger{};
  SetLastError(0);
  EXPECT_FALSE(DrvRealizeBrush(brush_.get(), &stranger, nullptr, nullptr, nullptr, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(RealizeTest, RealizedPatternsBecomeBrushRecords) {
  // A hatch: 128 pattern bytes behind the 6-byte record head.
  plat::gdi::BrushObject hatch(nullptr, nullptr, nullptr, nullptr, 0);
  const RealizedBrush* one = Realize(hatch, nullptr, nullptr, 0);
  ASSERT_NE(one, nullptr);
  ASSERT_TRUE(SendBrush(device_, one));
  // A three-colour 24-bit pattern: 3072 bytes.
  PatternSurface p(8, 8, BMF_24BPP, true);
  for (LONG y = 0; y < 8; ++y)
    for (LONG x = 0; x < 8; ++x) p.Put24(x, y, static_cast<DWORD>(x));
  const RealizedBrush* full = Realize(brush_, p.so, nullptr, HS_DDI_MAX);
  ASSERT_NE(full, nullptr);
  ASSERT_TRUE(SendBrush(device_, full));
  ASSERT_TRUE(FlushRecords(&records()));
  std::vector<BYTE> s;
  for (const auto& b : ParseBlocks(log_.Bytes())) s.insert(s.end(), b.payload.begin(), b.payload.end());
  ASSERT_EQ(s.size(), 136u + 3080u);
  EXPECT_EQ(s[0], 0x40);
  EXPECT_EQ(s[1], 0x80);
  EXPECT_EQ(s[2], 32);
  EXPECT_EQ(s[4] | s[5] << 8, 128);
  EXPECT_EQ(0, std::memcmp(&s[6], one->Pattern(), 128));
  EXPECT_EQ(s[6 + 16 * 4], 0xFF);  // row 16 of the horizontal hatch
  EXPECT_EQ(s[136], 0x40);
  EXPECT_EQ(s[137], 0x81);
  EXPECT_EQ(s[140] | s[141] << 8, 3072);
  EXPECT_EQ(0, std::memcmp(&s[142], full->Pattern(), 3072));
}

TEST_F(RealizeTest, SolidColoursAreLeftToTheEngine) {
  ULONG dither[64] = {};
  EXPECT_EQ(DrvDitherColor(reinterpret_cast<DHPDEV>(device_), 0, 0x808080, dither), DCR_HALFTONE);
}

TEST(TwoColourCheck, StopsAtTheThirdColour) {
  BYTE p[8 * 24] = {};
  DWORD c[2] = {9, 9};
  ASSERT_TRUE(TwoColorCheck(p, c));
  EXPECT_EQ(c[0], 0u);
  EXPECT_EQ(c[1], 0u);
  p[7 * 24 + 21] = 1;  // last pixel, lowest byte
  ASSERT_TRUE(TwoColorCheck(p, c));
  EXPECT_EQ(c[1], 1u);
  p[3 * 24 + 2] = 0x80;  // pixel (0, 3), highest byte
  EXPECT_FALSE(TwoColorCheck(p, c));
}

}  // namespace
}  // namespace rendara::test
