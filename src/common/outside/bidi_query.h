// The two-way query of the printer: what it has installed (trays and the paper and media in
// them, options, memory, custom media) and what it runs (system and emulation versions),
// asked through the maker's two-way library and written into the printer-side settings
// (area 2). A failed or partial full query leaves area 2 as it was.
#pragma once

#include <cstdint>

#include "win/types.h"

struct DriverContext;
struct BidiFunctionTable;
struct HWND__;
using HWND = HWND__*;

// QueryPrinterBidi flags.
constexpr DWORD kBidiShowProgress = 1;
constexpr DWORD kBidiStatusOnly = 2;
constexpr DWORD kBidiSilent = 4;
constexpr DWORD kBidiAllow9x = 8;

// 1 success, 0 failure. A failure empties kdmSystemVersion and kdmEmulationVersion.
int QueryPrinterBidi(DriverContext* context, HWND parent, DWORD flags);
int QueryPrinterBidiWithProgress(DriverContext* context, HWND parent);
int QueryPrinterBidiSilent(DriverContext* context);
// The two version texts only, always with the progress window; no flag, cache or state.
int QueryPrinterStatusBidi(DriverContext* context, HWND parent);

// 1 when the library opens the printer with its ok flag set.
int ProbeBidiPrinter(DWORD flags, DriverContext* context);
// One exchange with the library: bind, open, check the model, start, apply. 1 or 0.
int RunBidiQuery(DWORD flags, DriverContext* context);
int ApplyBidiConfiguration(const BidiFunctionTable* table, HANDLE handle, HANDLE query, DriverContext* context);
int ApplyBidiStatus(const BidiFunctionTable* table, HANDLE handle, HANDLE query, DriverContext* context);

// kdmBiDirect := 1 when the query is enabled, else 0; answers 1.
int SetBidiStateFromSupport(DriverContext* context);
// 0 for a printer connection; else the per-printer settings INI's switch (default on).
int IsBidiQueryEnabled(DriverContext* context);
int IsBidiModelCheckEnabled(DriverContext* context);

// The document sheet's refresh: the cached or stored answers when there are any, else a
// query through the modules (event 17); the answer of the path taken.
int RefreshBidiSettings(DriverContext* context, HWND parent);
// Event 17 to the modules with the parent window; their answer.
int RequestBidiQueryFromModules(DriverContext* context, HWND parent);
// Warning 7002: the printer could not be asked.
void ShowBidiProgressWindow(DriverContext* context, HWND parent);
// The driver's input-tray code of a printer tray id; 0 for an id it does not know.
DWORD MapBidiTrayId(DWORD printerTrayId);
// Of the listed printer tray ids, the one that comes first in the tray priority list (ties
// keep the earlier tray); 0 when none is in the list.
DWORD PickPreferredTray(const DWORD* trays, int count);
constexpr int kBidiTrayPriorityCount = 19;
const DWORD* GetBidiTrayPriorityList();

// The settings API's code for a Win32 error of the two-way library: 201 for 14 and 56,
// 202 for 10, 0 for 102, 200 for any other.
std::int32_t MapBidiErrorToApi(DWORD win32Error);
// Where a failed library call of a context with an item-API state is told (the settings API
// records it as the API's last error); null for none.
using BidiErrorSink = void (*)(DriverContext* context, std::int32_t apiError);
void SetBidiErrorSink(BidiErrorSink sink);
