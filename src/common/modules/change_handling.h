// What follows a control's change: the option's alert (which may refuse it and put the old
// value back), its transacts, the after-change built-in function and a follow-up page.
#pragma once

#include "base/dictionary_pages.h"
#include "model/model_image.h"
#include "win/types.h"
#include "win/window.h"

struct DriverContext;

// Private messages of the pages.
constexpr UINT PAGEMSG_DEFERRED_ALERT = 0x8001;
constexpr UINT PAGEMSG_PRESS_AND_HOLD = 0x8002;
constexpr UINT PAGEMSG_PRESS_OK = 0x8003;
constexpr UINT PAGEMSG_PRESET_SELECT = 0x8004;
constexpr UINT PAGEMSG_FIT = 0x8006;
constexpr UINT PAGEMSG_REFUSED = 0x8007;

// 1 when the change was refused. Mode 1 writes `value` into the control's field first (the
// old value goes back when refused); any other mode takes the field as already written.
int ApplyControlValue(DriverContext* context, PageRecord* page, ControlRecord* control, DWORD value, int mode);
int SetControlValueAndApply(DriverContext* context, PageRecord* page, ControlRecord* control, DWORD value);
// The alert's box; its answer, or 0 when the message is not in the message table.
int ShowAlertBox(DriverContext* context, ImageRef alert, HWND owner);
int CheckAlertAndFollowUp(DriverContext* context, PageRecord* page, ImageRef option);
int OpenFollowUpPage(DriverContext* context, PageRecord* page, ImageRef option, WORD afterChange);
void ClearFollowUpGuard(DriverContext* context, UINT message, WORD commandId, const NMHDR* header, int force);
bool AnyFieldChanged(DriverContext* context);
void ClearDirtyOptions(DriverContext* context);
// The deferred box of a numeric edit (0x8001 at the page).
void ShowDeferredAlert(DriverContext* context, PageRecord* page, WPARAM controlId, LPARAM alertOffset);
