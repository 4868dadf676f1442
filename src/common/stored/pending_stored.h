// Operations of other parts of the driver that the settings-file transfer calls: the
// message boxes, the two-way printer-data test and the page the preset refresh opens.
// Each has its final name and signature and the least behaviour its callers need.
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

// ---- message boxes ------------------------------------------------------------------
#include "context/message_boxes.h"
// Shows UI message `messageId` as an information box; the box's result.
int ShowInformationMessage(DriverContext* context, DWORD messageId);

// ---- property-sheet framework ------------------------------------------------------
// ShowPage opens a property page as a modal dialog.
#include "pages/page_opening.h"
