// The two-way results cache and the printer-data flags of the two-way answers.
//
// Printer data (REG_BINARY): "BidiFlag" (4 bytes, bit 0: the printer-side settings hold the
// answers of a successful query), "BidiFunc" (1 byte, the tray-function mask) and
// "BidiExFlag" (4 bytes, bit 0: the reported default trays were copied into the document's
// tray settings). A user who may not write printer data keeps the answers in the shared
// Fennicb.ini of the settings directory, a section per printer display name holding the
// whole field table and the same three flags, until a context of someone who can write
// printer data moves them there. A printer connection never uses the cache.
#pragma once

#include "base/settings_dirs.h"
#include "stored/bidi_cache_calls.h"
#include "win/types.h"

struct DriverContext;

// Printer-data flags.
int IsBidiFlagSet(HANDLE printer, DriverContext* context);
void SetBidiFlag(HANDLE printer, DWORD value, DriverContext* context);
void SetBidiFunc(HANDLE printer, BYTE value, DriverContext* context);
void SetBidiExFlag(HANDLE printer, DWORD value, DriverContext* context);

// The cache file's path into buffer (MAX_PATH characters); false when it does not fit.
bool GetBidiCachePath(DriverContext* context, WCHAR* buffer, DWORD size);
// The BidiFlag and BidiExFlag keys of the printer's section: present, and nonzero.
int HasBidiCacheIni(DriverContext* context);
int HasBidiExCacheIni(DriverContext* context);
int IsBidiExCacheIniSet(DriverContext* context);
// The settings of a cache file fetched from elsewhere (a configuration server); 0 and
// nothing loaded when the file does not exist.
int LoadBidiCacheFile(const WCHAR* path, DriverContext* context);
// The settings, then BidiFlag "1", BidiFunc := kdmBidiFunc and BidiExFlag "1".
int SaveBidiCacheIni(DriverContext* context);

// The document's acceptance of the reported trays: the section's key for a local printer
// that has one, else the printer data flag.
void MarkBidiExtended(DriverContext* context);
// 1 when the reported trays were already copied (or printer data cannot be written back).
int IsBidiExtended(DriverContext* context);
// The reported default trays into the document's tray settings (see the .cpp).
void CopyBidiTrayFeatures(DriverContext* context);
