// Custom media and locked-default items of the computed judge items: whether a custom
// media type stands for a media that cannot be printed on both sides or fed from a tray,
// and whether a function was on in the locked default settings.
#pragma once

#include "win/types.h"

struct DriverContext;

// Media types that cannot be printed on both sides / fed from a tray.
bool IsNotTwoSidedMedia(DWORD mediaType);
bool IsNotFromTrayMedia(DWORD mediaType);
// The media type custom media n (1-16) stands for.
DWORD CustomMediaQuot(DriverContext* context, int n);

// True when id is one of these items (851-866, 870, 871, 883-885); its value (0 or 1)
// then goes to *value.
bool ComputeMediaItem(DriverContext* context, WORD id, DWORD* value);
