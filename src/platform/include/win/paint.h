// Painting: device contexts of windows and memory, bitmaps with real 32-bpp pixels,
// brushes, pens, fonts, text, icons, palettes and the raster operations.
//
// Our own declarations, written from the documented behaviour of the Windows calls of the
// same names. A window's device context draws into the window's own pixels; a memory
// device context into its selected bitmap; a display or information context (CreateDCW)
// draws nothing but answers its questions.
#pragma once

// Exported by the platform library (built with hidden visibility otherwise).
#pragma GCC visibility push(default)

#include "win/gdi.h"
#include "win/window.h"

#pragma pack(push, 2)
struct BITMAPFILEHEADER {
  WORD bfType;
  DWORD bfSize;
  WORD bfReserved1;
  WORD bfReserved2;
  DWORD bfOffBits;
};
#pragma pack(pop)
static_assert(sizeof(BITMAPFILEHEADER) == 14);

struct BITMAPINFOHEADER {
  DWORD biSize;
  LONG biWidth;
  LONG biHeight;
  WORD biPlanes;
  WORD biBitCount;
  DWORD biCompression;
  DWORD biSizeImage;
  LONG biXPelsPerMeter;
  LONG biYPelsPerMeter;
  DWORD biClrUsed;
  DWORD biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);
using LPBITMAPINFOHEADER = BITMAPINFOHEADER*;

struct RGBQUAD {
  BYTE rgbBlue;
  BYTE rgbGreen;
  BYTE rgbRed;
  BYTE rgbReserved;
};

struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
};
using LPBITMAPINFO = BITMAPINFO*;

struct BITMAP {
  LONG bmType;
  LONG bmWidth;
  LONG bmHeight;
  LONG bmWidthBytes;
  WORD bmPlanes;
  WORD bmBitsPixel;
  LPVOID bmBits;
};

struct LOGPALETTE {
  WORD palVersion;
  WORD palNumEntries;
  PALETTEENTRY palPalEntry[1];
};

struct TEXTMETRICW {
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  WCHAR tmFirstChar;
  WCHAR tmLastChar;
  WCHAR tmDefaultChar;
  WCHAR tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
};

// tmPitchAndFamily: TMPF_FIXED_PITCH is set for a font of variable pitch.
constexpr BYTE TMPF_FIXED_PITCH = 0x01;
constexpr BYTE TMPF_VECTOR = 0x02;
constexpr BYTE TMPF_TRUETYPE = 0x04;

constexpr DWORD BI_RGB = 0;
constexpr DWORD BI_RLE8 = 1;
constexpr DWORD BI_RLE4 = 2;
constexpr DWORD BI_BITFIELDS = 3;
constexpr UINT DIB_RGB_COLORS = 0;
constexpr UINT DIB_PAL_COLORS = 1;
constexpr DWORD CBM_INIT = 0x4;

// Raster operations.
constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr DWORD SRCPAINT = 0x00EE0086;
constexpr DWORD SRCAND = 0x008800C6;
constexpr DWORD SRCINVERT = 0x00660046;
constexpr DWORD SRCERASE = 0x00440328;
constexpr DWORD NOTSRCCOPY = 0x00330008;
constexpr DWORD NOTSRCERASE = 0x001100A6;
constexpr DWORD MERGECOPY = 0x00C000CA;
constexpr DWORD MERGEPAINT = 0x00BB0226;
constexpr DWORD PATCOPY = 0x00F00021;
constexpr DWORD PATPAINT = 0x00FB0A09;
constexpr DWORD PATINVERT = 0x005A0049;
constexpr DWORD DSTINVERT = 0x00550009;
constexpr DWORD BLACKNESS = 0x00000042;
constexpr DWORD WHITENESS = 0x00FF0062;

// Background modes, stock objects, pen styles.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;
constexpr int WHITE_BRUSH = 0;
constexpr int LTGRAY_BRUSH = 1;
constexpr int GRAY_BRUSH = 2;
constexpr int DKGRAY_BRUSH = 3;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;
constexpr int DEFAULT_GUI_FONT = 17;
constexpr int DEFAULT_PALETTE = 15;
constexpr int PS_SOLID = 0;
constexpr int PS_NULL = 5;

// DrawTextW.
constexpr UINT DT_TOP = 0x0;
constexpr UINT DT_LEFT = 0x0;
constexpr UINT DT_CENTER = 0x1;
constexpr UINT DT_RIGHT = 0x2;
constexpr UINT DT_VCENTER = 0x4;
constexpr UINT DT_BOTTOM = 0x8;
constexpr UINT DT_WORDBREAK = 0x10;
constexpr UINT DT_SINGLELINE = 0x20;
constexpr UINT DT_EXPANDTABS = 0x40;
constexpr UINT DT_NOCLIP = 0x100;
constexpr UINT DT_CALCRECT = 0x400;
constexpr UINT DT_NOPREFIX = 0x800;
constexpr UINT DT_END_ELLIPSIS = 0x8000;

// ExtTextOutW.
constexpr UINT ETO_OPAQUE = 0x2;
constexpr UINT ETO_CLIPPED = 0x4;

// GetDeviceCaps.
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;
constexpr int NUMCOLORS = 24;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;
constexpr int RASTERCAPS = 38;
constexpr int SIZEPALETTE = 104;
constexpr int RC_PALETTE = 0x0100;

// Kinds of clipping region.
constexpr int RGN_ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;

// Stretch modes.
constexpr int BLACKONWHITE = 1;
constexpr int COLORONCOLOR = 3;
constexpr int HALFTONE = 4;

// Standard icons (LoadIconW with a null instance).
constexpr WORD IDI_APPLICATION_ID = 32512;
constexpr WORD IDI_HAND_ID = 32513;
constexpr WORD IDI_QUESTION_ID = 32514;
constexpr WORD IDI_EXCLAMATION_ID = 32515;
constexpr WORD IDI_ASTERISK_ID = 32516;

constexpr DWORD RASTER_FONTTYPE = 0x1;
constexpr DWORD DEVICE_FONTTYPE = 0x2;
constexpr DWORD TRUETYPE_FONTTYPE = 0x4;
using FONTENUMPROCW = int (*)(const LOGFONTW* lpelf, const TEXTMETRICW* lpntm, DWORD FontType, LPARAM lParam);

extern "C" {

// ---- device contexts ------------------------------------------------------------------------
KOVA_EXPORT HDC WINAPI GetDC(HWND hWnd);
KOVA_EXPORT int WINAPI ReleaseDC(HWND hWnd, HDC hDC);
// Sends WM_ERASEBKGND when the window asked for erasing; validates the window.
KOVA_EXPORT HDC WINAPI BeginPaint(HWND hWnd, PAINTSTRUCT* lpPaint);
KOVA_EXPORT BOOL WINAPI EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint);
KOVA_EXPORT HDC WINAPI CreateCompatibleDC(HDC hdc);
// "DISPLAY" (or a null driver) gives a display context of 32 bits per pixel without
// pixels of its own; other drivers give an information context.
KOVA_EXPORT HDC WINAPI CreateDCW(LPCWSTR pwszDriver, LPCWSTR pwszDevice, LPCWSTR pszPort, const void* pdm);
KOVA_EXPORT BOOL WINAPI DeleteDC(HDC hdc);
KOVA_EXPORT int WINAPI GetDeviceCaps(HDC hdc, int index);
KOVA_EXPORT HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h);
KOVA_EXPORT BOOL WINAPI DeleteObject(HGDIOBJ ho);
KOVA_EXPORT HGDIOBJ WINAPI GetStockObject(int i);
KOVA_EXPORT int WINAPI GetObjectW(HANDLE h, int c, LPVOID pv);
KOVA_EXPORT COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color);
KOVA_EXPORT COLORREF WINAPI GetTextColor(HDC hdc);
KOVA_EXPORT COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color);
KOVA_EXPORT COLORREF WINAPI GetBkColor(HDC hdc);
KOVA_EXPORT int WINAPI SetBkMode(HDC hdc, int mode);
KOVA_EXPORT int WINAPI SetStretchBltMode(HDC hdc, int mode);
// The colour the display shows for a colour: itself, or on a palette-based display the
// nearest of the twenty static colours.
KOVA_EXPORT COLORREF WINAPI GetNearestColor(HDC hdc, COLORREF color);
// A private escape: a device context of a printer passes it to the rendering driver's
// DrvEscape (see plat/ui_driver.h); other device contexts answer 0 (not supported).
KOVA_EXPORT int WINAPI ExtEscape(HDC hdc, int iEscape, int cjInput, LPCSTR lpInData, int cjOutput, LPSTR lpOutData);

// ---- bitmaps ---------------------------------------------------------------------------------
KOVA_EXPORT HBITMAP WINAPI CreateCompatibleBitmap(HDC hdc, int cx, int cy);
KOVA_EXPORT HBITMAP WINAPI CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitCount, const void* lpBits);
// From a packed DIB of 1, 4, 8, 16, 24 or 32 bits per pixel (BI_RGB; 8 and 4 bits also
// run-length coded); with CBM_INIT the pixels are taken from lpbInit. The bitmap keeps the
// DIB's bit count for GetObjectW.
KOVA_EXPORT HBITMAP WINAPI CreateDIBitmap(HDC hdc, const BITMAPINFOHEADER* pbmih, DWORD flInit, const void* pjBits,
                                          const BITMAPINFO* pbmi, UINT iUsage);
KOVA_EXPORT HBITMAP WINAPI CreateDIBSection(HDC hdc, const BITMAPINFO* pbmi, UINT usage, void** ppvBits,
                                            HANDLE hSection, DWORD offset);
// RT_BITMAP of a module (a packed DIB).
KOVA_EXPORT HBITMAP WINAPI LoadBitmapW(HINSTANCE hInstance, LPCWSTR lpBitmapName);
KOVA_EXPORT COLORREF WINAPI SetPixel(HDC hdc, int x, int y, COLORREF color);
KOVA_EXPORT COLORREF WINAPI GetPixel(HDC hdc, int x, int y);
KOVA_EXPORT BOOL WINAPI BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop);
struct ABC {
  int abcA;
  UINT abcB;
  int abcC;
};
// The A, B and C widths of the characters first to last (last - first + 1 entries).
KOVA_EXPORT BOOL WINAPI GetCharABCWidthsW(HDC hdc, UINT first, UINT last, ABC* widths);
// The outline of the ellipse in the box from the start radial counter-clockwise to the end
// radial, in the pen's colour; equal radial points draw it whole.
KOVA_EXPORT BOOL WINAPI Arc(HDC hdc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd,
                            int yEnd);
// A filled polygon (alternate filling) in the brush, outlined in the pen; closed by itself.
KOVA_EXPORT BOOL WINAPI Polygon(HDC hdc, const POINT* apt, int cpt);
// Keeps the rectangle out of what the device context draws into; answers the kind of the
// clipping region left (NULLREGION, SIMPLEREGION, COMPLEXREGION; RGN_ERROR for a bad DC).
KOVA_EXPORT int WINAPI ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom);
// Paths: between BeginPath and EndPath lines, rectangles, polygons, arcs and text are
// gathered instead of drawn; StrokePath draws their outlines in the pen (a text's outline is
// the edge of its glyphs) and forgets the path.
KOVA_EXPORT BOOL WINAPI BeginPath(HDC hdc);
KOVA_EXPORT BOOL WINAPI EndPath(HDC hdc);
KOVA_EXPORT BOOL WINAPI StrokePath(HDC hdc);
// The dotted focus outline: every other pixel of the rectangle's edge inverted.
KOVA_EXPORT BOOL WINAPI DrawFocusRect(HDC hDC, const RECT* lprc);
KOVA_EXPORT BOOL WINAPI StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc,
                                   int ySrc, int wSrc, int hSrc, DWORD rop);
KOVA_EXPORT BOOL WINAPI PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop);

// ---- brushes, pens, fonts, palettes ------------------------------------------------------------
KOVA_EXPORT HBRUSH WINAPI CreateSolidBrush(COLORREF color);
KOVA_EXPORT HPEN WINAPI CreatePen(int iStyle, int cWidth, COLORREF color);
// Text is measured on the TrueType face a font's name stands for (the system's sans, mono
// or serif face; bold and italic styles): a negative lfHeight is the em in pixels, a
// positive one the cell, 0 a cell of 16. Without the face file, fixed metrics: each
// character (|lfHeight| + 1) / 2 pixels wide (8 for 0) and |lfHeight| high (16 for 0).
KOVA_EXPORT HFONT WINAPI CreateFontIndirectW(const LOGFONTW* lplf);
KOVA_EXPORT BOOL WINAPI GetTextExtentPoint32W(HDC hdc, LPCWSTR lpString, int c, LPSIZE psizl);
KOVA_EXPORT BOOL WINAPI GetTextMetricsW(HDC hdc, TEXTMETRICW* lptm);
KOVA_EXPORT HPALETTE WINAPI CreatePalette(const LOGPALETTE* plpal);
KOVA_EXPORT HPALETTE WINAPI SelectPalette(HDC hdc, HPALETTE hPal, BOOL bForceBkgd);
KOVA_EXPORT UINT WINAPI RealizePalette(HDC hdc);
KOVA_EXPORT UINT WINAPI SetPaletteEntries(HPALETTE hpal, UINT iStart, UINT cEntries, const PALETTEENTRY* pPalEntries);

// ---- drawing --------------------------------------------------------------------------------
KOVA_EXPORT int WINAPI FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr);
KOVA_EXPORT int WINAPI FrameRect(HDC hDC, const RECT* lprc, HBRUSH hbr);
KOVA_EXPORT BOOL WINAPI Rectangle(HDC hdc, int left, int top, int right, int bottom);
KOVA_EXPORT BOOL WINAPI MoveToEx(HDC hdc, int x, int y, LPPOINT lppt);
KOVA_EXPORT BOOL WINAPI LineTo(HDC hdc, int x, int y);
KOVA_EXPORT BOOL WINAPI TextOutW(HDC hdc, int x, int y, LPCWSTR lpString, int c);
KOVA_EXPORT BOOL WINAPI ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* lprect, LPCWSTR lpString,
                                    UINT c, const INT* lpDx);
KOVA_EXPORT int WINAPI DrawTextW(HDC hdc, LPCWSTR lpchText, int cchText, LPRECT lprc, UINT format);

// ---- icons -----------------------------------------------------------------------------------
// RT_GROUP_ICON of a module (the first image of the group), or a standard icon for a null
// instance. Icons of modules live as long as the module (DestroyIcon is not needed).
KOVA_EXPORT HICON WINAPI LoadIconW(HINSTANCE hInstance, LPCWSTR lpIconName);
KOVA_EXPORT BOOL WINAPI DestroyIcon(HICON hIcon);
KOVA_EXPORT BOOL WINAPI DrawIcon(HDC hDC, int X, int Y, HICON hIcon);


// Font families installed in the system (the "Fonts" key of the system's registry, as
// "Face (TrueType)" = file): one callback per family, or per family of that name when
// lpszFamily is given; TrueType and OpenType families are TRUETYPE_FONTTYPE, others
// RASTER_FONTTYPE. Answers the callback's last answer (enumeration stops at 0), 1 when
// nothing was enumerated.
KOVA_EXPORT int WINAPI EnumFontFamiliesW(HDC hdc, LPCWSTR lpszFamily, FONTENUMPROCW lpProc, LPARAM lParam);

}  // extern "C"

#pragma GCC visibility pop
