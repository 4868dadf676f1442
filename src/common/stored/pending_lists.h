// Operations of the setting-file import, the preset, quality, stamp and free-size lists and
// the job-control library that loading and saving settings files call. Each has its final
// name and signature and the least behaviour the load and save need now.
#pragma once

#include "win/types.h"

struct DriverContext;

// ---- setting-file import -------------------------------------------------------------------
// Imports the source's settings into the target file; 1 done.
int ImportSettingFile(const WCHAR* target, const WCHAR* source, DWORD flags, DriverContext* context);

// ---- stamp list ------------------------------------------------------------------------------
// "StampCount" of the per-printer INI; -1 while no stamp list is kept, in which case
// callers keep the stamp selection as it is.
int GetStampCount(DriverContext* context);
// Entry n into the context (kdmWmID := n), and the context into entry n.
void ApplyStamp(DriverContext* context, int n);
void SaveStamp(DriverContext* context, int n);

// ---- free-size list --------------------------------------------------------------------------
// Fields 915-919 into entry n's section; entry n's section into fields 920-924.
void WriteFreeSizeSection(DriverContext* context, int n);
void ReadCurrentFreeSize(DriverContext* context, int n);
// Fields 915-919 (features) or 920-924 (current) into the work area's record n.
void FeaturesToFreeSizeRecord(DriverContext* context, int n);
void CurrentToFreeSizeRecord(DriverContext* context, int n);

// ---- quality list ----------------------------------------------------------------------------
// SaveQualityEntry.
#include "stored/quality_list.h"

// ---- job control and user codes ----------------------------------------------------------------
// JobControlOpen, JobControlClose, JobControlRead, JobControlWrite, JobControlClearItems.
#include "outside/job_control.h"
// SaveUserCodeOnRelease.
#include "outside/user_codes.h"
