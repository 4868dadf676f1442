// The printer's two-way flag as a command-base handle brings its context up to date.
#pragma once

#include "win/types.h"

struct DriverContext;

// The flag of a connection, or of a printer with no cached two-way result: bit 0 of the
// printer data "BidiFlag"; otherwise the cached flag.
int IsTwoWayFlagSet(DriverContext* context);
