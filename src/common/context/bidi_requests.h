// The two-way query as the device-mode merge and the common settings block ask for it
// (defined with the rest of the query, on the floor of the outside libraries).
#pragma once

struct DriverContext;

// A full two-way query of the printer without a progress window; 1 done, 0 failed.
int QueryPrinterBidiSilent(DriverContext* context);
