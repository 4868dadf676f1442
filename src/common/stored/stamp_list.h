// The stamp list: watermarks kept in the per-printer INI, one settings section per entry
// ("Stamp<n><language code>", holding "KstVersion" and the stamp fields, kdmWmID = n), and
// "StampCount" in the language section. The driver package ships default entries in the
// second model INI.
#pragma once

#include "win/types.h"

struct DriverContext;

// Entries 0-255 make the list; index 256 is a slot of its own that is stored without
// changing "StampCount". Any other index names no section and is refused.
constexpr int kMaxStampCount = 256;
constexpr int kSpareStampIndex = 256;
bool IsStampIndex(int n);

// "StampCount" of the per-printer INI, of the second model INI or of any file's section,
// read as 0 when missing and held within 0 to kMaxStampCount.
int GetStampCount(DriverContext* context);
int GetSharedStampCount(DriverContext* context);
int ReadStampCount(const WCHAR* file, const WCHAR* section);
// Writes "StampCount" (held within 0 to kMaxStampCount) as decimal text.
void SetStampCount(DriverContext* context, int n);

// "Stamp<n><language code>" into buffer (kListSectionChars characters).
void MakeStampSection(WCHAR* buffer, int n, DriverContext* context);

// Entry n into the context, then kdmWmID := n.
void ApplyStamp(DriverContext* context, int n);
// kdmWmID := n and the context into entry n; an index at or beyond the count (other than
// the spare slot) raises the count to n + 1.
void SaveStamp(DriverContext* context, int n);
// Removes entry n of the list, moving the later entries down by one; the context's
// settings are unchanged. An index outside the list changes nothing.
void DeleteStamp(DriverContext* context, int n);
// Every entry rewritten in the current format; the context's settings are unchanged.
void RewriteAllStamps(DriverContext* context);
// When stamps are on and kdmWmKind is one of its allowed values, ApplyStamp(kdmWmID).
void ApplyCurrentStamp(DriverContext* context);
// Entry n of the second model INI into the context.
void CopyStampSectionToCurrent(DriverContext* context, int n);
// Entry n of the given file into the context; the load's result.
int LoadStampFromFile(const WCHAR* file, int n, DriverContext* context);

// The transfer of one stamp section (SFT_STAMP) of the per-printer INI, of the second
// model INI or of a given file. A save frees the preset change cache.
int LoadStampSection(DriverContext* context, const WCHAR* section);
int SaveStampSection(DriverContext* context, const WCHAR* section);
int LoadSharedStampSection(DriverContext* context, const WCHAR* section);
int LoadStampSectionFromFile(DriverContext* context, const WCHAR* file, const WCHAR* section);
