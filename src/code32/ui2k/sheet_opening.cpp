// The opening shared by the bodies of the document and device sheets.
#include "sheet_opening.h"

#include "entry_frame.h"
#include "install_check.h"

DriverContext* OpenSheetContext(PROPSHEETUI_INFO* info, HANDLE printer, const EntryFrame& frame,
                                const std::function<DriverContext*()>& build) {
  if (!info) return nullptr;
  if (info->Reason != PROPSHEETUI_REASON_DESTROY) {
    if (!frame.printerInfo()) return nullptr;
    if (!frame.renamed() && CheckPendingInstallWork(printer, 1, frame.printerInfo(), frame.driverInfo()) != 1)
      return nullptr;
  }
  if (info->Reason != PROPSHEETUI_REASON_INIT) return reinterpret_cast<DriverContext*>(info->UserData);
  DriverContext* context = build ? build() : nullptr;
  if (context) info->UserData = reinterpret_cast<ULONG_PTR>(context);
  return context;
}
