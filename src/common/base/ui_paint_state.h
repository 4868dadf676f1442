// The picture painter's state, one per context (in its work area): what the pictures of a
// page are drawn into and with which colours. Used on the context's UI thread only.
#pragma once

#include <cstdint>

#include "win/types.h"

struct HDC__;
struct HBITMAP__;

struct PicturePaintState {
  BYTE ready;                  // 1 once the values below have their start values
  HDC__* overrideDc;           // drawn into instead of the window's own device context
  std::int32_t buffered;       // pictures go to the memory picture until it is copied out
  std::int32_t stretchPending; // the memory picture is stretched from the source size
  std::int32_t sourceWidth;
  std::int32_t sourceHeight;
  HDC__* memoryDc;
  HBITMAP__* memoryBitmap;
  void* previousBitmap;        // of memoryDc, selected back before it is deleted
  HBITMAP__* heldBitmap;       // the picture drawn for picture id 0 (taken when drawn)
  DWORD background;            // colour of a transparent picture's background
  std::int32_t adjust[6];      // brightness, contrast, saturation, red, green, blue; 50 = unchanged
  std::int32_t maskedPreview;  // the next named picture goes to the masked preview drawing
};
