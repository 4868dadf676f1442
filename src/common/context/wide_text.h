// Wide-text helpers the driver shares, built on the Windows string calls.
#pragma once

#include "win/types.h"

// One character upper- or lower-cased as CharUpperW/CharLowerW map it.
WCHAR UpperOf(WCHAR c);
WCHAR LowerOf(WCHAR c);
// Whether text begins with prefix, letters compared without regard to case. A null text
// begins with nothing but the empty prefix.
bool StartsWithNoCase(const WCHAR* text, const WCHAR* prefix);
// Whether two texts are the same character for character (case counts).
bool SameWideText(const WCHAR* a, const WCHAR* b);
// Characters before the NUL (lstrlenW); 0 for a null text.
DWORD WideLength(const WCHAR* text);
