// The printer's stored default device-mode (PRINTER_INFO_2 pDevMode) as a context's
// starting point.
#pragma once

#include "win/spool.h"
#include "win/types.h"

struct DriverContext;

// The printer's default device-mode (the caller's PRINTER_INFO_2, or the printer's own,
// read at level 2 and freed after) copied over the context's device-mode when its public
// version is known, dmSize is the public size and dmDriverExtra the private size.
BOOL CopyPrinterDefaultDevmode(DriverContext* context, const PRINTER_INFO_2W* printerInfo);
// The copy, then the product identity check of the copied device-mode.
BOOL LoadDefaultDevmodeFromPrinter(DriverContext* context, const PRINTER_INFO_2W* printerInfo);
// True when the printer's PRINTER_INFO_2 has a device-mode.
BOOL PrinterHasDefaultDevmode(HANDLE printer);
