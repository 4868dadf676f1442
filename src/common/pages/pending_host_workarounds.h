// The host workarounds of the pages: what the page code does for host applications whose
// own window classes interfere with the pages' controls.
#pragma once

#include "win/window.h"

struct DriverContext;

// When a top-level window of one of the host classes known to replace the standard
// controls' window procedures exists, every child window of the given window gets back the
// window procedure of its own window class. Runs on each page's WM_INITDIALOG, on the sheet
// in preset-save mode and in the file dialogs, before the controls are subclassed.
void RestoreHostClassWindowProcs(DriverContext* context, HWND window);
