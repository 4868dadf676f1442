#include "render_common.h"

#include "base/driver_context.h"
#include "fields/field_access.h"
#include "base/printer_data.h"
#include "field_ids.h"
#include "model/model_parse.h"
#include "model/option_lookup.h"
#include "stored/bidi_cache_calls.h"

namespace rendara {

namespace {


}  // namespace

BOOL ReadLogFileName(HANDLE printer, WCHAR* buffer, DWORD size) {
  if (!buffer || size == 0) return FALSE;
  return GetPrinterDataValue(printer, buffer, size, u"LogFileName", 0);
}

ImageRef FindOptionByNameAndShareKey(WORD nameId, WORD number, DriverContext* context) {
  if (!context || !context->model) return {};
  for (ImageRef o = FirstModelOption(context->model); o; o = OptionNext(o)) {
    if (OptionItemId(o) != nameId) continue;
    if (OptionShareKey(o) == number || (OptionRawType(o) & kTypeIdentity)) return o;
  }
  return {};
}

WORD GetOptionBaseType(WORD featureId, DriverContext* context) {
  return static_cast<WORD>(GetOptionRawType(featureId, context) & 0xFF);
}

void UpdateBiDirectState(DriverContext* context) {
  if (!context || !context->settings) return;
  DWORD flag = 0;
  DWORD cached = 0;
  const bool connection = (ReadFieldRawById(context, fid::KPD_kdmServerClientMode) & 0xFF) == 1;
  if (connection || !ReadCachedBidiFlag(context, &cached)) {
    DWORD value = 0;
    if (GetPrinterDataValue(context->hPrinter, &value, sizeof value, u"BidiFlag", 0)) flag = value & 1;
  } else {
    flag = cached;
  }
  WriteFieldRawById(context, fid::KPD_kdmBiDirect, flag ? 1 : 0);
}

}  // namespace rendara
