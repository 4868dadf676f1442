// The configuration-server connector's fetch as printer initialisation runs it through
// RunServerConnectorIfEnabled (defined with the connector, on the floor of the outside
// libraries).
#pragma once

struct DriverContext;

// The fetch of build feature 0 and of build feature 7: 0 when the connector is not
// available, 1 at once for a printer already filled from its server.
int SyncFromConfigServer(DriverContext* context);
int SyncFromConfigServerEx(DriverContext* context);
