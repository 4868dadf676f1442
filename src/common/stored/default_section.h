// The printer's default settings in its default section of the per-printer INI (the
// printer name followed by ".DefaultSection"), kept in step with the locked-defaults copy
// in printer data ("LockDefaultData"), and the refresh of every per-printer list at install.
#pragma once

#include "win/types.h"

struct DriverContext;

// "<cached printer name>.DefaultSection" with '[' and ']' replaced by ',' into section
// (261 characters).
void MakeDefaultSectionName(DriverContext* context, WCHAR* section);
// The default section into the settings (a plain load, then the printer-side fields key by
// key); 0 when the section lacks kdmMachineID.
int ReadDefaultSection(DriverContext* context);
// The settings into the default section (a plain save, then the printer-side fields); 1.
int WriteDefaultSection(DriverContext* context);
// Brings the default section and "LockDefaultData" to the same content, preferring the
// section; without one, the stored locked defaults are checked against the model and
// repaired first. The context's settings are unchanged. 1, or 0 without a buffer.
int SaveDefaultSettings(DriverContext* context);
// At install: the device settings and font lists into printer data (not for a
// connection), the per-printer key table, then every preset, quality, stamp and free-size
// entry rewritten. 1.
int InitUserLists(HANDLE printer, DriverContext* context);
