// The kinds that show rather than edit: static texts that show a setting through a format
// string taken from the strings of the option's values, buttons that open a follow-up page,
// tab controls that show one group of controls at a time, and the settings tree.
#pragma once

#include "base/dictionary_pages.h"
#include "win/paint.h"
#include "win/types.h"

struct DriverContext;

// Formats one integer into `out` (at most `size` characters with the terminator) by the
// format string. Only %d, %i, %u, %x and %X (with the flags "-+ 0#", a width and an "l")
// take the value, each of them the same one; "%%" gives "%"; every other "%" sequence is
// shown as written, so a format that names a string or a pointer reads nothing. The
// characters written, without the terminator; `out` always ends in one when size > 0.
int FormatStaticValue(const WCHAR* format, DWORD value, WCHAR* out, int size);

// Update slot of the static kinds and the sub-dialog buttons: for every offered value of
// the control's option, in order, a non-empty UI string of the value formats the field
// value; the last one becomes the window text. No such value keeps the template text.
void UpdateStaticText(DriverContext* context, PageRecord* page, ControlRecord* control);

// Typed extra data of a tab control (type 6): one group of controls per tab.
struct TabGroupRecord {
  WORD title;  // UI string id
  WORD count;
  const WORD* ids;
};
struct TabGroupBlock {
  WORD type;   // 6
  WORD count;
  const TabGroupRecord* groups;
};
// Typed extra data of a two-part caption (type 9).
struct TwoPartCaption {
  WORD type;   // 9
  WORD first;  // UI string ids
  WORD second;
  WORD reserved;
  WORD separator;
};

// Sub-dialog buttons: the caption of the frame-text table (kind 21) or the two parts of the
// type-9 data joined by a blank (kind 24) becomes the window text.
void InitSubDialogButton(DriverContext* context, PageRecord* page, ControlRecord* control);
void InitTwoPartButton(DriverContext* context, PageRecord* page, ControlRecord* control);
// A click on a sub-dialog button with an option: the option's alert check, then, unless it
// answered, the option's follow-up page. Always handled.
LRESULT OnSubDialogButton(DriverContext* context, PageRecord* page, ControlRecord* control, WPARAM wParam,
                          LPARAM lParam);

// Tab controls: one tab per group of the type-6 data, the first group shown.
void InitTabControl(DriverContext* context, PageRecord* page, ControlRecord* control);
// TCN_SELCHANGE shows the selected tab's group. Answers 0.
LRESULT OnTabMessage(DriverContext* context, PageRecord* page, ControlRecord* control, UINT message, WPARAM wParam,
                     LPARAM lParam);
// Hides every control of every other group, then shows the group's controls (found on the
// page window by id).
void ShowTabGroup(PageRecord* page, const TabGroupBlock* block, int group);

// The settings tree: a root item per page of the context's page table (its symbol), under
// it one item per control: the control's name, a fullwidth colon and its field value, or
// "none" for a control without a name.
void InitSettingsTree(DriverContext* context, PageRecord* page, ControlRecord* control);
LRESULT IgnoreMessage(DriverContext* context, PageRecord* page, ControlRecord* control, UINT message, WPARAM wParam,
                      LPARAM lParam);

// Picture controls (kind 2): the update slot asks for a repaint; the common control procedure
// paints with PaintPictureControl.
void UpdatePictureControl(DriverContext* context, PageRecord* page, ControlRecord* control);
// The values of the control's option as pictures, into `dc` (the paint override) or the
// control's own DC, in `rect` or its client area: the current value only for a pick-one
// option without a linked control, else every offered value, later ones transparent over
// the earlier. A sheet picture is followed by module event 7 (the previews); a control with
// id 0 by event 29.
void PaintPictureControl(DriverContext* context, PageRecord* page, ControlRecord* control, HDC dc, const RECT* rect);

// Icon controls (kind 3): the icon of the current value for a pick-one option without a
// linked control, else the icons of every offered value, at the control's top left.
void UpdateValueIcon(DriverContext* context, PageRecord* page, ControlRecord* control);
