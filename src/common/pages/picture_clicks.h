// What a click on a picture selects: the printer pictures' hot spots choose a tray or an
// output bin, other pictures step the control they are linked to (or themselves).
#pragma once

#include "base/dictionary_pages.h"
#include "model/control_state_tables.h"
#include "win/types.h"
#include "win/window.h"

struct DriverContext;

// The first row of the table (ended by a row of value 0) that applies and whose rectangle,
// moved by its shift rows, holds the point; its moved rectangle into `rect`. A point with a
// negative x is measured from the picture's right edge and tested against [right, left).
const HotspotRow* HitTestHotspots(DriverContext* context, RECTL* rect, POINT point, const HotspotRow* table);

// The control a picture's linked id names: the control with that id on any page, else the
// radio group of that item id that shows the current value, stepped on to its next button
// that is neither hidden nor greyed (wrapping). Null when there is none.
ControlRecord* FindLinkedControl(DriverContext* context, WORD linkedId);

// A release of the left button at client point (x, y) of a picture control (kinds 2 and 3):
// 1 when the click selected something (the page is repainted), 0 when the picture's own
// window procedure should have it.
int SelectByPictureClick(DriverContext* context, PageRecord* page, ControlRecord* picture, int x, int y);
