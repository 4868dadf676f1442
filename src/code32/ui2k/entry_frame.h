// The common entry frame of Panelis' bodies: the module handle, DllMain's work, the
// spooler records of the call's printer, the client-side-rendering tests and the cleanup
// that runs before each body returns.
#pragma once

#include "win/spool.h"
#include "win/types.h"

// The instance handle received at process attach (null before and after).
HINSTANCE GetPanelisModule();

// Process attach: keeps the module, sets up the locks and marks the deliverable. Process
// detach: frees the model images, destroys every cached context and deletes the locks.
// Always TRUE.
BOOL DoDllMain(HINSTANCE module, DWORD reason, LPVOID reserved);

// 1 on Windows Vista and later when the printer has no "DsSpooler" "printerName" value;
// 0 otherwise and for a null handle. The value's size is asked for, so a long name counts
// as present.
int LacksSpoolerPrinterName(HANDLE printer);
// 1 on Windows Vista and later when the record's printer name begins with "\\CSR|"
// (case-insensitive). Without a record the printer's own is fetched and freed; 0 for a
// null handle or when no record can be had.
int IsCsrPrinter(HANDLE printer, const PRINTER_INFO_2W* printerInfo);

// RevertToPrinterSelf: the client's token, or null.
HANDLE RevertToSpooler();
// ImpersonatePrinterClient(token) for a token; 0 without one.
BOOL ReimpersonateClient(HANDLE token);

// Steps 1 to 4 of a body and its exit cleanup. Begin fetches the full-cleanup flag, the
// two spooler records and the CSR flag (and, when asked, the name-changed flag); End runs
// the cleanup the flags call for and frees the records. End runs at destruction when it
// was not called.
class EntryFrame {
 public:
  EntryFrame() = default;
  ~EntryFrame() { End(); }
  EntryFrame(const EntryFrame&) = delete;
  EntryFrame& operator=(const EntryFrame&) = delete;

  void Begin(HANDLE printer, bool testRename);
  // Exit cleanup: type 4 under the driver mutex when the full-cleanup flag is set, else
  // type 5 for a client-side-rendering printer; then the records are freed.
  void End();

  HANDLE printer() const { return printer_; }
  PRINTER_INFO_2W* printerInfo() const { return printerInfo_; }
  DRIVER_INFO_3W* driverInfo() const { return driverInfo_; }
  int fullCleanup() const { return fullCleanup_; }
  int csr() const { return csr_; }
  int renamed() const { return renamed_; }

 private:
  HANDLE printer_ = nullptr;
  PRINTER_INFO_2W* printerInfo_ = nullptr;
  DRIVER_INFO_3W* driverInfo_ = nullptr;
  int fullCleanup_ = 0;
  int csr_ = 0;
  int renamed_ = 0;
  bool begun_ = false;
};
