// Computed judge items: settings field ids 723-914 whose value a rule reads is worked out
// from the current settings, and the tray lookups they share.
#pragma once

#include "win/types.h"

struct DriverContext;

// The value of computed item id (0 or 1); 0 for ids without a computation.
DWORD ComputeJudgeItem(DriverContext* context, WORD id);

// Item 819: 1 when the sheet is printed landscape once N-up and booklet layouts are taken
// into account.
int PrintPaperOrient(DriverContext* context);

// Tray code of automatic selection.
constexpr WORD kTrayAuto = 7;

// 1 when the tray of the code holds the paper (16-bit compare); for 7 any tray of the
// automatic order that is installed and not locked.
int TrayHoldsPaper(DriverContext* context, WORD trayCode, DWORD paper);
// As TrayHoldsPaper, with the tray's orientation flag equal to orientation as well.
int TrayFeedMatches(DriverContext* context, WORD trayCode, DWORD paper, DWORD orientation);
// TrayFeedMatches for the tray in dmDefaultSource.
int MainTrayFeedMatches(DriverContext* context, DWORD paper, DWORD orientation);
// Bit 1: the paper is available set portrait in the main source; bit 2: set landscape.
DWORD MainTrayFeedFlags(DriverContext* context, DWORD paper);
// The paper and orientation flag of a tray code's tray; false when there is none (the
// caller then uses -1 for both, which match no tray).
bool GetTrayPaperAndOrient(DriverContext* context, WORD trayCode, DWORD* paper, DWORD* orientation);
