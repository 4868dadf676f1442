// Operations of the quality list, the job-control library and user codes that loading and
// saving settings files call.
#pragma once

#include "win/types.h"

struct DriverContext;

// ---- quality list ----------------------------------------------------------------------------
// SaveQualityEntry.
#include "stored/quality_list.h"

// ---- job control and user codes ----------------------------------------------------------------
// JobControlOpen, JobControlClose, JobControlRead, JobControlWrite, JobControlClearItems.
#include "outside/job_control.h"
// SaveUserCodeOnRelease.
#include "outside/user_codes.h"
