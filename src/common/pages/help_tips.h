// Context help, the delayed tip popup of the page controls, the value pictures and tips of
// the value table, and the host workaround for subclassed controls.
#pragma once

#include "base/dictionary_pages.h"
#include "win/types.h"
#include "win/window.h"

struct DriverContext;

// WinHelp for the control of `controlWindow` on the page of `pageWindow`: WM_HELP gives
// HELP_WM_HELP on the control's window, WM_CONTEXTMENU gives HELP_CONTEXTMENU, on the page
// window for a group box. The help data is {control id, help id} ended by a zero pair. A
// window that is no control of the page, or a hidden control, asks for nothing.
void ShowControlHelp(HWND pageWindow, HWND controlWindow, UINT message);

// The tip of `control` at (x, y) of the page window's client area, shown when the tip timer
// fires a second later; a null control closes the tip (but not one still waiting for its
// timer).
void SetTipPopup(DriverContext* context, ControlRecord* control, HWND pageWindow, int x, int y);
// As SetTipPopup; for a value combo `item` names the list item whose value is explained
// (below 0: the current selection).
void ShowTipPopup(DriverContext* context, ControlRecord* control, HWND pageWindow, int x, int y, int item);
// The tip timer (id 1) of the page: the waiting tip is shown while the pointer is still on
// its control and the focus is on its page. True when the timer was the tip's.
bool OnTipTimer(DriverContext* context, HWND pageWindow, UINT_PTR timerId);
void PaintTipPopup(DriverContext* context);
constexpr UINT_PTR kTipTimerId = 1;
constexpr UINT kTipDelay = 1000;

// The value table: the picture of a control's value (its greyed picture while the control
// is greyed), 0 without a row; the tip string id of the value, 0 without one.
WORD GetValuePicture(const ControlRecord* control, DWORD value);
WORD GetValueTipString(const ControlRecord* control, DWORD value);

// The caption of the button being drawn or initialised: the frame-text table's string id
// of the control (0xFFFF no caption), else 0 ("..."). ClearFrameText sets 0 again.
void SetFrameTextByControl(DriverContext* context, const ControlRecord* control);
void ClearFrameText(DriverContext* context);
constexpr WORD kNoFrameText = 0xFFFF;
// True when the control has a row in the frame-text table.
bool HasFrameTextRow(const ControlRecord* control);

// While a known host application that subclasses other windows' controls runs (a top-level
// window of its class exists), every child of `window` gets back its class's own window
// procedure; otherwise nothing.
void RestoreHostClassWindowProcs(DriverContext* context, HWND window);
// The hook a page without its own page code runs: nothing.
void NoPageHook(DriverContext* context);
