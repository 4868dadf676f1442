#include "pending_entry_bodies.h"

#include "context/devmode_convert.h"
#include "context/driver_locks.h"
#include "context/system_tests.h"
#include "csr_cleanup.h"
#include "entry_frame.h"
#include "install_check.h"
#include "win/errors.h"

// PENDING: DoDevicePropertySheets, the device property sheets and printer properties,
// opens the device sheet. Until it is built the sheet cannot be had: -1.
LONG DoDevicePropertySheets(PROPSHEETUI_INFO* info, LPARAM) {
  if (!info || !info->lParamInit) return -1;
  if (info->Reason != PROPSHEETUI_REASON_DESTROY) {
    EntryFrame frame;
    frame.Begin(reinterpret_cast<DEVICEPROPERTYHEADER*>(info->lParamInit)->hPrinter, true);
  }
  return -1;
}

// PENDING: DoDocumentPropertySheets, the document property sheets and document properties,
// opens the document sheet and fills the caller's device-mode. Until it is built only the
// size query is answered; every other call fails with -1.
LONG DoDocumentPropertySheets(PROPSHEETUI_INFO* info, LPARAM lParam) {
  if (!info && !lParam) return -1;
  if (!info) {
    // A call that carries no device-mode to fill only asks for the size.
    auto* header = reinterpret_cast<DOCUMENTPROPERTYHEADER*>(lParam);
    if (header->fMode == 0 || !header->pdmOut) {
      header->cbOut = kWholeDevmodeSize;
      return kWholeDevmodeSize;
    }
    EntryFrame frame;
    frame.Begin(header->hPrinter, true);
    return -1;
  }
  if (!info->lParamInit) return -1;
  EntryFrame frame;
  frame.Begin(reinterpret_cast<DOCUMENTPROPERTYHEADER*>(info->lParamInit)->hPrinter, true);
  return -1;
}

// PENDING: DoDocumentProperties, the document property sheets and document properties,
// merges and writes the caller's device-mode. Until it is built the size query is answered
// and every other call fails with -1 (the output is not touched).
LONG DoDocumentProperties(HWND, HANDLE printer, LPCWSTR, DEVMODEW* output, const DEVMODEW*, DWORD mode) {
  if (mode == 0 || !output) return kWholeDevmodeSize;
  EntryFrame frame;
  frame.Begin(printer, false);
  CheckPendingInstallWork(printer, 1, frame.printerInfo(), frame.driverInfo());
  return -1;
}

// PENDING: DoAdvancedDocumentProperties, the document property sheets and document
// properties; as DoDocumentProperties until then.
LONG DoAdvancedDocumentProperties(HWND, HANDLE printer, LPCWSTR, DEVMODEW* output, const DEVMODEW*) {
  if (!output) return kWholeDevmodeSize;
  EntryFrame frame;
  frame.Begin(printer, false);
  CheckPendingInstallWork(printer, 1, frame.printerInfo(), frame.driverInfo());
  return -1;
}

// PENDING: DoPrinterProperties, the device property sheets and printer properties; FALSE
// until then.
BOOL DoPrinterProperties(HWND, HANDLE) { return FALSE; }
