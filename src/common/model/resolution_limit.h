// The resolution the paper size allows: above 600 dpi the page in dots must stay within
// the printer's limits; a locked resolution is put in place first. Used by the merge of
// the public device-mode fields and by the resolution judge item (835).
#pragma once

#include "win/types.h"

struct DriverContext;

// Side limits in dots of a page above 600 dpi: the narrow one (sides below it) for load
// share 3 and more and for the scaled source size, the wide one (sides at most it) for load
// share 0 to 2.
constexpr int kResolutionSideLimit = 30709;
constexpr int kResolutionSideLimitWide = 32124;

// The core: with privateMode 1 the private resolution field leads, with 0 dmPrintQuality
// (and explicit public paper dimensions count). compareMode 1 drops the limit when the
// previous resolution was at most it, 0 only when it was equal. Puts a locked resolution
// in place and recomputes the resolution and paper fields; returns the resolution to
// force, 0 when the current one may stay.
WORD ComputeResolutionLimit(DriverContext* context, int privateMode, int compareMode);
// ComputeResolutionLimit(context, 0, 0).
WORD GetResolutionLimit(DriverContext* context);
// Whether the source size, scaled or multiplied by a poster layout, stays below the limit.
bool ScaledSourceFits(DriverContext* context);

// Item 835: 1 when ComputeResolutionLimit(context, 1, 1) is 0.
DWORD ResolutionOverCheckItem(DriverContext* context);
