// The checks of clipboard text pasted into the print-type and authentication edits.
#pragma once

#include "win/types.h"

// Kinds of PasteAllowed.
constexpr int PASTE_USER_ID = 1;      // ASCII letters and digits only, no double-byte character
constexpr int PASTE_NO_QUOTES = 2;    // no double quote (the byte after a lead byte is skipped)

// Whether the first `limit` bytes of the 8-bit clipboard text (up to its end) may be pasted.
// A lead byte that ends the text, or stands at the limit, has no trail byte to skip: the
// check stops there instead of reading past the text.
bool PasteAllowed(const char* text, int limit, int kind);
