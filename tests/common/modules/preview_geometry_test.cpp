// The previews' geometry and colours: every setting may hold any number, and what cannot be
// drawn gives nothing instead of a division by zero, a table index outside the table or a
// colour byte outside 0-255.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "modules/preview_geometry.h"
#include "win/gdi.h"
#include "win/kernel.h"

namespace preview_geometry_test {

TEST(PreviewGeometry, RotationTablesHoldRoundedSinesAndCosines) {
  struct Case {
    int degrees;
    int sine, cosine;
  };
  const Case cases[] = {{0, 0, 100}, {30, 50, 87}, {45, 71, 71}, {90, 100, 0}, {180, 0, -100}, {270, -100, 0},
                        {359, -2, 100}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.degrees);
    EXPECT_EQ(PreviewSineTable()[c.degrees], c.sine);
    EXPECT_EQ(PreviewCosineTable()[c.degrees], c.cosine);
  }
  EXPECT_EQ(PreviewSineTable(), PreviewSineTable()) << "built once";
}

TEST(PreviewGeometry, AngleIndexStaysInsideTheTable) {
  struct Case {
    std::int64_t degrees;
    int index;
  };
  const Case cases[] = {{0, 0},    {90, 270},  {180, 180}, {359, 1},   {360, 0},  {361, 359},
                        {450, 270}, {720, 0},  {-90, 90},  {-450, 90},
                        {std::numeric_limits<std::int32_t>::max(), (360 - 2147483647LL % 360 + 360) % 360},
                        {std::numeric_limits<std::int32_t>::min(), (((360 + 2147483648LL) % 360) + 360) % 360},
                        {0xFFFFFFFFLL, (((360 - 0xFFFFFFFFLL) % 360) + 360) % 360}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.degrees);
    const int index = PreviewAngleIndex(c.degrees);
    EXPECT_EQ(index, c.index);
    EXPECT_GE(index, 0);
    EXPECT_LT(index, 360);
  }
}

TEST(PreviewGeometry, FontHeightScalesFromThePaperAndRefusesWhatCannotBeDrawn) {
  struct Case {
    std::int64_t points, shortSide, resolution;
    bool turned;
    int height;
  };
  const Case cases[] = {
      {36, 9924, 1200, false, 3},   // 25 / 8
      {72, 4962, 600, false, 6},    // 50 / 8
      {10, 9924, 1200, false, 2},   // 7 / 8 = 0: raised to 2
      {10, 9924, 1200, true, 3},    // turned: raised to 3
      {72, 1100, 1200, false, 0},   // shorter than an inch: s / r = 0
      {72, 9924, 0, false, 0},      {72, 9924, -600, false, 0},  {72, 0, 600, false, 0},
      {72, -9924, 600, false, 0},   {0, 9924, 1200, false, 0},   {-12, 9924, 1200, false, 0},
      {0x7FFFFFFF, 1200, 1200, false, 0x7FFF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.points << "pt " << c.shortSide << "/" << c.resolution);
    EXPECT_EQ(PreviewFontHeight(c.points, c.shortSide, c.resolution, c.turned), c.height);
  }
}

TEST(PreviewGeometry, ImageSizeScalesFromThePaperAndRefusesWhatCannotBeDrawn) {
  struct Case {
    std::int64_t pixels, scale, resolution, shortSide;
    int size;
  };
  const Case cases[] = {
      {200, 100, 600, 4962, 12},  // 1200 dots × 50 / 4962
      {200, 50, 600, 4962, 6},   {1, 1, 600, 4962, 1},  // at least 1
      {200, 100, 1200, 1100, 0}, {200, 100, 0, 4962, 0}, {200, 100, 600, 0, 0},
      {0, 100, 600, 4962, 0},    {200, 0, 600, 4962, 0}, {-5, 100, 600, 4962, 0},
      {0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.pixels << " px " << c.scale << "% " << c.resolution << "/" << c.shortSide);
    EXPECT_EQ(PreviewImageSize(c.pixels, c.scale, c.resolution, c.shortSide), c.size);
  }
}

TEST(PreviewGeometry, ColourClampsTheDensity) {
  struct Case {
    std::int64_t density;
    int maximum;
    std::int64_t colour;
    COLORREF expected;
  };
  const Case cases[] = {
      {100, 100, 1, RGB(255, 0, 0)},     {100, 100, 0, RGB(0, 0, 0)},      {0, 100, 1, RGB(255, 255, 255)},
      {0, 100, 0, RGB(255, 255, 255)},   {50, 100, 3, RGB(128, 128, 255)}, {150, 100, 2, RGB(0, 255, 0)},
      {-20, 100, 0, RGB(255, 255, 255)}, {100, 100, 4, RGB(0, 255, 255)},  {100, 100, 5, RGB(255, 0, 255)},
      {100, 100, 6, RGB(255, 255, 0)},   {100, 100, 7, RGB(0, 0, 0)},      {5, 5, 0, RGB(0, 0, 0)},
      {0, 5, 0, RGB(255, 255, 255)},     {9, 5, 1, RGB(255, 0, 0)},        {0x7FFFFFFF, 5, 0, RGB(0, 0, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.density << "/" << c.maximum << " colour " << c.colour);
    EXPECT_EQ(PreviewColour(c.density, c.maximum, c.colour), c.expected);
  }
}

TEST(PreviewGeometry, PositionCodes) {
  struct Case {
    std::int64_t code;
    int x, y;
  };
  // A 10 × 6 box in a 48 × 67 area.
  const Case cases[] = {{0, 19, 30}, {2, 19, 0}, {4, 38, 0}, {8, 0, 61}, {16, 19, 61}, {32, 38, 61}, {1, 0, 0},
                        {64, 0, 0},  {-1, 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    int x = -1, y = -1;
    PreviewPosition(c.code, 48, 67, 10, 6, &x, &y);
    EXPECT_EQ(x, c.x);
    EXPECT_EQ(y, c.y);
  }
}

TEST(PreviewGeometry, TextBoxesTurnWithTheAngle) {
  struct Case {
    int angle;  // degrees of the setting
    bool watermark, circle;
    int width, height, originX, originY;
  };
  // A 20 × 8 text.
  const Case cases[] = {
      {0, true, false, 22, 18, 1, 5},     // margins: +2, +10, origin (1, 5)
      {0, false, false, 20, 8, 0, 0},     // copy guard: no margin
      {90, true, false, 18, 22, 5, 21},   // width and height swap
      {90, false, false, 8, 20, 0, 20},
      {180, false, false, 20, 8, 20, 8},
      {450, false, false, 8, 20, 0, 20},  // beyond a turn: as 90
      {0, true, true, 34, 34, 7, 13},     // circle: a square of max + 12
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.angle << (c.watermark ? " watermark" : " guard") << (c.circle ? " circle" : ""));
    const PreviewBox box = LayoutPreviewText(20, 8, PreviewAngleIndex(c.angle), c.watermark, c.circle);
    EXPECT_EQ(box.width, c.width);
    EXPECT_EQ(box.height, c.height);
    EXPECT_EQ(box.originX, c.originX);
    EXPECT_EQ(box.originY, c.originY);
  }
  const PreviewBox empty = LayoutPreviewText(0, 0, 0, false, false);
  EXPECT_EQ(empty.width, 0);
  EXPECT_EQ(empty.height, 0);
}

TEST(PreviewGeometry, CopyGuardLineGapIsNeverNegative) {
  struct Case {
    std::int64_t pitch;
    int gap;
  };
  for (const Case& c : {Case{0, 0}, Case{69, 0}, Case{140, 2}, Case{-700, 0}, Case{0x7FFFFFFF, 0x7FFF}}) {
    SCOPED_TRACE(c.pitch);
    EXPECT_EQ(CopyGuardLineGap(c.pitch), c.gap);
  }
}

TEST(PreviewGeometry, MulDivRoundsAndRefusesAZeroDivisor) {
  struct Case {
    int a, b, c, result;
  };
  const Case cases[] = {{255, 50, 100, 128}, {255, 1, 2, 128},  {-255, 1, 2, -128}, {7, 1, -2, -4},
                        {5, 0, 3, 0},        {5, 3, 0, -1},     {2000000000, 1200, 600, -1},
                        {2000000000, 600, 1200, 1000000000}, {36, 50, 72, 25}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.a << "*" << c.b << "/" << c.c);
    EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.result);
  }
}

}  // namespace preview_geometry_test
