// Merging an incoming device-mode (from an application, the spooler or a settings file)
// into the context's own: import and check, upgrade or discard its private block, apply a
// common-settings request, take over the private block keeping the bytes that describe the
// current environment, take over and validate its public fields, bring the settings in
// line with printer data, plug-ins and user codes, clean the text fields, reconcile the
// public and private views, and validate every field the model does not describe.
#pragma once

#include "win/devmode.h"
#include "win/types.h"

struct DriverContext;

// Merge flags (the argument; kept in the work area's mergeFlags until the next merge).
constexpr DWORD MERGE_IN_BUFFER = 0x8;                 // DM_IN_BUFFER
constexpr DWORD MERGE_IN_PROMPT = 0x4;                 // DM_IN_PROMPT
constexpr DWORD MERGE_KEEP_PRINT_METHOD = 0x10000;
constexpr DWORD MERGE_IMAGE_FORM_JOB = 0x20000;
constexpr DWORD MERGE_KEEP_JOB_SELECTIONS = 0x400000;
constexpr DWORD MERGE_DOCUMENT_ROAD = 0x2000000;
constexpr DWORD MERGE_LOADING_SETTINGS_FILE = 0x10000000;
constexpr DWORD MERGE_COMMON_BLOCK_APPLIED = 0x40000000;
constexpr DWORD MERGE_TOOLBAR_CHECK_BITS = 0x1023000C;
constexpr DWORD MERGE_PRINTER_DATA_BITS = 0xC220004;
constexpr DWORD MERGE_UI_PLUGIN_BITS = 0x10220004;
constexpr DWORD MERGE_RULE_REFRESH_BITS = 0x1D220004;

// Module events of the merge.
constexpr DWORD kMergeDoneEvent = 52;   // block: DWORD* flags

// 1 done (also when nothing was to be done), 0 when a working copy could not be allocated.
// `in` is read as a device-mode of dmSize + dmDriverExtra bytes; one whose dmSize is not a
// public size is not read at all (the merge runs as for null). With null the context's own
// device-mode is merged into itself.
int MergeDevmode(DriverContext* context, const DEVMODEW* in, DWORD flags);
// The same for a caller's buffer of `size` bytes: a buffer that does not hold its own
// dmSize + dmDriverExtra (IsIncomingDevmodeReadable) is not read.
int MergeDevmodeFromBuffer(DriverContext* context, const void* in, DWORD size, DWORD flags);

// The fifteen text fields of the device-mode lose their control characters (tab kept,
// double-byte characters kept whole), in id order.
void SanitizeAllFields(DriverContext* context);
// 1 done or nothing to do; 0 when the id is not one of the fifteen, the field has no text
// or a buffer could not be allocated.
int SanitizeStringField(WORD id, DriverContext* context);
