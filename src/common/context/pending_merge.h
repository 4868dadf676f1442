// Operations of the two-way communication module that the device-mode merge and the common
// settings block call. Each has its final name and signature and the least behaviour these
// callers need (see the .cpp).
#pragma once

struct DriverContext;

// A full two-way query of the printer without a progress window; 1 done, 0 failed.
int QueryPrinterBidiSilent(DriverContext* context);
