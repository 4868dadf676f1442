// The user-quality list: named sets of print-quality settings kept in the printer's section
// of the per-printer INI ("QualityCount", "QualityList<n>" naming the entry's settings file
// and "QualityList<n>Name" its name). Applying an entry loads its file's quality fields into
// the context; saving stores them back.
#pragma once

#include "win/types.h"

struct DriverContext;

// Characters of a list key buffer, with its NUL.
constexpr int kListKeyChars = 40;
// Entries 0-127: entry n is the user quality setting's stored value 32 + n, and entry 128
// (the value 160) is the one the settings API keeps for itself, outside the list.
constexpr int kMaxQualityEntries = 128;

// "QualityCount" of the printer section held to 0..kMaxQualityEntries (0 when missing or
// without a context): a count the file holds beyond the list's limit names no further entry.
int GetQualityCount(DriverContext* context);
// "QualityList<n>" into key (room for 24 characters covers every n).
void MakeQualityKey(WCHAR* key, int n);

// The entry's file (the key's value) into the context's quality fields, then its name.
void ApplyQualityByKey(DriverContext* context, const WCHAR* key);
void ApplyQualityByIndex(DriverContext* context, int n);
// The value of the key with "Name" appended into wdmUserSetName.
void LoadQualityName(DriverContext* context, const WCHAR* key);

// The context's quality fields into the entry's file, then wdmUserSetName into its name key.
void SaveQualityByKey(DriverContext* context, const WCHAR* key);
// Entry n by its key; the settings API writes entry n's file only (SaveQualityFileByIndex).
void SaveQualityEntry(DriverContext* context, int n);
// The context's quality fields into entry n's file, leaving its name.
void SaveQualityFileByIndex(DriverContext* context, int n);
// Entry n's file copied over its per-user copy (MakeUserCopyPath); true when copied or when
// the file is that copy itself, false for an index outside the list, an entry without a
// file or a failed copy.
bool CopyQualityEntryFile(DriverContext* context, int n);

// Entry n's shipped values: the file of the entry's name with the extension "ksq" in the
// settings directory (the user's on a terminal server unless the context is installing),
// section = language code. The values load with no header test, then the entry's name.
void LoadShippedQualityValues(DriverContext* context, int n);
// wdmUserSetName := "qualityname" of the shipped file's language section.
void LoadShippedQualityName(DriverContext* context, int n);
// Completes every entry's file from its shipped values and rewrites it; the context's
// settings are restored afterwards.
void RefreshQualityEntries(DriverContext* context);
