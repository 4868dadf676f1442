// Loading and saving settings files: the section transfer under the driver mutex, the
// section name a plain file uses (the model's), and for plain files the follow-up work that
// keeps the per-printer lists, the job-control library and the derived settings in step.
#pragma once

#include "win/types.h"

struct DriverContext;

// Loads the file into the context's settings; 1 or 0. The settings-file status tells why a
// load did nothing; it is the section transfer's.
int LoadSettingsFile(HANDLE printer, const WCHAR* path, DWORD flags, DriverContext* context);
// Saves the context's settings into the file; 1 or 0. The context's settings are left as
// they were.
int SaveSettingsFile(HANDLE printer, const WCHAR* path, DWORD flags, DriverContext* context);

// The seven media fields holding a custom media id (1025-1040) are set to 1 for a save and
// put back afterwards. Protect answers 0 only when its block cannot be allocated.
int ProtectCustomMediaValues(DriverContext* context);
void RestoreCustomMediaValues(DriverContext* context);
