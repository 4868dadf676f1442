// Opening framework pages: a sub-dialog or a page group with a settings snapshot that
// Cancel restores, and the dialog procedure of every property-sheet page.
#pragma once

#include "win/types.h"
#include "win/window.h"

struct DriverContext;

constexpr int SHOWPAGE_SUBDIALOG = 4;
constexpr int SHOWPAGE_GROUP_10 = 0x10;

// The sub-dialog's closing command (1 OK, 2 Cancel, ...), the property sheet's result, or
// the file dialog's; 0 when no page has the id; -1 when the UI resource DLL cannot be had,
// when the dialog fails to open (a failed dialog is a cancel: the settings go back), or when
// the settings snapshot cannot be taken (nothing opens).
int ShowPage(DriverContext* context, int mode, WORD pageId, void* parent);
INT_PTR PropertySheetPageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
