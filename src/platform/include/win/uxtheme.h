// Visual styles ("UxTheme.dll", loaded by name): theme handles of window classes and the
// backgrounds of their parts. Our own declarations, written from the documented behaviour
// of the Windows calls of the same names.
#pragma once

#include "win/window.h"

// Exported by the platform library (built with hidden visibility otherwise).
#pragma GCC visibility push(default)

using HTHEME = HANDLE;

// Parts of the "Tab" class.
constexpr int TABP_TABITEM = 1;
constexpr int TABP_PANE = 9;
constexpr int TABP_BODY = 10;

extern "C" {
// Whether visual styles are on (plat::ui::SetVisualStylesActive steers it; on by default).
KOVA_EXPORT BOOL WINAPI IsThemeActive();
// The theme of a class list (names separated by ';', the first known one is taken) for a
// window; null when visual styles are off or no name is known.
KOVA_EXPORT HTHEME WINAPI OpenThemeData(HWND hwnd, LPCWSTR pszClassList);
KOVA_EXPORT HRESULT WINAPI CloseThemeData(HTHEME hTheme);
// Paints a part's background into pRect, limited to pClipRect when given.
KOVA_EXPORT HRESULT WINAPI DrawThemeBackground(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, LPCRECT pRect,
                                              LPCRECT pClipRect);
// Names the theme a window's class list stands for; an empty application name ("") turns
// visual styles off for the window.
KOVA_EXPORT HRESULT WINAPI SetWindowTheme(HWND hwnd, LPCWSTR pszSubAppName, LPCWSTR pszSubIdList);
}  // extern "C"
#pragma GCC visibility pop
