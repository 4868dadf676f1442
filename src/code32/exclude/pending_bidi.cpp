#include "pending_bidi.h"

#include "base/driver_context.h"
#include "fields/field_access.h"
#include "field_ids.h"
#include "stored/bidi_cache_calls.h"
#include "win/spool.h"

int IsTwoWayFlagSet(DriverContext* context) {
  if (!context || !context->hPrinter) return 0;
  const bool connection = ReadFieldRawById(context, fid::KPD_kdmServerClientMode) == 1;
  if (!connection && IsBidiCacheIniSet(context)) return 1;
  DWORD type = 0;
  DWORD value = 0;
  DWORD needed = 0;
  WCHAR name[] = u"BidiFlag";
  if (GetPrinterDataW(context->hPrinter, name, &type, reinterpret_cast<BYTE*>(&value), sizeof value, &needed) != 0) {
    return 0;
  }
  return (value & 1u) ? 1 : 0;
}
