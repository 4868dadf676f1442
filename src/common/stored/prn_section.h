// The printer-side settings in settings files: the extended settings of a plain load or
// save, the section "KOVAPrnSection" of a file or of the settings text file, the install
// settings section of the model's default settings file and the preset section
// "KOVAKsdSection" of the settings text file. All go key by key through the profile API.
#pragma once

#include "win/types.h"

struct DriverContext;

// Plain load or plain save only (other flags: nothing moved, 1): the two-way authentication
// modes 10354 and 10355 (a load takes them only when the printer's two-way data may be
// written) and, on a save, the lock information 10386 (written as whether any lock bit is
// set) and the lock fields 10418-10434, for the ids first..last, in the section the flags
// choose. A load also stores each field in printer data while all reads succeed. The AND of
// the reads or writes; 0 for a path without a drive letter.
BOOL TransferExtendedSettings(const WCHAR* path, DWORD flags, DriverContext* context, WORD first, WORD last);

// Fields first..last key by key under their names in the section. The font-list fields
// 10004-10009 are written as 0 and keep their values in the context on loads and saves;
// a text-file transfer leaves out 10001-10003; a save writes 10386 as whether any lock bit
// is set. The AND of the reads or writes.
BOOL TransferPrnFields(const WCHAR* path, DWORD flags, DriverContext* context, const WCHAR* section, WORD first,
                       WORD last);

// Ids 10001-10434 and 1453-1543 in "KOVAPrnSection" (a text-file load: the language
// section). A text-file save writes into Fennict.txt of the settings directory instead of
// the path (nothing, 0, when that path cannot be built).
BOOL LoadPrnSection(const WCHAR* path, DWORD flags, DriverContext* context);
BOOL SavePrnSection(const WCHAR* path, DWORD flags, DriverContext* context);

// The model's default settings file ("DefaultKst" in the language section of the second
// model INI; a name without a drive is in the driver directory) gets the full header and
// the printer-side fields in its language section. 1 (also when the key is missing); 0
// only without a context or memory.
BOOL WriteInstallSettingsSection(DriverContext* context);

// The header and the preset fields into "KOVAKsdSection" of Fennict.txt in the settings
// directory (path names the caller's file only); for plain flags (nothing besides SFT_SAVE
// and SFT_QUIET) the model name stands in for the printer section name during the call.
// 0 when the text file's path cannot be built.
BOOL SaveKsdSection(HANDLE printer, const WCHAR* path, DWORD flags, DriverContext* context);
// The settings section of the settings text file, by the name the file page uses.
inline BOOL SaveRsdSection(HANDLE printer, const WCHAR* path, DWORD mode, DriverContext* context) {
  return SaveKsdSection(printer, path, mode, context);
}
