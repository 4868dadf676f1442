// Operations of the configuration-server connector that context creation and its cache
// call. Each has its final name and signature and the least behaviour its callers need now
// (see the .cpp).
#pragma once

struct DriverContext;

// The configuration-server connector steps.
int SyncFromConfigServer(DriverContext* context);
int UploadToConfigServer(DriverContext* context);
