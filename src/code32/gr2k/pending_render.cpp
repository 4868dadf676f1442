#include "pending_render.h"

#include <cstddef>
#include <cstdio>
#include <cstring>

#include "context/driver_context.h"
#include "context/field_access.h"
#include "context/product_record.h"
#include "render_device.h"
#include "render_fields.h"
#include "win/kernel.h"
#include "win/profile.h"

namespace rendara {

int ApplyJobSettings(DriverContext* context, const DEVMODEW* jobDevmode, DWORD flags, HANDLE /*printer*/,
                     DWORD /*jobId*/) {
  if (!context) return 1;
  if (context->work) context->work->kind = CTXK_RENDERING_JOB;
  MergeDevmode(context, jobDevmode, flags);
  return 1;
}

bool ReadCachedBidiFlag(DriverContext*, DWORD* flag) {
  if (flag) *flag = 0;
  return false;
}

// ---- paper substitution, fonts, glyphs, bands -----------------

void UndoJobPaperSubstitution(RenderDevice*) {}
void RedoJobPaperSubstitution(RenderDevice*) {}
BOOL CanCarryJobSettings(RenderDevice*, RenderDevice*) { return FALSE; }
void CarryJobControlSettings(DriverContext*, DriverContext*) {}

}  // namespace rendara
