// The geometry and colours of the watermark and copy-guard previews.
#include "modules/preview_geometry.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include "win/kernel.h"
#include "win/paint.h"

namespace {

struct RotationTables {
  std::int16_t sine[360];
  std::int16_t cosine[360];
};

const RotationTables& Tables() {
  static RotationTables tables;
  static std::once_flag once;
  std::call_once(once, [] {
    constexpr double kPi = 3.14159265358979323846;
    for (int n = 0; n < 360; ++n) {
      tables.sine[n] = static_cast<std::int16_t>(std::lround(100.0 * std::sin(n * kPi / 180.0)));
      tables.cosine[n] = static_cast<std::int16_t>(std::lround(100.0 * std::cos(n * kPi / 180.0)));
    }
  });
  return tables;
}

bool Drawable(std::int64_t shortSide, std::int64_t resolution) {
  return resolution > 0 && shortSide > 0 && shortSide >= resolution;
}

}  // namespace

const std::int16_t* PreviewSineTable() { return Tables().sine; }
const std::int16_t* PreviewCosineTable() { return Tables().cosine; }

int PreviewAngleIndex(std::int64_t degrees) {
  return static_cast<int>((((360 - degrees) % 360) + 360) % 360);
}

void RotatePreviewPoint(int angleIndex, int x, int y, int* outX, int* outY) {
  const int a = ((angleIndex % 360) + 360) % 360;
  const std::int64_t s = PreviewSineTable()[a], c = PreviewCosineTable()[a];
  *outX = static_cast<int>((c * x - s * y) / 100);
  *outY = static_cast<int>((s * x + c * y) / 100);
}

int PreviewFontHeight(std::int64_t points, std::int64_t shortSide, std::int64_t resolution, bool turned) {
  if (!Drawable(shortSide, resolution) || points <= 0) return 0;
  const std::int64_t p = std::min<std::int64_t>(points, 0x7FFFFFFF);
  const std::int64_t scaled = (p * kPreviewShortSide * 2 + 72) / 144;  // MulDiv(p, 50, 72)
  std::int64_t height = scaled / (shortSide / resolution);
  if (height <= 2 && turned) height = 3;
  else if (height <= 1) height = 2;
  return static_cast<int>(std::min<std::int64_t>(height, 0x7FFF));
}

int PreviewImageSize(std::int64_t pixels, std::int64_t scale, std::int64_t resolution, std::int64_t shortSide) {
  if (!Drawable(shortSide, resolution) || pixels <= 0 || scale <= 0) return 0;
  // Settings hold 32 bits each; the products need more than 64.
  using Wide = __int128;
  const Wide dots = Wide{pixels} * scale / 100 * resolution / 100;
  const Wide size = dots * kPreviewShortSide / shortSide;
  return static_cast<int>(size < 1 ? 1 : size > 0x7FFF ? 0x7FFF : size);
}

COLORREF PreviewColour(std::int64_t density, int maxDensity, std::int64_t colour) {
  if (maxDensity <= 0) maxDensity = 1;
  const int d = static_cast<int>(std::clamp<std::int64_t>(density, 0, maxDensity));
  const auto level = static_cast<BYTE>(MulDiv(255, maxDensity - d, maxDensity));
  BYTE r = level, g = level, b = level;
  switch (colour) {
    case 1: r = 255; break;
    case 2: g = 255; break;
    case 3: b = 255; break;
    case 4: g = b = 255; break;
    case 5: r = b = 255; break;
    case 6: r = g = 255; break;
    default: break;
  }
  return RGB(r, g, b);
}

void PreviewPosition(std::int64_t code, int areaW, int areaH, int boxW, int boxH, int* x, int* y) {
  const int right = areaW - boxW, bottom = areaH - boxH;
  switch (code) {
    case 0: *x = right / 2; *y = bottom / 2; break;
    case 2: *x = right / 2; *y = 0; break;
    case 4: *x = right; *y = 0; break;
    case 8: *x = 0; *y = bottom; break;
    case 16: *x = right / 2; *y = bottom; break;
    case 32: *x = right; *y = bottom; break;
    default: *x = 0; *y = 0; break;
  }
}

PreviewBox LayoutPreviewText(int textW, int textH, int angleIndex, bool watermark, bool circle) {
  PreviewBox box{};
  int w = std::max(textW, 0), h = std::max(textH, 0);
  int ox = 0, oy = 0;
  if (watermark) {
    w += 2;
    h += 10;
    ox = 1;
    oy = 5;
  }
  POINT points[5] = {{0, 0}, {0, h}, {w, h}, {w, 0}, {ox, oy}};
  if (watermark && circle) {
    const int d = std::max(w, h) + 12;
    const int dx = d / 2 - w / 2, dy = d / 2 - h / 2;
    for (POINT& p : points) {
      int x = 0, y = 0;
      RotatePreviewPoint(angleIndex, p.x + dx - d / 2, p.y + dy - d / 2, &x, &y);
      p = {x + d / 2, y + d / 2};
    }
    for (int i = 0; i < 4; ++i) box.corners[i] = points[i];
    box.width = box.height = d;
    box.originX = points[4].x;
    box.originY = points[4].y;
    return box;
  }
  for (POINT& p : points) {
    int x = 0, y = 0;
    RotatePreviewPoint(angleIndex, p.x, p.y, &x, &y);
    p = {x, y};
  }
  LONG minX = points[0].x, minY = points[0].y;
  for (const POINT& p : points) {
    minX = std::min(minX, p.x);
    minY = std::min(minY, p.y);
  }
  for (POINT& p : points) {
    p.x -= minX;
    p.y -= minY;
    box.width = std::max<int>(box.width, p.x);
    box.height = std::max<int>(box.height, p.y);
  }
  for (int i = 0; i < 4; ++i) box.corners[i] = points[i];
  box.originX = points[4].x;
  box.originY = points[4].y;
  return box;
}

int CopyGuardLineGap(std::int64_t pitch) { return static_cast<int>(std::clamp<std::int64_t>(pitch / 70, 0, 0x7FFF)); }
