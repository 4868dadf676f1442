// The display strings Panelis hands the rendering DLL at document start: the three rows
// of the escape-122 table, filled from the printer's string DLL and sent through
// ExtEscape on the document's device context.
#pragma once

#include "base/escape_strings.h"
#include "win/gdi.h"
#include "win/types.h"

constexpr int kRendererEscape = 122;
// Rows before the terminator, and the bytes one send carries (the terminator row too).
constexpr int kRendererStringRows = 3;
constexpr int kRendererEscapeBytes = (kRendererStringRows + 1) * static_cast<int>(sizeof(EscapeStringRecord));
static_assert(kRendererEscapeBytes == 2104);

// The built-in rows {731, 15000}, {733, 15001}, {735, 15002} and the terminator, with
// empty texts.
const EscapeStringRecord* RendererStringRows();

// The string DLL's path: the printer's driver directory followed by its "HelpFileName"
// printer data with the text after the last '.' replaced by "dll". Only a bare file name is
// accepted (no folder, drive or stream separator, not "." or ".."), so the printer data
// cannot name a library outside the driver directory. 1 with the path in the buffer
// (MAX_PATH characters), 0 with it empty.
int BuildStringDllPath(HANDLE printer, WCHAR* buffer);
// The handle in the slot, loading the DLL into it when the slot is empty; null when the
// printer data is missing or unusable or the DLL cannot be loaded.
HMODULE GetStringDll(HANDLE printer, HMODULE* slot);
// Empties the destination, then loads the string (at most capacity - 1 characters); the
// characters loaded.
int LoadRendererString(HANDLE printer, HMODULE* slot, UINT stringId, WCHAR* destination, int capacity);
void FreeStringDll(HMODULE module);

// The table of one send: the built-in rows with their texts from the string DLL (empty when
// the DLL or a string is missing); the terminator row stays empty.
void FillRendererStrings(HANDLE printer, EscapeStringRecord (&table)[kRendererStringRows + 1]);
// Fills the table and sends it with escape 122 (2104 bytes, no output) on the device
// context; the escape's answer is not examined.
void SendStringsToRenderer(HANDLE printer, HDC dc);
