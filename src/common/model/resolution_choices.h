// The resolutions a model offers as the settings API lists them, and the resolution limit
// put into the settings: the page-side tests of the limit by name, and the limit applied.
#pragma once

#include "win/types.h"

struct DriverContext;

// Modes of ListResolutionChoices.
constexpr int kResolutionPairs = 0;  // {horizontal, vertical} dpi per entry
constexpr int kResolutionCodes = 1;  // one resolution-table code per entry

// The offered resolutions (rules and modules as for the device capabilities). Pairs mode:
// two 32-bit dpi values per entry. Codes mode: the resolution-table code of each offered
// square resolution, one 32-bit value per entry, resolutions without a code left out; a
// model with a single resolution (a Numeric option, or none) gives one code. The count of
// entries written (or that a buffer would receive), or -1 when there is no list.
int ListResolutionChoices(DriverContext* context, DWORD* out, int mode);

// Both destination sides in dots below the narrow limit (at most 30708).
bool FitsLengthLimit30708(DriverContext* context);
// The scaled (or poster-multiplied) source size stays below the narrow limit.
bool GetScaledPaperSize(DriverContext* context);

// The resolution limit put in place: when the paper does not allow the current resolution,
// dmPrintQuality takes the limit (the device-mode is marked changed) and the resolution
// and paper fields (8, 46) are derived again. Returns the limit written, 0 when the
// resolution may stay.
WORD ApplyResolutionLimit(DriverContext* context);
