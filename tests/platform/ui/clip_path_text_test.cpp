// The window system's excluded clipping rectangles, polygons, paths and their outlines,
// text turned by its font's escapement and the palette-based display's nearest colours.
#include <algorithm>
#include <filesystem>
#include <string>

#include "ui_fixture.h"
#include "win/paint.h"

namespace clip_path_text_test {

constexpr int kSize = 40;

class ClipPathTextTest : public kovatest::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    dc_ = CreateCompatibleDC(nullptr);
    HDC screen = GetDC(nullptr);
    bitmap_ = CreateCompatibleBitmap(screen, kSize, kSize);
    ReleaseDC(nullptr, screen);
    old_ = SelectObject(dc_, bitmap_);
    White();
  }
  void TearDown() override {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
    UiTest::TearDown();
  }
  void White() {
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    RECT all{0, 0, kSize, kSize};
    FillRect(dc_, &all, white);
    DeleteObject(white);
  }
  // The pixels of one colour and their bounds.
  struct Ink {
    int count = 0;
    RECT bounds{kSize, kSize, -1, -1};
  };
  Ink InkOf(COLORREF colour) {
    Ink ink;
    for (int y = 0; y < kSize; ++y)
      for (int x = 0; x < kSize; ++x) {
        if (GetPixel(dc_, x, y) != colour) continue;
        ++ink.count;
        ink.bounds = RECT{std::min<LONG>(ink.bounds.left, x), std::min<LONG>(ink.bounds.top, y),
                          std::max<LONG>(ink.bounds.right, x + 1), std::max<LONG>(ink.bounds.bottom, y + 1)};
      }
    return ink;
  }
  // Pixels that are neither white nor exactly the colour (text edges blend).
  int Dark() {
    int n = 0;
    for (int y = 0; y < kSize; ++y)
      for (int x = 0; x < kSize; ++x)
        if (GetPixel(dc_, x, y) != RGB(255, 255, 255)) ++n;
    return n;
  }
  static bool HaveFaces() { return std::filesystem::exists("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"); }

  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

// An excluded rectangle keeps fills, lines and copies out; the answer names what is left.
TEST_F(ClipPathTextTest, ExcludedRectanglesAreNotDrawnInto) {
  EXPECT_EQ(ExcludeClipRect(nullptr, 0, 0, 1, 1), RGN_ERROR);
  EXPECT_EQ(ExcludeClipRect(dc_, 50, 50, 60, 60), SIMPLEREGION);  // beside the picture
  EXPECT_EQ(ExcludeClipRect(dc_, 10, 10, 20, 20), COMPLEXREGION);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  RECT all{0, 0, kSize, kSize};
  FillRect(dc_, &all, red);
  struct Pixel {
    int x, y;
    COLORREF colour;
  };
  for (const Pixel& p : {Pixel{9, 9, RGB(255, 0, 0)}, Pixel{10, 10, RGB(255, 255, 255)},
                         Pixel{19, 19, RGB(255, 255, 255)}, Pixel{20, 20, RGB(255, 0, 0)}}) {
    SCOPED_TRACE(testing::Message() << p.x << "," << p.y);
    EXPECT_EQ(GetPixel(dc_, p.x, p.y), p.colour);
  }
  EXPECT_EQ(InkOf(RGB(255, 255, 255)).count, 100);
  // A copy into the context keeps out of it as well.
  HDC source = CreateCompatibleDC(dc_);
  HBITMAP black = CreateCompatibleBitmap(dc_, kSize, kSize);
  HGDIOBJ oldSource = SelectObject(source, black);
  PatBlt(source, 0, 0, kSize, kSize, BLACKNESS);
  BitBlt(dc_, 0, 0, kSize, kSize, source, 0, 0, SRCCOPY);
  EXPECT_EQ(InkOf(RGB(0, 0, 0)).count, kSize * kSize - 100);
  EXPECT_EQ(ExcludeClipRect(dc_, -1, -1, kSize + 1, kSize + 1), NULLREGION);
  SelectObject(source, oldSource);
  DeleteObject(black);
  DeleteDC(source);
  DeleteObject(red);
}

// A polygon fills its inside with the brush and its edge with the pen; inside a path it is
// kept for the stroke; a stroke draws the outlines of the path's figures and forgets them.
TEST_F(ClipPathTextTest, PolygonsAndStrokedPaths) {
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  HPEN red = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
  HGDIOBJ oldBrush = SelectObject(dc_, blue);
  HGDIOBJ oldPen = SelectObject(dc_, red);
  const POINT square[] = {{5, 5}, {25, 5}, {25, 25}, {5, 25}};
  ASSERT_TRUE(Polygon(dc_, square, 4));
  EXPECT_EQ(GetPixel(dc_, 15, 15), RGB(0, 0, 255));
  EXPECT_EQ(GetPixel(dc_, 5, 15), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(dc_, 25, 25), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(dc_, 26, 15), RGB(255, 255, 255));
  const POINT triangle[] = {{10, 30}, {30, 30}, {20, 38}};
  EXPECT_FALSE(Polygon(dc_, triangle, 1));
  EXPECT_FALSE(Polygon(dc_, nullptr, 3));

  White();
  EXPECT_FALSE(EndPath(dc_));  // no path open
  ASSERT_TRUE(BeginPath(dc_));
  Rectangle(dc_, 2, 2, 12, 12);
  Polygon(dc_, triangle, 3);
  MoveToEx(dc_, 30, 2, nullptr);
  LineTo(dc_, 30, 20);
  EXPECT_FALSE(StrokePath(dc_));  // the path is still open
  EXPECT_EQ(Dark(), 0);           // nothing drawn while the path is gathered
  ASSERT_TRUE(EndPath(dc_));
  ASSERT_TRUE(StrokePath(dc_));
  struct Pixel {
    int x, y;
    COLORREF colour;
  };
  for (const Pixel& p : {Pixel{2, 2, RGB(255, 0, 0)}, Pixel{11, 11, RGB(255, 0, 0)}, Pixel{6, 6, RGB(255, 255, 255)},
                         Pixel{20, 30, RGB(255, 0, 0)}, Pixel{20, 33, RGB(255, 255, 255)},
                         Pixel{30, 2, RGB(255, 0, 0)}, Pixel{30, 20, RGB(255, 0, 0)}}) {
    SCOPED_TRACE(testing::Message() << p.x << "," << p.y);
    EXPECT_EQ(GetPixel(dc_, p.x, p.y), p.colour);
  }
  EXPECT_FALSE(StrokePath(dc_));  // the stroke forgot the path
  SelectObject(dc_, oldPen);
  SelectObject(dc_, oldBrush);
  DeleteObject(red);
  DeleteObject(blue);
}

// Text turned by its escapement runs from its origin in the turned direction: upward at
// 90 degrees, leftward at 180, downward at 270; inside a path only the edge of its glyphs is
// stroked.
TEST_F(ClipPathTextTest, TextTurnedByItsEscapementAndOutlinedInAPath) {
  if (!HaveFaces()) GTEST_SKIP() << "no TrueType faces";
  struct Case {
    LONG escapement;
    int x, y;
    // Where the ink lies: the text runs from (x, y) to this side.
    bool up, left, down;
  };
  const Case cases[] = {
      {900, 4, 36, true, false, false},
      {1800, 36, 36, false, true, false},
      {2700, 20, 2, false, false, true},
      {900 + 3600 * 2, 4, 36, true, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.escapement);
    White();
    LOGFONTW lf{};
    lf.lfHeight = -10;
    lf.lfEscapement = c.escapement;
    lf.lfWeight = 400;
    HFONT font = CreateFontIndirectW(&lf);
    HGDIOBJ oldFont = SelectObject(dc_, font);
    SetTextColor(dc_, RGB(255, 0, 0));
    SetBkMode(dc_, TRANSPARENT);
    ASSERT_TRUE(TextOutW(dc_, c.x, c.y, u"MMM", 3));
    const Ink ink = InkOf(RGB(255, 0, 0));
    ASSERT_GT(ink.count, 0);
    const LONG wide = ink.bounds.right - ink.bounds.left, tall = ink.bounds.bottom - ink.bounds.top;
    if (c.up || c.down) {
      EXPECT_GT(tall, wide);
    }
    if (c.left) {
      EXPECT_GT(wide, tall);
      EXPECT_LE(ink.bounds.right, c.x + 1);
    }
    if (c.up) {
      EXPECT_LE(ink.bounds.bottom, c.y + 1);
    }
    if (c.down) {
      EXPECT_GE(ink.bounds.top, c.y - 1);
    }
    SelectObject(dc_, oldFont);
    DeleteObject(font);
  }

  // The outline of a bold text in a path: fewer pixels than the filled text, none before
  // the stroke.
  LOGFONTW lf{};
  lf.lfHeight = -24;
  lf.lfWeight = 700;
  lf.lfEscapement = 900;
  HFONT font = CreateFontIndirectW(&lf);
  HGDIOBJ oldFont = SelectObject(dc_, font);
  HPEN red = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
  HGDIOBJ oldPen = SelectObject(dc_, red);
  SetTextColor(dc_, RGB(255, 0, 0));
  SetBkMode(dc_, TRANSPARENT);
  White();
  TextOutW(dc_, 4, 38, u"M", 1);
  const int filled = InkOf(RGB(255, 0, 0)).count;
  White();
  ASSERT_TRUE(BeginPath(dc_));
  TextOutW(dc_, 4, 38, u"M", 1);
  EXPECT_EQ(Dark(), 0);
  EndPath(dc_);
  ASSERT_TRUE(StrokePath(dc_));
  const int outlined = InkOf(RGB(255, 0, 0)).count;
  EXPECT_GT(outlined, 0);
  EXPECT_LT(outlined, filled);
  SelectObject(dc_, oldPen);
  DeleteObject(red);
  SelectObject(dc_, oldFont);
  DeleteObject(font);
}

// A palette-based display shows the nearest of its static colours and says it is one.
TEST_F(ClipPathTextTest, PaletteDisplayAnswersTheNearestStaticColour) {
  EXPECT_EQ(GetNearestColor(dc_, RGB(51, 51, 255)), RGB(51, 51, 255));
  EXPECT_EQ(GetDeviceCaps(dc_, RASTERCAPS) & RC_PALETTE, 0);
  plat::ui::SetPaletteDisplay(true);
  struct Case {
    COLORREF asked, shown;
  };
  for (const Case& c : {Case{RGB(51, 51, 255), RGB(0, 0, 255)}, Case{RGB(255, 0, 0), RGB(255, 0, 0)},
                        Case{RGB(250, 250, 250), RGB(255, 255, 255)}, Case{RGB(120, 10, 10), RGB(128, 0, 0)}}) {
    EXPECT_EQ(GetNearestColor(dc_, c.asked), c.shown);
  }
  EXPECT_EQ(GetDeviceCaps(dc_, BITSPIXEL), 8);
  EXPECT_NE(GetDeviceCaps(dc_, RASTERCAPS) & RC_PALETTE, 0);
  EXPECT_EQ(GetNearestColor(nullptr, RGB(1, 2, 3)), 0xFFFFFFFFu);
  plat::ui::SetPaletteDisplay(false);
  EXPECT_EQ(GetNearestColor(dc_, RGB(51, 51, 255)), RGB(51, 51, 255));
}

}  // namespace clip_path_text_test
