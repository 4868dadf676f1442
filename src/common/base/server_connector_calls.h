// The configuration-server connector's fetch as printer initialisation runs it through
// RunServerConnectorIfEnabled (defined with the connector, on the floor of the outside
// libraries).
#pragma once

struct DriverContext;

// The fetch of build feature 0 and of build feature 7: 0 when the connector is not
// available, 1 at once for a printer already filled from its server; otherwise the server's
// files, printer-side settings and (feature 7) device-mode are taken and, on success, the
// printer is marked filled ("ZeviveConnection" 1, for feature 7 also "ZeviveIni" 1). 1 on
// success.
int SyncFromConfigServer(DriverContext* context);
int SyncFromConfigServerEx(DriverContext* context);
