// Operations of the quality list and the job-control library that loading and saving
// settings files call. Each has its final name and signature and the least behaviour the
// load and save need now.
#pragma once

#include "win/types.h"

struct DriverContext;


// ---- quality list ----------------------------------------------------------------------------
// SaveQualityEntry.
#include "stored/quality_list.h"

// ---- job control -----------------------------------------------------------------------------
void JobControlOpen(DriverContext* context);
void JobControlClose(DriverContext* context);
void JobControlRead(DriverContext* context, DWORD mask);
void JobControlWrite(DriverContext* context, DWORD mask);
// Clears the job-control items of the mask.
void JobControlClearItems(DriverContext* context, DWORD mask);
// The user-code step of the device sheet: stores the user code of kdmLogCode with the
// provider.
void UserCodeStore(DriverContext* context);
