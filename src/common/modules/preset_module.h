// The preset list operations of the preset module. Entries are numbered from 0; the list
// lives in the printer's section of the per-printer INI ("Count", "PresetList<n>",
// "PresetList<n>Name", "PresetList<n>Comment"). AppendPreset and ResetPresetCount are in
// context/module_services.h.
#pragma once

#include "win/types.h"

struct DriverContext;

// The entry whose name equals name exactly: preferred when it matches, else the first
// match; -1 when none does.
int FindPresetByName(DriverContext* context, const WCHAR* name, int preferred);
// The first later entry j whose name repeats an earlier entry's name; -1 when none.
int FindDuplicatePresetName(DriverContext* context);
// Exchanges the file, name and comment of entries i and j (both below "Count") and frees the
// preset change cache.
void SwapPresetEntries(DriverContext* context, int i, int j);
// Moves entry n (1 <= n < "Count") to the end, empties the last entry's keys and lowers
// "Count"; the entry to select afterwards, or -1 when n names no removable entry.
int DeletePresetEntry(DriverContext* context, int n);
// The name (which 1) or comment (2) of entry n into out (1025 characters).
void ReadPresetListText(DriverContext* context, int n, int which, WCHAR* out);
