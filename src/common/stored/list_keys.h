// The keys of the per-printer lists (presets, qualities) in the user's INI file: where the
// list lives, and key names built from a key and a suffix.
#pragma once

#include "win/types.h"

struct DriverContext;

// The user INI file and the printer's section that hold the lists; false when the context
// has none.
bool UserListLocation(DriverContext* context, const WCHAR*& ini, const WCHAR*& section);

// key + suffix into out (outChars characters with the NUL); false when it does not fit.
bool AppendKeySuffix(WCHAR* out, int outChars, const WCHAR* key, const WCHAR* suffix);
