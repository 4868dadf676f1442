// The end of a device-mode road: the derived fields, the final device-mode written into the
// caller's output buffer with the collate rule, and the device settings saved.
#pragma once

#include "win/types.h"

struct DriverContext;

// The caller's document mode bits (fMode) that ask for an output device-mode.
constexpr DWORD DOCMODE_UPDATE = 1;  // DM_UPDATE
constexpr DWORD DOCMODE_COPY = 2;    // DM_COPY

// The network key told to job control at a device sheet's end: a key that does not count
// is cleared in the settings and in its edit box on the advanced page; the secure mode goes
// with the authentication mode.
void ExchangeNetworkKey(DriverContext* context);

// Nothing unless the caller's mode has DOCMODE_UPDATE or DOCMODE_COPY. With DOCMODE_COPY
// the capability block is filled first; the job-control items of mask 14495 are cleared;
// with DOCMODE_COPY or on a document-properties context the context's device-mode goes
// into the caller's output buffer shaped like its input, and the collate rule is applied
// to the output; with DOCMODE_UPDATE only, it is copied when there is an output buffer and
// the rule is applied to the context's own device-mode. An input the driver may not read
// (ReadableCallerDevmode) does not shape the output: the output gets the driver's own
// shape. The output takes at most the work area's pdmOutSize bytes (the whole device-mode
// when 0). 1; 0 when an output was to be written and could not be (it would not fit), in
// which case nothing of it was written.
int WriteOutputDevmode(DriverContext* context);
// The user-code step, the derived fields of the kind, then area 2 saved with the font lists.
int DeriveAndSaveArea2(DriverContext* context, DWORD kind);
// WriteOutputDevmode, then areas 3 and 1 saved.
int WriteOutputAndSaveDevice(DriverContext* context);
// The derived fields of the kind, then WriteOutputAndSaveDevice.
int FinishDevmode(DriverContext* context, DWORD kind);
// FinishDevmode(3).
int FinishDocumentSheet(DriverContext* context);
// The device sheet's end: DeriveAndSaveArea2(3).
int FinishDeviceSheet(DriverContext* context);
// The device property sheet's apply: the device settings applied and saved, a new saved
// snapshot, the result reported through the sheet's callback.
int ApplyDeviceSheetChanges(DriverContext* context);
// The settings of the device sheet written through job control and saved; on any other
// sheet the job items exchanged and the device-mode finished.
int ApplyDeviceSettings(DriverContext* context);
