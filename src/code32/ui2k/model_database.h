// The model's entries in the model database INI (modbase.ini in the Windows directory):
// which library loads the model, its resource library and the driver version.
#pragma once

#include "win/types.h"

struct DriverContext;

// Writes the model's entry (or every entry of its "Models<n>" lists) when what the database
// holds differs from the driver package. 1 when the entries are current or were written.
int RegisterModelDatabase(DriverContext* context);
// Each "Models<n>" entry of the model compared and, when one differs, written. 0 when the
// first list has no entry for the model.
int RegisterAllModelDatabaseEntries(DriverContext* context);
// Writes the model's entry: "LoadDll", "ResDll" and "Version". 1 when written.
int WriteModelDatabaseEntry(DriverContext* context);
// Writes every "Models<n>" entry of the model. 0 when the first list has none.
int WriteAllModelDatabaseEntries(DriverContext* context);
