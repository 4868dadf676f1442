// Spooler records of a printer fetched into buffers the caller owns (freed with FreeMem).
#pragma once

#include "win/spool.h"
#include "win/types.h"

// PRINTER_INFO_<level> with its strings in one zero-filled block, or null.
void* GetPrinterInfo(HANDLE printer, DWORD level);
// DRIVER_INFO_<level> with its strings in one zero-filled block, or null.
void* GetPrinterDriverInfo(HANDLE printer, DWORD level);
