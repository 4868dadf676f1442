// A printer's stored settings brought into being and stamped: the initialisation of a new
// printer or connection, the install-time stamp, and the install keys the spooler bodies
// test before they do.
#pragma once

#include "win/devmode.h"
#include "win/spool.h"
#include "win/types.h"

// Initialisation types.
constexpr int kInitNewLocal = 0;        // first driver default of a new local printer
constexpr int kInitCreated = 1;         // printer created, or incompatible upgrade
constexpr int kInitConnection = 2;      // printer connection added
constexpr int kInitBatchAtUpgrade = 5;  // batch install found at upgrade (as 0)
constexpr int kInitUserConnection = 6;  // per-user re-initialisation of a connection (as 2)
constexpr int kInitCheckConnection = 7; // connection found uninitialised by the check (as 2)

// Creates the printer's stored settings; with an output the default device-mode is written
// there whole (for type 0 always, for type 5 only when the batch install went through: a
// failed one leaves the caller's device-mode to the caller's road). The output is a buffer of
// the caller's own of the driver's whole size (GetTotalDevmodeSize), never a caller's buffer
// of another shape. batchApplied, when given, tells whether a batch install's settings went
// through. 1, or 0 when no context can be made.
int InitializePrinterSettings(HANDLE printer, DEVMODEW* output, int type, const PRINTER_INFO_2W* printerInfo,
                              const DRIVER_INFO_3W* driverInfo, bool* batchApplied = nullptr);

// On a terminal server, under the driver mutex, writes "DrvInstTime", "DrvInstType" and
// "DrvInstVersion" (INI kind 2 also "DrvFirstInstTime") in the printer's section of the
// per-user INI (kind 1) or the common INI (kinds 0 and 2). Elsewhere nothing is written.
// 1 on success, 0 when the INI path cannot be formed or a write fails.
int StampInstallTime(HANDLE printer, int stampKind, int iniKind, const PRINTER_INFO_2W* printerInfo,
                     const DRIVER_INFO_3W* driverInfo);

// The printer data "BatchInstallDone" reads non-zero.
BOOL IsBatchInstallDone(HANDLE printer);
// The spooler holds a device-mode for the printer.
BOOL HasPrinterDevmode(const PRINTER_INFO_2W* printerInfo);

// The product's driver version string ("" when there is none).
const WCHAR* ProductVersionText();
// The local time as 14 digits (year, month, day, hour, minute, second) into 15 characters.
void FormatInstallTime(WCHAR* buffer);
// The printer's section name: its name with '[' and ']' replaced, in 261 characters.
void InstallSectionName(const PRINTER_INFO_2W* printerInfo, WCHAR* section);
