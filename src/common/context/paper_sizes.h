// Paper sizes and printable areas of the model's papers and of the user-defined papers:
// the model's page records per resolution and orientation, the paper sizes in 0.1 mm and
// the free sizes of the user paper codes.
#pragma once

#include "win/devmode.h"
#include "win/types.h"

struct DriverContext;

// Sides of a user paper size.
constexpr int kUserPaperSource = 1;
constexpr int kUserPaperOutput = 0;

// The printable rectangle and the paper size in dots of the model paper whose option value
// id is `paperValue`, for the current resolution and orientation. Both are zeroed first.
// A record of the other orientation is used turned. 1 found, 0 not.
int GetPaperImageableArea(DriverContext* context, RECTL* rect, POINTL* size, DWORD paperValue);
// Width (x) and length (y) in 0.1 mm of the paper the field's option value names (0: the
// paper option's own field), swapped in landscape. 1 found, 0 not.
int GetModelPaperSize(DriverContext* context, POINTL* out, WORD fieldId);
// Width and length in 0.1 mm of the source paper (dmPaperSize) and the output paper
// (kdmOutPaperSize). 1 found, 0 not.
int GetSourcePaperSize(DriverContext* context, POINTL* out);
int GetOutputPaperSize(DriverContext* context, POINTL* out);
// Width and length in 0.1 mm of a user paper code, for the source or output side; 1.
int GetUserPaperSize(DriverContext* context, POINTL* out, DWORD paperCode, int sourceSide);
// The tray of a user paper code's free size: mode 0 answers it, mode 1 stores it into
// dmDefaultSource and answers 1; 0 for another mode or a code that is not a user paper.
DWORD GetUserPaperTray(DriverContext* context, DWORD paperCode, int mode);

// value x resolution / 1200 in unsigned 32-bit arithmetic without overflow; 0 when the
// resolution is 0.
DWORD ScaleDotsToResolution(DWORD value, DWORD resolution);
