// The forms of a path the settings API tells apart.
#pragma once

#include "win/types.h"

// 1 for a drive path ("X:\...": a colon and a backslash as second and third characters) or
// a network path (two leading backslashes); 0 otherwise, also for null.
int IsAbsolutePath(const WCHAR* path);
