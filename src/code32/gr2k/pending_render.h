// Operations that the rendering spine calls but whose own subsystems are built later: the
// device-mode merge, the job settings and job control at document start, the header texts
// from the model's command groups, the plug-in list, the job-time paper substitution, the
// band copy and the image records. Each has its final name and signature
// and the least behaviour the spine needs now; every one is marked PENDING below.
//
// They live in namespace rendara so that the common library's own definitions, when they
// come, do not collide with these.
#pragma once

#include <cstdint>

#include "win/devmode.h"
#include "win/types.h"
#include "win/winddi.h"

struct DriverContext;

#include "context/devmode_merge.h"
#include "header_text.h"
#include "image_records.h"

namespace rendara {

struct RenderDevice;
struct RecordBuffer;

// ---- device-mode merge -----------------------------------------------------------------
// The merge of the common code: 1 done, 0 when a working copy could not be allocated.
using ::MergeDevmode;

// ---- job settings at document start ----------------------------------------------------
// PENDING: the job settings issue replaces this with the job-control road (re-merge keeping
// the job-control strings, the job items of the job-control library). Until then: the
// job's device-mode copy is merged again and the context's kind becomes the job kind. 1.
int ApplyJobSettings(DriverContext* context, const DEVMODEW* jobDevmode, DWORD flags, HANDLE printer, DWORD jobId);

// ---- two-way cache --------------------------------------------------------------------
// The cached two-way flag of the printer, when the two-way cache file holds a result for
// it.
// PENDING: the printer-communication issue reads the cached "BidiFlag" of Fennicb.ini;
// until then no result is cached (false).
bool ReadCachedBidiFlag(DriverContext* context, DWORD* flag);

// ---- job-time paper substitution (device reset carry-over) -----------------------------
// PENDING: the paper substitution issue replaces these. Until then no substitution is ever
// active: nothing is put back or applied around the settings record, nothing is carried.
void UndoJobPaperSubstitution(RenderDevice* device);
void RedoJobPaperSubstitution(RenderDevice* device);
// Whether the settings of the two devices' device-mode copies may be carried: FALSE.
BOOL CanCarryJobSettings(RenderDevice* oldDevice, RenderDevice* newDevice);
// Carries the job-control settings from the old context to the new one: nothing yet.
void CarryJobControlSettings(DriverContext* oldContext, DriverContext* newContext);

}  // namespace rendara
