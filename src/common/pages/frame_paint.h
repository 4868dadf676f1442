// The frame and caption painter of the owner-drawn buttons and the paint-DC routines of the
// control painters.
#pragma once

#include "base/dictionary_pages.h"
#include "win/paint.h"
#include "win/window.h"

struct DriverContext;

// A solid brush and pen of the colour over the rectangle.
void FillRectangle(HDC dc, const RECT* rect, COLORREF colour);
// The text's extent; without a text the average character width and the character height.
void MeasureText(HDC dc, const WCHAR* text, SIZE* size);
// The work area's paint DC while a framework paint runs, else the window's DC clipped to its
// client area; ReleaseControlPaintDC releases only a DC taken from the window.
HDC GetControlPaintDC(DriverContext* context, HWND window);
void ReleaseControlPaintDC(DriverContext* context, HWND window, HDC dc);
// A button face in `rect`: style & 0xF = 2 two 3D rings (pressed or not), 4 the picture
// edges of bits 0x30 and 0xC0; with a text window its caption (the frame text) centred, "<"
// and ">" as triangles, embossed while the window is disabled; a focus rectangle when
// focused. The width of the drawn text (0 without a text window).
int PaintFrame3D(DriverContext* context, PageRecord* page, ControlRecord* control, HWND textWindow, HDC dc,
                 RECT rect, DWORD style, bool pressed, bool focused);
// Message slot of the sub-dialog buttons: WM_MEASUREITEM sizes the item to the control,
// WM_DRAWITEM draws its face, caption and the pictures of its option's values.
LRESULT DrawSubDialogButton(DriverContext* context, PageRecord* page, ControlRecord* control, UINT message,
                            WPARAM wParam, LPARAM lParam);

// Small routines of the dialog procedures and the control kinds.
inline WORD HiWordOf(DWORD value) { return static_cast<WORD>(value >> 16); }
inline bool IsEqualValue(const void*, LONG_PTR a, LONG_PTR b) { return a == b; }
inline int FontHeightAsIs(HDC, int height) { return height; }
