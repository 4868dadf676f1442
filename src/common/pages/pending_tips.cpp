// The tip popup of the page controls.
#include "pages/pending_tips.h"

void SetTipPopup(DriverContext* context, ControlRecord* control, HWND pageWindow, int x, int y) {
  // PENDING: the help and tips code (ShowTipPopup) shows the control's tip string in its popup
  // window at (x, y) of the page window and closes it for a null control; until it comes no
  // tip window is shown and nothing else changes.
  (void)context;
  (void)control;
  (void)pageWindow;
  (void)x;
  (void)y;
}
