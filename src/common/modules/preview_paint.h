// The watermark and copy-guard previews drawn over the page picture's sheet, into the
// off-screen picture of the paint state (or the given device context without one).
#pragma once

#include "base/dictionary_pages.h"
#include "win/paint.h"

struct DriverContext;

// The watermark text or image as it will print, scaled from the paper to a width × height
// sheet placed in `rect`: nothing without the preview control's type-8 data or while the
// watermark function is off.
void PaintWatermarkPreview(DriverContext* context, ControlRecord* control, int width, int height, HDC dc,
                           const RECT* rect);
// The copy-guard colour swatch (control 2931) or the copy-guard text pattern (control 2943)
// while the copy-guard function is on.
void PaintDensityPreview(DriverContext* context, ControlRecord* control, int width, int height, HDC dc,
                         const RECT* rect);
