// Operations of later parts of the driver that the settings-file transfer calls: the
// per-field INI read and write of the device-settings store, the warning box of the
// property-sheet framework, the printer-data write of one field, the two-way printer-data
// test and the resolution lock test. Each has its final name and signature and the least
// behaviour the transfer needs.
#pragma once

#include "win/types.h"

struct DriverContext;
struct SettingField;

// ---- device settings store --------------------------------------------------------------
// Reads one field under its section and key: from the in-memory section text with the
// shared cursor when memorySection is given, else through the profile API on iniPath (a
// drive-letter path). Numbers are read as at most 15 characters and converted by type;
// text fields are stored when not empty, except the two fields whose empty text clears
// them (524 and 1112). Nonzero when a value was stored.
// PENDING: the device-settings store replaces this with its own reader, which also takes
// the printer's display name as the section of a field that has none.
int ReadFeatureFromIni(DriverContext* context, SettingField* field, const WCHAR* iniPath, const char* memorySection,
                       LONG* cursor);
// Writes one field under its section and key: appended to the section text at *offset
// when buffer is given, else with WriteIniString on iniPath. Numbers as "%ld" (s32), "%u"
// (u8, u16), "%lu" (u32), "%d" (s8, s16, bits); text as it is. Nonzero on success.
// PENDING: the device-settings store replaces this with its own writer (display-name
// section for a field without one).
int WriteFeatureToIni(HANDLE printer, DriverContext* context, SettingField* field, const WCHAR* iniPath, char* buffer,
                      LONG* offset);
// Stores one printer-side field in printer data under its key; nonzero on success.
// PENDING: the device-settings store replaces this with its printer-data writer; until
// then nothing is written and the call succeeds.
int WriteFeatureToPrinterData(HANDLE printer, DriverContext* context, SettingField* field);
// The two text fields whose empty value is a value of its own (524 and 1112).
bool IsEmptyValueSignificantField(WORD id);

// ---- locks --------------------------------------------------------------------------
// -1 when the resolution option (feature 38) is absent, neither PickOne nor Numeric, a
// PickOne without items or a Numeric whose current value is 0; 1 Numeric; 0 PickOne.
// PENDING: the lock-data code replaces this with its own test.
int CheckFeature38Lock(DriverContext* context);

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
// The message id of the last warning recorded on this thread, 0 for none; clearing resets.
DWORD LastSettingsWarning(bool clear = false);
