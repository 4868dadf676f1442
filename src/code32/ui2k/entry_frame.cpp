#include "entry_frame.h"

#include "context/context_cache.h"
#include "base/deliverable.h"
#include "model/driver_locks.h"
#include "context/library_start.h"
#include "base/memory.h"
#include "base/spooler_info.h"
#include "base/system_checks.h"
#include "csr_cleanup.h"
#include "model/model_load.h"
#include "win/errors.h"
#include "win/kernel.h"
#include "win/loader.h"

namespace {

HINSTANCE g_module = nullptr;

constexpr WCHAR kCsrPrefix[] = u"\\\\CSR|";
constexpr int kCsrPrefixChars = 6;

}  // namespace

HINSTANCE GetPanelisModule() { return g_module; }

BOOL DoDllMain(HINSTANCE module, DWORD reason, LPVOID) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      g_module = module;
      StartDriverLibrary(Deliverable::Interface);
      break;
    case DLL_PROCESS_DETACH:
      EndDriverLibrary();
      g_module = nullptr;
      break;
    default:
      break;
  }
  return TRUE;
}

int LacksSpoolerPrinterName(HANDLE printer) {
  if (!printer || !IsNt6OrLater()) return 0;
  // Only whether the value exists matters: its size is asked for, so that a name of any
  // length is found.
  DWORD type = 0;
  DWORD needed = 0;
  const DWORD rc = GetPrinterDataExW(printer, u"DsSpooler", u"printerName", &type, nullptr, 0, &needed);
  return rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA ? 0 : 1;
}

int IsCsrPrinter(HANDLE printer, const PRINTER_INFO_2W* printerInfo) {
  if (!printer || !IsNt6OrLater()) return 0;
  PRINTER_INFO_2W* own = nullptr;
  if (!printerInfo) {
    own = static_cast<PRINTER_INFO_2W*>(GetPrinterInfo(printer, 2));
    if (!own) return 0;
    printerInfo = own;
  }
  int csr = 0;
  const WCHAR* name = printerInfo->pPrinterName;
  if (name && lstrlenW(name) >= kCsrPrefixChars) {
    WCHAR head[kCsrPrefixChars + 1] = {};
    for (int i = 0; i < kCsrPrefixChars; ++i) head[i] = name[i];
    csr = lstrcmpiW(head, kCsrPrefix) == 0 ? 1 : 0;
  }
  FreeMem(own);
  return csr;
}

HANDLE RevertToSpooler() { return RevertToPrinterSelf(); }

BOOL ReimpersonateClient(HANDLE token) { return token ? ImpersonatePrinterClient(token) : 0; }

void EntryFrame::Begin(HANDLE printer, bool testRename) {
  End();
  begun_ = true;
  printer_ = printer;
  fullCleanup_ = LacksSpoolerPrinterName(printer);
  printerInfo_ = static_cast<PRINTER_INFO_2W*>(GetPrinterInfo(printer, 2));
  driverInfo_ = static_cast<DRIVER_INFO_3W*>(GetPrinterDriverInfo(printer, 3));
  csr_ = IsCsrPrinter(printer, printerInfo_);
  renamed_ = testRename && printerInfo_ ? (IsPrinterRenamed(printer, printerInfo_) ? 1 : 0) : 0;
}

void EntryFrame::End() {
  if (!begun_) return;
  begun_ = false;
  if (fullCleanup_ == 1) {
    RemoveCsrLeftoversLocked(printer_, printerInfo_);
  } else if (csr_ == 1) {
    RemovePrinterJobCodeValues(printer_, printerInfo_);
  }
  FreeMem(printerInfo_);
  FreeMem(driverInfo_);
  printerInfo_ = nullptr;
  driverInfo_ = nullptr;
  fullCleanup_ = csr_ = renamed_ = 0;
}
