// What the picture painter draws from: a loaded picture with its size, depth and mask
// colour; its masks; and the tab-page background of the visual style.
#pragma once

#include <vector>

#include "win/paint.h"
#include "win/window.h"

struct DriverContext;
struct PageRecord;
struct ControlRecord;

struct LoadedPicture {
  HBITMAP bitmap = nullptr;  // owned
  int width = 0;
  int height = 0;
  int bits = 32;             // the source's bits per pixel
  bool file = false;         // a BMP file
  COLORREF maskColour = 0;
  std::vector<COLORREF> colours;  // the (adjusted) colour table of a picture of 8 bits or less
  LoadedPicture() = default;
  LoadedPicture(const LoadedPicture&) = delete;
  LoadedPicture& operator=(const LoadedPicture&) = delete;
  ~LoadedPicture();
};

// Loads a picture as DrawPicture names it. With `adjust` a resource picture of at most 8
// bits per pixel has every colour-table entry passed through AdjustPictureColor (grey:
// luma only). False when it cannot be loaded.
bool LoadPicture(DriverContext* context, const WCHAR* picture, bool adjust, bool grey, LoadedPicture& out);
// A bitmap of the picture's size: black where the picture shows the mask colour and white
// elsewhere, or the other way round (inverse).
HBITMAP MakePictureMask(HDC pictureDc, const LoadedPicture& picture, bool inverse);
// Paints the tab-page body of the visual style into `dc` over `size` (the composition,
// whose top left is `origin` in the control's client coordinates), when the visual style
// applies: UxTheme.dll with every call present, noTheme clear, the page not running as a
// modal sub-dialog, visual styles on, common controls 6.0 or later, and the background the
// button face. False when it does not apply (nothing drawn).
bool DrawTabPageBackground(PageRecord* page, ControlRecord* control, HDC dc, SIZE size, POINT origin, BOOL noTheme,
                           COLORREF background);
