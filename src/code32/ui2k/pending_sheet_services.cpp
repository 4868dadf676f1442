// Services of later parts of the driver with the least behaviour the property sheets need.
#include "pending_sheet_services.h"

#include "base/driver_context.h"

// PENDING: the configuration-server connector merges the server's lists; until it is
// bound there is no server and the answer is 0.
int SyncConfigServerIni(DriverContext*, const PRINTER_INFO_2W*, const DRIVER_INFO_3W*) { return 0; }

