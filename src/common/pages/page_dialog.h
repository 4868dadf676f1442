// The dialog procedure of every framework page and the routing of its messages: the page
// code's own handler, the extension modules, then the controls' kinds.
#pragma once

#include "base/dictionary_pages.h"
#include "win/types.h"
#include "win/window.h"

struct DriverContext;

INT_PTR PageDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The context a page window carries.
DriverContext* PageContext(HWND page);
// The last control in table order that has a window containing the screen point and is
// not hidden.
ControlRecord* ControlAtPoint(PageRecord* page, int x, int y);
// Keeps the shown siblings that lie above a control window out of a DC of it, but not a
// sibling that holds the whole control (a group box around it).
void ExcludeSiblingsAbove(HWND window, HDC dc);
bool IsNumericKey(DriverContext* context, WCHAR character);
// Runs the press-and-hold repeat of a button until it is released; the loop waits for
// the next message or timer tick instead of polling. The number of steps run.
int RunPressAndHold(DriverContext* context, PageRecord* page, ControlRecord* control, bool fromKey);
