// The tip popup of the page controls, as the pages call it.
#pragma once

#include "base/dictionary_pages.h"

struct DriverContext;

// Shows the tip of `control` at (x, y) of the page window; a null control closes the tip.
void SetTipPopup(DriverContext* context, ControlRecord* control, HWND pageWindow, int x, int y);
