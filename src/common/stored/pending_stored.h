// Operations of later parts of the driver that the settings-file transfer calls: the
// warning box of the property-sheet framework, the two-way printer-data test and the
// resolution lock test. Each has its final name and signature and the least behaviour the
// transfer needs.
#pragma once

#include "win/types.h"

struct DriverContext;
struct SettingField;

// ---- device settings store --------------------------------------------------------------
// The per-field reads and writes the transfer calls.
#include "stored/device_settings.h"

// ---- locks --------------------------------------------------------------------------
#include "stored/lock_data.h"

// ---- printer communication ---------------------------------------------------------
// True when the printer data value "BidiFlag" can be read and written back unchanged.
// PENDING: the printer-communication code replaces this; until then the printer data is
// taken as writable.
BOOL CanWriteBidiPrinterData(DriverContext* context);

// ---- property-sheet framework ------------------------------------------------------
// Shows UI message `messageId` as a warning box with the text filled in; the box's result.
// PENDING: the property-sheet framework replaces this with its message box; until then the
// warning is only recorded (LastSettingsWarning) and the answer is IDOK.
int ShowWarningWithText(DriverContext* context, void* owner, DWORD messageId, const WCHAR* text);
// Shows UI message `messageId` as an information box.
// PENDING: the property-sheet framework replaces this with its message box; until then the
// message is only recorded (LastSettingsWarning).
int ShowInformationMessage(DriverContext* context, DWORD messageId);
// Opens a property page as a modal dialog; 1 when it ended with OK.
// PENDING: the property-sheet framework opens the page; until then no page is shown and the
// answer is 0 (not accepted), so nothing that depends on the page is done.
int ShowPage(DriverContext* context, int kind, WORD pageId, void* parent);
// The message id of the last warning recorded on this thread, 0 for none; clearing resets.
DWORD LastSettingsWarning(bool clear = false);
