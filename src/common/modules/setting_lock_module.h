// The setting-lock module's services.
#pragma once

#include "win/types.h"

struct DriverContext;

// The field that built-in function number restores (10000-11976 without 11922); 0 for none.
WORD LockedFieldOfNumber(WORD number);
// The number's field := its value in the saved settings copy; 1 when the number has a field.
int RestoreLockedField(DriverContext* context, WORD number);
// The companion file of entry index: path with its fifth-last character replaced by the
// index character ('0'-'9', then 'A' on) and its extension replaced; false for a path too
// short to carry the index or without an extension.
bool MakeCompanionName(const WCHAR* path, int index, const WCHAR* extension, WCHAR* out, int n);
