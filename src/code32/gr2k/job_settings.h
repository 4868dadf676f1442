// The job settings step of DrvStartDoc: the device's settings context is brought up to date
// for the job (device settings read again, the job's device-mode merged again, the job-time
// adjustments), the job strings the printer interface DLL passed through the private escapes
// are kept across that re-merge, and the job's items are read from the job-control library.
#pragma once

#include "win/devmode.h"
#include "win/types.h"

struct DriverContext;

namespace rendara {

// 1.
int ApplyJobSettings(DriverContext* context, const DEVMODEW* jobDevmode, DWORD flags, HANDLE printer, DWORD jobId);

}  // namespace rendara
