// Message boxes of the driver: a UI string with optional arguments, a prefix and a
// suffix, captioned with a UI string or the printer's display name; and the system's text
// of an error code.
#pragma once

#include "win/types.h"

struct DriverContext;
struct HWND__;
using HWND = HWND__*;

// The request of a formatted message box.
struct MessageRequest {
  WORD textId;          // UI string of the message; with an argument its inserts are filled
  WORD captionId;       // UI string of the caption; 0: the printer's display name
  WORD boxType;         // MessageBoxW type bits (icon and buttons)
  WORD extraFlags;      // further MessageBoxW bits
  const WCHAR* prefix;  // put before the message, followed by a blank line; null: none
  WORD argumentKind;    // 1: one wide text; 2: an array of 16-bit numbers
  WORD argumentCount;   // numbers of kind 2 (1 to 8 are used)
  const void* argument; // the text or the numbers; null: the message is shown as it is
  const WCHAR* suffix;  // put after the message between blank lines; null: none
};

constexpr WORD MSGARG_TEXT = 1;
constexpr WORD MSGARG_NUMBERS = 2;

// Shows the box; its answer, or 0 when the request is refused (missing, an argument
// without a kind, kind 2 without a count) or memory runs out. The message's inserts are
// filled by position ("%s"/"%ls" with the text; "%d", "%u", "%x", "%X", "%hd", "%hu", "%ld",
// "%lu" with the numbers in order; "%%" is one '%'), never used as a format string:
// any other '%' sequence stays as it is and an insert without an argument stays too.
int ShowFormattedMessage(DriverContext* context, const MessageRequest* request, HWND owner);
// MB_ICONWARNING | MB_OK, caption the printer name. A null owner is the active window.
int ShowWarningBox(DriverContext* context, HWND owner, DWORD textId);
// MB_ICONWARNING | MB_OKCANCEL: IDOK or IDCANCEL.
int AskWarningOkCancel(DriverContext* context, HWND owner, DWORD textId);
// MB_ICONWARNING; the text's insert is filled with `text`.
int ShowWarningWithText(DriverContext* context, void* owner, DWORD textId, const WCHAR* text);
// The given MessageBoxW bits, no arguments.
int ShowMessageBoxFlags(DriverContext* context, HWND owner, DWORD textId, UINT boxType, UINT extraFlags);
// MB_OK | MB_ICONINFORMATION without an owner; the box's result.
int ShowInformationMessage(DriverContext* context, DWORD messageId);
// The system's text of an error code in a warning box captioned with the printer name;
// nothing for a code without a text. Always 1.
int ShowSystemErrorText(DriverContext* context, DWORD errorCode, HWND owner);
