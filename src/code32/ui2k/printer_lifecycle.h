// The spooler's calls about a printer's life: the device-mode conversion (with the first
// driver default of a new printer and the upgrade of an installed one), the printer events
// and the driver upgrade.
#pragma once

#include "win/devmode.h"
#include "win/spool.h"
#include "win/types.h"

struct DriverContext;

BOOL DoConvertDevMode(LPCWSTR printerName, const DEVMODEW* input, DEVMODEW* output, LONG* size, DWORD mode);
BOOL DoPrinterEvent(LPCWSTR printerName, int event, DWORD flags, LPARAM lParam);
BOOL DoUpgradePrinter(DWORD level, LPBYTE data);

// The handlers of the printer events.
BOOL OnAddConnection(LPCWSTR printerName);
BOOL OnDeleteConnection(LPCWSTR printerName);
BOOL OnInitializePrinter(LPCWSTR printerName);
BOOL OnDeletePrinter(LPCWSTR printerName);
BOOL OnCacheRefresh(LPCWSTR printerName);

// Copies the driver package's companion libraries that are missing or differ from the
// driver folder into the system folder. The result of the last copy, or TRUE.
BOOL RefreshDriverFilesInSystemDir(HANDLE printer);
