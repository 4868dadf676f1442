// The static kinds: texts that show a setting through a format string taken from the
// strings of the option's values.
#pragma once

#include "base/dictionary_pages.h"
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
