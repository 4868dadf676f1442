// Context help of the page controls.
#pragma once

#include "win/types.h"
#include "win/window.h"

// WinHelp for the control of `controlWindow` on the page of `pageWindow`: WM_HELP gives
// HELP_WM_HELP on the control's window, WM_CONTEXTMENU gives HELP_CONTEXTMENU, on the page
// window for a group box. The help data is {control id, help id} ended by a zero pair. A
// window that is no control of the page, or a hidden control, asks for nothing.
void ShowControlHelp(HWND pageWindow, HWND controlWindow, UINT message);
