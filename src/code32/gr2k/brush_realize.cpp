#include "brush_realize.h"

#include <array>
#include <cstddef>
#include <cstring>

#include "render_device.h"
#include "win/errors.h"

namespace rendara {

const BYTE kHatchRows[kHatchStyles][8] = {
    {0x00, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00},  // horizontal
    {0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08, 0x08},  // vertical
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},  // forward diagonal
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},  // backward diagonal
    {0x08, 0x08, 0x08, 0x08, 0xFF, 0x08, 0x08, 0x08},  // cross
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},  // diagonal cross
};

namespace {

constexpr int kSide = kRealizedPatternSide;
constexpr std::size_t kOneBitSourceStep = 4;     // an 8-pixel 1-bit row
constexpr std::size_t kTrueColorSourceStep = 24; // an 8-pixel 24-bit row

using Pattern = std::array<BYTE, kPattern24bppBytes>;

// The pattern surface's memory from its start, with the checks every read relies on.
struct Source {
  const BYTE* bits = nullptr;
  std::size_t size = 0;
  std::size_t step = 0;  // |lDelta|
  LONG width = 0;
  LONG height = 0;
  ULONG format = 0;
  bool bottomUp = false;
  bool Is8x8() const { return width == 8 && height == 8; }
  // Whether `rows` rows of `rowBytes` bytes at `step` apart lie inside the memory.
  bool Holds(LONG rows, std::size_t rowBytes, std::size_t rowStep) const {
    if (!bits || rows <= 0) return false;
    const std::size_t last = static_cast<std::size_t>(rows - 1) * rowStep;
    return last <= size && rowBytes <= size - last;
  }
};

std::size_t RowBytes(ULONG format, LONG width) {
  static constexpr std::size_t kBits[] = {0, 1, 4, 8, 16, 24, 32};
  if (format == 0 || format > BMF_32BPP || width <= 0) return 0;
  return (static_cast<std::size_t>(width) * kBits[format] + 7) / 8;
}

bool ReadSource(SURFOBJ* surface, Source* out) {
  if (!surface || surface->sizlBitmap.cx <= 0 || surface->sizlBitmap.cy <= 0) return false;
  out->bits = static_cast<const BYTE*>(surface->pvBits);
  out->size = surface->cjBits;
  const LONG delta = surface->lDelta;
  out->step = delta < 0 ? static_cast<std::size_t>(-static_cast<long long>(delta)) : static_cast<std::size_t>(delta);
  out->width = surface->sizlBitmap.cx;
  out->height = surface->sizlBitmap.cy;
  out->format = surface->iBitmapFormat;
  out->bottomUp = (surface->fjBitmap & BMF_TOPDOWN) == 0;
  return true;
}

ULONG Translate(XLATEOBJ* xlate, ULONG index) { return xlate ? XLATEOBJ_iXlate(xlate, index) : index; }

DWORD Read24(const BYTE* p) { return p[0] | (p[1] << 8) | (static_cast<DWORD>(p[2]) << 16); }

void Put24(BYTE* out, int x, int y, DWORD colour) {
  BYTE* p = out + static_cast<std::size_t>(y) * kPattern24bppRow + static_cast<std::size_t>(x) * 3;
  p[0] = static_cast<BYTE>(colour);
  p[1] = static_cast<BYTE>(colour >> 8);
  p[2] = static_cast<BYTE>(colour >> 16);
}

// Eight one-bit rows of 8 pixels, each pixel doubled both ways and the 16 x 16 result
// repeated 2 x 2.
void ScaleOneBit8x8(const BYTE rows[8], BYTE* out) {
  for (int r = 0; r < kSide; ++r) {
    const BYTE b = rows[(r / 2) % 8];
    WORD w = 0;
    for (int bit = 0; bit < 8; ++bit)
      if (b & (0x80 >> bit)) w = static_cast<WORD>(w | (0xC000u >> (2 * bit)));
    BYTE* row = out + r * 4;
    row[0] = row[2] = static_cast<BYTE>(w >> 8);
    row[1] = row[3] = static_cast<BYTE>(w);
  }
}

void HatchPattern(ULONG style, BYTE* out) {
  for (int r = 0; r < kSide; ++r) {
    const BYTE b = kHatchRows[style][r / 4];
    DWORD d = 0;
    for (int bit = 0; bit < 8; ++bit)
      if (b & (0x80 >> bit)) d |= 0xF0000000u >> (4 * bit);
    BYTE* row = out + r * 4;
    row[0] = static_cast<BYTE>(d >> 24);
    row[1] = static_cast<BYTE>(d >> 16);
    row[2] = static_cast<BYTE>(d >> 8);
    row[3] = static_cast<BYTE>(d);
  }
}

void ReverseRows(BYTE* out, std::size_t rowBytes) {
  BYTE tmp[kPattern24bppRow];
  for (int r = 0; r < kSide / 2; ++r) {
    BYTE* a = out + r * rowBytes;
    BYTE* b = out + (kSide - 1 - r) * rowBytes;
    std::memcpy(tmp, a, rowBytes);
    std::memcpy(a, b, rowBytes);
    std::memcpy(b, tmp, rowBytes);
  }
}

// An 8 x 8 grid of colours repeated 4 x 4 at full scale.
void Repeat8x8(const DWORD grid[8][8], BYTE* out) {
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) Put24(out, x, y, grid[y % 8][x % 8]);
}

// The one-bit form; false when it does not apply or the memory cannot hold the pattern.
// Fills the colours and the 128 pattern bytes (already in visual order).
bool OneBitForm(const Source& src, XLATEOBJ* xlate, DWORD* first, DWORD* second, BYTE* out) {
  if (src.format == BMF_1BPP) {
    if (src.Is8x8()) {
      if (!src.Holds(8, 1, kOneBitSourceStep)) return false;
      BYTE rows[8];
      for (int r = 0; r < 8; ++r) rows[r] = static_cast<BYTE>(~src.bits[r * kOneBitSourceStep]);
      ScaleOneBit8x8(rows, out);
    } else {
      if (!src.Holds(src.height, RowBytes(BMF_1BPP, src.width), src.step)) return false;
      std::memset(out, 0, kPattern1bppBytes);
      for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
          const LONG sx = x % src.width;
          const LONG sy = y % src.height;
          if (src.bits[static_cast<std::size_t>(sy) * src.step + sx / 8] & (0x80 >> (sx & 7)))
            out[y * 4 + x / 8] = static_cast<BYTE>(out[y * 4 + x / 8] | (0x80 >> (x & 7)));
        }
      for (DWORD i = 0; i < kPattern1bppBytes; ++i) out[i] = static_cast<BYTE>(~out[i]);
    }
    if (xlate) {
      *first = Translate(xlate, 0);
      *second = Translate(xlate, 1);
    } else {
      *first = 0;
      *second = 0xFFFFFF;
    }
  } else {
    if (src.format != BMF_24BPP || !src.Is8x8() || !src.Holds(8, kTrueColorSourceStep, kTrueColorSourceStep))
      return false;
    DWORD colours[2];
    if (!TwoColorCheck(src.bits, colours)) return false;
    BYTE rows[8] = {};
    for (int r = 0; r < 8; ++r)
      for (int x = 0; x < 8; ++x)
        if (Read24(src.bits + r * kTrueColorSourceStep + x * 3) == colours[0])
          rows[r] = static_cast<BYTE>(rows[r] | (0x80 >> x));
    ScaleOneBit8x8(rows, out);
    *first = colours[0];
    *second = colours[1];
  }
  if (src.bottomUp) ReverseRows(out, 4);
  return true;
}

// The 24-bit form: the 3072 pattern bytes in visual order (all zero for a format it does
// not read).
void TrueColorForm(RenderDevice* device, SURFOBJ* surface, const Source& src, XLATEOBJ* xlate, BYTE* out) {
  std::memset(out, 0, kPattern24bppBytes);
  DWORD grid[8][8] = {};
  bool fromMemory = false;  // read from the start of the memory: reversed when bottom-up
  const std::size_t rowBytes = RowBytes(src.format, src.width);
  const bool readable = rowBytes && src.Holds(src.height, rowBytes, src.step);
  switch (src.format) {
    case BMF_4BPP:
      if (src.Is8x8() && readable) {
        for (int y = 0; y < 8; ++y)
          for (int x = 0; x < 8; ++x) {
            const BYTE b = src.bits[y * src.step + x / 2];
            grid[y][x] = Translate(xlate, (x & 1) ? (b & 0x0F) : (b >> 4));
          }
        Repeat8x8(grid, out);
        fromMemory = true;
      }
      break;
    case BMF_8BPP:
      if (StretchPatternTo32(device, surface, xlate, out)) return;
      if (!readable) break;
      if (src.Is8x8()) {
        for (int y = 0; y < 8; ++y)
          for (int x = 0; x < 8; ++x) grid[y][x] = Translate(xlate, src.bits[y * src.step + x]);
        Repeat8x8(grid, out);
      } else {
        for (int y = 0; y < kSide; ++y)
          for (int x = 0; x < kSide; ++x)
            Put24(out, x, y, Translate(xlate, src.bits[(y % src.height) * src.step + x % src.width]));
      }
      fromMemory = true;
      break;
    case BMF_16BPP:
      if (src.Is8x8() && readable) {
        for (int y = 0; y < 8; ++y)
          for (int x = 0; x < 8; ++x) {
            const BYTE* p = src.bits + y * src.step + x * 2;
            const DWORD v = p[0] | (p[1] << 8);
            const DWORD c0 = ((v & 0x1F) * 255) >> 5;
            const DWORD c1 = (((v >> 5) & 0x1F) * 255) >> 5;
            const DWORD c2 = (((v >> 10) & 0x1F) * 255) >> 5;
            grid[y][x] = c0 | (c1 << 8) | (c2 << 16);
          }
        Repeat8x8(grid, out);
        fromMemory = true;
      }
      break;
    case BMF_24BPP:
      if (StretchPatternTo32(device, surface, xlate, out)) return;
      if (!readable) break;
      if (src.Is8x8()) {
        for (int y = 0; y < 8; ++y)
          for (int x = 0; x < 8; ++x) grid[y][x] = Read24(src.bits + y * src.step + x * 3);
        Repeat8x8(grid, out);
      } else {
        for (int y = 0; y < kSide; ++y)
          for (int x = 0; x < kSide; ++x)
            Put24(out, x, y, Read24(src.bits + (y % src.height) * src.step + (x % src.width) * 3));
      }
      fromMemory = true;
      break;
    case BMF_32BPP:
      if (src.Is8x8() && readable) {
        for (int y = 0; y < 8; ++y)
          for (int x = 0; x < 8; ++x) grid[y][x] = Read24(src.bits + y * src.step + x * 4);
        Repeat8x8(grid, out);
        fromMemory = true;
      }
      break;
    default:
      break;
  }
  if (fromMemory && src.bottomUp) ReverseRows(out, kPattern24bppRow);
}

// Allocates the realized brush for the brush object, fills it and attaches it.
BOOL Attach(BRUSHOBJ* brush, WORD kind, DWORD first, DWORD second, const BYTE* pattern) {
  const bool oneBit = kind == BRUSH_PATTERN_1BPP;
  const DWORD length = oneBit ? kPattern1bppBytes : kPattern24bppBytes;
  auto* realized = static_cast<RealizedBrush*>(BRUSHOBJ_pvAllocRbrush(brush, sizeof(RealizedBrush) + length));
  if (!realized) return FALSE;
  std::memset(static_cast<void*>(realized), 0, sizeof(RealizedBrush));
  realized->kind = kind;
  realized->firstColor = first;
  realized->secondColor = second;
  realized->bitsPerPixel = oneBit ? 1 : 24;
  realized->side = kRealizedPatternSide;
  std::memcpy(realized->Pattern(), pattern, length);
  brush->pvRbrush = realized;
  return TRUE;
}

}  // namespace

BOOL TwoColorCheck(const BYTE* pattern, DWORD colours[2]) {
  if (!pattern || !colours) return FALSE;
  DWORD found[2] = {0, 0};
  int count = 0;
  for (int i = 0; i < 64; ++i) {
    const DWORD v = Read24(pattern + (i / 8) * kTrueColorSourceStep + (i % 8) * 3);
    if (count > 0 && v == found[0]) continue;
    if (count > 1 && v == found[1]) continue;
    if (count == 2) return FALSE;
    found[count++] = v;
  }
  colours[0] = found[0];
  colours[1] = count > 1 ? found[1] : 0;
  return TRUE;
}

BOOL StretchPatternTo32(RenderDevice*, SURFOBJ* pattern, XLATEOBJ* xlate, BYTE* out) {
  if (!pattern || !out) return FALSE;
  const LONG w = pattern->sizlBitmap.cx;
  const LONG h = pattern->sizlBitmap.cy;
  if ((w == 8 && h == 8) || w <= 0 || h <= 0) return FALSE;
  const LONG side = w <= 2 ? 4 : w <= 4 ? 8 : w <= 10 ? 16 : 32;
  HBITMAP bitmap = EngCreateBitmap(SIZEL{side, side}, 0, BMF_24BPP, BMF_TOPDOWN, nullptr);
  if (!bitmap) return FALSE;
  HSURF handle = reinterpret_cast<HSURF>(bitmap);
  SURFOBJ* square = EngLockSurface(handle);
  BOOL ok = FALSE;
  if (square && square->pvScan0) {
    RECTL dst{0, 0, side, side};
    RECTL src{0, 0, w, h};
    if (EngStretchBlt(square, pattern, nullptr, nullptr, xlate, nullptr, nullptr, &dst, &src, nullptr,
                      COLORONCOLOR)) {
      const BYTE* scan0 = static_cast<const BYTE*>(square->pvScan0);
      for (int y = 0; y < kSide; ++y) {
        const BYTE* row = scan0 + static_cast<std::ptrdiff_t>(y % side) * square->lDelta;
        for (int x = 0; x < kSide; ++x) Put24(out, x, y, Read24(row + (x % side) * 3));
      }
      ok = TRUE;
    }
  }
  if (square) EngUnlockSurface(square);
  EngDeleteSurface(handle);
  return ok;
}

BOOL RealizeBrush(RenderDevice* device, BRUSHOBJ* brush, SURFOBJ* pattern, XLATEOBJ* xlate, ULONG hatch) {
  if (!brush) return FALSE;
  Pattern bytes{};
  if (hatch < kHatchStyles) {
    HatchPattern(hatch, bytes.data());
    return Attach(brush, BRUSH_PATTERN_1BPP, Translate(xlate, 1), Translate(xlate, 0), bytes.data());
  }
  Source src;
  if (!ReadSource(pattern, &src)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  DWORD first = 0, second = 0;
  if (OneBitForm(src, xlate, &first, &second, bytes.data()))
    return Attach(brush, BRUSH_PATTERN_1BPP, first, second, bytes.data());
  if (src.format == BMF_1BPP) {  // a one-bit pattern whose memory cannot hold it
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  TrueColorForm(device, pattern, src, xlate, bytes.data());
  return Attach(brush, BRUSH_PATTERN_24BPP, 0, 0xFFFFFF, bytes.data());
}

}  // namespace rendara
