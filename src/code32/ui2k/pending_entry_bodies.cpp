#include "pending_entry_bodies.h"

#include "context/devmode_convert.h"
#include "context/driver_locks.h"
#include "context/system_tests.h"
#include "csr_cleanup.h"
#include "entry_frame.h"
#include "install_check.h"
#include "win/errors.h"

// PENDING: DoConvertDevMode, the device-mode conversion and first printer defaults, adds the
// install work and the driver defaults. Until it is built the conversion core answers: a
// conversion it completes is TRUE, a request that needs the driver's defaults filled in is
// refused (ERROR_NOT_SUPPORTED), so no output is reported as written that was not.
BOOL DoConvertDevMode(LPCWSTR printerName, const DEVMODEW* input, DEVMODEW* output, LONG* size, DWORD mode) {
  const int result = ConvertDevmodeCore(printerName, input, output, size, mode);
  if (result == 1) return TRUE;
  if (result == 2) SetLastError(ERROR_NOT_SUPPORTED);
  return FALSE;
}

// PENDING: DoUpgradePrinter, the printer events and driver upgrade, brings the stored
// settings to the new driver. Until it is built the upgrade is reported as not done.
BOOL DoUpgradePrinter(DWORD level, LPBYTE data) {
  const auto* upgrade = reinterpret_cast<const DRIVER_UPGRADE_INFO_1W*>(data);
  if (level != 1 || !upgrade || !upgrade->pPrinterName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  HANDLE printer = nullptr;
  PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
  if (!OpenPrinterW(upgrade->pPrinterName, &printer, &defaults)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  EntryFrame frame;
  frame.Begin(printer, false);
  CheckPendingInstallWork(printer, 1, frame.printerInfo(), frame.driverInfo());
  if (IsNt6OrLater()) {
    LockDriverMutex(nullptr);
    RemoveCsrLeftovers(printer, frame.printerInfo(), 0, kCsrCleanupUpgrade);
    UnlockDriverMutex(nullptr);
  }
  frame.End();
  ClosePrinter(printer);
  SetLastError(ERROR_NOT_SUPPORTED);
  return FALSE;
}

// PENDING: DoPrinterEvent, the printer events and driver upgrade, initialises printers and
// connections. Until it is built the events whose work is missing answer FALSE; the
// deletions answer TRUE as they always do.
BOOL DoPrinterEvent(LPCWSTR, int event, DWORD, LPARAM) {
  switch (event) {
    case PRINTER_EVENT_INITIALIZE:
    case PRINTER_EVENT_ADD_CONNECTION:
      return FALSE;
    default:
      return TRUE;
  }
}

