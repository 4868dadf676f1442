// The printer as the settings API reaches it: the API keys of the second model INI, and the
// printer opened by name for one call.
#pragma once

#include <cstdint>

#include "win/spool.h"
#include "win/types.h"

struct DriverContext;

// The driver directory of the printer with its last backslash ("" when unknown).
void GetPrinterDriverDirectory(HANDLE printer, WCHAR* buffer, DWORD chars);
// The second model INI of the product record: a name with a drive is taken as it is, a bare
// name is looked up in the printer's driver directory (the bare name when that is unknown).
void GetModelIniPath(HANDLE printer, WCHAR* buffer, DWORD chars);
// An integer key of that file for the printer named in ANSI, -1 when missing.
std::int32_t ReadApiIniInt(const char* printerName, const WCHAR* section, const WCHAR* key);
// "KOVAAPIFunc1" (0 when missing), and the tests of its bits.
DWORD ReadApiFunctionBits(const char* printerName);
int IsApiFunctionEnabled(DriverContext* context, DWORD mask);
int IsApiFunction0Enabled(DriverContext* context);
int IsApiFunction1Enabled(DriverContext* context);
int IsApiFunction2Enabled(DriverContext* context);

// The context's own printer handles while an item call has the printer open. Opens nest (a
// status item may ask a capability that opens the printer again): each close puts back
// the handles its open found.
struct ItemPrinterHandles {
  HANDLE printer = nullptr;
  HANDLE printer2 = nullptr;
};
// Opens the printer by the context's printer-name slot (the raw slot for a "\\" name on
// Vista and later); both handles of the context become the new handle. 1/0.
int OpenItemPrinter(DriverContext* context, HANDLE* handle, PRINTER_DEFAULTSW* defaults,
                    ItemPrinterHandles* saved);
void CloseItemPrinter(DriverContext* context, HANDLE handle, const ItemPrinterHandles* saved);

// ANSI (system code page) to UTF-16 within chars characters, always ended.
void AnsiToWide(const char* text, WCHAR* out, int chars);
// UTF-16 to ANSI within bytes bytes, never splitting a double-byte character, always ended.
void WideToAnsiText(const WCHAR* text, char* out, int bytes);
