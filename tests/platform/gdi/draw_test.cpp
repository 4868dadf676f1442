// The engine's own drawing into bitmap surfaces: raster operations, copies with colour
// translation, stretching, clipping, path fills and strokes, glyph text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plat/engine.h"
#include "plat/gdi_objects.h"
#include "win/errors.h"
#include "win/winddi.h"

namespace draw_test {

namespace {

using namespace plat::gdi;

// An 8-bit top-down bitmap whose pixels the test reads as text rows.
class Canvas {
 public:
  Canvas(LONG w, LONG h, ULONG format = BMF_8BPP) {
    h_ = reinterpret_cast<HSURF>(EngCreateBitmap(SIZEL{w, h}, 0, format, BMF_TOPDOWN, nullptr));
    so_ = EngLockSurface(h_);
  }
  ~Canvas() {
    EngUnlockSurface(so_);
    EngDeleteSurface(h_);
  }
  SURFOBJ* so() { return so_; }
  BYTE At(LONG x, LONG y) const { return static_cast<const BYTE*>(so_->pvScan0)[y * so_->lDelta + x]; }
  void Set(LONG x, LONG y, BYTE v) { static_cast<BYTE*>(so_->pvScan0)[y * so_->lDelta + x] = v; }
  // Each pixel as one character: '.' for 0, else the digit/letter of the value.
  std::string Rows() const {
    std::string s;
    for (LONG y = 0; y < so_->sizlBitmap.cy; ++y) {
      for (LONG x = 0; x < so_->sizlBitmap.cx; ++x) {
        const BYTE v = At(x, y);
        s += v == 0 ? '.' : static_cast<char>(v < 10 ? '0' + v : 'a' + v - 10);
      }
      s += '\n';
    }
    return s;
  }

 private:
  HSURF h_;
  SURFOBJ* so_;
};

TEST(GdiDraw, PatternRopsOverDestination) {
  const struct {
    ROP4 rop;
    BYTE dst, brush, want;
  } cases[] = {
      {0xF0F0, 0x0F, 0x33, 0x33},  // PATCOPY
      {0x5A5A, 0x0F, 0x33, 0x3C},  // PATINVERT: P xor D
      {0xA0A0, 0x0F, 0x33, 0x03},  // P and D
      {0x5555, 0x0F, 0x33, 0xF0},  // DSTINVERT
      {0x0000, 0x0F, 0x33, 0x00},  // BLACKNESS
      {0xFFFF, 0x0F, 0x33, 0xFF},  // WHITENESS
      {0xAAAA, 0x0F, 0x33, 0x0F},  // no change
  };
  for (const auto& c : cases) {
    Canvas cv(2, 1);
    cv.Set(0, 0, c.dst);
    cv.Set(1, 0, c.dst);
    BrushObject brush(c.brush);
    RECTL r{0, 0, 1, 1};
    ASSERT_TRUE(EngBitBlt(cv.so(), nullptr, nullptr, nullptr, nullptr, &r, nullptr, nullptr, brush.get(), nullptr, c.rop))
        << std::hex << c.rop;
    EXPECT_EQ(cv.At(0, 0), c.want) << std::hex << c.rop;
    EXPECT_EQ(cv.At(1, 0), c.dst) << "outside the target";
  }
}

TEST(GdiDraw, CopyTranslatesAndClips) {
  Canvas src(4, 2);
  for (LONG x = 0; x < 4; ++x) src.Set(x, 0, static_cast<BYTE>(x)), src.Set(x, 1, static_cast<BYTE>(x + 4));
  XlateObject xlate({1, 9, 8, 7, 6, 5, 4, 3});
  Canvas dst(5, 3);
  auto clip = ClipObject::Region({{1, 0, 3, 3}});
  RECTL r{1, 1, 5, 3};
  POINTL from{0, 0};
  ASSERT_TRUE(EngCopyBits(dst.so(), src.so(), clip->get(), xlate.get(), &r, &from));
  EXPECT_EQ(dst.Rows(),
            ".....\n"
            ".19..\n"
            ".65..\n");
}

TEST(GdiDraw, StretchDoublesAndMirrors) {
  Canvas src(2, 1);
  src.Set(0, 0, 1);
  src.Set(1, 0, 2);
  Canvas dst(4, 2);
  RECTL to{0, 0, 4, 2};
  RECTL from{0, 0, 2, 1};
  ASSERT_TRUE(EngStretchBlt(dst.so(), src.so(), nullptr, nullptr, nullptr, nullptr, nullptr, &to, &from, nullptr,
                            COLORONCOLOR));
  EXPECT_EQ(dst.Rows(), "1122\n1122\n");
  RECTL mirrored{4, 0, 0, 1};
  ASSERT_TRUE(EngStretchBlt(dst.so(), src.so(), nullptr, nullptr, nullptr, nullptr, nullptr, &mirrored, &from, nullptr,
                            COLORONCOLOR));
  EXPECT_EQ(dst.Rows(), "2211\n1122\n");
}

TEST(GdiDraw, RefusalsLeaveTheSurfaceAlone) {
  Canvas cv(2, 2);
  RECTL r{0, 0, 2, 2};
  BrushObject pattern(0xFFFFFFFFu);
  SetLastError(0);
  EXPECT_FALSE(EngBitBlt(cv.so(), nullptr, nullptr, nullptr, nullptr, &r, nullptr, nullptr, pattern.get(), nullptr, 0xF0F0));
  EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
  // A source raster operation without a source.
  EXPECT_FALSE(EngBitBlt(cv.so(), nullptr, nullptr, nullptr, nullptr, &r, nullptr, nullptr, nullptr, nullptr, 0xCCCC));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  // A device surface has no bits.
  HSURF dev = EngCreateDeviceSurface(nullptr, SIZEL{2, 2}, BMF_24BPP);
  SURFOBJ* devObj = EngLockSurface(dev);
  BrushObject solid(1);
  EXPECT_FALSE(EngBitBlt(devObj, nullptr, nullptr, nullptr, nullptr, &r, nullptr, nullptr, solid.get(), nullptr, 0xF0F0));
  EngUnlockSurface(devObj);
  EngDeleteSurface(dev);
  EXPECT_EQ(cv.Rows(), "..\n..\n");
}

TEST(GdiDraw, PathFillFollowsTheFillRule) {
  // Two nested squares drawn the same way round: alternate leaves the hole, winding fills it.
  auto make = [](PathObject& p) {
    for (const RECTL& r : {RECTL{0, 0, 6, 6}, RECTL{2, 2, 4, 4}}) p.AddRect(r);
  };
  for (const FLONG mode : {FP_ALTERNATEMODE, FP_WINDINGMODE}) {
    Canvas cv(6, 6);
    PathObject path;
    make(path);
    BrushObject brush(1);
    ASSERT_TRUE(EngFillPath(cv.so(), path.get(), nullptr, brush.get(), nullptr, 0x0D0D, mode));
    EXPECT_EQ(cv.At(0, 0), 1);
    EXPECT_EQ(cv.At(5, 5), 1);
    EXPECT_EQ(cv.At(3, 3), mode == FP_WINDINGMODE ? 1 : 0) << mode;
  }
}

TEST(GdiDraw, StrokeDrawsOnePixelLinesInsideTheClip) {
  Canvas cv(6, 3);
  PathObject path;
  path.MoveTo({0, 16});
  path.LineTo({5 * 16, 16});
  BrushObject brush(7);
  auto clip = ClipObject::Rect(RECTL{1, 0, 4, 3});
  ASSERT_TRUE(EngStrokePath(cv.so(), path.get(), clip->get(), nullptr, brush.get(), nullptr, nullptr, 0x0D0D));
  EXPECT_EQ(cv.Rows(),
            "......\n"
            ".777..\n"
            "......\n");
}

TEST(GdiDraw, TextDrawsGlyphBitsWithAnOpaqueBackground) {
  Canvas cv(8, 3);
  std::vector<BYTE> ifi(sizeof(IFIMETRICS), 0);
  reinterpret_cast<IFIMETRICS*>(ifi.data())->cjThis = sizeof(IFIMETRICS);
  FontObject font(1, 1, FO_TYPE_DEVICE, ifi.data(), sizeof(IFIMETRICS), XFORML{1, 0, 0, 1, 0, 0});
  font.AddGlyph(1, POINTL{0, -2}, SIZEL{2, 2}, {0x80, 0x40}, 3 * 16);  // a diagonal
  StringObject str(u"xx", {{1, nullptr, {1, 2}}, {1, nullptr, {4, 2}}}, &font, SO_HORIZONTAL, 3, RECTL{0, 0, 8, 3}, true);
  BrushObject fore(5), back(2);
  RECTL opaque{0, 0, 8, 1};
  ASSERT_TRUE(EngTextOut(cv.so(), str.get(), font.get(), nullptr, nullptr, &opaque, fore.get(), back.get(), nullptr, 0x0D0D));
  EXPECT_EQ(cv.Rows(),
            "25225222\n"
            "..5..5..\n"
            "........\n");
}

}  // namespace

}  // namespace draw_test
