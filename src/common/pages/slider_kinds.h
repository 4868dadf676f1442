// Spin bars, sliders built on scroll bars (one of them painted by the driver) and trackbars.
#pragma once

#include "base/dictionary_pages.h"
#include "win/types.h"

struct DriverContext;

// Kinds 23 and 81.
void InitSpinBar(DriverContext* context, PageRecord* page, ControlRecord* control);
void UpdateSpinBar(DriverContext* context, PageRecord* page, ControlRecord* control);
LRESULT OnSpinBarScroll(DriverContext* context, PageRecord* page, ControlRecord* control, UINT message, WPARAM wParam,
                        LPARAM lParam);
// Kinds 82 and 84.
void InitSlider(DriverContext* context, PageRecord* page, ControlRecord* control);
void UpdateSlider(DriverContext* context, PageRecord* page, ControlRecord* control);
void UpdateSliderCustom(DriverContext* context, PageRecord* page, ControlRecord* control);
LRESULT OnSliderMessage(DriverContext* context, PageRecord* page, ControlRecord* control, UINT message, WPARAM wParam,
                        LPARAM lParam);
// Kind 84 painted: mode 0 normal, 1 reversed (plus on the left).
void PaintSliderTrack(DriverContext* context, PageRecord* page, ControlRecord* control, int mode);
// The plus or minus sign over the arrow box a click at (x, y) of a kind-84 slider pressed, a
// pop-up window the caller destroys when the mouse tracking ends; null off the arrow boxes.
HWND ShowSliderSignPopup(DriverContext* context, PageRecord* page, ControlRecord* control, int x, int y);
// Kind 85.
void InitTrackbar(DriverContext* context, PageRecord* page, ControlRecord* control);
void UpdateTrackbar(DriverContext* context, PageRecord* page, ControlRecord* control);
LRESULT OnTrackbarScroll(DriverContext* context, PageRecord* page, ControlRecord* control, UINT message,
                         WPARAM wParam, LPARAM lParam);
