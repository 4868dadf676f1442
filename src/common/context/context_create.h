// Creating, releasing and destroying a driver context.
//
// A context is built for one printer handle and caller kind: its own copies of the field
// and page tables and of the product record, a work area with copies of the caller's
// spooler records, the snapshot ring, the module list and, in creation modes 0 to 3, the
// printer's model and a settings buffer. A released context waits in its cache for the
// next call for the same printer (context_cache.h).
//
// A member that cannot be allocated fails the whole constructor: the part already built
// is destroyed and null returned, so a context that exists has every member.
#pragma once

#include "win/spool.h"
#include "win/types.h"

struct DriverContext;

// A cached context when one matches and can be refreshed, else a new one; null when
// memory runs out or, in modes 0 to 3, when the printer has no model. The caller's
// records stay the caller's; the context keeps copies.
DriverContext* CreateContext(HANDLE printer, HANDLE printer2, DWORD reserved, WORD flags, DWORD kind,
                             DWORD docPropMode, const PRINTER_INFO_2W* printerInfo,
                             const DRIVER_INFO_3W* driverInfo);

// Fixed argument patterns of CreateContext (missing arguments 0 or null).
DriverContext* CreateContextForPrinter(HANDLE printer, HANDLE printer2, DWORD reserved, DWORD kind);
DriverContext* CreateContextWithInfo(HANDLE printer, HANDLE printer2, DWORD reserved, DWORD kind,
                                     const PRINTER_INFO_2W* printerInfo);
DriverContext* CreateContextWithInfos(HANDLE printer, HANDLE printer2, DWORD reserved, DWORD kind,
                                      const PRINTER_INFO_2W* printerInfo, const DRIVER_INFO_3W* driverInfo);
DriverContext* CreateContextWithFlags(HANDLE printer, HANDLE printer2, DWORD reserved, WORD flags, DWORD kind,
                                      const PRINTER_INFO_2W* printerInfo, const DRIVER_INFO_3W* driverInfo);
DriverContext* CreateContextWithMode(HANDLE printer, HANDLE printer2, DWORD reserved, DWORD kind, DWORD docPropMode,
                                     const PRINTER_INFO_2W* printerInfo, const DRIVER_INFO_3W* driverInfo);
DriverContext* CreateContextNoDriverInfo(HANDLE printer, HANDLE printer2, DWORD reserved, WORD flags, DWORD kind,
                                         DWORD docPropMode, const PRINTER_INFO_2W* printerInfo);

// Gives a context back: types CTXR_CACHE and CTXR_CACHE_CAPS offer it to cache 2 and 1,
// any other type destroys it. A null context is ignored.
void ReleaseContext(DriverContext* context, WORD type);
void ReleaseContextToCache(DriverContext* context);
void ReleaseContextWithType(DriverContext* context, WORD type);

// Frees the context and everything it owns (never the model image); null does nothing.
// Called only with neither cache lock held.
void DestroyContext(DriverContext* context);

// Copies the settings buffer into the saved copy and gives the copy its own duplicates of
// the three font lists (10007, 10009, 10005); duplicates of an earlier copy are freed
// first. 1, or 0 when the context has no saved copy or no settings buffer.
int SaveSettingsCopy(DriverContext* context);
// Frees the saved copy's font-list duplicates and clears their fields there.
void FreeSavedFontTables(DriverContext* context);
