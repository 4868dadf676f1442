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

bool ReadCachedBidiFlag(DriverContext*, DWORD* flag) {
  if (flag) *flag = 0;
  return false;
}

}  // namespace rendara
