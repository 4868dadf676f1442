#include "pending_bidi.h"

#include "base/driver_context.h"
#include "fields/field_access.h"
#include "field_ids.h"
#include "stored/pending_device.h"
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

// PENDING: SetBidiStateFromSupport, of the printer communication, copies the two-way state
// fields from the printer's support record. Until it comes the fields keep the values the
// context was made with.
void SetBidiStateFromSupport(DriverContext*) {}

// PENDING: QueryPrinterBidi, of the printer communication, asks the printer for its
// installed options and trays. Until it comes no printer is asked and the query fails (0);
// the settings keep what the context was made with.
int QueryPrinterBidi(DriverContext*, DWORD) { return 0; }
