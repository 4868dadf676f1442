// The painter of the sliders the driver draws itself (kind 84).
#pragma once

#include "base/dictionary_pages.h"
#include "base/driver_context.h"

// Paints a kind-84 slider: mode 0 normal, 1 reversed (plus on the left arrow).
void PaintSliderTrack(DriverContext* context, ControlRecord* control, int mode);
