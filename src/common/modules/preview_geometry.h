// The geometry and colours of the watermark and copy-guard previews on the page picture: the
// rotation tables, the angle a setting turns by, the scale from the paper to the preview,
// the colour of a density, where a box stands for a position code, and the box a turned
// text needs. Every input is a setting that may hold any number; what cannot be drawn gives
// 0 sizes rather than a division by zero or an index outside a table.
#pragma once

#include <cstdint>

#include "win/gdi.h"
#include "win/types.h"
#include "win/window.h"

// The preview sheet's short side in pixels.
constexpr int kPreviewShortSide = 50;

// Entry n: round(100 sin n°) and round(100 cos n°), n = 0..359; built once.
const std::int16_t* PreviewSineTable();
const std::int16_t* PreviewCosineTable();

// The table index of the rotation for a setting of g degrees: (360 - g) mod 360, always in
// 0..359 whatever g is.
int PreviewAngleIndex(std::int64_t degrees);
// (x, y) turned by the table angle a: x' = (cos a x - sin a y) / 100, y' = (sin a x +
// cos a y) / 100, truncating toward zero.
void RotatePreviewPoint(int angleIndex, int x, int y, int* outX, int* outY);

// The preview height of a font of `points` on paper whose short side is `shortSide` dots at
// `resolution` dots per inch: MulDiv(p, 50, 72) / (s / r), then at least 3 for a turned
// text when at most 2, else at least 2 when at most 1. 0 (draw nothing) when r <= 0,
// s <= 0, s < r or p <= 0.
int PreviewFontHeight(std::int64_t points, std::int64_t shortSide, std::int64_t resolution, bool turned);
// The preview size of an image side of `pixels` at `scale` percent, taken as 100 pixels per
// inch: dots = pixels × scale / 100 × (r / 100), size = dots × 50 / s, at least 1 when the
// image has a size. 0 when r <= 0, s <= 0, s < r, or the image or scale is empty.
int PreviewImageSize(std::int64_t pixels, std::int64_t scale, std::int64_t resolution, std::int64_t shortSide);

// The preview colour: a grey level L = MulDiv(255, max - d, max) with d clamped into
// 0..max, then colour 1 red, 2 green, 3 blue, 4 green and blue, 5 red and blue, 6 red and
// green set their channels to 255; another colour leaves the grey.
COLORREF PreviewColour(std::int64_t density, int maxDensity, std::int64_t colour);

// Top left of a box of boxW × boxH in an area of areaW × areaH for a position code: 0
// centred; 2 top centre; 4 top right; 8 bottom left; 16 bottom centre; 32 bottom right;
// another code top left.
void PreviewPosition(std::int64_t code, int areaW, int areaH, int boxW, int boxH, int* x, int* y);

// The box of a text of textW × textH turned by the table angle: the watermark adds 2 and 10
// to the size and starts the text at (1, 5); the copy guard has no margin. The box's size
// and where the text's origin lands in it. A circle (watermark effect 2) centres the box in
// a square of max(width, height) + 12 turned about its centre.
struct PreviewBox {
  int width;
  int height;
  int originX;
  int originY;
  POINT corners[4];  // the text box's corners, turned and moved like the origin
};
PreviewBox LayoutPreviewText(int textW, int textH, int angleIndex, bool watermark, bool circle);

// The copy-guard rows' gap for a line pitch setting: pitch / 70, never below 0.
int CopyGuardLineGap(std::int64_t pitch);
