// Services of the install bookkeeping, the first-run defaults, the configuration-server
// connector and the two-way printer state that the property sheets call. Each has its
// final name and signature and the least behaviour the sheets need now (see the .cpp).
#pragma once

#include "win/spool.h"
#include "win/types.h"
#include "win/window.h"
#include "first_run_defaults.h"
#include "outside/bidi_cache.h"
#include "outside/bidi_query.h"
#include "outside/config_connector.h"
#include "printer_rename.h"

struct DriverContext;

int SyncConfigServerIni(DriverContext* context, const PRINTER_INFO_2W* printerInfo, const DRIVER_INFO_3W* driverInfo);
