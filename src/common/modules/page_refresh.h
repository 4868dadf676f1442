// A page brought in line with the settings and the model's rules: hidden and greyed
// controls, lock markers, re-initialised lists and the values shown.
#pragma once

#include "base/dictionary_pages.h"
#include "model/model_image.h"
#include "win/types.h"
#include "win/window.h"

struct DriverContext;

// Lock markers are child windows of the page with control ids of their own: the control's
// id plus kLockMarkerIdBase. Template control ids lie in 1-5005 and the common-dialog ids
// below 1200, so 20000-25005 belongs to no template and no marker shares an id with a
// control of any page.
constexpr WORD kLockMarkerIdBase = 20000;
WORD LockMarkerIdOf(WORD controlId);

// `full` 1 treats every setting as changed.
// A control brought to its first state (its modules, else its kind's init slot).
void InitControl(DriverContext* context, PageRecord* page, ControlRecord* control);
// The command slot of the control's kind; nonzero when it took the command.
LRESULT DispatchControlCommand(DriverContext* context, PageRecord* page, ControlRecord* control, WPARAM wParam,
                               LPARAM lParam);
// The message slot of the control's kind; nonzero when it took the message.
LRESULT DispatchControlMessage(DriverContext* context, PageRecord* page, ControlRecord* control, UINT message,
                               WPARAM wParam, LPARAM lParam);
void RefreshPage(DriverContext* context, PageRecord* page, int full);
DWORD IsControlOptionDisabled(DriverContext* context, ImageRef option, WORD controlId);
DWORD GetControlGreyState(DriverContext* context, PageRecord* page, ControlRecord* control);
int GreyInputsChanged(DriverContext* context, PageRecord* page, ControlRecord* control);
int HideInputsChanged(DriverContext* context, ControlRecord* control);
int RuleReadsChangedField(DriverContext* context, ImageRef program);
LRESULT LockMarkerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The lock marker of a control on its page, or null.
HWND FindLockMarker(HWND page, const ControlRecord* control);
