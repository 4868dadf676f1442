// Operations of later subsystems with the least behaviour their callers need now.
#include "context/pending_seams.h"

#include "context/devmode_header.h"
#include "context/driver_context.h"
#include "context/driver_locks.h"
#include "context/field_access.h"
#include "context/field_handles.h"
#include "context/field_job_items.h"
#include "context/field_table.h"
#include "context/memory.h"
#include "context/printer_data.h"
#include "context/product_record.h"
#include "context/spooler_info.h"
#include "win/files.h"

// PENDING: the job-control issue takes this over with the rest of the job items.
DWORD ReloadJobItems(DriverContext* context, DWORD mask) {
  if (!context) return 0;
  for (DWORD bit = 1; bit != 0; bit <<= 1) {
    if (!(mask & bit)) continue;
    const WORD id = GetJobItemFieldByBit(bit);
    if (id == 0) continue;
    if (SettingField* field = FindFieldById(context, id)) ReadFieldByNameFromPrinterData(context->hPrinter, context, field);
  }
  return 0;
}

// PENDING: the job-control issue hands the request (0x30080) to its dispatcher and the
// bound library; no library is bound yet, so nothing is reported.
void JobControlWriteMask(DriverContext*, DWORD) {}

// PENDING: the property-sheet framework handles WM_INITDIALOG of the stamp and tray pages.
std::int32_t HandleKnownPageMessage(DriverContext*, PageRecord*, ControlRecord*, DWORD, WPARAM, LPARAM) { return 0; }

// PENDING: the printer-communication issue binds the configuration-server connector; until
// then it is not available and both steps answer 0.
int SyncFromConfigServer(DriverContext*) { return 0; }
int UploadToConfigServer(DriverContext*) { return 0; }

// PENDING: the property-sheet framework creates the dialog brushes and deletes them with
// the graphics layer's DeleteObject; nothing creates one yet.
void DeleteDialogBrush(void*) {}
