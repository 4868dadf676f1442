// Whether the pointer over a page control stands on something a click selects: a printer
// picture's hot spot, a value picture of the picture table, or an icon list or list view.
#pragma once

#include "base/dictionary_pages.h"
#include "win/types.h"
#include "win/window.h"

struct DriverContext;

// True when `control` is hot at `point` (client coordinates of the control's window). For a
// printer picture over a hot spot the control's tip id becomes the hot spot's value and
// `tipAt` (when given) the hot spot's corner in the control's client coordinates; `tipAt`
// is left alone otherwise.
bool IsControlHot(DriverContext* context, ControlRecord* control, POINT point, POINT* tipAt);

// The pointer moved over the control: the hand cursor is set while it is hot (the previous
// cursor saved), the saved cursor comes back when it is not, and the tip popup is placed.
void TrackControlHotness(DriverContext* context, PageRecord* page, ControlRecord* control, POINT point);

// A press at `point` (client coordinates of the control's window) on a slider (kind 84)
// with a field and a numeric option that would push its value past the end where it
// stands: within one arrow width of the left edge while the value is at most the option's
// minimum, or of the right edge while it is at least its maximum. A slider a module shows
// reversed is read from the other end of its scroll range. Such a press is refused (the
// click swallowed, the hit test answering an error).
bool IsSliderEndArrowAt(DriverContext* context, ControlRecord* control, POINT point);
