// The configuration-server connector: on a terminal server whose printers are managed from
// a configuration server, a printer takes its settings and device-mode from that server
// through the connector library.
//
// Printer data "ZeviveConnection" (4 bytes) is 1 once the printer was filled from its server.
#pragma once

#include "base/install_services.h"
#include "stored/server_printer_data.h"
#include "win/types.h"

struct DriverContext;
struct _devicemodeW;

// The registry switch is 1 and the connector library exists.
int IsConnectorEnabled(DriverContext* context);
// A terminal server for the printer and IsConnectorEnabled.
int IsConnectorAvailable(DriverContext* context);
// 0 not available; 1 available and the printer was filled from its server; 2 available and
// not yet filled.
int GetConfigConnectorState(DriverContext* context);
// 1 when the server type is 17 or 18 and the server's saved information was cleared.
int CheckConfigServer(DriverContext* context);
// 1 when the server's device-mode (of exactly the driver's total device-mode size) was
// copied into buffer, which holds at least GetTotalDevmodeSize() bytes; the server type goes
// to *serverType (when not null) whenever the server answered it.
BOOL GetServerDevmode(DriverContext* context, BYTE* buffer, BYTE* serverType);
