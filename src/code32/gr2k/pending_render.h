// Operations that the rendering spine calls but whose own subsystems are built later: the
// device-mode merge of the common code and the two-way cache. Each has its final name and
// signature and the least behaviour the spine needs now; every seam is marked PENDING below.
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

// ---- two-way cache --------------------------------------------------------------------
// The cached two-way flag of the printer, when the two-way cache file holds a result for
// it.
// PENDING: the printer-communication module reads the cached "BidiFlag" of Fennicb.ini;
// until then no result is cached (false).
bool ReadCachedBidiFlag(DriverContext* context, DWORD* flag);

}  // namespace rendara
