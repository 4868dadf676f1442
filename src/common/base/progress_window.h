// The modeless progress window shown while a long operation runs on the caller's thread.
#pragma once

#include "win/types.h"

struct DriverContext;
struct HWND__;
using HWND = HWND__*;

constexpr WORD IDD_PROGRESS_WINDOW = 4006;
constexpr WORD IDC_PROGRESS_TEXT = 5005;

// Dialog template 4006 of the UI resource module, owned by the active window, titled with
// the printer's display name, item 5005 showing UI string `stringId`. Null without the
// module or the template. The window argument is not used; no window is disabled.
HWND ShowProgressWindow(DriverContext* context, HWND window, DWORD stringId);
// DestroyWindow's answer; nothing happens for null.
BOOL CloseProgressWindow(HWND progress);
