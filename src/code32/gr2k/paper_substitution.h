// The job-time adjustments of the rendering build: the sort (collate) function from the
// job's public device-mode, and for the fit-to-paper output sizes 1024 to 1028 a standard
// output paper put in their place. The substitution is undone while the settings record is
// written, so that the record shows what the user chose, and done again after it.
#pragma once

#include "win/types.h"

struct DriverContext;

namespace rendara {

struct RenderDevice;

// Module event told after the job-time adjustments (no payload).
constexpr DWORD kJobAdjustedEvent = 37;

// Collate, slot A (kdmFrontFunc bit 8), slot B (bit 0x20), then module event 37.
void ApplyJobTimeAdjustments(DriverContext* context);

void SubstitutePaperA(DriverContext* context);
void SubstitutePaperB(DriverContext* context);

// save != 0: the slot takes the current kdmOutPaperSize, kdmFuncSelectScale and
// kdmScaleType and becomes active; save == 0 marks it inactive.
void SaveSubstitutionA(DriverContext* context, int save);
void SaveSubstitutionB(DriverContext* context, int save);
// An active slot writes its three saved values back; it stays active.
void RestoreSubstitutionA(DriverContext* context);
void RestoreSubstitutionB(DriverContext* context);
BOOL IsSubstitutionAActive(DriverContext* context);
BOOL IsSubstitutionBActive(DriverContext* context);
void SetSubstitutionAActive(DriverContext* context, BOOL flag);
void SetSubstitutionBActive(DriverContext* context, BOOL flag);

// Around the settings record: restore each kind kdmFrontFunc selects before it is written;
// afterwards each active kind is substituted again and its slot marked inactive.
void UndoJobPaperSubstitution(RenderDevice* device);
void RedoJobPaperSubstitution(RenderDevice* device);

}  // namespace rendara
