// The picture painter of the property pages: pictures named by id, bitmap files and held
// bitmaps drawn with their flags (transparency by a mask colour, anchoring, stretching,
// overlay raster operations, the tab-page background of the visual style), colour
// adjustment, the palette, and an off-screen buffer in which several pictures are combined
// before one copy reaches the screen.
#pragma once

#include "base/ui_paint_state.h"
#include "win/paint.h"
#include "win/window.h"

struct DriverContext;
struct PageRecord;
struct ControlRecord;

// Picture flags.
constexpr DWORD kPictureTransparent = 0x1;  // over what the destination already shows
constexpr DWORD kPictureStretch = 0x2;      // fills the target (colour-adjusted resource pictures)
constexpr DWORD kPictureOpaque = 0x4;
constexpr DWORD kPictureCentreX = 0x10;     // x is the picture's horizontal centre
constexpr DWORD kPictureRight = 0x20;       // x is its right edge
constexpr DWORD kPictureCentreY = 0x40;
constexpr DWORD kPictureBottom = 0x80;
constexpr DWORD kPictureOverlay = 0x1000;
constexpr DWORD kPictureAnd = 0x2000;       // final combination SRCAND
constexpr DWORD kPictureMergePaint = 0x4000;  // final combination MERGEPAINT

// The mask colour of pictures that do not name their own.
constexpr COLORREF kPictureMaskColour = RGB(204, 0, 51);

// The context's paint state, its start values set on first use (adjust values 50, the
// button-face background); null without a context or work area.
PicturePaintState* GetPaintState(DriverContext* context);
// Buffered painting on; an earlier memory picture that was never copied out is freed.
void BeginBufferedPaint(DriverContext* context);
// Buffered painting off: the memory picture (stretched from the pending source size, or
// copied) goes to the rectangle, else the window's client area, of the paint override or
// the window's device context; without a target nothing is copied. The memory picture is
// freed in every case.
void EndBufferedPaint(DriverContext* context, HWND window, const RECT* rect);
// Picture `pictureId` into the window's client area (at its top left) or centred in the
// given rectangle, with the preview row's offsets and flags, through the paint override or
// the window's device context.
void DrawNamedPicture(DriverContext* context, PageRecord* page, ControlRecord* control, HWND window, const RECT* rect,
                      DWORD pictureId, DWORD flags, BOOL noTheme);
// A picture at (x, y) within `rect` of `dc`. `picture` is a picture id (below 0x10000), 0
// for the held bitmap (taken), a path whose second character is ':' (a BMP file), or a
// resource name of the language-neutral module. Nothing is drawn when it cannot be loaded.
void DrawPicture(DriverContext* context, PageRecord* page, ControlRecord* control, HDC dc, const RECT* rect, int x,
                 int y, const WCHAR* picture, DWORD flags, BOOL noTheme);
// The colour-adjusted preview of a picture id at its own size at (0, 0), transparent over
// the destination; the buffer is later stretched onto the target. Nothing for flags 0.
void DrawMaskedPicture(DriverContext* context, HDC dc, const RECT* rect, int x, int y, DWORD pictureId, DWORD flags);
// The process's palette: with no device context, non-null when the display is palette
// based; otherwise null on a display that is not. On a palette display index -1 selects a
// palette made of the entries into the device context (answering the previous one, the
// caller selects it back and deletes the new one) and an index 0-255 sets that entry.
HPALETTE PaletteSlot(HDC dc, int index, COLORREF colour);
// Frees what the paint state holds (the memory picture, the held bitmap).
void ReleasePicturePaint(DriverContext* context);
