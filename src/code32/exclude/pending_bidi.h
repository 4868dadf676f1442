// The two-way printer state as a command-base handle brings its context up to date: the
// printer's two-way flag, the state taken from the printer's support record, and a query of
// the printer.
#pragma once

#include "win/types.h"

struct DriverContext;

// The flag of a connection, or of a printer with no cached two-way result: bit 0 of the
// printer data "BidiFlag"; otherwise the cached flag.
int IsTwoWayFlagSet(DriverContext* context);
// The two-way state fields from what the printer is known to support.
void SetBidiStateFromSupport(DriverContext* context);
// A query of the printer (flags 8: quiet). 1 done, 0 failed.
int QueryPrinterBidi(DriverContext* context, DWORD flags);
