// The printer's stored default device-mode.
#include "stored/printer_devmode.h"

#include <cstring>

#include "stored/devmode_checks.h"
#include "stored/devmode_convert.h"
#include "base/driver_context.h"
#include "base/memory.h"
#include "fields/product_record.h"
#include "base/spooler_info.h"
#include "win/devmode.h"

namespace {

bool IsKnownSpecVersion(WORD version) {
  return version == DM_SPECVERSION_0320 || version == DM_SPECVERSION_0400 || version == DM_SPECVERSION;
}

}  // namespace

BOOL CopyPrinterDefaultDevmode(DriverContext* context, const PRINTER_INFO_2W* printerInfo) {
  if (!context || !context->settings) return FALSE;
  PRINTER_INFO_2W* read = nullptr;
  if (!printerInfo) printerInfo = read = static_cast<PRINTER_INFO_2W*>(GetPrinterInfo(context->hPrinter, 2));
  BOOL copied = FALSE;
  const DEVMODEW* stored = printerInfo ? printerInfo->pDevMode : nullptr;
  if (stored && IsKnownSpecVersion(stored->dmSpecVersion) && stored->dmSize == GetPublicDevmodeSize() &&
      stored->dmDriverExtra == GetPrivateDevmodeSize()) {
    std::memcpy(context->settings, stored, GetTotalDevmodeSize());
    copied = TRUE;
  }
  FreeMem(read);
  return copied;
}

BOOL LoadDefaultDevmodeFromPrinter(DriverContext* context, const PRINTER_INFO_2W* printerInfo) {
  if (!CopyPrinterDefaultDevmode(context, printerInfo)) return FALSE;
  return CheckDevmodeVersionSized(context->settings) ? TRUE : FALSE;
}

BOOL PrinterHasDefaultDevmode(HANDLE printer) {
  auto* info = static_cast<PRINTER_INFO_2W*>(GetPrinterInfo(printer, 2));
  const BOOL has = info && info->pDevMode ? TRUE : FALSE;
  FreeMem(info);
  return has;
}
