// Operations of the shared context code that the settings API needs in its own form.
#pragma once

struct DriverContext;

// State fields 705-722 as at context creation; in the settings API fields 717 and 705 are
// 0 without asking whether the suite tools are installed.
void SetStateDefaults(DriverContext* context);

// 1 when the destination page in dots is below the side limit in both directions
// (kdmDstPaperWidthDot and kdmDstPaperLengthDot at most 30708).
int FitsLengthLimit30708(DriverContext* context);
// Nonzero when the source size, scaled or multiplied by a poster layout, stays below the limit.
int GetScaledPaperSize(DriverContext* context);
