// Pictures and icons of the UI resource modules, and bitmap files: which module holds a
// picture id, loading icons, bitmaps and BMP files, the colour adjustment of pictures and
// the version of the common controls.
#pragma once

#include "win/types.h"

struct DriverContext;
struct HWND__;
using HWND = HWND__*;
struct HBITMAP__;
using HBITMAP = HBITMAP__*;
struct HDC__;
using HDC = HDC__*;

// A row of the built-in table: the first row whose range holds a picture id names the
// module (neutral 1: the language-neutral module, 0: the UI resource module).
struct PictureRange {
  std::int32_t first;
  std::int32_t last;
  std::int32_t neutral;
};
// The rows in order, ended by a zero row.
const PictureRange* GetPictureRangeTable();
// The loaded module that holds a picture id: rows whose module is not loaded are passed
// over. Null when no range with a loaded module holds it.
HMODULE PictureModule(DriverContext* context, DWORD pictureId);

// Draws icon `iconId` of the UI resource module at (0, 0) of the window; nothing without one.
void DrawValueIcon(DriverContext* context, HWND window, DWORD iconId);
// LoadIconW from the UI resource module and DrawIcon; nothing when the module or icon is missing.
void DrawIconAt(DriverContext* context, HDC dc, int x, int y, DWORD iconId);
HBITMAP LoadPictureBitmap(DriverContext* context, DWORD pictureId);
HBITMAP LoadNeutralBitmap(DriverContext* context, const WCHAR* name);
// The packed DIB of a picture (RT_BITMAP) in its module, valid while the module is loaded;
// null as LoadPictureBitmap.
const void* FindPictureResource(DriverContext* context, DWORD pictureId, DWORD* size = nullptr);
// Reads `bytes` bytes of an open file into a global memory block in reads of at most 16384
// bytes. False when the block is too small or a read falls short.
BOOL ReadFileBlocks(HANDLE file, HGLOBAL block, DWORD bytes);
// A BMP file with a BITMAPINFOHEADER as a bitmap of the display. Null with width and
// height 0 when the file cannot be opened or is not accepted: a bit count other than 1, 4,
// 8, 16, 24 or 32, a compressed image, a width or height of 0 or beyond 32768, or a header,
// colour table or rows reaching past the end of the file. A later failure gives null with
// the header's width and height.
HBITMAP LoadDibFile(const WCHAR* path, int* width, int* height);
// A colour passed through the six adjust values of the paint state (brightness, contrast,
// saturation, red, green and blue balance; 50 each: unchanged); grey gives R = G = B.
DWORD AdjustPictureColor(DriverContext* context, DWORD color, BOOL grey);
// Major x 100 + minor of comctl32.dll (its DllGetVersion), 0 without the library or export.
DWORD GetCommonControlsVersion();
