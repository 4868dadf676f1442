// The printer's two-way flag as a command-base handle brings its context up to date.
#pragma once

struct DriverContext;

// For a printer connection, or a printer whose section of the two-way cache INI has no
// flag: bit 0 of the printer data "BidiFlag"; otherwise the cached flag.
int IsTwoWayFlagSet(DriverContext* context);
