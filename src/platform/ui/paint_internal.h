// The painting objects shared by the files of src/platform/ui.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "win/paint.h"

namespace plat::ui {

enum class GdiKind { Bitmap, Brush, Pen, Font, Palette, Icon, Dc };

struct GdiObject {
  GdiKind kind;
  bool stock = false;
  // Bitmap and icon: pixels 0x00RRGGBB, rows top first.
  int width = 0;
  int height = 0;
  int bitCount = 32;  // what GetObjectW reports (the source DIB's depth)
  std::vector<std::uint32_t> pixels;
  std::vector<std::uint8_t> mask;  // icons: 1 = transparent
  std::vector<RGBQUAD> colorTable;  // the source DIB's colours (8 bits or less)
  WORD resourceId = 0;              // icons and bitmaps of modules, for the paint log
  // Brush and pen.
  COLORREF color = 0;
  bool null = false;
  // Font.
  LOGFONTW font{};
  // Palette.
  std::vector<PALETTEENTRY> entries;
};

struct DeviceContext;
using GdiPtr = std::shared_ptr<GdiObject>;

GdiPtr FindGdi(HGDIOBJ h);
HGDIOBJ InsertGdi(GdiPtr object);
// A bitmap of width x height filled with a colour.
HBITMAP MakeBitmap(int width, int height, std::uint32_t fill);
// Pixels from a packed DIB (header, colour table, bits); false for a form not read here.
bool DecodeDib(const BITMAPINFOHEADER* header, const RGBQUAD* colors, std::size_t colorCount, const BYTE* bits,
               std::size_t bitsSize, GdiObject& out);
// The pixels a device context draws into (null for a context without pixels).
GdiObject* TargetOf(HDC hdc);
// The window of a window's device context (null otherwise).
HWND WindowOf(HDC hdc);
// Appends a line to the paint log of a device context's window.
void LogPaint(HDC hdc, const std::string& line);
std::string ColorText(COLORREF c);
// Forgets the paint log of a window being destroyed.
void DropPaintLog(HWND window);
inline std::uint32_t ToPixel(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }
inline COLORREF FromPixel(std::uint32_t p) { return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF); }

struct DcState {
  HWND window = nullptr;
  bool display = false;
  HBITMAP bitmap = nullptr;
  HBRUSH brush = nullptr;
  HPEN pen = nullptr;
  HFONT font = nullptr;
  HPALETTE palette = nullptr;
  COLORREF textColor = 0;
  COLORREF bkColor = RGB(255, 255, 255);
  int bkMode = 2;
  POINT pos{0, 0};
  std::function<int(int, int, const void*, int, void*)> escape;
  // ExcludeClipRect: rectangles nothing is drawn into.
  std::vector<RECT> excluded;
  // BeginPath ... EndPath: the figures drawn meanwhile (polylines, closed or not) and the
  // pixels of text drawn meanwhile, kept until StrokePath draws their outlines.
  bool pathOpen = false;
  std::vector<std::vector<POINT>> pathFigures;
  std::vector<POINT> pathTextPixels;
};
DcState* DcOf(HDC hdc);
// False where a device context's clipping keeps a pixel out (ExcludeClipRect).
bool DrawsAt(const DcState* dc, int x, int y);
// The display's palette: with a palette-based display colours are shown as the nearest of
// the twenty static colours (SetPaletteDisplay).
bool PaletteDisplay();
COLORREF NearestStaticColor(COLORREF c);

}  // namespace plat::ui
