// Spooler records of a printer fetched into buffers the caller owns (freed with FreeMem).
#pragma once

#include "win/spool.h"
#include "win/types.h"

// PRINTER_INFO_<level> with its strings in one zero-filled block, or null.
void* GetPrinterInfo(HANDLE printer, DWORD level);
// The same record as the job-control and settings-API code ask for it: one body, two names.
inline void* GetPrinterInfoForJobControl(HANDLE printer, DWORD level) { return GetPrinterInfo(printer, level); }
// DRIVER_INFO_<level> with its strings in one zero-filled block, or null.
void* GetPrinterDriverInfo(HANDLE printer, DWORD level);

struct DriverContext;

// Records the facts of a PRINTER_INFO_2 in the context's work area (nothing for null).
void CachePrinterInfo(const PRINTER_INFO_2W* printerInfo, DriverContext* context);
// 1 when the printer's Attributes has any bit of the mask.
BOOL HasPrinterAttribute(DWORD mask, DriverContext* context);
BOOL IsBidiEnabled(DriverContext* context);
// 1 when the printer is a connection to another machine (cached in the context).
BOOL IsPrinterConnection(DriverContext* context);
// The same from a record read at each call; no record counts as local.
BOOL IsConnectionHandle(HANDLE printer);
BOOL IsLocalHandle(HANDLE printer);
BOOL InfoHasServerName(const PRINTER_INFO_2W* printerInfo);
BOOL InfoIsLocal(const PRINTER_INFO_2W* printerInfo);
// 1 when the local printer's name differs from the "KOVAPrinterName" the driver recorded.
BOOL IsPrinterRenamed(HANDLE printer, const PRINTER_INFO_2W* printerInfo);
