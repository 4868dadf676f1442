// The watermark and copy-guard previews read back by their pixels: the colour of a density,
// nothing for a density of 0, and no fault for settings outside their ranges.
#include "page_engine_fixture.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "modules/preview_paint.h"
#include "win/paint.h"

namespace preview_paint_test {

constexpr int kWidth = 50, kHeight = 69;

class PreviewPaintTest : public kovatest::PageEngineTest {
 protected:
  void SetUp() override {
    PageEngineTest::SetUp();
    dc_ = CreateCompatibleDC(nullptr);
    HDC screen = GetDC(nullptr);
    bitmap_ = CreateCompatibleBitmap(screen, kWidth, kHeight);
    ReleaseDC(nullptr, screen);
    old_ = SelectObject(dc_, bitmap_);
  }
  void TearDown() override {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
    PageEngineTest::TearDown();
  }
  void White() {
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    RECT all{0, 0, kWidth, kHeight};
    FillRect(dc_, &all, white);
    DeleteObject(white);
  }
  // Pixels of the sheet by colour: red, black, any other than white.
  struct Count {
    int red = 0, black = 0, coloured = 0;
    RECT redBounds{kWidth, kHeight, -1, -1};
  };
  Count Pixels() {
    Count c;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        const COLORREF p = GetPixel(dc_, x, y);
        if (p == RGB(255, 0, 0)) {
          ++c.red;
          c.redBounds = {std::min<LONG>(c.redBounds.left, x), std::min<LONG>(c.redBounds.top, y),
                         std::max<LONG>(c.redBounds.right, x + 1), std::max<LONG>(c.redBounds.bottom, y + 1)};
        }
        if (p == RGB(0, 0, 0)) ++c.black;
        if (p != RGB(255, 255, 255)) ++c.coloured;
      }
    return c;
  }
  static void SetText(DriverContext* context, WORD id, const WCHAR* text) {
    SettingField* field = FindFieldById(context, id);
    ASSERT_NE(field, nullptr) << id;
    SetFieldString(context, field, text);
  }

  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

// The copy-guard swatch: density 5 of 5 is the colour, 0 white; a density past its range
// is the full colour, never a colour byte outside 0-255.
TEST_F(PreviewPaintTest, CopyGuardSwatchShowsTheDensityColour) {
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  ControlRecord swatch{};
  swatch.controlId = 2931;
  struct Case {
    DWORD on, density, colour;
    bool red, black;  // the swatch is red / black
    bool drawn;
  };
  const Case cases[] = {
      {1, 5, 1, true, false, true},  {1, 5, 0, false, true, true}, {1, 0, 0, false, false, false},
      {1, 0, 1, false, false, false},  {0, 5, 0, false, false, false},
      {1, 150, 0, false, true, true},  // past its range: the full density
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.on << " " << c.density << " " << c.colour);
    White();
    WriteFieldRawById(context, fid::kdmFuncSelectCopyProtect, c.on);
    WriteFieldRawById(context, fid::kdmCopyProtectDensity, c.density);
    WriteFieldRawById(context, fid::kdmCopyProtectColor, c.colour);
    RECT r{0, 0, kWidth, kHeight};
    PaintDensityPreview(context, &swatch, kWidth, kHeight, dc_, &r);
    const Count n = Pixels();
    EXPECT_EQ(n.red > 0, c.red);
    EXPECT_EQ(n.black > 0, c.black);
    EXPECT_EQ(n.coloured > 0, c.drawn);
    // The swatch covers the drawing area, 2 pixels smaller than the sheet, placed 2 up and
    // left of centre: (-1, -1) to (47, 66).
    EXPECT_EQ(n.coloured, c.drawn ? 47 * 66 : 0);
  }
}

// The watermark text's frame (effect 1) or circle (effect 2): pure red at density 100 with colour 1, nothing at
// density 0; turned by 90 degrees it stands upright; an angle, a density or a resolution
// outside its range draws what it can and never faults.
TEST_F(PreviewPaintTest, WatermarkTextByDensityColourAndScale) {
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  static const WORD kWords[] = {8,
                                fid::wdmWmChar,     fid::wdmWmFontName,  fid::wdmWmFontStyle, fid::wdmWmEffect,
                                fid::wdmWmColor,    fid::wdmWmDensity,   fid::wdmWmAngle,     fid::wdmWmFontPoint,
                                fid::wdmWmImage,    fid::wdmWmFontScale, fid::wdmWmPosi,      fid::wdmWmPosiTile,
                                fid::wdmWmOpaque,   fid::wdmWmPage};
  ControlRecord preview{};
  preview.controlId = 2039;
  preview.extraData = kWords;
  SetText(context, fid::wdmWmChar, u"SAMPLE");
  SetText(context, fid::wdmWmFontName, u"Arial");
  struct Case {
    const char* name;
    DWORD on, density, colour, angle, points, resolution, widthDots, lengthDots;
    bool red, drawn;
    int upright;  // 1 the frame is taller than wide, -1 wider than tall, 2 square, 0 not checked
    DWORD effect = 1;  // 1 a frame, 2 a circle
  };
  const Case cases[] = {
      {"red at 100", 1, 100, 1, 0, 144, 600, 4962, 7014, true, true, -1},
      {"turned by 90", 1, 100, 1, 90, 144, 600, 4962, 7014, true, true, 1},
      {"white at 0", 1, 0, 1, 0, 144, 600, 4962, 7014, false, false, 0},
      {"off", 0, 100, 1, 0, 144, 600, 4962, 7014, false, false, 0},
      {"angle past a turn", 1, 100, 1, 450, 144, 600, 4962, 7014, true, true, 1},
      {"angle at the top of its range", 1, 100, 1, 0x7FFFFFFF, 144, 600, 4962, 7014, true, true, 0},
      {"density past its range", 1, 250, 1, 0, 144, 600, 4962, 7014, true, true, -1},
      {"no resolution", 1, 100, 1, 0, 144, 0, 4962, 7014, false, false, 0},
      {"paper shorter than an inch", 1, 100, 1, 0, 144, 1200, 1100, 1100, false, false, 0},
      {"no paper", 1, 100, 1, 0, 144, 600, 0, 0, false, false, 0},
      {"circle", 1, 100, 1, 0, 72, 600, 4962, 7014, true, true, 2, 2},
      {"circle turned", 1, 100, 1, 30, 72, 600, 4962, 7014, true, true, 2, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    White();
    WriteFieldRawById(context, fid::kdmFuncSelectWaterMark, c.on);
    WriteFieldRawById(context, fid::kdmWmKind, 1);
    WriteFieldRawById(context, fid::wdmWmDensity, c.density);
    WriteFieldRawById(context, fid::wdmWmColor, c.colour);
    WriteFieldRawById(context, fid::wdmWmAngle, c.angle);
    WriteFieldRawById(context, fid::wdmWmFontPoint, c.points);
    WriteFieldRawById(context, fid::wdmWmEffect, c.effect);
    WriteFieldRawById(context, fid::wdmWmOpaque, 0);
    WriteFieldRawById(context, fid::wdmWmPosiTile, 0);
    WriteFieldRawById(context, fid::wdmWmPosi, 0);
    WriteFieldRawById(context, fid::kdmDstResolutionW, c.resolution);
    WriteFieldRawById(context, fid::kdmDstPaperWidthDot, c.widthDots);
    WriteFieldRawById(context, fid::kdmDstPaperLengthDot, c.lengthDots);
    RECT r{0, 0, kWidth, kHeight};
    PaintWatermarkPreview(context, &preview, kWidth, kHeight, dc_, &r);
    const Count n = Pixels();
    EXPECT_EQ(n.red > 0, c.red);
    EXPECT_EQ(n.coloured > 0, c.drawn);
    const LONG wide = n.redBounds.right - n.redBounds.left, tall = n.redBounds.bottom - n.redBounds.top;
    if (c.upright == 1) {
      EXPECT_GT(tall, wide);
    }
    if (c.upright < 0) {
      EXPECT_GT(wide, tall);
    }
    if (c.upright == 2) {
      EXPECT_LE(std::abs(wide - tall), 1);
      EXPECT_GT(wide, 10);
    }
  }
}

// The outline effect strokes only the edge of the text's glyphs: fewer pixels than the
// text drawn whole, but some.
TEST_F(PreviewPaintTest, WatermarkOutlineEffectStrokesTheGlyphEdges) {
  if (!std::filesystem::exists("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf")) GTEST_SKIP() << "no faces";
  DriverContext* context = Bound();
  ASSERT_NE(context, nullptr);
  static const WORD kWords[] = {8,
                                fid::wdmWmChar,     fid::wdmWmFontName,  fid::wdmWmFontStyle, fid::wdmWmEffect,
                                fid::wdmWmColor,    fid::wdmWmDensity,   fid::wdmWmAngle,     fid::wdmWmFontPoint,
                                fid::wdmWmImage,    fid::wdmWmFontScale, fid::wdmWmPosi,      fid::wdmWmPosiTile,
                                fid::wdmWmOpaque,   fid::wdmWmPage};
  ControlRecord preview{};
  preview.controlId = 2039;
  preview.extraData = kWords;
  SetText(context, fid::wdmWmChar, u"MW");
  SetText(context, fid::wdmWmFontName, u"Arial");
  WriteFieldRawById(context, fid::kdmFuncSelectWaterMark, 1);
  WriteFieldRawById(context, fid::kdmWmKind, 1);
  WriteFieldRawById(context, fid::wdmWmDensity, 100);
  WriteFieldRawById(context, fid::wdmWmColor, 1);
  WriteFieldRawById(context, fid::wdmWmAngle, 90);
  WriteFieldRawById(context, fid::wdmWmFontPoint, 288);
  WriteFieldRawById(context, fid::wdmWmFontStyle, 1);
  WriteFieldRawById(context, fid::wdmWmOpaque, 0);
  WriteFieldRawById(context, fid::wdmWmPosiTile, 0);
  WriteFieldRawById(context, fid::wdmWmPosi, 0);
  WriteFieldRawById(context, fid::kdmDstResolutionW, 600);
  WriteFieldRawById(context, fid::kdmDstPaperWidthDot, 4962);
  WriteFieldRawById(context, fid::kdmDstPaperLengthDot, 7014);
  int red[2] = {};
  for (DWORD effect : {0u, 3u}) {
    White();
    WriteFieldRawById(context, fid::wdmWmEffect, effect);
    RECT r{0, 0, kWidth, kHeight};
    PaintWatermarkPreview(context, &preview, kWidth, kHeight, dc_, &r);
    red[effect ? 1 : 0] = Pixels().red;
  }
  EXPECT_GT(red[0], 0);
  EXPECT_GT(red[1], 0);
  EXPECT_LT(red[1], red[0]);
}

}  // namespace preview_paint_test
