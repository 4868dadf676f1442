// Printer change notifications, signalled through the spooler store's change counter,
// which every write of a printer, its data, a job, a form or a driver bumps.
#include "core/change_watch.h"
#include "spooler_calls.h"
#include "win/notify.h"

using namespace plat::changes;

extern "C" {

HANDLE WINAPI FindFirstPrinterChangeNotification(HANDLE hPrinter, DWORD fdwFilter, DWORD fdwOptions,
                                                 LPVOID pPrinterNotifyOptions) {
  if (!plat::spooler::LookupPrinterHandle(hPrinter)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return INVALID_HANDLE_VALUE;
  }
  // Field notifications (the options block) are not offered: a caller re-reads what it needs.
  if (fdwFilter == 0 || (fdwFilter & ~PRINTER_CHANGE_ALL) || fdwOptions != 0 || pPrinterNotifyOptions) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  try {
    HANDLE h = NewChangeHandle(WatchKind::Printer, {Store::Spooler}, fdwFilter);
    SetLastError(ERROR_SUCCESS);
    return h;
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return INVALID_HANDLE_VALUE;
  }
}

BOOL WINAPI FindNextPrinterChangeNotification(HANDLE hChange, PDWORD pdwChange, LPVOID,
                                              LPVOID* ppPrinterNotifyInfo) {
  bool fired = false;
  DWORD filter = 0;
  if (!ResetChangeHandle(hChange, WatchKind::Printer, &fired, &filter)) return FALSE;
  // The counter does not tell which kind changed: every watched kind may have.
  if (pdwChange) *pdwChange = fired ? filter : 0;
  if (ppPrinterNotifyInfo) *ppPrinterNotifyInfo = nullptr;
  return TRUE;
}

BOOL WINAPI FindClosePrinterChangeNotification(HANDLE hChange) {
  return CloseChangeHandle(hChange, WatchKind::Printer) ? TRUE : FALSE;
}

}  // extern "C"
