// Operations that only the rendering build of the common code has: the log-file name of
// the printer data, the option lookup by name and share key that the header texts use, and
// the two-way state byte.
#pragma once

#include "model/model_image.h"
#include "win/types.h"

struct DriverContext;

namespace rendara {

// The printer data "LogFileName" into buffer (size in bytes); FALSE for no buffer, size 0,
// or when the value cannot be read.
BOOL ReadLogFileName(HANDLE printer, WCHAR* buffer, DWORD size);
// The first option of the model's all-options list whose name id is nameId and whose share
// key is number, or which carries the Identity mark; none otherwise.
ImageRef FindOptionByNameAndShareKey(WORD nameId, WORD number, DriverContext* context);
// The option's type flags reduced to their low 8 bits (PickPage, PickSlot and FontTbl give
// 1 like PickOne; the Identity and TypeUnknown marks go); 0 without an option.
WORD GetOptionBaseType(WORD featureId, DriverContext* context);
// KPD_kdmBiDirect := 1 when the printer's two-way flag is set, else 0. The flag is bit 0 of
// the printer data "BidiFlag" for a connection, or when no cached two-way result exists
// for the printer; otherwise the cached flag.
void UpdateBiDirectState(DriverContext* context);

// True when the model declares an option of known type for the feature and the rules do
// not disable the value (value 0: the feature itself).
BOOL IsOptionValueEnabled(DriverContext* context, WORD featureId, DWORD value);

}  // namespace rendara
