// Operations of the stored-settings code that the device-mode defaults, checks and paper
// geometry call: the free-size list and its paper map, the printer's stored default
// device-mode and the default font face. Each has its final name and signature; the ones
// whose own code comes later have the least behaviour these callers need.
#pragma once

#include "win/spool.h"
#include "win/types.h"

struct DriverContext;

// Free sizes: the paper map rows 0-9 give paper ids 384-393, row 10 gives 256, row 11 448.
// The index of the first row with the paper id; 0 when there is none.
int FreeSizeIndexFromPaperId(DWORD paperId, DriverContext* context);
// Fills the ten free-size records of the work area once per change-flag generation.
void InitFreeSizes(DriverContext* context);
// Record `index` takes the size, tray and orientation of the user paper code 256
// (fields 340-343) or 448 (fields 344-347); other codes change nothing.
void LoadUserPaperNames(DriverContext* context, DWORD paperId, int index);
// Record n into the fields 920-924 (current free size) or 915-919 (free-size features).
void FreeSizeRecordToCurrent(DriverContext* context, int n);
void FreeSizeRecordToFeatures(DriverContext* context, int n);
// Entry n of the per-printer free-size list into the fields 915-919.
void ReadFreeSize(DriverContext* context, int n);

// CopyPrinterDefaultDevmode and LoadDefaultDevmodeFromPrinter.
#include "stored/printer_devmode.h"

// GetDefaultFontName.
#include "stored/font_names.h"
