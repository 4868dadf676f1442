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



// PENDING: the printer-communication module binds the configuration-server connector; until
// then it is not available and both steps answer 0.
int SyncFromConfigServer(DriverContext*) { return 0; }
int UploadToConfigServer(DriverContext*) { return 0; }


