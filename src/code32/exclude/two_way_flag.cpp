#include "two_way_flag.h"

#include "base/driver_context.h"
#include "field_ids.h"
#include "fields/devmode_header.h"
#include "outside/bidi_cache.h"

int IsTwoWayFlagSet(DriverContext* context) {
  if (!context || !context->hPrinter) return 0;
  const bool connection = GetStateByte(context, fid::KPD_kdmServerClientMode) == 1;
  if (connection || !HasBidiCacheIni(context)) return IsBidiFlagSet(context->hPrinter, context);
  return IsBidiCacheIniSet(context) ? 1 : 0;
}
