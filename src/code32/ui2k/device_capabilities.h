// DrvDeviceCapabilities: the DC_ answers for applications and the spooler. Fixed answers
// come from the product record, stored ones from printer data, the model INI and the
// stored device-mode, and the model's lists from a device-capability context.
#pragma once

#include "win/devmode.h"
#include "win/types.h"

struct DriverContext;

// The body of DrvDeviceCapabilities; only the low 16 bits of the capability are used.
// (DWORD)-1 for an unknown capability and for any failure.
DWORD DoDeviceCapabilities(HANDLE printer, LPCWSTR deviceName, WORD capability, LPWSTR output,
                           const DEVMODEW* devmode);
// The answers computed on a context of kind 0x1000000 with the caller's device-mode merged.
DWORD GetContextCapability(HANDLE printer, WORD capability, LPWSTR output, const DEVMODEW* devmode);

// 1 when the "Duplex" printer data is non-zero, or zero with the duplex lock bit set; 0
// when zero otherwise; -1 when it cannot be read.
DWORD GetDuplexCapability(HANDLE printer);
// "PPM" of the driver's section in the second model INI; 0 when missing.
DWORD ReadPrintRatePpm(HANDLE printer);
// 1 for a colour device by the stored device-mode and the colour lock, 0 for monochrome,
// -1 without a stored device-mode. Only the bytes the stored device-mode declares
// (dmSize + dmDriverExtra, at most the driver's size) are read.
DWORD GetColorDeviceCapability(HANDLE printer);
// The N-up page counts (DWORDs). Without the N-up lock, or with "all kinds": 1, 2, 4, 9,
// 16 and 5. Locked: 2 for the size query; with an output the counts of the rows of kind 0
// and of the stored kdmNUPPOSTKind, and the number written; 0 when the stored device-mode
// cannot be read.
DWORD ListNupValues(HANDLE printer, BYTE lockByte, DWORD* output);
// The papers loaded in the installed trays, each once, as 64-character names; the count.
int ListMediaReady(DriverContext* context, WCHAR* output);
