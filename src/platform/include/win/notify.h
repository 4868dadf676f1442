// Change notifications: events, a folder's changes, a printer server's changes and a
// registry key's changes, each waited for with WaitForSingleObject (a wait of 0 asks
// whether it fired without blocking).
//
// The platform notices changes through the change counters of its stores (registry hives,
// the spooler's records and printer data, files written, created or deleted, attributes),
// shared by every process of the system root, so asking costs no system call. A counter
// covers its whole store: a notification may fire for a change elsewhere in that store
// (another folder, printer or key), never misses one of its own. Callers re-read what they
// watch after a notification fires, as they must on Windows too.
#pragma once

// Exported by the platform library (built with hidden visibility otherwise).
#pragma GCC visibility push(default)

#include "win/registry.h"
#include "win/types.h"

// What a folder's change notification watches.
constexpr DWORD FILE_NOTIFY_CHANGE_FILE_NAME = 0x00000001;
constexpr DWORD FILE_NOTIFY_CHANGE_DIR_NAME = 0x00000002;
constexpr DWORD FILE_NOTIFY_CHANGE_ATTRIBUTES = 0x00000004;
constexpr DWORD FILE_NOTIFY_CHANGE_SIZE = 0x00000008;
constexpr DWORD FILE_NOTIFY_CHANGE_LAST_WRITE = 0x00000010;
constexpr DWORD FILE_NOTIFY_CHANGE_SECURITY = 0x00000100;

// What a registry notification watches.
constexpr DWORD REG_NOTIFY_CHANGE_NAME = 0x00000001;
constexpr DWORD REG_NOTIFY_CHANGE_ATTRIBUTES = 0x00000002;
constexpr DWORD REG_NOTIFY_CHANGE_LAST_SET = 0x00000004;
constexpr DWORD REG_NOTIFY_CHANGE_SECURITY = 0x00000008;
constexpr DWORD REG_NOTIFY_THREAD_AGNOSTIC = 0x10000000;

// What a printer change notification watches (and FindNextPrinterChangeNotification
// reports).
constexpr DWORD PRINTER_CHANGE_ADD_PRINTER = 0x00000001;
constexpr DWORD PRINTER_CHANGE_SET_PRINTER = 0x00000002;
constexpr DWORD PRINTER_CHANGE_DELETE_PRINTER = 0x00000004;
constexpr DWORD PRINTER_CHANGE_FAILED_CONNECTION_PRINTER = 0x00000008;
constexpr DWORD PRINTER_CHANGE_PRINTER = 0x000000FF;
constexpr DWORD PRINTER_CHANGE_JOB = 0x0000FF00;
constexpr DWORD PRINTER_CHANGE_FORM = 0x00070000;
constexpr DWORD PRINTER_CHANGE_PORT = 0x00700000;
constexpr DWORD PRINTER_CHANGE_PRINT_PROCESSOR = 0x07000000;
constexpr DWORD PRINTER_CHANGE_PRINTER_DRIVER = 0x70000000;
constexpr DWORD PRINTER_CHANGE_ALL = 0x7777FFFF;

extern "C" {
// An unnamed event: manual-reset (stays set until ResetEvent) or auto-reset (a satisfied
// wait resets it). A named event is refused with ERROR_NOT_SUPPORTED.
KOVA_EXPORT HANDLE WINAPI CreateEventW(LPSECURITY_ATTRIBUTES lpEventAttributes, BOOL bManualReset, BOOL bInitialState,
                                       LPCWSTR lpName);
KOVA_EXPORT BOOL WINAPI SetEvent(HANDLE hEvent);
KOVA_EXPORT BOOL WINAPI ResetEvent(HANDLE hEvent);

// A handle that is signalled once something changed in the folder (or its subtree) of the
// kinds the filter names; it stays signalled until FindNextChangeNotification. A missing
// folder is ERROR_FILE_NOT_FOUND or ERROR_PATH_NOT_FOUND (INVALID_HANDLE_VALUE), an empty or
// unknown filter ERROR_INVALID_PARAMETER.
KOVA_EXPORT HANDLE WINAPI FindFirstChangeNotificationW(LPCWSTR lpPathName, BOOL bWatchSubtree, DWORD dwNotifyFilter);
// Resets the handle: it fires again at the next change after this call.
KOVA_EXPORT BOOL WINAPI FindNextChangeNotification(HANDLE hChangeHandle);
KOVA_EXPORT BOOL WINAPI FindCloseChangeNotification(HANDLE hChangeHandle);

// A handle that is signalled once a change of the kinds the filter names (printers, their
// data and settings, jobs, forms, drivers) reached the spooler; it stays signalled until
// FindNextPrinterChangeNotification. pPrinterNotifyOptions must be null (no field
// notifications); fdwOptions must be 0.
KOVA_EXPORT HANDLE WINAPI FindFirstPrinterChangeNotification(HANDLE hPrinter, DWORD fdwFilter, DWORD fdwOptions,
                                                             LPVOID pPrinterNotifyOptions);
// Resets the handle and answers in *pdwChange the watched kinds that may have changed
// (0 when it had not fired); *ppPrinterNotifyInfo, when asked, is null.
KOVA_EXPORT BOOL WINAPI FindNextPrinterChangeNotification(HANDLE hChange, PDWORD pdwChange, LPVOID pvReserved,
                                                          LPVOID* ppPrinterNotifyInfo);
KOVA_EXPORT BOOL WINAPI FindClosePrinterChangeNotification(HANDLE hChange);

// Asks for the event to be set at the next change of the key's values, subkeys, or (with
// bWatchSubtree) anything below it, of the kinds the filter names. The request ends when
// the event is set: ask again to go on watching. Without fAsynchronous the call returns
// only once a change came (hEvent is ignored). The key needs KEY_NOTIFY access.
KOVA_EXPORT LONG WINAPI RegNotifyChangeKeyValue(HKEY hKey, BOOL bWatchSubtree, DWORD dwNotifyFilter, HANDLE hEvent,
                                                BOOL fAsynchronous);
}  // extern "C"

#pragma GCC visibility pop
