// The binary interface of the printer's two-way communication library ("Bidiman4NT.dll",
// "Bidiman32.dll" on Windows 9x): the function table its initialisation export fills and
// the item kinds the driver asks for. Every operation answers non-zero for success unless
// said otherwise.
#pragma once

#include <cstddef>

#include "win/types.h"

using BidiOpenProc = BOOL(WINAPI*)(const WCHAR* printerName, HANDLE* handle, DWORD* ok);
using BidiCloseProc = BOOL(WINAPI*)(HANDLE handle);
// A zero answer with GetLastError() 102 also counts as success; the last argument is
// written by the library and not read.
using BidiStartQueryProc = BOOL(WINAPI*)(HANDLE handle, HANDLE* query, DWORD flags, DWORD* reserved);
using BidiOpenSubQueryProc = BOOL(WINAPI*)(HANDLE handle, HANDLE* subQuery, DWORD kind, DWORD one);
// The printer's model name into characters UTF-16 units (NUL included when it fits).
using BidiGetModelNameProc = BOOL(WINAPI*)(HANDLE handle, DWORD zero, WCHAR* buffer, DWORD characters);
using BidiUnusedProc = BOOL(WINAPI*)();
// The number of entries of the answer, -1 on failure. With a null buffer and size 0 only
// *needed is answered (the answer's size in bytes).
using BidiGetItemProc = LONG(WINAPI*)(HANDLE query, DWORD kind, void* buffer, DWORD size, DWORD* needed);
// Non-zero on success; with a null buffer only *needed is answered (a zero answer with
// GetLastError() 5 is an answered size query too).
using BidiGetSubItemProc = BOOL(WINAPI*)(HANDLE subQuery, DWORD kind, DWORD subItem, void* buffer, DWORD size,
                                         DWORD* needed);

// The record the initialisation export fills: 8 bytes of the library's own, then its slots.
struct BidiFunctionTable {
  BYTE libraryOwn[8];
  BidiOpenProc open;                  // slot 0
  BidiCloseProc close;                // slot 1
  BidiStartQueryProc startQuery;      // slot 2
  BidiOpenSubQueryProc openSubQuery;  // slot 3
  BidiGetModelNameProc getModelName;  // slot 4
  BidiUnusedProc unused;              // slot 5, never called
  BidiGetItemProc getItem;            // slot 6
  BidiGetSubItemProc getSubItem;      // slot 7
};
static_assert(offsetof(BidiFunctionTable, open) == 8);
static_assert(offsetof(BidiFunctionTable, getSubItem) == 8 + 7 * sizeof(void*));
static_assert(sizeof(BidiFunctionTable) == 8 + 8 * sizeof(void*));

// The initialisation exports: "VanteInitializeBidiApiV2W" (build feature 11) or
// "VanteInitializeBidiApiW"; non-zero when the table was filled.
using BidiInitializeProc = BOOL(WINAPI*)(BidiFunctionTable* table);
constexpr char kBidiInitExportV2[] = "VanteInitializeBidiApiV2W";
constexpr char kBidiInitExport[] = "VanteInitializeBidiApiW";
constexpr char16_t kBidiLibraryNT[] = u"Bidiman4NT.dll";
constexpr char16_t kBidiLibrary9x[] = u"Bidiman32.dll";

// Query flags of BidiStartQuery.
constexpr DWORD kBidiQueryStatus = 0x104;
constexpr DWORD kBidiQueryConfiguration = 0x2011C;
constexpr DWORD kBidiQueryCustomMedia = 0x2000000;

// Item kinds of BidiGetItem.
constexpr DWORD kBidiKindTrays = 1;          // u32 printer tray ids
constexpr DWORD kBidiKindOptions = 2;        // u32 option codes
constexpr DWORD kBidiKindSystemVersion = 8;  // ANSI text
constexpr DWORD kBidiKindMemory = 11;        // u32 bytes
constexpr DWORD kBidiKindTrayPaper = 20;     // u32 paper id per tray
constexpr DWORD kBidiKindTrayMedia = 21;     // u32 media id per tray
constexpr DWORD kBidiKindTrayAttributes = 23;  // u32 attribute bits per tray
constexpr DWORD kBidiKindCustomCount = 80;   // number of custom media (the answer's count)
constexpr DWORD kBidiKindCustomMedia = 81;   // u32 media id per custom media
constexpr DWORD kBidiKindCustomNames = 82;   // NUL-separated ANSI names
constexpr DWORD kBidiKindCustomCharsets = 83;  // u32 per custom media
// The sub-query and its items.
constexpr DWORD kBidiSubQueryVersions = 15;
constexpr DWORD kBidiSubMemoryType = 258;    // u32
constexpr DWORD kBidiSubEmulation = 2;       // ANSI text
constexpr DWORD kBidiSubOther = 259;         // ANSI text

// GetLastError() codes the library uses.
constexpr DWORD kBidiErrorPending = 102;     // counts as success of a start or sub-query
